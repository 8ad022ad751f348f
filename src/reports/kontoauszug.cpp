#include "reports/kontoauszug.h"

#include <algorithm>
#include <array>
#include <vector>

#include "posting/buchen.h"
#include "posting/periodenwahl.h"
#include "suite/listenformat.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "suite/betrag.h"

namespace fibu {
namespace {

using B = BasisFelder;
using F = BuchungFelder;

constexpr int listenbreite = 132;
constexpr const char* indexfehler = "FEHLER: Indexdatei-Buchungen beschädigt !!!";

std::string betrag(Betrag b) { return listenbetrag(b); }
std::string datum(Datum d) { return DateToDateString("dd.mm.yyyy", d); }
// The side of a balance: "H" below zero, "S" otherwise (zero too).
const char* saldoseite(Betrag saldo) { return saldo < 0 ? "H" : "S"; }

// What a sheet or statement shows of an account, GL or personal.
struct Konto {
  std::string nummer;  // as the record holds it
  std::string name;    // name and title / both description texts
  Betrag eroeffnung = 0, saldo = 0;
  std::array<Betrag, 13> soll{}, haben{};  // per period 1..12
  bool person = false;
  bool sammelnd = false;  // collective or tax account: sums, no single lines
};

Konto sachkonto(const Mandant& m, const Satz& s) {
  using S = SachFelder;
  Konto k;
  k.nummer = trim(s.get(S::Kontonummer));
  k.name = trim(trim(s.get(S::Bezeichnung1)) + " " + trim(s.get(S::Bezeichnung2)));
  k.eroeffnung = s.get(S::Eroeffnungssaldo);
  k.saldo = s.get(S::Saldo);
  for (int p = 1; p <= 12; ++p) k.soll[p] = s.get(S::soll(p)), k.haben[p] = s.get(S::haben(p));
  k.sammelnd = ist_sammelkonto(m.basis, k.nummer) || ist_steuerkonto(m.basis, kontowert(k.nummer));
  return k;
}

Konto personenkonto(const Satz& s) {
  using P = PersonenFelder;
  Konto k;
  k.nummer = trim(s.get(P::Kontonr));
  k.name = trim(trim(s.get(P::Name)) + " " + trim(s.get(P::Titel)));
  k.eroeffnung = s.get(P::Eroeffnungssaldo);
  k.saldo = s.get(P::Saldo);
  for (int p = 1; p <= 12; ++p) k.soll[p] = s.get(P::soll(p)), k.haben[p] = s.get(P::haben(p));
  k.person = true;
  return k;
}

std::optional<Konto> konto_lesen(Mandant& m, std::int32_t nummer) {
  const std::string gl = m.sachkonto_text(nummer);
  if (m.ist_sachkonto(gl) && m.sach->suchen(gl)) return sachkonto(m, m.sach->satz());
  const std::string person = m.personenkonto_text(nummer);
  if ((m.ist_debitor(person) || m.ist_kreditor(person)) && m.personen->suchen(person))
    return personenkonto(m.personen->satz());
  return std::nullopt;
}

std::string titelzeile(const Konto& k) { return space(5) + rechtsbuendig(k.nummer, 7) + " " + k.name; }

// Debit and credit, running or summed.
struct Summen {
  Betrag soll = 0, haben = 0;
  Betrag saldo() const { return soll - haben; }
  void buchen(const Satz& b) { (ist_soll(b) ? soll : haben) += b.get(F::Betrag); }
  Summen& operator+=(const Summen& s) {
    soll += s.soll, haben += s.haben;
    return *this;
  }
};

// The columns of a sheet line: with cost centres everything from the
// booking number on moves right by ten.
class Blatt {
 public:
  Blatt(Mandant& m, const Kontoauszuege& e) : e_(e), d_(m.ui()) {
    const int v = e.kostenstellen ? 10 : 0;
    text_ = 44 + v;
    kopf_ = seitenkopf(m, "Kontoauszug", listenbreite);
    kopf_.untertitel = "Zeitraum: " + datum(m.basis.get(B::periode_von(e.periode_von))) + " - " +
                       datum(m.basis.get(B::periode_bis(e.periode_bis)));
    spalten_ = std::string(e.kostenstellen ? "Art  Belegnr    Datum     Gegenkto  Kostenst   "
                                           : "Art  Belegnr    Datum     Gegenkto   ") +
               " Satz" + "  Buchungstext                Saldo" + "   S            Soll           Haben";
  }

  bool oeffnen() {
    if (!d_.open_drucker("Kontoauszüge")) return false;
    d_.schmal();
    d_.kopf_bei_umbruch([this](Ausgabe3& a) { seitenanfang(a); });
    seitenanfang(d_);
    return true;
  }
  void schliessen() { d_.close_drucker(); }
  void zeile(const std::string& text) { d_.druckeln(text); }

  // A further account: a page of its own, or a blank line and a new page
  // only when the title and a few lines no longer fit.
  void kontowechsel() {
    if (e_.neue_seite || d_.check(5)) {
      d_.neue_seite();
      seitenanfang(d_);
    } else {
      d_.druckeln();
    }
  }

  void buchungszeile(std::uint32_t nr, const Satz& b) {
    const char art = buchungsart(b);
    std::string z = mittig(art ? std::string(1, art) : "", 3) + "  " +
                    padlinks(trim(b.get(F::Belegnr)), 7) + "  " +
                    datum(b.get(F::Datum)) + "  " + padlinks(trim(b.get(F::Gegenkonto)), 8) + "  ";
    if (e_.kostenstellen) z += padlinks(trim(b.get(F::Kost)), 8) + "  ";
    z += format_maske(nr, 0, "######") + "  " + padcut(trim(b.get(F::Text1)), 33) + "  ";
    const std::string schluessel = trim(b.get(F::Steuerschluessel));
    z += schluessel.empty() ? space(4) : padlinks(schluessel, 2) + "  ";
    const int spalte = static_cast<int>(zeichenzahl(z)) + (ist_soll(b) ? 0 : 16);
    zeile(padcut(z, spalte) + betrag(b.get(F::Betrag)));
    if (b.get(F::Fremdwaehrung) && b.get(F::Fremdbetrag) != 0)
      zeile(space(spalte - 1) + "(" + betrag(b.get(F::Fremdbetrag)) + ")");
  }
  // A line in place of the single bookings: the text in the text column,
  // debit and credit in theirs.
  void sammelzeile(const std::string& text, const Summen& s) {
    zeile(space(text_) + padcut(text, 33) + space(6) + betrag(s.soll) + "  " + betrag(s.haben));
  }
  // A sum: the text from the document column, the balance at the end of
  // the text column, then debit and credit.
  void summenzeile(const std::string& text, const Summen& s) {
    zeile(padcut(space(5) + text, text_ + 19) + betrag(s.saldo()) + space(6) + betrag(s.soll) + "  " +
          betrag(s.haben));
  }

 private:
  void seitenanfang(Ausgabe3& a) {
    drucke_seitenkopf(a, kopf_);
    a.druckeln(spalten_);
    a.druckeln();
  }

  const Kontoauszuege& e_;
  Ausgabe3 d_;
  Seitenkopf kopf_;
  std::string spalten_;
  int text_ = 44;
};

class Kontoauszugslauf {
 public:
  Kontoauszugslauf(Mandant& m, const Kontoauszuege& e) : m_(m), e_(e), blatt_(m, e) {}

  bool drucken() {
    if (!blatt_.oeffnen()) return false;
    Interaktion& ui = m_.ui();
    ui.Balken_Oeffnen("Druck Kontoauszüge ...",
                      static_cast<long>(m_.personen->anzahl_keys(1) + m_.sach->anzahl_keys(1)));
    if (personenkonten()) sachkonten();
    if (index_defekt_) blatt_.zeile(indexfehler);
    ui.Balken_Schliessen();
    blatt_.schliessen();
    return true;
  }

 private:
  bool personenkonten() {
    auto& p = *m_.personen;
    std::string k = m_.personenkonto_text(e_.konto_von);
    for (bool ok = p.suche_ab(1, k) && p.suchen(k); ok; ok = p.lies_weiter(1, k)) {
      if (!schritt()) return false;
      const Konto konto = personenkonto(p.satz());
      const std::int32_t wert = kontowert(konto.nummer);
      if (wert > e_.konto_bis) break;
      if (wert >= e_.konto_von) konto_drucken(konto);
    }
    return true;
  }
  bool sachkonten() {
    auto& s = *m_.sach;
    std::string k = m_.sachkonto_text(e_.konto_von);
    for (bool ok = s.suche_ab(1, k) && s.suchen(k); ok; ok = s.lies_weiter(1, k)) {
      if (!schritt()) return false;
      const Konto konto = sachkonto(m_, s.satz());
      const std::int32_t wert = kontowert(konto.nummer);
      if (wert > e_.konto_bis) break;
      if (wert >= e_.konto_von) konto_drucken(konto);
    }
    return true;
  }
  bool schritt() {
    m_.ui().Balken_Inc();
    return !m_.ui().EscPressed();
  }

  Datum anfang(int p) const { return m_.basis.get(B::periode_von(p)); }
  Datum ende(int p) const { return m_.basis.get(B::periode_bis(p)); }

  bool hat_buchungen(const Konto& k) {
    return m_.buchung->buchungen_des_kontos(kontowert(k.nummer), kein_datum, ende(e_.periode_bis),
                                            [](std::uint32_t, const Satz&) { return false; }) != 0;
  }

  void konto_drucken(const Konto& k) {
    if (!k.sammelnd && !hat_buchungen(k)) return;
    if (gedruckt_) blatt_.kontowechsel();
    gedruckt_ = true;
    blatt_.zeile(titelzeile(k));

    // Carry-forward: the opening balance and the periods before the range.
    // From period 1 on the opening bookings are lines of their own, except
    // on accounts printed as sums, which show no single bookings.
    Summen vortrag;
    if (e_.periode_von > 1 || k.sammelnd) {
      if (k.person || k.eroeffnung >= 0)
        vortrag.soll = k.eroeffnung;
      else
        vortrag.haben = -k.eroeffnung;
      for (int p = 1; p < e_.periode_von; ++p) vortrag.soll += k.soll[p], vortrag.haben += k.haben[p];
    }
    blatt_.summenzeile("Saldovortrag", vortrag);

    Summen jahr = vortrag;
    for (int p = e_.periode_von; p <= e_.periode_bis; ++p) {
      Summen periode;
      if (k.sammelnd) {
        periode = {k.soll[p], k.haben[p]};
        blatt_.sammelzeile("Sammelkonto", periode);
      } else {
        periode = buchungen(k, p);
      }
      if (e_.periodensummen) blatt_.summenzeile("Summe Periode " + std::to_string(p), periode);
      jahr += periode;
      blatt_.summenzeile("Jahreswert aufgelaufen", jahr);
    }
    blatt_.summenzeile("Kontosumme", jahr);
  }

  // The bookings of period p, one line each. A booking the index gives for
  // this account and period that lies elsewhere means a damaged index: the
  // line says so and the period's remaining bookings are left out.
  Summen buchungen(const Konto& k, int p) {
    Summen s;
    const std::int32_t wert = kontowert(k.nummer);
    const Datum von = anfang(p), bis = ende(p);
    long n = m_.buchung->buchungen_des_kontos(wert, von, bis, [&](std::uint32_t nr, const Satz& b) {
      const Datum d = b.get(F::Datum);
      if (d < von || d > bis || kontowert(b.get(F::Konto)) != wert) {
        blatt_.zeile(indexfehler);
        index_defekt_ = true;
        return false;
      }
      blatt_.buchungszeile(nr, b);
      s.buchen(b);
      return true;
    });
    if (n < 0) {
      blatt_.zeile(indexfehler);
      index_defekt_ = true;
    }
    return s;
  }

  Mandant& m_;
  const Kontoauszuege& e_;
  Blatt blatt_;
  bool gedruckt_ = false;
  bool index_defekt_ = false;
};

}  // namespace

std::optional<Periodenbereich> auszugsperioden(const Mandant& m, Auszugsperioden form) {
  const int aktuell = m.basis.get(B::AktuellePeriode);
  const int anzahl = std::clamp<int>(m.basis.get(B::AnzahlPerioden), 1, 12);
  Periodenbereich b;
  if (form == Auszugsperioden::Offen) {
    b = {std::max(aktuell, 1), anzahl};
  } else {
    b = {1, std::min(aktuell - 1, anzahl)};
  }
  if (b.von > b.bis) return std::nullopt;
  return b;
}

Kontoauszuege kontoauszug_vorgabe(const Mandant& m, Periodenbereich bereich) {
  const Satz& b = m.basis;
  Kontoauszuege e;
  e.periode_von = bereich.von;
  e.periode_bis = bereich.bis;
  e.konto_von = std::min({b.get(B::SachVon), b.get(B::DebitorVon), b.get(B::KreditorVon)});
  e.konto_bis = std::max({b.get(B::SachBis), b.get(B::DebitorBis), b.get(B::KreditorBis)});
  return e;
}

bool kontoauszuege_drucken(Mandant& m, const Kontoauszuege& e) {
  Kontoauszuege g = e;
  g.periode_von = std::clamp(e.periode_von, 1, 12);
  g.periode_bis = std::clamp(e.periode_bis, g.periode_von, 12);
  return Kontoauszugslauf(m, g).drucken();
}

// --- One account with a running balance ---

KontoauszugEinzeln kontoauszug_einzeln_vorgabe(const Mandant& m) {
  KontoauszugEinzeln e;
  e.von = geschaeftsjahr_von(m.basis);
  e.bis = geschaeftsjahr_bis(m.basis);
  return e;
}

bool kontoauszug_konto_vorhanden(Mandant& m, std::int32_t konto) {
  return konto != 0 && konto_lesen(m, konto).has_value();
}

bool kontoauszug_einzeln_drucken(Mandant& m, const KontoauszugEinzeln& e) {
  const auto k = konto_lesen(m, e.konto);
  if (!k) {
    m.ui().ShowMessageMain("Konto nicht gefunden");
    return false;
  }
  Ausgabe3 d(m.ui());
  Seitenkopf kopf = seitenkopf(m, "Kontoauszug-Einzelkonto", listenbreite);
  kopf.untertitel = "Zeitraum: " + datum(e.von) + " - " + datum(e.bis);
  const std::string spalten =
      "          Soll          Haben  S          Saldo  A  Gegenkto  Belegnr    Datum     "
      "Buchungstext                       Z  Zeile";
  auto seitenanfang = [&](Ausgabe3& a) {
    drucke_seitenkopf(a, kopf);
    a.druckeln(titelzeile(*k));
    a.druckeln(spalten);
    a.druckeln();
  };
  if (!d.open_drucker("Kontoauszug " + k->nummer)) return false;
  d.schmal();
  d.kopf_bei_umbruch(seitenanfang);
  seitenanfang(d);

  Interaktion& ui = m.ui();
  ui.Balken_Oeffnen("Suche Buchungen ...", 0);
  const std::int32_t wert = kontowert(k->nummer);
  Summen summe;
  bool index_defekt = false;
  long n = m.buchung->buchungen_des_kontos(wert, e.von, e.bis, [&](std::uint32_t nr, const Satz& b) {
    ui.Balken_Inc();
    if (kontowert(b.get(F::Konto)) != wert) {
      d.druckeln(indexfehler);
      index_defekt = true;
      return true;
    }
    summe.buchen(b);
    const Betrag wert_b = b.get(F::Betrag);
    const bool soll = ist_soll(b);
    const char art = buchungsart(b);
    // The letter is the side of the running balance, as on the total line
    // (the booking's side shows by its column); Z marks a booking the
    // journal has locked.
    d.druckeln((soll ? betrag(wert_b) : space(14)) + " " + (soll ? space(14) : betrag(wert_b)) + "  " +
               saldoseite(summe.saldo()) + " " + betrag(summe.saldo()) + "  " +
               (art ? std::string(1, art) : " ") +
               "  " + padlinks(trim(b.get(F::Gegenkonto)), 8) + "  " +
               padlinks(trim(b.get(F::Belegnr)), 7) + "  " + datum(b.get(F::Datum)) + "  " +
               padcut(trim(b.get(F::Text1)), 33) + "  " + (b.get(F::Gesperrt) ? "*" : " ") + " " +
               format_maske(nr, 0, "######"));
    if (b.get(F::Fremdwaehrung) && b.get(F::Fremdbetrag) != 0)
      d.druckeln(space(soll ? 0 : 15) + rechtsbuendig("(" + betrag_text(b.get(F::Fremdbetrag)) + ")", 15));
    return true;
  });
  ui.Balken_Schliessen();
  if (n < 0) {
    d.druckeln(indexfehler);
    index_defekt = true;
  }
  d.druckeln(std::string(47, '-'));
  d.druckeln(betrag(summe.soll) + " " + betrag(summe.haben) + "  " + saldoseite(summe.saldo()) +
             " " + betrag(summe.saldo()));
  if (index_defekt) d.druckeln(indexfehler);
  // The stored balance is the sum of every booking of the account: it can
  // only be compared when the range holds them all, and not on collective
  // and tax accounts, which the bookings of other accounts move too.
  auto ausserhalb = [&](Datum von, Datum bis) {
    return m.buchung->buchungen_des_kontos(wert, von, bis,
                                           [](std::uint32_t, const Satz&) { return false; }) != 0;
  };
  const bool alle = (e.von <= erstes_datum || !ausserhalb(kein_datum, e.von - 1)) &&
                    (e.bis >= letztes_datum || !ausserhalb(e.bis + 1, letztes_datum));
  if (alle && !k->sammelnd && !index_defekt && summe.saldo() != k->saldo)
    d.druckeln("FEHLER: Gesamtsaldo des Kontos stimmt nicht mit den Buchungen überein !!!");
  d.close_drucker();
  return true;
}

// --- Dialogs ---

TFKontoauszug::TFKontoauszug(Mandant& m, Auszugsperioden art)
    : m_(m), art_(art), form_("Selektion Kontoauszug") {
  bereich_ = auszugsperioden(m, art).value_or(Periodenbereich{});
  const Kontoauszuege v = kontoauszug_vorgabe(m, bereich_);
  form_.AddByte(1, "Perioden von", static_cast<std::uint8_t>(v.periode_von), 1, 12);
  form_.AddByte(2, "Perioden bis", static_cast<std::uint8_t>(v.periode_bis), 1, 12);
  form_.AddLongInt(3, "Kontonummer", v.konto_von, 0, 99999999);
  form_.AddLongInt(4, "bis", v.konto_bis, 0, 99999999);
  form_.AddYesNo(5, "Neue Seite bei Kontenwechsel", false);
  form_.AddYesNo(6, "Druck Periodensummen", false);
  form_.AddYesNo(7, "Druck Kostenstellen", false);
  form_.AddByte(8, "Aktuelle Periode", static_cast<std::uint8_t>(m.basis.get(B::AktuellePeriode)));
  form_.ProtectControl(8);
  form_.AddKey(Taste::Keine, "&Konten", [this](TEntryForm&) { return konten(); });
  form_.beim_verlassen([this](TEntryForm& f, int nr) { return pruefen(f, nr); });
  form_.beim_speichern([this](TEntryForm& f) {
    if (!pruefen(f, 1) || !pruefen(f, 2)) return false;
    if (f.zahl(1) > f.zahl(2)) {
      f.ui().ShowMessageMain("Die Von-Periode ist größer als die Bis-Periode!");
      return false;
    }
    if (f.zahl(3) > f.zahl(4)) {
      f.ui().ShowMessageMain("Die Von-Kontonummer ist größer als die Bis-Kontonummer!");
      return false;
    }
    return true;
  });
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Drucken");
}

// Periods typed outside the form's range are moved back into it.
bool TFKontoauszug::pruefen(TEntryForm& f, int nr) {
  if (nr == 1 || nr == 2)
    f.setze_zahl(nr, std::clamp<std::int64_t>(f.zahl(nr), bereich_.von, bereich_.bis));
  return true;
}

// The list of the accounts of the kind the field under the cursor names;
// the chosen one goes into that field.
Reaktion TFKontoauszug::konten() {
  const int feld = form_.fokus() == 4 ? 4 : 3;
  const auto nummer = static_cast<std::int32_t>(form_.zahl(feld));
  const std::string person = m_.personenkonto_text(nummer);
  std::string k;
  if (m_.ist_debitor(person) || m_.ist_kreditor(person)) {
    using P = PersonenFelder;
    Zeilenbauer zeile = [](const Satz& s) {
      return trim(s.get(P::Kontonr)) + "  " + trim(trim(s.get(P::Name)) + " " + trim(s.get(P::Titel)));
    };
    k = person;
    if (m_.personen->auswahl(1, "Liste der Personenkonten", k, zeile, "Nr.  Kontoname und Titel"))
      form_.setze_zahl(feld, kontowert(m_.personen->satz().get(P::Kontonr)));
  } else {
    using S = SachFelder;
    Zeilenbauer zeile = [](const Satz& s) {
      return trim(s.get(S::Kontonummer)) + "  " + trim(s.get(S::Bezeichnung1));
    };
    k = m_.sachkonto_text(nummer);
    if (m_.sach->auswahl(1, "Liste der Sachkonten", k, zeile, "Nr.  Kontoname"))
      form_.setze_zahl(feld, kontowert(m_.sach->satz().get(S::Kontonummer)));
  }
  return Reaktion::Weiter;
}

bool TFKontoauszug::ausfuehren() {
  if (!auszugsperioden(m_, art_)) {
    m_.ui().ShowMessageMain(art_ == Auszugsperioden::Abgeschlossen
                                ? "Es sind noch keine Perioden abgeschlossen worden!"
                                : "Sie haben bereits alle Perioden abgeschlossen!");
    return false;
  }
  if (!form_.Execute(m_.ui())) return false;
  Kontoauszuege e;
  e.periode_von = static_cast<int>(form_.zahl(1));
  e.periode_bis = static_cast<int>(form_.zahl(2));
  e.konto_von = static_cast<std::int32_t>(form_.zahl(3));
  e.konto_bis = static_cast<std::int32_t>(form_.zahl(4));
  e.neue_seite = form_.ja(5);
  e.periodensummen = form_.ja(6);
  e.kostenstellen = form_.ja(7);
  return kontoauszuege_drucken(m_, e);
}

TFKontoauszugEinzeln::TFKontoauszugEinzeln(Mandant& m, std::int32_t konto)
    : m_(m), form_("Selektion Kontoauszug-Einzelkonto") {
  const KontoauszugEinzeln v = kontoauszug_einzeln_vorgabe(m);
  form_.AddLongInt(1, "Kontonummer", konto, 0, 99999999);
  form_.AddDate(2, "Datum", v.von);
  form_.AddDate(3, "bis", v.bis);
  form_.beim_speichern([this](TEntryForm& f) {
    if (f.datum(2) > f.datum(3)) {
      f.ui().ShowMessageMain("Das Von-Datum ist größer als das Bis-Datum!");
      return false;
    }
    if (!kontoauszug_konto_vorhanden(m_, static_cast<std::int32_t>(f.zahl(1)))) {
      f.ui().ShowMessageMain("Konto nicht gefunden");
      return false;
    }
    return true;
  });
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Drucken");
}

bool TFKontoauszugEinzeln::ausfuehren() {
  if (!form_.Execute(m_.ui())) return false;
  KontoauszugEinzeln e;
  e.konto = static_cast<std::int32_t>(form_.zahl(1));
  e.von = form_.datum(2);
  e.bis = form_.datum(3);
  return kontoauszug_einzeln_drucken(m_, e);
}

}  // namespace fibu
