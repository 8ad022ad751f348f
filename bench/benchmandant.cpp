#include "benchmandant.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "posting/buchen.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/betrag.h"

namespace fibu::bench {

using B = BuchungFelder;

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

long umgebung(const char* name, long vorgabe) {
  const char* w = std::getenv(name);
  return w ? std::atol(w) : vorgabe;
}

void abbrechen(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::exit(1);
}

Lauf::Lauf(const std::string& w)
    : wurzel(w),
      fs(echtes_dateisystem()),
      netz(*fs, w, false),
      m(*fs, ui, heute, w + "/FIBU/", netz) {
  if (Ergebnis e = fs->verzeichnis_anlegen(w + "/FIBU/"); !e) abbrechen(e.text());
  if (!m.mandant_oeffnen(1, 2024, true)) abbrechen("Mandant 001/2024 kann nicht geöffnet werden");
  if (long c = umgebung("FIBU_CACHE_SEITEN", 0))
    m.verzeichnis().cache_seiten = static_cast<std::size_t>(c);
}

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
  if (!m.schreibe_basis()) abbrechen("Basisdaten können nicht geschrieben werden");
  auto& v = m.verzeichnis();
  if (v.beginne() != isam::isam_ok) abbrechen("Einheit für die Konten kann nicht beginnen");
  std::vector<int> gl = {
      K::bank, K::forderungen, K::verbindlichkeiten, K::ust19,     K::ust7,     K::vst19,
      K::vst7, K::erloese19,   K::erloese7,          K::aufwand19, K::aufwand7, K::skonto};
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
    s.setze_f64(PersonenFelder::Skonto1Anzeige, 2.0);  // 2 % within 10 days
    s.set(PersonenFelder::Skontotage1, std::uint16_t{10});
    s.set(PersonenFelder::Mkz, std::uint8_t{1});  // dunning code 1 on every item
    m.personen->speichern(m.personenkonto_text(nr));
  }
  if (v.bestaetige() != isam::isam_ok) abbrechen("Konten können nicht bestätigt werden");
}

std::string bench_verzeichnis(int argc, char** argv, const char* name) {
  return argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string() + "/" + name;
}

long bench_buchungen(int argc, char** argv) {
  return argc > 2 ? std::atol(argv[2]) : 1000000;
}

namespace {

std::string frisch(const std::string& verzeichnis) {
  const std::string wurzel = verzeichnis + "/mandant";
  std::filesystem::remove_all(wurzel);
  std::filesystem::create_directories(wurzel);
  return wurzel;
}

}  // namespace

Gebuchter_mandant::Gebuchter_mandant(const std::string& verzeichnis, long anzahl)
    : Lauf(frisch(verzeichnis)) {
  mandant_anlegen(m);
  const auto t = Uhr::now();
  gebucht = massenbuchen(m, anzahl, umgebung("FIBU_EINHEIT", 50000));
  dauer = sekunden(t);
}

namespace {

void fuellen(Satz& s, const std::string& konto, char sh, Betrag betrag, const std::string& gegen,
             const std::string& steuer, char art, const std::string& beleg, int p, Datum datum) {
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

}  // namespace

void Erzeuger::naechste(Satz& s) {
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
  Satz zweite(B::groesse);
  if (art < 50 || offen_.empty()) {
    // A customer invoice with its revenue line, or a supplier invoice
    // with its expense line; 19 % or 7 % tax.
    bool debitor = art < 34 || offen_.empty();
    std::string beleg = (debitor ? "" : "E") + std::to_string(++rechnung_);
    std::string person =
        m_.personenkonto_text(debitor ? 10000 + wuerfel(debitoren) : 70000 + wuerfel(kreditoren));
    bool voll = wuerfel(4) != 0;
    int gegen = debitor ? (voll ? K::erloese19 : K::erloese7) : (voll ? K::aufwand19 : K::aufwand7);
    const char* steuer = debitor ? (voll ? "1" : "2") : (voll ? "9" : "8");
    fuellen(s, person, debitor ? 'S' : 'H', betrag, std::to_string(gegen), "", 'R', beleg, p,
            datum);
    fuellen(zweite, std::to_string(gegen), debitor ? 'H' : 'S', betrag, person, steuer, 0, beleg, p,
            datum);
    offen_.push_back({person, beleg, betrag, debitor});
    if (offen_.size() > 2000) offen_.pop_front();
  } else if (art < 70) {  // payment of a recent invoice + bank line
    const auto i = static_cast<std::size_t>(wuerfel(static_cast<int>(offen_.size())));
    const Offen o = offen_[i];
    offen_.erase(offen_.begin() + static_cast<std::ptrdiff_t>(i));
    // In full, less the discount (a remainder to write off), or half.
    const int wie = wuerfel(3);
    const Betrag gezahlt = wie == 0 ? o.betrag : wie == 1 ? o.betrag - o.betrag / 50 : o.betrag / 2;
    fuellen(s, o.konto, o.debitor ? 'H' : 'S', gezahlt, "1200", "", 'Z', o.beleg, p, datum);
    fuellen(zweite, "1200", o.debitor ? 'S' : 'H', gezahlt, o.konto, "", 0, o.beleg, p, datum);
  } else {  // GL to GL with its counter line
    const std::string von = m_.sachkonto_text(2000 + wuerfel(sachkonten - 20));
    const std::string nach = m_.sachkonto_text(2000 + wuerfel(sachkonten - 20));
    const std::string beleg = "U" + std::to_string(zaehler_);
    fuellen(s, von, 'S', betrag, nach, "", 0, beleg, p, datum);
    fuellen(zweite, nach, 'H', betrag, von, "", 0, beleg, p, datum);
  }
  folge_.push_back(zweite);
}

bool massenbuchen(Mandant& m, long anzahl, long einheit) {
  Buchungskern kern(m);
  Erzeuger erzeuger(m);
  auto& bu = *m.buchung;
  const long start = bu.anzahl_buchungen();
  Buchungslauf lauf(kern);
  for (long i = 1; i <= anzahl; ++i) {
    erzeuger.naechste(bu.satz());
    if (!kern.buchen(start + i)) {
      std::printf("Buchung %ld fehlgeschlagen\n", start + i);
      return false;
    }
    if (i % einheit == 0 && !lauf.zwischenstand()) {
      std::printf("Einheit bis %ld fehlgeschlagen\n", start + i);
      return false;
    }
  }
  if (!lauf.ende()) {
    std::printf("letzte Einheit fehlgeschlagen\n");
    return false;
  }
  return true;
}

bool einheitliche_buecher_anlegen(const std::string& verzeichnis, long anzahl, double& dauer) {
  using BF = BuchungFelder;
  const std::string wurzel = verzeichnis + "/mandant";
  std::filesystem::remove_all(wurzel);
  std::filesystem::create_directories(wurzel);
  Lauf l(wurzel);
  mandant_anlegen(l.m);
  const auto t = Uhr::now();
  Buchungskern kern(l.m);
  Erzeuger erzeuger(l.m);
  auto& bu = *l.m.buchung;
  Buchungslauf lauf(kern);
  std::vector<Satz> beleg;
  Betrag summe = 0;
  long n = 0;
  while (n < anzahl) {
    Satz s(BF::groesse);
    erzeuger.naechste(s);
    summe += vorzeichenbetrag(s);
    beleg.push_back(std::move(s));
    if (summe != 0) continue;
    std::uint8_t art = 0;
    for (const Satz& z : beleg)
      if (!ist_sachkonto(l.m.basis, z.get(BF::Konto))) art = z.u8(BF::Buchungsart);
    for (Satz& z : beleg) {
      if (n == anzahl) break;
      z.setze_u8(BF::Buchungsart, art);
      bu.satz() = z;
      if (!kern.buchen(++n)) return false;
      if (n % 50000 == 0 && !lauf.zwischenstand()) return false;
    }
    beleg.clear();
  }
  if (!lauf.ende()) return false;
  dauer = sekunden(t);
  l.m.mandant_schliessen();
  return true;
}

bool einheitlich_gebucht_im_kind(const std::string& verzeichnis, long anzahl) {
  std::fflush(stdout);
  const pid_t kind = fork();
  if (kind == 0) {
    double dauer = 0;
    if (!einheitliche_buecher_anlegen(verzeichnis, anzahl, dauer)) std::_Exit(1);
    std::printf("%ld Buchungen erzeugt und gebucht: %.1f s\n", anzahl, dauer);
    std::fflush(stdout);
    std::_Exit(0);
  }
  int status = 0;
  waitpid(kind, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

namespace {

std::string punktbetrag(Betrag b) {
  return format_maske(b, 2, "##############.##");
}

}  // namespace

long journal_schreiben(Mandant& m, const std::string& pfad) {
  std::ofstream aus(pfad);
  aus << "; Buchungen des Mandanten " << drei(m.nummer()) << "/" << m.jahr()
      << " als Journal: Personenkonten unter ihrer Nummer (Debitoren ab 10000, Sammelkonto "
      << Kontenplan::forderungen << "; Kreditoren ab 70000, Sammelkonto "
      << Kontenplan::verbindlichkeiten << "), Steuer auf ihrem Steuerkonto.\n";
  auto& bu = *m.buchung;
  Satz s(B::groesse);
  struct Posten {
    std::string konto;
    Betrag betrag;
  };
  std::vector<Posten> posten;
  Betrag laufend = 0;
  std::string beleg, datum;
  long transaktionen = 0, unausgeglichen = 0;
  auto abschliessen = [&] {
    if (posten.empty()) return;
    Betrag summe = 0;
    aus << datum << " " << beleg << "\n";
    for (const auto& p : posten) {
      aus << "    " << p.konto << "  " << punktbetrag(p.betrag) << "\n";
      summe += p.betrag;
    }
    aus << "\n";
    if (summe != 0) ++unausgeglichen;
    ++transaktionen;
    posten.clear();
    laufend = 0;
  };
  const std::int64_t n = bu.anzahl_buchungen();
  for (std::int64_t i = 1; i <= n; ++i) {
    if (!bu.buchung_lesen_in(i, s) || bu.satz_ist_leer(s)) continue;
    int t = 0, mo = 0, j = 0;
    DateToDMY(s.get(B::Datum), t, mo, j);
    char d[16];
    std::snprintf(d, sizeof d, "%04d-%02d-%02d", j, mo, t);
    const std::string b = trim(s.get(B::Belegnr));
    // A document ends where its lines balance (an invoice and its payment
    // share the document number) or where the number or date changes.
    if (b != beleg || d != datum) abschliessen();
    beleg = b;
    datum = d;
    const Betrag vz = ist_soll(s) ? 1 : -1;
    posten.push_back({trim(s.get(B::Konto)), vz * s.get(B::Betrag)});
    const std::string steuerkonto = trim(s.get(B::Steuerkontofeld));
    if (s.get(B::Steuerbetrag) != 0 && !steuerkonto.empty())
      posten.push_back({steuerkonto, vz * s.get(B::Steuerbetrag)});
    laufend += vz * (s.get(B::Betrag) + (steuerkonto.empty() ? 0 : s.get(B::Steuerbetrag)));
    if (laufend == 0) abschliessen();
  }
  abschliessen();
  if (unausgeglichen) std::printf("  Journal: %ld Belege nicht ausgeglichen\n", unausgeglichen);
  return transaktionen;
}

namespace {

// Waits for a child; true when it ended with 0.
bool kind_erfolgreich(pid_t kind) {
  int status = 0;
  waitpid(kind, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

void im_kind(const std::string& wurzel, const std::function<void(Lauf&)>& schritt) {
  std::fflush(stdout);
  const pid_t kind = fork();
  if (kind < 0) abbrechen("fork fehlgeschlagen");
  if (kind == 0) {
    Lauf l(wurzel);
    schritt(l);
    std::fflush(stdout);
    l.m.mandant_schliessen();
    std::_Exit(0);
  }
  if (!kind_erfolgreich(kind)) abbrechen("Schritt fehlgeschlagen");
}

bool gebucht_im_kind(const std::string& verzeichnis, long anzahl) {
  std::fflush(stdout);
  const pid_t kind = fork();
  if (kind < 0) abbrechen("fork fehlgeschlagen");
  if (kind == 0) {
    Gebuchter_mandant l(verzeichnis, anzahl);
    if (!l.gebucht) std::_Exit(1);
    std::printf("%ld Buchungen erzeugt und gebucht: %.1f s\n", anzahl, l.dauer);
    std::fflush(stdout);
    l.m.mandant_schliessen();
    std::_Exit(0);
  }
  return kind_erfolgreich(kind);
}

}  // namespace fibu::bench
