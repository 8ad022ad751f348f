// The bytes of the DATEV data carrier, built by hand from the record
// layouts: the header and version records, balances, names and bookings in
// both variants, the 256-byte blocks with the 250-character rule, the end
// record, and the control files EV01 and DV01 with their little-endian
// words.
#include "exchange/datev_traeger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fibu {
namespace {

using namespace std::string_literals;

DatevKopf kopf(DatevVariante v) {
  DatevKopf k;
  k.variante = v;
  k.dfv = "AB";
  k.berater = "0012345";
  k.beratername = "Muster   ";
  k.mandant = "00999";
  k.abrechnungsnummer = "0005";
  k.passwort = "PW  ";
  k.jahr = 2007;
  k.von = DMYtoDate(1, 1, 2007);
  k.bis = DMYtoDate(31, 12, 2007);
  k.kontolaenge = 4;
  return k;
}

// The blocks a sequence of records gives.
std::vector<std::string> bloecke(const std::vector<std::string>& saetze, int* z = nullptr) {
  std::vector<std::string> aus;
  DatevBloecke b([&aus](std::string_view block) {
    aus.emplace_back(block);
    return Ergebnis::erfolg();
  });
  for (const auto& s : saetze) EXPECT_TRUE(b.satz(s));
  EXPECT_TRUE(b.ende());
  EXPECT_EQ(b.bloecke(), static_cast<int>(aus.size()));
  if (z) *z = b.z_position();
  return aus;
}

std::string nul(std::size_t n) {
  return std::string(n, '\0');
}

TEST(DatevTraeger, KopfUndVersionssatz) {
  const DatevKopf k = kopf(DatevVariante::Erweitert);
  EXPECT_EQ(datev_kopfsatz(k),
            "\x1D\x18"
            "1"        // fixed
            "1  "      // carrier number, blank-filled to 3
            "11"       // application: balances and bookings
            "AB"       // DFV mark
            "0012345"  // adviser
            "00999"    // client
            "0005"
            "07"      // accounting number and year
            "010107"  // from
            "311207"  // to
            "001"
            "PW  " +  // password
                std::string(32, ' ') +
                "y");
  EXPECT_EQ(datev_versionssatz(k),
            "\xB5"
            "1,4,4,ZEVO\x1C"
            "y");

  DatevKopf n = k;
  n.namen = true;
  // Application 13, "0099" for the accounting number, no dates and no "001".
  EXPECT_EQ(datev_kopfsatz(n),
            "\x1D\x18"
            "11  13AB001234500999009907PW  " +
                std::string(32, ' ') + "y");
  EXPECT_EQ(datev_versionssatz(n),
            "\xB6"
            "1,4,4,ZEVO\x1C"
            "y");
}

TEST(DatevTraeger, SaldenUndNamen) {
  DatevKopf k = kopf(DatevVariante::Erweitert);
  // Sign and whole cents; "d" is day and month of the last day of the year.
  EXPECT_EQ(datev_saldensatz(k, -123456, "1360", "8400"),
            "-123456a1360d3112e8400\xB3"
            "EUR\x1C"
            "y");
  EXPECT_EQ(datev_saldensatz(k, 0, "1360", "0800"),
            "+0a1360d3112e0800\xB3"
            "EUR\x1C"
            "y");
  k.euro = false;
  EXPECT_EQ(datev_saldensatz(k, 5, "1360", "1200"),
            "+5a1360d3112e1200\xB3"
            "DEM\x1C"
            "y");

  // The basic variant: ten digits, no currency; "o1" for euro books of a
  // year ending in the changeover years.
  DatevKopf e = kopf(DatevVariante::Einfach);
  EXPECT_EQ(datev_saldensatz(e, -123456, "1360", "8400"), "-0000123456a1360d3112e8400y");
  e.bis = DMYtoDate(31, 12, 2001);
  EXPECT_EQ(datev_saldensatz(e, 100, "1360", "8400"), "+0000000100a1360d3112e8400o1y");
  e.euro = false;
  EXPECT_EQ(datev_saldensatz(e, 100, "1360", "8400"), "+0000000100a1360d3112e8400y");

  // Names in the Windows code page; a byte that is a field mark ("½" is
  // 0xBD, the document-number mark) would end the text early.
  EXPECT_EQ(datev_namenssatz("8400", "Erlöse ½ Satz"),
            "t8400\x1E"
            "Erl\xF6se   Satz\x1C"
            "y");
}

TEST(DatevTraeger, Buchungssaetze) {
  DatevBuchung b;
  b.betrag = 11900;
  b.steuerschluessel = 3;
  b.konto = "12345678";  // eight digits: written whole
  b.gegenkonto = "8400";
  b.belegnr = "4711";
  b.datum = DMYtoDate(15, 3, 2007);
  b.faellig = DMYtoDate(14, 4, 2007);
  b.kostenstelle = "0100";
  b.text = "Rechnung März";
  b.egid = "FR12345678901";
  const DatevKopf k = kopf(DatevVariante::Erweitert);
  EXPECT_EQ(datev_buchungssatz(k, b, false),
            "+11900"
            "l03"    // tax key, two digits
            "a8400"  // counter account
            "\xBD"
            "4711\x1C"   // document number
            "d1503"      // day and month
            "e12345678"  // the account, all of it
            "\xBB"
            "0100\x1C"  // cost centre
            "\x1E"
            "Rechnung M\xE4rz\x1C"  // text
            "\xBA"
            "FR12345678901\x1C"  // VAT id
            "\xB3"
            "EUR\x1C"
            "y");
  // The customer and supplier variants add the due date after the number.
  EXPECT_NE(datev_buchungssatz(k, b, true)
                .find("\xBD"
                      "4711\x1C\xBE"
                      "140407\x1C"
                      "d1503"),
            std::string::npos);

  // Credit, no key, no cost centre; basic: ten digits, no currency.
  b.betrag = -5;
  b.steuerschluessel = 0;
  b.konto = "10001";
  b.kostenstelle.clear();
  b.text = "Text";
  const DatevKopf e = kopf(DatevVariante::Einfach);
  EXPECT_EQ(datev_buchungssatz(e, b, false),
            "-0000000005a8400\xBD"
            "4711\x1C"
            "d1503e10001\x1E"
            "Text\x1C"
            "\xBA"
            "FR12345678901\x1C"
            "y");
  // Texts end after 30 characters.
  b.text = std::string(40, 'x');
  EXPECT_NE(datev_buchungssatz(e, b, false).find("\x1E" + std::string(30, 'x') + "\x1C"),
            std::string::npos);
}

TEST(DatevTraeger, EndesatzSummeUndVorzeichen) {
  const DatevKopf k = kopf(DatevVariante::Erweitert);
  EXPECT_EQ(datev_endesatz(k, 123456), "x123456yz");
  EXPECT_EQ(datev_endesatz(k, -123456), "w123456yz");
  EXPECT_EQ(datev_endesatz(k, 0), "x0yz");
  EXPECT_EQ(datev_endesatz(kopf(DatevVariante::Einfach), -7), "w0000000007yz");
  DatevKopf n = k;
  n.namen = true;
  EXPECT_EQ(datev_endesatz(n, 999), "z");
}

// Records of exactly `laenge` bytes, shaped like name records: "t1000",
// 0x1E, the name, 0x1C, "y".
std::string satz_der_laenge(std::size_t laenge) {
  return "t1000\x1E" + std::string(laenge - 8, 'n') + "\x1Cy";
}

TEST(DatevTraeger, BloeckeUndDie250ZeichenRegel) {
  // 100 + 150 = 250 characters still fit into one block.
  auto b = bloecke({satz_der_laenge(100), satz_der_laenge(150)});
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(b[0], satz_der_laenge(100) + satz_der_laenge(150) + nul(6));

  // One more character starts a new block; the first is padded with NUL.
  b = bloecke({satz_der_laenge(100), satz_der_laenge(151)});
  ASSERT_EQ(b.size(), 2u);
  EXPECT_EQ(b[0], satz_der_laenge(100) + nul(156));
  EXPECT_EQ(b[1], satz_der_laenge(151) + nul(105));
  for (const auto& block : b) EXPECT_EQ(block.size(), 256u);
}

TEST(DatevTraeger, EndesatzInEigenemBlock) {
  const DatevKopf k = kopf(DatevVariante::Erweitert);
  const std::string ende = datev_endesatz(k, 1234567890);  // "x1234567890yz": 13
  // A block of 237 characters takes the end record (237 + 13 = 250)...
  int z = 0;
  auto b = bloecke({satz_der_laenge(237), ende}, &z);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(z, 249);  // the end mark is the last character
  // ...one of 238 does not: the end record stands alone at the start of
  // a block of its own.
  b = bloecke({satz_der_laenge(238), ende}, &z);
  ASSERT_EQ(b.size(), 2u);
  EXPECT_EQ(b[1], ende + nul(256 - ende.size()));
  EXPECT_EQ(z, static_cast<int>(ende.size()) - 1);
}

TEST(DatevTraeger, SteuerdateiEV01) {
  const DatevKopf k = kopf(DatevVariante::Erweitert);
  const std::string eins =
      "1  "        // "1" blank-filled to 3
      "   "        // 3 blanks
      "0012345"    // adviser
      "Muster   "  // adviser's name
      " "
      "00001"
      "00001" +
      std::string(95, ' ');
  const std::string zwei =
      "V"
      "00001"
      "11"
      "AB"
      "0012345"
      "00999"
      "0005"
      "07"
      "0000"
      "010107"
      "311207"  // date field of 16
      "001"
      "PW  "
      "00042"  // data blocks, zero-filled
      "001 1"
      "1,4,4,ZEVO    " +
      std::string(53, ' ');
  ASSERT_EQ(eins.size(), 128u);
  ASSERT_EQ(zwei.size(), 128u);
  EXPECT_EQ(datev_steuerdatei(k, 42, 17), eins + "\r\n" + zwei + "\r\n");

  // A names carrier: application 13, "0099", blanks for the dates.
  DatevKopf n = k;
  n.namen = true;
  const std::string namen = datev_steuerdatei(n, 1, 0);
  EXPECT_EQ(namen.substr(130 + 6, 2), "13");
  EXPECT_EQ(namen.substr(130 + 22, 6 + 16), "009907" + std::string(16, ' '));
}

TEST(DatevTraeger, SteuerdateiDV01MitWoertern) {
  const DatevKopf k = kopf(DatevVariante::Einfach);
  // 300 blocks and the end mark at 17: words low byte first.
  const std::string d = datev_steuerdatei(k, 300, 17);
  const std::string eins =
      "1     "
      "12345  "  // adviser as typed, blank-filled
      "Muster   "
      " "
      "\x01\x00"s  // word 1
      + "\x01\x00"s + std::string(37, ' ');
  const std::string zwei = "V" + "\x01\x00"s +
                           "11"
                           "AB"
                           "0012345"
                           "00999"
                           "000507"
                           "0000010107311207"
                           "001"
                           "PW  " +
                           "\x2C\x01"s    // 300 blocks
                           + "\x11\x00"s  // "z" at 17
                           + "\x01\x00"s + std::string(9, ' ') + "1";
  ASSERT_EQ(eins.size(), 64u);
  ASSERT_EQ(zwei.size(), 64u);
  EXPECT_EQ(d, eins + zwei);
  // An end mark at the start of its block is the word 0.
  EXPECT_EQ(datev_steuerdatei(k, 1, 0).substr(64 + 50, 2), "\x00\x00"s);
}

TEST(DatevTraeger, Belegnummern) {
  struct Fall {
    DatevVariante v;
    std::string ein;
    std::optional<std::string> aus;
    bool gekuerzt;
  };
  const Fall faelle[] = {
      {DatevVariante::Erweitert, "4711", "4711", false},
      {DatevVariante::Erweitert, "123456789012", "123456789012", false},
      {DatevVariante::Erweitert, "1234567890123", "234567890123", true},  // loses its first digit
      {DatevVariante::Einfach, "9500001", "500001", true},
      {DatevVariante::Einfach, "A123", std::nullopt, false},
      {DatevVariante::Erweitert, "Z100", std::nullopt, false},
      {DatevVariante::Erweitert, "12 3", std::nullopt, false},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.ein);
    const Belegnummer b = datev_traeger_belegnummer(f.v, f.ein);
    EXPECT_EQ(b.nummer, f.aus);
    EXPECT_EQ(b.gekuerzt, f.gekuerzt);
    if (!f.aus) {
      EXPECT_EQ(b.grund,
                "!!! Belegnummer >" + f.ein + "< nicht numerisch, Buchung wird nicht uebergeben!");
    }
  }
  EXPECT_EQ(datev_datendatei(DatevVariante::Erweitert), "ED00001");
  EXPECT_EQ(datev_steuerdateiname(DatevVariante::Einfach), "DV01");
}

}  // namespace
}  // namespace fibu
