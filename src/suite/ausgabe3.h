// Printing of reports (`Ausgabe3`): builds a print job line by line with the
// page length of the job and hands it to the target the user chose. A report
// asks check(n) before a block of n lines and, when it is true, calls
// neue_seite() and prints its page header again; a page that overflows
// anyway is continued on a new page headed by the header callback, if any.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "suite/druckauftrag.h"
#include "suite/interaktion.h"
#include "suite/tpdate.h"

namespace fibu {

class Ausgabe3 {
 public:
  explicit Ausgabe3(Interaktion& ui) : ui_(ui) {}
  // A job never closed (the report stopped early) goes nowhere.
  ~Ausgabe3() = default;

  // Starts a job; false when the user cancelled (the report then ends).
  bool open_drucker(const std::string& dokumentname = "ORNAMENTIX-Fibu");
  // The same with a notice shown when the target is chosen.
  bool open_drucker_hinweis(const std::string& hinweis,
                            const std::string& dokumentname = "ORNAMENTIX-Fibu");
  // A line (text and line feed); drucke adds text without the line feed.
  void druckeln(std::string_view text = {});
  void drucke(std::string_view text);
  // Prints the page header when a page overflows without neue_seite().
  void kopf_bei_umbruch(std::function<void(Ausgabe3&)> kopf) { kopf_ = std::move(kopf); }
  // True when fewer than n lines remain on the current page.
  bool check(int n) const;
  // Starts a new page; on a page that is still empty it does nothing.
  void neue_seite();
  // Narrow font on or off (normal); the mode applies to lines begun after it.
  void schmal(bool an = true);
  void schrift(Schrift s) { schrift_ = s; }
  Schrift aktuelle_schrift() const { return schrift_; }
  // Text at a position of the current page, for forms.
  void drucke_an(double x_mm, double y_mm, std::string_view text);
  // Ends the job and hands it to the chosen target.
  void close_drucker();

  bool offen() const { return offen_; }
  int seite() const { return seitennummer_; }            // page number, from 1
  void setze_seitennummer(int n) { seitennummer_ = n; }  // for the next page header
  void setze_breite(int zeichen) { auftrag_.breite = zeichen; }
  int zeilen_auf_seite() const;
  int zeilen_pro_seite() const { return auftrag_.zeilen_pro_seite; }
  const Druckauftrag& auftrag() const { return auftrag_; }

 private:
  bool starten(const std::string& hinweis, const std::string& dokumentname);
  void zeile_beenden();

  Interaktion& ui_;
  Druckauftrag auftrag_;
  bool offen_ = false;
  bool zeile_offen_ = false;  // drucke() began a line that druckeln() has not ended
  Schrift schrift_ = Schrift::Normal;
  int seitennummer_ = 1;
  std::function<void(Ausgabe3&)> kopf_;
  bool im_kopf_ = false;
};

// The standard page header of every printed list for a line width W:
//   W "-"
//   "Mandant: 005"     spaced-out title centred     "Datum: 06.12.2026"
//   optional subtitle, centred
//   client name                                     "Blatt:       1"
//   "Währung: Euro" / "Währung: Deutsche Mark"
//   W "-"
//   (empty line)
// A spaced-out title that does not fit between the left and right texts is
// printed plain, and cut when even that does not fit.
struct Seitenkopf {
  std::string titel;
  std::string untertitel;
  int mandant = 0;
  std::string mandant_name;
  Datum datum = kein_datum;
  bool euro = true;
  int breite = 79;
};

std::vector<std::string> seitenkopf_zeilen(const Seitenkopf& kopf, int seite);
// Prints the header with the job's current page number.
void drucke_seitenkopf(Ausgabe3& drucker, const Seitenkopf& kopf);
// "S a c h k o n t e n p l a n"
std::string gesperrt(std::string_view titel);

}  // namespace fibu
