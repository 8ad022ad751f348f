// Keeps the working record of a file and gives it back on leaving: the
// engine, the checks and the dialogs read accounts and items without
// disturbing what a screen holds in those files.
#pragma once

#include <utility>

#include "store/tdatenbank.h"

namespace fibu {

class Puffer {
 public:
  explicit Puffer(tdatenbank* db)
      : db_(db), satz_(db ? db->satz() : Satz(0)), ref_(db ? db->aktuelle_ref() : 0) {}
  ~Puffer() {
    if (db_) {
      db_->satz() = std::move(satz_);
      db_->setze_aktuelle_ref(ref_);
    }
  }
  Puffer(const Puffer&) = delete;
  Puffer& operator=(const Puffer&) = delete;

 private:
  tdatenbank* db_;
  Satz satz_;
  std::uint32_t ref_;
};

}  // namespace fibu
