#include "suite/druckauftrag.h"

#include <cctype>

namespace fibu {

std::string druck_dateiname(const std::string& name) {
  std::string aus;
  for (std::size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (std::isalnum(c) || c == '-') {
      aus.push_back(static_cast<char>(c));
    } else if (c == 0xC3 && i + 1 < name.size()) {
      switch (static_cast<unsigned char>(name[++i])) {
        case 0xA4:
          aus += "ae";
          break;
        case 0xB6:
          aus += "oe";
          break;
        case 0xBC:
          aus += "ue";
          break;
        case 0x84:
          aus += "Ae";
          break;
        case 0x96:
          aus += "Oe";
          break;
        case 0x9C:
          aus += "Ue";
          break;
        case 0x9F:
          aus += "ss";
          break;
        default:
          aus.push_back('_');
      }
    } else if (aus.empty() || aus.back() != '_') {
      aus.push_back('_');
    }
  }
  return aus.empty() ? "Druck" : aus;
}

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
