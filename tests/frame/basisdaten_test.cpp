// The base-data checks and dialogs, and choosing, copying and deleting a
// client's fiscal year.
#include "frame/basisdaten.h"

#include <gtest/gtest.h>

#include "../suite/testverzeichnis.h"
#include "frame/mandantenverwaltung.h"
#include "suite/allgemei.h"
#include "suite/test_interaktion.h"

namespace fibu {
namespace {

using F = BasisFelder;
using S = Formularschritt;

Satz gute_basis() {
  Satz b = neue_basis(2024);
  b.set(F::Finanzamt, "Erding");
  b.set(F::Steuernummer, "114/222/33333");
  b.set(F::Name, "Schreinerei Holz");
  return b;
}

TEST(Basisdaten, MandantenseiteNummernkreiseUndLaengen) {
  EXPECT_EQ(pruefe_basis_mandant(gute_basis()), std::nullopt);
  Satz b = gute_basis();
  b.set(F::Finanzamt, "");
  EXPECT_EQ(pruefe_basis_mandant(b), "Bitte Finanzamt eintragen!");
  b = gute_basis();
  b.set(F::AnzahlPerioden, std::uint8_t{13});
  EXPECT_EQ(pruefe_basis_mandant(b), "Periodenanzahl nicht aus 1..12!");
  b = gute_basis();
  b.set(F::DebitorVon, 9000);
  EXPECT_EQ(pruefe_basis_mandant(b), "Nummernkreise Sachkonten und Debitoren überschneiden sich!");
  b = gute_basis();
  b.set(F::KreditorVon, 0);
  EXPECT_EQ(pruefe_basis_mandant(b), "Nummernkreis Kreditoren: VON darf nicht null sein!");
  b = gute_basis();
  b.set(F::KreditorVon, 69000);
  EXPECT_EQ(pruefe_basis_mandant(b), "Nummernkreise Debitoren und Kreditoren überschneiden sich!");
  b = gute_basis();
  b.set(F::SachBis, 99999);
  b.set(F::DebitorVon, 100000);
  b.set(F::DebitorBis, 699999);
  b.set(F::KreditorVon, 700000);
  b.set(F::KreditorBis, 999999);
  EXPECT_EQ(pruefe_basis_mandant(b), std::nullopt);
  kontenlaengen_ableiten(b);
  EXPECT_EQ(b.get(F::SachLaenge), 5);
  EXPECT_EQ(b.get(F::PersonenLaenge), 6);
}

TEST(Basisdaten, PeriodenQuartaleLueckenUndJahr) {
  Satz b = gute_basis();
  b.set(F::AnzahlPerioden, std::uint8_t{4});
  const int anfang[4] = {1, 4, 7, 10}, ende[4] = {3, 6, 9, 12};
  for (int q = 0; q < 4; ++q) {
    b.set(F::periode_von(q + 1), DMYtoDate(1, anfang[q], 2023));
    b.set(F::periode_bis(q + 1), DMYtoDate(tage_im_monat(ende[q], 2023), ende[q], 2023));
  }
  EXPECT_EQ(pruefe_perioden(b), std::nullopt);
  b.set(F::periode_bis(4), DMYtoDate(30, 12, 2023));
  EXPECT_EQ(pruefe_perioden(b), "Perioden ergeben kein komplettes Kalenderjahr (365/366) Tage!");
  b.set(F::periode_von(3), DMYtoDate(2, 7, 2023));
  EXPECT_EQ(pruefe_perioden(b), "Perioden folgen nicht lückenlos aufeinander!");
  b.set(F::periode_von(2), DMYtoDate(30, 6, 2023));
  EXPECT_EQ(pruefe_perioden(b), "Von-Datum ist >= Bis-Datum");
  EXPECT_EQ(pruefe_perioden(gute_basis()), std::nullopt);
}

TEST(Basisdaten, BelegnummernDispoUndBuchungspruefung) {
  Satz b = gute_basis();
  EXPECT_EQ(pruefe_belegnummern(b), std::nullopt);
  b.set(F::tage_dispo_kreditoren(4), std::uint16_t{0});
  EXPECT_EQ(pruefe_belegnummern(b), "Daten von Dispo-Kreditor enthalten einen Null-Eintrag!");
  b = gute_basis();
  b.set(F::tage_dispo_debitoren(3), std::uint16_t{5});
  EXPECT_EQ(pruefe_belegnummern(b), "Daten von Dispo-Debitor sind nicht aufsteigend!");
  b = gute_basis();
  b.set(F::belegnummer(5), "9600000");  // last Debitor number beyond its range
  EXPECT_EQ(pruefe_belegnummern(b), "Bitte Debitor-Werte prüfen!");

  b = gute_basis();
  b.set(F::pruefung(0, 0), 1000);
  b.set(F::pruefung(1, 0), 1999);
  EXPECT_EQ(pruefe_buchungspruefung(b), std::nullopt);
  b.set(F::pruefung(2, 3), 8000);
  b.set(F::pruefung(3, 3), 7000);
  EXPECT_EQ(pruefe_buchungspruefung(b), "Sachkonto2: VON ist groeßer als BIS!");
  b.set(F::pruefung(3, 3), 10001);
  EXPECT_EQ(pruefe_buchungspruefung(b),
            "\"Sachkonto2-Bis\" liegt nicht im Nummernkreis der Sachkonten!");
}

struct Wurzel {
  Testverzeichnis tmp;
  std::unique_ptr<Dateisystem> fs = echtes_dateisystem();
  TestInteraktion ui;
  Tagesdatum heute{DMYtoDate(6, 12, 2024)};
  Netzwerk netz{*fs, tmp.pfad()};
  Mandant m{*fs, ui, heute, tmp.pfad() + "/FIBU/", netz};

  void anlegen(int nummer, int jahr, const std::string& name, const std::string& passwort = "") {
    ASSERT_TRUE(fs->verzeichnis_anlegen(m.daten_verzeichnis(nummer, jahr)).ok());
    Satz s(MandantFelder::groesse);
    s.set(MandantFelder::Mandantnummer, static_cast<std::uint16_t>(nummer));
    s.set(MandantFelder::Mandantname, name);
    s.set(MandantFelder::Passwort, passwort);
    ASSERT_TRUE(m.schreibe_mandant_satz(s));
  }
};

TEST(Basisdaten, DialogPrueftSeitenSpeichertUndLoeschtKonsistenz) {
  Wurzel w;
  ASSERT_TRUE(w.m.mandant_oeffnen(5, 2024, true));
  w.m.basis.set(F::BasisKonsistent, true);
  w.m.sach->leeren();
  w.m.sach->speichern("9000");
  TFBasisdaten dialog(w.m);
  // The page "Mandant" cannot be left without a tax office.
  TEntryForm& f = dialog.form();
  EXPECT_FALSE(f.seite_wechseln(1));
  EXPECT_EQ(w.ui.meldungen().back(), "Bitte Finanzamt eintragen!");
  EXPECT_EQ(f.aktuelle_seite(), 0);
  w.ui.formular_skript(
      {S::tippe("Finanzamt", "Erding"), S::tippe("Steuernummer", "114/222/33333"),
       S::tippe("Name", "Schreinerei Holz"), S::tippe("Sachkonten bis", "99999"),
       S::tippe("Debitoren von", "100000"), S::tippe("Debitoren bis", "699999"),
       S::tippe("Kreditoren von", "700000"), S::tippe("Kreditoren bis", "999999"),
       S::tippe("Saldenvortragskonto Sachkonten", "9001"), S::druecke(Taste::Esc),
       S::tippe("Saldenvortragskonto Sachkonten", "9000"), S::druecke(Taste::Esc)});
  EXPECT_TRUE(dialog.ausfuehren());
  EXPECT_EQ(w.ui.meldungen().back(), "Sachkonto 9001 nicht gefunden!");
  EXPECT_EQ(w.m.basis.get(F::SachLaenge), 5);
  EXPECT_FALSE(w.m.basis.get(F::BasisKonsistent));
  EXPECT_EQ(w.m.basis.get(F::SaldenvortragSach), 9000);
  EXPECT_EQ(trim(w.m.basis.get(F::Name)), "Schreinerei Holz");
}

TEST(Basisdaten, PeriodenFreigebenUndKostenrechnung) {
  Wurzel w;
  ASSERT_TRUE(w.m.mandant_oeffnen(5, 2024, true));
  w.m.basis.set(F::AnzahlPerioden, std::uint8_t{10});
  TFBasisdaten dialog(w.m);
  w.ui.erwarte_frage("Soll die Periodenanzahl von 10 auf 12 Perioden gesetzt werden ?", true);
  w.ui.formular_skript({S::tippe("Periode 1 von", "02.01.2024", false), S::druecke(Taste::F5),
                        S::tippe("Periode 1 von", "01.01.2024"), S::tippe("Finanzamt", "Erding"),
                        S::tippe("Steuernummer", "1"), S::tippe("Name", "Holz"),
                        S::druecke(Taste::Esc)});
  EXPECT_TRUE(dialog.ausfuehren());
  EXPECT_EQ(w.m.basis.get(F::AnzahlPerioden), 12);
  EXPECT_EQ(w.ui.meldungen().back(), "Die Sperre der Perioden wird jetzt aufgehoben!");

  Satz b = w.m.basis;
  EXPECT_EQ(pruefe_kostenrechnung(b, w.m), std::nullopt);  // no difference cost centre
  b.set(F::VerteilschluesselBis, 1000);
  EXPECT_EQ(pruefe_kostenrechnung(b, w.m), "Kostenstellen überschneiden sich mit den Verteilschlüsseln!");
  b = w.m.basis;
  b.set(F::Differenzkostenstelle, 999);
  EXPECT_EQ(pruefe_kostenrechnung(b, w.m), "Differenzkostenstelle stimmt nicht mit Kostenstellen überein!");
  b.set(F::Differenzkostenstelle, 1500);
  EXPECT_EQ(pruefe_kostenrechnung(b, w.m), "Differenzkostenstelle nicht gefunden!");
  w.m.kosten->leeren();
  w.m.kosten->speichern("K1500");
  EXPECT_EQ(pruefe_kostenrechnung(b, w.m), "Differenzkostenstelle ist nicht frei bebuchbar!");
  w.m.kosten->satz().set(KostenFelder::FreiBebuchbar, true);
  w.m.kosten->speichern("K1500");
  EXPECT_EQ(pruefe_kostenrechnung(b, w.m), std::nullopt);
}

TEST(Mandantenverwaltung, AuswahlMitDemohinweisPasswortUndJahr) {
  Wurzel w;
  w.anlegen(7, 2024, "Malerbetrieb", "geheim");
  TFMandantenAuswahl auswahl(w.m, 2024);
  w.ui.formular_skript({S::tippe("Mandantnummer", "999"), S::druecke(Taste::Esc),
                        S::tippe("Mandantnummer", "7"), S::druecke(Taste::Esc),
                        S::tippe("Passwort", "geheim"), S::tippe("Jahr", "2023"),
                        S::druecke(Taste::Esc), S::tippe("Jahr", "2024"), S::druecke(Taste::Esc)});
  auto gewaehlt = auswahl.ausfuehren();
  ASSERT_TRUE(gewaehlt);
  EXPECT_EQ(*gewaehlt, std::make_pair(7, 2024));
  EXPECT_EQ(w.ui.meldungen(),
            (std::vector<std::string>{"Mandant noch nicht angelegt!\rHINWEIS: Demomandant=999, Jahr=2007",
                                      "Passwort falsch!", "Bitte zuerst dieses Jahr anlegen!"}));
  EXPECT_EQ(auswahl.form().text(2), "Malerbetrieb");
}

TEST(Mandantenverwaltung, KopierenVerweigertZielUndKopiertSonstAllesAusserNxtrans) {
  Wurzel w;
  w.anlegen(5, 2024, "Holz");
  w.anlegen(6, 2024, "Schon da");
  ASSERT_TRUE(w.m.mandant_oeffnen(6, 2024, true));
  w.m.mandant_schliessen();
  ASSERT_TRUE(w.m.mandant_oeffnen(5, 2024, true));
  ASSERT_TRUE(w.fs->schreibe_datei_atomar(w.m.daten_verzeichnis() + "nxtrans.cfg", "x").ok());
  w.ui.formular_skript({S::tippe("Mandantnummer", "5"), S::druecke(Taste::Esc),
                        S::tippe("Mandantnummer", "6"), S::druecke(Taste::Esc)});
  mandant_kopieren(w.m);
  EXPECT_EQ(w.ui.meldungen(), (std::vector<std::string>{"Kopieren in aktuellen Mandant nicht möglich.",
                                                        "Zu Mandant 006 existiert schon Jahr 2024"}));
  w.ui.formular_skript({S::tippe("Mandantnummer", "8"), S::druecke(Taste::Esc)});
  mandant_kopieren(w.m);
  EXPECT_EQ(w.ui.meldungen().back(), "Mandant kopiert.");
  std::vector<std::string> quelle, ziel;
  ASSERT_TRUE(w.fs->liste(w.m.daten_verzeichnis(), quelle).ok());
  ASSERT_TRUE(w.fs->liste(w.m.daten_verzeichnis(8, 2024), ziel).ok());
  quelle.erase(std::find(quelle.begin(), quelle.end(), "nxtrans.cfg"));
  EXPECT_EQ(ziel, quelle);
  Satz mandant(MandantFelder::groesse);
  ASSERT_TRUE(w.m.lies_mandant_satz(8, mandant));
  EXPECT_EQ(mandant.get(MandantFelder::Mandantnummer), 8);
  EXPECT_EQ(mandant.get(MandantFelder::Mandantname), "Holz");
}

TEST(Mandantenverwaltung, LoeschenNachDreiBestaetigungen) {
  Wurzel w;
  w.anlegen(5, 2024, "Holz");
  ASSERT_TRUE(w.m.mandant_oeffnen(5, 2024, true));
  w.ui.erwarte_frage("Aktuellen Mandant (005/2024) löschen?", true);
  w.ui.erwarte_frage("Sind Sie sicher", false);
  EXPECT_FALSE(mandant_loeschen(w.m));
  EXPECT_TRUE(w.m.offen());
  w.ui.erwarte_frage("Aktuellen Mandant (005/2024) löschen?", true);
  w.ui.erwarte_frage("Sind Sie sicher", true);
  w.ui.erwarte_frage("Das Löschen kann nicht rückgängig gemacht werden.", true);
  std::string verzeichnis = w.m.daten_verzeichnis();
  EXPECT_TRUE(mandant_loeschen(w.m));
  EXPECT_FALSE(w.m.offen());
  EXPECT_FALSE(w.fs->existiert(verzeichnis));
  EXPECT_EQ(w.ui.meldungen().back(), "Mandant geloescht");
}

}  // namespace
}  // namespace fibu
