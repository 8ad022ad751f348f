#include "masters/kontodialog.h"

#include "store/kontenbereiche.h"
#include "suite/allgemei.h"

namespace fibu {

Kontodialog::Kontodialog(Mandant& m, const std::string& titel, Kontodatei datei)
    : m_(m), form_(titel), konto_(datei.datei.satzgroesse()), d_(std::move(datei)) {}

bool Kontodialog::nummer_verlassen() {
  if (gewaehlt_) return true;
  if (!kontonummer_im_bereich(form_, d_.nummer_feld, d_.im_bereich(m_.basis, key()),
                              d_.bereichsmeldung))
    return false;
  laden(key());
  return true;
}

// The account of the key, or a new one with the key, its number and today
// as its opening date. The number field is locked then, and the cursor
// goes to the account's first field.
void Kontodialog::laden(const std::string& k) {
  tdatenbank& datei = d_.datei;
  neu_ = !datei.suchen(k);
  if (neu_) {
    datei.leeren();
    datei.satz().set(d_.felder.key, k);
    datei.satz().set(d_.felder.nummer, kontowert(k));
    datei.satz().set(d_.felder.eroeffnung, m_.tagesdatum().Today());
  }
  konto_ = datei.satz();
  konto_.set(d_.felder.bebucht, d_.bebucht(m_, konto_));
  gewaehlt_ = true;
  form_aus_satz();
  form_.ProtectControl(d_.nummer_feld);
  form_.setze_geaendert(false);
  form_.setze_fokus(d_.erstes_feld);
}

void Kontodialog::leeren() {
  gewaehlt_ = false;
  neu_ = false;
  d_.datei.leeren();
  konto_ = d_.datei.satz();
  form_aus_satz();
  form_.setze_zahl(d_.nummer_feld, 0);
  form_.ProtectControl(d_.nummer_feld, false);
  form_.setze_geaendert(false);
  form_.setze_fokus(d_.nummer_feld);
}

bool Kontodialog::speichern() {
  // Nothing entered, or nothing typed into the account: nothing to save
  // (a number alone makes no account).
  if (!gewaehlt_ || !form_.geaendert()) return true;
  satz_aus_form();
  Pruefmeldung meldung(form_.ui());
  if (!d_.pruefen(m_, konto_, meldung)) return false;
  d_.datei.satz() = konto_;
  d_.datei.speichern(key());
  form_.setze_geaendert(false);
  neu_ = false;
  return true;
}

Reaktion Kontodialog::blaettern(bool vor) {
  if (!speichern()) return Reaktion::Weiter;
  std::string k = gewaehlt_ ? key() : "";
  const bool ok = vor ? d_.datei.weiter_key(1, k) : d_.datei.zurueck_key(1, k);
  if (ok) laden(trim(k));
  return Reaktion::Weiter;
}

Reaktion Kontodialog::loeschen(const std::string& frage) {
  if (!gewaehlt_ || !form_.ui().JaNein2(frage)) return Reaktion::Weiter;
  d_.datei.satz() = konto_;
  d_.datei.loeschen(key());
  leeren();
  return Reaktion::Weiter;
}

}  // namespace fibu
