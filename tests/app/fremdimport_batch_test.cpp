// The foreign-data import through the batch tool on the demo client: a file
// with a new customer, a one-time customer and a payment is imported with
// an answers file, the protocol is written, the customers' balance list
// shows the bookings; the same file a second time posts nothing.
#include <filesystem>

#include "../exchange/testzeile.h"
#include "batchdemo.h"

namespace fibu {
namespace {

Fremdzeile juli(char art, const std::string& konto, char sh, Betrag betrag,
                const std::string& gegen, const std::string& beleg, const std::string& steuer,
                int tag) {
  return zeile(art, konto, sh, betrag, gegen, beleg, steuer, 0, DMYtoDate(tag, 7, 2007));
}

std::string protokoll(const std::string& verzeichnis, const std::string& nummer) {
  if (!std::filesystem::exists(verzeichnis)) return {};
  for (const auto& e : std::filesystem::directory_iterator(verzeichnis))
    if (e.path().filename().string().rfind(nummer + "-", 0) == 0 &&
        e.path().filename().string().find("Fremddaten") != std::string::npos)
      return lies(e.path().string());
  return {};
}

TEST(FremdimportBatch, DateiInDenDemomandantenUndProtokoll) {
  Demo d;
  Fremdzeile neu = juli('R', "10100", 'S', 11900, "8400", "7001", "", 10);
  neu.person.name = "Neukunde Import";
  neu.person.strasse = "Importweg 1";
  neu.person.plz_ort = "85435 Erding";
  neu.person.sammelschluessel = 1;
  neu.person.nettotage = 30;
  Fremdzeile laufkunde = juli('R', "0", 'S', 5950, "8400", "7002", "", 12);
  laufkunde.person.name = "Laufkunde Berger";
  std::string datei;
  for (const Fremdzeile& z : {neu, juli(' ', "8400", 'H', 11900, "10100", "7001", "3", 10),
                              laufkunde, juli(' ', "8400", 'H', 5950, "0", "7002", "3", 12),
                              juli('Z', "10100", 'H', 11900, "1200", "7001", "", 20),
                              juli(' ', "1200", 'S', 11900, "10100", "7001", "", 20)})
    datei += fremdsatz_schreiben(z) + "\r\n";
  std::filesystem::create_directories(d.tmp / "import");
  schreibe(d.tmp / "import/FREMDIMP.DAT", datei);

  const std::string antworten =
      "Übernahme Fremddaten / Datum von = 01.07.2007\n"
      "Übernahme Fremddaten / Datum bis = 31.07.2007\n"
      "Übernahme Fremddaten / Periode = 7\n"
      "Übernahme Fremddaten / Pfad = " +
      (d.tmp / "import") +
      "\n"
      "Selektion Saldenliste Personenkonto / Perioden von = 7\n"
      "Selektion Saldenliste Personenkonto / Perioden bis = 7\n"
      "Selektion Saldenliste Personenkonto / Kontonummer = 10099\n"
      "Selektion Saldenliste Personenkonto / bis = 10100\n";
  std::string log;
  ASSERT_EQ(d.lauf(antworten, {"27", "3132"}, &log), 0) << log;
  const std::string p = protokoll(d.tmp / "aus", "001");
  EXPECT_NE(p.find("P r ü f u n g   u n d   I m p o r t   F r e m d d a t e n"), std::string::npos)
      << p;
  EXPECT_EQ(p.find("!!!"), std::string::npos) << p;
  EXPECT_NE(p.find("Ende der Prüfung!\nStart der Übernahme ..."), std::string::npos) << p;
  EXPECT_NE(p.find("6 Buchungen übernommen"), std::string::npos) << p;
  EXPECT_NE(p.find("1 Personenkonten angelegt\nEnde der Übernahme!"), std::string::npos) << p;

  // Opening balances 0, July: 119.00 debit and credit; the one-time
  // customer 59.50 debit.
  const std::string liste = lies(d.tmp / "aus/002-Saldenliste_Debitoren.txt");
  EXPECT_NE(
      liste.find("   10099 Diverse Kunden                      0,00          59,50           0,00"
                 "          59,50           0,00          59,50"),
      std::string::npos)
      << liste;
  EXPECT_NE(
      liste.find("   10100 Neukunde Import                     0,00         119,00         119,00"
                 "         119,00         119,00           0,00"),
      std::string::npos)
      << liste;

  // The same file again is refused before anything is read: its bookings
  // would be there twice.
  const std::string nur_import = antworten.substr(0, antworten.find("Selektion"));
  std::filesystem::remove_all(d.tmp / "aus");
  ASSERT_EQ(d.lauf(nur_import, {"27"}, &log), 1) << log;
  EXPECT_NE(log.find("Meldung: Die Datei FREMDIMP.DAT ist bereits vollständig übernommen worden!"),
            std::string::npos)
      << log;
  EXPECT_EQ(protokoll(d.tmp / "aus", "001"), "");

  // With one more document it is another file: the invoices are there, the
  // check refuses it, nothing is posted, and the run fails (each run
  // numbers its print jobs from 1).
  schreibe(d.tmp / "import/FREMDIMP.DAT",
           datei + fremdsatz_schreiben(juli(' ', "1000", 'S', 500, "1200", "7003", "", 21)) + "\r\n" +
               fremdsatz_schreiben(juli(' ', "1200", 'H', 500, "1000", "7003", "", 21)) + "\r\n");
  ASSERT_EQ(d.lauf(nur_import, {"27"}, &log), 1) << log;
  EXPECT_NE(log.find("Befehl 27 ist nicht oder nicht fehlerfrei ausgeführt worden."),
            std::string::npos)
      << log;
  ASSERT_EQ(d.lauf(antworten.substr(nur_import.size()), {"3132"}, &log), 0) << log;
  const std::string zweites = protokoll(d.tmp / "aus", "001");
  EXPECT_NE(zweites.find("!!! Zeile 1: Rechnung/OP existiert bereits"), std::string::npos)
      << zweites;
  EXPECT_NE(zweites.find("Bitte Fehler beheben und erneut importieren !!!"), std::string::npos);
  EXPECT_EQ(zweites.find("Start der Übernahme"), std::string::npos);
  EXPECT_EQ(lies(d.tmp / "aus/001-Saldenliste_Debitoren.txt").find("238,00"), std::string::npos);
}

}  // namespace
}  // namespace fibu
