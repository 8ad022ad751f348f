// A statement is posted whole or not at all: a power loss after any write
// of the posting run, or a write that fails, leaves either every booking
// of the statement with the table emptied, or no booking and the table
// as it was.
#include <gtest/gtest.h>

#include "bankbuchhaltung.h"

namespace fibu {
namespace {

// Three items and the statement that settles them, with a split line and a
// taxed expense; the table saved as the bookkeeper left it.
void vorbereiten(Testbuchhaltung& t) {
  t.anlegen();
  Opbuchungen op(t);
  op.rechnung("10001", "R1", 60000, tag(3));
  op.rechnung("10002", "R2", 40000, tag(3));
  op.rechnung("70001", "E1", 8000, tag(4));
  tbank b(*t.m);
  ASSERT_TRUE(b.konto_oeffnen("1200"));
  b.datum_setzen(tag(15));
  const std::vector<Bankzeile> zeilen = {
      zeile(0, 100000, "R1", 60000, "10001"), zeile(0, 0, "R2", 40000, "10002"),
      zeile(8000, 0, "E1", 8000, "70001"), zeile(11600, 0, "/", 11600, "3400")};
  for (std::size_t i = 0; i < zeilen.size(); ++i) b.zeilen()[i] = zeilen[i];
  b.geaendert();
  ASSERT_TRUE(b.speichern());
  // The copy of the statement posted before.
  ASSERT_TRUE(t.m->fs().schreibe_datei_atomar(t.m->daten_verzeichnis() + "1200.SIK", "vorher"));
}

bool buchen(Testbuchhaltung& t) {
  tbank b(*t.m);
  return b.konto_oeffnen("1200") && b.buchen().gebucht;
}

// The table file as it is on disk.
std::string tabelle(Testbuchhaltung& t) {
  std::string inhalt;
  auto pfad = t.m->fs().finde_datei(t.m->daten_verzeichnis(), "1200.STA");
  EXPECT_TRUE(pfad);
  if (pfad) {
    EXPECT_TRUE(t.m->fs().lies_datei(*pfad, inhalt));
  }
  return "[STA]" + std::to_string(inhalt.size() / BankzeileFelder::groesse) + "\n" + inhalt;
}

// The backup copies beside the table: the ".SIK" and a copy not yet
// switched to it.
std::string sicherungen(Testbuchhaltung& t) {
  std::string aus;
  for (const char* name : {"1200.SIK", "1200.SIK.NEU"}) {
    std::string inhalt = "-";
    if (auto pfad = t.m->fs().finde_datei(t.m->daten_verzeichnis(), name)) {
      EXPECT_TRUE(t.m->fs().lies_datei(*pfad, inhalt));
    }
    aus += std::string("[") + name + "]" + std::to_string(inhalt.size()) + "\n";
  }
  return aus;
}

TEST(BankbuchenAbsturz, GanzOderGarNicht) {
  int punkte = 0;
  absturzfest_pruefen(vorbereiten, buchen, &punkte, tabelle);
  EXPECT_GT(punkte, 10);
  std::cout << "Absturzpunkte des Buchungslaufs: " << punkte << "\n";
}

// A write that fails in the middle of the run (a full or broken disk):
// nothing of the statement is posted, the table stays, the user is told,
// and the ".SIK" still holds the statement posted before.
TEST(BankbuchenAbsturz, FehlgeschlagenesSchreibenLaesstNichtsZurueck) {
  std::string vorher;
  std::uint64_t schreibvorgaenge = 0;
  {
    TestDateisystem fs;
    Testbuchhaltung t(fs);
    vorbereiten(t);
    vorher = buchhaltungszustand(t) + tabelle(t) + sicherungen(t);
    const std::uint64_t start = fs.schreibvorgaenge();
    ASSERT_TRUE(buchen(t));
    schreibvorgaenge = fs.schreibvorgaenge() - start;
  }
  int abgelehnt = 0;
  for (std::uint64_t n = 1; n <= schreibvorgaenge; ++n) {
    SCOPED_TRACE(n);
    TestDateisystem fs;
    Testbuchhaltung t(fs);
    vorbereiten(t);
    fs.stoere(n, TestDateisystem::Stoerung::Fehler);
    const bool ok = buchen(t);
    fs.keine_stoerung();
    t.schliessen();
    t.oeffnen();
    if (ok) continue;  // a write the run did not need (the copy ".SIK")
    ++abgelehnt;
    EXPECT_EQ(buchhaltungszustand(t) + tabelle(t) + sicherungen(t), vorher);
    EXPECT_FALSE(t.ui.meldungen().empty());
  }
  EXPECT_GT(abgelehnt, 0);
}

}  // namespace
}  // namespace fibu
