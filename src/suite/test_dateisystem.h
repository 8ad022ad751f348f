// An in-memory file system for tests that can fail the n-th mutating
// operation, write only part of it, or lose power there. It keeps for every
// file its last synced content and the writes since, and for every
// directory its last synced names and the changes since (new files and
// directories, renames, deletions). After a power loss (absturz) the synced
// state is there for sure; of what was not synced, nothing, everything, or a
// random choice survives: single 512-byte sectors of unsynced writes, and a
// random leading part of each directory's unsynced name changes.
//
// Mutating operations (counted by schreibvorgaenge()): schreiben, kuerzen,
// sync, oeffnen that creates or empties, umbenennen, loeschen,
// verzeichnis_anlegen, verzeichnis_loeschen, verzeichnis_sync.
//
// Locks follow the real semantics between open files; a lock request that
// would have to wait is refused (there is no second thread to wait for).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "suite/dateisystem.h"

namespace fibu {

class TestDateisystem : public Dateisystem {
 public:
  enum class Stoerung {
    Fehler,     // the operation fails and changes nothing
    Teilweise,  // a write stores its first half, then fails; other operations fail
    Absturz,    // power loss: this and every later operation fail until absturz()
    Voll,       // the disk is full from here on: every write that would make a file
                // longer fails and changes nothing, until keine_stoerung()
  };

  TestDateisystem();
  ~TestDateisystem() override;

  // Disturbs the n-th mutating operation from now (1 = the next one).
  void stoere(std::uint64_t n, Stoerung art);
  void keine_stoerung();
  std::uint64_t schreibvorgaenge() const { return zaehler_; }
  bool abgestuerzt() const { return abgestuerzt_; }

  // What survives of the unsynced state in a power loss.
  enum class Verbleib { Nichts, Alles, Zufall };

  // The power comes back: unsynced data and names are gone (or partly kept),
  // files opened before are invalid, and the file system works again.
  void absturz(Verbleib verbleib = Verbleib::Nichts, std::uint32_t zufallszahl = 0);
  // File and directory syncs so far.
  std::uint64_t syncs() const { return syncs_; }

  Ergebnis oeffnen(const std::string& pfad, Oeffnen modus, std::unique_ptr<Datei>& aus) override;
  bool existiert(const std::string& pfad) override;
  bool ist_verzeichnis(const std::string& pfad) override;
  Ergebnis umbenennen(const std::string& alt, const std::string& neu) override;
  Ergebnis loeschen(const std::string& pfad) override;
  Ergebnis liste(const std::string& verzeichnis, std::vector<std::string>& namen) override;
  Ergebnis verzeichnis_anlegen(const std::string& pfad) override;
  Ergebnis verzeichnis_loeschen(const std::string& pfad) override;
  Ergebnis verzeichnis_sync(const std::string& pfad) override;
  // As set by setze_aenderungszeit; nullopt for a file without one.
  std::optional<Dateizeit> aenderungszeit(const std::string& pfad) override;
  void setze_aenderungszeit(const std::string& pfad, Dateizeit zeit) { zeiten_[pfad] = zeit; }

  struct Inode;
  struct Zustand;

 private:
  std::map<std::string, Dateizeit> zeiten_;
  friend class TestDatei;
  // Counts a mutating operation; a refusal when it is disturbed (or the disk
  // is down). `teilweise` tells a write to store half and fail.
  // `waechst`: a write that makes its file longer (refused on a full disk).
  Ergebnis vorgang(const std::string& was, bool* teilweise = nullptr, bool waechst = false);
  Ergebnis pruefe_lebendig() const;

  std::shared_ptr<Zustand> z_;
  std::uint64_t zaehler_ = 0;
  std::uint64_t stoer_bei_ = 0;  // 0: none
  Stoerung stoer_art_ = Stoerung::Fehler;
  bool abgestuerzt_ = false;
  bool voll_ = false;
  std::uint64_t syncs_ = 0;
};

}  // namespace fibu
