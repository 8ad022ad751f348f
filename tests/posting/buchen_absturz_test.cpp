// A posting cut by a power loss after every possible write: a Debitor
// invoice with its collective account, open item and document number,
// together with its revenue line with tax that activates a new period, in
// one unit; a single booking that overwrites an invoice line; and the
// deletion of the invoice line with the removal of its item. Whatever
// of the unsynced writes survives, the reopened client holds either all of
// the posting or nothing of it.
#include <gtest/gtest.h>

#include "suite/test_dateisystem.h"
#include "testbuchhaltung.h"

namespace fibu {
namespace {

void vorbereiten(Testbuchhaltung& t) {
  t.anlegen();
  t.buchung("10001", 'S', 11900, "4400", "", 'R', "9500001");
  ASSERT_TRUE(t.kern->buchen(1));
  t.buchung("4400", 'H', 11900, "10001", "1");
  ASSERT_TRUE(t.kern->buchen(2));
}

// The posting under test; false when it failed.
bool buchen(Testbuchhaltung& t, int fall) {
  if (fall == 0) {
    Buchungslauf lauf(*t.kern);
    t.buchung("10002", 'S', 23200, "4400", "", 'R', "9500002", 2, DMYtoDate(3, 2, 2024));
    if (!t.kern->buchen(3)) return false;
    t.buchung("4400", 'H', 23200, "10002", "1", ' ', "9500002", 2, DMYtoDate(3, 2, 2024));
    if (!t.kern->buchen(4)) return false;
    return lauf.ende();
  }
  if (fall == 1) {
    t.buchung("10002", 'S', 5000, "4400", "", 'R', "9500003");
    return t.kern->buchen(1);
  }
  return t.kern->buchung_loeschen(1);
}

TEST(BuchenAbsturz, APostingIsOnDiskWholeOrNotAtAll) {
  for (int fall : {0, 1, 2}) {
    SCOPED_TRACE(fall);
    absturzfest_pruefen(vorbereiten, [fall](Testbuchhaltung& t) { return buchen(t, fall); });
  }
}

}  // namespace
}  // namespace fibu
