// Rebuilding the index of a file block from its data: every record's keys
// are collected, sorted and written bottom-up into a new index file, which
// then replaces the old one by rename.
#include <algorithm>
#include <cstring>

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

int RebuildFileBlock(IsamVerzeichnis& v, const std::string& name_roh, std::uint32_t satzgroesse,
                     int schluesselanzahl, const Schluesseltabelle& schluessel,
                     const Schluesselfunktion& schluessel_von,
                     const std::function<void()>& fortschritt, const Satzquelle& quelle,
                     std::uint64_t* doppelte) {
  if (name_roh.empty() || satzgroesse == 0 || satzgroesse > 65535 || schluesselanzahl < 1 ||
      schluesselanzahl > max_schluessel || static_cast<int>(schluessel.size()) < schluesselanzahl)
    return fehler_parameter;
  for (int k = 0; k < schluesselanzahl; ++k)
    if (schluessel[static_cast<std::size_t>(k)].laenge < 1 ||
        schluessel[static_cast<std::size_t>(k)].laenge > max_schluessellaenge)
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

  // Scan the data file; repair its header and free chain on the way.
  {
    std::unique_ptr<Datei> d;
    if (!fs.oeffnen(*dat_pfad, Oeffnen::LesenSchreiben, d)) return fehler_ein_ausgabe;
    std::uint64_t groesse = 0;
    if (!d->groesse(groesse)) return fehler_ein_ausgabe;
    Seitendatei daten(v, name_von(*dat_pfad), std::move(d), false);
    Dateisperre sperre(v, daten.datei());
    Einheit einheit(v);
    int f = einheit.fehler();
    if (f == isam_ok) f = sperre.fuer_einheit();

    // A data file that names another record size is not read with this one.
    if (f == isam_ok && groesse >= 64) {
      char kopf[64];
      if (!daten.lesen(0, sizeof kopf, kopf)) f = fehler_ein_ausgabe;
      std::uint32_t gespeichert, crc;
      std::memcpy(&gespeichert, kopf + 8, 4);
      std::memcpy(&crc, kopf + 60, 4);
      if (f == isam_ok && std::memcmp(kopf, "FIBUDA01", 8) == 0 && crc == crc32c(kopf, 60) &&
          gespeichert != satzgroesse)
        f = fehler_parameter;
    }

    const std::uint64_t slot = Datendatei::slotgroesse(satzgroesse);
    std::uint32_t slots =
        groesse < seitengroesse ? 0 : static_cast<std::uint32_t>((groesse - seitengroesse) / slot);
    std::uint32_t benutzt = 0, frei = 0;
    std::vector<std::uint32_t> freie;
    std::string puffer;
    constexpr std::uint32_t stapel = 4096;
    for (std::uint32_t erster = 1; f == isam_ok && erster <= slots; erster += stapel) {
      std::uint32_t n = std::min(stapel, slots - erster + 1);
      puffer.resize(static_cast<std::size_t>(n * slot));
      if (!daten.lesen(Datendatei::position(erster, satzgroesse), puffer.size(), puffer.data())) {
        f = fehler_ein_ausgabe;
        break;
      }
      for (std::uint32_t i = 0; i < n; ++i) {
        const char* s = puffer.data() + i * slot;
        if (s[0] == 1) {
          ++benutzt;
          if (!quelle) aufnehmen(erster + i, s + 1);
        } else {
          freie.push_back(erster + i);
        }
      }
      // The scan reads each page once; keep the cache from growing.
      daten.aufraeumen();
    }
    // Free chain linked from the highest slot down, so the lowest is reused first.
    for (auto it = freie.rbegin(); f == isam_ok && it != freie.rend(); ++it) {
      std::string s(static_cast<std::size_t>(slot), '\0');
      put(s.data(), 1, frei);
      char alt[5];
      if (!daten.lesen(Datendatei::position(*it, satzgroesse), 5, alt))
        f = fehler_ein_ausgabe;
      else if (std::memcmp(alt, s.data(), 5) != 0 &&
               !daten.schreiben(Datendatei::position(*it, satzgroesse), s.data(), s.size()))
        f = fehler_ein_ausgabe;
      frei = *it;
    }
    if (f == isam_ok) {
      std::string kopf =
          Datendatei::kopf_bytes(satzgroesse, schluesselanzahl, slots, benutzt, frei);
      char alt[64];
      if (!daten.lesen(0, sizeof alt, alt))
        f = fehler_ein_ausgabe;
      else if (std::memcmp(alt, kopf.data(), kopf.size()) != 0 &&
               !daten.schreiben(0, kopf.data(), kopf.size()))
        f = fehler_ein_ausgabe;
      // The file ends after its last slot.
      std::uint64_t ende = Datendatei::position(slots + 1, satzgroesse);
      if (f == isam_ok && daten.groesse() != ende && !daten.groesse_setzen(ende))
        f = fehler_ein_ausgabe;
    }
    f = einheit.ende(f);
    if (f != isam_ok) return f;
  }
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
  std::string neu_pfad = ix_ziel + ".NEU";
  {
    std::unique_ptr<Datei> d;
    if (!fs.oeffnen(neu_pfad, Oeffnen::Neu, d)) return fehler_ein_ausgabe;
    Schluesseltabelle tabelle(schluessel.begin(), schluessel.begin() + schluesselanzahl);
    std::string kopf = Indexbaum::neue_datei(satzgroesse, tabelle)[0];
    Indexschreiber w(*d);
    for (int k = 1; k <= schluesselanzahl; ++k) {
      std::uint32_t wurzel;
      std::uint8_t hoehe;
      const auto& e = eintraege[static_cast<std::size_t>(k - 1)];
      if (int f =
              baum_schreiben(w, k, schluessel[static_cast<std::size_t>(k - 1)], e, wurzel, hoehe);
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
  }
  if (!fs.umbenennen(neu_pfad, ix_ziel) || !fs.verzeichnis_sync(v.pfad()))
    return fehler_ein_ausgabe;
  return v.generation_erhoehen();
}

}  // namespace fibu::isam
