#include "exchange/datev_export.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "closing/buchungspruefung.h"
#include "frame/konfiguration.h"
#include "frame/mandant.h"
#include "frame/tffibu.h"
#include "posting/buchen.h"
#include "store/kontenbereiche.h"
#include "store/puffer.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "suite/ausgabedatei.h"
#include "suite/codepage.h"
#include "suite/fortschritt.h"

namespace fibu {

namespace {

using D = DatevFelder;
using BF = BasisFelder;
using B = BuchungFelder;
using S = SachFelder;
using P = PersonenFelder;

constexpr int breite = 79;

enum Feld {
  f_ziel = 1,
  f_berater,
  f_beratername,
  f_mandant,
  f_dfv,
  f_abrechnung,
  f_passwort,
  f_gegenkonto,
  f_selektion,
  f_von,
  f_bis,
  f_verrechnung,
  f_eroeffnung,
  f_buchungstext,
};

std::string nullen(const std::string& s, std::size_t breite_) {
  const std::string t = trim(s);
  return t.size() >= breite_ ? t : std::string(breite_ - t.size(), '0') + t;
}

bool buchungsdialog(DatevDialog a) {
  return a == DatevDialog::Debitoren || a == DatevDialog::Kreditoren || a == DatevDialog::Alle;
}
bool extf(DatevDialog a) {
  return a == DatevDialog::Buchungsstapel || a == DatevDialog::Stammdaten;
}

std::string titel(DatevDialog a) {
  switch (a) {
    case DatevDialog::Salden:
      return "Übergabe der Sachkontensalden an Datev";
    case DatevDialog::Namen:
      return "Übergabe der Sachkontennamen an Datev";
    case DatevDialog::Debitoren:
      return "Übergabe der Debitoren-Buchungen an Datev";
    case DatevDialog::Kreditoren:
      return "Übergabe der Kreditoren-Buchungen an Datev";
    case DatevDialog::Alle:
      return "Übergabe aller Buchungen an Datev";
    case DatevDialog::Buchungsstapel:
      return "Übergabe der Buchungen als DATEV-Buchungsstapel (EXTF)";
    case DatevDialog::Stammdaten:
      return "Übergabe der Debitoren und Kreditoren als DATEV-Stammdaten (EXTF)";
  }
  return {};
}

// The first and the last day of the fiscal year.
Datum jahresanfang(const Mandant& m) {
  return m.basis.get(BF::periode_von(1));
}
Datum jahresende(const Mandant& m) {
  const int n = std::max<int>(1, m.basis.get(BF::AnzahlPerioden));
  return m.basis.get(BF::periode_bis(n));
}

bool euro(const Mandant& m) {
  return m.basis.get(BF::BasiswaehrungEuro) != 0;
}

DatevVariante variante(const Mandant& m) {
  return m.basis.get(BF::DatevErweitert) ? DatevVariante::Erweitert : DatevVariante::Einfach;
}

// The account-number lengths the format can carry.
bool vorbedingungen(Mandant& m, DatevVariante v) {
  const int sach = m.basis.get(BF::SachLaenge), person = m.basis.get(BF::PersonenLaenge);
  if (v == DatevVariante::Erweitert && sach > 8) {
    m.ui().ShowMessageMain("Bitte Nummernkreis Sachkonto auf höchstens 8 Stellen begrenzen!");
    return false;
  }
  if (v == DatevVariante::Einfach && sach > 5) {
    m.ui().ShowMessageMain("Bitte Nummernkreis Sachkonto auf höchstens 5 Stellen begrenzen!");
    return false;
  }
  if (v == DatevVariante::Einfach && person > 5) {
    m.ui().ShowMessageMain("Bitte Nummernkreis Personenkonten auf höchstens 5 Stellen begrenzen!");
    return false;
  }
  return true;
}

// DATEV's programs of today take GL accounts of 4 to 8 digits and personal
// accounts of exactly one digit more.
bool extf_vorbedingungen(Mandant& m) {
  const int sach = m.basis.get(BF::SachLaenge), person = m.basis.get(BF::PersonenLaenge);
  if (sach < 4 || sach > 8 || person != sach + 1) {
    m.ui().ShowMessageMain(
        "Die DATEV erwartet Sachkonten mit 4 bis 8 Stellen und Personenkonten mit einer Stelle "
        "mehr.\rHier haben Sachkonten " +
        std::to_string(sach) + " und Personenkonten " + std::to_string(person) + " Stellen.");
    return false;
  }
  return true;
}

DatevKopf kopf(const Mandant& m, const Satz& par, DatevVariante v, bool namen, bool buchungen) {
  DatevKopf k;
  k.variante = v;
  k.namen = namen;
  k.dfv = padcut(par.get(D::DfvKennzeichen), 2);
  k.berater = nullen(par.get(D::Beraternummer), 7);
  k.beratername = padcut(par.get(D::Beratername), 9);
  k.mandant = nullen(par.get(D::Mandantennummer), 5);
  // A booking carrier names its own accounting number in the header too,
  // as its control file does.
  k.abrechnungsnummer =
      nullen(par.get(buchungen ? D::AbrechnungsnummerBuchungen : D::AbrechnungsnummerSalden), 4);
  k.passwort = padcut(par.get(D::Passwort), 4);
  k.jahr = m.jahr();
  k.von = k.bis = jahresende(m);
  k.kontolaenge = m.basis.get(BF::SachLaenge);
  k.euro = euro(m);
  return k;
}

// The protocol of a run: the page header on every page, narrow lines.
class Protokoll {
 public:
  explicit Protokoll(Mandant& m) : m_(m), d_(m.ui()) {}
  bool oeffnen(const std::string& titel_) {
    if (!d_.open_drucker(titel_)) return false;
    d_.setze_breite(breite);
    Seitenkopf k = seitenkopf(m_, titel_, breite);
    d_.kopf_bei_umbruch([k](Ausgabe3& a) { drucke_seitenkopf(a, k); });
    drucke_seitenkopf(d_, k);
    return true;
  }
  void zeile(const std::string& t) { d_.druckeln(t); }
  void schliessen() { d_.close_drucker(); }
  std::function<void(const std::string&)> ausgabe() {
    return [this](const std::string& t) { zeile(t); };
  }

 private:
  Mandant& m_;
  Ausgabe3 d_;
};

// The two files of a carrier: both are written under temporary names and
// put in place together, the data file first. The old control file goes
// before, so that a run broken off in between leaves no control file that
// describes another data file.
class Traeger {
 public:
  Traeger(Mandant& m, const std::string& ziel, const DatevKopf& k)
      : m_(m),
        k_(k),
        daten_(m.fs(), ziel + datev_datendatei(k.variante)),
        steuer_(m.fs(), ziel + datev_steuerdateiname(k.variante)),
        bloecke_([this](std::string_view b) { return daten_.schreiben(b); }) {}

  bool oeffnen() {
    if (!pruefe(daten_.oeffnen(), true)) return false;
    if (!satz(datev_kopfsatz(k_))) return false;
    return k_.variante == DatevVariante::Einfach || satz(datev_versionssatz(k_));
  }
  bool satz(const std::string& s) { return pruefe(bloecke_.satz(s), true); }
  bool schliessen(Betrag summe) {
    if (!satz(datev_endesatz(k_, summe)) || !pruefe(bloecke_.ende(), true) ||
        !pruefe(daten_.fertig(), true))
      return false;
    if (!pruefe(steuer_.oeffnen(), false) ||
        !pruefe(steuer_.schreiben(
                    von_utf8(datev_steuerdatei(k_, bloecke_.bloecke(), bloecke_.z_position()),
                             Codepage::CP1252)),
                false) ||
        !pruefe(steuer_.fertig(), false))
      return false;
    if (m_.fs().existiert(steuer_.pfad()) && !pruefe(m_.fs().loeschen(steuer_.pfad()), false))
      return false;
    return pruefe(daten_.einsetzen(), true) && pruefe(steuer_.einsetzen(), false);
  }
  int bloecke() const { return bloecke_.bloecke(); }

 private:
  bool pruefe(const Ergebnis& e, bool daten) {
    if (e) return true;
    const bool einfach = k_.variante == DatevVariante::Einfach;
    const std::string name = daten ? (einfach ? "DE001-Datei" : "ED00001-Datei")
                                   : (einfach ? "Datei DV01." : "Datei EV01.");
    m_.ui().ShowMessageMain("Die " + name + " konnte nicht geschrieben werden!\r" + e.text());
    return false;
  }

  Mandant& m_;
  const DatevKopf& k_;
  Ausgabedatei daten_, steuer_;
  DatevBloecke bloecke_;
};

std::string betrag(Betrag b) {
  return format_betrag(b, "###.###.###,##");
}

// A time stamp "yyyymmddhhmmssfff": the business date and the clock.
std::string zeitstempel(Mandant& m) {
  const auto jetzt = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(jetzt);
  std::tm tm{};
  localtime_r(&t, &tm);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(jetzt.time_since_epoch()) % 1000;
  char zeit[16];
  std::snprintf(zeit, sizeof zeit, "%02d%02d%02d%03d", tm.tm_hour, tm.tm_min, tm.tm_sec,
                static_cast<int>(ms.count()));
  return DateToDateString("yyyymmdd", m.tagesdatum().Today()) + zeit;
}

}  // namespace

// --- DATEV.PAR ---

Satz datev_par_lesen(Mandant& m) {
  Satz par(D::groesse);
  if (auto p = m.fs().finde_datei(m.daten_verzeichnis(), "DATEV.PAR")) {
    std::string roh;
    if (m.fs().lies_datei(*p, roh) && roh.size() >= D::groesse) {
      par.bytes().assign(roh.begin(), roh.begin() + D::groesse);
      return par;
    }
  }
  // A diskette drive is no place here: the files go to the data directory
  // until the user names another one.
  const std::string verz = m.daten_verzeichnis();
  par.set(D::Zielverzeichnis, verz.size() <= D::Zielverzeichnis.kapazitaet ? verz : "");
  par.set(D::AbrechnungsnummerSalden, "0001");
  par.set(D::Gegenkonto, "1360");
  return par;
}

bool datev_par_schreiben(Mandant& m, const Satz& par) {
  const std::string name = m.fs()
                               .finde_datei(m.daten_verzeichnis(), "DATEV.PAR")
                               .value_or(pfad_verbinden(m.daten_verzeichnis(), "DATEV.PAR"));
  if (m.fs().schreibe_datei_atomar(name, par.bytes())) return true;
  m.ui().ShowMessageMain("Die Datei DATEV.PAR konnte nicht geschrieben werden!");
  return false;
}

// --- The dialogs ---

TFDatev::TFDatev(Mandant& m, DatevDialog art, Satz& par)
    : m_(m), art_(art), par_(par), form_(titel(art)) {
  const bool extf_ = extf(art);
  form_.AddString(f_ziel, "Zielverzeichnis", par.get(D::Zielverzeichnis), 80);
  form_.AddString(f_berater, "Beraternummer", trim(par.get(D::Beraternummer)), 7);
  if (!extf_) form_.AddString(f_beratername, "Beratername", trim(par.get(D::Beratername)), 9);
  form_.AddString(f_mandant, "Mandantennummer", trim(par.get(D::Mandantennummer)), 5);
  if (!extf_) form_.AddString(f_dfv, "DFV-Kennzeichen", trim(par.get(D::DfvKennzeichen)), 2);
  if (art == DatevDialog::Salden)
    form_.AddString(f_abrechnung, "Abrechnungsnummer", trim(par.get(D::AbrechnungsnummerSalden)),
                    4);
  if (buchungsdialog(art))
    form_.AddString(f_abrechnung, "Abrechnungsnummer", trim(par.get(D::AbrechnungsnummerBuchungen)),
                    4);
  if (!extf_) {
    form_.AddString(f_passwort, "Passwort", trim(par.get(D::Passwort)), 4);
    form_.Verdeckt(f_passwort);
  }
  if (art == DatevDialog::Salden)
    form_.AddString(f_gegenkonto, "Gegenkonto", trim(par.get(D::Gegenkonto)), 7);
  if (art == DatevDialog::Namen)
    form_.AddChoice(f_selektion, "Selektion der Sachkonten",
                    {"Alle Sachkonten", "Sachkonten mit Saldo ungleich Null"},
                    par.get(D::Selektion) == 1 ? 1 : 0);
  if (buchungsdialog(art) || art == DatevDialog::Buchungsstapel) {
    // The current period by default.
    const int p = m.basis.get(BF::AktuellePeriode);
    const bool gueltig = p >= 1 && p <= m.basis.get(BF::AnzahlPerioden);
    form_.AddDate(f_von, "Datum von", gueltig ? m.basis.get(BF::periode_von(p)) : jahresanfang(m));
    form_.AddDate(f_bis, "Datum bis", gueltig ? m.basis.get(BF::periode_bis(p)) : jahresende(m));
    form_.AddString(f_verrechnung, "Verrechnungskonto (für Splitbuchungen)",
                    trim(par.get(D::Verrechnungskonto)), 8);
    form_.AddYesNo(f_eroeffnung, "Eröffnungsbuchungen unterdrücken",
                   par.get(D::EroeffnungUnterdruecken));
    form_.AddYesNo(f_buchungstext, "Buchungstext statt Kontenbezeichnung übergeben",
                   par.get(D::BuchungstextStattName));
  }
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Ok");
  form_.AddKey(Taste::Keine, "&Abbruch", [](TEntryForm&) { return Reaktion::Abbrechen; });
  form_.beim_verlassen([](TEntryForm& f, int nr) {
    if (nr != f_berater && nr != f_mandant && nr != f_abrechnung && nr != f_gegenkonto &&
        nr != f_verrechnung)
      return true;
    if (nur_ziffern(trim(f.text(nr)))) return true;
    f.ui().ShowMessageMain("Bitte nur Ziffern eingeben!");
    return false;
  });
  form_.beim_speichern([this](TEntryForm& f) {
    if (!pruefen(f)) return false;
    uebernehmen();
    return true;
  });
}

bool TFDatev::pruefen(TEntryForm& f) {
  const auto leer = [&f](int nr) { return trim(f.text(nr)).empty(); };
  const auto nein = [&f](int nr, const std::string& text) {
    f.ui().ShowMessageMain(text);
    f.setze_fokus(nr);
    return false;
  };
  if (leer(f_ziel)) return nein(f_ziel, "Bitte gültigen Pfad eingeben!");
  if (leer(f_berater)) return nein(f_berater, "Bitte Beraternummer eingeben!");
  if (hat(f_beratername) && leer(f_beratername))
    return nein(f_beratername, "Bitte Beratername eingeben!");
  if (leer(f_mandant)) return nein(f_mandant, "Bitte Mandantennummer eingeben!");
  if (hat(f_dfv) && leer(f_dfv)) return nein(f_dfv, "Bitte DFV-Kennzeichen eingeben!");
  if (hat(f_gegenkonto) && leer(f_gegenkonto))
    return nein(f_gegenkonto, "Bitte Gegenkonto eingeben!");
  if (hat(f_abrechnung)) {
    const std::int32_t n = kontowert(f.text(f_abrechnung));
    if (!((n >= 1 && n <= 69) || (n >= 1001 && n <= 1069)))
      return nein(f_abrechnung,
                  "Bitte Abrechnungsnummer korrekt eingeben!\rFolgende Intervalle sind "
                  "erlaubt:\r0001-0069 oder 1001-1069");
  }
  if (extf(art_)) {
    // The ranges DATEV's programs accept.
    const std::int32_t berater = kontowert(f.text(f_berater));
    if (berater < 1001)
      return nein(f_berater, "Die Beraternummer muss zwischen 1001 und 9999999 liegen!");
    if (kontowert(f.text(f_mandant)) < 1)
      return nein(f_mandant, "Die Mandantennummer muss zwischen 1 und 99999 liegen!");
  }
  if (hat(f_verrechnung)) {
    if (leer(f_verrechnung)) return nein(f_verrechnung, "Bitte ein Verrechnungskonto eintragen!");
    const std::string konto = trim(f.text(f_verrechnung));
    Puffer p(m_.sach.get());
    if (!ist_sachkonto(m_.basis, konto) || !m_.sach->suchen(m_.sachkonto_text(kontowert(konto))))
      return nein(f_verrechnung, "Bitte ein gültiges Verrechnungskonto eintragen!");
  }
  if (hat(f_von) && f.datum(f_von) > f.datum(f_bis))
    return nein(f_von, "Das Datum von liegt nach dem Datum bis!");
  return true;
}

void TFDatev::uebernehmen() {
  const TEntryForm& f = form_;
  par_.set(D::Zielverzeichnis, pfad_aus_konfiguration(f.text(f_ziel)));
  par_.set(D::Beraternummer, nullen(f.text(f_berater), 7));
  par_.set(D::Mandantennummer, nullen(f.text(f_mandant), 5));
  if (hat(f_beratername)) par_.set(D::Beratername, padcut(trim(f.text(f_beratername)), 9));
  if (hat(f_dfv)) par_.set(D::DfvKennzeichen, padcut(trim(f.text(f_dfv)), 2));
  if (hat(f_passwort)) par_.set(D::Passwort, padcut(trim(f.text(f_passwort)), 4));
  if (art_ == DatevDialog::Salden) {
    par_.set(D::AbrechnungsnummerSalden, nullen(f.text(f_abrechnung), 4));
    par_.set(D::Gegenkonto, trim(f.text(f_gegenkonto)));
  }
  if (buchungsdialog(art_))
    par_.set(D::AbrechnungsnummerBuchungen, nullen(f.text(f_abrechnung), 4));
  if (art_ == DatevDialog::Namen)
    par_.set(D::Selektion, static_cast<std::uint16_t>(f.auswahl(f_selektion)));
  if (hat(f_verrechnung)) {
    par_.set(D::Verrechnungskonto, trim(f.text(f_verrechnung)));
    par_.set(D::EroeffnungUnterdruecken, f.ja(f_eroeffnung));
    par_.set(D::BuchungstextStattName, f.ja(f_buchungstext));
  }
}

bool TFDatev::ausfuehren() {
  return form_.Execute(m_.ui());
}
Datum TFDatev::von() const {
  return form_.datum(f_von);
}
Datum TFDatev::bis() const {
  return form_.datum(f_bis);
}
const std::string& TFDatev::ziel_eingabe() const {
  return form_.text(f_ziel);
}

// --- Target ---

bool datev_ziel_pruefen(Mandant& m, const std::string& ziel) {
  const std::string t = trim(ziel);
  const std::string p = pfad_aus_konfiguration(t);
  const bool diskette =
      t.size() >= 2 && t[1] == ':' && (t[0] == 'A' || t[0] == 'a' || t[0] == 'B' || t[0] == 'b');
  if (diskette) {
    m.ui().ShowMessageMain("Bitte neue, leere Diskette in " + t + " einlegen!");
    while (!m.fs().ist_verzeichnis(p))
      if (!m.ui().JaNein2("Bitte Diskette in " + t + " einlegen!")) return false;
    return true;
  }
  if (m.fs().ist_verzeichnis(p)) return true;
  m.ui().ShowMessageMain("Der angegeben Pfad " + t +
                         "\rist ungültig. Bitte korrekten Pfad eingeben.");
  return false;
}

// --- Incomplete bookings ---

bool unvollstaendige_buchungen(Mandant& m, Datum von, Datum bis, bool eroeffnung_unterdruecken) {
  Ausgabe3 d(m.ui());
  if (!d.open_drucker_hinweis("Protokoll einer Prüfung auf unvollständige Buchungen.",
                              "Prüfung auf unvollständige Buchungen"))
    return false;
  d.setze_breite(breite);
  Seitenkopf k = seitenkopf(m, "Protokoll einer Prüfung auf unvollständige Buchungen.", breite);
  d.kopf_bei_umbruch([k](Ausgabe3& a) { drucke_seitenkopf(a, k); });
  drucke_seitenkopf(d, k);
  auto& bu = *m.buchung;
  const Gesamtsicht sicht(bu);
  Fortschritt f(m.ui());
  const std::int64_t anzahl = bu.anzahl_buchungen();
  f.oeffnen("Untersuchen ...", static_cast<long>(anzahl));
  Betrag beleg = 0, gesamt = 0;
  std::string voriges_konto, voriges_gegenkonto;
  int zeilen_im_beleg = 0;
  bool gemeldet = false;
  const auto stelle = [&m](std::int64_t n) {
    return n <= m.archivanzahl ? "Satz  " + std::to_string(n)
                               : "Zeile " + std::to_string(n - m.archivanzahl);
  };
  bool abbruch = false;
  const bool gelesen = bu.buchungen_lesen(1, anzahl, [&](std::int64_t n, const Satz& b) {
    if (!f.schritt()) {
      abbruch = true;
      return false;
    }
    const Datum dat = b.get(B::Datum);
    if (bu.satz_ist_leer(b) || dat < von || dat > bis) return true;
    if (eroeffnung_unterdruecken && buchungsart(b) == 'E') return true;
    const std::string konto = trim(b.get(B::Konto)), gegen = trim(b.get(B::Gegenkonto));
    const std::string beleg_nr = "Belegnummer : " + trim(b.get(B::Belegnr));
    // The second line of a document mirrors the first: its account is the
    // first line's counter account.
    if (beleg != 0 && (kontowert(konto) != kontowert(voriges_gegenkonto) ||
                       kontowert(gegen) != kontowert(voriges_konto))) {
      d.druckeln(stelle(n) + ": Konto bzw. Gegenkonto ist ungleich der vorigen Buchung!");
      d.druckeln(beleg_nr);
    }
    const Betrag brutto = b.get(B::Betrag) + b.get(B::Steuerbetrag);
    beleg += ist_soll(b) ? brutto : -brutto;
    gesamt += ist_soll(b) ? brutto : -brutto;
    ++zeilen_im_beleg;
    if (beleg != 0 && zeilen_im_beleg >= 2 && !gemeldet) {
      d.druckeln(stelle(n) + ": Hinweis: Unvollständige Buchung oder Splitbuchung!");
      d.druckeln(beleg_nr);
      gemeldet = true;
    }
    if (beleg == 0) {
      zeilen_im_beleg = 0;
      gemeldet = false;
    }
    voriges_konto = konto;
    voriges_gegenkonto = gegen;
    return true;
  });
  f.schliessen();
  if (abbruch) return false;
  if (!gelesen)
    d.druckeln("Die Buchungsdatei BUCHUNG.DA1 konnte nicht vollständig gelesen werden!");
  if (gesamt != 0) d.druckeln("!!! Saldenfehler, bitte führen Sie eine Buchungsprüfung durch");
  d.druckeln();
  d.druckeln("Hinweis: Buchungen mit einer \"Satznummer\" liegen in einer abgeschlossenen");
  d.druckeln("         Periode. Buchungen mit einer \"Zeilennummer\" können direkt in der");
  d.druckeln("         Buchungstabelle korrigiert werden.");
  d.close_drucker();
  return true;
}

// --- The runs ---

bool datev_salden(Mandant& m, bool namen) {
  const DatevVariante v = variante(m);
  if (!vorbedingungen(m, v)) return false;
  Satz par = datev_par_lesen(m);
  TFDatev dialog(m, namen ? DatevDialog::Namen : DatevDialog::Salden, par);
  if (!dialog.ausfuehren()) return false;
  const std::string ziel = pfad_aus_konfiguration(par.get(D::Zielverzeichnis));
  if (!datev_ziel_pruefen(m, dialog.ziel_eingabe())) return false;
  Protokoll prot(m);
  if (!prot.oeffnen(dialog.form().titel())) return false;
  const DatevKopf k = kopf(m, par, v, namen, false);
  Traeger t(m, ziel, k);
  if (!t.oeffnen()) return (prot.schliessen(), false);
  prot.zeile("   Konto  " + padcut("Bezeichnung", 30) + rechtsbuendig("Saldo", 19) +
             rechtsbuendig("Summe", 19));
  prot.zeile(std::string(breite, '-'));
  const bool ungleich_null = namen && par.get(D::Selektion) == 1;
  const std::string gegenkonto = trim(par.get(D::Gegenkonto));
  Betrag summe = 0;
  bool ok = true;
  {
    Puffer puffer(m.sach.get());
    auto& sach = *m.sach;
    Fortschritt f(m.ui());
    f.oeffnen("Daten schreiben ...", static_cast<long>(sach.anzahl_keys(1)));
    std::string key;
    for (bool weiter = sach.suche_ab(1, key) && sach.suchen(key); weiter && ok;
         weiter = sach.lies_weiter(1, key)) {
      if (!f.schritt()) {
        ok = false;
        break;
      }
      const Satz& s = sach.satz();
      const Betrag saldo = s.get(S::Saldo);
      if (ungleich_null && saldo == 0) continue;
      const std::string konto = trim(s.get(S::Kontonummer));
      const std::string b2 = trim(s.get(S::Bezeichnung2));
      const std::string name = trim(s.get(S::Bezeichnung1)) + (b2.empty() ? "" : " " + b2);
      summe += saldo;
      prot.zeile(padlinks(konto, 8) + "  " + padcut(name, 30) + rechtsbuendig(betrag(saldo), 19) +
                 rechtsbuendig(betrag(summe), 19));
      ok = t.satz(namen ? datev_namenssatz(konto, name)
                        : datev_saldensatz(k, saldo, gegenkonto, konto));
    }
  }
  if (ok) ok = t.schliessen(summe);
  prot.zeile("");
  prot.zeile("Mandantenendsumme : " + betrag(summe));
  if (!ok) prot.zeile("!!! Die Übergabe wurde nicht beendet, es wurden keine Dateien geschrieben.");
  prot.schliessen();
  return ok && datev_par_schreiben(m, par);
}

namespace {

// What the booking runs share: the walk over the bookings with its
// protocol lines, and the summary at the end.
struct Buchungslauf {
  DatevLauf lauf;
  DatevErgebnis ergebnis;
};

DatevLauf lauf_aus(const Satz& par, DatevAuswahl auswahl, Datum von, Datum bis) {
  DatevLauf l;
  l.auswahl = auswahl;
  l.von = von;
  l.bis = bis;
  l.eroeffnung_unterdruecken = par.get(D::EroeffnungUnterdruecken);
  l.verrechnungskonto = trim(par.get(D::Verrechnungskonto));
  l.buchungstext = par.get(D::BuchungstextStattName);
  return l;
}

void zusammenfassung(Protokoll& prot, const DatevErgebnis& e, bool carrier) {
  prot.zeile("");
  prot.zeile("Übergebene Datensätze : " + std::to_string(e.saetze));
  if (e.nicht_uebergeben > 0) {
    prot.zeile("Nicht übergebene Buchungen : " + std::to_string(e.nicht_uebergeben));
    if (e.zahlungsverkehr > 0) {
      prot.zeile("  davon aus dem Zahlungsverkehr (Belegnummer \"Z...\") : " +
                 std::to_string(e.zahlungsverkehr));
      if (carrier) prot.zeile("  Diese Buchungen übergibt der DATEV-Buchungsstapel (EXTF) mit.");
    }
  }
  if (e.offene_gruppen > 0)
    prot.zeile("Nicht ausgeglichene Buchungsvorgänge : " + std::to_string(e.offene_gruppen));
  prot.zeile("Mandantenendsumme : " + betrag(e.summe));
}

void schlussmeldungen(Mandant& m, const DatevErgebnis& e, DatevAuswahl a,
                      const std::string& laenge) {
  if (e.gekuerzt)
    m.ui().ShowMessageMain("Einigen Belegnummern wurden führende Zeichen entfernt, damit diese " +
                           laenge + " werden!");
  if (e.nicht_uebergeben > 0)
    m.ui().ShowMessageMain(std::string(a == DatevAuswahl::Alle ? "Es wurden " : "Es werden ") +
                           std::to_string(e.nicht_uebergeben) +
                           " Buchungen nicht übergeben.\rKontrollieren Sie das Protokoll.");
}

}  // namespace

bool datev_buchungen_uebergeben(Mandant& m, DatevAuswahl auswahl) {
  const DatevVariante v = variante(m);
  if (!vorbedingungen(m, v)) return false;
  // Documents that do not balance cannot be grouped.
  if (auswahl == DatevAuswahl::Alle && !datum_saldenpruefung(m)) return false;
  Satz par = datev_par_lesen(m);
  const DatevDialog art = auswahl == DatevAuswahl::Debitoren    ? DatevDialog::Debitoren
                          : auswahl == DatevAuswahl::Kreditoren ? DatevDialog::Kreditoren
                                                                : DatevDialog::Alle;
  TFDatev dialog(m, art, par);
  if (!dialog.ausfuehren()) return false;
  const std::string ziel = pfad_aus_konfiguration(par.get(D::Zielverzeichnis));
  if (!datev_ziel_pruefen(m, dialog.ziel_eingabe())) return false;
  DatevLauf l = lauf_aus(par, auswahl, dialog.von(), dialog.bis());
  l.belegnummer = [v](const std::string& nr) { return datev_traeger_belegnummer(v, nr); };
  if (auswahl == DatevAuswahl::Alle &&
      !unvollstaendige_buchungen(m, l.von, l.bis, l.eroeffnung_unterdruecken))
    return false;
  Protokoll prot(m);
  if (!prot.oeffnen(auswahl == DatevAuswahl::Alle
                        ? "Protokoll der Übergabe aller Buchungen an die DATEV."
                        : dialog.form().titel()))
    return false;
  DatevKopf k = kopf(m, par, v, false, true);
  k.von = l.von;
  k.bis = l.bis;
  Traeger t(m, ziel, k);
  bool ok = t.oeffnen();
  DatevErgebnis e;
  if (ok) {
    const bool faellig = auswahl != DatevAuswahl::Alle;
    e = datev_buchungen(
        m, l, [&](const DatevBuchung& b) { return t.satz(datev_buchungssatz(k, b, faellig)); },
        prot.ausgabe());
    ok = !e.abgebrochen && t.schliessen(e.summe);
  }
  zusammenfassung(prot, e, true);
  if (!ok) prot.zeile("!!! Die Übergabe wurde nicht beendet, es wurden keine Dateien geschrieben.");
  prot.schliessen();
  if (!ok) return false;
  schlussmeldungen(m, e, auswahl, v == DatevVariante::Erweitert ? "12 - stellig" : "6-stellig");
  return datev_par_schreiben(m, par) && e.offene_gruppen == 0;
}

bool datev_extf(Mandant& m, bool stammdaten) {
  if (!extf_vorbedingungen(m)) return false;
  if (!stammdaten && !datum_saldenpruefung(m)) return false;
  Satz par = datev_par_lesen(m);
  TFDatev dialog(m, stammdaten ? DatevDialog::Stammdaten : DatevDialog::Buchungsstapel, par);
  if (!dialog.ausfuehren()) return false;
  const std::string ziel = pfad_aus_konfiguration(par.get(D::Zielverzeichnis));
  if (!datev_ziel_pruefen(m, dialog.ziel_eingabe())) return false;
  DatevLauf l;
  if (!stammdaten) {
    l = lauf_aus(par, DatevAuswahl::Alle, dialog.von(), dialog.bis());
    l.textlaenge = 60;
    l.belegnummer = extf_belegnummer;
    if (!unvollstaendige_buchungen(m, l.von, l.bis, l.eroeffnung_unterdruecken)) return false;
  }
  Protokoll prot(m);
  if (!prot.oeffnen(dialog.form().titel())) return false;
  ExtfKopf k;
  k.stammdaten = stammdaten;
  k.erzeugt = zeitstempel(m);
  k.berater = kontowert(par.get(D::Beraternummer));
  k.mandant = kontowert(par.get(D::Mandantennummer));
  k.wj_beginn = jahresanfang(m);
  k.sachkontenlaenge = m.basis.get(BF::SachLaenge);
  k.von = l.von;
  k.bis = l.bis;
  k.bezeichnung =
      "FIBU " + DateToDateString("dd.mm.yyyy", l.von) + "-" + DateToDateString("dd.mm.yyyy", l.bis);
  k.euro = euro(m);
  // DATEV is to lock the batch when the journal of every period in it has
  // been printed here.
  k.festschreibung = !stammdaten;
  for (int p = 1; p <= m.basis.get(BF::AnzahlPerioden); ++p)
    if (m.basis.get(BF::periode_von(p)) <= l.bis && m.basis.get(BF::periode_bis(p)) >= l.von &&
        m.basis.get(BF::periode_status(p)) < 2)
      k.festschreibung = false;
  const std::string datei = extf_dateiname(stammdaten, l.von, l.bis);
  Ausgabedatei aus(m.fs(), ziel + datei);
  const auto schreiben = [&aus](const std::string& zeile) {
    return aus.schreiben(von_utf8(zeile, Codepage::CP1252));
  };
  Ergebnis fehler;
  const auto pruefe = [&fehler](Ergebnis e) {
    if (!e && fehler) fehler = e;
    return e.ok();
  };
  bool ok = pruefe(aus.oeffnen());
  DatevErgebnis e;
  long personen = 0;
  if (stammdaten) {
    ok = ok && pruefe(schreiben(extf_kopfzeile(k))) &&
         pruefe(schreiben(extf_spaltenzeile(extf_personenspalten())));
    Puffer puffer(m.personen.get());
    auto& p = *m.personen;
    Fortschritt f(m.ui());
    f.oeffnen("Daten schreiben ...", static_cast<long>(p.anzahl_keys(1)));
    std::string key;
    for (bool weiter = p.suche_ab(1, key) && p.suchen(key); weiter && ok;
         weiter = p.lies_weiter(1, key)) {
      if (!f.schritt()) {
        ok = false;
        e.abgebrochen = true;
        break;
      }
      const std::string konto = trim(p.satz().get(P::Kontonr));
      const bool debitor = ist_debitor(m.basis, konto);
      if (!debitor && !ist_kreditor(m.basis, konto)) continue;
      prot.zeile(padlinks(konto, 8) + "  " + padcut(trim(p.satz().get(P::Name)), 40));
      ok = pruefe(schreiben(extf_personenzeile(p.satz(), debitor)));
      ++personen;
    }
  } else {
    ok = ok && pruefe(schreiben(extf_kopfzeile(k))) &&
         pruefe(schreiben(extf_spaltenzeile(extf_buchungsspalten())));
    e = datev_buchungen(
        m, l,
        [&](const DatevBuchung& b) { return pruefe(schreiben(extf_buchungszeile(b, k.euro))); },
        prot.ausgabe());
    ok = ok && !e.abgebrochen;
  }
  ok = ok && pruefe(aus.fertig()) && pruefe(aus.einsetzen());
  if (!fehler)
    m.ui().ShowMessageMain("Die Datei " + aus.pfad() + " konnte nicht geschrieben werden!\r" +
                           fehler.text());
  if (stammdaten) {
    prot.zeile("");
    prot.zeile("Übergebene Personenkonten : " + std::to_string(personen));
  } else {
    zusammenfassung(prot, e, false);
  }
  if (!ok) prot.zeile("!!! Die Übergabe wurde nicht beendet, es wurde keine Datei geschrieben.");
  prot.schliessen();
  if (!ok) return false;
  if (!stammdaten) schlussmeldungen(m, e, DatevAuswahl::Alle, "36-stellig");
  m.ui().ShowMessageMain("Die Datei für die DATEV ist geschrieben:\r" + aus.pfad());
  return datev_par_schreiben(m, par) && e.offene_gruppen == 0;
}

void datev_registrieren(TFFibu& fibu) {
  fibu.registriere_pruefend(361, [&fibu] { return datev_salden(fibu.mandant(), false); });
  fibu.registriere_pruefend(362, [&fibu] { return datev_salden(fibu.mandant(), true); });
  fibu.registriere_pruefend(
      363, [&fibu] { return datev_buchungen_uebergeben(fibu.mandant(), DatevAuswahl::Debitoren); });
  fibu.registriere_pruefend(364, [&fibu] {
    return datev_buchungen_uebergeben(fibu.mandant(), DatevAuswahl::Kreditoren);
  });
  fibu.registriere_pruefend(
      365, [&fibu] { return datev_buchungen_uebergeben(fibu.mandant(), DatevAuswahl::Alle); });
  fibu.registriere_pruefend(367, [&fibu] { return datev_extf(fibu.mandant(), false); });
  fibu.registriere_pruefend(368, [&fibu] { return datev_extf(fibu.mandant(), true); });
}

}  // namespace fibu
