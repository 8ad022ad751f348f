#include "reports/saldenliste.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "masters/kontohilfen.h"
#include "suite/listenformat.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "suite/betrag.h"

namespace fibu {
namespace {

using B = BasisFelder;

constexpr int listenbreite = 132;
constexpr const char* spaltenzeile =
    " Kontonr Bezeichnung                   Eröffnung            Soll          Haben           Soll"
    "          Haben          Saldo";

// The values of one account, or the sums of several.
struct Werte {
  Betrag eroeffnung = 0, monat_soll = 0, monat_haben = 0, soll = 0, haben = 0;
  Betrag saldo() const { return eroeffnung + soll - haben; }
  Werte& operator+=(const Werte& w) {
    eroeffnung += w.eroeffnung, monat_soll += w.monat_soll, monat_haben += w.monat_haben;
    soll += w.soll, haben += w.haben;
    return *this;
  }
  Werte operator-(const Werte& w) const {
    return {eroeffnung - w.eroeffnung, monat_soll - w.monat_soll, monat_haben - w.monat_haben,
            soll - w.soll, haben - w.haben};
  }
};

// How a record holds its totals (GL and personal records differ in place).
struct Felder {
  ZahlFeld<std::int64_t> eroeffnung;
  std::function<ZahlFeld<std::int64_t>(int)> soll, haben;
};

// The values of a record for periods pf..pt; nullopt when the list wants
// accounts with movement only and this one has none.
std::optional<Werte> werte(const Satz& s, const Felder& f, int pf, int pt, bool nur_mit_umsatz) {
  Werte w;
  w.eroeffnung = s.get(f.eroeffnung);
  bool bewegt = w.eroeffnung != 0;
  for (int p = pf; p <= pt; ++p) {
    w.soll += s.get(f.soll(p));
    w.haben += s.get(f.haben(p));
    bewegt = bewegt || s.get(f.soll(p)) != 0 || s.get(f.haben(p)) != 0;
  }
  if (pt >= 1 && pt <= 12) {
    w.monat_soll = s.get(f.soll(pt));
    w.monat_haben = s.get(f.haben(pt));
  }
  if (nur_mit_umsatz && !bewegt) return std::nullopt;
  return w;
}

std::string betrag(Betrag b) { return listenbetrag(b); }

std::string betraege(const Werte& w) {
  return " " + betrag(w.eroeffnung) + " " + betrag(w.monat_soll) + " " + betrag(w.monat_haben) +
         " " + betrag(w.soll) + " " + betrag(w.haben) + " " + betrag(w.saldo());
}

std::string kontozeile(const std::string& nummer, const std::string& name, const Werte& w) {
  return padlinks(nummer, 8) + " " + padcut(name, 25) + betraege(w);
}

std::string summenzeile(const std::string& titel, const Werte& w) {
  return padcut(titel, 34) + betraege(w);
}

// The list's page: the standard header with the period range, the titles
// of the two column groups and the column line.
class Liste {
 public:
  Liste(Mandant& m, const std::string& art, int pf, int pt) : d_(m.ui()) {
    kopf_ = seitenkopf(m, "Saldenliste " + art, listenbreite);
    kopf_.untertitel = "Zeitraum: " + std::to_string(pf) + "-" + std::to_string(pt);
    gruppen_ = space(49) + mittig("Monatswerte Periode " + std::to_string(pt), 30) +
               mittig("Jahreswerte Periode " + std::to_string(pf) + "-" + std::to_string(pt), 30);
  }
  bool oeffnen(const std::string& name) {
    if (!d_.open_drucker(name)) return false;
    d_.schmal();
    d_.kopf_bei_umbruch([this](Ausgabe3& a) { seitenanfang(a); });
    seitenanfang(d_);
    return true;
  }
  void zeile(const std::string& text) { d_.druckeln(text); }
  void schliessen() { d_.close_drucker(); }

 private:
  void seitenanfang(Ausgabe3& a) {
    drucke_seitenkopf(a, kopf_);
    a.druckeln(trim_rechts(gruppen_));
    a.druckeln(spaltenzeile);
    a.druckeln();
  }
  static std::string trim_rechts(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  }

  Ausgabe3 d_;
  Seitenkopf kopf_;
  std::string gruppen_;
};

Felder sachfelder() {
  using S = SachFelder;
  return {S::Eroeffnungssaldo, [](int p) { return S::soll(p); }, [](int p) { return S::haben(p); }};
}

Felder personenfelder() {
  using P = PersonenFelder;
  return {P::Eroeffnungssaldo, [](int p) { return P::soll(p); }, [](int p) { return P::haben(p); }};
}

}  // namespace

namespace {
// A range whose first period lies after its last would print figures of
// no period at all under a heading that names one.
bool perioden_pruefen(TEntryForm& f) {
  if (f.zahl(1) <= f.zahl(2)) return true;
  f.ui().ShowMessageMain("Die Von-Periode ist größer als die Bis-Periode!");
  return false;
}
}  // namespace

SaldenlisteSachkonten saldenliste_vorgabe(const Mandant& m) {
  SaldenlisteSachkonten s;
  const Satz& b = m.basis;
  const int aktuell = b.get(B::AktuellePeriode), anzahl = b.get(B::AnzahlPerioden);
  // A fiscal year closed completely: the whole year.
  s.periode_von = aktuell > anzahl ? 1 : aktuell;
  s.periode_bis = aktuell > anzahl ? anzahl : aktuell;
  s.konto_von = b.get(B::SachVon);
  s.konto_bis = b.get(B::SachBis);
  return s;
}

SaldenlistePersonen saldenliste_vorgabe(const Mandant& m, bool kreditoren) {
  SaldenlistePersonen s;
  const SaldenlisteSachkonten g = saldenliste_vorgabe(m);
  s.kreditoren = kreditoren;
  s.periode_von = g.periode_von;
  s.periode_bis = g.periode_bis;
  const Satz& b = m.basis;
  s.konto_von = b.get(kreditoren ? B::KreditorVon : B::DebitorVon);
  s.konto_bis = b.get(kreditoren ? B::KreditorBis : B::DebitorBis);
  return s;
}

bool saldenliste_drucken(Mandant& m, const SaldenlisteSachkonten& e) {
  Liste liste(m, "Sachkonten", e.periode_von, e.periode_bis);
  if (!liste.oeffnen("Saldenliste Sachkonten")) return false;
  const Felder f = sachfelder();
  const int n = std::clamp(e.klassenstelle, 1, 8);
  Werte klasse, gesamt;
  std::string klassenkey;
  bool in_klasse = false;
  auto klassensumme = [&] {
    liste.zeile(summenzeile("Summe Klasse  " + klassenkey, klasse));
    liste.zeile("");
    klasse = {};
  };
  std::string k = sachkonto_text(m.basis, e.konto_von);
  const std::string ende = sachkonto_text(m.basis, e.konto_bis);
  for (bool ok = m.sach->suche_ab(1, k) && m.sach->suchen(k); ok && trim(k) <= ende;
       ok = m.sach->lies_weiter(1, k)) {
    const Satz& s = m.sach->satz();
    auto w = werte(s, f, e.periode_von, e.periode_bis, e.nur_mit_umsatz);
    if (!w) continue;
    const std::string nummer = trim(s.get(SachFelder::Kontonummer));
    const std::string key = nummer.substr(0, static_cast<std::size_t>(n));
    if (in_klasse && key != klassenkey) klassensumme();
    klassenkey = key;
    in_klasse = true;
    liste.zeile(kontozeile(nummer, s.get(SachFelder::Bezeichnung1), *w));
    if (e.fremdwaehrung) {
      // The balance in the other currency, under the balance column.
      const Betrag anders = m.euro() ? euro2dm(w->saldo()) : dm2euro(w->saldo());
      liste.zeile(space(109) + betrag(anders) + (m.euro() ? " DM" : " EU"));
    }
    klasse += *w;
    gesamt += *w;
  }
  if (in_klasse) klassensumme();
  liste.zeile(summenzeile("Gesamtsumme", gesamt));
  // The notices only for the complete range: a part may well not balance.
  const Satz& b = m.basis;
  if (e.konto_von == b.get(B::SachVon) && e.konto_bis == b.get(B::SachBis)) {
    if (gesamt.eroeffnung != 0) liste.zeile("HINWEIS: Die Summe der Eröffnungsbuchungen ist nicht Null!");
    if (gesamt.monat_soll != gesamt.monat_haben)
      liste.zeile("HINWEIS: Soll und Haben der Monatswerte gleichen sich nicht aus!");
    if (gesamt.soll != gesamt.haben)
      liste.zeile("HINWEIS: Soll und Haben der Jahreswerte gleichen sich nicht aus!");
    if (gesamt.saldo() != 0) liste.zeile("HINWEIS: Der Gesamtsaldo ist nicht Null!");
  }
  liste.schliessen();
  return true;
}

bool saldenliste_drucken(Mandant& m, const SaldenlistePersonen& e) {
  const std::string art = e.kreditoren ? "Kreditoren" : "Debitoren";
  Liste liste(m, art, e.periode_von, e.periode_bis);
  if (!liste.oeffnen("Saldenliste " + art)) return false;
  const Felder f = personenfelder();
  const Satz& b = m.basis;
  Werte gesamt, bei_letzter_gruppe;
  auto eine = [&](const Satz& s) {
    const std::string nummer = trim(s.get(PersonenFelder::Kontonr));
    const std::int32_t wert = kontowert(nummer);
    if (wert < e.konto_von || wert > e.konto_bis) return;
    if (e.kreditoren ? !ist_kreditor(b, nummer) : !ist_debitor(b, nummer)) return;
    auto w = werte(s, f, e.periode_von, e.periode_bis, e.nur_mit_umsatz);
    if (!w) return;
    // The flag marks the first account of a new group: the sums since the
    // previous block come before it.
    if (s.get(PersonenFelder::SummeInSaldenliste)) {
      liste.zeile(summenzeile("Gruppensummen", gesamt - bei_letzter_gruppe));
      liste.zeile("");
      bei_letzter_gruppe = gesamt;
    }
    std::string name = trim(s.get(PersonenFelder::Name));
    liste.zeile(kontozeile(nummer, name, *w));
    gesamt += *w;
  };
  std::string k = personenkonto_text(b, e.konto_von);
  const std::string ende = personenkonto_text(b, e.konto_bis);
  if (e.nach_suchname) {
    for (const std::string& nummer : personenkonten_nach_suchname(m, e.konto_von, e.konto_bis))
      if (m.personen->suchen(nummer)) eine(m.personen->satz());
  } else {
    for (bool ok = m.personen->suche_ab(1, k) && m.personen->suchen(k); ok && trim(k) <= ende;
         ok = m.personen->lies_weiter(1, k))
      eine(m.personen->satz());
  }
  liste.zeile(summenzeile("Gesamtsumme", gesamt));
  liste.schliessen();
  return true;
}

TFSaldenlisteSachkonto::TFSaldenlisteSachkonto(Mandant& m)
    : m_(m), form_("Selektion Saldenliste Sachkonto") {
  const SaldenlisteSachkonten v = saldenliste_vorgabe(m);
  form_.AddByte(1, "Perioden von", static_cast<std::uint8_t>(v.periode_von), 1, 12);
  form_.AddByte(2, "Perioden bis", static_cast<std::uint8_t>(v.periode_bis), 1, 12);
  form_.AddLongInt(3, "Kontonummer", v.konto_von, 0, 99999999);
  form_.AddLongInt(4, "bis", v.konto_bis, 0, 99999999);
  form_.AddByte(5, "Stelle der Klassenbildung", 1, 1, 8);
  form_.AddYesNo(6, "Nur Konten mit Umsatz ausgeben", true);
  form_.AddYesNo(7, "Saldo zusätzlich in Fremdwährung ausgeben", false);
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Drucken");
  form_.beim_speichern(perioden_pruefen);
}

bool TFSaldenlisteSachkonto::ausfuehren() {
  if (!form_.Execute(m_.ui())) return false;
  SaldenlisteSachkonten e;
  e.periode_von = static_cast<int>(form_.zahl(1));
  e.periode_bis = static_cast<int>(form_.zahl(2));
  e.konto_von = static_cast<std::int32_t>(form_.zahl(3));
  e.konto_bis = static_cast<std::int32_t>(form_.zahl(4));
  e.klassenstelle = static_cast<int>(form_.zahl(5));
  e.nur_mit_umsatz = form_.ja(6);
  e.fremdwaehrung = form_.ja(7);
  return saldenliste_drucken(m_, e);
}

TFSaldenlistePersonenkonto::TFSaldenlistePersonenkonto(Mandant& m, bool kreditoren)
    : m_(m), kreditoren_(kreditoren), form_("Selektion Saldenliste Personenkonto") {
  const SaldenlistePersonen v = saldenliste_vorgabe(m, kreditoren);
  form_.AddByte(1, "Perioden von", static_cast<std::uint8_t>(v.periode_von), 1, 12);
  form_.AddByte(2, "Perioden bis", static_cast<std::uint8_t>(v.periode_bis), 1, 12);
  form_.AddLongInt(3, "Kontonummer", v.konto_von, 0, 99999999);
  form_.AddLongInt(4, "bis", v.konto_bis, 0, 99999999);
  form_.AddYesNo(5, "Nur Konten mit Umsatz", true);
  form_.AddChoice(6, "Sortierung", {"Numerisch", "Suchname"}, 0);
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Drucken");
  form_.beim_speichern(perioden_pruefen);
}

bool TFSaldenlistePersonenkonto::ausfuehren() {
  if (!form_.Execute(m_.ui())) return false;
  SaldenlistePersonen e;
  e.kreditoren = kreditoren_;
  e.periode_von = static_cast<int>(form_.zahl(1));
  e.periode_bis = static_cast<int>(form_.zahl(2));
  e.konto_von = static_cast<std::int32_t>(form_.zahl(3));
  e.konto_bis = static_cast<std::int32_t>(form_.zahl(4));
  e.nur_mit_umsatz = form_.ja(5);
  e.nach_suchname = form_.auswahl(6) == 1;
  return saldenliste_drucken(m_, e);
}

}  // namespace fibu
