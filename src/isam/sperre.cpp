#include "isam/sperre.h"

#include <algorithm>

#include "isam/fehler.h"
#include "isam/verzeichnis.h"

namespace fibu::isam {

Dateisperre::~Dateisperre() {
  v_.sperre_vergessen(this);
  // Unlocking is not refused; the lock goes with the handle at the latest.
  if (os_ != Stufe::Keine) (void)datei_.entsperren();
}

int Dateisperre::explizit(Stufe s) {
  Stufe vorher = explizit_;
  explizit_ = s;
  int fehler = anpassen();
  if (fehler != isam_ok) explizit_ = vorher;
  return fehler;
}

int Dateisperre::fuer_einheit() {
  if (einheit_) return isam_ok;
  einheit_ = true;
  int fehler = anpassen();
  if (fehler != isam_ok) {
    einheit_ = false;
    return fehler;
  }
  v_.sperre_fuer_einheit(this);
  return isam_ok;
}

void Dateisperre::einheit_ende() {
  if (!einheit_) return;
  einheit_ = false;
  (void)anpassen();  // going down releases or downgrades, which never waits
}

int Dateisperre::operation_beginnen() {
  ++operationen_;
  int fehler = anpassen();
  if (fehler != isam_ok) --operationen_;
  return fehler;
}

void Dateisperre::operation_beenden() {
  if (operationen_ > 0) --operationen_;
  (void)anpassen();  // as in einheit_ende
}

int Dateisperre::anpassen() {
  Stufe soll = std::max(explizit_, einheit_ ? Stufe::Exklusiv : Stufe::Keine);
  if (operationen_ > 0) soll = std::max(soll, Stufe::Geteilt);
  if (soll == os_) return isam_ok;
  if (soll == Stufe::Keine) {
    (void)datei_.entsperren();  // as in the destructor
    os_ = Stufe::Keine;
    return isam_ok;
  }
  Sperrart art = soll == Stufe::Exklusiv ? Sperrart::Exklusiv : Sperrart::Geteilt;
  int fehler = v_.sperren(datei_, art);
  if (fehler != isam_ok) {
    // A failed change leaves the lock we had (a failed upgrade keeps the
    // shared lock on Linux only if the kernel did; retake it to be sure).
    if (os_ != Stufe::Keine) {
      Sperrart alt = os_ == Stufe::Exklusiv ? Sperrart::Exklusiv : Sperrart::Geteilt;
      if (v_.sperren(datei_, alt) != isam_ok) os_ = Stufe::Keine;
    }
    return fehler;
  }
  bool neu_erworben = os_ == Stufe::Keine || soll == Stufe::Exklusiv;
  os_ = soll;
  // Going down from exclusive to shared cannot miss a change by others.
  if (neu_erworben) {
    fehler = v_.nach_sperre(datei_, art);
    if (fehler != isam_ok) {
      (void)datei_.entsperren();  // as in the destructor
      os_ = Stufe::Keine;
      return fehler;
    }
  }
  return isam_ok;
}

}  // namespace fibu::isam
