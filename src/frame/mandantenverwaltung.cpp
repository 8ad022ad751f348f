#include "frame/mandantenverwaltung.h"

#include "store/parametersaetze.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"

namespace fibu {

using MF = MandantFelder;

namespace {

// Fields shared by selection and creation.
constexpr int f_nummer = 1, f_name = 2, f_passwort = 3, f_jahr = 4, f_muster = 5, f_rahmen = 6,
              f_waehrung = 7;

const std::string demo_hinweis = "Mandant noch nicht angelegt!\rHINWEIS: Demomandant=999, Jahr=2007";

// Whether the fiscal year exists: its base data are there and it is not
// an unfinished creation or copy.
bool hat_basis(Mandant& m, int nummer, int jahr) {
  const std::string verz = m.daten_verzeichnis(nummer, jahr);
  return m.fs().finde_datei(verz, "BASIS.PAR").has_value() &&
         !m.fs().finde_datei(verz, unfertig_kennzeichen).has_value();
}

// A creation or copy of a fiscal year: the directory is marked unfinished
// before anything goes into it, and the mark is taken away as the last step.
// When a step fails, what was made goes again: the files, the mark last,
// the directory, and the client directory when it was made for this and is
// empty. What cannot be removed stays marked, so it is never opened as a
// complete year.
class Jahresanlage {
 public:
  Jahresanlage(Mandant& m, int nummer, int jahr)
      : fs_(m.fs()),
        mandant_verz_(m.mandant_verzeichnis(nummer)),
        verz_(m.daten_verzeichnis(nummer, jahr)),
        mandant_neu_(!fs_.ist_verzeichnis(mandant_verz_)) {}
  ~Jahresanlage() {
    if (!fertig_) aufraeumen();
  }

  // Makes the directory with its mark; false when that failed.
  bool beginnen() {
    return fs_.verzeichnis_anlegen(verz_).ok() &&
           fs_.schreibe_datei_atomar(pfad_verbinden(verz_, unfertig_kennzeichen), "").ok();
  }
  // Takes the mark away; false when it stayed.
  bool abschliessen() {
    fertig_ = fs_.loeschen(pfad_verbinden(verz_, unfertig_kennzeichen)).ok() &&
              fs_.verzeichnis_sync(verz_).ok();
    return fertig_;
  }
  const std::string& verzeichnis() const { return verz_; }
  bool mandant_neu() const { return mandant_neu_; }

 private:
  void aufraeumen() {
    std::vector<std::string> namen;
    if (!fs_.liste(verz_, namen)) return;
    bool alles = true, markiert = false;
    for (const std::string& n : namen) {
      if (gross(n) == unfertig_kennzeichen)
        markiert = true;
      else
        alles = fs_.loeschen(pfad_verbinden(verz_, n)).ok() && alles;
    }
    if (!alles || (markiert && !fs_.loeschen(pfad_verbinden(verz_, unfertig_kennzeichen)))) return;
    if (!fs_.verzeichnis_loeschen(verz_) || !mandant_neu_) return;
    std::vector<std::string> rest;
    if (fs_.liste(mandant_verz_, rest) && rest.empty())
      (void)fs_.verzeichnis_loeschen(mandant_verz_);  // an empty client directory does no harm
  }

  Dateisystem& fs_;
  std::string mandant_verz_, verz_;
  bool mandant_neu_;
  bool fertig_ = false;
};

const char* const nicht_angelegt = "Der Mandant konnte nicht angelegt werden!";
const char* const nicht_kopiert = "Der Mandant konnte nicht kopiert werden!";

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
  (void)nummer_verlassen();  // reads the client; it always lets the field go
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
  // The year is only remembered for the next selection; the client opens.
  if (!m_.schreibe_mandant_satz(gelesen_))
    ui.ShowMessageMain("Die Datei MANDANT.PAR konnte nicht geschrieben werden!");
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
  (void)nummer_verlassen();  // as in the selection
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
  Jahresanlage anlage(m_, nummer, jahr);
  if (!anlage.beginnen()) {
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
  // A template that is not there leaves the client without accounts, as
  // its message says; one that cannot be copied whole leaves no client.
  if (form_.ja(f_muster) && !muster_kopieren(m_, ui, form_.auswahl(f_rahmen), anlage.verzeichnis(),
                                             euro) &&
      muster_vorhanden(m_, form_.auswahl(f_rahmen))) {
    ui.ShowMessageMain(nicht_angelegt);
    return false;
  }
  // The base data with the currency, so that the year opens with the
  // extensions of its record files.
  Satz basis = neue_basis(jahr);
  basis.set(BasisFelder::BasiswaehrungEuro, static_cast<std::uint8_t>(euro ? 1 : 0));
  if (!m_.fs().schreibe_datei_atomar(pfad_verbinden(anlage.verzeichnis(), "BASIS.PAR"),
                                     basis.bytes()) ||
      !anlage.abschliessen()) {
    ui.ShowMessageMain(nicht_angelegt);
    return false;
  }
  neu_ = Neu{nummer, jahr, euro};
  return true;
}

namespace {
const char* const muster_verzeichnisse[3] = {"SKR01", "SKR03", "SKR04"};

std::optional<std::string> muster_verzeichnis(Mandant& m, int rahmen) {
  auto gefunden =
      m.fs().finde_datei(pfad_verbinden(m.fibu_pfad(), "MUSTER"), muster_verzeichnisse[rahmen]);
  if (!gefunden || !m.fs().ist_verzeichnis(*gefunden)) return std::nullopt;
  return gefunden;
}
}  // namespace

bool muster_vorhanden(Mandant& m, int rahmen) { return muster_verzeichnis(m, rahmen).has_value(); }

bool muster_kopieren(Mandant& m, Interaktion& ui, int rahmen, const std::string& ziel, bool euro) {
  Dateisystem& fs = m.fs();
  const char* sach[3] = {"SACH1", "SACH3", "SACH4"};
  auto gefunden = muster_verzeichnis(m, rahmen);
  if (!gefunden) {
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
  // The page of the dunning letters, in templates that have one.
  if (auto maske = fs.finde_datei(*gefunden, "MASKE.FIB");
      maske && !fs.kopiere_datei(*maske, pfad_verbinden(ziel, "MASKE.FIB"))) {
    ui.ShowMessageMain("Die Datei MASKE.FIB des Kontenrahmens konnte nicht kopiert werden!");
    alles = false;
  }
  return fs.verzeichnis_sync(ziel) && alles;
}

std::optional<TFMandantenAnlage::Neu> TFMandantenAnlage::ausfuehren() {
  neu_.reset();
  if (!form_.Execute(m_.ui())) return std::nullopt;
  return neu_;
}

// --- Copying ---

bool mandant_kopieren(Mandant& m) {
  Interaktion& ui = m.ui();
  Dateisystem& fs = m.fs();
  TEntryForm form("Geben Sie eine 3 stellige Mandantennummer ein.");
  form.EscBefehl("&Start");
  form.AddWord(1, "Mandantnummer", 0, 1, 999);
  form.FrageDatenSpeichern(false);
  form.beim_speichern([&](TEntryForm& f) {
    if (static_cast<int>(f.zahl(1)) == m.nummer()) {
      ui.ShowMessageMain("Kopieren in aktuellen Mandant nicht möglich.");
      return false;
    }
    return true;
  });
  if (!form.Execute(ui)) return false;
  const int ziel_nummer = static_cast<int>(form.zahl(1));
  const int jahr = m.jahr();
  if (hat_basis(m, ziel_nummer, jahr)) {
    ui.ShowMessageMain(schon_da(ziel_nummer, jahr));
    return false;
  }
  // The base data in memory go with the copy.
  if (!m.schreibe_basis()) {
    ui.ShowMessageMain(nicht_kopiert);
    return false;
  }
  Jahresanlage anlage(m, ziel_nummer, jahr);
  if (!anlage.beginnen()) {
    ui.ShowMessageMain("Kann Mandantenverzeichnis nicht anlegen!");
    return false;
  }
  const std::string& ziel = anlage.verzeichnis();
  std::vector<std::string> namen;
  if (!fs.liste(m.daten_verzeichnis(), namen)) {
    ui.ShowMessageMain(nicht_kopiert);
    return false;
  }
  for (const std::string& name : namen) {
    std::string von = pfad_verbinden(m.daten_verzeichnis(), name);
    if (gross(name) == "NXTRANS.CFG" || gross(name) == unfertig_kennzeichen ||
        fs.ist_verzeichnis(von))
      continue;
    if (!fs.kopiere_datei(von, pfad_verbinden(ziel, name))) {
      ui.ShowMessageMain("Die Datei " + name + " konnte nicht kopiert werden!");
      ui.ShowMessageMain(nicht_kopiert);
      return false;
    }
  }
  Satz satz = m.mandant;
  satz.set(MF::Mandantnummer, static_cast<std::uint16_t>(ziel_nummer));
  if (!fs.verzeichnis_sync(ziel) || !m.schreibe_mandant_satz(satz) || !anlage.abschliessen()) {
    ui.ShowMessageMain(nicht_kopiert);
    return false;
  }
  ui.ShowMessageMain("Mandant kopiert.");
  return true;
}

// --- Deleting ---

namespace {

// Deletes a directory with its files and subdirectories, one protocol line
// per entry that failed and per directory removed. False on any failure.
bool verzeichnis_entfernen(Dateisystem& fs, const std::string& pfad, const std::string& name,
                           std::vector<std::string>& protokoll, Interaktion& ui) {
  bool ok = true;
  std::vector<std::string> namen;
  if (!fs.liste(pfad, namen)) {
    protokoll.push_back("Verzeichnis " + name + " konnte nicht gelesen werden");
    return false;
  }
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
  (void)fs.liste(verzeichnis, namen);  // only for the progress bar; the deletion lists again
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
