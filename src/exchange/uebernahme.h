// How far an import has posted a file, and the units of work of its
// posting pass. The base data record the file (name, size, checksum) and
// the last line whose booking is on disk, written in the same unit of work
// as the bookings: whatever a crash or a failed write leaves, the record
// names it exactly. A unit ends only after a line where the lines so far
// balance, so only whole documents are on disk. Importing the same file
// again offers to continue after that line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "posting/buchen.h"
#include "suite/dateisystem.h"
#include "suite/interaktion.h"
#include "suite/satz.h"

namespace fibu {

struct Dateikennung {
  std::string name;             // the file's name, without its directory
  std::uint64_t groesse = 0;    // bytes
  std::uint32_t pruefsumme = 0; // CRC-32C of the whole file
  bool operator==(const Dateikennung&) const = default;
};

// Reads the whole file; nullopt when it cannot be read.
std::optional<Dateikennung> dateikennung(Datei& datei, const std::string& name);

struct Uebernahmestand {
  int befehl = 0;          // the import's command number (27, ...); 0 = none recorded
  Dateikennung datei;
  long zeile = 0;          // the last line whose booking is on disk
  bool fertig = false;     // the file is posted to its end
};

Uebernahmestand uebernahmestand_lesen(const Satz& basis);
void uebernahmestand_ablegen(Satz& basis, const Uebernahmestand& stand);

// Before an import: whether the base data say that this import posted this
// very file to its end (then with the message; posting it again would
// double its bookings).
bool schon_uebernommen(Interaktion& ui, const Satz& basis, int befehl, const Dateikennung& datei);

// Before an import: when the base data say that this import posted this
// very file up to a line, but not to its end, asks whether to continue
// after that line. Answers the last line to leave out (0: the whole file).
long fortsetzung_erfragen(Interaktion& ui, const Satz& basis, int befehl, const Dateikennung& datei);

// The posting pass of an import in units of work, each of whole documents,
// each recording how far the file is posted.
class Uebernahmelauf {
 public:
  // `einheit`: bookings after which a unit ends at the next balanced line;
  // `ab_zeile`: the lines an earlier run posted (left out now).
  Uebernahmelauf(Buchungskern& kern, Satz& basis, int befehl, Dateikennung datei, long einheit,
                 long ab_zeile = 0);

  Buchungslauf& lauf() { return lauf_; }
  bool ok() const { return lauf_.ok(); }

  // After line `nr` went through (posted or left out), with the number of
  // bookings the pass has written and whether the lines so far balance.
  // Ends the unit when it is full and the lines balance; false when that
  // commit failed (what is on disk then is in bestaetigt_bis()).
  bool zeile_fertig(long nr, long gebucht, bool ausgeglichen);
  // Commits the lines up to `nr` as the last unit; `fertig`: the file is
  // posted to its end. False when the commit failed.
  bool abschliessen(long nr, long gebucht, bool fertig);

  // What is on disk of this pass: the lines up to this one, and so many
  // bookings (counted from where the pass began).
  long bestaetigt_bis() const { return bestaetigt_bis_; }
  long bestaetigte_buchungen() const { return bestaetigte_buchungen_; }

 private:
  bool bestaetigen(long nr, long gebucht, bool fertig, bool letzte);

  Buchungslauf lauf_;
  Satz& basis_;
  Uebernahmestand stand_;
  long einheit_;
  long bestaetigt_bis_ = 0, bestaetigte_buchungen_ = 0;
};

}  // namespace fibu
