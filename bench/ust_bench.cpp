// Benchmark of the VAT advance return on the benchmark client with
// 1,000,000 bookings (benchmandant.h): the check list of one period, as
// the command prints it (totals of every GL account, the groups by tax
// key, the print job), and the list of Kennzahlen of that period. The
// revenue and tax accounts first get their return lines and kinds, as a
// bookkeeper sets them up. Each step runs in a process of its own on the
// client opened anew. Not a test.
//
//   ust_bench [directory] [bookings]     (default: 1000000)
//   FIBU_UST_BENCH_VORHANDEN=1  take the books of the last run (kept with
//                               FIBU_UST_BENCH_BEHALTEN=1) instead of new ones
#include <cstdio>
#include <filesystem>
#include <string>

#include "benchmandant.h"
#include "vat/steueranmeldung.h"

using namespace fibu;
using namespace fibu::bench;

namespace {

std::size_t zeilen(const TestInteraktion& ui) {
  std::size_t n = 0;
  for (const auto& s : ui.druckauftraege().back().seiten) n += s.zeilen.size();
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verz = bench_verzeichnis(argc, argv, "fibu-ust-bench");
  const long anzahl = bench_buchungen(argc, argv);
  const std::string wurzel = verz + "/mandant";
  if (!umgebung("FIBU_UST_BENCH_VORHANDEN", 0) && !gebucht_im_kind(verz, anzahl)) return 1;

  im_kind(wurzel, [](Lauf& l) {
    using K = Kontenplan;
    struct Art {
      int konto, kontenart, zeile, schluessel;
    };
    for (const Art& a : {Art{K::erloese19, 3, 26, 1}, Art{K::erloese7, 3, 27, 2},
                         Art{K::ust19, 2, 0, 0}, Art{K::ust7, 2, 0, 0}, Art{K::vst19, 4, 56, 0},
                         Art{K::vst7, 4, 56, 0}}) {
      if (!l.m.sach->suchen(l.m.sachkonto_text(a.konto)))
        abbrechen("Sachkonto " + std::to_string(a.konto) + " fehlt");
      Satz& s = l.m.sach->satz();
      s.set(SachFelder::Kontenart, static_cast<std::uint8_t>(a.kontenart));
      s.set(SachFelder::UstZeile, static_cast<std::uint8_t>(a.zeile));
      s.set(SachFelder::Steuerschluessel, static_cast<std::uint8_t>(a.schluessel));
      if (!l.m.sach->speichern(l.m.sachkonto_text(a.konto)))
        abbrechen("Sachkonto " + std::to_string(a.konto) + " nicht gespeichert");
    }
  });

  im_kind(wurzel, [](Lauf& l) {
    const auto t = Uhr::now();
    Anmeldeoptionen o;
    o.periode_von = o.periode_bis = 6;
    const Pruefliste p = pruefliste_berechnen(l.m, ustkonten_lesen(l.m, 6, 6), o.runden);
    if (!pruefliste_drucken(l.m, o, p)) abbrechen("Prüfliste nicht gedruckt");
    std::printf("%-44s %8.3f s  %4zu Zeilen  Zu zahlen %s  Spitzenspeicher %ld MB\n",
                "Prüfliste Steueranmeldung Periode 6", sekunden(t), zeilen(l.ui),
                format_maske(p.zu_zahlen, 2, "#.##").c_str(), spitzenspeicher_mb());
  });

  im_kind(wurzel, [](Lauf& l) {
    const auto t = Uhr::now();
    Anmeldeoptionen o;
    o.periode_von = o.periode_bis = 6;
    const Pruefliste p = pruefliste_berechnen(l.m, ustkonten_lesen(l.m, 6, 6), o.runden);
    if (!amtliches_formular(l.m, o, p, true, amtlicher_formulardrucker()))
      abbrechen("Kennzahlen nicht gedruckt");
    std::printf("%-44s %8.3f s  %4zu Zeilen  Meldungen %zu  Spitzenspeicher %ld MB\n",
                "Kennzahlen 06/2024", sekunden(t), zeilen(l.ui), l.ui.meldungen().size(),
                spitzenspeicher_mb());
  });

  if (!umgebung("FIBU_UST_BENCH_BEHALTEN", 0)) std::filesystem::remove_all(wurzel);
  return 0;
}
