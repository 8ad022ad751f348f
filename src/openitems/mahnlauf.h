// Printing dunning letters in a batch ("Mahnungen drucken", command 344):
// the due customer items are selected once, grouped into letters, each
// letter laid out on the page mask MASKE.FIB with the code's text, its
// items and payments, interest and fee, printed in the number of copies
// asked for, and then every item's level and dunning date are written in
// one unit of work.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "openitems/mahnregeln.h"
#include "store/bewegungssaetze.h"
#include "suite/entryform.h"
#include "suite/satz.h"

namespace fibu {

class Mandant;

// MASKE.FIB: the page of a letter with its marks (printed as blanks):
// 0x01 the address block, 0x04 the letter date, 0x10 the item table.
struct Mahnmaske {
  std::vector<std::string> zeilen;  // at most 25 of at most 80 characters
  int adresse_zeile = -1, adresse_spalte = 0;
  int datum_zeile = -1, datum_spalte = 0;
  int posten_zeile = -1;
};
// The mask of the text; nullopt after the documented message when a mark
// is missing.
std::optional<Mahnmaske> mahnmaske(const std::string& text, std::string& fehler);
// The mask of the client, nullopt after the message when there is none.
std::optional<Mahnmaske> mahnmaske_lesen(Mandant& m);

// One item of a letter, with its payments (signed: debit positive).
struct Mahnposten {
  Satz op{OpstammFelder::groesse};
  struct Zahlung {
    Datum datum = kein_datum;
    Betrag betrag = 0;
  };
  std::vector<Zahlung> zahlungen;  // by date
};

struct Mahnbrief {
  std::vector<std::string> briefkopf;
  std::vector<std::string> adresse;  // name, title, street, town
  Datum datum = kein_datum;
  std::string betreff;
  std::vector<std::string> vortext, nachtext;  // deadline filled in
  std::vector<Mahnposten> posten;
  int stufe = 1;
  std::int64_t zinssatz = 0;  // hundredths of a percent
  Betrag gebuehr = 0;
  bool euro = true;
  bool vierstellige_jahre = true;
};
// The lines of a letter on its mask.
std::vector<std::string> mahnbrief_zeilen(const Mahnmaske& maske, const Mahnbrief& b);
// The interest of a letter and what it asks for in all: the items and
// payments, the interest and the fee.
Betrag mahnbrief_zinsen(const Mahnbrief& b);
Betrag mahnbrief_summe(const Mahnbrief& b);

struct Mahndruck {
  Mahnauswahl auswahl;
  bool abfrage = false;  // ask for every item ("Offene Posten mahnen?")
  bool zusammenfassen = true;
  std::string betreff;
  int exemplare = 1;
  std::vector<std::string> briefkopf;
  bool vierstellige_jahre = true;
  // The suite's address directory: ADRESSEN.TXT, whose addresses of
  // letters above level 2 are blocked, and KIS.TXT, the customer
  // information that gets an entry per letter; empty: neither.
  std::string adressverzeichnis;
};

// The customer items due for a letter, in account order.
std::vector<Satz> mahnauswahl(Mandant& m, const Mahnauswahl& a);

// "Offene Posten mahnen?" (`TFOPStammJaNein`): the item as the maintenance
// shows it, not to be changed, and "Soll dieser OP gemahnt werden?" with
// "&Ja" and "&Nein". True for yes.
bool op_mahnen_fragen(Mandant& m, const Satz& op);
// The letters of `gruppen` (indexes into `ops`) in every copy, then the
// new levels and dunning dates of their items in one unit of work (not
// after a preview). False when the printer was cancelled, the mask is
// missing or the items could not be written.
bool briefe_drucken(Mandant& m, std::vector<Satz> ops,
                    const std::vector<std::vector<std::size_t>>& gruppen, const Mahndruck& d);
// The batch run: the selection, its letters, their print.
bool mahnungen_drucken(Mandant& m, const Mahndruck& d);

// "Einzelne OP's mahnen": one customer item by its document number,
// without the days and minimum of its code.
class TFMahnEinzeln {
 public:
  TFMahnEinzeln(Mandant& m, std::vector<std::string> briefkopf, bool vierstellige_jahre,
                std::string adressverzeichnis = {});
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  std::vector<std::string> briefkopf_;
  bool vierstellige_jahre_;
  std::string adressverzeichnis_;
  TEntryForm form_;
};

// "Mahnvorschlagsliste": the items due, each with a mark; the marked ones
// are dunned ("Mahnen &OP"), or all ("&Mahnen alle"), or the list printed.
class TFMahnvorschlag {
 public:
  TFMahnvorschlag(Mandant& m, const Mahndruck& d);
  bool ausfuehren();
  TEntryForm& form() { return form_; }
  // The list as printed ("Mahnvorschlagsliste").
  bool drucken();

 private:
  Reaktion mahnen(bool alle);

  Mandant& m_;
  Mahndruck d_;
  std::vector<Satz> ops_;
  std::vector<bool> markiert_;
  TEntryForm form_;
  bool gemahnt_ = true;
};

// The dialog "Mahnungen drucken".
class TFMahnDruck {
 public:
  // `adressverzeichnis`: the suite's address directory (see Mahndruck).
  TFMahnDruck(Mandant& m, std::vector<std::string> briefkopf, bool vierstellige_jahre,
              std::string adressverzeichnis = {});
  // Prints, or goes on to single dunning ("&Einzelne OP's") or to the
  // proposal list ("&Vorschlag").
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  enum class Weiter { Drucken, Einzeln, Vorschlag };

  Mandant& m_;
  std::vector<std::string> briefkopf_;
  bool vierstellige_jahre_;
  std::string adressverzeichnis_;
  TEntryForm form_;
  Weiter weiter_ = Weiter::Drucken;
};

}  // namespace fibu
