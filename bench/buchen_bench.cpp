// Benchmark of the posting engine on real files: a client with 1,000 GL,
// 5,000 customer and 2,000 supplier accounts receives generated bookings
// in bulk units (50,000 bookings per unit; FIBU_EINHEIT sets another size,
// FIBU_CACHE_SEITEN another page cache per file), then 1,000 bookings with
// one unit each (sync on). Prints bookings per second, peak memory, file sizes
// and, beside the single bookings, the raw cost of a sync on the same disk.
// Not a test.
//
//   buchen_bench [directory] [bookings ...]     (default: 100000 1000000)
//
// The mix: customer invoices with their revenue line (19 % or 7 %),
// supplier invoices with their expense line (input VAT 19 % or 7 %),
// payments of recent invoices with their bank line, and GL-to-GL bookings.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "frame/mandant.h"
#include "posting/buchen.h"
#include "suite/allgemei.h"
#include "suite/test_interaktion.h"

using namespace fibu;
using Uhr = std::chrono::steady_clock;
using B = BuchungFelder;

namespace {

double sekunden(Uhr::time_point seit) {
  return std::chrono::duration<double>(Uhr::now() - seit).count();
}

long spitzenspeicher_mb() {
  std::ifstream f("/proc/self/status");
  std::string zeile;
  while (std::getline(f, zeile))
    if (zeile.rfind("VmHWM:", 0) == 0) return std::atol(zeile.c_str() + 6) / 1024;
  return -1;
}

constexpr int sachkonten = 1000, debitoren = 5000, kreditoren = 2000;

// Account numbers: GL 1000..1999 are bank, cash and GL-to-GL accounts,
// 4000.. revenue and expenses; the special accounts below.
struct Kontenplan {
  static constexpr int bank = 1200, forderungen = 1400, verbindlichkeiten = 1600;
  static constexpr int ust19 = 1776, ust7 = 1771, vst19 = 1576, vst7 = 1571;
  static constexpr int erloese19 = 8400, erloese7 = 8300, aufwand19 = 3400, aufwand7 = 3300;
};

void mandant_anlegen(Mandant& m) {
  using K = Kontenplan;
  Satz& b = m.basis;
  b.set(BasisFelder::SachVon, std::int32_t{1});
  b.set(BasisFelder::SachBis, std::int32_t{9999});
  for (auto [k, nr, satz] : {std::tuple{1, K::ust19, 1900}, std::tuple{2, K::ust7, 700},
                             std::tuple{9, K::vst19, 1900}, std::tuple{8, K::vst7, 700}}) {
    b.set(BasisFelder::steuerkonto(k), static_cast<std::int32_t>(nr));
    b.set(BasisFelder::steuersatz(k), static_cast<std::int64_t>(satz));
  }
  b.set(BasisFelder::forderungskonto(1), std::int32_t{K::forderungen});
  b.set(BasisFelder::verbindlichkeitskonto(1), std::int32_t{K::verbindlichkeiten});
  m.schreibe_basis();
  auto& v = m.verzeichnis();
  v.beginne();
  std::vector<int> gl = {
      K::bank, K::forderungen, K::verbindlichkeiten, K::ust19,     K::ust7,    K::vst19,
      K::vst7, K::erloese19,   K::erloese7,          K::aufwand19, K::aufwand7};
  for (int i = 0; static_cast<int>(gl.size()) < sachkonten; ++i) gl.push_back(2000 + i);
  for (int nr : gl) {
    m.sach->leeren();
    Satz& s = m.sach->satz();
    s.set(SachFelder::Bezeichnung1, "Sachkonto " + std::to_string(nr));
    int art = (nr == K::ust19 || nr == K::ust7) ? 2 : (nr == K::vst19 || nr == K::vst7) ? 4 : 0;
    s.set(SachFelder::Kontenart, static_cast<std::uint8_t>(art));
    s.set(SachFelder::zuordnung_code(0), "BWA" + std::to_string(nr % 20));
    m.sach->speichern(m.sachkonto_text(nr));
  }
  for (int i = 0; i < debitoren + kreditoren; ++i) {
    int nr = i < debitoren ? 10000 + i : 70000 + (i - debitoren);
    m.personen->leeren();
    Satz& s = m.personen->satz();
    s.set(PersonenFelder::Name, "Person " + std::to_string(nr));
    s.set(PersonenFelder::Suchname, "P" + std::to_string(nr));
    s.set(PersonenFelder::Sammelkonto, std::uint8_t{1});
    s.set(PersonenFelder::Nettotage, std::uint16_t{30});
    m.personen->speichern(m.personenkonto_text(nr));
  }
  v.bestaetige();
}

// Generates the bookings of the mix, one at a time.
class Erzeuger {
 public:
  explicit Erzeuger(Mandant& m) : m_(m), zufall_(4711) {}

  // Fills the working booking with the next one.
  void naechste(Satz& s) {
    using K = Kontenplan;
    if (!folge_.empty()) {
      s = folge_.front();
      folge_.pop_front();
      return;
    }
    int art = wuerfel(100);
    int p = 1 + static_cast<int>((zaehler_++ / 2000) % 12);
    Datum datum = DMYtoDate(1 + wuerfel(28), p, 2024);
    Betrag betrag = 100 + wuerfel(500000);
    if (art < 45 || offen_.empty()) {
      // A customer invoice with its revenue line, or a supplier invoice
      // with its expense line; 19 % or 7 % tax.
      bool debitor = art < 30 || offen_.empty();
      std::string beleg = (debitor ? "" : "E") + std::to_string(++rechnung_);
      std::string person =
          m_.personenkonto_text(debitor ? 10000 + wuerfel(debitoren) : 70000 + wuerfel(kreditoren));
      bool voll = wuerfel(4) != 0;
      int gegen =
          debitor ? (voll ? K::erloese19 : K::erloese7) : (voll ? K::aufwand19 : K::aufwand7);
      const char* steuer = debitor ? (voll ? "1" : "2") : (voll ? "9" : "8");
      fuellen(s, person, debitor ? 'S' : 'H', betrag, std::to_string(gegen), "", 'R', beleg, p,
              datum);
      Satz zweite(B::groesse);
      fuellen(zweite, std::to_string(gegen), debitor ? 'H' : 'S', betrag, person, steuer, 0, beleg,
              p, datum);
      folge_.push_back(zweite);
      merken(person, beleg, betrag, debitor);
    } else if (art < 70) {  // payment of a recent invoice + bank line
      auto o = offen_[static_cast<std::size_t>(wuerfel(static_cast<int>(offen_.size())))];
      fuellen(s, o.konto, o.debitor ? 'H' : 'S', o.betrag, "1200", "", 'Z', o.beleg, p, datum);
      Satz zweite(B::groesse);
      fuellen(zweite, "1200", o.debitor ? 'S' : 'H', o.betrag, o.konto, "", 0, o.beleg, p, datum);
      folge_.push_back(zweite);
    } else {  // GL to GL
      int von = 2000 + wuerfel(sachkonten - 20), nach = 2000 + wuerfel(sachkonten - 20);
      fuellen(s, m_.sachkonto_text(von), 'S', betrag, m_.sachkonto_text(nach), "", 0,
              std::to_string(1 + zaehler_), p, datum);
    }
  }

 private:
  struct Offen {
    std::string konto, beleg;
    Betrag betrag;
    bool debitor;
  };
  int wuerfel(int n) { return static_cast<int>(zufall_() % static_cast<std::uint32_t>(n)); }
  void merken(const std::string& konto, const std::string& beleg, Betrag betrag, bool debitor) {
    offen_.push_back({konto, beleg, betrag, debitor});
    if (offen_.size() > 2000) offen_.pop_front();
  }
  static void fuellen(Satz& s, const std::string& konto, char sh, Betrag betrag,
                      const std::string& gegen, const std::string& steuer, char art,
                      const std::string& beleg, int p, Datum datum) {
    s.leeren();
    s.set(B::Konto, konto);
    s.setze_u8(B::SollHaben, static_cast<std::uint8_t>(sh));
    s.set(B::Betrag, betrag);
    s.set(B::Gegenkonto, gegen);
    s.set(B::Steuerschluessel, steuer);
    s.setze_u8(B::Buchungsart, static_cast<std::uint8_t>(art));
    s.set(B::Belegnr, beleg);
    s.set(B::Periode, static_cast<std::uint8_t>(p));
    s.set(B::Datum, datum);
    s.set(B::Text1, "Buchung " + beleg);
  }

  Mandant& m_;
  std::mt19937 zufall_;
  std::deque<Satz> folge_;
  std::deque<Offen> offen_;
  long zaehler_ = 0, rechnung_ = 0;
};

void dateigroessen(const std::string& verz) {
  std::uintmax_t summe = 0;
  for (const auto& e : std::filesystem::directory_iterator(verz)) {
    if (!e.is_regular_file()) continue;
    auto g = e.file_size();
    summe += g;
    if (g > 1 << 20) std::printf("  %-14s %8.1f MB\n", e.path().filename().c_str(), g / 1e6);
  }
  std::printf("  alle Dateien   %8.1f MB\n", summe / 1e6);
}

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
    fs->verzeichnis_anlegen(w + "/FIBU/");
    m.mandant_oeffnen(1, 2024, true);
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
  Buchungskern kern(l.m);
  Erzeuger erzeuger(l.m);
  auto& bu = *l.m.buchung;
  auto t = Uhr::now();
  {
    Buchungslauf lauf(kern);
    for (long i = 1; i <= anzahl; ++i) {
      erzeuger.naechste(bu.satz());
      if (!kern.buchen(i)) {
        std::printf("Buchung %ld fehlgeschlagen\n", i);
        return;
      }
      if (i % einheit == 0 && !lauf.zwischenstand()) {
        std::printf("Einheit bis %ld fehlgeschlagen\n", i);
        return;
      }
    }
    if (!lauf.ende()) std::printf("letzte Einheit fehlgeschlagen\n");
  }
  double s = sekunden(t);
  std::printf("Massenbuchung %ld Buchungen: %.1f s, %.0f Buchungen/s, Spitzenspeicher %ld MB\n",
              anzahl, s, anzahl / s, spitzenspeicher_mb());
  std::printf("  Syncs: %llu, Journalseiten: %llu\n",
              static_cast<unsigned long long>(l.m.verzeichnis().syncs()),
              static_cast<unsigned long long>(l.m.verzeichnis().journalseiten()));
  dateigroessen(l.m.daten_verzeichnis());
  // A sample: the collective receivables account equals the sum of the customers.
  Satz f(SachFelder::groesse);
  l.m.sach->suchen("1400");
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
    kern.buchen(i);
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
