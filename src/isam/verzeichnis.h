// The data directory of the ISAM record manager: settings, the journal and
// the units of work that span every file opened in the directory.
//
// A unit of work collects the page writes of all its files in memory and
// commits them all or none:
//   1. the journal ISAM.JNL receives every dirty page and the new file sizes,
//      then its header (generation + 1, state "valid", checksums); one sync;
//   2. the pages are written into their files, each file synced;
//   3. the journal header is set back to "empty".
// A crash before 1 is complete leaves the files untouched; after it, the
// journal is completed (idempotently) by whoever next opens the directory or
// takes a lock in it. Operations outside an explicit unit run in a unit of
// their own.
//
// Every lock taken in the directory compares the journal's generation with
// the one last seen and drops the page caches when another process
// committed in between.
//
// Creating, deleting and rebuilding whole files are not units of work; they
// follow their own procedures (see IsamFileBlock).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "isam/fehler.h"
#include "suite/dateisystem.h"

namespace fibu::isam {

class Seitendatei;
class Dateisperre;

inline constexpr const char* journal_name = "ISAM.JNL";

// The files opened in a directory must be closed before it is destroyed.
class IsamVerzeichnis {
 public:
  IsamVerzeichnis(Dateisystem& fs, std::string pfad);
  ~IsamVerzeichnis();  // an unfinished unit is rolled back
  IsamVerzeichnis(const IsamVerzeichnis&) = delete;
  IsamVerzeichnis& operator=(const IsamVerzeichnis&) = delete;

  // Creates the journal when missing and completes one a crash left behind.
  // Must run before any file of the directory is opened.
  [[nodiscard]] int oeffnen();

  Dateisystem& fs() { return fs_; }
  const std::string& pfad() const { return pfad_; }
  std::string datei_pfad(const std::string& name) const;

  // Extensions of data, index, dialog and save files: "DAT", "IX", "DIA",
  // "SAV" for a Deutsche Mark client, "EAT", "EIX", "EIA", "EAV" for Euro.
  std::string DatExtension = "DAT";
  std::string IxExtension = "IX";
  std::string DiaExtension = "DIA";
  std::string SavExtension = "SAV";
  void extensionen_fuer_waehrung(bool euro);

  // How long a lock is waited for before fehler_gesperrt.
  std::uint32_t wartezeit_ms = 30000;
  // Whether commits sync to disk (off only for scratch data).
  bool synchron = true;
  // Cache capacity per file, in pages of 4 KiB.
  std::size_t cache_seiten = 65536;

  // --- Units of work ---
  // Begins a unit (units nest; the outermost commit writes).
  [[nodiscard]] int beginne();
  [[nodiscard]] int bestaetige();
  // Rolls back the whole unit, at any depth.
  void verwerfe();
  [[nodiscard]] bool in_einheit() const { return tiefe_ > 0; }
  // An operation failed halfway: the unit can only be rolled back.
  void einheit_vergiften() { vergiftet_ = true; }
  [[nodiscard]] bool vergiftet() const { return vergiftet_; }
  // Tells every process that files changed outside a unit of work (a
  // rebuilt index): the journal generation goes up, caches are dropped.
  // The journal is then empty on disk for sure, so no earlier unit can be
  // replayed onto files made, replaced or deleted afterwards; every such
  // procedure calls it first.
  [[nodiscard]] int generation_erhoehen();
  // Syncs the commits so far have cost (journal and files), for measurements.
  std::uint64_t syncs() const { return syncs_; }
  // Pages the commits so far wrote through the journal.
  std::uint64_t journalseiten() const { return journalseiten_; }

  // --- Used by the files and locks of the directory ---
  void anmelden(Seitendatei* datei) { dateien_.insert(datei); }
  void abmelden(Seitendatei* datei);
  void beteiligt(Seitendatei* datei);
  void sperre_fuer_einheit(Dateisperre* sperre) { einheit_sperren_.insert(sperre); }
  void sperre_vergessen(Dateisperre* sperre) { einheit_sperren_.erase(sperre); }
  // Takes an OS lock, waiting up to wartezeit_ms.
  [[nodiscard]] int sperren(Datei& datei, Sperrart art, std::uint64_t von = 0, std::uint64_t laenge = 0);
  // After a lock was taken: drop caches when another process committed,
  // complete a journal whose writer died. `freigeben_fuer_wiederherstellung`
  // releases the caller's lock when recovery is needed (it is retaken after).
  [[nodiscard]] int nach_sperre(Datei& gesperrt, Sperrart art);

 private:
  struct Kopf;
  [[nodiscard]] int kopf_lesen(Kopf& kopf);
  [[nodiscard]] int journal_anwenden();
  [[nodiscard]] int wiederherstellen();
  void caches_verwerfen();
  void journal_freigeben();
  void einheit_abschliessen(bool bestaetigt);

  Dateisystem& fs_;
  std::string pfad_;
  std::unique_ptr<Datei> journal_;
  std::uint64_t generation_ = 0;  // last seen
  std::set<Seitendatei*> dateien_;
  std::vector<Seitendatei*> beteiligte_;
  std::set<Dateisperre*> einheit_sperren_;
  int tiefe_ = 0;
  bool vergiftet_ = false;
  bool gestoert_ = false;  // a commit could not be completed; reopen to recover
  std::uint64_t syncs_ = 0;
  std::uint64_t journalseiten_ = 0;
  std::string puffer_;  // for writing the journal, kept between commits
};

// Begins a unit of work unless one is running; ende() commits or rolls back
// the unit it began. A unit begun by the caller is left alone, except that
// a failure after writing poisons it: the caller's commit then fails and
// nothing of the unit reaches the disk. Leaving the scope without ende()
// (an exception) counts as such a failure.
class Einheit {
 public:
  explicit Einheit(IsamVerzeichnis& v);
  ~Einheit();
  // Not isam_ok when no unit could be begun (the operation must not write).
  [[nodiscard]] int fehler() const { return fehler_; }
  // Commits (isam_ok) or rolls back its own unit; poisons the caller's on
  // a failure that may have written half.
  [[nodiscard]] int ende(int ergebnis);
  // Something was written and then failed: roll back or poison.
  void abbrechen();

 private:
  IsamVerzeichnis& v_;
  bool eigene_;
  bool beendet_ = false;
  int fehler_ = isam_ok;
};

}  // namespace fibu::isam
