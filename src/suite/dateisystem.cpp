// The helpers every implementation shares.
#include "suite/dateisystem.h"

#include <algorithm>
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

Ergebnis Dateisystem::lies_datei(const std::string& pfad, std::string& aus) {
  std::unique_ptr<Datei> d;
  Ergebnis e = oeffnen(pfad, Oeffnen::Lesen, d);
  if (!e) return e;
  std::uint64_t n = 0;
  if (e = d->groesse(n); !e) return e;
  aus.clear();
  return d->lesen(0, static_cast<std::size_t>(n), aus);
}

Ergebnis Dateisystem::schreibe_datei_atomar(const std::string& pfad, std::string_view inhalt) {
  std::string tmp = pfad + ".NEU";
  {
    std::unique_ptr<Datei> d;
    Ergebnis e = oeffnen(tmp, Oeffnen::Neu, d);
    if (!e) return e;
    if (e = d->schreiben(0, inhalt); !e) return e;
    if (e = d->sync(); !e) return e;
  }
  Ergebnis e = umbenennen(tmp, pfad);
  if (!e) return e;
  return verzeichnis_sync(verzeichnis_von(pfad));
}

Ergebnis Dateisystem::kopiere_datei(const std::string& von, const std::string& nach) {
  std::string inhalt;
  Ergebnis e = lies_datei(von, inhalt);
  if (!e) return e;
  std::unique_ptr<Datei> d;
  if (e = oeffnen(nach, Oeffnen::Neu, d); !e) return e;
  if (e = d->schreiben(0, inhalt); !e) return e;
  return d->sync();
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
