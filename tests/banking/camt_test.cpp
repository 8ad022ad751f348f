// The camt.053 reader: the same statement as MT940 gives the same lines in
// both versions, a ZIP gives the lines of all its statements, and files
// that are no statement are refused as a whole with a German reason.
#include "banking/camt.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "auszugsbeispiele.h"

namespace fibu {
namespace {

// A ZIP archive of the given members, as the bytes of the file.
std::string zip_archiv(const std::vector<std::pair<std::string, std::string>>& mitglieder) {
  const auto pfad =
      std::filesystem::temp_directory_path() /
      ("camt_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
       std::to_string(std::rand()) + ".zip");
  int fehler = 0;
  zip_t* z = zip_open(pfad.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &fehler);
  EXPECT_NE(z, nullptr);
  if (!z) return {};
  for (const auto& [name, inhalt] : mitglieder) {
    zip_source_t* q = zip_source_buffer(z, inhalt.data(), inhalt.size(), 0);
    EXPECT_GE(zip_file_add(z, name.c_str(), q, ZIP_FL_OVERWRITE), 0);
  }
  EXPECT_EQ(zip_close(z), 0);
  std::ifstream ein(pfad, std::ios::binary);
  std::stringstream s;
  s << ein.rdbuf();
  std::filesystem::remove(pfad);
  return s.str();
}

std::string camt(const std::string& version, const std::string& eintraege) {
  return "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001." + version +
         "\"><BkToCstmrStmt><Stmt><Id>A7</Id><Acct><Id><IBAN>DE89100200301234567890</IBAN></Id>"
         "</Acct>" +
         eintraege + "</Stmt></BkToCstmrStmt></Document>";
}

std::string eintrag(const std::string& betrag, const std::string& richtung,
                    const std::string& innen = "", const std::string& status = "BOOK") {
  return "<Ntry><Amt Ccy=\"EUR\">" + betrag + "</Amt><CdtDbtInd>" + richtung + "</CdtDbtInd><Sts>" +
         status + "</Sts><BookgDt><Dt>2024-01-03</Dt></BookgDt><ValDt><Dt>2024-01-04</Dt></ValDt>" +
         innen + "</Ntry>";
}

TEST(Camt, BothVersionsGiveTheLinesOfTheSameMt940Statement) {
  const Auszugsdatei mt940 = mt940_lesen(mt940_beispiel, Auszugsformat::Swift);
  ASSERT_EQ(als_text(mt940.zeilen), beispiel_zeilen);
  for (const std::string* datei : {&camt02_beispiel, &camt08_beispiel}) {
    const Auszugsdatei d = camt_lesen(*datei);
    EXPECT_EQ(d.fehler, "");
    EXPECT_EQ(als_text(d.zeilen), als_text(mt940.zeilen));
    EXPECT_TRUE(d.abgelehnt.empty());
    EXPECT_EQ(d.kontonummer, "DE89100200301234567890");
    EXPECT_EQ(d.auszugsnummer, "1");
    ASSERT_EQ(d.herkunft.size(), 2u);
    EXPECT_EQ(d.herkunft[0].waehrung, "EUR");
  }
}

TEST(Camt, MapsReferencesPartiesAndStructuredRemittance) {
  const std::string details =
      "<NtryDtls><TxDtls><Refs><EndToEndId>E2E-RE4711</EndToEndId></Refs>"
      "<RltdPties><Dbtr><Nm>Zahler KG</Nm></Dbtr><Cdtr><Nm>Wir selbst</Nm></Cdtr>"
      "<CdtrAcct><Id><IBAN>DE00WIR</IBAN></Id></CdtrAcct></RltdPties>"
      "<RmtInf><Ustrd>Danke</Ustrd><Strd><CdtrRefInf><Ref>RF18539007547034</Ref></CdtrRefInf>"
      "</Strd></RmtInf></TxDtls></NtryDtls>";
  const Auszugsdatei d = camt_lesen(
      camt("02", eintrag("10.5", "CRDT", details) + eintrag("3.00000", "DBIT", details) +
                     // A batch of two transactions: one line with both texts, no single party.
                     eintrag("7", "CRDT",
                             "<NtryDtls><TxDtls><RmtInf><Ustrd>eins</Ustrd></RmtInf></TxDtls>"
                             "<TxDtls><RltdPties><Dbtr><Nm>X</Nm></Dbtr></RltdPties><RmtInf><Ustrd>"
                             "zwei</Ustrd></RmtInf></TxDtls></NtryDtls>") +
                     eintrag("1", "DBIT", "<AddtlNtryInf>Kontoführung</AddtlNtryInf>")));
  EXPECT_EQ(als_text(d.zeilen),
            (std::vector<std::string>{
                "03.01.2024 04.01.2024 S 0,00 H 10,50 | Danke RF18539007547034 | Zahler KG |  | "
                "E2E-RE4711",
                "03.01.2024 04.01.2024 S 3,00 H 0,00 | Danke RF18539007547034 | Wir selbst | "
                "DE00WIR | E2E-RE4711",
                "03.01.2024 04.01.2024 S 0,00 H 7,00 | eins zwei |  |  | ",
                "03.01.2024 04.01.2024 S 1,00 H 0,00 | Kontoführung |  |  | "}));
  EXPECT_EQ(d.auszugsnummer, "A7");
}

TEST(Camt, RefusesEntriesItCannotBook) {
  const Auszugsdatei d = camt_lesen(
      camt("08", eintrag("5.00", "CRDT", "", "PDNG") + eintrag("5,00", "CRDT") +
                     eintrag("5.001", "CRDT") + eintrag("5.00", "XXXX") + eintrag("0.00", "DBIT") +
                     "<Ntry><Amt>1.00</Amt><CdtDbtInd>CRDT</CdtDbtInd></Ntry>"));
  EXPECT_TRUE(d.zeilen.empty());
  std::vector<std::string> gruende;
  for (const Fehlzeile& f : d.abgelehnt) gruende.push_back(f.betrag + " " + f.grund);
  EXPECT_EQ(gruende, (std::vector<std::string>{
                         "5.00 Status PDNG, nicht gebucht", "5,00 Betrag ungültig",
                         "5.001 Betrag ungültig", "5.00 Soll/Haben-Kennzeichen ungültig",
                         "0.00 Betrag ist Null", "1.00 Buchungsdatum ungültig"}));
}

TEST(Camt, AZipGivesTheStatementsOfAllItsXmlFilesInNameOrder) {
  const std::string zweiter =
      camt("02", eintrag("42.00", "CRDT",
                         "<NtryDtls><TxDtls><RmtInf><Ustrd>RE777</Ustrd></RmtInf></TxDtls>"
                         "</NtryDtls>"));
  const Auszugsdatei d = camt_lesen(zip_archiv({{"2024-01-03_auszug.xml", zweiter},
                                                {"liesmich.txt", "kein Auszug"},
                                                {"2024-01-02_auszug.XML", camt02_beispiel}}));
  EXPECT_EQ(d.fehler, "");
  std::vector<std::string> erwartet = beispiel_zeilen;
  erwartet.push_back("03.01.2024 04.01.2024 S 0,00 H 42,00 | RE777 |  |  | ");
  EXPECT_EQ(als_text(d.zeilen), erwartet);
  EXPECT_EQ(d.auszugsnummer, "1, A7");
}

TEST(Camt, FilesThatAreNoStatementAreRefusedInGerman) {
  struct Fall {
    std::string daten;
    const char* fehler;
  } faelle[] = {
      {"<Document><kaputt", "Die Datei ist kein gültiges XML (Fehler in Zeile 1)."},
      {"", "Die Datei ist kein gültiges XML (Fehler in Zeile 1)."},
      {camt("02", "").replace(0, 0, "\xEF\xBB\xBF") + "<nachgeschoben/>",
       "Die Datei ist kein gültiges XML (Fehler in Zeile 1)."},
      {"<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.052.001.02\"/>",
       "Die Datei ist kein Kontoauszug im Format CAMT.053 (Version 001.02 bis 001.08)."},
      {"<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\"/>",
       "Die Datei enthält keinen Kontoauszug (BkToCstmrStmt fehlt)."},
      {"<Document><BkToCstmrStmt/></Document>",
       "Die Datei ist kein Kontoauszug im Format CAMT.053 (Version 001.02 bis 001.08)."},
      // Entities are neither expanded nor fetched: a DTD refuses the file.
      {"<?xml version=\"1.0\"?><!DOCTYPE Document [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
       "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]>" +
           camt("02", eintrag("1.00", "CRDT", "<AddtlNtryInf>&b;</AddtlNtryInf>")),
       "Die Datei enthält eine Dokumenttypdefinition und wird nicht gelesen."},
      {"<!DOCTYPE x SYSTEM \"http://example.invalid/x.dtd\">" + camt("02", ""),
       "Die Datei enthält eine Dokumenttypdefinition und wird nicht gelesen."},
      {std::string("PK\x03\x04kaputt", 10), "Die ZIP-Datei ist beschädigt."},
      {zip_archiv({{"a.txt", "x"}}), "Die ZIP-Datei enthält keine XML-Datei."},
      {zip_archiv({{"a.xml", camt02_beispiel}, {"b.xml", "<x"}}),
       "b.xml im ZIP-Archiv: Die Datei ist kein gültiges XML (Fehler in Zeile 1)."},
  };
  for (const Fall& f : faelle) {
    const Auszugsdatei d = camt_lesen(f.daten);
    EXPECT_EQ(d.fehler, f.fehler) << f.daten;
    // Nothing of a refused file is kept, not even the statements before
    // the broken member.
    EXPECT_TRUE(d.zeilen.empty() && d.abgelehnt.empty()) << f.daten;
  }
}

}  // namespace
}  // namespace fibu
