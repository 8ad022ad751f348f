// One declarative table per dialog binds its form fields to the fields of a
// record: field number, caption, record field and format. The table makes
// the fields, shows a record in them and takes them back into the record,
// so that no dialog writes its own copy code between form and record.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "suite/entryform.h"
#include "suite/satz.h"

namespace fibu {

class Formularbindung {
 public:
  // --- The table, one entry per bound field, in the order of the form ---
  Formularbindung& text(int nr, std::string beschriftung, TextFeld feld, int laenge = 0);
  Formularbindung& byte(int nr, std::string beschriftung, ZahlFeld<std::uint8_t> feld,
                        std::uint8_t min = 0, std::uint8_t max = 255);
  Formularbindung& word(int nr, std::string beschriftung, ZahlFeld<std::uint16_t> feld,
                        std::uint16_t min = 0, std::uint16_t max = 65535);
  Formularbindung& longint(int nr, std::string beschriftung, ZahlFeld<std::int32_t> feld,
                           std::int32_t min, std::int32_t max);
  // An amount or rate in units of its last decimal (cents: 2 decimals).
  Formularbindung& betrag(int nr, std::string beschriftung, ZahlFeld<std::int64_t> feld,
                          std::string maske, int nachkomma = 2);
  Formularbindung& datum(int nr, std::string beschriftung, DatumFeld feld);
  Formularbindung& janein(int nr, std::string beschriftung, JaNeinFeld feld);
  // A choice whose index is the stored number. A stored number the choice
  // cannot show is shown as its last entry and kept unless another is chosen.
  template <typename T>
  Formularbindung& auswahl(int nr, std::string beschriftung, ZahlFeld<T> feld,
                           std::vector<std::string> texte) {
    Eintrag e = zahl_eintrag(nr, std::move(beschriftung), feld, Feldart::Auswahl);
    e.auswahl = std::move(texte);
    return neu(std::move(e));
  }

  // A field of the dialog's own between the bound ones (a text it computes):
  // `anlegen` adds it; showing and taking back pass it by.
  Formularbindung& eigenes(std::function<void(TEntryForm&)> anlegen);

  // --- Modifiers of the entry added last ---
  // Shown, protected, never written back (a value the record keeps).
  Formularbindung& nur_anzeige();
  // Its text is stored without blanks at the ends.
  Formularbindung& getrimmt();
  // Protected when made (the dialog may free it), written back all the same.
  Formularbindung& geschuetzt();

  // --- The three uses ---
  // Adds the fields to the form in table order, with the record's values.
  void felder_anlegen(TEntryForm& form, const Satz& satz) const;
  // Shows the record in the bound fields.
  void zeigen(TEntryForm& form, const Satz& satz) const;
  // Takes the bound fields that are not only shown back into the record.
  void uebernehmen(const TEntryForm& form, Satz& satz) const;

 private:
  struct Eintrag {
    int nr = 0;
    std::string beschriftung;
    Feldart art = Feldart::Text;
    TextFeld textfeld{0, 0};
    // Numbers of every width as int64 (dates, yes/no and choices too).
    std::function<std::int64_t(const Satz&)> lesen;
    std::function<void(Satz&, std::int64_t)> schreiben;
    int laenge = 0;
    std::int64_t min = 0, max = 0;
    std::string maske;
    int nachkomma = 0;
    std::vector<std::string> auswahl;
    bool nur_anzeige = false, getrimmt = false, geschuetzt = false;
    std::function<void(TEntryForm&)> eigenes;  // set: a field of the dialog's own
  };

  static Eintrag kopf(int nr, std::string beschriftung, Feldart art);
  template <typename T>
  static Eintrag zahl_eintrag(int nr, std::string beschriftung, ZahlFeld<T> feld, Feldart art) {
    Eintrag e = kopf(nr, std::move(beschriftung), art);
    e.lesen = [feld](const Satz& s) { return static_cast<std::int64_t>(s.get(feld)); };
    e.schreiben = [feld](Satz& s, std::int64_t v) { s.set(feld, static_cast<T>(v)); };
    return e;
  }
  template <typename T>
  Formularbindung& ganzzahl(int nr, std::string beschriftung, ZahlFeld<T> feld, Feldart art,
                            T min, T max) {
    Eintrag e = zahl_eintrag(nr, std::move(beschriftung), feld, art);
    e.min = min, e.max = max;
    return neu(std::move(e));
  }
  Formularbindung& neu(Eintrag e);
  std::int64_t angezeigt(const Eintrag& e, const Satz& satz) const;

  std::vector<Eintrag> eintraege_;
};

}  // namespace fibu
