// Benchmark of month-end on the benchmark client with 1,000,000 bookings
// (benchmandant.h, about 83,000 bookings per period): the month-end of
// period 1 after its bookings were locked as the journal locks them, then
// of period 2, and the undo of both. Each step runs in a process of its
// own on the client opened anew; prints time and peak memory. Not a test.
//
//   abschluss_bench [directory] [bookings]     (default: 1000000)

#include <cstdio>
#include <filesystem>
#include <string>

#include "benchmandant.h"
#include "closing/monatsabschluss.h"

using namespace fibu;
using namespace fibu::bench;

namespace {

using B = BuchungFelder;

// What the booking journal of period p leaves: its bookings locked, the
// period printed (not measured here).
void journal(Mandant& m, int p) {
  auto& bu = *m.buchung;
  long n_gesperrt = 0;
  const std::int64_t a = m.archivanzahl;
  if (m.verzeichnis().beginne() != isam::isam_ok) abbrechen("Einheit");
  Satz s(B::groesse);
  const bool ok =
      bu.buchungen_lesen(a + 1, bu.anzahl_buchungen(), [&](std::int64_t n, const Satz& b) {
        if (b.get(B::Periode) != p || b.get(B::Gesperrt)) return true;
        s = b;
        s.set(B::Gesperrt, true);
        bu.satz() = s;
        ++n_gesperrt;
        return bu.buchung_ablegen(n);
      });
  m.basis.set(BasisFelder::periode_status(p), std::uint8_t{2});
  if (!ok || !m.schreibe_basis() || m.verzeichnis().bestaetige() != isam::isam_ok)
    abbrechen("Journal nicht gesperrt");
  std::printf("Periode %d: %ld Buchungen gesperrt\n", p, n_gesperrt);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verz = bench_verzeichnis(argc, argv, "fibu-abschluss-bench");
  const long anzahl = bench_buchungen(argc, argv);
  const std::string wurzel = verz + "/mandant";
  if (!gebucht_im_kind(verz, anzahl)) return 1;
  for (int p : {1, 2}) {
    im_kind(wurzel, [p](Lauf& l) { journal(l.m, p); });
    im_kind(wurzel, [p](Lauf& l) {
      const auto t = Uhr::now();
      const bool ok = monatsabschluss_ausfuehren(l.m);
      std::printf("%-44s %8.3f s  Archiv %d  Spitzenspeicher %ld MB%s\n",
                  ("Monatsabschluß Periode " + std::to_string(p)).c_str(), sekunden(t),
                  l.m.archivanzahl, spitzenspeicher_mb(), ok ? "" : "  (FEHLGESCHLAGEN)");
    });
  }
  im_kind(wurzel, [](Lauf& l) {
    l.ui.erwarte_frage("Haben Sie eine Datensicherung des aktuellen Standes?", true);
    l.ui.erwarte_frage("Wollen Sie wirklich alle Monatsabschlüsse rückgängig machen?", true);
    const auto t = Uhr::now();
    const bool ok = monatsabschluesse_rueckgaengig(l.m);
    std::printf("%-44s %8.3f s  Spitzenspeicher %ld MB%s\n", "Monatsabschlüsse rückgängig",
                sekunden(t), spitzenspeicher_mb(), ok ? "" : "  (FEHLGESCHLAGEN)");
  });
  std::filesystem::remove_all(wurzel);
  return 0;
}
