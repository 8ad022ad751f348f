// The base data of a client (BASIS.PAR) as the bookkeeper edits them: the
// checks of each page, written once so that the dialog and the consistency
// check run the same rules, and the form models of the base-data dialog
// (eight pages, "Firmenstamm") and of the cost-accounting ranges.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "frame/mandant.h"
#include "suite/entryform.h"

namespace fibu {

// The sixteen German states, for the tax office's address (1..16 stored).
extern const std::array<const char*, 16> bundeslaender;

// --- Checks: the first failing rule's message, nullopt when all pass ---
std::optional<std::string> pruefe_basis_mandant(const Satz& basis);
std::optional<std::string> pruefe_perioden(const Satz& basis);
std::optional<std::string> pruefe_belegnummern(const Satz& basis);
// Needs the client's GL and personal accounts.
std::optional<std::string> pruefe_saldenvortraege(const Satz& basis, Mandant& m);
std::optional<std::string> pruefe_buchungspruefung(const Satz& basis);
// Needs the client's cost centres.
std::optional<std::string> pruefe_kostenrechnung(const Satz& basis, Mandant& m);

// The account-number lengths from the ranges: GL = digits of the GL upper
// bound, personal = the larger digit count of the Debitor and Kreditor
// upper bounds.
void kontenlaengen_ableiten(Satz& basis);
// "Nicht aktiv", "Aktiv", "Journal gedruckt", "Monatsabschluß" for status 0..3.
const char* periodenstatus_text(int status);

// The base-data dialog ("Firmenstamm", command 141). Edits a copy of the
// base data; when it is saved, every page's check runs, the lengths are
// derived, the consistent flag is cleared and BASIS.PAR is written.
class TFBasisdaten {
 public:
  explicit TFBasisdaten(Mandant& m);
  // Runs the dialog; true when it was saved.
  bool ausfuehren();
  TEntryForm& form() { return form_; }
  // The page checks, in page order ("Mandant" = 0 ...).
  std::optional<std::string> pruefe_seite(int seite);

  static const std::array<const char*, 8> seitennamen;

 private:
  void aufbauen();
  void uebernehmen();  // form fields into the working copy
  bool speichern();
  Reaktion perioden_freigeben();
  Reaktion finanzamt();

  Mandant& m_;
  Satz basis_;
  TEntryForm form_;
};

// The cost-accounting ranges ("Basisdaten Kostenrechnung", command 151).
class TFBasisKostenrechnung {
 public:
  explicit TFBasisKostenrechnung(Mandant& m);
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  Satz basis_;
  TEntryForm form_;
};

}  // namespace fibu
