// The values of the VAT advance return by line of the official form, as the
// GL accounts give them, and what the form printer needs besides.
#pragma once

#include <array>
#include <utility>
#include <vector>

#include "suite/betrag.h"

namespace fibu {

class Mandant;

// Filled from the GL accounts by their "UST-Zeile" (lines 1..86, the line
// numbers of the 2012 form); the form printer derives the computed taxes
// and accumulates `summe`. Amounts in cents.
struct Formularwerte {
  std::array<Betrag, 87> basis{};   // Bemessungsgrundlage of line L at [L]
  std::array<Betrag, 87> steuer{};  // Steuer of line L at [L]
  Betrag summe = 0;                 // the advance payment, as the printer added it up
  Betrag direkt = 0;                // debit balance of the directly booked tax accounts
};

// One print of the official form.
struct Formularauftrag {
  int monat = 0;      // month of the period's first day
  int jahr = 0;       // year of the period's first day
  int perioden = 12;  // periods of the fiscal year (4: quarterly return)
  bool letzte_periode = false;
  Betrag sondervorauszahlung = 0;  // cents; printed only for the last period
  bool belege = false;             // "Der Voranmeldung sind Belege beigefügt"
};

// Prints the official form of the auftrag's year on blank paper (layouts
// 2002-2004, 2005-2009, 2010-2011, 2012 onward) and leaves the advance
// payment in werte.summe. False when nothing was printed (printer declined,
// no real printer, a question answered with no).
bool steuerformular_drucken(Mandant& m, const Formularauftrag& auftrag, Formularwerte& werte);

// The line of the official form of `jahr` that takes the input tax from
// invoices (where the directly booked input tax goes when it is taken over).
int vorsteuerzeile(int jahr);

// The Kennzahlen of the official form of `jahr` (2002 to 2012) with the
// values the form shows for them: bases in whole euros, taxes as printed
// (owed tax positive, input tax as the amount deducted). The same rules as
// the printed form, for the electronic return.
struct Formularkennzahlen {
  std::vector<std::pair<int, Betrag>> werte;  // by Kennzahl, ascending; only those with a value
  std::vector<int> erlaubt;                   // every Kennzahl of the form, ascending
  std::vector<int> basen;                     // those of them that take a base, ascending
  std::vector<int> ohne_kennzahl;             // lines with values the form has no place for
  Betrag zahlung = 0;                         // the advance payment before a special prepayment
};
Formularkennzahlen formularkennzahlen(int jahr, const Formularwerte& werte);

// The line of the official form of `jahr` (2002 onward) that has the
// Kennzahlen of line `zeile_2012` of the 2012 form; 0 when that form has
// no such line. The chart templates give the lines of the 2012 form; a
// client of an earlier year needs those of its own.
int formularzeile_aus_2012(int jahr, int zeile_2012);

}  // namespace fibu
