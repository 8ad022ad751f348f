// The account master data through the batch tool on the demo client, as a
// script would keep them: a GL account of each kind, a customer and a
// supplier from answers files, then the printed charts.
#include "batchdemo.h"

namespace fibu {
namespace {

TEST(StammdatenBatch, SachkontenJederArtUndDerKontenplan) {
  Demo d;
  // Kind 0 ... 5, one run each (a dialog takes one value per field).
  struct Konto {
    const char* nummer;
    const char* name;
    const char* art;
    const char* schluessel;
  };
  const Konto konten[] = {{"4711", "Porto", "0", "9"},       {"1001", "Nebenkasse", "1", "0"},
                          {"1777", "USt 19 % neu", "2", "0"}, {"8401", "Erlöse 19 % neu", "3", "3"},
                          {"1579", "VSt 19 % neu", "4", "0"}, {"3426", "EG-Erwerb neu", "5", "20"}};
  for (const Konto& k : konten) {
    std::string log;
    // Cash and VAT accounts have their tax key locked: none is given.
    const bool ohne_schluessel = k.art[0] == '1' || k.art[0] == '2' || k.art[0] == '4';
    ASSERT_EQ(d.lauf(std::string("Pflege der Sachkonten / Kontonummer = ") + k.nummer +
                         "\nPflege der Sachkonten / Bezeichnung = " + k.name +
                         "\nPflege der Sachkonten / Kontenart = " + k.art + "\n" +
                         (ohne_schluessel ? std::string()
                                          : std::string("Pflege der Sachkonten / Steuerschlüssel = ") +
                                                k.schluessel + "\n"),
                     {"121"}, &log),
              0)
        << k.nummer << "\n"
        << log;
  }
  // An input-VAT account takes no tax key: the run fails and stores nothing.
  std::string log;
  EXPECT_EQ(d.lauf("Pflege der Sachkonten / Kontonummer = 1578\n"
                   "Pflege der Sachkonten / Kontenart = 4\n"
                   "Pflege der Sachkonten / Steuerschlüssel = 9\n",
                   {"121"}, &log),
            1);
  EXPECT_NE(log.find("Feld ist gesperrt und kann nicht gesetzt werden: Steuerschlüssel"),
            std::string::npos)
      << log;

  ASSERT_EQ(d.lauf("Liste der Sachkonten / Von Konto = 1000\n"
                   "Liste der Sachkonten / Bis Konto = 9999\n"
                   "Liste der Sachkonten / Kurzliste = nein\n",
                   {"122"}, &log),
            0)
      << log;
  const std::string plan = lies(d.tmp / "aus/001-Sachkontenplan.txt");
  EXPECT_NE(plan.find("S a c h k o n t e n p l a n"), std::string::npos);
  for (const char* zeile :
       {"1001                         Nebenkasse                  K    0  0",
        "1579                         VSt 19 % neu                V    0  0",
        "3426                         EG-Erwerb neu               EG   0 20",
        "4711                         Porto                            0  9",
        "8401                         Erlöse 19 % neu             U    0  3"})
    EXPECT_NE(plan.find(zeile), std::string::npos) << zeile << "\n" << plan;
  EXPECT_EQ(plan.find("1578 "), std::string::npos);
}

TEST(StammdatenBatch, KundeLieferantUndPersonenkontenplan) {
  Demo d;
  std::string log;
  ASSERT_EQ(d.lauf("Pflege der Personenkonten / Kontonr = 10020\n"
                   "Pflege der Personenkonten / Name = Bäckerei Korn\n"
                   "Pflege der Personenkonten / PLZ/Ort = 85435 Erding\n"
                   "Pflege der Personenkonten / Suchname = KORN\n"
                   "Pflege der Personenkonten / Nettotage = 14\n",
                   {"131"}, &log),
            0)
      << log;
  ASSERT_EQ(d.lauf("Pflege der Personenkonten / Kontonr = 70020\n"
                   "Pflege der Personenkonten / Name = Holzhandel Eiche\n"
                   "Pflege der Personenkonten / Mahnen = gesperrt\n"
                   "Pflege der Personenkonten / MKZ = 0\n",
                   {"131"}, &log),
            0)
      << log;
  ASSERT_EQ(d.lauf("Liste der Personenkonten / Von Konto = 10020\n"
                   "Liste der Personenkonten / Bis Konto = 70020\n",
                   {"132"}, &log),
            0)
      << log;
  const std::string plan = lies(d.tmp / "aus/001-Personenkontenplan.txt");
  EXPECT_NE(plan.find("P e r s o n e n k o n t e n p l a n"), std::string::npos) << plan;
  EXPECT_NE(plan.find("\n10020   "), std::string::npos) << plan;
  EXPECT_NE(plan.find("\nKORN    "), std::string::npos) << plan;
  EXPECT_NE(plan.find("\nBäckerei Korn "), std::string::npos) << plan;
  EXPECT_NE(plan.find("85435 Erding"), std::string::npos) << plan;
  EXPECT_NE(plan.find("\n70020   "), std::string::npos) << plan;
  EXPECT_NE(plan.find("Holzhandel Eiche"), std::string::npos) << plan;
}

TEST(StammdatenBatch, KostenstellenVerteilschluesselUndIhreListen) {
  Demo d;
  std::string log;
  ASSERT_EQ(d.lauf("Leitkostenstellen pflegen / Leitkostenstelle = 1\n"
                   "Leitkostenstellen pflegen / Bezeichnung = Werkstatt\n",
                   {"1521"}, &log),
            0)
      << log;
  for (const char* nr : {"1000", "1001"})
    ASSERT_EQ(d.lauf(std::string("Kostenstellen pflegen / Kostenstelle = ") + nr +
                         "\nKostenstellen pflegen / Bezeichnung 1 = Bank " + nr +
                         "\nKostenstellen pflegen / Leitkostenstelle = 1\n",
                     {"1531"}, &log),
              0)
        << log;
  // The table's lines from the answers file; a sum short of 100 % fails.
  EXPECT_EQ(d.lauf("Verteilschlüssel pflegen / Verteilschlüssel = 5\n"
                   "Verteilschlüssel pflegen / Bezeichnung = Hälften\n"
                   "Verteilschlüssel pflegen / Zeile 1 = 1000; 50,00\n"
                   "Verteilschlüssel pflegen / Zeile 2 = 1001; 49,99\n",
                   {"1541"}, &log),
            1);
  EXPECT_NE(log.find("Summe der Prozentanteile ist nicht 100 %!"), std::string::npos) << log;
  ASSERT_EQ(d.lauf("Verteilschlüssel pflegen / Verteilschlüssel = 5\n"
                   "Verteilschlüssel pflegen / Bezeichnung = Hälften\n"
                   "Verteilschlüssel pflegen / Zeile 1 = 1000; 50,00\n"
                   "Verteilschlüssel pflegen / Zeile 2 = 1001; 50\n",
                   {"1541"}, &log),
            0)
      << log;
  ASSERT_EQ(d.lauf("Liste Verteilschlüssel / Von = 1\nListe Verteilschlüssel / Bis = 999\n"
                   "Liste Kostenstellen / Von = 1000\nListe Kostenstellen / Bis = 1999\n",
                   {"1542", "1532"}, &log),
            0)
      << log;
  const std::string verteil = lies(d.tmp / "aus/001-Verteilschluessel.txt");
  EXPECT_NE(verteil.find("0005          Hälften\n"
                         "              1000          Bank 1000                                    50,00\n"
                         "              1001          Bank 1001                                    50,00\n"),
            std::string::npos)
      << verteil;
  const std::string stellen = lies(d.tmp / "aus/002-Kostenstellen.txt");
  EXPECT_NE(stellen.find("1001          Bank 1001                                 0001       J"),
            std::string::npos)
      << stellen;
}

}  // namespace
}  // namespace fibu
