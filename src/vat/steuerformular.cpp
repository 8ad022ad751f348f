// The official form "USt 1 A - Umsatzsteuer-Voranmeldung" on blank paper:
// two pages on a character grid, the layout of the fiscal year (2002-2004,
// 2005-2009, 2010-2011, 2012 onward) chosen from tables, the taxes the form
// computes from a base, and the advance payment added up line by line.
#include "vat/steuerformular.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string>
#include <vector>

#include "frame/basisdaten.h"
#include "frame/mandant.h"
#include "store/kontenbereiche.h"
#include "store/puffer.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"

namespace fibu {

namespace {

using BF = BasisFelder;
using S = SachFelder;
// What a line of the form does with its values.
enum class R {
  Nichts,              // prints nothing
  NurBasis,            // the base
  Satz,                // base, and the tax the form computes from it at the line's rate (added)
  Umgekehrt,           // base, and the booked tax with its sign turned (added)
  WieGebucht,          // base and tax as booked (added)
  GebuchtMitPruefung,  // as WieGebucht, after the message of a line no longer allowed
  Uebertrag,           // page 1: the total so far
  Pruefen,             // page 2: the message when the line holds a value, then the total
  NurPruefen,          // page 2: the message only
  Summe,               // page 2: the total so far
  SchuldMitBasis,      // base, and the tax owed (added)
  SchuldOhneBasis,     // the tax owed (added)
  Vorsteuer,           // input tax (subtracted)
  Sonder,              // the special prepayment of the last period
  Ende,                // the remaining advance payment
};

// The grid: Courier-like characters of the form font, six lines to the inch.
constexpr double spalte_mm = 2.117;
constexpr double zeile_mm = 4.233;
constexpr double rand_links_mm = 8;
constexpr double rand_oben_mm = 6;
constexpr int spalte_basis = 55, spalte_steuer = 74;
// The tax Kennzahl stands just before the tax column, so that a base of
// any width keeps clear of it.
constexpr int spalte_kz_basis = 41, spalte_kz_steuer = 71;
constexpr int mindestzeilen = 62;
// The row of page 1 that carries the total over to page 2.
constexpr int reihe_uebertrag = 59;

const char* const fusszeile_herausgeber =
    "ZEVO Ilvo Marvek GmbH, OFD Stuttgart, 03.02.1999/S 7344 A - 287 - St 36";

// The lines of one page of a layout, as (line, row, Kennzahlen, rule).
// A line may be given twice for different years of the layout.
struct Eintrag {
  int zeile;
  int reihe;
  int kz_basis;
  int kz_steuer;
  R regel;
  int satz = 0;  // percent, for R::Satz
  int von_jahr = 0, bis_jahr = 9999;
};

// The texts beside the lines, by Kennzahl; the rate lines are made from
// their rate.
const char* kennzahltext(int kz) {
  switch (kz) {
    case 41:
      return "Innergem. Lieferungen an Abnehmer mit USt-IdNr.";
    case 44:
      return "neuer Fahrzeuge an Abnehmer ohne USt-IdNr.";
    case 49:
      return "neuer Fahrzeuge außerhalb eines Unternehmens (§2a UStG)";
    case 43:
      return "Weitere steuerfreie Umsätze mit Vorsteuerabzug";
    case 48:
      return "Umsätze nach §4 Nr. 8 bis 28 UStG";
    case 35:
      return "Umsätze zu anderen Steuersätzen";
    case 77:
      return "Lieferung land- und forstwirtschaftl.Betriebe n. §24 UStG";
    case 76:
      return "Umsätze, für die eine Steuer nach §24 UStG zu entrichten ist";
    case 91:
      return "Erwerbe nach §4b UStG";
    case 95:
      return "zu anderen Steuersätzen";
    case 94:
      return "neuer Fahrzeuge v.Lief.o.USt-IdNr.z.allg.Steuersatz";
    case 42:
      return "Lief. d. erst. Abnehm. b.i.g.Dreiecksge.(§25b Abs.2 UStG)";
    case 68:
      return "Stpf.Umsätze im Sinne §13b Abs.5 Satz 1 i.V.m Abs. 2 Nr. 10 ";
    case 60:
      return "übrige Steuerpflichtige Umsätze im Sinne §13b Abs. 5 UStG";
    case 21:
      return "Nicht steuerbare sonstige Leistungen gem §18 Satz1 Nr.2";
    case 45:
      return "Übrige Nicht steuerbare Umsätze (L-Ort nicht im Inland)";
    case 46:
      return "Sonstige Leistungen eines im übrigen Gemeinschaftsgebiet ansässigen Unternehmers";
    case 52:
      return "Andere Leistungen eines im Ausland ansässigen Unternehmers (§13b UStG)";
    case 73:
      return "die unter das GrEStG fallen ($13b Abs.2 Nr.2-3 UStG)";
    case 78:
      return "Schaltkreisen (§13b Abs. 2 Nr. 10  UStG)";
    case 84:
      return "(§13b Abs.2 Nr.4, 6 bis 9 UStG)";
    case 57:
      return "Leistungen, für die der Leistungsempfänger die Steuer schuldet (§13b UStG)";
    case 65:
      return "Steuer infolge Wechsels der Besteuerungsform";
    case 66:
      return "Vorsteuerbeträge aus Rechnungen von anderen Unternehmern";
    case 61:
      return "Vorsteuerbeträge aus d. innergemeinschaftl. Erwerb v. Gegenständen (§15 Abs.1 "
             "Satz 1 Nr.3 UStG)";
    case 62:
      return "Entrichtete Einfuhrumsatzsteuer (§15 Abs. 1 Satz 1 Nr. 2 UStG)";
    case 67:
      return "Vorsteuerbeträge aus Leistungen im Sinne des §13b UStG";
    case 63:
      return "Vorsteuerbeträge, die nach allgemeinen Durchschnittssätzen berechnet sind (§§23 "
             "und 23a UStG)  ..";
    case 64:
      return "Berichtigung des Vorsteuerabzugs (§15a UStG)";
    case 59:
      return "Vorsteuerabzug für innergemeinschaftliche Lieferungen neuer Fahrzeuge außerhalb "
             "eines";
    case 69:
      return "Andere Steuerbeträge";
    case 39:
      return "Anrechnung (Abzug) der festgesetzten Sondervorauszahlung für "
             "Dauerfristverlängerung";
    case 83:
      return "Verbleibende Umsatzsteuer-Vorauszahlung";
    default:
      return "";
  }
}

// The texts of the lines without Kennzahl.
const char* zeilentext(R regel) {
  switch (regel) {
    case R::Uebertrag:
      return "Übertrag";
    case R::Ende:
      return "Verbleibende Umsatzsteuer-Vorauszahlung";
    default:
      return "";
  }
}

struct Seitenplan {
  std::vector<Eintrag> eintraege;
  // Texts of the lines that carry the running total on page 2, by line.
  std::vector<std::pair<int, const char*>> summentexte;
};

struct Vordruck {
  int von_jahr, bis_jahr;
  Seitenplan seite1, seite2;
  const char* pruefjahr;  // the year the check message names
};

// 2012 onward.
const Vordruck vordruck_2012 = {
    2012,
    9999,
    {{{20, 29, 41, 0, R::NurBasis},   {21, 30, 44, 0, R::NurBasis},
      {22, 31, 49, 0, R::NurBasis},   {23, 32, 43, 0, R::NurBasis},
      {24, 34, 48, 0, R::NurBasis},   {25, 0, 0, 0, R::Nichts},
      {26, 37, 81, 0, R::Satz, 19},   {27, 38, 86, 0, R::Satz, 7},
      {28, 39, 35, 36, R::Umgekehrt}, {29, 40, 77, 0, R::NurBasis},
      {30, 41, 76, 80, R::Umgekehrt}, {31, 0, 0, 0, R::Nichts},
      {32, 45, 91, 0, R::NurBasis},   {33, 47, 89, 0, R::Satz, 19},
      {34, 48, 93, 0, R::Satz, 7},    {35, 49, 95, 98, R::Umgekehrt},
      {36, 50, 94, 96, R::Umgekehrt}, {37, 0, 0, 0, R::Nichts},
      {38, 52, 42, 0, R::NurBasis},   {39, 53, 68, 0, R::NurBasis},
      {40, 54, 60, 0, R::NurBasis},   {41, 55, 21, 0, R::NurBasis},
      {42, 56, 45, 0, R::NurBasis},   {43, 59, 0, 0, R::Uebertrag}},
     {}},
    {{{45, 3, 0, 0, R::Pruefen},
      {46, 0, 0, 0, R::Nichts},
      {47, 0, 0, 0, R::Nichts},
      {48, 7, 46, 47, R::SchuldMitBasis},
      {49, 9, 52, 53, R::SchuldMitBasis},
      {50, 11, 73, 74, R::SchuldMitBasis},
      {51, 13, 78, 79, R::SchuldMitBasis},
      {52, 15, 84, 85, R::SchuldMitBasis},
      {53, 16, 0, 65, R::SchuldOhneBasis},
      {54, 18, 0, 0, R::Pruefen},
      {55, 0, 0, 0, R::Nichts},
      {56, 22, 0, 66, R::Vorsteuer},
      {57, 23, 0, 61, R::Vorsteuer},
      {58, 24, 0, 62, R::Vorsteuer},
      {59, 25, 0, 67, R::Vorsteuer},
      {60, 26, 0, 63, R::Vorsteuer},
      {61, 27, 0, 64, R::Vorsteuer},
      {62, 29, 0, 59, R::Vorsteuer},
      {63, 30, 0, 0, R::Pruefen},
      {64, 0, 0, 0, R::Nichts},
      {65, 34, 0, 69, R::SchuldOhneBasis},
      {66, 0, 0, 0, R::Nichts},
      {67, 37, 0, 39, R::Sonder},
      {68, 38, 0, 83, R::Ende}},
     {{45, "Übertrag"}, {54, "Umsatzsteuer"}, {63, "Verbleibender Betrag"}}},
    "2012"};

// 2010 and 2011.
const Vordruck vordruck_2010 = {
    2010,
    2011,
    {{{21, 30, 41, 0, R::NurBasis},   {22, 31, 44, 0, R::NurBasis},
      {23, 32, 49, 0, R::NurBasis},   {24, 33, 43, 0, R::NurBasis},
      {25, 35, 48, 0, R::NurBasis},   {26, 0, 0, 0, R::Nichts},
      {27, 38, 81, 0, R::Satz, 19},   {28, 39, 86, 0, R::Satz, 7},
      {29, 40, 35, 36, R::Umgekehrt}, {30, 42, 77, 0, R::NurBasis},
      {31, 43, 76, 80, R::Umgekehrt}, {32, 0, 0, 0, R::Nichts},
      {33, 46, 91, 0, R::NurBasis},   {34, 48, 89, 0, R::Satz, 19},
      {35, 49, 93, 0, R::Satz, 7},    {36, 50, 95, 98, R::Umgekehrt},
      {37, 51, 94, 96, R::Umgekehrt}, {38, 0, 0, 0, R::Nichts},
      {39, 53, 42, 0, R::NurBasis},   {40, 54, 60, 0, R::NurBasis},
      {41, 55, 21, 0, R::NurBasis},   {42, 56, 45, 0, R::NurBasis},
      {43, 59, 0, 0, R::Uebertrag}},
     {}},
    {{{45, 3, 0, 0, R::Pruefen},
      {46, 0, 0, 0, R::Nichts},
      {47, 0, 0, 0, R::Nichts},
      {48, 7, 46, 47, R::SchuldMitBasis},
      {49, 9, 52, 53, R::SchuldMitBasis},
      {50, 11, 73, 74, R::SchuldMitBasis},
      {51, 13, 84, 85, R::SchuldMitBasis},
      {52, 15, 0, 65, R::SchuldOhneBasis},
      {53, 16, 0, 0, R::Pruefen},
      {54, 0, 0, 0, R::Nichts},
      {55, 20, 0, 66, R::Vorsteuer},
      {56, 21, 0, 61, R::Vorsteuer},
      {57, 22, 0, 62, R::Vorsteuer},
      {58, 23, 0, 67, R::Vorsteuer},
      {59, 24, 0, 63, R::Vorsteuer},
      {60, 25, 0, 64, R::Vorsteuer},
      {61, 27, 0, 59, R::Vorsteuer},
      {62, 28, 0, 0, R::Pruefen},
      {63, 0, 0, 0, R::Nichts},
      {64, 32, 0, 69, R::SchuldOhneBasis},
      {65, 0, 0, 0, R::Nichts},
      {66, 35, 0, 39, R::Sonder},
      {67, 36, 0, 83, R::Ende}},
     {{45, "Übertrag"}, {53, "Umsatzsteuer"}, {62, "Verbleibender Betrag"}}},
    "2005"};

// 2005 to 2009: the general rate is 16 % up to 2006, 19 % from 2007.
const Vordruck vordruck_2005 = {
    2005,
    2009,
    {{{21, 30, 41, 0, R::NurBasis},
      {22, 31, 44, 0, R::NurBasis},
      {23, 32, 49, 0, R::NurBasis},
      {24, 33, 43, 0, R::NurBasis},
      {25, 35, 48, 0, R::NurBasis},
      {26, 37, 0, 0, R::Nichts},
      {27, 38, 51, 0, R::Satz, 16, 0, 2006},
      {27, 38, 81, 0, R::Satz, 19, 2007},
      {28, 39, 86, 0, R::Satz, 7},
      {29, 40, 35, 36, R::Umgekehrt},
      {30, 0, 0, 0, R::Nichts},
      {31, 43, 77, 0, R::NurBasis},
      {32, 44, 76, 80, R::Umgekehrt},
      {33, 0, 0, 0, R::Nichts},
      {34, 47, 91, 0, R::NurBasis},
      {35, 49, 97, 0, R::Satz, 16, 0, 2006},
      {35, 49, 89, 0, R::Satz, 19, 2007},
      {36, 50, 93, 0, R::Satz, 7},
      {37, 51, 95, 98, R::Umgekehrt},
      {38, 52, 94, 96, R::Umgekehrt},
      {39, 0, 0, 0, R::Nichts},
      {40, 54, 42, 0, R::NurBasis},
      {41, 56, 60, 0, R::NurBasis},
      {42, 57, 45, 0, R::NurBasis},
      {43, 59, 0, 0, R::Uebertrag}},
     {}},
    {{{45, 4, 0, 0, R::Pruefen},
      {46, 0, 0, 0, R::Nichts},
      {47, 0, 0, 0, R::Nichts},
      {48, 8, 52, 53, R::SchuldMitBasis},
      {49, 10, 73, 74, R::SchuldMitBasis},
      {50, 12, 84, 85, R::SchuldMitBasis},
      {51, 0, 0, 0, R::Nichts},
      {52, 15, 0, 65, R::SchuldOhneBasis},
      {53, 16, 0, 0, R::Pruefen},
      {54, 0, 0, 0, R::Nichts},
      {55, 20, 0, 66, R::Vorsteuer},
      {56, 21, 0, 61, R::Vorsteuer},
      {57, 22, 0, 62, R::Vorsteuer},
      {58, 23, 0, 67, R::Vorsteuer},
      {59, 24, 0, 63, R::Vorsteuer},
      {60, 25, 0, 64, R::Vorsteuer},
      {61, 27, 0, 59, R::Vorsteuer},
      {62, 28, 0, 0, R::Pruefen},
      {63, 0, 0, 0, R::Nichts},
      {64, 32, 0, 69, R::SchuldOhneBasis},
      {65, 0, 0, 0, R::Nichts},
      {66, 35, 0, 39, R::Sonder},
      {67, 36, 0, 83, R::Ende}},
     {{45, "Übertrag"}, {53, "Umsatzsteuer"}, {62, "Verbleibender Betrag"}}},
    "2005"};

// 2002 to 2004. Lines 40 and 42 have their places on the form and are
// printed like their neighbours, so that no value of them is lost.
const Vordruck vordruck_2002 = {
    0,
    2004,
    {{{21, 30, 41, 0, R::NurBasis},
      {22, 31, 44, 0, R::NurBasis},
      {23, 32, 49, 0, R::NurBasis},
      {24, 33, 43, 0, R::NurBasis},
      {25, 35, 48, 0, R::NurBasis},
      {26, 0, 0, 0, R::Nichts},
      {27, 37, 0, 0, R::GebuchtMitPruefung},
      {28, 39, 51, 0, R::Satz, 16},
      {29, 40, 86, 0, R::Satz, 7},
      {30, 41, 35, 36, R::Umgekehrt},
      {31, 0, 0, 0, R::Nichts},
      {32, 44, 77, 0, R::NurBasis},
      {33, 45, 76, 80, R::Umgekehrt},
      {34, 0, 0, 0, R::Nichts},
      {35, 48, 91, 0, R::NurBasis},
      {36, 49, 0, 0, R::GebuchtMitPruefung},
      {37, 50, 97, 0, R::Satz, 16},
      {38, 51, 93, 0, R::Satz, 7},
      {39, 52, 95, 98, R::Umgekehrt},
      {40, 54, 94, 96, R::Umgekehrt},
      {41, 0, 0, 0, R::Nichts},
      {42, 57, 42, 0, R::NurBasis},
      {43, 59, 0, 0, R::Uebertrag}},
     {}},
    {{{45, 4, 0, 0, R::Pruefen},
      {46, 0, 0, 0, R::Nichts},
      {47, 0, 0, 0, R::NurPruefen},
      {48, 9, 54, 0, R::Satz, 16},
      {49, 10, 55, 0, R::Satz, 7},
      {50, 11, 57, 58, R::SchuldMitBasis},
      {51, 12, 45, 0, R::NurPruefen, 0, 0, 2002},
      {51, 12, 45, 0, R::NurBasis, 0, 2003},
      {52, 14, 0, 65, R::SchuldOhneBasis},
      {53, 15, 0, 0, R::Pruefen},
      {54, 0, 0, 0, R::Nichts},
      {55, 18, 0, 66, R::Vorsteuer},
      {56, 19, 0, 61, R::Vorsteuer},
      {57, 20, 0, 62, R::Vorsteuer},
      {58, 21, 0, 67, R::Vorsteuer},
      {59, 22, 0, 63, R::Vorsteuer},
      {60, 23, 0, 64, R::Vorsteuer},
      {61, 24, 0, 59, R::Vorsteuer},
      {62, 26, 0, 0, R::Summe},
      {63, 0, 0, 0, R::Nichts},
      {64, 29, 0, 69, R::SchuldOhneBasis},
      {65, 0, 0, 0, R::Nichts},
      {66, 33, 0, 39, R::Sonder},
      {67, 34, 0, 83, R::Ende}},
     {{45, "Übertrag"}, {53, "Umsatzsteuer"}, {62, "Verbleibender Betrag"}}},
    "2002"};

// What a line of the form takes from its values: the base, the tax shown
// in its tax column and what it adds to the advance payment.
struct Zeilenbetrag {
  Betrag basis = 0, steuer = 0, zahlung = 0;
};
Zeilenbetrag zeilenbetrag(const Eintrag& e, const Formularwerte& w) {
  const Betrag b = w.basis[static_cast<std::size_t>(e.zeile)];
  const Betrag t = w.steuer[static_cast<std::size_t>(e.zeile)];
  switch (e.regel) {
    case R::NurBasis:
      return {b, 0, 0};
    case R::Satz: {
      // The rate on the whole euros of the base.
      const Betrag steuer = (b / 100) * 100 * e.satz / 100;
      return {b, steuer, steuer};
    }
    case R::Umgekehrt:
      return {b, -t, -t};
    case R::WieGebucht:
    case R::GebuchtMitPruefung:
      return {b, t, t};
    case R::SchuldMitBasis:
      return {b, -t, -t};
    case R::SchuldOhneBasis:
      // A tax owed is booked as a credit: its debit balance is negative
      // and raises the payment like every other tax owed.
      return {0, -t, -t};
    case R::Vorsteuer:
      return {0, t, -t};
    default:
      return {};
  }
}

const Vordruck& vordruck_fuer(int jahr) {
  if (jahr >= 2012) return vordruck_2012;
  if (jahr >= 2010) return vordruck_2010;
  if (jahr >= 2005) return vordruck_2005;
  return vordruck_2002;
}

// Lines of the GL accounts the form of a year no longer knows.
std::vector<int> ungueltige_zeilen(int jahr) {
  switch (jahr) {
    case 2002:
      return {27, 36, 45, 47, 51, 53};
    case 2003:
      return {27, 36, 45, 47, 53};
    case 2005:
      return {20, 26, 30, 33, 39, 45, 46, 47, 51, 53, 54, 62, 63, 65};
    default:
      return {};
  }
}

const char* const monatsnamen[] = {"Januar",    "Februar", "März",     "April",
                                   "Mai",       "Juni",    "Juli",     "August",
                                   "September", "Oktober", "November", "Dezember"};

std::string zweistellig(int n) {
  const std::string s = std::to_string(n % 100);
  return s.size() < 2 ? "0" + s : s;
}

std::string ohne_fuehrende_blanks(const std::string& s) {
  const auto p = s.find_first_not_of(' ');
  return p == std::string::npos ? std::string() : s.substr(p);
}

// The amount columns: the base in whole euros (truncated), the tax with cents.
std::string euro_text(Betrag b) {
  const std::string t =
      ohne_fuehrende_blanks(format_maske((b / 100) * 100, 2, "###.###.###.###,##"));
  return t.substr(0, t.size() - 3);
}
std::string cent_text(Betrag b) {
  return ohne_fuehrende_blanks(format_maske(b, 2, "###.###.###.###,##"));
}

// One print of the form: the grid primitives over the print job and the
// running total.
class Formular {
 public:
  Formular(Mandant& m, const Formularauftrag& auftrag, Formularwerte& werte)
      : m_(m), a_(auftrag), w_(werte), v_(vordruck_fuer(auftrag.jahr)), d_(m.ui()) {}

  bool drucken() {
    if (!zeilen_pruefen()) return false;
    if (!d_.open_drucker_hinweis(
            "Druck der Umsatzsteuervoranmeldung zur Abgabe an das Finanzamt (auf Blankopapier)",
            "Umsatzsteuervoranmeldung"))
      return false;
    const Druckziel ziel = d_.auftrag().ziel;
    if (ziel != Druckziel::Drucker && ziel != Druckziel::Pdf) {
      m_.ui().ShowMessageMain("Bitte wählen Sie einen echten Drucker aus!");
      return false;  // the job is dropped unprinted
    }
    if (d_.zeilen_pro_seite() < mindestzeilen &&
        !m_.ui().JaNein2("Der Druck paßt wahrscheinlich nicht auf eine Seite!\r\rTrotzdem "
                         "fortfahren?"))
      return false;
    w_.summe = 0;
    seite1();
    d_.neue_seite();
    seite2();
    nicht_gedruckte_melden();
    d_.close_drucker();
    return true;
  }

 private:
  // --- grid primitives ---
  void an(int spalte, int reihe, const std::string& text, Schrift schrift = Schrift::Normal) {
    if (spalte < 0) throw std::logic_error("Negative Druckkoordinate X!");
    if (reihe < 0) throw std::logic_error("Negative Druckkoordinate Y!");
    if (text.empty()) return;
    const Schrift vorher = d_.aktuelle_schrift();
    d_.schrift(schrift);
    d_.drucke_an(rand_links_mm + (spalte - 1) * spalte_mm, rand_oben_mm + (reihe - 1) * zeile_mm,
                 text);
    d_.schrift(vorher);
  }
  void fett(int spalte, int reihe, const std::string& text) {
    an(spalte, reihe, text, Schrift::Fett);
  }

  void basis_drucken(int seite, const Eintrag* e, int zeile, Betrag b) {
    if (b == 0) return;
    if (!e || e->reihe == 0) return mapping_fehler(seite, 1, zeile);
    an(spalte_basis, e->reihe, euro_text(b));
  }
  void steuer_drucken(int seite, const Eintrag* e, int zeile, Betrag t) {
    if (t == 0) return;
    if (!e || e->reihe == 0) return mapping_fehler(seite, 2, zeile);
    an(spalte_steuer, e->reihe, cent_text(t));
  }
  void mapping_fehler(int seite, int spalte, int zeile) {
    m_.ui().ShowMessageMain("Mapping-Fehler: Seite" + std::to_string(seite) + ", Spalte" +
                            std::to_string(spalte) + ", Zeile " + std::to_string(zeile));
  }

  // --- before printing ---
  // GL accounts on lines the form of the year no longer has.
  bool zeilen_pruefen() {
    const std::vector<int> ungueltig = ungueltige_zeilen(a_.jahr);
    if (ungueltig.empty()) return true;
    int anzahl = 0;
    std::string liste;
    Puffer puffer(m_.sach.get());
    std::string k;
    for (bool ok = m_.sach->suche_ab(1, k) && m_.sach->suchen(k); ok;
         ok = m_.sach->lies_weiter(1, k)) {
      const int zeile = m_.sach->satz().get(S::UstZeile);
      if (std::find(ungueltig.begin(), ungueltig.end(), zeile) == ungueltig.end()) continue;
      ++anzahl;
      if (a_.jahr == 2005 && liste.size() < 60)
        liste += (liste.empty() ? "" : ";") + trim(m_.sach->satz().get(S::Kontonummer));
    }
    if (anzahl == 0) return true;
    const std::string frage =
        "Sie haben bei " + std::to_string(anzahl) +
        " Sachkonten ungültige Zeilen zur USt-Voranmeldung " + std::to_string(a_.jahr) + ".\r" +
        (a_.jahr == 2005 ? "(Konto : " + liste + ")\r" : "") +
        "Zu weiteren Informationen wählen Sie den Hilfebutton.\rVoranmeldung trotzdem drucken ?";
    return m_.ui().JaNeinHilfe(frage) == Antwort::Ja;
  }

  // --- page 1 ---
  void seite1() {
    rahmen1();
    kopf1();
    for (const Eintrag& e : v_.seite1.eintraege) {
      if (a_.jahr < e.von_jahr || a_.jahr > e.bis_jahr) continue;
      gedruckt_[static_cast<std::size_t>(e.zeile)] = e.regel != R::Nichts;
      const Zeilenbetrag z = zeilenbetrag(e, w_);
      switch (e.regel) {
        case R::NurBasis:
          basis_drucken(1, &e, e.zeile, z.basis);
          break;
        case R::Satz:
        case R::Umgekehrt:
        case R::WieGebucht:
        case R::GebuchtMitPruefung:
          if (e.regel == R::GebuchtMitPruefung && z.basis != 0) zeile_pruefen(e.zeile);
          basis_drucken(1, &e, e.zeile, z.basis);
          steuer_drucken(1, &e, e.zeile, z.steuer);
          w_.summe += z.zahlung;
          break;
        case R::Uebertrag:
          steuer_drucken(1, &e, e.zeile, w_.summe);
          break;
        default:
          break;
      }
    }
  }

  void rahmen1() {
    fett(1, 3, "Zeile");
    an(41, 3, "Eingangsstempel oder -datum");
    an(10, 9, "Finanzamt");
    an(41, 14, "Voranmeldungszeitraum");
    an(10, 18, "Unternehmen - Art und Anschrift");
    an(41, 20, "Berichtigte Anmeldung");
    an(41, 22, "Belege sind beigefügt.");
    an(41, 23, "(falls ja,1 eintragen)", Schrift::Klein);
    fett(1, 25, "I. Anmeldung der Umsatzsteuer-Vorauszahlung");
    an(45, 26, "Bemessungsgrundlage");
    an(45, 27, "   volle   EUR   ");
    an(68, 26, "Steuer");
    an(64, 27, "       EUR           Ct");
    zeilentexte(v_.seite1);
    // The carry-over row: after the line number, dots up to the hint.
    an(4, reihe_uebertrag, "Übertrag" + std::string(32, '.'));  // to column 43
    an(45, reihe_uebertrag, "zu übertragen in Zeile 45");
    fusszeile(61);
  }

  void kopf1() {
    fett(1, 5, "Umsatzsteuer-Voranmeldung " + std::to_string(a_.jahr));
    const std::string zeitraum =
        a_.perioden == 4 ? std::to_string(a_.monat / 3) + ". Quartal " + std::to_string(a_.jahr)
                         : std::string(monatsnamen[std::clamp(a_.monat, 1, 12) - 1]) + " " +
                               std::to_string(a_.jahr);
    fett(41 - static_cast<int>(zeichenzahl(zeitraum)) / 2, 12, zeitraum);
    an(41, 16, steuernummernzeile(m_.basis, a_.jahr, a_.monat));
    const Satz& b = m_.basis;
    an(10, 10, trim(b.get(BF::Finanzamt)));
    an(10, 11, trim(b.get(BF::FaStrasse)));
    an(10, 13, trim(b.get(BF::FaOrt)));
    an(10, 19, trim(b.get(BF::Name)));
    an(10, 20, trim(b.get(BF::Strasse)));
    an(10, 22, trim(b.get(BF::PlzOrt)));
    if (a_.jahr >= 2006 && a_.belege) an(63, 22, "1");
  }

  // The text of each line and its Kennzahlen.
  void zeilentexte(const Seitenplan& seite) {
    for (const Eintrag& e : seite.eintraege) {
      if (e.reihe == 0 || e.regel == R::Nichts || a_.jahr < e.von_jahr || a_.jahr > e.bis_jahr)
        continue;
      an(1, e.reihe, zweistellig(e.zeile));
      std::string text =
          e.regel == R::Satz ? satztext(e) : kennzahltext(e.kz_basis ? e.kz_basis : e.kz_steuer);
      for (const auto& [zeile, summentext] : seite.summentexte)
        if (zeile == e.zeile) text = summentext;
      if (text.empty()) text = zeilentext(e.regel);
      // Cut to end before the Kennzahl of the base; the frame labels the
      // carry-over row of page 1 itself.
      if (!(&seite == &v_.seite1 && e.reihe == reihe_uebertrag))
        an(4, e.reihe, kopy(text, 1, spalte_kz_basis - 5), Schrift::Klein);
      if (e.kz_basis) an(spalte_kz_basis, e.reihe, std::to_string(e.kz_basis));
      if (e.kz_steuer) an(spalte_kz_steuer, e.reihe, std::to_string(e.kz_steuer));
    }
  }

  std::string satztext(const Eintrag& e) const {
    std::string satz = std::to_string(e.satz);
    if (satz.size() < 2) satz = " " + satz;
    return "zum Steuersatz von " + satz + (a_.jahr == 2005 ? " v.H." : " %");
  }

  // Too long for one line of the page: the publisher's part goes below.
  void fusszeile(int reihe) {
    an(6, reihe, "USt 1 A - Umsatzsteuer-Voranmeldung " + std::to_string(a_.jahr) + " - ",
       Schrift::Klein);
    an(6, reihe + 1, fusszeile_herausgeber, Schrift::Klein);
  }

  // --- page 2 ---
  void seite2() {
    fett(1, 1, "Umsatzsteuer-Voranmeldung " + std::to_string(a_.jahr) + " - Seite 2");
    zeilentexte(v_.seite2);
    fusszeile(63);
    for (const Eintrag& e : v_.seite2.eintraege) {
      if (a_.jahr < e.von_jahr || a_.jahr > e.bis_jahr) continue;
      gedruckt_[static_cast<std::size_t>(e.zeile)] = e.regel != R::Nichts;
      const Betrag b = w_.basis[static_cast<std::size_t>(e.zeile)];
      const Betrag t = w_.steuer[static_cast<std::size_t>(e.zeile)];
      switch (e.regel) {
        case R::Pruefen:
          if (b + t != 0) zeile_pruefen(e.zeile);
          steuer_drucken(2, &e, e.zeile, w_.summe);
          break;
        case R::NurPruefen:
          if (b + t != 0) zeile_pruefen(e.zeile);
          break;
        case R::Summe:
          steuer_drucken(2, &e, e.zeile, w_.summe);
          break;
        case R::NurBasis:
        case R::Satz:
        case R::SchuldMitBasis:
        case R::SchuldOhneBasis:
        case R::Vorsteuer: {
          const Zeilenbetrag z = zeilenbetrag(e, w_);
          basis_drucken(2, &e, e.zeile, z.basis);
          steuer_drucken(2, &e, e.zeile, z.steuer);
          w_.summe += z.zahlung;
          break;
        }
        case R::Sonder:
          if (a_.letzte_periode) steuer_drucken(2, &e, e.zeile, a_.sondervorauszahlung);
          break;
        case R::Ende:
          steuer_drucken(2, &e, e.zeile,
                         a_.letzte_periode ? w_.summe - a_.sondervorauszahlung : w_.summe);
          break;
        default:
          break;
      }
    }
  }

  void zeile_pruefen(int zeile) {
    m_.ui().ShowMessageMain("Es gibt Sachkonten mit der UST-Zeile " + std::to_string(zeile) +
                            " !\rIn " + v_.pruefjahr +
                            " nicht mehr zulässig. Bitte in den Sachkonten korrigieren.");
  }

  // Values on lines the form of the year has no place for are named, not
  // dropped without a word.
  void nicht_gedruckte_melden() {
    std::string liste;
    for (std::size_t l = 1; l < w_.basis.size(); ++l)
      if ((w_.basis[l] != 0 || w_.steuer[l] != 0) && !gedruckt_[l])
        liste += (liste.empty() ? "" : ", ") + std::to_string(l);
    if (!liste.empty())
      m_.ui().ShowMessageMain("Werte der UST-Zeilen " + liste + " haben im Formular " +
                              std::to_string(a_.jahr) + " keinen Platz und fehlen im Druck!");
  }

  Mandant& m_;
  const Formularauftrag& a_;
  Formularwerte& w_;
  const Vordruck& v_;
  Ausgabe3 d_;
  std::array<bool, 87> gedruckt_{};
};

// The digits of the tax number in the layout of the federal states.
struct Landesformat {
  const char* land;
  const char* einheitlich;  // the first digits of the nationwide 13-digit number
  const char* vorziffer;    // what the state's own number puts before the office number
  const char* fuehrend;
  std::vector<int> gruppen;
  const char* folgend;
};

const std::vector<Landesformat>& landesformate() {
  static const std::vector<Landesformat> formate = {
      {"Hamburg", "22", "", "    11  ", {2, 3, 5}, "   57   "},
      {"Schleswig-Holstein", "21", "", "    11  ", {2, 3, 5}, "   57   "},
      {"Bremen", "24", "", "    11  ", {2, 3, 5}, "   57   "},
      {"Niedersachsen", "23", "", "    11  ", {2, 3, 5}, "   57   "},
      {"Nordrhein-Westfalen", "5", "", "       ", {3, 4, 4}, " 215711 "},
      {"Hessen", "26", "", "    11  ", {2, 3, 5}, "   57   "},
      {"Rheinland-Pfalz", "27", "", "    11  ", {2, 3, 5}, "   57   "},
      {"Saarland", "10", "0", "    11 ", {3, 3, 5}, "   57   "},
      {"Baden-Württemberg", "28", "", "    11  ", {2, 3, 5}, "   57   "},
      {"Bayern", "9", "", "    11 ", {3, 3, 5}, "   57   "},
      {"Berlin", "11", "", "    11     ", {3, 5}, "   57   "},
      {"Brandenburg", "30", "0", "    11 ", {3, 3, 5}, "   57   "},
      {"Mecklenburg-Vorpommern", "40", "0", "    11 ", {3, 3, 5}, "   57   "},
      {"Sachsen", "32", "2", "    11 ", {3, 3, 5}, "   57   "},
      {"Sachsen-Anhalt", "31", "1", "    11 ", {3, 3, 5}, "   57   "},
      {"Thüringen", "41", "1", "    11 ", {3, 3, 5}, "   57   "},
  };
  return formate;
}

}  // namespace

std::string steuernummer_des_landes(const std::string& eingabe, int bundesland) {
  std::string ziffern;
  for (char c : eingabe)
    if (std::isdigit(static_cast<unsigned char>(c))) ziffern.push_back(c);
  if (bundesland < 1 || bundesland > static_cast<int>(bundeslaender.size()) || ziffern.size() != 13)
    return ziffern;
  const std::string land = bundeslaender[static_cast<std::size_t>(bundesland - 1)];
  for (const Landesformat& f : landesformate()) {
    if (land != f.land) continue;
    const std::string einheitlich = f.einheitlich;
    // 13 digits: state code, office number (four digits in all), a 0, then
    // district and distinguishing number with the check digit.
    if (ziffern.compare(0, einheitlich.size(), einheitlich) != 0 || ziffern[4] != '0')
      return ziffern;
    return f.vorziffer + ziffern.substr(einheitlich.size(), 4 - einheitlich.size()) +
           ziffern.substr(5);
  }
  return ziffern;
}

std::string steuernummernzeile(const Satz& basis, int jahr, int monat) {
  const int bundesland = basis.get(BF::FaBundesland);
  const std::string ziffern = steuernummer_des_landes(basis.get(BF::Steuernummer), bundesland);
  const Landesformat* format = nullptr;
  if (bundesland >= 1 && bundesland <= static_cast<int>(bundeslaender.size()))
    for (const Landesformat& f : landesformate())
      if (bundeslaender[static_cast<std::size_t>(bundesland - 1)] == std::string(f.land))
        format = &f;
  std::string zeile;
  if (format) {
    // The groups are taken from the right; digits beyond them make one
    // more group in front, so that none is lost.
    std::vector<std::string> gruppen;
    std::size_t ende = ziffern.size();
    for (auto g = format->gruppen.rbegin(); g != format->gruppen.rend() && ende > 0; ++g) {
      const std::size_t laenge = std::min<std::size_t>(static_cast<std::size_t>(*g), ende);
      gruppen.insert(gruppen.begin(), ziffern.substr(ende - laenge, laenge));
      ende -= laenge;
    }
    if (ende > 0) gruppen.insert(gruppen.begin(), ziffern.substr(0, ende));
    std::string mitte;
    for (const std::string& g : gruppen) mitte += (mitte.empty() ? "" : " ") + g;
    zeile = format->fuehrend + mitte + format->folgend;
  } else {
    zeile = ziffern + " ";
  }
  return zeile + zweistellig(jahr) + zweistellig(monat);
}

int vorsteuerzeile(int jahr) {
  return jahr >= 2012 ? 56 : 55;
}

int formularzeile_aus_2012(int jahr, int zeile_2012) {
  const auto eintrag = [](const Vordruck& v, int j, auto passt) -> const Eintrag* {
    for (const Seitenplan* s : {&v.seite1, &v.seite2})
      for (const Eintrag& e : s->eintraege)
        if (j >= e.von_jahr && j <= e.bis_jahr && passt(e)) return &e;
    return nullptr;
  };
  const Eintrag* neu =
      eintrag(vordruck_2012, 2012, [&](const Eintrag& e) { return e.zeile == zeile_2012; });
  if (!neu || (neu->kz_basis == 0 && neu->kz_steuer == 0)) return 0;
  if (jahr >= 2012) return zeile_2012;
  // The same Kennzahlen (the base's decides, else the tax's) on the
  // year's own form.
  const Eintrag* alt = eintrag(vordruck_fuer(jahr), jahr, [&](const Eintrag& e) {
    return neu->kz_basis != 0 ? e.kz_basis == neu->kz_basis : e.kz_steuer == neu->kz_steuer;
  });
  return alt ? alt->zeile : 0;
}

Formularkennzahlen formularkennzahlen(int jahr, const Formularwerte& werte) {
  Formularkennzahlen k;
  const Vordruck& v = vordruck_fuer(jahr);
  std::array<bool, 87> belegt{};
  auto eintragen = [&](int kz, Betrag wert) {
    if (kz == 0) return;
    auto it = std::find_if(k.werte.begin(), k.werte.end(),
                           [&](const auto& w) { return w.first == kz; });
    if (it == k.werte.end())
      k.werte.emplace_back(kz, wert);
    else
      it->second += wert;
  };
  for (const Seitenplan* seite : {&v.seite1, &v.seite2})
    for (const Eintrag& e : seite->eintraege) {
      if (jahr < e.von_jahr || jahr > e.bis_jahr) continue;
      // The Kennzahlen the form has, also those without a value.
      for (int kz : {e.kz_basis, e.kz_steuer})
        if (kz != 0 && std::find(k.erlaubt.begin(), k.erlaubt.end(), kz) == k.erlaubt.end()) {
          k.erlaubt.push_back(kz);
          if (kz == e.kz_basis) k.basen.push_back(kz);
        }
      const Zeilenbetrag z = zeilenbetrag(e, werte);
      if (e.regel == R::Nichts || e.regel == R::Uebertrag || e.regel == R::Summe ||
          e.regel == R::Pruefen || e.regel == R::NurPruefen || e.regel == R::Sonder ||
          e.regel == R::Ende)
        continue;
      belegt[static_cast<std::size_t>(e.zeile)] = true;
      // Bases in whole euros, as the form prints them.
      if (z.basis / 100 != 0) eintragen(e.kz_basis, z.basis / 100 * 100);
      if (z.steuer != 0) eintragen(e.kz_steuer, z.steuer);
      k.zahlung += z.zahlung;
    }
  for (std::size_t l = 1; l < werte.basis.size(); ++l)
    if ((werte.basis[l] != 0 || werte.steuer[l] != 0) && !belegt[l])
      k.ohne_kennzahl.push_back(static_cast<int>(l));
  std::sort(k.werte.begin(), k.werte.end());
  std::sort(k.erlaubt.begin(), k.erlaubt.end());
  std::sort(k.basen.begin(), k.basen.end());
  return k;
}

bool steuerformular_drucken(Mandant& m, const Formularauftrag& auftrag, Formularwerte& werte) {
  Formular f(m, auftrag, werte);
  return f.drucken();
}

}  // namespace fibu
