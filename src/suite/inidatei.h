// INI files (suite configuration, window positions) as Windows reads and
// writes them: "[section]" lines and "key=value" lines, names matched
// without regard to case, blanks around names and values ignored, comment
// lines beginning with ';' or '#', no inline comments (a ';' in a value is
// part of it), no continuation lines, any line length. Files are in the
// Windows code page (CP1252); the order of sections and keys is kept on
// writing, which replaces the file atomically.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "suite/dateisystem.h"

namespace fibu {

class IniDatei {
 public:
  IniDatei() = default;

  // Reads the (UTF-8) text of an INI file. A malformed line makes the result
  // Code::Ungueltig naming the line; the lines before it are kept.
  [[nodiscard]] Ergebnis aus_text(const std::string& text);
  std::string als_text() const;

  // A missing file gives an empty IniDatei and Code::NichtGefunden.
  [[nodiscard]] Ergebnis laden(Dateisystem& fs, const std::string& pfad);
  [[nodiscard]] Ergebnis speichern(Dateisystem& fs, const std::string& pfad) const;

  std::optional<std::string> wert(const std::string& abschnitt,
                                  const std::string& schluessel) const;
  std::string wert_oder(const std::string& abschnitt, const std::string& schluessel,
                        const std::string& vorgabe) const;
  std::optional<long> zahl(const std::string& abschnitt, const std::string& schluessel) const;
  // False (and nothing stored) for names or values with line breaks or other
  // control characters, for names with '=', ']' or blanks at the ends.
  [[nodiscard]] bool setze(const std::string& abschnitt, const std::string& schluessel, const std::string& wert);
  void entferne(const std::string& abschnitt, const std::string& schluessel);
  [[nodiscard]] bool hat_abschnitt(const std::string& abschnitt) const;

 private:
  struct Abschnitt {
    std::string name;
    std::vector<std::pair<std::string, std::string>> eintraege;
  };
  Abschnitt* finde(const std::string& name);
  const Abschnitt* finde(const std::string& name) const;

  std::vector<Abschnitt> abschnitte_;
};

}  // namespace fibu
