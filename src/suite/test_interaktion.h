// The interaction interface for tests: plays a scripted user and records
// everything the program shows. Questions are answered from a queue of
// expected questions; entry forms run from queued scripts; pick lists from
// queued choices. Anything the script did not foresee (a question, a form, a
// pick list, or a form script that does not close its form) throws
// UnerwarteteInteraktion, so the test fails loudly.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "suite/browser.h"
#include "suite/entryform.h"
#include "suite/interaktion.h"

namespace fibu {

class UnerwarteteInteraktion : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// One step of a form script.
struct Formularschritt {
  enum class Art { Eingabe, Taste, Befehl, Schliessen, Zelle };
  Art art = Art::Eingabe;
  std::string feld;  // caption (or "#" + number) for Eingabe; caption for Befehl
  std::string wert;  // typed text for Eingabe
  Taste taste = Taste::Keine;
  bool erwartet_ok = true;  // Eingabe: typing and leaving must succeed (or fail)

  // Typing `wert` into a field and leaving it.
  static Formularschritt tippe(std::string feld, std::string wert, bool erwartet_ok = true);
  static Formularschritt druecke(Taste taste);
  static Formularschritt klicke(std::string beschriftung);
  static Formularschritt schliesse();
  // Typing `wert` into a cell of the form's table (line and column from 0).
  static Formularschritt zelle(int zeile, int spalte, std::string wert, bool erwartet_ok = true);
  int zeile = 0, spalte = 0;
};

class TestInteraktion : public Interaktion {
 public:
  TestInteraktion() = default;

  // --- What the script foresees ---
  // The next question must contain `frage_teil` (empty: any question).
  void erwarte_frage(const std::string& frage_teil, bool antwort);
  void erwarte_frage_hilfe(const std::string& frage_teil, Antwort antwort);
  void formular_skript(std::vector<Formularschritt> schritte);
  // The next grid screen is played by this function.
  void raster_skript(std::function<void(Rasterformular&)> spiel);
  // The next pick list chooses the first entry whose line contains `text`;
  // nullopt cancels it.
  void waehle(std::optional<std::string> text);
  // The next choice of a print target is refused (the user cancels).
  void drucker_ablehnen() { drucker_ablehnen_ = true; }
  // EscPressed() answers true from its n-th call on.
  void esc_nach(long aufrufe) { esc_ab_ = aufrufe; }
  void zeilen_pro_seite(int n) { zeilen_pro_seite_ = n; }
  void druckziel(Druckziel ziel) { druckziel_ = ziel; }  // of the jobs to come
  // Fails when questions, form scripts or choices were left unused.
  void alles_verbraucht() const;

  // --- What happened ---
  const std::vector<std::string>& meldungen() const { return meldungen_; }
  const std::vector<std::string>& fragen() const { return fragen_; }
  const std::vector<Druckauftrag>& druckauftraege() const { return druckauftraege_; }
  // Print jobs go to `ansehen` instead of being kept (benchmarks of long
  // lists: a preview also only looks at the job the report holds).
  void druckauftraege_ansehen(std::function<void(const Druckauftrag&)> ansehen) {
    ansehen_ = std::move(ansehen);
  }
  // Every event in order: "Meldung: ...", "Frage: ... -> Ja", "Balken: ...", ...
  const std::vector<std::string>& protokoll() const { return protokoll_; }
  long balken_stand() const { return balken_stand_; }
  bool balken_offen() const { return balken_offen_; }

  // --- Interaktion ---
  void ShowMessageMain(const std::string& text) override;
  bool JaNein2(const std::string& frage) override;
  Antwort JaNeinHilfe(const std::string& frage) override;
  void Balken_Oeffnen(const std::string& text, long maximum) override;
  void Balken_Max(long maximum) override;
  void Balken_Text(const std::string& text) override;
  void Balken_Inc(long schritte) override;
  void Balken_Schliessen() override;
  bool EscPressed() override;
  bool drucker_waehlen(Druckauftrag& auftrag) override;
  void drucken(const Druckauftrag& auftrag) override;
  bool formular(TEntryForm& form) override;
  std::optional<Browsereintrag> auswahl(Tmybrowser& liste) override;
  void raster(Rasterformular& r) override;

 private:
  struct Frage {
    std::string teil;
    Antwort antwort;
    bool mit_hilfe;
  };
  Antwort beantworte(const std::string& frage, bool mit_hilfe);

  std::deque<Frage> fragen_erwartet_;
  std::deque<std::vector<Formularschritt>> skripte_;
  std::deque<std::function<void(Rasterformular&)>> raster_skripte_;
  std::deque<std::optional<std::string>> wahlen_;
  bool drucker_ablehnen_ = false;
  long esc_ab_ = 0;
  long esc_aufrufe_ = 0;
  int zeilen_pro_seite_ = 66;
  Druckziel druckziel_ = Druckziel::Drucker;

  std::vector<std::string> meldungen_;
  std::vector<std::string> fragen_;
  std::vector<Druckauftrag> druckauftraege_;
  std::function<void(const Druckauftrag&)> ansehen_;
  std::vector<std::string> protokoll_;
  long balken_stand_ = 0;
  long balken_max_ = 0;
  bool balken_offen_ = false;
};

// Finds a field of a form by caption or "#" + number; nullptr when none.
const TEntryForm::Feld* finde_formularfeld(const TEntryForm& form, const std::string& feld);

}  // namespace fibu
