// The record files' own behaviour: key derivation, hooks and messages.
#include "store/dateien.h"

#include <gtest/gtest.h>

#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/test_dateisystem.h"
#include "suite/test_interaktion.h"

namespace fibu {
namespace {

struct Umgebung {
  TestDateisystem fs;
  TestInteraktion ui;
  isam::IsamVerzeichnis v{fs, "/d"};
  Satz basis = neue_basis(2007);
  int basis_gespeichert = 0;
  std::int32_t archiv = 0;
  // EXPECT, not ASSERT: a constructor cannot return early.
  Umgebung() { EXPECT_TRUE(fs.verzeichnis_anlegen("/d").ok()); }
  Mandantenbezug bezug() {
    return {&basis, [this] { ++basis_gespeichert; }, &archiv};
  }
};

TEST(Personenkonten, ANewAccountHasCollectiveAccountAndDunningCodeOne) {
  Umgebung u;
  tdbperson_datenbank p(u.ui, u.v, u.bezug());
  p.oeffnen();
  EXPECT_FALSE(p.suchen("10001"));
  EXPECT_EQ(p.satz().get(PersonenFelder::Sammelkonto), 1);
  EXPECT_EQ(p.satz().get(PersonenFelder::Mkz), 1);

  u.basis.set(BasisFelder::forderungskonto(1), 1400);
  u.basis.set(BasisFelder::filtername(3), "Großkunden");
  p.satz().set(PersonenFelder::Suchname, "BAECKER");
  p.satz().set(PersonenFelder::Filter, std::uint8_t{3});
  p.satz().setze_f64(PersonenFelder::Skonto1Anzeige, 2.5);
  p.speichern("10001");
  ASSERT_TRUE(p.suchen("10001"));
  EXPECT_EQ(p.satz().get(PersonenFelder::Kontonummer), 10001);
  EXPECT_EQ(p.satz().get(PersonenFelder::Skonto1), 2500);  // thousandths
  EXPECT_DOUBLE_EQ(p.satz().f64(PersonenFelder::Skonto1Anzeige), 2.5);
  EXPECT_EQ(p.filtername, "Großkunden");
  EXPECT_EQ(p.sammelkonto_text, "Forderungskonto 1400");
  EXPECT_TRUE(p.suchen_key(2, "BAECKER"));

  p.satz().set(PersonenFelder::Bebucht, true);
  p.speichern("10001");
  p.loeschen("10001");
  EXPECT_EQ(u.ui.meldungen().back(),
            "Personenkonto 10001 ist bebucht worden und kann nicht gelöscht werden!");
  EXPECT_TRUE(p.suchen("10001"));
}

TEST(Sachkonten, AssignmentCodesAreFoundThroughKeyThreeOncePerCode) {
  Umgebung u;
  tdbsach_datenbank s(u.ui, u.v, u.bezug());
  s.oeffnen();
  s.leeren();
  s.satz().set(SachFelder::zuordnung_code(0), "BWA10");
  s.satz().set(SachFelder::zuordnung_code(1), "AKTIVA");
  s.satz().set(SachFelder::zuordnung_code(3), "GUV1");
  s.satz().set(SachFelder::bwa_code(4), "GUV1");  // the same code twice counts once
  s.speichern("1200");
  s.leeren();
  s.satz().set(SachFelder::zuordnung_code(0), "BWA10");
  s.speichern("1000");
  EXPECT_EQ(s.anzahl_keys(3), 4u);
  ASSERT_TRUE(s.suchen_key(3, "AKTIVA"));
  EXPECT_EQ(trim(s.satz().get(SachFelder::Kontonummer)), "1200");

  // Changing one code moves only that entry.
  ASSERT_TRUE(s.suchen("1200"));
  s.satz().set(SachFelder::zuordnung_code(1), "PASSIVA");
  s.speichern("1200");
  EXPECT_EQ(s.anzahl_keys(3), 4u);
  EXPECT_FALSE(s.key_vorhanden(3, "AKTIVA"));
  EXPECT_TRUE(s.key_vorhanden(3, "PASSIVA"));
  std::string key = "BWA10";
  int bwa10 = 0;
  key = "";
  while (s.lies_weiter(3, key) && key == "BWA10") ++bwa10;
  EXPECT_EQ(bwa10, 2);

  // Deleting takes its codes along; a rebuild restores them.
  ASSERT_TRUE(s.suchen("1000"));
  s.loeschen("1000");
  EXPECT_EQ(s.anzahl_keys(3), 3u);
  s.reorg_komplett();
  EXPECT_EQ(s.anzahl_keys(3), 3u);
  EXPECT_TRUE(s.key_vorhanden(3, "PASSIVA"));
}

TEST(Sachkonten, ATaxOrCollectiveAccountIsNotDeletedEvenUnposted) {
  Umgebung u;
  u.basis.set(BasisFelder::steuerkonto(9), 1576);
  u.basis.set(BasisFelder::verbindlichkeitskonto(2), 1600);
  tdbsach_datenbank s(u.ui, u.v, u.bezug());
  s.oeffnen();
  for (const char* k : {"1576", "1600", "4200"}) {
    s.leeren();
    s.speichern(k);
  }
  for (const char* k : {"1576", "1600"}) {
    ASSERT_TRUE(s.suchen(k));
    s.loeschen(k);
    EXPECT_EQ(u.ui.meldungen().back(),
              std::string("Sachkonto ") + k +
                  " ist Forderungskonto, Verbindlichkeitskonto oder Steuerkonto und kann "
                  "nicht gelöscht werden!");
    EXPECT_TRUE(s.suchen(k));
  }
  ASSERT_TRUE(s.suchen("4200"));
  s.loeschen("4200");
  EXPECT_FALSE(s.suchen("4200"));
}

TEST(Kostenstellen, AnAllocationKeyKeepsAHundredLines) {
  Umgebung u;
  tdbkosten_datenbank k(u.ui, u.v);
  k.oeffnen();
  k.leeren();
  std::vector<Verteilzeile> zeilen;
  for (int i = 0; i < 100; ++i) zeilen.push_back({std::to_string(1000 + i), 100});
  k.verteilung = zeilen;
  k.satz().set(KostenFelder::Name1, "Umlage");
  k.speichern("V0001");
  k.leeren();
  k.satz().set(KostenFelder::Name1, "Werkstatt");
  k.speichern("K1000");
  ASSERT_TRUE(k.suchen("V0001"));
  EXPECT_TRUE(k.ist_verteilschluessel);
  EXPECT_EQ(k.verteilung, zeilen);
  // Fewer lines: the continuation records not needed any more are removed.
  k.verteilung.resize(30);
  k.speichern("V0001");
  ASSERT_TRUE(k.suchen("V0001"));
  EXPECT_EQ(k.verteilung.size(), 30u);
  EXPECT_EQ(k.anzahl_saetze(), 3u);  // main record, one continuation, K1000
  k.loeschen("V0001");
  EXPECT_EQ(k.anzahl_saetze(), 1u);
  ASSERT_TRUE(k.suchen("K1000"));
  EXPECT_FALSE(k.ist_verteilschluessel);
}

TEST(Buchungen, KeysDependOnTheAccountRangesAndEmptyBookingsKeepTheirNumber) {
  Umgebung u;
  tdbbuchung_datenbank b(u.ui, u.v, u.bezug());
  b.oeffnen();
  auto buchung = [&](std::int64_t n, const std::string& konto, const std::string& beleg) {
    b.satz().leeren();
    b.satz().set(BuchungFelder::Konto, konto);
    b.satz().set(BuchungFelder::Belegnr, beleg);
    b.satz().setze_u8(BuchungFelder::SollHaben, 'S');
    b.satz().set(BuchungFelder::Betrag, std::int64_t{100});
    b.satz().set(BuchungFelder::Datum, DMYtoDate(2, 1, 2007));
    ASSERT_TRUE(b.buchung_ablegen(n));
  };
  buchung(1, "1200", "4711");
  buchung(2, "10001", "4711");
  buchung(3, "70001", "4711");
  EXPECT_TRUE(b.key_vorhanden(4, "S4711"));
  EXPECT_TRUE(b.key_vorhanden(4, "D4711"));
  EXPECT_TRUE(b.key_vorhanden(4, "K4711"));
  EXPECT_EQ(b.anzahl_buchungen(), 3);
  EXPECT_EQ(b.letzte_buchung(), 3);
  ASSERT_TRUE(b.buchung_lesen(2));
  EXPECT_EQ(b.satz().get(BuchungFelder::Konto), "10001");
  EXPECT_FALSE(b.buchung_lesen(4));

  // Changing booking 1 after booking 3 was written replaces booking 1's entries.
  buchung(1, "1300", "4712");
  EXPECT_FALSE(b.key_vorhanden(4, "S4711"));
  EXPECT_TRUE(b.key_vorhanden(4, "S4712"));
  EXPECT_TRUE(b.key_vorhanden(4, "K4711"));
  EXPECT_FALSE(b.key_vorhanden(2, LongToKey(1200)));
  EXPECT_EQ(b.anzahl_keys(2), 3u);

  // Deleting a booking stores an empty record: key 1 stays, the others go.
  b.satz().leeren();
  ASSERT_TRUE(b.buchung_ablegen(3));
  EXPECT_TRUE(b.key_vorhanden(1, LongToKey(3)));
  EXPECT_FALSE(b.key_vorhanden(4, "K4711"));
  EXPECT_EQ(b.anzahl_keys(1), 3u);
  EXPECT_EQ(b.anzahl_keys(2), 2u);
  EXPECT_EQ(b.letzte_buchung(), 2);
  ASSERT_TRUE(b.buchung_lesen(3));
  EXPECT_TRUE(b.satz_ist_leer(b.satz()));

  // The open-bookings view starts after the archived bookings.
  u.archiv = 1;
  b.offene_sicht = true;
  EXPECT_EQ(b.anzahl_buchungen(), 2);
  ASSERT_TRUE(b.buchung_lesen(1));
  EXPECT_EQ(b.satz().get(BuchungFelder::Konto), "10001");

  // The rebuild reads BUCHUNG.DA1 and indexes every booking under its number.
  b.reorg_komplett();
  EXPECT_EQ(b.anzahl_keys(1), 3u);
  EXPECT_EQ(b.anzahl_keys(4), 2u);
  EXPECT_TRUE(b.key_vorhanden(4, "D4711"));
  EXPECT_FALSE(b.offene_sicht);  // off again after opening
}

TEST(Buchungen, BlankFlagsAndTaxKeyZeroReadAsUnset) {
  Umgebung u;
  tdbbuchung_datenbank b(u.ui, u.v, u.bezug());
  b.oeffnen();
  b.satz().leeren();
  b.satz().set(BuchungFelder::Konto, "1200");
  b.satz().setze_u8(BuchungFelder::SollHaben, ' ');
  b.satz().setze_u8(BuchungFelder::Buchungsart, ' ');
  b.satz().set(BuchungFelder::Steuerschluessel, "0");
  b.satz().set(BuchungFelder::Betrag, std::int64_t{1});
  ASSERT_TRUE(b.buchung_ablegen(1));
  ASSERT_TRUE(b.buchung_lesen(1));
  EXPECT_EQ(b.satz().u8(BuchungFelder::SollHaben), 0);
  EXPECT_EQ(b.satz().u8(BuchungFelder::Buchungsart), 0);
  EXPECT_EQ(b.satz().get(BuchungFelder::Steuerschluessel), "");
}

TEST(tdatenbankSpeichern, StoringWithoutReadingFirstLeavesNoStaleEntries) {
  Umgebung u;
  tdbkostenart_datenbank a(u.ui, u.v);
  a.oeffnen();
  a.leeren();
  a.satz().set(KostartFelder::Schluessel1, "10001200");
  a.satz().set(KostartFelder::Schluessel2, "12001000");
  a.speichern("10001200");
  // Filled from scratch and stored under the same key: the old key 2 goes.
  a.leeren();
  a.satz().set(KostartFelder::Schluessel1, "10001200");
  a.satz().set(KostartFelder::Schluessel2, "12009999");
  a.speichern("10001200");
  EXPECT_EQ(a.anzahl_keys(2), 1u);
  EXPECT_TRUE(a.key_vorhanden(2, "12009999"));
  // Another record may now use the old key 2.
  a.leeren();
  a.satz().set(KostartFelder::Schluessel1, "20001200");
  a.satz().set(KostartFelder::Schluessel2, "12001000");
  a.speichern("20001200");
  EXPECT_EQ(a.anzahl_saetze(), 2u);
  // Deleting without reading first removes every entry of the record.
  a.leeren();
  a.loeschen("10001200");
  EXPECT_EQ(a.anzahl_keys(1), 1u);
  EXPECT_EQ(a.anzahl_keys(2), 1u);
  EXPECT_FALSE(a.suchen("10001200"));
}

TEST(tdatenbankSpeichern, AFailedStoreInsideAUnitSpoilsTheWholeUnit) {
  Umgebung u;
  tdbkostenart_datenbank a(u.ui, u.v);
  a.oeffnen();
  ASSERT_EQ(u.v.beginne(), isam::isam_ok);
  a.leeren();
  a.satz().set(KostartFelder::Schluessel2, "DOPPELT");
  a.speichern("1");
  a.leeren();
  a.satz().set(KostartFelder::Schluessel2, "DOPPELT");  // key 2 is unique: refused
  a.speichern("2");
  EXPECT_NE(u.v.bestaetige(), isam::isam_ok);
  EXPECT_EQ(a.anzahl_saetze(), 0u);  // nothing of the unit is on disk
  EXPECT_FALSE(u.v.in_einheit());
  a.leeren();
  a.speichern("3");  // and the next store commits again
  EXPECT_EQ(a.anzahl_saetze(), 1u);
}

TEST(tdatenbankSpeichern, AnExceptionInAHookLeavesNoLockAndNoUnitBehind) {
  Umgebung u;
  struct Wirft : tdbkostenart_datenbank {
    using tdbkostenart_datenbank::tdbkostenart_datenbank;
    bool werfen = true;
    void nach_keys_angelegt() override {
      if (werfen) throw std::runtime_error("Hook");
    }
  } a(u.ui, u.v);
  a.oeffnen();
  a.leeren();
  EXPECT_THROW(a.speichern("1"), std::runtime_error);
  EXPECT_FALSE(u.v.in_einheit());
  EXPECT_FALSE(a.datei().FileBlockIsLocked());
  EXPECT_EQ(a.anzahl_saetze(), 0u);
  a.werfen = false;
  a.speichern("1");
  EXPECT_EQ(a.anzahl_saetze(), 1u);
}

TEST(OffenePosten, KeyFormsMessagesAndOldDiscounts) {
  Umgebung u;
  tdbperson_datenbank personen(u.ui, u.v, u.bezug());
  personen.oeffnen();
  tdbopstamm_datenbank op(u.ui, u.v, u.bezug(), &personen);
  op.oeffnen();
  // A new file switches the base data to the new key form and saves them.
  EXPECT_EQ(u.basis.get(BasisFelder::OpSchluesselform), 1);
  EXPECT_EQ(u.basis_gespeichert, 1);

  auto posten = [&](char kennung, const std::string& beleg) {
    op.leeren();
    op.satz().setze_u8(OpstammFelder::Kennung, static_cast<std::uint8_t>(kennung));
    op.satz().set(OpstammFelder::Belegnummer, beleg);
    op.satz().set(OpstammFelder::Suchname, "MEIER");
    op.speichern(std::string(1, kennung) + beleg);
  };
  posten('D', "4711");
  posten('K', "4711");
  EXPECT_EQ(op.anzahl_saetze(), 2u);
  EXPECT_EQ(op.anzahl_keys(2), 2u);  // no collision in the new form
  EXPECT_TRUE(op.key_vorhanden(2, padcut("MEIER", 18) + "D4711"));

  posten('X', "1");
  EXPECT_EQ(u.ui.meldungen().back(), "OP-DB: Kennung ist nicht D/K!");
  EXPECT_EQ(op.anzahl_saetze(), 3u);  // stored all the same

  // Old data kept whole percents.
  op.leeren();
  op.satz().setze_u8(OpstammFelder::Kennung, 'D');
  op.satz().set(OpstammFelder::Belegnummer, "9");
  op.satz().set(OpstammFelder::Skontoprozent, std::int64_t{3});
  op.speichern("D9");
  ASSERT_TRUE(op.suchen("D9"));
  EXPECT_EQ(op.satz().get(OpstammFelder::Skontoprozent), 3000);
}

TEST(OffenePosten, TheOldKeyFormLetsTwoKindsCollide) {
  Umgebung u;
  u.basis.set(BasisFelder::OpSchluesselform, std::uint16_t{0});
  {
    // An existing file keeps its key form.
    tdbopstamm_datenbank leer(u.ui, u.v, u.bezug(), nullptr);
    leer.oeffnen();
  }
  u.basis.set(BasisFelder::OpSchluesselform, std::uint16_t{0});
  tdbopstamm_datenbank op(u.ui, u.v, u.bezug(), nullptr);
  op.oeffnen();
  EXPECT_EQ(u.basis.get(BasisFelder::OpSchluesselform), 0);
  for (char k : {'D', 'K'}) {
    op.leeren();
    op.satz().setze_u8(OpstammFelder::Kennung, static_cast<std::uint8_t>(k));
    op.satz().set(OpstammFelder::Belegnummer, "4711");
    op.satz().set(OpstammFelder::Suchname, "MEIER");
    op.speichern(std::string(1, k) + "4711");
  }
  // The second item's key 2 collides; its store is refused whole (no item
  // without its key 2 is left behind).
  EXPECT_EQ(op.anzahl_keys(2), 1u);
  EXPECT_EQ(op.anzahl_saetze(), 1u);
  EXPECT_NE(u.ui.meldungen().back().find("Schlüssel existiert bereits"), std::string::npos);
}

TEST(Rechnungen, TheFieldMovesOnReadingAndKeyFiveIsNeverIndexed) {
  Umgebung u;
  ASSERT_TRUE(u.fs.verzeichnis_anlegen("/suite/ERECH"));
  isam::IsamVerzeichnis erech(u.fs, "/suite/ERECH");
  tdbrechnung_datenbank r(u.ui, erech, true);
  r.oeffnen();
  EXPECT_TRUE(u.fs.existiert("/suite/ERECH/ERECH.EAT"));
  r.leeren();
  r.satz().set(ErechFelder::Schluessel1, "00001");
  r.satz().set(ErechFelder::AltesFeld, "R-2007-1");
  r.speichern("00001");
  EXPECT_EQ(r.anzahl_keys(5), 0u);
  ASSERT_TRUE(r.suchen("00001"));
  EXPECT_EQ(r.satz().get(ErechFelder::NeuesFeld), "R-2007-1");
  EXPECT_EQ(r.satz().get(ErechFelder::AltesFeld), "");
}

TEST(Kontenbereiche, NumbersRangesAndTexts) {
  Satz b = neue_basis(2024);
  EXPECT_TRUE(ist_sachkonto(b, " 1200 "));
  EXPECT_TRUE(ist_debitor(b, "10000"));
  EXPECT_TRUE(ist_kreditor(b, "99999"));
  EXPECT_FALSE(ist_sachkonto(b, "12a"));  // not numeric: 0, outside every range
  EXPECT_EQ(sachkonto_text(b, 100), "0100");
  b.set(BasisFelder::SachLaenge, static_cast<std::uint8_t>(stellen(99999)));
  EXPECT_EQ(sachkonto_text(b, 100), "00100");
  b.set(BasisFelder::forderungskonto(17), 1410);
  EXPECT_TRUE(ist_sammelkonto(b, "1410"));
  EXPECT_FALSE(ist_sammelkonto(b, "0"));
}

}  // namespace
}  // namespace fibu
