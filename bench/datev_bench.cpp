// Benchmark of the DATEV hand-over on the benchmark client with 1,000,000
// bookings (benchmandant.h, every line of a document of one type, so that
// the date and balance check that runs first passes): all bookings of one
// period and of the whole year, as the data carrier (extended variant) and
// as the EXTF booking batch, and the master data of the personal accounts.
// Every step runs in a process of its own on the client opened anew; the
// times include the checks the hand-over runs first. Not a test.
//
//   datev_bench [directory] [bookings]     (default: 1000000)
//   FIBU_DATEV_BENCH_VORHANDEN=1  take the books of the last run (kept with
//                                 FIBU_DATEV_BENCH_BEHALTEN=1) instead of new ones
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "benchmandant.h"
#include "exchange/datev_export.h"

using namespace fibu;
using namespace fibu::bench;

namespace {

enum class Art { Traeger, Buchungsstapel, Stammdaten };

std::uintmax_t groesse(const std::string& pfad) {
  std::error_code fehler;
  const auto g = std::filesystem::file_size(pfad, fehler);
  return fehler ? 0 : g;
}

void schritt(const std::string& wurzel, const std::string& ziel, const char* was, Art art,
             const std::string& von, const std::string& bis) {
  im_kind(wurzel, [&](Lauf& l) {
    l.ui.druckauftraege_ansehen([](const Druckauftrag&) {});
    using F = Formularschritt;
    std::vector<F> s = {F::tippe("Zielverzeichnis", ziel), F::tippe("Beraternummer", "12345"),
                        F::tippe("Mandantennummer", "1")};
    if (art == Art::Traeger)
      for (F f : {F::tippe("Beratername", "Bench"), F::tippe("DFV-Kennzeichen", "BE"),
                  F::tippe("Abrechnungsnummer", "1")})
        s.push_back(f);
    if (art != Art::Stammdaten)
      for (F f : {F::tippe("Datum von", von), F::tippe("Datum bis", bis),
                  F::tippe("Verrechnungskonto (für Splitbuchungen)", "1200")})
        s.push_back(f);
    s.push_back(F::druecke(Taste::Esc));
    l.ui.formular_skript(s);
    const auto t = Uhr::now();
    const bool ok = art == Art::Traeger ? datev_buchungen_uebergeben(l.m, DatevAuswahl::Alle)
                                        : datev_extf(l.m, art == Art::Stammdaten);
    const double dauer = sekunden(t);
    std::uintmax_t bytes = 0;
    for (const auto& e : std::filesystem::directory_iterator(ziel))
      bytes = std::max(bytes, groesse(e.path()));
    std::printf("%-44s %8.3f s  Spitzenspeicher %4ld MB  größte Datei %6.1f MB  %s\n", was, dauer,
                spitzenspeicher_mb(), static_cast<double>(bytes) / 1e6,
                ok ? "fertig" : "NICHT FERTIG");
    for (const auto& m : l.ui.meldungen()) std::printf("  Meldung: %s\n", m.c_str());
    std::fflush(stdout);
    std::filesystem::remove_all(ziel);
    std::filesystem::create_directories(ziel);
  });
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verz = bench_verzeichnis(argc, argv, "fibu-datev-bench");
  const long anzahl = bench_buchungen(argc, argv);
  const std::string wurzel = verz + "/mandant", ziel = verz + "/ziel";
  if (!umgebung("FIBU_DATEV_BENCH_VORHANDEN", 0) && !einheitlich_gebucht_im_kind(verz, anzahl))
    return 1;
  std::filesystem::remove_all(ziel);
  std::filesystem::create_directories(ziel);
  schritt(wurzel, ziel, "Datenträger (ED00001), Periode 6", Art::Traeger, "01.06.2024",
          "30.06.2024");
  schritt(wurzel, ziel, "Datenträger (ED00001), ganzes Jahr", Art::Traeger, "01.01.2024",
          "31.12.2024");
  schritt(wurzel, ziel, "EXTF-Buchungsstapel, Periode 6", Art::Buchungsstapel, "01.06.2024",
          "30.06.2024");
  schritt(wurzel, ziel, "EXTF-Buchungsstapel, ganzes Jahr", Art::Buchungsstapel, "01.01.2024",
          "31.12.2024");
  schritt(wurzel, ziel, "EXTF-Debitoren/Kreditoren", Art::Stammdaten, "", "");
  if (!umgebung("FIBU_DATEV_BENCH_BEHALTEN", 0)) std::filesystem::remove_all(verz);
  return 0;
}
