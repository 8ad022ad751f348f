#include "frame/basisdaten.h"

#include <algorithm>

#include "suite/allgemei.h"
#include "store/puffer.h"
#include "suite/formularbindung.h"

namespace fibu {

using F = BasisFelder;

const std::array<const char*, 16> bundeslaender = {
    "Baden-Württemberg", "Bayern",           "Berlin",         "Brandenburg",
    "Bremen",            "Hamburg",          "Hessen",         "Mecklenburg-Vorpommern",
    "Niedersachsen",     "Nordrhein-Westfalen", "Rheinland-Pfalz", "Saarland",
    "Sachsen",           "Sachsen-Anhalt",   "Schleswig-Holstein", "Thüringen"};

const std::array<const char*, 8> TFBasisdaten::seitennamen = {
    "Mandant",  "Perioden", "Forderungs-/Verbindl.-Konten", "Steuerkonten",
    "Floskeln", "Belegnr",  "Saldenvorträge",               "Buchungsprüfung"};

namespace {

bool ueberschneiden(std::int32_t a_von, std::int32_t a_bis, std::int32_t b_von,
                    std::int32_t b_bis) {
  return a_von <= b_bis && b_von <= a_bis;
}

int stellen(std::int32_t n) { return static_cast<int>(std::to_string(std::max(n, 0)).size()); }

std::optional<std::int64_t> ganz(const std::string& text) {
  std::string t = trim(text);
  if (t.empty() || t.size() > 18) return std::nullopt;
  for (char c : t)
    if (c < '0' || c > '9') return std::nullopt;
  return std::stoll(t);
}

std::string nr(int n) { return std::to_string(n); }

}  // namespace

std::optional<std::string> pruefe_basis_mandant(const Satz& b) {
  if (trim(b.get(F::Finanzamt)).empty()) return "Bitte Finanzamt eintragen!";
  if (trim(b.get(F::Steuernummer)).empty()) return "Bitte Steuernummer eintragen!";
  if (trim(b.get(F::Name)).empty()) return "Bitte Namen eintragen!";
  int perioden = b.get(F::AnzahlPerioden);
  if (perioden < 1 || perioden > 12) return "Periodenanzahl nicht aus 1..12!";
  const std::int32_t sv = b.get(F::SachVon), sb = b.get(F::SachBis);
  const std::int32_t dv = b.get(F::DebitorVon), db = b.get(F::DebitorBis);
  const std::int32_t kv = b.get(F::KreditorVon), kb = b.get(F::KreditorBis);
  if (sv == 0) return "Nummernkreis Sachkonten: VON darf nicht null sein!";
  if (dv == 0) return "Nummernkreis Debitoren: VON darf nicht null sein!";
  if (kv == 0) return "Nummernkreis Kreditoren: VON darf nicht null sein!";
  if (sv > sb) return "Bitte Nummernkreis Sachkonten prüfen!";
  if (dv > db) return "Bitte Nummernkreis Debitoren prüfen!";
  if (kv > kb) return "Bitte Nummernkreis Kreditoren prüfen!";
  if (ueberschneiden(sv, sb, dv, db)) return "Nummernkreise Sachkonten und Debitoren überschneiden sich!";
  if (ueberschneiden(sv, sb, kv, kb))
    return "Nummernkreise Sachkonten und Kreditoren überschneiden sich!";
  if (ueberschneiden(dv, db, kv, kb))
    return "Nummernkreise Debitoren und Kreditoren überschneiden sich!";
  return std::nullopt;
}

void kontenlaengen_ableiten(Satz& b) {
  b.set(F::SachLaenge, static_cast<std::uint8_t>(stellen(b.get(F::SachBis))));
  b.set(F::PersonenLaenge, static_cast<std::uint8_t>(
                               std::max(stellen(b.get(F::DebitorBis)), stellen(b.get(F::KreditorBis)))));
}

std::optional<std::string> pruefe_perioden(const Satz& b) {
  int anzahl = std::clamp<int>(b.get(F::AnzahlPerioden), 1, 12);
  for (int p = 1; p <= anzahl; ++p) {
    Datum von = b.get(F::periode_von(p)), bis = b.get(F::periode_bis(p));
    if (von == kein_datum || von >= bis) return "Von-Datum ist >= Bis-Datum";
    if (p > 1 && von != b.get(F::periode_bis(p - 1)) + 1)
      return "Perioden folgen nicht lückenlos aufeinander!";
  }
  int tage = b.get(F::periode_bis(anzahl)) - b.get(F::periode_von(1)) + 1;
  if (tage != 365 && tage != 366)
    return "Perioden ergeben kein komplettes Kalenderjahr (365/366) Tage!";
  return std::nullopt;
}

std::optional<std::string> pruefe_belegnummern(const Satz& b) {
  const char* art[2] = {"Debitor", "Kreditor"};
  for (int a = 0; a < 2; ++a) {
    std::uint16_t vorher = 0;
    for (int i = 0; i < 10; ++i) {
      std::uint16_t t =
          a == 0 ? b.get(F::tage_dispo_debitoren(i)) : b.get(F::tage_dispo_kreditoren(i));
      if (t == 0) return std::string("Daten von Dispo-") + art[a] + " enthalten einen Null-Eintrag!";
      if (i > 0 && t <= vorher)
        return std::string("Daten von Dispo-") + art[a] + " sind nicht aufsteigend!";
      vorher = t;
    }
  }
  const char* meldung[3] = {"Bitte Sachkonten-Werte prüfen!", "Bitte Debitor-Werte prüfen!",
                            "Bitte Kreditor-Werte prüfen!"};
  const bool alpha = b.get(F::BelegnummernAlphanumerisch);
  for (int k = 0; k < 3; ++k) {
    std::string von = trim(b.get(F::belegnummer(3 * k))), bis = trim(b.get(F::belegnummer(3 * k + 1))),
                letzte = trim(b.get(F::belegnummer(3 * k + 2)));
    auto v = ganz(von), bi = ganz(bis), l = ganz(letzte);
    if (v && bi && l) {
      if (*v > *bi || *l < *v || *l > *bi) return meldung[k];
    } else if (!alpha || von.empty() || bis.empty() || von > bis) {
      return meldung[k];
    }
  }
  return std::nullopt;
}

std::optional<std::string> pruefe_saldenvortraege(const Satz& b, Mandant& m) {
  // An account field left at 0 is not in use; a filled one must name a
  // fitting account.
  auto sachkonto = [&](std::int32_t n) -> std::optional<std::string> {
    if (n == 0) return std::nullopt;
    Puffer p(m.sach.get());
    if (!m.sach->suchen(m.sachkonto_text(n)))
      return "Sachkonto " + m.sachkonto_text(n) + " nicht gefunden!";
    return std::nullopt;
  };
  for (std::int32_t n : {b.get(F::SaldenvortragSach), b.get(F::SaldenvortragDebitor),
                         b.get(F::SaldenvortragKreditor), b.get(F::DifferenzkontoSach)})
    if (auto f = sachkonto(n)) return f;
  if (std::int32_t n = b.get(F::DifferenzkontoSach); n != 0) {
    Puffer p(m.sach.get());
    if (m.sach->suchen(m.sachkonto_text(n)) &&  // found above
        m.sach->satz().get(SachFelder::Steuerschluessel) != 0)
      return "Differenzkonto Sachkonten muß Steuerschlüssel = 0 haben!";
  }
  if (std::int32_t n = b.get(F::DebitorDiverse); n != 0) {
    std::string text = m.personenkonto_text(n);
    Puffer p(m.personen.get());
    if (n < b.get(F::DebitorVon) || n > b.get(F::DebitorBis) || !m.personen->suchen(text))
      return "Personenkonto " + text + " ist kein Debitorenkonto!";
    if (!m.personen->satz().get(PersonenFelder::Diverse))
      return "Bei Personenkonto ist Schalter \"Diverse Kunden\" nicht aktiviert!";
  }
  return std::nullopt;
}

std::optional<std::string> pruefe_buchungspruefung(const Satz& b) {
  struct Spalte {
    const char* name;
    const char* kurz;
  };
  // Columns 0..3 hold GL ranges of the counter-account check; 4..7 the GL
  // accounts allowed against Debitoren and Kreditoren, so every bound is a
  // GL account number.
  const Spalte spalten[4] = {{"Sachkonto1", "Sachkonto1: VON ist groeßer als BIS!"},
                             {"Sachkonto2", "Sachkonto2: VON ist groeßer als BIS!"},
                             {"Debitor", "Debitor: VON groeßer als BIS!"},
                             {"Kreditor", "Kreditor: VON groeßer als BIS!"}};
  const std::int32_t sv = b.get(F::SachVon), sb = b.get(F::SachBis);
  for (int s = 0; s < 4; ++s) {
    for (int r = 0; r < 10; ++r) {
      std::int32_t von = b.get(F::pruefung(2 * s, r)), bis = b.get(F::pruefung(2 * s + 1, r));
      if (von == 0 && bis == 0) continue;
      if (von < sv || von > sb)
        return std::string("\"") + spalten[s].name + "-Von\" liegt nicht im Nummernkreis der Sachkonten!";
      if (bis < sv || bis > sb)
        return std::string("\"") + spalten[s].name + "-Bis\" liegt nicht im Nummernkreis der Sachkonten!";
      if (von > bis) return spalten[s].kurz;
    }
  }
  return std::nullopt;
}

std::optional<std::string> pruefe_kostenrechnung(const Satz& b, Mandant& m) {
  const std::int32_t kv = b.get(F::KostenstelleVon), kb = b.get(F::KostenstelleBis);
  const std::int32_t vv = b.get(F::VerteilschluesselVon), vb = b.get(F::VerteilschluesselBis);
  if (kv == 0) return "Kostenstelle-Von darf nicht Null sein!";
  if (vv == 0) return "Verteilschlüssel-Von darf nicht Null sein!";
  if (kv >= kb) return "Kostenstelle-Von >= als Kostenstelle-Bis";
  if (vv >= vb) return "Verteilschlüssel-Von >= als Verteilschlüssel-Bis";
  if (ueberschneiden(kv, kb, vv, vb)) return "Kostenstellen überschneiden sich mit den Verteilschlüsseln!";
  // 0: the client has no difference cost centre (it is used only by the
  // imports), so the rules for it do not apply.
  const std::int32_t diff = b.get(F::Differenzkostenstelle);
  if (diff == 0) return std::nullopt;
  if (diff < kv || diff > kb) return "Differenzkostenstelle stimmt nicht mit Kostenstellen überein!";
  char schluessel[8];
  std::snprintf(schluessel, sizeof schluessel, "K%04d", static_cast<int>(diff % 10000));
  Puffer p(m.kosten.get());
  if (!m.kosten->suchen(schluessel)) return "Differenzkostenstelle nicht gefunden!";
  if (!m.kosten->satz().get(KostenFelder::FreiBebuchbar))
    return "Differenzkostenstelle ist nicht frei bebuchbar!";
  return std::nullopt;
}

// --- The base-data dialog ---

namespace {
// Field numbers: page * 1000 + position on the page.
constexpr int fin = 1, steuernr = 2, name = 3, titel = 4, strasse = 5, plzort = 6, egid = 7,
              sach_von = 8, sach_bis = 9, deb_von = 10, deb_bis = 11, kred_von = 12,
              kred_bis = 13, perioden = 14, aktuell = 15, automatik = 16, kostzwang = 17,
              skonto = 18, waehrung = 19;
int periode_feld(int p, int i) { return 1000 + 10 * p + i; }  // i: 0 von, 1 bis, 2 status
int forderung_feld(int i) { return 2000 + i; }
int verbindlichkeit_feld(int i) { return 2100 + i; }
int steuer_feld(int k, int i) { return 3000 + 10 * k + i; }  // i: 0 konto, 1 satz, 2 text
int floskel_feld(int n, int z) { return 4000 + 10 * n + z; }
int beleg_feld(int k) { return 5001 + k; }
int dispo_feld(int art, int i) { return 5011 + 10 * art + i; }
constexpr int datev_feld = 5031;
constexpr int svsach = 6001, svdeb = 6002, svkred = 6003, diffsach = 6004, diffdeb = 6005,
              diffkred = 6006, diverse = 6007;
int pruef_feld(int spalte, int zeile) { return 7000 + 10 * zeile + spalte; }
constexpr int pruef_aktiv = 7200;  // + 0 GL, 1 Debitoren, 2 Kreditoren

}  // namespace

const char* periodenstatus_text(int status) {
  switch (status) {
    case 0:
      return "Nicht aktiv";
    case 1:
      return "Aktiv";
    case 2:
      return "Journal gedruckt";
    case 3:
      return "Monatsabschluß";
  }
  return "";
}

TFBasisdaten::TFBasisdaten(Mandant& m) : m_(m), basis_(m.basis), form_("Mandantendaten pflegen") {
  aufbauen();
}

namespace {

constexpr std::int32_t konto_max = 99999999;

void seite(Formularbindung& t, int nr) {
  t.eigenes([nr](TEntryForm& f) { f.Seite(TFBasisdaten::seitennamen[static_cast<std::size_t>(nr)]); });
}

void seite_mandant(Formularbindung& t) {
  seite(t, 0);
  t.text(fin, "Finanzamt", F::Finanzamt, 20)
      .text(steuernr, "Steuernummer", F::Steuernummer, 20)
      .text(name, "Name", F::Name, 40)
      .text(titel, "Titel", F::Titel, 40)
      .text(strasse, "Straße", F::Strasse, 40)
      .text(plzort, "PLZ/Ort", F::PlzOrt, 40)
      .text(egid, "EG-Id", F::EgId, 20)
      .longint(sach_von, "Sachkonten von", F::SachVon, 0, konto_max)
      .longint(sach_bis, "Sachkonten bis", F::SachBis, 0, konto_max)
      .longint(deb_von, "Debitoren von", F::DebitorVon, 0, konto_max)
      .longint(deb_bis, "Debitoren bis", F::DebitorBis, 0, konto_max)
      .longint(kred_von, "Kreditoren von", F::KreditorVon, 0, konto_max)
      .longint(kred_bis, "Kreditoren bis", F::KreditorBis, 0, konto_max)
      .byte(perioden, "Anzahl Perioden", F::AnzahlPerioden)
      .byte(aktuell, "Aktuelle Periode", F::AktuellePeriode)
      .nur_anzeige()
      .auswahl(automatik, "Automatik", F::Automatik, {"Ein", "Aus"})
      .auswahl(kostzwang, "Kostenstellenzwang", F::Kostenstellenzwang, {"Nein", "Ja"})
      .janein(skonto, "Skontobetrag vorschlagen, wenn Zahldatum im Skontozeitraum liegt",
              F::SkontoVorschlagen)
      .eigenes([](TEntryForm& f) {
        f.AddString(waehrung, "Basiswährung", "", 4);
        f.ProtectControl(waehrung);
      });
}

// The dates are locked until "Perioden freigeben"; the state is only shown.
void seite_perioden(Formularbindung& t) {
  seite(t, 1);
  for (int p = 1; p <= 12; ++p)
    t.datum(periode_feld(p, 0), "Periode " + nr(p) + " von", F::periode_von(p))
        .geschuetzt()
        .datum(periode_feld(p, 1), "Periode " + nr(p) + " bis", F::periode_bis(p))
        .geschuetzt()
        .eigenes([p](TEntryForm& f) {
          f.AddString(periode_feld(p, 2), "Periode " + nr(p) + " Status", "", 20);
          f.ProtectControl(periode_feld(p, 2));
        });
}

void seiten_konten(Formularbindung& t) {
  seite(t, 2);
  for (int i = 1; i <= 40; ++i)
    t.longint(forderung_feld(i), "Forderungskonto " + nr(i), F::forderungskonto(i), 0, konto_max);
  for (int i = 1; i <= 40; ++i)
    t.longint(verbindlichkeit_feld(i), "Verbindlichkeitskonto " + nr(i),
              F::verbindlichkeitskonto(i), 0, konto_max);
  seite(t, 3);
  for (int k = 1; k <= 40; ++k)
    t.longint(steuer_feld(k, 0), "Steuerkonto " + nr(k), F::steuerkonto(k), 0, konto_max)
        .betrag(steuer_feld(k, 1), "Steuersatz " + nr(k), F::steuersatz(k), "###.##")
        .text(steuer_feld(k, 2), "Steuerbezeichnung " + nr(k), F::steuertext(k), 25);
  seite(t, 4);
  for (int n = 1; n <= 20; ++n)
    t.text(floskel_feld(n, 1), "Floskel " + nr(n) + " Zeile 1", F::floskel1(n), 50)
        .text(floskel_feld(n, 2), "Floskel " + nr(n) + " Zeile 2", F::floskel2(n), 50);
}

void seite_belegnummern(Formularbindung& t) {
  seite(t, 5);
  const char* kreise[3] = {"Sachkonten", "Debitoren", "Kreditoren"};
  const char* teile[3] = {"von", "bis", "zuletzt"};
  for (int k = 0; k < 9; ++k)
    t.text(beleg_feld(k), std::string("Belegnr ") + kreise[k / 3] + " " + teile[k % 3],
           F::belegnummer(k), 20)
        .getrimmt();
  for (int i = 0; i < 10; ++i)
    t.word(dispo_feld(0, i), "Tage Dispo Debitoren " + nr(i + 1), F::tage_dispo_debitoren(i));
  for (int i = 0; i < 10; ++i)
    t.word(dispo_feld(1, i), "Tage Dispo Kreditoren " + nr(i + 1), F::tage_dispo_kreditoren(i));
  t.janein(datev_feld, "Erweitertes Format für Datev - Übergabe verwenden ( siehe Hilfe )",
           F::DatevErweitert);
}

void seiten_vortraege_und_pruefung(Formularbindung& t) {
  seite(t, 6);
  t.longint(svsach, "Saldenvortragskonto Sachkonten", F::SaldenvortragSach, 0, konto_max)
      .longint(svdeb, "Saldenvortragskonto Debitoren", F::SaldenvortragDebitor, 0, konto_max)
      .longint(svkred, "Saldenvortragskonto Kreditoren", F::SaldenvortragKreditor, 0, konto_max)
      .longint(diffsach, "Differenzkonto Sachkonten", F::DifferenzkontoSach, 0, konto_max)
      .longint(diffdeb, "Differenzkonto Debitoren", F::DifferenzkontoDebitor, 0, konto_max)
      .longint(diffkred, "Differenzkonto Kreditoren", F::DifferenzkontoKreditor, 0, konto_max)
      .longint(diverse, "Debitor für Diverse Kunden", F::DebitorDiverse, 0, konto_max);
  seite(t, 7);
  const char* spalten[8] = {"Sachkonto1-Von", "Sachkonto1-Bis", "Sachkonto2-Von", "Sachkonto2-Bis",
                            "Debitor-Von",    "Debitor-Bis",    "Kreditor-Von",   "Kreditor-Bis"};
  t.janein(pruef_aktiv + 0, "Prüfung Sachkonten aktiv", F::PruefungSachAktiv)
      .janein(pruef_aktiv + 1, "Prüfung Debitoren aktiv", F::PruefungDebitorAktiv)
      .janein(pruef_aktiv + 2, "Prüfung Kreditoren aktiv", F::PruefungKreditorAktiv);
  for (int r = 0; r < 10; ++r)
    for (int s = 0; s < 8; ++s)
      t.longint(pruef_feld(s, r), std::string(spalten[s]) + " " + nr(r + 1), F::pruefung(s, r), 0,
                konto_max);
}

// The eight pages' fields bound to the base data, in form order.
const Formularbindung& basis_bindung() {
  static const Formularbindung b = [] {
    Formularbindung t;
    seite_mandant(t);
    seite_perioden(t);
    seiten_konten(t);
    seite_belegnummern(t);
    seiten_vortraege_und_pruefung(t);
    return t;
  }();
  return b;
}

}  // namespace

void TFBasisdaten::aufbauen() {
  TEntryForm& f = form_;
  basis_bindung().felder_anlegen(f, basis_);
  f.setze_text(waehrung, m_.euro() ? "EURO" : "DM");
  for (int p = 1; p <= 12; ++p)
    f.setze_text(periode_feld(p, 2), periodenstatus_text(basis_.get(F::periode_status(p))));
  f.AddKey(Taste::Keine, "A&dresse", [this](TEntryForm&) { return finanzamt(); });
  f.AddKey(Taste::F5, "Perioden &freigeben", [this](TEntryForm&) { return perioden_freigeben(); });
  f.beim_seitenwechsel([this](TEntryForm&, int seite) {
    uebernehmen();
    if (auto fehler = pruefe_seite(seite)) {
      m_.ui().ShowMessageMain(*fehler);
      return false;
    }
    return true;
  });
  f.beim_speichern([this](TEntryForm&) { return speichern(); });
}

void TFBasisdaten::uebernehmen() { basis_bindung().uebernehmen(form_, basis_); }

std::optional<std::string> TFBasisdaten::pruefe_seite(int seite) {
  switch (seite) {
    case 0:
      return pruefe_basis_mandant(basis_);
    case 1:
      return pruefe_perioden(basis_);
    case 5:
      return pruefe_belegnummern(basis_);
    case 6:
      return pruefe_saldenvortraege(basis_, m_);
    case 7:
      return pruefe_buchungspruefung(basis_);
  }
  return std::nullopt;
}

bool TFBasisdaten::speichern() {
  uebernehmen();
  for (int seite = 0; seite < static_cast<int>(seitennamen.size()); ++seite) {
    if (auto fehler = pruefe_seite(seite)) {
      form_.ui().ShowMessageMain(*fehler);
      form_.setze_seite(seite);
      return false;
    }
  }
  kontenlaengen_ableiten(basis_);
  basis_.set(F::BasisKonsistent, false);
  m_.basis = basis_;
  return m_.schreibe_basis();
}

Reaktion TFBasisdaten::perioden_freigeben() {
  TEntryForm& f = form_;
  int anzahl = static_cast<int>(f.zahl(perioden));
  if (anzahl < 12) {
    if (!f.ui().JaNein2("Soll die Periodenanzahl von " + nr(anzahl) + " auf 12 Perioden gesetzt werden ?"))
      return Reaktion::Weiter;
    f.setze_zahl(perioden, 12);
    for (int p = anzahl + 1; p <= 12; ++p) {
      basis_.set(F::periode_status(p), std::uint8_t{0});
      f.setze_text(periode_feld(p, 2), periodenstatus_text(0));
    }
    f.setze_geaendert(true);
  }
  f.ui().ShowMessageMain("Die Sperre der Perioden wird jetzt aufgehoben!");
  for (int p = 1; p <= 12; ++p) {
    f.ProtectControl(periode_feld(p, 0), false);
    f.ProtectControl(periode_feld(p, 1), false);
  }
  return Reaktion::Weiter;
}

Reaktion TFBasisdaten::finanzamt() {
  TEntryForm a("Adreßdaten Finanzamt");
  a.AddString(1, "Straße", basis_.get(F::FaStrasse), 40);
  a.AddString(2, "Ort", basis_.get(F::FaOrt), 40);
  a.AddString(3, "Telefon", basis_.get(F::FaTelefon), 40);
  std::vector<std::string> laender{"(keines)"};
  laender.insert(laender.end(), bundeslaender.begin(), bundeslaender.end());
  a.AddChoice(4, "Bundesland", laender, std::min<int>(basis_.get(F::FaBundesland), 16));
  a.AddString(5, "Finanzamtsnummer", basis_.get(F::FaNummer), 4);
  if (a.Execute(form_.ui())) {
    basis_.set(F::FaStrasse, a.text(1));
    basis_.set(F::FaOrt, a.text(2));
    basis_.set(F::FaTelefon, a.text(3));
    basis_.set(F::FaBundesland, static_cast<std::uint8_t>(a.auswahl(4)));
    basis_.set(F::FaNummer, a.text(5));
    form_.setze_geaendert(true);
  }
  return Reaktion::Weiter;
}

bool TFBasisdaten::ausfuehren() { return form_.Execute(m_.ui()); }

// --- Cost-accounting ranges ---

TFBasisKostenrechnung::TFBasisKostenrechnung(Mandant& m)
    : m_(m), basis_(m.basis), form_("Basisdaten Kostenrechnung") {
  const Satz& b = basis_;
  form_.AddLongInt(1, "Kostenstelle-Von", b.get(F::KostenstelleVon), 0, 9999);
  form_.AddLongInt(2, "Kostenstelle-Bis", b.get(F::KostenstelleBis), 0, 9999);
  form_.AddLongInt(3, "Verteilschlüssel-Von", b.get(F::VerteilschluesselVon), 0, 9999);
  form_.AddLongInt(4, "Verteilschlüssel-Bis", b.get(F::VerteilschluesselBis), 0, 9999);
  form_.AddLongInt(5, "Differenzkostenstelle", b.get(F::Differenzkostenstelle), 0, 9999);
  form_.beim_speichern([this](TEntryForm& f) {
    basis_.set(F::KostenstelleVon, static_cast<std::int32_t>(f.zahl(1)));
    basis_.set(F::KostenstelleBis, static_cast<std::int32_t>(f.zahl(2)));
    basis_.set(F::VerteilschluesselVon, static_cast<std::int32_t>(f.zahl(3)));
    basis_.set(F::VerteilschluesselBis, static_cast<std::int32_t>(f.zahl(4)));
    basis_.set(F::Differenzkostenstelle, static_cast<std::int32_t>(f.zahl(5)));
    if (auto fehler = pruefe_kostenrechnung(basis_, m_)) {
      f.ui().ShowMessageMain(*fehler);
      return false;
    }
    basis_.set(F::BasisKonsistent, false);
    m_.basis = basis_;
    return m_.schreibe_basis();
  });
}

bool TFBasisKostenrechnung::ausfuehren() { return form_.Execute(m_.ui()); }

}  // namespace fibu
