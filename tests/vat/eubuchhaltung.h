// Books for the EU sales list and the EU journal: the small client of the
// posting tests (2024, monthly periods, own id "DE123456789") with
// customers and suppliers in other EU countries, in its own country and
// without an id, and bookings of every kind in and around the first
// quarter.
//
//   10001 " fr12345678901"  10004 "FR12345678901" (one customer, two accounts)
//   10002 DE (own country)  10003 no id            10005 ATU12345678
//   10006 NL (sums to 0)    10007 IT (1000.99)     10008 ES (credit balance)
//   70001 BE supplier       70002 supplier without id
#pragma once

#include <fstream>
#include <sstream>

#include "../openitems/opbuchhaltung.h"
#include "golden.h"

namespace fibu {

inline Datum tag24(int t, int m) {
  return DMYtoDate(t, m, 2024);
}

struct EuBuchhaltung : OpBuchhaltung {
  EuBuchhaltung() {
    m().basis.set(BasisFelder::EgId, "DE123456789");
    konto(10001, "Maison Dupont", " fr12345678901");
    konto(10002, "Müller Möbel", "DE987654321");
    konto(10003, "Ohne Kennung", "");
    konto(10004, "Maison Dupont Lyon", "FR12345678901");
    konto(10005, "Tischlerei Huber", "ATU12345678");
    konto(10006, "De Vries", "NL123456789B01");
    konto(10007, "Rossi Legno", "IT01234567890");
    konto(10008, "Carpintería García", "ESA12345674");
    konto(70001, "Bois Belge", "BE0123456789");
    konto(70002, "Holzhandel Süd", "");

    rechnung("10001", "R1", 100000, tag24(10, 1));
    rechnung("10004", "R2", 23456, tag24(15, 2));
    rechnung("10004", "R3", 10000, tag24(10, 3));
    rechnung("10002", "R4", 500000, tag24(10, 1));
    rechnung("10003", "R5", 70000, tag24(10, 1));
    buche("10005", 'E', 'S', 99000, "EB", tag24(1, 1), "9000");
    rechnung("10005", "R6", 100000, tag24(5, 2));
    gutschrift("10005", "G1", 20000, tag24(20, 2));
    zahlung("10005", "R6", 30000, tag24(25, 2));
    rechnung("10006", "R7", 50000, tag24(10, 3));
    gutschrift("10006", "G2", 50000, tag24(31, 3));
    rechnung("10007", "R8", 100099, tag24(31, 3));
    rechnung("10007", "R9", 40000, tag24(1, 4));
    gutschrift("10008", "G3", 15050, tag24(12, 3));
    rechnung("70001", "E1", 200000, tag24(15, 2));
    rechnung("70002", "E2", 30000, tag24(15, 2));
  }

  void konto(int nummer, const std::string& name, const std::string& egid) {
    auto& p = *m().personen;
    const std::string key = m().personenkonto_text(nummer);
    if (!p.suchen(key)) {
      p.leeren();
      p.satz().set(PersonenFelder::Sammelkonto, std::uint8_t{1});
    }
    p.satz().set(PersonenFelder::Name, name);
    p.satz().set(PersonenFelder::EgId, egid);
    ASSERT_TRUE(p.speichern(key));
  }

  std::vector<std::string> alles() const { return t.ui.druckauftraege().back().alle_zeilen(); }
};

inline std::string als_text(const std::vector<std::string>& zeilen) {
  std::string s;
  for (const auto& z : zeilen) s += z + "\n";
  return s;
}

}  // namespace fibu
