// A whole client on a temporary accounting root: opening creates its files,
// every file stores and finds its records again after closing and
// reopening, a second process is kept out, broken files end the program.
#include "frame/mandant.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../suite/testverzeichnis.h"
#include "frame/konfiguration.h"
#include "frame/start.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/ergebnis.h"
#include "suite/test_interaktion.h"

namespace fibu {
namespace {

struct Wurzel {
  Testverzeichnis tmp;
  std::unique_ptr<Dateisystem> fs = echtes_dateisystem();
  TestInteraktion ui;
  Tagesdatum heute{DMYtoDate(6, 12, 2024)};
  std::string fibu = tmp.pfad() + "/FIBU/";
  Netzwerk netz{*fs, tmp.pfad()};
  // EXPECT, not ASSERT: a constructor cannot return early.
  Wurzel() { EXPECT_TRUE(fs->verzeichnis_anlegen(fibu).ok()); }
};

void alles_speichern(Mandant& m) {
  m.sach->leeren();
  m.sach->satz().set(SachFelder::Bezeichnung1, "Bank");
  m.sach->satz().set(SachFelder::zuordnung_code(0), "BWA1");
  m.sach->speichern(m.sachkonto_text(1200));
  m.personen->leeren();
  m.personen->satz().set(PersonenFelder::Name, "Bäckerei Müller");
  m.personen->speichern(m.personenkonto_text(10001));
  m.kosten->leeren();
  m.kosten->satz().set(KostenFelder::Name1, "Werkstatt");
  m.kosten->speichern("K1000");

  auto& b = *m.buchung;
  b.satz().leeren();
  b.satz().set(BuchungFelder::Konto, "1200");
  b.satz().set(BuchungFelder::Belegnr, "4711");
  b.satz().setze_u8(BuchungFelder::SollHaben, 'S');
  b.satz().set(BuchungFelder::Betrag, std::int64_t{11900});
  ASSERT_TRUE(b.buchung_ablegen(1));

  for (tdatenbank* db : std::initializer_list<tdatenbank*>{
           m.kostart.get(), m.opstamm.get(), m.tempkost.get(), m.tempjour.get(), m.bwakonto.get()})
    db->oeffnen();
  m.kostart->leeren();
  m.kostart->satz().set(KostartFelder::Schluessel1, "10001200");
  m.kostart->satz().set(KostartFelder::Schluessel2, "12001000");
  m.kostart->speichern("10001200");
  m.opstamm->leeren();
  m.opstamm->satz().setze_u8(OpstammFelder::Kennung, 'D');
  m.opstamm->satz().set(OpstammFelder::Belegnummer, "4711");
  m.opstamm->satz().set(OpstammFelder::Kontonummer, "10001");
  m.opstamm->speichern("D4711");
  m.tempkost->leeren();
  m.tempkost->satz().set(BuchungFelder::Index, 1);
  m.tempkost->speichern(LongToKey(1));
  m.tempjour->leeren();
  m.tempjour->satz().set(TempjourFelder::Datum, DMYtoDate(2, 1, 2024));
  m.tempjour->satz().set(TempjourFelder::Buchungsnummer, 1);
  m.tempjour->setze_aktuelle_ref(1);
  m.tempjour->speichern(WordToKey(DMYtoDate(2, 1, 2024)) + LongToKey(1));
  m.bwakonto->leeren();
  m.bwakonto->satz().set(BwakontoFelder::Gruppe, "BWA1");
  m.bwakonto->speichern("BWA1");
  m.basis.set(BasisFelder::Name, "Bäckerei Süd");
  m.archivanzahl = 0;
  ASSERT_TRUE(m.schreibe_journal());
}

TEST(Mandant, ANewClientStoresAndFindsEverythingAfterReopening) {
  Wurzel w;
  {
    Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
    ASSERT_TRUE(m.mandant_oeffnen(5, 2024, true));
    EXPECT_EQ(m.daten_verzeichnis(), w.fibu + "005/2024/");
    EXPECT_EQ(m.waehrungstext(), "EURO");
    alles_speichern(m);
    m.mandant_schliessen();
  }
  const std::string d = w.fibu + "005/2024/";
  for (const char* datei :
       {"SACH.EAT", "SACH.EIX", "PERSONEN.EAT", "KOSTEN.EIX", "BUCHUNG.EIX", "BUCHUNG.DA1",
        "OPSTAMM.EAT", "KOSTART.EAT", "TEMPKOST.EAT", "TEMPJOUR.EIX", "BWAKONTO.EAT", "BASIS.PAR",
        "BASIS.SIK", "JOURNAL.PAR"})
    EXPECT_TRUE(w.fs->existiert(d + datei)) << datei;
  std::string basis;
  ASSERT_TRUE(w.fs->lies_datei(d + "BASIS.PAR", basis));
  EXPECT_EQ(basis.size(), 61098u);
  std::string buchungen;
  ASSERT_TRUE(w.fs->lies_datei(d + "BUCHUNG.DA1", buchungen));
  EXPECT_EQ(buchungen.size(), 321u);
  EXPECT_TRUE(w.fs->existiert(w.fibu + "LETZTER.PAR"));

  Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
  m.erech_verzeichnis = w.tmp.pfad() + "/suite/ERECH";
  ASSERT_TRUE(w.fs->verzeichnis_anlegen(m.erech_verzeichnis));
  ASSERT_TRUE(m.lies_letzter());
  EXPECT_EQ(m.mandant.get(MandantFelder::Mandantnummer), 5);
  EXPECT_EQ(m.mandant.get(MandantFelder::Jahr), 2024);
  ASSERT_TRUE(m.mandant_oeffnen(5, 2024));
  EXPECT_EQ(m.basis.get(BasisFelder::Name), "Bäckerei Süd");
  EXPECT_TRUE(m.sach->suchen("1200"));
  EXPECT_TRUE(m.sach->key_vorhanden(3, "BWA1"));
  EXPECT_TRUE(m.personen->suchen("10001"));
  EXPECT_EQ(m.personen->satz().get(PersonenFelder::Name), "Bäckerei Müller");
  EXPECT_TRUE(m.kosten->suchen("K1000"));
  ASSERT_TRUE(m.buchung->buchung_lesen(1));
  EXPECT_EQ(m.buchung->satz().get(BuchungFelder::Betrag), 11900);
  EXPECT_TRUE(m.buchung->key_vorhanden(4, "S4711"));
  for (tdatenbank* db : std::initializer_list<tdatenbank*>{
           m.kostart.get(), m.opstamm.get(), m.tempkost.get(), m.tempjour.get(), m.bwakonto.get()})
    db->oeffnen();
  EXPECT_TRUE(m.kostart->suchen_key(2, "12001000"));
  EXPECT_TRUE(m.opstamm->suchen("D4711"));
  EXPECT_TRUE(m.tempkost->suchen(LongToKey(1)));
  EXPECT_EQ(m.tempjour->anzahl_keys(1), 1u);
  EXPECT_TRUE(m.bwakonto->suchen("BWA1"));
  ASSERT_TRUE(m.erech);
  m.erech->oeffnen();
  m.erech->leeren();
  m.erech->speichern("00001");
  EXPECT_TRUE(w.fs->existiert(m.erech_verzeichnis + "/ERECH.EAT"));
  EXPECT_TRUE(m.erech->suchen("00001"));
  EXPECT_TRUE(m.ist_sachkonto("1200"));
  EXPECT_TRUE(m.ist_debitor("10001"));
  EXPECT_EQ(m.sachkonto_text(100), "0100");
}

TEST(Mandant, ASecondProcessCannotOpenTheSameClientAndYear) {
  Wurzel w;
  int hin[2], zurueck[2];
  ASSERT_EQ(::pipe(hin), 0);
  ASSERT_EQ(::pipe(zurueck), 0);
  pid_t kind = ::fork();
  if (kind == 0) {
    ::close(hin[1]);
    ::close(zurueck[0]);
    auto fs = echtes_dateisystem();
    TestInteraktion ui;
    Tagesdatum heute(DMYtoDate(6, 12, 2024));
    Netzwerk netz(*fs, w.tmp.pfad());
    Mandant m(*fs, ui, heute, w.fibu, netz);
    char ok = m.mandant_oeffnen(7, 2024) ? '1' : '0';
    if (::write(zurueck[1], &ok, 1) != 1) ::_exit(2);
    char c;
    [[maybe_unused]] auto r = ::read(hin[0], &c, 1);
    m.mandant_schliessen();
    ::_exit(0);
  }
  ::close(hin[0]);
  ::close(zurueck[1]);
  char ok = '0';
  ASSERT_EQ(::read(zurueck[0], &ok, 1), 1);
  ASSERT_EQ(ok, '1');
  {
    Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
    EXPECT_FALSE(m.mandant_oeffnen(7, 2024));
    // The client exists; it is in use, and the user is told so.
    ASSERT_FALSE(w.ui.meldungen().empty());
    EXPECT_EQ(w.ui.meldungen().back(),
              "Mandant 007 / 2024 wird an einem anderen Arbeitsplatz bearbeitet.");
    EXPECT_TRUE(m.mandant_oeffnen(7, 2023));  // another year is free
  }
  ::close(hin[1]);
  int status;
  ::waitpid(kind, &status, 0);
  Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
  EXPECT_TRUE(m.mandant_oeffnen(7, 2024));
}

TEST(Mandant, ABrokenBookingFileOrRecordSizeEndsTheProgram) {
  Wurzel w;
  {
    Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
    ASSERT_TRUE(m.mandant_oeffnen(1, 2024, false));
  }
  const std::string d = w.fibu + "001/2024/";
  EXPECT_TRUE(w.fs->existiert(d + "SACH.DAT"));  // a Deutsche Mark client
  ASSERT_TRUE(w.fs->schreibe_datei_atomar(d + "BUCHUNG.DA1", std::string(500, '\0')));
  {
    Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
    try {
      (void)m.mandant_oeffnen(1, 2024);  // ends with Abbruch, never returns
      FAIL();
    } catch (const Abbruch& a) {
      EXPECT_EQ(a.text(), "Datensatzgröße der Buchungsdatei ist falsch!");
    }
  }
  ASSERT_TRUE(w.fs->schreibe_datei_atomar(d + "BUCHUNG.DA1", ""));
  // A GL file of another record size.
  ASSERT_TRUE(w.fs->loeschen(d + "SACH.DAT"));
  ASSERT_TRUE(w.fs->loeschen(d + "SACH.IX"));
  {
    isam::IsamVerzeichnis v(*w.fs, d);
    isam::IsamFileBlock fb(v);
    ASSERT_TRUE(fb.MakeNetFileBlock("SACH", 2000, 3, {{8, false}, {18, true}, {10, true}}));
  }
  Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
  try {
    (void)m.mandant_oeffnen(1, 2024);  // ends with Abbruch, never returns
    FAIL();
  } catch (const Abbruch& a) {
    EXPECT_EQ(a.text(), "Datensatzgröße der DB \"SACH\" ist falsch!\rProgramm wird abgebrochen!");
  }
  // The reservation was released on the way out.
  Netzwerk anderer(*w.fs, w.tmp.pfad());
  EXPECT_TRUE(anderer.lock("FIBU0012024"));
}

TEST(Konfiguration, KonfDatAndTheSuiteSettings) {
  Testverzeichnis tmp;
  auto fs = echtes_dateisystem();
  std::string zwoelf;
  for (int i = 1; i <= 12; ++i) zwoelf += "C:\\ORNIX\\DIR" + std::to_string(i) + "\r\n";
  ASSERT_TRUE(fs->schreibe_datei_atomar(tmp / "KONF.DAT", zwoelf));
  KonfDat k = lies_konf_dat(*fs, tmp.pfad());
  EXPECT_EQ(k.fibu_pfad, "");  // fewer than 13 lines: no accounting root
  EXPECT_EQ(k.verzeichnisse[0], "C:/ORNIX/DIR1/");
  ASSERT_TRUE(fs->schreibe_datei_atomar(tmp / "konf.dat", zwoelf + "F:\\DATEN\\FIBU\r\n"));
  ASSERT_TRUE(fs->loeschen(tmp / "KONF.DAT"));
  k = lies_konf_dat(*fs, tmp.pfad());
  EXPECT_EQ(k.fibu_pfad, "F:/DATEN/FIBU/");

  Suitekonfiguration s;
  ASSERT_TRUE(s.laden(*fs, tmp / "ornix"));
  EXPECT_TRUE(fs->existiert(tmp / "ornix/FIBU.INI"));  // defaults written on first start
  EXPECT_EQ(s.netzwerktyp, 2);
  std::string ini;
  ASSERT_TRUE(fs->lies_datei(tmp / "ornix/FIBU.INI", ini));
  ini += "[Passwoerter]\r\n21=buchen\r\n";
  ASSERT_TRUE(fs->schreibe_datei_atomar(tmp / "ornix/FIBU.INI", ini));
  Suitekonfiguration t;
  ASSERT_TRUE(t.laden(*fs, tmp / "ornix"));
  EXPECT_FALSE(t.passwort_stimmt(21, "falsch"));
  EXPECT_TRUE(t.passwort_stimmt(21, "buchen"));
  EXPECT_TRUE(t.passwort_stimmt(22, ""));
}

}  // namespace
}  // namespace fibu

namespace fibu {
namespace {

TEST(Start, FatalConfigurationsEndTheProgram) {
  Testverzeichnis tmp;
  auto fs = echtes_dateisystem();
  try {
    start_lesen(*fs, tmp.pfad());  // no KONF.DAT: no accounting root
    FAIL();
  } catch (const Abbruch& a) {
    EXPECT_EQ(a.text(), "Bitte korrekten FIBU-Pfad in der Parameterverwaltung eintragen!");
  }
  std::string konf;
  for (int i = 1; i <= 12; ++i) konf += tmp.pfad() + "/suite\r\n";
  konf += tmp.pfad() + "/neu/FIBU\r\n";
  ASSERT_TRUE(fs->schreibe_datei_atomar(tmp / "KONF.DAT", konf));
  Startkonfiguration s = start_lesen(*fs, tmp.pfad());
  EXPECT_EQ(s.konf.fibu_pfad, tmp.pfad() + "/neu/FIBU/");
  EXPECT_TRUE(fs->ist_verzeichnis(s.konf.fibu_pfad));  // created

  std::string ini;
  ASSERT_TRUE(fs->lies_datei(tmp / "suite/FIBU.INI", ini));
  ASSERT_TRUE(fs->schreibe_datei_atomar(tmp / "suite/FIBU.INI", "[Netzwerk]\r\nTyp=0\r\n"));
  try {
    start_lesen(*fs, tmp.pfad());
    FAIL();
  } catch (const Abbruch& a) {
    EXPECT_EQ(a.text(), "Sie haben keinen Netzwerktyp angegeben!");
  }
}

TEST(Start, TheCommandLineDecidesOrTheSelectionRuns) {
  Wurzel w;
  {
    Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
    ASSERT_TRUE(m.mandant_oeffnen(5, 2024, true));
    m.mandant.set(MandantFelder::Mandantname, "Muster");
    ASSERT_TRUE(m.schreibe_mandant());
  }
  int auswahlen = 0;
  Mandantenauswahl auswahl = [&]() -> std::optional<std::pair<int, int>> {
    ++auswahlen;
    return std::pair{5, 2024};
  };
  {
    Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
    Startwahl wahl;
    wahl.direkt = {5, 2024};
    ASSERT_TRUE(mandant_starten(m, wahl, auswahl));
    EXPECT_EQ(auswahlen, 0);
    EXPECT_EQ(m.mandant.get(MandantFelder::Mandantname), "Muster");
  }
  {
    Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
    Startwahl wahl;
    wahl.direkt = {5, 2031};  // no such year
    ASSERT_TRUE(mandant_starten(m, wahl, auswahl));
    EXPECT_EQ(w.ui.meldungen().back(), "Kommandozeilenparameter ungültig!");
    EXPECT_EQ(auswahlen, 1);
  }
  {
    Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
    Startwahl wahl;
    wahl.letzter_mandant = true;
    ASSERT_TRUE(w.fs->schreibe_datei_atomar(w.fibu + "005/2024/UMBAU.DAT", ""));
    ASSERT_TRUE(mandant_starten(m, wahl, auswahl));
    EXPECT_EQ(m.nummer(), 5);
    EXPECT_EQ(auswahlen, 1);
    EXPECT_NE(w.ui.meldungen().back().find("Monatsabschluß nicht vollständig"), std::string::npos);
  }
  // A run cut off after its switch was recorded is completed on opening,
  // with a message; its new booking file is then no longer "UMBAU.DAT".
  const std::string verz = w.fibu + "005/2024/";
  ASSERT_TRUE(w.fs->schreibe_datei_atomar(verz + "ARCHIV.DAT", "neu"));
  ASSERT_TRUE(w.fs->schreibe_datei_atomar(
      verz + "UMBAU.MRK",
      "FIBU-UMBAU 1\nlauf=Der Monatsabschluß\nstand=umschalten\nersetze=ARCHIV.ALT|UMBAU.DAT\n"));
  {
    Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
    Startwahl wahl;
    wahl.direkt = {5, 2024};
    ASSERT_TRUE(mandant_starten(m, wahl, auswahl));
    EXPECT_EQ(
        w.ui.meldungen().back(),
        "Der Monatsabschluß wurde unterbrochen und beim Öffnen des Mandanten zu Ende geführt.");
    EXPECT_FALSE(w.fs->existiert(verz + "UMBAU.DAT"));
    EXPECT_FALSE(w.fs->existiert(verz + "UMBAU.MRK"));
    EXPECT_TRUE(w.fs->existiert(verz + "ARCHIV.ALT"));
  }
  // A marker that cannot be read is a state no run explains.
  ASSERT_TRUE(w.fs->schreibe_datei_atomar(verz + "UMBAU.MRK", "kaputt"));
  {
    Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
    ASSERT_TRUE(m.mandant_oeffnen(5, 2024));
    EXPECT_EQ(w.ui.meldungen().back(), undefinierter_zustand_text);
  }
  Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
  Startwahl wahl;
  wahl.letzter_mandant = true;
  ASSERT_TRUE(w.fs->loeschen(w.fibu + "LETZTER.PAR"));
  EXPECT_FALSE(mandant_starten(m, wahl, [] { return std::optional<std::pair<int, int>>(); }));
  EXPECT_EQ(w.ui.meldungen().back(), "Letzter Mandant nicht gefunden!");
}

}  // namespace
}  // namespace fibu

namespace fibu {
namespace {

TEST(Mandant, BaseDataAreWrittenWithTheUnitOfWorkTheyBelongTo) {
  Wurzel w;
  Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
  ASSERT_TRUE(m.mandant_oeffnen(3, 2024, true));
  const std::string d = w.fibu + "003/2024/";
  // A posting activates a period and saves the base data in its unit:
  // rolled back, the file keeps the old state.
  ASSERT_EQ(m.verzeichnis().beginne(), isam::isam_ok);
  m.basis.set(BasisFelder::periode_status(1), std::uint8_t{1});
  ASSERT_TRUE(m.schreibe_basis());
  m.archivanzahl = 5;
  ASSERT_TRUE(m.schreibe_journal());
  m.verzeichnis().verwerfe();
  std::string roh;
  ASSERT_TRUE(w.fs->lies_datei(d + "BASIS.PAR", roh));
  Satz gelesen(BasisFelder::groesse, roh);
  EXPECT_EQ(gelesen.get(BasisFelder::periode_status(1)), 0);
  EXPECT_FALSE(w.fs->existiert(d + "JOURNAL.PAR") && w.fs->lies_datei(d + "JOURNAL.PAR", roh) &&
               !roh.empty());
  // Committed, both are there.
  ASSERT_EQ(m.verzeichnis().beginne(), isam::isam_ok);
  ASSERT_TRUE(m.schreibe_basis());
  ASSERT_TRUE(m.schreibe_journal());
  ASSERT_EQ(m.verzeichnis().bestaetige(), isam::isam_ok);
  ASSERT_TRUE(w.fs->lies_datei(d + "BASIS.PAR", roh));
  EXPECT_EQ(Satz(BasisFelder::groesse, roh).get(BasisFelder::periode_status(1)), 1);
  ASSERT_TRUE(w.fs->lies_datei(d + "JOURNAL.PAR", roh));
  EXPECT_EQ(Satz(JournalFelder::groesse, roh).get(JournalFelder::Archivanzahl), 5);
  ASSERT_TRUE(w.fs->lies_datei(d + "BASIS.SIK", roh));  // the copy of the file before
  EXPECT_EQ(Satz(BasisFelder::groesse, roh).get(BasisFelder::periode_status(1)), 0);
}

TEST(Mandant, DamagedBaseDataAreNotReplacedByDefaults) {
  Wurzel w;
  {
    Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
    ASSERT_TRUE(m.mandant_oeffnen(4, 2024, true));
    m.basis.set(BasisFelder::Name, "Wichtig");
  }
  const std::string d = w.fibu + "004/2024/";
  std::string roh;
  ASSERT_TRUE(w.fs->lies_datei(d + "BASIS.PAR", roh));
  ASSERT_TRUE(w.fs->schreibe_datei_atomar(d + "BASIS.PAR", roh.substr(0, 1000)));
  Mandant m(*w.fs, w.ui, w.heute, w.fibu, w.netz);
  EXPECT_THROW((void)m.mandant_oeffnen(4, 2024), Abbruch);
  ASSERT_TRUE(w.fs->lies_datei(d + "BASIS.PAR", roh));
  EXPECT_EQ(roh.size(), 1000u);  // untouched
  Netzwerk anderer(*w.fs, w.tmp.pfad());
  EXPECT_TRUE(anderer.lock("FIBU0042024"));  // and the reservation released
}

}  // namespace
}  // namespace fibu
