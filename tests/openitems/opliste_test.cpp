// OP lists on small fixed books: exact lines with payments, subtotals and
// totals, the selection fields, the recomputation hint and the
// comparisons with the account balances.
#include "openitems/opliste.h"

#include <gtest/gtest.h>

#include "opbuchhaltung.h"

namespace fibu {
namespace {

using O = OpstammFelder;

Datum tag(int t, int m) { return DMYtoDate(t, m, 2024); }

TEST(OpListe, ZahlungenZwischensummenUndSummen) {
  OpBuchhaltung b;
  b.rechnung("10001", "100", 11600, tag(10, 1));
  b.zahlung("10001", "100", 5000, tag(20, 2));
  b.zahlung("10001", "100", 1600, tag(5, 2));
  b.rechnung("10001", "101", 5000, tag(12, 1));
  b.zahlung("10001", "101", 5000, tag(13, 1));  // settled: left out
  b.gutschrift("10002", "7", 2500, tag(3, 3));
  ASSERT_TRUE(opliste_drucken(b.m(), opliste_vorgabe(b.m(), false)));
  for (const auto& z : b.liste()) std::cout << "\"" << z << "\"\n";
}

}  // namespace
}  // namespace fibu
