// The one interface through which domain code talks to the user: messages,
// questions, progress, printing, entry forms and pick lists. Domain code
// never shows anything itself. Implementations: the Qt views (src/gui), the
// scripted one for tests (TestInteraktion) and the batch one (BatchInteraktion).
//
// Message texts are German; "\r" in a text breaks it into lines.
#pragma once

#include <optional>
#include <string>

#include "suite/druckauftrag.h"

namespace fibu {

class Rasterformular;

class TEntryForm;
class Tmybrowser;
struct Browsereintrag;

enum class Antwort { Ja, Nein, Hilfe };

class Interaktion {
 public:
  virtual ~Interaktion() = default;

  // Modal message over the main window / over the dialog in front.
  virtual void ShowMessageMain(const std::string& text) = 0;
  virtual void ShowMessageParent(const std::string& text) { ShowMessageMain(text); }
  // Yes/no question; true for yes.
  virtual bool JaNein2(const std::string& frage) = 0;
  // Yes/no question with a third answer "Hilfe" where one is documented.
  virtual Antwort JaNeinHilfe(const std::string& frage) = 0;

  // Progress window for long loops, which stop early when EscPressed().
  virtual void Balken_Oeffnen(const std::string& text, long maximum) = 0;
  virtual void Balken_Max(long maximum) = 0;
  virtual void Balken_Text(const std::string& text) = 0;
  virtual void Balken_Inc(long schritte = 1) = 0;
  virtual void Balken_Schliessen() = 0;
  virtual bool EscPressed() = 0;

  // Printing: choosing the target may be refused (the user cancelled, the
  // report ends); a finished job goes to the chosen target.
  virtual bool drucker_waehlen(Druckauftrag& auftrag) = 0;
  virtual void drucken(const Druckauftrag& auftrag) = 0;

  // Runs an entry form modally (TEntryForm::Execute); true when it was
  // closed by saving, false when cancelled.
  virtual bool formular(TEntryForm& form) = 0;
  // A pick list; nullopt when nothing was chosen.
  virtual std::optional<Browsereintrag> auswahl(Tmybrowser& liste) = 0;
  // Runs a grid screen modally until it closes.
  virtual void raster(Rasterformular& raster) = 0;
};

}  // namespace fibu
