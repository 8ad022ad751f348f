// Benchmark of the ISAM record manager on real files: 1,000,000 booking-like
// records of 321 bytes with 7 keys. Prints its figures beside the raw
// figures of the same disk, so they read as ratios. Not a test.
//
//   isam_bench [directory] [records]
//
// Key distribution (as bookings have it): 1 booking number (ascending,
// unique); 2 account of 500 + date; 3 counter-account + date; 4 document
// number (ascending); 5 date; 6 cost centre of 50; 7 open-item key
// ("D" + invoice number: four of five bookings are new invoices, every fifth
// a payment of one of the last 2,000 invoices). With "zufall" as third
// argument the payments refer to any earlier invoice (uniformly), the
// worst case for the index pages a unit touches.
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "isam/isam.h"
#include "suite/tpdate.h"

using namespace fibu;
using namespace fibu::isam;
using Uhr = std::chrono::steady_clock;

namespace {

constexpr std::uint32_t satzgroesse = 321;
const Schluesseltabelle tabelle = {{4, false}, {12, true}, {12, true}, {10, true},
                                   {4, true},  {5, true},  {15, true}};

double sekunden(Uhr::time_point seit) {
  return std::chrono::duration<double>(Uhr::now() - seit).count();
}

std::string zahl(long n, int stellen) {
  char b[32];
  std::snprintf(b, sizeof b, "%0*ld", stellen, n);
  return b;
}

// The record carries its keys' source fields at fixed offsets, as the
// booking record does; the callback derives the keys from them.
struct Buchung {
  std::int32_t nummer;
  std::int32_t konto, gegenkonto, kostenstelle, rechnung;
  Datum datum;
};

std::string satz_aus(const Buchung& b) {
  std::string s(satzgroesse, ' ');
  std::memcpy(s.data(), &b, sizeof b);
  return s;
}

std::string schluessel(const char* s, int nr) {
  Buchung b;
  std::memcpy(&b, s, sizeof b);
  switch (nr) {
    case 1:
      return LongToKey(b.nummer);
    case 2:
      return zahl(b.konto, 8) + datum_sortiertext(b.datum);
    case 3:
      return zahl(b.gegenkonto, 8) + datum_sortiertext(b.datum);
    case 4:
      return "R" + zahl(b.nummer / 3, 9);
    case 5:
      return datum_sortiertext(b.datum);
    case 6:
      return "K" + zahl(b.kostenstelle, 4);
    case 7:
      return "D" + zahl(b.rechnung, 14);
  }
  return "";
}

bool zufaellige_zahlungen = false;

Buchung buchung(long i, std::mt19937& z) {
  Buchung b;
  b.nummer = static_cast<std::int32_t>(i + 1);
  b.konto = static_cast<std::int32_t>(1000 + z() % 500);
  b.gegenkonto = static_cast<std::int32_t>(8000 + z() % 500);
  b.kostenstelle = static_cast<std::int32_t>(1000 + z() % 50);
  long rechnungen = i * 4 / 5;  // invoices so far
  long fenster = zufaellige_zahlungen ? rechnungen : std::min(rechnungen, 2000L);
  b.rechnung = static_cast<std::int32_t>(
      z() % 5 == 0 && fenster > 0
          ? rechnungen - 1 - static_cast<long>(z() % static_cast<unsigned long>(fenster))
          : rechnungen);
  b.datum = static_cast<Datum>(DMYtoDate(1, 1, 2007) + i * 365 / 1000000);
  return b;
}

void roh_messen(const std::string& verz, std::uint64_t bytes) {
  std::string pfad = verz + "/roh.bin";
  std::vector<char> block(1 << 20, 'x');
  int fd = ::open(pfad.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  auto t = Uhr::now();
  for (std::uint64_t n = 0; n < bytes; n += block.size())
    if (::write(fd, block.data(), block.size()) < 0) std::perror("write");
  ::fdatasync(fd);
  double s = sekunden(t);
  std::printf("roh: sequentiell schreiben %.0f MB mit fdatasync: %.2f s (%.0f MB/s)\n", bytes / 1e6,
              s, bytes / 1e6 / s);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  t = Uhr::now();
  ::lseek(fd, 0, SEEK_SET);
  while (::read(fd, block.data(), block.size()) > 0) {
  }
  s = sekunden(t);
  std::printf("roh: sequentiell lesen: %.2f s (%.0f MB/s)\n", s, bytes / 1e6 / s);
  const int n = 200;
  t = Uhr::now();
  for (int i = 0; i < n; ++i) {
    if (::pwrite(fd, block.data(), 4096, static_cast<off_t>(i) * 4096) < 0) std::perror("pwrite");
    ::fdatasync(fd);
  }
  std::printf("roh: 4 KiB schreiben + fdatasync: %.3f ms\n", sekunden(t) / n * 1000);
  ::close(fd);
  ::unlink(pfad.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::string verz = argc > 1 ? argv[1] : "isam-bench-daten";
  long anzahl = argc > 2 ? std::atol(argv[2]) : 1000000;
  zufaellige_zahlungen = argc > 3 && std::string(argv[3]) == "zufall";
  std::filesystem::remove_all(verz);
  std::filesystem::create_directories(verz);
  std::printf("ISAM-Benchmark: %ld Sätze zu %u Bytes, 7 Schlüssel, Verzeichnis %s%s\n", anzahl,
              satzgroesse, verz.c_str(),
              zufaellige_zahlungen ? ", Zahlungen auf beliebige ältere Rechnungen" : "");
  roh_messen(verz, static_cast<std::uint64_t>(anzahl) * satzgroesse);

  auto fs = echtes_dateisystem();
  IsamVerzeichnis v(*fs, verz);
  v.cache_seiten = 400000;  // 1.6 GB per file: everything stays warm
  if (std::getenv("OHNE_SYNC")) v.synchron = false;
  IsamFileBlock fb(v);
  if (!fb.MakeNetFileBlock("BUCHUNG", satzgroesse, 7, tabelle)) {
    std::printf("MakeNetFileBlock: %d\n", fb.IsamError);
    return 1;
  }
  // A refused lock or close ends the run: what follows would measure a
  // file block in the wrong state.
  const auto fehlgeschlagen = [&fb](const char* was) {
    std::fprintf(stderr, "%s fehlgeschlagen: %d\n", was, fb.IsamError);
    return 1;
  };

  // Bulk insert in units of 10,000. Records and keys are made beforehand:
  // deriving keys is the record store's work, not the manager's.
  std::mt19937 z(42);
  std::vector<std::string> saetze(static_cast<std::size_t>(anzahl));
  std::vector<std::array<std::string, 8>> keys_je_satz(static_cast<std::size_t>(anzahl));
  for (long i = 0; i < anzahl; ++i) {
    saetze[static_cast<std::size_t>(i)] = satz_aus(buchung(i, z));
    for (int k = 1; k <= 7; ++k)
      keys_je_satz[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)] =
          schluessel(saetze[static_cast<std::size_t>(i)].data(), k);
  }
  auto t = Uhr::now();
  std::uint64_t syncs_vorher = v.syncs();
  double commit_zeit = 0;
  for (long i = 0; i < anzahl; ++i) {
    if (i % 10000 == 0 && v.beginne() != isam_ok) return 2;
    const std::string& s = saetze[static_cast<std::size_t>(i)];
    std::uint32_t ref;
    if (!fb.AddNetRec(ref, s.data())) return 3;
    for (int k = 1; k <= 7; ++k)
      if (!fb.AddNetKey(k, ref,
                        keys_je_satz[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)])) {
        std::printf("AddNetKey %d: %d\n", k, fb.IsamError);
        return 4;
      }
    if ((i + 1) % 10000 == 0 || i + 1 == anzahl) {
      auto c = Uhr::now();
      if (v.bestaetige() != isam_ok) return 5;
      commit_zeit += sekunden(c);
    }
  }
  double s = sekunden(t);
  saetze.clear();
  saetze.shrink_to_fit();
  keys_je_satz.clear();
  keys_je_satz.shrink_to_fit();
  std::printf(
      "Masseneinfügen in Einheiten zu 10.000: %.2f s, %.0f Sätze/s (davon Commits %.2f s, %llu "
      "Syncs, "
      "%.0f Seiten je Einheit)\n",
      s, anzahl / s, commit_zeit, static_cast<unsigned long long>(v.syncs() - syncs_vorher),
      static_cast<double>(v.journalseiten()) / ((anzahl + 9999) / 10000));

  // Random exact-key lookups with a warm cache.
  const long suchen = 1000000;
  std::vector<std::string> keys;
  keys.reserve(static_cast<std::size_t>(suchen));
  for (long i = 0; i < suchen; ++i)
    keys.push_back(LongToKey(static_cast<std::int32_t>(1 + z() % anzahl)));
  std::uint32_t ref = 0;
  if (!fb.ReadLockFileBlock()) return fehlgeschlagen("ReadLockFileBlock");
  t = Uhr::now();
  for (const auto& k : keys)
    if (!fb.FindNetKey(1, ref, k)) return 6;
  s = sekunden(t);
  if (!fb.UnLockFileBlock()) return fehlgeschlagen("UnLockFileBlock");
  std::printf("Zufällige Schlüsselsuche (FindNetKey) unter gehaltener Lesesperre: %.0f/s\n",
              suchen / s);
  t = Uhr::now();
  for (long i = 0; i < 200000; ++i)
    if (!fb.FindNetKey(1, ref, keys[static_cast<std::size_t>(i)])) return 7;
  s = sekunden(t);
  std::printf("Zufällige Schlüsselsuche mit Sperre je Vorgang: %.0f/s\n", 200000 / s);
  std::string satzpuffer(satzgroesse, '\0');
  if (!fb.ReadLockFileBlock()) return fehlgeschlagen("ReadLockFileBlock");
  t = Uhr::now();
  for (long i = 0; i < 200000; ++i)
    if (!fb.FindNetKey(1, ref, keys[static_cast<std::size_t>(i)]) ||
        !fb.GetNetRec(ref, satzpuffer.data()))
      return 8;
  s = sekunden(t);
  if (!fb.UnLockFileBlock()) return fehlgeschlagen("UnLockFileBlock");
  std::printf("Suche und Satz lesen (FindNetKey + GetNetRec): %.0f/s\n", 200000 / s);

  // Full scan in the order of key 2 (account + date), reading each record.
  if (!fb.ReadLockFileBlock()) return fehlgeschlagen("ReadLockFileBlock");
  fb.ClearKey(2);
  std::string key;
  long gelesen = 0;
  t = Uhr::now();
  while (fb.NextNetKey(2, ref, key)) {
    if (!fb.GetNetRec(ref, satzpuffer.data())) return 9;
    ++gelesen;
  }
  s = sekunden(t);
  if (!fb.UnLockFileBlock()) return fehlgeschlagen("UnLockFileBlock");
  std::printf(
      "Vollständiger Lauf in Schlüsselfolge (Konto + Datum) mit Satz lesen: %ld Sätze in %.2f s "
      "(%.0f/s)\n",
      gelesen, s, gelesen / s);

  // Commit latency of a one-record unit with sync on.
  const int einzel = 200;
  syncs_vorher = v.syncs();
  t = Uhr::now();
  for (int i = 0; i < einzel; ++i) {
    if (v.beginne() != isam_ok) return 10;
    std::string sz = satz_aus(buchung(anzahl + i, z));
    if (!fb.AddNetRec(ref, sz.data())) return 11;
    for (int k = 1; k <= 7; ++k)
      if (!fb.AddNetKey(k, ref, schluessel(sz.data(), k))) return 12;
    if (v.bestaetige() != isam_ok) return 13;
  }
  s = sekunden(t);
  std::printf(
      "Einheit mit einem Satz und 7 Schlüsseln, Sync an: %.3f ms je Einheit, %.1f Syncs je "
      "Einheit\n",
      s / einzel * 1000, static_cast<double>(v.syncs() - syncs_vorher) / einzel);

  // Rebuild of all seven indexes from the data file.
  if (!fb.CloseNetFileBlock()) return fehlgeschlagen("CloseNetFileBlock");
  long fortschritt = 0;
  t = Uhr::now();
  int f =
      RebuildFileBlock(v, "BUCHUNG", satzgroesse, 7, tabelle, schluessel, [&] { ++fortschritt; });
  s = sekunden(t);
  std::printf("Neuaufbau aller 7 Indizes: %.2f s (Ergebnis %d, %ld Fortschrittsaufrufe)\n", s, f,
              fortschritt);
  if (!fb.OpenNetFileBlock("BUCHUNG") ||
      fb.BTUsedKeys(7) != static_cast<std::uint64_t>(anzahl + einzel))
    return 14;
  std::printf("Indexdatei: %.0f MB, Datendatei: %.0f MB\n",
              std::filesystem::file_size(verz + "/BUCHUNG.IX") / 1e6,
              std::filesystem::file_size(verz + "/BUCHUNG.DAT") / 1e6);
  if (!fb.CloseNetFileBlock()) return fehlgeschlagen("CloseNetFileBlock");
  std::filesystem::remove_all(verz);
  return 0;
}
