// The consistency check on the small client of the posting tests: the
// protocol of a clean client, the overlap of account roles, every save
// check of the masters and base-data pages reported under its section with
// its record's prefix, the flags and BASIS.PAR, a cancelled printer, and
// the main window's guard with the real check behind it.
#include "closing/konsistenz.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "../posting/testbuchhaltung.h"
#include "frame/basisdaten.h"
#include "frame/tffibu.h"
#include "masters/kostenrechnung.h"
#include "masters/personenkonto.h"
#include "masters/sachkonto.h"

namespace fibu {
namespace {

using B = BasisFelder;
using S = SachFelder;
using P = PersonenFelder;

const std::vector<std::string> ueberschriften = {
    "Basisdaten Mandant:",
    "Basisdaten Perioden:",
    "Basisdaten Konten:",
    "Basisdaten Steuerkonten:",
    "Basisdaten Belegnummern:",
    "Basisdaten Differenz-/Saldenvortragskonten:",
    "Basisdaten Buchungsprüfung:",
    "Basisdaten Kostenrechnung:",
    "Sachkonten:",
    "Personenkonten:",
    "Kostenstellen:",
    "Verteilschlüssel:",
    "Kostenarten:",
    "Überschneidung der Sachkonten:"};

struct Umgebung : Testumgebung {
  // The test client made free of findings: the base data the first page
  // asks for, the report groups its accounts name, dunning codes.
  Umgebung() {
    Satz& b = m().basis;
    b.set(B::Finanzamt, "Erding");
    b.set(B::Steuernummer, "114/123/45678");
    m().bwakonto->oeffnen();
    for (const char* code : {"B1", "B3", "B4"}) {
      m().bwakonto->leeren();
      m().bwakonto->satz().set(BwakontoFelder::Gruppe, code);
      m().bwakonto->speichern(code);
    }
    for (const auto& p : test_personenkonten) {
      const std::string nr = m().personenkonto_text(p[0]);
      EXPECT_TRUE(m().personen->suchen(nr));
      m().personen->satz().set(P::Mkz, std::uint8_t{1});
      m().personen->speichern(nr);
    }
  }

  // Runs the check; the protocol's lines after the page header.
  std::vector<std::string> pruefen(bool* ergebnis = nullptr) {
    const std::size_t vorher = t.ui.druckauftraege().size();
    const bool ok = konsistenzpruefung(m());
    if (ergebnis) *ergebnis = ok;
    if (t.ui.druckauftraege().size() == vorher) return {};
    std::vector<std::string> zeilen;
    for (const auto& seite : t.ui.druckauftraege().back().seiten)
      for (std::size_t i = 6; i < seite.zeilen.size(); ++i)  // the header's 6 lines
        zeilen.push_back(seite.zeilen[i].text);
    return zeilen;
  }

  // The lines of each section.
  std::map<std::string, std::vector<std::string>> abschnitte() {
    std::map<std::string, std::vector<std::string>> aus;
    std::string aktuell;
    for (const std::string& z : pruefen()) {
      if (std::find(ueberschriften.begin(), ueberschriften.end(), z) != ueberschriften.end())
        aktuell = z;
      else if (!z.empty())
        aus[aktuell].push_back(z);
    }
    return aus;
  }

  void sachkonto(int nummer, const std::function<void(Satz&)>& aendern) {
    m().sach->leeren();
    Satz& s = m().sach->satz();
    s.set(S::Kontonummer, m().sachkonto_text(nummer));
    s.set(S::Bezeichnung1, "Konto " + std::to_string(nummer));
    aendern(s);
    m().sach->speichern(m().sachkonto_text(nummer));
  }
  void personenkonto(int nummer, const std::function<void(Satz&)>& aendern) {
    m().personen->leeren();
    Satz& s = m().personen->satz();
    s.set(P::Kontonr, m().personenkonto_text(nummer));
    s.set(P::Name, "Person " + std::to_string(nummer));
    s.set(P::Sammelkonto, std::uint8_t{1});
    s.set(P::Mkz, std::uint8_t{1});
    aendern(s);
    m().personen->speichern(m().personenkonto_text(nummer));
  }
  void kostenstelle(int nummer, int leit) {
    m().kosten->leeren();
    m().kosten->satz().set(KostenFelder::Leitkostenstelle, leit ? kostenzahl(leit) : "");
    m().kosten->speichern(kostenschluessel(Kostenstamm::Kostenstelle, nummer));
  }
  void verteilschluessel(int nummer, std::vector<Verteilzeile> zeilen) {
    m().kosten->leeren();
    m().kosten->verteilung = std::move(zeilen);
    m().kosten->speichern(kostenschluessel(Kostenstamm::Verteilschluessel, nummer));
  }
  void kostenart(int kostenstelle, int konto) {
    if (!m().kostart->offen()) m().kostart->oeffnen();
    m().kostart->leeren();
    Satz& s = m().kostart->satz();
    s.set(KostartFelder::Kostenstelle, kostenzahl(kostenstelle));
    s.set(KostartFelder::Sachkonto, m().sachkonto_text(konto));
    s.set(KostartFelder::Schluessel1, kostenzahl(kostenstelle) + m().sachkonto_text(konto));
    s.set(KostartFelder::Schluessel2, m().sachkonto_text(konto) + kostenzahl(kostenstelle));
    m().kostart->speichern(kostenzahl(kostenstelle) + m().sachkonto_text(konto));
  }
  static std::string kostenzahl(int n) {
    char t[8];
    std::snprintf(t, sizeof t, "%04d", n);
    return t;
  }
};

TEST(Konsistenzpruefung, SauberNurUeberschriftenUndBeideKennzeichenGespeichert) {
  Umgebung u;
  u.m().basis.set(B::BasisKonsistent, false);
  u.m().basis.set(B::StammKonsistent, false);
  bool ok = false;
  const auto zeilen = u.pruefen(&ok);
  EXPECT_TRUE(ok);
  std::vector<std::string> erwartet;
  for (const auto& h : ueberschriften) {
    erwartet.push_back(h);
    erwartet.push_back("");
  }
  EXPECT_EQ(zeilen, erwartet);
  const Druckauftrag& job = u.t.ui.druckauftraege().back();
  EXPECT_EQ(job.hinweis,
            "Es wird eine Konsistenzprüfung der Basisdaten und Sach-/Personenkonten durchgeführt!");
  EXPECT_EQ(job.breite, 79);
  EXPECT_EQ(seitenkopf_zeilen(seitenkopf(u.m(), "Konsistenzprüfung", 79), 1)[1],
            job.seiten.front().zeilen[1].text);
  // Both flags are set and written: they survive reopening.
  u.t.schliessen();
  u.t.oeffnen();
  EXPECT_TRUE(u.m().basis.get(B::BasisKonsistent));
  EXPECT_TRUE(u.m().basis.get(B::StammKonsistent));
}

TEST(Konsistenzpruefung, UeberschneidungenVonBeidenSeitenGemeldet) {
  struct Fall {
    ZahlFeld<std::int32_t> a, b;
    std::vector<std::string> zeilen;
  };
  const Fall faelle[] = {
      {B::forderungskonto(3), B::steuerkonto(5),
       {"Das Forderungskonto 1777 ist auch Steuerkonto!",
        "Das Steuerkonto 1777 ist auch Forderungskonto!"}},
      {B::forderungskonto(3), B::verbindlichkeitskonto(7),
       {"Das Forderungskonto 1777 ist auch Verbindlichkeitskonto!",
        "Das Verbindlichkeitskonto 1777 ist auch Forderungskonto!"}},
      {B::verbindlichkeitskonto(40), B::steuerkonto(1),
       {"Das Verbindlichkeitskonto 1777 ist auch Steuerkonto!",
        "Das Steuerkonto 1777 ist auch Verbindlichkeitskonto!"}},
  };
  for (const Fall& f : faelle) {
    Umgebung u;
    u.m().basis.set(f.a, std::int32_t{1777});
    u.m().basis.set(f.b, std::int32_t{1777});
    bool ok = true;
    u.pruefen(&ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(u.abschnitte(), (std::map<std::string, std::vector<std::string>>{
                                  {"Überschneidung der Sachkonten:", f.zeilen}}));
    EXPECT_FALSE(u.m().basis.get(B::BasisKonsistent));
  }
}

TEST(Konsistenzpruefung, BasisdatenseitenUnterIhrerUeberschrift) {
  // One fault per page; the line is the page check's own message.
  using Pruefe = std::function<std::optional<std::string>(const Satz&, Mandant&)>;
  struct Fall {
    const char* abschnitt;
    std::function<void(Satz&)> stoeren;
    Pruefe pruefe;
  };
  const Fall faelle[] = {
      {"Basisdaten Mandant:", [](Satz& b) { b.set(B::DebitorVon, std::int32_t{9000}); },
       [](const Satz& b, Mandant&) { return pruefe_basis_mandant(b); }},
      {"Basisdaten Perioden:", [](Satz& b) { b.set(B::periode_bis(12), DMYtoDate(29, 12, 2024)); },
       [](const Satz& b, Mandant&) { return pruefe_perioden(b); }},
      {"Basisdaten Belegnummern:",
       [](Satz& b) { b.set(B::tage_dispo_kreditoren(4), std::uint16_t{0}); },
       [](const Satz& b, Mandant&) { return pruefe_belegnummern(b); }},
      {"Basisdaten Differenz-/Saldenvortragskonten:",
       [](Satz& b) { b.set(B::DifferenzkontoSach, std::int32_t{4400}); },
       [](const Satz& b, Mandant& m) { return pruefe_saldenvortraege(b, m); }},
      {"Basisdaten Buchungsprüfung:", [](Satz& b) { b.set(B::pruefung(4, 2), std::int32_t{20000}); },
       [](const Satz& b, Mandant&) { return pruefe_buchungspruefung(b); }},
      {"Basisdaten Kostenrechnung:",
       [](Satz& b) { b.set(B::VerteilschluesselBis, std::int32_t{1500}); },
       [](const Satz& b, Mandant& m) { return pruefe_kostenrechnung(b, m); }},
  };
  std::set<std::string> gesehen;
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.abschnitt);
    Umgebung u;
    f.stoeren(u.m().basis);
    const auto text = f.pruefe(u.m().basis, u.m());
    ASSERT_TRUE(text);
    gesehen.insert(*text);
    EXPECT_EQ(u.abschnitte(),
              (std::map<std::string, std::vector<std::string>>{{f.abschnitt, {*text}}}));
    EXPECT_FALSE(u.m().basis.get(B::StammKonsistent));
  }
  EXPECT_EQ(gesehen.size(), std::size(faelle));
}

// Each save check of the master-data dialogs, made to fail by a record of
// its own: the protocol shows exactly what the dialog's routine reports for
// that record, behind the record's prefix and under its section, and goes
// on with the next record.
TEST(Konsistenzpruefung, JedeSpeicherpruefungDerStammdatenMitPraefix) {
  Umgebung u;
  Mandant& m = u.m();
  using Routine = std::function<void(Pruefmeldung&)>;
  struct Fall {
    const char* abschnitt;
    std::string praefix;
    Routine routine;
  };
  std::vector<Fall> faelle;
  auto sach = [&](int nummer, std::function<void(Satz&)> aendern) {
    u.sachkonto(nummer, aendern);
    const Satz s = m.sach->satz();
    faelle.push_back({"Sachkonten:", "Sachkonto " + m.sachkonto_text(nummer) + ": ",
                      [&m, s](Pruefmeldung& p) { sachkonto_pruefen(m, s, p); }});
  };
  auto art = [](int a) { return [a](Satz& s) { s.set(S::Kontenart, static_cast<std::uint8_t>(a)); }; };
  auto art_schluessel = [](int a, int k) {
    return [a, k](Satz& s) {
      s.set(S::Kontenart, static_cast<std::uint8_t>(a));
      s.set(S::Steuerschluessel, static_cast<std::uint8_t>(k));
    };
  };
  sach(12000, art(0));                   // outside the GL range
  sach(4001, art(6));                    // no such kind
  sach(1001, art_schluessel(1, 1));      // cash with a tax key
  sach(4004, art_schluessel(0, 41));     // key beyond 40
  sach(4005, art_schluessel(0, 5));      // key without tax account
  sach(3426, art_schluessel(5, 0));      // acquisition without key
  sach(3427, art_schluessel(5, 3));      // acquisition keys without tax accounts
  sach(3428, [](Satz& s) {               // acquisition key not to be changed
    s.set(S::Kontenart, std::uint8_t{5});
    s.set(S::Steuerschluessel, std::uint8_t{19});
    s.set(S::SteuerschluesselAenderbar, true);
  });
  sach(4002, [](Satz& s) {
    s.set(S::zuordnung_code(0), "B4");
    s.set(S::zuordnung_code(2), "B4");
  });
  sach(4003, [](Satz& s) { s.set(S::zuordnung_code(1), "X9"); });
  sach(4006, [](Satz& s) { s.set(S::Bezeichnung2, "<4006> selbst"); });
  sach(4007, [](Satz& s) { s.set(S::Bezeichnung2, "<4999> fehlt"); });
  sach(4008, [](Satz& s) { s.set(S::Bezeichnung2, "<4400> ohne Zeile 99"); });

  auto person = [&](int nummer, std::function<void(Satz&)> aendern) {
    u.personenkonto(nummer, aendern);
    const Satz s = m.personen->satz();
    faelle.push_back({"Personenkonten:", "Personenkonto " + m.personenkonto_text(nummer) + ": ",
                      [&m, s](Pruefmeldung& p) { personenkonto_pruefen(m, s, p); }});
  };
  person(100001, [](Satz&) {});  // outside both personal ranges
  person(10010, [](Satz& s) { s.set(P::Mkz, std::uint8_t{0}); });
  person(10011, [](Satz& s) { s.set(P::Sammelkonto, std::uint8_t{41}); });
  person(10012, [](Satz& s) { s.set(P::Sammelkonto, std::uint8_t{7}); });
  person(70010, [](Satz& s) { s.set(P::Sammelkonto, std::uint8_t{7}); });

  auto kosten = [&](const char* abschnitt, const std::string& praefix, Routine r) {
    faelle.push_back({abschnitt, praefix, std::move(r)});
  };
  u.kostenstelle(1, 0);
  u.kostenstelle(2, 17);
  for (int nr : {1, 2}) {
    ASSERT_TRUE(m.kosten->suchen(kostenschluessel(Kostenstamm::Kostenstelle, nr)));
    const Satz s = m.kosten->satz();
    kosten("Kostenstellen:", "Kostenstelle K000" + std::to_string(nr) + ": ",
           [&m, s](Pruefmeldung& p) { kostenstelle_pruefen(m, s, p); });
  }
  const std::vector<std::vector<Verteilzeile>> tabellen = {
      {{"0001", 5000}, {"0002", 4000}},     // short of 100 %
      {{"0001", 5000}, {"0033", 5000}},     // unknown cost centre
      {{"", 5000}, {"0001", 5000}},         // share without cost centre
  };
  for (std::size_t i = 0; i < tabellen.size(); ++i) {
    const int nr = 11 + static_cast<int>(i);
    u.verteilschluessel(nr, tabellen[i]);
    kosten("Verteilschlüssel:", "Verteilschluessel V00" + std::to_string(nr) + ": ",
           [&m, z = tabellen[i]](Pruefmeldung& p) { verteilschluessel_pruefen(m, z, p); });
  }
  // A cost type whose cost centre and GL account are both missing.
  u.kostenart(44, 4999);
  {
    const Satz s = m.kostart->satz();
    kosten("Kostenarten:", "Kostenart 00444999: ",
           [&m, s](Pruefmeldung& p) { kostenart_pruefen(m, s, p); });
  }

  // What each routine reports on its own.
  std::map<std::string, std::vector<std::string>> erwartet;
  std::set<std::string> meldungen;
  for (const Fall& f : faelle) {
    std::vector<std::string> zeilen;
    Pruefmeldung p(f.praefix, [&](const std::string& z) { zeilen.push_back(z); });
    f.routine(p);
    ASSERT_FALSE(zeilen.empty()) << f.praefix;
    for (const auto& z : zeilen) meldungen.insert(z.substr(z.find(": ") + 2));
    auto& abschnitt = erwartet[f.abschnitt];
    abschnitt.insert(abschnitt.end(), zeilen.begin(), zeilen.end());
  }
  // Each case reaches a check of its own.
  EXPECT_GE(meldungen.size(), faelle.size());

  auto protokoll = u.abschnitte();
  for (auto& [abschnitt, zeilen] : erwartet) {
    // The protocol lists the records in key order, the cases are not.
    auto gedruckt = protokoll[abschnitt];
    for (const auto& z : zeilen)
      EXPECT_NE(std::find(gedruckt.begin(), gedruckt.end(), z), gedruckt.end())
          << abschnitt << " fehlt: " << z;
    EXPECT_EQ(gedruckt.size(), zeilen.size()) << abschnitt;
  }
  EXPECT_EQ(protokoll.size(), erwartet.size());
  EXPECT_FALSE(u.m().basis.get(B::BasisKonsistent));
}

// Records the check reads between others of the same file: cost centres
// whose main cost centre is read from the same file, allocation keys whose
// lines 25 on live in continuation records of that file.
TEST(Konsistenzpruefung, KostenstellenUndLangeVerteilschluessel) {
  Umgebung u;
  Mandant& m = u.m();
  m.kosten->leeren();
  m.kosten->speichern(kostenschluessel(Kostenstamm::Leitkostenstelle, 1));
  for (int nr : {1, 2, 3}) u.kostenstelle(nr, 1);
  u.kostenstelle(4, 9);
  u.kostenstelle(5, 1);
  std::vector<Verteilzeile> lang(25, {"0001", 300});
  lang.insert(lang.end(), 5, {"0002", 500});
  u.verteilschluessel(21, lang);
  lang[26].kostenstelle = "0077";
  u.verteilschluessel(22, lang);
  ASSERT_EQ(m.kosten->anzahl_saetze(), 10u);  // with two continuation records
  m.kostart->schliessen();
  EXPECT_EQ(u.abschnitte(),
            (std::map<std::string, std::vector<std::string>>{
                {"Kostenstellen:", {"Kostenstelle K0004: Leitkostenstelle 0009 nicht vorhanden!"}},
                {"Verteilschlüssel:",
                 {"Verteilschluessel V0022: Kostenstelle 0077 nicht vorhanden!"}}}));
  // The cost-type file, closed before, is closed again.
  EXPECT_FALSE(m.kostart->offen());
}

TEST(Konsistenzpruefung, BefundLaesstDieKennzeichenAufDerPlatte) {
  Umgebung u;
  ASSERT_TRUE(konsistenzpruefung(u.m()));
  u.m().basis.set(B::BasisKonsistent, false);
  u.m().basis.set(B::StammKonsistent, false);
  ASSERT_TRUE(u.m().schreibe_basis());
  u.m().basis.set(B::Steuernummer, "");
  EXPECT_FALSE(konsistenzpruefung(u.m()));
  u.t.schliessen();
  u.t.oeffnen();
  EXPECT_FALSE(u.m().basis.get(B::BasisKonsistent));
  EXPECT_FALSE(u.m().basis.get(B::StammKonsistent));
}

TEST(Konsistenzpruefung, NichtLesbareDateiIstEinBefund) {
  Umgebung u;
  u.m().sach->schliessen();
  EXPECT_EQ(u.abschnitte(),
            (std::map<std::string, std::vector<std::string>>{
                {"Sachkonten:", {"Die Datei SACH konnte nicht vollständig gelesen werden!"}}}));
  EXPECT_FALSE(u.m().basis.get(B::BasisKonsistent));
  u.m().sach->oeffnen();
}

TEST(Konsistenzpruefung, AbgebrochenerDruckerAendertNichts) {
  Umgebung u;
  for (bool vorher : {false, true}) {
    u.m().basis.set(B::BasisKonsistent, vorher);
    u.m().basis.set(B::StammKonsistent, false);
    u.t.ui.drucker_ablehnen();
    bool ok = true;
    EXPECT_TRUE(u.pruefen(&ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_EQ(static_cast<bool>(u.m().basis.get(B::BasisKonsistent)), vorher);
    EXPECT_FALSE(u.m().basis.get(B::StammKonsistent));
  }
}

// The main window's guard with the check registered as the program does.
struct MitHauptfenster : Umgebung {
  Suitekonfiguration suite;
  TFFibu fibu{m(), suite, Kommandozeile{}};
  int laeufe = 0;
  MitHauptfenster() {
    abschluss_registrieren(fibu);
    fibu.registriere(27, [this] { ++laeufe; });
    m().basis.set(B::BasisKonsistent, false);
  }
};

TEST(Konsistenzwaechter, PrueftVorDerFunktionUndLaesstNurEinwandfreieDurch) {
  MitHauptfenster h;
  h.m().basis.set(B::Finanzamt, "");
  const std::size_t jobs = h.t.ui.druckauftraege().size();
  EXPECT_FALSE(h.fibu.ausfuehren(27));
  EXPECT_EQ(h.laeufe, 0);
  const auto& meldungen = h.t.ui.meldungen();
  ASSERT_GE(meldungen.size(), 2u);
  EXPECT_EQ(meldungen[meldungen.size() - 2], "Es ist eine Konsistenzprüfung der Basisdaten nötig!");
  EXPECT_EQ(meldungen.back(), "Bitte beheben Sie die Fehler! Die Funktion wird abgebrochen!");
  ASSERT_EQ(h.t.ui.druckauftraege().size(), jobs + 1);
  // A cancelled printer refuses the function the same way.
  h.m().basis.set(B::Finanzamt, "Erding");
  h.t.ui.drucker_ablehnen();
  EXPECT_FALSE(h.fibu.ausfuehren(27));
  EXPECT_EQ(h.laeufe, 0);
  EXPECT_EQ(h.t.ui.meldungen().back(), "Bitte beheben Sie die Fehler! Die Funktion wird abgebrochen!");
  EXPECT_FALSE(h.m().basis.get(B::BasisKonsistent));
  // Clean: checked once, then let through without a further check.
  EXPECT_TRUE(h.fibu.ausfuehren(27));
  EXPECT_TRUE(h.fibu.ausfuehren(27));
  EXPECT_EQ(h.laeufe, 2);
  EXPECT_EQ(h.t.ui.druckauftraege().size(), jobs + 2);
  EXPECT_TRUE(h.m().basis.get(B::BasisKonsistent));
  // Command 41 fails when it finds something.
  h.m().basis.set(B::Name, "");
  EXPECT_FALSE(h.fibu.ausfuehren(41));
  h.m().basis.set(B::Name, "Schreinerei Holz");
  EXPECT_TRUE(h.fibu.ausfuehren(41));
}

TEST(Konsistenzwaechter, SelbstpruefungLaeuftUnabhaengigVonDenKennzeichen) {
  Umgebung u;
  u.m().basis.set(B::BasisKonsistent, true);
  u.m().basis.set(B::StammKonsistent, true);
  u.m().basis.set(B::steuerkonto(40), std::int32_t{1400});  // also a receivable account
  EXPECT_FALSE(konsistenz_selbstpruefung(u.m()));
  EXPECT_EQ(u.t.ui.meldungen().back(), "Bitte beheben Sie die Fehler! Die Funktion wird abgebrochen!");
  u.m().basis.set(B::steuerkonto(40), std::int32_t{0});
  EXPECT_TRUE(konsistenz_selbstpruefung(u.m()));
}

}  // namespace
}  // namespace fibu
