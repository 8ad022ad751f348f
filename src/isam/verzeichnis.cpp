#include "isam/verzeichnis.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <thread>

#include "isam/crc32c.h"
#include "isam/seitendatei.h"
#include "isam/sperre.h"

namespace fibu::isam {
namespace {

constexpr char journal_magie[8] = {'F', 'I', 'B', 'U', 'J', 'N', 'L', '1'};
constexpr std::size_t kopf_groesse = 64;
constexpr std::uint64_t koerper_anfang = seitengroesse;
constexpr std::uint32_t zustand_leer = 0;
constexpr std::uint32_t zustand_gueltig = 1;
constexpr std::size_t puffer_groesse = 1 << 20;

template <typename T>
void lege(std::string& s, T v) {
  char b[sizeof(T)];
  std::memcpy(b, &v, sizeof(T));
  s.append(b, sizeof(T));
}

template <typename T>
bool nimm(std::string_view& s, T& v) {
  if (s.size() < sizeof(T)) return false;
  std::memcpy(&v, s.data(), sizeof(T));
  s.remove_prefix(sizeof(T));
  return true;
}

// One file of a journal: its name, the size it ends with, and its pages.
struct Journaldatei {
  std::string name;
  std::uint64_t groesse = 0;
  std::vector<std::pair<std::uint32_t, std::string_view>> seiten;
};

bool journal_lesen(std::string_view koerper, std::vector<Journaldatei>& aus) {
  aus.clear();
  while (!koerper.empty()) {
    char art;
    std::uint16_t laenge;
    if (!nimm(koerper, art) || art != 'D' || !nimm(koerper, laenge) || koerper.size() < laenge)
      return false;
    Journaldatei d;
    d.name = std::string(koerper.substr(0, laenge));
    koerper.remove_prefix(laenge);
    std::uint32_t seiten;
    if (!nimm(koerper, d.groesse) || !nimm(koerper, seiten)) return false;
    for (std::uint32_t i = 0; i < seiten; ++i) {
      std::uint32_t nr;
      if (!nimm(koerper, nr) || koerper.size() < seitengroesse) return false;
      d.seiten.emplace_back(nr, koerper.substr(0, seitengroesse));
      koerper.remove_prefix(seitengroesse);
    }
    aus.push_back(std::move(d));
  }
  return true;
}

// Writes a journal's pages and size into one file and syncs it. Pages are
// cut at the file's final size so a plain file never grows past it.
int anwenden(Datei& datei, const Journaldatei& j, bool synchron, std::uint64_t& syncs) {
  for (const auto& [nr, daten] : j.seiten) {
    std::uint64_t pos = static_cast<std::uint64_t>(nr) * seitengroesse;
    if (pos >= j.groesse) continue;
    std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(seitengroesse, j.groesse - pos));
    if (!datei.schreiben(pos, daten.substr(0, n))) return fehler_ein_ausgabe;
  }
  std::uint64_t ist = 0;
  if (!datei.groesse(ist)) return fehler_ein_ausgabe;
  if (ist != j.groesse && !datei.kuerzen(j.groesse)) return fehler_ein_ausgabe;
  if (synchron) {
    if (!datei.sync()) return fehler_ein_ausgabe;
    ++syncs;
  }
  return isam_ok;
}

}  // namespace

struct IsamVerzeichnis::Kopf {
  bool gueltig_gelesen = false;  // magic and checksum right
  std::uint64_t generation = 0;
  std::uint32_t zustand = zustand_leer;
  std::uint64_t laenge = 0;
  std::uint32_t koerper_crc = 0;

  std::string bytes() const {
    std::string s(journal_magie, 8);
    lege(s, generation);
    lege(s, zustand);
    lege(s, std::uint32_t{0});
    lege(s, laenge);
    lege(s, koerper_crc);
    s.resize(kopf_groesse - 4, '\0');
    lege(s, crc32c(s.data(), s.size()));
    return s;
  }
};

IsamVerzeichnis::IsamVerzeichnis(Dateisystem& fs, std::string pfad)
    : fs_(fs), pfad_(std::move(pfad)) {}

IsamVerzeichnis::~IsamVerzeichnis() {
  if (tiefe_ > 0) verwerfe();
}

std::string IsamVerzeichnis::datei_pfad(const std::string& name) const {
  return pfad_verbinden(pfad_, name);
}

void IsamVerzeichnis::extensionen_fuer_waehrung(bool euro) {
  DatExtension = euro ? "EAT" : "DAT";
  IxExtension = euro ? "EIX" : "IX";
  DiaExtension = euro ? "EIA" : "DIA";
  SavExtension = euro ? "EAV" : "SAV";
}

void IsamVerzeichnis::abmelden(Seitendatei* datei) {
  dateien_.erase(datei);
  beteiligte_.erase(std::remove(beteiligte_.begin(), beteiligte_.end(), datei), beteiligte_.end());
}

void IsamVerzeichnis::beteiligt(Seitendatei* datei) {
  if (std::find(beteiligte_.begin(), beteiligte_.end(), datei) == beteiligte_.end())
    beteiligte_.push_back(datei);
}

int IsamVerzeichnis::sperren(Datei& datei, Sperrart art, std::uint64_t von, std::uint64_t laenge) {
  using Uhr = std::chrono::steady_clock;
  const auto ende = Uhr::now() + std::chrono::milliseconds(wartezeit_ms);
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    Ergebnis e = datei.sperren(art, false, von, laenge);
    if (e) return isam_ok;
    if (e.code() != Ergebnis::Code::Gesperrt) return fehler_ein_ausgabe;
    if (Uhr::now() >= ende) return fehler_gesperrt;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
}

int IsamVerzeichnis::kopf_lesen(Kopf& k) {
  k = Kopf{};
  std::string s;
  if (!journal_->lesen(0, kopf_groesse, s)) return fehler_ein_ausgabe;
  if (s.size() < kopf_groesse || std::memcmp(s.data(), journal_magie, 8) != 0) return isam_ok;
  std::uint32_t crc;
  std::memcpy(&crc, s.data() + kopf_groesse - 4, 4);
  if (crc != crc32c(s.data(), kopf_groesse - 4)) return isam_ok;  // torn: nothing was applied yet
  std::string_view v(s);
  v.remove_prefix(8);
  std::uint32_t reserve;
  nimm(v, k.generation);
  nimm(v, k.zustand);
  nimm(v, reserve);
  nimm(v, k.laenge);
  nimm(v, k.koerper_crc);
  k.gueltig_gelesen = true;
  return isam_ok;
}

int IsamVerzeichnis::oeffnen() {
  if (journal_) return isam_ok;
  std::string pfad = datei_pfad(journal_name);
  bool neu = !fs_.existiert(pfad);
  if (!fs_.oeffnen(pfad, Oeffnen::Anlegen, journal_)) return fehler_journal;
  if (int f = sperren(*journal_, Sperrart::Exklusiv, 0, 1); f != isam_ok) return f;
  Kopf k;
  int f = kopf_lesen(k);
  if (f == isam_ok && !k.gueltig_gelesen) {
    // A new journal (or a header torn before anything was applied).
    k.generation =
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    k.zustand = zustand_leer;
    if (!journal_->schreiben(0, k.bytes()) || !journal_->sync()) f = fehler_journal;
    if (f == isam_ok && neu && !fs_.verzeichnis_sync(pfad_)) f = fehler_journal;
  }
  journal_freigeben();
  if (f != isam_ok) return f;
  if ((f = wiederherstellen()) != isam_ok) return f;
  if ((f = kopf_lesen(k)) != isam_ok) return f;
  generation_ = k.generation;
  return isam_ok;
}

// Completes a journal a crashed writer left, under the journal lock.
int IsamVerzeichnis::wiederherstellen() {
  if (int f = sperren(*journal_, Sperrart::Exklusiv, 0, 1); f != isam_ok) return f;
  int f = journal_anwenden();
  journal_freigeben();
  return f;
}

// With the journal lock held: a valid journal is applied to its files (by
// path) and then marked empty.
int IsamVerzeichnis::journal_anwenden() {
  Kopf k;
  if (int f = kopf_lesen(k); f != isam_ok) return f;
  if (!k.gueltig_gelesen || k.zustand != zustand_gueltig) return isam_ok;
  std::string koerper;
  if (!journal_->lesen(koerper_anfang, static_cast<std::size_t>(k.laenge), koerper))
    return fehler_journal;
  std::vector<Journaldatei> dateien;
  bool vollstaendig = koerper.size() == k.laenge &&
                      crc32c(koerper.data(), koerper.size()) == k.koerper_crc &&
                      journal_lesen(koerper, dateien);
  if (vollstaendig) {
    for (const auto& j : dateien) {
      // A file that is gone was deleted after the unit: nothing to complete.
      std::unique_ptr<Datei> ziel;
      Ergebnis e = fs_.oeffnen(datei_pfad(j.name), Oeffnen::LesenSchreiben, ziel);
      if (e.code() == Ergebnis::Code::NichtGefunden) continue;
      if (!e) return fehler_journal;
      if (anwenden(*ziel, j, synchron, syncs_) != isam_ok) return fehler_journal;
    }
  }
  // Applied, or never complete on disk (so nothing was applied): empty it.
  k.zustand = zustand_leer;
  if (!journal_->schreiben(0, k.bytes())) return fehler_journal;
  if (!journal_->sync()) return fehler_journal;
  return isam_ok;
}

int IsamVerzeichnis::nach_sperre(Datei&, Sperrart) {
  if (gestoert_) return fehler_journal;
  Kopf k;
  if (int f = kopf_lesen(k); f != isam_ok) return f;
  if (k.gueltig_gelesen && k.zustand == zustand_gueltig) {
    // A commit is running elsewhere, or its writer died: wait for the
    // journal lock; a journal still valid then is completed here.
    if (int f = wiederherstellen(); f != isam_ok) return f;
    if (int f = kopf_lesen(k); f != isam_ok) return f;
  }
  if (k.generation != generation_) {
    caches_verwerfen();
    generation_ = k.generation;
  }
  return isam_ok;
}

int IsamVerzeichnis::generation_erhoehen() {
  if (int f = oeffnen(); f != isam_ok) return f;
  if (int f = sperren(*journal_, Sperrart::Exklusiv, 0, 1); f != isam_ok) return f;
  int f = journal_anwenden();
  Kopf k;
  if (f == isam_ok) f = kopf_lesen(k);
  if (f == isam_ok) {
    k.generation = std::max(k.generation, generation_) + 1;
    k.zustand = zustand_leer;
    if (!journal_->schreiben(0, k.bytes()) || !journal_->sync()) f = fehler_journal;
  }
  journal_freigeben();
  caches_verwerfen();
  if (f == isam_ok) generation_ = k.generation;
  return f;
}

void IsamVerzeichnis::journal_freigeben() {
  // An unlock the system refuses leaves nothing to do here: the lock goes
  // with the journal's handle when the directory is closed.
  (void)journal_->entsperren(0, 1);
}

void IsamVerzeichnis::caches_verwerfen() {
  // A file whose size cannot be read again cannot be trusted to be read
  // right: the directory then needs to be opened anew.
  for (Seitendatei* d : dateien_)
    if (!d->verwerfen()) gestoert_ = true;
}

int IsamVerzeichnis::beginne() {
  if (!journal_) return fehler_journal;
  if (gestoert_) return fehler_journal;
  if (tiefe_ == 0) vergiftet_ = false;
  ++tiefe_;
  return isam_ok;
}

void IsamVerzeichnis::einheit_abschliessen(bool bestaetigt) {
  for (Seitendatei* d : beteiligte_) d->einheit_beendet(bestaetigt);
  beteiligte_.clear();
  auto sperren = einheit_sperren_;
  einheit_sperren_.clear();
  for (Dateisperre* s : sperren) s->einheit_ende();
  tiefe_ = 0;
  vergiftet_ = false;
}

void IsamVerzeichnis::verwerfe() {
  if (tiefe_ == 0) return;
  einheit_abschliessen(false);
}

int IsamVerzeichnis::bestaetige() {
  if (tiefe_ == 0) return fehler_einheit;
  if (--tiefe_ > 0) return isam_ok;
  tiefe_ = 1;  // until finished below
  if (vergiftet_ || gestoert_) {
    int f = gestoert_ ? fehler_journal : fehler_einheit;
    verwerfe();
    return f;
  }
  if (beteiligte_.empty()) {
    einheit_abschliessen(true);
    return isam_ok;
  }
  if (int f = sperren(*journal_, Sperrart::Exklusiv, 0, 1); f != isam_ok) {
    verwerfe();
    return f;
  }
  // A journal a dead writer left must be completed before it is overwritten.
  if (int f = journal_anwenden(); f != isam_ok) {
    journal_freigeben();
    verwerfe();
    return f;
  }
  Kopf k;
  if (int f = kopf_lesen(k); f != isam_ok) {
    // Without the last generation others could miss this commit.
    journal_freigeben();
    verwerfe();
    return f;
  }

  // The journal holds views of the dirty pages; the same views are then
  // written into the files.
  std::vector<Journaldatei> dateien;
  for (Seitendatei* d : beteiligte_) {
    Journaldatei j{d->name(), d->groesse(), {}};
    for (const auto& [nr, daten] : d->geaenderte_seiten())
      j.seiten.emplace_back(nr, std::string_view(daten, seitengroesse));
    journalseiten_ += j.seiten.size();
    dateien.push_back(std::move(j));
  }
  // The body goes out in pieces of a reused buffer (no allocation the
  // size of the unit), its checksum computed on the way.
  bool journal_sicher = true;
  std::uint64_t laenge = 0;
  std::uint32_t crc = 0;
  puffer_.clear();
  auto abschicken = [&] {
    if (puffer_.empty() || !journal_sicher) return;
    journal_sicher = journal_->schreiben(koerper_anfang + laenge, puffer_).ok();
    crc = crc32c(puffer_.data(), puffer_.size(), crc);
    laenge += puffer_.size();
    puffer_.clear();
  };
  for (const auto& j : dateien) {
    puffer_.push_back('D');
    lege(puffer_, static_cast<std::uint16_t>(j.name.size()));
    puffer_ += j.name;
    lege(puffer_, j.groesse);
    lege(puffer_, static_cast<std::uint32_t>(j.seiten.size()));
    for (const auto& [nr, daten] : j.seiten) {
      if (puffer_.size() + 4 + seitengroesse > puffer_groesse) abschicken();
      lege(puffer_, nr);
      puffer_.append(daten);
    }
  }
  abschicken();
  Kopf neu;
  neu.generation = std::max(k.generation, generation_) + 1;
  neu.zustand = zustand_gueltig;
  neu.laenge = laenge;
  neu.koerper_crc = crc;

  const bool kopf_geschrieben = journal_sicher && journal_->schreiben(0, neu.bytes()).ok();
  journal_sicher = kopf_geschrieben && (!synchron || journal_->sync().ok());
  if (synchron && journal_sicher) ++syncs_;
  if (!journal_sicher) {
    // Perhaps on disk, perhaps not: take it back so it cannot come to life.
    Kopf leer = neu;
    leer.zustand = zustand_leer;
    if (!journal_->schreiben(0, leer.bytes()) || !journal_->sync()) gestoert_ = true;
    journal_freigeben();
    verwerfe();
    if (!gestoert_) return fehler_journal;
    caches_verwerfen();
    // A valid header that could not be taken back is replayed by whoever
    // next takes a lock here: the unit counts as committed. Without it the
    // old header stands and the unit is gone.
    return kopf_geschrieben ? fehler_nachzuholen : fehler_journal;
  }

  int f = isam_ok;
  for (std::size_t i = 0; i < dateien.size() && f == isam_ok; ++i)
    f = anwenden(beteiligte_[i]->datei(), dateien[i], synchron, syncs_);
  if (f == isam_ok) {
    // Applied and synced: the unit is done. The journal is marked empty
    // without a sync, and even a failed mark does no harm: replaying the
    // journal writes the same pages once more, and a torn header counts
    // as empty.
    Kopf leer = neu;
    leer.zustand = zustand_leer;
    (void)journal_->schreiben(0, leer.bytes());
  } else {
    // The journal is safe on disk; try once more by path, else leave it to
    // whoever next opens the directory or takes a lock in it.
    f = journal_anwenden();
    if (f != isam_ok) gestoert_ = true;
  }
  journal_freigeben();
  if (f != isam_ok) {
    verwerfe();
    caches_verwerfen();
    return fehler_nachzuholen;
  }
  generation_ = neu.generation;
  einheit_abschliessen(true);
  return isam_ok;
}

Einheit::Einheit(IsamVerzeichnis& v) : v_(v), eigene_(!v.in_einheit()) {
  if (eigene_ && (fehler_ = v_.beginne()) != isam_ok) {
    eigene_ = false;
    beendet_ = true;
  }
}

Einheit::~Einheit() {
  if (!beendet_) abbrechen();
}

void Einheit::abbrechen() {
  if (fehler_ != isam_ok) return;
  beendet_ = true;
  if (eigene_)
    v_.verwerfe();
  else
    v_.einheit_vergiften();
}

int Einheit::ende(int ergebnis) {
  if (fehler_ != isam_ok) return fehler_;
  beendet_ = true;
  bool halb = ergebnis == fehler_ein_ausgabe || ergebnis == fehler_index_defekt ||
              ergebnis == fehler_daten_defekt || ergebnis == fehler_journal ||
              ergebnis == fehler_nachzuholen;
  if (!eigene_) {
    if (halb) v_.einheit_vergiften();
    return ergebnis;
  }
  if (ergebnis != isam_ok) {
    v_.verwerfe();
    return ergebnis;
  }
  return v_.bestaetige();
}

}  // namespace fibu::isam
