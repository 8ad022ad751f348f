// A bank statement posted through the batch tool on the demo client: two
// invoices typed into the entry screen, the statement with their payments
// and a fee typed into the statement screen and posted with F6; the items
// are settled and the bank account holds the statement's new balance. A
// statement that does not balance fails the run and posts nothing.
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
      "Buchung nach Bank-Kontoauszug / Zeile 1 = ; 357,00; 9590001; 119,00; ~; ; ; 20; ; Sammelzahlung\n"
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
  for (const char* beleg : {"9590001", "9590002"}) {
    auto it = std::find_if(liste.begin(), liste.end(),
                           [&](const std::string& l) { return l.rfind(beleg, 0) == 0; });
    ASSERT_NE(it, liste.end()) << beleg;
    while (it != liste.end() && it->find("Verbleibender offener Betrag") == std::string::npos) ++it;
    ASSERT_NE(it, liste.end());
    EXPECT_EQ(trim(it->substr(it->size() - 14)), "0,00") << *it;
  }
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
