// The ISAM record manager as the record store uses it: a file block is a
// data file of fixed-size records and an index file with up to 10 keys,
// opened in an IsamVerzeichnis. Every operation sets IsamOK and IsamError
// of its handle (no global state) and answers IsamOK.
//
// Writes take the file block's exclusive lock and run in the directory's
// unit of work (a unit of their own when none is running); reads take a
// shared lock for their own duration unless the caller holds a lock.
//
// Stepping (NextNetKey, PrevNetKey) goes from the position of the last
// positioning call of that key number, remembered as (key, reference), so
// it also works from an entry that was deleted meanwhile.
//
// Making, deleting and rebuilding whole files are their own procedures,
// outside units of work: a file block is made data file first, index
// second; deleted index first; and rebuilt into a new index file that
// replaces the old one by rename. A crash in between leaves a data file
// without a usable index, which opening reports as 10010 (rebuild it).
// Renaming files is no operation of the manager; runs that replace whole
// files follow their own procedure with a marker file. Truncating a plain
// file (Festsatzdatei::kuerzen) is part of the unit of work.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "isam/datendatei.h"
#include "isam/fehler.h"
#include "isam/indexbaum.h"
#include "isam/seitendatei.h"
#include "isam/sperre.h"
#include "isam/verzeichnis.h"
#include "suite/numkeys.h"

namespace fibu::isam {

using Schluesseltabelle = std::vector<Schluesseldef>;

class IsamFileBlock {
 public:
  explicit IsamFileBlock(IsamVerzeichnis& verzeichnis) : v_(verzeichnis) {}
  ~IsamFileBlock();
  IsamFileBlock(const IsamFileBlock&) = delete;
  IsamFileBlock& operator=(const IsamFileBlock&) = delete;

  bool IsamOK = true;
  int IsamError = isam_ok;
  // Whether empty keys are indexed (AddNetKey with "" does nothing when off).
  bool AddNullKeys = true;

  // --- Files ---
  [[nodiscard]] bool MakeNetFileBlock(const std::string& name, std::uint32_t satzgroesse, int schluesselanzahl,
                        const Schluesseltabelle& schluessel);
  [[nodiscard]] bool OpenNetFileBlock(const std::string& name);
  [[nodiscard]] bool CloseNetFileBlock();
  [[nodiscard]] bool DeleteFileBlock(const std::string& name);
  [[nodiscard]] bool FlushFileBlock();
  [[nodiscard]] bool offen() const { return daten_ != nullptr; }
  const std::string& name() const { return name_; }

  // --- Locks ---
  [[nodiscard]] bool LockFileBlock();
  [[nodiscard]] bool ReadLockFileBlock();
  [[nodiscard]] bool UnLockFileBlock();
  [[nodiscard]] bool FileBlockIsLocked() const;

  // --- Records (buffers of the record size) ---
  [[nodiscard]] bool AddNetRec(std::uint32_t& ref, const void* satz);
  [[nodiscard]] bool PutNetRec(std::uint32_t ref, const void* satz);
  [[nodiscard]] bool GetNetRec(std::uint32_t ref, void* satz);
  [[nodiscard]] bool DeleteNetRec(std::uint32_t ref);

  // --- Keys (numbered from 1; cut to the key's length) ---
  [[nodiscard]] bool AddNetKey(int nr, std::uint32_t ref, const std::string& key);
  [[nodiscard]] bool DeleteNetKey(int nr, std::uint32_t ref, const std::string& key);
  [[nodiscard]] bool NetKeyExists(int nr, std::uint32_t ref, const std::string& key);
  // Reference of the key (the lowest one among duplicates).
  [[nodiscard]] bool FindNetKey(int nr, std::uint32_t& ref, const std::string& key);
  // First entry not less than the key: key and reference are set to it.
  [[nodiscard]] bool SearchNetKey(int nr, std::uint32_t& ref, std::string& key);
  // Positions on (key, reference); IsamOK tells whether that entry exists.
  [[nodiscard]] bool FindNetKeyAndRef(int nr, std::uint32_t ref, const std::string& key);
  // The entry after / before the position (the first / last one when not
  // positioned yet); key and reference are set to it. At the end IsamOK is
  // false with fehler_indexende and the position stays.
  [[nodiscard]] bool NextNetKey(int nr, std::uint32_t& ref, std::string& key);
  [[nodiscard]] bool PrevNetKey(int nr, std::uint32_t& ref, std::string& key);
  // Forgets the position of a key number (the next step starts at an end).
  void ClearKey(int nr);

  // --- Counts ---
  std::uint32_t BTDatRecordSize();
  [[nodiscard]] int BTNrOfKeys();
  std::uint32_t BTUsedRecs();
  std::uint64_t BTUsedKeys(int nr);

 private:
  bool ergebnis(int fehler);  // sets IsamError and IsamOK; true for isam_ok
  [[nodiscard]] int pruefe_offen() const;
  [[nodiscard]] int pruefe_nr(int nr) const;
  [[nodiscard]] int schreiben_vorbereiten();
  template <typename F>
  [[nodiscard]] bool lesend(F&& tun);
  template <typename F>
  [[nodiscard]] bool schreibend(F&& tun);
  [[nodiscard]] int schritt(int nr, bool vor, std::uint32_t& ref, std::string& key);
  void aufraeumen();

  struct Position {
    bool gesetzt = false;
    std::string key;
    std::uint32_t ref = 0;
  };

  IsamVerzeichnis& v_;
  std::string name_;
  std::unique_ptr<Seitendatei> daten_, index_;
  std::unique_ptr<Datendatei> dat_;
  std::unique_ptr<Indexbaum> baum_;
  std::unique_ptr<Dateisperre> sperre_;
  std::array<Position, max_schluessel + 1> position_{};
};

// A plain file of fixed-size records without header (BUCHUNG.DA1,
// parameter files), written through the directory's units of work like the
// keyed files. Record n (from 1) lies at (n - 1) * record size. Its lock is
// an OS lock on the file itself.
class Festsatzdatei {
 public:
  explicit Festsatzdatei(IsamVerzeichnis& verzeichnis) : v_(verzeichnis) {}

  bool IsamOK = true;
  int IsamError = isam_ok;

  // Opens (with `anlegen`: creates when missing) the file `name` of the
  // directory. A size that is not a multiple of the record size gives
  // fehler_daten_defekt.
  [[nodiscard]] bool oeffnen(const std::string& name, std::uint32_t satzgroesse, bool anlegen);
  void schliessen();
  [[nodiscard]] bool offen() const { return datei_ != nullptr; }

  std::uint32_t satzgroesse() const { return satzgroesse_; }
  std::uint64_t anzahl();
  [[nodiscard]] bool lesen(std::uint64_t nr, void* satz);
  // Records nr .. nr + anzahl − 1 into `saetze` (anzahl records) in one read;
  // for scans: what is not cached is not kept in the cache.
  [[nodiscard]] bool lesen_mehrere(std::uint64_t nr, std::uint64_t anzahl, void* saetze);
  // Writes record nr; nr may be anzahl() + 1 (appending). Records beyond
  // the end in between are written as zeros.
  [[nodiscard]] bool schreiben(std::uint64_t nr, const void* satz);
  // Cuts the file to its first n records.
  [[nodiscard]] bool kuerzen(std::uint64_t n);

  [[nodiscard]] bool sperren_exklusiv();
  [[nodiscard]] bool sperren_geteilt();
  [[nodiscard]] bool entsperren();
  std::size_t seiten_im_cache() const;

 private:
  bool ergebnis(int fehler);  // sets IsamError and IsamOK; true for isam_ok

  IsamVerzeichnis& v_;
  std::unique_ptr<Seitendatei> datei_;
  std::unique_ptr<Dateisperre> sperre_;
  std::uint32_t satzgroesse_ = 0;
};

// Rebuilds the index of a file block from its data: for each stored record
// and key number k, `schluessel_von` gives key k (empty keys are not
// indexed); `fortschritt` is called once per record and key. The data
// file's header and free chain are rebuilt too. `quelle`, when given,
// supplies the records instead of the data file (files whose records live
// elsewhere): it calls its argument for every (reference, record).
// `doppelte` receives the number of entries of keys without duplicates
// whose key occurred more than once; they are all indexed, nothing is lost.
using Schluesselfunktion = std::function<std::string(const char* satz, int nr)>;
using Satzquelle =
    std::function<int(const std::function<void(std::uint32_t ref, const char* satz)>&)>;

[[nodiscard]] int RebuildFileBlock(IsamVerzeichnis& v, const std::string& name, std::uint32_t satzgroesse,
                     int schluesselanzahl, const Schluesseltabelle& schluessel,
                     const Schluesselfunktion& schluessel_von,
                     const std::function<void()>& fortschritt = {}, const Satzquelle& quelle = {},
                     std::uint64_t* doppelte = nullptr);

}  // namespace fibu::isam
