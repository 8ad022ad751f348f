#include "frame/tffibu.h"

#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>

#include "frame/basisdaten.h"
#include "frame/mandantenverwaltung.h"
#include "store/puffer.h"
#include "suite/allgemei.h"

namespace fibu {

Programminfo programminfo_ermitteln(const std::string& aufrufpfad,
                                   const std::string& arbeitsverzeichnis) {
  Programminfo p;
  std::error_code fehler;
  p.programmdatei = std::filesystem::read_symlink("/proc/self/exe", fehler).string();
  struct stat st{};
  if (::stat(p.programmdatei.c_str(), &st) == 0) {
    std::tm tm{};
    localtime_r(&st.st_mtime, &tm);
    char datum[16], uhr[16];
    std::strftime(datum, sizeof datum, "%d.%m.%Y", &tm);
    std::strftime(uhr, sizeof uhr, "%H:%M:%S", &tm);
    p.programmdatum = datum;
    p.programmzeit = uhr;
  }
  p.aufrufpfad = aufrufpfad;
  p.arbeitsverzeichnis = std::filesystem::absolute(arbeitsverzeichnis, fehler).string();
  char name[256] = {};
  ::gethostname(name, sizeof name - 1);
  p.computername = name;
  if (const char* u = std::getenv("USER")) p.anwendername = u;
  utsname u{};
  if (::uname(&u) == 0)
    p.betriebssystem = std::string(u.sysname) + " " + u.release + " " + u.machine;
  p.wow64 = sizeof(void*) == 8;
  return p;
}

// --- Window position ---

Fensterposition::Fensterposition(Dateisystem& fs, std::string verzeichnis,
                                 const std::string& programmname)
    : fs_(fs), pfad_(pfad_verbinden(verzeichnis, "FP" + programmname + ".ini")) {}

bool Fensterposition::gespeichert() { return fs_.existiert(pfad_); }

std::optional<std::pair<int, int>> Fensterposition::lesen() {
  IniDatei ini;
  if (!ini.laden(fs_, pfad_)) return std::nullopt;
  auto x = ini.zahl("FORM", "x"), y = ini.zahl("FORM", "y");
  if (!x || !y) return std::nullopt;
  return std::make_pair(static_cast<int>(*x), static_cast<int>(*y));
}

bool Fensterposition::umschalten(int x, int y) {
  // The check mark shows what is on disk, whatever failed.
  if (gespeichert()) {
    (void)fs_.loeschen(pfad_);
    return gespeichert();
  }
  IniDatei ini;
  return ini.setze("FORM", "x", std::to_string(x)) && ini.setze("FORM", "y", std::to_string(y)) &&
         ini.speichern(fs_, pfad_).ok();
}

// --- Main window ---

TFFibu::TFFibu(Mandant& mandant, Suitekonfiguration& suite, Kommandozeile kommandozeile)
    : mandant_(mandant), suite_(suite), kommandozeile_(std::move(kommandozeile)) {
  eigene_befehle();
}

bool TFFibu::setup(const Mandantenauswahl& auswahl) {
  auswahl_ = auswahl;
  Startwahl wahl;
  wahl.letzter_mandant = kommandozeile_.letzter_mandant;
  if (kommandozeile_.mandant) wahl.direkt = {{*kommandozeile_.mandant, *kommandozeile_.jahr}};
  if (kommandozeile_.w_ungueltig) mandant_.ui().ShowMessageMain("Kommandozeilenparameter ungültig!");
  bool ok = mandant_starten(mandant_, wahl, auswahl_);
  initialisiert_ = true;
  letzter_befehl_ = 0;
  titel_auffrischen();
  return ok;
}

std::string TFFibu::titel() const {
  std::string t = "Finanzbuchhaltung";
  if (!mandant_.offen()) return t;
  std::string name = trim(mandant_.basis.get(BasisFelder::Name));
  if (name.empty()) name = "Kein Name";
  return t + "  -  Mandant: " + drei(mandant_.nummer()) + " - " + std::to_string(mandant_.jahr()) +
         " - " + name + "  (" + mandant_.waehrungstext() + ")";
}

std::string TFFibu::statuszeile() const {
  if (!mandant_.offen()) return "Kein Mandant geöffnet";
  std::string name = trim(mandant_.basis.get(BasisFelder::Name));
  if (name.empty()) name = trim(mandant_.mandant.get(MandantFelder::Mandantname));
  std::string zeile = "Mandant " + drei(mandant_.nummer()) + (name.empty() ? "" : "  " + name) +
                      "  ·  Jahr " + std::to_string(mandant_.jahr()) + "  ·  ";
  const int periode = mandant_.basis.get(BasisFelder::AktuellePeriode);
  if (periode > mandant_.basis.get(BasisFelder::AnzahlPerioden) || periode < 1)
    return zeile + "Alle Perioden abgeschlossen";
  return zeile + "Periode " + std::to_string(periode) + ": " +
         periodenstatus_text(mandant_.basis.get(BasisFelder::periode_status(periode)));
}

void TFFibu::titel_auffrischen() {
  if (titel_geaendert) titel_geaendert(titel());
}

void TFFibu::registriere(int nummer, Funktion f) {
  funktionen_[nummer] = [f = std::move(f)] {
    f();
    return true;
  };
}

void TFFibu::registriere_pruefend(int nummer, PruefendeFunktion f) {
  funktionen_[nummer] = std::move(f);
}

bool TFFibu::verfuegbar(int nummer) const {
  const Menueeintrag* e = menueeintrag(nummer);
  if (!e || !e->unter.empty()) return false;
  return e->nur_titel || funktionen_.count(nummer) > 0;
}

bool TFFibu::sichtbar(int nummer) const {
  const Menueeintrag* e = menueeintrag(nummer);
  return e && fibu::sichtbar(*e, kommandozeile_);
}

bool TFFibu::passwort_pruefen(int nummer) {
  if (suite_.passwort_stimmt(nummer, "")) return true;
  TEntryForm form("Passwort");
  form.AddString(1, "Passwort", "", 10);
  form.Verdeckt(1);
  form.FrageDatenSpeichern(false);
  if (!form.Execute(mandant_.ui())) return false;
  if (suite_.passwort_stimmt(nummer, form.text(1))) return true;
  mandant_.ui().ShowMessageMain("Passwort falsch!");
  return false;
}

bool TFFibu::waechter_pruefen(const Menueeintrag& e) {
  Interaktion& ui = mandant_.ui();
  if (e.waechter == Waechter::Konsistenz &&
      (!mandant_.basis.get(BasisFelder::BasisKonsistent) ||
       !mandant_.basis.get(BasisFelder::StammKonsistent))) {
    ui.ShowMessageMain("Es ist eine Konsistenzprüfung der Basisdaten nötig!");
    // Without the consistency check the function cannot be let through.
    if (!konsistenzpruefung) return false;
    if (!konsistenzpruefung()) {
      ui.ShowMessageMain(konsistenz_abbruch_text);
      return false;
    }
  }
  if (e.waechter != Waechter::Keiner &&
      mandant_.basis.get(BasisFelder::AktuellePeriode) >
          mandant_.basis.get(BasisFelder::AnzahlPerioden)) {
    ui.ShowMessageMain("Sie haben bereits alle Perioden abgeschlossen!");
    return false;
  }
  return true;
}

bool TFFibu::ausfuehren(int nummer) {
  const Menueeintrag* e = menueeintrag(nummer);
  if (!e || !e->unter.empty() || !verfuegbar(nummer)) return false;
  // Without an open client only a new one can be made, or the program ended.
  if (!mandant_.offen() && nummer != 1431 && nummer != 10) return false;
  if (!passwort_pruefen(nummer)) return false;
  if (beschaeftigt_) return false;
  letzter_befehl_ = nummer;
  bool lief = true;
  bool ok = beschaeftigt_ausfuehren([&] {
    if (e->nur_titel) return;
    lief = waechter_pruefen(*e) && funktionen_.at(nummer)();
  });
  return ok && lief;
}

bool TFFibu::unterbefehl(int nummer) {
  const Menueeintrag* e = menueeintrag(nummer);
  if (!e || !e->unter.empty() || e->nur_titel || !verfuegbar(nummer) || !mandant_.offen())
    return false;
  if (!passwort_pruefen(nummer) || !waechter_pruefen(*e)) return false;
  // An error ends the sub-command with its message, not the screen it
  // was called from.
  try {
    if (!funktionen_.at(nummer)()) return false;
  } catch (const Abbruch&) {
    throw;
  } catch (const std::exception& fehler) {
    mandant_.ui().Balken_Schliessen();
    mandant_.ui().ShowMessageMain(fehler.what());
    return false;
  }
  return true;
}

bool TFFibu::beschaeftigt_ausfuehren(const Funktion& f) {
  beschaeftigt_ = true;
  titel_auffrischen();
  bool ok = true;
  try {
    f();
  } catch (const Abbruch&) {
    beschaeftigt_ = false;
    mandant_.ui().Balken_Schliessen();
    throw;
  } catch (const std::exception& fehler) {
    mandant_.ui().Balken_Schliessen();
    mandant_.ui().ShowMessageMain(fehler.what());
    ok = false;
  }
  beschaeftigt_ = false;
  titel_auffrischen();
  return ok;
}

std::vector<Menuetaste> TFFibu::enter_taste() const { return menue_tastenfolge(letzter_befehl_); }

void TFFibu::eigene_befehle() {
  registriere(11, [this] {
    auto gewaehlt = auswahl_ ? auswahl_() : std::nullopt;
    if (!gewaehlt) return;
    while (!mandant_.mandant_oeffnen(gewaehlt->first, gewaehlt->second)) {
      gewaehlt = auswahl_();
      if (!gewaehlt) {
        beendet_ = true;  // no client is open any more: the program ends
        return;
      }
    }
  });
  registriere(141, [this] { TFBasisdaten(mandant_).ausfuehren(); });
  registriere(151, [this] { TFBasisKostenrechnung(mandant_).ausfuehren(); });
  registriere_pruefend(1431, [this] {
    int jahr = jahr_von(mandant_.tagesdatum().Today());
    auto neu = TFMandantenAnlage(mandant_, jahr).ausfuehren();
    // Made whole; opening it says itself why it cannot open now.
    return neu && mandant_.mandant_oeffnen(neu->nummer, neu->jahr, neu->euro);
  });
  registriere_pruefend(1432, [this] { return mandant_kopieren(mandant_); });
  registriere(1433, [this] {
    if (mandant_loeschen(mandant_)) beendet_ = true;
  });
  registriere(144, [this] {
    TEntryForm form("Filterkennzeichen");
    for (int n = 1; n <= 99; ++n)
      form.AddString(n, "Filter " + std::to_string(n), mandant_.basis.get(BasisFelder::filtername(n)),
                     15);
    form.beim_speichern([this](TEntryForm& f) {
      for (int n = 1; n <= 99; ++n) mandant_.basis.set(BasisFelder::filtername(n), f.text(n));
      return mandant_.schreibe_basis();
    });
    form.Execute(mandant_.ui());
  });
  registriere(10, [this] { beenden(); });
}

void TFFibu::beenden() {
  if (beendet_) return;
  if (mandant_.offen()) {
    std::string name = trim(mandant_.mandant.get(MandantFelder::Mandantname));
    TEntryForm form("Information");
    form.AddString(1, "Bitte denken Sie an Ihre Datensicherung !", "", 0);
    form.AddString(2,
                   "Sichern: " + name + " " + drei(mandant_.nummer()) + " - " +
                       std::to_string(mandant_.jahr()),
                   "", 0);
    form.ProtectControl(1);
    form.ProtectControl(2);
    form.FrageDatenSpeichern(false);
    form.AddKey(Taste::Keine, "OK", [](TEntryForm&) { return Reaktion::Speichern; });
    form.AddKey(Taste::Keine, "sichern", [this](TEntryForm&) {
      if (datensicherung)
        datensicherung();
      else
        mandant_.ui().ShowMessageMain(
            "Die Datensicherung ist in diesem Programmstand noch nicht enthalten.");
      return Reaktion::Speichern;
    });
    form.Execute(mandant_.ui());
    mandant_.mandant_schliessen();
  }
  beendet_ = true;
}

void TFFibu::systeminformation() {
  Ausgabe3 d(mandant_.ui());
  if (!d.open_drucker("Systeminformation")) return;
  auto zeile = [&](const std::string& t = "") { d.druckeln(t); };
  zeile("Programmdatum : " + programm.programmdatum + "       Uhrzeit : " + programm.programmzeit);
  zeile();
  zeile("Systemkonfiguration:");
  zeile("====================");
  zeile("KONF.DAT gelesen in: " + (konf ? konf->gelesen_in : std::string()));
  for (std::size_t i = 0; i < suite_verzeichnisnamen.size(); ++i)
    zeile(padcut(suite_verzeichnisnamen[i], 12) + ": " + (konf ? konf->verzeichnisse[i] : ""));
  zeile(padcut("FIBU-Pfad", 12) + ": " + mandant_.fibu_pfad());
  zeile("Aufrufpfad  : " + programm.aufrufpfad);
  zeile("Aktuelles Verzeichnis: " + programm.arbeitsverzeichnis);
  zeile(suite_.windowsdruck ? "Windowsdruck ist aktiv" : "DOS-Druck ist aktiv");
  zeile("Netzwerktyp : " + std::to_string(suite_.netzwerktyp));
  zeile(std::string("Netzwerktreiber: ") + (suite_.netzwerktyp == 1   ? "Netware"
                                            : suite_.netzwerktyp == 2 ? "MS-Net kompatibel"
                                                                      : "nicht vorhanden"));
  zeile("Task-Nummer: " + std::to_string(suite_.arbeitsplatz) + " von " +
        std::to_string(suite_.arbeitsplaetze));
  zeile(suite_.datenbank_erweitert ? "Datenbankformat : Erweitert" : "Datenbankformat : Standard");
  zeile("Betriebssystem: " + programm.betriebssystem);
  zeile(programm.wow64 ? "Wow64 aktiv (Win64)" : "Wow64 nicht aktiv (Win32)");
  zeile("Computername : " + programm.computername);
  zeile("Anwendername : " + programm.anwendername);
  if (!programm.clientname.empty()) zeile("Clientname   : " + programm.clientname);
  zeile("Tagesdatum   : " + DateToDateString("dd.mm.yyyy", mandant_.tagesdatum().Today()));
  zeile("DB Protokoll : " + suite_.datenbank_protokoll);
  d.close_drucker();
}

std::string TFFibu::anfrage(const std::string& item, const std::string& text) {
  const std::string i = gross(trim(item));
  if (i == "KREDITLIMIT") {
    if (beschaeftigt_) {
      mandant_.ui().ShowMessageMain(besetzt_text);
      return "FEHLER";
    }
    if (!mandant_.offen()) return "FEHLER";
    beschaeftigt_ = true;
    std::string antwort = "FEHLER";
    try {
      antwort = kreditlimit_antwort(mandant_, text);
    } catch (const std::exception& fehler) {
      mandant_.ui().ShowMessageMain(fehler.what());
    }
    beschaeftigt_ = false;
    return antwort;
  }
  if (i == "OPLISTE") {
    if (beschaeftigt_) {
      mandant_.ui().ShowMessageMain(besetzt_text);
      return "FEHLER";
    }
    if (!mandant_.offen() || !opliste) return "FEHLER";
    bool gedruckt = false;
    const bool lief = beschaeftigt_ausfuehren([&] { gedruckt = opliste(trim(text)); });
    return lief && gedruckt ? "OK" : "FEHLER";
  }
  return "FEHLER";
}

std::string kreditlimit_antwort(Mandant& m, const std::string& text) {
  std::string rest = trim(text);
  std::size_t blank = rest.find(' ');
  std::string kunde = trim(rest.substr(0, blank));
  std::string modus = blank == std::string::npos ? "" : gross(trim(rest.substr(blank)));
  if (kunde.empty() || kunde.size() > 8 ||
      kunde.find_first_not_of("0123456789") != std::string::npos)
    return "FEHLER";
  const std::string konto = m.personenkonto_text(std::stoi(kunde));
  Puffer pp(m.personen.get());
  if (!m.personen->suchen(konto)) return "FEHLER";
  const Satz& person = m.personen->satz();
  const std::int64_t limit = person.get(PersonenFelder::Limit);
  if (limit == 0) return "OK";
  std::int64_t betrag = person.get(PersonenFelder::Saldo);
  if (modus == "FAELLIG") {
    betrag = 0;
    bool geoeffnet = false;
    if (!m.opstamm->offen()) {
      m.opstamm->oeffnen();
      geoeffnet = true;
    }
    {
      Puffer po(m.opstamm.get());
      const Datum heute = m.tagesdatum().Today();
      const std::string von = padcut(konto, 8);
      std::string key = von;
      while (m.opstamm->lies_weiter_bis(3, key, von, von)) {
        const Satz& op = m.opstamm->satz();
        if (op.get(OpstammFelder::Faelligkeitsdatum) <= heute)
          betrag += op.get(OpstammFelder::NochOffen);
      }
    }
    if (geoeffnet) m.opstamm->schliessen();
  }
  return betrag <= limit ? "OK" : "KO";
}

}  // namespace fibu
