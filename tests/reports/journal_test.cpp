// The journals on the small client of the posting tests: the booking
// journal's order, lines, totals and what its first print locks (raw
// records, one unit of work, proven by cutting the power after every
// write), its questions, the injected booking check, repeat prints with
// late bookings; the check journal's rows after a month-end and its field
// checks; the invoice journal's titles, orders and options.
#include "reports/journal.h"

#include <gtest/gtest.h>

#include <iostream>

#include "../openitems/opbuchhaltung.h"

namespace fibu {
namespace {

using F = BuchungFelder;
using B = BasisFelder;
using Z = std::vector<std::string>;

Datum tag(int t, int m) {
  return DMYtoDate(t, m, 2024);
}

// Posts a GL or personal booking (gross) at booking number n with the
// engine, as every posting source does.
void buche_nr(Testbuchhaltung& t, std::int64_t n, const std::string& konto, char sh, Betrag betrag,
              const std::string& gegen, const std::string& steuer, Datum datum, char art = ' ',
              const std::string& beleg = "", const std::function<void(Satz&)>& dazu = {}) {
  int d, mo, j;
  DateToDMY(datum, d, mo, j);
  Satz& s = t.buchung(konto, sh, betrag, gegen, steuer, art, beleg, mo, datum);
  if (dazu) dazu(s);
  ASSERT_TRUE(t.kern->buchen(n)) << n;
}

// Bookings 1..14: those of January at 9 (01.01.), 10 (02.01.), 12 (03.01.),
// 13 (02.01.) and 14 (01.01.); the others belong to February.
void januar_buchen(Testbuchhaltung& t) {
  for (std::int64_t n : {1, 2, 3, 4, 5, 6, 7, 8, 11})
    buche_nr(t, n, "1200", 'S', 1000 * n, "1000", "", tag(5, 2), ' ', std::to_string(n));
  buche_nr(t, 9, "3400", 'S', 11600, "1200", "9", tag(1, 1), ' ', "9");
  buche_nr(t, 10, "10001", 'S', 11600, "4400", "", tag(2, 1), 'R', "4711");
  buche_nr(t, 12, "4400", 'H', 11571, "1200", "1", tag(3, 1), ' ', "12");
  buche_nr(t, 13, "1000", 'S', 10000, "1200", "", tag(2, 1), ' ', "13", [](Satz& s) {
    s.set(F::Fremdwaehrung, true);
    s.set(F::Fremdbetrag, Betrag{19558});
  });
  buche_nr(t, 14, "3425", 'S', 100000, "1200", "", tag(1, 1), ' ', "14");
}

// Every booking record as stored and every account record.
struct Bestand {
  std::vector<std::string> buchungen;
  std::string konten;
};
Bestand bestand(Testbuchhaltung& t) {
  Bestand b;
  auto& bu = *t.m->buchung;
  std::string roh(F::groesse, '\0');
  for (std::uint64_t n = 1; n <= bu.daten().anzahl(); ++n) {
    EXPECT_TRUE(bu.daten().lesen(n, roh.data()));
    b.buchungen.push_back(roh);
  }
  for (const auto& k : test_sachkonten) b.konten += t.sachkonto(k.nummer).bytes();
  for (const auto& p : test_personenkonten) b.konten += t.personenkonto(p[0]).bytes();
  return b;
}

struct Journal : OpBuchhaltung {
  // The scripted user of a first print: a backup, "&Ok".
  void erstdruck_antworten() {
    t.ui.erwarte_frage("Haben Sie eine Datensicherung?", true);
    t.ui.formular_skript({Formularschritt::klicke("&Ok")});
  }
  Z alles() const { return t.ui.druckauftraege().back().alle_zeilen(); }
  int status(int p) { return m().basis.get(B::periode_status(p)); }
};

const std::string strich(119, '-');

std::string zeile(std::string text, int breite) {
  return text + std::string(breite - text.size(), ' ');
}

TEST(Buchungsjournal, ReihenfolgeZeilenSteuernUndSumme) {
  Journal u;
  januar_buchen(u.t);
  u.erstdruck_antworten();
  EXPECT_TRUE(TFBuchungsJournal2(u.m()).ausfuehren());
  u.t.ui.alles_verbraucht();
  // Date, then number: 9 and 14 of 01.01., 10 and 13 of 02.01., 12 of
  // 03.01.; the acquisition shows the two taxes the engine posted, the
  // credit booking its tax negative, in the total too.
  const Z erwartet = {
      strich,
      "Mandant: 001                                 B u c h u n g s j o u r n a l                  "
      "          Datum: 06.12.2024",
      "                                        Periode:   1  (01.01.2024 - 31.01.2024)",
      "Schreinerei Holz                                                                            "
      "  "
      "           Blatt:       1",
      "Währung: Euro",
      strich,
      "",
      " Satznr   Konto Kost A Belegnr Datum      BuchText             Gegenkto         Soll        "
      "Haben"
      " St   St-%      Steuer",
      "",
      "     1     3400              9 01.01.2024 Buchung 3400             1200       100,00        "
      "     "
      "  9  16,00       16,00",
      "     2     3425             14 01.01.2024 Buchung 3425             1200      1000,00",
      "                                                                                            "
      "      "
      "19  16,00     -160,00",
      "                                                                                            "
      "      "
      "20  16,00      160,00",
      "     3    10001      R    4711 02.01.2024 Buchung 10001            4400       116,00",
      "     4     1000             13 02.01.2024 Buchung 1000             1200       100,00",
      "                                          Fremd DM                           (195,58)",
      "     5     4400             12 03.01.2024 Buchung 4400             1200                     "
      "99,75"
      "  1  16,00      -15,96",
      "Gesamtsumme: 5 Buchungszeilen                                                1316,00        "
      "99,75"
      "                  0,04",
  };
  EXPECT_EQ(u.alles(), erwartet);
}

TEST(Buchungsjournal, ErstdruckSetztNurDieSperrenDerPeriode) {
  Journal u;
  januar_buchen(u.t);
  const Bestand vorher = bestand(u.t);
  u.erstdruck_antworten();
  ASSERT_TRUE(TFBuchungsJournal2(u.m()).ausfuehren());
  // Read back from disk: the net amounts were not split a second time, no
  // balance moved, and only byte 200 of the January bookings changed.
  u.t.schliessen();
  u.t.oeffnen();
  const Bestand nachher = bestand(u.t);
  EXPECT_EQ(nachher.konten, vorher.konten);
  ASSERT_EQ(nachher.buchungen.size(), vorher.buchungen.size());
  for (std::size_t i = 0; i < vorher.buchungen.size(); ++i) {
    const std::int64_t n = static_cast<std::int64_t>(i) + 1;
    const bool januar = n == 9 || n == 10 || n == 12 || n == 13 || n == 14;
    std::string erwartet = vorher.buchungen[i];
    erwartet[200] = januar ? 1 : 0;
    EXPECT_EQ(nachher.buchungen[i], erwartet) << "Buchung " << n;
  }
  Satz s(F::groesse);
  ASSERT_TRUE(u.m().buchung->buchung_lesen_in(12, s));
  EXPECT_EQ(s.get(F::Betrag), 9975);
  EXPECT_EQ(s.get(F::GebuchteSteuer), -1596);
  EXPECT_EQ(u.status(1), 2);
  EXPECT_EQ(u.status(2), 1);
  EXPECT_EQ(u.t.sachkonto(1776).get(SachFelder::haben(1)), 1596);
}

TEST(Buchungsjournal, WiederholungOhnePruefungUndMitNachzueglern) {
  Journal u;
  januar_buchen(u.t);
  int pruefungen = 0;
  TFBuchungsJournal2 erst(u.m(), [&](Mandant&, int) { return ++pruefungen, true; });
  u.erstdruck_antworten();
  ASSERT_TRUE(erst.ausfuehren());
  EXPECT_EQ(pruefungen, 1);
  // An import posts into the printed period; the entry screen would not.
  buche_nr(u.t, 15, "1200", 'H', 5000, "1000", "", tag(4, 1), ' ', "15");
  const Bestand vorher = bestand(u.t);
  EXPECT_EQ(vorher.buchungen[14][200], 0);

  // No question about a backup, no check, the title says so, the late
  // booking is printed and stays unlocked; nothing changes.
  u.t.ui.formular_skript({Formularschritt::druecke(Taste::Esc)});
  TFBuchungsJournal2 wieder(u.m(), [&](Mandant&, int) { return ++pruefungen, false; });
  ASSERT_TRUE(wieder.ausfuehren());
  u.t.ui.alles_verbraucht();
  EXPECT_EQ(pruefungen, 1);
  const Z z = u.alles();
  EXPECT_EQ(
      z[1],
      "Mandant: 001            B u c h u n g s j o u r n a l     ( D r u c k w i e d e r h o l "
      "u n g )       Datum: 06.12.2024");
  EXPECT_EQ(z.end()[-2],
            zeile("     6     1200             15 04.01.2024 Buchung 1200             1000", 85) +
                "       50,00");
  EXPECT_EQ(z.back().substr(0, 29), "Gesamtsumme: 6 Buchungszeilen");
  EXPECT_EQ(bestand(u.t).buchungen, vorher.buchungen);
  EXPECT_EQ(u.status(1), 2);
}

TEST(Buchungsjournal, BuchungspruefungEntscheidetVorDemDruck) {
  Journal u;
  januar_buchen(u.t);
  const Bestand vorher = bestand(u.t);
  std::vector<int> perioden;
  auto pruefung = [&](bool ergebnis) {
    return [&perioden, ergebnis](Mandant&, int p) { return perioden.push_back(p), ergebnis; };
  };
  u.erstdruck_antworten();
  EXPECT_FALSE(TFBuchungsJournal2(u.m(), pruefung(false)).ausfuehren());
  EXPECT_EQ(u.t.ui.meldungen().back(),
            "Die Buchungsprüfung war nicht erfolgreich!\rDer Druck des Buchungsjournals wird "
            "abgebrochen.");
  EXPECT_TRUE(u.t.ui.druckauftraege().empty());
  EXPECT_EQ(bestand(u.t).buchungen, vorher.buchungen);
  EXPECT_EQ(u.status(1), 1);

  u.erstdruck_antworten();
  TFBuchungsJournal2 j(u.m());
  j.setze_buchungspruefung(pruefung(true));
  EXPECT_TRUE(j.ausfuehren());
  EXPECT_EQ(perioden, (std::vector<int>{1, 1}));
  EXPECT_EQ(u.t.ui.druckauftraege().size(), 1u);
  EXPECT_EQ(u.status(1), 2);
}

TEST(Buchungsjournal, FragenLetztePeriodeUndAbbrueche) {
  Journal u;
  januar_buchen(u.t);
  const Bestand vorher = bestand(u.t);
  // No backup: nothing else is asked.
  u.t.ui.erwarte_frage("Haben Sie eine Datensicherung?", false);
  EXPECT_FALSE(TFBuchungsJournal2(u.m()).ausfuehren());
  // The printer cancelled: nothing printed, nothing locked.
  u.erstdruck_antworten();
  u.t.ui.drucker_ablehnen();
  EXPECT_FALSE(TFBuchungsJournal2(u.m()).ausfuehren());
  EXPECT_TRUE(u.t.ui.druckauftraege().empty());
  EXPECT_EQ(bestand(u.t).buchungen, vorher.buchungen);
  EXPECT_EQ(u.status(1), 1);
  // The dialog closed without "&Ok".
  u.t.ui.erwarte_frage("Haben Sie eine Datensicherung?", true);
  u.t.ui.formular_skript({Formularschritt::schliesse()});
  EXPECT_FALSE(TFBuchungsJournal2(u.m()).ausfuehren());
  u.t.ui.alles_verbraucht();

  // The last period of the year: the warning comes second, its no ends.
  u.m().basis.set(B::AktuellePeriode, std::uint8_t{12});
  u.t.ui.erwarte_frage("Haben Sie eine Datensicherung?", true);
  u.t.ui.erwarte_frage("", false);
  EXPECT_FALSE(TFBuchungsJournal2(u.m()).ausfuehren());
  EXPECT_EQ(u.t.ui.fragen().back(),
            "Mit dem Abschluß dieser Periode kann in diesem Geschäftsjahr nicht mehr gebucht "
            "werden!\rHaben sie eine aktuelle Datensicherung?");
  u.t.ui.erwarte_frage("Haben Sie eine Datensicherung?", true);
  u.t.ui.erwarte_frage("Mit dem Abschluß dieser Periode", true);
  u.t.ui.formular_skript({Formularschritt::klicke("&Ok")});
  EXPECT_TRUE(TFBuchungsJournal2(u.m()).ausfuehren());
  // The bookings of period 1, never printed, come with period 12's journal.
  EXPECT_EQ(u.alles().back().substr(0, 30), "Gesamtsumme: 14 Buchungszeilen");
  EXPECT_EQ(u.status(12), 2);
  u.t.ui.alles_verbraucht();

  // Every period closed: there is no current one to print.
  u.m().basis.set(B::AktuellePeriode, std::uint8_t{13});
  EXPECT_FALSE(TFBuchungsJournal2(u.m()).ausfuehren());
  EXPECT_EQ(u.t.ui.meldungen().back(), "Sie haben bereits alle Perioden abgeschlossen!");
}

// The locks of the period, its status and the base data reach the disk
// together: after a crash at any write the period is either printed and
// every booking of it locked, or nothing of it.
TEST(Buchungsjournal, SperrenStatusUndBasisSindEineEinheit) {
  int laeufe = 0;
  absturzfest_pruefen(
      [](Testbuchhaltung& t) {
        t.anlegen();
        buche_nr(t, 1, "4400", 'H', 11600, "1200", "1", tag(3, 1));
        buche_nr(t, 2, "1200", 'S', 5000, "1000", "", tag(2, 2));
        buche_nr(t, 3, "10001", 'S', 2000, "4400", "", tag(1, 1), 'R', "7");
      },
      [&laeufe](Testbuchhaltung& t) {
        ++laeufe;
        t.ui.erwarte_frage("Haben Sie eine Datensicherung?", true);
        t.ui.formular_skript({Formularschritt::klicke("&Ok")});
        return TFBuchungsJournal2(*t.m).ausfuehren();
      });
  // One undisturbed run, one per crash point, the last one undisturbed.
  std::cout << "Absturzpunkte: " << laeufe - 2 << "\n";
  EXPECT_GT(laeufe - 2, 3);
}

// --- Check journal ---

// Period 1 printed and closed by month-end: its three bookings are the
// archive, numbers 1..3; February's bookings follow from number 4.
struct NachMonatsabschluss : Journal {
  NachMonatsabschluss() {
    buche_nr(t, 1, "1200", 'S', 1000, "1000", "", tag(3, 1), ' ', "1");
    buche_nr(t, 2, "1200", 'S', 2000, "1000", "", tag(4, 1), ' ', "2");
    buche_nr(t, 3, "1200", 'S', 3000, "1000", "", tag(5, 1), ' ', "3");
    erstdruck_antworten();
    EXPECT_TRUE(TFBuchungsJournal2(m()).ausfuehren());
    m().basis.set(B::periode_status(1), std::uint8_t{3});
    m().basis.set(B::AktuellePeriode, std::uint8_t{2});
    EXPECT_TRUE(m().schreibe_basis());
    m().archivanzahl = 3;
    EXPECT_TRUE(m().schreibe_journal());
    buche_nr(t, 4, "1200", 'S', 4000, "1000", "", tag(7, 2), ' ', "4");
    buche_nr(t, 5, "4400", 'H', 11571, "1200", "1", tag(2, 2), ' ', "5");
    buche_nr(t, 6, "1200", 'S', 6000, "1000", "", tag(9, 2), ' ', "6");
    buche_nr(t, 7, "1200", 'H', 7000, "1000", "", tag(1, 3), ' ', "7");
  }
};

TEST(Pruefjournal, ZeilenWieImErfassungsbildschirm) {
  NachMonatsabschluss u;
  // The rows the entry screen shows: 1..4 for bookings 4..7.
  const Pruefjournal v = pruefjournal_vorgabe(u.m());
  EXPECT_EQ(v.periode, 2);
  EXPECT_EQ(v.zeile_von, 1);
  EXPECT_EQ(v.zeile_bis, 4);
  EXPECT_EQ(v.datum_von, tag(1, 2));
  EXPECT_EQ(v.datum_bis, tag(29, 2));

  u.t.ui.formular_skript({Formularschritt::druecke(Taste::Esc)});
  ASSERT_TRUE(TFBuchungsJournal(u.m()).ausfuehren());
  const Bestand vorher = bestand(u.t);
  const Z z = u.alles();
  EXPECT_EQ(
      z[1],
      "Mandant: 001                                     P r ü f j o u r n a l                      "
      "          Datum: 06.12.2024");
  EXPECT_EQ(z[2],
            "                                        Periode:   2  (01.02.2024 - 29.02.2024)");
  // In number order; row 4 lies in March.
  EXPECT_EQ(
      Z(z.begin() + 7, z.end()),
      (Z{" Zeile    Konto Kost A Belegnr Datum      BuchText             Gegenkto         Soll"
         "        Haben St   St-%      Steuer",
         "", "     1     1200              4 07.02.2024 Buchung 1200             1000        40,00",
         "     2     4400              5 02.02.2024 Buchung 4400             1200                "
         "     99,75  1  16,00      -15,96",
         "     3     1200              6 09.02.2024 Buchung 1200             1000        60,00",
         "Gesamtsumme: 3 Buchungszeilen                                                 100,00 "
         "       99,75                -15,96"}));
  // Nothing locked, no status changed.
  EXPECT_EQ(bestand(u.t).buchungen, vorher.buchungen);
  EXPECT_EQ(u.status(2), 1);
}

TEST(Pruefjournal, FelderUndIhreMeldungen) {
  NachMonatsabschluss u;
  const std::string zu_frueh = "Datum darf nicht kleiner sein als das Startdatum der Periode!";
  const std::string zu_spaet = "Datum darf nicht größer sein als Endedatum der Periode!";
  TFBuchungsJournal j(u.m());
  u.t.ui.formular_skript({
      Formularschritt::tippe("Zeilennummer", "0"),
      Formularschritt::tippe("#3", "2"),
      Formularschritt::tippe("Datum", "31.01.2024", false),
      Formularschritt::tippe("Datum", "01.02.2024"),
      Formularschritt::tippe("#5", "01.03.2024", false),
      Formularschritt::tippe("#5", "06.02.2024"),
      Formularschritt::druecke(Taste::Esc),
  });
  ASSERT_TRUE(j.ausfuehren());
  EXPECT_EQ(j.form().zahl(2), 1);  // raised to the first open row
  EXPECT_EQ(u.t.ui.meldungen(), (Z{zu_frueh, zu_spaet}));
  // Rows 1 and 2; row 1 lies after the 6th.
  const Z z = u.alles();
  EXPECT_EQ(z.end()[-2].substr(0, 44), "     2     4400              5 02.02.2024 Bu");
  EXPECT_EQ(z.back().substr(0, 29), "Gesamtsumme: 1 Buchungszeilen");

  // Another period brings its own days; the archived rows are not reached.
  TFBuchungsJournal k(u.m());
  u.t.ui.formular_skript(
      {Formularschritt::tippe("Periode", "1"), Formularschritt::druecke(Taste::Esc)});
  ASSERT_TRUE(k.ausfuehren());
  EXPECT_EQ(k.form().datum(4), tag(1, 1));
  EXPECT_EQ(k.form().datum(5), tag(31, 1));
  EXPECT_EQ(u.alles().back().substr(0, 29), "Gesamtsumme: 0 Buchungszeilen");
  u.t.ui.alles_verbraucht();
}

// --- Invoice journal ---

struct Rechnungen : Journal {
  Rechnungen() {
    rechnung("10001", "100", 11600, tag(10, 1));
    rechnung("10002", "99", 5800, tag(12, 1));
    gutschrift("10001", "101", 2320, tag(15, 1));
    buche("10002", 'R', 'S', -1160, "102", tag(18, 1), "4400");
    zahlung("10001", "100", 5000, tag(20, 1));
    buche("10002", 'E', 'S', 3000, "50", tag(1, 1), "9000");
    rechnung("70001", "E1", 23200, tag(5, 1));
    // An invoice line on a GL account, with its tax.
    buche_nr(t, m().buchung->letzte_buchung() + 1, "4400", 'H', 11600, "10001", "1", tag(10, 1),
             'R', "100");
  }
  Z drucke(const Rechnungsjournal& j) {
    EXPECT_TRUE(rechnungsjournal_drucken(m(), j));
    return liste();
  }
};

TEST(Rechnungsjournal, RechnungenNachBelegnummer) {
  Rechnungen u;
  const Rechnungsjournal j = rechnungsjournal_vorgabe(u.m());
  EXPECT_TRUE(rechnungsjournal_drucken(u.m(), j));
  const std::string s(118, '-');
  EXPECT_EQ(
      u.alles(),
      (Z{s,
         "Mandant: 001                               R e c h n u n g s j o u r n a l              "
         "             Datum: 06.12.2024",
         "                                          Zeitraum: 01.01.2024 - 31.12.2024",
         "Schreinerei Holz                                                                        "
         "                Blatt:       1",
         "Währung: Euro", s, "",
         "   Konto Art Belegnr  Buchdatum  Rechdatum Name                                Text     "
         "                 Brutto-Betrag",
         "",
         "   10002  R       99 12.01.2024 12.01.2024 Kunde 10002                         Buchung "
         "10002"
         "                     58,00",
         "   10001  R      100 10.01.2024 10.01.2024 Kunde 10001                         Buchung "
         "10001"
         "                    116,00",
         "   10002  R      102 18.01.2024 18.01.2024 Kunde 10002                         Buchung "
         "10002"
         "                    -11,60",
         "Gesamtsumme: 3 Buchungszeilen                                                           "
         "                        162,40"}));
}

TEST(Rechnungsjournal, TitelUndOptionen) {
  Rechnungen u;
  Rechnungsjournal j = rechnungsjournal_vorgabe(u.m());
  auto belege = [](const Z& z) {
    std::string b;
    for (std::size_t i = 2; i + 1 < z.size(); ++i)
      b += (b.empty() ? "" : " ") + trim(z[i].substr(12, 8));
    return b;
  };
  // Opening items of the matching kind; a negative invoice as a credit note.
  j.eroeffnung = true;
  j.negative_als_gutschrift = true;
  EXPECT_EQ(belege(u.drucke(j)), "50 99 100");
  j.belegart = Rechnungsjournal::Belegart::Gutschrift;
  Z z = u.drucke(j);
  EXPECT_NE(u.alles()[1].find("G u t s c h r i f t e n j o u r n a l"), std::string::npos);
  EXPECT_EQ(belege(z), "101 102");
  EXPECT_EQ(z.back().substr(z.back().size() - 6), " 34,80");
  j.belegart = Rechnungsjournal::Belegart::Zahlung;
  z = u.drucke(j);
  EXPECT_NE(u.alles()[1].find("Z a h l u n g s j o u r n a l"), std::string::npos);
  EXPECT_EQ(belege(z), "100");
  EXPECT_EQ(z[2].substr(9, 3), " Z ");

  // By date, with the booking numbers: the lock mark, then the number.
  j = rechnungsjournal_vorgabe(u.m());
  j.sortierung = Rechnungsjournal::Sortierung::Buchungsdatum;
  j.zeilennummer = true;
  z = u.drucke(j);
  EXPECT_EQ(z[0].substr(0, 17), "Z  Zeile    Konto");
  EXPECT_EQ(z[2].substr(0, 21), "       1    10001  R ");
  EXPECT_EQ(z[3].substr(0, 21), "       2    10002  R ");
  EXPECT_EQ(z[4].substr(0, 21), "       4    10002  R ");

  // Ranges of documents and counter-accounts, other kinds of account.
  j = rechnungsjournal_vorgabe(u.m());
  j.beleg_von = "100";
  j.beleg_bis = "101";
  EXPECT_EQ(belege(u.drucke(j)), "100");
  j = rechnungsjournal_vorgabe(u.m());
  j.gegen_von = j.gegen_bis = 1200;
  EXPECT_EQ(belege(u.drucke(j)), "");
  j.kontoart = Rechnungsjournal::Kontoart::Kreditoren;
  rechnungsjournal_konten(u.m(), j);
  j.gegen_von = 0, j.gegen_bis = 99999999;
  z = u.drucke(j);
  EXPECT_EQ(belege(z), "E1");
  j.kontoart = Rechnungsjournal::Kontoart::Sachkonten;
  rechnungsjournal_konten(u.m(), j);
  z = u.drucke(j);
  // Gross: the net amount and its tax.
  EXPECT_EQ(z[2], zeile("    4400  R      100 10.01.2024 10.01.2024 Konto 4400                     "
                        "     Buchung 4400",
                        104) +
                      "        116,00");
}

TEST(Rechnungsjournal, Dialog) {
  Rechnungen u;
  TFRechnungsJournal j(u.m());
  u.t.ui.formular_skript({
      Formularschritt::tippe("Kontoart", "Kreditoren"),
      Formularschritt::tippe("#5", "01.01.2023"),
      Formularschritt::druecke(Taste::Esc),
      Formularschritt::tippe("#5", "31.01.2024"),
      Formularschritt::tippe("Belegart", "Rechnung"),
      Formularschritt::tippe("Zeilennummer ausgeben", "Ja"),
      Formularschritt::druecke(Taste::Esc),
  });
  ASSERT_TRUE(j.ausfuehren());
  EXPECT_EQ(j.form().zahl(2), 70000);
  EXPECT_EQ(j.form().zahl(3), 99999);
  EXPECT_EQ(u.t.ui.meldungen(), Z{"Das Von-Datum ist größer als das Bis-Datum!"});
  EXPECT_EQ(trim(u.alles()[2]), "Zeitraum: 01.01.2024 - 31.01.2024");
  EXPECT_EQ(u.liste().back().substr(0, 29), "Gesamtsumme: 1 Buchungszeilen");
}

}  // namespace
}  // namespace fibu
