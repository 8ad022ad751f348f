#include "vat/ustjahre.h"

#include <array>

namespace fibu {
namespace {

using R = Kzregel;
constexpr std::uint16_t bis = letztes_ust_jahr;

// Sources: the BMF's Vordruckmuster USt 1 A and the Anleitung zur
// Umsatzsteuer-Voranmeldung of each year, the BMF letters on the rates of
// 2020-07-01..2020-12-31 (16 % and 5 % reported under "andere Steuersätze")
// and the ELSTER Kennzahlen lists; see the README.
constexpr std::array<Kennzahlzuordnung, 41> tabelle{{
    {2013, bis, 1, 12, 20, 41, 0, R::Basis, 0,
     "Innergemeinschaftliche Lieferungen an Abnehmer mit USt-IdNr."},
    {2013, bis, 1, 12, 21, 44, 0, R::Basis, 0,
     "Innergem. Lieferungen neuer Fahrzeuge an Abnehmer ohne USt-IdNr."},
    {2013, bis, 1, 12, 22, 49, 0, R::Basis, 0,
     "Innergem. Lieferungen neuer Fahrzeuge außerhalb eines Unternehmens"},
    {2013, bis, 1, 12, 23, 43, 0, R::Basis, 0, "Weitere steuerfreie Umsätze mit Vorsteuerabzug"},
    {2013, bis, 1, 12, 24, 48, 0, R::Basis, 0, "Steuerfreie Umsätze ohne Vorsteuerabzug"},
    // The second half of 2020: 16 % and 5 % go to the other rates.
    {2020, 2020, 7, 12, 26, 35, 36, R::Satz, 1600, "Umsätze zu anderen Steuersätzen (16 %)"},
    {2020, 2020, 7, 12, 27, 35, 36, R::Satz, 500, "Umsätze zu anderen Steuersätzen (5 %)"},
    {2013, bis, 1, 12, 26, 81, 0, R::Satz, 1900,
     "Steuerpflichtige Umsätze zum Steuersatz von 19 %"},
    {2013, bis, 1, 12, 27, 86, 0, R::Satz, 700, "Steuerpflichtige Umsätze zum Steuersatz von 7 %"},
    {2013, bis, 1, 12, 28, 35, 36, R::Gebucht, 0, "Umsätze zu anderen Steuersätzen"},
    {2013, bis, 1, 12, 29, 77, 0, R::Basis, 0,
     "Lieferungen land- und forstwirtschaftl. Betriebe an Abnehmer mit USt-IdNr."},
    {2013, bis, 1, 12, 30, 76, 80, R::Gebucht, 0, "Umsätze mit Steuer nach § 24 UStG"},
    {2013, bis, 1, 12, 32, 91, 0, R::Basis, 0, "Steuerfreie innergemeinschaftliche Erwerbe"},
    {2020, 2020, 7, 12, 33, 95, 98, R::Satz, 1600,
     "Innergem. Erwerbe zu anderen Steuersätzen (16 %)"},
    {2020, 2020, 7, 12, 34, 95, 98, R::Satz, 500,
     "Innergem. Erwerbe zu anderen Steuersätzen (5 %)"},
    {2013, bis, 1, 12, 33, 89, 0, R::Satz, 1900, "Innergem. Erwerbe zum Steuersatz von 19 %"},
    {2013, bis, 1, 12, 34, 93, 0, R::Satz, 700, "Innergem. Erwerbe zum Steuersatz von 7 %"},
    {2013, bis, 1, 12, 35, 95, 98, R::Gebucht, 0, "Innergem. Erwerbe zu anderen Steuersätzen"},
    {2013, bis, 1, 12, 36, 94, 96, R::Gebucht, 0,
     "Innergem. Erwerbe neuer Fahrzeuge von Lieferern ohne USt-IdNr."},
    {2013, bis, 1, 12, 38, 42, 0, R::Basis, 0,
     "Lieferungen des ersten Abnehmers bei innergem. Dreiecksgeschäften"},
    // §13b for the supplier: the mobile devices had a Kennzahl of their
    // own until 2014, then join the other §13b supplies.
    {2013, 2014, 1, 12, 39, 68, 0, R::Basis, 0,
     "Umsätze nach § 13b Abs. 5 Satz 1 i.V.m. Abs. 2 Nr. 10 UStG"},
    {2015, bis, 1, 12, 39, 60, 0, R::Basis, 0,
     "Umsätze, für die der Leistungsempfänger die Steuer schuldet"},
    {2013, bis, 1, 12, 40, 60, 0, R::Basis, 0,
     "Umsätze, für die der Leistungsempfänger die Steuer schuldet"},
    {2013, bis, 1, 12, 41, 21, 0, R::Basis, 0, "Nicht steuerbare sonstige Leistungen"},
    {2013, bis, 1, 12, 42, 45, 0, R::Basis, 0, "Übrige nicht steuerbare Umsätze"},
    // §13b for the recipient.
    {2013, bis, 1, 12, 48, 46, 47, R::Gebucht, 0,
     "Sonstige Leistungen eines EU-Unternehmers (§ 13b Abs. 1 UStG)"},
    {2013, 2014, 1, 12, 49, 52, 53, R::Gebucht, 0,
     "Andere Leistungen eines im Ausland ansässigen Unternehmers"},
    {2015, bis, 1, 12, 49, 84, 85, R::Gebucht, 0, "Andere Leistungen (§ 13b Abs. 2 UStG)"},
    {2013, bis, 1, 12, 50, 73, 74, R::Gebucht, 0,
     "Sicherungsübereignete Gegenstände, Umsätze unter das GrEStG"},
    {2013, 2014, 1, 12, 51, 78, 79, R::Gebucht, 0,
     "Mobilfunkgeräte, Tablets, integrierte Schaltkreise"},
    {2015, bis, 1, 12, 51, 84, 85, R::Gebucht, 0, "Andere Leistungen (§ 13b Abs. 2 UStG)"},
    {2013, bis, 1, 12, 52, 84, 85, R::Gebucht, 0, "Andere Leistungen (§ 13b Abs. 2 UStG)"},
    {2013, bis, 1, 12, 53, 0, 65, R::SteuerOhneBasis, 0,
     "Steuer infolge Wechsels der Besteuerungsform, Nachsteuer"},
    {2013, bis, 1, 12, 56, 0, 66, R::Vorsteuer, 0, "Vorsteuerbeträge aus Rechnungen"},
    {2013, bis, 1, 12, 57, 0, 61, R::Vorsteuer, 0, "Vorsteuer aus innergemeinschaftlichem Erwerb"},
    {2013, bis, 1, 12, 58, 0, 62, R::Vorsteuer, 0, "Entstandene Einfuhrumsatzsteuer"},
    {2013, bis, 1, 12, 59, 0, 67, R::Vorsteuer, 0, "Vorsteuer aus Leistungen nach § 13b UStG"},
    {2013, bis, 1, 12, 60, 0, 63, R::Vorsteuer, 0, "Vorsteuer nach Durchschnittssätzen"},
    {2013, bis, 1, 12, 61, 0, 64, R::Vorsteuer, 0, "Berichtigung des Vorsteuerabzugs (§ 15a UStG)"},
    {2013, bis, 1, 12, 62, 0, 59, R::Vorsteuer, 0,
     "Vorsteuer für innergem. Lieferungen neuer Fahrzeuge (§ 2a UStG)"},
    // Owed tax: a credit balance raises the payment.
    {2013, bis, 1, 12, 65, 0, 69, R::SteuerOhneBasis, 0, "Andere Steuerbeträge (§ 14c UStG u. a.)"},
}};

bool passt(const Kennzahlzuordnung& z, int jahr, int monat, int zeile) {
  return z.zeile == zeile && jahr >= z.von_jahr && jahr <= z.bis_jahr && monat >= z.von_monat &&
         monat <= z.bis_monat;
}

}  // namespace

std::span<const Kennzahlzuordnung> kennzahlentabelle() {
  return tabelle;
}

const Kennzahlzuordnung* kennzahl_der_zeile(int jahr, int monat, int zeile) {
  for (const Kennzahlzuordnung& z : kennzahlentabelle())
    if (passt(z, jahr, monat, zeile)) return &z;
  return nullptr;
}

int vorsteuerzeile_nach_2012(int jahr) {
  for (const Kennzahlzuordnung& z : kennzahlentabelle())
    if (z.kz_steuer == 66 && jahr >= z.von_jahr && jahr <= z.bis_jahr) return z.zeile;
  return 0;
}

}  // namespace fibu
