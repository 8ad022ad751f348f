// The main menu as a table: every entry with its command number (the
// sequence of its positions in the menu tree, one digit per level), its
// caption with the "&" accelerator, its function key, whether it starts
// hidden and which command-line flag shows it, and which guards run before
// its function. Views build the menu bar from it; the dispatch runs by
// number.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "suite/entryform.h"

namespace fibu {

// What the command line asked for; each argument compared in upper case.
struct Kommandozeile {
  bool uebernahmen = false;        // "/U": the ten hidden takeover entries
  bool letzter_mandant = false;    // "/M"
  std::optional<int> mandant;      // "/W=" + 3 characters client
  std::optional<int> jahr;         //        + 4 characters year
  bool w_ungueltig = false;        // "/W=" with wrong lengths or no digits
  bool monatsabschluss_zurueck = false;  // "/A"
  bool monatsabschluss_12x = false;      // "/ZEVO"
  bool rab_rechts = false;               // "RAB-RECHTS" (invoice-book import)
  bool rab_kost = false;                 // "RAB-KOST"
  bool pld = false;                      // "/PLD" (reorganisation)
  bool sb = false;                       // "/SB" (VAT return)
  bool bl12 = false;                     // "/BL12" (write-off, assistant, DATEV export)
  std::vector<std::string> unbekannt;    // arguments that are no flag
};
Kommandozeile kommandozeile_auswerten(const std::vector<std::string>& argumente);

enum class Waechter {
  Keiner,
  Periode,     // "Sie haben bereits alle Perioden abgeschlossen!"
  Konsistenz,  // consistency guard, then the period guard
};

// Why an entry starts hidden, and what shows it.
enum class Sichtbarkeit {
  Immer,
  Uebernahme,      // shown with "/U"
  Zurueck,         // shown with "/A"
  Zevo,            // shown with "/ZEVO"
  OhneDirektwahl,  // hidden when the command line chose the client ("/W=")
  Versteckt,       // hidden by the program
};

struct Menueeintrag {
  int nummer = 0;            // 0 for a separator
  std::string beschriftung;  // with the "&" accelerator
  Taste taste = Taste::Keine;
  Sichtbarkeit sichtbarkeit = Sichtbarkeit::Immer;
  Waechter waechter = Waechter::Keiner;
  // The command only refreshes the window title ("nothing").
  bool nur_titel = false;
  bool trenner_davor = false;  // a separator line before the entry
  std::vector<Menueeintrag> unter;  // a submenu when not empty
};

// The menu tree, top-level menus first.
const std::vector<Menueeintrag>& hauptmenue();
// The entry of a command number (also of a submenu); nullptr when unknown.
const Menueeintrag* menueeintrag(int nummer);
// Every command number that runs something (leaves of the tree), in menu order.
std::vector<int> alle_befehle();
// The captions from the top-level menu down to the entry.
std::vector<std::string> menuepfad(int nummer);
bool sichtbar(const Menueeintrag& e, const Kommandozeile& k);

// The key strokes that reopen the menu at a command (Enter on the main
// window): the menu is activated, then d - 1 moves right for the first
// digit d, then for each further digit an Enter and (digit - 1) moves down.
enum class Menuetaste { Aktivieren, Rechts, Runter, Enter };
std::vector<Menuetaste> menue_tastenfolge(int nummer);

}  // namespace fibu
