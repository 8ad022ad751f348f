// A DATEV carrier written over an older one, cut by a power loss after
// every write in turn: the target then holds the old pair of files, the new
// pair, or one data file whole without a control file; never a data file
// cut short or a control file that describes another data file.
#include <gtest/gtest.h>

#include "../posting/testbuchhaltung.h"
#include "exchange/datev_export.h"

namespace fibu {
namespace {

using F = Formularschritt;

struct Ziel {
  std::optional<std::string> daten, steuer;
};

Ziel ziel(TestDateisystem& fs) {
  Ziel z;
  std::string inhalt;
  if (fs.existiert("/ziel/ED00001") && fs.lies_datei("/ziel/ED00001", inhalt)) z.daten = inhalt;
  if (fs.existiert("/ziel/EV01") && fs.lies_datei("/ziel/EV01", inhalt)) z.steuer = inhalt;
  return z;
}

// The books, the old carrier in the target, then the run; false when the
// run did not finish.
bool uebergabe(TestDateisystem& fs, Testbuchhaltung& t, std::uint64_t stoerung) {
  t.anlegen();
  t.m->basis.set(BasisFelder::DatevErweitert, true);
  EXPECT_TRUE(t.m->schreibe_basis());
  EXPECT_TRUE(fs.verzeichnis_anlegen("/ziel"));
  EXPECT_TRUE(fs.schreibe_datei_atomar("/ziel/ED00001", "ALTE DATEN"));
  EXPECT_TRUE(fs.schreibe_datei_atomar("/ziel/EV01", "ALTE STEUERDATEI"));
  t.m->sach->leeren();
  t.m->sach->satz().set(SachFelder::Bezeichnung1, "Verrechnung");
  EXPECT_TRUE(t.m->sach->speichern(t.m->sachkonto_text(1360)));
  for (int i = 0; i < 40; ++i) {
    const std::string beleg = std::to_string(100 + i);
    t.buchung("10001", 'S', 11600 + i, "4400", "", 'R', beleg);
    EXPECT_TRUE(t.kern->buchen(2 * i + 1));
    t.buchung("4400", 'H', 11600 + i, "10001", "1", 'R', beleg);
    EXPECT_TRUE(t.kern->buchen(2 * i + 2));
  }
  t.ui.formular_skript({F::tippe("Zielverzeichnis", "/ziel"), F::tippe("Beraternummer", "12345"),
                        F::tippe("Beratername", "Muster"), F::tippe("Mandantennummer", "1"),
                        F::tippe("DFV-Kennzeichen", "AB"), F::tippe("Abrechnungsnummer", "5"),
                        F::tippe("Datum von", "01.01.2024"), F::tippe("Datum bis", "31.12.2024"),
                        F::tippe("Verrechnungskonto (für Splitbuchungen)", "1360"),
                        F::druecke(Taste::Esc)});
  if (stoerung) fs.stoere(stoerung, TestDateisystem::Stoerung::Absturz);
  return datev_buchungen_uebergeben(*t.m, DatevAuswahl::Alle);
}

TEST(DatevAbsturz, TraegerGanzOderGarNicht) {
  Ziel neu;
  {
    TestDateisystem fs;
    Testbuchhaltung t(fs);
    ASSERT_TRUE(uebergabe(fs, t, 0));
    neu = ziel(fs);
    ASSERT_TRUE(neu.daten && neu.steuer);
    ASSERT_GT(neu.daten->size(), 256u);  // more than one block
    // The header of the data file names the bookings' accounting number, as
    // the control file does (the balances' number is still "0001").
    EXPECT_EQ(neu.daten->substr(22, 6), "000524");
    EXPECT_EQ(neu.steuer->substr(130 + 22, 6), "000524");
  }
  int alt = 0, ganz = 0, ohne_steuerdatei = 0;
  for (std::uint64_t n = 1;; ++n) {
    SCOPED_TRACE(n);
    ASSERT_LT(n, 200u);
    TestDateisystem fs;
    Testbuchhaltung t(fs);
    const bool ok = uebergabe(fs, t, n);
    const bool abgestuerzt = fs.abgestuerzt();
    t.schliessen();
    fs.absturz(TestDateisystem::Verbleib::Zufall, static_cast<std::uint32_t>(n));
    const Ziel z = ziel(fs);
    if (!abgestuerzt) {
      // Past the last write: the run is complete.
      EXPECT_TRUE(ok);
      EXPECT_EQ(z.daten, neu.daten);
      EXPECT_EQ(z.steuer, neu.steuer);
      break;
    }
    EXPECT_FALSE(ok);
    if (z.daten == "ALTE DATEN") {
      // The old pair, or the old data alone once their control file is gone.
      if (z.steuer) {
        EXPECT_EQ(z.steuer, "ALTE STEUERDATEI");
      }
      ++alt;
    } else if (z.steuer) {
      EXPECT_EQ(z.daten, neu.daten);
      EXPECT_EQ(z.steuer, neu.steuer);
      ++ganz;
    } else {
      // The old control file went first; the new data file is whole.
      EXPECT_EQ(z.daten, neu.daten);
      ++ohne_steuerdatei;
    }
  }
  EXPECT_GT(alt, 0);
  EXPECT_GT(ohne_steuerdatei + ganz, 0);
}

}  // namespace
}  // namespace fibu
