// The record files of a client: one tdatenbank subclass per file with its
// name, record size, key table, key derivation and hooks.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "isam/isam.h"
#include "store/bewegungssaetze.h"
#include "store/parametersaetze.h"
#include "store/stammsaetze.h"
#include "store/tdatenbank.h"

namespace fibu {

// What the record files need of the open client: its base data in memory,
// a way to save them, and the archive count of the booking file.
struct Mandantenbezug {
  Satz* basis = nullptr;
  std::function<void()> basis_speichern;
  std::int32_t* archivanzahl = nullptr;
};

class tdbperson_datenbank : public tdatenbank {
 public:
  // `name`: PERSONEN, or P_PERS for the booking check's copy.
  tdbperson_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v, Mandantenbezug m,
                      std::string name = "PERSONEN");
  void leeren() override;
  void lies_keys(const Satz& s) override;
  void nach_lesen() override;
  void vor_speichern(const std::string& key) override;
  bool loeschen(const std::string& key) override;

  // Display texts of the screen, set by nach_lesen.
  std::string filtername;
  std::string sammelkonto_text;  // "Forderungskonto 1400" / "Verbindlichkeitskonto 1600"

 private:
  Mandantenbezug m_;
};

class tdbsach_datenbank : public tdatenbank {
 public:
  // `name`: SACH, or P_SACH for the booking check's copy.
  tdbsach_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v, Mandantenbezug m,
                    std::string name = "SACH");
  void lies_keys(const Satz& s) override;
  void nach_lesen() override;
  void vor_speichern(const std::string& key) override;
  void nach_keys_entfernt() override;
  void nach_keys_angelegt() override;
  void nach_reorg() override;
  bool loeschen(const std::string& key) override;

  std::string kontenart_text;
  std::string steuerschluessel_text;

  // The distinct non-empty report assignment codes of a record.
  static std::vector<std::string> zuordnungen(const Satz& s);

 private:
  // Takes the stored record's codes out of key 3; with `alle` false those
  // the working record has too stay (and are remembered).
  void codes_entfernen(bool alle);
  Mandantenbezug m_;
  std::vector<std::string> behaltene_codes_;
  bool neuaufbau_ = false;  // key 3 is empty after a rebuild: every code goes in
};

// One line of an allocation key's table.
struct Verteilzeile {
  std::string kostenstelle;  // four digits
  std::int64_t anteil = 0;   // hundredths of a percent
  bool operator==(const Verteilzeile&) const = default;
};

class tdbkosten_datenbank : public tdatenbank {
 public:
  static constexpr int max_zeilen = 100;
  tdbkosten_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v);
  void lies_keys(const Satz& s) override;
  void nach_lesen() override;
  void vor_speichern(const std::string& key) override;
  void nach_keys_angelegt() override;
  bool loeschen(const std::string& key) override;

  // Whether the working record is an allocation key, and its table.
  bool ist_verteilschluessel = false;
  std::vector<Verteilzeile> verteilung;

 private:
  std::string fortsetzungs_key(const std::string& key, int n) const;
  void fortsetzungen_entfernen(const std::string& key, int ab);
};

class tdbkostenart_datenbank : public tdatenbank {
 public:
  tdbkostenart_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v);
  void lies_keys(const Satz& s) override;
};

class tdbBWAkonto_datenbank : public tdatenbank {
 public:
  tdbBWAkonto_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v);
  void lies_keys(const Satz& s) override;
};

// The booking index BUCHUNG (index entries only) with the booking data file
// BUCHUNG.DA1 (321-byte records without header, record n = booking n).
class tdbbuchung_datenbank : public tdatenbank {
 public:
  tdbbuchung_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v, Mandantenbezug m);
  void oeffnen() override;
  void schliessen() override;
  void lies_keys(const Satz& s) override;
  [[nodiscard]] bool satz_ist_leer(const Satz& s) const override;
  void reorganisieren() override;
  void sichern() override;

  // In the open-bookings view number n means record archive count + n.
  bool offene_sicht = false;
  // Balance-only mode: writing a booking applies its effects to balances
  // and open items only (the booking check posts into copies with it).
  // Opening the file switches both off.
  bool nur_salden = false;
  [[nodiscard]] bool buchung_lesen(std::int64_t n);
  // Booking n of the current view into `aus`, the working booking left
  // alone; false (and `aus` cleared) when there is none or it cannot be read.
  [[nodiscard]] bool buchung_lesen_in(std::int64_t n, Satz& aus);
  static void normalisieren(Satz& buchung);
  // Record number in the file of booking n of the current view.
  std::int64_t satznummer(std::int64_t n) const { return n + versatz(); }
  std::int64_t anzahl_buchungen();
  std::int64_t letzte_buchung();
  // -1 when the booking data file cannot be read.
  std::int64_t letzte_buchung_oder_fehler();
  // Writes the working booking as record n of the current view (n may be
  // one past the end) with its index entries, in one unit of work (or the
  // caller's): the entries of the booking stored there before are replaced;
  // an empty booking keeps only its number.
  [[nodiscard]] bool buchung_ablegen(std::int64_t n);
  // The bookings of an account dated von..bis through the index by account
  // and date, in date order and then by number: `nimm` gets the record
  // number in the file and the booking as read from it, and stops the walk
  // by answering false. The count of bookings handed over; -1 when the
  // booking data file cannot be read.
  using Buchungsbesuch = std::function<bool(std::uint32_t nr, const Satz& buchung)>;
  long buchungen_des_kontos(std::int32_t konto, Datum von, Datum bis, const Buchungsbesuch& nimm);
  // The bookings whose index key by document is `kennung` ("S", "D" or
  // "K") + the document number, in the order of their numbers; the same
  // answers as buchungen_des_kontos.
  long buchungen_zum_beleg(char kennung, const std::string& belegnr, const Buchungsbesuch& nimm);
  // Bookings n = von..bis of the current view in blocks, for scans over
  // the whole file; `nimm` stops the scan by answering false. False when
  // the file cannot be read.
  using Nummernbesuch = std::function<bool(std::int64_t n, const Satz& buchung)>;
  [[nodiscard]] bool buchungen_lesen(std::int64_t von, std::int64_t bis, const Nummernbesuch& nimm);
  isam::Festsatzdatei& daten() { return da1_; }
  // Builds the booking index under the file name `indexname` for the
  // bookings of `quelle` (record n = booking n), as the rebuild does for
  // BUCHUNG.DA1; the manager's error code.
  int index_aufbauen(const std::string& indexname, isam::Festsatzdatei& quelle);

 protected:
  [[nodiscard]] bool satz_fuer_liste(std::uint32_t ref, Satz& aus) override;
  [[nodiscard]] bool gespeicherter_satz(std::uint32_t ref, Satz& aus) override;

 private:
  std::int64_t versatz() const;
  long buchungen_im_index(int nr, const std::string& von, const std::string& bis,
                          const Buchungsbesuch& nimm);
  Mandantenbezug m_;
  isam::Festsatzdatei da1_;
  std::optional<std::pair<std::uint32_t, Satz>>
      vorheriger_;  // the booking before buchung_ablegen wrote it
};

// The whole booking file, archive included (numbers are record numbers),
// for the life of the object; the view the caller had is given back.
class Gesamtsicht {
 public:
  explicit Gesamtsicht(tdbbuchung_datenbank& bu) : bu_(bu), vorher_(bu.offene_sicht) {
    bu_.offene_sicht = false;
  }
  ~Gesamtsicht() { bu_.offene_sicht = vorher_; }
  Gesamtsicht(const Gesamtsicht&) = delete;
  Gesamtsicht& operator=(const Gesamtsicht&) = delete;

 private:
  tdbbuchung_datenbank& bu_;
  bool vorher_;
};

// The five address fields and the filter of a personal account into an
// open item (items of non-Diverse accounts carry the account's address).
void op_adresse_uebernehmen(Satz& op, const Satz& person);

class tdbopstamm_datenbank : public tdatenbank {
 public:
  // `name`: OPSTAMM, P_OPSTAM for the previous year's items, or P_OP for
  // the booking check's copy.
  tdbopstamm_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v, Mandantenbezug m,
                       tdbperson_datenbank* personen, std::string name = "OPSTAMM");
  void oeffnen() override;
  void reorganisieren() override;
  void lies_keys(const Satz& s) override;
  void nach_lesen() override;
  void vor_speichern(const std::string& key) override;

 private:
  void neue_schluesselform();
  Mandantenbezug m_;
  tdbperson_datenbank* personen_;
};

// Payment-module invoices, in the suite's "ERECH" directory; its files
// carry the extensions of the suite-wide base currency.
class tdbrechnung_datenbank : public tdatenbank {
 public:
  tdbrechnung_datenbank(Interaktion& ui, isam::IsamVerzeichnis& erech_verzeichnis, bool suite_euro);
  void oeffnen() override;
  void reorganisieren() override;
  void lies_keys(const Satz& s) override;
  void nach_lesen() override;

 private:
  bool suite_euro_;
};

// Cost work file (booking records).
class tdbtemp_datenbank : public tdatenbank {
 public:
  tdbtemp_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v);
  void lies_keys(const Satz& s) override;
};

// Journal work file: index entries (date, booking number) only.
class tdbtemp2_datenbank : public tdatenbank {
 public:
  tdbtemp2_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v);
  void lies_keys(const Satz& s) override;
};

// Open-item check file: key 1 is a text the caller sets before storing.
class tdboptemp_datenbank : public tdatenbank {
 public:
  tdboptemp_datenbank(Interaktion& ui, isam::IsamVerzeichnis& v);
  void lies_keys(const Satz& s) override;
  std::string schluesseltext;
};

}  // namespace fibu
