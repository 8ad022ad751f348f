// The menu command "Umsatzsteuervoranmeldung": the settings dialog, the
// printed check list ("Steueranmeldung") and the official-form step, which
// hands the form lines to the form printer (years up to 2012) or prints the
// Kennzahlen of the return on plain paper (later years).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "suite/entryform.h"
#include "vat/formularwerte.h"
#include "vat/steuerwerte.h"

namespace fibu {

class Mandant;
class TFFibu;

// Settings of one run (`Anmeldeoptionen`).
struct Anmeldeoptionen {
  int periode_von = 1, periode_bis = 1;
  std::string zeitraum;          // the chosen periods as text
  bool aufschluesselung = true;  // "Aufschlüsselung Konten pro Steuerschlüssel"
  bool runden = true;            // "Umsätze auf volle EU abrunden"
  bool belege = false;           // "Der Voranmeldung sind Belege beigefügt"
  std::string druckhinweis = "Druck einer Übersicht der Umsatzsteuervoranmeldung";
};

// The printer of the official form for 2002 to 2012 and the line of its
// input tax; the program's is amtlicher_formulardrucker(), tests put in
// their own.
struct Formulardrucker {
  std::function<bool(Mandant&, const Formularauftrag&, Formularwerte&)> drucken;
  std::function<int(int jahr)> vorsteuerzeile;
};
Formulardrucker amtlicher_formulardrucker();

// The return of a year after 2012 on plain paper: the Kennzahlen with their
// base and tax, the special prepayment and the remaining payment (Kz 39,
// Kz 83). Lines that have amounts but no Kennzahl in that year are named
// in a message each. Leaves the payment before the special prepayment in
// werte.summe; false when the printer was cancelled.
bool kennzahlen_drucken(Mandant& m, const Formularauftrag& auftrag, Formularwerte& werte);

// The settings the dialog starts with.
Anmeldeoptionen anmeldeoptionen_vorgabe(const Mandant& m);
// "Periode 3: 01.03.2012 - 31.03.2012", "Perioden 1 - 3: ..."
std::string zeitraumtext(const Mandant& m, int von, int bis);

// Prints the check list of `p`, with `anhang` after it (the Kennzahlen of
// the electronic return); false when the printer was cancelled.
bool pruefliste_drucken(Mandant& m, const Anmeldeoptionen& o, const Pruefliste& p,
                        const std::vector<std::string>& anhang = {});

// The official-form step after the check list. False when it ended with a
// message or a cancelled dialog, or nothing was printed.
bool amtliches_formular(Mandant& m, const Anmeldeoptionen& o, const Pruefliste& p,
                        bool windowsdruck, const Formulardrucker& drucker);

// "Sonderauszahlung": the special prepayment for the last period.
class TFSteuerSonder {
 public:
  TFSteuerSonder();
  // The amount in cents; nullopt when cancelled.
  std::optional<Betrag> ausfuehren(Interaktion& ui);
  TEntryForm& form() { return form_; }

 private:
  TEntryForm form_;
};

// "Umsatzsteuervoranmeldung": settings, check list, official form.
class TFSteueranmeldung {
 public:
  TFSteueranmeldung(Mandant& m, bool windowsdruck,
                    Formulardrucker drucker = amtlicher_formulardrucker());
  // False when the dialog was cancelled or the form step did not print.
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  bool windowsdruck_;
  Formulardrucker drucker_;
  TEntryForm form_;
};

// Registers command 311.
void steueranmeldung_registrieren(TFFibu& fibu);

}  // namespace fibu
