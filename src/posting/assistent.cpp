#include "posting/assistent.h"

#include <algorithm>
#include <cstdlib>

#include "posting/periodenwahl.h"
#include "posting/steuer.h"
#include "store/kontenbereiche.h"
#include "store/puffer.h"
#include "suite/allgemei.h"
#include "suite/browser.h"

namespace fibu {

namespace {

using B = BuchungFelder;
using BF = BasisFelder;
using O = OpstammFelder;
using P = PersonenFelder;
using S = SachFelder;

Datum datum_plus(Datum d, int tage) {
  return static_cast<Datum>(std::clamp(d + tage, 0, 65535));
}

// The name a line's text 1 gets from its counter-account.
std::string kontoname(Mandant& m, const std::string& konto) {
  if (trim(konto).empty()) return "";
  if (m.ist_sachkonto(konto)) {
    Puffer puffer(m.sach.get());
    return m.sach->suchen(trim(konto)) ? trim(m.sach->satz().get(S::Bezeichnung1)) : "";
  }
  Puffer puffer(m.personen.get());
  return m.personen->suchen(trim(konto)) ? trim(m.personen->satz().get(P::Name)) : "";
}

// The GL account of a number, if it exists.
std::optional<Satz> sachkonto_lesen(Mandant& m, const std::string& konto) {
  if (!m.ist_sachkonto(konto)) return std::nullopt;
  Puffer puffer(m.sach.get());
  if (!m.sach->suchen(trim(konto))) return std::nullopt;
  return m.sach->satz();
}

std::optional<Satz> personenkonto_lesen(Mandant& m, const std::string& konto) {
  Puffer puffer(m.personen.get());
  if (trim(konto).empty() || !m.personen->suchen(trim(konto))) return std::nullopt;
  return m.personen->satz();
}

std::optional<Satz> op_lesen(Mandant& m, const std::string& key) {
  if (!m.opstamm->offen()) m.opstamm->oeffnen();
  Puffer puffer(m.opstamm.get());
  if (!m.opstamm->suchen(key)) return std::nullopt;
  return m.opstamm->satz();
}

// A GL account with a tax key needs the tax account of that key.
bool steuerkonto_da(Mandant& m, const Satz& sachkonto) {
  const int k = sachkonto.get(S::Steuerschluessel);
  if (k < 1) return true;
  if (k > 40) return false;
  const std::int32_t nr = m.basis.get(BF::steuerkonto(k));
  return nr != 0 && sachkonto_lesen(m, m.sachkonto_text(nr)).has_value();
}

// A personal account needs its collective account.
bool sammelkonto_da(Mandant& m, const std::string& konto, const Satz& person) {
  const int c = person.get(P::Sammelkonto);
  if (c < 1 || c > 40) return false;
  const std::int32_t nr = m.ist_debitor(konto) ? m.basis.get(BF::forderungskonto(c))
                                               : m.basis.get(BF::verbindlichkeitskonto(c));
  return nr != 0 && sachkonto_lesen(m, m.sachkonto_text(nr)).has_value();
}

std::string schluessel_text(int k) {
  return k == 0 ? "" : std::to_string(k);
}

// Due date, item date, discount date and the other party's number of the
// item a line has just opened, where the dialog gave them.
bool op_ergaenzen(Buchungsumgebung& u, const Buchungszeile& z, const Satz& b) {
  if (!z.faellig && !z.rechnungsdatum && trim(z.fremdbelegnr).empty()) return true;
  Puffer op_puffer(u.opstamm), personen_puffer(u.personen);
  const std::string key = op_schluessel(*u.basis, b);
  if (!u.opstamm->suchen(key)) return false;
  Satz op = u.opstamm->satz();
  int nettotage = 0, skontotage = 0;
  if (u.personen->suchen(trim(b.get(B::Konto)))) {
    nettotage = u.personen->satz().get(P::Nettotage);
    skontotage = u.personen->satz().get(P::Skontotage1);
  }
  const char art = buchungsart(b);
  if (z.rechnungsdatum) {
    op.set(O::Rechnungsdatum, z.rechnungsdatum);
    op.set(O::Skontodatum, datum_plus(z.rechnungsdatum, skontotage));
    if (!z.faellig && (art == 'R' || art == 'G'))
      op.set(O::Faelligkeitsdatum, datum_plus(z.rechnungsdatum, nettotage));
  }
  if (z.faellig) op.set(O::Faelligkeitsdatum, z.faellig);
  if (!trim(z.fremdbelegnr).empty()) op.set(O::Fremdbelegnr, trim(z.fremdbelegnr));
  u.opstamm->satz() = op;
  u.opstamm->speichern(key);
  return !u.buchung->verzeichnis().vergiftet();
}

}  // namespace

Zeilenergebnis zeilen_buchen(Buchungskern& kern, std::vector<Buchungszeile> zeilen) {
  Zeilenergebnis e;
  Buchungsumgebung& u = kern.umgebung();
  auto& bu = *u.buchung;
  const Satz vorher = bu.satz();
  const std::int64_t letzte = bu.letzte_buchung_oder_fehler();
  if (letzte < 0) return e;
  {
    Buchungslauf lauf(kern);
    if (!lauf.ok()) return e;
    for (std::size_t i = 0; i < zeilen.size(); ++i) {
      e.zeile = i;
      bu.satz() = zeilen[i].satz;
      int code = kern.buchung_pruefen(bu.satz(), true);
      if (zeilen[i].kostenstelle2 && (code == 12 || code == 13)) code = code == 12 ? 53 : 54;
      // The number's interval is that of the first line's account; the
      // counter and discount lines share the number whatever their kind.
      if (i > 0 && code == 5) code = 0;
      if (code != 0) {
        e.code = code;
        bu.satz() = vorher;
        return e;  // the run rolls back what this event wrote so far
      }
      const auto n = letzte + 1 + static_cast<std::int64_t>(i);
      if (!kern.buchen(n) ||
          (eroeffnet_op(*u.basis, bu.satz()) && !op_ergaenzen(u, zeilen[i], bu.satz()))) {
        bu.satz() = vorher;
        return e;
      }
      e.letzte = n;
    }
    if (!lauf.ende()) {
      bu.satz() = vorher;
      return e;
    }
  }
  bu.satz() = vorher;
  e.ok = true;
  return e;
}

// --- Down payment ---

namespace {
enum AnzahlungFeld : int { A_Konto = 1, A_Beleg, A_Datum, A_Betrag, A_Gegen, A_Steuer };
}

TFAnzahlung::TFAnzahlung(Mandant& m, const Satz& zahlung, Betrag betrag,
                         const std::string& gegenkonto)
    : m_(m), zahlung_(zahlung), form_("Anzahlung verbuchen") {
  form_.AddString(A_Konto, "Konto", trim(zahlung.get(B::Konto)), 8);
  form_.AddString(A_Beleg, "Belegnummer", trim(zahlung.get(B::Belegnr)), 20);
  form_.AddDate(A_Datum, "Belegdatum", zahlung.get(B::Datum));
  form_.AddComp(A_Betrag, "Rechnungsbetrag", betrag);
  for (int nr : {A_Konto, A_Beleg, A_Datum, A_Betrag}) form_.ProtectControl(nr);
  form_.AddString(A_Gegen, "Gegenkonto", trim(gegenkonto), 8);
  form_.AddByte(A_Steuer, "Steuerschl.", 0, 0, 40);
  if (auto s = sachkonto_lesen(m_, m_.sachkonto_text(kontowert(gegenkonto))))
    form_.setze_zahl(A_Steuer, s->get(S::Steuerschluessel));
  form_.setze_fokus(A_Gegen);
  // The account's own tax key goes with the account; whether the account
  // exists is asked when booking, so that cancelling always works.
  form_.beim_verlassen([this](TEntryForm& f, int nr) {
    if (nr == A_Gegen && !trim(f.text(A_Gegen)).empty()) {
      const std::string text = m_.sachkonto_text(kontowert(f.text(A_Gegen)));
      if (auto s = sachkonto_lesen(m_, text)) {
        f.setze_text(A_Gegen, text);
        f.setze_zahl(A_Steuer, s->get(S::Steuerschluessel));
      }
    }
    return true;
  });
  form_.AddKey(Taste::F8, "&Buchen", [this](TEntryForm&) { return bestaetigen(); });
  form_.AddKey(Taste::Esc, "&Abbrechen", [](TEntryForm&) { return Reaktion::Abbrechen; });
  form_.FrageDatenSpeichern(false);
}

Reaktion TFAnzahlung::bestaetigen() {
  const std::string text = m_.sachkonto_text(kontowert(form_.text(A_Gegen)));
  if (trim(form_.text(A_Gegen)).empty() || !sachkonto_lesen(m_, text)) {
    form_.ui().ShowMessageMain("Gegenkonto nicht gefunden!");
    form_.setze_fokus(A_Gegen);
    return Reaktion::Weiter;
  }
  form_.setze_text(A_Gegen, text);
  return Reaktion::Speichern;
}

bool TFAnzahlung::ausfuehren() {
  return form_.Execute(m_.ui());
}

std::vector<Buchungszeile> TFAnzahlung::zeilen() const {
  const std::string konto = trim(zahlung_.get(B::Konto));
  const std::string gegen = form_.text(A_Gegen);
  Buchungszeile r;
  Satz& s = r.satz;
  s = zahlung_;
  s.setze_u8(B::Buchungsart, 'R');
  s.setze_u8(B::SollHaben, m_.ist_debitor(konto) ? 'S' : 'H');
  s.set(B::Betrag, form_.zahl(A_Betrag));
  s.set(B::Gegenkonto, gegen);
  s.set(B::Steuerschluessel, "");
  s.set(B::Kost, "");
  s.set(B::Eroeffnungsart, std::uint8_t{0});
  if (trim(s.get(B::Text1)).empty()) s.set(B::Text1, kontoname(m_, gegen));
  Buchungszeile g = r;
  g.satz.set(B::Konto, gegen);
  g.satz.set(B::Gegenkonto, konto);
  g.satz.setze_u8(B::SollHaben, ist_soll(s) ? 'H' : 'S');
  g.satz.set(B::Steuerschluessel, schluessel_text(static_cast<int>(form_.zahl(A_Steuer))));
  if (trim(zahlung_.get(B::Text1)).empty()) g.satz.set(B::Text1, kontoname(m_, konto));
  return {r, g};
}

// --- The assistant ---

namespace {

enum Feld : int {
  F_Vorgang = 1,
  F_Periode,
  F_Kunde,
  F_Lieferant,
  F_Sachkonto,
  F_Beleg,
  F_Datum,
  F_Betrag,
  F_Text1,
  F_Text2,
  F_Erloes,
  F_Bank,
  F_Gegen,
  F_Steuer,
  F_Kost,
  F_Kost2,
  F_Op1,
  F_OpBetrag,
  F_Op2,
  F_Auto,
  F_Skontokonto,
  F_Skontoprozent,
  F_Skontobetrag,
  F_Faellig,
  F_Fremdbeleg,
  F_Rechnungsdatum,
};

}  // namespace

// The first account of an event.
enum class Erstkonto { Kunde, Lieferant, Person, Sach };

// One event: the line on the first account and what the dialog offers.
struct Vorgangsart {
  const char* name;
  char buchungsart;
  char seite;           // of the first line; event 7 by the sign of OP 1
  int eroeffnungsart;   // -1: none
  Erstkonto konten;
  int gegenfeld;        // 0: the counter-line is on the first account again
  bool zahlung;         // a payment of an item, with discount
  bool verrechnung;     // two items settled against each other
  bool steuer;          // the counter-line takes the dialog's tax key
  bool zwei_kosten;     // the first line keeps "Kostenstelle", the counter-line "Kostenstelle2"
};

namespace {

using K = Erstkonto;
const Vorgangsart arten[] = {
    {"Ausgangs-Rechnung", 'R', 'S', -1, K::Kunde, F_Erloes, false, false, true, false},
    {"Lieferanten-Rechnung", 'R', 'H', -1, K::Lieferant, F_Gegen, false, false, true, false},
    {"Kunde zahlt Ausgangsrechnung", 'Z', 'H', -1, K::Kunde, F_Bank, true, false, false, false},
    {"Zahlung auf Lieferantenrechnung", 'Z', 'S', -1, K::Lieferant, F_Bank, true, false, false,
     false},
    {"Gutschrift an Kunde", 'G', 'H', -1, K::Kunde, F_Erloes, false, false, true, false},
    {"Gutschrift von Lieferant", 'G', 'S', -1, K::Lieferant, F_Gegen, false, false, true, false},
    {"Verrechnung Gutschrift mit Rechnung", 'Z', 'H', -1, K::Person, 0, false, true, false, false},
    {"Direkte Zahlung auf Kostenkonto", 'Z', 'H', -1, K::Sach, F_Gegen, false, false, true, true},
    {"Eröffnungsbuchung Sachkonto Soll", 'E', 'S', -1, K::Sach, F_Gegen, false, false, false, true},
    {"Eröffnungsbuchung Sachkonto Haben", 'E', 'H', -1, K::Sach, F_Gegen, false, false, false,
     true},
    {"Eröffnungsbuchung Debitor Rechnung", 'E', 'S', 0, K::Kunde, F_Gegen, false, false, false,
     false},
    {"Eröffnungsbuchung Debitor Gutschrift", 'E', 'H', 1, K::Kunde, F_Gegen, false, false, false,
     false},
    {"Eröffnungsbuchung Kreditor Rechnung", 'E', 'H', 0, K::Lieferant, F_Gegen, false, false,
     false, false},
    {"Eröffnungsbuchung Kreditor Gutschrift", 'E', 'S', 1, K::Lieferant, F_Gegen, false, false,
     false, false},
};
constexpr int anzahl_arten = 14;

}  // namespace


TFBuchungsAssistent::TFBuchungsAssistent(Mandant& m, Buchungskern& kern, int& buchungsperiode)
    : m_(m), kern_(kern), periode_(buchungsperiode), form_("Buchungs-Assistent") {
  std::vector<std::string> namen;
  for (int i = 0; i < anzahl_arten; ++i) namen.push_back(arten[i].name);
  form_.AddChoice(F_Vorgang, "Geschäftsvorfall", namen, 0);
  form_.AddByte(F_Periode, "Periode", static_cast<std::uint8_t>(periode_));
  form_.ProtectControl(F_Periode);
  form_.AddString(F_Kunde, "Kundenkonto", "", 8);
  form_.AddString(F_Lieferant, "Lieferantenkonto", "", 8);
  form_.AddString(F_Sachkonto, "Sachkonto", "", 8);
  form_.AddString(F_Op1, "OP 1", "", 20);
  form_.AddComp(F_OpBetrag, "OP-Betrag", 0);
  form_.ProtectControl(F_OpBetrag);
  form_.AddString(F_Op2, "OP 2", "", 20);
  form_.AddString(F_Beleg, "Belegnummer", "", 20);
  Datum heute = m.tagesdatum().Today();
  if (periode_ >= 1 && periode_ <= 12 &&
      (heute < m.basis.get(BF::periode_von(periode_)) ||
       heute > m.basis.get(BF::periode_bis(periode_))))
    heute = m.basis.get(BF::periode_von(periode_));
  form_.AddDate(F_Datum, "Belegdatum", heute);
  form_.AddComp(F_Betrag, "Belegbetrag", 0);
  form_.AddString(F_Text1, "Text1", "", 50);
  form_.AddString(F_Text2, "Text2", "", 50);
  form_.AddString(F_Erloes, "Erlöskonto", "", 8);
  form_.AddString(F_Bank, "Bankkonto", "", 8);
  form_.AddString(F_Gegen, "Gegenkonto", "", 8);
  form_.AddByte(F_Steuer, "Steuerschl.", 0, 0, 40);
  form_.AddString(F_Kost, "Kostenstelle", "", 4);
  form_.AddString(F_Kost2, "Kostenstelle2", "", 4);
  form_.AddYesNo(F_Auto, "Skontoautomatik", true);
  form_.AddString(F_Skontokonto, "Skontokonto", "", 8);
  form_.AddComp(F_Skontoprozent, "Skonto %", 0, "##,###", 3);
  form_.AddComp(F_Skontobetrag, "Skontobetrag", 0);
  form_.AddDate(F_Faellig, "Fälligdatum", 0);
  form_.AddString(F_Fremdbeleg, "Fremdbelegnr", "", 20);
  form_.AddDate(F_Rechnungsdatum, "Rechn.-Datum", 0);

  form_.beim_verlassen([this](TEntryForm& f, int nr) { return pruefen(f, nr); });
  form_.AddKey(Taste::F8, "&Buchen", [this](TEntryForm&) { return buchen(); });
  form_.AddKey(Taste::Esc, "&Schließen", [](TEntryForm&) { return Reaktion::Abbrechen; });
  form_.AddKey(Taste::F2, "&Liste", [this](TEntryForm&) { return liste(); });
  form_.AddKey(Taste::F3, "&OP-Liste", [this](TEntryForm&) { return op_liste(); });
  form_.FrageDatenSpeichern(false);
  art_einstellen();
}

void TFBuchungsAssistent::ausfuehren() {
  form_.Execute(m_.ui());
}

const Vorgangsart& TFBuchungsAssistent::art() const {
  return arten[std::clamp(form_.auswahl(F_Vorgang), 0, anzahl_arten - 1)];
}

int TFBuchungsAssistent::kontofeld() const {
  switch (art().konten) {
    case Erstkonto::Kunde:
    case Erstkonto::Person:
      return F_Kunde;
    case Erstkonto::Lieferant:
      return F_Lieferant;
    case Erstkonto::Sach:
      break;
  }
  return F_Sachkonto;
}

int TFBuchungsAssistent::gegenfeld() const {
  return art().gegenfeld == 0 ? kontofeld() : art().gegenfeld;
}

std::string TFBuchungsAssistent::konto() const {
  return trim(form_.text(kontofeld()));
}

std::string TFBuchungsAssistent::gegenkonto() const {
  return trim(form_.text(gegenfeld()));
}

// Only the fields of the chosen event can be edited; the others are
// emptied so that nothing of an earlier event is written.
void TFBuchungsAssistent::art_einstellen() {
  const Vorgangsart& a = art();
  const bool op_eroeffnend = a.eroeffnungsart >= 0 || a.buchungsart == 'R' || a.buchungsart == 'G';
  auto frei = [&](int nr, bool an) {
    form_.ProtectControl(nr, !an);
    if (an) return;
    const auto& f = form_.feld(nr);
    if (f.art == Feldart::Text)
      form_.setze_text(nr, "");
    else
      form_.setze_zahl(nr, 0);
  };
  for (int nr : {F_Kunde, F_Lieferant, F_Sachkonto}) frei(nr, nr == kontofeld());
  for (int nr : {F_Erloes, F_Bank, F_Gegen}) frei(nr, nr == a.gegenfeld);
  frei(F_Beleg, !a.zahlung && !a.verrechnung);
  frei(F_Steuer, a.steuer);
  frei(F_Kost, !a.verrechnung);
  frei(F_Kost2, a.zwei_kosten);
  frei(F_Op1, a.zahlung || a.verrechnung);
  frei(F_Op2, a.verrechnung);
  for (int nr : {F_Skontokonto, F_Skontoprozent, F_Skontobetrag}) frei(nr, a.zahlung);
  form_.ProtectControl(F_Auto, !a.zahlung);
  for (int nr : {F_Faellig, F_Fremdbeleg, F_Rechnungsdatum}) frei(nr, op_eroeffnend);
  if (!a.zahlung && !a.verrechnung) form_.setze_zahl(F_OpBetrag, 0);
}

// After an event is written: everything but the event, the date and the
// discount switch starts empty again.
void TFBuchungsAssistent::leeren() {
  for (const auto& f : std::vector<TEntryForm::Feld>(form_.felder())) {
    if (f.nr == F_Vorgang || f.nr == F_Datum || f.nr == F_Auto) continue;
    form_.setze_text(f.nr, "");
    form_.setze_zahl(f.nr, 0);
  }
  form_.setze_zahl(F_Periode, periode_);
  form_.setze_geaendert(false);
  form_.setze_fokus(kontofeld());
}

void TFBuchungsAssistent::melde(const std::string& text, int feld) {
  form_.ui().ShowMessageMain(text);
  form_.setze_fokus(feld);
}

bool TFBuchungsAssistent::pruefen(TEntryForm& f, int nr) {
  switch (nr) {
    case F_Vorgang:
      art_einstellen();
      return true;
    case F_Kunde:
    case F_Lieferant:
      return personenkonto_pruefen(nr);
    case F_Sachkonto:
    case F_Erloes:
    case F_Bank:
    case F_Gegen:
    case F_Skontokonto:
      return sachkonto_pruefen(nr);
    case F_Kost:
    case F_Kost2: {
      const std::string kost = trim(f.text(nr));
      if (kost.empty() || kost == "0") return true;
      Puffer puffer(m_.kosten.get());
      if (kontowert(kost) > 0 && m_.kosten->suchen(kostenschluessel(m_.basis, kost))) return true;
      melde("Kostenstelle ungültig!", nr);
      return false;
    }
    case F_Beleg: {
      const std::string beleg = trim(f.text(nr));
      if (beleg.empty() || konto().empty()) return true;
      if (im_belegintervall(m_.basis, konto(), beleg)) return true;
      const Belegintervall iv = belegintervall(m_.basis, konto());
      melde("Belegnummer nicht im Intervall (" + iv.von + "-" + iv.bis + ")", nr);
      return false;
    }
    case F_Datum:
    case F_Faellig:
    case F_Rechnungsdatum: {
      const Datum d = f.datum(nr);
      if (nr != F_Datum && d == 0) return true;
      const Datum von = geschaeftsjahr_von(m_.basis), bis = geschaeftsjahr_bis(m_.basis);
      if (nr != F_Faellig && (d < von || d > bis)) {
        melde("Datum im Bereich zwischen " + DateToDateString("dd.mm.yyyy", von) + " und " +
                  DateToDateString("dd.mm.yyyy", bis) + " eingeben.",
              nr);
        return false;
      }
      return nr != F_Datum || datum_pruefen();
    }
    case F_Op1:
    case F_Op2:
      return op_pruefen(nr);
    case F_Steuer: {
      const int k = static_cast<int>(f.zahl(nr));
      if (k == 0 || sachkonto_lesen(m_, m_.sachkonto_text(m_.basis.get(BF::steuerkonto(k)))))
        return true;
      melde("Kein Konto zu diesem Schlüssel hinterlegt!", nr);
      return false;
    }
    case F_Skontoprozent:
      if (f.zahl(nr) >= 100000) {
        melde("Skontoprozent beträgt 100 Prozent!", nr);
        return false;
      }
      skonto_rechnen();
      return true;
    default:
      return true;
  }
}

bool TFBuchungsAssistent::personenkonto_pruefen(int nr) {
  if (trim(form_.text(nr)).empty()) return true;
  const std::string konto = m_.personenkonto_text(kontowert(form_.text(nr)));
  const Erstkonto k = art().konten;
  const bool im_bereich = (k != Erstkonto::Lieferant && m_.ist_debitor(konto)) ||
                          (k != Erstkonto::Kunde && m_.ist_kreditor(konto));
  const auto person = im_bereich ? personenkonto_lesen(m_, konto) : std::nullopt;
  if (!person) {
    melde("Personenkonto ungültig!", nr);
    return false;
  }
  if (!sammelkonto_da(m_, konto, *person)) {
    melde("Forderungs-/Verbindlichkeitskonto zu diesem Personenkonto nicht gefunden!", nr);
    return false;
  }
  form_.setze_text(nr, konto);
  return true;
}

bool TFBuchungsAssistent::sachkonto_pruefen(int nr) {
  if (trim(form_.text(nr)).empty()) return true;
  const std::string konto = m_.sachkonto_text(kontowert(form_.text(nr)));
  const auto sach = sachkonto_lesen(m_, konto);
  if (!sach) {
    melde("Sachkonto ungültig!", nr);
    return false;
  }
  if (!steuerkonto_da(m_, *sach)) {
    melde("Steuerkonto zu diesem Sachkonto nicht gefunden!", nr);
    return false;
  }
  form_.setze_text(nr, konto);
  if (nr == gegenfeld() && art().steuer) form_.setze_zahl(F_Steuer, sach->get(S::Steuerschluessel));
  return true;
}

// A date outside the entry period: the period choice, whose period becomes
// the entry period.
bool TFBuchungsAssistent::datum_pruefen() {
  const auto p = periode_fuer_datum(m_, form_.datum(F_Datum), periode_);
  if (!p) {
    form_.setze_fokus(F_Datum);
    return false;
  }
  periode_ = *p;
  form_.setze_zahl(F_Periode, periode_);
  return true;
}

bool TFBuchungsAssistent::op_pruefen(int nr) {
  const std::string beleg = trim(form_.text(nr));
  if (beleg.empty()) {
    if (nr == F_Op1) form_.setze_zahl(F_OpBetrag, 0);
    return true;
  }
  if (konto().empty()) {
    melde("Bitte zuerst Kontonummer eingeben!", nr);
    return false;
  }
  if (nr == F_Op1) form_.setze_text(F_Beleg, beleg);
  Satz zeile(B::groesse);
  zeile.set(B::Konto, konto());
  zeile.set(B::Belegnr, beleg);
  const auto op = op_lesen(m_, op_schluessel(m_.basis, zeile));
  if (!op) {
    // A payment without item: the down payment is offered when booking.
    if (nr == F_Op1) form_.setze_zahl(F_OpBetrag, 0);
    return true;
  }
  if (trim(op->get(O::Kontonummer)) != konto()) {
    melde("OP paßt nicht zu dem Konto!", nr);
    return false;
  }
  const Betrag offen = op->get(O::NochOffen);
  if (nr == F_Op1) {
    form_.setze_zahl(F_OpBetrag, offen);
    if (art().zahlung) {
      form_.setze_zahl(F_Betrag, std::abs(offen));
      form_.setze_zahl(F_Skontoprozent, 0);
      form_.setze_zahl(F_Skontobetrag, 0);
      if (form_.ja(F_Auto)) skonto_vorschlagen(*op);
    }
  } else if (form_.zahl(F_Betrag) == 0) {
    form_.setze_zahl(F_Betrag, std::min(std::abs(form_.zahl(F_OpBetrag)), std::abs(offen)));
  }
  return true;
}

// The discount of the item's terms (its own for a one-time customer's
// item, else the personal account's), offered to the user.
void TFBuchungsAssistent::skonto_vorschlagen(const Satz& op) {
  std::int64_t satz = op.get(O::Skontoprozent);
  if (!op.get(O::Diverse))
    if (auto p = personenkonto_lesen(m_, konto())) satz = p->get(P::Skonto1);
  const Betrag offen = std::abs(op.get(O::NochOffen));
  const Betrag skonto = skonto_aus(offen, satz);
  if (satz <= 0 || skonto == 0) return;
  if (!form_.ui().JaNein2("Skonto: " + trim(format_maske(satz, 3, "###,###")) + " %\rBetrag: " +
                          betrag_text(skonto) + "\rSkonto abziehen?"))
    return;
  form_.setze_zahl(F_Skontoprozent, satz);
  form_.setze_zahl(F_Skontobetrag, skonto);
  form_.setze_zahl(F_Betrag, offen - skonto);
}

// A discount rate typed for an item: the discount of its open amount.
void TFBuchungsAssistent::skonto_rechnen() {
  const Betrag offen = std::abs(form_.zahl(F_OpBetrag));
  if (offen == 0) return;
  const Betrag skonto = skonto_aus(offen, form_.zahl(F_Skontoprozent));
  form_.setze_zahl(F_Skontobetrag, skonto);
  form_.setze_zahl(F_Betrag, offen - skonto);
}

Reaktion TFBuchungsAssistent::liste() {
  const int nr = form_.fokus();
  if (!form_.hat_feld(nr) || form_.feld(nr).geschuetzt) return Reaktion::Weiter;
  std::string k;
  if (nr == F_Kunde || nr == F_Lieferant) {
    Zeilenbauer zeile = [](const Satz& s) {
      return trim(s.get(P::Kontonr)) + "  " + trim(s.get(P::Name));
    };
    Puffer puffer(m_.personen.get());
    if (!m_.personen->auswahl(1, "Liste der Personenkonten", k, zeile, "Nr.  Name")) return Reaktion::Weiter;
    form_.setze_text(nr, trim(m_.personen->satz().get(P::Kontonr)));
  } else if (nr == F_Sachkonto || nr == F_Erloes || nr == F_Bank || nr == F_Gegen ||
             nr == F_Skontokonto) {
    Zeilenbauer zeile = [](const Satz& s) {
      return trim(s.get(S::Kontonummer)) + "  " + trim(s.get(S::Bezeichnung1));
    };
    Puffer puffer(m_.sach.get());
    if (!m_.sach->auswahl(1, "Liste der Sachkonten", k, zeile, "Nr.  Kontoname")) return Reaktion::Weiter;
    form_.setze_text(nr, trim(m_.sach->satz().get(S::Kontonummer)));
  } else if (nr == F_Kost || nr == F_Kost2) {
    Zeilenbauer zeile = [](const Satz& s) {
      return trim(s.get(KostenFelder::Schluessel)).substr(1) + "  " +
             trim(s.get(KostenFelder::Name1));
    };
    Puffer puffer(m_.kosten.get());
    if (!m_.kosten->auswahl_bereich(1, "Liste der Kostenstellen", k, zeile, "K", "K", "Nr.   Bezeichnung"))
      return Reaktion::Weiter;
    form_.setze_text(nr, trim(m_.kosten->satz().get(KostenFelder::Schluessel)).substr(1));
  } else if (nr == F_Steuer) {
    std::vector<Browsereintrag> zeilen;
    for (int s = 1; s <= 40; ++s) {
      const std::int32_t konto = m_.basis.get(BF::steuerkonto(s));
      if (konto == 0) continue;
      const std::int64_t satz = m_.basis.get(BF::steuersatz(s));
      zeilen.push_back({padlinks(std::to_string(s), 2),
                        padlinks(std::to_string(s), 2) + "  " +
                            padlinks(zahl_anzeige(satz, 2), 6) + " %  " +
                            m_.sachkonto_text(konto)});
    }
    Zeilenbrowser browser("Liste der Steuerschlüssel", zeilen, "St  Satz      Konto");
    auto wahl = winpicklist(form_.ui(), browser);
    if (!wahl) return Reaktion::Weiter;
    form_.setze_zahl(nr, std::atoi(trim(wahl->schluessel).c_str()));
  } else {
    return Reaktion::Weiter;
  }
  form_.setze_geaendert(true);
  form_.verlassen(nr);
  return Reaktion::Weiter;
}

Reaktion TFBuchungsAssistent::op_liste() {
  const int nr = form_.fokus() == F_Op2 ? F_Op2 : F_Op1;
  if (form_.feld(nr).geschuetzt) return Reaktion::Weiter;
  if (konto().empty()) {
    melde("Bitte zuerst Kontonummer eingeben!", kontofeld());
    return Reaktion::Weiter;
  }
  if (!m_.opstamm->offen()) m_.opstamm->oeffnen();
  Zeilenbauer zeile = [](const Satz& s) {
    return padcut(trim(s.get(O::Belegnummer)), 20) + " " +
           DateToDateString("dd.mm.yyyy", s.get(O::Rechnungsdatum)) + " " +
           format_betrag(s.get(O::NochOffen), "###.###.###,##");
  };
  const std::string bereich = padcut(konto(), 8);
  std::string k = bereich;
  Puffer puffer(m_.opstamm.get());
  if (!m_.opstamm->auswahl_bereich(3, "Liste der Offenen Posten", k, zeile, bereich, bereich,
                                   "Belegnr              Datum              offen"))
    return Reaktion::Weiter;
  form_.setze_text(nr, trim(m_.opstamm->satz().get(O::Belegnummer)));
  form_.setze_geaendert(true);
  form_.verlassen(nr);
  return Reaktion::Weiter;
}

// Offsetting needs two items of the account with open amounts of opposite
// sign.
bool TFBuchungsAssistent::verrechnung_pruefen() {
  auto offen = [&](int nr) -> std::optional<Betrag> {
    Satz zeile(B::groesse);
    zeile.set(B::Konto, konto());
    zeile.set(B::Belegnr, trim(form_.text(nr)));
    if (konto().empty() || trim(form_.text(nr)).empty()) return std::nullopt;
    auto op = op_lesen(m_, op_schluessel(m_.basis, zeile));
    if (!op || trim(op->get(O::Kontonummer)) != konto() || op->get(O::NochOffen) == 0)
      return std::nullopt;
    return op->get(O::NochOffen);
  };
  const auto o1 = offen(F_Op1), o2 = offen(F_Op2);
  if (!o1 || !o2 || trim(form_.text(F_Op1)) == trim(form_.text(F_Op2))) {
    melde("Bitte zwei gültige OPs eingeben!", !o1 ? F_Op1 : F_Op2);
    return false;
  }
  if ((*o1 > 0) == (*o2 > 0)) {
    melde("Bitte zwei OPs mit unterschiedlichem Vorzeichen eingeben!", F_Op2);
    return false;
  }
  form_.setze_zahl(F_OpBetrag, *o1);
  return true;
}

std::vector<Buchungszeile> TFBuchungsAssistent::zeilen() const {
  const Vorgangsart& a = art();
  const std::string erstes = konto(), gegen = gegenkonto();
  const Betrag betrag = form_.zahl(F_Betrag);
  const Betrag skonto = a.zahlung ? form_.zahl(F_Skontobetrag) : 0;
  const bool mit_op = a.zahlung || a.verrechnung;
  const std::string beleg = trim(form_.text(mit_op ? F_Op1 : F_Beleg));
  auto name = [this](const std::string& k) { return kontoname(m_, k); };

  Buchungszeile erste;
  Satz& s = erste.satz;
  s.setze_u8(B::Buchungsart, static_cast<std::uint8_t>(a.buchungsart));
  char seite = a.seite;
  if (a.verrechnung) seite = form_.zahl(F_OpBetrag) > 0 ? 'H' : 'S';
  s.setze_u8(B::SollHaben, static_cast<std::uint8_t>(seite));
  if (a.eroeffnungsart >= 0) s.set(B::Eroeffnungsart, static_cast<std::uint8_t>(a.eroeffnungsart));
  s.set(B::Konto, erstes);
  s.set(B::Gegenkonto, gegen);
  s.set(B::Belegnr, beleg);
  s.set(B::Datum, form_.datum(F_Datum));
  s.set(B::Periode, static_cast<std::uint8_t>(std::clamp(periode_, 0, 255)));
  s.set(B::Betrag, betrag + skonto);
  s.set(B::Text1, form_.text(F_Text1));
  s.set(B::Text2, form_.text(F_Text2));
  if (a.zwei_kosten) s.set(B::Kost, trim(form_.text(F_Kost)));
  if (trim(s.get(B::Text1)).empty()) s.set(B::Text1, name(gegen));
  erste.faellig = form_.datum(F_Faellig);
  erste.rechnungsdatum = form_.datum(F_Rechnungsdatum);
  erste.fremdbelegnr = trim(form_.text(F_Fremdbeleg));

  Buchungszeile zweite;
  Satz& g = zweite.satz;
  g = s;
  g.set(B::Konto, gegen);
  g.set(B::Gegenkonto, erstes);
  g.setze_u8(B::SollHaben, seite == 'S' ? 'H' : 'S');
  g.set(B::Betrag, betrag);
  g.set(B::Text1, form_.text(F_Text1));
  if (trim(g.get(B::Text1)).empty()) g.set(B::Text1, name(erstes));
  g.set(B::Kost, a.verrechnung ? "" : trim(form_.text(a.zwei_kosten ? F_Kost2 : F_Kost)));
  zweite.kostenstelle2 = a.zwei_kosten;
  if (a.steuer) g.set(B::Steuerschluessel, schluessel_text(static_cast<int>(form_.zahl(F_Steuer))));
  if (a.verrechnung) g.set(B::Belegnr, trim(form_.text(F_Op2)));

  std::vector<Buchungszeile> aus{erste, zweite};
  if (a.zahlung && skonto != 0) {
    Buchungszeile dritte;
    Satz& d = dritte.satz;
    d = g;
    const std::string skontokonto = trim(form_.text(F_Skontokonto));
    d.set(B::Konto, skontokonto);
    d.set(B::Betrag, skonto);
    d.set(B::Kost, "");
    int k = 0;
    if (auto sk = sachkonto_lesen(m_, skontokonto)) k = sk->get(S::Steuerschluessel);
    d.set(B::Steuerschluessel, schluessel_text(k));
    aus.push_back(dritte);
  }
  return aus;
}

// The dialog field a failed check of a line points to.
int TFBuchungsAssistent::feld_fuer(Rolle rolle, int code) const {
  const bool mit_op = art().zahlung || art().verrechnung;
  int eigenes = kontofeld(), anderes = gegenfeld();
  if (rolle == Rolle::Gegen) std::swap(eigenes, anderes);
  if (rolle == Rolle::Skonto) eigenes = F_Skontokonto;
  switch (code) {
    case 1: case 7: case 8: case 11: case 16: case 20: case 25: case 26: case 27:
      return eigenes;
    case 2: case 9: case 10: case 21: case 22: case 23:
      return anderes;
    case 3:
      return rolle == Rolle::Skonto ? F_Skontobetrag : F_Betrag;
    case 4: case 17:
      return F_Datum;
    case 5: case 6: case 19: case 24:
      if (rolle == Rolle::Gegen && art().verrechnung) return F_Op2;
      return mit_op ? F_Op1 : F_Beleg;
    case 12: case 13: case 18:
      return F_Kost;
    case 53: case 54:
      return F_Kost2;
    case 14: case 15:
      return F_Steuer;
    default:
      return eigenes;
  }
}

Reaktion TFBuchungsAssistent::buchen() {
  const Vorgangsart& a = art();
  // The date decides the period (50): outside the entry period the period
  // choice is asked again.
  if (!datum_pruefen()) return Reaktion::Weiter;
  if (a.verrechnung && !verrechnung_pruefen()) return Reaktion::Weiter;
  if (a.zahlung) {
    const Betrag skonto = form_.zahl(F_Skontobetrag);
    if (skonto < 0 || (skonto != 0 && form_.zahl(F_Betrag) <= 0)) {
      melde(pruef_text(52), F_Skontobetrag);
      return Reaktion::Weiter;
    }
    if (skonto != 0 && trim(form_.text(F_Skontokonto)).empty()) {
      melde(pruef_text(51), F_Skontokonto);
      return Reaktion::Weiter;
    }
  }
  std::vector<Buchungszeile> zeilen = this->zeilen();
  std::vector<Rolle> rollen{Rolle::Erste, Rolle::Gegen, Rolle::Skonto};

  // A payment of an item that does not exist yet: the invoice first.
  if (a.zahlung && !konto().empty() && !trim(form_.text(F_Op1)).empty() &&
      !op_lesen(m_, op_schluessel(m_.basis, zeilen[0].satz))) {
    Satz zahlung = zeilen[0].satz;
    zahlung.set(B::Text1, form_.text(F_Text1));
    TFAnzahlung anzahlung(m_, zahlung, zahlung.get(B::Betrag));
    if (!anzahlung.ausfuehren()) return Reaktion::Weiter;
    auto rechnung = anzahlung.zeilen();
    zeilen.insert(zeilen.begin(), rechnung.begin(), rechnung.end());
    rollen.insert(rollen.begin(), {Rolle::Anzahlung, Rolle::Anzahlung});
  }

  const Zeilenergebnis e = zeilen_buchen(kern_, zeilen);
  if (!e.ok) {
    const int feld = feld_fuer(rollen[e.zeile], e.code);
    if (e.code != 0)
      melde(pruef_text(e.code), feld);
    else
      melde("Die Buchungen konnten nicht geschrieben werden!", feld);
    return Reaktion::Weiter;
  }
  leeren();
  if (nach_dem_buchen) nach_dem_buchen(e.letzte);
  return Reaktion::Weiter;
}

}  // namespace fibu
