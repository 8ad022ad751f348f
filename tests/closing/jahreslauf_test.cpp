// A whole fiscal year as a bookkeeper runs it: twelve periods of random
// documents (invoices with their revenue or expense line, payments of
// earlier invoices, whole, part or with a late booking into a printed
// period), each month the booking journal (with its booking check) and
// month-end, an undo of all month-ends in the middle of the year, and
// again to the end. The booking check over the whole year passes at every
// step, every booking is in the booking file once, and every open item
// equals its bookings.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "../openitems/opbuchhaltung.h"
#include "closing/buchungspruefung.h"
#include "closing/monatsabschluss.h"
#include "openitems/offeneposten.h"
#include "reports/journal.h"

namespace fibu {
namespace {

using B = BuchungFelder;
using BF = BasisFelder;
using O = OpstammFelder;

struct Jahr : OpBuchhaltung {
  std::mt19937 zufall{2024};
  int wahl(int n) { return static_cast<int>(zufall() % static_cast<unsigned>(n)); }
  struct Offen {
    std::string konto, beleg;
  };
  std::vector<Offen> offen;
  int beleg = 1000;

  Datum tag_in(int p) { return DMYtoDate(1 + wahl(28), p, 2024); }

  // One document: an invoice with its revenue (customers) or expense
  // (suppliers) line, or a payment of an earlier invoice with its bank line.
  void dokument(int p, Datum d) {
    if (offen.empty() || wahl(3) != 0) {
      const bool kunde = wahl(3) != 0;
      const std::string konto = kunde ? (wahl(2) ? "10001" : "10002") : (wahl(2) ? "70001" : "70002");
      const std::string nr = std::to_string(++beleg);
      const Betrag brutto = 1160 * (1 + wahl(200));
      ASSERT_NE(rechnung(konto, nr, brutto, d), 0);
      // The lines of one document carry its type.
      Satz& s = t.buchung(kunde ? "4400" : "3400", kunde ? 'H' : 'S', brutto, konto, kunde ? "1" : "9",
                          'R', nr, p, d);
      ASSERT_EQ(t.kern->buchung_pruefen(s, false), 0);
      ASSERT_TRUE(t.kern->buchen(m().buchung->letzte_buchung() + 1));
      offen.push_back({konto, nr});
      return;
    }
    const std::size_t i = static_cast<std::size_t>(wahl(static_cast<int>(offen.size())));
    const Offen o = offen[i];
    const auto op = t.op((m().ist_debitor(o.konto) ? "D" : "K") + o.beleg);
    ASSERT_TRUE(op);
    Betrag rest = op->get(O::NochOffen);
    if (rest < 0) rest = -rest;
    if (rest == 0) return;
    const Betrag betrag = wahl(2) ? rest : rest / 2 + 1;
    if (betrag == rest) offen.erase(offen.begin() + static_cast<std::ptrdiff_t>(i));
    ASSERT_NE(zahlung(o.konto, o.beleg, betrag, d), 0);
    const bool debitor = m().ist_debitor(o.konto);
    Satz& s = t.buchung("1200", debitor ? 'S' : 'H', betrag, o.konto, "", 'Z', o.beleg, p, d);
    ASSERT_EQ(t.kern->buchung_pruefen(s, false), 0);
    ASSERT_TRUE(t.kern->buchen(m().buchung->letzte_buchung() + 1));
  }

  void periode_buchen(int p) {
    for (int i = 0; i < 12; ++i) ASSERT_NO_FATAL_FAILURE(dokument(p, tag_in(p)));
  }

  void journal(int p) {
    t.ui.erwarte_frage("Haben Sie eine Datensicherung?", true);
    if (p == 12) t.ui.erwarte_frage("Mit dem Abschluß dieser Periode", true);
    t.ui.formular_skript({Formularschritt::klicke("&Ok")});
    ASSERT_TRUE(TFBuchungsJournal2(m(), [](Mandant& mm, int pp) {
                  return buchungspruefung(mm, pp);
                }).ausfuehren())
        << protokoll();
    ASSERT_EQ(m().basis.get(BF::periode_status(p)), 2);
  }

  void abschluss(int p) {
    t.ui.erwarte_frage("Wollen Sie den Monatsabschluß wirklich durchführen?", true);
    ASSERT_TRUE(monatsabschluss(m()));
    ASSERT_EQ(m().basis.get(BF::AktuellePeriode), p + 1);
  }

  // The whole year checks; every document number is in the booking file
  // as often as it was posted; every item equals its bookings.
  void alles_stimmt() {
    ASSERT_TRUE(buchungspruefung(m(), 0)) << protokoll();
    auto& bu = *m().buchung;
    bu.offene_sicht = false;
    long nicht_leer = 0;
    ASSERT_TRUE(bu.buchungen_lesen(1, bu.anzahl_buchungen(), [&](std::int64_t, const Satz& s) {
      if (!bu.satz_ist_leer(s)) ++nicht_leer;
      return true;
    }));
    EXPECT_EQ(nicht_leer, gebucht);
    for (char k : {'D', 'K'})
      op_durchlaufen(m(), k, [&](const Satz& op) {
        OpZahlungen z;
        EXPECT_TRUE(op_zahlungen(m(), op, z));
        Betrag summe = op.get(O::Betrag);
        for (const auto& zahlung : z) summe += zahlung.betrag;
        EXPECT_EQ(summe, op.get(O::NochOffen)) << trim(op.get(O::Belegnummer));
        return true;
      });
  }
  // The last message and print job, for a failure.
  std::string protokoll() {
    std::string text = t.ui.meldungen().empty() ? "" : t.ui.meldungen().back() + "\n";
    if (!t.ui.druckauftraege().empty())
      for (const auto& z : t.ui.druckauftraege().back().alle_zeilen()) text += z + "\n";
    return text;
  }
  long gebucht = 0;
  long zaehlen() {
    auto& bu = *m().buchung;
    bu.offene_sicht = false;
    long n = 0;
    EXPECT_TRUE(bu.buchungen_lesen(1, bu.anzahl_buchungen(), [&](std::int64_t, const Satz& s) {
      if (!bu.satz_ist_leer(s)) ++n;
      return true;
    }));
    return n;
  }
};

TEST(Jahreslauf, ZwoelfPeriodenMitRueckgaengigInDerMitte) {
  Jahr j;
  auto monat = [&](int p, bool buchen) {
    if (buchen) {
      ASSERT_NO_FATAL_FAILURE(j.periode_buchen(p));
    }
    j.gebucht = j.zaehlen();
    ASSERT_NO_FATAL_FAILURE(j.journal(p));
    // An import posts into the printed period before its month-end.
    if (buchen && p % 4 == 2) {
      ASSERT_NO_FATAL_FAILURE(j.dokument(p, j.tag_in(p)));
    }
    j.gebucht = j.zaehlen();
    ASSERT_NO_FATAL_FAILURE(j.abschluss(p));
    ASSERT_NO_FATAL_FAILURE(j.alles_stimmt());
  };
  for (int p = 1; p <= 6; ++p) ASSERT_NO_FATAL_FAILURE(monat(p, true)) << "Periode " << p;
  j.t.ui.erwarte_frage("Haben Sie eine Datensicherung des aktuellen Standes?", true);
  j.t.ui.erwarte_frage("Wollen Sie wirklich alle Monatsabschlüsse rückgängig machen?", true);
  ASSERT_TRUE(monatsabschluesse_rueckgaengig(j.m()));
  ASSERT_NO_FATAL_FAILURE(j.alles_stimmt());
  // Late bookings into periods still open after the undo, then every
  // period again to the end of the year.
  ASSERT_NO_FATAL_FAILURE(j.dokument(3, j.tag_in(3)));
  for (int p = 1; p <= 12; ++p) ASSERT_NO_FATAL_FAILURE(monat(p, p > 6)) << "Periode " << p;
  EXPECT_EQ(j.m().archivanzahl, j.gebucht);
  j.t.ui.alles_verbraucht();
}

}  // namespace
}  // namespace fibu
