// The lock of one file block: explicit locks of the caller (LockFileBlock,
// ReadLockFileBlock), the exclusive lock a unit of work holds from its first
// write in the file until it ends, and the shared lock an operation takes
// for its own duration when nothing else is held. The OS lock follows the
// strongest of them.
#pragma once

#include "suite/dateisystem.h"

namespace fibu::isam {

class IsamVerzeichnis;

class Dateisperre {
 public:
  enum class Stufe { Keine = 0, Geteilt = 1, Exklusiv = 2 };

  Dateisperre(IsamVerzeichnis& v, Datei& datei) : v_(v), datei_(datei) {}
  ~Dateisperre();

  [[nodiscard]] int explizit(Stufe s);
  Stufe explizite_stufe() const { return explizit_; }
  // Exclusive until the running unit of work ends.
  [[nodiscard]] int fuer_einheit();
  void einheit_ende();
  // Shared for one operation (nests).
  [[nodiscard]] int operation_beginnen();
  void operation_beenden();

  Stufe stufe() const { return os_; }

 private:
  [[nodiscard]] int anpassen();

  IsamVerzeichnis& v_;
  Datei& datei_;
  Stufe explizit_ = Stufe::Keine;
  bool einheit_ = false;
  int operationen_ = 0;
  Stufe os_ = Stufe::Keine;
};

// A shared lock for the duration of one read operation.
class Lesesperre {
 public:
  explicit Lesesperre(Dateisperre& s) : s_(s), fehler_(s.operation_beginnen()) {}
  ~Lesesperre() {
    if (fehler_ == 0) s_.operation_beenden();
  }
  [[nodiscard]] int fehler() const { return fehler_; }

 private:
  Dateisperre& s_;
  int fehler_;
};

}  // namespace fibu::isam
