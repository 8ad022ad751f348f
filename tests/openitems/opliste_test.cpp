// OP lists on small fixed books: exact lines with payments, subtotals and
// totals, the selection fields and orders, the recomputation hint and the
// comparisons with the account balances; and random books posted through
// the engine, on which every item must agree with its bookings.
#include "openitems/opliste.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "openitems/offeneposten.h"
#include "opbuchhaltung.h"

namespace fibu {
namespace {

using O = OpstammFelder;
using P = PersonenFelder;
using Sortierung = OpListeAuswahl::Sortierung;

Datum tag(int t, int m) { return DMYtoDate(t, m, 2024); }

bool enthaelt(const std::vector<std::string>& z, const std::string& zeile) {
  return std::find(z.begin(), z.end(), zeile) != z.end();
}
bool enthaelt_anfang(const std::vector<std::string>& z, const std::string& anfang) {
  return std::any_of(z.begin(), z.end(),
                     [&](const std::string& s) { return s.rfind(anfang, 0) == 0; });
}

// The document numbers of the item lines, in list order.
std::vector<std::string> belege(const std::vector<std::string>& z) {
  std::vector<std::string> b;
  for (const auto& s : z)
    if (s.size() > 22 && s[0] != ' ' && (s[21] == 'R' || s[21] == 'G') && s[20] == ' ')
      b.push_back(trim(s.substr(0, 20)));
  return b;
}

struct Liste : OpBuchhaltung {
  // Three customers' items: partly paid (payments out of date order), a
  // settled one, a credit note on the second account.
  void kleine_buecher() {
    rechnung("10001", "100", 11600, tag(10, 1));
    zahlung("10001", "100", 5000, tag(20, 2));
    zahlung("10001", "100", 1600, tag(5, 2));
    rechnung("10001", "101", 5000, tag(12, 1));
    zahlung("10001", "101", 5000, tag(13, 1));
    gutschrift("10002", "7", 2500, tag(3, 3));
  }
  std::vector<std::string> drucke(const OpListeAuswahl& a) {
    EXPECT_TRUE(opliste_drucken(m(), a));
    return liste();
  }
  OpListeAuswahl vorgabe(bool kreditoren = false) { return opliste_vorgabe(m(), kreditoren); }
};

TEST(OpListe, SeiteMitZahlungenZwischensummenUndSummen) {
  Liste l;
  l.kleine_buecher();
  ASSERT_TRUE(opliste_drucken(l.m(), l.vorgabe()));
  const std::vector<std::string> erwartet = {
      std::string(100, '-'),
      "Mandant: 001                    O P - L i s t e   D e b i t o r e n                Datum: "
      "06.12.2024",
      "Schreinerei Holz                                                                      "
      "Blatt:       1",
      "Währung: Euro",
      std::string(100, '-'),
      "",
      "Belegnr              A M Belegdatum Fällig am  Buchdatum          Betrag  Mahnstufe",
      "",
      "Konto 10001  Kunde 10001",
      "100                  R   10.01.2024 09.02.2024 10.01.2024         116,00  0",
      "  Zahlung 05.02.2024  100                                         -16,00",
      "  Zahlung 20.02.2024  100                                         -50,00",
      "  Verbleibender offener Betrag                                     50,00",
      "Summe Konto 10001                                                  50,00",
      "",
      "Konto 10002  Kunde 10002",
      "7                    G   03.03.2024 02.04.2024 03.03.2024         -25,00  0",
      "  Verbleibender offener Betrag                                    -25,00",
      "Summe Konto 10002                                                 -25,00",
      "",
      "Summe offene Rechnungen   :                                        50,00",
      "Summe offene Gutschriften :                                       -25,00",
      "Forderungen               :                                        25,00",
  };
  EXPECT_EQ(l.t.ui.druckauftraege().back().alle_zeilen(), erwartet);
  EXPECT_EQ(l.t.ui.druckauftraege().back().name, "OP-Liste Debitoren");
}

TEST(OpListe, AusgeglicheneSkontoUndFaelligkeit) {
  Liste l;
  l.kleine_buecher();
  OpListeAuswahl a = l.vorgabe();
  a.mit_ausgeglichenen = true;
  a.mit_skonto = true;
  auto z = l.drucke(a);
  // The settled item with its remaining 0, the discount lines of both
  // items with a percentage (2 % of the account, 10 days).
  EXPECT_EQ(belege(z), (std::vector<std::string>{"100", "101", "7"}));
  EXPECT_TRUE(enthaelt(z, "  Skontodatum: 20.01.2024   Skontobetrag: 2,32"));
  EXPECT_TRUE(enthaelt(z, "  Skontodatum: 22.01.2024   Skontobetrag: 1,00"));
  const auto settled = std::find(z.begin(), z.end(),
                                 "  Zahlung 13.01.2024  101                                         "
                                 "-50,00");
  ASSERT_NE(settled, z.end());
  EXPECT_EQ(*(settled + 1),
            "  Verbleibender offener Betrag                                      0,00");
  // "Fällig bis": due dates 09.02. (100) and 02.04. (7).
  a = l.vorgabe();
  a.nur_faellig = true;
  a.faellig_bis = tag(1, 3);
  z = l.drucke(a);
  EXPECT_EQ(belege(z), (std::vector<std::string>{"100"}));
  EXPECT_EQ(l.t.ui.druckauftraege().back().alle_zeilen()[2].find("Fällig bis: 01.03.2024") !=
                std::string::npos,
            true);
}

TEST(OpListe, BelegnummernbereichNumerischUndAlphanumerisch) {
  Liste l;
  for (const char* b : {"4", "5", "12", "20", "21", "RE123", "12345678"})
    l.rechnung("10001", b, 1000, tag(10, 1));
  OpListeAuswahl a = l.vorgabe();
  a.sortierung = Sortierung::Belegnummer;
  // The walk is in key order; the range compares numbers, so "20" (before
  // "5" as text) is in and a number that is none counts as 0. The whole
  // range of the field restricts nothing: a longer number is listed too,
  // and the list is held against the balances.
  EXPECT_EQ(belege(l.drucke(a)),
            (std::vector<std::string>{"12", "12345678", "20", "21", "4", "5", "RE123"}));
  EXPECT_FALSE(enthaelt_anfang(l.liste(), "HINWEIS"));
  a.beleg_von = 5;
  a.beleg_bis = 20;
  EXPECT_EQ(belege(l.drucke(a)), (std::vector<std::string>{"12", "20", "5"}));
  a.sortierung = Sortierung::KontoNumerisch;
  EXPECT_EQ(belege(l.drucke(a)), (std::vector<std::string>{"12", "20", "5"}));
  // A restricted list is not held against the balance.
  EXPECT_FALSE(enthaelt_anfang(l.liste(), "Differenz:"));
  // Alphanumeric document numbers: the range has no effect.
  l.m().basis.set(BasisFelder::BelegnummernAlphanumerisch, true);
  EXPECT_EQ(belege(l.drucke(a)).size(), 7u);
  TFOPListe1 dialog(l.m(), false);
  EXPECT_TRUE(dialog.form().feld(5).geschuetzt);
}

TEST(OpListe, KontenbereichFilterDatumUndSuchnamenfolge) {
  Liste l;
  l.kleine_buecher();
  l.rechnung("10002", "8", 1000, tag(5, 5));
  l.m().personen->suchen("10002");
  l.m().personen->satz().set(P::Suchname, "AAA");
  l.m().personen->satz().set(P::Filter, std::uint8_t{7});
  l.m().personen->speichern("10002");
  OpListeAuswahl a = l.vorgabe();
  a.sortierung = Sortierung::KontoAlphanumerisch;
  auto z = l.drucke(a);
  EXPECT_EQ(belege(z), (std::vector<std::string>{"7", "8", "100"}));
  EXPECT_EQ(z[1], "Konto 10002  Kunde 10002");
  // The filter number comes from the account.
  a.filter_von = a.filter_bis = 7;
  EXPECT_EQ(belege(l.drucke(a)), (std::vector<std::string>{"7", "8"}));
  a = l.vorgabe();
  a.datum_von = tag(1, 3);
  EXPECT_EQ(belege(l.drucke(a)), (std::vector<std::string>{"7", "8"}));
  a.datum_bis = tag(31, 3);
  EXPECT_EQ(belege(l.drucke(a)), (std::vector<std::string>{"7"}));
  a = l.vorgabe();
  a.konto_von = a.konto_bis = 10001;
  EXPECT_EQ(belege(l.drucke(a)), (std::vector<std::string>{"100"}));
  // The suppliers' list has none of the customers' items.
  EXPECT_TRUE(belege(l.drucke(l.vorgabe(true))).empty());
  EXPECT_TRUE(enthaelt_anfang(l.liste(), "Verbindlichkeiten         :"));
}

TEST(OpListe, FalscherOffenerBetragGibtHinweis) {
  Liste l;
  l.kleine_buecher();
  l.m().opstamm->suchen("D100");
  l.m().opstamm->satz().set(O::NochOffen, Betrag{4999});
  l.m().opstamm->speichern("D100");
  const auto z = l.drucke(l.vorgabe());
  const std::string hinweis = "HINWEIS: Der offene OP-Betrag ist nicht korrekt!";
  const auto erste = std::find(z.begin(), z.end(), hinweis);
  ASSERT_NE(erste, z.end());
  EXPECT_EQ(*(erste - 1), "  Verbleibender offener Betrag                                     49,99");
  EXPECT_EQ(z.back(), hinweis);  // repeated at the end
  EXPECT_FALSE(enthaelt_anfang(z, "Differenz:"));
}

TEST(OpListe, DifferenzZumSaldoMitBuchungsdiagnose) {
  Liste l;
  l.kleine_buecher();
  // The item of 100 is lost; a booking on the account that is neither an
  // item's nor a payment slips past the checks.
  l.m().opstamm->loeschen("D100");
  Satz& s = l.t.buchung("10001", 'S', 700, "1200", "", ' ', "55", 4, tag(10, 4));
  ASSERT_TRUE(l.t.kern->buchen(l.m().buchung->letzte_buchung() + 1));
  (void)s;
  const auto z = l.drucke(l.vorgabe());
  // The account still lists 101 only with "Mit ausgeglichenen"; 10002 is fine.
  EXPECT_EQ(belege(z), (std::vector<std::string>{"7"}));
  EXPECT_FALSE(enthaelt_anfang(z, "Differenz:"));
  EXPECT_TRUE(enthaelt(z, "HINWEIS: Differenz stimmt nicht mit der Summe der Salden der "
                          "Forderungskonten"));
  // A range wider than the customers' is no restriction either.
  OpListeAuswahl weit = l.vorgabe();
  weit.konto_von = 0;
  weit.konto_bis = 99999999;
  EXPECT_TRUE(enthaelt(l.drucke(weit), "HINWEIS: Differenz stimmt nicht mit der Summe der Salden der "
                                       "Forderungskonten"));
  OpListeAuswahl a = l.vorgabe();
  a.mit_ausgeglichenen = true;
  const auto mit = l.drucke(a);
  const std::vector<std::string> erwartet = {
      "Summe Konto 10001                                                   0,00",
      "Differenz:                                                         57,00",
      "OP zu OP-Buchung 100 nicht gefunden!",
      "OP zu Z-Buchung 100 nicht gefunden!",
      "OP zu Z-Buchung 100 nicht gefunden!",
      "Buchung auf Personenbuchung, die nicht OP- oder Z-Buchung ist",
      "  Buchung 7  10.04.2024  Art    Beleg 55                            7,00",
  };
  const auto ab = std::find(mit.begin(), mit.end(), erwartet[0]);
  ASSERT_NE(ab, mit.end());
  EXPECT_EQ(std::vector<std::string>(ab, ab + static_cast<long>(erwartet.size())), erwartet);
}

TEST(OpListe, EscBrichtAbOhneVergleiche) {
  Liste l;
  l.kleine_buecher();
  l.t.ui.esc_nach(2);  // stopped on the second item
  EXPECT_FALSE(opliste_drucken(l.m(), l.vorgabe()));
  const auto z = l.liste();
  EXPECT_EQ(belege(z), (std::vector<std::string>{"100"}));
  EXPECT_TRUE(enthaelt(z, "Abgebrochen: die Liste ist nicht vollständig."));
  EXPECT_FALSE(enthaelt_anfang(z, "Differenz"));
  EXPECT_FALSE(enthaelt_anfang(z, "HINWEIS"));
}

TEST(OpListe, EinKundeOhneDialog) {
  Liste l;
  l.kleine_buecher();
  l.rechnung("10001", "102", 1000, tag(30, 11));  // due 30.12.: after today
  ASSERT_TRUE(opliste_fuer_konto(l.m(), " 10001"));
  EXPECT_EQ(belege(l.liste()), (std::vector<std::string>{"100"}));
  EXPECT_FALSE(opliste_fuer_konto(l.m(), "70001"));  // a supplier
  EXPECT_FALSE(opliste_fuer_konto(l.m(), "10x"));
  EXPECT_FALSE(opliste_fuer_konto(l.m(), ""));
  l.t.ui.drucker_ablehnen();
  EXPECT_FALSE(opliste_fuer_konto(l.m(), "10001"));
}

TEST(OpListe, DialogFelder) {
  Liste l;
  l.kleine_buecher();
  l.t.ui.formular_skript({Formularschritt::tippe("Sortierung nach", "Belegnummer"),
                          Formularschritt::tippe("Mit ausgeglichenen OP", "Ja"),
                          Formularschritt::tippe("Konto bis", "10001"),
                          Formularschritt::druecke(Taste::Esc)});
  TFOPListe1 dialog(l.m(), false);
  EXPECT_EQ(dialog.form().titel(), "Liste der Offenen Posten - Debitoren");
  EXPECT_TRUE(dialog.ausfuehren());
  EXPECT_EQ(belege(l.liste()), (std::vector<std::string>{"100", "101"}));
  l.t.ui.alles_verbraucht();
}

// Random books: invoices, credit notes, payments (part, whole, over) and
// deletions of lines through the engine, for customers and suppliers.
// Afterwards every item's open amount is its amount plus its payments,
// the unrestricted lists print no hint and no difference, and the items
// of each collective account add up to its balance (nothing else posts
// there: collective accounts cannot be posted directly).
TEST(OpListe, ZufallsbuecherStimmenMitDenBuchungen) {
  for (unsigned saat = 1; saat <= 4; ++saat) {
    SCOPED_TRACE(saat);
    Liste l;
    std::mt19937 zufall(saat);
    auto wahl = [&](int n) { return static_cast<int>(zufall() % static_cast<unsigned>(n)); };
    const std::vector<std::string> konten = {"10001", "10002", "70001", "70002"};
    std::vector<std::pair<std::string, std::string>> belegt;  // account, document
    std::vector<std::int64_t> zeilen;  // booking numbers written
    for (int i = 0; i < 120; ++i) {
      const int was = wahl(10);
      const Datum d = tag(1 + wahl(28), 1 + wahl(12));
      if (was < 4 || belegt.empty()) {
        const std::string konto = konten[static_cast<std::size_t>(wahl(4))];
        const std::string beleg = std::to_string(1000 + i);
        const Betrag b = 100 + wahl(100000);
        const auto n = was == 0 ? l.gutschrift(konto, beleg, b, d) : l.rechnung(konto, beleg, b, d);
        if (n) belegt.emplace_back(konto, beleg), zeilen.push_back(n);
      } else if (was < 9) {
        const auto& [konto, beleg] =
            belegt[static_cast<std::size_t>(wahl(static_cast<int>(belegt.size())))];
        const auto op = l.t.op(std::string(l.m().ist_debitor(konto) ? "D" : "K") + beleg);
        if (!op) continue;  // its last line was deleted
        const Betrag offen = op->get(O::NochOffen);
        Betrag betrag = offen < 0 ? -offen : offen;
        if (was == 5) betrag = betrag / 2 + 1;
        if (was == 6) betrag += 300;
        if (betrag == 0) betrag = 500;
        // Paying off: against the sign of what is open.
        const bool debitor = l.m().ist_debitor(konto);
        const bool zurueck = (offen < 0) == debitor;
        if (auto n = l.zahlung(konto, beleg, zurueck ? -betrag : betrag, d)) zeilen.push_back(n);
      } else {
        // Delete a random line; an item with payments loses a payment first.
        const std::int64_t n = zeilen[static_cast<std::size_t>(wahl(static_cast<int>(zeilen.size())))];
        Satz alt(BuchungFelder::groesse);
        ASSERT_TRUE(l.m().buchung->buchung_lesen_in(n, alt));
        if (l.m().buchung->satz_ist_leer(alt)) continue;
        if (eroeffnet_op(l.m().basis, alt)) {
          auto op = l.t.op(op_schluessel(l.m().basis, alt));
          if (op && op->get(O::NochOffen) != op->get(O::Betrag)) continue;
        }
        ASSERT_TRUE(l.t.kern->buchung_loeschen(n));
      }
    }
    std::map<std::int32_t, Betrag> je_sammelkonto;
    for (char k : {'D', 'K'}) {
      op_durchlaufen(l.m(), k, [&](const Satz& op) {
        OpZahlungen z;
        EXPECT_TRUE(op_zahlungen(l.m(), op, z));
        Betrag summe = op.get(O::Betrag);
        for (const auto& zahlung : z) summe += zahlung.betrag;
        EXPECT_EQ(summe, op.get(O::NochOffen)) << trim(op.get(O::Belegnummer));
        const Satz p = l.t.personenkonto(kontowert(op.get(O::Kontonummer)));
        const int c = p.get(P::Sammelkonto);
        je_sammelkonto[k == 'D' ? l.m().basis.get(BasisFelder::forderungskonto(c))
                                : l.m().basis.get(BasisFelder::verbindlichkeitskonto(c))] +=
            op.get(O::NochOffen);
        return true;
      });
      OpListeAuswahl a = l.vorgabe(k == 'K');
      a.mit_ausgeglichenen = true;
      for (auto s : {Sortierung::KontoNumerisch, Sortierung::KontoAlphanumerisch,
                     Sortierung::Belegnummer}) {
        a.sortierung = s;
        const auto z = l.drucke(a);
        EXPECT_FALSE(enthaelt_anfang(z, "HINWEIS")) << static_cast<int>(s);
        EXPECT_FALSE(enthaelt_anfang(z, "Differenz"));
      }
    }
    for (std::int32_t sammel : {1400, 1410, 1600, 1610})
      EXPECT_EQ(je_sammelkonto[sammel], l.t.sachkonto(sammel).get(SachFelder::Saldo)) << sammel;
  }
}

}  // namespace
}  // namespace fibu
