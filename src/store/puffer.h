// Keeps the working record of a file and gives it back on leaving: the
// engine, the checks and the dialogs read accounts and items without
// disturbing what a screen holds in those files.
#pragma once

#include <optional>
#include <utility>

#include "store/tdatenbank.h"

namespace fibu {

class Puffer {
 public:
  explicit Puffer(tdatenbank* db) : db_(db) {
    if (db_) {
      satz_ = db_->satz();
      ref_ = db_->aktuelle_ref();
    }
  }
  ~Puffer() {
    if (db_) {
      db_->satz() = std::move(*satz_);
      db_->setze_aktuelle_ref(ref_);
    }
  }
  Puffer(const Puffer&) = delete;
  Puffer& operator=(const Puffer&) = delete;

 private:
  tdatenbank* db_;
  std::optional<Satz> satz_;
  std::uint32_t ref_ = 0;
};

}  // namespace fibu
