// Books for the bank statement tests: the small client of the open-item
// tests with the statement of its bank account 1200 dated in January 2024
// and a few helpers to fill rows and read what was posted.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../openitems/opbuchhaltung.h"
#include "banking/tbank.h"
#include "store/kontenbereiche.h"

namespace fibu {

inline Datum tag(int t, int monat = 1) {
  return DMYtoDate(t, monat, 2024);
}

// A statement line or split row.
inline Bankzeile zeile(Betrag soll, Betrag haben, const std::string& belegnr, Betrag betrag = 0,
                       const std::string& konto = "", int tg = 15) {
  Bankzeile z;
  z.soll = soll;
  z.haben = haben;
  z.belegnr = belegnr;
  z.betrag = betrag;
  z.konto = konto;
  z.tag = tg;
  return z;
}

// The bookings written after booking `nach`, in order.
inline std::vector<Satz> buchungen_nach(Mandant& m, std::int64_t nach) {
  std::vector<Satz> aus;
  Satz s(BuchungFelder::groesse);
  for (std::int64_t n = nach + 1; n <= m.buchung->letzte_buchung(); ++n)
    if (m.buchung->buchung_lesen_in(n, s)) aus.push_back(s);
  return aus;
}

// "1200 S 1000,00 Z R600 -> 10001 St: Kost:" for comparing bookings.
inline std::string beschreibung(const Satz& b) {
  using F = BuchungFelder;
  const Betrag brutto = b.get(F::Betrag) + b.get(F::Steuerbetrag);
  return trim(b.get(F::Konto)) + " " + static_cast<char>(b.u8(F::SollHaben)) + " " +
         betrag_text(brutto) + " " + static_cast<char>(b.u8(F::Buchungsart)) + " " +
         trim(b.get(F::Belegnr)) + " -> " + trim(b.get(F::Gegenkonto)) +
         " St:" + trim(b.get(F::Steuerschluessel)) + " Kost:" + trim(b.get(F::Kost));
}

struct Bankbuchhaltung : OpBuchhaltung {
  tbank bank{m()};

  Bankbuchhaltung() {
    // Allocation keys are 9000..9999, cost centres the numbers below.
    m().basis.set(BasisFelder::VerteilschluesselVon, std::int32_t{9000});
    m().basis.set(BasisFelder::VerteilschluesselBis, std::int32_t{9999});
    EXPECT_TRUE(bank.konto_oeffnen("1200"));
    bank.datum_setzen(tag(15));
  }

  void setze(std::vector<Bankzeile> zeilen) {
    for (std::size_t i = 0; i < zeilen.size(); ++i) bank.zeilen()[i] = zeilen[i];
    bank.geaendert();
  }
  Betrag saldo(int konto) { return t.sachkonto(konto).get(SachFelder::Saldo); }
  Betrag offen(const std::string& key) { return op(key).get(OpstammFelder::NochOffen); }
  std::vector<std::string> gebucht(std::int64_t nach) {
    std::vector<std::string> aus;
    for (const Satz& b : buchungen_nach(m(), nach)) aus.push_back(beschreibung(b));
    return aus;
  }
  std::int64_t letzte() { return m().buchung->letzte_buchung(); }
};

}  // namespace fibu
