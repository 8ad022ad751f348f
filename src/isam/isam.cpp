#include "isam/isam.h"

#include <cstring>

#include "isam/crc32c.h"
#include "suite/allgemei.h"

namespace fibu::isam {
namespace {

bool name_gueltig(const std::string& name) {
  return !name.empty() && name.size() <= 192 && name.find('/') == std::string::npos;
}

bool tabelle_gueltig(std::uint32_t satzgroesse, int anzahl, const Schluesseltabelle& schluessel) {
  if (satzgroesse == 0 || satzgroesse > 65535 || anzahl < 1 || anzahl > max_schluessel ||
      static_cast<int>(schluessel.size()) < anzahl)
    return false;
  for (int i = 0; i < anzahl; ++i)
    if (schluessel[static_cast<std::size_t>(i)].laenge < 1 ||
        schluessel[static_cast<std::size_t>(i)].laenge > max_schluessellaenge)
      return false;
  return true;
}

// Writes a whole new file that must not exist yet, and syncs it.
int neue_datei_schreiben(Dateisystem& fs, const std::string& pfad,
                         const std::vector<std::string>& seiten) {
  std::unique_ptr<Datei> d;
  Ergebnis e = fs.oeffnen(pfad, Oeffnen::NeuExklusiv, d);
  if (!e) return e.code() == Ergebnis::Code::Existiert ? fehler_existiert : fehler_ein_ausgabe;
  std::string alles;
  for (const auto& s : seiten) alles += s;
  if (!d->schreiben(0, alles) || !d->sync()) return fehler_ein_ausgabe;
  return isam_ok;
}

}  // namespace

IsamFileBlock::~IsamFileBlock() {
  (void)CloseNetFileBlock();  // a destructor cannot report; the handles go either way
}

bool IsamFileBlock::ergebnis(int fehler) {
  IsamError = fehler;
  IsamOK = fehler == isam_ok;
  return IsamOK;
}

int IsamFileBlock::pruefe_offen() const {
  return daten_ ? isam_ok : fehler_nicht_offen;
}

int IsamFileBlock::pruefe_nr(int nr) const {
  if (!daten_) return fehler_nicht_offen;
  return nr >= 1 && nr <= dat_->schluesselanzahl() ? isam_ok : fehler_parameter;
}

void IsamFileBlock::aufraeumen() {
  if (daten_) daten_->aufraeumen();
  if (index_) index_->aufraeumen();
}

template <typename F>
bool IsamFileBlock::lesend(F&& tun) {
  if (int f = pruefe_offen(); f != isam_ok) return ergebnis(f);
  int f;
  {
    Lesesperre sperre(*sperre_);
    f = sperre.fehler();
    if (f == isam_ok) f = tun();
  }
  aufraeumen();
  return ergebnis(f);
}

template <typename F>
bool IsamFileBlock::schreibend(F&& tun) {
  if (int f = pruefe_offen(); f != isam_ok) return ergebnis(f);
  int f;
  {
    Einheit einheit(v_);
    f = einheit.fehler();
    if (f == isam_ok) f = sperre_->fuer_einheit();
    if (f == isam_ok) f = tun();
    f = einheit.ende(f);
  }
  aufraeumen();
  return ergebnis(f);
}

bool IsamFileBlock::MakeNetFileBlock(const std::string& name_roh, std::uint32_t satzgroesse,
                                     int schluesselanzahl, const Schluesseltabelle& schluessel) {
  if (daten_ || !name_gueltig(name_roh) ||
      !tabelle_gueltig(satzgroesse, schluesselanzahl, schluessel))
    return ergebnis(fehler_parameter);
  if (int f = v_.oeffnen(); f != isam_ok) return ergebnis(f);
  if (int f = v_.generation_erhoehen(); f != isam_ok) return ergebnis(f);
  std::string name = gross(name_roh);
  Dateisystem& fs = v_.fs();
  if (fs.finde_datei(v_.pfad(), name + "." + v_.DatExtension) ||
      fs.finde_datei(v_.pfad(), name + "." + v_.IxExtension))
    return ergebnis(fehler_existiert);
  Schluesseltabelle tabelle(schluessel.begin(), schluessel.begin() + schluesselanzahl);
  // Both files are written whole under temporary names and then renamed,
  // the data file first: a pair cut halfway is a data file whose index is
  // to be rebuilt, never two damaged files.
  const std::string dat = v_.datei_pfad(name + "." + v_.DatExtension),
                    ix = v_.datei_pfad(name + "." + v_.IxExtension);
  const std::string dat_neu = temporaerer_name(dat), ix_neu = temporaerer_name(ix);
  int f = neue_datei_schreiben(fs, dat_neu, {Datendatei::neuer_kopf(satzgroesse, schluesselanzahl)});
  if (f == isam_ok) {
    auto seiten = Indexbaum::neue_datei(satzgroesse, tabelle);
    for (auto& s : seiten) {
      std::uint32_t c = crc32c(s.data(), pruefsummen_offset);
      std::memcpy(s.data() + pruefsummen_offset, &c, 4);
    }
    f = neue_datei_schreiben(fs, ix_neu, seiten);
  }
  if (f == isam_ok && !fs.umbenennen(dat_neu, dat)) f = fehler_ein_ausgabe;
  if (f == isam_ok && !fs.umbenennen(ix_neu, ix)) {
    f = fehler_ein_ausgabe;
    (void)fs.loeschen(dat);  // alone it would ask for a rebuild; it is new and empty
  }
  if (f == isam_ok && !fs.verzeichnis_sync(v_.pfad())) f = fehler_ein_ausgabe;
  if (f != isam_ok) {
    // Temporary files that stay are never read as record files.
    (void)fs.loeschen(dat_neu);
    (void)fs.loeschen(ix_neu);
    return ergebnis(f);
  }
  return OpenNetFileBlock(name);
}

bool IsamFileBlock::OpenNetFileBlock(const std::string& name_roh) {
  if (daten_ || !name_gueltig(name_roh)) return ergebnis(fehler_parameter);
  if (int f = v_.oeffnen(); f != isam_ok) return ergebnis(f);
  Dateisystem& fs = v_.fs();
  auto dat_pfad = fs.finde_datei(v_.pfad(), name_roh + "." + v_.DatExtension);
  auto ix_pfad = fs.finde_datei(v_.pfad(), name_roh + "." + v_.IxExtension);
  if (!dat_pfad && !ix_pfad) return ergebnis(fehler_dateien_fehlen);
  if (!dat_pfad) return ergebnis(fehler_datendatei_fehlt);
  if (!ix_pfad) return ergebnis(fehler_index_defekt);

  std::unique_ptr<Datei> d, x;
  if (!fs.oeffnen(*dat_pfad, Oeffnen::LesenSchreiben, d) ||
      !fs.oeffnen(*ix_pfad, Oeffnen::LesenSchreiben, x))
    return ergebnis(fehler_ein_ausgabe);
  name_ = name_roh;
  daten_ = std::make_unique<Seitendatei>(v_, name_von(*dat_pfad), std::move(d), false);
  index_ = std::make_unique<Seitendatei>(v_, name_von(*ix_pfad), std::move(x), true);
  if (!daten_->bereit() || !index_->bereit()) {
    index_.reset();
    daten_.reset();
    return ergebnis(fehler_ein_ausgabe);
  }
  sperre_ = std::make_unique<Dateisperre>(v_, index_->datei());
  dat_ = std::make_unique<Datendatei>(*daten_);
  baum_ = std::make_unique<Indexbaum>(*index_);

  int f;
  {
    Lesesperre sperre(*sperre_);
    f = sperre.fehler();
    if (f == isam_ok) f = dat_->kopf_pruefen();
    if (f == isam_ok) {
      Ergebnis e = index_->alle_pruefen();
      if (!e) f = e.code() == Ergebnis::Code::Ungueltig ? fehler_index_defekt : fehler_ein_ausgabe;
    }
    if (f == isam_ok) f = baum_->kopf_pruefen(dat_->schluesselanzahl());
  }
  if (f != isam_ok) {
    (void)CloseNetFileBlock();  // the reason the open failed is what counts
    return ergebnis(f);
  }
  for (auto& p : position_) p = Position{};
  return ergebnis(isam_ok);
}

bool IsamFileBlock::CloseNetFileBlock() {
  if (!daten_) return ergebnis(isam_ok);
  // Pages this file wrote in a running unit stay with the unit: close only
  // after it ended.
  if (daten_->geaendert() || index_->geaendert()) return ergebnis(fehler_einheit);
  baum_.reset();
  dat_.reset();
  sperre_.reset();
  index_.reset();
  daten_.reset();
  return ergebnis(isam_ok);
}

bool IsamFileBlock::DeleteFileBlock(const std::string& name) {
  if (daten_ && name == name_) (void)CloseNetFileBlock();  // checked by the next line
  if (daten_ && name == name_) return ergebnis(fehler_einheit);
  if (int f = v_.generation_erhoehen(); f != isam_ok) return ergebnis(f);
  Dateisystem& fs = v_.fs();
  auto ix = fs.finde_datei(v_.pfad(), name + "." + v_.IxExtension);
  auto dat = fs.finde_datei(v_.pfad(), name + "." + v_.DatExtension);
  if (!ix && !dat) return ergebnis(fehler_dateien_fehlen);
  if (ix && !fs.loeschen(*ix)) return ergebnis(fehler_ein_ausgabe);
  if (dat && !fs.loeschen(*dat)) return ergebnis(fehler_ein_ausgabe);
  return ergebnis(fs.verzeichnis_sync(v_.pfad()) ? isam_ok : fehler_ein_ausgabe);
}

bool IsamFileBlock::FlushFileBlock() {
  // Every unit of work is on disk when it has committed.
  return ergebnis(pruefe_offen());
}

bool IsamFileBlock::LockFileBlock() {
  if (int f = pruefe_offen(); f != isam_ok) return ergebnis(f);
  return ergebnis(sperre_->explizit(Dateisperre::Stufe::Exklusiv));
}

bool IsamFileBlock::ReadLockFileBlock() {
  if (int f = pruefe_offen(); f != isam_ok) return ergebnis(f);
  return ergebnis(sperre_->explizit(Dateisperre::Stufe::Geteilt));
}

bool IsamFileBlock::UnLockFileBlock() {
  if (int f = pruefe_offen(); f != isam_ok) return ergebnis(f);
  return ergebnis(sperre_->explizit(Dateisperre::Stufe::Keine));
}

bool IsamFileBlock::FileBlockIsLocked() const {
  return sperre_ && sperre_->explizite_stufe() != Dateisperre::Stufe::Keine;
}

bool IsamFileBlock::AddNetRec(std::uint32_t& ref, const void* satz) {
  return schreibend([&] { return dat_->hinzufuegen(static_cast<const char*>(satz), ref); });
}

bool IsamFileBlock::PutNetRec(std::uint32_t ref, const void* satz) {
  return schreibend([&] { return dat_->ersetzen(ref, static_cast<const char*>(satz)); });
}

bool IsamFileBlock::GetNetRec(std::uint32_t ref, void* satz) {
  return lesend([&]() -> int { return dat_->lesen(ref, static_cast<char*>(satz)); });
}

bool IsamFileBlock::DeleteNetRec(std::uint32_t ref) {
  return schreibend([&] { return dat_->loeschen(ref); });
}

bool IsamFileBlock::AddNetKey(int nr, std::uint32_t ref, const std::string& key) {
  if (int f = pruefe_nr(nr); f != isam_ok) return ergebnis(f);
  if (key.empty() && !AddNullKeys) return ergebnis(isam_ok);
  return schreibend([&] { return baum_->einfuegen(nr, key, ref); });
}

bool IsamFileBlock::DeleteNetKey(int nr, std::uint32_t ref, const std::string& key) {
  if (int f = pruefe_nr(nr); f != isam_ok) return ergebnis(f);
  return schreibend([&] { return baum_->entfernen(nr, key, ref); });
}

bool IsamFileBlock::NetKeyExists(int nr, std::uint32_t ref, const std::string& key) {
  if (int f = pruefe_nr(nr); f != isam_ok) {
    ergebnis(f);
    return false;
  }
  bool gefunden = false;
  // A read that failed (a lock) leaves it false, with IsamError set.
  (void)lesend([&]() -> int {
    Fundstelle f;
    if (int r = baum_->suche_ab(nr, key, ref, f); r != isam_ok) return r;
    if (f.blatt == 0) return isam_ok;
    std::string k;
    std::uint32_t r;
    if (int e = baum_->eintrag(nr, f, k, r); e != isam_ok) return e;
    gefunden = k == baum_->schneide(nr, key) && r == ref;
    return isam_ok;
  });
  return gefunden;
}

bool IsamFileBlock::FindNetKey(int nr, std::uint32_t& ref, const std::string& key) {
  if (int f = pruefe_nr(nr); f != isam_ok) return ergebnis(f);
  return lesend([&]() -> int {
    std::string gesucht = baum_->schneide(nr, key);
    Fundstelle f;
    if (int r = baum_->suche_ab(nr, gesucht, 0, f); r != isam_ok) return r;
    if (f.blatt == 0) return fehler_schluessel_fehlt;
    std::string k;
    std::uint32_t r;
    if (int e = baum_->eintrag(nr, f, k, r); e != isam_ok) return e;
    if (k != gesucht) return fehler_schluessel_fehlt;
    ref = r;
    position_[static_cast<std::size_t>(nr)] = {true, k, r};
    return isam_ok;
  });
}

bool IsamFileBlock::SearchNetKey(int nr, std::uint32_t& ref, std::string& key) {
  if (int f = pruefe_nr(nr); f != isam_ok) return ergebnis(f);
  return lesend([&]() -> int {
    Fundstelle f;
    if (int r = baum_->suche_ab(nr, key, 0, f); r != isam_ok) return r;
    if (f.blatt == 0) return fehler_indexende;
    std::string k;
    std::uint32_t r;
    if (int e = baum_->eintrag(nr, f, k, r); e != isam_ok) return e;
    key = k;
    ref = r;
    position_[static_cast<std::size_t>(nr)] = {true, k, r};
    return isam_ok;
  });
}

bool IsamFileBlock::FindNetKeyAndRef(int nr, std::uint32_t ref, const std::string& key) {
  if (int f = pruefe_nr(nr); f != isam_ok) return ergebnis(f);
  std::string gesucht = baum_->schneide(nr, key);
  position_[static_cast<std::size_t>(nr)] = {true, gesucht, ref};
  bool da = NetKeyExists(nr, ref, gesucht);
  if (!IsamOK) return false;
  return ergebnis(da ? isam_ok : fehler_schluessel_fehlt);
}

void IsamFileBlock::ClearKey(int nr) {
  if (nr >= 1 && nr <= max_schluessel) position_[static_cast<std::size_t>(nr)] = Position{};
}

int IsamFileBlock::schritt(int nr, bool vor, std::uint32_t& ref, std::string& key) {
  Position& p = position_[static_cast<std::size_t>(nr)];
  Fundstelle f;
  int r;
  if (vor)
    r = p.gesetzt ? baum_->danach(nr, p.key, p.ref, f) : baum_->suche_ab(nr, "", 0, f);
  else
    r = p.gesetzt ? baum_->davor(nr, p.key, p.ref, f)
                  : baum_->davor(nr, std::string(max_schluessellaenge, '\xFF'), UINT32_MAX, f);
  if (r != isam_ok) return r;
  if (f.blatt == 0) return fehler_indexende;
  std::string k;
  std::uint32_t ref_neu;
  if (int e = baum_->eintrag(nr, f, k, ref_neu); e != isam_ok) return e;
  p = {true, k, ref_neu};
  key = k;
  ref = ref_neu;
  return isam_ok;
}

bool IsamFileBlock::NextNetKey(int nr, std::uint32_t& ref, std::string& key) {
  if (int f = pruefe_nr(nr); f != isam_ok) return ergebnis(f);
  return lesend([&]() -> int { return schritt(nr, true, ref, key); });
}

bool IsamFileBlock::PrevNetKey(int nr, std::uint32_t& ref, std::string& key) {
  if (int f = pruefe_nr(nr); f != isam_ok) return ergebnis(f);
  return lesend([&]() -> int { return schritt(nr, false, ref, key); });
}

std::uint32_t IsamFileBlock::BTDatRecordSize() {
  ergebnis(pruefe_offen());
  return daten_ ? dat_->satzgroesse() : 0;
}

int IsamFileBlock::BTNrOfKeys() {
  ergebnis(pruefe_offen());
  return daten_ ? dat_->schluesselanzahl() : 0;
}

std::uint32_t IsamFileBlock::BTUsedRecs() {
  std::uint32_t n = 0;
  // A failed read answers 0, with IsamError set.
  (void)lesend([&]() -> int {
    n = dat_->benutzt();
    return isam_ok;
  });
  return n;
}

std::uint64_t IsamFileBlock::BTUsedKeys(int nr) {
  if (int f = pruefe_nr(nr); f != isam_ok) {
    ergebnis(f);
    return 0;
  }
  std::uint64_t n = 0;
  (void)lesend([&]() -> int {  // as above
    n = baum_->anzahl(nr);
    return isam_ok;
  });
  return n;
}

// --- Festsatzdatei ---

bool Festsatzdatei::ergebnis(int fehler) {
  IsamError = fehler;
  IsamOK = fehler == isam_ok;
  return IsamOK;
}

bool Festsatzdatei::oeffnen(const std::string& name, std::uint32_t satzgroesse, bool anlegen) {
  if (datei_ || satzgroesse == 0 || !name_gueltig(name)) return ergebnis(fehler_parameter);
  if (int f = v_.oeffnen(); f != isam_ok) return ergebnis(f);
  Dateisystem& fs = v_.fs();
  auto pfad = fs.finde_datei(v_.pfad(), name);
  std::unique_ptr<Datei> d;
  if (!pfad) {
    if (!anlegen) return ergebnis(fehler_dateien_fehlen);
    if (!fs.oeffnen(v_.datei_pfad(gross(name)), Oeffnen::Anlegen, d) || !d->sync() ||
        !fs.verzeichnis_sync(v_.pfad()))
      return ergebnis(fehler_ein_ausgabe);
    pfad = v_.datei_pfad(gross(name));
  } else if (!fs.oeffnen(*pfad, Oeffnen::LesenSchreiben, d)) {
    return ergebnis(fehler_ein_ausgabe);
  }
  std::uint64_t groesse = 0;
  if (!d->groesse(groesse)) return ergebnis(fehler_ein_ausgabe);
  if (groesse % satzgroesse != 0) return ergebnis(fehler_daten_defekt);
  satzgroesse_ = satzgroesse;
  datei_ = std::make_unique<Seitendatei>(v_, name_von(*pfad), std::move(d), false);
  sperre_ = std::make_unique<Dateisperre>(v_, datei_->datei());
  return ergebnis(isam_ok);
}

void Festsatzdatei::schliessen() {
  if (datei_ && datei_->geaendert()) return;  // its unit is still running
  sperre_.reset();
  datei_.reset();
}

std::uint64_t Festsatzdatei::anzahl() {
  return datei_ ? datei_->groesse() / satzgroesse_ : 0;
}

bool Festsatzdatei::lesen(std::uint64_t nr, void* satz) {
  if (!datei_) return ergebnis(fehler_nicht_offen);
  int f;
  {
    Lesesperre sperre(*sperre_);
    f = sperre.fehler();
    if (f == isam_ok && (nr == 0 || nr > anzahl())) f = fehler_satzreferenz;
    if (f == isam_ok &&
        !datei_->lesen((nr - 1) * satzgroesse_, satzgroesse_, static_cast<char*>(satz)))
      f = fehler_ein_ausgabe;
  }
  datei_->aufraeumen();
  return ergebnis(f);
}

bool Festsatzdatei::lesen_mehrere(std::uint64_t nr, std::uint64_t anzahl, void* saetze) {
  if (!datei_) return ergebnis(fehler_nicht_offen);
  int f;
  {
    Lesesperre sperre(*sperre_);
    f = sperre.fehler();
    if (f == isam_ok && (nr == 0 || anzahl == 0 || nr + anzahl - 1 > this->anzahl()))
      f = fehler_satzreferenz;
    if (f == isam_ok && !datei_->durchlesen((nr - 1) * satzgroesse_, anzahl * satzgroesse_,
                                            static_cast<char*>(saetze)))
      f = fehler_ein_ausgabe;
  }
  datei_->aufraeumen();
  return ergebnis(f);
}

std::size_t Festsatzdatei::seiten_im_cache() const {
  return datei_ ? datei_->seiten_im_cache() : 0;
}

bool Festsatzdatei::schreiben(std::uint64_t nr, const void* satz) {
  if (!datei_) return ergebnis(fehler_nicht_offen);
  int f;
  {
    Einheit einheit(v_);
    f = einheit.fehler();
    if (f == isam_ok) f = sperre_->fuer_einheit();
    if (f == isam_ok && (nr == 0 || nr > anzahl() + 1)) f = fehler_satzreferenz;
    if (f == isam_ok &&
        !datei_->schreiben((nr - 1) * satzgroesse_, static_cast<const char*>(satz), satzgroesse_))
      f = fehler_ein_ausgabe;
    f = einheit.ende(f);
  }
  datei_->aufraeumen();
  return ergebnis(f);
}

bool Festsatzdatei::kuerzen(std::uint64_t n) {
  if (!datei_) return ergebnis(fehler_nicht_offen);
  int f;
  {
    Einheit einheit(v_);
    f = einheit.fehler();
    if (f == isam_ok) f = sperre_->fuer_einheit();
    if (f == isam_ok && n > anzahl()) f = fehler_satzreferenz;
    if (f == isam_ok && !datei_->groesse_setzen(n * satzgroesse_)) f = fehler_ein_ausgabe;
    f = einheit.ende(f);
  }
  return ergebnis(f);
}

bool Festsatzdatei::sperren_exklusiv() {
  if (!datei_) return ergebnis(fehler_nicht_offen);
  return ergebnis(sperre_->explizit(Dateisperre::Stufe::Exklusiv));
}

bool Festsatzdatei::sperren_geteilt() {
  if (!datei_) return ergebnis(fehler_nicht_offen);
  return ergebnis(sperre_->explizit(Dateisperre::Stufe::Geteilt));
}

bool Festsatzdatei::entsperren() {
  if (!datei_) return ergebnis(fehler_nicht_offen);
  return ergebnis(sperre_->explizit(Dateisperre::Stufe::Keine));
}

}  // namespace fibu::isam
