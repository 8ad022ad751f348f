// Benchmark of the open-item functions on the benchmark client with
// 1,000,000 bookings (benchmandant.h, about 250,000 items): the OP list of
// all customers, the list of single customers (as the OPLISTE request of
// another program prints it), the automatic write-off of the customers'
// small remainders as a list and as a booking run, and the peak memory of
// each step. Every step runs in a process of its own on the client opened
// anew. Not a test.
//
//   op_bench [directory] [bookings]     (default: 1000000)
//   FIBU_OP_BENCH_VORHANDEN=1  take the books of the last run (kept with
//                              FIBU_OP_BENCH_BEHALTEN=1) instead of new ones
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "benchmandant.h"
#include "openitems/ausbuchung.h"
#include "openitems/offeneposten.h"
#include "openitems/opliste.h"

using namespace fibu;
using namespace fibu::bench;

namespace {

using O = OpstammFelder;

// What the last print job held: its lines and whether a hint was among
// them. The job is looked at where the report built it, as a preview does.
struct Gedruckt {
  std::size_t zeilen = 0;
  bool hinweis = false;
  void ansehen(TestInteraktion& ui) {
    ui.druckauftraege_ansehen([this](const Druckauftrag& a) {
      zeilen = 0;
      hinweis = false;
      for (const auto& s : a.seiten)
        for (const auto& z : s.zeilen) {
          ++zeilen;
          hinweis = hinweis || z.text.rfind("HINWEIS", 0) == 0;
        }
    });
  }
};

// A step with the print job it made looked at.
template <typename Schritt>
void schritt_im_kind(const std::string& wurzel, Schritt schritt) {
  im_kind(wurzel, [&](Lauf& l) {
    Gedruckt g;
    g.ansehen(l.ui);
    schritt(l, g);
  });
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verz = bench_verzeichnis(argc, argv, "fibu-op-bench");
  const long anzahl = bench_buchungen(argc, argv);
  const std::string wurzel = verz + "/mandant";
  // The books are made in a process of their own (FIBU_OP_BENCH_VORHANDEN=1:
  // those of the last run are taken again).
  if (!umgebung("FIBU_OP_BENCH_VORHANDEN", 0)) {
    if (!gebucht_im_kind(verz, anzahl)) return 1;
  }
  schritt_im_kind(wurzel, [](Lauf& l, Gedruckt&) {
    long posten = 0, offen = 0;
    for (char k : {'D', 'K'})
      op_durchlaufen(l.m, k, [&](const Satz& op) {
        ++posten;
        if (op.get(O::NochOffen) != 0) ++offen;
        return true;
      });
    std::printf("%ld offene Posten, davon %ld nicht ausgeglichen\n", posten, offen);
  });

  auto liste = [](const char* was) {
    return [was](Lauf& l, Gedruckt& g) {
      const auto t = Uhr::now();
      opliste_drucken(l.m, opliste_vorgabe(l.m, false));
      std::printf("%-52s %8.3f s  %8zu Zeilen  Spitzenspeicher %ld MB%s\n", was, sekunden(t),
                  g.zeilen, spitzenspeicher_mb(), g.hinweis ? "  (mit HINWEIS!)" : "");
    };
  };
  schritt_im_kind(wurzel, liste("OP-Liste aller Debitoren"));

  // Single customers as the request prints them: the first on the client
  // just opened, then the median of 50 others.
  schritt_im_kind(wurzel, [](Lauf& l, Gedruckt&) {
    std::vector<double> zeiten;
    for (int i = 0; i < 51; ++i) {
      const auto t = Uhr::now();
      if (!opliste_fuer_konto(l.m, std::to_string(10000 + (i * 97) % debitoren)))
        abbrechen("OP-Liste eines Kunden nicht gedruckt");
      zeiten.push_back(sekunden(t) * 1000);
    }
    std::printf("%-52s %8.2f ms\n", "OP-Liste eines Kunden, erste nach dem Öffnen", zeiten[0]);
    std::sort(zeiten.begin() + 1, zeiten.end());
    std::printf("%-52s %8.2f ms (größte %.2f ms)  Spitzenspeicher %ld MB\n",
                "OP-Liste eines Kunden, Median von 50", zeiten[26], zeiten.back(),
                spitzenspeicher_mb());
  });

  Ausbuchungseinstellungen e;
  e.skontokonto_debitoren = e.skontokonto_kreditoren = Kontenplan::skonto;
  e.buchungsdatum = DMYtoDate(31, 12, 2024);
  schritt_im_kind(wurzel, [&e](Lauf& l, Gedruckt& g) {
    const auto t = Uhr::now();
    ausbuchung_ausfuehren(l.m, e, false);
    std::printf("%-52s %8.3f s  %8zu Zeilen  Spitzenspeicher %ld MB\n",
                "Automatische Ausbuchung Debitoren, Liste", sekunden(t), g.zeilen,
                spitzenspeicher_mb());
  });
  schritt_im_kind(wurzel, [&e](Lauf& l, Gedruckt&) {
    const std::int64_t vorher = l.m.buchung->letzte_buchung();
    const auto t = Uhr::now();
    const bool gebucht = ausbuchung_ausfuehren(l.m, e, true);
    std::printf("%-52s %8.3f s  %8lld Buchungen  Spitzenspeicher %ld MB%s\n",
                "Automatische Ausbuchung Debitoren, Buchungslauf", sekunden(t),
                static_cast<long long>(l.m.buchung->letzte_buchung() - vorher),
                spitzenspeicher_mb(), gebucht ? "" : "  (FEHLGESCHLAGEN)");
  });
  // The books still agree with their items after the run.
  schritt_im_kind(wurzel, liste("OP-Liste aller Debitoren nach der Ausbuchung"));
  schritt_im_kind(wurzel, [](Lauf& l, Gedruckt&) {
    std::printf("Dateien des Mandanten:\n");
    dateigroessen(l.m.daten_verzeichnis());
  });
  if (!umgebung("FIBU_OP_BENCH_BEHALTEN", 0)) std::filesystem::remove_all(wurzel);
  return 0;
}
