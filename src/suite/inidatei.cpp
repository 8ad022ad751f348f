#include "suite/inidatei.h"

#include <cctype>
#include <cstdlib>

#include "suite/allgemei.h"
#include "suite/codepage.h"

namespace fibu {
namespace {

bool gleich(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

IniDatei::Abschnitt* IniDatei::finde(const std::string& name) {
  for (auto& a : abschnitte_)
    if (gleich(a.name, name)) return &a;
  return nullptr;
}

const IniDatei::Abschnitt* IniDatei::finde(const std::string& name) const {
  return const_cast<IniDatei*>(this)->finde(name);
}

Ergebnis IniDatei::aus_text(const std::string& text) {
  abschnitte_.clear();
  std::string abschnitt;
  std::size_t nr = 0;
  for (std::string zeile : textzeilen(text)) {
    ++nr;
    if (nr == 1 && zeile.rfind("\xEF\xBB\xBF", 0) == 0) zeile.erase(0, 3);  // UTF-8 byte order mark
    std::string t = trim(zeile);
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;
    if (t[0] == '[') {
      if (t.back() != ']')
        return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                                "INI-Datei fehlerhaft in Zeile " + std::to_string(nr));
      abschnitt = trim(t.substr(1, t.size() - 2));
      if (!finde(abschnitt)) abschnitte_.push_back({abschnitt, {}});
      continue;
    }
    std::size_t gleich = t.find('=');
    if (gleich == std::string::npos || gleich == 0)
      return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                              "INI-Datei fehlerhaft in Zeile " + std::to_string(nr));
    if (!setze(abschnitt, trim(t.substr(0, gleich)), trim(t.substr(gleich + 1))))
      return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                              "INI-Datei fehlerhaft in Zeile " + std::to_string(nr));
  }
  return Ergebnis::erfolg();
}

std::string IniDatei::als_text() const {
  // Keys outside any section must come first to be read back as such.
  std::vector<const Abschnitt*> reihe;
  for (const auto& a : abschnitte_)
    if (a.name.empty()) reihe.push_back(&a);
  for (const auto& a : abschnitte_)
    if (!a.name.empty()) reihe.push_back(&a);
  std::string aus;
  for (const Abschnitt* ap : reihe) {
    const Abschnitt& a = *ap;
    if (!aus.empty()) aus += "\r\n";
    if (!a.name.empty() || a.eintraege.empty()) aus += "[" + a.name + "]\r\n";
    for (const auto& [k, v] : a.eintraege) aus += k + "=" + v + "\r\n";
  }
  return aus;
}

Ergebnis IniDatei::laden(Dateisystem& fs, const std::string& pfad) {
  abschnitte_.clear();
  std::string bytes;
  if (Ergebnis e = fs.lies_datei(pfad, bytes); !e) return e;
  return aus_text(nach_utf8(bytes, Codepage::CP1252));
}

Ergebnis IniDatei::speichern(Dateisystem& fs, const std::string& pfad) const {
  return fs.schreibe_datei_atomar(pfad, von_utf8(als_text(), Codepage::CP1252));
}

std::optional<std::string> IniDatei::wert(const std::string& abschnitt,
                                          const std::string& schluessel) const {
  const Abschnitt* a = finde(abschnitt);
  if (!a) return std::nullopt;
  for (const auto& [k, v] : a->eintraege)
    if (gleich(k, schluessel)) return v;
  return std::nullopt;
}

std::string IniDatei::wert_oder(const std::string& abschnitt, const std::string& schluessel,
                                const std::string& vorgabe) const {
  return wert(abschnitt, schluessel).value_or(vorgabe);
}

std::optional<long> IniDatei::zahl(const std::string& abschnitt,
                                   const std::string& schluessel) const {
  auto w = wert(abschnitt, schluessel);
  if (!w || w->empty()) return std::nullopt;
  char* ende = nullptr;
  long z = std::strtol(w->c_str(), &ende, 10);
  if (*ende != '\0') return std::nullopt;
  return z;
}

bool IniDatei::setze(const std::string& abschnitt, const std::string& schluessel,
                     const std::string& wert) {
  auto steuerzeichen = [](const std::string& s) {
    for (unsigned char c : s)
      if (c < 0x20 || c == 0x7F) return true;
    return false;
  };
  auto schlechter_name = [&](const std::string& s, char verboten) {
    return s.empty() || steuerzeichen(s) || s.find(verboten) != std::string::npos || trim(s) != s;
  };
  if (steuerzeichen(wert) || schlechter_name(schluessel, '=') ||
      (!abschnitt.empty() && schlechter_name(abschnitt, ']')))
    return false;
  Abschnitt* a = finde(abschnitt);
  if (!a) {
    abschnitte_.push_back({abschnitt, {}});
    a = &abschnitte_.back();
  }
  for (auto& [k, v] : a->eintraege)
    if (gleich(k, schluessel)) {
      v = wert;
      return true;
    }
  a->eintraege.emplace_back(schluessel, wert);
  return true;
}

void IniDatei::entferne(const std::string& abschnitt, const std::string& schluessel) {
  Abschnitt* a = finde(abschnitt);
  if (!a) return;
  std::erase_if(a->eintraege, [&](const auto& e) { return gleich(e.first, schluessel); });
}

bool IniDatei::hat_abschnitt(const std::string& abschnitt) const {
  return finde(abschnitt) != nullptr;
}

}  // namespace fibu
