// Random sequences of new bookings, overwrites and deletions over GL, tax,
// acquisition, collective and personal accounts, invoices, credit notes,
// payments and opening bookings. After every step each account's opening
// balance, balance and period totals and each open item's amounts equal
// what a small reference derives from the bookings stored at that moment.
// The reference is written from the rules of the books, not from the engine.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <map>
#include <random>

#include "suite/test_dateisystem.h"
#include "testbuchhaltung.h"

namespace fibu {
namespace {

using B = BuchungFelder;

struct Saldenstand {
  Betrag eroeffnung = 0, saldo = 0;
  std::array<Betrag, 13> soll{}, haben{};
  bool operator==(const Saldenstand&) const = default;
};

struct Opstand {
  Betrag betrag = 0, offen = 0;
  bool operator==(const Opstand&) const = default;
};

// Tax keys of the test client: key -> (tax account, rate).
const std::map<int, std::pair<int, std::int64_t>> steuertabelle = {
    {1, {1776, 1600}},  {2, {1771, 700}},   {9, {1576, 1600}},
    {19, {1774, 1600}}, {20, {1574, 1600}}, {30, {1999, 1600}}};

Betrag auf_cent(long double wert) {
  std::fesetround(FE_TONEAREST);  // halves to even
  return static_cast<Betrag>(std::nearbyintl(wert));
}

int kontenart(int konto) {
  for (const auto& k : test_sachkonten)
    if (k.nummer == konto) return k.kontenart;
  return -1;
}
int kontoschluessel(int konto) {
  for (const auto& k : test_sachkonten)
    if (k.nummer == konto) return k.steuerschluessel;
  return 0;
}
int sammelkonto(int person) {
  int c = 0;
  for (const auto& p : test_personenkonten)
    if (p[0] == person) c = p[1];
  if (person < 70000) return c == 1 ? 1400 : 1410;
  return c == 1 ? 1600 : 1610;
}

struct Referenz {
  std::map<int, Saldenstand> konten;
  std::map<std::string, Opstand> ops;

  static void betrag(Saldenstand& k, bool eroeffnung, bool soll, int p, Betrag b) {
    if (eroeffnung) {
      k.eroeffnung += soll ? b : -b;
    } else {
      (soll ? k.soll : k.haben)[static_cast<std::size_t>(p)] += b;
    }
    k.saldo += soll ? b : -b;
  }
  void steuer(int key, bool soll, int p, Betrag b) {
    auto it = steuertabelle.find(key);
    if (it == steuertabelle.end()) return;
    int konto = it->second.first;
    int art = kontenart(konto);
    if (art == 2 || art == 4) betrag(konten[konto], false, soll, p, b);
  }

  void buchung(const Satz& s) {
    int konto = kontowert(s.get(B::Konto));
    int p = s.get(B::Periode);
    char art = static_cast<char>(s.u8(B::Buchungsart));
    bool soll = s.u8(B::SollHaben) == 'S';
    Betrag b = s.get(B::Betrag);
    Betrag vz = soll ? b : -b;
    int eart = s.get(B::Eroeffnungsart);
    if (konto < 10000) {
      if (p < 1 || p > 12) return;
      betrag(konten[konto], art == 'E', soll, p, b);
      if (kontenart(konto) == 5) {
        int j = kontoschluessel(konto);
        for (int k : {j, j + 1}) {
          auto it = steuertabelle.find(k);
          if (it == steuertabelle.end()) continue;
          steuer(k, k == j ? !soll : soll, p,
                 auf_cent(static_cast<long double>(b) * it->second.second / 10000.0L));
        }
      } else if (s.get(B::Steuerbetrag) != 0) {
        steuer(std::atoi(s.get(B::Steuerschluessel).c_str()), soll, p, s.get(B::Steuerbetrag));
      }
      return;
    }
    if (p >= 1 && p <= 12) {
      betrag(konten[konto], art == 'E', soll, p, b);
      betrag(konten[sammelkonto(konto)], art == 'E', soll, p, b);
    }
    std::string key = (konto < 70000 ? "D" : "K") + trim(s.get(B::Belegnr));
    if (art == 'R' || art == 'G' || (art == 'E' && eart <= 1)) {
      ops[key].betrag += vz;
      ops[key].offen += vz;
    } else if (art == 'Z' || (art == 'E' && eart == 2)) {
      ops[key].offen += vz;
    }
  }
};

class Modell {
 public:
  explicit Modell(std::uint32_t seed) : zufall_(seed) { t_.anlegen(); }

  Testbuchhaltung& t() { return t_; }

  // One random step: a new booking (sometimes beyond the end), an
  // overwrite or a deletion.
  void schritt() {
    auto& bu = *t_.m->buchung;
    std::int64_t n = bu.anzahl_buchungen();
    int was = wuerfel(10);
    std::int64_t ziel;
    if (n == 0 || was < 5) {
      ziel = n + 1 + (wuerfel(20) == 0 ? wuerfel(3) : 0);
      neue_buchung();
    } else {
      ziel = 1 + wuerfel(static_cast<int>(n));
      if (was < 8)
        neue_buchung();
      else
        bu.satz().leeren();
    }
    eingaben_.insert_or_assign(ziel, bu.satz());
    ASSERT_TRUE(t_.kern->buchen(ziel));
  }

  // Compares every account and item with the reference of the stored bookings.
  void pruefen() {
    auto& bu = *t_.m->buchung;
    Referenz ref;
    Satz s(B::groesse);
    for (std::int64_t n = 1; n <= bu.anzahl_buchungen(); ++n) {
      ASSERT_TRUE(bu.buchung_lesen_in(n, s));
      ASSERT_EQ(s.get(B::Index), n);
      if (bu.satz_ist_leer(s)) continue;
      pruefe_aufteilung(n, s);
      ref.buchung(s);
    }
    for (const auto& k : test_sachkonten)
      vergleiche(t_.sachkonto(k.nummer), k.nummer, ref.konten[k.nummer], true);
    for (const auto& p : test_personenkonten)
      vergleiche(t_.personenkonto(p[0]), p[0], ref.konten[p[0]], false);
    std::size_t gefunden = 0;
    std::uint32_t r;
    std::string key;
    t_.m->opstamm->datei().ClearKey(1);
    while (t_.m->opstamm->datei().NextNetKey(1, r, key)) {
      ++gefunden;
      Satz op = *t_.op(key);
      Opstand ist{op.get(OpstammFelder::Betrag), op.get(OpstammFelder::NochOffen)};
      ASSERT_EQ(ist, ref.ops[key]) << "OP " << key;
    }
    ASSERT_EQ(gefunden, ref.ops.size());
  }

 private:
  int wuerfel(int n) { return static_cast<int>(zufall_() % static_cast<std::uint32_t>(n)); }

  void neue_buchung() {
    static const char* sachkonten[] = {"1000", "1200", "3400", "4400", "3425"};
    static const char* schluessel[] = {"", "", "1", "2", "9", "30", "19"};
    static const char* personen[] = {"10001", "10002", "70001", "70002"};
    char sh = wuerfel(2) ? 'S' : 'H';
    Betrag betrag = 1 + wuerfel(200000);
    if (wuerfel(15) == 0) betrag = -betrag;
    int p = wuerfel(12) == 0 ? (wuerfel(2) ? 0 : 13) : 1 + wuerfel(12);
    Datum datum = DMYtoDate(1 + wuerfel(28), p >= 1 && p <= 12 ? p : 1, 2024);
    int was = wuerfel(10);
    std::string beleg = std::to_string(1 + wuerfel(12));
    if (was < 4) {  // GL to GL, with or without tax
      t_.buchung(sachkonten[wuerfel(5)], sh, betrag, "1200", schluessel[wuerfel(7)], ' ', beleg, p,
                 datum);
      return;
    }
    std::string person = personen[wuerfel(4)];
    std::string key = (person < "70000" ? "D" : "K") + beleg;
    bool op_da = t_.m->opstamm->key_vorhanden(1, key);
    if (was < 7 || !op_da) {  // invoice or credit note
      t_.buchung(person, sh, betrag, "4400", "", wuerfel(3) ? 'R' : 'G', beleg, p, datum);
    } else if (was < 9) {  // payment
      t_.buchung(person, sh, betrag, "1200", "", 'Z', beleg, p, datum);
    } else {  // opening booking: GL, item or payment of an item
      int art = wuerfel(4);
      if (art == 3) {
        t_.buchung(sachkonten[wuerfel(5)], sh, betrag, "9000", "", 'E', "", p, datum);
      } else {
        t_.buchung(person, sh, betrag, "9000", "", 'E', beleg, p, datum);
        t_.m->buchung->satz().set(B::Eroeffnungsart, static_cast<std::uint8_t>(art));
      }
    }
  }

  // The stored booking holds the net amount and the tax of its gross input.
  void pruefe_aufteilung(std::int64_t n, const Satz& s) {
    const Satz& ein = eingaben_.at(n);
    Betrag brutto = ein.get(B::Betrag);
    int key = std::atoi(trim(ein.get(B::Steuerschluessel)).c_str());
    auto it = steuertabelle.find(key);
    bool eg = kontenart(kontowert(s.get(B::Konto))) == 5;
    if (it == steuertabelle.end() || eg) {
      ASSERT_EQ(s.get(B::Betrag), brutto) << "booking " << n;
      ASSERT_EQ(s.get(B::Steuerbetrag), 0) << "booking " << n;
      return;
    }
    std::int64_t satz = it->second.second;
    Betrag netto = auf_cent(static_cast<long double>(brutto) * 100.0L / (satz / 100.0L + 100.0L));
    ASSERT_EQ(s.get(B::Betrag), netto) << "booking " << n;
    ASSERT_EQ(s.get(B::Steuerbetrag), brutto - netto) << "booking " << n;
    ASSERT_EQ(s.get(B::Steuersatz), satz);
  }

  void vergleiche(const Satz& k, int nummer, const Saldenstand& soll, bool sach) {
    Saldenstand ist;
    ist.eroeffnung =
        sach ? k.get(SachFelder::Eroeffnungssaldo) : k.get(PersonenFelder::Eroeffnungssaldo);
    ist.saldo = sach ? k.get(SachFelder::Saldo) : k.get(PersonenFelder::Saldo);
    for (int p = 1; p <= 12; ++p) {
      auto i = static_cast<std::size_t>(p);
      ist.soll[i] = sach ? k.get(SachFelder::soll(p)) : k.get(PersonenFelder::soll(p));
      ist.haben[i] = sach ? k.get(SachFelder::haben(p)) : k.get(PersonenFelder::haben(p));
    }
    ASSERT_TRUE(ist == soll) << "account " << nummer << ": balance " << ist.saldo << " instead of "
                             << soll.saldo << ", opening " << ist.eroeffnung << " instead of "
                             << soll.eroeffnung;
  }

  TestDateisystem fs_;
  Testbuchhaltung t_{fs_};
  std::mt19937 zufall_;
  std::map<std::int64_t, Satz> eingaben_;
};

TEST(BuchenModell, BalancesAndItemsAlwaysFollowTheStoredBookings) {
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    Modell m(seed);
    for (int i = 0; i < 1500; ++i) {
      SCOPED_TRACE(i);
      ASSERT_NO_FATAL_FAILURE(m.schritt());
      ASSERT_NO_FATAL_FAILURE(m.pruefen());
    }
    // Everything is on disk.
    m.t().schliessen();
    m.t().oeffnen();
    ASSERT_NO_FATAL_FAILURE(m.pruefen());
  }
}

}  // namespace
}  // namespace fibu
