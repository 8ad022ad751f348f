// Personal accounts (customers and suppliers): the save checks (dialog and
// consistency check), the dialog "Pflege der Personenkonten"
// (`TFPersonenkonto`) with the address pick from the suite's address
// master, the printed "Personenkontenplan" and the deletion of a range.
//
// The suite's address master is the file ADRESSEN.TXT in the suite's
// address directory: one address per line, fields separated by "|":
//   Kundennr|Anrede|Name|Titel|Straße|PLZ/Ort|Telefon
// in the Windows code page; a first line beginning with "Kundennr" is a
// heading.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frame/mandant.h"
#include "masters/kontodialog.h"
#include "masters/pruefmeldung.h"
#include "suite/entryform.h"

namespace fibu {

// The save checks; in a dialog the first that stops the save ends them.
bool personenkonto_pruefen(Mandant& m, const Satz& konto, Pruefmeldung& meldung);
// The prefix of the consistency check's lines: "Personenkonto 10001: ".
std::string personenkonto_praefix(const Satz& konto);
bool personenkonto_bebucht(Mandant& m, const Satz& konto);

struct Adresse {
  std::string kundennr, anrede, name, titel, strasse, plz_ort, telefon;
};
// The addresses of the master in `verzeichnis`; an error when the file
// cannot be read (a missing file is an empty master).
Ergebnis adressen_lesen(Dateisystem& fs, const std::string& verzeichnis,
                        std::vector<Adresse>& aus);
// `sperre_adresse`: marks the address of a customer number as blocked, with
// "J" in an eighth field of its line (the other programs of the suite read
// it; the seven fields stay as they are). False when there is no such
// address; an error when the file cannot be written.
Ergebnis adresse_sperren(Dateisystem& fs, const std::string& verzeichnis,
                         const std::string& kundennr, bool& gefunden);

class TFPersonenkonto : public Kontodialog {
 public:
  enum Feld : int {
    f_nummer = 1,
    f_bereiche,
    f_anrede,
    f_name,
    f_titel,
    f_strasse,
    f_plz_ort,
    f_telefon,
    f_suchname,
    f_egid,
    f_filter,
    f_limit,
    f_bankname,
    f_blz,
    f_bankkonto,
    f_nettotage,
    f_skonto1,
    f_skontotage1,
    f_skonto2,
    f_skontotage2,
    f_sammelkonto,
    f_sammelkonto_text,
    f_summe,
    f_diverse,
    f_mkz,
    f_mahnen,
    f_eroeffnung,
    f_bebucht,
    f_iban,
    f_bic,
    f_mandat,
    f_mandatsdatum,
  };

  // `adressverzeichnis`: the suite's address directory.
  TFPersonenkonto(Mandant& m, std::string adressverzeichnis);
  bool ausfuehren();

 private:
  std::string key() const override;
  void form_aus_satz() override;
  void satz_aus_form() override;
  Reaktion liste(int key_nr);
  Reaktion adresse();
  // IBAN and BIC in their normal form; a wrong one keeps the cursor.
  bool bankkennung_verlassen(int nr);
  Reaktion info();
  Reaktion umsaetze();

  std::string adressverzeichnis_;
};

// "Liste der Personenkonten": a range, then the printed chart.
void personenkontenplan(Mandant& m);
void personenkontenplan_drucken(Mandant& m, std::int32_t von, std::int32_t bis);
// "Löschen von Personenkonten": every account of a range that may be deleted.
void personenkonten_loeschen(Mandant& m);

}  // namespace fibu
