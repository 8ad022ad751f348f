// The main window's logic: the menu table, the command line, the dispatch
// with its guards, the Enter-key path, the title, the requests of other
// programs and the window-position file.
#include "frame/tffibu.h"

#include <gtest/gtest.h>

#include <set>

#include "../suite/testverzeichnis.h"
#include "suite/allgemei.h"
#include "suite/test_interaktion.h"

namespace fibu {
namespace {

struct Hauptfenster {
  Testverzeichnis tmp;
  std::unique_ptr<Dateisystem> fs = echtes_dateisystem();
  TestInteraktion ui;
  Tagesdatum heute{DMYtoDate(15, 3, 2024)};
  Netzwerk netz{*fs, tmp.pfad()};
  Suitekonfiguration suite;
  std::unique_ptr<Mandant> m;
  std::unique_ptr<TFFibu> fibu;

  explicit Hauptfenster(std::vector<std::string> argumente = {"/W=0052024"}) {
    // EXPECT, not ASSERT: a constructor cannot return early.
    EXPECT_TRUE(fs->verzeichnis_anlegen(tmp.pfad() + "/FIBU/005/2024").ok());
    m = std::make_unique<Mandant>(*fs, ui, heute, tmp.pfad() + "/FIBU/", netz);
    Satz mandant(MandantFelder::groesse);
    mandant.set(MandantFelder::Mandantnummer, std::uint16_t{5});
    mandant.set(MandantFelder::Mandantname, "Schreinerei Holz");
    EXPECT_TRUE(m->schreibe_mandant_satz(mandant));
    fibu = std::make_unique<TFFibu>(*m, suite, kommandozeile_auswerten(argumente));
  }
};

TEST(Befehlstabelle, JedeNummerIstEindeutigUndLaeuftOderIstAlsNichtVerfuegbarMarkiert) {
  Hauptfenster h;
  ASSERT_TRUE(h.fibu->setup(nullptr));
  std::set<int> gesehen;
  int verfuegbar = 0;
  for (int nummer : alle_befehle()) {
    EXPECT_TRUE(gesehen.insert(nummer).second) << nummer;
    const Menueeintrag* e = menueeintrag(nummer);
    ASSERT_NE(e, nullptr);
    // The number is the path of positions: every prefix is the parent menu.
    auto pfad = menuepfad(nummer);
    EXPECT_EQ(pfad.size(), nummer == 10 ? 1u : std::to_string(nummer).size()) << nummer;
    if (h.fibu->verfuegbar(nummer)) ++verfuegbar;
  }
  EXPECT_GE(gesehen.size(), 100u);
  // What is not built yet does not run and says so by its state.
  EXPECT_FALSE(h.fibu->verfuegbar(21));
  EXPECT_FALSE(h.fibu->ausfuehren(21));
  EXPECT_EQ(h.fibu->letzter_befehl(), 0);
  for (int n : {11, 141, 144, 151, 1431, 1432, 1433, 10, 47, 291, 37}) EXPECT_TRUE(h.fibu->verfuegbar(n)) << n;
  EXPECT_GT(verfuegbar, 10);
  EXPECT_EQ(menuepfad(3141),
            (std::vector<std::string>{"&Auswertungen", "&Allgemein", "&Kontoauszüge", "&Zu Prüfzwecken"}));
  EXPECT_EQ(menueeintrag(3131)->taste, Taste::F7);
}

TEST(Kommandozeile, SchalterInGrossschreibungUndFalscheMandantenwahl) {
  auto k = kommandozeile_auswerten({"/u", "/m", "/W=0052024", "rab-rechts", "/bl12", "/Zevo"});
  EXPECT_TRUE(k.uebernahmen && k.rab_rechts && k.bl12 && k.monatsabschluss_12x);
  EXPECT_FALSE(k.letzter_mandant);  // "/W=" clears "/M"
  EXPECT_EQ(k.mandant, 5);
  EXPECT_EQ(k.jahr, 2024);
  EXPECT_TRUE(sichtbar(*menueeintrag(124), k));
  EXPECT_FALSE(sichtbar(*menueeintrag(11), k));  // Mandantenwechsel hidden with /W=
  EXPECT_FALSE(sichtbar(*menueeintrag(45), k));
  EXPECT_TRUE(sichtbar(*menueeintrag(318), k));
  EXPECT_FALSE(sichtbar(*menueeintrag(47), k));

  // "/W=05" is refused with the message and the selection dialog runs.
  Hauptfenster h({"/W=05"});
  EXPECT_TRUE(h.fibu->kommandozeile().w_ungueltig);
  bool gefragt = false;
  EXPECT_FALSE(h.fibu->setup([&] {
    gefragt = true;
    return std::optional<std::pair<int, int>>();
  }));
  EXPECT_TRUE(gefragt);
  EXPECT_EQ(h.ui.meldungen(), std::vector<std::string>{"Kommandozeilenparameter ungültig!"});
}

TEST(Hauptfenster, TitelBefehl47UndEntertaste) {
  Hauptfenster h;
  std::vector<std::string> titel;
  h.fibu->titel_geaendert = [&](const std::string& t) { titel.push_back(t); };
  ASSERT_TRUE(h.fibu->setup(nullptr));
  EXPECT_EQ(h.fibu->titel(), "Finanzbuchhaltung  -  Mandant: 005 - 2024 - Kein Name  (DM)");
  h.m->basis.set(BasisFelder::Name, "Schreinerei Holz");
  titel.clear();
  EXPECT_TRUE(h.fibu->ausfuehren(47));
  EXPECT_EQ(titel.back(), "Finanzbuchhaltung  -  Mandant: 005 - 2024 - Schreinerei Holz  (DM)");
  EXPECT_TRUE(h.ui.protokoll().empty());  // 47 shows nothing, only the title
  EXPECT_EQ(h.fibu->letzter_befehl(), 47);

  using M = Menuetaste;
  EXPECT_EQ(menue_tastenfolge(3141),
            (std::vector<M>{M::Aktivieren, M::Rechts, M::Rechts, M::Enter, M::Enter, M::Runter,
                            M::Runter, M::Runter, M::Enter}));
  EXPECT_EQ(h.fibu->enter_taste(), menue_tastenfolge(47));
}

// The status line names client, year and the current period with its
// state, and follows them.
TEST(Hauptfenster, StatuszeileMitMandantJahrUndPeriode) {
  Hauptfenster h;
  EXPECT_EQ(h.fibu->statuszeile(), "Kein Mandant geöffnet");
  ASSERT_TRUE(h.fibu->setup(nullptr));
  h.m->basis.set(BasisFelder::Name, "Schreinerei Holz");
  EXPECT_EQ(h.fibu->statuszeile(), "Mandant 005  Schreinerei Holz  ·  Jahr 2024  ·  Periode 1: Nicht aktiv");
  h.m->basis.set(BasisFelder::AktuellePeriode, std::uint8_t{3});
  h.m->basis.set(BasisFelder::periode_status(3), std::uint8_t{2});
  EXPECT_EQ(h.fibu->statuszeile(),
            "Mandant 005  Schreinerei Holz  ·  Jahr 2024  ·  Periode 3: Journal gedruckt");
  h.m->basis.set(BasisFelder::AktuellePeriode, std::uint8_t{13});
  EXPECT_EQ(h.fibu->statuszeile(),
            "Mandant 005  Schreinerei Holz  ·  Jahr 2024  ·  Alle Perioden abgeschlossen");
}

TEST(Hauptfenster, BeschaeftigtPasswortUndWaechter) {
  Hauptfenster h;
  ASSERT_TRUE(h.fibu->setup(nullptr));
  int laeufe = 0;
  h.fibu->registriere(21, [&] {
    ++laeufe;
    EXPECT_TRUE(h.fibu->beschaeftigt());
    EXPECT_FALSE(h.fibu->ausfuehren(47));  // a second command while busy does nothing
    EXPECT_EQ(h.fibu->anfrage("KREDITLIMIT", "10001"), "FEHLER");
  });
  // Consistency guard: without a consistency check the function does not start.
  EXPECT_FALSE(h.fibu->ausfuehren(21));
  EXPECT_EQ(h.ui.meldungen().back(), "Es ist eine Konsistenzprüfung der Basisdaten nötig!");
  bool fehlerfrei = false;
  h.fibu->konsistenzpruefung = [&] { return fehlerfrei; };
  EXPECT_FALSE(h.fibu->ausfuehren(21));
  EXPECT_EQ(h.ui.meldungen().back(), "Bitte beheben Sie die Fehler! Die Funktion wird abgebrochen!");
  fehlerfrei = true;
  EXPECT_TRUE(h.fibu->ausfuehren(21));
  EXPECT_EQ(laeufe, 1);
  EXPECT_EQ(h.ui.meldungen().back(), std::string(TFFibu::besetzt_text));
  // Period guard: all periods closed.
  h.m->basis.set(BasisFelder::AktuellePeriode, std::uint8_t{13});
  EXPECT_FALSE(h.fibu->ausfuehren(21));
  EXPECT_EQ(h.ui.meldungen().back(), "Sie haben bereits alle Perioden abgeschlossen!");
  EXPECT_EQ(laeufe, 1);
  // A command password is asked for; a wrong one refuses the command.
  h.suite.passwoerter[47] = "geheim";
  h.ui.formular_skript({Formularschritt::tippe("Passwort", "falsch"), Formularschritt::druecke(Taste::Esc)});
  EXPECT_FALSE(h.fibu->ausfuehren(47));
  EXPECT_EQ(h.ui.meldungen().back(), "Passwort falsch!");
  h.ui.formular_skript({Formularschritt::tippe("Passwort", "geheim"), Formularschritt::druecke(Taste::Esc)});
  EXPECT_TRUE(h.fibu->ausfuehren(47));
}

TEST(Anfragen, KreditlimitNachSaldoUndFaelligenPosten) {
  Hauptfenster h;
  ASSERT_TRUE(h.fibu->setup(nullptr));
  Mandant& m = *h.m;
  auto kunde = [&](int nr, std::int64_t limit, std::int64_t saldo) {
    m.personen->leeren();
    m.personen->satz().set(PersonenFelder::Limit, limit);
    m.personen->satz().set(PersonenFelder::Saldo, saldo);
    m.personen->speichern(m.personenkonto_text(nr));
  };
  kunde(10001, 100000, 99999);
  kunde(10002, 100000, 100001);
  kunde(10003, 0, 99999999);
  EXPECT_EQ(h.fibu->anfrage("KREDITLIMIT", "10001"), "OK");
  EXPECT_EQ(h.fibu->anfrage("KREDITLIMIT", "10002"), "KO");
  EXPECT_EQ(h.fibu->anfrage("KREDITLIMIT", "10003 FAELLIG"), "OK");
  EXPECT_EQ(h.fibu->anfrage("KREDITLIMIT", "10009"), "FEHLER");
  EXPECT_EQ(h.fibu->anfrage("KREDITLIMIT", "abc"), "FEHLER");
  // FAELLIG: only items due today or earlier count, not the balance.
  m.opstamm->oeffnen();
  auto op = [&](const std::string& beleg, Datum faellig, std::int64_t offen) {
    m.opstamm->leeren();
    Satz& s = m.opstamm->satz();
    s.set(OpstammFelder::Belegnummer, beleg);
    s.set(OpstammFelder::Kontonummer, m.personenkonto_text(10002));
    s.set(OpstammFelder::Faelligkeitsdatum, faellig);
    s.set(OpstammFelder::NochOffen, offen);
    s.setze_u8(OpstammFelder::Kennung, 'D');
    m.opstamm->speichern("D" + beleg);
  };
  op("1", DMYtoDate(15, 3, 2024), 60000);
  op("2", DMYtoDate(16, 3, 2024), 90000);
  EXPECT_EQ(h.fibu->anfrage("KREDITLIMIT", "10002 faellig"), "OK");
  op("3", DMYtoDate(1, 1, 2024), 40001);
  EXPECT_EQ(h.fibu->anfrage("KREDITLIMIT", "10002 FAELLIG"), "KO");
  // OPLISTE answers what the list did: nothing registered, a list that
  // printed nothing, a list that printed.
  EXPECT_EQ(h.fibu->anfrage("OPLISTE", "10001"), "FEHLER");
  std::string kunde_gesehen;
  bool druckt = false;
  h.fibu->opliste = [&](const std::string& k) {
    kunde_gesehen = k;
    return druckt;
  };
  EXPECT_EQ(h.fibu->anfrage("OPLISTE", " 10001 "), "FEHLER");
  EXPECT_EQ(kunde_gesehen, "10001");
  druckt = true;
  EXPECT_EQ(h.fibu->anfrage("OPLISTE", "10001"), "OK");
}

TEST(Hauptfenster, FensterpositionUndEnde) {
  Hauptfenster h;
  Fensterposition fp(*h.fs, h.tmp.pfad(), "fibu");
  EXPECT_EQ(name_von(fp.pfad()), "FPfibu.ini");
  EXPECT_FALSE(fp.gespeichert());
  EXPECT_TRUE(fp.umschalten(120, 80));
  EXPECT_EQ(fp.lesen(), std::make_pair(120, 80));
  EXPECT_FALSE(fp.umschalten(0, 0));
  EXPECT_FALSE(fp.gespeichert());

  ASSERT_TRUE(h.fibu->setup(nullptr));
  h.ui.formular_skript({Formularschritt::klicke("sichern")});
  EXPECT_TRUE(h.fibu->ausfuehren(10));
  EXPECT_TRUE(h.fibu->beendet());
  EXPECT_FALSE(h.m->offen());
  EXPECT_EQ(h.ui.meldungen().back(), "Die Datensicherung ist in diesem Programmstand noch nicht enthalten.");
}

}  // namespace
}  // namespace fibu
