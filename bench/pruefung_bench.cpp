// Benchmark of the booking check on the benchmark client with 1,000,000
// bookings (benchmandant.h, the mix with one type per document): the check of one period as the
// journal runs it, of the whole year as the year-end transfer runs it, and the date and balance
// check, each with its protocol's size and peak memory. Every step runs in a process of its own on
// the client opened anew. Not a test.
//
//   pruefung_bench [directory] [bookings]     (default: 1000000)
//   FIBU_PRUEF_BENCH_VORHANDEN=1  take the books of the last run (kept with
//                                 FIBU_PRUEF_BENCH_BEHALTEN=1) instead of new ones
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "benchmandant.h"
#include "closing/buchungspruefung.h"
#include "posting/buchen.h"
#include "store/kontenbereiche.h"

using namespace fibu;
using namespace fibu::bench;

namespace {

// The protocol's lines and its first finding, looked at where the check
// built the job, as a preview does.
struct Gedruckt {
  std::size_t zeilen = 0;
  std::string erster_befund;
  void ansehen(TestInteraktion& ui) {
    ui.druckauftraege_ansehen([this](const Druckauftrag& a) {
      zeilen = 0;
      erster_befund.clear();
      bool nach_beginn = false;
      for (const auto& s : a.seiten)
        for (const auto& z : s.zeilen) {
          ++zeilen;
          if (nach_beginn && erster_befund.empty() && z.text != "Ende der Buchungsprüfung!")
            erster_befund = z.text;
          nach_beginn = nach_beginn || z.text == "Beginn der Buchungsprüfung ...";
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

template <typename Pruefung>
auto messen(const char* was, Pruefung pruefung) {
  return [was, pruefung](Lauf& l, Gedruckt& g) {
    const auto t = Uhr::now();
    const bool ok = pruefung(l.m);
    std::printf("%-40s %8.3f s  %6zu Zeilen  Spitzenspeicher %ld MB  %s\n", was, sekunden(t),
                g.zeilen, spitzenspeicher_mb(), ok ? "fehlerfrei" : "MIT FEHLERN");
    if (!g.erster_befund.empty()) std::printf("  erster Befund: %s\n", g.erster_befund.c_str());
  };
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verz = bench_verzeichnis(argc, argv, "fibu-pruef-bench");
  const long anzahl = bench_buchungen(argc, argv);
  const std::string wurzel = verz + "/mandant";
  if (!umgebung("FIBU_PRUEF_BENCH_VORHANDEN", 0) && !einheitlich_gebucht_im_kind(verz, anzahl))
    return 1;
  schritt_im_kind(wurzel, messen("Buchungsprüfung Periode 6",
                                 [](Mandant& m) { return buchungspruefung(m, 6); }));
  schritt_im_kind(wurzel, messen("Buchungsprüfung ganzes Jahr",
                                 [](Mandant& m) { return buchungspruefung(m, 0); }));
  schritt_im_kind(wurzel, messen("Buchungsprüfung Datum und Saldenfehler",
                                 [](Mandant& m) { return datum_saldenpruefung(m); }));
  if (!umgebung("FIBU_PRUEF_BENCH_BEHALTEN", 0)) std::filesystem::remove_all(wurzel);
  return 0;
}
