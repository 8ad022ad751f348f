// The dunning master data: the 99 dunning codes of MAHNKENN.PAR (days,
// letter text, interest and fee per level, payment term, minimum amount)
// and the 99 letter texts of MAHNTEXT.PAR, with their maintenance screens
// (`TFBasisMahnkennziffern`, `TFBasisMahntexte`) and the printed list of
// codes ("Mahnstufen").
#pragma once

#include <vector>

#include "store/parametersaetze.h"
#include "suite/entryform.h"
#include "suite/formularbindung.h"
#include "suite/satz.h"

namespace fibu {

class Mandant;
class TFFibu;

// Entry n = 1..99 of the codes the client holds (`Mandant::mahnkenn`).
Satz mahnkennziffer(const Mandant& m, int n);
void mahnkennziffer_setzen(Mandant& m, int n, const Satz& eintrag);
// A code counts as defined when it has a name.
bool mahnkennziffer_definiert(const Satz& eintrag);
// Writes the client's codes to MAHNKENN.PAR, whole.
[[nodiscard]] bool mahnkenn_schreiben(Mandant& m);

// The 99 letter texts; 99 empty ones when MAHNTEXT.PAR is missing.
std::vector<Satz> mahntexte_lesen(Mandant& m);
[[nodiscard]] bool mahntexte_schreiben(Mandant& m, const std::vector<Satz>& texte);

// "Mahnkennziffern pflegen": the number, then the code's fields; Page up /
// Page down go to the previous / next code, F8 clears one after a
// question, Esc keeps all changes in MAHNKENN.PAR.
class TFBasisMahnkennziffern {
 public:
  enum Feld : int { f_nummer = 1, f_bezeichnung = 2, f_zahlungsziel = 61, f_mahnen_ab = 62 };
  // The four fields of level k = 1..5: days, text, interest, fee.
  static constexpr int f_stufe(int k, int i) { return 10 * k + i; }  // i = 1..4

  explicit TFBasisMahnkennziffern(Mandant& m);
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  void zeigen(int n);
  void uebernehmen();

  Mandant& m_;
  Formularbindung bindung_;
  TEntryForm form_;
  int nummer_ = 1;
};

// "Mahntexte pflegen": the number, ten lines "Vortext", ten "Nachtext".
class TFBasisMahntexte {
 public:
  enum Feld : int { f_nummer = 1 };
  static constexpr int f_vortext(int i) { return 10 + i; }   // i = 0..9
  static constexpr int f_nachtext(int i) { return 20 + i; }  // i = 0..9

  explicit TFBasisMahntexte(Mandant& m);
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  void zeigen(int n);
  void uebernehmen();

  Mandant& m_;
  std::vector<Satz> texte_;
  Formularbindung bindung_;
  TEntryForm form_;
  int nummer_ = 1;
};

// The list of the defined codes, "Mahnstufen". False when the printer was
// cancelled.
bool mahnkennziffern_drucken(Mandant& m);

// Registers 1421, 1422 and 1423.
void mahndaten_registrieren(TFFibu& fibu);

}  // namespace fibu
