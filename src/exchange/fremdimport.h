// "Übernahme Fremddaten": bookings, with new customers and suppliers and
// their open items, from the fixed-column file FREMDIMP.DAT of another
// program. Two passes over the file: the check pass only prints the
// protocol "Prüfung und Import Fremddaten"; when it found nothing, the
// posting pass creates the missing personal accounts and open items and
// writes each line as the next booking through the posting engine.
//
// Nothing is written unless the whole file passed the check pass. The
// posting pass commits in units of whole documents, each recording in the
// base data how far the file is posted; when it fails, the protocol names
// the last line whose booking is on disk, and the same file imported again
// continues after it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "exchange/fremdzeile.h"
#include "exchange/uebernahme.h"
#include "frame/mandant.h"
#include "posting/buchen.h"
#include "suite/ausgabe3.h"
#include "suite/entryform.h"

namespace fibu {

inline constexpr const char* fremddatei_name = "FREMDIMP.DAT";
// The command number under which the base data record the import's progress.
inline constexpr int fremdimport_befehl = 27;

// The dialog's settings, kept in the base data.
struct Fremdeinstellungen {
  Datum von = kein_datum, bis = kein_datum;
  int periode = 1;
  bool adressen = false;                 // "Debitor-/Kreditor-Adressen übernehmen"
  bool negative_als_gutschrift = false;  // "Rechnungen mit negativen Beträge als Gutschriften"
  std::string pfad;                      // directory of the file
};

// The stored settings; unset dates and period become the current period's.
Fremdeinstellungen fremdeinstellungen_lesen(const Satz& basis);
void fremdeinstellungen_ablegen(Satz& basis, const Fremdeinstellungen& e);

// The lines of a file in the Windows code page, read in pieces: each line
// without its LF or CR LF, cut after `behalten` bytes (its full length is
// reported), so a file without line breaks cannot fill the memory. A ^Z as
// the last byte of the file (the old DOS end mark) is no line.
class Zeilenleser {
 public:
  explicit Zeilenleser(Datei& datei, std::size_t behalten = fremdsatz_laenge + 1);
  // False at the end of the file or when it cannot be read (fehler()).
  bool naechste(std::string& zeile, std::size_t& laenge);
  bool fehler() const { return fehler_; }

 private:
  bool nachladen();
  Datei& datei_;
  std::size_t behalten_;
  std::uint64_t pos_ = 0;
  std::string puffer_;
  std::size_t ppos_ = 0;
  bool ende_ = false, fehler_ = false;
};

// Both passes over one file, printing into an open protocol.
class Fremdimport {
 public:
  Fremdimport(Mandant& m, Fremdeinstellungen e, Ausgabe3& protokoll);

  // The check pass, from "Prüfen der Fremddaten ..." to "Ende der
  // Prüfung!": true when the file may be posted. Writes nothing.
  bool pruefen(Datei& datei);
  // The posting pass, from "Start der Übernahme ..." to "Ende der
  // Übernahme!": false when a booking could not be written (the lines
  // before it that were committed stay posted).
  bool uebernehmen(Datei& datei);

  // Bookings after which a unit of work of the posting pass ends at the
  // next line where the lines so far balance.
  void einheit(long zeilen) { einheit_zeilen_ = zeilen; }
  // The file as the base data record it, and the lines an earlier run
  // posted: both passes leave them out.
  void fortsetzung(Dateikennung datei, long ab_zeile) {
    datei_ = std::move(datei);
    ab_zeile_ = ab_zeile;
  }

  long gebuchte_zeilen() const { return gebucht_; }
  // Lines the last pass left out because their date lies outside the
  // dialog's range or period.
  long ausserhalb() const { return ausserhalb_; }
  // Whether the posting part of the protocol is being printed (its pages
  // repeat the column heading).
  bool im_buchungsteil() const { return buchungsteil_; }
  long neue_personenkonten() const { return angelegt_; }

 private:
  enum class Pass { Pruefen, Buchen };
  struct Zeile;
  // One line through the steps of a pass; false when the pass must stop.
  bool zeile(std::string_view bytes, std::size_t laenge, long nr, Pass pass);
  // The steps of a line: each answers nullopt to go on, else what the line
  // answers.
  std::optional<bool> lesen_und_pruefen(std::string_view bytes, std::size_t laenge, Zeile& l);
  void buchung_fuellen(Zeile& l);
  std::optional<bool> bestehender_op(Zeile& l);
  std::optional<bool> steuerschluessel_pruefen(Zeile& l);
  std::optional<bool> konten_pruefen(Zeile& l);
  std::optional<bool> buchung_pruefen(Zeile& l);
  bool buchen(Zeile& l);
  // A line refused: its message; the check pass goes on, the posting pass stops.
  bool fehler(const Zeile& l, const std::string& text);
  bool lesen(Datei& datei, Pass pass);
  void vorschau(Datei& datei);
  std::string kontotext(const std::string& text) const;
  bool im_zeitraum(Datum d) const;
  bool vorhanden(const std::string& konto) const;
  void konto_anlegen(const std::string& konto, const Fremdperson& p);
  void adresse_ersetzen(const std::string& konto, const Fremdperson& p);
  void op_vorbereiten(const std::string& key, const Fremdzeile& z);
  void buchungszeile(long nr, std::int64_t n, const Satz& b, Betrag brutto);
  void melde(long nr, const std::string& text);
  Satz& basis() { return m_.basis; }

  Mandant& m_;
  Fremdeinstellungen e_;
  Ausgabe3& d_;
  Buchungskern kern_;
  Datum periode_von_ = kein_datum, periode_bis_ = kein_datum;
  // Personal accounts a line of the file creates: they count as existing
  // in both passes (with the collective account their key names).
  std::map<std::string, bool> neue_konten_;
  // Items opened by earlier lines of the pass, with their signed amount.
  std::unordered_map<std::string, Betrag> ops_;
  Betrag saldo_ = 0;
  bool fehler_ = false, differenz_ = false;
  std::int64_t letzte_ = 0;
  long gebucht_ = 0, angelegt_ = 0;
  long zeilen_gesamt_ = 0;
  long zeile_ok_ = 0;  // the last line a pass went through
  long einheit_zeilen_ = 10000;
  long ausserhalb_ = 0;
  bool buchungsteil_ = false;
  Dateikennung datei_;
  long ab_zeile_ = 0;
  Buchungslauf* lauf_ = nullptr;
  Uebernahmelauf* uebernahme_ = nullptr;
};

// Before the dialog: the base data's "Debitor Diverse" and GL difference
// account must exist (with their messages).
bool fremdimport_startpruefung(Mandant& m);
// After the dialog: the period, the file, the question whether to continue
// an interrupted run, the protocol and both passes. True when the file was
// posted. `einheit`: bookings per unit of work (see Fremdimport::einheit).
bool fremddaten_importieren(Mandant& m, const Fremdeinstellungen& e, long einheit = 10000);

// The dialog "Übernahme Fremddaten" and the import.
class TFFremddaten {
 public:
  explicit TFFremddaten(Mandant& m);
  // False when the import did not post the file (refused, cancelled, failed).
  bool ausfuehren();
  TEntryForm& form() { return form_; }
  Fremdeinstellungen einstellungen() const;

 private:
  Mandant& m_;
  TEntryForm form_;
};

}  // namespace fibu
