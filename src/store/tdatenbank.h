// The one class through which every keyed record file of a client is
// opened, read, written, stepped through and rebuilt. A subclass per file
// fixes name, record size, key table and the derivation of the keys from a
// record (lies_keys), and adds its hooks. The object holds the file's
// working record: callers fill or inspect it and call the operations with
// the value of key 1.
//
// Every store and delete is one unit of work of the data directory (or part
// of the caller's). Reads take the shared lock, stores and deletes the
// exclusive lock of the file for their own duration, unless the caller
// holds a lock already.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "isam/isam.h"
#include "suite/browser.h"
#include "suite/interaktion.h"
#include "suite/satz.h"

namespace fibu {

// Builds a pick-list line from a record.
using Zeilenbauer = std::function<std::string(const Satz& satz)>;

class tdatenbank {
 public:
  // `arbeitsgroesse`: size of the working record when it differs from the
  // file's record size (files whose records live elsewhere); 0 = the same.
  tdatenbank(Interaktion& ui, isam::IsamVerzeichnis& verzeichnis, std::string name,
             std::uint16_t satzgroesse, isam::Schluesseltabelle schluessel,
             std::size_t arbeitsgroesse = 0);
  virtual ~tdatenbank();
  tdatenbank(const tdatenbank&) = delete;
  tdatenbank& operator=(const tdatenbank&) = delete;

  // --- Slot operations ---
  virtual void oeffnen();
  virtual void schliessen();
  virtual void reorganisieren();
  virtual void reorg_komplett();
  virtual void nach_reorg() {}
  virtual void leeren();
  virtual void lies_keys(const Satz& satz);
  [[nodiscard]] virtual bool suchen(const std::string& key);
  [[nodiscard]] virtual bool suchen_key(int nr, const std::string& key);
  [[nodiscard]] virtual bool lies_ref(int nr, const std::string& key);
  virtual void nach_lesen() {}
  // Stores / deletes the working record under key 1; true when it is done
  // (in a caller's unit: done within it). A failure has shown its message.
  virtual bool speichern(const std::string& key);
  virtual void vor_speichern(const std::string& /*key*/) {}
  virtual void nach_keys_entfernt() {}
  virtual void nach_keys_angelegt() {}
  virtual bool loeschen(const std::string& key);
  [[nodiscard]] virtual bool weiter_key(int nr, std::string& key);
  [[nodiscard]] virtual bool zurueck_key(int nr, std::string& key);
  [[nodiscard]] virtual bool lies_weiter(int nr, std::string& key);
  [[nodiscard]] virtual bool lies_zurueck(int nr, std::string& key);
  [[nodiscard]] virtual bool lies_weiter_bis(int nr, std::string& key, const std::string& von,
                               const std::string& bis);
  [[nodiscard]] virtual bool lies_zurueck_ab(int nr, std::string& key, const std::string& von,
                               const std::string& bis);
  [[nodiscard]] virtual bool auswahl(int nr, const std::string& titel, std::string& key, const Zeilenbauer& zeile,
                       const std::string& kopf = "");
  [[nodiscard]] virtual bool auswahl_bereich(int nr, const std::string& titel, std::string& key,
                               const Zeilenbauer& zeile, const std::string& von,
                               const std::string& bis, const std::string& kopf = "");
  [[nodiscard]] virtual bool key_vorhanden(int nr, const std::string& key);
  virtual void ref_loeschen() { aktuelle_ref_ = 0; }
  [[nodiscard]] virtual bool suche_ab(int nr, std::string& key);
  virtual std::uint64_t anzahl_keys(int nr);
  virtual std::uint32_t anzahl_saetze();
  virtual void dateien_loeschen();
  [[nodiscard]] virtual bool satz_ist_leer(const Satz& /*satz*/) const { return false; }
  virtual void sichern();

  // True when open; otherwise shows "Datenbank "NAME" ist noch nicht geöffnet!".
  [[nodiscard]] bool ist_offen();
  // Reads the record at a reference into the working record (data in file).
  void lies_satz(std::uint32_t ref);

  // --- State ---
  Satz& satz() { return satz_; }
  const Satz& satz() const { return satz_; }
  const std::string& name() const { return name_; }
  [[nodiscard]] bool offen() const { return offen_; }
  [[nodiscard]] bool angelegt() const { return angelegt_; }
  std::uint32_t aktuelle_ref() const { return aktuelle_ref_; }
  void setze_aktuelle_ref(std::uint32_t ref) { aktuelle_ref_ = ref; }
  std::uint32_t gewaehlte_ref() const { return gewaehlte_ref_; }
  const std::string& key(int nr) const { return keys_[static_cast<std::size_t>(nr)]; }
  const std::string& letzter_key() const { return letzter_key_; }
  [[nodiscard]] int schluesselanzahl() const { return static_cast<int>(schluessel_.size()); }
  std::uint16_t satzgroesse() const { return satzgroesse_; }
  long reorg_zaehler() const { return reorg_zaehler_; }
  isam::IsamFileBlock& datei() { return fb_; }
  isam::IsamVerzeichnis& verzeichnis() { return verz_; }
  Interaktion& ui() { return ui_; }

  bool daten_in_datei = true;
  bool keys_trimmen = true;

 protected:
  // The keys derived by lies_keys; subclasses fill keys_[1..anzahl].
  std::array<std::string, isam::max_schluessel + 1> keys_{};
  // Reads the record of a reference for a pick list (files whose records
  // live elsewhere override it).
  [[nodiscard]] virtual bool satz_fuer_liste(std::uint32_t ref, Satz& aus);
  // The record stored at a reference, whose keys an update or delete takes
  // out of the index; false when there is none to read.
  [[nodiscard]] virtual bool gespeicherter_satz(std::uint32_t ref, Satz& aus);
  // Reports an unexpected manager error naming the file.
  void isamtest();
  std::string arg(const std::string& key) const;  // trimmed (if set) and cut to 30
  std::string zitiert() const { return "\"" + name_ + "\""; }

  // Runs `tun` under the file's lock (shared or exclusive), unless the
  // caller holds a lock already; false when the lock could not be had.
  [[nodiscard]] bool unter_sperre(bool exklusiv, const std::function<void()>& tun);

 private:
  [[nodiscard]] bool schritt(int nr, bool vor, std::string& key);
  [[nodiscard]] bool lesender_schritt(int nr, bool vor, std::string& key);
  [[nodiscard]] bool begrenzter_schritt(int nr, bool vor, std::string& key, const std::string& grenze);
  [[nodiscard]] bool waehle(int nr, const std::string& titel, std::string& key, const Zeilenbauer& zeile,
              const std::string* von, const std::string* bis, const std::string& kopf);

  Interaktion& ui_;
  isam::IsamVerzeichnis& verz_;
  isam::IsamFileBlock fb_;
  std::string name_;
  std::uint16_t satzgroesse_;
  isam::Schluesseltabelle schluessel_;
  Satz satz_;
  bool offen_ = false;
  bool angelegt_ = false;
  std::uint32_t aktuelle_ref_ = 0;
  std::uint32_t gewaehlte_ref_ = 0;
  std::string letzter_key_;
  long reorg_zaehler_ = 0;
};

// Holds a file's shared lock for a read over many of its records (a list,
// a run), so that the steps do not each take and free it and no other
// workstation changes the file meanwhile; freed on leaving.
class Leselauf {
 public:
  explicit Leselauf(tdatenbank* db) : db_(db) {
    if (db_ && db_->offen() && !db_->datei().FileBlockIsLocked())
      gesperrt_ = db_->datei().ReadLockFileBlock();
  }
  ~Leselauf() {
    if (gesperrt_) (void)db_->datei().UnLockFileBlock();  // unlocking is not refused
  }
  Leselauf(const Leselauf&) = delete;
  Leselauf& operator=(const Leselauf&) = delete;

 private:
  tdatenbank* db_;
  bool gesperrt_ = false;
};

}  // namespace fibu
