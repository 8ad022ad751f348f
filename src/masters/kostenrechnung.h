// The master data of cost accounting: main cost centres ("L" + number),
// cost centres ("K"), allocation keys ("V", with their table of up to 100
// lines of cost centre and share) in the cost-centre file, and cost types
// (a cost centre paired with a GL account, with twelve period budgets) in
// the cost-type file. Their dialogs, save and deletion checks, printed
// lists and the on-screen cost-type lists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame/mandant.h"
#include "masters/pruefmeldung.h"
#include "store/kontenbereiche.h"
#include "suite/entryform.h"

namespace fibu {

enum class Kostenstamm { Leitkostenstelle, Kostenstelle, Verteilschluessel };

// "K0007" for cost centre 7.
std::string kostenschluessel(Kostenstamm art, std::int32_t nummer);

// Whether a booking carries the number in its cost-centre field.
bool kostenstelle_bebucht(Mandant& m, std::int32_t nummer);

// Save checks (in a dialog the first failure ends them).
bool kostenstelle_pruefen(Mandant& m, const Satz& kostenstelle, Pruefmeldung& meldung);
bool verteilschluessel_pruefen(Mandant& m, const std::vector<Verteilzeile>& zeilen,
                               Pruefmeldung& meldung);
bool kostenart_pruefen(Mandant& m, const Satz& kostenart, Pruefmeldung& meldung);

// The dialogs "Leitkostenstellen pflegen", "Kostenstellen pflegen" and
// "Verteilschlüssel pflegen".
class TFKostenstamm {
 public:
  enum Feld : int { f_nummer = 1, f_name1, f_name2, f_leit, f_frei, f_summe };

  TFKostenstamm(Mandant& m, Kostenstamm art);
  bool ausfuehren();
  TEntryForm& form() { return form_; }

  // The lines of an allocation key and their sum (hundredths of a percent).
  const std::vector<Verteilzeile>& zeilen() const { return zeilen_; }
  std::int64_t summe() const;

  bool nummer_verlassen();
  bool speichern();

 private:
  void laden(const std::string& key);
  void leeren();
  void form_aus_satz();
  std::string key() const;
  bool im_bereich(std::int32_t nummer) const;
  bool zelle_setzen(int zeile, int spalte, const std::string& text);
  void summe_zeigen();
  Reaktion blaettern(bool vor);
  Reaktion liste();
  Reaktion loeschen();

  Mandant& m_;
  Kostenstamm art_;
  TEntryForm form_;
  Satz satz_{KostenFelder::groesse};
  std::vector<Verteilzeile> zeilen_;
  bool gewaehlt_ = false;
  bool neu_ = false;
};

// The dialog "Kostenarten pflegen".
class TFKostenart {
 public:
  enum Feld : int { f_kostenstelle = 1, f_sachkonto, f_budget, f_bab = f_budget + 12 };

  explicit TFKostenart(Mandant& m);
  bool ausfuehren();
  TEntryForm& form() { return form_; }
  bool paar_verlassen(int nr);
  bool speichern();

 private:
  std::string key() const;
  void laden();
  void waehlen(const Satz& kostenart);
  Reaktion blaettern(bool vor);
  Reaktion liste(int key_nr);
  Reaktion loeschen();

  Mandant& m_;
  TEntryForm form_;
  Satz satz_{KostartFelder::groesse};
  bool gewaehlt_ = false;
  bool neu_ = false;
};

// The printed lists after their range dialog, and without it.
void kostenliste(Mandant& m, Kostenstamm art);
void kostenliste_drucken(Mandant& m, Kostenstamm art, std::int32_t von, std::int32_t bis);
void kostenartenliste(Mandant& m);
void kostenartenliste_drucken(Mandant& m, std::int32_t von, std::int32_t bis);

}  // namespace fibu
