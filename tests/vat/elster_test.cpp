// The electronic advance return: the start checks and the period codes,
// the Kennzahlen of the file against the printed form, the file of a fixed
// book of 2012 and of 2024 byte for byte, well-formed and in ISO-8859-1
// with the client's texts escaped, and runs that are refused write nothing.
#include "vat/elster.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "golden.h"
#include "posting/buchen.h"
#include "ustbuchhaltung.h"

namespace fibu {
namespace {

using F = Formularschritt;

TEST(Elster, SteuernummerUndPerioden) {
  const std::string dreizehn =
      "Für Coala - Steueranmeldungen muß die Steuernummer aus 13 Ziffern bestehen!\r"
      "Korrigieren Sie den Eintrag in den Basisdaten.";
  struct Nummer {
    const char* eingabe;
    std::optional<std::string> meldung;
  };
  for (const Nummer& n : std::initializer_list<Nummer>{
           {"21/815/08150", dreizehn},  // ten digits
           {"2181008150123", std::nullopt},
           {"21 810 0815 0123", std::nullopt},  // blanks and slashes are no digits
           {"218100815012", dreizehn},
           {"9981008150123",
            "Die Steuernummer kann keinem Bundesland zugeordnet werden!\rPrüfen sie die ersten 2 "
            "Stellen der Steuernummer."},
           {"2181508150123",
            "Die Steuernummer ist nicht plausibel!\rPrüfen sie die ersten 5 Stellen der "
            "Steuernummer."}}) {
    SCOPED_TRACE(n.eingabe);
    EXPECT_EQ(elster_steuernummer_pruefen(n.eingabe), n.meldung);
  }
  EXPECT_EQ(elster_bundesland("5281008150123"), "NW");
  EXPECT_EQ(elster_bundesland("9281008150123"), "BY");

  const std::string nicht = "Perioden sind so nicht möglich !\r";
  struct Zeitraum {
    int von, bis;
    bool zwoelf;
    std::optional<std::string> meldung;
    const char* code;
  };
  for (const Zeitraum& z : std::initializer_list<Zeitraum>{
           {3, 3, true, std::nullopt, "03"},
           {12, 12, true, std::nullopt, "12"},
           {1, 3, true, std::nullopt, "41"},
           {10, 12, true, std::nullopt, "44"},
           {2, 4, true, nicht + "Bei Quartal muß Periodevon 1, 4, 7 oder 10 sein.", ""},
           {1, 2, true, nicht + "Es sind nur Monate oder Quartale möglich.", ""},
           {5, 4, true, nicht + "Periode \"bis\" muß >= Periode \"von\" sein.", ""},
           {1, 3, false,
            "Bei periodenweiser Abrechnung !\rmuß Periode \"bis\" = Periode \"von\" sein.", ""},
       }) {
    SCOPED_TRACE(std::to_string(z.von) + ".." + std::to_string(z.bis));
    EXPECT_EQ(elster_perioden_pruefen(z.von, z.bis, z.zwoelf), z.meldung);
    if (!z.meldung) {
      EXPECT_EQ(elster_zeitraum(z.von, z.bis), z.code);
    }
  }
  EXPECT_EQ(elster_steuerversion(2004), "200401");
  EXPECT_EQ(elster_steuerversion(2013), "201301");
  EXPECT_EQ(elster_steuerversion(2024), "202401");
}

// The file carries what the printed form shows: owed tax positive and in
// the payment, bases in whole euros, and of the fixed set only the
// Kennzahlen the year has.
TEST(Elster, KennzahlenWieImFormular) {
  Formularwerte w;
  w.basis[26] = 10099;   // 100.99 at 19 %: Kz 81 = 100, the payment 19.00
  w.steuer[65] = -10000; // 100.00 other tax owed (a credit balance): Kz 69
  w.steuer[53] = -2550;  // 25.50 owed on a change of taxation: Kz 65
  w.steuer[56] = 5000;   // input tax: Kz 66
  const Elsterkennzahlen k = elster_kennzahlen(2012, 3, w, false, 0);
  auto wert = [&](int kz) { return k.werte.count(kz) ? k.werte.at(kz).wert : Betrag{-1}; };
  EXPECT_EQ(wert(81), 10000);
  EXPECT_FALSE(k.werte.at(81).cent);
  EXPECT_EQ(wert(69), 10000);
  EXPECT_EQ(wert(65), 2550);
  EXPECT_EQ(wert(66), 5000);
  EXPECT_EQ(wert(83), 1900 + 10000 + 2550 - 5000);
  const auto geschrieben = elster_zu_schreiben(k);
  auto hat = [&](int kz) {
    return std::any_of(geschrieben.begin(), geschrieben.end(),
                       [kz](const auto& p) { return p.first == kz; });
  };
  EXPECT_TRUE(hat(41));   // of the fixed set, on the form of 2012, written with 0
  EXPECT_FALSE(hat(51));  // 16 % has no Kennzahl in 2012
  EXPECT_FALSE(hat(54));
  EXPECT_FALSE(hat(10));  // a mark only when set
  EXPECT_TRUE(hat(83));

  // The last period with a special prepayment; after 2012 from the year table.
  Formularwerte v;
  v.basis[26] = 100000;
  v.steuer[56] = 3000;
  const Elsterkennzahlen j = elster_kennzahlen(2024, 12, v, true, 5000);
  EXPECT_EQ(j.werte.at(39).wert, 5000);
  EXPECT_EQ(j.werte.at(83).wert, 19000 - 3000 - 5000);
  EXPECT_TRUE(std::binary_search(j.erlaubt.begin(), j.erlaubt.end(), 81));
  EXPECT_FALSE(std::binary_search(j.erlaubt.begin(), j.erlaubt.end(), 51));
}

// A client ready for the return: the certificate in place, a 13-digit tax
// number, the accounts of a period.
struct Elsterumgebung {
  Ustbuchhaltung b;
  explicit Elsterumgebung(int jahr, bool zertifikat = true) : b(jahr) {
    b.m->basis.set(BasisFelder::Steuernummer, "2893081508152");
    b.m->basis.set(BasisFelder::Name, "Müller & Söhne <Holz>");
    b.m->basis.set(BasisFelder::Strasse, "Hauptstraße 1");
    b.m->basis.set(BasisFelder::PlzOrt, "70173 Stuttgart");
    if (zertifikat) {
      EXPECT_TRUE(b.fs.verzeichnis_anlegen("/r/FIBU/coala"));
      EXPECT_TRUE(b.fs.schreibe_datei_atomar("/r/FIBU/coala/finanz2.cer", "Zertifikat"));
    }
    b.heute.festlegen(DMYtoDate(10, 4, 2026));
  }
  std::string datei(const std::string& name) {
    std::string inhalt;
    if (!b.fs.lies_datei(pfad_verbinden(b.m->daten_verzeichnis(), name), inhalt)) return "";
    return inhalt;
  }
};

// Well-formed for libxml2, read back in its declared encoding.
void wohlgeformt(const std::string& xml) {
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "ustva.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  ASSERT_NE(doc, nullptr) << xml;
  xmlFreeDoc(doc);
}

std::vector<F> dialog(int von, int bis) {
  return {F::tippe("Periode von:", std::to_string(von)),
          F::tippe("Periode bis:", std::to_string(bis)),
          F::tippe("E-Mail", "buero@holz.example"), F::druecke(Taste::Esc)};
}

TEST(Elster, Datei2012) {
  Elsterumgebung e(2012);
  e.b.konten({{8400, "Erlöse 19 %", 3, 26, 1, 3, 5000, 1000099},
              {8300, "Erlöse 7 %", 3, 27, 2, 3, 0, 200050},
              {3425, "Innergem. Erwerb 19 %", 5, 33, 19, 3, 100000, 0},
              {1776, "Umsatzsteuer 19 %", 2, 0, 0, 3, 0, 189069},
              {1774, "USt aus EG-Erwerb", 2, 0, 0, 3, 0, 19000},
              {1574, "VSt aus EG-Erwerb", 4, 57, 0, 3, 19000, 0},
              {1576, "Vorsteuer 19 %", 4, 56, 0, 3, 95000, 1000},
              {1789, "Andere Steuerbeträge", 2, 65, 0, 3, 0, 4000}});
  e.b.ui.formular_skript(dialog(3, 3));
  TfCoalaf t(*e.b.m);
  ASSERT_TRUE(t.ausfuehren()) << (e.b.ui.meldungen().empty() ? "" : e.b.ui.meldungen().back());
  EXPECT_EQ(e.b.ui.meldungen(),
            std::vector<std::string>{"Adress- und Beraterangaben neu erzeugt.\rBitte überprüfen "
                                     "Sie diese Angaben im folgendem Dialog!"});
  const std::string xml = e.datei("ustva03.xml");
  ASSERT_FALSE(xml.empty());
  wohlgeformt(xml);
  // The client's name escaped and in ISO-8859-1 (ü = 0xFC, ö = 0xF6).
  EXPECT_NE(xml.find("<Name>M\xFCller &amp; S\xF6hne &lt;Holz&gt;</Name>"), std::string::npos);
  // 9950.99 revenue at 19 % in whole euros; 40.00 other tax owed is
  // positive, and the payment 1890.50 + 140.00 + 190.00 + 40.00 − 940.00 −
  // 190.00 = 1130.50.
  EXPECT_NE(xml.find("<Kz81>9950</Kz81>"), std::string::npos);
  EXPECT_NE(xml.find("<Kz69>40.00</Kz69>"), std::string::npos);
  EXPECT_NE(xml.find("<Kz83>1130.50</Kz83>"), std::string::npos);
  golden_vergleich("elster_2012.xml", xml);
  // The check list names the Kennzahlen sent.
  const auto zeilen = e.b.ui.druckauftraege().back().alle_zeilen();
  std::string liste;
  for (const auto& z : zeilen) liste += z + "\n";
  golden_vergleich("elster_2012_pruefliste.txt", liste);
  EXPECT_TRUE(std::any_of(zeilen.begin(), zeilen.end(), [](const std::string& z) {
    return z.rfind("Kennzahl 83 Verbleibende Umsatzsteuer-Vorauszahlung", 0) == 0 &&
           z.find("1130.50") != std::string::npos;
  }));

  // Once more: the file exists; no keeps it, yes writes it again. A
  // copy the transmission left behind asks first.
  e.b.ui.formular_skript(dialog(3, 3));
  e.b.ui.erwarte_frage("Datei ustva03.xml existiert bereits.", false);
  EXPECT_FALSE(TfCoalaf(*e.b.m).ausfuehren());
  ASSERT_TRUE(e.b.fs.verzeichnis_anlegen(pfad_verbinden(e.b.m->daten_verzeichnis(), "send")));
  ASSERT_TRUE(e.b.fs.schreibe_datei_atomar(
      pfad_verbinden(e.b.m->daten_verzeichnis(), "send/ustva03.xml"), xml));
  e.b.ui.formular_skript(dialog(3, 3));
  e.b.ui.erwarte_frage("Die Umsatzsteuervoranmeldung wurde schon erfolgreich versendet.", true);
  e.b.ui.erwarte_frage("Datei ustva03.xml existiert bereits.", true);
  EXPECT_TRUE(TfCoalaf(*e.b.m).ausfuehren());
  e.b.ui.alles_verbraucht();
}

TEST(Elster, DateiNach2012UndSondervorauszahlung) {
  Elsterumgebung e(2024);
  e.b.konten({{8400, "Erlöse 19 %", 3, 26, 1, 12, 0, 1000000},
              {8125, "Steuerfreie EU-Lieferungen", 3, 20, 0, 12, 0, 250000},
              {1576, "Vorsteuer 19 %", 4, 56, 0, 12, 123456, 0}});
  // The last period: the amount of the dialog is the special prepayment.
  auto schritte = dialog(12, 12);
  schritte.insert(schritte.begin(), F::tippe("Betrag", "500,00"));
  e.b.ui.formular_skript(schritte);
  ASSERT_TRUE(TfCoalaf(*e.b.m).ausfuehren());
  const std::string xml = e.datei("ustva12.xml");
  wohlgeformt(xml);
  // Kz 81 10.000 → 1900.00; Kz 41 2.500; Kz 66 1234.56; Kz 39 500.00;
  // Kz 83 = 1900.00 − 1234.56 − 500.00 = 165.44.
  EXPECT_NE(xml.find("<Kz81>10000</Kz81>"), std::string::npos);
  EXPECT_NE(xml.find("<Kz41>2500</Kz41>"), std::string::npos);
  EXPECT_NE(xml.find("<Kz66>1234.56</Kz66>"), std::string::npos);
  EXPECT_NE(xml.find("<Kz39>500.00</Kz39>"), std::string::npos);
  EXPECT_NE(xml.find("<Kz83>165.44</Kz83>"), std::string::npos);
  EXPECT_NE(xml.find("<Anmeldungssteuern art=\"UStVA\" version=\"202401\">"), std::string::npos);
  golden_vergleich("elster_2024.xml", xml);

  // The application for the special prepayment alone.
  e.b.ui.formular_skript({F::tippe("Nur Sondervorauszahlung - Betrag :", "Ja"),
                          F::tippe("Betrag", "1.200,00"), F::tippe("E-Mail", "buero@holz.example"),
                          F::druecke(Taste::Esc)});
  ASSERT_TRUE(TfCoalaf(*e.b.m).ausfuehren());
  const std::string dfv = e.datei("DFV01.xml");
  wohlgeformt(dfv);
  EXPECT_NE(dfv.find("<Umsatzsteuersondervorauszahlung>"), std::string::npos);
  EXPECT_NE(dfv.find("<Kz38>1200.00</Kz38>"), std::string::npos);
}

// coala.ini is in the Windows code page: its bytes 0x80..0x9F ("€", "–",
// "„", "“") reach the file as characters, not as bytes of ISO-8859-1.
TEST(Elster, WindowsZeichenAusCoalaIni) {
  Elsterumgebung e(2012);
  e.b.konten({{8400, "Erlöse 19 %", 3, 26, 1, 3, 0, 10000},
              {1776, "Umsatzsteuer 19 %", 2, 0, 0, 3, 0, 1900}});
  ASSERT_TRUE(e.b.fs.schreibe_datei_atomar(
      pfad_verbinden(e.b.m->daten_verzeichnis(), "coala.ini"),
      "[NutzdatenHeader]\r\nLieferantAp=Fr. M\xFCller \x80 \x96 \x84" "Chefin\x93\r\n"
      "LieferantEMail=buero@holz.example\r\n"));
  e.b.ui.formular_skript({F::tippe("Periode von:", "3"), F::tippe("Periode bis:", "3"),
                          F::druecke(Taste::Esc)});
  ASSERT_TRUE(TfCoalaf(*e.b.m).ausfuehren())
      << (e.b.ui.meldungen().empty() ? "" : e.b.ui.meldungen().back());
  EXPECT_TRUE(e.b.ui.meldungen().empty());  // the file was there
  const std::string xml = e.datei("ustva03.xml");
  wohlgeformt(xml);
  EXPECT_NE(xml.find("<Ansprechpartner>Fr. M\xFCller &#8364; &#8211; &#8222;Chefin&#8220;"
                     "</Ansprechpartner>"),
            std::string::npos)
      << xml;
}

// In 2005 the tax of the other rates comes from the bookings on the tax
// accounts of the line's accounts: two revenue accounts that share one tax
// account count its tax once, and bookings of other periods not at all.
TEST(Elster, SteuerDerAnderenSaetze2005AusDenBuchungen) {
  Elsterumgebung e(2005);
  e.b.m->basis.set(BasisFelder::steuerkonto(5), std::int32_t{1775});
  e.b.m->basis.set(BasisFelder::steuersatz(5), std::int64_t{1000});
  e.b.konten({{8350, "Erlöse 10 %", 3, 29, 5, 3, 0, 0},
              {8351, "Erlöse 10 % Handel", 3, 29, 5, 3, 0, 0},
              {1775, "Umsatzsteuer 10 %", 2, 0, 0, 3, 0, 0},
              {1200, "Bank", 0, 0, 0, 3, 0, 0}});
  Buchungskern kern(*e.b.m);
  std::int64_t n = 0;
  for (auto [konto, brutto, tag, monat] :
       {std::tuple{"8350", Betrag{11000}, 10, 3}, std::tuple{"8351", Betrag{5500}, 20, 3},
        std::tuple{"8350", Betrag{99000}, 5, 2}}) {
    Satz& s = e.b.m->buchung->satz();
    s.leeren();
    s.set(BuchungFelder::Konto, konto);
    s.setze_u8(BuchungFelder::SollHaben, static_cast<std::uint8_t>('H'));
    s.set(BuchungFelder::Betrag, brutto);
    s.set(BuchungFelder::Gegenkonto, "1200");
    s.set(BuchungFelder::Steuerschluessel, "5");
    s.set(BuchungFelder::Periode, static_cast<std::uint8_t>(monat));
    s.set(BuchungFelder::Datum, DMYtoDate(tag, monat, 2005));
    s.set(BuchungFelder::Text1, "Verkauf");
    ASSERT_TRUE(kern.buchen(++n)) << e.b.ui.meldungen().back();
  }
  e.b.ui.formular_skript({F::tippe("Periode von:", "3"), F::tippe("Periode bis:", "3"),
                          F::druecke(Taste::Esc)});
  ASSERT_TRUE(TfCoalaf(*e.b.m).ausfuehren())
      << (e.b.ui.meldungen().empty() ? "" : e.b.ui.meldungen().back());
  const std::string xml = e.datei("ustva03.xml");
  wohlgeformt(xml);
  // 100.00 + 50.00 net on line 29; the tax account carries no line, so the
  // 15.00 are the bookings' tax of March, once.
  EXPECT_NE(xml.find("<Kz35>150</Kz35>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<Kz36>15.00</Kz36>"), std::string::npos);
  EXPECT_NE(xml.find("<Kz83>15.00</Kz83>"), std::string::npos);
  EXPECT_EQ(xml.find("<Kz22>"), std::string::npos);
}

// An e-mail address shorter than 7 characters asks; no keeps the dialog.
TEST(Elster, KurzeEmailFragtNach) {
  Elsterumgebung e(2012);
  e.b.konten({{8400, "Erlöse 19 %", 3, 26, 1, 3, 0, 10000},
              {1776, "Umsatzsteuer 19 %", 2, 0, 0, 3, 0, 1900}});
  e.b.ui.formular_skript({F::tippe("Periode von:", "3"), F::tippe("Periode bis:", "3"),
                          F::tippe("E-Mail", "a@b.de"), F::druecke(Taste::Esc),
                          F::druecke(Taste::Esc)});
  const std::string frage =
      "Ohne eine gültige E-Mail erfolgt ab 2008 eine Abweisung der Anmeldung.";
  e.b.ui.erwarte_frage(frage, false);
  e.b.ui.erwarte_frage(frage, true);
  ASSERT_TRUE(TfCoalaf(*e.b.m).ausfuehren());
  EXPECT_NE(e.datei("ustva03.xml").find("<Email>a@b.de</Email>"), std::string::npos);
  e.b.ui.alles_verbraucht();
}

// Every refused start or dialog leaves no file.
TEST(Elster, AbgelehntOhneDatei) {
  struct Fall {
    const char* was;
    bool zertifikat;
    const char* steuernummer;
    int jahr;
    std::vector<F> dialog;
    std::string meldung;
  };
  const std::vector<Fall> faelle = {
      {"no certificate", false, "2893081508152", 2012, {},
       "Fehlendes Finanzamtzertifikat.\rCOALA wurde nicht richtig installiert. Bitte installieren "
       "Sie zuersts COALA!"},
      {"twelve digits", true, "289308150815", 2012, {},
       "Für Coala - Steueranmeldungen muß die Steuernummer aus 13 Ziffern bestehen!\r"
       "Korrigieren Sie den Eintrag in den Basisdaten."},
      {"before 2004", true, "2893081508152", 2003, {},
       "Elektronische Steuerübergabe erst ab Jahr 2004 integriert!"},
      {"not a quarter", true, "2893081508152", 2012,
       {F::tippe("Periode von:", "1"), F::tippe("Periode bis:", "2"),
        F::tippe("E-Mail", "buero@holz.example"), F::druecke(Taste::Esc), F::schliesse()},
       "Perioden sind so nicht möglich !\rEs sind nur Monate oder Quartale möglich."},
      {"no e-mail", true, "2893081508152", 2012, {F::druecke(Taste::Esc), F::schliesse()},
       "Lieferantendaten:  Name, Straße, PLZ, Ort und E-Mail sind Pflichtangaben!"},
      {"after the year table", true, "2893081508152", 2027, {},
       "Steuerjahr 2027 für Periode 1 noch nicht integriert!"},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.was);
    Elsterumgebung e(f.jahr, f.zertifikat);
    e.b.m->basis.set(BasisFelder::Steuernummer, f.steuernummer);
    e.b.konten({{8400, "Erlöse 19 %", 3, 26, 1, 1, 0, 10000}});
    if (!f.dialog.empty()) e.b.ui.formular_skript(f.dialog);
    EXPECT_FALSE(TfCoalaf(*e.b.m).ausfuehren());
    EXPECT_EQ(e.b.ui.meldungen().back(), f.meldung);
    std::vector<std::string> namen;
    ASSERT_TRUE(e.b.fs.liste(e.b.m->daten_verzeichnis(), namen));
    for (const auto& n : namen) EXPECT_EQ(n.find(".xml"), std::string::npos) << n;
  }
}

}  // namespace
}  // namespace fibu
