// A new client set up through the batch tool as a new user does it, from
// the chart template to the first import: the guard refuses while the
// base data are incomplete (exit code 1, the protocol in the output
// directory) and lets the import through once every answer is given.
#include <filesystem>

#include "../exchange/testzeile.h"
#include "batchdemo.h"

namespace fibu {
namespace {

struct NeuerMandant {
  Testverzeichnis tmp;
  std::string ws = tmp / "arbeit";
  std::string log;

  NeuerMandant() {
    std::ostringstream l;
    EXPECT_EQ(batch_ausfuehren({"--einrichten", "--arbeitsverzeichnis", ws}, l), 0) << l.str();
    EXPECT_EQ(lauf("Neuen Mandant anlegen / Mandantnummer = 7\n"
                   "Neuen Mandant anlegen / Mandantname = Malerbetrieb Farbe\n"
                   "Neuen Mandant anlegen / Jahr = 2026\n"
                   "Neuen Mandant anlegen / Kontenrahmen = SKR-03\n"
                   "Neuen Mandant anlegen / Währung = EURO\n",
                   {"1431"}, false),
              0)
        << log;
  }

  int lauf(const std::string& antworten, std::vector<std::string> befehle, bool mit_mandant = true) {
    schreibe(tmp / "antworten.txt", antworten);
    std::vector<std::string> args = {"--arbeitsverzeichnis", ws,          "--antworten",
                                     tmp / "antworten.txt",  "--ausgabe", tmp / "aus",
                                     "--datum",              "06.12.2026"};
    if (mit_mandant) args.push_back("/W=0072026");
    args.insert(args.end(), befehle.begin(), befehle.end());
    std::ostringstream l;
    const int rc = batch_ausfuehren(args, l);
    log = l.str();
    return rc;
  }

  // The newest print job whose file name contains `name`.
  std::string druck(const std::string& name) {
    std::string pfad;
    if (!std::filesystem::exists(tmp / "aus")) return {};
    for (const auto& e : std::filesystem::directory_iterator(tmp / "aus"))
      if (e.path().filename().string().find(name) != std::string::npos &&
          e.path().extension() == ".txt" && e.path().string() > pfad)
        pfad = e.path().string();
    return pfad.empty() ? std::string() : lies(pfad);
  }
  void druck_loeschen() { std::filesystem::remove_all(tmp / "aus"); }
};

// The answers of "Firmenstamm" that a client from SKR 03 needs: the tax
// accounts of the template's tax keys, the carry-forward, difference and
// one-time customer accounts.
const char* firmenstamm =
    "Mandantendaten pflegen / Finanzamt = Erding\n"
    "Mandantendaten pflegen / Steuernummer = 114/123/45678\n"
    "Mandantendaten pflegen / Name = Malerbetrieb Farbe GmbH\n"
    "Forderungskonto 1 = 1400\n"
    "Verbindlichkeitskonto 1 = 1600\n"
    "Steuerkonto 2 = 1771\nSteuersatz 2 = 7,00\n"
    "Steuerkonto 3 = 1776\nSteuersatz 3 = 19,00\n"
    "Steuerkonto 4 = 1773\nSteuersatz 4 = 5,00\n"
    "Steuerkonto 5 = 1775\nSteuersatz 5 = 16,00\n"
    "Steuerkonto 6 = 1573\nSteuersatz 6 = 5,00\n"
    "Steuerkonto 7 = 1575\nSteuersatz 7 = 16,00\n"
    "Steuerkonto 8 = 1571\nSteuersatz 8 = 7,00\n"
    "Steuerkonto 9 = 1576\nSteuersatz 9 = 19,00\n"
    "Steuerkonto 18 = 1772\nSteuersatz 18 = 7,00\n"
    "Steuerkonto 19 = 1572\nSteuersatz 19 = 7,00\n"
    "Steuerkonto 20 = 1774\nSteuersatz 20 = 19,00\n"
    "Steuerkonto 21 = 1574\nSteuersatz 21 = 19,00\n"
    "Saldenvortragskonto Sachkonten = 9000\n"
    "Saldenvortragskonto Debitoren = 9008\n"
    "Saldenvortragskonto Kreditoren = 9009\n"
    "Differenzkonto Sachkonten = 1599\n"
    "Differenzkonto Debitoren = 69999\n"
    "Differenzkonto Kreditoren = 99999\n"
    "Debitor für Diverse Kunden = 10099\n";

TEST(KonsistenzBatch, NeuerMandantVomKontenrahmenBisZurErstenUebernahme) {
  NeuerMandant n;
  // The import file: a new customer's invoice and its payment.
  auto mai = [](char art, const std::string& konto, char sh, Betrag betrag,
                const std::string& gegen, const std::string& steuer, int tag) {
    return zeile(art, konto, sh, betrag, gegen, "26001", steuer, 0, DMYtoDate(tag, 5, 2026));
  };
  Fremdzeile rechnung = mai('R', "10100", 'S', 23800, "8400", "", 4);
  rechnung.person.name = "Hausverwaltung Sonne";
  rechnung.person.sammelschluessel = 1;
  rechnung.person.nettotage = 14;
  std::string datei;
  for (const Fremdzeile& z :
       {rechnung, mai(' ', "8400", 'H', 23800, "10100", "3", 4),
        mai('Z', "10100", 'H', 23800, "1200", "", 18), mai(' ', "1200", 'S', 23800, "10100", "", 18)})
    datei += fremdsatz_schreiben(z) + "\r\n";
  std::filesystem::create_directories(n.tmp / "import");
  schreibe(n.tmp / "import/FREMDIMP.DAT", datei);
  const std::string import = "Übernahme Fremddaten / Datum von = 01.05.2026\n"
                             "Übernahme Fremddaten / Datum bis = 31.05.2026\n"
                             "Übernahme Fremddaten / Periode = 5\n"
                             "Übernahme Fremddaten / Pfad = " +
                             (n.tmp / "import") + "\n";

  // Straight after the template: the guard refuses, the run fails, and the
  // protocol says why.
  EXPECT_EQ(n.lauf(import, {"27"}), 1) << n.log;
  EXPECT_NE(n.log.find("Meldung: Es ist eine Konsistenzprüfung der Basisdaten nötig!\n"),
            std::string::npos)
      << n.log;
  EXPECT_NE(n.log.find("Meldung: Bitte beheben Sie die Fehler! Die Funktion wird abgebrochen!\n"),
            std::string::npos)
      << n.log;
  std::string protokoll = n.druck("Konsistenzpruefung");
  EXPECT_NE(protokoll.find("Basisdaten Mandant:\nBitte Finanzamt eintragen!\n\nBasisdaten Perioden:"),
            std::string::npos)
      << protokoll;
  EXPECT_NE(protokoll.find("Sachkonto 8400: Steuerkonto zu Steuerschlüssel 3 nicht eingetragen!"),
            std::string::npos)
      << protokoll;
  EXPECT_EQ(n.druck("Fremddaten"), "");
  n.druck_loeschen();

  // The accounts the base data name, then the base data, then the
  // cost-accounting ranges with their difference cost centre.
  const std::pair<const char*, const char*> schritte[] = {
      {"121", "Pflege der Sachkonten / Kontonummer = 1599\n"
              "Pflege der Sachkonten / Bezeichnung = Differenzen Übernahme\n"
              "Pflege der Sachkonten / Kontenart = 0\n"
              "Pflege der Sachkonten / Steuerschlüssel = 0\n"},
      {"131", "Pflege der Personenkonten / Kontonr = 10099\n"
              "Pflege der Personenkonten / Name = Diverse Kunden\n"
              "Pflege der Personenkonten / Verwendung für diverse Kunden = ja\n"},
      {"131", "Pflege der Personenkonten / Kontonr = 69999\n"
              "Pflege der Personenkonten / Name = Differenzen Debitoren\n"},
      {"131", "Pflege der Personenkonten / Kontonr = 99999\n"
              "Pflege der Personenkonten / Name = Differenzen Kreditoren\n"},
      {"141", firmenstamm},
      {"1521", "Leitkostenstellen pflegen / Leitkostenstelle = 1\n"
               "Leitkostenstellen pflegen / Bezeichnung = Betrieb\n"},
      {"1531", "Kostenstellen pflegen / Kostenstelle = 1000\n"
               "Kostenstellen pflegen / Bezeichnung 1 = Differenzen\n"
               "Kostenstellen pflegen / Leitkostenstelle = 1\n"},
      {"151", "Basisdaten Kostenrechnung / Differenzkostenstelle = 1000\n"},
  };
  for (const auto& [befehl, antworten] : schritte) ASSERT_EQ(n.lauf(antworten, {befehl}), 0) << n.log;
  EXPECT_EQ(n.druck("Konsistenzpruefung"), "");  // the masters are not guarded

  // Now the guard runs the check, which passes, and the import follows.
  ASSERT_EQ(n.lauf(import, {"27"}), 0) << n.log;
  EXPECT_NE(n.log.find("Meldung: Es ist eine Konsistenzprüfung der Basisdaten nötig!\n"),
            std::string::npos);
  protokoll = n.druck("Konsistenzpruefung");
  EXPECT_NE(protokoll.find("Basisdaten Mandant:\n\nBasisdaten Perioden:\n\n"), std::string::npos)
      << protokoll;
  EXPECT_NE(protokoll.find("Kostenarten:\n\nÜberschneidung der Sachkonten:\n"), std::string::npos)
      << protokoll;
  const std::string uebernahme = n.druck("Fremddaten");
  EXPECT_NE(uebernahme.find("4 Buchungen übernommen"), std::string::npos) << uebernahme;
  EXPECT_NE(uebernahme.find("1 Personenkonten angelegt"), std::string::npos) << uebernahme;
  n.druck_loeschen();

  // Both flags were saved with the base data; command 41 finds nothing
  // either, and the customer's balance shows the import.
  const std::string basis = lies(n.ws + "/fibu/007/2026/BASIS.PAR");
  ASSERT_EQ(basis.size(), 61098u);
  EXPECT_EQ(basis[268], 1);
  EXPECT_EQ(basis[407], 1);
  ASSERT_EQ(n.lauf("Selektion Saldenliste Personenkonto / Perioden von = 5\n"
                   "Selektion Saldenliste Personenkonto / Perioden bis = 5\n"
                   "Selektion Saldenliste Personenkonto / Kontonummer = 10100\n"
                   "Selektion Saldenliste Personenkonto / bis = 10100\n",
                   {"41", "3132"}),
            0)
      << n.log;
  const std::string liste = n.druck("Saldenliste_Debitoren");
  EXPECT_NE(liste.find("   10100 Hausverwaltung Sonne                0,00         238,00         238,00"),
            std::string::npos)
      << liste;
}

}  // namespace
}  // namespace fibu
