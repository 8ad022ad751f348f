// The VAT advance return through the batch tool on the demo client: the
// check list is written; the official form needs a real printer, so a run
// into text files says so and fails.
#include <gtest/gtest.h>

#include "batchdemo.h"
#include "suite/allgemei.h"
#include "vat/steueranmeldung.h"

namespace fibu {
namespace {

TEST(UstBatch, PruefListeJaFormularNurAufEinemDrucker) {
  Demo d;
  std::string log;
  EXPECT_EQ(d.lauf("Umsatzsteuervoranmeldung / Perioden = 1\n"
                   "Umsatzsteuervoranmeldung / bis = 1\n",
                   {"311"}, &log),
            1)
      << log;
  EXPECT_NE(log.find("Meldung: Bitte wählen Sie einen echten Drucker aus!\n"), std::string::npos)
      << log;
  EXPECT_NE(log.find("Befehl 311 ist nicht oder nicht fehlerfrei ausgeführt worden."),
            std::string::npos);
  const auto liste = textzeilen(lies(d.tmp / "aus/001-Steueranmeldung.txt"));
  ASSERT_FALSE(liste.empty()) << log;
  // January 2007 of the demo: 7 % of 4960.00 = 347.20 and 19 % of
  // 19334.00 = 3673.46, less the input tax of 1686.04.
  EXPECT_EQ(liste.back(),
            "Zu zahlen                                                               2334.62");
  std::string summe;
  for (const auto& z : liste)
    if (z.rfind("**** Summe Umsätze", 0) == 0) summe = z;
  EXPECT_EQ(summe,
            "**** Summe Umsätze                                     24294.00         4020.66           "
            "-0.12");
}

// The demo year's form, printed on a printer: the template's lines of the
// 2012 form were moved to those of 2007, so every amount has its place and
// the form pays what the check list says.
TEST(UstBatch, DasFormularDesDemojahresStimmtMitDerPruefliste) {
  Demo d;
  GeoeffneteDemo g(d.ws);
  Mandant& m = *g.m;
  TestInteraktion& ui = g.ui;
  for (int periode : {1, 3}) {
    SCOPED_TRACE(periode);
    Anmeldeoptionen o;
    o.periode_von = o.periode_bis = periode;
    const Pruefliste p = pruefliste_berechnen(m, ustkonten_lesen(m, periode, periode), true);
    EXPECT_GT(p.zu_zahlen, 0);
    EXPECT_TRUE(amtliches_formular(m, o, p, true, amtlicher_formulardrucker()));
    EXPECT_EQ(ui.meldungen(), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace fibu
