// The readers of T-Online CSV and MT940 files: amounts, dates, the side of
// reversals, the purpose text of both MT940 variants, and the lines they
// refuse with their reasons.
#include "banking/kontoauszugsdatei.h"

#include <gtest/gtest.h>

#include "auszugsbeispiele.h"

namespace fibu {
namespace {

// A T-Online line with the booking date, the amount and the purpose text.
std::string csvzeile(const std::string& datum, const std::string& betrag,
                     const std::string& zweck = "RE12345", const std::string& zweck2 = "Rechnung") {
  return "1234567890;10020030;" + datum + ";0,00;;" + datum + ";" + datum + ";Muster GmbH;" +
         zweck + ";" + zweck2 + ";" + betrag + ";EUR;";
}

TEST(TOnline, AmountsAreDigitsAsCentsWithTheSignAnywhere) {
  struct Fall {
    const char* feld;
    std::optional<Betrag> cent;
  } faelle[] = {
      {"12,5", 125},  // two implied decimals, whatever the separator says
      {"-1.234,56", -123456},
      {"1.234,56-", -123456},
      {" +7,00 ", 700},
      {"0,00", 0},
      {"", std::nullopt},
      {"-", std::nullopt},
      {"Kd 12345", std::nullopt},
      {"1234567890123456", std::nullopt},  // 16 digits: no amount of the books
  };
  for (const Fall& f : faelle) EXPECT_EQ(tonline_betrag(f.feld), f.cent) << f.feld;
}

TEST(TOnline, ReadsLinesPlainAndQuoted) {
  const std::string datei =
      csvzeile("02.01.2024", "12,5") + "\r\n\r\n" +
      csvzeile("03.01.2024", "-1.234,56", "\"Kd 12345; Re 7\"", "\"sagt \"\"danke\"\"\"") + "\n";
  const Auszugsdatei d = tonline_lesen(datei);
  EXPECT_EQ(
      als_text(d.zeilen),
      (std::vector<std::string>{
          "02.01.2024   .  .     S 0,00 H 1,25 | RE12345 Rechnung |  |  | ",
          "03.01.2024   .  .     S 1.234,56 H 0,00 | Kd 12345; Re 7 sagt \"danke\" |  |  | "}));
  EXPECT_TRUE(d.abgelehnt.empty());
  EXPECT_EQ(d.kontonummer, "1234567890");
  ASSERT_EQ(d.herkunft.size(), 2u);
  EXPECT_EQ(d.herkunft[1].blz, "10020030");
  EXPECT_EQ(d.herkunft[1].waehrung, "EUR");
}

TEST(TOnline, RefusesLinesItCannotReadWithTheirReason) {
  // An unquoted ";" in the purpose text shifts every field after it: the
  // line has 14 fields and is refused, rather than taking "Kd 12345" as
  // the amount 123.45.
  const std::string datei = csvzeile("02.01.2024", "10,00", "Kd 12345; Re 7") + "\n" +
                            "1234567890;10020030;02.01.2024;0,00\n" +
                            csvzeile("31.02.2024", "10,00") + "\n" +
                            csvzeile("02.01.2024", "zehn") + "\n" + csvzeile("02.01.2024", "0,00") +
                            "\n" + csvzeile("02.01.2024", "10,00", "\"offen") + "\n";
  const Auszugsdatei d = tonline_lesen(datei);
  EXPECT_TRUE(d.zeilen.empty());
  std::vector<std::string> gruende;
  for (const Fehlzeile& f : d.abgelehnt)
    gruende.push_back(f.datum + " " + f.betrag + " " + f.grund);
  EXPECT_EQ(gruende, (std::vector<std::string>{
                         "02.01.2024 Rechnung Feldanzahl 14 statt 13",
                         "  Feldanzahl 4 statt 13",
                         "31.02.2024 10,00 Buchungsdatum ungültig",
                         "02.01.2024 zehn Betrag ungültig",
                         "02.01.2024 0,00 Betrag ist Null",
                         "  Anführungszeichen nicht geschlossen",
                     }));
  EXPECT_EQ(d.abgelehnt[0].konto, "1234567890");
  EXPECT_EQ(d.abgelehnt[0].blz, "10020030");
}

TEST(TOnline, WindowsTextBecomesUtf8) {
  const Auszugsdatei d = tonline_lesen(csvzeile("02.01.2024", "1,00",
                                                "M\xfc"
                                                "ller",
                                                "Gr\xfc\xdf"
                                                "e"));
  ASSERT_EQ(d.zeilen.size(), 1u);
  EXPECT_EQ(d.zeilen[0].text, "Müller Grüße");
}

// --- MT940 ---

Auszugsdatei eine_zeile(const std::string& feld61) {
  return mt940_lesen(":25:10020030/1234567890\n:61:" + feld61 + "\n:86:?20Text\n",
                     Auszugsformat::Swift);
}

TEST(Mt940, ReadsDateMarkAndAmountOfField61) {
  struct Fall {
    const char* feld;
    const char* zeile;
  } faelle[] = {
      // The booking date in January after a value date in December lies in
      // the next year.
      {"0712310102CR100,00NTRFNONREF", "02.01.2008 31.12.2007 S 0,00 H 100,00"},
      // A booking date in December before a value date in January: the year before.
      {"0801021231D5,5NMSC", "31.12.2007 02.01.2008 S 5,50 H 0,00"},
      {"080315D100,NTRF", "15.03.2008 15.03.2008 S 100,00 H 0,00"},
      // Reversals: RC takes back a credit (money leaves), RD a debit.
      {"0801020102RC100,00NRTI", "02.01.2008 02.01.2008 S 100,00 H 0,00"},
      {"0801020102RD100,00NRTI", "02.01.2008 02.01.2008 S 0,00 H 100,00"},
      {"0801020102RCR7,01NRTI", "02.01.2008 02.01.2008 S 7,01 H 0,00"},
      {"0801020102C1234567890123,45FCHK", "02.01.2008 02.01.2008 S 0,00 H 1.234.567.890.123,45"},
  };
  for (const Fall& f : faelle) {
    const Auszugsdatei d = eine_zeile(f.feld);
    ASSERT_EQ(d.zeilen.size(), 1u) << f.feld;
    EXPECT_EQ(als_text(d.zeilen[0]), std::string(f.zeile) + " | Text |  |  | ") << f.feld;
    EXPECT_TRUE(d.abgelehnt.empty() && d.meldungen.empty()) << f.feld;
  }
}

TEST(Mt940, RefusesField61ItCannotRead) {
  struct Fall {
    const char* feld;
    const char* grund;
  } faelle[] = {
      {"081302C100,00NTRF", "Valutadatum ungültig"},
      {"0801020230C100,00NTRF", "Buchungsdatum ungültig"},
      {"080102X100,00NTRF", "Soll/Haben-Kennzeichen ungültig"},
      {"080102C1.000,00NTRF", "Betrag ungültig"},
      {"080102C100,001NTRF", "Betrag ungültig"},
      {"080102C100", "Betrag ungültig"},
      {"080102C0,NTRF", "Betrag ist Null"},
  };
  for (const Fall& f : faelle) {
    const Auszugsdatei d = eine_zeile(f.feld);
    EXPECT_TRUE(d.zeilen.empty()) << f.feld;
    ASSERT_EQ(d.abgelehnt.size(), 1u) << f.feld;
    EXPECT_EQ(d.abgelehnt[0].grund, f.grund) << f.feld;
    EXPECT_EQ(d.abgelehnt[0].konto, "1234567890");
    EXPECT_EQ(d.abgelehnt[0].blz, "10020030");
    // An unreadable amount is also told as it is read, with the line.
    EXPECT_EQ(d.meldungen.size(), std::string(f.grund) == "Betrag ungültig" ? 1u : 0u);
  }
  EXPECT_EQ(eine_zeile("080102C1.000,00NTRF").meldungen,
            std::vector<std::string>{"Betrag ungültig: 080102C1.000,00NTRF"});
}

TEST(Mt940, SwiftVariantTakesPurposeAndNameFromTheSubfieldsOf86) {
  const Auszugsdatei d = mt940_lesen(mt940_beispiel, Auszugsformat::Swift);
  EXPECT_EQ(als_text(d.zeilen), beispiel_zeilen);
  EXPECT_EQ(d.kontonummer, "10020030/1234567890");
  EXPECT_EQ(d.auszugsnummer, "00001/001");
  ASSERT_EQ(d.herkunft.size(), 2u);
  EXPECT_EQ(d.herkunft[0].waehrung, "EUR");
}

TEST(Mt940, SwiftVariantKeepsTheEndToEndReferenceAndUnstructuredText) {
  const Auszugsdatei d = mt940_lesen(
      ":61:2401020102C10,00NTRF\n:86:166?00SEPA?20EREF+E2E-4711?21SVWZ+RE 99\n"
      ":61:2401020102C10,00NTRF\n:86:Freier Text ohne Unterfelder\n"
      ":61:2401020102C10,00NTRF\n:86:166?20EREF+NOTPROVIDED\n"
      ":62F:C240102EUR30,00\n:86:Information zum Auszug\n",
      Auszugsformat::Swift);
  ASSERT_EQ(d.zeilen.size(), 3u);
  EXPECT_EQ(d.zeilen[0].text, "EREF+E2E-4711 SVWZ+RE 99");
  EXPECT_EQ(d.zeilen[0].referenz, "E2E-4711");
  EXPECT_EQ(d.zeilen[1].text, "Freier Text ohne Unterfelder");
  // The statement's own :86: after :62F: belongs to no line.
  EXPECT_EQ(d.zeilen[2].text, "EREF+NOTPROVIDED");
  EXPECT_EQ(d.zeilen[2].referenz, "");
}

TEST(Mt940, MultiCashVariantReadsTheNsBlock) {
  const std::string datei =
      ":20:MC\n:25:10020030/1234567890\n:28C:5\n:60F:C240101EUR0,00\n"
      ":61:240103C300,00NTRF\n:86:051\n:NS:01RE54321 Teil 1\n02und Teil 2\n"
      "14Ende\n15Kunde Meier\n17nicht gelesen\n"
      ":61:240104D12,34NTRF\n:NS:01Gebühren\n";
  const Auszugsdatei mc = mt940_lesen(datei, Auszugsformat::MultiCash);
  EXPECT_EQ(als_text(mc.zeilen),
            (std::vector<std::string>{
                "03.01.2024 03.01.2024 S 0,00 H 300,00 | RE54321 Teil 1 und Teil 2 Ende | "
                "Kunde Meier |  | ",
                "04.01.2024 04.01.2024 S 12,34 H 0,00 | Gebühren |  |  | "}));
  EXPECT_EQ(mc.auszugsnummer, "5");
  // The SWIFT variant does not read the block (and :86: holds no text here).
  const Auszugsdatei swift = mt940_lesen(datei, Auszugsformat::Swift);
  ASSERT_EQ(swift.zeilen.size(), 2u);
  EXPECT_EQ(swift.zeilen[0].text, "051");
  EXPECT_EQ(swift.zeilen[1].text, "");
}

TEST(Mt940, PurposeOfARefusedLineDoesNotGoToTheLineBefore) {
  const Auszugsdatei d = mt940_lesen(
      ":61:240102C1,00NTRF\n:86:?20eins\n:61:240102X1,00NTRF\n:86:?20zwei\n", Auszugsformat::Swift);
  ASSERT_EQ(d.zeilen.size(), 1u);
  EXPECT_EQ(d.zeilen[0].text, "eins");
  EXPECT_EQ(d.abgelehnt.size(), 1u);
}

}  // namespace
}  // namespace fibu
