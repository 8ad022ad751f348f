// The interaction interface of the batch tool: nobody sits at the screen.
// Dialog fields, questions and pick lists are answered from an answers file
// of "Caption = value" lines; messages, questions and progress go to a log
// stream (stderr); every print job becomes a UTF-8 text file in an output
// directory. Whatever could not be answered, and every refused input, marks
// the run as failed so the tool can exit non-zero.
//
// Answers file:
//   # comment
//   Mandantnummer = 5                 a form field, by its caption
//   Mandant auswählen / Jahr = 2007   a field of one dialog only (by its title)
//   Wollen Sie dieses Sachkonto löschen? = ja     a question, by its text
//   Liste der Sachkonten = 1200       a pick list by its title: the first
//                                     line beginning with the value
//   Mandantendaten pflegen / Tasten = F5, Adresse
//                                     keys or buttons pressed in a dialog
//                                     before its fields are filled
//   Verteilschlüssel pflegen / Zeile 2 = 0100; 33,33
//                                     the cells of a line of a dialog's
//                                     table, separated by ";"
//   Information = sichern             the button or key that closes a
//                                     dialog (Esc unless given)
//   Buchungen erfassen und ändern / Zeile 1 = ; 4711; ; 42; 150124; ; S; 100,00; 8400
//                                     a row of a grid screen: the cells the
//                                     cursor visits, from the first column
//                                     ("~" keeps the screen's proposal)
//   Buchung nach Bank-Kontoauszug / Tasten = F6
//                                     keys or buttons of a grid screen
//                                     pressed after its rows
//   Fragen = nein                     answer for questions not listed
//                                     (without it they fail the run)
// A "\r" line break in a question is written as a blank in the file. The
// value follows the first " = " (or the first "=" when there is none).
// Answers the run never used fail it too (abschliessen), so that a typing
// error in a caption is not mistaken for a run with defaults.
#pragma once

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "suite/browser.h"
#include "suite/dateisystem.h"
#include "suite/entryform.h"
#include "suite/interaktion.h"

namespace fibu {

class Antworten {
 public:
  // Reads "Caption = value" lines; Code::Ungueltig names a line without "=".
  Ergebnis aus_text(const std::string& text);
  Ergebnis laden(Dateisystem& fs, const std::string& pfad);
  void setze(const std::string& frage_oder_feld, const std::string& wert);

  // The answer for a caption or question, compared without case, "&" and
  // with "\r" as a blank.
  const std::string* finde(const std::string& schluessel) const;
  // The keys (as written) that finde() never answered, "Fragen" excepted.
  std::vector<std::string> unbenutzt() const;

 private:
  struct Wert {
    std::string schluessel;  // as written
    std::string wert;
    mutable bool benutzt = false;
  };
  std::map<std::string, Wert> werte_;  // by normalised key
};

class BatchInteraktion : public Interaktion {
 public:
  BatchInteraktion(Antworten antworten, std::ostream& log, Dateisystem& fs,
                   std::string ausgabeverzeichnis);

  // False once anything could not be answered or was refused.
  bool fehlerfrei() const { return fehlerfrei_; }
  // Ends the run: answers never used are reported and fail it.
  bool abschliessen();
  const std::vector<std::string>& geschriebene_dateien() const { return dateien_; }

  // Writes every print job also as a PDF file beside its text file, through
  // the renderer of the desktop build (the core has none).
  using PdfSchreiber = std::function<Ergebnis(const Druckauftrag&, const std::string& pfad)>;
  void pdf_ausgabe(PdfSchreiber schreiber) { pdf_ = std::move(schreiber); }

  void ShowMessageMain(const std::string& text) override;
  bool JaNein2(const std::string& frage) override;
  Antwort JaNeinHilfe(const std::string& frage) override;
  void Balken_Oeffnen(const std::string& text, long maximum) override;
  void Balken_Max(long maximum) override;
  void Balken_Text(const std::string& text) override;
  void Balken_Inc(long schritte) override;
  void Balken_Schliessen() override;
  bool EscPressed() override { return false; }
  bool drucker_waehlen(Druckauftrag& auftrag) override;
  void drucken(const Druckauftrag& auftrag) override;
  bool formular(TEntryForm& form) override;
  std::optional<Browsereintrag> auswahl(Tmybrowser& liste) override;
  void raster(Rasterformular& r) override;

 private:
  void fehler(const std::string& text);
  std::optional<Reaktion> druecke(TEntryForm& form, const std::string& name);
  std::string lesbar(const std::string& text) const;  // "\r" as line breaks

  Antworten antworten_;
  std::ostream& log_;
  Dateisystem& fs_;
  std::string ausgabe_;
  bool fehlerfrei_ = true;
  std::vector<std::string> dateien_;
  PdfSchreiber pdf_;
  int auftraege_ = 0;
  std::string balken_text_;
  long balken_max_ = 0, balken_stand_ = 0;
  int balken_zehntel_ = 0;
};

}  // namespace fibu
