// Benchmark of the posting engine on real files: the benchmark client
// (benchmandant.h) receives generated bookings in bulk units (50,000
// bookings per unit; FIBU_EINHEIT sets another size, FIBU_CACHE_SEITEN
// another page cache per file), then 1,000 bookings with one unit each
// (sync on). Prints bookings per second, peak memory, file sizes and, beside
// the single bookings, the raw cost of a sync on the same disk. Not a test.
//
//   buchen_bench [directory] [bookings ...]     (default: 100000 1000000)
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "benchmandant.h"
#include "posting/buchen.h"

using namespace fibu;
using namespace fibu::bench;

namespace {

double sync_ms(const std::string& verz) {
  std::string pfad = verz + "/sync.bin";
  int fd = ::open(pfad.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
  char seite[4096] = {};
  const int n = 200;
  auto t = Uhr::now();
  for (int i = 0; i < n; ++i) {
    if (::pwrite(fd, seite, sizeof seite, static_cast<off_t>(i) * 4096) < 0) break;
    ::fdatasync(fd);
  }
  double ms = sekunden(t) / n * 1000;
  ::close(fd);
  std::filesystem::remove(pfad);
  return ms;
}

long umgebung(const char* name, long vorgabe) {
  const char* w = std::getenv(name);
  return w ? std::atol(w) : vorgabe;
}

struct Lauf {
  std::string wurzel;
  std::unique_ptr<Dateisystem> fs = echtes_dateisystem();
  TestInteraktion ui;
  Tagesdatum heute{DMYtoDate(6, 12, 2024)};
  Netzwerk netz;
  Mandant m;

  explicit Lauf(const std::string& w)
      : wurzel(w), netz(*fs, w, false), m(*fs, ui, heute, w + "/FIBU/", netz) {
    if (Ergebnis e = fs->verzeichnis_anlegen(w + "/FIBU/"); !e) abbrechen(e.text());
    if (!m.mandant_oeffnen(1, 2024, true)) abbrechen("Mandant 001/2024 kann nicht geöffnet werden");
    if (long c = umgebung("FIBU_CACHE_SEITEN", 0))
      m.verzeichnis().cache_seiten = static_cast<std::size_t>(c);
  }
};

void massenlauf(const std::string& basis, long anzahl) {
  const long einheit = umgebung("FIBU_EINHEIT", 50000);
  std::string wurzel = basis + "/massen-" + std::to_string(anzahl);
  std::filesystem::remove_all(wurzel);
  std::filesystem::create_directories(wurzel);
  Lauf l(wurzel);
  mandant_anlegen(l.m);
  auto t = Uhr::now();
  if (!massenbuchen(l.m, anzahl, einheit)) return;
  double s = sekunden(t);
  std::printf("Massenbuchung %ld Buchungen: %.1f s, %.0f Buchungen/s, Spitzenspeicher %ld MB\n",
              anzahl, s, anzahl / s, spitzenspeicher_mb());
  std::printf("  Syncs: %llu, Journalseiten: %llu\n",
              static_cast<unsigned long long>(l.m.verzeichnis().syncs()),
              static_cast<unsigned long long>(l.m.verzeichnis().journalseiten()));
  dateigroessen(l.m.daten_verzeichnis());
  // A sample: the collective receivables account equals the sum of the customers.
  if (!l.m.sach->suchen("1400")) bench::abbrechen("Sammelkonto 1400 fehlt");
  Betrag sammel = l.m.sach->satz().get(SachFelder::Saldo), summe = 0;
  for (int i = 0; i < debitoren; ++i)
    if (l.m.personen->suchen(l.m.personenkonto_text(10000 + i)))
      summe += l.m.personen->satz().get(PersonenFelder::Saldo);
  std::printf("  Kontrolle Forderungen 1400 = Summe Debitoren: %s\n",
              sammel == summe ? "ja" : "NEIN");
  l.m.mandant_schliessen();
  std::filesystem::remove_all(wurzel);
}

void einzellauf(const std::string& basis, long anzahl) {
  std::string wurzel = basis + "/einzeln";
  std::filesystem::remove_all(wurzel);
  std::filesystem::create_directories(wurzel);
  Lauf l(wurzel);
  mandant_anlegen(l.m);
  Buchungskern kern(l.m);
  Erzeuger erzeuger(l.m);
  auto& bu = *l.m.buchung;
  // Warm: the first bookings create pages and activate periods.
  for (long i = 1; i <= 100; ++i) {
    erzeuger.naechste(bu.satz());
    if (!kern.buchen(i)) {
      std::printf("Buchung %ld (Aufwärmen) fehlgeschlagen\n", i);
      return;
    }
  }
  std::uint64_t syncs = l.m.verzeichnis().syncs();
  auto t = Uhr::now();
  for (long i = 101; i <= 100 + anzahl; ++i) {
    erzeuger.naechste(bu.satz());
    if (!kern.buchen(i)) {
      std::printf("Buchung %ld fehlgeschlagen\n", i);
      return;
    }
  }
  double s = sekunden(t);
  double je_sync = sync_ms(l.m.daten_verzeichnis());
  double syncs_je = static_cast<double>(l.m.verzeichnis().syncs() - syncs) / anzahl;
  std::printf(
      "Einzelbuchung (eine Einheit je Buchung, Sync an) %ld Buchungen: %.2f s, %.0f Buchungen/s, "
      "%.2f ms je Buchung\n",
      anzahl, s, anzahl / s, s / anzahl * 1000);
  std::printf("  %.1f Syncs je Buchung; roh 4 KiB + fdatasync %.3f ms: %.2f ms Sync je Buchung\n",
              syncs_je, je_sync, syncs_je * je_sync);
  l.m.mandant_schliessen();
  std::filesystem::remove_all(wurzel);
}

}  // namespace

int main(int argc, char** argv) {
  std::string verz =
      argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string() + "/fibu-buchen-bench";
  std::vector<long> anzahlen;
  for (int i = 2; i < argc; ++i) anzahlen.push_back(std::atol(argv[i]));
  if (anzahlen.empty()) anzahlen = {100000, 1000000};
  std::filesystem::create_directories(verz);
  std::printf("Verzeichnis %s; %d Sachkonten, %d Debitoren, %d Kreditoren\n", verz.c_str(),
              sachkonten, debitoren, kreditoren);
  einzellauf(verz, 1000);
  for (long n : anzahlen) massenlauf(verz, n);
  std::filesystem::remove_all(verz);
  return 0;
}
