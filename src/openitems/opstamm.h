// The maintenance screen of the open items ("Offene Posten pflegen",
// `TFOPStamm`) for the customers or the suppliers, and the read-only view
// of one item that account sheets and lists open.
//
// An item is chosen by its document number (typed, or from the pick lists
// by number and by search name), read and locked; while it is in edit the
// number field and the lists are closed. Only the dunning data, the dates,
// the other party's number and, for a Diverse item, its address can be
// changed; amounts, account and keys stay as the bookings made them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frame/mandant.h"
#include "openitems/offeneposten.h"
#include "suite/entryform.h"
#include "suite/formularbindung.h"

namespace fibu {

// A lock on one record of a file while a screen edits it, held across
// workstations: an operating-system lock on a byte of the data file at the
// record's reference, beyond every byte the file uses, so it never meets
// the file locks the record manager takes for its operations.
class Satzsperre {
 public:
  Satzsperre() = default;
  ~Satzsperre() = default;  // closing the file releases the lock
  Satzsperre(Satzsperre&&) = default;
  Satzsperre& operator=(Satzsperre&&) = default;  // releases the lock held before

  // False when another holds the record or the data file cannot be opened.
  [[nodiscard]] bool sperren(tdatenbank& db, std::uint32_t ref);
  void freigeben() { datei_.reset(); }
  [[nodiscard]] bool gesperrt() const { return datei_ != nullptr; }

 private:
  std::unique_ptr<Datei> datei_;
};

// The fields of the item maintenance that show an item's record, in the
// order of its screen (bound to the numbers of TFOPStamm).
Formularbindung op_bindung(bool kreditoren);

class TFOPStamm {
 public:
  enum Feld : int {
    f_belegnr = 1,
    f_belegart,  // "Rechnung" / "Gutschrift"
    f_kontoart,  // "Debitor" / "Kreditor" by the account's number range
    f_diverse,   // "Diverse" for an item of one-time customers or suppliers
    f_kontonummer,
    f_suchname,
    f_anrede,
    f_name,
    f_titel,
    f_strasse,
    f_plz_ort,
    f_rechnungsdatum,
    f_faelligkeitsdatum,
    f_buchungsdatum,
    f_betrag,
    f_noch_offen,
    f_mahnstufe,
    f_mahndatum,
    f_mahnkennziffer,
    f_fremdbelegnr,  // "Projektnummer" on the customers' screen
    f_filternummer,
    f_mahnen,
    f_gegenkonto,
  };

  TFOPStamm(Mandant& m, bool kreditoren);

  TEntryForm& form() { return form_; }
  // The item shown, as the screen holds it.
  const Satz& op() const { return op_; }
  bool op_gewaehlt() const { return gewaehlt_; }
  bool gesperrt() const { return sperre_.gesperrt(); }

  // Runs the screen; a lock still held when it closes is freed. True when
  // it was left with "Ende".
  bool ausfuehren();

  // The steps of the screen, also for scripts.
  // Leaving the number field: the item of the number, read and locked.
  bool belegnr_verlassen();
  // Reads and locks the item of key 1 and shows it; false, with the
  // message and the cursor in the number field, when it cannot be had
  // (the item shown before stays, with its lock).
  bool laden(const std::string& key);
  // Writes the item back when it was changed; false when a field check
  // refuses it. The lock stays.
  bool speichern();
  // The item of key 1 shown with every field and the browse keys
  // protected; false when there is no such item of this kind.
  bool anzeigen(const std::string& key);

 private:
  Reaktion ende();
  Reaktion blaettern(bool vor);
  Reaktion liste(int key_nr);
  Reaktion zahlungen();
  // The item a pick list chose (the file's working record).
  void aus_liste();
  void zeigen();
  void felder_schuetzen(bool alle);
  bool datum_pruefen(int nr);
  void melde(const std::string& text, int fokus);
  std::string nicht_vorhanden() const;

  Mandant& m_;
  bool kreditoren_;
  char kennung_;
  OpstammOffen opstamm_offen_;
  TEntryForm form_;
  Formularbindung bindung_;
  Satz op_;
  std::string key_;  // key 1 of the item shown
  bool gewaehlt_ = false;
  bool nur_lesen_ = false;
  Satzsperre sperre_;
};

// Shows the item of key 1 ("D" or "K" + document number) read-only; false
// with "OP nicht gefunden!" when there is none.
bool op_anzeigen(Mandant& m, const std::string& key);

// The pick list "Liste der Offenen Posten": key_nr 1 lists the items of
// kind `kennung` by document number starting at `key` (key 1), key_nr 2
// all items by search name. True with the chosen item in the working
// record of OPSTAMM.
bool op_auswaehlen(Mandant& m, int key_nr, char kennung, std::string& key);

}  // namespace fibu
