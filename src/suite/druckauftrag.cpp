#include "suite/druckauftrag.h"

namespace fibu {

std::string Druckauftrag::als_text() const {
  std::string aus;
  for (std::size_t s = 0; s < seiten.size(); ++s) {
    if (s > 0) aus += "\f\n";
    for (const auto& z : seiten[s].zeilen) aus += z.text + "\n";
  }
  return aus;
}

std::vector<std::string> Druckauftrag::alle_zeilen() const {
  std::vector<std::string> aus;
  for (const auto& s : seiten)
    for (const auto& z : s.zeilen) aus.push_back(z.text);
  return aus;
}

Ergebnis textdatei_schreiben(Dateisystem& fs, const std::string& pfad,
                             const Druckauftrag& auftrag) {
  return fs.schreibe_datei_atomar(pfad, auftrag.als_text());
}

}  // namespace fibu
