// The main window's logic (`TFFibu`, "Finanzbuchhaltung"): the command line,
// the start-up, the title, the numbered commands with their password test,
// busy flag and guards, the Enter-key menu path, the ending dialog, the
// system information list, the window-position file and the two requests
// other programs send ("OPLISTE", "KREDITLIMIT"). The desktop view and the
// batch tool drive it; the functions behind the numbers are registered by
// the layers that build them, and a number without a function is shown as
// unavailable.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frame/befehle.h"
#include "frame/mandant.h"
#include "frame/start.h"
#include "suite/ausgabe3.h"

namespace fibu {

// Program facts the system information list shows.
struct Programminfo {
  std::string programmdatei;     // path of the executable
  std::string programmdatum;     // "dd.mm.yyyy" and "hh:nn:ss" of the executable
  std::string programmzeit;
  std::string aufrufpfad;        // the command as called
  std::string arbeitsverzeichnis;
  std::string computername, anwendername, clientname;
  std::string betriebssystem;    // e.g. "Linux 6.1.0 x86_64"
  bool wow64 = true;             // 64-bit program
};

// The facts of the running program (the executable's date, host, user).
Programminfo programminfo_ermitteln(const std::string& aufrufpfad,
                                   const std::string& arbeitsverzeichnis);

// The window-position file: "FP" + the program's file name with ".ini",
// section "FORM", keys "x" and "y".
class Fensterposition {
 public:
  Fensterposition(Dateisystem& fs, std::string verzeichnis, const std::string& programmname);
  const std::string& pfad() const { return pfad_; }
  // Whether the file exists (the menu entry shows its check mark).
  bool gespeichert();
  // The saved left and top, when there are any.
  std::optional<std::pair<int, int>> lesen();
  // The menu entry: deletes the file when it exists, else writes x and y.
  // Returns the new state of the check mark.
  bool umschalten(int x, int y);

 private:
  Dateisystem& fs_;
  std::string pfad_;
};

class TFFibu {
 public:
  using Funktion = std::function<void()>;

  TFFibu(Mandant& mandant, Suitekonfiguration& suite, Kommandozeile kommandozeile);

  // --- Start-up (first activation) ---
  // Chooses and opens the client as the command line says, else through the
  // selection dialog. False when the selection was cancelled.
  bool setup(const Mandantenauswahl& auswahl);
  bool initialisiert() const { return initialisiert_; }
  const Kommandozeile& kommandozeile() const { return kommandozeile_; }

  // --- Title ---
  // "Finanzbuchhaltung  -  Mandant: 005 - 2024 - Name  (EURO)"
  std::string titel() const;
  // The status line under the menu, for desktops that cut or hide the
  // title: "Mandant 999  Demo Handwerk GmbH  ·  Jahr 2007  ·  Periode 3: Aktiv".
  std::string statuszeile() const;
  // Called whenever the title (and with it the status line) may have
  // changed: at start-up and after every command.
  std::function<void(const std::string&)> titel_geaendert;
  void titel_auffrischen();

  // --- Commands ---
  // A function that answers whether it did its work: false fails the
  // command (the batch tool then ends with an error).
  using PruefendeFunktion = std::function<bool()>;
  void registriere(int nummer, Funktion f);
  void registriere_pruefend(int nummer, PruefendeFunktion f);
  // Runs the function the frame's layer cannot reach: the consistency check
  // (true when it found no errors), the client backup.
  std::function<bool()> konsistenzpruefung;
  std::function<void()> datensicherung;
  // The open-item list for a customer (the "OPLISTE" request); false when
  // it printed nothing (no such customer, printer cancelled).
  std::function<bool(const std::string& kunde)> opliste;

  // Whether the command can run: it has a function, or it only refreshes
  // the title. The menu shows the others disabled.
  bool verfuegbar(int nummer) const;
  bool sichtbar(int nummer) const;
  // Runs a numbered command: password, busy flag, guards, function, title.
  // False when it did not run (refused, busy, guarded, unavailable) or its
  // function ended with an error.
  bool ausfuehren(int nummer);
  // Runs the function of an available command from within a running one
  // (a screen's context menu): password and guards as for the menu, the
  // busy flag stays with the running command. False when it did not run.
  bool unterbefehl(int nummer);
  bool beschaeftigt() const { return beschaeftigt_; }
  // Runs f with the busy flag set and the title refreshed (also what the
  // window's own entries run, such as the system information); an error
  // ends it with its message (false), a program end is passed on. A
  // progress window the function left open is closed.
  bool beschaeftigt_ausfuehren(const Funktion& f);
  int letzter_befehl() const { return letzter_befehl_; }
  // The key strokes Enter sends to reopen the menu at the last command
  // (empty before the first).
  std::vector<Menuetaste> enter_taste() const;

  // --- Ending ---
  // The dialog "Information" with "OK" and "sichern"; "sichern" runs the
  // client backup. Then the client is closed.
  void beenden();
  bool beendet() const { return beendet_; }

  // --- System menu ---
  Programminfo programm;
  const KonfDat* konf = nullptr;  // where KONF.DAT was read, the suite directories
  void systeminformation();

  // --- Requests of other programs (topic "FIBU") ---
  // Answers an item's poke: "KREDITLIMIT" answers "FEHLER", "OK" or "KO";
  // "OPLISTE" runs the open-item list and answers "OK", or "FEHLER" when it
  // could not run. Unknown items answer "FEHLER".
  std::string anfrage(const std::string& item, const std::string& text);
  // The guard's answer when the consistency check found errors.
  static constexpr const char* konsistenz_abbruch_text =
      "Bitte beheben Sie die Fehler! Die Funktion wird abgebrochen!";
  static constexpr const char* besetzt_text =
      "FIBU arbeitet gerade!\rBitte dort ins Hauptmenü wechseln!";

  Mandant& mandant() { return mandant_; }
  Suitekonfiguration& suite() { return suite_; }

 private:
  bool passwort_pruefen(int nummer);
  bool waechter_pruefen(const Menueeintrag& e);
  void eigene_befehle();

  Mandant& mandant_;
  Suitekonfiguration& suite_;
  Kommandozeile kommandozeile_;
  std::map<int, PruefendeFunktion> funktionen_;
  bool initialisiert_ = false;
  bool beschaeftigt_ = false;
  bool beendet_ = false;
  int letzter_befehl_ = 0;
  Mandantenauswahl auswahl_;
};

// The "KREDITLIMIT" answer for a poke "<customer number> <mode>" on the open
// client: "FEHLER" without such a personal account, "OK" for a limit of 0,
// else "OK" when the compared amount (mode "FAELLIG": the open amounts of
// the customer's items due today or earlier; otherwise the balance) does
// not exceed the limit, and "KO" when it does.
std::string kreditlimit_antwort(Mandant& mandant, const std::string& text);

}  // namespace fibu
