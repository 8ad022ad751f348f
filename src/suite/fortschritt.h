// The progress window of one step of a long run: shown every so many
// steps, so that a run over a million records does not spend its time
// drawing, and closed however the step ends.
#pragma once

#include <functional>
#include <string>

#include "suite/interaktion.h"

namespace fibu {

// The progress window shows every so many steps and looks for Esc as often.
inline constexpr long fortschritt_takt = 256;

class Fortschritt {
 public:
  explicit Fortschritt(Interaktion& ui) : ui_(ui) {}
  ~Fortschritt() { schliessen(); }
  Fortschritt(const Fortschritt&) = delete;
  Fortschritt& operator=(const Fortschritt&) = delete;

  void oeffnen(const std::string& text, long maximum) {
    schliessen();
    ui_.Balken_Oeffnen(text, maximum);
    offen_ = true;
    schritte_ = offen_seit_ = 0;
  }
  void text(const std::string& t) { ui_.Balken_Text(t); }
  // One step; `text` (when given) is shown for the first and every fortschritt_takt-th
  // step. False when the user pressed Esc.
  bool schritt(const std::function<std::string()>& text = {}) {
    const bool zeigen = schritte_++ % fortschritt_takt == 0;
    if (!zeigen) return true;
    if (text) ui_.Balken_Text(text());
    if (schritte_ > 1) ui_.Balken_Inc(schritte_ - 1 - offen_seit_);
    offen_seit_ = schritte_ - 1;
    return !ui_.EscPressed();
  }
  void schliessen() {
    if (!offen_) return;
    offen_ = false;
    ui_.Balken_Schliessen();
  }

 private:
  Interaktion& ui_;
  bool offen_ = false;
  long schritte_ = 0, offen_seit_ = 0;
};

}  // namespace fibu
