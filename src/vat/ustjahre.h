// The Kennzahlen of the VAT advance return from 2013 on, as a table: which
// Kennzahl of a year takes the base and which the tax of a line of the 2012
// form. GL accounts keep their "UST-Zeile" as a line of the 2012 form; this
// table carries those lines into every later year.
#pragma once

#include <cstdint>
#include <span>

namespace fibu {

// The fiscal years the advance return can be made for.
inline constexpr int erstes_ust_jahr = 1998;
inline constexpr int letztes_ust_jahr = 2026;
// Up to this year the official form is printed in its own layout; later
// years get the list of Kennzahlen.
inline constexpr int letztes_formularjahr = 2012;

// How a Kennzahl gets its amounts from the line's base and booked tax.
enum class Kzregel : std::uint8_t {
  Basis,            // base only, in whole euros
  Satz,             // base in whole euros, tax = base × rate, owed
  Gebucht,          // base in whole euros and the booked tax, owed (credit balance)
  SteuerOhneBasis,  // the booked tax only, owed (credit balance)
  Vorsteuer,        // deductible tax (debit balance), lowers the payment
};

struct Kennzahlzuordnung {
  std::uint16_t von_jahr, bis_jahr;
  std::uint8_t von_monat, bis_monat;  // months of the period's first day
  std::uint8_t zeile;                 // line of the 2012 form ("UST-Zeile")
  std::uint8_t kz_basis, kz_steuer;   // 0: none
  Kzregel regel;
  std::int16_t satz;  // Kzregel::Satz: hundredths of a percent
  const char* text;   // short text of the official form
};

// The whole table, rows in the order of the official form; for one line
// the first row whose years and months match counts.
std::span<const Kennzahlzuordnung> kennzahlentabelle();

// The row for a line in the period beginning in `monat` of `jahr`; nullptr
// when the line has no Kennzahl then.
const Kennzahlzuordnung* kennzahl_der_zeile(int jahr, int monat, int zeile);

// The line of the 2012 form that takes the input tax from invoices (Kz 66)
// in a year after 2012.
int vorsteuerzeile_nach_2012(int jahr);

}  // namespace fibu
