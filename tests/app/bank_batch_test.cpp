// A bank statement posted through the batch tool on the demo client: two
// invoices typed into the entry screen, the statement with their payments
// and a fee typed into the statement screen and posted with F6; the items
// are settled and the bank account holds the statement's new balance. The
// same with the bank's camt.053 file imported by F5. A statement that does
// not balance fails the run and posts nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "batchdemo.h"
#include "suite/allgemei.h"
#include "suite/betrag.h"

namespace fibu {
namespace {

// The text after `anfang` on the first line of a printed file holding it.
std::string nach(const std::string& datei, const std::string& anfang) {
  for (const auto& l : textzeilen(lies(datei)))
    if (auto p = l.find(anfang); p != std::string::npos) return trim(l.substr(p + anfang.size()));
  return "";
}

// "Verbleibender offener Betrag" of an item in a printed OP list; empty
// when the item is not listed.
std::string verbleibend(const std::vector<std::string>& liste, const std::string& beleg) {
  auto it = std::find_if(liste.begin(), liste.end(),
                         [&](const std::string& l) { return l.rfind(beleg, 0) == 0; });
  while (it != liste.end() && it->find("Verbleibender offener Betrag") == std::string::npos) ++it;
  return it == liste.end() ? "" : trim(it->substr(it->size() - 14));
}

const char* const rechnungen =
    "Buchungen erfassen und ändern / Zeile 1 = R; 10004; 9590001; 100107; ; ~; 119,00; 8400\n"
    "Buchungen erfassen und ändern / Zeile 2 = ; ; ~; ~; ~; ~; ~; ~; ~\n"
    "Buchungen erfassen und ändern / Zeile 3 = R; 10006; 9590002; 100107; ; ~; 238,00; 8400\n"
    "Buchungen erfassen und ändern / Zeile 4 = ; ; ~; ~; ~; ~; ~; ~; ~\n";

TEST(BankBatch, AuszugGegenOffenePostenBuchen) {
  Demo d;
  std::string log;
  ASSERT_EQ(d.lauf(rechnungen, {"21"}, &log), 0) << log;

  // One payment pays both invoices (split), the other line is a fee.
  const std::string auszug =
      "Bankauszug / Bank-Konto = 1200\n"
      "Bankauszug / Datum = 31.01.2007\n"
      "Buchung nach Bank-Kontoauszug / Zeile 1 = ; 357,00; 9590001; 119,00; ~; ; ; 20; ; "
      "Sammelzahlung\n"
      "Buchung nach Bank-Kontoauszug / Zeile 2 = ; ; 9590002; ~; ~; ; ; ~; ; \n"
      "Buchung nach Bank-Kontoauszug / Zeile 3 = 12,50; ; /; ~; 4970; ; ; 31; ; Kontoführung\n"
      "Buchung nach Bank-Kontoauszug / Tasten = Drucken, F6\n";
  ASSERT_EQ(d.lauf(auszug, {"22"}, &log), 0) << log;
  const std::string vorher = d.tmp / "aus/001-Bank-Kontoauszug.txt";
  ASSERT_TRUE(std::filesystem::exists(vorher)) << log;
  const std::string alt = nach(vorher, "Alter Saldo: "), neu = nach(vorher, "Neuer Saldo: ");
  EXPECT_EQ(nach(vorher, "Differenz: "), "0,00");
  EXPECT_EQ(betrag_aus_text(neu).value() - betrag_aus_text(alt).value(), 35700 - 1250);

  // The table is empty and its old balance is the new one of the statement.
  ASSERT_EQ(d.lauf("Bankauszug / Bank-Konto = 1200\n"
                   "Buchung nach Bank-Kontoauszug / Tasten = Drucken\n"
                   "Liste der Offenen Posten - Debitoren / Mit ausgeglichenen OP = ja\n",
                   {"22", "342"}, &log),
            0)
      << log;
  const std::string danach = d.tmp / "aus/001-Bank-Kontoauszug.txt";
  EXPECT_EQ(nach(danach, "Alter Saldo: "), neu);
  EXPECT_EQ(nach(danach, "Differenz: "), "0,00");
  // Both items are paid: their remainder is 0.
  const auto liste = textzeilen(lies(d.tmp / "aus/002-OP-Liste_Debitoren.txt"));
  for (const char* beleg : {"9590001", "9590002"})
    EXPECT_EQ(verbleibend(liste, beleg), "0,00") << beleg;
}

// A camt.053 statement of account 1200 in January 2007: the balances it
// opens and closes with, and its entries (credit or debit, cents, day,
// purpose text).
struct Camtbuchung {
  bool haben;
  Betrag betrag;
  int tag;
  std::string text;
};

std::string camt_betrag(Betrag b) {
  return std::to_string(b / 100) + "." + (b % 100 < 10 ? "0" : "") + std::to_string(b % 100);
}

std::string camt_saldo(const char* art, Betrag b, int tag) {
  return std::string("<Bal><Tp><CdOrPrtry><Cd>") + art + "</Cd></CdOrPrtry></Tp><Amt Ccy=\"EUR\">" +
         camt_betrag(b < 0 ? -b : b) + "</Amt><CdtDbtInd>" + (b < 0 ? "DBIT" : "CRDT") +
         "</CdtDbtInd><Dt><Dt>2007-01-" + (tag < 10 ? "0" : "") + std::to_string(tag) +
         "</Dt></Dt></Bal>\n";
}

std::string camt(Betrag anfang, const std::vector<Camtbuchung>& buchungen) {
  Betrag ende = anfang;
  std::string eintraege;
  for (const Camtbuchung& b : buchungen) {
    ende += b.haben ? b.betrag : -b.betrag;
    const std::string datum =
        std::string("2007-01-") + (b.tag < 10 ? "0" : "") + std::to_string(b.tag);
    eintraege += "<Ntry><Amt Ccy=\"EUR\">" + camt_betrag(b.betrag) + "</Amt><CdtDbtInd>" +
                 (b.haben ? "CRDT" : "DBIT") + "</CdtDbtInd><Sts>BOOK</Sts><BookgDt><Dt>" + datum +
                 "</Dt></BookgDt><ValDt><Dt>" + datum +
                 "</Dt></ValDt><NtryDtls><TxDtls><RmtInf><Ustrd>" + b.text +
                 "</Ustrd></RmtInf></TxDtls></NtryDtls></Ntry>\n";
  }
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\"><BkToCstmrStmt>"
         "<GrpHdr><MsgId>M1</MsgId><CreDtTm>2007-01-31T18:00:00</CreDtTm></GrpHdr><Stmt>"
         "<Id>S1</Id><ElctrncSeqNb>1</ElctrncSeqNb><CreDtTm>2007-01-31T18:00:00</CreDtTm>"
         "<Acct><Id><IBAN>DE89100200301234567890</IBAN></Id></Acct>\n" +
         camt_saldo("OPBD", anfang, 1) + camt_saldo("CLBD", ende, 31) + eintraege +
         "</Stmt></BkToCstmrStmt></Document>\n";
}

// The closing balance a camt.053 file states.
Betrag schlusssaldo(const std::string& xml) {
  const auto p = xml.find("<Cd>CLBD</Cd>");
  const auto a = xml.find('>', xml.find("<Amt", p)) + 1;
  Betrag b = betrag_aus_text(xml.substr(a, xml.find('<', a) - a)).value();
  return xml.find("DBIT", a) < xml.find("</Bal>", a) ? -b : b;
}

// The bank's statement file imported into the statement screen with F5 and
// posted with F6, all from the batch tool: the payments find their items by
// the document-number pattern, the fee its GL account by the account
// pattern; both items are settled and the bank account ends at the
// statement's closing balance.
TEST(BankBatch, AuszugsdateiImportierenUndGegenOffenePostenBuchen) {
  Demo d;
  std::string log;
  ASSERT_EQ(d.lauf(rechnungen, {"21"}, &log), 0) << log;
  const std::string kopf = "Bankauszug / Bank-Konto = 1200\nBankauszug / Datum = 31.01.2007\n";
  ASSERT_EQ(d.lauf(kopf + "Buchung nach Bank-Kontoauszug / Tasten = Drucken\n", {"22"}, &log), 0)
      << log;
  const Betrag anfang =
      betrag_aus_text(nach(d.tmp / "aus/001-Bank-Kontoauszug.txt", "Alter Saldo: ")).value();

  const std::string xml = camt(anfang, {{true, 11900, 20, "Rechnung 9590001 vom 10.01.2007"},
                                        {true, 23800, 22, "RG 9590002, Kunde 10006"},
                                        {false, 1250, 31, "Entgelt Kontofuehrung 4970"}});
  std::filesystem::create_directories(d.tmp / "bank");
  schreibe(d.tmp / "bank/AUSZUG01.XML", xml);
  ASSERT_EQ(d.lauf(kopf +
                       "Buchung nach Bank-Kontoauszug / Tasten = F5, Drucken, F6\n"
                       "BTX-Import / Pfad = " +
                       (d.tmp / "bank") +
                       "\n"
                       "BTX-Import / Dateiname = AUSZUG01.XML\n"
                       "BTX-Import / Format = CAMT.053 (XML)\n"
                       "BTX-Import / Zahlungen auf AR = 959????\n"
                       "BTX-Import / Sachkonto = 497?\n"
                       "BTX-Import / Datum von = 01.01.2007\n"
                       "BTX-Import / Datum bis = 31.01.2007\n",
                   {"22"}, &log),
            0)
      << log;
  // The imported table as printed before F6: three assigned lines.
  const auto tabelle = lies(d.tmp / "aus/001-Bank-Kontoauszug.txt");
  for (const char* teil : {"9590001", "9590002", "4970"})
    EXPECT_NE(tabelle.find(teil), std::string::npos) << teil << "\n" << tabelle;
  EXPECT_EQ(nach(d.tmp / "aus/001-Bank-Kontoauszug.txt", "Differenz: "), "0,00");

  ASSERT_EQ(d.lauf(kopf + "Buchung nach Bank-Kontoauszug / Tasten = Drucken\n"
                          "Liste der Offenen Posten - Debitoren / Mit ausgeglichenen OP = ja\n",
                   {"22", "342"}, &log),
            0)
      << log;
  EXPECT_EQ(betrag_aus_text(nach(d.tmp / "aus/001-Bank-Kontoauszug.txt", "Alter Saldo: ")).value(),
            schlusssaldo(xml));
  EXPECT_EQ(schlusssaldo(xml), anfang + 11900 + 23800 - 1250);
  const auto liste = textzeilen(lies(d.tmp / "aus/002-OP-Liste_Debitoren.txt"));
  for (const char* beleg : {"9590001", "9590002"})
    EXPECT_EQ(verbleibend(liste, beleg), "0,00") << beleg;
}

TEST(BankBatch, UnausgeglichenerAuszugWirdNichtGebucht) {
  Demo d;
  std::string log;
  ASSERT_EQ(d.lauf(rechnungen, {"21"}, &log), 0) << log;
  // The payment is short of the invoice.
  EXPECT_EQ(d.lauf("Bankauszug / Bank-Konto = 1200\n"
                   "Bankauszug / Datum = 31.01.2007\n"
                   "Buchung nach Bank-Kontoauszug / Zeile 1 = ; 100,00; 9590001; ~; ~; ; ; 20; ; \n"
                   "Buchung nach Bank-Kontoauszug / Tasten = F6\n",
                   {"22"}, &log),
            1);
  EXPECT_NE(log.find("Die Differenz ist nicht Null! Buchen ist nicht möglich."), std::string::npos)
      << log;
  // The row waits in the table for the next session.
  ASSERT_EQ(d.lauf("Bankauszug / Bank-Konto = 1200\n"
                   "Buchung nach Bank-Kontoauszug / Tasten = Drucken\n",
                   {"22"}, &log),
            0)
      << log;
  EXPECT_NE(lies(d.tmp / "aus/001-Bank-Kontoauszug.txt").find("9590001"), std::string::npos);
}

}  // namespace
}  // namespace fibu
