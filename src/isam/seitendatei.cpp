#include "isam/seitendatei.h"

#include <algorithm>
#include <cstring>

#include "isam/crc32c.h"
#include "isam/verzeichnis.h"

namespace fibu::isam {
namespace {

std::uint32_t lies_u32(const char* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void setze_pruefsumme(char* seite) {
  std::uint32_t c = crc32c(seite, pruefsummen_offset);
  std::memcpy(seite + pruefsummen_offset, &c, 4);
}

bool pruefsumme_stimmt(const char* seite) {
  return crc32c(seite, pruefsummen_offset) == lies_u32(seite + pruefsummen_offset);
}

}  // namespace

Seitendatei::Seitendatei(IsamVerzeichnis& verzeichnis, std::string name,
                         std::unique_ptr<Datei> datei, bool pruefsummen)
    : verz_(verzeichnis),
      name_(std::move(name)),
      datei_(std::move(datei)),
      pruefsummen_(pruefsummen) {
  bereit_ = datei_->groesse(groesse_platte_).ok();
  groesse_ = groesse_platte_;
  verz_.anmelden(this);
}

Seitendatei::~Seitendatei() {
  // Closed with writes of a running unit: the unit must not commit without them.
  if (geaendert_) verz_.einheit_vergiften();
  verz_.abmelden(this);
}

// No file of the program comes near this many pages (256 GiB).
constexpr std::uint32_t max_seiten = 1u << 26;

void Seitendatei::entfernen(std::uint32_t nr) {
  if (nr < seiten_.size() && seiten_[nr].daten) {
    seiten_[nr] = Eintrag{};
    --anzahl_;
  }
}

Ergebnis Seitendatei::laden(std::uint32_t nr, Eintrag*& aus) {
  if (nr < seiten_.size() && seiten_[nr].daten) {
    seiten_[nr].zugriff = ++uhr_;
    aus = &seiten_[nr];
    return Ergebnis::erfolg();
  }
  if (nr >= max_seiten)
    return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                            "Seite " + std::to_string(nr) + " jenseits jeder Datei: " + name_);
  Eintrag eintrag;
  Eintrag* e = &eintrag;
  e->daten.reset(new char[seitengroesse]);
  std::uint64_t pos = static_cast<std::uint64_t>(nr) * seitengroesse;
  std::size_t gelesen = 0;
  // What lies beyond the end the unit sees (after a truncation) reads as zeros.
  if (pos < std::min(groesse_platte_, groesse_)) {
    std::string puffer;
    if (Ergebnis r = datei_->lesen(pos, seitengroesse, puffer); !r) return r;
    gelesen = puffer.size();
    std::memcpy(e->daten.get(), puffer.data(), gelesen);
    if (pruefsummen_ && !pruefsumme_stimmt(e->daten.get()))
      return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                              "Prüfsumme falsch in " + name_ + ", Seite " + std::to_string(nr));
  }
  std::memset(e->daten.get() + gelesen, 0, seitengroesse - gelesen);
  e->zugriff = ++uhr_;
  if (nr >= seiten_.size()) seiten_.resize(std::max<std::size_t>(nr + 1, seiten_.size() * 2));
  seiten_[nr] = std::move(eintrag);
  aus = &seiten_[nr];
  ++anzahl_;
  return Ergebnis::erfolg();
}

Ergebnis Seitendatei::seite(std::uint32_t nr, const char*& aus) {
  Eintrag* e = nullptr;
  if (Ergebnis r = laden(nr, e); !r) return r;
  aus = e->daten.get();
  return Ergebnis::erfolg();
}

void Seitendatei::beteiligen() {
  if (geaendert_) return;
  geaendert_ = true;
  verz_.beteiligt(this);
}

Ergebnis Seitendatei::seite_schreiben(std::uint32_t nr, char*& aus) {
  if (!verz_.in_einheit())
    return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                            "Schreiben außerhalb einer Arbeitseinheit: " + name_);
  Eintrag* e = nullptr;
  if (Ergebnis r = laden(nr, e); !r) return r;
  if (!e->schmutzig) {
    e->schmutzig = true;
    schmutzige_.push_back(nr);
  }
  beteiligen();
  std::uint64_t ende = (static_cast<std::uint64_t>(nr) + 1) * seitengroesse;
  if (pruefsummen_ && groesse_ < ende) groesse_ = ende;  // index files grow by whole pages
  aus = e->daten.get();
  return Ergebnis::erfolg();
}

Ergebnis Seitendatei::lesen(std::uint64_t pos, std::size_t n, char* aus) {
  while (n > 0) {
    std::uint32_t nr = static_cast<std::uint32_t>(pos / seitengroesse);
    std::size_t in_seite = static_cast<std::size_t>(pos % seitengroesse);
    std::size_t stueck = std::min(n, seitengroesse - in_seite);
    const char* s = nullptr;
    if (Ergebnis r = seite(nr, s); !r) return r;
    std::memcpy(aus, s + in_seite, stueck);
    pos += stueck;
    aus += stueck;
    n -= stueck;
  }
  return Ergebnis::erfolg();
}

Ergebnis Seitendatei::durchlesen(std::uint64_t pos, std::size_t n, char* aus) {
  if (pruefsummen_) return lesen(pos, n, aus);
  auto im_cache = [this](std::uint64_t nr) { return nr < seiten_.size() && seiten_[nr].daten; };
  // What lies beyond the end the unit sees (after a truncation) reads as zeros.
  const std::uint64_t platte = std::min(groesse_platte_, groesse_);
  const std::uint64_t ende = pos + n;
  std::string puffer;
  while (pos < ende) {
    std::uint64_t nr = pos / seitengroesse;
    if (im_cache(nr)) {
      // A cached page may hold this unit's changes.
      const std::size_t in_seite = static_cast<std::size_t>(pos % seitengroesse);
      const std::size_t stueck = static_cast<std::size_t>(
          std::min<std::uint64_t>(ende - pos, seitengroesse - in_seite));
      std::memcpy(aus, seiten_[nr].daten.get() + in_seite, stueck);
      pos += stueck;
      aus += stueck;
      continue;
    }
    // The pages up to the next cached one in one read.
    while ((nr + 1) * seitengroesse < ende && !im_cache(nr + 1)) ++nr;
    const std::uint64_t bis = std::min(ende, (nr + 1) * seitengroesse);
    const std::size_t stueck = static_cast<std::size_t>(bis - pos);
    std::size_t gelesen = 0;
    if (pos < platte) {
      const std::size_t von_platte =
          static_cast<std::size_t>(std::min<std::uint64_t>(stueck, platte - pos));
      if (Ergebnis r = datei_->lesen(pos, von_platte, puffer); !r) return r;
      gelesen = std::min(puffer.size(), von_platte);
      std::memcpy(aus, puffer.data(), gelesen);
    }
    std::memset(aus + gelesen, 0, stueck - gelesen);
    pos += stueck;
    aus += stueck;
  }
  return Ergebnis::erfolg();
}

Ergebnis Seitendatei::schreiben(std::uint64_t pos, const char* daten, std::size_t n) {
  std::uint64_t ende = pos + n;
  while (n > 0) {
    std::uint32_t nr = static_cast<std::uint32_t>(pos / seitengroesse);
    std::size_t in_seite = static_cast<std::size_t>(pos % seitengroesse);
    std::size_t stueck = std::min(n, seitengroesse - in_seite);
    // Bytes that are already there leave the page clean: rewriting a whole
    // record for a few changed fields then commits only the pages that changed.
    const char* alt = nullptr;
    bool gleich = verz_.in_einheit() && pos + stueck <= groesse_ && seite(nr, alt).ok() &&
                  std::memcmp(alt + in_seite, daten, stueck) == 0;
    if (!gleich) {
      char* s = nullptr;
      if (Ergebnis r = seite_schreiben(nr, s); !r) return r;
      std::memcpy(s + in_seite, daten, stueck);
    }
    pos += stueck;
    daten += stueck;
    n -= stueck;
  }
  if (ende > groesse_) groesse_ = ende;
  return Ergebnis::erfolg();
}

Ergebnis Seitendatei::groesse_setzen(std::uint64_t groesse) {
  if (!verz_.in_einheit())
    return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                            "Schreiben außerhalb einer Arbeitseinheit: " + name_);
  // The tail of the last page beyond the new end must read as zeros.
  if (groesse < groesse_ && groesse % seitengroesse != 0) {
    char* s = nullptr;
    if (Ergebnis r = seite_schreiben(static_cast<std::uint32_t>(groesse / seitengroesse), s); !r)
      return r;
    std::size_t ab = static_cast<std::size_t>(groesse % seitengroesse);
    std::memset(s + ab, 0, seitengroesse - ab);
  }
  // Pages wholly beyond the new end are no longer part of the file.
  for (std::uint64_t nr = (groesse + seitengroesse - 1) / seitengroesse; nr < seiten_.size(); ++nr)
    entfernen(static_cast<std::uint32_t>(nr));
  groesse_ = groesse;
  beteiligen();
  return Ergebnis::erfolg();
}

Ergebnis Seitendatei::alle_pruefen() {
  std::uint64_t seiten = (groesse_platte_ + seitengroesse - 1) / seitengroesse;
  constexpr std::size_t stueck = 256 * seitengroesse;
  std::string puffer;
  for (std::uint64_t pos = 0; pos < seiten * seitengroesse; pos += stueck) {
    if (Ergebnis r = datei_->lesen(pos, stueck, puffer); !r) return r;
    puffer.resize(((puffer.size() + seitengroesse - 1) / seitengroesse) * seitengroesse, '\0');
    for (std::size_t off = 0; off < puffer.size(); off += seitengroesse) {
      std::uint32_t nr = static_cast<std::uint32_t>((pos + off) / seitengroesse);
      const char* s = puffer.data() + off;
      if (pruefsummen_ && !pruefsumme_stimmt(s))
        return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                                "Prüfsumme falsch in " + name_ + ", Seite " + std::to_string(nr));
      if (anzahl_ < verz_.cache_seiten && !(nr < seiten_.size() && seiten_[nr].daten)) {
        if (nr >= seiten_.size()) seiten_.resize(std::max<std::size_t>(nr + 1, seiten_.size() * 2));
        Eintrag& e = seiten_[nr];
        e.daten.reset(new char[seitengroesse]);
        std::memcpy(e.daten.get(), s, seitengroesse);
        e.zugriff = ++uhr_;
        ++anzahl_;
      }
    }
  }
  return Ergebnis::erfolg();
}

Ergebnis Seitendatei::verwerfen() {
  for (std::size_t nr = 0; nr < seiten_.size(); ++nr)
    if (seiten_[nr].daten && !seiten_[nr].schmutzig) entfernen(static_cast<std::uint32_t>(nr));
  if (Ergebnis r = datei_->groesse(groesse_platte_); !r) return r;
  if (!geaendert_) groesse_ = groesse_platte_;
  return Ergebnis::erfolg();
}

void Seitendatei::aufraeumen() {
  const std::size_t kapazitaet = std::max<std::size_t>(verz_.cache_seiten, 16);
  if (anzahl_ <= std::max(kapazitaet, schwelle_)) return;
  // Drop the least recently used clean pages down to 90 % of the capacity.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> saubere;
  saubere.reserve(anzahl_);
  for (std::size_t nr = 0; nr < seiten_.size(); ++nr)
    if (seiten_[nr].daten && !seiten_[nr].schmutzig)
      saubere.emplace_back(seiten_[nr].zugriff, static_cast<std::uint32_t>(nr));
  std::size_t ziel = kapazitaet - kapazitaet / 10;
  std::size_t weg = std::min(saubere.size(), anzahl_ - std::min(anzahl_, ziel));
  std::nth_element(saubere.begin(), saubere.begin() + static_cast<std::ptrdiff_t>(weg),
                   saubere.end());
  for (std::size_t i = 0; i < weg; ++i) entfernen(saubere[i].second);
  schwelle_ = anzahl_ + kapazitaet / 10;
}

std::vector<std::pair<std::uint32_t, const char*>> Seitendatei::geaenderte_seiten() {
  std::vector<std::pair<std::uint32_t, const char*>> aus;
  for (std::uint32_t nr : schmutzige_) {
    if (nr >= seiten_.size() || !seiten_[nr].daten || !seiten_[nr].schmutzig)
      continue;  // cut off meanwhile
    if (pruefsummen_) setze_pruefsumme(seiten_[nr].daten.get());
    aus.emplace_back(nr, seiten_[nr].daten.get());
  }
  std::sort(aus.begin(), aus.end());
  aus.erase(std::unique(aus.begin(), aus.end()), aus.end());
  return aus;
}

void Seitendatei::einheit_beendet(bool bestaetigt) {
  schwelle_ = 0;
  for (std::uint32_t nr : schmutzige_) {
    if (nr >= seiten_.size() || !seiten_[nr].daten || !seiten_[nr].schmutzig) continue;
    if (bestaetigt)
      seiten_[nr].schmutzig = false;
    else
      entfernen(nr);
  }
  schmutzige_.clear();
  if (bestaetigt) {
    groesse_platte_ = groesse_;
  } else {
    // A truncation dropped clean pages too; they are read again as needed.
    groesse_ = groesse_platte_;
  }
  geaendert_ = false;
}

}  // namespace fibu::isam
