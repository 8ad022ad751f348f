// The patterns that find document numbers and GL accounts in purpose
// texts, and the automatic assignment of imported statement lines.
#include <gtest/gtest.h>

#include "bankbuchhaltung.h"
#include "banking/zuordnung.h"

namespace fibu {
namespace {

TEST(Muster, TrefferInWoertern) {
  struct Fall {
    const char* text;
    const char* muster;
    std::vector<std::string> treffer;
  };
  const Fall faelle[] = {
      {"RG RE12345 VOM 01.02.", "RE?????", {"RE12345"}},
      // Cut after the pattern's length; found inside a word; words end at commas.
      {"RE123456,XRE22222", "RE?????", {"RE12345", "RE22222"}},
      {"RE1234 RE", "RE?????", {}},  // too short
      {"ZAHLUNG", "", {}},           // an empty pattern finds nothing
      {"KONTO 4400, 4410", "44??", {"4400", "4410"}},
      {"ÄRE99999 ÜBER", "RE?????", {"RE99999"}},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.text);
    EXPECT_EQ(muster_treffer(f.text, f.muster), f.treffer);
  }
  EXPECT_EQ(letzter_treffer("RE11111 RE22222", "RE?????"), "RE22222");
}

struct ZuordnungTest : ::testing::Test, Bankbuchhaltung {
  ZuordnungTest() {
    rechnung("10001", "RE12345", 10000, tag(3));
    gutschrift("10002", "ER123", 3000, tag(4));
    rechnung("70001", "ER777", 5000, tag(5));
  }
  Zuordnungsmuster muster{"RE?????", "", "ER???", "44??"};

  Bankzeile zugeordnet(Betrag soll, Betrag haben, const std::string& text,
                       const std::string& referenz = "") {
    Bankzeile z;
    z.soll = soll;
    z.haben = haben;
    z.text_btx = text;
    z.referenz = referenz;
    zuordnen(m(), muster, z);
    return z;
  }
};

TEST_F(ZuordnungTest, BelegnummerKontoUndGutschrift) {
  struct Fall {
    Betrag soll, haben;
    const char* text;
    const char* referenz;
    const char* belegnr;
    const char* konto;
    Betrag betrag;
    bool gutschrift;
  };
  const Fall faelle[] = {
      // A customer pays an invoice.
      {0, 10000, "RG RE12345 VOM 01.02.", "", "RE12345", "10001", 10000, false},
      // An invoice number and an account: the account wins.
      {0, 10000, "RE12345 GEBUEHR 4400", "", "/", "4400", 10000, false},
      // Money leaves for a customer's credit note: a refund.
      {3000, 0, "ERSTATTUNG ER123", "", "ER123", "10002", 3000, false + 1},
      // The client pays a supplier's invoice.
      {5000, 0, "ER777", "", "ER777", "70001", 5000, false},
      // No number in the text: the end-to-end reference is tried.
      {0, 10000, "SAMMELZAHLUNG", "RE12345", "RE12345", "10001", 10000, false},
      // A number without an item, and no number at all: completed by hand.
      {0, 500, "RE99999", "", "RE99999", "", 0, false},
      {0, 500, "ZINSEN", "", "", "", 0, false},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.text);
    const Bankzeile z = zugeordnet(f.soll, f.haben, f.text, f.referenz);
    EXPECT_EQ(z.belegnr, f.belegnr);
    EXPECT_EQ(z.konto, f.konto);
    EXPECT_EQ(z.betrag, f.betrag);
    EXPECT_EQ(z.gutschrift, f.gutschrift);
  }
}

TEST_F(ZuordnungTest, ImportNurInLeereTabelle) {
  const std::vector<Auszugszeile> auszug = {
      {tag(20), kein_datum, 0, 10000, "RG RE12345", "", "", ""},
      {tag(21), kein_datum, 1200, 0, "GEBUEHR 4400", "", "", ""},
  };
  ASSERT_TRUE(bank.uebernehmen(auszug, muster));
  ASSERT_EQ(bank.benutzt(), 2u);
  EXPECT_EQ(bank.zeilen()[0].tag, 20);
  EXPECT_EQ(bank.zeilen()[0].konto, "10001");
  EXPECT_EQ(bank.zeilen()[1].belegnr, "/");
  EXPECT_EQ(bank.zeilen()[1].betrag, 1200);
  EXPECT_EQ(bank.differenz(), 0);
  EXPECT_FALSE(bank.ist_geaendert());  // saved at once

  EXPECT_FALSE(bank.uebernehmen(auszug, muster));
  EXPECT_EQ(t.ui.meldungen().back(), "Tabelle ist nicht leer, bitte zuerst löschen!");
  EXPECT_EQ(bank.benutzt(), 2u);
}

}  // namespace
}  // namespace fibu
