// Runs that replace whole files of a data directory (month-end and its
// undo, re-posting, the year-end transfer, the quick backup): too big for
// one unit of work, so they write their new files beside the old ones and
// switch them by renaming, guided by a small synced marker file.
//
//   beginnen      the marker names the run and every file it will replace
//                 or remove; nothing is switched yet
//   (the run writes its new files under their new names and syncs them)
//   umschalten    the marker says "switch"; from here the run is done: the
//                 new files are copied over the old ones (a rename cut off
//                 by a crash may lose both names), the files to go are
//                 removed, then the new files, and the marker last
//
// Opening the directory (umbau_aufraeumen) finds a marker left by a crash
// and completes the switch (when the marker says so) or removes the new
// files (otherwise): the directory holds either the state before the run
// or the state after it, never a mixture. Every step of the switch can be
// repeated, so a crash during the repair is repaired the next time.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "suite/dateisystem.h"
#include "suite/ergebnis.h"

namespace fibu {

// The marker file in the data directory.
inline constexpr const char* umbau_kennzeichen = "UMBAU.MRK";

class Umbaulauf {
 public:
  Umbaulauf(Dateisystem& fs, std::string verzeichnis);
  // A run neither switched nor given up removes its new files.
  ~Umbaulauf();
  Umbaulauf(const Umbaulauf&) = delete;
  Umbaulauf& operator=(const Umbaulauf&) = delete;

  // Begins the run `name` (with its article, "Der Monatsabschluß", as the
  // report after a crash names it): `ersetzen` pairs each file to replace with the
  // name its new content is written to; `entfernen` names files that go.
  // Names are file names in the directory. Refused while another run's
  // marker is there.
  [[nodiscard]] Ergebnis beginnen(const std::string& name,
                                  std::vector<std::pair<std::string, std::string>> ersetzen,
                                  std::vector<std::string> entfernen = {});
  // The path of a name in the directory.
  std::string pfad(const std::string& name) const;

  // Every new file is complete: they are synced, the switch is recorded
  // and carried out. An error before the switch is recorded leaves the old
  // files; one after it is completed when the directory is next opened.
  [[nodiscard]] Ergebnis umschalten();
  // Gives the run up: the new files and the marker are removed.
  void verwerfen();

  bool umgeschaltet() const { return umgeschaltet_; }

 private:
  Dateisystem& fs_;
  std::string verzeichnis_;
  std::string name_;
  std::vector<std::pair<std::string, std::string>> ersetzen_;
  std::vector<std::string> entfernen_;
  bool begonnen_ = false;
  bool umgeschaltet_ = false;
};

// What opening the directory did with a run a crash left behind.
struct Umbaubericht {
  std::string lauf;            // the run's name with its article: "Der Monatsabschluß"
  bool abgeschlossen = false;  // true: completed; false: undone
  // "Der Monatsabschluß wurde unterbrochen und beim Öffnen des Mandanten zu
  // Ende geführt." / "... rückgängig gemacht; die Daten sind wie vor dem Lauf."
  std::string meldung() const;
};

// Completes or undoes a run left in the directory; nullopt in `bericht`
// when there was none. An error when the marker cannot be read or a step
// fails (the directory is then left for the next attempt).
[[nodiscard]] Ergebnis umbau_aufraeumen(Dateisystem& fs, const std::string& verzeichnis,
                                        std::optional<Umbaubericht>& bericht);

}  // namespace fibu
