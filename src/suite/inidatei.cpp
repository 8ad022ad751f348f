#include "suite/inidatei.h"

#include <ini.h>

#include <cctype>
#include <cstdlib>

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
  auto handler = [](void* user, const char* section, const char* name, const char* value) -> int {
    auto* self = static_cast<IniDatei*>(user);
    if (name ==
        nullptr) {  // a section without keys (inih reports it with INI_CALL_HANDLER_ON_NEW_SECTION)
      if (!self->finde(section)) self->abschnitte_.push_back({section, {}});
      return 1;
    }
    self->setze(section, name, value);
    return 1;
  };
  int zeile = ini_parse_string(text.c_str(), handler, this);
  if (zeile > 0)
    return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                            "INI-Datei fehlerhaft in Zeile " + std::to_string(zeile));
  if (zeile < 0) return Ergebnis::fehler(Ergebnis::Code::EA_Fehler, "INI-Datei nicht lesbar");
  return Ergebnis::erfolg();
}

std::string IniDatei::als_text() const {
  std::string aus;
  for (const auto& a : abschnitte_) {
    if (!aus.empty()) aus += "\n";
    aus += "[" + a.name + "]\n";
    for (const auto& [k, v] : a.eintraege) aus += k + "=" + v + "\n";
  }
  return aus;
}

Ergebnis IniDatei::laden(Dateisystem& fs, const std::string& pfad) {
  abschnitte_.clear();
  std::string text;
  if (Ergebnis e = fs.lies_datei(pfad, text); !e) return e;
  return aus_text(text);
}

Ergebnis IniDatei::speichern(Dateisystem& fs, const std::string& pfad) const {
  return fs.schreibe_datei_atomar(pfad, als_text());
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

void IniDatei::setze(const std::string& abschnitt, const std::string& schluessel,
                     const std::string& wert) {
  Abschnitt* a = finde(abschnitt);
  if (!a) {
    abschnitte_.push_back({abschnitt, {}});
    a = &abschnitte_.back();
  }
  for (auto& [k, v] : a->eintraege)
    if (gleich(k, schluessel)) {
      v = wert;
      return;
    }
  a->eintraege.emplace_back(schluessel, wert);
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
