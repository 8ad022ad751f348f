// What the GL-account and the personal-account dialogs share: the account
// the dialog holds and the steps it takes with it — choosing it by number,
// reading it (or making a new one), emptying the dialog, saving it after
// its checks, paging through the file. Each dialog adds its fields, keys
// and rules.
#pragma once

#include <functional>
#include <string>

#include "frame/mandant.h"
#include "masters/kontohilfen.h"
#include "masters/pruefmeldung.h"
#include "suite/entryform.h"

namespace fibu {

// Where an account's key, number, opening date and posted flag are in its
// record.
struct Kontofelder {
  TextFeld key;
  ZahlFeld<std::int32_t> nummer;
  DatumFeld eroeffnung;
  JaNeinFeld bebucht;
};

class Kontodialog {
 public:
  virtual ~Kontodialog() = default;
  Kontodialog(const Kontodialog&) = delete;
  Kontodialog& operator=(const Kontodialog&) = delete;

  TEntryForm& form() { return form_; }
  // The account shown (its record as the dialog holds it).
  const Satz& konto() const { return konto_; }
  bool konto_gewaehlt() const { return gewaehlt_; }

  // The steps of the dialog, also for scripts.
  bool nummer_verlassen();
  // Saves the account after its checks; true also when there is nothing
  // to save (no account chosen, or nothing typed into it).
  bool speichern();
  void laden(const std::string& key);
  void leeren();

 protected:
  // The file of the accounts and where the dialog keeps their number.
  struct Kontodatei {
    tdatenbank& datei;
    Kontofelder felder;
    int nummer_feld;   // the number typed to choose an account
    int erstes_feld;   // where the cursor goes once it is chosen
    std::string bereichsmeldung;  // a number outside the account ranges
    // Whether a key lies in the account ranges of the base data, whether
    // an account is posted (it cannot be deleted), and its save checks.
    std::function<bool(const Satz& basis, const std::string& key)> im_bereich;
    std::function<bool(Mandant&, const Satz&)> bebucht;
    std::function<bool(Mandant&, const Satz&, Pruefmeldung&)> pruefen;
  };
  Kontodialog(Mandant& m, const std::string& titel, Kontodatei datei);

  // The dialog's own rules.
  virtual std::string key() const = 0;  // the key of the number typed
  virtual void form_aus_satz() = 0;
  virtual void satz_aus_form() = 0;

  // Page up/down: saves, then the next or previous account of the file.
  Reaktion blaettern(bool vor);
  // F8: after the question, the account goes (the file refuses posted
  // accounts and says so).
  Reaktion loeschen(const std::string& frage);

  Mandant& m_;
  TEntryForm form_;
  Satz konto_;
  bool gewaehlt_ = false;
  bool neu_ = false;  // the account is not stored yet

 private:
  Kontodatei d_;
};

}  // namespace fibu
