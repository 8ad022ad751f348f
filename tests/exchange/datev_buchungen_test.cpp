// Which bookings go to DATEV and how, on the small test client: documents
// of two lines become one record, split documents go through the clearing
// account, the account that needs a DATEV tax key goes to the counter
// account's place, the keys by rate, kind and year, the customer variant
// taking its key from the document's GL line, documents kept back whole,
// payment-module numbers, and documents that never balance.
#include "exchange/datev_buchungen.h"

#include <gtest/gtest.h>

#include "../posting/testbuchhaltung.h"
#include "exchange/datev_extf.h"
#include "exchange/datev_traeger.h"

namespace fibu {
namespace {

using S = SachFelder;
using BF = BasisFelder;

Datum tag(int t, int m = 1) {
  return DMYtoDate(t, m, 2024);
}

struct Buecher {
  TestDateisystem fs;
  Testbuchhaltung t{fs};
  std::int64_t n = 0;

  Buecher() {
    t.anlegen();
    Satz& b = t.m->basis;
    // 19 % keys: 3 output VAT on 1776, 4 input VAT on 1576, 5 on 1999,
    // a tax account of no tax kind.
    for (auto [k, konto] : {std::pair{3, 1776}, std::pair{4, 1576}, std::pair{5, 1999}}) {
      b.set(BF::steuerkonto(k), static_cast<std::int32_t>(konto));
      b.set(BF::steuersatz(k), std::int64_t{1900});
    }
    EXPECT_TRUE(t.m->schreibe_basis());
    // Revenue 4400 and expense 3400 are no automatic accounts at DATEV:
    // they need the key.
    for (int konto : {4400, 3400}) {
      EXPECT_TRUE(t.m->sach->suchen(t.m->sachkonto_text(konto)));
      t.m->sach->satz().set(S::DatevSteuerschluessel, std::uint8_t{1});
      EXPECT_TRUE(t.m->sach->speichern(t.m->sachkonto_text(konto)));
    }
    t.m->sach->leeren();
    t.m->sach->satz().set(S::Bezeichnung1, "Verrechnung");
    EXPECT_TRUE(t.m->sach->speichern(t.m->sachkonto_text(1360)));
  }

  void zeile(const std::string& konto, char sh, Betrag betrag, const std::string& gegen,
             const std::string& steuer, char art, const std::string& beleg, Datum datum) {
    t.buchung(konto, sh, betrag, gegen, steuer, art, beleg, 1, datum);
    ASSERT_TRUE(t.kern->buchen(++n));
  }

  // The book of most tests (booking numbers in brackets).
  void standard() {
    // [1, 2] opening bookings.
    zeile("1200", 'S', 30000, "9000", "", 'E', "1", tag(1));
    zeile("9000", 'H', 30000, "1200", "", 'E', "1", tag(1));
    // [3, 4] an invoice: the revenue line carries key 3.
    zeile("10001", 'S', 11900, "4400", "", 'R', "100", tag(2));
    zeile("4400", 'H', 11900, "10001", "3", 'R', "100", tag(2));
    // [5-7] an invoice split over two rates.
    zeile("10001", 'S', 22600, "4400", "", 'R', "101", tag(3));
    zeile("4400", 'H', 11900, "10001", "3", 'R', "101", tag(3));
    zeile("4400", 'H', 10700, "10001", "2", 'R', "101", tag(3));
    // [8, 9] a supplier invoice of the payment module, 16 % input VAT.
    zeile("70001", 'H', 11600, "3400", "", 'R', "Z200", tag(4));
    zeile("3400", 'S', 11600, "70001", "9", 'R', "Z200", tag(4));
    // [10, 11] a document number the carrier cannot take.
    zeile("1200", 'S', 500, "1000", "", ' ', "A123", tag(5));
    zeile("1000", 'H', 500, "1200", "", ' ', "A123", tag(5));
    // [12, 13] two accounts that both need a key.
    zeile("4400", 'S', 100, "3400", "", ' ', "102", tag(6));
    zeile("3400", 'H', 100, "4400", "", ' ', "102", tag(6));
    // [14, 15] a key whose tax account is of no tax kind.
    zeile("1200", 'S', 1190, "4400", "", ' ', "103", tag(7));
    zeile("4400", 'H', 1190, "1200", "5", ' ', "103", tag(7));
  }

  struct Lauf {
    std::vector<std::string> saetze;
    std::vector<std::string> protokoll;
    DatevErgebnis e;
    bool enthaelt(const std::string& zeile) const {
      return std::find(protokoll.begin(), protokoll.end(), zeile) != protokoll.end();
    }
  };

  Lauf lauf(DatevAuswahl a, bool traeger = true, bool eroeffnung_unterdruecken = false) {
    DatevLauf l;
    l.auswahl = a;
    l.von = tag(1);
    l.bis = tag(31, 12);
    l.verrechnungskonto = "1360";
    l.eroeffnung_unterdruecken = eroeffnung_unterdruecken;
    if (traeger)
      l.belegnummer = [](const std::string& nr) {
        return datev_traeger_belegnummer(DatevVariante::Erweitert, nr);
      };
    else
      l.belegnummer = extf_belegnummer;
    Lauf r;
    r.e = datev_buchungen(
        *t.m, l,
        [&r](const DatevBuchung& d) {
          r.saetze.push_back(d.konto + " " + d.gegenkonto + " " + std::to_string(d.betrag) + " " +
                             std::to_string(d.steuerschluessel) + " " + d.belegnr);
          return true;
        },
        [&r](const std::string& z) { r.protokoll.push_back(z); });
    return r;
  }
};

TEST(DatevBuchungen, AlleBuchungenGruppiertMitSchluesselnUndVerrechnungskonto) {
  Buecher b;
  ASSERT_NO_FATAL_FAILURE(b.standard());
  const auto r = b.lauf(DatevAuswahl::Alle);
  EXPECT_EQ(r.saetze, (std::vector<std::string>{
                          // One record per two-line document, from the first
                          // line when the second yields no key.
                          "1200 9000 30000 0 1",
                          // From the revenue line, which yields key 3; 4400
                          // needs the key, so it is the counter account and
                          // the sign turns: the customer's debit.
                          "10001 4400 11900 3 100",
                          // A split document: every line against 1360.
                          "10001 1360 22600 0 101",
                          "1360 4400 11900 3 101",
                          "1360 4400 10700 2 101",
                          // "Z200" and "A123" are kept back whole.
                          // Both accounts need a key: none is sent.
                          "3400 4400 -100 0 102",
                          // No key for a tax account of no tax kind.
                          "1200 4400 1190 0 103",
                      }));
  EXPECT_TRUE(r.enthaelt("!!! Belegnummer >Z200< nicht numerisch, Buchung wird nicht uebergeben!"));
  EXPECT_TRUE(r.enthaelt("!!! Belegnummer >A123< nicht numerisch, Buchung wird nicht uebergeben!"));
  EXPECT_TRUE(r.enthaelt("!!! Beide Sachkonten sind als Nicht-Automatikkonten definiert!"));
  EXPECT_TRUE(r.enthaelt("Der Steuerprozentsatz des Kontos \"1999\" ist 19% und kann"));
  EXPECT_TRUE(r.enthaelt("nicht an die Datev übergeben werden!"));
  // Four bookings did not go, two of them from the payment module; the
  // total is that of the records written, not of all bookings.
  EXPECT_EQ(r.e.saetze, 7);
  EXPECT_EQ(r.e.nicht_uebergeben, 4);
  EXPECT_EQ(r.e.zahlungsverkehr, 2);
  EXPECT_EQ(r.e.offene_gruppen, 0);
  EXPECT_EQ(r.e.summe, 30000 + 11900 + 22600 + 11900 + 10700 - 100 + 1190);
}

TEST(DatevBuchungen, EXTFNimmtAuchZahlungsverkehrUndBuchstaben) {
  Buecher b;
  ASSERT_NO_FATAL_FAILURE(b.standard());
  const auto r = b.lauf(DatevAuswahl::Alle, false, true);
  // Opening bookings suppressed; "Z200" goes, from its expense line (16 %
  // input VAT in 2024: key 7), with the supplier's credit.
  EXPECT_EQ(r.saetze, (std::vector<std::string>{
                          "10001 4400 11900 3 100",
                          "10001 1360 22600 0 101",
                          "1360 4400 11900 3 101",
                          "1360 4400 10700 2 101",
                          "70001 3400 -11600 7 Z200",
                          "1200 1000 500 0 A123",
                          "3400 4400 -100 0 102",
                          "1200 4400 1190 0 103",
                      }));
  EXPECT_EQ(r.e.nicht_uebergeben, 0);
}

TEST(DatevBuchungen, PersonenvariantenNehmenDenSchluesselDerSachzeile) {
  Buecher b;
  ASSERT_NO_FATAL_FAILURE(b.standard());
  // The customer line has no key of its own: the revenue line's key 3.
  auto r = b.lauf(DatevAuswahl::Debitoren);
  EXPECT_EQ(r.saetze,
            (std::vector<std::string>{"10001 4400 11900 3 100", "10001 4400 22600 3 101"}));
  // The supplier's only booking comes from the payment module.
  r = b.lauf(DatevAuswahl::Kreditoren);
  EXPECT_TRUE(r.saetze.empty());
  EXPECT_EQ(r.e.nicht_uebergeben, 1);
  EXPECT_EQ(r.e.zahlungsverkehr, 1);
  r = b.lauf(DatevAuswahl::Kreditoren, false);
  EXPECT_EQ(r.saetze, (std::vector<std::string>{"70001 3400 -11600 7 Z200"}));
}

TEST(DatevBuchungen, SchluesselNachSatzArtUndJahr) {
  const Satz basis = [] {
    Satz s(BF::groesse);
    const std::pair<int, std::int64_t> schluessel[] = {
        {1, 0}, {2, 700}, {3, 1600}, {4, 1900}, {5, 550}};
    for (auto [k, satz] : schluessel) {
      s.set(BF::steuerkonto(k), static_cast<std::int32_t>(100 + k));
      s.set(BF::steuersatz(k), satz);
      s.set(BF::steuerkonto(10 + k), static_cast<std::int32_t>(200 + k));
      s.set(BF::steuersatz(10 + k), satz);
    }
    return s;
  }();
  // 101.. are output VAT accounts, 201.. input VAT accounts.
  const auto art = [](std::int32_t konto) { return konto < 200 ? 2 : 4; };
  const auto nur_4400 = [](const std::string& k) { return k == "4400"; };
  struct Fall {
    int schluessel, jahr, erwartet;
  };
  const Fall faelle[] = {
      {1, 2024, 1},  {2, 2024, 2},  {3, 2006, 3},  {3, 2007, 5},  {4, 2024, 3}, {12, 2024, 8},
      {13, 2006, 9}, {13, 2007, 7}, {14, 2024, 9}, {11, 2024, 0},  // no input VAT key at 0 %
      {5, 2024, 0},                                                // 5.5 % has no key
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(std::to_string(f.schluessel) + "/" + std::to_string(f.jahr));
    Satz bu(BuchungFelder::groesse);
    bu.set(BuchungFelder::Konto, "4400");
    bu.set(BuchungFelder::Gegenkonto, "10001");
    bu.set(BuchungFelder::Steuerschluessel, std::to_string(f.schluessel));
    bu.set(BuchungFelder::Datum, DMYtoDate(1, 6, f.jahr));
    const DatevSchluessel s = datev_steuerschluessel(basis, bu, nur_4400, art);
    EXPECT_EQ(s.schluessel, f.erwartet);
    EXPECT_EQ(s.meldungen.empty(), f.erwartet != 0);
  }
  Satz bu(BuchungFelder::groesse);
  bu.set(BuchungFelder::Konto, "4400");
  bu.set(BuchungFelder::Steuerschluessel, "5");
  bu.set(BuchungFelder::Datum, DMYtoDate(1, 6, 2024));
  EXPECT_EQ(datev_steuerschluessel(basis, bu, nur_4400, art).meldungen,
            (std::vector<std::string>{"Der Steuerprozentsatz des Kontos \"105\" ist 5,5% und kann",
                                      "nicht an die Datev übergeben werden!"}));
  // Neither account needs a key: none, and no line.
  EXPECT_TRUE(datev_steuerschluessel(
                  basis, bu, [](const std::string&) { return false; }, art)
                  .meldungen.empty());
}

TEST(DatevBuchungen, OffenerBelegWirdGemeldetUndAusgelassen) {
  Buecher b;
  // A document whose second line is missing, then a sound one the next day.
  ASSERT_NO_FATAL_FAILURE(b.zeile("1200", 'S', 700, "1000", "", ' ', "200", tag(20)));
  ASSERT_NO_FATAL_FAILURE(b.zeile("1200", 'S', 800, "1000", "", ' ', "201", tag(21)));
  ASSERT_NO_FATAL_FAILURE(b.zeile("1000", 'H', 800, "1200", "", ' ', "201", tag(21)));
  // And one left open at the end.
  ASSERT_NO_FATAL_FAILURE(b.zeile("1200", 'S', 900, "1000", "", ' ', "202", tag(22)));
  const auto r = b.lauf(DatevAuswahl::Alle);
  EXPECT_EQ(r.saetze, (std::vector<std::string>{"1200 1000 800 0 201"}));
  EXPECT_TRUE(r.enthaelt(
      "!!! Der Buchungsvorgang ab Zeile 1 ist nicht ausgeglichen, seine 1 Buchungen werden nicht "
      "uebergeben!"));
  EXPECT_TRUE(r.enthaelt(
      "!!! Der Buchungsvorgang ab Zeile 4 ist nicht ausgeglichen, seine 1 Buchungen werden nicht "
      "uebergeben!"));
  EXPECT_EQ(r.e.offene_gruppen, 2);
  EXPECT_EQ(r.e.nicht_uebergeben, 2);
  EXPECT_EQ(r.e.summe, 800);
}

TEST(DatevBuchungen, TextNachWahl) {
  Satz bu(BuchungFelder::groesse);
  bu.set(BuchungFelder::Text1, "  Miete ");
  bu.set(BuchungFelder::Text2, "Mai");
  EXPECT_EQ(datev_text(bu, true, "Mietaufwand", 30), "Miete Mai");
  EXPECT_EQ(datev_text(bu, false, "Mietaufwand", 30), "Mietaufwand");
  bu.set(BuchungFelder::Text1, std::string(40, 'x'));
  EXPECT_EQ(datev_text(bu, true, "", 30), std::string(30, 'x'));
  bu.set(BuchungFelder::Text1, "");
  bu.set(BuchungFelder::Text2, "");
  EXPECT_EQ(datev_text(bu, true, "Kunde 10001", 30), "Kunde 10001");
}

}  // namespace
}  // namespace fibu
