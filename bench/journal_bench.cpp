// Benchmark of the booking journal on the benchmark client with 1,000,000
// bookings (benchmandant.h, about 83,000 in each period): the journal of
// period 1 printed into memory as a repeat print (read, sort, lines) and
// as the first print, which also locks every printed booking and marks the
// period printed in one unit of work. Every step runs in a process of its
// own on the client opened anew and prints its time and peak memory. Not
// a test.
//
//   journal_bench [directory] [bookings]     (default: 1000000)
//   FIBU_JOURNAL_BENCH_VORHANDEN=1  take the books of the last run (kept
//                                   with FIBU_JOURNAL_BENCH_BEHALTEN=1)

#include <cstdio>
#include <filesystem>
#include <string>

#include "benchmandant.h"
#include "reports/journal.h"

using namespace fibu;
using namespace fibu::bench;

namespace {

// The lines of the last print job, looked at where the report built it,
// as a preview does.
struct Gedruckt {
  std::size_t zeilen = 0, seiten = 0;
  void ansehen(TestInteraktion& ui) {
    ui.druckauftraege_ansehen([this](const Druckauftrag& a) {
      seiten = a.seiten.size();
      zeilen = 0;
      for (const auto& s : a.seiten) zeilen += s.zeilen.size();
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

long buchungen_der_periode(Mandant& m, int p) {
  long n = 0;
  if (!m.buchung->buchungen_lesen(
          1, m.buchung->anzahl_buchungen(), [&](std::int64_t, const Satz& s) {
            if (s.get(BuchungFelder::Periode) == p && !m.buchung->satz_ist_leer(s)) ++n;
            return true;
          }))
    abbrechen("Buchungsdatei nicht lesbar");
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verz = bench_verzeichnis(argc, argv, "fibu-journal-bench");
  const long anzahl = bench_buchungen(argc, argv);
  const std::string wurzel = verz + "/mandant";
  if (!umgebung("FIBU_JOURNAL_BENCH_VORHANDEN", 0)) {
    if (!gebucht_im_kind(verz, anzahl)) return 1;
  }
  schritt_im_kind(wurzel, [](Lauf& l, Gedruckt&) {
    std::printf("Periode 1: %ld Buchungen, Status %d\n", buchungen_der_periode(l.m, 1),
                static_cast<int>(l.m.basis.get(BasisFelder::periode_status(1))));
  });

  auto journal = [](const char* was, bool erstdruck) {
    return [was, erstdruck](Lauf& l, Gedruckt& g) {
      if (erstdruck && l.m.basis.get(BasisFelder::periode_status(1)) == 2) {
        std::printf("%-44s (Periode 1 ist schon gedruckt)\n", was);
        return;
      }
      const auto t = Uhr::now();
      const bool ok = buchungsjournal_drucken(l.m, {1, erstdruck});
      std::printf("%-44s %8.3f s  %6zu Seiten %8zu Zeilen  Spitzenspeicher %ld MB%s\n", was,
                  sekunden(t), g.seiten, g.zeilen, spitzenspeicher_mb(),
                  ok ? "" : "  (FEHLGESCHLAGEN)");
    };
  };
  schritt_im_kind(wurzel, journal("Buchungsjournal Periode 1, Druckwiederholung", false));
  schritt_im_kind(wurzel, journal("Buchungsjournal Periode 1, Erstdruck + Sperren", true));
  schritt_im_kind(wurzel, [](Lauf& l, Gedruckt&) {
    long gesperrt = 0;
    (void)l.m.buchung->buchungen_lesen(1, l.m.buchung->anzahl_buchungen(),
                                       [&](std::int64_t, const Satz& s) {
                                         gesperrt += s.get(BuchungFelder::Gesperrt) ? 1 : 0;
                                         return true;
                                       });
    std::printf("Danach: %ld Buchungen gesperrt, Status der Periode 1: %d\n", gesperrt,
                static_cast<int>(l.m.basis.get(BasisFelder::periode_status(1))));
  });
  if (!umgebung("FIBU_JOURNAL_BENCH_BEHALTEN", 0)) std::filesystem::remove_all(wurzel);
  return 0;
}
