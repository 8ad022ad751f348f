// The print-job model: pages of lines, each line in a font mode, plus text
// placed at a position (for forms). Reports build a job through Ausgabe3;
// the interaction interface hands the finished job to a target (preview,
// printer, PDF, text file).
#pragma once

#include <string>
#include <vector>

#include "suite/dateisystem.h"

namespace fibu {

enum class Schrift { Normal, Schmal, Klein, Fett };

// Where a job goes. A form for an authority needs paper: a printer or a
// PDF file.
enum class Druckziel { Vorschau, Drucker, Pdf, Textdatei };

struct Druckzeile {
  std::string text;  // UTF-8
  Schrift schrift = Schrift::Normal;
  bool operator==(const Druckzeile&) const = default;
};

// Text at a position on the page, in millimetres from the top left corner.
struct Positionstext {
  double x_mm = 0;
  double y_mm = 0;
  std::string text;
  Schrift schrift = Schrift::Normal;
};

struct Druckseite {
  std::vector<Druckzeile> zeilen;
  std::vector<Positionstext> texte;
};

struct Druckauftrag {
  std::string name;     // document name, e.g. "Sachkontenplan"
  std::string hinweis;  // notice shown when the target is chosen, may be empty
  int zeilen_pro_seite = 66;
  Druckziel ziel = Druckziel::Drucker;  // set when the target is chosen
  // Characters per line the report is laid out for (79, 132, ...), so a
  // renderer can choose the font size; 0: take the longest line.
  int breite = 0;
  std::vector<Druckseite> seiten;

  // All lines, pages separated by a form feed line ("\f"), each line ending
  // with "\n": the form of the text-file target.
  std::string als_text() const;
  // All lines of all pages, for tests.
  std::vector<std::string> alle_zeilen() const;
};

// A file name for a job's output from its document name: letters, digits
// and '-' kept, German letters spelled out, everything else '_'.
std::string druck_dateiname(const std::string& name);

// The text-file target: the job's text (als_text) as a UTF-8 file, written
// atomically.
Ergebnis textdatei_schreiben(Dateisystem& fs, const std::string& pfad, const Druckauftrag& auftrag);

}  // namespace fibu
