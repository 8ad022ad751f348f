// The EU sales list on the books of eubuchhaltung.h: which customers and
// bookings count and with which sign, one line per id, whole euros, the
// quarter the dialog proposes, the printed list and the portal file as
// golden text, and a file written whole or not at all.
#include "vat/zusammenfassende_meldung.h"

#include <gtest/gtest.h>

#include "eubuchhaltung.h"

namespace fibu {
namespace {

// The lines of a CSV file without their CR LF.
std::vector<std::string> textzeilen_der_datei(const std::string& text) {
  std::vector<std::string> zeilen;
  std::size_t a = 0;
  for (std::size_t e; (e = text.find("\r\n", a)) != std::string::npos; a = e + 2)
    zeilen.push_back(text.substr(a, e - a));
  return zeilen;
}

using B = BasisFelder;
using Z = std::vector<std::string>;

constexpr const char* datei = "/r/FIBU/001/2024/ZM_2024_01-03.CSV";

ZmAuswahl erstes_quartal(const Mandant& m) {
  ZmAuswahl a = zm_vorgabe(m);
  a.periode_von = 1;
  a.periode_bis = 3;
  a.dateiname = zm_dateiname(m, 1, 3);
  return a;
}

std::string zeilen_text(const std::vector<ZmZeile>& zeilen) {
  std::string s;
  for (const auto& z : zeilen) s += z.land + " " + z.nummer + " " + std::to_string(z.betrag) + "\n";
  return s;
}

TEST(ZusammenfassendeMeldung, KundenBuchungenUndVorzeichen) {
  EuBuchhaltung u;
  const auto zeilen = zm_berechnen(u.m(), 1, 3);
  ASSERT_TRUE(zeilen);
  // FR: two accounts of one id (one written " fr…"), 1000.00 + 234.56 +
  //     100.00 = 1334.56, one line of 1334;
  // AT: opening booking and payment left out, invoice 1000.00 (debit) and
  //     credit note 200.00 (credit) give 800, not 1200;
  // NL: 500.00 less 500.00 is 0 and not listed;
  // IT: 1000.99 on the last day gives 1000, the invoice of 1 April is
  //     outside; ES: a credit note alone is cut towards zero, -150.
  // Not listed: the own country (DE), the customer without id, suppliers.
  EXPECT_EQ(zeilen_text(*zeilen),
            "FR 12345678901 133400\n"
            "AT U12345678 80000\n"
            "IT 01234567890 100000\n"
            "ES A12345674 -15000\n");
  // The same books a quarter later: only the April invoice.
  EXPECT_EQ(zeilen_text(*zm_berechnen(u.m(), 4, 6)), "IT 01234567890 40000\n");
}

TEST(ZusammenfassendeMeldung, VorgabeDerPerioden) {
  struct Fall {
    int perioden, aktuell, von, bis;
  } faelle[] = {{12, 1, 1, 3},    {12, 3, 1, 3},   {12, 5, 4, 6}, {12, 9, 7, 9},
                {12, 12, 10, 12}, {12, 13, 1, 12}, {4, 2, 2, 2},  {13, 13, 13, 13}};
  EuBuchhaltung u;
  for (const Fall& f : faelle) {
    SCOPED_TRACE(std::to_string(f.perioden) + "/" + std::to_string(f.aktuell));
    u.m().basis.set(B::AnzahlPerioden, static_cast<std::uint8_t>(f.perioden));
    u.m().basis.set(B::AktuellePeriode, static_cast<std::uint8_t>(f.aktuell));
    const ZmAuswahl a = zm_vorgabe(u.m());
    EXPECT_EQ(a.periode_von, f.von);
    EXPECT_EQ(a.periode_bis, f.bis);
    EXPECT_EQ(a.dateiname, zm_dateiname(u.m(), f.von, f.bis));
  }
}

TEST(ZusammenfassendeMeldung, ListeUndDateiDesErstenQuartals) {
  EuBuchhaltung u;
  ASSERT_TRUE(zusammenfassende_meldung(u.m(), erstes_quartal(u.m())));
  golden_vergleich("zm_2024_q1.txt", als_text(u.alles()));
  EXPECT_EQ(u.t.ui.meldungen(),
            Z{std::string("Die Datei für das BZSt-Online-Portal ist geschrieben:\r") + datei});
  std::string csv;
  ASSERT_TRUE(u.fs.lies_datei(datei, csv));
  golden_vergleich("zm_2024_q1.csv", csv);
  EXPECT_EQ(csv, zm_csv(*zm_berechnen(u.m(), 1, 3), Leistungsart::Lieferung));
  EXPECT_EQ(zm_csv({{"FR", "123", 500}}, Leistungsart::Dreieck),
            "#v3.0\r\nUSt-IdNr.,Betrag (EUR),Art der Leistung\r\nFR123,5,D\r\n");
}

TEST(ZusammenfassendeMeldung, DateiGanzOderGarNicht) {
  // The printer cancelled: nothing is read, nothing written.
  {
    EuBuchhaltung u;
    u.t.ui.drucker_ablehnen();
    EXPECT_FALSE(zusammenfassende_meldung(u.m(), erstes_quartal(u.m())));
    EXPECT_FALSE(u.fs.existiert(datei));
  }
  // A write that fails leaves no file and says so.
  {
    EuBuchhaltung u;
    u.fs.stoere(1, TestDateisystem::Stoerung::Teilweise);
    EXPECT_FALSE(zusammenfassende_meldung(u.m(), erstes_quartal(u.m())));
    u.fs.keine_stoerung();
    EXPECT_FALSE(u.fs.existiert(datei));
    EXPECT_EQ(u.t.ui.meldungen(),
              Z{std::string("Die Datei ") + datei + " konnte nicht geschrieben werden!"});
  }
  // Nothing to report: the list, and no file.
  {
    EuBuchhaltung u;
    ZmAuswahl a = erstes_quartal(u.m());
    a.periode_von = a.periode_bis = 7;
    EXPECT_TRUE(zusammenfassende_meldung(u.m(), a));
    EXPECT_EQ(u.alles().size(), 9u);  // header and column line only
    EXPECT_EQ(u.t.ui.meldungen(),
              Z{"Im gewählten Zeitraum gibt es nichts zu melden, es wurde keine Datei für das "
                "BZSt-Online-Portal geschrieben."});
  }
}

TEST(ZusammenfassendeMeldung, Dialog) {
  EuBuchhaltung u;
  u.m().basis.set(B::AktuellePeriode, std::uint8_t{5});
  TFZusammenfassendeMeldung d(u.m());
  EXPECT_EQ(d.form().zahl(2), 4);
  EXPECT_EQ(d.form().zahl(3), 6);
  u.t.ui.formular_skript({
      Formularschritt::tippe("Perioden", "3"),
      Formularschritt::tippe("bis", "2"),
      Formularschritt::druecke(Taste::Esc),
      Formularschritt::tippe("Perioden", "1"),
      Formularschritt::tippe("bis", "3"),
      Formularschritt::tippe("Art der Leistung", "S Sonstige Leistung"),
      Formularschritt::tippe("Dateiname", " "),
      Formularschritt::druecke(Taste::Esc),
      Formularschritt::tippe("Dateiname", "/r/ZM.CSV"),
      Formularschritt::druecke(Taste::Esc),
  });
  ASSERT_TRUE(d.ausfuehren());
  EXPECT_EQ(
      u.t.ui.meldungen(),
      (Z{"Die Von-Periode ist größer als die Bis-Periode!", "Bitte geben Sie einen Dateinamen an!",
         "Die Datei für das BZSt-Online-Portal ist geschrieben:\r/r/ZM.CSV"}));
  std::string csv;
  ASSERT_TRUE(u.fs.lies_datei("/r/ZM.CSV", csv));
  EXPECT_EQ(textzeilen_der_datei(csv).at(2), "FR12345678901,1334,S");
  EXPECT_EQ(trim(u.alles()[2]), "Zeitraum: Perioden 1 - 3: 01.01.2024 - 31.03.2024");
}

}  // namespace
}  // namespace fibu
