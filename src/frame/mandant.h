// The open client (`Mandant`) of a fiscal year: its parameter files in
// memory, its reservation, its record-file objects. Paths: the client
// directory is the accounting root + the number as three digits + "/", the
// fiscal-year directory (the data directory) that + the year + "/".
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "isam/verzeichnis.h"
#include "store/dateien.h"
#include "suite/ausgabe3.h"
#include "suite/interaktion.h"
#include "suite/netzwerk.h"
#include "suite/tpdate.h"

namespace fibu {

class Umbaulauf;

// A client number as three digits with leading zeros ("005").
std::string drei(int nummer);

// A fiscal-year directory that a creation or a copy has not finished holds
// this file; such a directory is not opened, and a new creation or copy may
// go over it.
inline constexpr const char* unfertig_kennzeichen = "UNFERTIG.MRK";

// A data directory in a state no run explains (a month-end's new booking
// file without the marker of its run, a marker that cannot be read).
inline constexpr const char* undefinierter_zustand_text =
    "Die Daten diese Mandanten sind in einem undefinierten Zustand, da ein Monatsabschluß nicht "
    "vollständig durchgeführt wurde!\rBitte setzen Sie sich mit Ihrem Händler in Verbindung und "
    "sichern Sie die letzte Datensicherung zurück!";

class Mandant {
 public:
  Mandant(Dateisystem& fs, Interaktion& ui, Tagesdatum& tagesdatum, std::string fibu_pfad,
          Netzwerk& netz);
  ~Mandant();  // closes an open client

  // --- Paths ---
  std::string mandant_verzeichnis(int nummer) const;
  std::string daten_verzeichnis(int nummer, int jahr) const;
  const std::string& daten_verzeichnis() const { return daten_verzeichnis_; }
  const std::string& fibu_pfad() const { return fibu_pfad_; }

  // --- Parameter files ---
  // BASIS.PAR of the data directory; defaults when missing; an empty
  // diskette drive becomes "A:\". A file that is there but cannot be read
  // whole ends the program rather than being replaced by defaults.
  void lies_basis();
  // BASIS.PAR is copied to BASIS.SIK, then written as part of the running
  // unit of work (or in one of its own).
  [[nodiscard]] bool schreibe_basis();
  // Writes BASIS.PAR without the copy, as part of the running unit of work
  // (the posting engine's last document numbers go with their booking).
  [[nodiscard]] bool basis_ablegen();
  // MANDANT.PAR of client `nummer` into the client record (all zero when missing).
  [[nodiscard]] bool lies_mandant(int nummer);
  [[nodiscard]] bool schreibe_mandant();
  // The same for a client record other than the open one (selection,
  // creation, copying): MANDANT.PAR of client `nummer` into `ziel`, and
  // `satz` written to the MANDANT.PAR of the client it names.
  [[nodiscard]] bool lies_mandant_satz(int nummer, Satz& ziel);
  [[nodiscard]] bool schreibe_mandant_satz(const Satz& satz);
  [[nodiscard]] bool lies_letzter();
  [[nodiscard]] bool schreibe_letzter();
  void lies_journal();
  [[nodiscard]] bool schreibe_journal();

  // --- Opening and closing ---
  // Reserves "FIBU" + number + year, reads the parameter files and opens
  // the record files. `neue_waehrung_euro` is the currency chosen for a new
  // client. False when the reservation is held elsewhere.
  [[nodiscard]] bool mandant_oeffnen(int nummer, int jahr,
                                     std::optional<bool> neue_waehrung_euro = std::nullopt);
  void mandant_schliessen();
  [[nodiscard]] bool offen() const { return offen_; }
  // Switches a run that replaces whole files of the data directory
  // (month-end, ...): the client's files are closed without writing, the
  // run switched, and they are opened again as the run left it, with the
  // base data and archive count read anew; the file objects and the
  // reservation stay. False when the switch failed (a switch recorded is
  // completed when the client is next opened).
  [[nodiscard]] bool umbau_umschalten(Umbaulauf& lauf);

  // --- Account numbers against the base data's ranges ---
  [[nodiscard]] bool ist_sachkonto(const std::string& konto) const;
  [[nodiscard]] bool ist_debitor(const std::string& konto) const;
  [[nodiscard]] bool ist_kreditor(const std::string& konto) const;
  [[nodiscard]] bool ist_sammelkonto(const std::string& konto) const;
  std::string sachkonto_text(std::int32_t nummer) const;
  std::string personenkonto_text(std::int32_t nummer) const;

  // The payment module's directory ("ERECH" below the suite's configuration
  // directory) and the suite-wide currency; set before opening, the ERECH
  // object is then created with the others.
  std::string erech_verzeichnis;
  bool suite_euro = true;

  // --- State ---
  Satz basis{BasisFelder::groesse};
  Satz mandant{MandantFelder::groesse};
  Satz mahnkenn{MahnkennFelder::groesse};
  Satz bwanamen{BwanamenFelder::groesse};
  std::int32_t archivanzahl = 0;
  [[nodiscard]] int nummer() const { return nummer_; }
  [[nodiscard]] int jahr() const { return jahr_; }
  [[nodiscard]] bool euro() const { return basis.get(BasisFelder::BasiswaehrungEuro) != 0; }
  std::string waehrungstext() const { return euro() ? "EURO" : "DM"; }
  isam::IsamVerzeichnis& verzeichnis() { return *verz_; }

  // The record-file objects, created with the client in the documented
  // order; SACH, PERSONEN, KOSTEN and BUCHUNG are open while it is.
  std::unique_ptr<tdbperson_datenbank> personen;
  std::unique_ptr<tdbsach_datenbank> sach;
  std::unique_ptr<tdbkosten_datenbank> kosten;
  std::unique_ptr<tdbkostenart_datenbank> kostart;
  std::unique_ptr<tdbbuchung_datenbank> buchung;
  std::unique_ptr<tdbopstamm_datenbank> opstamm;
  std::unique_ptr<tdbrechnung_datenbank> erech;
  std::unique_ptr<tdbtemp_datenbank> tempkost;
  std::unique_ptr<tdbtemp2_datenbank> tempjour;
  std::unique_ptr<tdbBWAkonto_datenbank> bwakonto;

  Tagesdatum& tagesdatum() { return tagesdatum_; }
  Interaktion& ui() { return ui_; }
  Dateisystem& fs() { return fs_; }

 private:
  [[nodiscard]] bool satz_lesen(const std::string& verzeichnis, const std::string& name,
                                Satz& ziel);
  // Opens a parameter file of one record of the data directory, kept open
  // with the client; reads it into `ziel` (all zero when missing). Ends the
  // program when the file cannot be read whole.
  std::unique_ptr<isam::Festsatzdatei> parameterdatei(const std::string& name, Satz& ziel,
                                                      bool& vorhanden);
  Mandantenbezug bezug();
  [[nodiscard]] bool dateien_oeffnen(std::optional<bool> neue_waehrung_euro);
  void dateien_schliessen();
  // The record-file objects of the client's data directory (null when not made).
  std::vector<tdatenbank*> datenbanken();
  std::string reservierung() const;

  Dateisystem& fs_;
  Interaktion& ui_;
  Tagesdatum& tagesdatum_;
  std::string fibu_pfad_;
  Netzwerk& netz_;
  std::unique_ptr<isam::IsamVerzeichnis> verz_;
  std::unique_ptr<isam::Festsatzdatei> basis_par_, journal_par_;
  std::unique_ptr<isam::IsamVerzeichnis> erech_verz_;
  std::string daten_verzeichnis_;
  int nummer_ = 0, jahr_ = 0;
  bool offen_ = false;
};

// The standard page header of a printed list for the open client: its
// number and name, the business date and the currency.
Seitenkopf seitenkopf(Mandant& m, std::string titel, int breite);

}  // namespace fibu
