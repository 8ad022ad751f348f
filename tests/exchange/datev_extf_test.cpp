// The EXTF files, compared byte by byte with lines written here by hand
// from DATEV's description of the format (header version 700; booking
// batch: category 21, format version 13, 125 columns; customers and
// suppliers: category 16, format version 5, 254 columns), one comment per
// field. Then a whole booking batch written by the menu command on the
// small test client.
#include "exchange/datev_extf.h"

#include <gtest/gtest.h>

#include <map>

#include "../posting/testbuchhaltung.h"
#include "exchange/datev_export.h"
#include "suite/codepage.h"

namespace fibu {
namespace {

using P = PersonenFelder;

// A data line of `spalten` fields: the given ones (numbered from 1 as in
// the format description), the others empty; CR LF at the end.
std::string zeile(std::size_t spalten, const std::map<std::size_t, std::string>& felder) {
  std::string z;
  for (std::size_t i = 1; i <= spalten; ++i) {
    if (i > 1) z += ";";
    if (auto it = felder.find(i); it != felder.end()) z += it->second;
  }
  return z + "\r\n";
}

std::size_t felder(const std::string& z) {
  return std::count(z.begin(), z.end(), ';') + 1;
}

TEST(DatevExtf, Kopfzeilen) {
  ExtfKopf k;
  k.erzeugt = "20241206101112123";
  k.berater = 12345;
  k.mandant = 999;
  k.wj_beginn = DMYtoDate(1, 1, 2024);
  k.sachkontenlaenge = 4;
  k.von = DMYtoDate(1, 1, 2024);
  k.bis = DMYtoDate(31, 1, 2024);
  k.bezeichnung = "FIBU 01.01.2024-31.01.2024";
  k.festschreibung = true;
  EXPECT_EQ(extf_kopfzeile(k),
            "\"EXTF\";"                        //  1 mark of files from other programs
            "700;"                             //  2 header version
            "21;"                              //  3 category: booking batch
            "\"Buchungsstapel\";"              //  4 format name
            "13;"                              //  5 format version
            "20241206101112123;"               //  6 created
            ";"                                //  7 imported (DATEV sets it)
            "\"FI\";"                          //  8 origin
            "\"\";"                            //  9 exported by
            "\"\";"                            // 10 imported by
            "12345;"                           // 11 adviser
            "999;"                             // 12 client
            "20240101;"                        // 13 start of the fiscal year
            "4;"                               // 14 GL account length
            "20240101;"                        // 15 from
            "20240131;"                        // 16 to
            "\"FIBU 01.01.2024-31.01.2024\";"  // 17 name of the batch
            "\"\";"                            // 18 dictation mark
            "1;"                               // 19 booking type: financial accounting
            "0;"                               // 20 purpose: any
            "1;"                               // 21 lock
            "\"EUR\";"                         // 22 currency
            ";"                                // 23 reserved
            "\"\";"                            // 24 derivative mark
            ";"                                // 25 reserved
            ";"                                // 26 reserved
            "\"\";"                            // 27 chart of accounts
            ";"                                // 28 industry solution
            ";"                                // 29 reserved
            "\"\";"                            // 30 reserved
            "\"\"\r\n");                       // 31 application information
  k.stammdaten = true;
  EXPECT_EQ(extf_kopfzeile(k),
            "\"EXTF\";700;"
            "16;\"Debitoren/Kreditoren\";5;"  // 3-5 customers and suppliers, version 5
            "20241206101112123;;\"FI\";\"\";\"\";12345;999;20240101;4;"
            ";"      // 15 from: none
            ";"      // 16 to: none
            "\"\";"  // 17 name
            "\"\";"  // 18 dictation mark
            ";"      // 19 booking type
            ";"      // 20 purpose
            ";"      // 21 lock
            "\"\";"  // 22 currency
            ";\"\";;;\"\";;;\"\";\"\"\r\n");
  EXPECT_EQ(felder(extf_kopfzeile(k)), 31u);
}

TEST(DatevExtf, Spalten) {
  const auto& b = extf_buchungsspalten();
  ASSERT_EQ(b.size(), 125u);
  // The places of the fields the program fills (numbered from 1).
  EXPECT_EQ(b[0], "Umsatz (ohne Soll/Haben-Kz)");
  EXPECT_EQ(b[6], "Konto");
  EXPECT_EQ(b[7], "Gegenkonto (ohne BU-Schlüssel)");
  EXPECT_EQ(b[8], "BU-Schlüssel");
  EXPECT_EQ(b[9], "Belegdatum");
  EXPECT_EQ(b[10], "Belegfeld 1");
  EXPECT_EQ(b[13], "Buchungstext");
  EXPECT_EQ(b[36], "KOST1 - Kostenstelle");
  EXPECT_EQ(b[39], "EU-Land u. UStID (Bestimmung)");
  EXPECT_EQ(b[113], "Festschreibung");
  EXPECT_EQ(b[124], "Abw. Skontokonto");
  const auto& p = extf_personenspalten();
  ASSERT_EQ(p.size(), 254u);
  EXPECT_EQ(p[0], "Konto");
  EXPECT_EQ(p[9], "EU-USt-IdNr.");
  EXPECT_EQ(p[107], "Kreditlimit (Debitor)");
  EXPECT_EQ(p[253], "Letzte Frist");
  EXPECT_EQ(extf_spaltenzeile({"a", "b"}), "a;b\r\n");
}

TEST(DatevExtf, Buchungszeile) {
  DatevBuchung b;
  b.betrag = -123456;
  b.steuerschluessel = 9;
  b.konto = "70001";
  b.gegenkonto = "0800";
  b.belegnr = "Z200";
  b.datum = DMYtoDate(5, 3, 2024);
  b.kostenstelle = "0100";
  b.text = "Ware \"Sommer\"";
  b.egid = "ATU12345678";
  b.festgeschrieben = true;
  EXPECT_EQ(extf_buchungszeile(b, true),
            zeile(125, {
                           {1, "1234,56"},                   // amount, always positive
                           {2, "\"H\""},                     // credit on the account
                           {3, "\"EUR\""},                   // currency of the amount
                           {7, "70001"},                     // account
                           {8, "800"},                       // counter account, as a number
                           {9, "\"9\""},                     // tax key
                           {10, "0503"},                     // document date, day and month
                           {11, "\"Z200\""},                 // document number
                           {14, "\"Ware \"\"Sommer\"\"\""},  // text, quotes doubled
                           {37, "\"0100\""},                 // cost centre
                           {40, "\"ATU12345678\""},          // country and VAT id
                           {114, "1"},                       // locked
                       }));
  b.betrag = 5;
  b.steuerschluessel = 0;
  b.kostenstelle.clear();
  b.egid.clear();
  b.festgeschrieben = false;
  b.text.clear();
  EXPECT_EQ(extf_buchungszeile(b, false), zeile(125, {{1, "0,05"},
                                                      {2, "\"S\""},
                                                      {3, "\"DEM\""},
                                                      {7, "70001"},
                                                      {8, "800"},
                                                      {10, "0503"},
                                                      {11, "\"Z200\""},
                                                      {114, "0"}}));
}

TEST(DatevExtf, Personenzeilen) {
  Satz d(P::groesse);
  d.set(P::Kontonr, "10001");
  d.set(P::Name, "Müller & Söhne Bau");
  d.set(P::Suchname, "MUELLERSOEHNEBAU");
  d.set(P::Anrede, "Firma");
  d.set(P::Strasse, "Hauptstraße 12");
  d.set(P::PlzOrt, "80331 München");
  d.set(P::Telefon, "089 123456");
  d.set(P::EgId, "ATU12345678");
  d.set(P::Blz, "70050000");
  d.set(P::Bankname, "Landesbank");
  d.set(P::Bankkonto, "1234567");
  d.set(P::Limit, std::int64_t{1000000});
  d.set(P::Nettotage, std::uint16_t{30});
  d.set(P::Skonto1, std::int64_t{2000});
  EXPECT_EQ(extf_personenzeile(d, true),
            zeile(254, {
                           {1, "10001"},                   // account
                           {2, "\"Müller & Söhne Bau\""},  // name (company)
                           {7, "\"2\""},                   // addressee: company
                           {8, "\"MUELLERSOEHNEBA\""},     // short name, 15
                           {9, "\"AT\""},                  // EU member state
                           {10, "\"U12345678\""},          // VAT id without country
                           {11, "\"Firma\""},              // salutation
                           {15, "\"STR\""},                // address kind: street
                           {16, "\"Hauptstraße 12\""},     // street
                           {18, "\"80331\""},              // postcode
                           {19, "\"München\""},            // town
                           {29, "\"089 123456\""},         // telephone
                           {41, "\"70050000\""},           // bank code 1
                           {42, "\"Landesbank\""},         // bank name 1
                           {43, "\"1234567\""},            // account number 1
                           {44, "\"DE\""},                 // bank country 1
                           {108, "10000"},                 // credit limit, whole euros
                           {110, "30"},                    // due in days
                           {111, "2,00"},                  // discount in percent
                       }));
  Satz k(P::groesse);
  k.set(P::Kontonr, "70001");
  k.set(P::Name, "Lieferant");
  k.set(P::PlzOrt, "Wien");
  k.set(P::Skonto1, std::int64_t{3000});
  k.set(P::Skontotage1, std::uint16_t{10});
  k.set(P::Skonto2, std::int64_t{1500});
  k.set(P::Skontotage2, std::uint16_t{20});
  k.set(P::Nettotage, std::uint16_t{45});
  k.set(P::Limit, std::int64_t{500000});  // a supplier has no credit limit at DATEV
  EXPECT_EQ(extf_personenzeile(k, false),
            zeile(254, {
                           {1, "70001"},
                           {2, "\"Lieferant\""},
                           {7, "\"2\""},
                           {19, "\"Wien\""},  // no postcode: all of it is the town
                           {112, "10"},       // supplier term 1, days
                           {113, "3,00"},     // discount 1
                           {114, "20"},       // term 2
                           {115, "1,50"},     // discount 2
                           {116, "45"},       // net term
                       }));
}

TEST(DatevExtf, Belegnummern) {
  EXPECT_EQ(extf_belegnummer("Z200").nummer, "Z200");
  EXPECT_EQ(extf_belegnummer("RE-2024/01_a$%").nummer, "RE-2024/01_a$%");
  const std::string lang(40, '7');
  const Belegnummer b = extf_belegnummer(lang);
  EXPECT_EQ(b.nummer, std::string(36, '7'));
  EXPECT_TRUE(b.gekuerzt);
  for (const std::string nr : {"R 100", "R.100", "Rö"}) {
    const Belegnummer n = extf_belegnummer(nr);
    EXPECT_FALSE(n.nummer) << nr;
    EXPECT_EQ(n.grund, "!!! Belegnummer >" + nr +
                           "< enthält Zeichen, die die DATEV nicht annimmt, Buchung wird nicht "
                           "uebergeben!");
  }
}

// The menu command on the test client: the file in the chosen directory,
// in the Windows code page, line for line as written by hand.
TEST(DatevExtf, BuchungsstapelDesMenues) {
  TestDateisystem fs;
  Testbuchhaltung t(fs);
  ASSERT_NO_FATAL_FAILURE(t.anlegen());
  ASSERT_TRUE(fs.verzeichnis_anlegen("/ziel"));
  t.m->sach->leeren();
  t.m->sach->satz().set(SachFelder::Bezeichnung1, "Verrechnung");
  ASSERT_TRUE(t.m->sach->speichern(t.m->sachkonto_text(1360)));
  t.buchung("10001", 'S', 11600, "4400", "", 'R', "R1", 1, DMYtoDate(15, 1, 2024));
  ASSERT_TRUE(t.kern->buchen(1));
  t.buchung("4400", 'H', 11600, "10001", "1", 'R', "R1", 1, DMYtoDate(15, 1, 2024));
  ASSERT_TRUE(t.kern->buchen(2));
  t.buchung("1200", 'S', 5000, "10002", "", 'Z', "Z9", 1, DMYtoDate(16, 1, 2024));
  ASSERT_TRUE(t.kern->buchen(3));
  t.buchung("10002", 'H', 5000, "1200", "", 'Z', "Z9", 1, DMYtoDate(16, 1, 2024));
  ASSERT_TRUE(t.kern->buchen(4));

  using F = Formularschritt;
  t.ui.formular_skript({F::tippe("Zielverzeichnis", "/ziel"), F::tippe("Beraternummer", "12345"),
                        F::tippe("Mandantennummer", "999"), F::tippe("Datum von", "01.01.2024"),
                        F::tippe("Datum bis", "31.01.2024"),
                        F::tippe("Verrechnungskonto (für Splitbuchungen)", "1360"),
                        F::tippe("Buchungstext statt Kontenbezeichnung übergeben", "Ja"),
                        F::druecke(Taste::Esc)});
  ASSERT_TRUE(datev_extf(*t.m, false));
  std::string datei;
  ASSERT_TRUE(fs.lies_datei("/ziel/EXTF_Buchungsstapel_20240101_20240131.csv", datei));
  const auto zeilen = textzeilen(nach_utf8(datei, Codepage::CP1252));
  ASSERT_EQ(zeilen.size(), 4u);
  // The header with the clock's time left out; period 1 is open, so DATEV
  // is not to lock the batch.
  EXPECT_EQ(zeilen[0].substr(0, 42), "\"EXTF\";700;21;\"Buchungsstapel\";13;20241206");
  EXPECT_EQ(zeilen[0].substr(51),
            ";;\"FI\";\"\";\"\";12345;999;20240101;4;20240101;20240131;"
            "\"FIBU 01.01.2024-31.01.2024\";\"\";1;0;0;\"EUR\";;\"\";;;\"\";;;\"\";\"\"");
  EXPECT_EQ(zeilen[1] + "\r\n", extf_spaltenzeile(extf_buchungsspalten()));
  // The invoice from its customer line (4400 is an automatic account here),
  // with the booking text; the payment with its "Z" number.
  EXPECT_EQ(zeilen[2] + "\r\n", zeile(125, {{1, "116,00"},
                                            {2, "\"S\""},
                                            {3, "\"EUR\""},
                                            {7, "10001"},
                                            {8, "4400"},
                                            {10, "1501"},
                                            {11, "\"R1\""},
                                            {14, "\"Buchung 10001\""},
                                            {114, "0"}}));
  EXPECT_EQ(zeilen[3] + "\r\n", zeile(125, {{1, "50,00"},
                                            {2, "\"S\""},
                                            {3, "\"EUR\""},
                                            {7, "1200"},
                                            {8, "10002"},
                                            {10, "1601"},
                                            {11, "\"Z9\""},
                                            {14, "\"Buchung 1200\""},
                                            {114, "0"}}));
  EXPECT_EQ(datei.find('\n'), datei.find("\r\n") + 1);
  // The run's settings are kept for the next one.
  const Satz par = datev_par_lesen(*t.m);
  EXPECT_EQ(par.get(DatevFelder::Beraternummer), "0012345");
  EXPECT_EQ(par.get(DatevFelder::Zielverzeichnis), "/ziel/");
}

}  // namespace
}  // namespace fibu
