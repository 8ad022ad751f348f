#include "frame/mandantenverwaltung.h"

#include "suite/allgemei.h"
#include "suite/ausgabe3.h"

namespace fibu {

using MF = MandantFelder;

namespace {

// Fields shared by selection and creation.
constexpr int f_nummer = 1, f_name = 2, f_passwort = 3, f_jahr = 4, f_muster = 5, f_rahmen = 6,
              f_waehrung = 7;

const std::string demo_hinweis = "Mandant noch nicht angelegt!\rHINWEIS: Demomandant=999, Jahr=2007";

bool hat_basis(Mandant& m, int nummer, int jahr) {
  return m.fs().finde_datei(m.daten_verzeichnis(nummer, jahr), "BASIS.PAR").has_value();
}

std::string schon_da(int nummer, int jahr) {
  return "Zu Mandant " + drei(nummer) + " existiert schon Jahr " + std::to_string(jahr);
}

}  // namespace

// --- Selection ---

TFMandantenAuswahl::TFMandantenAuswahl(Mandant& m, int jahr_vorgabe)
    : m_(m), form_("Mandant auswählen") {
  form_.AddWord(f_nummer, "Mandantnummer", 0, 1, 999);
  form_.AddString(f_name, "Mandantname", "", 40);
  form_.ProtectControl(f_name);
  form_.AddString(f_passwort, "Passwort", "", 10);
  form_.Verdeckt(f_passwort);
  form_.AddWord(f_jahr, "Jahr", static_cast<std::uint16_t>(jahr_vorgabe), 1900, 2079);
  form_.FrageDatenSpeichern(false);
  form_.beim_verlassen([this](TEntryForm&, int nr) { return nr != f_nummer || nummer_verlassen(); });
  form_.beim_speichern([this](TEntryForm&) { return bestaetigen(); });
}

bool TFMandantenAuswahl::nummer_verlassen() {
  int nummer = static_cast<int>(form_.zahl(f_nummer));
  vorhanden_ = m_.fs().ist_verzeichnis(m_.mandant_verzeichnis(nummer)) &&
               m_.lies_mandant_satz(nummer, gelesen_);
  form_.setze_text(f_name, vorhanden_ ? gelesen_.get(MF::Mandantname) : "");
  form_.ProtectControl(f_passwort, vorhanden_ && trim(gelesen_.get(MF::Passwort)).empty());
  return true;
}

bool TFMandantenAuswahl::bestaetigen() {
  int nummer = static_cast<int>(form_.zahl(f_nummer));
  int jahr = static_cast<int>(form_.zahl(f_jahr));
  nummer_verlassen();
  Interaktion& ui = form_.ui();
  if (nummer < 1 || !vorhanden_) {
    ui.ShowMessageMain(demo_hinweis);
    return false;
  }
  if (trim(gelesen_.get(MF::Passwort)) != trim(form_.text(f_passwort))) {
    ui.ShowMessageMain("Passwort falsch!");
    return false;
  }
  if (!m_.fs().ist_verzeichnis(m_.daten_verzeichnis(nummer, jahr))) {
    ui.ShowMessageMain("Bitte zuerst dieses Jahr anlegen!");
    return false;
  }
  gelesen_.set(MF::Jahr, static_cast<std::uint16_t>(jahr));
  m_.schreibe_mandant_satz(gelesen_);
  return true;
}

std::optional<std::pair<int, int>> TFMandantenAuswahl::ausfuehren() {
  if (!form_.Execute(m_.ui())) return std::nullopt;
  return std::make_pair(static_cast<int>(form_.zahl(f_nummer)), static_cast<int>(form_.zahl(f_jahr)));
}

// --- Creation ---

TFMandantenAnlage::TFMandantenAnlage(Mandant& m, int jahr_vorgabe)
    : m_(m), form_("Neuen Mandant anlegen") {
  form_.AddWord(f_nummer, "Mandantnummer", 0, 1, 999);
  form_.AddString(f_name, "Mandantname", "", 40);
  form_.AddString(f_passwort, "Passwort", "", 10);
  form_.Verdeckt(f_passwort);
  form_.AddWord(f_jahr, "Jahr", static_cast<std::uint16_t>(jahr_vorgabe), 1900, 2079);
  form_.AddYesNo(f_muster, "Muster-", true);
  form_.AddChoice(f_rahmen, "Kontenrahmen", {kontenrahmen[0], kontenrahmen[1], kontenrahmen[2]}, 1);
  bool euro = (m.offen() && m.euro()) || jahr_vorgabe > 2001;
  form_.AddChoice(f_waehrung, "Währung", {"DM", "EURO"}, euro ? 1 : 0);
  form_.beim_verlassen([this](TEntryForm& f, int nr) {
    if (nr == f_nummer) return nummer_verlassen();
    if (nr == f_jahr && !m_.offen()) f.setze_zahl(f_waehrung, f.zahl(f_jahr) > 2001 ? 1 : 0);
    return true;
  });
  form_.beim_speichern([this](TEntryForm&) { return bestaetigen(); });
}

bool TFMandantenAnlage::nummer_verlassen() {
  int nummer = static_cast<int>(form_.zahl(f_nummer));
  vorhanden_ = m_.fs().ist_verzeichnis(m_.mandant_verzeichnis(nummer)) &&
               m_.lies_mandant_satz(nummer, gelesen_);
  if (vorhanden_) form_.setze_text(f_name, gelesen_.get(MF::Mandantname));
  return true;
}

bool TFMandantenAnlage::bestaetigen() {
  Interaktion& ui = form_.ui();
  int nummer = static_cast<int>(form_.zahl(f_nummer));
  int jahr = static_cast<int>(form_.zahl(f_jahr));
  if (nummer < 1 || nummer > 999) {
    ui.ShowMessageMain("Bitte einen Wert von 1 bis 999 eingeben!");
    return false;
  }
  nummer_verlassen();
  if (trim(form_.text(f_name)).empty()) {
    ui.ShowMessageMain("Bitte Namen eingeben!");
    return false;
  }
  if (vorhanden_ && trim(gelesen_.get(MF::Passwort)) != trim(form_.text(f_passwort))) {
    ui.ShowMessageMain("Passwort falsch!");
    return false;
  }
  // A fiscal year that exists keeps its books: creating it again would put
  // the template's accounts over them.
  if (hat_basis(m_, nummer, jahr)) {
    ui.ShowMessageMain(schon_da(nummer, jahr));
    return false;
  }
  const bool euro = form_.auswahl(f_waehrung) == 1;
  Dateisystem& fs = m_.fs();
  const std::string ziel = m_.daten_verzeichnis(nummer, jahr);
  if (!fs.verzeichnis_anlegen(ziel)) {
    ui.ShowMessageMain("Kann Mandantenverzeichnis nicht anlegen!");
    return false;
  }
  Satz satz(MF::groesse);
  if (vorhanden_) satz = gelesen_;
  satz.set(MF::Mandantnummer, static_cast<std::uint16_t>(nummer));
  satz.set(MF::Mandantname, trim(form_.text(f_name)));
  satz.set(MF::Passwort, trim(form_.text(f_passwort)));
  satz.set(MF::Jahr, static_cast<std::uint16_t>(jahr));
  if (!m_.schreibe_mandant_satz(satz)) {
    ui.ShowMessageMain("Kann Mandantenverzeichnis nicht anlegen!");
    return false;
  }
  if (form_.ja(f_muster)) muster_kopieren(m_, ui, form_.auswahl(f_rahmen), ziel, euro);
  neu_ = Neu{nummer, jahr, euro};
  return true;
}

bool muster_kopieren(Mandant& m, Interaktion& ui, int rahmen, const std::string& ziel, bool euro) {
  Dateisystem& fs = m.fs();
  const char* verzeichnisse[3] = {"SKR01", "SKR03", "SKR04"};
  const char* sach[3] = {"SACH1", "SACH3", "SACH4"};
  std::string muster_root = pfad_verbinden(m.fibu_pfad(), "MUSTER");
  auto gefunden = fs.finde_datei(muster_root, verzeichnisse[rahmen]);
  if (!gefunden || !fs.ist_verzeichnis(*gefunden)) {
    ui.ShowMessageMain("Musterverzeichnis für diesen Kontenrahmen nicht gefunden!");
    return false;
  }
  ui.ShowMessageMain(
      "HINWEIS: Dieser Kontorahmen stellt nur ein Muster dar, bitte stimmen Sie Details mit Ihrem "
      "Steuerberater ab!\rBitte tragen Sie Steuerschlüssel und BWA-Kontogruppen ein!");
  const std::string dat = euro ? ".EAT" : ".DAT", ix = euro ? ".EIX" : ".IX";
  struct Kopie {
    std::string von, nach;
  };
  std::vector<Kopie> kopien{{std::string(sach[rahmen]) + ".DAT", "SACH" + dat},
                            {std::string(sach[rahmen]) + ".IX", "SACH" + ix},
                            {"bwakonto.dat", "BWAKONTO" + dat},
                            {"bwakonto.ix", "BWAKONTO" + ix},
                            {"bwanamen.par", "BWANAMEN.PAR"},
                            {"bilanz_g.vts", "BILANZ_G.VTS"},
                            {"guv.vts", "GUV.VTS"},
                            {"ker.vts", "KER.VTS"}};
  bool alles = true;
  for (const Kopie& k : kopien) {
    auto quelle = fs.finde_datei(*gefunden, k.von);
    if (!quelle || !fs.kopiere_datei(*quelle, pfad_verbinden(ziel, k.nach))) {
      ui.ShowMessageMain("Die Datei " + k.von + " des Kontenrahmens konnte nicht kopiert werden!");
      alles = false;
    }
  }
  fs.verzeichnis_sync(ziel);
  return alles;
}

std::optional<TFMandantenAnlage::Neu> TFMandantenAnlage::ausfuehren() {
  neu_.reset();
  if (!form_.Execute(m_.ui())) return std::nullopt;
  return neu_;
}

// --- Copying ---

void mandant_kopieren(Mandant& m) {
  Interaktion& ui = m.ui();
  Dateisystem& fs = m.fs();
  TEntryForm form("Geben Sie eine 3 stellige Mandantennummer ein.");
  form.AddWord(1, "Mandantnummer", 0, 1, 999);
  form.FrageDatenSpeichern(false);
  form.beim_speichern([&](TEntryForm& f) {
    if (static_cast<int>(f.zahl(1)) == m.nummer()) {
      ui.ShowMessageMain("Kopieren in aktuellen Mandant nicht möglich.");
      return false;
    }
    return true;
  });
  if (!form.Execute(ui)) return;
  const int ziel_nummer = static_cast<int>(form.zahl(1));
  const int jahr = m.jahr();
  if (hat_basis(m, ziel_nummer, jahr)) {
    ui.ShowMessageMain(schon_da(ziel_nummer, jahr));
    return;
  }
  const std::string ziel = m.daten_verzeichnis(ziel_nummer, jahr);
  if (!fs.verzeichnis_anlegen(ziel)) {
    ui.ShowMessageMain("Kann Mandantenverzeichnis nicht anlegen!");
    return;
  }
  // The base data in memory go with the copy.
  m.schreibe_basis();
  std::vector<std::string> namen;
  fs.liste(m.daten_verzeichnis(), namen);
  for (const std::string& name : namen) {
    std::string von = pfad_verbinden(m.daten_verzeichnis(), name);
    if (gross(name) == "NXTRANS.CFG" || fs.ist_verzeichnis(von)) continue;
    if (!fs.kopiere_datei(von, pfad_verbinden(ziel, name))) {
      ui.ShowMessageMain("Die Datei " + name + " konnte nicht kopiert werden!");
      return;
    }
  }
  fs.verzeichnis_sync(ziel);
  Satz satz = m.mandant;
  satz.set(MF::Mandantnummer, static_cast<std::uint16_t>(ziel_nummer));
  m.schreibe_mandant_satz(satz);
  ui.ShowMessageMain("Mandant kopiert.");
}

// --- Deleting ---

namespace {

// Deletes a directory with its files and subdirectories, one protocol line
// per entry that failed and per directory removed. False on any failure.
bool verzeichnis_entfernen(Dateisystem& fs, const std::string& pfad, const std::string& name,
                           std::vector<std::string>& protokoll, Interaktion& ui) {
  bool ok = true;
  std::vector<std::string> namen;
  fs.liste(pfad, namen);
  for (const std::string& n : namen) {
    std::string voll = pfad_verbinden(pfad, n);
    ui.Balken_Inc();
    if (fs.ist_verzeichnis(voll)) {
      ok = verzeichnis_entfernen(fs, voll, n, protokoll, ui) && ok;
    } else if (!fs.loeschen(voll)) {
      protokoll.push_back("Datei " + n + " konnte nicht gelöscht werden");
      ok = false;
    }
  }
  if (ok && fs.verzeichnis_loeschen(pfad)) {
    protokoll.push_back("Verzeichnis " + name + " gelöscht");
    return true;
  }
  return false;
}

}  // namespace

bool mandant_loeschen(Mandant& m) {
  Interaktion& ui = m.ui();
  const std::string wer = drei(m.nummer()) + "/" + std::to_string(m.jahr());
  if (!ui.JaNein2("Aktuellen Mandant (" + wer + ") löschen?")) return false;
  if (!ui.JaNein2("Sind Sie sicher den aktuellen Mandant (" + wer + ") zu löschen?")) return false;
  if (!ui.JaNein2("Das Löschen kann nicht rückgängig gemacht werden.\rDer Mandant wird endgültig "
                  "gelöscht. Löschen ausführen?"))
    return false;
  Dateisystem& fs = m.fs();
  const std::string verzeichnis = m.daten_verzeichnis();
  std::vector<std::string> namen;
  fs.liste(verzeichnis, namen);
  ui.Balken_Oeffnen("Lösche Mandant....", static_cast<long>(namen.size()));
  // Closing writes the base data back; the files then go with the directory.
  m.mandant_schliessen();
  std::vector<std::string> protokoll{"Löschen Mandant " + wer, "---------------------"};
  std::string trimmed = verzeichnis;
  while (!trimmed.empty() && trimmed.back() == '/') trimmed.pop_back();
  bool ok = verzeichnis_entfernen(fs, verzeichnis, trimmed, protokoll, ui);
  ui.Balken_Schliessen();
  if (!ok) {
    ui.ShowMessageMain("Fehler beim Loeschen.");
    Ausgabe3 druck(ui);
    if (druck.open_drucker("Löschen Mandant")) {
      for (const std::string& z : protokoll) druck.druckeln(z);
      druck.close_drucker();
    }
  } else {
    ui.ShowMessageMain("Mandant geloescht");
  }
  return true;
}

}  // namespace fibu
