// GL accounts: the save checks in both uses, the dialog's number entry,
// saving, deleting, renaming and copying, the printed chart and the
// deletion of a range, on the small client of the posting tests.
#include "masters/sachkonto.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "../posting/testbuchhaltung.h"
#include "suite/test_dateisystem.h"

namespace fibu {
namespace {

using S = SachFelder;
using F = Formularschritt;

struct Umgebung : Testumgebung {

  // The checks as the consistency check runs them: every line.
  std::vector<std::string> protokoll(const Satz& konto) {
    std::vector<std::string> zeilen;
    Pruefmeldung p(sachkonto_praefix(konto), [&](const std::string& z) { zeilen.push_back(z); });
    sachkonto_pruefen(m(), konto, p);
    return zeilen;
  }
  // The checks as the dialog runs them: the messages shown and the verdict.
  std::pair<bool, std::vector<std::string>> dialog(const Satz& konto) {
    const std::size_t vorher = t.ui.meldungen().size();
    Pruefmeldung p(t.ui);
    bool ok = sachkonto_pruefen(m(), konto, p);
    return {ok, std::vector<std::string>(t.ui.meldungen().begin() + static_cast<long>(vorher),
                                         t.ui.meldungen().end())};
  }
  Satz konto(int nummer, int art, int schluessel) {
    Satz s(S::groesse);
    s.set(S::Kontonummer, m().sachkonto_text(nummer));
    s.set(S::Kontenart, static_cast<std::uint8_t>(art));
    s.set(S::Steuerschluessel, static_cast<std::uint8_t>(schluessel));
    return s;
  }
  void bwa_gruppe(const std::string& code) {
    if (!m().bwakonto->offen()) m().bwakonto->oeffnen();
    m().bwakonto->leeren();
    m().bwakonto->satz().set(BwakontoFelder::Gruppe, code);
    m().bwakonto->speichern(code);
  }
};

TEST(Sachkontopruefung, SteuerschluesselNachKontenart) {
  Umgebung u;
  // Input VAT (kind 4): key 9 refused, 0 accepted.
  EXPECT_EQ(u.dialog(u.konto(1577, 4, 9)),
            (std::pair<bool, std::vector<std::string>>{
                false, {"Steuerschlüssel muß zu diesem Konto Null sein!"}}));
  EXPECT_TRUE(u.dialog(u.konto(1577, 4, 0)).first);
  // Kind 0 with a key above 40 stops; a key without tax account only warns.
  EXPECT_EQ(u.dialog(u.konto(4000, 0, 41)).second,
            std::vector<std::string>{"Bitte Steuerschlüssel 0..40 eintragen!"});
  auto [ok, meldungen] = u.dialog(u.konto(4000, 3, 5));
  EXPECT_TRUE(ok);
  EXPECT_EQ(meldungen, std::vector<std::string>{"Steuerkonto zu Steuerschlüssel 5 nicht eingetragen!"});
  EXPECT_EQ(u.dialog(u.konto(4000, 6, 0)).second,
            std::vector<std::string>{"Kontenart ist ungültig!"});
}

TEST(Sachkontopruefung, EgErwerbBrauchtZweiSteuerkonten) {
  Umgebung u;
  Satz& b = u.m().basis;
  b.set(BasisFelder::steuerkonto(39), std::int32_t{1775});
  // Key 39 needs 39 and 40.
  EXPECT_EQ(u.dialog(u.konto(3430, 5, 39)).second,
            std::vector<std::string>{"Steuerkonto zu Steuerschlüssel 40 nicht eingetragen!"});
  b.set(BasisFelder::steuerkonto(40), std::int32_t{1575});
  EXPECT_EQ(u.dialog(u.konto(3430, 5, 39)),
            (std::pair<bool, std::vector<std::string>>{true, {}}));
  // Key 40 itself is refused, and so is an unset key.
  EXPECT_EQ(u.dialog(u.konto(3430, 5, 40)).second,
            std::vector<std::string>{"EG-Erwerbskonto: Bitte Steuerschlüssel 1..39 eintragen!"});
  EXPECT_EQ(u.dialog(u.konto(3430, 5, 37)).second,
            std::vector<std::string>{
                "EG-Erwerbskonto: Steuerkonto zu Steuerschlüssel 37 nicht eingetragen!"});
  Satz aenderbar = u.konto(3430, 5, 39);
  aenderbar.set(S::SteuerschluesselAenderbar, true);
  EXPECT_EQ(u.dialog(aenderbar).second,
            std::vector<std::string>{
                "Der Steuerschlüssel ist bei diesem Konto bei der Buchung nicht änderbar!"});
}

TEST(Sachkontopruefung, ReferenzkontoDerZweitenZeile) {
  Umgebung u;
  Satz k = u.konto(1571, 4, 0);
  k.set(S::Bezeichnung2, "<12>");  // too short: ordinary text
  EXPECT_TRUE(u.dialog(k).first);
  k.set(S::Bezeichnung2, "  <1200> Bank");
  EXPECT_EQ(u.dialog(k).second,
            std::vector<std::string>{
                "Das in der 2.Zeile angegebene Sachkonto 1200 hat nicht die\rerwartete UST-Zeile 99 !"});
  ASSERT_TRUE(u.m().sach->suchen("1200"));
  u.m().sach->satz().set(S::UstZeile, std::uint8_t{99});
  u.m().sach->speichern("1200");
  EXPECT_TRUE(u.dialog(k).first);
  k.set(S::Bezeichnung2, "<1234>");
  EXPECT_EQ(u.dialog(k).second,
            std::vector<std::string>{"Das in der 2.Zeile angegebene Sachkonto 1234 existiert nicht!\r"
                                     "Verwenden Sie in der zweiten Zeile keine Bezeichnung mit <kkkk>"});
  // In the check protocol the second line of a message is a line of its own.
  EXPECT_EQ(u.protokoll(k),
            (std::vector<std::string>{
                "Sachkonto 1571: Das in der 2.Zeile angegebene Sachkonto 1234 existiert nicht!",
                "                Verwenden Sie in der zweiten Zeile keine Bezeichnung mit <kkkk>"}));
  k.set(S::Bezeichnung2, "<1571>");
  EXPECT_EQ(u.dialog(k).second,
            std::vector<std::string>{"Das in der 2.Zeile angegebene Sachkonto 1571 referenziert sich "
                                     "selbst!\rVerwenden Sie ein anderes Referenzkonto für die "
                                     "MwSt-Buchungen"});
}

TEST(Sachkontopruefung, GruppenUndBereichImProtokollMitPraefix) {
  Umgebung u;
  u.bwa_gruppe("ERLOES");
  Satz k = u.konto(12000, 4, 9);  // outside 1..9999, and key 9 on input VAT
  k.set(S::zuordnung_code(0), "ERLOES");
  k.set(S::zuordnung_code(1), "AKTIV");
  k.set(S::zuordnung_code(3), "ERLOES");
  // The consistency check runs every check, each line with the prefix; a
  // code in two assignments is reported once.
  EXPECT_EQ(u.protokoll(k),
            (std::vector<std::string>{
                "Sachkonto 12000: Kontonummer liegt nicht im Nummernkreis der Sachkonten!",
                "Sachkonto 12000: Steuerschlüssel muß zu diesem Konto Null sein!",
                "Sachkonto 12000: Die BWA-Kontogruppe \"AKTIV\" existiert nicht!",
                "Sachkonto 12000: Die BWA-Kontogruppe \"ERLOES\" kommt doppelt vor!"}));
  // The dialog shows the warning of the range and stops at the tax key.
  EXPECT_EQ(u.dialog(k),
            (std::pair<bool, std::vector<std::string>>{
                false,
                {"Kontonummer liegt nicht im Nummernkreis der Sachkonten!",
                 "Steuerschlüssel muß zu diesem Konto Null sein!"}}));
}

TEST(Sachkontodialog, NummerNeuesKontoSpeichernUndBlaettern) {
  Umgebung u;
  TFSachkonto d(u.m());
  u.t.ui.formular_skript({
      F::tippe("Kontonummer", "12000", false),  // outside the range
      F::tippe("Kontonummer", "4711"),
      F::tippe("Bezeichnung", "Porto"),
      F::tippe("Suchname", "PORTO"),
      F::tippe("Steuerschlüssel", "9"),
      F::tippe("Kontenart", "4"),  // input VAT: the key is cleared and locked
      F::tippe("Steuerschlüssel", "9", false),
      F::tippe("Datev-Steuerschlüssel übergeben", "Ja"),
      F::druecke(Taste::Esc),
  });
  ASSERT_TRUE(d.ausfuehren());
  EXPECT_EQ(u.t.ui.meldungen(),
            (std::vector<std::string>{"Kontonummer stimmt nicht mit Nummernkreis überein!",
                                      "Dieses Feld kann hier nicht geändert werden!"}));
  Satz k = u.t.sachkonto(4711);
  EXPECT_EQ(k.get(S::Bezeichnung1), "Porto");
  EXPECT_EQ(k.get(S::Kontenart), 4);
  EXPECT_EQ(k.get(S::Steuerschluessel), 0);
  EXPECT_EQ(k.get(S::Eroeffnungsdatum), DMYtoDate(6, 12, 2024));
  EXPECT_EQ(k.get(S::DatevSteuerschluessel), 1);  // the flag the DATEV hand-over reads
  EXPECT_EQ(u.m().sach->anzahl_keys(1), 16u);

  // A number alone makes no account.
  TFSachkonto leer(u.m());
  u.t.ui.formular_skript({F::tippe("Kontonummer", "4712"), F::druecke(Taste::Esc)});
  ASSERT_TRUE(leer.ausfuehren());
  EXPECT_EQ(u.m().sach->anzahl_keys(1), 16u);

  // An existing account: its kind locks the tax key; Page down goes on.
  TFSachkonto d2(u.m());
  u.t.ui.formular_skript({
      F::tippe("Kontonummer", "1576"),
      F::tippe("Steuerschlüssel", "9", false),
      F::druecke(Taste::BildAb),
      F::druecke(Taste::Esc),
  });
  ASSERT_TRUE(d2.ausfuehren());
  EXPECT_EQ(trim(d2.konto().get(S::Kontonummer)), "1600");
  EXPECT_EQ(u.t.ui.meldungen().back(), "Dieses Feld kann hier nicht geändert werden!");
}

TEST(Sachkontodialog, FunktionstastenListen) {
  Umgebung u;
  u.bwa_gruppe("ERLOES");
  u.m().basis.set(BasisFelder::steuertext(2), "USt 7 %");
  TFSachkonto d(u.m());
  u.t.ui.waehle("Konto 4400");      // F2: the account list
  u.t.ui.waehle("Standard");        // F4: kind 0
  u.t.ui.waehle("USt 7 %");         // F5: tax key 2
  u.t.ui.waehle("ERLOES");          // F6: into the BWA assignment
  u.t.ui.formular_skript({F::druecke(Taste::F2), F::druecke(Taste::F4), F::druecke(Taste::F5),
                          F::druecke(Taste::F6), F::druecke(Taste::Esc)});
  ASSERT_TRUE(d.ausfuehren());
  u.t.ui.alles_verbraucht();
  const auto& p = u.t.ui.protokoll();
  EXPECT_NE(std::find(p.begin(), p.end(), "Auswahl: Liste der Sachkonten ab 1000  Konto 1000"), p.end());
  EXPECT_NE(std::find(p.begin(), p.end(), "Auswahl: Liste der Kontenarten ab 0  Standard"), p.end());
  Satz k = u.t.sachkonto(4400);
  EXPECT_EQ(k.get(S::Kontenart), 0);
  EXPECT_EQ(k.get(S::Steuerschluessel), 2);
  EXPECT_EQ(k.get(S::zuordnung_code(0)), "ERLOES");
}

TEST(Sachkontodialog, LoeschenNurUnbebuchtUndKeineBasiskonten) {
  Umgebung u;
  Satz& b = u.t.buchung("1200", 'S', 10000, "1000");
  (void)b;
  ASSERT_TRUE(u.t.kern->buchung_schreiben(1));
  // Posted: refused by the file.
  TFSachkonto d(u.m());
  u.t.ui.erwarte_frage("Wollen Sie dieses Sachkonto löschen?", true);
  u.t.ui.erwarte_frage("Wollen Sie dieses Sachkonto löschen?", true);
  u.t.ui.erwarte_frage("Wollen Sie dieses Sachkonto löschen?", true);
  u.t.ui.formular_skript({
      F::tippe("Kontonummer", "1200"),
      F::druecke(Taste::F8),
      F::tippe("Kontonummer", "1776"),  // a tax account of the base data
      F::druecke(Taste::F8),
      F::tippe("Kontonummer", "3400"),
      F::druecke(Taste::F8),
      F::druecke(Taste::Esc),
  });
  ASSERT_TRUE(d.ausfuehren());
  EXPECT_EQ(u.t.ui.meldungen(),
            (std::vector<std::string>{
                "Sachkonto 1200 ist bebucht worden und kann nicht gelöscht werden!",
                "Sachkonto 1776 ist Forderungskonto, Verbindlichkeitskonto oder Steuerkonto und kann "
                "nicht gelöscht werden!"}));
  EXPECT_EQ(u.t.sachkonto(1200).get(S::Bezeichnung1), "Konto 1200");
  EXPECT_EQ(u.t.sachkonto(1776).get(S::Bezeichnung1), "Konto 1776");
  EXPECT_EQ(u.t.sachkonto(3400).get(S::Bezeichnung1), "");
}

TEST(Sachkontodialog, UmbenennenUndKopieren) {
  Umgebung u;
  u.t.buchung("1200", 'S', 10000, "1000");
  ASSERT_TRUE(u.t.kern->buchung_schreiben(1));
  ASSERT_TRUE(u.m().sach->suchen("3400"));
  u.m().sach->satz().set(S::zuordnung_code(2), "WAREN");
  u.m().sach->speichern("3400");
  auto umbenennen = [&](const std::string& alt, std::vector<Formularschritt> umbenennung) {
    TFSachkonto d(u.m());
    u.t.ui.formular_skript(
        {F::tippe("Kontonummer", alt), F::druecke(Taste::F10), F::druecke(Taste::Esc)});
    u.t.ui.formular_skript(std::move(umbenennung));
    d.ausfuehren();
  };
  // 1200 is posted, 1400 a receivables account: both keep their numbers.
  umbenennen("1200", {F::tippe("Neues Sachkonto", "1300"), F::druecke(Taste::Esc), F::schliesse()});
  umbenennen("1400", {F::tippe("Neues Sachkonto", "1300"), F::druecke(Taste::Esc), F::schliesse()});
  // 3400 to 1000 (exists) is refused, then to 3410; 12000 is outside.
  umbenennen("3400", {F::tippe("Neues Sachkonto", "1000"), F::druecke(Taste::Esc),
                      F::tippe("Neues Sachkonto", "12000"), F::druecke(Taste::Esc),
                      F::tippe("Neues Sachkonto", "3410"), F::druecke(Taste::Esc)});
  EXPECT_EQ(u.t.ui.meldungen(),
            (std::vector<std::string>{
                "Das Sachkonto ist bebucht und kann nicht umbenannt werden!",
                "Das Sachkonto ist ein Forderungs-, Verbindlichkeits- oder Steuerkonto! Bitte das "
                "Konto zuerst als Sonderkonto deaktivieren.",
                "Das Konto existiert bereits!",
                "Kontonummer stimmt nicht mit Nummernkreis überein!"}));
  EXPECT_EQ(u.t.sachkonto(3400).get(S::Bezeichnung1), "");
  EXPECT_EQ(u.t.sachkonto(3410).get(S::Bezeichnung1), "Konto 3400");
  EXPECT_EQ(u.t.sachkonto(3410).get(S::Steuerschluessel), 9);
  EXPECT_EQ(u.t.sachkonto(1200).get(S::Bezeichnung1), "Konto 1200");
  // Key 3 follows the renamed record: its code is found under the new number.
  std::string code = "WAREN";
  ASSERT_TRUE(u.m().sach->suchen_key(3, code));
  EXPECT_EQ(trim(u.m().sach->satz().get(S::Kontonummer)), "3410");

  // The copy carries the fields, not the balances of 1200.
  TFSachkonto d(u.m());
  u.t.ui.formular_skript({F::tippe("Kontonummer", "1200"), F::klicke("Kopieren"),
                          F::druecke(Taste::Esc)});
  u.t.ui.formular_skript({F::tippe("Neues Sachkonto", "1210"), F::druecke(Taste::Esc)});
  ASSERT_TRUE(d.ausfuehren());
  Satz kopie = u.t.sachkonto(1210);
  EXPECT_EQ(kopie.get(S::Bezeichnung1), "Konto 1200");
  EXPECT_EQ(kopie.get(S::zuordnung_code(0)), "B1");
  EXPECT_EQ(kopie.get(S::Saldo), 0);
  EXPECT_FALSE(kopie.get(S::Bebucht));
  EXPECT_NE(u.t.sachkonto(1200).get(S::Saldo), 0);
}

TEST(Sachkontenplan, GedruckteListeZeileFuerZeile) {
  Umgebung u;
  u.m().basis.set(BasisFelder::Name, "Schreinerei Holz");
  Satz& s = u.m().sach->satz();
  ASSERT_TRUE(u.m().sach->suchen("4400"));
  s.set(S::Suchname, "ERLOESE");
  s.set(S::Sammelkonto, false);
  s.set(S::UstZeile, std::uint8_t{81});
  s.set(S::zuordnung_art(1), "1");
  s.set(S::zuordnung_code(1), "AKTIV");
  s.set(S::zuordnung_art(3), "1");
  s.set(S::zuordnung_code(3), "GUV");
  s.set(S::UebernahmeJahreswechsel, true);
  u.m().sach->speichern("4400");
  sachkontenplan_drucken(u.m(), 3400, 4400, false);
  sachkontenplan_drucken(u.m(), 1000, 1200, true);
  ASSERT_EQ(u.t.ui.druckauftraege().size(), 2u);
  const auto lang = u.t.ui.druckauftraege()[0].alle_zeilen();
  const std::vector<std::string> erwartet_lang = {
      std::string(132, '-'),
      "Mandant: 001" + std::string(40, ' ') + "S a c h k o n t e n p l a n" + std::string(36, ' ') +
          "Datum: 06.12.2024",
      "Schreinerei Holz" + std::string(102, ' ') + "Blatt:       1",
      "Währung: Euro",
      std::string(132, '-'),
      "",
      "Kontonr   Suchname           Bezeichnung              Sa Art UZ St Bu BilanzSoll  "
      "BilanzHaben G+V         BWA        JW DA",
      "",
      "3400                         Konto 3400                       0  9                    "
      "                    B3             0",
      "3425                         Konto 3425                  EG   0 19                    "
      "                    B3             0",
      "4400      ERLOESE            Konto 4400                  U   81  1    1AKTIV          "
      "        1GUV        B4         J   0",
  };
  EXPECT_EQ(lang, erwartet_lang);
  EXPECT_EQ(u.t.ui.druckauftraege()[0].seiten[0].zeilen[8].schrift, Schrift::Schmal);
  const auto kurz = u.t.ui.druckauftraege()[1].alle_zeilen();
  EXPECT_EQ(std::vector<std::string>(kurz.begin() + 6, kurz.end()),
            (std::vector<std::string>{"Kontonr     Bezeichnung", "", "1000        Konto 1000",
                                      "1200        Konto 1200"}));
}

TEST(Sachkontenplan, BereichLoeschenLaesstGeschuetzteStehen) {
  Umgebung u;
  u.t.buchung("1200", 'S', 10000, "1000");
  ASSERT_TRUE(u.t.kern->buchung_schreiben(1));
  u.m().sach->leeren();
  u.m().sach->satz().set(S::Bezeichnung1, "Postbank");
  u.m().sach->speichern("1800");
  u.t.ui.formular_skript({F::tippe("Von Konto", "1000"), F::tippe("Bis Konto", "1999"),
                          F::druecke(Taste::Esc)});
  u.t.ui.erwarte_frage("Wollen Sie diese Konten wirklich loeschen?", true);
  sachkonten_loeschen(u.m());
  // 1200 is posted, 1400 ... 1610 are collective and 1571 ... 1999 tax
  // accounts: they stay; 1000 (only the counter-account) and 1800 go, 3400
  // outside the range stays.
  for (int n : {1200, 1400, 1410, 1600, 1610, 1776, 1771, 1576, 1774, 1574, 1999})
    EXPECT_FALSE(u.t.sachkonto(n).get(S::Bezeichnung1).empty()) << n;
  EXPECT_EQ(u.t.sachkonto(1000).get(S::Bezeichnung1), "");
  EXPECT_EQ(u.t.sachkonto(1800).get(S::Bezeichnung1), "");
  EXPECT_EQ(u.t.sachkonto(3400).get(S::Bezeichnung1), "Konto 3400");
}

}  // namespace
}  // namespace fibu
