// Personal accounts: the save checks, the dialog with the address pick,
// deletion, the printed chart and the deletion of a range, on the small
// client of the posting tests (customers 10000-69999, suppliers
// 70000-99999; receivables accounts 1 and 2, payables accounts 1 and 2).
#include "masters/personenkonto.h"

#include <gtest/gtest.h>

#include "../posting/testbuchhaltung.h"
#include "suite/test_dateisystem.h"

namespace fibu {
namespace {

using P = PersonenFelder;
using F = Formularschritt;

struct Umgebung : Testumgebung {

  Satz konto(const std::string& nummer, int sammel, int mahnen, int mkz) {
    Satz s(P::groesse);
    s.set(P::Kontonr, nummer);
    s.set(P::Sammelkonto, static_cast<std::uint8_t>(sammel));
    s.set(P::Mahnen, static_cast<std::uint16_t>(mahnen));
    s.set(P::Mkz, static_cast<std::uint8_t>(mkz));
    return s;
  }
  std::pair<bool, std::vector<std::string>> dialog(const Satz& konto) {
    const std::size_t vorher = t.ui.meldungen().size();
    Pruefmeldung p(t.ui);
    bool ok = personenkonto_pruefen(m(), konto, p);
    return {ok, std::vector<std::string>(t.ui.meldungen().begin() + static_cast<long>(vorher),
                                         t.ui.meldungen().end())};
  }
};

using Ergebnisse = std::pair<bool, std::vector<std::string>>;

TEST(Personenkontopruefung, MahnenSammelkontoUndBereiche) {
  Umgebung u;
  // Blocked dunning needs no code; normal dunning does.
  EXPECT_EQ(u.dialog(u.konto("10010", 1, 1, 0)), (Ergebnisse{true, {}}));
  EXPECT_EQ(u.dialog(u.konto("10010", 1, 2, 0)), (Ergebnisse{true, {}}));
  EXPECT_EQ(u.dialog(u.konto("10010", 1, 0, 0)),
            (Ergebnisse{false, {"Mahnkennziffer ist nicht 1..99!"}}));
  EXPECT_EQ(u.dialog(u.konto("10010", 0, 0, 1)),
            (Ergebnisse{false, {"Forder-/Verbindlichkeitsschluessel ist nicht 1..40!"}}));
  // A key whose collective account is empty: a notice, and saved.
  EXPECT_EQ(u.dialog(u.konto("10010", 5, 0, 1)),
            (Ergebnisse{true, {"Forderkonto zu dem Schluessel 5 nicht eingetragen!"}}));
  EXPECT_EQ(u.dialog(u.konto("70010", 5, 0, 1)),
            (Ergebnisse{true, {"Verbindlichkeitskonto zu dem Schluessel 5 nicht eingetragen!"}}));
  // The consistency check: every check, each line with the prefix.
  std::vector<std::string> zeilen;
  const Satz falsch = u.konto("5000", 0, 0, 0);
  Pruefmeldung p(personenkonto_praefix(falsch), [&](const std::string& z) { zeilen.push_back(z); });
  EXPECT_FALSE(personenkonto_pruefen(u.m(), falsch, p));
  EXPECT_EQ(zeilen, (std::vector<std::string>{
                        "Personenkonto 5000: Kontonummer liegt nicht im Nummernkreis der "
                        "Personenkonten!",
                        "Personenkonto 5000: Mahnkennziffer ist nicht 1..99!",
                        "Personenkonto 5000: Forder-/Verbindlichkeitsschluessel ist nicht 1..40!"}));
}

TEST(Personenkontodialog, NeuerKundeMitAdresseAusDemAdressstamm) {
  Umgebung u;
  ASSERT_TRUE(u.fs.verzeichnis_anlegen("/adr"));
  // The suite's address master, in the Windows code page.
  ASSERT_TRUE(u.fs.schreibe_datei_atomar("/adr/ADRESSEN.TXT",
                                  "Kundennr|Anrede|Name|Titel|Stra\xDF" "e|PLZ/Ort|Telefon\r\n"
                                  "10020|Herrn|Hans M\xFCller|Dipl.-Ing.|Gartenweg 3|"
                                  "85435 Erding|08122 4711\r\n"
                                  "10030|Firma|Holz & Co.||Am Markt 1|80331 M\xFCnchen|\r\n"));
  TFPersonenkonto d(u.m(), "/adr");
  EXPECT_EQ(d.form().text(TFPersonenkonto::f_bereiche), "(Deb: 10000-69999    Kred: 70000-99999)");
  u.t.ui.formular_skript({
      F::tippe("Kontonr", "9000", false),  // in neither range
      F::tippe("Kontonr", "10010"),
      F::druecke(Taste::F4),
      F::tippe("Suchname", "MUELLER"),
      F::tippe("Skonto1 %", "2,5"),
      F::tippe("Skontotage1", "10"),
      F::tippe("Mahnen", "gesperrt"),
      F::tippe("MKZ", "0"),
      F::druecke(Taste::Esc),
  });
  u.t.ui.waehle("Hans Müller");
  ASSERT_TRUE(d.ausfuehren());
  EXPECT_EQ(u.t.ui.meldungen(),
            (std::vector<std::string>{"Kontonummer stimmt nicht mit Nummernkreisen überein!",
                                      "Ornix-Kundennr unterscheidet sich von der Personenkontonr!"}));
  Satz k = u.t.personenkonto(10010);
  EXPECT_EQ(k.get(P::Name), "Hans Müller");
  EXPECT_EQ(k.get(P::Titel), "Dipl.-Ing.");
  EXPECT_EQ(k.get(P::Strasse), "Gartenweg 3");
  EXPECT_EQ(k.get(P::PlzOrt), "85435 Erding");
  EXPECT_EQ(k.get(P::Suchname), "MUELLER");
  EXPECT_EQ(k.get(P::Skonto1), 2500);
  EXPECT_EQ(k.f64(P::Skonto1Anzeige), 2.5);
  EXPECT_EQ(k.get(P::Mahnen), 1);
  EXPECT_EQ(k.get(P::Sammelkonto), 1);
  EXPECT_EQ(k.get(P::Eroeffnungsdatum), DMYtoDate(6, 12, 2024));
}

// IBAN and BIC are taken in their normal form; a wrong check digit or a
// BIC of the wrong length keeps the cursor in the field with a message.
TEST(Personenkontodialog, SepaMandatIbanUndBic) {
  Umgebung u;
  TFPersonenkonto d(u.m(), "/adr");
  u.t.ui.formular_skript({
      F::tippe("Kontonr", "10001"),
      F::tippe("IBAN", "DE89 3704 0044 0532 0130 01", false),  // last digit wrong
      F::tippe("IBAN", "de89 3704 0044 0532 0130 00"),
      F::tippe("BIC", "COBADEF", false),
      F::tippe("BIC", "cobadeffxxx"),
      F::tippe("Mandatsreferenz", "M-2024-17"),
      F::tippe("Mandatsdatum", "01.02.2024"),
      F::druecke(Taste::Esc),
  });
  ASSERT_TRUE(d.ausfuehren());
  EXPECT_EQ(u.t.ui.meldungen(),
            (std::vector<std::string>{
                "Die IBAN ist ungültig: Aufbau oder Prüfziffern stimmen nicht!\rBitte prüfen Sie "
                "die Eingabe.",
                "Der BIC muss 8 oder 11 Buchstaben und Ziffern haben!"}));
  const Satz k = u.t.personenkonto(10001);
  EXPECT_EQ(k.get(P::Iban), "DE89370400440532013000");
  EXPECT_EQ(k.get(P::Bic), "COBADEFFXXX");
  EXPECT_EQ(k.get(P::Mandatsreferenz), "M-2024-17");
  EXPECT_EQ(k.get(P::Mandatsdatum), DMYtoDate(1, 2, 2024));
}

TEST(Personenkontodialog, LoeschenNurUnbebucht) {
  Umgebung u;
  u.t.buchung("10001", 'S', 11900, "8400", "", 'R', "R1");
  ASSERT_TRUE(u.t.kern->buchung_schreiben(1));
  TFPersonenkonto d(u.m(), "/adr");
  u.t.ui.erwarte_frage("Wollen Sie dieses Personenkonto löschen?", true);
  u.t.ui.erwarte_frage("Wollen Sie dieses Personenkonto löschen?", true);
  u.t.ui.formular_skript({F::tippe("Kontonr", "10001"), F::druecke(Taste::F8),
                          F::tippe("Kontonr", "10002"), F::druecke(Taste::F8),
                          F::druecke(Taste::Esc)});
  ASSERT_TRUE(d.ausfuehren());
  EXPECT_EQ(u.t.ui.meldungen(),
            std::vector<std::string>{
                "Personenkonto 10001 ist bebucht worden und kann nicht gelöscht werden!"});
  EXPECT_EQ(u.t.personenkonto(10001).get(P::Name), "Kunde 10001");
  EXPECT_EQ(u.t.personenkonto(10002).get(P::Name), "");
}

TEST(Personenkontenplan, VierZeilenJeKontoUndBereichLoeschen) {
  Umgebung u;
  ASSERT_TRUE(u.m().personen->suchen("70001"));
  Satz& s = u.m().personen->satz();
  s.set(P::Strasse, "Industriestr. 5");
  s.set(P::PlzOrt, "85435 Erding");
  s.set(P::Bankname, "Sparkasse Erding");
  s.set(P::Blz, "70051995");
  s.set(P::Bankkonto, "1234567");
  s.set(P::Mkz, std::uint8_t{1});
  s.set(P::Filter, std::uint8_t{3});
  s.set(P::EgId, "DE123456789");
  u.m().personen->speichern("70001");
  personenkontenplan_drucken(u.m(), 70000, 70001);
  ASSERT_EQ(u.t.ui.druckauftraege().size(), 1u);
  const auto z = u.t.ui.druckauftraege()[0].alle_zeilen();
  ASSERT_EQ(z.size(), 15u);
  EXPECT_EQ(z[6], "Personenkontonummer                       Straße                                    "
                  "Bankname                      NTage  Mahnk");
  EXPECT_EQ(std::vector<std::string>(z.begin() + 11, z.end()),
            (std::vector<std::string>{
                "70001                                     Industriestr. 5                           "
                "Sparkasse Erding                 30      1",
                "SUCH70001                                 85435 Erding                              "
                "70051995                       2.000     10",
                "Kunde 70001                                                                         "
                "1234567                        0.000      0",
                "                                          DE123456789                               "
                " 1 Konto 1600                      3"}));

  u.t.buchung("70001", 'H', 11900, "3400", "", 'R', "E1");
  ASSERT_TRUE(u.t.kern->buchung_schreiben(1));
  u.t.ui.formular_skript(
      {F::tippe("Von Konto", "10000"), F::tippe("Bis Konto", "99999"), F::druecke(Taste::Esc)});
  u.t.ui.erwarte_frage("Wollen Sie diese Konten wirklich loeschen?", true);
  personenkonten_loeschen(u.m());
  EXPECT_EQ(u.t.personenkonto(70001).get(P::Name), "Kunde 70001");  // posted
  for (int n : {10001, 10002, 70002}) EXPECT_EQ(u.t.personenkonto(n).get(P::Name), "") << n;
}

}  // namespace
}  // namespace fibu
