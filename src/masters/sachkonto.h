// GL accounts: the save checks of an account record (run by the dialog and
// by the consistency check), the dialog "Pflege der Sachkonten"
// (`TFSachkonto`) with its lists, deletion, renaming and copying, the
// printed chart "Sachkontenplan" and the deletion of a range.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "frame/mandant.h"
#include "masters/kontodialog.h"
#include "masters/pruefmeldung.h"
#include "suite/entryform.h"

namespace fibu {

// The save checks of a GL account record in their order. In a dialog the
// first check that stops the save ends them (false); messages that only
// warn (number outside the range, group codes, a tax key without tax
// account) let it go on. In the consistency check all run.
bool sachkonto_pruefen(Mandant& m, const Satz& konto, Pruefmeldung& meldung);

// The prefix of the consistency check's lines for an account: "Sachkonto 1200: ".
std::string sachkonto_praefix(const Satz& konto);

// Whether the account has an opening balance, a period total or a booking.
bool sachkonto_bebucht(Mandant& m, const Satz& konto);

// Whether the number is a receivables, payables or tax account of the base
// data.
bool ist_basiskonto(const Satz& basis, std::int32_t nummer);

// The GL account of a number, read without touching the dialog's record;
// nullopt when there is none.
std::optional<Satz> sachkonto_lesen(Mandant& m, std::int32_t nummer);

// "Kasse (K)" ... for the kinds 0..5 ("" for 0).
const char* kontenart_name(int art);

class TFSachkonto : public Kontodialog {
 public:
  // Field numbers of the dialog.
  enum Feld : int {
    f_nummer = 1,
    f_bez1,
    f_bez2,
    f_suchname,
    f_budget,
    f_kostenstellenzwang,
    f_sammelkonto,
    f_kontenart,
    f_ustzeile,
    f_steuerschluessel,
    f_aenderbar,
    f_zuordnung,  // 4 pairs: type, code (12..19)
    f_uebernahme = f_zuordnung + 8,
    f_eroeffnung,
    f_bebucht,
    f_datev,  // the account needs a tax key at DATEV (no automatic account there)
  };

  explicit TFSachkonto(Mandant& m);
  // Runs the dialog; false when the GL range is not usable.
  bool ausfuehren();

 private:
  std::string key() const override;
  void form_aus_satz() override;
  void satz_aus_form() override;
  void tasten_anlegen();
  void steuerschluessel_sperre();
  Reaktion kontenarten();   // F4: the kinds, into the field
  Reaktion steuerkonten();  // F5: the tax keys of the base data
  Reaktion bwa_liste();     // F6: the BWA groups, into the assignment at the cursor
  bool neue_nummer_frei(std::int32_t neu);
  Reaktion umbenennen();
  Reaktion kopieren();
  Reaktion info();
  Reaktion umsaetze();
  Reaktion liste(int key_nr);
};

// "Liste der Sachkonten": a range and "Kurzliste", then the printed chart.
void sachkontenplan(Mandant& m);
// The printed chart of the accounts from `von` to `bis` (numbers).
void sachkontenplan_drucken(Mandant& m, std::int32_t von, std::int32_t bis, bool kurz);
// "Löschen von Sachkonten": every account of a range that may be deleted.
void sachkonten_loeschen(Mandant& m);

}  // namespace fibu
