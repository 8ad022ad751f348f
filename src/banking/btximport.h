// The "BTX-Import" (`TFQIF`): reads a bank statement file, keeps the lines
// of the chosen period and sides, sorts them and hands them to the
// statement table, which assigns them by the patterns. `TBankAuswahlDialog`
// ("Datei auswählen") picks the file from its directory.
//
// A line the file or its date refuses is never imported: the protocol
// lists it with its reason. The settings and the period of the last import
// are stored only when the table took the lines.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "banking/kontoauszugsdatei.h"
#include "frame/mandant.h"
#include "suite/browser.h"
#include "suite/entryform.h"

namespace fibu {

// The statement table the import fills (the bank statement screen).
struct Auszugstabelle {
  // The statement date: its period is the posting period of the lines.
  std::function<Datum()> auszugsdatum;
  // The bank's GL account, for the protocol.
  std::function<std::string()> bankkonto;
  // Takes the lines (filtered and sorted) and assigns them by the patterns;
  // false, after its own message, when the table refuses them.
  std::function<bool(const std::vector<Auszugszeile>&, const Zuordnungsmuster&)> uebernehmen;
};

struct Bankimporteinstellungen {
  std::string pfad, datei;
  Auszugsformat format = Auszugsformat::TOnline;
  Zuordnungsmuster muster;
  bool haben = false, soll = false;  // import incoming / outgoing payments
  Datum von = kein_datum, bis = kein_datum;
};

// The stored settings; the period runs from the day after the last import
// (today without one) to today.
Bankimporteinstellungen bankimport_einstellungen_lesen(const Satz& basis, Datum heute);
// Stores the settings and the period as that of the last import.
void bankimport_einstellungen_ablegen(Satz& basis, const Bankimporteinstellungen& e);

// The lines of a file that the import keeps.
struct Auszugsauswahl {
  std::vector<Auszugszeile> zeilen;  // sorted
  std::vector<Fehlzeile> abgelehnt;  // the file's refusals, then those of the dates
  long ausserhalb = 0;               // lines outside the chosen period
};

// The posting period of a statement: the period of the statement date
// within the statement's month (a table row keeps only its day).
std::pair<Datum, Datum> buchungszeitraum(const Satz& basis, Datum auszugsdatum);

// Filters the lines of a file by the chosen period, the posting period
// [buchung_von, buchung_bis] and the Haben/Soll switches, and sorts them.
Auszugsauswahl auszug_auswaehlen(const Auszugsdatei& d, const Bankimporteinstellungen& e,
                                 Datum buchung_von, Datum buchung_bis);

// By day; on a day incoming payments before outgoing ones, each with the
// smaller amounts first.
void auszug_sortieren(std::vector<Auszugszeile>& zeilen);

// The import with the chosen settings: file, reader, selection, hand-over,
// messages and protocol. True when the table took the lines.
bool bankauszug_importieren(Mandant& m, const Bankimporteinstellungen& e, const Auszugstabelle& t);

// "Datei auswählen": the statement files of a directory with the date and
// time of their last change.
class TBankAuswahlDialog {
 public:
  TBankAuswahlDialog(Interaktion& ui, Dateisystem& fs) : ui_(ui), fs_(fs) {}
  // The lines of the list: the ".STA" files, for CAMT the ".xml" and
  // ".zip" files; nullopt after the message when there are none to show.
  std::optional<std::vector<Browsereintrag>> dateien(const std::string& pfad, Auszugsformat format);
  // The name of the chosen file; nullopt when none was chosen.
  std::optional<std::string> waehlen(const std::string& pfad, Auszugsformat format);

 private:
  Interaktion& ui_;
  Dateisystem& fs_;
};

class TFQIF {
 public:
  TFQIF(Mandant& m, Auszugstabelle tabelle);
  TFQIF(const TFQIF&) = delete;  // its commands refer to it
  TFQIF& operator=(const TFQIF&) = delete;
  // The dialog, then the import; false when nothing was imported.
  bool ausfuehren();
  TEntryForm& form() { return form_; }
  Bankimporteinstellungen einstellungen() const;

 private:
  Mandant& m_;
  Auszugstabelle tabelle_;
  TEntryForm form_;
};

}  // namespace fibu
