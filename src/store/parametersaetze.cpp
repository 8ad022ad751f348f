#include "store/parametersaetze.h"

namespace fibu {

Satz neue_basis(int jahr) {
  using F = BasisFelder;
  Satz b(F::groesse);
  b.set(F::SachVon, 1);
  b.set(F::SachBis, 9999);
  b.set(F::DebitorVon, 10000);
  b.set(F::DebitorBis, 69999);
  b.set(F::KreditorVon, 70000);
  b.set(F::KreditorBis, 99999);
  b.set(F::AnzahlPerioden, std::uint8_t{12});
  b.set(F::AktuellePeriode, std::uint8_t{1});
  b.set(F::SachLaenge, std::uint8_t{4});
  b.set(F::PersonenLaenge, std::uint8_t{5});
  for (int p = 1; p <= 12; ++p) {
    b.set(F::periode_von(p), DMYtoDate(1, p, jahr));
    b.set(F::periode_bis(p), DMYtoDate(tage_im_monat(p, jahr), p, jahr));
  }
  const char* belege[9] = {"1",       "9999999", "1",      "9500000", "9599999",
                           "9500000", "500000",  "599999", "500000"};
  for (int k = 0; k < 9; ++k) b.set(F::belegnummer(k), belege[k]);
  b.set(F::KostenstelleVon, 1000);
  b.set(F::KostenstelleBis, 9999);
  b.set(F::VerteilschluesselVon, 1);
  b.set(F::VerteilschluesselBis, 999);
  b.set(F::Diskettenlaufwerk, "A:\\");
  // Payment disposition in ten steps of ten days.
  for (int i = 0; i < 10; ++i) {
    b.set(F::tage_dispo_debitoren(i), static_cast<std::uint16_t>(10 * (i + 1)));
    b.set(F::tage_dispo_kreditoren(i), static_cast<std::uint16_t>(10 * (i + 1)));
  }
  return b;
}

}  // namespace fibu
