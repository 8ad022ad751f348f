// The ledger reports through the batch tool on the demo client: the account
// sheets and the single-account statement agree with the balance list.
#include <gtest/gtest.h>

#include "batchdemo.h"
#include "suite/allgemei.h"
#include "suite/betrag.h"

namespace fibu {
namespace {

TEST(AuswertungBatch, KontoauszuegeStimmenMitDerSaldenliste) {
  Demo d;
  std::string log;
  // The demo client is in period 1: no closed period to print, and the
  // refused list fails the run.
  ASSERT_EQ(d.lauf("", {"3142"}, &log), 1) << log;
  EXPECT_NE(log.find("Es sind noch keine Perioden abgeschlossen worden!"), std::string::npos) << log;

  // A period range that runs backwards is refused.
  EXPECT_EQ(d.lauf("Selektion Saldenliste Sachkonto / Perioden von = 5\n"
                   "Selektion Saldenliste Sachkonto / Perioden bis = 2\n",
                   {"3131"}, &log),
            1);
  EXPECT_NE(log.find("Meldung: Die Von-Periode ist größer als die Bis-Periode!"), std::string::npos)
      << log;

  ASSERT_EQ(d.lauf("Selektion Saldenliste Sachkonto / Perioden bis = 12\n"
                   "Selektion Kontoauszug-Einzelkonto / Kontonummer = 1200\n"
                   "Selektion Kontoauszug / Kontonummer = 10001\n"
                   "Selektion Kontoauszug / bis = 10001\n"
                   "Selektion Kontoauszug / Druck Periodensummen = Ja\n",
                   {"3131", "3143", "3141"}, &log),
            0)
      << log;
  // The bank's balance in the balance list ...
  std::optional<Betrag> saldenliste;
  for (const auto& l : textzeilen(lies(d.tmp / "aus/001-Saldenliste_Sachkonten.txt")))
    if (l.rfind("    1200 ", 0) == 0) saldenliste = betrag_aus_text(trim(l.substr(l.size() - 14)));
  ASSERT_TRUE(saldenliste) << log;
  // ... is where its statement over the year ends, without an error line.
  const auto einzeln = textzeilen(lies(d.tmp / "aus/002-Kontoauszug_1200.txt"));
  ASSERT_GT(einzeln.size(), 12u);
  EXPECT_EQ(einzeln[7], "        1200 Bank");
  EXPECT_EQ(betrag_aus_text(trim(einzeln.back().substr(32, 15))), saldenliste) << einzeln.back();
  for (const auto& l : einzeln) EXPECT_EQ(l.find("FEHLER"), std::string::npos) << l;

  // The customer's sheet: twelve period sums, and its total is its balance.
  const auto blatt = textzeilen(lies(d.tmp / "aus/003-Kontoauszuege.txt"));
  EXPECT_EQ(blatt[9], "       10001 Bäckerei Huber");
  EXPECT_EQ(std::count_if(blatt.begin(), blatt.end(),
                          [](const std::string& l) { return l.rfind("     Summe Periode ", 0) == 0; }),
            12);
  ASSERT_EQ(d.lauf("Selektion Saldenliste Personenkonto / Perioden bis = 12\n", {"3132"}, &log), 0);
  std::optional<Betrag> kunde;
  for (const auto& l : textzeilen(lies(d.tmp / "aus/001-Saldenliste_Debitoren.txt")))
    if (l.rfind("   10001 ", 0) == 0) kunde = betrag_aus_text(trim(l.substr(l.size() - 14)));
  ASSERT_TRUE(kunde);
  EXPECT_EQ(blatt.back().rfind("     Kontosumme", 0), 0u);
  EXPECT_EQ(betrag_aus_text(trim(blatt.back().substr(63, 14))), kunde) << blatt.back();
}

}  // namespace
}  // namespace fibu
