// The DATEV hand-over dialogs and DATEV.PAR on the small test client: the
// checks on OK in their order, what OK stores and where in the record, the
// defaults, the target directory and diskette drives, the protocol of
// incomplete bookings, and the account lengths the carrier cannot take.
#include "exchange/datev_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "../posting/testbuchhaltung.h"
#include "frame/mandant.h"
#include "suite/ausgabe3.h"

namespace fibu {
namespace {

using D = DatevFelder;
using BF = BasisFelder;
using Schritt = Formularschritt;
using Eingaben = std::vector<std::pair<std::string, std::string>>;

const std::string bitte_abrechnungsnummer =
    "Bitte Abrechnungsnummer korrekt eingeben!\rFolgende Intervalle sind erlaubt:\r"
    "0001-0069 oder 1001-1069";

struct DatevDialogtest : ::testing::Test {
  Testumgebung u;
  Mandant& m() { return u.m(); }
  TestInteraktion& ui() { return u.t.ui; }

  // Runs a dialog: types `eingaben`, presses OK and, when a check keeps the
  // dialog open, closes the window. `fokus` receives the caption of the
  // field the cursor was left in.
  bool dialog(DatevDialog art, Satz& par, const Eingaben& eingaben, std::string* fokus = nullptr) {
    std::vector<Schritt> skript;
    for (const auto& [feld, wert] : eingaben) skript.push_back(Schritt::tippe(feld, wert));
    skript.push_back(Schritt::druecke(Taste::Esc));
    skript.push_back(Schritt::schliesse());
    ui().formular_skript(skript);
    TFDatev d(m(), art, par);
    const bool ok = d.ausfuehren();
    if (fokus) {
      fokus->clear();
      for (const auto& f : d.form().felder())
        if (f.nr == d.form().fokus()) *fokus = f.beschriftung;
    }
    return ok;
  }

  std::string par_datei() {
    std::string roh;
    auto p = u.fs.finde_datei(m().daten_verzeichnis(), "DATEV.PAR");
    EXPECT_TRUE(p);
    if (p) {
      EXPECT_TRUE(u.fs.lies_datei(*p, roh));
    }
    return roh;
  }

  std::vector<std::string> dateien_im_datenverzeichnis() {
    std::vector<std::string> namen;
    EXPECT_TRUE(u.fs.liste(m().daten_verzeichnis(), namen));
    std::sort(namen.begin(), namen.end());
    return namen;
  }

  // One line posted at the next number through the engine.
  void zeile(const std::string& konto, char sh, Betrag betrag, const std::string& gegen,
             const std::string& beleg) {
    Satz& s = u.t.buchung(konto, sh, betrag, gegen, "", ' ', beleg, 1, DMYtoDate(15, 1, 2024));
    const int code = u.t.kern->buchung_pruefen(s, false);
    ASSERT_EQ(code, 0) << pruef_text(code) << " (" << konto << " " << beleg << ")";
    ASSERT_TRUE(u.t.kern->buchen(m().buchung->letzte_buchung() + 1));
  }
};

// A Pascal string of DATEV.PAR: the length byte and the characters.
std::string feld(const std::string& roh, std::size_t offset) {
  const auto n = static_cast<unsigned char>(roh.at(offset));
  return roh.substr(offset + 1, n);
}

// Valid inputs of the fields the dialogs have, in the order of the checks
// on OK (the Gegenkonto is checked before the Abrechnungsnummer, though
// it comes after it in the form).
const Eingaben gueltig = {
    {"Zielverzeichnis", "/ziel"}, {"Beraternummer", "4711"},
    {"Beratername", "Meier"},     {"Mandantennummer", "42"},
    {"DFV-Kennzeichen", "AB"},    {"Gegenkonto", "1360"},
    {"Abrechnungsnummer", "7"},   {"Verrechnungskonto (für Splitbuchungen)", "1000"},
    {"Passwort", "pw"},
};

bool hat_feld(DatevDialog art, const std::string& feld) {
  const bool extf = art == DatevDialog::Buchungsstapel || art == DatevDialog::Stammdaten;
  const bool buchungen =
      art == DatevDialog::Debitoren || art == DatevDialog::Kreditoren || art == DatevDialog::Alle;
  if (feld == "Beratername" || feld == "DFV-Kennzeichen" || feld == "Passwort") return !extf;
  if (feld == "Abrechnungsnummer") return art == DatevDialog::Salden || buchungen;
  if (feld == "Gegenkonto") return art == DatevDialog::Salden;
  if (feld == "Verrechnungskonto (für Splitbuchungen)")
    return buchungen || art == DatevDialog::Buchungsstapel;
  return true;
}

// The valid inputs of the fields a dialog has, with `aenderungen` applied
// (fields without a valid input, such as the dates, are typed after them).
Eingaben eingaben(DatevDialog art, const Eingaben& aenderungen) {
  Eingaben aus;
  for (auto [feld, wert] : gueltig) {
    if (!hat_feld(art, feld)) continue;
    for (const auto& [f, w] : aenderungen)
      if (f == feld) wert = w;
    aus.emplace_back(feld, wert);
  }
  for (const auto& [f, w] : aenderungen)
    if (std::none_of(gueltig.begin(), gueltig.end(), [&](const auto& g) { return g.first == f; }))
      aus.emplace_back(f, w);
  return aus;
}

// Each check refuses OK with its message and puts the cursor back into
// its field. All fields from the one under test on are empty, so a row
// only passes when no later check comes first.
TEST_F(DatevDialogtest, PruefungenInIhrerReihenfolge) {
  struct Fall {
    DatevDialog art;
    std::string feld, wert, meldung;
  };
  const Fall faelle[] = {
      {DatevDialog::Salden, "Zielverzeichnis", "", "Bitte gültigen Pfad eingeben!"},
      {DatevDialog::Salden, "Beraternummer", "", "Bitte Beraternummer eingeben!"},
      {DatevDialog::Salden, "Beratername", "", "Bitte Beratername eingeben!"},
      {DatevDialog::Salden, "Mandantennummer", "", "Bitte Mandantennummer eingeben!"},
      {DatevDialog::Salden, "DFV-Kennzeichen", "", "Bitte DFV-Kennzeichen eingeben!"},
      {DatevDialog::Salden, "Gegenkonto", "", "Bitte Gegenkonto eingeben!"},
      {DatevDialog::Salden, "Abrechnungsnummer", "", bitte_abrechnungsnummer},
      {DatevDialog::Debitoren, "Zielverzeichnis", "", "Bitte gültigen Pfad eingeben!"},
      {DatevDialog::Kreditoren, "DFV-Kennzeichen", "", "Bitte DFV-Kennzeichen eingeben!"},
      {DatevDialog::Alle, "Abrechnungsnummer", "", bitte_abrechnungsnummer},
      {DatevDialog::Debitoren, "Verrechnungskonto (für Splitbuchungen)", "",
       "Bitte ein Verrechnungskonto eintragen!"},
      // No GL account: one that does not exist, and a customer's account.
      {DatevDialog::Debitoren, "Verrechnungskonto (für Splitbuchungen)", "1001",
       "Bitte ein gültiges Verrechnungskonto eintragen!"},
      {DatevDialog::Alle, "Verrechnungskonto (für Splitbuchungen)", "10001",
       "Bitte ein gültiges Verrechnungskonto eintragen!"},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.feld + " = \"" + f.wert + "\" in " + std::to_string(static_cast<int>(f.art)));
    // Every field checked after the one under test is empty too.
    Eingaben e = eingaben(f.art, {{f.feld, f.wert}});
    bool danach = false;
    for (auto& [feld, wert] : e) {
      if (danach) wert = "";
      danach = danach || feld == f.feld;
    }
    Satz par = datev_par_lesen(m());
    const std::string vorher = par.bytes();
    const std::size_t meldungen = ui().meldungen().size();
    std::string fokus;
    EXPECT_FALSE(dialog(f.art, par, e, &fokus));
    ASSERT_EQ(ui().meldungen().size(), meldungen + 1);
    EXPECT_EQ(ui().meldungen().back(), f.meldung);
    EXPECT_EQ(fokus, f.feld);
    EXPECT_EQ(par.bytes(), vorher) << "a refused dialog changed DATEV.PAR";
  }
}

// The ranges of the numbers: the Abrechnungsnummer is 1..69 or
// 1001..1069 in the balances and the booking dialogs alike; the EXTF
// dialogs take the adviser and client numbers DATEV accepts; the dates
// must not be reversed.
TEST_F(DatevDialogtest, ZahlenbereicheUndDaten) {
  struct Fall {
    DatevDialog art;
    Eingaben aenderungen;
    std::string meldung;  // empty: accepted
  };
  std::vector<Fall> faelle;
  for (DatevDialog art : {DatevDialog::Salden, DatevDialog::Alle}) {
    for (const char* nummer : {"0", "70", "1000", "1070", "9999"})
      faelle.push_back({art, {{"Abrechnungsnummer", nummer}}, bitte_abrechnungsnummer});
    for (const char* nummer : {"1", "69", "1001", "1069"})
      faelle.push_back({art, {{"Abrechnungsnummer", nummer}}, ""});
  }
  const std::string berater = "Die Beraternummer muss zwischen 1001 und 9999999 liegen!";
  const std::string mandant = "Die Mandantennummer muss zwischen 1 und 99999 liegen!";
  faelle.push_back({DatevDialog::Buchungsstapel, {{"Beraternummer", "1000"}}, berater});
  faelle.push_back({DatevDialog::Stammdaten, {{"Beraternummer", "1001"}}, ""});
  faelle.push_back({DatevDialog::Stammdaten, {{"Mandantennummer", "0"}}, mandant});
  faelle.push_back({DatevDialog::Buchungsstapel, {{"Mandantennummer", "1"}}, ""});
  for (DatevDialog art : {DatevDialog::Kreditoren, DatevDialog::Buchungsstapel}) {
    faelle.push_back({art,
                      {{"Datum von", "01.02.2024"}, {"Datum bis", "31.01.2024"}},
                      "Das Datum von liegt nach dem Datum bis!"});
    faelle.push_back({art, {{"Datum von", "31.01.2024"}, {"Datum bis", "31.01.2024"}}, ""});
  }
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.aenderungen.front().first + " = " + f.aenderungen.front().second + " in " +
                 std::to_string(static_cast<int>(f.art)));
    Satz par = datev_par_lesen(m());
    const std::size_t meldungen = ui().meldungen().size();
    EXPECT_EQ(dialog(f.art, par, eingaben(f.art, f.aenderungen)), f.meldung.empty());
    if (f.meldung.empty()) {
      EXPECT_EQ(ui().meldungen().size(), meldungen);
    } else {
      ASSERT_EQ(ui().meldungen().size(), meldungen + 1);
      EXPECT_EQ(ui().meldungen().back(), f.meldung);
    }
  }
  // A number field takes digits only, when it is left.
  ui().formular_skript({Schritt::tippe("Beraternummer", "47a1", false), Schritt::schliesse()});
  Satz par = datev_par_lesen(m());
  EXPECT_FALSE(TFDatev(m(), DatevDialog::Salden, par).ausfuehren());
  EXPECT_EQ(ui().meldungen().back(), "Bitte nur Ziffern eingeben!");
  ui().alles_verbraucht();
}

// Without a DATEV.PAR the dialog offers the client's data directory (no
// longer drive A), Abrechnungsnummer 1 and counter account 1360.
TEST_F(DatevDialogtest, VorgabenOhneDatevPar) {
  ASSERT_FALSE(u.fs.finde_datei(m().daten_verzeichnis(), "DATEV.PAR"));
  Satz par = datev_par_lesen(m());
  EXPECT_EQ(par.bytes().size(), D::groesse);
  EXPECT_EQ(par.get(D::Zielverzeichnis), m().daten_verzeichnis());
  EXPECT_EQ(par.get(D::AbrechnungsnummerSalden), "0001");
  EXPECT_EQ(par.get(D::Gegenkonto), "1360");
  TFDatev d(m(), DatevDialog::Salden, par);
  const auto text = [&d](const std::string& feld) {
    return finde_formularfeld(d.form(), feld)->text;
  };
  EXPECT_EQ(text("Zielverzeichnis"), m().daten_verzeichnis());
  EXPECT_EQ(text("Abrechnungsnummer"), "0001");
  EXPECT_EQ(text("Gegenkonto"), "1360");
}

// OK stores the fields as the carrier takes them; the written DATEV.PAR
// holds them at their places, and the booking dialogs keep their own
// Abrechnungsnummer.
TEST_F(DatevDialogtest, NormalisiertInDatevPar) {
  Satz par = datev_par_lesen(m());
  ASSERT_TRUE(dialog(DatevDialog::Salden, par,
                     {{"Zielverzeichnis", " C:\\daten\\datev "},
                      {"Beraternummer", "4711"},
                      {"Beratername", "Meier"},
                      {"Mandantennummer", "42"},
                      {"DFV-Kennzeichen", "A"},
                      {"Abrechnungsnummer", "7"},
                      {"Passwort", "pw"},
                      {"Gegenkonto", "1361"}}));
  ASSERT_TRUE(datev_par_schreiben(m(), par));
  par = datev_par_lesen(m());
  ASSERT_TRUE(dialog(DatevDialog::Namen, par, {{"Selektion der Sachkonten", "1"}}));
  ASSERT_TRUE(datev_par_schreiben(m(), par));
  par = datev_par_lesen(m());
  ASSERT_TRUE(dialog(DatevDialog::Debitoren, par,
                     {{"Abrechnungsnummer", "1012"},
                      {"Verrechnungskonto (für Splitbuchungen)", "1200"},
                      {"Eröffnungsbuchungen unterdrücken", "Ja"},
                      {"Buchungstext statt Kontenbezeichnung übergeben", "Ja"}}));
  ASSERT_TRUE(datev_par_schreiben(m(), par));

  const std::string roh = par_datei();
  ASSERT_EQ(roh.size(), 1024u);
  EXPECT_EQ(roh, par.bytes());
  const std::pair<std::size_t, std::string> felder[] = {
      {0, "C:/daten/datev/"}, {81, "0004711"}, {89, "Meier    "}, {99, "00042"}, {105, "A "},
      {108, "0007"},          {113, "pw  "},   {135, "1361"},     {150, "1012"}, {156, "1200"},
  };
  for (const auto& [offset, text] : felder) EXPECT_EQ(feld(roh, offset), text) << offset;
  EXPECT_EQ(roh[148], '\x01');
  EXPECT_EQ(roh[149], '\x00');
  EXPECT_EQ(roh[155], '\x01');
  EXPECT_EQ(roh[165], '\x01');

  // Switching the flags off and the selection back reaches the file too,
  // and a dialog leaves the other's Abrechnungsnummer alone.
  par = datev_par_lesen(m());
  ASSERT_TRUE(dialog(DatevDialog::Kreditoren, par,
                     {{"Eröffnungsbuchungen unterdrücken", "Nein"},
                      {"Buchungstext statt Kontenbezeichnung übergeben", "Nein"}}));
  ASSERT_TRUE(dialog(DatevDialog::Namen, par, {{"Selektion der Sachkonten", "Alle Sachkonten"}}));
  ASSERT_TRUE(datev_par_schreiben(m(), par));
  const std::string neu = par_datei();
  EXPECT_EQ(feld(neu, 150), "1012");
  EXPECT_EQ(feld(neu, 108), "0007");
  EXPECT_EQ(neu[148], '\x00');
  EXPECT_EQ(neu[155], '\x00');
  EXPECT_EQ(neu[165], '\x00');
}

// A file system with diskette drives: the directory of a drive is there
// from its n-th look on (0: never), as when the user puts a disk in while
// the question is shown.
class Diskettensystem : public TestDateisystem {
 public:
  std::string laufwerk;
  int da_ab = 0;
  int blicke = 0;
  bool ist_verzeichnis(const std::string& pfad) override {
    if (pfad != laufwerk) return TestDateisystem::ist_verzeichnis(pfad);
    ++blicke;
    return da_ab != 0 && blicke >= da_ab;
  }
};

TEST(DatevZiel, VerzeichnisUndDiskette) {
  struct Fall {
    std::string ziel, laufwerk;
    int da_ab;
    std::vector<bool> antworten;
    bool ergebnis;
    std::vector<std::string> meldungen;
  };
  const std::string fehlt =
      "Der angegeben Pfad /nirgends\rist ungültig. Bitte korrekten Pfad eingeben.";
  const Fall faelle[] = {
      {"/r/FIBU", "", 0, {}, true, {}},
      {"\\r\\FIBU\\", "", 0, {}, true, {}},
      {"/nirgends", "", 0, {}, false, {fehlt}},
      {"A:\\", "A:/", 1, {}, true, {"Bitte neue, leere Diskette in A:\\ einlegen!"}},
      {"A:\\", "A:/", 3, {true, true}, true, {"Bitte neue, leere Diskette in A:\\ einlegen!"}},
      {"A:\\",
       "A:/",
       0,
       {true, true, false},
       false,
       {"Bitte neue, leere Diskette in A:\\ einlegen!"}},
      {"b:", "b:/", 0, {false}, false, {"Bitte neue, leere Diskette in b: einlegen!"}},
  };
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.ziel + " da ab " + std::to_string(f.da_ab));
    Diskettensystem fs;
    fs.laufwerk = f.laufwerk;
    fs.da_ab = f.da_ab;
    Testbuchhaltung t(fs);
    ASSERT_NO_FATAL_FAILURE(t.anlegen());
    const std::string frage =
        f.ziel == "b:" ? "Bitte Diskette in b: einlegen!" : "Bitte Diskette in A:\\ einlegen!";
    for (bool a : f.antworten) t.ui.erwarte_frage(frage, a);
    EXPECT_EQ(datev_ziel_pruefen(*t.m, f.ziel), f.ergebnis);
    EXPECT_EQ(t.ui.meldungen(), f.meldungen);
    EXPECT_EQ(t.ui.fragen(), std::vector<std::string>(f.antworten.size(), frage));
    EXPECT_NO_THROW(t.ui.alles_verbraucht());
  }
}

// A run asks for the diskette in the drive the user typed, although the
// dialog has already stored the target as "A:/".
TEST(DatevZiel, DisketteImLaufMitDemGetipptenLaufwerk) {
  Diskettensystem fs;
  fs.laufwerk = "A:/";
  Testbuchhaltung t(fs);
  ASSERT_NO_FATAL_FAILURE(t.anlegen());
  std::vector<Schritt> skript;
  for (const auto& [feld, wert] : eingaben(DatevDialog::Salden, {{"Zielverzeichnis", "A:\\"}}))
    skript.push_back(Schritt::tippe(feld, wert));
  skript.push_back(Schritt::druecke(Taste::Esc));
  t.ui.formular_skript(skript);
  t.ui.erwarte_frage("", false);
  EXPECT_FALSE(datev_salden(*t.m, false));
  EXPECT_EQ(t.ui.meldungen(),
            std::vector<std::string>{"Bitte neue, leere Diskette in A:\\ einlegen!"});
  EXPECT_EQ(t.ui.fragen(), std::vector<std::string>{"Bitte Diskette in A:\\ einlegen!"});
}

// The check before a hand-over of all bookings: a document whose second
// line does not mirror the first, or that does not balance after two
// lines, is named with its line and document number.
TEST_F(DatevDialogtest, UnvollstaendigeBuchungen) {
  const std::vector<std::string> hinweis = {
      "",
      "Hinweis: Buchungen mit einer \"Satznummer\" liegen in einer abgeschlossenen",
      "         Periode. Buchungen mit einer \"Zeilennummer\" können direkt in der",
      "         Buchungstabelle korrigiert werden.",
  };
  const auto befunde = [&] {
    const auto z = ui().druckauftraege().back().alle_zeilen();
    const auto kopf = seitenkopf_zeilen(
        seitenkopf(m(), "Protokoll einer Prüfung auf unvollständige Buchungen.", 79), 1);
    EXPECT_TRUE(std::equal(kopf.begin(), kopf.end(), z.begin()));
    return std::vector<std::string>(z.begin() + static_cast<std::ptrdiff_t>(kopf.size()), z.end());
  };
  const Datum von = DMYtoDate(1, 1, 2024), bis = DMYtoDate(31, 1, 2024);

  ASSERT_NO_FATAL_FAILURE(zeile("1000", 'S', 10000, "1200", "1"));
  ASSERT_NO_FATAL_FAILURE(zeile("1200", 'H', 10000, "1000", "1"));
  ASSERT_TRUE(unvollstaendige_buchungen(m(), von, bis, false));
  EXPECT_EQ(befunde(), hinweis);

  // A split: 300 from the bank to the cash box as 100 and 200.
  ASSERT_NO_FATAL_FAILURE(zeile("1200", 'H', 30000, "1000", "2"));
  ASSERT_NO_FATAL_FAILURE(zeile("1000", 'S', 10000, "1200", "2"));
  ASSERT_NO_FATAL_FAILURE(zeile("1000", 'S', 20000, "1200", "2"));
  // A balanced document whose second line names another counter account.
  ASSERT_NO_FATAL_FAILURE(zeile("1000", 'S', 5000, "1200", "3"));
  ASSERT_NO_FATAL_FAILURE(zeile("1200", 'H', 5000, "3400", "3"));
  ASSERT_TRUE(unvollstaendige_buchungen(m(), von, bis, false));
  std::vector<std::string> erwartet = {
      "Zeile 4: Hinweis: Unvollständige Buchung oder Splitbuchung!",      "Belegnummer : 2",
      "Zeile 5: Konto bzw. Gegenkonto ist ungleich der vorigen Buchung!", "Belegnummer : 2",
      "Zeile 7: Konto bzw. Gegenkonto ist ungleich der vorigen Buchung!", "Belegnummer : 3",
  };
  erwartet.insert(erwartet.end(), hinweis.begin(), hinweis.end());
  EXPECT_EQ(befunde(), erwartet);

  // Outside the dates asked for, nothing is found.
  ASSERT_TRUE(unvollstaendige_buchungen(m(), DMYtoDate(1, 2, 2024), DMYtoDate(29, 2, 2024), false));
  EXPECT_EQ(befunde(), hinweis);

  ui().drucker_ablehnen();
  EXPECT_FALSE(unvollstaendige_buchungen(m(), von, bis, false));
}

// Account numbers longer than the carrier's fields stop a run before its
// dialog; no file is written.
TEST_F(DatevDialogtest, KontolaengenDieDerTraegerNichtFasst) {
  struct Fall {
    bool erweitert;
    int sach, person;
    std::string meldung;
  };
  const Fall faelle[] = {
      {true, 9, 10, "Bitte Nummernkreis Sachkonto auf höchstens 8 Stellen begrenzen!"},
      {false, 6, 5, "Bitte Nummernkreis Sachkonto auf höchstens 5 Stellen begrenzen!"},
      {false, 5, 6, "Bitte Nummernkreis Personenkonten auf höchstens 5 Stellen begrenzen!"},
  };
  const auto vorher = dateien_im_datenverzeichnis();
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.meldung);
    m().basis.set(BF::DatevErweitert, f.erweitert);
    m().basis.set(BF::SachLaenge, static_cast<std::uint8_t>(f.sach));
    m().basis.set(BF::PersonenLaenge, static_cast<std::uint8_t>(f.person));
    const std::function<bool()> laeufe[] = {
        [&] { return datev_salden(m(), false); },
        [&] { return datev_salden(m(), true); },
        [&] { return datev_buchungen_uebergeben(m(), DatevAuswahl::Debitoren); },
        [&] { return datev_buchungen_uebergeben(m(), DatevAuswahl::Alle); },
    };
    for (const auto& lauf : laeufe) {
      const std::size_t meldungen = ui().meldungen().size();
      // No form script: a dialog would throw.
      EXPECT_FALSE(lauf());
      ASSERT_EQ(ui().meldungen().size(), meldungen + 1);
      EXPECT_EQ(ui().meldungen().back(), f.meldung);
    }
  }
  EXPECT_TRUE(ui().druckauftraege().empty());
  EXPECT_EQ(dateien_im_datenverzeichnis(), vorher);
}

}  // namespace
}  // namespace fibu
