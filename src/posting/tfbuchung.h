// The posting entry screen ("Buchungen erfassen und ändern"): a grid of
// booking lines, one row per booking of the open-bookings view, the row
// number being the booking number. The cursor runs through the columns of
// a row; leaving a column checks it; a complete row is written at once
// through the posting engine. The screen keeps the running difference D
// of all rows (signed gross amounts, debit positive) and proposes the
// counter-line that brings it back to zero.
//
// The model is free of widgets: a view shows zelle(), statuszeile() and
// panel(), hands typed text to eingabe() and the cursor keys to
// verlassen() / gehe_zu(), the function keys to taste().
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "frame/mandant.h"
#include "posting/buchen.h"
#include "suite/entryform.h"
#include "suite/raster.h"

namespace fibu {

class TFBuchung : public Rasterformular {
 public:
  enum Spalte { A = 0, Konto, Kost, Belegnr, Datum_, Te, B, Betrag_, Gegen, St, Steuer };
  static constexpr int spaltenzahl = 11;
  static const std::array<const char*, spaltenzahl> ueberschriften;
  // Free rows the grid keeps below the last written one.
  static constexpr int freie_zeilen = 20;

  // Opens the screen: the open-item and cost-type files, the open-bookings
  // view, the running difference, the cursor on the row after the last one.
  TFBuchung(Mandant& m, Buchungskern& kern);
  // Closes the screen: the view back, the last type and date saved.
  ~TFBuchung();
  TFBuchung(const TFBuchung&) = delete;
  TFBuchung& operator=(const TFBuchung&) = delete;

  // Runs the screen through the interaction until it is closed.
  void ausfuehren() { m_.ui().raster(*this); }

  // --- The grid ---
  std::string titel() const override { return "Buchungen erfassen und ändern"; }
  std::vector<std::string> spalten() const override;
  bool rechtsbuendig(int spalte) const override;
  bool nur_anzeige(int spalte) const override { return spalte == Steuer; }
  std::int64_t zeilen() const override { return letzte_ + freie_zeilen; }
  std::int64_t letzte() const { return letzte_; }
  // The text of a cell as the grid shows it.
  std::string zelle(std::int64_t zeile, int spalte) override;
  std::int64_t zeile() const override { return zeile_; }
  int spalte() const override { return spalte_; }
  bool gesperrt(std::int64_t zeile);

  // --- What the user does ---
  // Text typed into the current cell; false (with a message) when it does
  // not fit the column's format.
  bool eingabe(const std::string& text) override;
  // Leaves the current column forward (Tab, Enter) or back: runs its check;
  // false when the cursor stays.
  bool weiter() override;
  bool zurueck() override;
  // The cursor to another cell (arrow keys, mouse): another row while the
  // current one is changed asks whether to drop the changes.
  bool gehe_zu(std::int64_t zeile, int spalte) override;
  // Esc, F2..F8, Ctrl+N. Reaktion::Speichern / Abbrechen: the screen closes.
  Reaktion taste(Taste t) override;
  // The window is closed: true when it may close.
  bool schliessen() override;

  // --- What the screen shows ---
  std::string statuszeile() const override;
  struct Panel {
    std::string text1, text2, saldo, name, faelligdatum, mahnkennzeichen, fremdbelegnr,
        rechnungsdatum;
  };
  Panel panel();
  std::vector<std::pair<std::string, std::string>> panelfelder() override;
  Betrag differenz() const { return d_; }
  int buchungsperiode() const { return periode_; }
  bool netto() const { return netto_; }
  bool automatik = true;  // "Auto"
  bool geaendert() const { return geaendert_; }
  // The buttons with their keys.
  std::vector<std::pair<Taste, std::string>> tasten() const override;

  // Context menu: captions; kontext(i) runs entry i.
  std::vector<std::string> kontextmenue() const override;
  bool kontext_verfuegbar(std::size_t i) const override;
  void kontext(std::size_t i) override;
  // What the context menu and F6 reach beyond this folder: the statement
  // of an account, a menu command, the posting assistant (given by the
  // program that opens the screen; left empty the entries do nothing).
  std::function<void(std::int32_t konto)> kontoauszug;
  std::function<void(int befehl)> befehl;
  std::function<bool(int befehl)> befehl_verfuegbar;
  // The assistant gets the entry period, which its period choice may change.
  std::function<void(int& buchungsperiode)> assistent;

  // After bookings were appended elsewhere (the assistant): reloads the
  // grid and puts the cursor on the row after the last booking.
  void neu_laden();

  // The row's extra data in their dialogs: texts, foreign currency,
  // document date with due date and the other party's number.
  void texte_bearbeiten();
  void waehrung();
  void belegdatum();

  // The working row (for tests and the view's editors).
  const Satz& satz() const { return satz_; }

 private:
  enum class Pruefung { Bleiben, Weiter };
  Pruefung pruefen(int spalte, bool vorwaerts);
  Pruefung pruefe_art();
  Pruefung pruefe_konto();
  Pruefung pruefe_kost();
  Pruefung pruefe_beleg();
  Pruefung pruefe_datum();
  Pruefung pruefe_te();
  Pruefung pruefe_sh();
  Pruefung pruefe_betrag();
  Pruefung pruefe_gegen(bool vorwaerts);
  Pruefung pruefe_st();

  bool zeile_laden(std::int64_t zeile);
  bool speichern();
  void loeschen();
  void gegenzeile_vorschlagen();
  void belegnummer_vorschlagen();
  void steuer_rechnen();
  bool nach_konto_ueberspringen() const;
  bool speichert_nach_gegen() const;
  bool beenden_erlaubt();
  Reaktion liste(bool nach_name);
  void springen();
  void belegsuche();
  bool zeile_fertig(const std::string& meldung_wenn_nicht);

  // What the row is and may do.
  bool person() const;
  bool debitor() const;
  std::optional<Satz> sachkonto() const;
  std::optional<Satz> personenkonto() const;
  std::string kontoname(const std::string& konto) const;
  bool war_geschrieben() const;
  bool alter_op_hat_zahlungen() const;
  bool alter_eroeffnet_op() const;
  bool aenderung_des_op_verboten();
  std::optional<Satz> op_lesen(const std::string& key) const;
  char geforderte_seite() const;
  static Betrag brutto(const Satz& s);
  static Betrag vorzeichenbrutto(const Satz& s);
  std::uint8_t letzte_art() const;
  // A written row as the grid shows it (the last rows read are kept).
  const Satz* gelesene_zeile(std::int64_t zeile);
  void zwischenspeicher_leeren() { gelesen_.clear(); }

  Mandant& m_;
  Buchungskern& kern_;
  Satz satz_;      // the row being edited
  Satz original_;  // the row as it was when the cursor entered it
  std::int64_t zeile_ = 1;
  int spalte_ = Konto;
  std::int64_t letzte_ = 0;  // last non-empty booking
  Betrag d_ = 0;
  int periode_ = 1;
  bool netto_ = false;
  bool geaendert_ = false;
  bool geoeffnet_opstamm_ = false, geoeffnet_kostart_ = false;
  std::vector<std::pair<std::int64_t, Satz>> gelesen_;
};

}  // namespace fibu
