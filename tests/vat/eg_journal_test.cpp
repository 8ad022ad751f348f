// The EU journal on the books of eubuchhaltung.h: the fixed quarter with
// country sums as golden text, the date bounds of every account of the
// range, the country range without regard to case, the dialog's defaults
// and checks.
#include "vat/eg_journal.h"

#include <gtest/gtest.h>

#include "eubuchhaltung.h"

namespace fibu {
namespace {

using B = BasisFelder;
using Z = std::vector<std::string>;

// Account, type and document of each booking line of the last journal.
std::string buchungen(const Z& alles) {
  std::string s;
  for (std::size_t i = 9; i < alles.size() && zeichenzahl(alles[i]) == 111 && alles[i][0] != '-';
       ++i)
    s += trim(alles[i].substr(0, 8)) + trim(alles[i].substr(9, 3)) + trim(alles[i].substr(13, 7)) +
         " ";
  return trim(s);
}

EgJournal quartal(const Mandant& m) {
  EgJournal j = eg_journal_vorgabe(m);
  j.konto_von = 10000;
  j.konto_bis = 99999;
  j.datum_von = tag24(1, 1);
  j.datum_bis = tag24(31, 3);
  j.laendersummen = true;
  return j;
}

TEST(EgJournal, ErstesQuartalMitLaendersummen) {
  EuBuchhaltung u;
  ASSERT_TRUE(eg_journal_drucken(u.m(), quartal(u.m())));
  // Every kind of booking of the foreign accounts, the supplier too; not
  // the own country, not the accounts without id, not 1 April.
  EXPECT_EQ(buchungen(u.alles()),
            "10001RR1 10004RR2 10004RR3 10005EEB 10005RR6 10005GG1 10005ZR6 10006RR7 10006GG2 "
            "10007RR8 10008GG3 70001RE1");
  golden_vergleich("egjournal_2024_q1.txt", als_text(u.alles()));
}

TEST(EgJournal, DatumGiltFuerJedesKontoDesBereichs) {
  EuBuchhaltung u;
  EgJournal j = quartal(u.m());
  j.konto_von = 10001;
  j.konto_bis = 10005;
  j.datum_von = tag24(1, 2);
  j.datum_bis = tag24(29, 2);
  ASSERT_TRUE(eg_journal_drucken(u.m(), j));
  // Neither the opening booking of 01.01. on 10005 nor the invoice of
  // 10.03. on 10004, though both lie between (10001, 01.02.) and
  // (10005, 29.02.) in the order of account and date.
  EXPECT_EQ(buchungen(u.alles()), "10004RR2 10005RR6 10005GG1 10005ZR6");
}

TEST(EgJournal, Laenderbereich) {
  struct Fall {
    const char *von, *bis, *erwartet;
  } faelle[] = {
      {"fr", "FR", "10001RR1 10004RR2 10004RR3"},
      {"A", "B", "10005EEB 10005RR6 10005GG1 10005ZR6 70001RE1"},
      {"I", "N", "10006RR7 10006GG2 10007RR8"},
      {"X", "z", ""},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.von);
    EuBuchhaltung u;
    EgJournal j = quartal(u.m());
    j.land_von = f.von;
    j.land_bis = f.bis;
    ASSERT_TRUE(eg_journal_drucken(u.m(), j));
    EXPECT_EQ(buchungen(u.alles()), f.erwartet);
  }
}

TEST(EgJournal, VorgabenUndDialog) {
  EuBuchhaltung u;
  u.m().basis.set(B::AktuellePeriode, std::uint8_t{2});
  EgJournal v = eg_journal_vorgabe(u.m());
  EXPECT_EQ(v.konto_von, 10000);
  EXPECT_EQ(v.konto_bis, 69999);
  EXPECT_EQ(v.datum_von, tag24(1, 2));
  EXPECT_EQ(v.datum_bis, tag24(29, 2));
  EXPECT_EQ(v.land_von, "0");
  EXPECT_EQ(v.land_bis, "z");
  // Every period closed: the whole year.
  for (int p = 1; p <= 12; ++p)
    u.m().basis.set(B::periode_status(p), static_cast<std::uint8_t>(p % 2 ? 2 : 3));
  v = eg_journal_vorgabe(u.m());
  EXPECT_EQ(v.datum_von, tag24(1, 1));
  EXPECT_EQ(v.datum_bis, tag24(31, 12));

  TFEGJournal d(u.m());
  u.t.ui.formular_skript({
      Formularschritt::tippe("Kontonummer", "70000"),
      Formularschritt::druecke(Taste::Esc),
      Formularschritt::tippe("#3", "99999"),
      Formularschritt::tippe("#5", "01.01.2023"),
      Formularschritt::druecke(Taste::Esc),
      Formularschritt::tippe("#5", "31.12.2024"),
      Formularschritt::druecke(Taste::Esc),
  });
  ASSERT_TRUE(d.ausfuehren());
  EXPECT_EQ(u.t.ui.meldungen(), (Z{"Die Von-Kontonummer ist größer als die Bis-Kontonummer!",
                                   "Das Von-Datum ist größer als das Bis-Datum!"}));
  EXPECT_EQ(buchungen(u.alles()), "70001RE1");
  EXPECT_EQ(trim(u.alles()[2]), "Zeitraum: 01.01.2024 - 31.12.2024");
}

}  // namespace
}  // namespace fibu
