// The helpers every implementation shares.
#include "suite/dateisystem.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>

namespace fibu {

std::string pfad_verbinden(std::string_view verzeichnis, std::string_view name) {
  if (verzeichnis.empty()) return std::string(name);
  std::string p(verzeichnis);
  if (p.back() != '/') p.push_back('/');
  while (!name.empty() && name.front() == '/') name.remove_prefix(1);
  return p + std::string(name);
}

std::string verzeichnis_von(std::string_view pfad) {
  while (pfad.size() > 1 && pfad.back() == '/') pfad.remove_suffix(1);
  std::size_t s = pfad.rfind('/');
  if (s == std::string_view::npos) return ".";
  if (s == 0) return "/";
  return std::string(pfad.substr(0, s));
}

std::string name_von(std::string_view pfad) {
  while (pfad.size() > 1 && pfad.back() == '/') pfad.remove_suffix(1);
  std::size_t s = pfad.rfind('/');
  return std::string(s == std::string_view::npos ? pfad : pfad.substr(s + 1));
}

Ergebnis Datei::schreiben_mehrere(std::uint64_t pos, const std::vector<std::string_view>& stuecke) {
  for (std::string_view s : stuecke) {
    if (Ergebnis e = schreiben(pos, s); !e) return e;
    pos += s.size();
  }
  return Ergebnis::erfolg();
}

Ergebnis Dateisystem::lies_datei(const std::string& pfad, std::string& aus) {
  std::unique_ptr<Datei> d;
  Ergebnis e = oeffnen(pfad, Oeffnen::Lesen, d);
  if (!e) return e;
  std::uint64_t n = 0;
  if (e = d->groesse(n); !e) return e;
  aus.clear();
  return d->lesen(0, static_cast<std::size_t>(n), aus);
}

std::string temporaerer_name(const std::string& pfad) {
  static std::atomic<unsigned> zaehler{0};
  return pfad + ".TMP" + std::to_string(::getpid()) + "-" + std::to_string(++zaehler);
}

Ergebnis Dateisystem::schreibe_datei_atomar(const std::string& pfad, std::string_view inhalt) {
  std::string tmp = temporaerer_name(pfad);
  Ergebnis e;
  {
    std::unique_ptr<Datei> d;
    e = oeffnen(tmp, Oeffnen::Neu, d);
    if (!e) return e;
    if (e = d->schreiben(0, inhalt); e) e = d->sync();
  }
  if (e) e = umbenennen(tmp, pfad);
  if (!e) {
    (void)loeschen(tmp);  // a leftover temporary file is harmless; the error is what counts
    return e;
  }
  return verzeichnis_sync(verzeichnis_von(pfad));
}

Ergebnis Dateisystem::kopiere_datei(const std::string& von, const std::string& nach) {
  constexpr std::size_t stueck = 1 << 20;
  std::unique_ptr<Datei> quelle, ziel;
  Ergebnis e = oeffnen(von, Oeffnen::Lesen, quelle);
  if (!e) return e;
  std::string tmp = temporaerer_name(nach);
  if (e = oeffnen(tmp, Oeffnen::Neu, ziel); !e) return e;
  std::string puffer;
  for (std::uint64_t pos = 0; e;) {
    if (e = quelle->lesen(pos, stueck, puffer); !e || puffer.empty()) break;
    if (e = ziel->schreiben(pos, puffer); !e) break;
    pos += puffer.size();
  }
  if (e) e = ziel->sync();
  ziel.reset();
  if (e) e = umbenennen(tmp, nach);
  if (!e) {
    (void)loeschen(tmp);  // as above
    return e;
  }
  return verzeichnis_sync(verzeichnis_von(nach));
}

std::optional<std::string> Dateisystem::finde_datei(const std::string& verzeichnis,
                                                    std::string_view name) {
  std::string direkt = pfad_verbinden(verzeichnis, name);
  if (existiert(direkt)) return direkt;
  std::vector<std::string> namen;
  if (!liste(verzeichnis, namen)) return std::nullopt;
  auto gleich = [](std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::toupper(static_cast<unsigned char>(x)) ==
             std::toupper(static_cast<unsigned char>(y));
    });
  };
  for (const auto& n : namen)
    if (gleich(n, name)) return pfad_verbinden(verzeichnis, n);
  return std::nullopt;
}

}  // namespace fibu
