#include "masters/pruefmeldung.h"

namespace fibu {

void Pruefmeldung::melde(const std::string& text) {
  fehler_ = true;
  if (ui_)
    ui_->ShowMessageMain(text);
  else if (zeile_) {
    // A message of several lines ("\r") gives several protocol lines.
    std::size_t anfang = 0;
    for (bool erste = true;; erste = false) {
      const std::size_t ende = text.find('\r', anfang);
      zeile_((erste ? praefix_ : std::string(praefix_.size(), ' ')) +
             text.substr(anfang, ende == std::string::npos ? std::string::npos : ende - anfang));
      if (ende == std::string::npos) break;
      anfang = ende + 1;
    }
  }
}

}  // namespace fibu
