// Benchmark of the posting entry screen on the benchmark client with
// 1,000,000 bookings (benchmandant.h): the time to open the screen (the
// running difference and the last booking over all open bookings), and,
// for 1,000 rows typed like a bookkeeper (500 two-line documents, the
// second line the proposed counter-line), the time from the last key of a
// row to the row being written and the next row ready with the visible
// rows of the grid read again. Prints mean, median, 99th percentile and
// maximum, and peak memory. Not a test.
//
//   erfassung_bench [directory] [bookings]     (default: 1000000)
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "benchmandant.h"
#include "posting/tfbuchung.h"

using namespace fibu;
using namespace fibu::bench;

namespace {

bool tippe(TFBuchung& b, const std::vector<std::string>& werte) {
  for (const auto& w : werte) {
    if (w != "~" && !b.eingabe(w)) return false;
    if (!b.weiter()) return false;
  }
  return true;
}

// What the grid shows after a step: 30 rows around the cursor.
void bild(TFBuchung& b) {
  std::size_t zeichen = 0;
  for (std::int64_t z = std::max<std::int64_t>(1, b.zeile() - 25); z <= b.zeile() + 4; ++z)
    for (int s = 0; s < TFBuchung::spaltenzahl; ++s) zeichen += b.zelle(z, s).size();
  if (zeichen == 0) std::printf("?");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verz = bench_verzeichnis(argc, argv, "fibu-erfassung-bench");
  const long anzahl = bench_buchungen(argc, argv);
  Gebuchter_mandant l(verz, anzahl);
  Mandant& m = l.m;
  if (!l.gebucht) return 1;
  std::printf("%ld Buchungen gebucht: %.1f s\n", anzahl, l.dauer);
  m.mandant_schliessen();
  if (!m.mandant_oeffnen(1, 2024)) abbrechen("Mandant 001/2024 kann nicht geöffnet werden");

  Buchungskern kern(m);
  auto t = Uhr::now();
  auto b = std::make_unique<TFBuchung>(m, kern);
  bild(*b);
  std::printf("Öffnen der Buchungserfassung (%lld Buchungen): %.3f s\n",
              static_cast<long long>(b->letzte()), sekunden(t));

  std::vector<double> ms;
  for (int i = 0; i < 500; ++i) {
    const std::string konto = std::to_string(2000 + i % 900);
    const std::string gegen = std::to_string(2900 + i % 50);
    // Row 1 up to its last cell; the last Tab is measured.
    if (!tippe(*b, {konto, "", "~", "150124", "", "S", std::to_string(10 + i) + ",00"}) ||
        !b->eingabe(gegen)) {
      std::printf("Zeile %d abgelehnt: %s\n", i,
                  l.ui.meldungen().empty() ? "" : l.ui.meldungen().back().c_str());
      return 1;
    }
    auto s = Uhr::now();
    if (!b->weiter()) return 1;
    bild(*b);
    ms.push_back(sekunden(s) * 1000);
    // Row 2: the counter-line proposed for an empty account, every cell kept.
    if (!tippe(*b, {"", "~", "~", "~", "~", "~", "~"})) return 1;
    s = Uhr::now();
    if (!b->weiter()) return 1;
    bild(*b);
    ms.push_back(sekunden(s) * 1000);
  }
  std::sort(ms.begin(), ms.end());
  double summe = 0;
  for (double x : ms) summe += x;
  std::printf(
      "Zeile schreiben bis nächste Zeile bereit, %zu Zeilen: Mittel %.2f ms, Median %.2f ms, "
      "99 %% %.2f ms, Maximum %.2f ms; Differenz danach %s\n",
      ms.size(), summe / static_cast<double>(ms.size()), ms[ms.size() / 2],
      ms[ms.size() * 99 / 100], ms.back(), b->differenz() == 0 ? "0" : "NICHT 0");
  std::printf("Spitzenspeicher %ld MB\n", spitzenspeicher_mb());
  b.reset();
  m.mandant_schliessen();
  std::filesystem::remove_all(l.wurzel);
  return 0;
}
