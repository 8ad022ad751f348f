// One file seen as 4 KiB pages through a cache, taking part in the units of
// work of its directory: writes change cached copies only (dirty pages) and
// reach the file when the unit commits through the journal. Used for the
// data and index files of keyed files and for plain fixed-record files.
//
// Index files carry a CRC-32C in the last 4 bytes of every page; it is set
// when the unit commits and checked whenever a page is read from disk.
//
// Page pointers handed out stay valid until the next call of aufraeumen(),
// which the manager calls only between operations.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "suite/dateisystem.h"

namespace fibu::isam {

inline constexpr std::size_t seitengroesse = 4096;
inline constexpr std::size_t pruefsummen_offset = seitengroesse - 4;

class IsamVerzeichnis;

class Seitendatei {
 public:
  // `name` is the file's name within the directory (as the journal records it).
  Seitendatei(IsamVerzeichnis& verzeichnis, std::string name, std::unique_ptr<Datei> datei,
              bool pruefsummen);
  ~Seitendatei();
  Seitendatei(const Seitendatei&) = delete;
  Seitendatei& operator=(const Seitendatei&) = delete;

  const std::string& name() const { return name_; }
  Datei& datei() { return *datei_; }
  // Whether the file's size could be read when it was opened; without it
  // the file must not be used (it would read as empty).
  [[nodiscard]] bool bereit() const { return bereit_; }

  // Read access to page nr. Pages beyond the end read as zeros. A page whose
  // checksum is wrong gives Code::Ungueltig.
  [[nodiscard]] Ergebnis seite(std::uint32_t nr, const char*& aus);
  // Write access within the running unit of work.
  [[nodiscard]] Ergebnis seite_schreiben(std::uint32_t nr, char*& aus);

  // Byte access across pages (data and plain files).
  [[nodiscard]] Ergebnis lesen(std::uint64_t pos, std::size_t n, char* aus);
  // The same for a scan over a large part of a file: what is not in the
  // cache is read straight from the file and not kept, so a scan does not
  // push the pages of other work out of memory (a file with checksums
  // reads through the cache).
  [[nodiscard]] Ergebnis durchlesen(std::uint64_t pos, std::size_t n, char* aus);
  [[nodiscard]] Ergebnis schreiben(std::uint64_t pos, const char* daten, std::size_t n);

  // Size as the running unit sees it.
  std::uint64_t groesse() const { return groesse_; }
  [[nodiscard]] Ergebnis groesse_setzen(std::uint64_t groesse);

  // Reads every page and checks the checksums (opening an index); fills the
  // cache as far as its capacity allows.
  [[nodiscard]] Ergebnis alle_pruefen();

  // Another process changed the directory: drop every clean page.
  [[nodiscard]] Ergebnis verwerfen();
  // Trims the cache to its capacity (between operations only).
  void aufraeumen();

  // --- For the unit of work ---
  [[nodiscard]] bool geaendert() const { return geaendert_; }
  // The dirty pages, sorted, with their checksums set.
  std::vector<std::pair<std::uint32_t, const char*>> geaenderte_seiten();
  // The unit committed (dirty pages are now clean and on disk) or was
  // rolled back (dirty pages are dropped).
  void einheit_beendet(bool bestaetigt);

  std::size_t seiten_im_cache() const { return anzahl_; }

 private:
  struct Eintrag {
    std::unique_ptr<char[]> daten;
    bool schmutzig = false;
    std::uint64_t zugriff = 0;
  };
  [[nodiscard]] Ergebnis laden(std::uint32_t nr, Eintrag*& aus);
  void beteiligen();
  void entfernen(std::uint32_t nr);

  IsamVerzeichnis& verz_;
  std::string name_;
  std::unique_ptr<Datei> datei_;
  bool pruefsummen_;
  bool bereit_ = false;
  // The cached pages by page number (pages of a file are numbered densely).
  std::vector<Eintrag> seiten_;  // daten == nullptr: not cached
  std::size_t anzahl_ = 0;
  // While a unit holds more dirty pages than the cache's capacity, the
  // cache is cleaned again only when it has grown by a tenth of the
  // capacity, not at every page (which made long units quadratic).
  std::size_t schwelle_ = 0;
  std::vector<std::uint32_t> schmutzige_;  // pages made dirty in the running unit
  std::uint64_t uhr_ = 0;
  std::uint64_t groesse_ = 0;         // as the unit sees it
  std::uint64_t groesse_platte_ = 0;  // as on disk
  bool geaendert_ = false;
};

}  // namespace fibu::isam
