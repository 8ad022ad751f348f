// The file-system abstraction under every file access of the program, so
// that tests can fail a write, cut it short, or crash the disk and check what
// survives. Paths use '/'. Two implementations: the real one
// (echtes_dateisystem) and the in-memory one of test_dateisystem.h.
//
// Durability contract (as POSIX gives it): data written to a file are only
// sure to survive a crash after Datei::sync(); a created, renamed or deleted
// name only after verzeichnis_sync() of its directory.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "suite/ergebnis.h"

namespace fibu {

enum class Sperrart { Geteilt, Exklusiv };

// When a file was last changed, in local time.
struct Dateizeit {
  int jahr = 0, monat = 0, tag = 0, stunde = 0, minute = 0, sekunde = 0;
  bool operator==(const Dateizeit&) const = default;
};

// An open file. Not copyable; closed by the destructor, which also releases
// its locks.
class Datei {
 public:
  virtual ~Datei() = default;

  // Reads up to n bytes at `pos` into `aus` (fewer at the end of the file).
  [[nodiscard]] virtual Ergebnis lesen(std::uint64_t pos, std::size_t n, std::string& aus) = 0;
  // Writes all of `daten` at `pos`, extending the file (with zeros) as needed.
  [[nodiscard]] virtual Ergebnis schreiben(std::uint64_t pos, std::string_view daten) = 0;
  // Writes the pieces one after the other from `pos` (one system call where
  // the system allows it).
  [[nodiscard]] virtual Ergebnis schreiben_mehrere(std::uint64_t pos,
                                     const std::vector<std::string_view>& stuecke);
  [[nodiscard]] virtual Ergebnis groesse(std::uint64_t& aus) = 0;
  [[nodiscard]] virtual Ergebnis kuerzen(std::uint64_t laenge) = 0;
  // Makes the data written so far durable.
  [[nodiscard]] virtual Ergebnis sync() = 0;

  // Operating-system lock on a byte range (laenge 0: to the end of any size).
  // Locks hold across processes and between different open files of the same
  // process; a crashed holder loses them. Without `warten` a conflicting lock
  // gives Code::Gesperrt at once.
  [[nodiscard]] virtual Ergebnis sperren(Sperrart art, bool warten, std::uint64_t von = 0,
                           std::uint64_t laenge = 0) = 0;
  [[nodiscard]] virtual Ergebnis entsperren(std::uint64_t von = 0, std::uint64_t laenge = 0) = 0;
};

enum class Oeffnen {
  Lesen,           // existing file, read only
  LesenSchreiben,  // existing file
  Anlegen,         // read/write, created empty when missing
  Neu,             // read/write, created or emptied
  NeuExklusiv,     // read/write, created; Code::Existiert when it exists
};

// A temporary name beside `pfad` that no other writer of this process uses;
// another process writing the same file at the same time is kept out by the
// caller's reservation of the data.
std::string temporaerer_name(const std::string& pfad);

class Dateisystem {
 public:
  virtual ~Dateisystem() = default;

  [[nodiscard]] virtual Ergebnis oeffnen(const std::string& pfad, Oeffnen modus, std::unique_ptr<Datei>& aus) = 0;
  [[nodiscard]] virtual bool existiert(const std::string& pfad) = 0;
  [[nodiscard]] virtual bool ist_verzeichnis(const std::string& pfad) = 0;
  // Replaces `neu` atomically when it exists.
  [[nodiscard]] virtual Ergebnis umbenennen(const std::string& alt, const std::string& neu) = 0;
  [[nodiscard]] virtual Ergebnis loeschen(const std::string& pfad) = 0;
  // Names (not paths) of the entries of a directory, sorted.
  [[nodiscard]] virtual Ergebnis liste(const std::string& verzeichnis, std::vector<std::string>& namen) = 0;
  // Creates the directory and its missing parents.
  [[nodiscard]] virtual Ergebnis verzeichnis_anlegen(const std::string& pfad) = 0;
  // Removes an empty directory.
  [[nodiscard]] virtual Ergebnis verzeichnis_loeschen(const std::string& pfad) = 0;
  // Makes the names created, renamed or deleted in the directory durable.
  [[nodiscard]] virtual Ergebnis verzeichnis_sync(const std::string& pfad) = 0;
  // When the file was last changed; nullopt when that is not known.
  virtual std::optional<Dateizeit> aenderungszeit(const std::string& /*pfad*/) {
    return std::nullopt;
  }

  // --- Helpers built on the operations above ---

  // The whole content of a file.
  [[nodiscard]] Ergebnis lies_datei(const std::string& pfad, std::string& aus);
  // Replaces a file's content so that after a crash either the old or the new
  // content is there: a temporary file, sync, rename, directory sync.
  [[nodiscard]] Ergebnis schreibe_datei_atomar(const std::string& pfad, std::string_view inhalt);
  // Copies a file in pieces, through a temporary file renamed over the
  // target, so a failed copy leaves an existing target as it was.
  [[nodiscard]] Ergebnis kopiere_datei(const std::string& von, const std::string& nach);
  // The path of `name` in `verzeichnis`, matched without regard to the case
  // of ASCII letters; nullopt when there is none.
  std::optional<std::string> finde_datei(const std::string& verzeichnis, std::string_view name);
};

// Path helpers: join with exactly one '/', directory and name parts.
std::string pfad_verbinden(std::string_view verzeichnis, std::string_view name);
std::string verzeichnis_von(std::string_view pfad);
std::string name_von(std::string_view pfad);

// The real file system of this machine (POSIX).
std::unique_ptr<Dateisystem> echtes_dateisystem();

}  // namespace fibu
