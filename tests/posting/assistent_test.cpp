// The posting assistant played by a bookkeeper, event by event, with the
// books checked afterwards: invoices with tax on the revenue side,
// payments with discount, the down payment of a payment without item,
// offsetting two items, opening bookings, the field and booking checks,
// the period choice, and events that fail after their first line.
//
// The client of these tests also has a 19 % tax key: key 3 on output VAT
// account 1770, revenue account 8400 and discount account 8736 use it.
#include "posting/assistent.h"

#include <gtest/gtest.h>

#include "suite/test_dateisystem.h"
#include "testbuchhaltung.h"

namespace fibu {
namespace {

using B = BuchungFelder;
using BF = BasisFelder;
using O = OpstammFelder;
using P = PersonenFelder;
using S = SachFelder;
using F = Formularschritt;

void assistent_grunddaten(Testbuchhaltung& t) {
  t.anlegen();
  Mandant& m = *t.m;
  m.basis.set(BF::steuerkonto(3), std::int32_t{1770});
  m.basis.set(BF::steuersatz(3), std::int64_t{1900});
  ASSERT_TRUE(m.schreibe_basis());
  for (auto [nr, art, schluessel, name] :
       {std::tuple{1770, 2, 0, "USt 19 %"}, std::tuple{8400, 3, 3, "Erlöse 19 %"},
        std::tuple{8736, 0, 3, "Gewährte Skonti"}, std::tuple{9000, 0, 0, "Saldenvorträge"},
        std::tuple{8500, 3, 5, "Erlöse ohne Steuerkonto"}}) {
    m.sach->leeren();
    m.sach->satz().set(S::Bezeichnung1, name);
    m.sach->satz().set(S::Kontenart, static_cast<std::uint8_t>(art));
    m.sach->satz().set(S::Steuerschluessel, static_cast<std::uint8_t>(schluessel));
    m.sach->speichern(m.sachkonto_text(nr));
  }
  m.kosten->leeren();
  m.kosten->satz().set(KostenFelder::Schluessel, "K1000");
  m.kosten->satz().set(KostenFelder::Name1, "Verwaltung");
  m.kosten->satz().set(KostenFelder::FreiBebuchbar, true);
  m.kosten->speichern("K1000");
  m.buchung->offene_sicht = true;
}

// The steps of an invoice "Ausgangs-Rechnung" on customer 10001.
std::vector<Formularschritt> ausgangsrechnung(const std::string& beleg, const std::string& betrag) {
  return {F::tippe("Geschäftsvorfall", "Ausgangs-Rechnung"), F::tippe("Kundenkonto", "10001"),
          F::tippe("Belegnummer", beleg),
          F::tippe("Belegdatum", "15.01.2024"),
          F::tippe("Belegbetrag", betrag),
          F::tippe("Erlöskonto", "8400"),
          F::druecke(Taste::F8)};
}

class Assistent : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(assistent_grunddaten(t));
    assistent = std::make_unique<TFBuchungsAssistent>(*t.m, *t.kern, periode);
    assistent->nach_dem_buchen = [this](std::int64_t letzte) { gemeldet.push_back(letzte); };
  }

  // Runs the dialog with these steps, then closes its window; `danach`:
  // the scripts of the dialogs it opens.
  void spiele(std::vector<Formularschritt> schritte,
              std::vector<std::vector<Formularschritt>> danach = {}) {
    schritte.push_back(F::schliesse());
    t.ui.formular_skript(std::move(schritte));
    for (auto& d : danach) t.ui.formular_skript(std::move(d));
    assistent->ausfuehren();
    t.ui.alles_verbraucht();
  }

  Satz buchung(std::int64_t n) {
    Satz s(B::groesse);
    EXPECT_TRUE(t.m->buchung->buchung_lesen_in(n, s));
    return s;
  }
  Betrag saldo(int konto) { return t.sachkonto(konto).get(S::Saldo); }
  Betrag offen(const std::string& key) {
    auto op = t.op(key);
    EXPECT_TRUE(op.has_value()) << key;
    return op ? op->get(O::NochOffen) : 0;
  }
  std::string letzte_meldung() {
    return t.ui.meldungen().empty() ? "" : t.ui.meldungen().back();
  }
  TEntryForm& form() { return assistent->form(); }

  TestDateisystem fs;
  Testbuchhaltung t{fs};
  int periode = 1;
  std::unique_ptr<TFBuchungsAssistent> assistent;
  std::vector<std::int64_t> gemeldet;
};

TEST_F(Assistent, InvoiceOpensTheItemAndSplitsTheTaxOnTheRevenueLine) {
  auto schritte = ausgangsrechnung("9500001", "1190,00");
  schritte.insert(schritte.end() - 1, {F::tippe("Rechn.-Datum", "10.01.2024"),
                                       F::tippe("Fremdbelegnr", "P-77")});
  spiele(schritte);
  EXPECT_TRUE(t.ui.meldungen().empty()) << letzte_meldung();
  ASSERT_EQ(t.m->buchung->letzte_buchung(), 2);
  EXPECT_EQ(gemeldet, std::vector<std::int64_t>{2});

  Satz r = buchung(1);
  EXPECT_EQ(buchungsart(r), 'R');
  EXPECT_EQ(r.u8(B::SollHaben), 'S');
  EXPECT_EQ(trim(r.get(B::Konto)), "10001");
  EXPECT_EQ(trim(r.get(B::Gegenkonto)), "8400");
  EXPECT_EQ(r.get(B::Betrag), 119000);
  EXPECT_EQ(r.get(B::Steuerbetrag), 0);
  EXPECT_EQ(trim(r.get(B::Kost)), "");
  EXPECT_EQ(r.get(B::Periode), 1);
  EXPECT_EQ(trim(r.get(B::Text1)), "Erlöse 19 %");
  Satz e = buchung(2);
  EXPECT_EQ(e.u8(B::SollHaben), 'H');
  EXPECT_EQ(trim(e.get(B::Konto)), "8400");
  EXPECT_EQ(trim(e.get(B::Gegenkonto)), "10001");
  EXPECT_EQ(trim(e.get(B::Belegnr)), "9500001");
  EXPECT_EQ(trim(e.get(B::Steuerschluessel)), "3") << "the revenue account's key";
  EXPECT_EQ(e.get(B::Betrag), 100000);
  EXPECT_EQ(e.get(B::Steuerbetrag), 19000);
  EXPECT_EQ(trim(e.get(B::Text1)), "Kunde 10001");

  EXPECT_EQ(t.personenkonto(10001).get(P::soll(1)), 119000);
  EXPECT_EQ(saldo(1400), 119000);
  EXPECT_EQ(saldo(8400), -100000);
  EXPECT_EQ(saldo(1770), -19000);
  auto op = t.op("D9500001");
  ASSERT_TRUE(op);
  EXPECT_EQ(op->get(O::Betrag), 119000);
  EXPECT_EQ(op->get(O::NochOffen), 119000);
  EXPECT_TRUE(op->get(O::Rechnung));
  EXPECT_EQ(op->get(O::Rechnungsdatum), DMYtoDate(10, 1, 2024));
  EXPECT_EQ(op->get(O::Faelligkeitsdatum), DMYtoDate(9, 2, 2024)) << "30 days net";
  EXPECT_EQ(op->get(O::Skontodatum), DMYtoDate(20, 1, 2024)) << "10 days discount";
  EXPECT_EQ(trim(op->get(O::Fremdbelegnr)), "P-77");

  // The dialog is empty for the next event; event and date stay.
  EXPECT_EQ(form().text(form().feld_mit_beschriftung("Kundenkonto")->nr), "");
  EXPECT_EQ(form().zahl(form().feld_mit_beschriftung("Belegbetrag")->nr), 0);
  EXPECT_EQ(form().anzeige(form().feld_mit_beschriftung("Belegdatum")->nr), "15.01.2024");
}

// A GL interval that does not hold the customers' numbers: the revenue
// line shares the invoice's number all the same.
TEST_F(Assistent, TheCounterLineSharesTheNumberOutsideTheGlInterval) {
  t.m->basis.set(BF::belegnummer(1), std::string("999"));
  spiele(ausgangsrechnung("9500001", "1190,00"));
  ASSERT_EQ(t.m->buchung->letzte_buchung(), 2) << letzte_meldung();
  EXPECT_EQ(trim(buchung(2).get(B::Belegnr)), "9500001");
}

TEST_F(Assistent, CustomerPaysWithDiscountAndTheItemIsSettled) {
  spiele(ausgangsrechnung("9500001", "1190,00"));
  // Choosing the item fills its open amount and offers the discount.
  t.ui.erwarte_frage("Skonto: 2,000 %\rBetrag: 23,80", true);
  spiele({F::tippe("Geschäftsvorfall", "Kunde zahlt Ausgangsrechnung"),
          F::tippe("Kundenkonto", "10001"), F::tippe("OP 1", "9500001")});
  EXPECT_EQ(form().anzeige(form().feld_mit_beschriftung("OP-Betrag")->nr), "1.190,00");
  EXPECT_EQ(form().zahl(form().feld_mit_beschriftung("Belegbetrag")->nr), 116620);
  EXPECT_EQ(form().zahl(form().feld_mit_beschriftung("Skontobetrag")->nr), 2380);

  // Without discount account nothing is written.
  spiele({F::tippe("Bankkonto", "1200"), F::druecke(Taste::F8)});
  EXPECT_EQ(letzte_meldung(), "Bitte Skontokonto eingeben!");
  EXPECT_EQ(form().fokus(), form().feld_mit_beschriftung("Skontokonto")->nr);
  EXPECT_EQ(t.m->buchung->letzte_buchung(), 2);

  spiele({F::tippe("Skontokonto", "8736"), F::druecke(Taste::F8)});
  ASSERT_EQ(t.m->buchung->letzte_buchung(), 5) << letzte_meldung();
  Satz z = buchung(3), bank = buchung(4), skonto = buchung(5);
  EXPECT_EQ(buchungsart(z), 'Z');
  EXPECT_EQ(z.u8(B::SollHaben), 'H');
  EXPECT_EQ(z.get(B::Betrag), 119000);
  EXPECT_EQ(trim(z.get(B::Belegnr)), "9500001");
  EXPECT_EQ(trim(bank.get(B::Konto)), "1200");
  EXPECT_EQ(bank.u8(B::SollHaben), 'S');
  EXPECT_EQ(bank.get(B::Betrag), 116620);
  EXPECT_EQ(trim(skonto.get(B::Konto)), "8736");
  EXPECT_EQ(skonto.u8(B::SollHaben), 'S');
  EXPECT_EQ(skonto.get(B::Betrag) + skonto.get(B::Steuerbetrag), 2380);
  EXPECT_EQ(skonto.get(B::Steuerbetrag), 380) << "the discount reduces the output VAT";

  EXPECT_EQ(offen("D9500001"), 0);
  EXPECT_EQ(t.personenkonto(10001).get(P::Saldo), 0);
  EXPECT_EQ(saldo(1400), 0);
  EXPECT_EQ(saldo(1200), 116620);
  EXPECT_EQ(saldo(8736), 2000);
  EXPECT_EQ(saldo(1770), -19000 + 380);
  EXPECT_EQ(gemeldet, (std::vector<std::int64_t>{2, 5}));
}

TEST_F(Assistent, SupplierPaymentWithATypedDiscountRate) {
  spiele({F::tippe("Geschäftsvorfall", "Lieferanten-Rechnung"),
          F::tippe("Lieferantenkonto", "70001"), F::tippe("Belegnummer", "500001"),
          F::tippe("Belegdatum", "10.01.2024"), F::tippe("Belegbetrag", "116,00"),
          F::tippe("Gegenkonto", "3400"), F::druecke(Taste::F8)});
  EXPECT_EQ(offen("K500001"), -11600);
  EXPECT_EQ(saldo(1576), 1600) << "input VAT of the expense account's key";
  EXPECT_EQ(saldo(1600), -11600);

  t.ui.erwarte_frage("Skonto: 2,000 %", false);
  spiele({F::tippe("Geschäftsvorfall", "Zahlung auf Lieferantenrechnung"),
          F::tippe("Lieferantenkonto", "70001"), F::tippe("OP 1", "500001"),
          F::tippe("Skonto %", "100", false), F::tippe("Skonto %", "3"),
          F::tippe("Bankkonto", "1200"), F::tippe("Skontokonto", "3400"),
          F::druecke(Taste::F8)});
  EXPECT_EQ(t.ui.meldungen().front(), "Skontoprozent beträgt 100 Prozent!");
  ASSERT_EQ(t.m->buchung->letzte_buchung(), 5) << letzte_meldung();
  Satz z = buchung(3);
  EXPECT_EQ(z.u8(B::SollHaben), 'S');
  EXPECT_EQ(z.get(B::Betrag), 11600);
  EXPECT_EQ(buchung(4).u8(B::SollHaben), 'H');
  EXPECT_EQ(buchung(4).get(B::Betrag), 11252);
  EXPECT_EQ(buchung(5).get(B::Betrag) + buchung(5).get(B::Steuerbetrag), 348);
  EXPECT_EQ(buchung(5).u8(B::SollHaben), 'H');
  EXPECT_EQ(offen("K500001"), 0);
  EXPECT_EQ(saldo(1600), 0);
  EXPECT_EQ(saldo(1200), -11252);
  EXPECT_EQ(saldo(3400), 10000 - 300);
  EXPECT_EQ(saldo(1576), 1600 - 48) << "the discount reduces the input VAT";
}

TEST_F(Assistent, PaymentWithoutItemOffersTheDownPayment) {
  auto zahlung = std::vector<Formularschritt>{
      F::tippe("Geschäftsvorfall", "Kunde zahlt Ausgangsrechnung"),
      F::tippe("Kundenkonto", "10001"), F::tippe("OP 1", "9500077"),
      F::tippe("Belegdatum", "20.01.2024"), F::tippe("Belegbetrag", "500"),
      F::tippe("Bankkonto", "1200"), F::druecke(Taste::F8)};
  // Cancelled: nothing is written.
  spiele(zahlung, {{F::druecke(Taste::Esc)}});
  EXPECT_EQ(t.m->buchung->letzte_buchung(), 0);
  EXPECT_FALSE(t.op("D9500077"));

  // Confirmed: first with a counter-account that does not exist.
  spiele(zahlung, {{F::tippe("Gegenkonto", "4711"), F::druecke(Taste::F8),
                    F::tippe("Gegenkonto", "8400"), F::druecke(Taste::F8)}});
  EXPECT_EQ(t.ui.meldungen(), std::vector<std::string>{"Gegenkonto nicht gefunden!"});
  ASSERT_EQ(t.m->buchung->letzte_buchung(), 4);
  Satz r = buchung(1), erloes = buchung(2);
  EXPECT_EQ(buchungsart(r), 'R');
  EXPECT_EQ(r.u8(B::SollHaben), 'S');
  EXPECT_EQ(r.get(B::Betrag), 50000);
  EXPECT_EQ(trim(erloes.get(B::Konto)), "8400");
  EXPECT_EQ(erloes.u8(B::SollHaben), 'H');
  EXPECT_EQ(erloes.get(B::Steuerbetrag), 7983);
  EXPECT_EQ(buchungsart(buchung(3)), 'Z');
  EXPECT_EQ(trim(buchung(4).get(B::Konto)), "1200");
  auto op = t.op("D9500077");
  ASSERT_TRUE(op);
  EXPECT_EQ(op->get(O::Betrag), 50000);
  EXPECT_EQ(op->get(O::NochOffen), 0);
  EXPECT_EQ(t.personenkonto(10001).get(P::Saldo), 0);
  EXPECT_EQ(saldo(1200), 50000);
  EXPECT_EQ(saldo(8400), -42017);
  EXPECT_EQ(saldo(1770), -7983);
}

TEST_F(Assistent, OffsettingNeedsTwoItemsOfOppositeSign) {
  spiele(ausgangsrechnung("9500001", "1190,00"));
  spiele(ausgangsrechnung("9500003", "100,00"));
  spiele({F::tippe("Geschäftsvorfall", "Gutschrift an Kunde"), F::tippe("Kundenkonto", "10001"),
          F::tippe("Belegnummer", "9500002"), F::tippe("Belegbetrag", "238"),
          F::tippe("Erlöskonto", "8400"), F::druecke(Taste::F8)});
  ASSERT_EQ(offen("D9500002"), -23800);
  const std::int64_t vorher = t.m->buchung->letzte_buchung();

  spiele({F::tippe("Geschäftsvorfall", "Verrechnung Gutschrift mit Rechnung"),
          F::tippe("Kundenkonto", "10001"), F::tippe("OP 1", "9500001"),
          F::tippe("OP 2", "9500001"), F::druecke(Taste::F8),
          F::tippe("OP 2", "9500003"), F::druecke(Taste::F8)});
  EXPECT_EQ(t.ui.meldungen(), (std::vector<std::string>{
                                  "Bitte zwei gültige OPs eingeben!",
                                  "Bitte zwei OPs mit unterschiedlichem Vorzeichen eingeben!"}));
  EXPECT_EQ(t.m->buchung->letzte_buchung(), vorher);

  const Betrag kunde = t.personenkonto(10001).get(P::Saldo);
  form().setze_zahl(form().feld_mit_beschriftung("Belegbetrag")->nr, 0);
  spiele({F::tippe("OP 2", "9500002"), F::druecke(Taste::F8)});
  ASSERT_EQ(t.m->buchung->letzte_buchung(), vorher + 2) << letzte_meldung();
  Satz a = buchung(vorher + 1), b = buchung(vorher + 2);
  EXPECT_EQ(a.u8(B::SollHaben), 'H');
  EXPECT_EQ(a.get(B::Betrag), 23800) << "the smaller of the two open amounts";
  EXPECT_EQ(trim(b.get(B::Konto)), "10001");
  EXPECT_EQ(trim(b.get(B::Belegnr)), "9500002");
  EXPECT_EQ(b.u8(B::SollHaben), 'S');
  EXPECT_EQ(offen("D9500001"), 119000 - 23800);
  EXPECT_EQ(offen("D9500002"), 0);
  EXPECT_EQ(t.personenkonto(10001).get(P::Saldo), kunde);
}

TEST_F(Assistent, OpeningBookingsChangeOnlyOpeningBalancesAndOpenTheirItems) {
  auto eroeffnung = [&](const std::string& art, const std::string& feld, const std::string& konto,
                        const std::string& beleg, const std::string& betrag) {
    std::vector<Formularschritt> s{F::tippe("Geschäftsvorfall", art), F::tippe(feld, konto)};
    if (!beleg.empty()) s.push_back(F::tippe("Belegnummer", beleg));
    s.insert(s.end(), {F::tippe("Belegbetrag", betrag), F::tippe("Gegenkonto", "9000"),
                       F::druecke(Taste::F8)});
    spiele(s);
  };
  eroeffnung("Eröffnungsbuchung Debitor Rechnung", "Kundenkonto", "10001", "9500010", "500");
  eroeffnung("Eröffnungsbuchung Debitor Gutschrift", "Kundenkonto", "10002", "9500011", "80");
  eroeffnung("Eröffnungsbuchung Kreditor Rechnung", "Lieferantenkonto", "70001", "500010", "300");
  eroeffnung("Eröffnungsbuchung Kreditor Gutschrift", "Lieferantenkonto", "70002", "500011", "40");
  eroeffnung("Eröffnungsbuchung Sachkonto Soll", "Sachkonto", "1200", "1", "1000");
  eroeffnung("Eröffnungsbuchung Sachkonto Haben", "Sachkonto", "3400", "2", "10");
  EXPECT_TRUE(t.ui.meldungen().empty()) << letzte_meldung();
  ASSERT_EQ(t.m->buchung->letzte_buchung(), 12);

  EXPECT_EQ(t.personenkonto(10001).get(P::Eroeffnungssaldo), 50000);
  EXPECT_EQ(t.personenkonto(10002).get(P::Eroeffnungssaldo), -8000);
  EXPECT_EQ(t.personenkonto(70001).get(P::Eroeffnungssaldo), -30000);
  EXPECT_EQ(t.personenkonto(70002).get(P::Eroeffnungssaldo), 4000);
  EXPECT_EQ(t.sachkonto(1200).get(S::Eroeffnungssaldo), 100000);
  EXPECT_EQ(t.sachkonto(3400).get(S::Eroeffnungssaldo), -1000);
  EXPECT_EQ(t.sachkonto(9000).get(S::Eroeffnungssaldo), -50000 + 8000 + 30000 - 4000 - 100000 + 1000);
  for (int konto : {1200, 3400, 9000, 1400, 1600}) {
    EXPECT_EQ(t.sachkonto(konto).get(S::soll(1)), 0) << konto;
    EXPECT_EQ(t.sachkonto(konto).get(S::haben(1)), 0) << konto;
  }
  EXPECT_EQ(buchung(3).get(B::Eroeffnungsart), 1);
  EXPECT_EQ(buchung(3).u8(B::SollHaben), 'H');
  EXPECT_EQ(offen("D9500010"), 50000);
  EXPECT_EQ(offen("D9500011"), -8000);
  EXPECT_FALSE(t.op("D9500011")->get(O::Rechnung));
  EXPECT_EQ(offen("K500010"), -30000);
  EXPECT_EQ(offen("K500011"), 4000);
}

TEST_F(Assistent, FieldChecksRefuseWithTheirMessages) {
  t.m->personen->leeren();
  t.m->personen->satz().set(P::Name, "Ohne Sammelkonto");
  t.m->personen->satz().set(P::Sammelkonto, std::uint8_t{7});
  t.m->personen->speichern("10003");
  spiele(ausgangsrechnung("9500001", "1190,00"));

  spiele({F::tippe("Kundenkonto", "70001", false), F::tippe("Kundenkonto", "10099", false),
          F::tippe("Kundenkonto", "10003", false), F::tippe("Erlöskonto", "4711", false),
          F::tippe("Erlöskonto", "8500", false), F::tippe("Bankkonto", "1200", false),
          F::tippe("Kundenkonto", "10001"), F::tippe("Belegnummer", "12", false),
          F::tippe("Belegdatum", "15.01.2025", false), F::tippe("Kostenstelle", "1234", false),
          F::tippe("Kostenstelle", "1000"), F::tippe("Steuerschl.", "7", false)});
  EXPECT_EQ(t.ui.meldungen(),
            (std::vector<std::string>{
                "Personenkonto ungültig!", "Personenkonto ungültig!",
                "Forderungs-/Verbindlichkeitskonto zu diesem Personenkonto nicht gefunden!",
                "Sachkonto ungültig!", "Steuerkonto zu diesem Sachkonto nicht gefunden!",
                "Dieses Feld kann hier nicht geändert werden!",
                "Belegnummer nicht im Intervall (9500000-9599999)",
                "Datum im Bereich zwischen 01.01.2024 und 31.12.2024 eingeben.",
                "Kostenstelle ungültig!", "Kein Konto zu diesem Schlüssel hinterlegt!"}));

  // The items: not before the account, not of another account.
  TestInteraktion& ui = t.ui;
  const std::size_t bisher = ui.meldungen().size();
  t.ui.erwarte_frage("Skonto", false);
  spiele({F::tippe("Geschäftsvorfall", "Kunde zahlt Ausgangsrechnung"),
          F::tippe("Kundenkonto", ""),
          F::tippe("OP 1", "9500001", false), F::tippe("Kundenkonto", "10002"),
          F::tippe("OP 1", "9500001", false), F::tippe("Kundenkonto", "10001"),
          F::tippe("OP 1", "9500001")});
  EXPECT_EQ(std::vector<std::string>(ui.meldungen().begin() + static_cast<long>(bisher),
                                     ui.meldungen().end()),
            (std::vector<std::string>{"Bitte zuerst Kontonummer eingeben!",
                                      "OP paßt nicht zu dem Konto!"}));
  EXPECT_EQ(form().zahl(form().feld_mit_beschriftung("Belegbetrag")->nr), 119000);
}

TEST_F(Assistent, ListsFillTheFieldUnderTheCursor) {
  spiele(ausgangsrechnung("9500001", "1190,00"));
  auto rechnung = ausgangsrechnung("9500005", "50");
  rechnung[1] = F::tippe("Kundenkonto", "10002");
  spiele(rechnung);

  t.ui.waehle("Kunde 10001");
  t.ui.waehle("9500001");
  t.ui.erwarte_frage("Skonto", false);
  t.ui.waehle("Konto 1200");
  t.ui.waehle("Verwaltung");
  spiele({F::tippe("Geschäftsvorfall", "Kunde zahlt Ausgangsrechnung"),
          F::tippe("Kundenkonto", ""), F::druecke(Taste::F3), F::druecke(Taste::F2),
          F::druecke(Taste::F3), F::tippe("Bankkonto", ""), F::druecke(Taste::F2),
          F::tippe("Kostenstelle", ""), F::druecke(Taste::F2)});
  EXPECT_EQ(t.ui.meldungen(), std::vector<std::string>{"Bitte zuerst Kontonummer eingeben!"});
  EXPECT_EQ(form().text(form().feld_mit_beschriftung("Kundenkonto")->nr), "10001");
  EXPECT_EQ(form().text(form().feld_mit_beschriftung("OP 1")->nr), "9500001");
  EXPECT_EQ(form().zahl(form().feld_mit_beschriftung("OP-Betrag")->nr), 119000);
  EXPECT_EQ(form().text(form().feld_mit_beschriftung("Bankkonto")->nr), "1200");
  EXPECT_EQ(form().text(form().feld_mit_beschriftung("Kostenstelle")->nr), "1000");

  // The item list holds only the items of the account.
  t.ui.waehle("9500005");
  EXPECT_THROW(spiele({F::tippe("OP 1", ""), F::druecke(Taste::F3)}), UnerwarteteInteraktion);
}

TEST_F(Assistent, DateOutsideTheEntryPeriodChoosesThePeriod) {
  auto schritte = ausgangsrechnung("9500001", "116");
  schritte[3] = F::tippe("Belegdatum", "15.03.2024");
  spiele(schritte, {{F::druecke(Taste::Esc)}});  // the period of the date, preselected
  EXPECT_EQ(periode, 3);
  ASSERT_EQ(t.m->buchung->letzte_buchung(), 2) << letzte_meldung();
  EXPECT_EQ(buchung(1).get(B::Periode), 3);
  EXPECT_EQ(buchung(2).get(B::Periode), 3);
  EXPECT_EQ(t.sachkonto(8400).get(S::haben(3)), 9748);

  // Cancelling the choice keeps the cursor in the date and writes nothing.
  schritte[3] = F::tippe("Belegdatum", "15.05.2024", false);
  schritte[2] = F::tippe("Belegnummer", "9500002");
  spiele(schritte, {{F::schliesse()}, {F::schliesse()}});
  EXPECT_EQ(periode, 3);
  EXPECT_EQ(t.m->buchung->letzte_buchung(), 2);
}

TEST_F(Assistent, CostCentreChecksOfTheDirectPayment) {
  t.m->basis.set(BF::Kostenstellenzwang, std::uint16_t{1});
  auto zahlung = std::vector<Formularschritt>{
      F::tippe("Geschäftsvorfall", "Direkte Zahlung auf Kostenkonto"),
      F::tippe("Sachkonto", "1200"), F::tippe("Belegnummer", "4711"),
      F::tippe("Belegbetrag", "116"), F::tippe("Gegenkonto", "3400"), F::druecke(Taste::F8)};
  spiele(zahlung);
  zahlung.insert(zahlung.end() - 1, F::tippe("Kostenstelle", "1000"));
  spiele(zahlung);
  EXPECT_EQ(t.ui.meldungen(), (std::vector<std::string>{"Bitte Kostenstelle/Verteilschlüssel eingeben!",
                                                        "Bitte Kostenstelle 2 eingeben!"}));
  EXPECT_EQ(form().fokus(), form().feld_mit_beschriftung("Kostenstelle2")->nr);
  EXPECT_EQ(t.m->buchung->letzte_buchung(), 0) << "the first line is not left behind";
  EXPECT_EQ(saldo(1200), 0);

  zahlung.insert(zahlung.end() - 1, F::tippe("Kostenstelle2", "1000"));
  spiele(zahlung);
  ASSERT_EQ(t.m->buchung->letzte_buchung(), 2) << letzte_meldung();
  EXPECT_EQ(trim(buchung(1).get(B::Kost)), "1000");
  EXPECT_EQ(buchung(1).u8(B::SollHaben), 'H');
  EXPECT_EQ(trim(buchung(2).get(B::Kost)), "1000");
  EXPECT_EQ(saldo(1200), -11600);
  EXPECT_EQ(saldo(3400), 10000);
  EXPECT_EQ(saldo(1576), 1600);
}

TEST_F(Assistent, AnEventWhoseLastLineIsRefusedLeavesNothing) {
  spiele(ausgangsrechnung("9500001", "1190,00"));
  t.ui.erwarte_frage("Skonto", true);
  // A collective account as discount account: refused at the third line.
  spiele({F::tippe("Geschäftsvorfall", "Kunde zahlt Ausgangsrechnung"),
          F::tippe("Kundenkonto", "10001"), F::tippe("OP 1", "9500001"),
          F::tippe("Bankkonto", "1200"), F::tippe("Skontokonto", "1400"),
          F::druecke(Taste::F8)});
  EXPECT_EQ(letzte_meldung(), pruef_text(7));
  EXPECT_EQ(form().fokus(), form().feld_mit_beschriftung("Skontokonto")->nr);
  EXPECT_EQ(t.m->buchung->letzte_buchung(), 2);
  EXPECT_EQ(offen("D9500001"), 119000);
  EXPECT_EQ(saldo(1200), 0);
  EXPECT_EQ(saldo(1400), 119000);
  EXPECT_EQ(gemeldet, std::vector<std::int64_t>{2});
}

// An invoice through the assistant on a client cut by a power loss after
// every possible write: reopened, the books hold both lines with the item,
// or nothing of the event.
TEST(AssistentAbsturz, AnEventIsOnDiskWholeOrNotAtAll) {
  auto buchen = [](Testbuchhaltung& t) {
    int periode = 1;
    t.m->buchung->offene_sicht = true;
    TFBuchungsAssistent a(*t.m, *t.kern, periode);
    auto schritte = ausgangsrechnung("9500001", "1190,00");
    schritte.push_back(F::druecke(Taste::Esc));
    t.ui.formular_skript(schritte);
    a.ausfuehren();
    return t.m->buchung->letzte_buchung() == 2;
  };
  absturzfest_pruefen(assistent_grunddaten, buchen);
}

}  // namespace
}  // namespace fibu
