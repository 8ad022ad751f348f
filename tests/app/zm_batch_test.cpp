// The EU sales list and the EU journal through the batch tool on the demo
// client, two of whose customers are given ids of other countries first:
// both lists are written, and the portal file holds the printed lines.
#include <gtest/gtest.h>

#include "batchdemo.h"
#include "suite/allgemei.h"

namespace fibu {
namespace {

void kennungen_setzen(Demo& d) {
  GeoeffneteDemo g(d.ws);
  Mandant& m = *g.m;
  for (auto [nummer, egid] :
       {std::pair{10001, "ATU11111111"}, std::pair{10003, " fr22222222222"}}) {
    const std::string key = m.personenkonto_text(nummer);
    ASSERT_TRUE(m.personen->suchen(key));
    m.personen->satz().set(PersonenFelder::EgId, egid);
    ASSERT_TRUE(m.personen->speichern(key));
  }
}

TEST(ZmBatch, ListeDateiUndJournal) {
  Demo d;
  ASSERT_NO_FATAL_FAILURE(kennungen_setzen(d));
  const std::string csv = d.tmp / "zm.csv";
  std::string log;
  ASSERT_EQ(d.lauf("Zusammenfassende Meldung / Perioden = 1\n"
                   "Zusammenfassende Meldung / bis = 3\n"
                   "Zusammenfassende Meldung / Dateiname = " +
                       csv +
                       "\n"
                       "Selektion EG-Journale / Datum = 01.01.2007\n"
                       "Selektion EG-Journale / Summe EG-Länder = Ja\n",
                   {"351", "353"}, &log),
            0)
      << log;
  EXPECT_NE(log.find("Meldung: Die Datei für das BZSt-Online-Portal ist geschrieben:"),
            std::string::npos)
      << log;
  // Each line of the list is a line of the file: "AT   U11111111   1234"
  // is "AT,U11111111,1234,L" and CR LF.
  const auto liste = textzeilen(lies(d.tmp / "aus/001-Zusammenfassende_Meldung.txt"));
  const auto datei = textzeilen(lies(csv));
  std::vector<std::string> gedruckt;
  for (const auto& z : liste)
    if (z.rfind("AT   ", 0) == 0 || z.rfind("FR   ", 0) == 0)
      gedruckt.push_back(z.substr(0, 2) + trim(z.substr(5, 28)) + "," + trim(z.substr(33)) +
                         ",L");
  ASSERT_EQ(gedruckt.size(), 2u) << log;
  EXPECT_EQ(std::vector<std::string>(datei.begin() + 2, datei.end()), gedruckt);
  EXPECT_EQ(lies(csv), "#v3.0\r\nUSt-IdNr.,Betrag (EUR),Art der Leistung\r\n" + gedruckt[0] +
                           "\r\n" + gedruckt[1] + "\r\n");

  const std::string journal = lies(d.tmp / "aus/002-EG-Journal.txt");
  EXPECT_NE(journal.find("FR22222222222"), std::string::npos) << journal;
  EXPECT_NE(journal.find("Land         Betrag"), std::string::npos);
  EXPECT_EQ(journal.find("DE123456789"), std::string::npos);
}

}  // namespace
}  // namespace fibu
