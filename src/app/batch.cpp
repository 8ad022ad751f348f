#include "app/batch.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <optional>

#include "frame/anfrage.h"
#include "app/befehle.h"
#include "app/demo.h"
#include "app/einrichtung.h"
#include "frame/mandantenverwaltung.h"
#include "frame/tffibu.h"
#include "suite/allgemei.h"
#include "suite/batch_interaktion.h"

#ifndef FIBU_DATEN_QUELLE
#define FIBU_DATEN_QUELLE "data/muster"
#endif

namespace fibu {
namespace {

std::atomic<bool> server_halt{false};

const char* aufruf =
    "Aufruf: fibu-batch [Optionen] [/W=MMMJJJJ | /M] [Schalter] BEFEHL...\n"
    "  BEFEHL               Befehlsnummer des Menüs (z. B. 141) oder \"info\"\n"
    "                       (Systeminformation)\n"
    "  --arbeitsverzeichnis VERZ  Verzeichnis mit KONF.DAT (Vorgabe: aktuelles)\n"
    "  --antworten DATEI    Antworten für Dialoge und Fragen (\"Feld = Wert\")\n"
    "  --ausgabe VERZ       Verzeichnis für Druckausgaben (Vorgabe: ./ausgabe)\n"
    "  --datum TT.MM.JJJJ   Tagesdatum\n"
    "  --einrichten         Arbeitsverzeichnis, Kontenrahmen und Demomandant anlegen\n"
    "  --daten VERZ         Quelltexte der Kontenrahmen (für --einrichten)\n"
    "  --pdf                Druckausgaben zusätzlich als PDF-Datei\n"
    "  --server [--socket PFAD]  Anfragen anderer Programme beantworten\n";

struct Aufruf {
  std::string arbeitsverzeichnis = ".";
  std::optional<std::string> antworten;
  std::string ausgabe = "ausgabe";
  std::optional<std::string> datum;
  bool einrichten = false;
  std::string daten = FIBU_DATEN_QUELLE;
  bool server = false;
  bool pdf = false;
  bool hilfe = false;
  std::string socket = anfrage_socketpfad();
  std::vector<std::string> schalter;
  std::vector<std::string> befehle;
};

std::optional<Aufruf> auswerten(const std::vector<std::string>& args, std::ostream& log) {
  Aufruf a;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& x = args[i];
    auto wert = [&]() -> std::optional<std::string> {
      if (i + 1 >= args.size()) {
        log << "Zu " << x << " fehlt der Wert.\n";
        return std::nullopt;
      }
      return args[++i];
    };
    if (x == "--arbeitsverzeichnis" || x == "--antworten" || x == "--ausgabe" || x == "--datum" ||
        x == "--daten" || x == "--socket") {
      auto w = wert();
      if (!w) return std::nullopt;
      if (x == "--arbeitsverzeichnis") a.arbeitsverzeichnis = *w;
      if (x == "--antworten") a.antworten = *w;
      if (x == "--ausgabe") a.ausgabe = *w;
      if (x == "--datum") a.datum = *w;
      if (x == "--daten") a.daten = *w;
      if (x == "--socket") a.socket = *w;
    } else if (x == "--einrichten") {
      a.einrichten = true;
    } else if (x == "--server") {
      a.server = true;
    } else if (x == "--pdf") {
      a.pdf = true;
    } else if (x == "--hilfe" || x == "--help") {
      a.hilfe = true;
    } else if (x.rfind("--", 0) == 0) {
      log << "Unbekannte Option " << x << "\n" << aufruf;
      return std::nullopt;
    } else if (x[0] == '/' || gross(x).rfind("RAB-", 0) == 0) {
      a.schalter.push_back(x);
    } else {
      a.befehle.push_back(x);
    }
  }
  return a;
}

int lauf(const Aufruf& a, std::ostream& log, const BatchInteraktion::PdfSchreiber& pdf) {
  auto fs = echtes_dateisystem();
  Antworten antworten;
  if (a.antworten) {
    if (Ergebnis e = antworten.laden(*fs, *a.antworten); !e) {
      log << "Antwortdatei " << *a.antworten << ": " << e.text() << "\n";
      return 2;
    }
  }
  BatchInteraktion ui(std::move(antworten), log, *fs, a.ausgabe);
  if (a.pdf) {
    if (!pdf) {
      log << "Diese Ausgabe von fibu-batch kann keine PDF-Dateien schreiben (ohne Qt gebaut).\n";
      return 2;
    }
    ui.pdf_ausgabe(pdf);
  }
  Tagesdatum tagesdatum;
  if (a.datum) {
    auto d = datum_aus_eingabe(*a.datum);
    if (!d || *d == kein_datum) {
      log << "Ungültiges Datum: " << *a.datum << "\n";
      return 2;
    }
    tagesdatum.festlegen(*d);
  }

  if (a.einrichten) {
    if (Ergebnis e = arbeitsplatz_einrichten(*fs, ui, a.arbeitsverzeichnis, a.daten); !e) {
      log << e.text() << "\n";
      return 1;
    }
  }
  Startkonfiguration start = start_lesen(*fs, a.arbeitsverzeichnis);
  if (!start.ini_fehler.empty()) ui.ShowMessageMain(start.ini_fehler);
  Netzwerk netz(*fs, start.konf.fibu_pfad, start.suite.netzwerktyp != 0);
  Mandant m(*fs, ui, tagesdatum, start.konf.fibu_pfad, netz);
  m.erech_verzeichnis = pfad_verbinden(start.konf.verzeichnisse[0], "ERECH") + "/";
  m.suite_euro = start.suite.basiswaehrung_euro;
  if (a.einrichten) {
    if (Ergebnis e = demo_anlegen(m); !e) {
      log << e.text() << "\n";
      return 1;
    }
    log << "Eingerichtet: " << start.konf.fibu_pfad << " (Kontenrahmen und Demomandant "
        << demo_nummer << "/" << demo_jahr << ")\n";
    if (a.befehle.empty() && !a.server) return 0;
  }

  Kommandozeile k = kommandozeile_auswerten(a.schalter);
  for (const auto& u : k.unbekannt) log << "Unbekannter Schalter " << u << " wird nicht beachtet.\n";
  TFFibu fibu(m, start.suite, k);
  fibu.programm = programminfo_ermitteln("fibu-batch", a.arbeitsverzeichnis);
  fibu.konf = &start.konf;
  befehle_registrieren(fibu);
  fibu.titel_geaendert = [&](const std::string& t) { log << "Titel: " << t << "\n"; };

  // A run that begins by creating a client needs no client to start with.
  const bool ohne_mandant =
      !a.befehle.empty() && a.befehle.front() == "1431" && !k.mandant && !k.letzter_mandant;
  if (!ohne_mandant) {
    int jahr = jahr_von(tagesdatum.Today());
    if (!fibu.setup([&] { return TFMandantenAuswahl(m, jahr).ausfuehren(); })) {
      log << "Kein Mandant gewählt.\n";
      ui.abschliessen();
      return 1;
    }
  }

  bool ok = true;
  for (const std::string& befehl : a.befehle) {
    if (fibu.beendet()) {
      log << "Das Programm ist beendet; " << befehl << " wird nicht mehr ausgeführt.\n";
      ok = false;
      break;
    }
    if (gross(befehl) == "INFO") {
      fibu.systeminformation();
      continue;
    }
    int nummer = 0;
    try {
      nummer = std::stoi(befehl);
    } catch (...) {
    }
    const Menueeintrag* e = menueeintrag(nummer);
    if (!e || !e->unter.empty()) {
      log << "Unbekannte Befehlsnummer " << befehl << ".\n";
      ok = false;
      break;
    }
    if (!fibu.sichtbar(nummer)) {
      log << "Befehl " << nummer << " ist im Menü nicht sichtbar (Schalter fehlt).\n";
      ok = false;
      break;
    }
    if (!fibu.verfuegbar(nummer)) {
      log << "Befehl " << nummer << " (" << e->beschriftung
          << ") ist in diesem Programmstand nicht verfügbar.\n";
      ok = false;
      break;
    }
    log << "Befehl " << nummer << "\n";
    if (!fibu.ausfuehren(nummer) || !ui.fehlerfrei()) {
      log << "Befehl " << nummer << " ist nicht oder nicht fehlerfrei ausgeführt worden.\n";
      ok = false;
      break;
    }
  }

  if (ok && a.server) {
    Anfrageserver server;
    if (Ergebnis e = server.starten(a.socket); !e) {
      log << e.text() << "\n";
      return 1;
    }
    log << "Anfragedienst bereit: " << a.socket << "\n" << std::flush;
    server_halt = false;
    while (!server_halt) {
      server.einmal(
          [&](const std::string& item, const std::string& text) {
            std::string antwort = fibu.anfrage(item, text);
            log << "Anfrage " << item << " \"" << text << "\": " << antwort << "\n" << std::flush;
            return antwort;
          },
          200);
    }
    server.beenden();
  }
  if (m.offen()) m.mandant_schliessen();
  return ui.abschliessen() && ok ? 0 : 1;
}

}  // namespace

void batch_server_anhalten() { server_halt = true; }

int batch_ausfuehren(const std::vector<std::string>& argumente, std::ostream& log,
                     const BatchInteraktion::PdfSchreiber& pdf, std::ostream* ausgabe) {
  auto a = auswerten(argumente, log);
  if (!a) return 2;
  if (a->hilfe) {
    (ausgabe ? *ausgabe : log) << aufruf;
    return 0;
  }
  if (a->befehle.empty() && !a->einrichten && !a->server) {
    log << aufruf;
    return 2;
  }
  try {
    return lauf(*a, log, pdf);
  } catch (const Abbruch& abbruch) {
    std::string text = abbruch.text();
    for (char& c : text)
      if (c == '\r') c = '\n';
    log << text << "\n";
    return 2;
  }
}

}  // namespace fibu
