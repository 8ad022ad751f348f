// Choosing, creating, copying and deleting a client's fiscal year: the form
// models of the selection dialog ("Mandant auswählen"), of the new client
// with its chart-of-accounts template, of the copy target, and the
// deletion with its three confirmations and protocol.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "frame/mandant.h"
#include "suite/entryform.h"

namespace fibu {

// Client selection (`TFMandantenAuswahl`). On confirmation the year is
// written to the client's MANDANT.PAR.
class TFMandantenAuswahl {
 public:
  TFMandantenAuswahl(Mandant& m, int jahr_vorgabe);
  // Client number and year; nullopt when cancelled.
  std::optional<std::pair<int, int>> ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  bool nummer_verlassen();
  bool bestaetigen();

  Mandant& m_;
  TEntryForm form_;
  Satz gelesen_{MandantFelder::groesse};
  bool vorhanden_ = false;
};

// New client (`TFMandantenAnlage`). On confirmation the client record, the
// fiscal-year directory with the template's accounts and new base data in
// the chosen currency are made, all or nothing; the caller then opens the
// new client.
class TFMandantenAnlage {
 public:
  struct Neu {
    int nummer = 0;
    int jahr = 0;
    bool euro = true;
  };
  TFMandantenAnlage(Mandant& m, int jahr_vorgabe);
  std::optional<Neu> ausfuehren();
  TEntryForm& form() { return form_; }

  static constexpr const char* kontenrahmen[3] = {"SKR-01", "SKR-03", "SKR-04"};

 private:
  bool nummer_verlassen();
  bool bestaetigen();

  Mandant& m_;
  TEntryForm form_;
  Satz gelesen_{MandantFelder::groesse};
  bool vorhanden_ = false;
  std::optional<Neu> neu_;
};

// Copies the GL accounts of a chart template (0 SKR 01, 1 SKR 03, 2 SKR 04)
// with its BWA groups and names into the data directory `ziel`, after the
// notice that a template is only a pattern. False (with the message) when
// the template directory is missing or a file could not be copied.
[[nodiscard]] bool muster_kopieren(Mandant& m, Interaktion& ui, int rahmen,
                                   const std::string& ziel, bool euro);
// Whether the template directory of a chart is there.
[[nodiscard]] bool muster_vorhanden(Mandant& m, int rahmen);

// Copies the open fiscal year into another client (command 1432). False
// (with its messages) when nothing was copied or the copy failed; a failed
// copy leaves no target year, or one marked unfinished.
bool mandant_kopieren(Mandant& m);

// Deletes the open fiscal year (command 1433) after three confirmations.
// True when it was deleted: the client is then closed and the program ends.
[[nodiscard]] bool mandant_loeschen(Mandant& m);

}  // namespace fibu
