// A real fibu-batch process killed (SIGKILL) while it imports a large
// foreign booking file into the demo client, at several moments: the
// client opens again with balanced books and whole documents, the base
// data say how far the file is posted, and the same command continues the
// import to the books an uninterrupted import gives.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "../exchange/testzeile.h"
#include "app/demo.h"
#include "batchdemo.h"
#include "exchange/uebernahme.h"
#include "frame/mandant.h"
#include "suite/allgemei.h"
#include "suite/test_interaktion.h"

#ifndef FIBU_BATCH_PROGRAMM
#error "FIBU_BATCH_PROGRAMM names the fibu-batch executable"
#endif

namespace fibu {
namespace {

// The figures of the demo client the test compares.
struct Stand {
  std::int64_t buchungen = 0;
  Betrag kasse = 0, bank = 0, summe = 0;
  Uebernahmestand uebernahme;
};

Stand lesen(const std::string& ws) {
  auto fs = echtes_dateisystem();
  TestInteraktion ui;
  Tagesdatum heute;
  Netzwerk netz(*fs, ws + "/fibu/");
  Mandant m(*fs, ui, heute, ws + "/fibu/", netz);
  Stand s;
  EXPECT_TRUE(m.mandant_oeffnen(demo_nummer, demo_jahr));
  if (!m.offen()) return s;
  s.buchungen = m.buchung->letzte_buchung();
  std::string k;
  for (bool ok = m.sach->suche_ab(1, k) && m.sach->suchen(k); ok; ok = m.sach->lies_weiter(1, k)) {
    const Betrag saldo = m.sach->satz().get(SachFelder::Saldo);
    s.summe += saldo;
    if (trim(k) == "1000") s.kasse = saldo;
    if (trim(k) == "1200") s.bank = saldo;
  }
  s.uebernahme = uebernahmestand_lesen(m.basis);
  m.mandant_schliessen();
  return s;
}

// Starts fibu-batch with the import; its output goes to a file.
pid_t starten(Demo& d) {
  const pid_t kind = ::fork();
  if (kind == 0) {
    const std::string ws = d.ws, antworten = d.tmp / "antworten.txt", aus = d.tmp / "aus",
                      log = d.tmp / "lauf.log";
    std::freopen(log.c_str(), "w", stderr);
    ::execl(FIBU_BATCH_PROGRAMM, "fibu-batch", "--arbeitsverzeichnis", ws.c_str(), "--antworten",
            antworten.c_str(), "--ausgabe", aus.c_str(), "--datum", "06.12.2007", "/W=9992007",
            "27", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return kind;
}

int warten(pid_t kind) {
  int status = 0;
  ::waitpid(kind, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST(FremdimportAbbruch, GetoeteterProzessUndFortsetzung) {
  Demo d;
  // 40,000 lines: documents of two and three lines between cash and bank.
  constexpr int belege = 16000;
  std::string inhalt;
  Betrag kasse = 0;
  long zeilen = 0;
  for (int i = 0; i < belege; ++i) {
    const std::string nr = "F" + std::to_string(i);
    const Datum tag = DMYtoDate(1 + i % 28, 7, 2007);
    const Betrag betrag = 100 + i % 997;
    auto z = [&](const std::string& konto, char sh, Betrag b, const std::string& gegen) {
      inhalt += fremdsatz_schreiben(zeile(' ', konto, sh, b, gegen, nr, "", 0, tag)) + "\r\n";
      ++zeilen;
    };
    z("1000", 'S', betrag, "1200");
    if (i % 2) {
      z("1200", 'H', 50, "1000");
      z("1200", 'H', betrag - 50, "1000");
    } else {
      z("1200", 'H', betrag, "1000");
    }
    kasse += betrag;
  }
  // The file and the answers in a demo client's working directory.
  auto vorbereiten = [&](Demo& x) {
    std::filesystem::create_directories(x.tmp / "import");
    schreibe(x.tmp / "import/FREMDIMP.DAT", inhalt);
    schreibe(x.tmp / "antworten.txt",
             "Übernahme Fremddaten / Datum von = 01.07.2007\n"
             "Übernahme Fremddaten / Datum bis = 31.07.2007\n"
             "Übernahme Fremddaten / Periode = 7\n"
             "Übernahme Fremddaten / Pfad = " +
                 (x.tmp / "import") + "\nFragen = ja\n");
  };
  vorbereiten(d);
  const Stand vorher = lesen(d.ws);
  ASSERT_EQ(vorher.summe, 0);

  // Killed after a growing share of the time an import takes here.
  const auto anfang = std::chrono::steady_clock::now();
  ASSERT_EQ(warten(starten(d)), 0) << lies(d.tmp / "lauf.log");
  const auto dauer = std::chrono::steady_clock::now() - anfang;
  const Stand ganz = lesen(d.ws);
  EXPECT_EQ(ganz.buchungen, vorher.buchungen + zeilen);
  EXPECT_EQ(ganz.kasse, vorher.kasse + kasse);
  EXPECT_EQ(ganz.bank, vorher.bank - kasse);
  EXPECT_TRUE(ganz.uebernahme.fertig);

  // The same on a fresh demo client, killed at 20 %, 45 % and 90 % of that
  // time, and once as soon as the first unit of work is in the booking
  // file; then continued.
  int mitten = 0;
  for (int prozent : {20, 45, 0, 90}) {
    SCOPED_TRACE(prozent);
    Demo e;
    vorbereiten(e);
    const pid_t kind = starten(e);
    if (prozent > 0) {
      std::this_thread::sleep_for(dauer * prozent / 100);
    } else {
      const auto datei = e.ws + "/fibu/999/2007/BUCHUNG.DA1";
      const auto erste_einheit = static_cast<std::uintmax_t>(vorher.buchungen + 10000) * 321;
      std::error_code f;
      while (std::filesystem::file_size(datei, f) < erste_einheit &&
             std::chrono::steady_clock::now() - anfang < std::chrono::minutes(30))
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ::kill(kind, SIGKILL);
    warten(kind);
    const Stand danach = lesen(e.ws);
    EXPECT_EQ(danach.summe, 0);
    const std::int64_t neu = danach.buchungen - vorher.buchungen;
    EXPECT_EQ(neu, danach.uebernahme.zeile);
    if (neu > 0 && !danach.uebernahme.fertig) ++mitten;
    // The same command again: it continues after the posted lines, or
    // refuses a file that is posted whole already.
    ASSERT_EQ(warten(starten(e)), danach.uebernahme.fertig ? 1 : 0) << lies(e.tmp / "lauf.log");
    const Stand fortgesetzt = lesen(e.ws);
    EXPECT_EQ(fortgesetzt.buchungen, ganz.buchungen);
    EXPECT_EQ(fortgesetzt.kasse, ganz.kasse);
    EXPECT_EQ(fortgesetzt.bank, ganz.bank);
    EXPECT_EQ(fortgesetzt.summe, 0);
    EXPECT_TRUE(fortgesetzt.uebernahme.fertig);
  }
  // At least one kill fell between two committed units.
  EXPECT_GT(mitten, 0);
}

}  // namespace
}  // namespace fibu
