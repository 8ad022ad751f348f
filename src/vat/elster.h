// The electronic VAT advance return ("ELSTER-Steueranmeldung", command
// 319): the advance return or the application for the special prepayment
// as an XML data file in the client's year directory, for the tax
// administration's transmission program, which sends it. The figures are
// those of the printed return: the check list and the form lines of the
// advance return, mapped to the Kennzahlen of the year by the official
// form's layout (up to 2012) or by the year table (from 2013).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "suite/betrag.h"
#include "suite/entryform.h"
#include "suite/inidatei.h"
#include "suite/tpdate.h"
#include "vat/formularwerte.h"

namespace fibu {

class Mandant;
class TFFibu;

// The first and the last fiscal year the file can be made for.
inline constexpr int erstes_elster_jahr = 2004;

// --- Checks before the dialog ---

// The federal state of a 13-digit tax number by its first two digits
// ("SL", "BE", … "BY"); empty when none.
std::string elster_bundesland(const std::string& ziffern);
// The tax number of the base data as the return needs it: exactly 13
// digits, a known state, a 0 as fifth digit. The message of the first
// failed check, or nullopt.
std::optional<std::string> elster_steuernummer_pruefen(const std::string& eingabe);
// The digits of a tax number as entered.
std::string nur_ziffern(const std::string& text);

// "01".."12" for a month, "41".."44" for a quarter; the message when the
// periods are neither (`zwoelf_monate`: the fiscal year has its 12 months).
std::optional<std::string> elster_perioden_pruefen(int von, int bis, bool zwoelf_monate);
std::string elster_zeitraum(int von, int bis);
// "200401" … "201301" and on by the same pattern.
std::string elster_steuerversion(int jahr);

// --- The data of one file ---

struct Elsterlieferant {
  std::string name, ansprechpartner, telefon, email, ort, plz, strasse, land;
};
struct Elsterberater {
  std::string name, beruf, vorwahl, telefon, mandant;
};

// What goes into the file besides the Kennzahlen.
struct Elsterkopf {
  std::string version = "10";
  std::string ticket = "0000000000";
  std::string finanzamt;  // the tax office's number (Empfaenger)
  std::string produktname = "Ornamentix Coala - Finanzbuchhaltung";
  std::string produktversion = "Coalaversion 2.0004";
  std::string steuerart = "UStVA";
  std::string steuerversion;
  Elsterlieferant lieferant;
  Elsterberater berater;
  Datum erstellt = 0;
  int jahr = 0;
  std::string zeitraum;
  std::string steuernummer;
  bool sondervorauszahlung = false;
};

// A Kennzahl's value: cents; `cent`: written with two decimals (the tax
// column, the payment), else in whole euros (bases, marks).
struct Elsterwert {
  Betrag wert = 0;
  bool cent = true;
};

struct Elsterkennzahlen {
  std::map<int, Elsterwert> werte;
  std::vector<int> erlaubt;        // the Kennzahlen of the year's return
  std::vector<int> basen;          // those of them that take a base (whole euros)
  std::vector<int> ohne_kennzahl;  // lines with amounts but no Kennzahl in that year
};

// The Kennzahlen of the advance return of the period beginning in `monat`
// of `jahr` from its form lines; `sonder` goes to Kz 39 of the last period.
// The marks (Kz 10, 22, 26, 29) are set by the caller.
Elsterkennzahlen elster_kennzahlen(int jahr, int monat, const Formularwerte& werte,
                                   bool letzte_periode, Betrag sonder);

// Which Kennzahlen the file carries: those of the fixed set that the year
// has (also with 0), and every other one with a value.
std::vector<std::pair<int, Elsterwert>> elster_zu_schreiben(const Elsterkennzahlen& k);

// The file's text in ISO-8859-1, one element per line.
std::string elster_xml(const Elsterkopf& kopf, const std::vector<std::pair<int, Elsterwert>>& kz);

// --- The command ---

// The settings of coala.ini; missing keys get the defaults of the client.
struct Coalaangaben {
  Elsterlieferant lieferant;
  Elsterberater berater;
  std::string ticket = "0000000000";
};
Coalaangaben coala_lesen(const IniDatei& ini, const Mandant& m);
[[nodiscard]] bool coala_schreiben(IniDatei& ini, const Coalaangaben& c);

// "ELSTER - Umsatzsteuervoranmeldung".
class TfCoalaf {
 public:
  explicit TfCoalaf(Mandant& m);
  // False when a check or the user ended the run or no file was written.
  bool ausfuehren();
  TEntryForm& form() { return form_; }

  // The data file of this run (after ausfuehren()).
  const std::string& datei() const { return datei_; }

 private:
  std::optional<std::string> startpruefung();
  void dialog_bauen();
  bool dialog_pruefen(TEntryForm& f);
  bool datei_schreiben(const Elsterkopf& kopf, const std::vector<std::pair<int, Elsterwert>>& kz);

  Mandant& m_;
  TEntryForm form_;
  IniDatei ini_;
  std::string ini_pfad_;
  Coalaangaben angaben_;
  std::string datei_;
};

// Registers command 319.
void elster_registrieren(TFFibu& fibu);

}  // namespace fibu
