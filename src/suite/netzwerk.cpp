#include "suite/netzwerk.h"

#include "suite/allgemei.h"

namespace fibu {

Netzwerk::Netzwerk(Dateisystem& fs, std::string verzeichnis, bool aktiv)
    : fs_(fs), verzeichnis_(std::move(verzeichnis)), aktiv_(aktiv) {}

Netzwerk::~Netzwerk() {
  while (!gehalten_.empty()) unlock(gehalten_.begin()->first);
}

std::string Netzwerk::lockdatei(const std::string& name) const {
  return pfad_verbinden(verzeichnis_, gross(name) + ".LCK");
}

bool Netzwerk::lock(const std::string& name) {
  if (!aktiv_) return true;
  if (haelt(name)) return true;
  std::unique_ptr<Datei> d;
  if (!fs_.oeffnen(lockdatei(name), Oeffnen::Anlegen, d)) return false;
  if (!d->sperren(Sperrart::Exklusiv, false)) return false;
  gehalten_[name] = std::move(d);
  return true;
}

void Netzwerk::unlock(const std::string& name) {
  auto it = gehalten_.find(name);
  if (it == gehalten_.end()) return;
  // The lock file stays: deleting it could race with a process that has just
  // opened it and is about to lock it.
  // Closing the file below releases the lock whatever this answers.
  (void)it->second->entsperren();
  gehalten_.erase(it);
}

}  // namespace fibu
