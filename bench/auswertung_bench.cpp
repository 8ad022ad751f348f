// Benchmark of the ledger reports on the benchmark client with 1,000,000
// bookings (benchmandant.h): the GL balance list over all accounts, the
// account sheet of a busy account with at least 10,000 bookings, the
// single-account statement of the bank over the year and the sheets of all
// accounts for one period. Prints the time of each print job (into memory,
// as the preview gets it), its size and the peak memory of each step. The
// generated bookings are also written as a plain-text double-entry journal
// (buchungen.journal in the directory, kept) so that the figures can be
// compared with other tools on the same data. Not a test.
//
//   auswertung_bench [directory] [bookings]     (default: 1000000)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "benchmandant.h"
#include "reports/kontoauszug.h"
#include "reports/saldenliste.h"
#include "suite/betrag.h"

using namespace fibu;
using namespace fibu::bench;

namespace {

// Peak memory from here on (VmHWM counts again from the current size).
void spitze_zuruecksetzen() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

void bericht(const char* was, Uhr::time_point t, const TestInteraktion& ui) {
  const Druckauftrag& a = ui.druckauftraege().back();
  std::size_t zeilen = 0;
  for (const auto& s : a.seiten) zeilen += s.zeilen.size();
  std::printf("%-58s %8.3f s  %6zu Seiten %8zu Zeilen  Spitzenspeicher %ld MB\n", was, sekunden(t),
              a.seiten.size(), zeilen, spitzenspeicher_mb());
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verz = bench_verzeichnis(argc, argv, "fibu-auswertung-bench");
  const long anzahl = bench_buchungen(argc, argv);
  Gebuchter_mandant l(verz, anzahl);
  Mandant& m = l.m;
  if (!l.gebucht) return 1;
  std::printf("%ld Buchungen erzeugt und gebucht: %.1f s, Spitzenspeicher %ld MB\n", anzahl,
              l.dauer, spitzenspeicher_mb());
  auto t = Uhr::now();
  const std::string journal = verz + "/buchungen.journal";
  const long belege = journal_schreiben(m, journal);
  std::printf("Journal %s: %ld Belege, %.1f MB, %.1f s\n", journal.c_str(), belege,
              std::filesystem::file_size(journal) / 1e6, sekunden(t));
  for (int nr : {Kontenplan::bank, Kontenplan::erloese19, Kontenplan::ust19})
    if (m.sach->suchen(m.sachkonto_text(nr)))
      std::printf(
          "  Saldo %d: %s\n", nr,
          format_maske(m.sach->satz().get(SachFelder::Saldo), 2, "##############.##").c_str());

  // Measured on the client opened anew: nothing of the index in memory.
  m.mandant_schliessen();
  if (!m.mandant_oeffnen(1, 2024)) abbrechen("Mandant 001/2024 kann nicht geöffnet werden");
  m.basis.set(BasisFelder::AktuellePeriode, std::uint8_t{12});

  spitze_zuruecksetzen();
  t = Uhr::now();
  SaldenlisteSachkonten s = saldenliste_vorgabe(m);
  s.periode_von = 1;
  s.periode_bis = 12;
  s.nur_mit_umsatz = false;
  saldenliste_drucken(m, s);
  bericht("Saldenliste Sachkonten, alle Konten, Perioden 1-12", t, l.ui);

  // The busy account: the smaller revenue account, over as many periods as
  // give it 10,000 bookings.
  const std::int32_t konto = Kontenplan::erloese7;
  int bis = 1;
  long gezaehlt = 0;
  for (; bis <= 12; ++bis) {
    gezaehlt = m.buchung->buchungen_des_kontos(konto, kein_datum,
                                               m.basis.get(BasisFelder::periode_bis(bis)),
                                               [](std::uint32_t, const Satz&) { return true; });
    if (gezaehlt >= 10000) break;
  }
  bis = std::min(bis, 12);
  m.mandant_schliessen();
  if (!m.mandant_oeffnen(1, 2024)) abbrechen("Mandant 001/2024 kann nicht geöffnet werden");
  spitze_zuruecksetzen();
  t = Uhr::now();
  Kontoauszuege e = kontoauszug_vorgabe(m, {1, bis});
  e.konto_von = e.konto_bis = konto;
  e.periodensummen = true;
  kontoauszuege_drucken(m, e);
  char was[128];
  std::snprintf(was, sizeof was, "Kontoauszug %d, Perioden 1-%d (%ld Buchungen)", konto, bis,
                gezaehlt);
  bericht(was, t, l.ui);

  spitze_zuruecksetzen();
  t = Uhr::now();
  KontoauszugEinzeln einzeln = kontoauszug_einzeln_vorgabe(m);
  einzeln.konto = Kontenplan::bank;
  kontoauszug_einzeln_drucken(m, einzeln);
  bericht("Kontoauszug Einzelkonto 1200, ganzes Jahr", t, l.ui);

  m.mandant_schliessen();
  if (!m.mandant_oeffnen(1, 2024)) abbrechen("Mandant 001/2024 kann nicht geöffnet werden");
  spitze_zuruecksetzen();
  t = Uhr::now();
  Kontoauszuege alle = kontoauszug_vorgabe(m, {6, 6});
  alle.periodensummen = true;
  kontoauszuege_drucken(m, alle);
  bericht("Kontoauszüge aller Konten, Periode 6", t, l.ui);

  m.mandant_schliessen();
  std::filesystem::remove_all(l.wurzel);
  return 0;
}
