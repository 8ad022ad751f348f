// Account sheets and the single-account statement on the small client of
// the posting tests, with bookings posted through the engine: exact lines
// for the carry-forward from period 1 and from period 4, collective and tax
// accounts, period sums off, cost centres, foreign currency and a damaged
// index; the selection dialogs' ranges and messages; and random books whose
// sheets must end at every account's stored balance.
#include "reports/kontoauszug.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "../posting/testbuchhaltung.h"

namespace fibu {
namespace {

using F = BuchungFelder;

struct Umgebung : Testumgebung {
  Umgebung() { t.ui.zeilen_pro_seite(1000); }

  void buchen(const std::string& konto, char sh, Betrag b, const std::string& gegen,
              const std::string& steuer, char art, const std::string& beleg, int p, Datum d) {
    t.buchung(konto, sh, b, gegen, steuer, art, beleg, p, d);
    ASSERT_TRUE(t.kern->buchen(m().buchung->anzahl_buchungen() + 1));
    if (art == 'R' || art == 'E' || art == 'G') {
      ASSERT_TRUE(t.kern->op_buchen(m().buchung->satz()));
    }
  }
  // An invoice of 116.00 to 10001 in January and its payment in February.
  void rechnung_und_zahlung() {
    buchen("10001", 'S', 11600, "4400", "", 'R', "R1", 1, DMYtoDate(10, 1, 2024));
    buchen("4400", 'H', 11600, "10001", "1", ' ', "R1", 1, DMYtoDate(10, 1, 2024));
    buchen("10001", 'H', 11600, "1200", "", 'Z', "R1", 2, DMYtoDate(3, 2, 2024));
    buchen("1200", 'S', 11600, "10001", "", ' ', "R1", 2, DMYtoDate(3, 2, 2024));
  }
  std::vector<std::string> drucken(int pf, int pt, std::int32_t von, std::int32_t bis,
                                   bool summen = true, bool kost = false) {
    Kontoauszuege e = kontoauszug_vorgabe(m(), {pf, pt});
    e.konto_von = von;
    e.konto_bis = bis;
    e.periodensummen = summen;
    e.kostenstellen = kost;
    kontoauszuege_drucken(m(), e);
    return t.ui.druckauftraege().back().alle_zeilen();
  }
  // The lines after the page header and the column line.
  std::vector<std::string> liste(std::vector<std::string> z) { return {z.begin() + 9, z.end()}; }
  // Changes bytes of a booking in the data file behind the index's back
  // (with the client closed, whose files keep pages in memory).
  void datei_aendern(std::int64_t nr, std::size_t offset, const std::string& bytes) {
    t.schliessen();
    aendern(nr, offset, bytes);
    t.oeffnen();
  }
  void aendern(std::int64_t nr, std::size_t offset, const std::string& bytes) {
    std::unique_ptr<Datei> d;
    ASSERT_TRUE(fs.oeffnen(std::string(test_wurzel) + "001/2024/BUCHUNG.DA1", Oeffnen::LesenSchreiben, d).ok());
    ASSERT_TRUE(d->schreiben(static_cast<std::uint64_t>(nr - 1) * F::groesse + offset, bytes).ok());
  }
};

const std::string spalten =
    "Art  Belegnr    Datum     Gegenkto    Satz  Buchungstext                Saldo   S            "
    "Soll           Haben";

TEST(Kontoauszug, ErstePeriodeMitEroeffnungsbuchungUndPeriodensummen) {
  Umgebung u;
  u.buchen("1200", 'S', 100000, "9000", "", 'E', "EB1", 1, DMYtoDate(1, 1, 2024));
  u.rechnung_und_zahlung();
  const auto z = u.drucken(1, 2, 1200, 1200);
  EXPECT_NE(z[1].find("K o n t o a u s z u g"), std::string::npos) << z[1];
  EXPECT_EQ(trim(z[2]), "Zeitraum: 01.01.2024 - 29.02.2024");
  EXPECT_EQ(z[7], spalten);
  const std::vector<std::string> erwartet = {
      "        1200 Konto 1200",
      // From period 1 on the carry-forward is zero: the opening booking is a line.
      "     Saldovortrag                                                        0,00                "
      "0,00            0,00",
      " E       EB1  01.01.2024      9000       1  Buchung 1200                                 1.000,00",
      "     Summe Periode 1                                                 1.000,00            "
      "1.000,00            0,00",
      "     Jahreswert aufgelaufen                                          1.000,00            "
      "1.000,00            0,00",
      "          R1  03.02.2024     10001       5  Buchung 1200                                   116,00",
      "     Summe Periode 2                                                   116,00              "
      "116,00            0,00",
      "     Jahreswert aufgelaufen                                          1.116,00            "
      "1.116,00            0,00",
      "     Kontosumme                                                      1.116,00            "
      "1.116,00            0,00",
  };
  EXPECT_EQ(u.liste(z), erwartet);

  // A personal account: the invoice in debit, the payment in credit; a GL
  // account with a tax key shows its net amount and the key.
  const auto p = u.liste(u.drucken(1, 2, 10001, 10001));
  EXPECT_EQ(p[0], "       10001 Kunde 10001");
  EXPECT_EQ(p[2], " R        R1  10.01.2024      4400       2  Buchung 10001                                  116,00");
  EXPECT_EQ(p[5], " Z        R1  03.02.2024      1200       4  Buchung 10001                 "
                  "                                 116,00");
  EXPECT_EQ(p.back(), "     Kontosumme                                                          0,00              "
                      "116,00          116,00");
  const auto e = u.liste(u.drucken(1, 1, 4400, 4400));
  EXPECT_EQ(e[2], "          R1  10.01.2024     10001       3  Buchung 4400                        1     "
                  "                     100,00");
}

TEST(Kontoauszug, VortragAbPeriodeVierOhnePeriodensummen) {
  Umgebung u;
  // Opening balances: the bank in credit, the customer in credit too.
  u.buchen("1200", 'H', 50000, "9000", "", 'E', "EB1", 1, DMYtoDate(1, 1, 2024));
  u.buchen("10001", 'H', 20000, "9000", "", 'E', "EB2", 1, DMYtoDate(1, 1, 2024));
  u.buchen("1200", 'S', 10000, "3400", "", ' ', "1", 1, DMYtoDate(5, 1, 2024));
  u.buchen("1200", 'H', 3000, "3400", "", ' ', "2", 2, DMYtoDate(5, 2, 2024));
  u.buchen("1200", 'S', 1000, "3400", "", ' ', "3", 3, DMYtoDate(5, 3, 2024));
  u.buchen("1200", 'S', 5000, "3400", "", ' ', "4", 4, DMYtoDate(5, 4, 2024));
  u.buchen("10001", 'S', 7000, "4400", "", 'R', "R4", 5, DMYtoDate(6, 5, 2024));
  const auto z = u.liste(u.drucken(4, 5, 1200, 1200, false));
  const std::vector<std::string> erwartet = {
      "        1200 Konto 1200",
      // The negative opening balance goes to credit, then periods 1 to 3.
      "     Saldovortrag                                                     -420,00              "
      "110,00          530,00",
      "           4  05.04.2024      3400       6  Buchung 1200                                    50,00",
      "     Jahreswert aufgelaufen                                           -370,00              "
      "160,00          530,00",
      "     Jahreswert aufgelaufen                                           -370,00              "
      "160,00          530,00",
      "     Kontosumme                                                       -370,00              "
      "160,00          530,00",
  };
  EXPECT_EQ(z, erwartet);
  // A personal account keeps its opening balance in debit with its sign.
  const auto p = u.liste(u.drucken(4, 5, 10001, 10001, false));
  EXPECT_EQ(p[1], "     Saldovortrag                                                     -200,00             "
                  "-200,00            0,00");
  EXPECT_EQ(p.back(), "     Kontosumme                                                       -130,00             "
                      "-130,00            0,00");
  // An account whose bookings all lie after the range is left out.
  const auto ohne = u.liste(u.drucken(1, 3, 10001, 10002));
  EXPECT_EQ(ohne[0], "       10001 Kunde 10001");
  for (const auto& l : ohne) EXPECT_EQ(l.find("10002"), std::string::npos) << l;
  EXPECT_TRUE(u.liste(u.drucken(1, 1, 3400, 3400)).empty());
}

TEST(Kontoauszug, SammelUndSteuerkontenNurMitPeriodensummen) {
  Umgebung u;
  u.buchen("10001", 'S', 30000, "9000", "", 'E', "EB2", 1, DMYtoDate(1, 1, 2024));
  u.rechnung_und_zahlung();
  const auto z = u.liste(u.drucken(1, 2, 1400, 1400, false));
  const std::vector<std::string> erwartet = {
      "        1400 Konto 1400",
      // No opening booking of the customers is a line here, so the opening
      // balance is carried forward even from period 1.
      "     Saldovortrag                                                      300,00              "
      "300,00            0,00",
      "                                            Sammelkonto                                    116,00"
      "            0,00",
      "     Jahreswert aufgelaufen                                            416,00              "
      "416,00            0,00",
      "                                            Sammelkonto                                      0,00"
      "          116,00",
      "     Jahreswert aufgelaufen                                            300,00              "
      "416,00          116,00",
      "     Kontosumme                                                        300,00              "
      "416,00          116,00",
  };
  EXPECT_EQ(z, erwartet);
  EXPECT_EQ(u.t.sachkonto(1400).get(SachFelder::Saldo), 30000);
  // A tax account without a booking of its own shows its tax by period;
  // collective and tax accounts without any movement are printed too.
  const auto s = u.liste(u.drucken(1, 1, 1771, 1776, false));
  EXPECT_EQ(s[0], "        1771 Konto 1771");
  EXPECT_NE(std::find(s.begin(), s.end(), "        1776 Konto 1776"), s.end());
  EXPECT_EQ(s.back(), "     Kontosumme                                                        -16,00                "
                      "0,00           16,00");
}

TEST(Kontoauszug, KostenstellenFremdwaehrungUndNeueSeite) {
  Umgebung u;
  u.t.buchung("3400", 'S', 2500, "1200", "", ' ', "K1", 1, DMYtoDate(9, 1, 2024));
  u.m().buchung->satz().set(F::Kost, "12");
  u.m().buchung->satz().set(F::Fremdwaehrung, true);
  u.m().buchung->satz().set(F::Fremdbetrag, Betrag{4890});
  ASSERT_TRUE(u.t.kern->buchen(1));
  u.buchen("1200", 'H', 2500, "3400", "", ' ', "K1", 1, DMYtoDate(9, 1, 2024));
  const auto z = u.drucken(1, 1, 1200, 3400, true, true);
  EXPECT_EQ(z[7], "Art  Belegnr    Datum     Gegenkto  Kostenst    Satz  Buchungstext                Saldo   "
                  "S            Soll           Haben");
  const auto l = u.liste(z);
  const auto titel = std::find(l.begin(), l.end(), "        3400 Konto 3400");
  ASSERT_NE(titel, l.end());
  EXPECT_EQ(titel[2], "          K1  09.01.2024      1200        12       1  Buchung 3400            "
                      "                        25,00");
  EXPECT_EQ(titel[3], space(92) + "(         48,90)");
  EXPECT_EQ(titel[4], "     Summe Periode 1                                                              25,00   "
                      "            25,00            0,00");
  // Each account on a page of its own when asked: one header per account.
  Kontoauszuege e = kontoauszug_vorgabe(u.m(), {1, 1});
  e.konto_von = 1200;
  e.konto_bis = 1410;
  e.neue_seite = true;
  kontoauszuege_drucken(u.m(), e);
  const auto& seiten = u.t.ui.druckauftraege().back().seiten;
  ASSERT_EQ(seiten.size(), 3u);  // 1200, 1400, 1410
  EXPECT_EQ(seiten[1].zeilen[9].text, "        1400 Konto 1400");
}

TEST(Kontoauszug, BeschaedigterIndex) {
  Umgebung u;
  u.buchen("1200", 'S', 1000, "3400", "", ' ', "1", 1, DMYtoDate(5, 1, 2024));
  u.buchen("1200", 'S', 2000, "3400", "", ' ', "2", 1, DMYtoDate(6, 1, 2024));
  u.buchen("1200", 'S', 4000, "3400", "", ' ', "3", 1, DMYtoDate(7, 1, 2024));
  // The second booking's date moves to March in the file only.
  const Datum maerz = DMYtoDate(7, 3, 2024);
  Satz roh(F::groesse);
  roh.set(F::Datum, maerz);
  u.datei_aendern(2, F::Datum.offset, std::string(roh.bytes().data() + F::Datum.offset, 2));
  const auto z = u.liste(u.drucken(1, 1, 1200, 1200));
  const std::string fehler = "FEHLER: Indexdatei-Buchungen beschädigt !!!";
  ASSERT_GE(z.size(), 4u);
  EXPECT_NE(z[2].find("   10,00"), std::string::npos) << z[2];
  EXPECT_EQ(z[3], fehler);  // and the third booking is left out
  EXPECT_NE(z[4].find("Summe Periode 1"), std::string::npos);
  EXPECT_NE(z[4].find("10,00"), std::string::npos);
  EXPECT_EQ(z.back(), fehler);

  // The statement reports the booking of another account in its place and
  // once more after the totals, and then compares no balance.
  Satz anderes(F::groesse);
  anderes.set(F::Konto, "1400");
  u.datei_aendern(2, F::Konto.offset, anderes.bytes().substr(F::Konto.offset, 9));
  kontoauszug_einzeln_drucken(u.m(), {1200, DMYtoDate(1, 1, 2024), DMYtoDate(31, 12, 2024)});
  const auto s = u.t.ui.druckauftraege().back().alle_zeilen();
  EXPECT_EQ(std::count(s.begin(), s.end(), fehler), 2);
  EXPECT_EQ(s.back(), fehler);
}

TEST(Kontoauszug, EinzelkontoMitLaufendemSaldo) {
  Umgebung u;
  u.rechnung_und_zahlung();
  u.buchen("1200", 'H', 1600, "3400", "", ' ', "5", 3, DMYtoDate(4, 3, 2024));
  kontoauszug_einzeln_drucken(u.m(), {1200, DMYtoDate(1, 1, 2024), DMYtoDate(31, 12, 2024)});
  auto z = u.t.ui.druckauftraege().back().alle_zeilen();
  EXPECT_NE(z[1].find("K o n t o a u s z u g - E i n z e l k o n t o"), std::string::npos);
  const std::vector<std::string> erwartet = {
      "        1200 Konto 1200",
      "          Soll          Haben  S          Saldo  A  Gegenkto  Belegnr    Datum     "
      "Buchungstext                       Z  Zeile",
      "",
      "        116,00                 S         116,00        10001       R1  03.02.2024  "
      "Buchung 1200                              4",
      "                        16,00  S         100,00         3400        5  04.03.2024  "
      "Buchung 1200                              5",
      std::string(47, '-'),
      "        116,00          16,00  S         100,00",
  };
  EXPECT_EQ(std::vector<std::string>(z.begin() + 7, z.end()), erwartet);

  // A stored balance that the bookings do not give is reported over the
  // whole year, but a part of the year compares nothing.
  Satz& k = u.m().sach->satz();
  ASSERT_TRUE(u.m().sach->suchen("1200"));
  k.set(SachFelder::Saldo, Betrag{12345});
  u.m().sach->speichern("1200");
  const std::string fehler = "FEHLER: Gesamtsaldo des Kontos stimmt nicht mit den Buchungen überein !!!";
  kontoauszug_einzeln_drucken(u.m(), {1200, DMYtoDate(1, 1, 2024), DMYtoDate(31, 12, 2024)});
  EXPECT_EQ(u.t.ui.druckauftraege().back().alle_zeilen().back(), fehler);
  kontoauszug_einzeln_drucken(u.m(), {1200, DMYtoDate(1, 3, 2024), DMYtoDate(31, 12, 2024)});
  z = u.t.ui.druckauftraege().back().alle_zeilen();
  EXPECT_EQ(z.back(), "          0,00          16,00  H         -16,00");

  // A balance brought to zero by a credit shows the same side in its row
  // as on the total line.
  Umgebung null;
  null.rechnung_und_zahlung();
  null.buchen("1200", 'H', 11600, "3400", "", ' ', "6", 3, DMYtoDate(5, 3, 2024));
  kontoauszug_einzeln_drucken(null.m(), {1200, DMYtoDate(1, 1, 2024), DMYtoDate(31, 12, 2024)});
  z = null.t.ui.druckauftraege().back().alle_zeilen();
  ASSERT_GE(z.size(), 3u);
  EXPECT_EQ(z[z.size() - 3].substr(0, 47), "                       116,00  S           0,00");
  EXPECT_EQ(z.back(), "        116,00         116,00  S           0,00");
}

// Month-end puts the archived bookings in front of the open ones: both
// are printed from the same file, with their numbers in it.
TEST(Kontoauszug, ArchivGesperrteBuchungenUndLangeNummern) {
  Umgebung u;
  u.buchen("1200", 'S', 1000, "3400", "", ' ', "RE-2024-0815", 1, DMYtoDate(5, 1, 2024));
  u.buchen("1200", 'H', 500, "3400", "", ' ', "2", 2, DMYtoDate(5, 2, 2024));
  u.buchen("1200", 'S', 250, "3400", "", ' ', "3", 3, DMYtoDate(5, 3, 2024));
  Satz gesperrt(F::groesse);
  gesperrt.set(F::Gesperrt, true);
  u.aendern(1, F::Gesperrt.offset, gesperrt.bytes().substr(F::Gesperrt.offset, 1));
  u.t.schliessen();
  u.t.oeffnen();
  u.m().archivanzahl = 2;
  u.m().buchung->offene_sicht = true;
  ASSERT_EQ(u.m().buchung->anzahl_buchungen(), 1);
  const auto z = u.liste(u.drucken(1, 3, 1200, 1200, false));
  ASSERT_EQ(z.size(), 9u);
  EXPECT_EQ(z[2], "     RE-2024  05.01.2024      3400       1  Buchung 1200                                    10,00");
  EXPECT_NE(z[4].find("       2  Buchung 1200"), std::string::npos) << z[4];
  EXPECT_NE(z[6].find("       3  Buchung 1200"), std::string::npos) << z[6];
  EXPECT_EQ(z.back(), "     Kontosumme                                                          7,50               "
                      "12,50            5,00");
  kontoauszug_einzeln_drucken(u.m(), {1200, DMYtoDate(1, 1, 2024), DMYtoDate(31, 3, 2024)});
  const auto e = u.t.ui.druckauftraege().back().alle_zeilen();
  // The journal has locked the first booking: marked in column Z.
  EXPECT_EQ(e[10].substr(116), "  *      1");
  EXPECT_EQ(e[11].substr(116), "         2");
  EXPECT_EQ(e.back(), "         12,50           5,00  S           7,50");
}

TEST(Kontoauszug, AuswahldialogeBereicheUndMeldungen) {
  Umgebung u;
  // Period 1: nothing closed yet.
  TFKontoauszug(u.m(), Auszugsperioden::Abgeschlossen).ausfuehren();
  EXPECT_EQ(u.t.ui.meldungen().back(), "Es sind noch keine Perioden abgeschlossen worden!");
  EXPECT_TRUE(u.t.ui.druckauftraege().empty());

  u.m().basis.set(BasisFelder::AktuellePeriode, std::uint8_t{4});
  u.buchen("1200", 'S', 1000, "3400", "", ' ', "1", 2, DMYtoDate(5, 2, 2024));
  {
    // Closed periods 1..3: a to-period above moves back to 3, a
    // from-period after the to-period is refused.
    TFKontoauszug d(u.m(), Auszugsperioden::Abgeschlossen);
    EXPECT_EQ(d.form().zahl(2), 3);
    EXPECT_EQ(d.form().zahl(8), 4);  // "Aktuelle Periode"
    u.t.ui.formular_skript({Formularschritt::tippe("Perioden bis", "9"),
                            Formularschritt::tippe("Perioden von", "3"),
                            Formularschritt::tippe("Perioden bis", "2"),
                            Formularschritt::tippe("Kontonummer", "1200"),
                            Formularschritt::tippe("bis", "1200"), Formularschritt::druecke(Taste::Esc),
                            Formularschritt::tippe("Perioden von", "1"),
                            Formularschritt::druecke(Taste::Esc)});
    d.ausfuehren();
    EXPECT_EQ(u.t.ui.meldungen().back(), "Die Von-Periode ist größer als die Bis-Periode!");
    const auto z = u.t.ui.druckauftraege().back().alle_zeilen();
    EXPECT_EQ(trim(z[2]), "Zeitraum: 01.01.2024 - 29.02.2024");
    EXPECT_EQ(z[9], "        1200 Konto 1200");
  }
  {
    // Open periods 4..12: a from-period below moves up to 4.
    TFKontoauszug d(u.m(), Auszugsperioden::Offen);
    u.t.ui.formular_skript({Formularschritt::tippe("Perioden von", "2"),
                            Formularschritt::druecke(Taste::Esc)});
    d.ausfuehren();
    EXPECT_EQ(d.form().zahl(1), 4);
    EXPECT_EQ(trim(u.t.ui.druckauftraege().back().alle_zeilen()[2]), "Zeitraum: 01.04.2024 - 31.12.2024");
  }
  {
    TFKontoauszugEinzeln d(u.m());
    u.t.ui.formular_skript({Formularschritt::tippe("Kontonummer", "4711"),
                            Formularschritt::tippe("Datum", "01.06.2024"),
                            Formularschritt::tippe("bis", "31.05.2024"), Formularschritt::druecke(Taste::Esc),
                            Formularschritt::tippe("bis", "30.06.2024"), Formularschritt::druecke(Taste::Esc),
                            Formularschritt::tippe("Kontonummer", "10001"),
                            Formularschritt::druecke(Taste::Esc)});
    const std::size_t vorher = u.t.ui.druckauftraege().size();
    d.ausfuehren();
    const auto& m = u.t.ui.meldungen();
    EXPECT_EQ(m[m.size() - 2], "Das Von-Datum ist größer als das Bis-Datum!");
    EXPECT_EQ(m.back(), "Konto nicht gefunden");
    ASSERT_EQ(u.t.ui.druckauftraege().size(), vorher + 1);
    EXPECT_EQ(trim(u.t.ui.druckauftraege().back().alle_zeilen()[2]), "Zeitraum: 01.06.2024 - 30.06.2024");
  }
  // A cancelled printer prints nothing and says nothing.
  const std::size_t meldungen = u.t.ui.meldungen().size(), auftraege = u.t.ui.druckauftraege().size();
  u.t.ui.drucker_ablehnen();
  u.drucken(1, 12, 1, 99999);
  EXPECT_EQ(u.t.ui.druckauftraege().size(), auftraege);
  EXPECT_EQ(u.t.ui.meldungen().size(), meldungen);
  u.t.ui.alles_verbraucht();
}

// Random documents over the whole year: every account's sheet over all
// periods ends at the balance its record holds.
TEST(Kontoauszug, ZufallsbuecherEndenBeimKontosaldo) {
  Umgebung u;
  std::mt19937 zufall(20241206);
  const std::vector<std::string> konten = {"1000", "1200", "3400", "4400", "10001", "10002",
                                           "70001", "70002"};
  auto wuerfel = [&](int n) { return static_cast<int>(zufall() % static_cast<unsigned>(n)); };
  for (int i = 0; i < 300; ++i) {
    const int p = 1 + wuerfel(12);
    const Datum d = DMYtoDate(1 + wuerfel(28), p, 2024);
    const std::string a = konten[static_cast<std::size_t>(wuerfel(8))];
    const std::string b = konten[static_cast<std::size_t>(wuerfel(4))];
    const Betrag betrag = 1 + wuerfel(100000);
    const bool person = a.size() == 5;
    const char art = i < 8 ? 'E' : person ? (wuerfel(2) ? 'R' : 'Z') : ' ';
    const std::string beleg = "B" + std::to_string(i);
    u.buchen(a, 'S', betrag, b, "", art, beleg, art == 'E' ? 1 : p, art == 'E' ? DMYtoDate(1, 1, 2024) : d);
    u.buchen(b, 'H', betrag, a, b == "4400" ? "1" : "", art == 'E' ? 'E' : ' ', beleg,
             art == 'E' ? 1 : p, art == 'E' ? DMYtoDate(1, 1, 2024) : d);
  }
  const auto z = u.liste(u.drucken(1, 12, 1, 99999, wuerfel(2)));
  std::map<std::string, Betrag> gedruckt;
  std::string konto;
  for (const auto& l : z) {
    if (l.size() > 13 && l.compare(0, 5, "     ") == 0 && l[12] == ' ' && l[13] != ' ')
      konto = trim(l.substr(5, 7));
    if (l.rfind("     Kontosumme", 0) == 0) gedruckt[konto] = *betrag_aus_text(trim(l.substr(63, 14)));
  }
  for (const auto& k : test_sachkonten) {
    const Satz s = u.t.sachkonto(k.nummer);
    if (s.get(SachFelder::Saldo) == 0 && !gedruckt.count(std::to_string(k.nummer))) continue;
    EXPECT_EQ(gedruckt[u.m().sachkonto_text(k.nummer)], s.get(SachFelder::Saldo)) << k.nummer;
  }
  for (const auto& p : test_personenkonten)
    EXPECT_EQ(gedruckt[std::to_string(p[0])], u.t.personenkonto(p[0]).get(PersonenFelder::Saldo)) << p[0];
}

}  // namespace
}  // namespace fibu
