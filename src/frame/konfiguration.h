// The workstation's configuration: KONF.DAT in the program's working
// directory (lines 1 to 12: the suite's twelve directories, line 13: the
// accounting root, the FIBU path) and the suite's settings file FIBU.INI in
// the suite's configuration directory (the first of the twelve), written
// with its defaults on first start.
//
// FIBU.INI:
//   [Netzwerk]  Typ = 0 keiner, 1 Netware, 2 MS-Net kompatibel (default 2)
//               Arbeitsplatz = 1, Arbeitsplaetze = 1
//   [Druck]     Windowsdruck = 1, Tabellenkalkulation = ZIFA2
//   [Waehrung]  Euro = 1            (suite-wide base currency)
//   [Diskette]  Pfad = a:\ (drive of the diskette functions)
//   [Datum]     VierstelligeJahre = 1
//   [Datenbank] Format = Erweitert, Protokoll = aus
//   [Briefkopf] Zeile1 .. Zeile5    (company lines for printed letters)
//   [Passwoerter] <command number> = <password>
#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

#include "suite/dateisystem.h"
#include "suite/inidatei.h"

namespace fibu {

struct KonfDat {
  std::array<std::string, 12> verzeichnisse;  // "Ornixsystem" ... "Mandant"
  std::string fibu_pfad;                      // empty when line 13 is missing or empty
  std::string gelesen_in;                     // path of the KONF.DAT read
};

// The names the system information list gives the twelve directories.
extern const std::array<const char*, 12> suite_verzeichnisnamen;

// Reads KONF.DAT (each line up to 80 characters; a path gets its trailing
// separator). A missing file gives empty entries.
KonfDat lies_konf_dat(Dateisystem& fs, const std::string& arbeitsverzeichnis);

// Turns a path of the configuration ("F:\DATEN\FIBU") into this system's
// form with a trailing '/'.
std::string pfad_aus_konfiguration(const std::string& text);

struct Suitekonfiguration {
  int netzwerktyp = 2;  // 0 none
  int arbeitsplatz = 1;
  int arbeitsplaetze = 1;
  bool windowsdruck = true;
  std::string tabellenkalkulation = "ZIFA2";
  bool basiswaehrung_euro = true;
  std::string diskettenpfad = "a:\\";
  bool vierstellige_jahre = true;
  bool datenbank_erweitert = true;
  std::string datenbank_protokoll = "aus";
  std::vector<std::string> briefkopf;
  std::map<int, std::string> passwoerter;  // command number -> password

  // Reads FIBU.INI from the directory; writes it with the defaults when it
  // is missing. A malformed file keeps the defaults and returns its error.
  [[nodiscard]] Ergebnis laden(Dateisystem& fs, const std::string& verzeichnis);
  // The password test of a command: true when none is set or it matches.
  [[nodiscard]] bool passwort_stimmt(int befehl, const std::string& eingabe) const;
};

}  // namespace fibu
