// A small client for the posting tests: client 1, year 2024, on any file
// system, with a chart of accounts that reaches every path of the engine.
//
//   1000 Kasse (1)          1200 Bank            1400 Forderungen (collective 1)
//   1410 Forderungen 2      1600 Verbindlichk.   1610 Verbindlichkeiten 2
//   1776 USt 16 % (M)       1771 USt 7 % (M)     1576 VSt 16 % (V)
//   1774 EG-USt (M)         1574 EG-VSt (V)      1999 tax account of kind 0
//   4400 Erlöse 16 % (U)    3425 EG-Erwerb (EG, key 19)   3400 Wareneingang
//   10001, 10002 Debitoren (collective 1 / 2)   70001, 70002 Kreditoren
// Tax keys: 1 = 16 % on 1776, 2 = 7 % on 1771, 9 = 16 % on 1576,
// 19 = 16 % on 1774 and 20 = 16 % on 1574 (the acquisition pair),
// 30 = 16 % on 1999 (posts no tax).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "frame/mandant.h"
#include "posting/buchen.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/test_dateisystem.h"
#include "suite/test_interaktion.h"

namespace fibu {

inline constexpr const char* test_wurzel = "/r/FIBU/";

struct Testkonto {
  int nummer;
  int kontenart;
  int steuerschluessel;
};

inline const Testkonto test_sachkonten[] = {
    {1000, 1, 0}, {1200, 0, 0}, {1400, 0, 0}, {1410, 0, 0},  {1600, 0, 0},
    {1610, 0, 0}, {1776, 2, 0}, {1771, 2, 0}, {1576, 4, 0},  {1774, 2, 0},
    {1574, 4, 0}, {1999, 0, 0}, {4400, 3, 1}, {3425, 5, 19}, {3400, 0, 9},
};
inline const int test_personenkonten[][2] = {{10001, 1}, {10002, 2}, {70001, 1}, {70002, 2}};

class Testbuchhaltung {
 public:
  explicit Testbuchhaltung(Dateisystem& fs) : fs_(fs), netz_(fs, "/r", false) {}

  // Creates the client with its accounts (once per file system).
  void anlegen() {
    ASSERT_TRUE(fs_.verzeichnis_anlegen(test_wurzel));
    oeffnen();
    Satz& b = m->basis;
    for (auto [k, nr, satz] :
         {std::tuple{1, 1776, 1600}, std::tuple{2, 1771, 700}, std::tuple{9, 1576, 1600},
          std::tuple{19, 1774, 1600}, std::tuple{20, 1574, 1600}, std::tuple{30, 1999, 1600}}) {
      b.set(BasisFelder::steuerkonto(k), static_cast<std::int32_t>(nr));
      b.set(BasisFelder::steuersatz(k), static_cast<std::int64_t>(satz));
    }
    b.set(BasisFelder::forderungskonto(1), std::int32_t{1400});
    b.set(BasisFelder::forderungskonto(2), std::int32_t{1410});
    b.set(BasisFelder::verbindlichkeitskonto(1), std::int32_t{1600});
    b.set(BasisFelder::verbindlichkeitskonto(2), std::int32_t{1610});
    ASSERT_TRUE(m->schreibe_basis());
    for (const auto& k : test_sachkonten) {
      m->sach->leeren();
      m->sach->satz().set(SachFelder::Bezeichnung1, "Konto " + std::to_string(k.nummer));
      m->sach->satz().set(SachFelder::Kontenart, static_cast<std::uint8_t>(k.kontenart));
      m->sach->satz().set(SachFelder::Steuerschluessel,
                          static_cast<std::uint8_t>(k.steuerschluessel));
      m->sach->satz().set(SachFelder::zuordnung_code(0), "B" + std::to_string(k.nummer / 1000));
      m->sach->speichern(m->sachkonto_text(k.nummer));
    }
    for (const auto& p : test_personenkonten) {
      m->personen->leeren();
      Satz& s = m->personen->satz();
      s.set(PersonenFelder::Name, "Kunde " + std::to_string(p[0]));
      s.set(PersonenFelder::Suchname, "SUCH" + std::to_string(p[0]));
      s.set(PersonenFelder::Sammelkonto, static_cast<std::uint8_t>(p[1]));
      s.set(PersonenFelder::Nettotage, std::uint16_t{30});
      s.set(PersonenFelder::Skontotage1, std::uint16_t{10});
      s.setze_f64(PersonenFelder::Skonto1Anzeige, 2.0);
      m->personen->speichern(m->personenkonto_text(p[0]));
    }
  }

  void oeffnen() {
    m = std::make_unique<Mandant>(fs_, ui, heute, test_wurzel, netz_);
    ASSERT_TRUE(m->mandant_oeffnen(1, 2024, true));
    kern = std::make_unique<Buchungskern>(*m);
  }

  void schliessen() {
    kern.reset();
    m.reset();
  }

  // Fills the working booking (gross amount).
  Satz& buchung(const std::string& konto, char sh, Betrag betrag, const std::string& gegen,
                const std::string& steuer = "", char art = ' ', const std::string& beleg = "",
                int periode = 1, Datum datum = DMYtoDate(15, 1, 2024)) {
    Satz& s = m->buchung->satz();
    s.leeren();
    s.set(BuchungFelder::Konto, konto);
    s.setze_u8(BuchungFelder::SollHaben, static_cast<std::uint8_t>(sh));
    s.set(BuchungFelder::Betrag, betrag);
    s.set(BuchungFelder::Gegenkonto, gegen);
    s.set(BuchungFelder::Steuerschluessel, steuer);
    s.setze_u8(BuchungFelder::Buchungsart, static_cast<std::uint8_t>(art == ' ' ? 0 : art));
    s.set(BuchungFelder::Belegnr, beleg);
    s.set(BuchungFelder::Periode, static_cast<std::uint8_t>(periode));
    s.set(BuchungFelder::Datum, datum);
    s.set(BuchungFelder::Text1, "Buchung " + konto);
    return s;
  }

  // The stored GL / personal account or open item (all zero when missing).
  Satz sachkonto(int nummer) {
    Satz s(SachFelder::groesse);
    if (m->sach->suchen(m->sachkonto_text(nummer))) s = m->sach->satz();
    return s;
  }
  Satz personenkonto(int nummer) {
    Satz s(PersonenFelder::groesse);
    if (m->personen->suchen(m->personenkonto_text(nummer))) s = m->personen->satz();
    return s;
  }
  std::optional<Satz> op(const std::string& key) {
    if (!m->opstamm->suchen(key)) return std::nullopt;
    return m->opstamm->satz();
  }

  TestInteraktion ui;
  Tagesdatum heute{DMYtoDate(6, 12, 2024)};
  std::unique_ptr<Mandant> m;
  std::unique_ptr<Buchungskern> kern;

 private:
  Dateisystem& fs_;
  Netzwerk netz_;
};

// Every record, index entry and the base data of the client as one text.
inline std::string buchhaltungszustand(Testbuchhaltung& t) {
  std::string aus;
  for (tdatenbank* db :
       {static_cast<tdatenbank*>(t.m->sach.get()), static_cast<tdatenbank*>(t.m->personen.get()),
        static_cast<tdatenbank*>(t.m->opstamm.get()),
        static_cast<tdatenbank*>(t.m->buchung.get())}) {
    auto& fb = db->datei();
    aus += "[" + db->name() + "]\n";
    for (int nr = 1; nr <= db->schluesselanzahl(); ++nr) {
      fb.ClearKey(nr);
      std::uint32_t ref;
      std::string key;
      while (fb.NextNetKey(nr, ref, key)) {
        aus += std::to_string(nr) + ":" + key + "/" + std::to_string(ref) + "\n";
        if (nr == 1 && db->daten_in_datei) {
          std::string satz(db->satzgroesse(), '\0');
          EXPECT_TRUE(fb.GetNetRec(ref, satz.data()));
          aus += satz + "\n";
        }
      }
    }
  }
  auto& bu = *t.m->buchung;
  Satz s(BuchungFelder::groesse);
  for (std::int64_t n = 1; n <= bu.anzahl_buchungen(); ++n) {
    EXPECT_TRUE(bu.buchung_lesen_in(n, s));
    aus += s.bytes();
  }
  aus += t.m->basis.bytes();
  return aus;
}

// A posting cut by a power loss after every possible write in turn: on a
// client made by `vorbereiten`, `buchen` (false when it failed) runs once
// undisturbed and then once for each write n with the crash at n; whatever
// of the unsynced writes survives, the reopened client holds either all of
// the posting or nothing of it.
// `punkte`, when given, receives the number of writes a crash was tried at.
// `zusatz`, when given, adds further files of the client to the state
// compared (a table the posting empties with its bookings).
inline void absturzfest_pruefen(const std::function<void(Testbuchhaltung&)>& vorbereiten,
                                const std::function<bool(Testbuchhaltung&)>& buchen,
                                int* punkte = nullptr,
                                const std::function<std::string(Testbuchhaltung&)>& zusatz = {}) {
  auto zustand = [&](Testbuchhaltung& b) {
    return buchhaltungszustand(b) + (zusatz ? zusatz(b) : std::string());
  };
  std::string vorher, nachher;
  {
    TestDateisystem fs;
    Testbuchhaltung t(fs);
    ASSERT_NO_FATAL_FAILURE(vorbereiten(t));
    vorher = zustand(t);
    ASSERT_TRUE(buchen(t));
    t.schliessen();
    t.oeffnen();
    nachher = zustand(t);
  }
  ASSERT_NE(vorher, nachher);
  int alt = 0, neu = 0;
  for (std::uint64_t n = 1;; ++n) {
    SCOPED_TRACE(n);
    ASSERT_LT(n, 1000u);
    TestDateisystem fs;
    Testbuchhaltung t(fs);
    ASSERT_NO_FATAL_FAILURE(vorbereiten(t));
    fs.stoere(n, TestDateisystem::Stoerung::Absturz);
    bool ok = buchen(t);
    bool abgestuerzt = fs.abgestuerzt();
    t.schliessen();  // nothing reaches the disk after the crash
    fs.absturz(TestDateisystem::Verbleib::Zufall, static_cast<std::uint32_t>(n));
    t.oeffnen();
    std::string danach = zustand(t);
    if (!abgestuerzt) {
      EXPECT_TRUE(ok);
      EXPECT_TRUE(danach == nachher);
      if (punkte) *punkte = static_cast<int>(n - 1);
      break;
    }
    if (danach == vorher) {
      ++alt;
    } else {
      ++neu;
      EXPECT_TRUE(danach == nachher) << "half a posting after a crash at write " << n;
    }
  }
  EXPECT_GT(alt, 0);
  EXPECT_GT(neu, 0);
}

// The client created on an in-memory file system, named for the page
// headers of printed lists: the base of the master-data and report tests.
struct Testumgebung {
  TestDateisystem fs;
  Testbuchhaltung t{fs};
  Testumgebung() {
    t.anlegen();
    t.m->basis.set(BasisFelder::Name, "Schreinerei Holz");
  }
  Mandant& m() { return *t.m; }
};

}  // namespace fibu
