// Month-end and its undo on the small client of the posting tests: the
// archive in date order, the booking file renumbered, late bookings kept
// open until a journal has printed them, the refusals, Esc, the undo, and
// a power loss after every write of both runs.
#include "closing/monatsabschluss.h"

#include <gtest/gtest.h>

#include "../posting/testbuchhaltung.h"

namespace fibu {
namespace {

using B = BuchungFelder;
using BF = BasisFelder;

Datum tag(int t, int m) {
  return DMYtoDate(t, m, 2024);
}

// Posts a GL booking of `betrag` cents with document `beleg` in the
// period of its date.
void buche(Testbuchhaltung& t, const std::string& beleg, Datum d, Betrag betrag = 1000) {
  int tt, mm, jj;
  DateToDMY(d, tt, mm, jj);
  t.buchung("1200", 'S', betrag, "4400", "", ' ', beleg, mm, d);
  ASSERT_TRUE(t.kern->buchen(t.m->buchung->letzte_buchung() + 1));
}

// What the booking journal leaves: the period's bookings locked (and late
// ones of earlier periods), the period printed.
void journal_gedruckt(Testbuchhaltung& t, int p) {
  auto& bu = *t.m->buchung;
  bu.offene_sicht = false;
  Satz s(B::groesse);
  for (std::int64_t n = t.m->archivanzahl + 1; n <= bu.anzahl_buchungen(); ++n) {
    ASSERT_TRUE(bu.buchung_lesen_in(n, s));
    if (bu.satz_ist_leer(s) || s.get(B::Periode) > p || s.get(B::Gesperrt)) continue;
    s.set(B::Gesperrt, true);
    bu.satz() = s;
    ASSERT_TRUE(bu.buchung_ablegen(n));
  }
  t.m->basis.set(BF::periode_status(p), std::uint8_t{2});
  ASSERT_TRUE(t.m->schreibe_basis());
}

// Document numbers of BUCHUNG.DA1 (or another file of booking records) in
// record order, "-" for an empty record; checks that each record carries
// its position as its number.
std::vector<std::string> belege(Dateisystem& fs, const std::string& pfad) {
  std::string roh;
  EXPECT_TRUE(fs.lies_datei(pfad, roh).ok()) << pfad;
  std::vector<std::string> aus;
  for (std::size_t i = 0; i + B::groesse <= roh.size(); i += B::groesse) {
    Satz s(B::groesse, std::string_view(roh).substr(i, B::groesse));
    EXPECT_EQ(s.get(B::Index), static_cast<std::int32_t>(i / B::groesse + 1));
    const std::string b = trim(s.get(B::Belegnr));
    aus.push_back(b.empty() ? "-" : b);
  }
  return aus;
}

using Belege = std::vector<std::string>;

struct Abschluss : ::testing::Test {
  TestDateisystem fs;
  Testbuchhaltung t{fs};
  void SetUp() override { t.anlegen(); }
  std::string pfad(const char* name) { return t.m->daten_verzeichnis() + name; }
};

TEST_F(Abschluss, ArchivInDatumsfolgeUndNeuNummeriert) {
  // Period 1: five bookings, two on the same day; one deleted; period 2: three.
  buche(t, "E", tag(20, 1));
  buche(t, "B", tag(5, 1));
  buche(t, "X", tag(6, 1));
  buche(t, "C", tag(9, 1));
  buche(t, "D", tag(9, 1));
  buche(t, "A", tag(2, 1));
  ASSERT_TRUE(t.kern->buchung_loeschen(3));
  for (const char* b : {"F", "G", "H"}) buche(t, b, tag(3, 2));
  journal_gedruckt(t, 1);
  const Betrag bank = t.sachkonto(1200).get(SachFelder::Saldo);

  t.ui.erwarte_frage("Wollen Sie den Monatsabschluß wirklich durchführen?", true);
  ASSERT_TRUE(monatsabschluss(*t.m));
  EXPECT_EQ(belege(fs, pfad("ARCHIV.DAT")), (Belege{"A", "B", "C", "D", "E"}));
  EXPECT_EQ(belege(fs, pfad("BUCHUNG.DA1")), (Belege{"A", "B", "C", "D", "E", "F", "G", "H"}));
  EXPECT_EQ(t.m->archivanzahl, 5);
  EXPECT_EQ(t.m->basis.get(BF::periode_status(1)), 3);
  EXPECT_EQ(t.m->basis.get(BF::AktuellePeriode), 2);
  EXPECT_EQ(t.sachkonto(1200).get(SachFelder::Saldo), bank);
  // The open bookings are rows 1..3 now, and the index finds them there.
  auto& bu = *t.m->buchung;
  bu.offene_sicht = true;
  EXPECT_EQ(bu.anzahl_buchungen(), 3);
  Satz s(B::groesse);
  ASSERT_TRUE(bu.buchung_lesen_in(1, s));
  EXPECT_EQ(trim(s.get(B::Belegnr)), "F");
  EXPECT_TRUE(bu.key_vorhanden(4, "SH"));
  EXPECT_EQ(bu.anzahl_keys(1), 8u);
  // All of it survives closing and opening the client.
  t.schliessen();
  t.oeffnen();
  EXPECT_EQ(t.m->archivanzahl, 5);
  EXPECT_EQ(t.m->basis.get(BF::AktuellePeriode), 2);
  t.ui.alles_verbraucht();
}

TEST_F(Abschluss, SpaeteBuchungBleibtOffenBisZumNaechstenJournal) {
  buche(t, "A", tag(5, 1));
  journal_gedruckt(t, 1);
  buche(t, "SPAET", tag(25, 1));  // an import into the printed period
  buche(t, "B", tag(5, 2));
  ASSERT_TRUE(monatsabschluss_ausfuehren(*t.m));
  EXPECT_EQ(belege(fs, pfad("ARCHIV.DAT")), (Belege{"A"}));
  EXPECT_EQ(belege(fs, pfad("BUCHUNG.DA1")), (Belege{"A", "SPAET", "B"}));
  // The next journal prints and locks it with period 2; the next
  // month-end archives it once.
  journal_gedruckt(t, 2);
  ASSERT_TRUE(monatsabschluss_ausfuehren(*t.m));
  EXPECT_EQ(belege(fs, pfad("ARCHIV.DAT")), (Belege{"A", "SPAET", "B"}));
  EXPECT_EQ(belege(fs, pfad("BUCHUNG.DA1")), (Belege{"A", "SPAET", "B"}));
  EXPECT_EQ(t.m->archivanzahl, 3);
}

TEST_F(Abschluss, AbgelehntUndAbgebrochen) {
  buche(t, "A", tag(5, 1));
  EXPECT_FALSE(monatsabschluss(*t.m));
  EXPECT_EQ(t.ui.meldungen().back(), "Bitte zuerst Buchungsjournal drucken!");
  journal_gedruckt(t, 1);
  t.ui.erwarte_frage("Wollen Sie den Monatsabschluß wirklich durchführen?", false);
  EXPECT_FALSE(monatsabschluss(*t.m));
  // Esc while the bookings are read: nothing changed, no file left over.
  const std::string vorher = buchhaltungszustand(t);
  t.ui.esc_nach(1);
  EXPECT_FALSE(monatsabschluss_ausfuehren(*t.m));
  EXPECT_EQ(t.ui.meldungen().back(), "Abgebrochen: es wurde nichts geändert.");
  t.ui.esc_nach(0);
  EXPECT_TRUE(buchhaltungszustand(t) == vorher);
  EXPECT_FALSE(fs.existiert(pfad("UMBAU.DAT")));
  EXPECT_FALSE(fs.existiert(pfad("UMBAU.MRK")));
  // Period 2 without the archive of period 1.
  ASSERT_TRUE(monatsabschluss_ausfuehren(*t.m));
  ASSERT_TRUE(fs.loeschen(pfad("ARCHIV.DAT")));
  buche(t, "B", tag(5, 2));
  journal_gedruckt(t, 2);
  t.ui.erwarte_frage("Wollen Sie den Monatsabschluß wirklich durchführen?", true);
  EXPECT_FALSE(monatsabschluss(*t.m));
  EXPECT_EQ(t.ui.meldungen().back(),
            "Die Archivdatei wurde nicht gefunden!\rEin Monatsabschluß ist nicht möglich.");
}

TEST_F(Abschluss, RueckgaengigGibtAllePeriodenFrei) {
  EXPECT_FALSE(monatsabschluesse_rueckgaengig(*t.m));
  EXPECT_EQ(t.ui.meldungen().back(), "Es sind keine Perioden abgeschlossen!");
  buche(t, "A", tag(5, 1));
  buche(t, "B", tag(6, 2));
  journal_gedruckt(t, 1);
  ASSERT_TRUE(monatsabschluss_ausfuehren(*t.m));
  journal_gedruckt(t, 2);
  ASSERT_TRUE(monatsabschluss_ausfuehren(*t.m));
  buche(t, "C", tag(6, 3));
  journal_gedruckt(t, 3);
  const Belege vorher = belege(fs, pfad("BUCHUNG.DA1"));
  t.ui.erwarte_frage("Haben Sie eine Datensicherung des aktuellen Standes?", true);
  t.ui.erwarte_frage("Wollen Sie wirklich alle Monatsabschlüsse rückgängig machen?", true);
  ASSERT_TRUE(monatsabschluesse_rueckgaengig(*t.m));
  EXPECT_EQ(belege(fs, pfad("BUCHUNG.DA1")), vorher);
  EXPECT_FALSE(fs.existiert(pfad("ARCHIV.DAT")));
  EXPECT_EQ(t.m->archivanzahl, 0);
  EXPECT_EQ(t.m->basis.get(BF::AktuellePeriode), 1);
  for (int p = 1; p <= 3; ++p) EXPECT_EQ(t.m->basis.get(BF::periode_status(p)), 1) << p;
  Satz s(B::groesse);
  t.m->buchung->offene_sicht = false;
  for (std::int64_t n = 1; n <= 3; ++n) {
    ASSERT_TRUE(t.m->buchung->buchung_lesen_in(n, s));
    EXPECT_FALSE(s.get(B::Gesperrt)) << n;
  }
  t.ui.alles_verbraucht();
}

TEST_F(Abschluss, AlleZwoelfPeriodenAufEinmal) {
  // Balanced documents: the booking check is asked for.
  for (int p = 1; p <= 3; ++p) {
    buche(t, "P" + std::to_string(p), tag(10, p));
    t.buchung("4400", 'H', 1000, "1200", "", ' ', "P" + std::to_string(p), p, tag(10, p));
    ASSERT_TRUE(t.kern->buchen(t.m->buchung->letzte_buchung() + 1));
  }
  const char* weiter =
      "Diese Funktion druckt für ALLE nicht abgeschlossenen Perioden das Journal und schließt diese "
      "ab!\r\rWollen Sie weitermachen?";
  t.ui.erwarte_frage(weiter, true);
  t.ui.erwarte_frage("Haben Sie eine aktuelle Datensicherung?", true);
  t.ui.erwarte_frage("Wollen Sie jetzt eine einmalige Buchungsprüfung", true);
  ASSERT_TRUE(monatsabschluss_alle(*t.m));
  for (int p = 1; p <= 12; ++p) EXPECT_EQ(t.m->basis.get(BF::periode_status(p)), 3) << p;
  EXPECT_EQ(t.m->basis.get(BF::AktuellePeriode), 13);
  EXPECT_EQ(belege(fs, pfad("ARCHIV.DAT")), (Belege{"P1", "P1", "P2", "P2", "P3", "P3"}));
  EXPECT_EQ(t.ui.druckauftraege().size(), 13u);  // the check and twelve journals
  // Once a period is closed it is refused.
  EXPECT_FALSE(monatsabschluss_alle(*t.m));
  EXPECT_EQ(t.ui.meldungen().back(),
            "Diese Funktion ist nur möglich, solange noch keine Periode abgeschlossen ist!");
  t.ui.alles_verbraucht();
}

// A power loss after every write: the client reopens as before the run or
// as after it, never refused and never with a booking lost. (A disk that
// is gone ends the program when it reads the base data again: that is the
// power loss too.)
bool ueberlebt(const std::function<bool()>& lauf) {
  try {
    return lauf();
  } catch (const Abbruch&) {
    return false;
  }
}

TEST(AbschlussAbsturz, MonatsabschlussUndRueckgaengig) {
  auto vorbereiten = [](Testbuchhaltung& t) {
    t.anlegen();
    for (int i = 0; i < 6; ++i) buche(t, "B" + std::to_string(i), tag(1 + i, 1 + i % 2));
    journal_gedruckt(t, 1);
  };
  int punkte = 0;
  absturzfest_pruefen(
      vorbereiten,
      [](Testbuchhaltung& t) {
        return ueberlebt([&] { return monatsabschluss_ausfuehren(*t.m); });
      },
      &punkte);
  EXPECT_GT(punkte, 50);  // the sort, the new files, the index, the switch
  ::testing::Test::RecordProperty("Absturzpunkte_Monatsabschluss", punkte);
  absturzfest_pruefen(
      [&](Testbuchhaltung& t) {
        vorbereiten(t);
        ASSERT_TRUE(monatsabschluss_ausfuehren(*t.m));
      },
      [](Testbuchhaltung& t) {
        t.ui.erwarte_frage("Haben Sie eine Datensicherung des aktuellen Standes?", true);
        t.ui.erwarte_frage("Wollen Sie wirklich alle Monatsabschlüsse rückgängig machen?", true);
        return ueberlebt([&] { return monatsabschluesse_rueckgaengig(*t.m); });
      },
      &punkte);
  EXPECT_GT(punkte, 20);
  ::testing::Test::RecordProperty("Absturzpunkte_Rueckgaengig", punkte);
}

}  // namespace
}  // namespace fibu
