#include "frame/mandant.h"

#include <cstdio>
#include <vector>

#include "isam/isam.h"
#include "store/kontenbereiche.h"
#include "store/umbaulauf.h"
#include "suite/allgemei.h"
#include "suite/ergebnis.h"

namespace fibu {

std::string drei(int n) {
  char b[16];
  std::snprintf(b, sizeof b, "%03d", n);
  return b;
}

Mandant::Mandant(Dateisystem& fs, Interaktion& ui, Tagesdatum& tagesdatum, std::string fibu_pfad,
                 Netzwerk& netz)
    : fs_(fs), ui_(ui), tagesdatum_(tagesdatum), fibu_pfad_(std::move(fibu_pfad)), netz_(netz) {}

Mandant::~Mandant() {
  if (offen_) mandant_schliessen();
}

std::string Mandant::mandant_verzeichnis(int nummer) const {
  return pfad_verbinden(fibu_pfad_, drei(nummer)) + "/";
}

std::string Mandant::daten_verzeichnis(int nummer, int jahr) const {
  return mandant_verzeichnis(nummer) + std::to_string(jahr) + "/";
}

std::string Mandant::reservierung() const {
  return "FIBU" + drei(nummer_) + std::to_string(jahr_);
}

// A file of one record, read whole; missing means all zero.
bool Mandant::satz_lesen(const std::string& verzeichnis, const std::string& name, Satz& ziel) {
  ziel.leeren();
  auto pfad = fs_.finde_datei(verzeichnis, name);
  std::string inhalt;
  if (!pfad || !fs_.lies_datei(*pfad, inhalt)) return false;
  std::copy_n(inhalt.begin(), std::min(inhalt.size(), ziel.groesse()), ziel.bytes().begin());
  return true;
}

std::unique_ptr<isam::Festsatzdatei> Mandant::parameterdatei(const std::string& name, Satz& ziel,
                                                             bool& vorhanden) {
  ziel.leeren();
  vorhanden = fs_.finde_datei(daten_verzeichnis_, name).has_value();
  auto datei = std::make_unique<isam::Festsatzdatei>(*verz_);
  const std::uint32_t groesse = static_cast<std::uint32_t>(ziel.groesse());
  bool offen = datei->oeffnen(name, groesse, true);
  if (!offen && !vorhanden) {
    // Not there and not to be made now (the disk): the client does not open.
    ui_.ShowMessageMain("Die Datei " + name + " kann nicht angelegt werden!");
    return nullptr;
  }
  if (offen && datei->anzahl() == 0) vorhanden = false;  // made empty, never written
  if (!offen || (vorhanden && (datei->anzahl() != 1 || !datei->lesen(1, ziel.bytes().data()))))
    throw Abbruch("Die Datei " + name + " im Datenverzeichnis " + daten_verzeichnis_ +
                  " ist beschädigt oder nicht lesbar!\rProgramm wird abgebrochen!");
  return datei;
}

void Mandant::lies_basis() {
  bool vorhanden = false;
  basis_par_ = parameterdatei("BASIS.PAR", basis, vorhanden);
  // The periods of the year opened, whatever today's date is.
  if (!vorhanden) basis = neue_basis(jahr_);
  if (basis.get(BasisFelder::Diskettenlaufwerk).empty())
    basis.set(BasisFelder::Diskettenlaufwerk, "A:\\");
}

bool Mandant::schreibe_basis() {
  if (!basis_par_) return false;
  // The copy is the previous state for the user to fall back on; without
  // it the base data are still written.
  if (auto alt = fs_.finde_datei(daten_verzeichnis_, "BASIS.PAR"); alt && basis_par_->anzahl() == 1)
    (void)fs_.kopiere_datei(*alt, pfad_verbinden(daten_verzeichnis_, "BASIS.SIK"));
  return basis_ablegen();
}

bool Mandant::basis_ablegen() {
  if (!basis_par_) return false;
  if (basis_par_->schreiben(1, basis.bytes().data())) return true;
  ui_.ShowMessageMain("Die Datei BASIS.PAR konnte nicht geschrieben werden!");
  return false;
}

bool Mandant::lies_mandant(int nummer) {
  return lies_mandant_satz(nummer, mandant);
}

bool Mandant::lies_mandant_satz(int nummer, Satz& ziel) {
  return satz_lesen(mandant_verzeichnis(nummer), "MANDANT.PAR", ziel);
}

bool Mandant::schreibe_mandant() {
  return schreibe_mandant_satz(mandant);
}

bool Mandant::schreibe_mandant_satz(const Satz& satz) {
  int nummer = satz.get(MandantFelder::Mandantnummer);
  std::string verz = mandant_verzeichnis(nummer);
  if (auto alt = fs_.finde_datei(verz, "MANDANT.PAR"))
    (void)fs_.kopiere_datei(*alt, pfad_verbinden(verz, "MANDANT.SIK"));  // as for BASIS.SIK
  return fs_.schreibe_datei_atomar(pfad_verbinden(verz, "MANDANT.PAR"), satz.bytes()).ok();
}

bool Mandant::lies_letzter() {
  return satz_lesen(fibu_pfad_, "LETZTER.PAR", mandant);
}

bool Mandant::schreibe_letzter() {
  return fs_.schreibe_datei_atomar(pfad_verbinden(fibu_pfad_, "LETZTER.PAR"), mandant.bytes()).ok();
}

void Mandant::lies_journal() {
  Satz j(JournalFelder::groesse);
  bool vorhanden = false;
  journal_par_ = parameterdatei("JOURNAL.PAR", j, vorhanden);
  archivanzahl = j.get(JournalFelder::Archivanzahl);
}

bool Mandant::schreibe_journal() {
  if (!journal_par_) return false;
  Satz j(JournalFelder::groesse);
  j.set(JournalFelder::Archivanzahl, archivanzahl);
  if (journal_par_->schreiben(1, j.bytes().data())) return true;
  ui_.ShowMessageMain("Die Datei JOURNAL.PAR konnte nicht geschrieben werden!");
  return false;
}

Mandantenbezug Mandant::bezug() {
  // A failed write shows its message.
  return {&basis, [this] { (void)schreibe_basis(); }, &archivanzahl};
}

bool Mandant::mandant_oeffnen(int nummer, int jahr, std::optional<bool> neue_waehrung_euro) {
  if (offen_) mandant_schliessen();
  nummer_ = nummer;
  jahr_ = jahr;
  if (!netz_.lock(reservierung())) {
    // The client exists; it is in use (the selection then runs again).
    ui_.ShowMessageMain("Mandant " + drei(nummer) + " / " + std::to_string(jahr) +
                        " wird an einem anderen Arbeitsplatz bearbeitet.");
    return false;
  }
  daten_verzeichnis_ = daten_verzeichnis(nummer, jahr);
  if (fs_.finde_datei(daten_verzeichnis_, unfertig_kennzeichen)) {
    ui_.ShowMessageMain("Mandant " + drei(nummer) + " - " + std::to_string(jahr) +
                        " ist nicht fertig angelegt oder kopiert worden!\rBitte legen Sie ihn "
                        "neu an oder kopieren Sie ihn erneut.");
    netz_.unlock(reservierung());
    return false;
  }
  if (!fs_.verzeichnis_anlegen(daten_verzeichnis_)) {
    ui_.ShowMessageMain("Das Datenverzeichnis " + daten_verzeichnis_ +
                        " kann nicht angelegt werden!");
    netz_.unlock(reservierung());
    return false;
  }
  bool ok = false;
  try {
    ok = dateien_oeffnen(neue_waehrung_euro);
  } catch (...) {
    // The program ends; the reservation is released on the way out.
    netz_.unlock(reservierung());
    throw;
  }
  if (!ok) {
    netz_.unlock(reservierung());
    return false;
  }
  offen_ = true;
  return true;
}

// Everything of the data directory, under the reservation already held.
bool Mandant::dateien_oeffnen(std::optional<bool> neue_waehrung_euro) {
  // A run that replaces whole files and was cut off is completed or undone
  // before anything of the directory is read.
  {
    std::optional<Umbaubericht> bericht;
    if (Ergebnis e = umbau_aufraeumen(fs_, daten_verzeichnis_, bericht); !e)
      ui_.ShowMessageMain(undefinierter_zustand_text);
    else if (bericht)
      ui_.ShowMessageMain(bericht->meldung());
  }
  verz_ = std::make_unique<isam::IsamVerzeichnis>(fs_, daten_verzeichnis_);
  // 64 MiB of pages per file: a year of a million bookings then stays within
  // a few hundred MB while the index pages in use remain cached.
  verz_->cache_seiten = 16384;
  if (verz_->oeffnen() != isam::isam_ok) {
    ui_.ShowMessageMain("Das Datenverzeichnis " + daten_verzeichnis_ +
                        " kann nicht geöffnet werden!");
    verz_.reset();
    return false;
  }
  // The client record is that of the client opened (from its MANDANT.PAR),
  // with the year opened.
  // A client without MANDANT.PAR (made by hand) opens with an empty record.
  if (!lies_mandant(nummer_)) mandant.leeren();
  mandant.set(MandantFelder::Mandantnummer, static_cast<std::uint16_t>(nummer_));
  mandant.set(MandantFelder::Jahr, static_cast<std::uint16_t>(jahr_));
  try {
    lies_basis();
    lies_journal();
  } catch (...) {
    basis_par_.reset(), journal_par_.reset(), verz_.reset();
    throw;
  }
  if (!basis_par_ || !journal_par_) {
    basis_par_.reset(), journal_par_.reset(), verz_.reset();
    return false;
  }
  if (neue_waehrung_euro) {
    basis.set(BasisFelder::BasiswaehrungEuro,
              static_cast<std::uint8_t>(*neue_waehrung_euro ? 1 : 0));
    // Without it the year would open next time in the other currency,
    // whose record files have other names.
    if (!schreibe_basis()) {
      basis_par_.reset(), journal_par_.reset(), verz_.reset();
      return false;
    }
  }
  verz_->extensionen_fuer_waehrung(euro());
  // Missing files mean no dunning codes and no BWA names yet (all zero).
  (void)satz_lesen(daten_verzeichnis_, "MAHNKENN.PAR", mahnkenn);
  (void)satz_lesen(daten_verzeichnis_, "BWANAMEN.PAR", bwanamen);

  Mandantenbezug b = bezug();
  personen = std::make_unique<tdbperson_datenbank>(ui_, *verz_, b);
  sach = std::make_unique<tdbsach_datenbank>(ui_, *verz_, b);
  kosten = std::make_unique<tdbkosten_datenbank>(ui_, *verz_);
  kostart = std::make_unique<tdbkostenart_datenbank>(ui_, *verz_);
  buchung = std::make_unique<tdbbuchung_datenbank>(ui_, *verz_, b);
  opstamm = std::make_unique<tdbopstamm_datenbank>(ui_, *verz_, b, personen.get());
  if (!erech_verzeichnis.empty()) {
    erech_verz_ = std::make_unique<isam::IsamVerzeichnis>(fs_, erech_verzeichnis);
    erech = std::make_unique<tdbrechnung_datenbank>(ui_, *erech_verz_, suite_euro);
  }
  tempkost = std::make_unique<tdbtemp_datenbank>(ui_, *verz_);
  tempjour = std::make_unique<tdbtemp2_datenbank>(ui_, *verz_);
  bwakonto = std::make_unique<tdbBWAkonto_datenbank>(ui_, *verz_);
  try {
    sach->oeffnen();
    personen->oeffnen();
    kosten->oeffnen();
    buchung->oeffnen();
  } catch (...) {
    dateien_schliessen();
    throw;
  }
  return true;
}

std::vector<tdatenbank*> Mandant::datenbanken() {
  return {sach.get(),    personen.get(), kosten.get(),   buchung.get(), kostart.get(),
          opstamm.get(), tempkost.get(), tempjour.get(), bwakonto.get()};
}

void Mandant::dateien_schliessen() {
  for (tdatenbank* db : datenbanken())
    if (db) db->schliessen();
  if (erech) erech->schliessen();
  bwakonto.reset(), tempjour.reset(), tempkost.reset(), erech.reset(), opstamm.reset(),
      buchung.reset();
  erech_verz_.reset();
  kostart.reset(), kosten.reset(), sach.reset(), personen.reset();
  basis_par_.reset(), journal_par_.reset();
  verz_.reset();
}

bool Mandant::umbau_umschalten(Umbaulauf& lauf) {
  // No unit written before may later be replayed onto a replaced file.
  if (verz_->generation_erhoehen() != isam::isam_ok) {
    ui_.ShowMessageMain("Das Datenverzeichnis " + daten_verzeichnis_ +
                        " kann nicht umgestellt werden!");
    return false;
  }
  // The file objects stay (screens and runs hold them); only their files
  // are closed while the run switches them, and opened again after.
  std::vector<tdatenbank*> offen;
  for (tdatenbank* db : datenbanken())
    if (db && db->offen()) {
      db->schliessen();
      offen.push_back(db);
    }
  basis_par_.reset(), journal_par_.reset();
  const Ergebnis e = lauf.umschalten();
  if (!e) ui_.ShowMessageMain(e.text());
  lies_basis();
  lies_journal();
  for (tdatenbank* db : offen) db->oeffnen();
  return e.ok() && basis_par_ && journal_par_;
}

void Mandant::mandant_schliessen() {
  if (!offen_) return;
  // A failed write has shown its message; the client is closed all the same.
  (void)schreibe_basis();
  dateien_schliessen();
  netz_.unlock(reservierung());
  if (!schreibe_letzter())
    ui_.ShowMessageMain("Die Datei LETZTER.PAR konnte nicht geschrieben werden!");
  basis.leeren();
  mahnkenn.leeren();
  bwanamen.leeren();
  archivanzahl = 0;
  offen_ = false;
}

bool Mandant::ist_sachkonto(const std::string& konto) const {
  return fibu::ist_sachkonto(basis, konto);
}
bool Mandant::ist_debitor(const std::string& konto) const {
  return fibu::ist_debitor(basis, konto);
}
bool Mandant::ist_kreditor(const std::string& konto) const {
  return fibu::ist_kreditor(basis, konto);
}
bool Mandant::ist_sammelkonto(const std::string& konto) const {
  return fibu::ist_sammelkonto(basis, konto);
}
std::string Mandant::sachkonto_text(std::int32_t n) const {
  return fibu::sachkonto_text(basis, n);
}
std::string Mandant::personenkonto_text(std::int32_t n) const {
  return fibu::personenkonto_text(basis, n);
}

Seitenkopf seitenkopf(Mandant& m, std::string titel, int breite) {
  Seitenkopf k;
  k.titel = std::move(titel);
  k.mandant = m.nummer();
  k.mandant_name = trim(m.basis.get(BasisFelder::Name));
  k.datum = m.tagesdatum().Today();
  k.euro = m.euro();
  k.breite = breite;
  return k;
}

}  // namespace fibu
