// The open-item functions through the batch tool on the demo client: the
// OP lists agree with the balance list of the customers, the write-off
// runs as a list and as a booking run with its question, a refused
// setting fails the run, and the two evaluations print.
#include <gtest/gtest.h>

#include <filesystem>

#include "batchdemo.h"
#include "suite/allgemei.h"
#include "suite/betrag.h"

namespace fibu {
namespace {

// The amount at the end of the first line beginning with `anfang`.
std::optional<Betrag> betrag_der_zeile(const std::string& datei, const std::string& anfang) {
  for (const auto& l : textzeilen(lies(datei)))
    if (l.rfind(anfang, 0) == 0) return betrag_aus_text(trim(l.substr(l.size() - 14)));
  return std::nullopt;
}

bool hat_hinweis(const std::string& datei) {
  return lies(datei).find("HINWEIS") != std::string::npos;
}

TEST(OffenePostenBatch, ListenAusbuchungUndAuswertungen) {
  Demo d;
  std::string log;
  ASSERT_EQ(d.lauf("Selektion Saldenliste Personenkonto / Perioden bis = 12\n", {"342", "343", "3132"},
                   &log),
            0)
      << log;
  const std::string debitoren = d.tmp / "aus/001-OP-Liste_Debitoren.txt";
  EXPECT_FALSE(hat_hinweis(debitoren)) << lies(debitoren);
  EXPECT_FALSE(hat_hinweis(d.tmp / "aus/002-OP-Liste_Kreditoren.txt"));
  // What the customers owe by their items is what their accounts hold.
  const auto forderungen = betrag_der_zeile(debitoren, "Forderungen               :");
  ASSERT_TRUE(forderungen);
  EXPECT_NE(*forderungen, 0);
  EXPECT_EQ(forderungen, betrag_der_zeile(d.tmp / "aus/003-Saldenliste_Debitoren.txt", "Gesamtsumme"));

  // A discount account that is no GL account is refused: the run fails.
  EXPECT_EQ(d.lauf("Automatische Ausbuchung von OP / Skontokonto Debitoren = 1\n", {"3462"}, &log), 1);
  EXPECT_NE(log.find("Skonto-Konto Debitoren nicht gefunden!"), std::string::npos) << log;

  const std::string einstellungen =
      "Automatische Ausbuchung von OP / Skontokonto Debitoren = 8736\n"
      "Automatische Ausbuchung von OP / Buchungsdatum (falls Periode abgeschl.) = 31.12.2007\n"
      "Automatische Ausbuchung von OP / Absoluter Schwellwert: (EURO) = 5,00\n";
  ASSERT_EQ(d.lauf(einstellungen, {"3462"}, &log), 0) << log;
  EXPECT_TRUE(std::filesystem::exists(d.tmp / "aus/001-Automatische_Ausbuchung_Debitoren.txt"));
  // The booking run asks first; the settings were kept from the list run.
  ASSERT_EQ(d.lauf("Sollen die Zahlungs-Buchungen erzeugt werden? = ja\n", {"3461", "342"}, &log), 0)
      << log;
  // The demo's customers pay some invoices less their discount: those
  // remainders are written off, and nothing is refused.
  const auto protokoll = lies(d.tmp / "aus/001-Automatische_Ausbuchung_Debitoren.txt");
  EXPECT_EQ(protokoll.find("fehler"), std::string::npos) << protokoll;
  EXPECT_NE(protokoll.find("gebucht"), std::string::npos) << protokoll;
  // Its documents are sound ones: the booking check of the year passes.
  EXPECT_EQ(d.lauf("Selektion Buchungsprüfung / Periode = 0\n", {"23"}, &log), 0) << log;
  ASSERT_EQ(d.lauf("Automatische Ausbuchung von OP / Ausbuchung = Ausbuchung von Debitoren-OP\n",
                   {"3462"}, &log),
            0)
      << log;
  EXPECT_NE(lies(d.tmp / "aus/001-Automatische_Ausbuchung_Debitoren.txt").find("Anzahl: 0"),
            std::string::npos);
  EXPECT_FALSE(hat_hinweis(d.tmp / "aus/002-OP-Liste_Debitoren.txt"));

  ASSERT_EQ(d.lauf("Selektion Finanzdisposition / Stichtag Berechnung = 01.06.2007\n", {"345", "347"},
                   &log),
            0)
      << log;
  EXPECT_NE(lies(d.tmp / "aus/001-Finanzdisposition.txt").find("Stichtag: 01.06.2007"),
            std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(d.tmp / "aus/002-Zahlungsmoral_Debitoren.txt"));
}

}  // namespace
}  // namespace fibu
