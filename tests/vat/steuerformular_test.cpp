// The official form of the VAT advance return: the values, signs and total
// of its lines, the header, the tax-number line of the federal states, the
// questions and refusals before printing, and both pages of a fixed book in
// 2012 and 2007 as golden text (the positioned texts laid back onto the
// character grid they were placed on).
#include "vat/steuerformular.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "../posting/testbuchhaltung.h"
#include "golden.h"

namespace fibu {
namespace {

using BF = BasisFelder;

// The grid the form is placed on.
constexpr double spalte_mm = 2.117, zeile_mm = 4.233, links_mm = 8, oben_mm = 6;

// One page as rows of characters (one UTF-8 character per cell): each
// text at its column and row.
using Rasterzeile = std::vector<std::string>;
std::vector<Rasterzeile> raster(const Druckseite& seite) {
  std::vector<Rasterzeile> zellen;
  for (const Positionstext& t : seite.texte) {
    const auto reihe = static_cast<std::size_t>(std::lround((t.y_mm - oben_mm) / zeile_mm));
    auto spalte = static_cast<std::size_t>(std::lround((t.x_mm - links_mm) / spalte_mm));
    if (zellen.size() <= reihe) zellen.resize(reihe + 1);
    auto& z = zellen[reihe];
    for (std::size_t i = 0; i < t.text.size();) {
      std::size_t n = 1;
      const auto c = static_cast<unsigned char>(t.text[i]);
      if (c >= 0xF0)
        n = 4;
      else if (c >= 0xE0)
        n = 3;
      else if (c >= 0xC0)
        n = 2;
      if (z.size() <= spalte) z.resize(spalte + 1, " ");
      // Two texts printed over each other cannot be read on paper.
      const std::string zeichen = t.text.substr(i, n);
      if (zeichen != " " && z[spalte] != " ")
        ADD_FAILURE() << "\"" << t.text << "\" overprints row " << reihe + 1 << ", column "
                      << spalte + 1;
      z[spalte++] = zeichen;
      i += n;
    }
  }
  return zellen;
}

// Columns von..bis (from 1, inclusive) of a row, blanks trimmed off.
std::string spalten(const Rasterzeile& z, std::size_t von, std::size_t bis) {
  std::string f;
  for (std::size_t i = von - 1; i < bis && i < z.size(); ++i) f += z[i];
  f.erase(0, f.find_first_not_of(' ') == std::string::npos ? f.size() : f.find_first_not_of(' '));
  while (!f.empty() && f.back() == ' ') f.pop_back();
  return f;
}

std::vector<std::string> als_text(const std::vector<Rasterzeile>& zeilen) {
  std::vector<std::string> aus;
  for (const auto& z : zeilen) {
    std::string text;
    for (const auto& c : z) text += c;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    aus.push_back(text);
  }
  return aus;
}

struct Formulartest : Testumgebung {
  Formularwerte w;
  Formularauftrag a;
  Formulartest() {
    a.monat = 6;
    a.jahr = 2012;
    Satz& b = m().basis;
    b.set(BF::Finanzamt, "Finanzamt Weiden");
    b.set(BF::FaStrasse, "Schlörplatz 2");
    b.set(BF::FaOrt, "92637 Weiden");
    b.set(BF::Strasse, "Hauptstraße 1");
    b.set(BF::PlzOrt, "92660 Neustadt");
    b.set(BF::Steuernummer, "9255081508155");
    b.set(BF::FaBundesland, std::uint8_t{2});  // Bayern
  }
  bool drucken() { return steuerformular_drucken(m(), a, w); }
  std::vector<Rasterzeile> seite(std::size_t n) {
    return raster(t.ui.druckauftraege().back().seiten.at(n));
  }
  // The base (from column 55) and the tax (from column 74) of a row.
  std::pair<std::string, std::string> betraege(std::size_t seite_nr, std::size_t reihe) {
    const auto z = seite(seite_nr);
    const Rasterzeile zeile = reihe - 1 < z.size() ? z[reihe - 1] : Rasterzeile{};
    return {spalten(zeile, 55, 70), spalten(zeile, 74, 100)};
  }
};

TEST(Steuerformular, ComputedTaxesSignsAndTheTotal) {
  struct Fall {
    const char* name;
    int jahr;
    int zeile;
    Betrag basis, steuer;
    std::size_t seite, reihe;
    std::string spalte1, spalte2;
    Betrag summe;
  };
  const std::vector<Fall> faelle = {
      // The tax of a rate line is the rate of the whole euros.
      {"19 % of 1000.99", 2012, 26, 100099, 0, 0, 37, "1.000", "190,00", 19000},
      {"7 % of 200.00", 2012, 27, 20000, 0, 0, 38, "200", "14,00", 1400},
      {"negative base", 2012, 26, -50050, 0, 0, 37, "-500", "-95,00", -9500},
      {"other rates: booked tax turned", 2012, 28, 10000, -1000, 0, 39, "100", "10,00", 1000},
      {"base only", 2012, 20, 123456, 0, 0, 29, "1.234", "", 0},
      // Kz 77 and 91 have no tax field: a tax booked there is no part of the form.
      {"Kz 77 without tax", 2012, 29, 10000, -1900, 0, 40, "100", "", 0},
      {"Kz 91 without tax", 2012, 32, 10000, -1900, 0, 45, "100", "", 0},
      {"§24 tax in 2002 turned like later", 2003, 33, 10000, -900, 0, 45, "100", "9,00", 900},
      {"liability with base", 2012, 48, 10000, -1900, 1, 7, "100", "19,00", 1900},
      // A tax owed without a base (booked as a credit) raises the payment.
      {"Kz 65 owed", 2012, 53, 0, -5000, 1, 16, "", "50,00", 5000},
      {"Kz 69 owed", 2012, 65, 0, -7000, 1, 34, "", "70,00", 7000},
      {"Kz 69 owed, 2010", 2010, 64, 0, -7000, 1, 32, "", "70,00", 7000},
      {"input tax", 2012, 56, 0, 1900, 1, 22, "", "19,00", -1900},
      {"input tax 2010", 2010, 55, 0, 1900, 1, 20, "", "19,00", -1900},
      {"16 % rate 2006", 2006, 27, 10000, 0, 0, 38, "100", "16,00", 1600},
      {"19 % rate 2007", 2007, 27, 10000, 0, 0, 38, "100", "19,00", 1900},
      {"2002 page 2 at 16 %", 2002, 48, 10000, 0, 1, 9, "100", "16,00", 1600},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    Formulartest u;
    u.a.jahr = f.jahr;
    u.w.basis[static_cast<std::size_t>(f.zeile)] = f.basis;
    u.w.steuer[static_cast<std::size_t>(f.zeile)] = f.steuer;
    ASSERT_TRUE(u.drucken());
    EXPECT_EQ(u.betraege(f.seite, f.reihe), std::make_pair(f.spalte1, f.spalte2));
    EXPECT_EQ(u.w.summe, f.summe);
    u.t.ui.alles_verbraucht();
  }
}

TEST(Steuerformular, TotalsOfBothPagesAndTheSpecialPrepayment) {
  Formulartest u;
  u.w.basis[26] = 100000;  // 190.00
  u.w.steuer[56] = 5000;   // input tax
  ASSERT_TRUE(u.drucken());
  EXPECT_EQ(u.betraege(0, 59).second, "190,00");  // carried to page 2
  EXPECT_EQ(u.betraege(1, 3).second, "190,00");
  EXPECT_EQ(u.betraege(1, 30).second, "140,00");
  EXPECT_EQ(u.betraege(1, 37).second, "");  // not the last period
  EXPECT_EQ(u.betraege(1, 38).second, "140,00");
  EXPECT_EQ(u.w.summe, 14000);

  Formulartest letzte;
  letzte.w = Formularwerte{};
  letzte.w.basis[26] = 100000;
  letzte.a.letzte_periode = true;
  letzte.a.sondervorauszahlung = 2500;
  ASSERT_TRUE(letzte.drucken());
  EXPECT_EQ(letzte.betraege(1, 37).second, "25,00");
  EXPECT_EQ(letzte.betraege(1, 38).second, "165,00");
  EXPECT_EQ(letzte.w.summe, 19000);  // before the prepayment is deducted

  // Nothing at all: no amount anywhere, not even a total of 0.
  Formulartest leer;
  ASSERT_TRUE(leer.drucken());
  for (std::size_t s = 0; s < 2; ++s)
    for (const std::string& z : als_text(leer.seite(s)))
      EXPECT_EQ(z.find(",00"), std::string::npos) << z;
}

TEST(Steuerformular, HeaderPeriodAndTaxNumber) {
  Formulartest u;
  u.a.belege = true;
  ASSERT_TRUE(u.drucken());
  const auto z = als_text(u.seite(0));
  EXPECT_EQ(z[4], "Umsatzsteuer-Voranmeldung 2012");
  EXPECT_EQ(z[11], std::string(36, ' ') + "Juni 2012");  // centred on column 41
  EXPECT_EQ(z[15].substr(40), "    11 255 815 08155   57   1206");
  EXPECT_EQ(z[9].substr(9), "Finanzamt Weiden");
  EXPECT_EQ(z[18].substr(9), "Schreinerei Holz");
  EXPECT_EQ(spalten(u.seite(0)[21], 63, 63), "1");  // Belege

  Formulartest quartal;
  quartal.a.perioden = 4;
  ASSERT_TRUE(quartal.drucken());
  EXPECT_EQ(als_text(quartal.seite(0))[11], std::string(33, ' ') + "2. Quartal 2012");
}

TEST(Steuerformular, TaxNumbersOfTheFederalStates) {
  // Bundesland as stored with the tax office: 1 Baden-Württemberg, 2 Bayern,
  // 3 Berlin, 7 Hessen, 10 Nordrhein-Westfalen, 13 Sachsen.
  struct Fall {
    std::string eingabe;
    int land;
    std::string ziffern, zeile;
  };
  const std::vector<Fall> faelle = {
      {"9181081508155", 2, "18181508155", "    11 181 815 08155   57   "},
      {"181/815/08155", 2, "18181508155", "    11 181 815 08155   57   "},
      {"2893081508152", 1, "9381508152", "    11  93 815 08152   57   "},
      {"5133081508159", 10, "13381508159", "       133 8150 8159 215711 "},
      {"2613081508153", 7, "1381508153", "    11  13 815 08153   57   "},
      {"3201081508150", 13, "20181508150", "    11 201 815 08150   57   "},
      {"1121081508150", 3, "2181508150", "    11     21 815 08150   57   "},
      // A 13-digit number of another state is taken as entered.
      {"9181081508155", 1, "9181081508155", "    11  918 10 815 08155   57   "},
      {"12/345/67890", 0, "1234567890", "1234567890 "},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.eingabe + " / " + std::to_string(f.land));
    EXPECT_EQ(steuernummer_des_landes(f.eingabe, f.land), f.ziffern);
    Satz basis(BF::groesse);
    basis.set(BF::Steuernummer, f.eingabe);
    basis.set(BF::FaBundesland, static_cast<std::uint8_t>(f.land));
    EXPECT_EQ(steuernummernzeile(basis, 2012, 6), f.zeile + "1206");
  }
}

TEST(Steuerformular, RefusalsAndQuestionsBeforePrinting) {
  {
    SCOPED_TRACE("preview and text file are no printers");
    for (Druckziel ziel : {Druckziel::Vorschau, Druckziel::Textdatei}) {
      Formulartest u;
      u.t.ui.druckziel(ziel);
      EXPECT_FALSE(u.drucken());
      EXPECT_EQ(u.t.ui.meldungen().back(), "Bitte wählen Sie einen echten Drucker aus!");
      EXPECT_TRUE(u.t.ui.druckauftraege().empty());
    }
    Formulartest pdf;
    pdf.t.ui.druckziel(Druckziel::Pdf);
    EXPECT_TRUE(pdf.drucken());
  }
  {
    SCOPED_TRACE("printer declined");
    Formulartest u;
    u.t.ui.drucker_ablehnen();
    EXPECT_FALSE(u.drucken());
  }
  {
    SCOPED_TRACE("a page too short");
    Formulartest u;
    u.t.ui.zeilen_pro_seite(60);
    u.t.ui.erwarte_frage("paßt wahrscheinlich nicht auf eine Seite", false);
    EXPECT_FALSE(u.drucken());
    EXPECT_TRUE(u.t.ui.druckauftraege().empty());
    u.t.ui.erwarte_frage("paßt wahrscheinlich nicht auf eine Seite", true);
    EXPECT_TRUE(u.drucken());
  }
  {
    SCOPED_TRACE("lines the form of 2005 no longer has");
    Formulartest u;
    u.a.jahr = 2005;
    auto zeile_setzen = [&](int konto, int zeile) {
      ASSERT_TRUE(u.m().sach->suchen(u.m().sachkonto_text(konto)));
      u.m().sach->satz().set(SachFelder::UstZeile, static_cast<std::uint8_t>(zeile));
      ASSERT_TRUE(u.m().sach->speichern(u.m().sachkonto_text(konto)));
    };
    zeile_setzen(4400, 26);
    zeile_setzen(1776, 54);
    u.t.ui.erwarte_frage_hilfe(
        "Sie haben bei 2 Sachkonten ungültige Zeilen zur USt-Voranmeldung 2005.\r(Konto : "
        "1776;4400)\rZu weiteren Informationen",
        Antwort::Hilfe);
    EXPECT_FALSE(u.drucken());
    EXPECT_TRUE(u.t.ui.druckauftraege().empty());
    u.a.jahr = 2006;  // no check in 2006
    EXPECT_TRUE(u.drucken());
  }
}

TEST(Steuerformular, LinesNoLongerAllowedAndLinesWithoutPlace) {
  Formulartest u;
  u.w.basis[45] = 100;
  u.w.steuer[25] = 700;  // line 25 prints nothing in 2012
  ASSERT_TRUE(u.drucken());
  const auto& m = u.t.ui.meldungen();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0],
            "Es gibt Sachkonten mit der UST-Zeile 45 !\rIn 2012 nicht mehr zulässig. Bitte in "
            "den Sachkonten korrigieren.");
  EXPECT_EQ(m[1],
            "Werte der UST-Zeilen 25 haben im Formular 2012 keinen Platz und fehlen im "
            "Druck!");

  // The 2010 form names the year of its predecessor.
  Formulartest v;
  v.a.jahr = 2010;
  v.w.steuer[53] = 100;
  ASSERT_TRUE(v.drucken());
  EXPECT_NE(v.t.ui.meldungen().at(0).find("UST-Zeile 53 !\rIn 2005 nicht mehr zulässig."),
            std::string::npos);
}

// A page of a fixed book, against its file in tests/vat/golden.
void golden(const std::string& name, const std::vector<Rasterzeile>& raster_seite) {
  std::string ist;
  for (const auto& z : als_text(raster_seite)) ist += z + "\n";
  golden_vergleich(name, ist);
}

void feste_buecher(Formularwerte& w) {
  w.basis[26] = 1234599;  // 12,345.99 at 19 %
  w.basis[27] = 250000;   // 2,500.00 at 7 %
  w.basis[20] = 300000;   // intra-EU deliveries
  w.basis[33] = 100000;   // acquisitions at 19 %
  w.steuer[56] = 98765;   // input tax
  w.steuer[57] = 19000;   // input tax of the acquisitions
  w.basis[48] = 50000;    // §13b services
  w.steuer[48] = -9500;
}

TEST(Steuerformular, FixedBooksOf2012And2007) {
  Formulartest u;
  feste_buecher(u.w);
  u.a.letzte_periode = true;
  u.a.monat = 12;
  u.a.sondervorauszahlung = 50000;
  ASSERT_TRUE(u.drucken());
  // 19 % of 12,345 = 2345.55; + 175.00 + 190.00 + 95.00 − 987.65 − 190.00 = 1627.90
  EXPECT_EQ(u.w.summe, 162790);
  golden("formular_2012_seite1.txt", u.seite(0));
  golden("formular_2012_seite2.txt", u.seite(1));

  // 2007: the same book on the lines of the 2005 form (input tax on 55,
  // acquisitions on 35, §13b services of foreign businesses on 48).
  Formulartest v;
  v.a.jahr = 2007;
  v.a.monat = 3;
  v.w.basis[27] = 1234599;
  v.w.basis[28] = 250000;
  v.w.basis[21] = 300000;
  v.w.basis[35] = 100000;
  v.w.steuer[55] = 98765;
  v.w.steuer[56] = 19000;
  v.w.basis[48] = 50000;
  v.w.steuer[48] = -9500;
  ASSERT_TRUE(v.drucken());
  EXPECT_EQ(v.w.summe, 162790);
  golden("formular_2007_seite1.txt", v.seite(0));
  golden("formular_2007_seite2.txt", v.seite(1));
}

TEST(Steuerformular, TheInputTaxLineOfEachForm) {
  EXPECT_EQ(vorsteuerzeile(2003), 55);
  EXPECT_EQ(vorsteuerzeile(2011), 55);
  EXPECT_EQ(vorsteuerzeile(2012), 56);
}

// The lines of the 2012 form the templates give, on the forms before:
// found by their Kennzahlen, none where the Kennzahl did not exist yet.
TEST(Steuerformular, LinesOf2012OnTheFormsBefore) {
  struct Fall {
    int jahr, zeile_2012, zeile;
  };
  for (const Fall& f : std::initializer_list<Fall>{
           {2012, 26, 26}, {2020, 57, 57},           // the form itself
           {2011, 26, 27}, {2011, 33, 34}, {2011, 53, 52},  // Kz 81, 89, 65
           {2007, 26, 27}, {2007, 27, 28}, {2007, 56, 55}, {2007, 57, 56},
           {2007, 28, 29},                            // Kz 35 / 36
           {2006, 26, 0},                             // Kz 81 came with 19 % in 2007
           {2006, 27, 28}, {2003, 27, 29}, {2003, 56, 55},
           {2007, 25, 0},                             // no Kennzahl in 2012
           {2007, 99, 0}, {2007, 0, 0}}) {
    SCOPED_TRACE(std::to_string(f.jahr) + "/" + std::to_string(f.zeile_2012));
    EXPECT_EQ(formularzeile_aus_2012(f.jahr, f.zeile_2012), f.zeile);
  }
}

}  // namespace
}  // namespace fibu
