#include "isam/fehler.h"

namespace fibu::isam {

std::string isam_fehlertext(int code) {
  switch (code) {
    case isam_ok:
      return "kein Fehler";
    case fehler_ein_ausgabe:
      return "Fehler beim Lesen oder Schreiben der Datei";
    case fehler_dateien_fehlen:
      return "Daten- und Indexdatei existieren nicht";
    case fehler_datendatei_fehlt:
      return "Die Datendatei fehlt";
    case fehler_index_defekt:
      return "Die Indexdatei ist defekt";
    case fehler_daten_defekt:
      return "Die Datendatei ist defekt";
    case fehler_satzreferenz:
      return "Der Datensatz existiert nicht";
    case fehler_parameter:
      return "Ungültige Angaben zur Datei";
    case fehler_nicht_offen:
      return "Die Datei ist nicht geöffnet";
    case fehler_existiert:
      return "Die Datei existiert bereits";
    case fehler_schluessel_fehlt:
      return "Schlüssel nicht gefunden";
    case fehler_schluessel_doppelt:
      return "Schlüssel existiert bereits";
    case fehler_indexende:
      return "Kein weiterer Schlüssel vorhanden";
    case fehler_gesperrt:
      return "Die Datei ist von einem anderen Arbeitsplatz gesperrt";
    case fehler_einheit:
      return "Die Arbeitseinheit wurde wegen eines Fehlers verworfen";
    case fehler_journal:
      return "Das Journal konnte nicht geschrieben oder abgeschlossen werden";
    case fehler_nachzuholen:
      return "Die Arbeitseinheit ist im Journal gesichert und wird beim nächsten Öffnen abgeschlossen";
  }
  return "ISAM-Fehler " + std::to_string(code);
}

}  // namespace fibu::isam
