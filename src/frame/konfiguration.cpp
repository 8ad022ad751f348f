#include "frame/konfiguration.h"

#include <algorithm>

#include "suite/allgemei.h"
#include "suite/codepage.h"

namespace fibu {

const std::array<const char*, 12> suite_verzeichnisnamen = {
    "Ornixsystem", "Stammdaten", "Adressen", "Angebote",  "Aufmasse",  "Briefe",
    "Temporaer",   "Overlay",    "Netzuser", "Auslagern", "Baustelle", "Mandant"};

std::string pfad_aus_konfiguration(const std::string& text) {
  std::string p = trim(text);
  if (p.empty()) return p;
  std::replace(p.begin(), p.end(), '\\', '/');
  if (p.back() != '/') p.push_back('/');
  return p;
}

KonfDat lies_konf_dat(Dateisystem& fs, const std::string& arbeitsverzeichnis) {
  KonfDat k;
  auto pfad = fs.finde_datei(arbeitsverzeichnis, "KONF.DAT");
  if (!pfad) return k;
  std::string roh;
  if (!fs.lies_datei(*pfad, roh)) return k;
  k.gelesen_in = *pfad;
  std::string text = nach_utf8(roh, Codepage::CP1252);
  std::vector<std::string> zeilen;
  for (const auto& z : textzeilen(text)) zeilen.push_back(kopy(z, 1, 80));
  for (std::size_t i = 0; i < 12 && i < zeilen.size(); ++i)
    k.verzeichnisse[i] = pfad_aus_konfiguration(zeilen[i]);
  if (zeilen.size() >= 13) k.fibu_pfad = pfad_aus_konfiguration(zeilen[12]);
  return k;
}

Ergebnis Suitekonfiguration::laden(Dateisystem& fs, const std::string& verzeichnis) {
  std::string pfad = pfad_verbinden(verzeichnis, "FIBU.INI");
  auto gefunden = fs.finde_datei(verzeichnis, "FIBU.INI");
  IniDatei ini;
  if (!gefunden) {
    // Every value is one of the program's defaults, so each is accepted.
    bool ok = ini.setze("Netzwerk", "Typ", std::to_string(netzwerktyp)) &&
              ini.setze("Netzwerk", "Arbeitsplatz", std::to_string(arbeitsplatz)) &&
              ini.setze("Netzwerk", "Arbeitsplaetze", std::to_string(arbeitsplaetze)) &&
              ini.setze("Druck", "Windowsdruck", windowsdruck ? "1" : "0") &&
              ini.setze("Druck", "Tabellenkalkulation", tabellenkalkulation) &&
              ini.setze("Waehrung", "Euro", basiswaehrung_euro ? "1" : "0") &&
              ini.setze("Diskette", "Pfad", diskettenpfad) &&
              ini.setze("Datum", "VierstelligeJahre", vierstellige_jahre ? "1" : "0") &&
              ini.setze("Datenbank", "Format", datenbank_erweitert ? "Erweitert" : "Standard") &&
              ini.setze("Datenbank", "Protokoll", datenbank_protokoll);
    for (int i = 1; i <= 5; ++i) ok = ok && ini.setze("Briefkopf", "Zeile" + std::to_string(i), "");
    if (!ok) return Ergebnis::fehler(Ergebnis::Code::Ungueltig, "Voreinstellung nicht darstellbar");
    if (Ergebnis e = fs.verzeichnis_anlegen(verzeichnis); !e) return e;
    return ini.speichern(fs, pfad);
  }
  if (Ergebnis e = ini.laden(fs, *gefunden); !e) return e;
  netzwerktyp = static_cast<int>(ini.zahl("Netzwerk", "Typ").value_or(netzwerktyp));
  arbeitsplatz = static_cast<int>(ini.zahl("Netzwerk", "Arbeitsplatz").value_or(arbeitsplatz));
  arbeitsplaetze =
      static_cast<int>(ini.zahl("Netzwerk", "Arbeitsplaetze").value_or(arbeitsplaetze));
  windowsdruck = ini.zahl("Druck", "Windowsdruck").value_or(1) != 0;
  tabellenkalkulation = ini.wert_oder("Druck", "Tabellenkalkulation", tabellenkalkulation);
  basiswaehrung_euro = ini.zahl("Waehrung", "Euro").value_or(1) != 0;
  diskettenpfad = ini.wert_oder("Diskette", "Pfad", diskettenpfad);
  vierstellige_jahre = ini.zahl("Datum", "VierstelligeJahre").value_or(1) != 0;
  datenbank_erweitert = gross(ini.wert_oder("Datenbank", "Format", "Erweitert")) != "STANDARD";
  datenbank_protokoll = ini.wert_oder("Datenbank", "Protokoll", datenbank_protokoll);
  briefkopf.clear();
  for (int i = 1; i <= 5; ++i)
    briefkopf.push_back(ini.wert_oder("Briefkopf", "Zeile" + std::to_string(i), ""));
  while (!briefkopf.empty() && briefkopf.back().empty()) briefkopf.pop_back();
  for (int befehl = 1; befehl <= 9999; ++befehl)
    if (auto w = ini.wert("Passwoerter", std::to_string(befehl)); w && !w->empty())
      passwoerter[befehl] = *w;
  return Ergebnis::erfolg();
}

bool Suitekonfiguration::passwort_stimmt(int befehl, const std::string& eingabe) const {
  auto it = passwoerter.find(befehl);
  return it == passwoerter.end() || it->second == eingabe;
}

}  // namespace fibu
