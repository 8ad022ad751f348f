// Grid screens (`Rasterformular`): a screen whose body is a grid of rows
// and columns with one cursor cell, such as the posting entry screen. Like
// an entry form it is a model free of widgets: the interaction shows it
// (a table widget, the batch answers, a test script) and plays the user
// against it: text typed into the cursor cell, the cell left forward or
// back, the cursor moved, keys pressed.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "suite/entryform.h"

namespace fibu {

class Rasterformular {
 public:
  virtual ~Rasterformular() = default;

  virtual std::string titel() const = 0;
  virtual std::vector<std::string> spalten() const = 0;
  // Whether a column's values are right-aligned (amounts, numbers).
  virtual bool rechtsbuendig(int spalte) const = 0;
  // Whether the user can type into a column at all.
  virtual bool nur_anzeige(int spalte) const = 0;
  // Rows are numbered from 1.
  virtual std::int64_t zeilen() const = 0;
  virtual std::string zelle(std::int64_t zeile, int spalte) = 0;
  virtual std::int64_t zeile() const = 0;
  virtual int spalte() const = 0;

  // Text typed into the cursor cell; false (with a message) when refused.
  virtual bool eingabe(const std::string& text) = 0;
  // The cursor cell left forward (Tab, Enter) or back (Shift+Tab); false
  // when the cursor stays.
  virtual bool weiter() = 0;
  virtual bool zurueck() = 0;
  // The cursor put elsewhere (arrow keys, mouse); false when it stays.
  virtual bool gehe_zu(std::int64_t zeile, int spalte) = 0;
  // A key or button: Reaktion::Speichern / Abbrechen close the screen.
  virtual Reaktion taste(Taste t) = 0;
  // The window is closed: true when it may close.
  virtual bool schliessen() = 0;

  // The line below the grid and the fields of the panel (caption, value).
  virtual std::string statuszeile() const = 0;
  virtual std::vector<std::pair<std::string, std::string>> panelfelder() = 0;
  // Buttons with their keys.
  virtual std::vector<std::pair<Taste, std::string>> tasten() const = 0;
  // Context menu of the grid: captions, and running entry i.
  virtual std::vector<std::string> kontextmenue() const = 0;
  virtual bool kontext_verfuegbar(std::size_t i) const = 0;
  virtual void kontext(std::size_t i) = 0;
};

// Types `werte` into the cells the cursor visits from column `ab_spalte` of
// the cursor row on, leaving each forward, until the cursor leaves the
// row (the row was written). "~" leaves the cell as the screen has it (a
// proposal); any other value, also an empty one, is typed. A refusal ends
// with the screen's message shown.
enum class Zeilentippen {
  Geschrieben,   // the row was written with the values
  Abgelehnt,     // a cell refused its value: nothing written
  Unvollstaendig,  // the values ended before the row was finished
  Uebrig,        // the row was written before the last values
};
Zeilentippen raster_zeile_tippen(Rasterformular& r, const std::vector<std::string>& werte,
                                 int ab_spalte);

}  // namespace fibu
