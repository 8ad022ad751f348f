#include "masters/pruefmeldung.h"

namespace fibu {

void Pruefmeldung::melde(const std::string& text) {
  fehler_ = true;
  if (ui_)
    ui_->ShowMessageMain(text);
  else if (zeile_)
    zeile_(praefix_ + text);
}

}  // namespace fibu
