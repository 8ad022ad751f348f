// Entry forms (`TEntryForm`): the field list of a dialog with its values,
// checks and key commands, free of any widget. A form model of a domain
// folder builds one, the interaction interface shows it (the generic Qt
// dialog, a test script, the batch answers) and plays the user against it:
//
//   eingabe(nr, text)  the user typed text into field nr (parsed by type)
//   verlassen(nr)      the cursor leaves field nr (the form's leave check)
//   taste(t)/befehl(i) a key or button; Esc saves and closes by default,
//                      after leaving every field typed into (a refused
//                      check keeps the form open)
//   schliessen()       the window is closed; asks whether to save changes
//
// Fields are bound by number; after Execute the caller reads them back.
// Every message goes through the interaction interface the form runs on.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "suite/interaktion.h"
#include "suite/tpdate.h"

namespace fibu {

enum class Taste {
  Keine,  // a button without a key
  Esc,
  Enter,
  F2,
  F3,
  F4,
  F5,
  F6,
  F7,
  F8,
  F9,
  F10,
  F11,
  F12,
  BildAuf,
  BildAb,
  StrgN,
};
std::string tastenname(Taste t);
// Captions compare without "&" accelerators, surrounding blanks and case.
bool gleiche_beschriftung(const std::string& a,
                          const std::string& b);  // "Esc", "F2", "Bild auf", ...
std::optional<Taste> taste_aus_name(const std::string& name);

enum class Feldart { Text, Byte, Word, LongInt, Comp, Double, Kalenderdatum, JaNein, Auswahl };

// What a key or button leaves behind.
enum class Reaktion {
  Weiter,     // the form stays open
  Speichern,  // the form closes, Execute answers true
  Abbrechen,  // the form closes, Execute answers false
};

class TEntryForm {
 public:
  struct Feld {
    int nr = 0;
    std::string beschriftung;
    Feldart art = Feldart::Text;
    int laenge = 0;     // characters shown / allowed (Text: maximum)
    std::string maske;  // Comp: amount mask, e.g. "###########.##"
    int nachkomma = 0;  // Comp, Double: implied decimals of the value
    std::int64_t min = 0, max = 0;
    std::vector<std::string> auswahl;  // Auswahl: the choices
    int seite = 0;
    bool geschuetzt = false;  // shown, not editable (ProtectControl)
    bool verdeckt = false;    // typed text not shown (passwords)
    // The value: text for Text; zahl for Byte/Word/LongInt/Comp (in units of
    // the last decimal), Datum (day number), JaNein (0/1), Auswahl (index);
    // dezimal for Double.
    std::string text;
    std::int64_t zahl = 0;
    double dezimal = 0;
  };

  struct Befehl {
    Taste taste = Taste::Keine;
    std::string beschriftung;  // button caption with "&" accelerator
    std::function<Reaktion(TEntryForm&)> aktion;
  };

  // A table of lines below the fields (an allocation key's lines): the
  // form's model owns the lines, the screen shows and edits them cell by
  // cell through these functions.
  struct Tabelle {
    std::vector<std::string> spalten;  // column captions
    std::function<int()> zeilen;       // lines shown (filled ones and free ones)
    std::function<std::string(int zeile, int spalte)> zelle;
    // The user typed `text` into a cell: false, with the model's message,
    // when it is refused (the cell then shows its old value).
    std::function<bool(int zeile, int spalte, const std::string& text)> setzen;
  };

  explicit TEntryForm(std::string titel);

  const std::string& titel() const { return titel_; }
  void setze_titel(std::string titel) { titel_ = std::move(titel); }

  // --- Building the form ---
  // Subsequent fields go to a new tab page of this name.
  void Seite(const std::string& name);
  void AddString(int nr, const std::string& beschriftung, const std::string& wert, int laenge);
  void AddByte(int nr, const std::string& beschriftung, std::uint8_t wert, std::uint8_t min = 0,
               std::uint8_t max = 255);
  void AddWord(int nr, const std::string& beschriftung, std::uint16_t wert, std::uint16_t min = 0,
               std::uint16_t max = 65535);
  void AddLongInt(int nr, const std::string& beschriftung, std::int32_t wert,
                  std::int32_t min = INT32_MIN, std::int32_t max = INT32_MAX);
  // An amount (cents, or another implied number of decimals) shown with a mask.
  void AddComp(int nr, const std::string& beschriftung, std::int64_t wert,
               const std::string& maske = "###########.##", int nachkomma = 2);
  void AddDouble(int nr, const std::string& beschriftung, double wert, int nachkomma);
  void AddDate(int nr, const std::string& beschriftung, Datum wert);
  void AddYesNo(int nr, const std::string& beschriftung, bool wert);
  void AddChoice(int nr, const std::string& beschriftung, std::vector<std::string> auswahl,
                 int index);

  // A key command or a button (Taste::Keine). A later command for the same
  // key replaces the earlier one.
  void AddKey(Taste taste, const std::string& beschriftung,
              std::function<Reaktion(TEntryForm&)> aktion);
  // The check when the cursor leaves a field; false keeps the cursor there.
  void beim_verlassen(std::function<bool(TEntryForm&, int nr)> pruefung);
  // What Esc does unless a command for Esc was added: true closes the form.
  void beim_speichern(std::function<bool(TEntryForm&)> speichern);
  // The check when a tab page is left; false keeps the page in front.
  void beim_seitenwechsel(std::function<bool(TEntryForm&, int seite)> pruefung);

  void setze_tabelle(Tabelle tabelle) { tabelle_ = std::move(tabelle); }
  const std::optional<Tabelle>& tabelle() const { return tabelle_; }
  // The user typed into a cell of the table: counts as a change.
  bool zelle_setzen(int zeile, int spalte, const std::string& text);

  void ProtectControl(int nr, bool geschuetzt = true);
  // A field whose text the screen does not show (a password).
  void Verdeckt(int nr) { feld_rw(nr).verdeckt = true; }
  // Whether closing the window with unsaved changes asks to save them.
  void FrageDatenSpeichern(bool fragen) { frage_speichern_ = fragen; }
  // What Esc does where it starts a list or a run rather than saving: the
  // caption of its button ("&Drucken", "&Start"); empty: "&Speichern".
  void EscBefehl(std::string beschriftung) { esc_befehl_ = std::move(beschriftung); }
  const std::string& esc_befehl() const { return esc_befehl_; }
  // A text above the fields that explains what the dialog does.
  void Erklaerung(std::string text) { erklaerung_ = std::move(text); }
  const std::string& erklaerung() const { return erklaerung_; }

  // Runs the form modally on `ui`; true when closed by saving.
  bool Execute(Interaktion& ui);

  // --- Values ---
  const std::string& text(int nr) const { return feld(nr).text; }
  std::int64_t zahl(int nr) const { return feld(nr).zahl; }
  double dezimal(int nr) const { return feld(nr).dezimal; }
  Datum datum(int nr) const { return static_cast<Datum>(feld(nr).zahl); }
  bool ja(int nr) const { return feld(nr).zahl != 0; }
  int auswahl(int nr) const { return static_cast<int>(feld(nr).zahl); }
  // Setting values from the program does not count as a change by the user.
  void setze_text(int nr, const std::string& wert);
  void setze_zahl(int nr, std::int64_t wert);
  void setze_dezimal(int nr, double wert);
  void setze_datum(int nr, Datum wert) { setze_zahl(nr, wert); }
  void setze_ja(int nr, bool wert) { setze_zahl(nr, wert ? 1 : 0); }

  // The value as the form shows it ("1.234,56" for amounts is not used here:
  // amounts follow their mask; dates "dd.mm.yyyy"; yes/no "Ja"/"Nein").
  std::string anzeige(int nr) const;

  // --- Playing the user (views, test scripts, batch answers) ---
  // The user typed `text` into field nr: false with a message when it is no
  // valid value for the field or the field is protected.
  bool eingabe(int nr, const std::string& text);
  // The cursor leaves field nr: the form's leave check.
  bool verlassen(int nr);
  // A key; Reaktion::Weiter for a key the form does not know.
  Reaktion taste(Taste t);
  Reaktion befehl(std::size_t index);
  // The window is being closed: with unsaved changes the user is asked
  // whether to save them; saving may be refused and the form stays open.
  Reaktion schliessen();

  // The user switches from the page in front to page `seite` (0-based):
  // false, with the page's message, when the page in front may not be left.
  bool seite_wechseln(int seite);
  int aktuelle_seite() const { return seite_; }
  void setze_seite(int seite) { seite_ = seite; }

  bool geaendert() const { return geaendert_; }
  void setze_geaendert(bool g) { geaendert_ = g; }
  // The field the cursor should go to next (set by checks and commands).
  int fokus() const { return fokus_; }
  void setze_fokus(int nr) { fokus_ = nr; }

  const std::vector<Feld>& felder() const { return felder_; }
  const std::vector<std::string>& seiten() const { return seiten_; }
  const std::vector<Befehl>& befehle() const { return befehle_; }
  const Feld& feld(int nr) const;
  bool hat_feld(int nr) const;
  // The field with this caption ("&" accelerators ignored); nullptr if none.
  const Feld* feld_mit_beschriftung(const std::string& beschriftung) const;

  // The interaction interface during Execute (for the commands' messages).
  Interaktion& ui() const;

 private:
  Feld& feld_rw(int nr);
  Feld& neues_feld(int nr, const std::string& beschriftung, Feldart art);
  void melde(const std::string& text) const;

  std::string titel_;
  std::vector<Feld> felder_;
  std::vector<std::string> seiten_;
  std::vector<Befehl> befehle_;
  std::optional<Tabelle> tabelle_;
  std::function<bool(TEntryForm&, int)> pruefung_;
  std::function<bool(TEntryForm&)> speichern_;
  std::function<bool(TEntryForm&, int)> seitenpruefung_;
  int seite_ = 0;
  bool frage_speichern_ = true;
  std::string esc_befehl_;
  std::string erklaerung_;
  std::set<int> zu_pruefen_;  // typed into, not yet left with a passing check
  bool geaendert_ = false;
  int fokus_ = 0;
  Interaktion* ui_ = nullptr;
};

}  // namespace fibu
