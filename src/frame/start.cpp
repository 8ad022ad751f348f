#include "frame/start.h"

#include "suite/ergebnis.h"

namespace fibu {

Startkonfiguration start_lesen(Dateisystem& fs, const std::string& arbeitsverzeichnis) {
  Startkonfiguration s;
  s.konf = lies_konf_dat(fs, arbeitsverzeichnis);
  std::string konfig =
      s.konf.verzeichnisse[0].empty() ? arbeitsverzeichnis : s.konf.verzeichnisse[0];
  if (Ergebnis e = s.suite.laden(fs, konfig); !e)
    s.ini_fehler = "FIBU.INI: " + e.text() + "\rEs gelten die Voreinstellungen.";
  if (s.suite.netzwerktyp == 0) throw Abbruch("Sie haben keinen Netzwerktyp angegeben!");
  const std::string fehlt = "Bitte korrekten FIBU-Pfad in der Parameterverwaltung eintragen!";
  if (s.konf.fibu_pfad.empty()) throw Abbruch(fehlt);
  if (!fs.ist_verzeichnis(s.konf.fibu_pfad) && !fs.verzeichnis_anlegen(s.konf.fibu_pfad))
    throw Abbruch(fehlt);
  return s;
}

bool mandant_starten(Mandant& m, const Startwahl& wahl, const Mandantenauswahl& auswahl) {
  Interaktion& ui = m.ui();
  std::optional<std::pair<int, int>> gewaehlt;
  if (wahl.letzter_mandant) {
    if (m.lies_letzter() && m.mandant.get(MandantFelder::Mandantnummer) != 0)
      gewaehlt = {
          {m.mandant.get(MandantFelder::Mandantnummer), m.mandant.get(MandantFelder::Jahr)}};
    else
      ui.ShowMessageMain("Letzter Mandant nicht gefunden!");
  } else if (wahl.direkt) {
    auto [nummer, jahr] = *wahl.direkt;
    if (!m.fs().ist_verzeichnis(m.daten_verzeichnis(nummer, jahr))) {
      ui.ShowMessageMain("Kommandozeilenparameter ungültig!");
    } else if (!m.lies_mandant(nummer)) {
      ui.ShowMessageMain("Mandant noch nicht angelegt!");
    } else {
      m.mandant.set(MandantFelder::Jahr, static_cast<std::uint16_t>(jahr));
      gewaehlt = wahl.direkt;
    }
  }
  for (;;) {
    if (!gewaehlt) gewaehlt = auswahl ? auswahl() : std::nullopt;
    if (!gewaehlt) return false;
    if (m.mandant_oeffnen(gewaehlt->first, gewaehlt->second)) break;
    gewaehlt.reset();  // held by another workstation: choose again
  }
  // Opening has finished or undone any run with its marker: a new booking
  // file left now belongs to none.
  if (m.fs().finde_datei(m.daten_verzeichnis(), "UMBAU.DAT"))
    ui.ShowMessageMain(undefinierter_zustand_text);
  return true;
}

}  // namespace fibu
