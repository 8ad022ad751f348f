// The posting entry screen played like a bookkeeper at the keyboard:
// whole documents typed row by row, the checks of each column with their
// messages, the counter-line and document-number proposals, gross and net
// amounts, changing and deleting written rows, the period choice and
// ending; the books are checked afterwards.
#include "posting/tfbuchung.h"

#include <gtest/gtest.h>

#include "posting/buchungsdialoge.h"
#include "testbuchhaltung.h"

namespace fibu {
namespace {

using F = BuchungFelder;
using T = TFBuchung;

struct Bildschirm : Testumgebung {
  std::unique_ptr<TFBuchung> b;

  Bildschirm() {
    // Two more GL accounts and a tax key at 19 % for the documents below.
    Satz& basis = m().basis;
    basis.set(BasisFelder::steuerkonto(3), std::int32_t{1777});
    basis.set(BasisFelder::steuersatz(3), std::int64_t{1900});
    // Document numbers: GL 1..999999, last 41; customers 9500000..9599999.
    for (auto [k, wert] : {std::pair{0, "1"}, {1, "999999"}, {2, "41"}, {3, "9500000"},
                           {4, "9599999"}, {5, "9500000"}})
      basis.set(BasisFelder::belegnummer(k), wert);
    // EXPECT, not ASSERT: a constructor cannot return early.
    EXPECT_TRUE(m().schreibe_basis());
    for (auto [nr, name, art, schluessel] : {std::tuple{1777, "USt 19 %", 2, 0},
                                             std::tuple{4711, "Porto", 0, 0},
                                             std::tuple{8400, "Erlöse 19 %", 3, 3}}) {
      m().sach->leeren();
      Satz& s = m().sach->satz();
      s.set(SachFelder::Bezeichnung1, name);
      s.set(SachFelder::Kontenart, static_cast<std::uint8_t>(art));
      s.set(SachFelder::Steuerschluessel, static_cast<std::uint8_t>(schluessel));
      m().sach->speichern(m().sachkonto_text(nr));
    }
    oeffnen();
  }
  void oeffnen() { b = std::make_unique<TFBuchung>(m(), *t.kern); }

  // Types the values into the cells from the cursor on, leaving each one
  // forward ("~": leaves the cell as it is); false as soon as a cell refuses.
  bool tippe(std::vector<std::string> werte) {
    for (const auto& w : werte) {
      if (w != "~" && !b->eingabe(w)) return false;
      if (!b->weiter()) return false;
    }
    return true;
  }
  // A whole GL row from column Konto: account, cost centre, number, date,
  // text key, side, amount, counter-account (saved there when the key is
  // fixed).
  bool gl(const std::string& konto, const std::string& beleg, const std::string& sh,
          const std::string& betrag, const std::string& gegen) {
    return tippe({konto, "", beleg, "150124", "", sh, betrag, gegen});
  }
  std::string meldung() const { return t.ui.meldungen().empty() ? "" : t.ui.meldungen().back(); }
  Betrag saldo(int konto) { return t.sachkonto(konto).get(SachFelder::Saldo); }
  Satz gebucht(std::int64_t n) {
    Satz s(F::groesse);
    EXPECT_TRUE(m().buchung->buchung_lesen_in(n, s)) << "Buchung " << n;
    return s;
  }
};

TEST(TFBuchung, ZweiZeilenGleichenSichAusUndEndeSchliesstOhneFrage) {
  Bildschirm s;
  EXPECT_EQ(s.b->zeile(), 1);
  EXPECT_EQ(s.b->spalte(), T::Konto);
  ASSERT_TRUE(s.gl("4711", "~", "S", "100,00", "8400"));
  EXPECT_EQ(s.b->zelle(1, T::Belegnr), "42");  // a new document: last number + 1
  EXPECT_EQ(s.b->differenz(), 10000);
  EXPECT_EQ(s.b->zeile(), 2);
  EXPECT_EQ(s.b->spalte(), T::Konto);
  // The second row repeats the document number while D is not zero.
  ASSERT_TRUE(s.tippe({"8400", ""}));
  EXPECT_EQ(s.b->zelle(2, T::Belegnr), "42");
  // 8400 carries key 3 and may not change it: saved after column 8; the
  // amount typed is gross.
  ASSERT_TRUE(s.tippe({"~", "150124", "", "H", "100,00", "4711"}));
  EXPECT_EQ(s.b->differenz(), 0);
  EXPECT_EQ(s.b->taste(Taste::Esc), Reaktion::Speichern);
  EXPECT_TRUE(s.t.ui.fragen().empty());
  s.b.reset();
  // The books: 4711 100.00 debit; 8400 84.03 credit net, 15.97 on 1777.
  EXPECT_EQ(s.saldo(4711), 10000);
  EXPECT_EQ(s.saldo(8400), -8403);
  EXPECT_EQ(s.saldo(1777), -1597);
  EXPECT_EQ(s.gebucht(1).get(F::Index), 1);
  EXPECT_EQ(s.gebucht(2).get(F::Steuerbetrag), 1597);
  EXPECT_EQ(trim(s.gebucht(1).get(F::Text1)), "Erlöse 19 %");  // the counter-account's name
  // The last type and date are kept for the next session.
  EXPECT_EQ(s.m().basis.get(BasisFelder::LetztesDatum), DMYtoDate(15, 1, 2024));
}

TEST(TFBuchung, GegenzeileMitAutomatikUndEndeMitDifferenz) {
  Bildschirm s;
  s.b->automatik = true;
  ASSERT_TRUE(s.gl("1200", "7", "S", "50,00", "8400"));
  // Row 2: the account left empty proposes the counter-line.
  ASSERT_TRUE(s.b->weiter());
  EXPECT_EQ(s.b->zelle(2, T::Konto), "8400");
  EXPECT_EQ(s.b->zelle(2, T::B), "H");
  EXPECT_EQ(s.b->zelle(2, T::Gegen), "1200");
  EXPECT_EQ(s.b->zelle(2, T::Belegnr), "7");
  // Gross 50.00 at 19 %: 42.02 and 7.98 tax.
  EXPECT_EQ(s.b->zelle(2, T::Betrag_), "42,02");
  EXPECT_EQ(s.b->zelle(2, T::Steuer), "7,98");
  EXPECT_EQ(s.b->satz().get(F::Datum), DMYtoDate(15, 1, 2024));

  // "&Ende" needs the row finished, then a balanced difference.
  EXPECT_EQ(s.b->taste(Taste::Esc), Reaktion::Weiter);
  EXPECT_EQ(s.meldung(), "Bitte zuerst aktuelle Zeile abschließen!");
  s.t.ui.erwarte_frage("verworfen", true);
  ASSERT_TRUE(s.b->gehe_zu(1, T::Konto));
  EXPECT_EQ(s.b->taste(Taste::Esc), Reaktion::Weiter);
  EXPECT_EQ(s.meldung(), "Saldo ist nicht ausgeglichen!");
  s.t.ui.erwarte_frage("Wollen Sie die Buchungseingabe trotzdem beenden?", false);
  EXPECT_FALSE(s.b->schliessen());
  s.t.ui.erwarte_frage("Saldo ist nicht ausgeglichen!\rWollen", true);
  EXPECT_TRUE(s.b->schliessen());
  s.b.reset();
  EXPECT_EQ(s.saldo(1200), 5000);  // the written row stays
  s.t.ui.alles_verbraucht();
}

TEST(TFBuchung, PersonenkontenSeiteUndOffenePosten) {
  Bildschirm s;
  // An invoice on a customer must be a debit.
  ASSERT_TRUE(s.b->zurueck());
  ASSERT_TRUE(s.tippe({"R", "10001", "9504711", "150124", "", "H"}) == false);
  EXPECT_EQ(s.meldung(), "Soll/Haben-Kennzeichen falsch!");
  EXPECT_EQ(s.b->spalte(), T::B);
  // The cost centre was skipped on the personal account.
  ASSERT_TRUE(s.tippe({"S", "119,00", "8400"}));
  EXPECT_EQ(s.b->zeile(), 2);
  ASSERT_TRUE(s.tippe({"8400", "", "~", "150124", "", "H", "119,00", "10001"}));
  ASSERT_EQ(s.b->differenz(), 0);
  auto op = s.t.op("D9504711");
  ASSERT_TRUE(op);
  EXPECT_EQ(op->get(OpstammFelder::NochOffen), 11900);

  // A payment of a number without item is refused; with the item the
  // amount proposed is what is still open.
  ASSERT_TRUE(s.b->zurueck());
  ASSERT_TRUE(s.tippe({"Z", "10001"}));
  EXPECT_FALSE(s.tippe({"9504712"}));
  EXPECT_EQ(s.meldung(), "OP existiert nicht!");
  ASSERT_TRUE(s.tippe({"9504711"}));
  EXPECT_EQ(s.b->zelle(3, T::Betrag_), "119,00");
  EXPECT_EQ(s.b->zelle(3, T::B), "H");
  ASSERT_TRUE(s.tippe({"160124", "", "H", "119,00", "1200"}));
  ASSERT_TRUE(s.tippe({"1200", "", "~", "160124", "", "S", "119,00", "10001"}));
  EXPECT_EQ(s.t.op("D9504711")->get(OpstammFelder::NochOffen), 0);

  // Written again unchanged, the paid invoice keeps its item as it is.
  ASSERT_TRUE(s.b->gehe_zu(1, T::Konto));
  ASSERT_TRUE(s.tippe({"~", "~", "~", "~", "~", "~", "~"}));
  EXPECT_EQ(s.t.op("D9504711")->get(OpstammFelder::Betrag), 11900);
  EXPECT_EQ(s.t.op("D9504711")->get(OpstammFelder::NochOffen), 0);
  EXPECT_EQ(s.b->differenz(), 0);

  // The paid invoice can be neither deleted nor moved to another account.
  ASSERT_TRUE(s.b->gehe_zu(1, T::Konto));
  s.b->taste(Taste::F8);
  EXPECT_EQ(s.meldung(), "Es gibt bereits Zahlungen zu diesem OP!");
  ASSERT_TRUE(s.b->eingabe("10002"));
  EXPECT_FALSE(s.b->weiter());
  EXPECT_EQ(s.meldung(), "Es gibt bereits Zahlungen zu diesem OP!");
  EXPECT_EQ(s.b->zelle(1, T::Konto), s.m().personenkonto_text(10001));
  s.b.reset();
  EXPECT_EQ(s.t.personenkonto(10001).get(PersonenFelder::Saldo), 0);
  EXPECT_EQ(s.saldo(1400), 0);
  EXPECT_EQ(s.saldo(1200), 11900);
  EXPECT_EQ(s.saldo(8400), -10000);
  EXPECT_EQ(s.saldo(1777), -1900);
}

TEST(TFBuchung, BruttoUndNettoSteuer) {
  Bildschirm s;
  // 4711 may change its key: the row goes on to column 9.
  ASSERT_TRUE(s.m().sach->suchen("4711"));
  s.m().sach->satz().set(SachFelder::SteuerschluesselAenderbar, true);
  s.m().sach->speichern("4711");
  ASSERT_TRUE(s.gl("4711", "1", "S", "119,00", "1200"));
  EXPECT_EQ(s.b->spalte(), T::St);
  ASSERT_TRUE(s.b->eingabe("3"));
  ASSERT_TRUE(s.b->weiter());
  auto r = s.gebucht(1);
  EXPECT_EQ(r.get(F::Betrag), 10000);
  EXPECT_EQ(r.get(F::Steuerbetrag), 1900);
  // Net mode: 100.00 typed gives 19.00 tax on top.
  s.b->taste(Taste::StrgN);
  EXPECT_NE(s.b->statuszeile().find("(Netto)"), std::string::npos);
  ASSERT_TRUE(s.tippe({"4711", "", "2", "150124", "", "S", "100,00", "1200"}));
  ASSERT_TRUE(s.b->eingabe("3"));
  EXPECT_EQ(s.b->satz().get(F::Steuerbetrag), 0);
  ASSERT_TRUE(s.b->weiter());
  EXPECT_EQ(s.gebucht(2).get(F::Betrag), 10000);
  EXPECT_EQ(s.gebucht(2).get(F::Steuerbetrag), 1900);
  EXPECT_EQ(s.b->differenz(), 23800);
  // A key without tax account, and one out of range.
  ASSERT_TRUE(s.tippe({"4711", "", "3", "150124", "", "S", "10,00", "1200"}));
  ASSERT_TRUE(s.b->eingabe("41"));
  EXPECT_FALSE(s.b->weiter());
  EXPECT_EQ(s.meldung(), "Steuerschlüssel muß 0..40 sein!");
  ASSERT_TRUE(s.b->eingabe("7"));
  EXPECT_FALSE(s.b->weiter());
  EXPECT_EQ(s.meldung(), "Kein Konto zu diesem Schlüssel hinterlegt!");
}

TEST(TFBuchung, SpaltenpruefungenUndPeriodenwahl) {
  Bildschirm s;
  auto bleibt = [&](const std::string& text, const std::string& meldung) {
    EXPECT_TRUE(s.b->eingabe(text));
    EXPECT_FALSE(s.b->weiter()) << text;
    EXPECT_EQ(s.meldung(), meldung) << text;
  };
  bleibt("4444", "Sachkonto nicht gefunden!");
  bleibt("99999", "Personenkonto nicht gefunden!");
  ASSERT_TRUE(s.tippe({"4711"}));
  ASSERT_TRUE(s.tippe({""}));  // no cost centre needed
  ASSERT_TRUE(s.tippe({"5"}));
  bleibt("", "Datum darf nicht leer sein!");
  EXPECT_FALSE(s.b->eingabe("310224x"));
  EXPECT_EQ(s.meldung(), "Datum ungültig!");
  bleibt("010125", "Datum liegt nicht im Geschäftsjahr!");
  // A date in March: the period choice opens with March; period 3 has its
  // journal printed and is refused, period 4 is taken.
  s.m().basis.set(BasisFelder::periode_status(3), std::uint8_t{2});
  s.t.ui.formular_skript({Formularschritt::druecke(Taste::Esc), Formularschritt::tippe("Periode", "4  01.04.2024 - 30.04.2024  Nicht aktiv"),
                          Formularschritt::druecke(Taste::Esc)});
  ASSERT_TRUE(s.tippe({"150324"}));
  EXPECT_NE(s.meldung().find("In die Periode 3 kann nicht mehr gebucht werden"), std::string::npos)
      << s.meldung();
  EXPECT_EQ(s.b->buchungsperiode(), 4);
  EXPECT_NE(s.b->statuszeile().find("Periode: 4 01.04.2024 - 30.04.2024 (aktuelle Periode: 1)"),
            std::string::npos)
      << s.b->statuszeile();
  ASSERT_TRUE(s.tippe({""}));
  bleibt("", "Soll/Haben-Kennzeichen darf nicht leer sein!");
  ASSERT_TRUE(s.tippe({"S"}));
  bleibt("0", "Betrag darf nicht null sein!");
  // The date lies in March, the booking goes to period 4: the final check
  // refuses it and puts the cursor on the date.
  ASSERT_TRUE(s.tippe({"10,00"}));
  EXPECT_FALSE(s.tippe({"1200"}));
  EXPECT_EQ(s.meldung(), "Bitte gültiges Datum eingeben!");
  EXPECT_EQ(s.b->spalte(), T::Datum_);
  EXPECT_EQ(s.m().buchung->anzahl_buchungen(), 0);
  s.t.ui.alles_verbraucht();
}

TEST(TFBuchung, AendernLoeschenSpringenUndSuchen) {
  Bildschirm s;
  ASSERT_TRUE(s.gl("4711", "1", "S", "20,00", "1200"));
  ASSERT_TRUE(s.gl("1200", "", "H", "20,00", "4711"));
  ASSERT_TRUE(s.gl("4711", "2", "S", "5,00", "1200"));
  ASSERT_TRUE(s.gl("1200", "", "H", "5,00", "4711"));
  // Row 1 changed to 30.00: written again at its number, D follows.
  ASSERT_TRUE(s.b->gehe_zu(1, T::Betrag_));
  ASSERT_TRUE(s.tippe({"30,00", "1200"}));
  EXPECT_EQ(s.b->differenz(), 1000);
  EXPECT_EQ(s.saldo(4711), 3500);
  // Deleting row 1 takes back its effects.
  ASSERT_TRUE(s.b->gehe_zu(1, T::Konto));
  s.t.ui.erwarte_frage("Aktuelle Buchung löschen?", true);
  s.b->taste(Taste::F8);
  EXPECT_EQ(s.saldo(4711), 500);
  EXPECT_EQ(s.b->differenz(), -2000);
  EXPECT_TRUE(s.m().buchung->satz_ist_leer(s.gebucht(1)));
  // The document search finds number 2, F5 jumps to a row.
  s.t.ui.formular_skript({Formularschritt::druecke(Taste::F2), Formularschritt::tippe("Belegnummer", "2"),
                          Formularschritt::druecke(Taste::F2), Formularschritt::druecke(Taste::F3),
                          Formularschritt::druecke(Taste::Esc)});
  s.b->taste(Taste::F4);
  EXPECT_EQ(s.t.ui.meldungen()[s.t.ui.meldungen().size() - 2], "Bitte Suchkriterium eingeben!");
  EXPECT_EQ(s.meldung(), "Keine weiteren Buchungen!");
  EXPECT_EQ(s.b->zeile(), 3);
  s.t.ui.formular_skript({Formularschritt::tippe("Zeile", "2"), Formularschritt::druecke(Taste::Esc)});
  s.b->taste(Taste::F5);
  EXPECT_EQ(s.b->zeile(), 2);
  // A locked row cannot be edited.
  s.b.reset();
  Satz r = s.gebucht(2);
  r.set(F::Gesperrt, true);
  s.m().buchung->satz() = r;
  ASSERT_TRUE(s.m().buchung->buchung_ablegen(2));
  s.oeffnen();
  EXPECT_EQ(s.b->zeile(), 5);
  EXPECT_EQ(s.b->differenz(), -2000);
  ASSERT_TRUE(s.b->gehe_zu(2, T::Betrag_));
  EXPECT_FALSE(s.b->eingabe("1,00"));
  EXPECT_EQ(s.meldung(), "Buchung ist gesperrt und kann nicht geändert werden!");
  s.b->taste(Taste::F8);
  EXPECT_EQ(s.meldung(), "Buchung ist gesperrt und kann nicht gelöscht werden!");
  s.t.ui.alles_verbraucht();
}

// The lists, the row's extra data in their dialogs and what the context
// menu reaches.
TEST(TFBuchung, ListenZusatzdatenUndKontextmenue) {
  Bildschirm s;
  // F2 in the account column: the GL list, the chosen account in the cell.
  s.t.ui.waehle("4711");
  s.b->taste(Taste::F2);
  EXPECT_EQ(s.b->zelle(1, T::Konto), "4711");

  // A customer invoice instead, with its document date, due date and the
  // other party's number given later: the open item takes them over.
  ASSERT_TRUE(s.b->gehe_zu(1, T::A));
  ASSERT_TRUE(s.tippe({"R", "10002", "9500007", "200124", "", "S", "50,00", "8400"}));
  ASSERT_EQ(s.b->zeile(), 2);
  ASSERT_TRUE(s.b->gehe_zu(1, T::Konto));
  s.t.ui.formular_skript({Formularschritt::tippe("Belegdatum", "18.01.2024"),
                          Formularschritt::tippe("Fremdbelegnummer", "AB-77"),
                          Formularschritt::tippe("Fälligkeitsdatum", "29.02.2024"),
                          Formularschritt::druecke(Taste::Esc)});
  s.b->kontext(9);  // "&Belegdatum"
  ASSERT_TRUE(s.tippe({"~", "~", "~", "~", "~", "~", "~"}));
  ASSERT_EQ(s.b->zeile(), 2);
  auto op = s.t.op("D9500007");
  ASSERT_TRUE(op);
  EXPECT_EQ(op->get(OpstammFelder::Betrag), 5000);  // written again, not counted twice
  EXPECT_EQ(op->get(OpstammFelder::Rechnungsdatum), DMYtoDate(18, 1, 2024));
  EXPECT_EQ(op->get(OpstammFelder::Faelligkeitsdatum), DMYtoDate(29, 2, 2024));
  EXPECT_EQ(trim(op->get(OpstammFelder::Fremdbelegnr)), "AB-77");

  // Foreign currency: 100.00 DM make 51.13 EUR on the row; 0 switches back.
  ASSERT_TRUE(s.tippe({"4711", "", "~", "200124", "", "S"}));
  s.t.ui.formular_skript({Formularschritt::tippe("Fremdwährungsbetrag", "100,00"),
                          Formularschritt::druecke(Taste::Esc)});
  s.b->kontext(8);
  EXPECT_EQ(s.b->zelle(2, T::Betrag_), "51,13");
  EXPECT_TRUE(s.b->satz().get(F::Fremdwaehrung));
  s.t.ui.formular_skript({Formularschritt::tippe("Fremdwährungsbetrag", "0"),
                          Formularschritt::druecke(Taste::Esc)});
  s.b->kontext(8);
  EXPECT_EQ(s.meldung(), "Fremdwährungsbuchung auf Standardbuchung umgestellt!");
  EXPECT_FALSE(s.b->satz().get(F::Fremdwaehrung));

  // The context menu: the statement of the row's account, and commands
  // only where the program has them.
  std::int32_t auszug = 0;
  std::vector<int> befehle;
  s.b->kontoauszug = [&](std::int32_t k) { auszug = k; };
  s.b->befehl = [&](int nr) { befehle.push_back(nr); };
  s.b->befehl_verfuegbar = [](int nr) { return nr == 121; };
  s.b->kontext(0);
  EXPECT_EQ(auszug, 4711);
  EXPECT_TRUE(s.b->kontext_verfuegbar(1));
  EXPECT_FALSE(s.b->kontext_verfuegbar(3));
  s.b->kontext(1);
  s.b->kontext(3);
  EXPECT_EQ(befehle, std::vector<int>{121});
  s.t.ui.alles_verbraucht();
}

// Deleting takes back what a row did to its item; moving the cursor
// forward within a row runs the checks of the cells passed; the period
// choice can be cancelled and is also asked for a printed entry period.
TEST(TFBuchung, LoeschenSpruengeUndGedrucktePeriode) {
  Bildschirm s;
  ASSERT_TRUE(s.b->zurueck());
  ASSERT_TRUE(s.tippe({"R", "10001", "9500001", "100124", "", "S", "119,00", "8400"}));
  ASSERT_TRUE(s.tippe({"8400", "", "~", "100124", "", "H", "119,00", "10001"}));
  ASSERT_TRUE(s.b->zurueck());
  ASSERT_TRUE(s.tippe({"Z", "10001", "9500001", "120124", "", "H", "50,00", "1200"}));
  EXPECT_EQ(s.t.op("D9500001")->get(OpstammFelder::NochOffen), 6900);
  // The payment deleted: the item is open in full again.
  s.t.ui.erwarte_frage("Aktuelle Buchung löschen?", true);
  ASSERT_TRUE(s.b->gehe_zu(3, T::Konto));
  s.b->taste(Taste::F8);
  EXPECT_EQ(s.t.op("D9500001")->get(OpstammFelder::NochOffen), 11900);
  // The invoice deleted: its item goes, the customer is back at zero.
  s.t.ui.erwarte_frage("Aktuelle Buchung löschen?", true);
  ASSERT_TRUE(s.b->gehe_zu(1, T::Konto));
  s.b->taste(Taste::F8);
  EXPECT_FALSE(s.t.op("D9500001"));
  EXPECT_EQ(s.t.personenkonto(10001).get(PersonenFelder::Saldo), 0);
  EXPECT_EQ(s.b->differenz(), -11900);

  // A jump to the counter-account column passes the amount's check: the
  // tax of 8400's key is split off before the row is written.
  ASSERT_TRUE(s.b->gehe_zu(4, T::Konto));
  ASSERT_TRUE(s.tippe({"8400", "", "~", "100124", "", "S"}));
  ASSERT_TRUE(s.b->eingabe("119,00"));
  ASSERT_TRUE(s.b->gehe_zu(4, T::Gegen));
  EXPECT_EQ(s.b->zelle(4, T::Steuer), "19,00");
  ASSERT_TRUE(s.tippe({"1200"}));
  EXPECT_EQ(s.gebucht(4).get(F::Steuerbetrag), 1900);
  // A jump over a wrong side stops at it.
  ASSERT_TRUE(s.b->zurueck());
  ASSERT_TRUE(s.tippe({"R", "10001", "9500002", "100124", "", "H"}) == false);
  ASSERT_TRUE(s.b->gehe_zu(5, T::Betrag_) == false);
  EXPECT_EQ(s.meldung(), "Soll/Haben-Kennzeichen falsch!");
  EXPECT_EQ(s.b->spalte(), T::B);
  s.t.ui.erwarte_frage("verworfen", true);
  ASSERT_TRUE(s.b->gehe_zu(6, T::Konto));

  // The entry period's journal is printed: even a date in it asks for the
  // period; cancelling keeps the cursor on the date.
  s.m().basis.set(BasisFelder::periode_status(1), std::uint8_t{2});
  ASSERT_TRUE(s.tippe({"4711", "", "~"}));
  s.t.ui.formular_skript({Formularschritt::schliesse()});
  EXPECT_FALSE(s.tippe({"150124"}));
  EXPECT_EQ(s.b->spalte(), T::Datum_);
  EXPECT_EQ(s.b->buchungsperiode(), 1);
  s.t.ui.alles_verbraucht();
}

}  // namespace
}  // namespace fibu
