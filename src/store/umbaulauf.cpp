#include "store/umbaulauf.h"

#include "suite/allgemei.h"

namespace fibu {

namespace {

constexpr const char* kopfzeile = "FIBU-UMBAU 1";

struct Kennzeichen {
  std::string lauf;
  bool umschalten = false;
  std::vector<std::pair<std::string, std::string>> ersetzen;
  std::vector<std::string> entfernen;
};

std::string als_text(const Kennzeichen& k) {
  std::string t = std::string(kopfzeile) + "\n";
  t += "lauf=" + k.lauf + "\n";
  t += std::string("stand=") + (k.umschalten ? "umschalten" : "neu") + "\n";
  for (const auto& [ziel, neu] : k.ersetzen) t += "ersetze=" + ziel + "|" + neu + "\n";
  for (const auto& name : k.entfernen) t += "entferne=" + name + "\n";
  return t;
}

std::optional<Kennzeichen> aus_text(const std::string& text) {
  const std::vector<std::string> zeilen = textzeilen(text);
  if (zeilen.empty() || zeilen[0] != kopfzeile) return std::nullopt;
  Kennzeichen k;
  bool stand = false;
  for (std::size_t i = 1; i < zeilen.size(); ++i) {
    const std::string& z = zeilen[i];
    const std::size_t gleich = z.find('=');
    if (gleich == std::string::npos) return std::nullopt;
    const std::string schluessel = z.substr(0, gleich), wert = z.substr(gleich + 1);
    if (schluessel == "lauf") {
      k.lauf = wert;
    } else if (schluessel == "stand" && (wert == "neu" || wert == "umschalten")) {
      k.umschalten = wert == "umschalten";
      stand = true;
    } else if (schluessel == "ersetze") {
      const std::size_t strich = wert.find('|');
      if (strich == std::string::npos || strich == 0 || strich + 1 == wert.size())
        return std::nullopt;
      k.ersetzen.emplace_back(wert.substr(0, strich), wert.substr(strich + 1));
    } else if (schluessel == "entferne" && !wert.empty()) {
      k.entfernen.push_back(wert);
    } else {
      return std::nullopt;
    }
  }
  if (!stand || k.lauf.empty()) return std::nullopt;
  return k;
}

// Removes a file when it is there.
Ergebnis weg(Dateisystem& fs, const std::string& pfad) {
  if (!fs.existiert(pfad)) return Ergebnis::erfolg();
  return fs.loeschen(pfad);
}

// Temporary files a crash left of the files named (a copy, the marker).
Ergebnis reste_entfernen(Dateisystem& fs, const std::string& verz, const Kennzeichen& k) {
  std::vector<std::string> namen, dateien = {umbau_kennzeichen};
  for (const auto& paar : k.ersetzen) dateien.push_back(paar.first);
  if (Ergebnis e = fs.liste(verz, namen); !e) return e;
  for (const auto& n : namen)
    for (const auto& d : dateien)
      if (n.rfind(d + ".TMP", 0) == 0)
        if (Ergebnis e = fs.loeschen(pfad_verbinden(verz, n)); !e) return e;
  return Ergebnis::erfolg();
}

// The switch, which may be repeated. A new file is copied over its target
// rather than renamed: a rename cut off by a crash may lose both names,
// a copy (through a temporary file) leaves the new file to copy again. The
// new files go only when every copy is on the disk.
Ergebnis weiterschalten(Dateisystem& fs, const std::string& verz, const Kennzeichen& k) {
  for (const auto& [ziel, neu] : k.ersetzen) {
    const std::string n = pfad_verbinden(verz, neu);
    if (!fs.existiert(n)) continue;
    if (Ergebnis e = fs.kopiere_datei(n, pfad_verbinden(verz, ziel)); !e) return e;
  }
  for (const auto& name : k.entfernen)
    if (Ergebnis e = weg(fs, pfad_verbinden(verz, name)); !e) return e;
  if (Ergebnis e = fs.verzeichnis_sync(verz); !e) return e;
  for (const auto& paar : k.ersetzen)
    if (Ergebnis e = weg(fs, pfad_verbinden(verz, paar.second)); !e) return e;
  if (Ergebnis e = reste_entfernen(fs, verz, k); !e) return e;
  if (Ergebnis e = fs.verzeichnis_sync(verz); !e) return e;
  if (Ergebnis e = fs.loeschen(pfad_verbinden(verz, umbau_kennzeichen)); !e) return e;
  return fs.verzeichnis_sync(verz);
}

// Undoes a run that did not reach its switch: its new files go.
Ergebnis zuruecknehmen(Dateisystem& fs, const std::string& verz, const Kennzeichen& k) {
  for (const auto& paar : k.ersetzen)
    if (Ergebnis e = weg(fs, pfad_verbinden(verz, paar.second)); !e) return e;
  if (Ergebnis e = reste_entfernen(fs, verz, k); !e) return e;
  if (Ergebnis e = fs.verzeichnis_sync(verz); !e) return e;
  if (Ergebnis e = weg(fs, pfad_verbinden(verz, umbau_kennzeichen)); !e) return e;
  return fs.verzeichnis_sync(verz);
}

}  // namespace

Umbaulauf::Umbaulauf(Dateisystem& fs, std::string verzeichnis)
    : fs_(fs), verzeichnis_(std::move(verzeichnis)) {}

Umbaulauf::~Umbaulauf() {
  if (begonnen_ && !umgeschaltet_) verwerfen();
}

std::string Umbaulauf::pfad(const std::string& name) const {
  return pfad_verbinden(verzeichnis_, name);
}

Ergebnis Umbaulauf::beginnen(const std::string& name,
                             std::vector<std::pair<std::string, std::string>> ersetzen,
                             std::vector<std::string> entfernen) {
  if (fs_.existiert(pfad(umbau_kennzeichen)))
    return Ergebnis::fehler(Ergebnis::Code::Existiert,
                            "Ein unterbrochener Umbau der Daten ist noch nicht aufgeräumt!");
  name_ = name;
  ersetzen_ = std::move(ersetzen);
  entfernen_ = std::move(entfernen);
  // New files of an earlier attempt that never got its marker are stale.
  for (const auto& paar : ersetzen_)
    if (Ergebnis e = weg(fs_, pfad(paar.second)); !e) return e;
  Kennzeichen k{name_, false, ersetzen_, entfernen_};
  if (Ergebnis e = fs_.schreibe_datei_atomar(pfad(umbau_kennzeichen), als_text(k)); !e) return e;
  begonnen_ = true;
  return Ergebnis::erfolg();
}

Ergebnis Umbaulauf::umschalten() {
  if (!begonnen_ || umgeschaltet_)
    return Ergebnis::fehler(Ergebnis::Code::Ungueltig, "Kein begonnener Umbau der Daten");
  // The new files must be on the disk before the marker says to switch.
  for (const auto& paar : ersetzen_) {
    std::unique_ptr<Datei> d;
    if (Ergebnis e = fs_.oeffnen(pfad(paar.second), Oeffnen::LesenSchreiben, d); !e) return e;
    if (Ergebnis e = d->sync(); !e) return e;
  }
  if (Ergebnis e = fs_.verzeichnis_sync(verzeichnis_); !e) return e;
  Kennzeichen k{name_, true, ersetzen_, entfernen_};
  if (Ergebnis e = fs_.schreibe_datei_atomar(pfad(umbau_kennzeichen), als_text(k)); !e) return e;
  // From here the run counts as done: what fails now is completed at the
  // next opening.
  umgeschaltet_ = true;
  return weiterschalten(fs_, verzeichnis_, k);
}

void Umbaulauf::verwerfen() {
  if (!begonnen_ || umgeschaltet_) return;
  // What cannot be removed now is removed when the directory is next opened.
  (void)zuruecknehmen(fs_, verzeichnis_, Kennzeichen{name_, false, ersetzen_, entfernen_});
  begonnen_ = false;
}

std::string Umbaubericht::meldung() const {
  return lauf + " wurde unterbrochen und beim Öffnen des Mandanten " +
         (abgeschlossen ? "zu Ende geführt."
                        : "rückgängig gemacht; die Daten sind wie vor dem Lauf.");
}

Ergebnis umbau_aufraeumen(Dateisystem& fs, const std::string& verzeichnis,
                          std::optional<Umbaubericht>& bericht) {
  bericht.reset();
  const std::string pfad = pfad_verbinden(verzeichnis, umbau_kennzeichen);
  // A run cut off while its marker was being written leaves only that.
  if (!fs.existiert(pfad)) return reste_entfernen(fs, verzeichnis, Kennzeichen{});
  std::string text;
  if (Ergebnis e = fs.lies_datei(pfad, text); !e) return e;
  const auto k = aus_text(text);
  if (!k)
    return Ergebnis::fehler(Ergebnis::Code::Ungueltig,
                            "Die Datei " + std::string(umbau_kennzeichen) + " ist nicht lesbar.");
  Ergebnis e =
      k->umschalten ? weiterschalten(fs, verzeichnis, *k) : zuruecknehmen(fs, verzeichnis, *k);
  if (!e) return e;
  bericht = Umbaubericht{k->lauf, k->umschalten};
  return Ergebnis::erfolg();
}

}  // namespace fibu
