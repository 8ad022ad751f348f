// The batch tool as a new user meets it: a working directory with the chart
// templates and the demo client, a new client from SKR 03 with its base
// data from an answers file, the system information list, the end; and the
// KREDITLIMIT request answered by a running batch server.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "../suite/testverzeichnis.h"
#include "frame/anfrage.h"
#include "app/batch.h"
#include "app/demo.h"
#include "frame/tffibu.h"
#include "suite/allgemei.h"
#include "suite/codepage.h"
#include "suite/test_interaktion.h"

namespace fibu {
namespace {

void schreibe(const std::string& pfad, const std::string& text) { std::ofstream(pfad) << text; }

std::string lies(const std::string& pfad) {
  std::ifstream ein(pfad, std::ios::binary);
  std::stringstream s;
  s << ein.rdbuf();
  return s.str();
}

int batch(std::vector<std::string> args, std::string* log_aus = nullptr) {
  std::ostringstream log;
  int rc = batch_ausfuehren(args, log);
  if (log_aus) *log_aus = log.str();
  if (rc != 0) ADD_FAILURE() << log.str();
  return rc;
}

TEST(Batchwerkzeug, NeuerBenutzerLegtMandantAusSkr03AnUndDruecktDieSysteminformation) {
  Testverzeichnis tmp;
  const std::string ws = tmp / "arbeit";
  ASSERT_EQ(batch({"--einrichten", "--arbeitsverzeichnis", ws}), 0);
  for (const char* v : {"SKR01", "SKR03", "SKR04"}) {
    EXPECT_TRUE(std::ifstream(ws + "/fibu/MUSTER/" + v + "/SACH" + std::string(v).substr(4) + ".DAT"))
        << v;
  }
  schreibe(tmp / "antworten.txt",
           "# Neuer Mandant 1 aus SKR 03\n"
           "Neuen Mandant anlegen / Mandantnummer = 1\n"
           "Neuen Mandant anlegen / Mandantname = Tischlerei Groß\n"
           "Neuen Mandant anlegen / Jahr = 2026\n"
           "Kontenrahmen = SKR-03\n"
           "Währung = EURO\n"
           "Mandantendaten pflegen / Tasten = Adresse\n"
           "Adreßdaten Finanzamt / Straße = Münchner Straße 31\n"
           "Adreßdaten Finanzamt / Bundesland = Bayern\n"
           "Mandantendaten pflegen / Finanzamt = Erding\n"
           "Mandantendaten pflegen / Steuernummer = 114/123/45678\n"
           "Mandantendaten pflegen / Name = Tischlerei Groß GmbH\n"
           "Forderungskonto 1 = 1400\n"
           "Verbindlichkeitskonto 1 = 1600\n"
           "Steuerkonto 3 = 1776\n"
           "Steuersatz 3 = 19.00\n"
           "Steuerbezeichnung 3 = Umsatzsteuer 19 %\n"
           "Steuerkonto 9 = 1576\n"
           "Steuersatz 9 = 19.00\n"
           "Saldenvortragskonto Sachkonten = 9000\n"
           "Saldenvortragskonto Debitoren = 9008\n"
           "Saldenvortragskonto Kreditoren = 9009\n"
           "Information = OK\n");
  std::string log;
  ASSERT_EQ(batch({"--arbeitsverzeichnis", ws, "--antworten", tmp / "antworten.txt", "--ausgabe",
                   tmp / "aus", "--datum", "06.12.2026", "1431", "141", "info", "10"},
                  &log),
            0);
  EXPECT_NE(log.find("Titel: Finanzbuchhaltung  -  Mandant: 001 - 2026 - Tischlerei Groß GmbH  (EURO)"),
            std::string::npos)
      << log;

  // The files on disk are those the layouts describe.
  const std::string mandant = lies(ws + "/fibu/001/MANDANT.PAR");
  ASSERT_EQ(mandant.size(), 1056u);
  EXPECT_EQ(static_cast<unsigned char>(mandant[0]) | static_cast<unsigned char>(mandant[1]) << 8, 1);
  EXPECT_EQ(mandant.substr(3, static_cast<unsigned char>(mandant[2])), von_utf8("Tischlerei Groß", Codepage::CP1252));
  const std::string basis = lies(ws + "/fibu/001/2026/BASIS.PAR");
  ASSERT_EQ(basis.size(), 61098u);
  EXPECT_EQ(basis.substr(45, static_cast<unsigned char>(basis[44])),
            von_utf8("Tischlerei Groß GmbH", Codepage::CP850));
  EXPECT_EQ(basis.substr(3, static_cast<unsigned char>(basis[2])), "Erding");
  EXPECT_EQ(static_cast<unsigned char>(basis[404]), 1);  // Euro
  EXPECT_EQ(static_cast<unsigned char>(basis[261]), 4);  // GL account-number length
  EXPECT_EQ(static_cast<unsigned char>(basis[268]), 0);  // consistent flag cleared on save
  auto i32 = [&](std::size_t o) {
    return static_cast<std::int32_t>(static_cast<unsigned char>(basis[o]) |
                                     static_cast<unsigned char>(basis[o + 1]) << 8 |
                                     static_cast<unsigned char>(basis[o + 2]) << 16 |
                                     static_cast<unsigned char>(basis[o + 3]) << 24);
  };
  EXPECT_EQ(i32(7822 + 4), 1400);
  EXPECT_EQ(i32(10541 + 47 * 3), 1776);
  EXPECT_EQ(i32(10541 + 47 * 3 + 4), 1900);
  EXPECT_EQ(i32(9756), 9000);
  EXPECT_EQ(static_cast<unsigned char>(basis[22080]), 2);  // Bayern
  for (const char* datei : {"SACH.EAT", "SACH.EIX", "BWAKONTO.EAT", "BWAKONTO.EIX", "BWANAMEN.PAR",
                            "BILANZ_G.VTS", "GUV.VTS", "KER.VTS", "PERSONEN.EAT", "BUCHUNG.EAT"})
    EXPECT_TRUE(std::ifstream(ws + "/fibu/001/2026/" + datei)) << datei;
  EXPECT_EQ(lies(ws + "/fibu/001/2026/BWANAMEN.PAR").size(), 29898u);
  const std::string letzter = lies(ws + "/fibu/LETZTER.PAR");
  ASSERT_EQ(letzter.size(), 1056u);
  EXPECT_EQ(letzter[0], 1);

  // The system information list as a text file of the print job.
  const std::string info = lies(tmp / "aus/001-Systeminformation.txt");
  EXPECT_NE(info.find("Systemkonfiguration:\n====================\n"), std::string::npos);
  EXPECT_NE(info.find("KONF.DAT gelesen in: "), std::string::npos);
  EXPECT_NE(info.find("Tagesdatum   : 06.12.2026"), std::string::npos);

  // The template's accounts arrived in the client with their kinds and keys.
  auto fs = echtes_dateisystem();
  TestInteraktion ui;
  Tagesdatum heute;
  Netzwerk netz(*fs, ws + "/fibu/");
  Mandant m(*fs, ui, heute, ws + "/fibu/", netz);
  ASSERT_TRUE(m.mandant_oeffnen(1, 2026));
  EXPECT_GT(m.sach->anzahl_saetze(), 300u);
  ASSERT_TRUE(m.sach->suchen("1400"));
  EXPECT_TRUE(m.sach->satz().get(SachFelder::Sammelkonto));
  ASSERT_TRUE(m.sach->suchen("8400"));
  EXPECT_EQ(m.sach->satz().get(SachFelder::Kontenart), 3);
  EXPECT_EQ(m.sach->satz().get(SachFelder::Steuerschluessel), 3);
  ASSERT_TRUE(m.sach->suchen("1776"));
  EXPECT_EQ(m.sach->satz().get(SachFelder::Kontenart), 2);
  m.mandant_schliessen();

  // Creating the same client and year again is refused; nothing is overwritten.
  schreibe(tmp / "nochmal.txt",
           "Neuen Mandant anlegen / Mandantnummer = 1\nNeuen Mandant anlegen / Jahr = 2026\n");
  std::ostringstream nochmal;
  EXPECT_EQ(batch_ausfuehren({"--arbeitsverzeichnis", ws, "--antworten", tmp / "nochmal.txt",
                              "--ausgabe", tmp / "aus", "1431"},
                             nochmal),
            1);
  EXPECT_NE(nochmal.str().find("Zu Mandant 001 existiert schon Jahr 2026"), std::string::npos);
  EXPECT_EQ(lies(ws + "/fibu/001/2026/BASIS.PAR"), basis);
}

TEST(Batchwerkzeug, UnverfuegbareBefehleUndFehlendeAntwortenScheitern) {
  Testverzeichnis tmp;
  const std::string ws = tmp / "arbeit";
  ASSERT_EQ(batch({"--einrichten", "--arbeitsverzeichnis", ws}), 0);
  std::ostringstream log;
  EXPECT_EQ(batch_ausfuehren({"--arbeitsverzeichnis", ws, "/W=9992007", "46"}, log), 1);
  EXPECT_NE(log.str().find("nicht verfügbar"), std::string::npos) << log.str();
  std::ostringstream log2;
  EXPECT_EQ(batch_ausfuehren({"--arbeitsverzeichnis", ws, "/W=9992007", "124"}, log2), 1);
  EXPECT_NE(log2.str().find("nicht sichtbar"), std::string::npos) << log2.str();
  std::ostringstream log3;
  EXPECT_EQ(batch_ausfuehren({"--arbeitsverzeichnis", ws, "info"}, log3), 1);  // no client chosen
}

// --help is an answer, not an error; a wrong call still is one.
TEST(Batchwerkzeug, HilfeGehtNachStandardausgabeUndEndetMitNull) {
  for (const char* hilfe : {"--help", "--hilfe"}) {
    std::ostringstream log, aus;
    EXPECT_EQ(batch_ausfuehren({hilfe}, log, {}, &aus), 0) << hilfe;
    EXPECT_EQ(aus.str().rfind("Aufruf: fibu-batch", 0), 0u) << aus.str();
    EXPECT_EQ(log.str(), "");
  }
  std::ostringstream log, aus;
  EXPECT_EQ(batch_ausfuehren({"--unbekannt"}, log, {}, &aus), 2);
  EXPECT_NE(log.str().find("Unbekannte Option --unbekannt"), std::string::npos) << log.str();
  std::ostringstream log2;
  EXPECT_EQ(batch_ausfuehren({}, log2), 2);
}

TEST(Batchwerkzeug, KreditlimitAnfrageAnDenLaufendenServer) {
  Testverzeichnis tmp;
  const std::string ws = tmp / "arbeit";
  ASSERT_EQ(batch({"--einrichten", "--arbeitsverzeichnis", ws}), 0);

  // What the demo books say for customer 10001 on 31.07.2007.
  std::string erwartet, erwartet_saldo;
  std::int64_t faellig = 0, limit = 0;
  {
    auto fs = echtes_dateisystem();
    TestInteraktion ui;
    Tagesdatum stichtag(DMYtoDate(31, 7, 2007));
    Netzwerk netz(*fs, ws + "/fibu/");
    Mandant m(*fs, ui, stichtag, ws + "/fibu/", netz);
    ASSERT_TRUE(m.mandant_oeffnen(demo_nummer, demo_jahr));
    ASSERT_TRUE(m.personen->suchen("10001"));
    limit = m.personen->satz().get(PersonenFelder::Limit);
    m.opstamm->oeffnen();
    std::string key;
    while (m.opstamm->lies_weiter(1, key))
      if (trim(m.opstamm->satz().get(OpstammFelder::Kontonummer)) == "10001" &&
          m.opstamm->satz().get(OpstammFelder::Faelligkeitsdatum) <= stichtag.Today())
        faellig += m.opstamm->satz().get(OpstammFelder::NochOffen);
    erwartet = faellig <= limit ? "OK" : "KO";
    erwartet_saldo = kreditlimit_antwort(m, "10001");
    m.mandant_schliessen();
  }
  ASSERT_EQ(limit, 1000000);
  EXPECT_GT(faellig, 0);

  const std::string socket = tmp / "anfrage.sock";
  std::ostringstream log;
  std::thread server([&] {
    batch_ausfuehren({"--arbeitsverzeichnis", ws, "--datum", "31.07.2007", "/W=9992007",
                      "--server", "--socket", socket},
                     log);
  });
  std::string antwort;
  bool verbunden = false;
  for (int i = 0; i < 200 && !verbunden; ++i) {
    verbunden = anfrage_senden(socket, "KREDITLIMIT", "10001 FAELLIG", antwort).ok();
    if (!verbunden) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  EXPECT_TRUE(verbunden);
  EXPECT_EQ(antwort, erwartet);
  EXPECT_TRUE(anfrage_senden(socket, "KREDITLIMIT", "10001", antwort).ok());
  EXPECT_EQ(antwort, erwartet_saldo);
  EXPECT_TRUE(anfrage_senden(socket, "KREDITLIMIT", "19999 FAELLIG", antwort).ok());
  EXPECT_EQ(antwort, "FEHLER");
  // A second server on the same socket is refused.
  Anfrageserver zweiter;
  EXPECT_EQ(zweiter.starten(socket).code(), Ergebnis::Code::Existiert);
  batch_server_anhalten();
  server.join();
  struct stat st {};
  EXPECT_NE(::stat(socket.c_str(), &st), 0);  // the socket is gone with the server
}

}  // namespace
}  // namespace fibu
