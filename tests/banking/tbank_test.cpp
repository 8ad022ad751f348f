// The statement of a bank account: the row checks in their order, the
// bookings a posted statement gives (refunds, splits, tax, cost centres),
// the refusals before anything is written, and the table file that
// outlives the client's session.
#include <gtest/gtest.h>

#include "bankbuchhaltung.h"
#include "banking/tfbankaufteilen.h"
#include "banking/zuordnung.h"

namespace fibu {
namespace {

using O = OpstammFelder;
using F = BuchungFelder;

struct BankTest : ::testing::Test, Bankbuchhaltung {};

// The printed lines from the first one that starts with `anfang` (below
// the page header), without trailing blanks.
std::vector<std::string> ab(const std::vector<std::string>& zeilen, const std::string& anfang) {
  auto it = std::find_if(zeilen.begin(), zeilen.end(),
                         [&](const std::string& z) { return z.starts_with(anfang); });
  std::vector<std::string> aus;
  for (; it != zeilen.end(); ++it) {
    std::string z = *it;
    while (!z.empty() && z.back() == ' ') z.pop_back();
    aus.push_back(z);
  }
  return aus;
}

TEST_F(BankTest, ZeilenpruefungInIhrerReihenfolge) {
  rechnung("10001", "R100", 11000, tag(3));
  m().kosten->leeren();
  m().kosten->satz().set(KostenFelder::FreiBebuchbar, true);
  m().kosten->speichern("K0100");
  bank.datum_setzen(tag(15, 4));
  struct Fall {
    Bankzeile z;
    std::string meldung;
  };
  auto mit = [](Bankzeile z, auto aendern) {
    aendern(z);
    return z;
  };
  const Fall faelle[] = {
      {zeile(100, 100, "R100", 100, "10001"),
       "Soll und Haben dürfen nicht beide ungleich Null sein!"},
      {zeile(0, 100, "R100", 0, "10001"), "Betrag darf nicht Null sein!"},
      {zeile(0, 100, "", 100, "10001"), "Die Belegnummer darf nicht leer sein!"},
      {zeile(0, 100, "R999", 100, "10001"), "OP zu der Belegnummer nicht gefunden!"},
      {zeile(0, 0, "R100", 100, "10001"), "Bezugszeile zu dieser Splitbuchung nicht gefunden!"},
      {zeile(0, 100, "/", 100, ""), "Konto darf nicht leer sein!"},
      {zeile(0, 100, "/", 100, "10001"), "Bitte Sachkonto eintragen!"},
      {zeile(0, 100, "/", 100, "4999"), "Sachkonto nicht gefunden!"},
      {zeile(0, 100, "R100", 100, "1200"), "Bitte Personenkonto eintragen!"},
      {zeile(0, 100, "R100", 100, "10009"), "Personenkonto nicht gefunden!"},
      {zeile(0, 100, "R100", 100, "10002"), "Personenkonto paßt nicht zu diesem OP!"},
      {mit(zeile(0, 100, "/", 100, "1000"), [](Bankzeile& z) { z.kost = "200"; }),
       "Kostenstelle nicht gefunden!"},
      {mit(zeile(0, 100, "/", 100, "1000"), [](Bankzeile& z) { z.kost = "9100"; }),
       "Verteilschlüssel nicht gefunden!"},
      {zeile(0, 100, "/", 100, "1000", 31),
       "Die Angabe \"Tag\" liegt außerhalb der maximalen Anzahl der Tage im Monat 4 für das Jahr "
       "2024!"},
      {zeile(0, 100, "/", 100, "1000", 0),
       "Die Angabe \"Tag\" liegt außerhalb der maximalen Anzahl der Tage im Monat 4 für das Jahr "
       "2024!"},
      {mit(zeile(0, 100, "/", 100, "1000", 30), [](Bankzeile& z) { z.kost = "100"; }), ""},
      {zeile(0, 100, "R100", 100, "10001", 30), ""},
      {Bankzeile{}, ""},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.meldung);
    bank.zeilen()[0] = f.z;
    EXPECT_EQ(bank.zeile_pruefen(0), f.meldung);
  }
}

TEST_F(BankTest, GanzerAuszugGegenOffenePosten) {
  rechnung("10001", "R100", 11000, tag(3));
  rechnung("10002", "R200", 5000, tag(4));
  rechnung("70001", "E300", 8000, tag(5));
  const Betrag alt = saldo(1200);
  std::vector<Bankzeile> zeilen = {zeile(0, 11000, "R100"), zeile(0, 5000, "R200"),
                                   zeile(8000, 0, "E300"), zeile(11600, 0, "/", 0, "3400", 20)};
  setze(zeilen);
  for (std::size_t i = 0; i < zeilen.size(); ++i) EXPECT_EQ(bank.belegnr_eingeben(i, true), "");
  EXPECT_EQ(bank.zeilen()[2].konto, "70001");
  EXPECT_EQ(bank.zeilen()[2].betrag, 8000);
  EXPECT_EQ(bank.zeilen()[3].betrag, 11600);  // a "/" row takes the statement amount
  EXPECT_EQ(bank.differenz(), 0);
  const Betrag neu = bank.neuer_saldo();
  EXPECT_EQ(neu, alt + 11000 + 5000 - 8000 - 11600);

  const std::int64_t vorher = letzte();
  ASSERT_TRUE(bank.buchen().gebucht) << testing::PrintToString(t.ui.meldungen());
  EXPECT_EQ(gebucht(vorher), (std::vector<std::string>{
                                 "1200 S 110,00 Z R100 -> 10001 St: Kost:",
                                 "10001 H 110,00 Z R100 -> 1200 St: Kost:",
                                 "1200 S 50,00 Z R200 -> 10002 St: Kost:",
                                 "10002 H 50,00 Z R200 -> 1200 St: Kost:",
                                 "1200 H 80,00 Z E300 -> 70001 St: Kost:",
                                 "70001 S 80,00 Z E300 -> 1200 St: Kost:",
                                 "1200 H 116,00 Z / -> 3400 St: Kost:",
                                 "3400 S 116,00 Z / -> 1200 St:9 Kost:",
                             }));
  for (const char* key : {"DR100", "DR200", "KE300"}) EXPECT_EQ(offen(key), 0) << key;
  // The bank account loses the full 116.00; only the expense is split.
  EXPECT_EQ(saldo(1200), neu);
  EXPECT_EQ(bank.alter_saldo(), neu);
  EXPECT_EQ(saldo(3400), 10000);
  EXPECT_EQ(saldo(1576), 1600);
  // Texts: the counter account's name on the bank booking, the purpose
  // text as second text, the first two characters in the text key.
  const auto b = buchungen_nach(m(), vorher);
  EXPECT_EQ(b[0].get(F::Text1), "Kunde 10001");
  EXPECT_EQ(b[0].get(F::Textschluessel), "Ku");
  EXPECT_EQ(b[1].get(F::Text1), "Konto 1200");
  EXPECT_EQ(b[7].get(F::Datum), tag(20));
  EXPECT_EQ(b[7].get(F::Periode), 1);
  EXPECT_EQ(bank.benutzt(), 0u);
}

TEST_F(BankTest, KundenerstattungMitGutschrift) {
  gutschrift("10002", "G50", 5000, tag(4));
  Bankzeile z = zeile(5000, 0, "G50");
  z.gutschrift = true;
  setze({z});
  ASSERT_EQ(bank.kennung(0), 'D');
  EXPECT_EQ(bank.belegnr_eingeben(0, true), "");
  EXPECT_EQ(bank.zeilen()[0].konto, "10002");
  EXPECT_EQ(bank.zeilen()[0].betrag, 5000);
  const std::int64_t vorher = letzte();
  const Betrag alt = saldo(1200);
  ASSERT_TRUE(bank.buchen().gebucht);
  // The bank booking is on the debit side with a negative amount.
  EXPECT_EQ(gebucht(vorher), (std::vector<std::string>{
                                 "1200 S -50,00 Z G50 -> 10002 St: Kost:",
                                 "10002 H -50,00 Z G50 -> 1200 St: Kost:",
                             }));
  EXPECT_EQ(saldo(1200), alt - 5000);
  EXPECT_EQ(offen("DG50"), 0);
}

TEST_F(BankTest, AufteilenAufZweiOffenePosten) {
  rechnung("10001", "R600", 60000, tag(3));
  rechnung("10002", "R400", 40000, tag(3));
  m().basis.set(BasisFelder::bank_muster_ar(0), "R???");
  Bankzeile z = zeile(0, 100000, "");
  z.text_btx = "ZAHLUNG R600 UND R400";
  setze({z, zeile(0, 50000, "/", 50000, "1000")});

  TFBankAufteilen a(m(), bank, 0);
  a.btx_text();
  ASSERT_EQ(a.teilzeilen().size(), 2u);
  EXPECT_EQ(a.teilzeilen()[1].konto, "10002");
  EXPECT_EQ(a.teilzeilen()[1].betrag, 40000);
  EXPECT_EQ(a.pruefen(), "");
  ASSERT_TRUE(a.drucken());
  EXPECT_EQ(ab(t.ui.druckauftraege().back().alle_zeilen(), "Ihr Zahlungseingang"),
            (std::vector<std::string>{
                "Ihr Zahlungseingang konnte nicht zugeordnet werden und wurde wie folgt",
                "in unserer Buchhaltung verbucht:",
                "",
                "Zahlungseingang : 1.000,00",
                "BTX-Text        : ZAHLUNG R600 UND R400",
                "",
                "Belegnr         Betrag   Betreff",
                "R600          600,00   Kunde 10001",
                "R400          400,00   Kunde 10002",
                "",
                "Summe         1.000,00",
            }));
  a.uebernehmen();
  ASSERT_EQ(bank.benutzt(), 3u);
  EXPECT_EQ(bank.zeilen()[0].betrag, 60000);
  EXPECT_EQ(bank.zeilen()[1].belegnr, "R400");
  EXPECT_EQ(bank.zeilen()[1].tag, 15);
  EXPECT_EQ(bank.zeilen()[2].soll + bank.zeilen()[2].haben, 50000);  // the next line stays

  const std::int64_t vorher = letzte();
  ASSERT_TRUE(bank.buchen().gebucht);
  EXPECT_EQ(gebucht(vorher), (std::vector<std::string>{
                                 "1200 S 1.000,00 Z R600 -> 10001 St: Kost:",
                                 "10001 H 600,00 Z R600 -> 1200 St: Kost:",
                                 "10002 H 400,00 Z R400 -> 1200 St: Kost:",
                                 "1200 S 500,00 Z / -> 1000 St: Kost:",
                                 "1000 H 500,00 Z / -> 1200 St: Kost:",
                             }));
  EXPECT_EQ(offen("DR600"), 0);
  EXPECT_EQ(offen("DR400"), 0);
}

TEST_F(BankTest, AufteilenPrueftSummeUndKonten) {
  rechnung("10001", "R600", 60000, tag(3));
  setze({zeile(0, 100000, "R600", 60000, "10001")});
  TFBankAufteilen a(m(), bank, 0);
  EXPECT_EQ(a.pruefen(), "Die Summe stimmt nicht mit dem Betrag überein!");
  ASSERT_TRUE(a.form().zelle_setzen(1, 0, "/"));
  ASSERT_TRUE(a.form().zelle_setzen(1, 1, "4999"));
  ASSERT_TRUE(a.form().zelle_setzen(1, 3, "400,00"));
  EXPECT_EQ(a.pruefen(), "Sachkonto nicht gefunden!");
  ASSERT_TRUE(a.form().zelle_setzen(1, 1, "1000"));
  EXPECT_EQ(a.pruefen(), "");
  // The notice needs an item; a line of GL rows only has none.
  setze({zeile(0, 100, "/", 100, "1000")});
  TFBankAufteilen ohne(m(), bank, 0);
  EXPECT_FALSE(ohne.drucken());
  EXPECT_EQ(t.ui.meldungen().back(), "Keine OP erfaßt, daher kein Ausdruck möglich!");
}

TEST_F(BankTest, SplitzeileUnterSplitzeileGehoertZurSelbenBankzeile) {
  rechnung("10001", "R1", 6000, tag(3));
  rechnung("10002", "R2", 3000, tag(3));
  setze({zeile(0, 10000, "R1", 6000, "10001"), zeile(0, 0, "R2", 3000, "10002"),
         zeile(0, 0, "/", 1000, "1000")});
  EXPECT_EQ(bank.bezugszeile(2), 0u);
  EXPECT_EQ(bank.kennung(1), 'D');
  const std::int64_t vorher = letzte();
  ASSERT_TRUE(bank.buchen().gebucht) << testing::PrintToString(t.ui.meldungen());
  EXPECT_EQ(gebucht(vorher), (std::vector<std::string>{
                                 "1200 S 100,00 Z R1 -> 10001 St: Kost:",
                                 "10001 H 60,00 Z R1 -> 1200 St: Kost:",
                                 "10002 H 30,00 Z R2 -> 1200 St: Kost:",
                                 "1000 H 10,00 Z / -> 1200 St: Kost:",
                             }));
}

TEST_F(BankTest, JedeBankzeileMussFuerSichAufgehen) {
  // A pays 100 on 110, B pays 60 on 50: the total difference is 0.
  rechnung("10001", "RA", 11000, tag(3));
  rechnung("10002", "RB", 5000, tag(3));
  setze({zeile(0, 10000, "RA"), zeile(0, 6000, "RB")});
  ASSERT_EQ(bank.belegnr_eingeben(0, true), "");
  ASSERT_EQ(bank.belegnr_eingeben(1, true), "");
  ASSERT_EQ(bank.differenz(), 0);
  const std::int64_t vorher = letzte();
  const auto e = bank.buchen();
  EXPECT_FALSE(e.gebucht);
  EXPECT_EQ(e.zeile, 0u);
  EXPECT_EQ(t.ui.meldungen().back(),
            "Die Bankzeile 1 ist mit ihren Splitbuchungen nicht ausgeglichen (Differenz -10,00)! "
            "Buchen ist nicht möglich.");
  EXPECT_EQ(letzte(), vorher);
  EXPECT_EQ(offen("DRA"), 11000);

  // With a total difference the documented message names the last line.
  bank.zeilen()[1].betrag = 6000;
  EXPECT_EQ(bank.buchen().zeile, 0u);
  EXPECT_EQ(t.ui.meldungen().back(), "Die Differenz ist nicht Null! Buchen ist nicht möglich.");
  bank.zeilen()[0].betrag = 10000;
  bank.zeilen()[1].betrag = 5000;
  EXPECT_EQ(bank.buchen().zeile, 1u);
  EXPECT_EQ(letzte(), vorher);
}

TEST_F(BankTest, KostenstelleNurAufSachkontenbuchungen) {
  rechnung("10001", "R1", 10000, tag(3));
  m().kosten->leeren();
  m().kosten->satz().set(KostenFelder::FreiBebuchbar, true);
  m().kosten->speichern("K0100");
  Bankzeile kunde = zeile(0, 10000, "R1", 10000, "10001");
  kunde.kost = "100";
  Bankzeile gebuehr = zeile(500, 0, "/", 500, "1000");
  gebuehr.kost = "100";
  setze({kunde, gebuehr});
  const std::int64_t vorher = letzte();
  ASSERT_TRUE(bank.buchen().gebucht) << testing::PrintToString(t.ui.meldungen());
  EXPECT_EQ(gebucht(vorher), (std::vector<std::string>{
                                 "1200 S 100,00 Z R1 -> 10001 St: Kost:",
                                 "10001 H 100,00 Z R1 -> 1200 St: Kost:",
                                 "1200 H 5,00 Z / -> 1000 St: Kost:100",
                                 "1000 S 5,00 Z / -> 1200 St: Kost:100",
                             }));
}

TEST_F(BankTest, AbgelehnteBuchungenImPruefLauf) {
  // The account wants a cost centre: the rows pass, the engine refuses.
  m().sach->suchen(m().sachkonto_text(1000));
  m().sach->satz().set(SachFelder::Kostenstellenzwang, true);
  m().sach->speichern(m().sachkonto_text(1000));
  setze({zeile(500, 0, "/", 500, "1000"), zeile(0, 200, "/", 200, "1000")});
  const std::int64_t vorher = letzte();
  const auto e = bank.buchen();
  EXPECT_FALSE(e.gebucht);
  EXPECT_EQ(e.zeile, 0u);
  const auto z = t.ui.druckauftraege().back().alle_zeilen();
  EXPECT_EQ(z, (std::vector<std::string>{
                   "!!! FEHLER in Zeile 1: Bitte Kostenstelle/Verteilschlüssel eingeben!",
                   "!!! FEHLER in Zeile 2: Bitte Kostenstelle/Verteilschlüssel eingeben!"}));
  EXPECT_EQ(letzte(), vorher);
  EXPECT_EQ(bank.benutzt(), 2u);
}

TEST_F(BankTest, GesperrtePeriode) {
  setze({zeile(500, 0, "/", 500, "1000")});
  m().basis.set(BasisFelder::periode_status(1), std::uint8_t{2});
  EXPECT_FALSE(bank.buchen().gebucht);
  EXPECT_EQ(t.ui.meldungen().back(),
            "Diese Periode ist gesperrt, Buchungen können nicht mehr erfolgen!");
}

// The screen, and with it the table, closes before the client does.
struct TabellenTest : ::testing::Test, OpBuchhaltung {};

TEST_F(TabellenTest, TabelleUeberlebtDasSchliessenDesMandanten) {
  {
    tbank bank(m());
    ASSERT_TRUE(bank.konto_oeffnen("1200"));
    Bankzeile z = zeile(0, 12345, "R7", 0, "", 9);
    z.text_btx = "ÜBERWEISUNG R7";
    z.te = "AB";
    bank.zeilen()[0] = z;
    bank.zeilen()[1] = zeile(0, 0, "/", 100, "1000", 9);
    bank.geaendert();
    bank.datum_setzen(tag(31, 3));
    ASSERT_TRUE(bank.speichern());
    ASSERT_TRUE(t.m->fs().existiert(t.m->daten_verzeichnis() + "1200.STA"));
  }
  t.schliessen();
  t.oeffnen();
  tbank wieder(*t.m);
  ASSERT_TRUE(wieder.konto_oeffnen("1200"));
  EXPECT_EQ(wieder.datum(), tag(31, 3));
  EXPECT_EQ(wieder.periode(), 3);
  ASSERT_EQ(wieder.benutzt(), 2u);
  EXPECT_GE(wieder.zeilen().size(), 2u + tbank::freie_zeilen);
  EXPECT_EQ(wieder.zeilen()[0].text_btx, "ÜBERWEISUNG R7");
  EXPECT_EQ(wieder.zeilen()[0].haben, 12345);
  EXPECT_EQ(wieder.zeilen()[0].te, "AB");
  EXPECT_EQ(wieder.zeilen()[1].betrag, 100);
  EXPECT_EQ(wieder.differenz(), 12245);
}

// "Drucken" prints the table as it stands; posting copies the table file
// to "1200.SIK", which then holds the statement posted; a copy that
// cannot be made is told and the posting goes on.
TEST_F(BankTest, GedruckterAuszugUndSicherungskopie) {
  rechnung("10001", "R100", 11000, tag(3));
  Bankzeile gebuehr = zeile(1250, 0, "/", 1250, "1000", 31);
  gebuehr.text_fibu = "Kontoführung";
  gebuehr.te = "KF";
  setze({zeile(0, 11000, "R100", 11000, "10001", 5), gebuehr});
  const Betrag alt = saldo(1200);
  ASSERT_TRUE(bank.drucken());
  const auto& auftrag = t.ui.druckauftraege().back();
  EXPECT_EQ(auftrag.name, "Bank-Kontoauszug");
  EXPECT_EQ(ab(auftrag.alle_zeilen(), "Bank-Konto: "),
            (std::vector<std::string>{
                "Bank-Konto: 1200  Konto 1200",
                "Datum: 15.01.2024",
                "Alter Saldo: " + rechtsbuendig(betrag_text(alt), 14),
                "Differenz:           0,00",
                "",
                "Zeile      Soll       Haben   Belegnr      Betrag   Konto     Te   Kost   Tag",
                "",
                "    1                110,00   R100         110,00   10001                   5",
                "    2     12,50               /             12,50   1000      KF           31  "
                "Kontoführung",
                "",
                "Neuer Saldo: " + rechtsbuendig(betrag_text(alt + 11000 - 1250), 14),
            }));

  ASSERT_TRUE(bank.speichern());
  std::string tabelle;
  const std::string verz = t.m->daten_verzeichnis();
  ASSERT_TRUE(t.m->fs().lies_datei(verz + "1200.STA", tabelle));
  EXPECT_EQ(tabelle.size(), 2 * BankzeileFelder::groesse);
  ASSERT_TRUE(bank.buchen().gebucht);
  std::string sik, danach;
  ASSERT_TRUE(t.m->fs().lies_datei(verz + "1200.SIK", sik));
  EXPECT_EQ(sik, tabelle);
  ASSERT_TRUE(t.m->fs().lies_datei(verz + "1200.STA", danach));
  EXPECT_EQ(danach, "");

  EXPECT_FALSE(t.m->fs().existiert(verz + "1200.SIK.NEU"));

  // A directory in the way of the copy: it fails, the statement posts, and
  // the ".SIK" keeps the statement before.
  ASSERT_TRUE(t.m->fs().verzeichnis_anlegen(verz + "1200.SIK.NEU"));
  rechnung("10002", "R200", 5000, tag(4));
  setze({zeile(0, 5000, "R200", 5000, "10002")});
  ASSERT_TRUE(bank.buchen().gebucht);
  EXPECT_NE(std::find(t.ui.meldungen().begin(), t.ui.meldungen().end(),
                      "Anlegen der Sicherungskopie gescheitert! Bitte führen Sie dies jetzt "
                      "manuell durch und drücken Sie erst dann \"OK\"."),
            t.ui.meldungen().end());
  EXPECT_EQ(offen("DR200"), 0);
  ASSERT_TRUE(t.m->fs().lies_datei(verz + "1200.SIK", danach));
  EXPECT_EQ(danach, tabelle);
}

TEST_F(BankTest, KontoUndDatumBeimOeffnen) {
  tbank b(m());
  EXPECT_FALSE(b.konto_oeffnen("4999"));
  EXPECT_EQ(t.ui.meldungen().back(), "Sachkonto nicht vorhanden!");
  EXPECT_FALSE(b.konto_oeffnen("10001"));
  // An empty table takes today; a date outside the year gives today.
  ASSERT_TRUE(b.konto_oeffnen("1000"));
  EXPECT_EQ(b.datum(), DMYtoDate(6, 12, 2024));
  EXPECT_FALSE(b.datum_setzen(DMYtoDate(1, 1, 2025)));
  EXPECT_EQ(t.ui.meldungen().back(), "Datum liegt nicht im Geschäftsjahr!");
  EXPECT_EQ(b.datum(), DMYtoDate(6, 12, 2024));
  EXPECT_EQ(b.bezeichnung(), "Konto 1000");
}

}  // namespace
}  // namespace fibu
