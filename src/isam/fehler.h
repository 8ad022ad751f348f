// Outcome codes of the ISAM record manager. Callers test 9903 (create the
// files) and 10010 (offer the rebuild); the others name what went wrong.
#pragma once

#include <string>

namespace fibu::isam {

enum IsamFehler : int {
  isam_ok = 0,
  fehler_ein_ausgabe = 9500,          // the operating system refused a read or write
  fehler_dateien_fehlen = 9903,       // neither data nor index file exists
  fehler_datendatei_fehlt = 9904,     // the index exists, the data file does not
  fehler_index_defekt = 10010,        // index checksum or structure wrong: rebuild it
  fehler_daten_defekt = 10011,        // data file header or size impossible
  fehler_satzreferenz = 10070,        // the reference names no stored record
  fehler_parameter = 10100,           // impossible record size, key table, key number or name
  fehler_nicht_offen = 10110,         // the file block is not open
  fehler_existiert = 10120,           // the files to be made exist already
  fehler_schluessel_fehlt = 10200,    // key (with reference) not in the index
  fehler_schluessel_doppelt = 10230,  // key exists already in a key without duplicates
  fehler_indexende = 10250,           // no further key in this direction
  fehler_gesperrt = 10300,            // the lock could not be had within the wait time
  fehler_einheit = 10400,             // unit of work misused or left unfinished by an error
  fehler_journal = 10410,             // the journal could not be written: the unit is rolled back
  // The unit is safe in the journal but could not be brought into the
  // files: it counts as committed and is completed when the directory is
  // next opened or a lock is taken in it.
  fehler_nachzuholen = 10420,
};

// German text of a code, for the message that names the file.
std::string isam_fehlertext(int code);

}  // namespace fibu::isam
