// Creating a client from a chart template (1431) and copying a fiscal year
// (1432) on the in-memory file system, with every write made to fail once
// in turn: each run either reports success and leaves a complete year, or
// reports an error and leaves no year, or one that is marked unfinished and
// refused when it is opened.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "frame/mandantenverwaltung.h"
#include "frame/tffibu.h"
#include "suite/allgemei.h"
#include "suite/test_dateisystem.h"
#include "suite/test_interaktion.h"

namespace fibu {
namespace {

using S = Formularschritt;
constexpr const char* wurzel = "/r/FIBU/";

struct Umgebung {
  TestDateisystem fs;
  TestInteraktion ui;
  Tagesdatum heute{DMYtoDate(6, 12, 2026)};
  Netzwerk netz{fs, "/r", false};
  Mandant m{fs, ui, heute, wurzel, netz};

  // A chart template SKR 03 made from a small Deutsche Mark client: two GL
  // accounts and a BWA group.
  void muster_anlegen() {
    ASSERT_TRUE(fs.verzeichnis_anlegen(wurzel).ok());
    ASSERT_TRUE(m.mandant_oeffnen(900, 2000, false));
    for (int nr : {1200, 8400}) {
      m.sach->leeren();
      m.sach->satz().set(SachFelder::Bezeichnung1, "Konto " + std::to_string(nr));
      m.sach->speichern(m.sachkonto_text(nr));
    }
    m.bwakonto->oeffnen();
    m.bwakonto->leeren();
    m.bwakonto->satz().set(BwakontoFelder::Gruppe, "B1");
    m.bwakonto->speichern("B1");
    m.mandant_schliessen();
    const std::string von = m.daten_verzeichnis(900, 2000), nach = std::string(wurzel) + "MUSTER/SKR03";
    ASSERT_TRUE(fs.verzeichnis_anlegen(nach).ok());
    for (auto [a, b] : {std::pair{"SACH.DAT", "SACH3.DAT"}, std::pair{"SACH.IX", "SACH3.IX"},
                        std::pair{"BWAKONTO.DAT", "bwakonto.dat"},
                        std::pair{"BWAKONTO.IX", "bwakonto.ix"}})
      ASSERT_TRUE(fs.kopiere_datei(von + a, nach + "/" + b).ok()) << a;
    ASSERT_TRUE(
        fs.schreibe_datei_atomar(nach + "/bwanamen.par", std::string(BwanamenFelder::groesse, '\0'))
            .ok());
    for (const char* vts : {"bilanz_g.vts", "guv.vts", "ker.vts"})
      ASSERT_TRUE(fs.schreibe_datei_atomar(nach + "/" + vts, "").ok());
  }

  std::string letzte_meldung() const {
    return ui.meldungen().empty() ? std::string() : ui.meldungen().back();
  }
  bool gemeldet(const std::string& text) {
    return std::find(ui.meldungen().begin(), ui.meldungen().end(), text) != ui.meldungen().end();
  }

  // What a later start finds of client `nummer`, year 2026: nothing, a year
  // that is refused, or one that opens (then with its GL accounts).
  enum class Befund { Nichts, Abgewiesen, Vollstaendig };
  Befund befund(int nummer, int jahr) {
    if (!fs.ist_verzeichnis(m.daten_verzeichnis(nummer, jahr))) return Befund::Nichts;
    Mandant neu(fs, ui, heute, wurzel, netz);
    if (!neu.mandant_oeffnen(nummer, jahr)) return Befund::Abgewiesen;
    EXPECT_TRUE(neu.sach->key_vorhanden(1, "8400"));
    EXPECT_TRUE(neu.euro());
    neu.mandant_schliessen();
    return Befund::Vollstaendig;
  }
};

// The dialog of client 7, year 2026, from SKR 03 in Euro, saved with Esc;
// `schliessen`: a refused save is left by closing the window.
std::vector<Formularschritt> neuer_mandant(bool schliessen = false) {
  std::vector<Formularschritt> s = {S::tippe("Mandantnummer", "7"),
                                    S::tippe("Mandantname", "Malerei Farbe"),
                                    S::tippe("Jahr", "2026"), S::tippe("Kontenrahmen", "SKR-03"),
                                    S::tippe("Währung", "EURO"), S::druecke(Taste::Esc)};
  if (schliessen) s.push_back(S::schliesse());
  return s;
}

// Runs command `befehl` once for every write it makes, that write failing
// once: `vorher` prepares the client and the dialogs, `danach` judges the
// answer of the command after the client is closed. Counts the runs that
// succeeded and those that failed.
void bei_jedem_schreibfehler(int befehl, const std::function<void(Umgebung&, TFFibu&)>& vorher,
                             const std::function<void(Umgebung&, bool)>& danach) {
  int ok = 0, fehler = 0;
  for (std::uint64_t n = 1;; ++n) {
    SCOPED_TRACE(n);
    ASSERT_LT(n, 500u);
    Umgebung u;
    ASSERT_NO_FATAL_FAILURE(u.muster_anlegen());
    Suitekonfiguration suite;
    TFFibu fibu(u.m, suite, Kommandozeile{});
    ASSERT_NO_FATAL_FAILURE(vorher(u, fibu));
    const std::uint64_t vor_dem_befehl = u.fs.schreibvorgaenge();
    u.fs.stoere(n, TestDateisystem::Stoerung::Fehler);
    const bool gelungen = fibu.ausfuehren(befehl);
    const bool durch = u.fs.schreibvorgaenge() - vor_dem_befehl < n;
    u.fs.keine_stoerung();
    u.m.mandant_schliessen();
    ++(gelungen ? ok : fehler);
    danach(u, gelungen);
    if (durch) break;
  }
  EXPECT_GT(ok, 0);
  EXPECT_GT(fehler, 5);
}

TEST(Mandantenanlage, JederFehlgeschlageneSchreibvorgangWirdGemeldetUndHinterlaesstNichtsHalbes) {
  bei_jedem_schreibfehler(
      1431,
      [](Umgebung& u, TFFibu&) {
        u.ui.formular_skript(neuer_mandant(true));
        u.ui.erwarte_frage("", false);  // leaving the refused dialog without saving
      },
      [](Umgebung& u, bool angelegt) {
        const auto befund = u.befund(7, 2026);
        if (angelegt) {
          EXPECT_EQ(befund, Umgebung::Befund::Vollstaendig);
          return;
        }
        // Either nothing usable is left, or the year was made whole and
        // only opening it failed; either way a message says what happened.
        EXPECT_FALSE(u.ui.meldungen().empty());
        if (befund != Umgebung::Befund::Vollstaendig) {
          EXPECT_TRUE(u.gemeldet("Der Mandant konnte nicht angelegt werden!") ||
                      u.gemeldet("Kann Mandantenverzeichnis nicht anlegen!"))
              << u.letzte_meldung();
        }
      });
}

TEST(Mandantenkopie, JederFehlgeschlageneSchreibvorgangWirdGemeldetUndHinterlaesstNichtsHalbes) {
  bei_jedem_schreibfehler(
      1432,
      [](Umgebung& u, TFFibu& fibu) {
        u.ui.formular_skript(neuer_mandant());
        ASSERT_TRUE(fibu.ausfuehren(1431));
        u.ui.formular_skript({S::tippe("Mandantnummer", "8"), S::druecke(Taste::Esc)});
      },
      [](Umgebung& u, bool kopiert) {
        EXPECT_EQ(kopiert, u.gemeldet("Mandant kopiert."));
        const auto befund = u.befund(8, 2026);
        if (kopiert) {
          EXPECT_EQ(befund, Umgebung::Befund::Vollstaendig);
          return;
        }
        EXPECT_TRUE(u.gemeldet("Der Mandant konnte nicht kopiert werden!") ||
                    u.gemeldet("Kann Mandantenverzeichnis nicht anlegen!"))
            << u.letzte_meldung();
        EXPECT_NE(befund, Umgebung::Befund::Vollstaendig);
      });
}

// What a failure could not remove stays marked: the year is refused when
// opened, and a new copy may go over it.
TEST(Mandantenkopie, UnfertigesJahrWirdAbgewiesenUndUeberschrieben) {
  Umgebung u;
  ASSERT_NO_FATAL_FAILURE(u.muster_anlegen());
  Suitekonfiguration suite;
  TFFibu fibu(u.m, suite, Kommandozeile{});
  u.ui.formular_skript(neuer_mandant());
  ASSERT_TRUE(fibu.ausfuehren(1431));
  const std::string halb = u.m.daten_verzeichnis(8, 2026);
  ASSERT_TRUE(u.fs.verzeichnis_anlegen(halb).ok());
  ASSERT_TRUE(u.fs.schreibe_datei_atomar(halb + "BASIS.PAR", std::string(100, 'x')).ok());
  ASSERT_TRUE(u.fs.schreibe_datei_atomar(halb + unfertig_kennzeichen, "").ok());
  Mandant zweiter(u.fs, u.ui, u.heute, wurzel, u.netz);
  EXPECT_FALSE(zweiter.mandant_oeffnen(8, 2026));
  EXPECT_EQ(u.ui.meldungen().back(),
            "Mandant 008 - 2026 ist nicht fertig angelegt oder kopiert worden!\rBitte legen Sie "
            "ihn neu an oder kopieren Sie ihn erneut.");
  u.ui.formular_skript({S::tippe("Mandantnummer", "8"), S::druecke(Taste::Esc)});
  EXPECT_TRUE(fibu.ausfuehren(1432));
  u.m.mandant_schliessen();
  EXPECT_EQ(u.befund(8, 2026), Umgebung::Befund::Vollstaendig);
  EXPECT_FALSE(u.fs.existiert(halb + unfertig_kennzeichen));
}

}  // namespace
}  // namespace fibu
