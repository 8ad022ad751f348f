// The dunning codes and letter texts: what the screens keep in
// MAHNKENN.PAR and MAHNTEXT.PAR, byte by byte at their places, paging
// between codes without losing what was typed, clearing after the
// question, and the printed list of codes.
#include "openitems/mahndaten.h"

#include <gtest/gtest.h>

#include <cstring>

#include "../posting/testbuchhaltung.h"

namespace fibu {
namespace {

using F = Formularschritt;
using K = MahnkennEintrag;

std::string datei(TestDateisystem& fs, Mandant& m, const std::string& name) {
  std::string s;
  EXPECT_TRUE(fs.lies_datei(pfad_verbinden(m.daten_verzeichnis(), name), s));
  return s;
}

template <typename T>
T zahl(const std::string& s, std::size_t pos) {
  T wert{};
  std::memcpy(&wert, s.data() + pos, sizeof wert);  // little-endian on this machine
  return wert;
}

TEST(Mahnkennziffern, BlaetternLoeschenUndSpeichern) {
  TestDateisystem fs;
  Testbuchhaltung t(fs);
  ASSERT_NO_FATAL_FAILURE(t.anlegen());
  TFBasisMahnkennziffern d(*t.m);
  t.ui.formular_skript({
      F::tippe("Bezeichnung", "Standard"),
      F::tippe("1. Mahnung Tage", "14"),
      F::tippe("1. Mahnung Text-Nr.", "1"),
      F::tippe("2. Mahnung V-Zinsen %", "12,00"),
      F::tippe("2. Mahnung Mahngebühren", "5,00"),
      F::tippe("Zahlungsziel", "10"),
      F::tippe("mahnen ab EU (pro OP's)", "10,00"),
      F::druecke(Taste::BildAb),  // to code 2: code 1 is kept
      F::tippe("Bezeichnung", "Streng"),
      F::tippe("1. Mahnung Tage", "0"),
      F::druecke(Taste::BildAb),  // code 3, cleared after the question
      F::tippe("Bezeichnung", "Weg"),
      F::druecke(Taste::F8),
      F::tippe("Nummer", "1"),  // back to code 1 by its number
      F::tippe("1. Mahnung Tage", "21"),
      F::druecke(Taste::Esc),
  });
  t.ui.erwarte_frage("Alle Daten dieser Mahnkennziffer löschen?", true);
  ASSERT_TRUE(d.ausfuehren());
  const std::string par = datei(fs, *t.m, "MAHNKENN.PAR");
  ASSERT_EQ(par.size(), 33858u);
  EXPECT_EQ(zahl<std::uint16_t>(par, 0), 21);        // level 1: days
  EXPECT_EQ(zahl<std::uint16_t>(par, 2), 1);         // level 1: text
  EXPECT_EQ(zahl<std::int64_t>(par, 20 + 4), 1200);  // level 2: 12.00 %
  EXPECT_EQ(zahl<std::int64_t>(par, 20 + 12), 500);  // level 2: 5.00
  EXPECT_EQ(zahl<std::uint16_t>(par, 100), 10);      // payment term
  EXPECT_EQ(zahl<std::int64_t>(par, 102), 1000);     // minimum per item
  EXPECT_EQ(par.substr(116, 9), "\x08Standard");
  EXPECT_EQ(par.substr(342 + 116, 7), "\x06Streng");
  EXPECT_EQ(par.substr(2 * 342, 342), std::string(342, '\0'));
  // What the client holds is what the file holds.
  EXPECT_EQ(t.m->mahnkenn.bytes(), par);
  EXPECT_TRUE(mahnkennziffer_definiert(mahnkennziffer(*t.m, 2)));
  EXPECT_FALSE(mahnkennziffer_definiert(mahnkennziffer(*t.m, 3)));
}

// F2 lists the codes in use by their names and shows the one chosen.
TEST(Mahnkennziffern, Auswahlliste) {
  TestDateisystem fs;
  Testbuchhaltung t(fs);
  ASSERT_NO_FATAL_FAILURE(t.anlegen());
  for (auto [n, name] : {std::pair{3, "Standard"}, std::pair{12, "Streng"}}) {
    Satz e(K::groesse);
    e.set(K::Bezeichnung, name);
    e.set(K::tage(1), static_cast<std::uint16_t>(n));
    mahnkennziffer_setzen(*t.m, n, e);
  }
  TFBasisMahnkennziffern d(*t.m);
  t.ui.waehle("Streng");
  t.ui.formular_skript(
      {F::druecke(Taste::F2), F::tippe("Bezeichnung", "Sehr streng"), F::druecke(Taste::Esc)});
  ASSERT_TRUE(d.ausfuehren());
  EXPECT_EQ(mahnkennziffer(*t.m, 12).get(K::Bezeichnung), "Sehr streng");
  EXPECT_EQ(mahnkennziffer(*t.m, 12).get(K::tage(1)), 12);
  EXPECT_EQ(mahnkennziffer(*t.m, 1).get(K::Bezeichnung), "");
}

TEST(Mahnkennziffern, ListeDerMahnstufen) {
  TestDateisystem fs;
  Testbuchhaltung t(fs);
  ASSERT_NO_FATAL_FAILURE(t.anlegen());
  Satz e(K::groesse);
  e.set(K::Bezeichnung, "Standard");
  e.set(K::tage(1), std::uint16_t{14});
  e.set(K::textnummer(1), std::uint16_t{1});
  e.set(K::zinssatz(2), std::int64_t{1200});
  e.set(K::gebuehr(2), std::int64_t{500});
  e.set(K::Zahlungsziel, std::uint16_t{10});
  e.set(K::MahnenAb, std::int64_t{1000});
  mahnkennziffer_setzen(*t.m, 7, e);
  ASSERT_TRUE(mahnkennziffern_drucken(*t.m));
  const auto zeilen = t.ui.druckauftraege().back().alle_zeilen();
  const std::vector<std::string> erwartet = {
      "Nummer  Bezeichnung                                  Mahnung ab ",
      "        Tage   Format   V-Zinsen %    Mahngebühren    Zahlungsziel",
      std::string(79, '-'),
      "     7  Standard                                          10,00",
      "    1.    14        1         0,00            0,00              10",
      "    2.     0        0        12,00            5,00",
      "    3.     0        0         0,00            0,00",
      "    4.     0        0         0,00            0,00",
      "    5.     0        0         0,00            0,00",
      "",
  };
  ASSERT_GE(zeilen.size(), erwartet.size());
  EXPECT_EQ(std::vector<std::string>(zeilen.end() - static_cast<std::ptrdiff_t>(erwartet.size()),
                                     zeilen.end()),
            erwartet);
}

TEST(Mahntexte, DosCodepageUndPlatzhalter) {
  TestDateisystem fs;
  Testbuchhaltung t(fs);
  ASSERT_NO_FATAL_FAILURE(t.anlegen());
  TFBasisMahntexte d(*t.m);
  t.ui.formular_skript({
      F::tippe("Nummer", "2"),
      F::tippe("Vortext 1", "Sehr geehrte Damen und Herren,"),
      F::tippe("Nachtext 10", "Bitte zahlen Sie bis »00.00.0000«."),
      F::druecke(Taste::BildAuf),  // text 1 stays empty
      F::druecke(Taste::Esc),
  });
  ASSERT_TRUE(d.ausfuehren());
  const std::string par = datei(fs, *t.m, "MAHNTEXT.PAR");
  ASSERT_EQ(par.size(), 99u * 1470u);
  EXPECT_EQ(par.substr(0, 1470), std::string(1470, '\0'));
  const std::string zwei = par.substr(1470, 1470);
  EXPECT_EQ(zwei.substr(0, 31),
            "\x1E"
            "Sehr geehrte Damen und Herren,");
  // The placeholder's delimiters are the DOS code page's » (0xAF) and « (0xAE).
  EXPECT_EQ(zwei.substr(610 + 9 * 61, 35),
            "\x22"
            "Bitte zahlen Sie bis \xAF"
            "00.00.0000\xAE.");
  EXPECT_EQ(mahntexte_lesen(*t.m)[1].get(MahntextFelder::nachtext(9)),
            "Bitte zahlen Sie bis »00.00.0000«.");

  // A second text cleared after the question.
  TFBasisMahntexte d2(*t.m);
  t.ui.formular_skript({F::tippe("Nummer", "2"), F::druecke(Taste::F8), F::druecke(Taste::Esc)});
  t.ui.erwarte_frage("Alle Daten dieses Mahntextes löschen?", true);
  ASSERT_TRUE(d2.ausfuehren());
  EXPECT_EQ(datei(fs, *t.m, "MAHNTEXT.PAR"), std::string(99 * 1470, '\0'));
}

}  // namespace
}  // namespace fibu
