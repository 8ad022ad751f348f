// Random books of the years of every form layout: the official form, as
// the real printer adds it up, pays exactly what the check list says, with
// and without the directly booked input tax taken over. Bases are whole
// euros, so rounding account by account (the list) and line by line (the
// form) agree; taxes and input tax are any cents. The Kennzahlen of the
// electronic return come to the same payment.
#include <gtest/gtest.h>

#include <random>

#include "ustbuchhaltung.h"

namespace fibu {
namespace {

// Where a year's form takes each kind of amount.
struct Formularjahr {
  int jahr;
  int umsatz_allgemein, umsatz_ermaessigt;
  int erwerb_allgemein, erwerb_ermaessigt;
  int vorsteuer, vorsteuer_erwerb;
};

const Formularjahr formularjahre[] = {
    {2003, 28, 29, 37, 38, 55, 56},  // 16 %
    {2006, 27, 28, 35, 36, 55, 56},  // 16 %
    {2008, 27, 28, 35, 36, 55, 56},  // 19 %
    {2011, 27, 28, 34, 35, 55, 56},
    {2012, 26, 27, 33, 34, 56, 57},
};

TEST(Formularsumme, DasFormularZahltWasDiePruefliste) {
  std::mt19937 zufall(20121231);
  auto euro = [&](int bis) { return Betrag{100} * std::uniform_int_distribution<int>(0, bis)(zufall); };
  auto cent = [&](int bis) { return Betrag{std::uniform_int_distribution<int>(0, bis)(zufall)}; };
  auto anzahl = [&](int bis) { return std::uniform_int_distribution<int>(0, bis)(zufall); };

  for (const Formularjahr& j : formularjahre) {
    for (int buch = 0; buch < 12; ++buch) {
      SCOPED_TRACE(std::to_string(j.jahr) + ", Buch " + std::to_string(buch));
      const int periode = 1 + anzahl(10);
      Ustbuchhaltung b(j.jahr);
      b.m->basis.set(BasisFelder::SteuerkontenDirektBebuchbar, true);
      std::vector<Ustkontodaten> konten;
      int nummer = 8000;
      // Some accounts of each kind, with credits and a few debits in the
      // period, and other periods' amounts the return must not see.
      auto konto = [&](int kontenart, int zeile, int schluessel, Betrag soll, Betrag haben) {
        konten.push_back({++nummer, "Konto", kontenart, zeile, schluessel, periode, soll, haben});
        konten.push_back({nummer, "Konto", kontenart, zeile, schluessel, periode == 1 ? 2 : 1,
                          euro(900), euro(900)});
      };
      for (int i = anzahl(3); i > 0; --i)
        konto(3, j.umsatz_allgemein, 1, anzahl(3) == 0 ? euro(500) : 0, euro(90000));
      for (int i = anzahl(2); i > 0; --i) konto(3, j.umsatz_ermaessigt, 2, 0, euro(40000));
      for (int i = anzahl(2); i > 0; --i) konto(5, j.erwerb_allgemein, 19, euro(20000), 0);
      for (int i = anzahl(1); i > 0; --i) konto(5, j.erwerb_ermaessigt, 2, euro(5000), 0);
      for (int i = anzahl(3); i > 0; --i)
        konto(4, j.vorsteuer, 0, cent(2000000), anzahl(4) == 0 ? cent(50000) : 0);
      for (int i = anzahl(1); i > 0; --i) konto(4, j.vorsteuer_erwerb, 0, cent(400000), 0);
      const bool direkt = anzahl(1) == 1;
      if (direkt) konto(0, 99, 0, cent(100000), 0);
      b.konten(konten);

      const Pruefliste p =
          pruefliste_berechnen(*b.m, ustkonten_lesen(*b.m, periode, periode), true);
      const bool uebernehmen = anzahl(1) == 1;
      if (direkt && p.summe_direkt != 0)
        b.ui.erwarte_frage("direkt gebuchte Vorsteuer", uebernehmen);
      Anmeldeoptionen o;
      o.periode_von = o.periode_bis = periode;
      EXPECT_TRUE(amtliches_formular(*b.m, o, p, true, amtlicher_formulardrucker()));
      // "Summe stimmt nicht …" would stand here.
      EXPECT_EQ(b.ui.meldungen(), std::vector<std::string>{});
      EXPECT_EQ(b.ui.druckauftraege().size(), 1u);
      b.ui.alles_verbraucht();

      // The printer's own total, without the comparison in between.
      Formularauftrag a;
      a.jahr = j.jahr;
      a.monat = periode;
      Formularwerte w = formularwerte_fuellen(ustkonten_lesen(*b.m, periode, periode));
      ASSERT_TRUE(steuerformular_drucken(*b.m, a, w));
      EXPECT_EQ(w.summe, p.zu_zahlen);
      // The electronic return takes the same Kennzahlen.
      EXPECT_EQ(formularkennzahlen(j.jahr, w).zahlung, p.zu_zahlen);
    }
  }
}

}  // namespace
}  // namespace fibu
