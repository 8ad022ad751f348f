// Cost accounting masters on the small client of the posting tests (cost
// centres 1000-9999, allocation keys 1-999 by default): number ranges,
// the checks of cost centres, allocation keys and cost types, deletion
// against the booking index, and the printed lists.
#include "masters/kostenrechnung.h"

#include <gtest/gtest.h>

#include "../posting/testbuchhaltung.h"
#include "suite/numkeys.h"
#include "suite/test_dateisystem.h"

namespace fibu {
namespace {

using F = Formularschritt;
using K = KostenFelder;

struct Umgebung : Testumgebung {

  void dialog(Kostenstamm art, std::vector<Formularschritt> schritte) {
    TFKostenstamm d(m(), art);
    t.ui.formular_skript(std::move(schritte));
    d.ausfuehren();
  }
  // Main cost centre 10, cost centres 1000, 1001, 1002 under it.
  void grundausstattung() {
    dialog(Kostenstamm::Leitkostenstelle,
           {F::tippe("Leitkostenstelle", "10"), F::tippe("Bezeichnung", "Verwaltung"),
            F::druecke(Taste::Esc)});
    for (const char* nr : {"1000", "1001", "1002"})
      dialog(Kostenstamm::Kostenstelle,
             {F::tippe("Kostenstelle", nr), F::tippe("Bezeichnung 1", std::string("Stelle ") + nr),
              F::tippe("Leitkostenstelle", "10"), F::druecke(Taste::Esc)});
  }
  std::vector<std::string> meldungen_ab(std::size_t n) const {
    return {t.ui.meldungen().begin() + static_cast<long>(n), t.ui.meldungen().end()};
  }
  // A booking on 4400 carrying a cost-centre number.
  void buchung_mit_kostenstelle(const std::string& kost) {
    t.buchung("4400", 'H', 10000, "1000").set(BuchungFelder::Kost, kost);
    ASSERT_TRUE(t.kern->buchung_schreiben(m().buchung->anzahl_buchungen() + 1));
    ASSERT_TRUE(m().buchung->key_vorhanden(3, LongToKey(kontowert(kost)))) << kost;
  }
};

TEST(Kostenstamm, KostenstelleBereichUndLeitkostenstelle) {
  Umgebung u;
  u.grundausstattung();
  EXPECT_TRUE(u.t.ui.meldungen().empty());
  ASSERT_TRUE(u.m().kosten->suchen("K1001"));
  EXPECT_EQ(u.m().kosten->satz().get(K::Leitkostenstelle), "0010");
  EXPECT_TRUE(u.m().kosten->satz().get(K::FreiBebuchbar));

  u.dialog(Kostenstamm::Kostenstelle,
           {F::tippe("Kostenstelle", "500", false),  // an allocation key's number
            F::tippe("Kostenstelle", "1003"), F::tippe("Bezeichnung 1", "Lager"),
            F::druecke(Taste::Esc),
            F::tippe("Leitkostenstelle", "11"), F::druecke(Taste::Esc),
            F::tippe("Leitkostenstelle", "10"), F::druecke(Taste::Esc)});
  EXPECT_EQ(u.t.ui.meldungen(),
            (std::vector<std::string>{"Kontonummer stimmt nicht mit Nummernkreis überein!",
                                      "Keine Leitkostenstelle eingetragen!",
                                      "Leitkostenstelle 0011 nicht vorhanden!"}));
  EXPECT_TRUE(u.m().kosten->suchen("K1003"));
}

TEST(Kostenstamm, VerteilschluesselHundertProzent) {
  Umgebung u;
  u.grundausstattung();
  TFKostenstamm d(u.m(), Kostenstamm::Verteilschluessel);
  const std::size_t vorher = u.t.ui.meldungen().size();
  u.t.ui.formular_skript({
      F::tippe("Verteilschlüssel", "500"), F::tippe("Bezeichnung", "Drittel"),
      F::druecke(Taste::Esc),  // no lines
      F::zelle(0, 0, "1000"), F::zelle(0, 1, "33,33"), F::zelle(1, 0, "1001"),
      F::zelle(1, 1, "33.33"), F::zelle(2, 0, "1003"), F::zelle(2, 1, "33,33"),
      F::zelle(2, 1, "1000", false),  // over 999,99
      F::druecke(Taste::Esc),         // 1003 does not exist
      F::zelle(2, 0, "1002"),
      F::druecke(Taste::Esc),  // 99,99 %
      F::zelle(2, 1, "33,34"),
      F::zelle(3, 1, "5"),     // a share without its cost centre
      F::druecke(Taste::Esc),
      F::zelle(3, 1, ""),
      F::druecke(Taste::Esc),
  });
  d.ausfuehren();
  EXPECT_EQ(u.meldungen_ab(vorher),
            (std::vector<std::string>{"Keine Kostenstellen eingetragen!",
                                      "Bitte einen Prozentwert von 0,00 bis 999,99 eingeben!",
                                      "Kostenstelle 1003 nicht vorhanden!",
                                      "Summe der Prozentanteile ist nicht 100 %!",
                                      "Bitte zu jedem Prozentanteil eine Kostenstelle eintragen!"}));
  EXPECT_EQ(d.summe(), 10000);
  EXPECT_EQ(d.form().text(TFKostenstamm::f_summe), "100,00 %");
  ASSERT_TRUE(u.m().kosten->suchen("V0500"));
  EXPECT_EQ(u.m().kosten->verteilung,
            (std::vector<Verteilzeile>{{"1000", 3333}, {"1001", 3333}, {"1002", 3334}}));
}

TEST(Kostenstamm, LoeschenGegenBuchungenUndDifferenzkostenstelle) {
  Umgebung u;
  u.grundausstattung();
  u.dialog(Kostenstamm::Verteilschluessel,
           {F::tippe("Verteilschlüssel", "500"), F::zelle(0, 0, "1002"), F::zelle(0, 1, "100"),
            F::druecke(Taste::Esc)});
  u.buchung_mit_kostenstelle("1000");
  u.buchung_mit_kostenstelle("500");
  u.m().basis.set(BasisFelder::Differenzkostenstelle, std::int32_t{1001});
  const std::size_t vorher = u.t.ui.meldungen().size();
  auto loeschen = [&](Kostenstamm art, const char* feld, const char* nr) {
    u.dialog(art, {F::tippe(feld, nr), F::druecke(Taste::F8), F::druecke(Taste::Esc)});
  };
  loeschen(Kostenstamm::Kostenstelle, "Kostenstelle", "1000");
  loeschen(Kostenstamm::Kostenstelle, "Kostenstelle", "1001");
  loeschen(Kostenstamm::Verteilschluessel, "Verteilschlüssel", "500");
  EXPECT_EQ(u.meldungen_ab(vorher),
            (std::vector<std::string>{
                "Kostenstelle ist bebucht und kann nicht gelöscht werden!",
                "Kostenstelle ist Differenzkostenstelle und kann nicht gelöscht werden!",
                "Verteilschlüssel ist bebucht und kann nicht gelöscht werden!"}));
  // Named only in an allocation key, without bookings: it can go; and so
  // can the main cost centre, whose cost centres stay as they are.
  u.t.ui.erwarte_frage("Wollen Sie diese Kostenstelle löschen?", true);
  loeschen(Kostenstamm::Kostenstelle, "Kostenstelle", "1002");
  u.t.ui.erwarte_frage("Wollen Sie diese Leitkostenstelle loeschen?", true);
  loeschen(Kostenstamm::Leitkostenstelle, "Leitkostenstelle", "10");
  EXPECT_FALSE(u.m().kosten->suchen("K1002"));
  EXPECT_FALSE(u.m().kosten->suchen("L0010"));
  EXPECT_TRUE(u.m().kosten->suchen("K1000"));
  EXPECT_TRUE(u.m().kosten->suchen("V0500"));
}

TEST(Kostenarten, PaarPruefenBudgetsUndListe) {
  Umgebung u;
  u.grundausstattung();
  TFKostenart d(u.m());
  u.t.ui.formular_skript({
      F::tippe("Budget Periode 1", "100", false),  // no cost type yet
      F::tippe("Kostenstelle", "1005", false),
      F::tippe("Kostenstelle", "1000"),
      F::tippe("Sachkonto", "4711", false),
      F::tippe("Sachkonto", "4400"),
      F::tippe("Budget Periode 1", "1.000,00"),
      F::tippe("Budget Periode 12", "500"),
      F::tippe("BAB-Koordinate", "C7"),
      F::druecke(Taste::Esc),
  });
  d.ausfuehren();
  EXPECT_EQ(u.t.ui.meldungen(), (std::vector<std::string>{"Dieses Feld kann hier nicht geändert werden!",
                                                           "Kostenstelle nicht gefunden!",
                                                           "Sachkonto nicht gefunden!"}));
  ASSERT_TRUE(u.m().kostart->suchen("10004400"));
  const Satz& s = u.m().kostart->satz();
  EXPECT_EQ(s.get(KostartFelder::budget(1)), 100000);
  EXPECT_EQ(s.get(KostartFelder::Budget), 150000);
  std::string zwei = "44001000";
  EXPECT_TRUE(u.m().kostart->suchen_key(2, zwei));

  kostenartenliste_drucken(u.m(), 1, 9999);
  const auto z = u.t.ui.druckauftraege().back().alle_zeilen();
  EXPECT_EQ(std::vector<std::string>(z.begin() + 6, z.end()),
            (std::vector<std::string>{
                "Kostenst. Bezeichnung                   Sachkonto Bezeichnung", "",
                "1000      Stelle 1000                   4400      Konto 4400",
                "          Periode 1          1.000,00  Periode 2              0,00",
                "          Periode 3              0,00  Periode 4              0,00",
                "          Periode 5              0,00  Periode 6              0,00",
                "          Periode 7              0,00  Periode 8              0,00",
                "          Periode 9              0,00  Periode 10             0,00",
                "          Periode 11             0,00  Periode 12           500,00",
                "          Jahresbudget       1.500,00", ""}));
}

TEST(Kostenlisten, LeitkostenstellenKostenstellenVerteilschluessel) {
  Umgebung u;
  u.grundausstattung();
  u.dialog(Kostenstamm::Verteilschluessel,
           {F::tippe("Verteilschlüssel", "7"), F::tippe("Bezeichnung", "Halb und halb"),
            F::zelle(0, 0, "1000"), F::zelle(0, 1, "50"), F::zelle(1, 0, "1001"),
            F::zelle(1, 1, "50"), F::druecke(Taste::Esc)});
  kostenliste_drucken(u.m(), Kostenstamm::Leitkostenstelle, 1, 9999);
  kostenliste_drucken(u.m(), Kostenstamm::Kostenstelle, 1000, 1001);
  kostenliste_drucken(u.m(), Kostenstamm::Verteilschluessel, 1, 999);
  const auto& a = u.t.ui.druckauftraege();
  ASSERT_EQ(a.size(), 3u);
  auto ab6 = [](const Druckauftrag& d) {
    auto z = d.alle_zeilen();
    return std::vector<std::string>(z.begin() + 6, z.end());
  };
  EXPECT_EQ(a[0].alle_zeilen()[1], "Mandant: 001          L e i t k o s t e n s t e l l e n"
                                   "      Datum: 06.12.2024");
  EXPECT_EQ(ab6(a[0]), (std::vector<std::string>{"Leitkostenstelle    Bezeichnung", "",
                                                  "0010                Verwaltung"}));
  EXPECT_EQ(ab6(a[1]),
            (std::vector<std::string>{
                "Kostenstelle  Bezeichnung 1                             Leitkost.  Bebuchbar",
                "              Bezeichnung 2", "",
                "1000          Stelle 1000                               0010       J",
                "              ",
                "1001          Stelle 1001                               0010       J",
                "              "}));
  EXPECT_EQ(ab6(a[2]),
            (std::vector<std::string>{
                "Verteilschl.  Verteilschlüssel-Bezeichnung",
                "              Kostenstelle  Kostenstellen-Bezeichnung                 %-Anteil", "",
                "0007          Halb und halb",
                "              1000          Stelle 1000" + std::string(31, ' ') + "   50,00",
                "              1001          Stelle 1001" + std::string(31, ' ') + "   50,00", ""}));
}

}  // namespace
}  // namespace fibu
