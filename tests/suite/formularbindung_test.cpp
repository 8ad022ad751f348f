// The binding of form fields to record fields, once for every kind of
// field: a record shown in a new form, values typed (one refused by its
// field's check) and taken back, another record shown, and the fields that
// are only shown or hold a state the choice cannot show left alone.
#include "suite/formularbindung.h"

#include <gtest/gtest.h>

#include "suite/test_interaktion.h"

namespace fibu {
namespace {

using S = Formularschritt;

// A record of every field width the record layouts use.
struct Probe {
  static constexpr std::size_t groesse = 64;
  static constexpr TextFeld Name{0, 20};
  static constexpr ZahlFeld<std::uint8_t> Art{21};
  static constexpr ZahlFeld<std::uint16_t> Tage{22};
  static constexpr ZahlFeld<std::int32_t> Konto{24};
  static constexpr ZahlFeld<std::int64_t> Betrag{28};
  static constexpr DatumFeld Datum{36};
  static constexpr JaNeinFeld Aktiv{38};
  static constexpr ZahlFeld<std::uint16_t> Mahnen{39};
  static constexpr ZahlFeld<std::uint8_t> Zaehler{41};
  static constexpr TextFeld Code{42, 8};
};

Formularbindung bindung() {
  Formularbindung b;
  b.text(1, "Name", Probe::Name)
      .byte(2, "Art", Probe::Art, 0, 5)
      .word(3, "Tage", Probe::Tage, 0, 9999)
      .longint(4, "Konto", Probe::Konto, 0, 99999999)
      .betrag(5, "Betrag", Probe::Betrag, "###########.##")
      .datum(6, "Datum", Probe::Datum)
      .janein(7, "Aktiv", Probe::Aktiv)
      .auswahl(8, "Mahnen", Probe::Mahnen, {"normal", "gesperrt", "Lastschrift"})
      .eigenes([](TEntryForm& f) { f.AddString(20, "Hinweis", "berechnet", 20); })
      .byte(9, "Zähler", Probe::Zaehler)
      .nur_anzeige()
      .text(10, "Code", Probe::Code)
      .getrimmt();
  return b;
}

Satz probe() {
  Satz s(Probe::groesse);
  s.set(Probe::Name, "Bäckerei Korn");
  s.set(Probe::Art, std::uint8_t{3});
  s.set(Probe::Tage, std::uint16_t{14});
  s.set(Probe::Konto, std::int32_t{10020});
  s.set(Probe::Betrag, std::int64_t{-123456});
  s.set(Probe::Datum, DMYtoDate(31, 7, 2007));
  s.set(Probe::Aktiv, true);
  s.set(Probe::Mahnen, std::uint16_t{7});  // a state the choice cannot show
  s.set(Probe::Zaehler, std::uint8_t{9});
  s.set(Probe::Code, "B1");
  return s;
}

TEST(Formularbindung, FelderAusDemSatzUndZurueckInDenSatz) {
  const Formularbindung b = bindung();
  Satz s = probe();
  TEntryForm form("Probe");
  b.felder_anlegen(form, s);
  // Record to form, every kind, with its caption and format.
  ASSERT_EQ(form.felder().size(), 11u);
  EXPECT_EQ(form.felder()[8].nr, 20);  // the dialog's own field in its place
  EXPECT_EQ(form.text(20), "berechnet");
  EXPECT_EQ(form.feld(1).beschriftung, "Name");
  EXPECT_EQ(form.feld(1).laenge, 20);
  EXPECT_EQ(form.text(1), "Bäckerei Korn");
  EXPECT_EQ(form.zahl(2), 3);
  EXPECT_EQ(form.zahl(3), 14);
  EXPECT_EQ(form.zahl(4), 10020);
  EXPECT_EQ(form.anzeige(5), "-1234,56");
  EXPECT_EQ(form.anzeige(6), "31.07.2007");
  EXPECT_TRUE(form.ja(7));
  EXPECT_EQ(form.auswahl(8), 2);  // shown as the last choice
  EXPECT_TRUE(form.feld(9).geschuetzt);
  EXPECT_EQ(form.text(10), "B1");

  // Typed values, one refused by its field's check (Art at most 5); the
  // choice and the counter untouched.
  TestInteraktion ui;
  ui.formular_skript({S::tippe("Name", "Holzhandel Eiche"), S::tippe("Art", "9", false),
                      S::tippe("Art", "4"), S::tippe("Tage", "30"), S::tippe("Konto", "70020"),
                      S::tippe("Betrag", "1.234,56"), S::tippe("Datum", "1.8.07"),
                      S::tippe("Aktiv", "nein"), S::tippe("Code", "  B2 "),
                      S::druecke(Taste::Esc)});
  ASSERT_TRUE(form.Execute(ui));
  b.uebernehmen(form, s);
  EXPECT_EQ(s.get(Probe::Name), "Holzhandel Eiche");
  EXPECT_EQ(s.get(Probe::Art), 4);
  EXPECT_EQ(s.get(Probe::Tage), 30);
  EXPECT_EQ(s.get(Probe::Konto), 70020);
  EXPECT_EQ(s.get(Probe::Betrag), 123456);
  EXPECT_EQ(s.get(Probe::Datum), DMYtoDate(1, 8, 2007));
  EXPECT_FALSE(s.get(Probe::Aktiv));
  EXPECT_EQ(s.get(Probe::Mahnen), 7);   // kept: nothing else was chosen
  EXPECT_EQ(s.get(Probe::Zaehler), 9);  // only shown
  EXPECT_EQ(s.get(Probe::Code), "B2");  // without its blanks
  // A choice made is stored.
  form.setze_zahl(8, 1);
  b.uebernehmen(form, s);
  EXPECT_EQ(s.get(Probe::Mahnen), 1);

  // Another record shown in the same form.
  Satz leer(Probe::groesse);
  b.zeigen(form, leer);
  EXPECT_EQ(form.text(1), "");
  EXPECT_EQ(form.zahl(4), 0);
  EXPECT_EQ(form.anzeige(6), "");
  EXPECT_EQ(form.auswahl(8), 0);
  EXPECT_EQ(form.zahl(9), 0);
  EXPECT_EQ(form.text(20), "berechnet");  // left to the dialog
}

}  // namespace
}  // namespace fibu
