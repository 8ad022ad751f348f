// Named network reservations (`Netzwerk`): one workstation at a time holds a
// name such as "FIBU0052024". A reservation is an exclusive OS lock on the
// lock file <verzeichnis>/<name>.LCK; a second holder, in this or another
// process, is refused, and a holder that dies loses it with its process.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "suite/dateisystem.h"

namespace fibu {

class Netzwerk {
 public:
  // `aktiv` false: no network is configured and every reservation succeeds.
  Netzwerk(Dateisystem& fs, std::string verzeichnis, bool aktiv = true);
  ~Netzwerk();  // releases every reservation still held

  // True when the name is now reserved by this object (also when it held it
  // already); false when someone else holds it or the lock file cannot be made.
  [[nodiscard]] bool lock(const std::string& name);
  void unlock(const std::string& name);
  [[nodiscard]] bool haelt(const std::string& name) const { return gehalten_.count(name) > 0; }

 private:
  std::string lockdatei(const std::string& name) const;

  Dateisystem& fs_;
  std::string verzeichnis_;
  bool aktiv_;
  std::map<std::string, std::unique_ptr<Datei>> gehalten_;
};

}  // namespace fibu
