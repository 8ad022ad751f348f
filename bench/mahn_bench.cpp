// Benchmark of the dunning run on the benchmark client with 1,000,000
// bookings (benchmandant.h, about 250,000 items, over 200,000 of them not
// settled; every customer item carries dunning code 1): the batch print of
// all letters due, with the selection over every customer item, the
// payments of each item, the letters laid out on the mask and the new
// levels written in one unit. Runs in a process of its own on the client
// opened anew. Not a test.
//
//   mahn_bench [directory] [bookings]     (default: 1000000)
//   FIBU_MAHN_BENCH_VORHANDEN=1  take the books of the last run (kept with
//                                FIBU_MAHN_BENCH_BEHALTEN=1) instead of new ones
#include <cstdio>
#include <filesystem>
#include <string>

#include "benchmandant.h"
#include "openitems/mahndaten.h"
#include "openitems/mahnlauf.h"

using namespace fibu;
using namespace fibu::bench;

int main(int argc, char** argv) {
  const std::string verz = bench_verzeichnis(argc, argv, "fibu-mahn-bench");
  const long anzahl = bench_buchungen(argc, argv);
  const std::string wurzel = verz + "/mandant";
  if (!umgebung("FIBU_MAHN_BENCH_VORHANDEN", 0) && !gebucht_im_kind(verz, anzahl)) return 1;
  im_kind(wurzel, [](Lauf& l) {
    Mandant& m = l.m;
    const std::string maske = "\r\n\x01\r\n\r\n\r\n\r\n                  Datum: \x04\r\n\r\n\x10\r\n";
    if (!m.fs().schreibe_datei_atomar(pfad_verbinden(m.daten_verzeichnis(), "MASKE.FIB"), maske))
      abbrechen("Maske nicht geschrieben");
    Satz code(MahnkennEintrag::groesse);
    code.set(MahnkennEintrag::Bezeichnung, "Standard");
    code.set(MahnkennEintrag::textnummer(1), std::uint16_t{1});
    code.set(MahnkennEintrag::zinssatz(1), std::int64_t{500});
    code.set(MahnkennEintrag::gebuehr(1), std::int64_t{250});
    mahnkennziffer_setzen(m, 1, code);
    long zeilen = 0;
    l.ui.druckauftraege_ansehen([&zeilen](const Druckauftrag& a) {
      for (const auto& s : a.seiten) zeilen += static_cast<long>(s.zeilen.size());
    });
    Mahndruck d;
    d.auswahl.stichtag = DMYtoDate(31, 12, 2024);
    d.auswahl.konto_von = 10000;
    d.auswahl.konto_bis = 69999;
    const auto t = Uhr::now();
    const bool ok = mahnungen_drucken(m, d);
    std::printf("Mahnungen drucken (alle fälligen OP)  %8.3f s  %8ld Zeilen  Spitzenspeicher %ld MB  %s\n",
                sekunden(t), zeilen, spitzenspeicher_mb(), ok ? "fertig" : "NICHT FERTIG");
    for (const auto& z : l.ui.meldungen()) std::printf("  Meldung: %s\n", z.c_str());
  });
  if (!umgebung("FIBU_MAHN_BENCH_BEHALTEN", 0)) std::filesystem::remove_all(verz);
  return 0;
}
