// Rebuilding the index of a file block from its data: every record's keys
// are collected, sorted and written bottom-up into a new index file, which
// then replaces the old one by rename.
#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "isam/bytes.h"
#include "isam/crc32c.h"
#include "isam/isam.h"
#include "suite/allgemei.h"

namespace fibu::isam {
namespace {

struct Eintrag {
  std::string key;
  std::uint32_t ref;
  bool operator<(const Eintrag& b) const {
    int c = std::memcmp(key.data(), b.key.data(), std::min(key.size(), b.key.size()));
    if (c != 0) return c < 0;
    if (key.size() != b.key.size()) return key.size() < b.key.size();
    return ref < b.ref;
  }
};

// The same layout Indexbaum reads (see indexbaum.cpp).
constexpr std::size_t n_eintraege = 16, nutzbar = pruefsummen_offset - n_eintraege;

class Indexschreiber {
 public:
  explicit Indexschreiber(Datei& d) : d_(d) {}

  std::uint32_t naechste() const { return naechste_; }
  std::uint32_t reservieren() { return naechste_++; }

  int schreiben(std::uint32_t nr, std::string& seite) {
    std::uint32_t c = crc32c(seite.data(), pruefsummen_offset);
    std::memcpy(seite.data() + pruefsummen_offset, &c, 4);
    puffer_ += seite;
    if (puffer_erste_ == 0 && puffer_.size() == seitengroesse) puffer_erste_ = nr;
    if (puffer_.size() >= 256 * seitengroesse) return leeren();
    return isam_ok;
  }
  int leeren() {
    if (puffer_.empty()) return isam_ok;
    if (!d_.schreiben(static_cast<std::uint64_t>(puffer_erste_) * seitengroesse, puffer_))
      return fehler_ein_ausgabe;
    puffer_.clear();
    puffer_erste_ = 0;
    return isam_ok;
  }

 private:
  Datei& d_;
  std::uint32_t naechste_ = 1;  // page 0 is the header
  std::string puffer_;
  std::uint32_t puffer_erste_ = 0;
};

struct Kind {
  const Eintrag* erster;
  std::uint32_t seite;
};

// Writes one tree bottom-up; pages are numbered in the order written, so
// the writer's buffer always holds consecutive pages.
int baum_schreiben(Indexschreiber& w, int nr, const Schluesseldef& def,
                   const std::vector<Eintrag>& alle, std::uint32_t& wurzel, std::uint8_t& hoehe) {
  const std::size_t L = def.laenge, E = 1 + L + 4, I = E + 4;
  const int max_blatt = static_cast<int>(nutzbar / E), max_innen = static_cast<int>(nutzbar / I);
  const int fuell_blatt = std::max(1, max_blatt - max_blatt / 10);
  const int fuell_innen = std::max(2, max_innen - max_innen / 10);

  auto eintrag_legen = [&](char* e, const Eintrag& x) {
    e[0] = static_cast<char>(x.key.size());
    std::memcpy(e + 1, x.key.data(), x.key.size());
    put(e, 1 + L, x.ref);
  };

  std::vector<Kind> ebene;
  std::size_t blaetter = alle.empty() ? 1
                                      : (alle.size() + static_cast<std::size_t>(fuell_blatt) - 1) /
                                            static_cast<std::size_t>(fuell_blatt);
  std::uint32_t erste = w.naechste();
  for (std::size_t b = 0; b < blaetter; ++b) {
    std::uint32_t seite_nr = w.reservieren();
    std::string s(seitengroesse, '\0');
    std::size_t von = b * static_cast<std::size_t>(fuell_blatt);
    std::size_t bis = std::min(alle.size(), von + static_cast<std::size_t>(fuell_blatt));
    put(s.data(), 0, std::uint8_t{1});
    put(s.data(), 1, static_cast<std::uint8_t>(nr));
    put(s.data(), 2, static_cast<std::uint16_t>(bis - von));
    put(s.data(), 4, b == 0 ? 0u : seite_nr - 1);
    put(s.data(), 8, b + 1 == blaetter ? 0u : seite_nr + 1);
    for (std::size_t i = von; i < bis; ++i)
      eintrag_legen(s.data() + n_eintraege + (i - von) * E, alle[i]);
    if (von < bis) ebene.push_back({&alle[von], seite_nr});
    if (int f = w.schreiben(seite_nr, s); f != isam_ok) return f;
  }
  hoehe = 1;
  wurzel = erste;
  while (ebene.size() > 1) {
    std::vector<Kind> oben;
    std::size_t gruppe = static_cast<std::size_t>(fuell_innen) + 1;  // children per node
    for (std::size_t von = 0; von < ebene.size(); von += gruppe) {
      std::size_t bis = std::min(ebene.size(), von + gruppe);
      std::uint32_t seite_nr = w.reservieren();
      std::string s(seitengroesse, '\0');
      put(s.data(), 0, std::uint8_t{2});
      put(s.data(), 1, static_cast<std::uint8_t>(nr));
      put(s.data(), 2, static_cast<std::uint16_t>(bis - von - 1));
      put(s.data(), 12, ebene[von].seite);
      for (std::size_t i = von + 1; i < bis; ++i) {
        char* e = s.data() + n_eintraege + (i - von - 1) * I;
        eintrag_legen(e, *ebene[i].erster);
        put(e, E, ebene[i].seite);
      }
      oben.push_back({ebene[von].erster, seite_nr});
      if (int f = w.schreiben(seite_nr, s); f != isam_ok) return f;
    }
    ebene = std::move(oben);
    ++hoehe;
  }
  if (!ebene.empty()) wurzel = ebene[0].seite;
  return isam_ok;
}

}  // namespace

namespace {

// The table of keys a rebuild is asked for: a usable name, record size and
// key lengths.
bool parameter_gueltig(const std::string& name, std::uint32_t satzgroesse, int schluesselanzahl,
                       const Schluesseltabelle& schluessel) {
  if (name.empty() || satzgroesse == 0 || satzgroesse > 65535 || schluesselanzahl < 1 ||
      schluesselanzahl > max_schluessel || static_cast<int>(schluessel.size()) < schluesselanzahl)
    return false;
  for (int k = 0; k < schluesselanzahl; ++k) {
    const auto laenge = schluessel[static_cast<std::size_t>(k)].laenge;
    if (laenge < 1 || laenge > max_schluessellaenge) return false;
  }
  return true;
}

// The scan of the data file: its slots, header and free chain repaired on
// the way, inside one unit of work.
class Datenscan {
 public:
  using Aufnehmen = std::function<void(std::uint32_t ref, const char* satz)>;

  Datenscan(IsamVerzeichnis& v, std::uint32_t satzgroesse, int schluesselanzahl)
      : v_(v), satzgroesse_(satzgroesse), schluesselanzahl_(schluesselanzahl),
        slot_(Datendatei::slotgroesse(satzgroesse)) {}

  // Reads every used slot (handed to `aufnehmen` when given) and rewrites
  // what the header and the free chain must say.
  int ausfuehren(const std::string& dat_pfad, const Aufnehmen& aufnehmen) {
    std::unique_ptr<Datei> d;
    Dateisystem& fs = v_.fs();
    if (!fs.oeffnen(dat_pfad, Oeffnen::LesenSchreiben, d)) return fehler_ein_ausgabe;
    std::uint64_t groesse = 0;
    if (!d->groesse(groesse)) return fehler_ein_ausgabe;
    Seitendatei daten(v_, name_von(dat_pfad), std::move(d), false);
    Dateisperre sperre(v_, daten.datei());
    Einheit einheit(v_);
    int f = einheit.fehler();
    if (f == isam_ok) f = sperre.fuer_einheit();
    if (f == isam_ok && groesse >= 64) f = kopf_pruefen(daten);
    slots_ = groesse < seitengroesse
                 ? 0
                 : static_cast<std::uint32_t>((groesse - seitengroesse) / slot_);
    if (f == isam_ok) f = slots_lesen(daten, aufnehmen);
    if (f == isam_ok) f = freie_kette_schreiben(daten);
    if (f == isam_ok) f = kopf_schreiben(daten);
    return einheit.ende(f);
  }

 private:
  // A data file that names another record size is not read with this one.
  int kopf_pruefen(Seitendatei& daten) {
    char kopf[64];
    if (!daten.lesen(0, sizeof kopf, kopf)) return fehler_ein_ausgabe;
    std::uint32_t gespeichert, crc;
    std::memcpy(&gespeichert, kopf + 8, 4);
    std::memcpy(&crc, kopf + 60, 4);
    if (std::memcmp(kopf, "FIBUDA01", 8) == 0 && crc == crc32c(kopf, 60) &&
        gespeichert != satzgroesse_)
      return fehler_parameter;
    return isam_ok;
  }

  int slots_lesen(Seitendatei& daten, const Aufnehmen& aufnehmen) {
    std::string puffer;
    constexpr std::uint32_t stapel = 4096;
    for (std::uint32_t erster = 1; erster <= slots_; erster += stapel) {
      std::uint32_t n = std::min(stapel, slots_ - erster + 1);
      puffer.resize(static_cast<std::size_t>(n * slot_));
      if (!daten.lesen(Datendatei::position(erster, satzgroesse_), puffer.size(), puffer.data()))
        return fehler_ein_ausgabe;
      for (std::uint32_t i = 0; i < n; ++i) {
        const char* s = puffer.data() + i * slot_;
        if (s[0] == 1) {
          ++benutzt_;
          if (aufnehmen) aufnehmen(erster + i, s + 1);
        } else {
          freie_.push_back(erster + i);
        }
      }
      // The scan reads each page once; keep the cache from growing.
      daten.aufraeumen();
    }
    return isam_ok;
  }

  // Linked from the highest slot down, so that the lowest is reused first.
  int freie_kette_schreiben(Seitendatei& daten) {
    for (auto it = freie_.rbegin(); it != freie_.rend(); ++it) {
      std::string s(static_cast<std::size_t>(slot_), '\0');
      put(s.data(), 1, frei_);
      char alt[5];
      if (!daten.lesen(Datendatei::position(*it, satzgroesse_), 5, alt)) return fehler_ein_ausgabe;
      if (std::memcmp(alt, s.data(), 5) != 0 &&
          !daten.schreiben(Datendatei::position(*it, satzgroesse_), s.data(), s.size()))
        return fehler_ein_ausgabe;
      frei_ = *it;
    }
    return isam_ok;
  }

  int kopf_schreiben(Seitendatei& daten) {
    std::string kopf =
        Datendatei::kopf_bytes(satzgroesse_, schluesselanzahl_, slots_, benutzt_, frei_);
    char alt[64];
    if (!daten.lesen(0, sizeof alt, alt)) return fehler_ein_ausgabe;
    if (std::memcmp(alt, kopf.data(), kopf.size()) != 0 &&
        !daten.schreiben(0, kopf.data(), kopf.size()))
      return fehler_ein_ausgabe;
    // The file ends after its last slot.
    const std::uint64_t ende = Datendatei::position(slots_ + 1, satzgroesse_);
    if (daten.groesse() != ende && !daten.groesse_setzen(ende)) return fehler_ein_ausgabe;
    return isam_ok;
  }

  IsamVerzeichnis& v_;
  std::uint32_t satzgroesse_;
  int schluesselanzahl_;
  std::uint64_t slot_;
  std::uint32_t slots_ = 0, benutzt_ = 0, frei_ = 0;
  std::vector<std::uint32_t> freie_;
};

// Writes the new index file `pfad` from the sorted entries of every key.
int index_schreiben(Dateisystem& fs, const std::string& pfad, std::uint32_t satzgroesse,
                    int schluesselanzahl, const Schluesseltabelle& schluessel,
                    const std::vector<std::vector<Eintrag>>& eintraege) {
  std::unique_ptr<Datei> d;
  if (!fs.oeffnen(pfad, Oeffnen::Neu, d)) return fehler_ein_ausgabe;
  Schluesseltabelle tabelle(schluessel.begin(), schluessel.begin() + schluesselanzahl);
  std::string kopf = Indexbaum::neue_datei(satzgroesse, tabelle)[0];
  Indexschreiber w(*d);
  for (int k = 1; k <= schluesselanzahl; ++k) {
    std::uint32_t wurzel;
    std::uint8_t hoehe;
    const auto& e = eintraege[static_cast<std::size_t>(k - 1)];
    if (int f = baum_schreiben(w, k, schluessel[static_cast<std::size_t>(k - 1)], e, wurzel, hoehe);
        f != isam_ok)
      return f;
    std::size_t b = 64 + static_cast<std::size_t>(k - 1) * 32;
    put(kopf.data(), b + 2, hoehe);
    put(kopf.data(), b + 4, wurzel);
    put(kopf.data(), b + 8, static_cast<std::uint64_t>(e.size()));
  }
  if (int f = w.leeren(); f != isam_ok) return f;
  put(kopf.data(), 12, w.naechste());
  std::uint32_t c = crc32c(kopf.data(), pruefsummen_offset);
  std::memcpy(kopf.data() + pruefsummen_offset, &c, 4);
  if (!d->schreiben(0, kopf) || !d->sync()) return fehler_ein_ausgabe;
  return isam_ok;
}

}  // namespace

int RebuildFileBlock(IsamVerzeichnis& v, const std::string& name_roh, std::uint32_t satzgroesse,
                     int schluesselanzahl, const Schluesseltabelle& schluessel,
                     const Schluesselfunktion& schluessel_von,
                     const std::function<void()>& fortschritt, const Satzquelle& quelle,
                     std::uint64_t* doppelte) {
  if (!parameter_gueltig(name_roh, satzgroesse, schluesselanzahl, schluessel))
    return fehler_parameter;
  if (int f = v.oeffnen(); f != isam_ok) return f;
  if (int f = v.generation_erhoehen(); f != isam_ok) return f;
  Dateisystem& fs = v.fs();
  std::string name = gross(name_roh);
  auto dat_pfad = fs.finde_datei(v.pfad(), name_roh + "." + v.DatExtension);
  auto ix_pfad = fs.finde_datei(v.pfad(), name_roh + "." + v.IxExtension);
  if (!dat_pfad) return ix_pfad ? fehler_datendatei_fehlt : fehler_dateien_fehlen;
  std::string ix_ziel = ix_pfad ? *ix_pfad : v.datei_pfad(name + "." + v.IxExtension);

  // The file block's lock is the one on its index file: held for the whole
  // rebuild, other handles wait.
  std::unique_ptr<Datei> sperrdatei;
  if (!fs.oeffnen(ix_ziel, Oeffnen::Anlegen, sperrdatei)) return fehler_ein_ausgabe;
  if (int f = v.sperren(*sperrdatei, Sperrart::Exklusiv); f != isam_ok) return f;

  std::vector<std::vector<Eintrag>> eintraege(static_cast<std::size_t>(schluesselanzahl));
  auto aufnehmen = [&](std::uint32_t ref, const char* satz) {
    for (int k = 1; k <= schluesselanzahl; ++k) {
      std::string key = schluessel_von(satz, k);
      if (fortschritt) fortschritt();
      if (key.empty()) continue;  // empty keys are not indexed in a rebuild
      key.resize(
          std::min<std::size_t>(key.size(), schluessel[static_cast<std::size_t>(k - 1)].laenge));
      eintraege[static_cast<std::size_t>(k - 1)].push_back({std::move(key), ref});
    }
  };
  // The records come from the data file, or from the caller's source.
  Datenscan scan(v, satzgroesse, schluesselanzahl);
  if (int f = scan.ausfuehren(*dat_pfad, quelle ? Datenscan::Aufnehmen() : aufnehmen); f != isam_ok)
    return f;
  if (quelle) {
    if (int f = quelle(aufnehmen); f != isam_ok) return f;
  }

  std::uint64_t doppelt = 0;
  for (int k = 0; k < schluesselanzahl; ++k) {
    auto& e = eintraege[static_cast<std::size_t>(k)];
    std::sort(e.begin(), e.end());
    if (!schluessel[static_cast<std::size_t>(k)].duplikate)
      for (std::size_t i = 1; i < e.size(); ++i)
        if (e[i].key == e[i - 1].key) ++doppelt;
  }
  if (doppelte) *doppelte = doppelt;

  // The new index beside the old one, then the rename.
  const std::string neu_pfad = ix_ziel + ".NEU";
  if (int f = index_schreiben(fs, neu_pfad, satzgroesse, schluesselanzahl, schluessel, eintraege);
      f != isam_ok)
    return f;
  if (!fs.umbenennen(neu_pfad, ix_ziel) || !fs.verzeichnis_sync(v.pfad()))
    return fehler_ein_ausgabe;
  return v.generation_erhoehen();
}

}  // namespace fibu::isam
