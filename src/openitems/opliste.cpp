#include "openitems/opliste.h"

#include "masters/kontohilfen.h"
#include "openitems/offeneposten.h"
#include "posting/buchen.h"
#include "store/kontenbereiche.h"
#include "store/puffer.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "suite/listenformat.h"

namespace fibu {

namespace {

using O = OpstammFelder;
using P = PersonenFelder;
using Sortierung = OpListeAuswahl::Sortierung;

constexpr int listenbreite = 100;
constexpr int betragsspalte = 58;  // where the amount column begins
constexpr const char* spaltenzeile =
    "Belegnr              A M Belegdatum Fällig am  Buchdatum          Betrag  Mahnstufe";
constexpr const char* falsch_hinweis = "HINWEIS: Der offene OP-Betrag ist nicht korrekt!";

std::string datum(Datum d) {
  return d ? DateToDateString("dd.mm.yyyy", d) : space(10);
}

// A text, then an amount in the amount column.
std::string mit_betrag(const std::string& text, Betrag b) {
  return padcut(text, betragsspalte) + listenbetrag(b);
}

// The document number as the range compares it; a number that is none
// counts as 0.
std::int64_t belegwert(const Satz& op) {
  return belegnummer_wert(trim(op.get(O::Belegnummer))).value_or(0);
}

class OpListe {
 public:
  OpListe(Mandant& m, const OpListeAuswahl& a)
      : m_(m), a_(a), kennung_(op_kennung(a.kreditoren)), d_(m.ui()) {
    const Satz& b = m.basis;
    alphanumerisch_ = b.get(BasisFelder::BelegnummernAlphanumerisch);
    const bool ganze_konten =
        a.konto_von <= b.get(a.kreditoren ? BasisFelder::KreditorVon : BasisFelder::DebitorVon) &&
        a.konto_bis >= b.get(a.kreditoren ? BasisFelder::KreditorBis : BasisFelder::DebitorBis);
    // The whole range of the field (0 to 9999999) restricts nothing: longer
    // numbers (an import may bring them) are listed as well.
    belege_eingeschraenkt_ = !alphanumerisch_ && (a.beleg_von > 0 || a.beleg_bis < 9999999);
    // Only lists that leave out no item of an account can be held against
    // its balance.
    konten_vergleichen_ = !belege_eingeschraenkt_ && a.datum_von == kein_datum &&
                          a.datum_bis == kein_datum && !a.nur_faellig;
    gesamt_vergleichen_ =
        konten_vergleichen_ && ganze_konten && a.filter_von == 0 && a.filter_bis >= 99;
    kopf_ = seitenkopf(m, titel(), listenbreite);
    if (a.nur_faellig) kopf_.untertitel = "Fällig bis: " + datum(a.faellig_bis);
  }

  std::string titel() const { return a_.kreditoren ? "OP-Liste Kreditoren" : "OP-Liste Debitoren"; }

  bool drucken() {
    OpstammOffen offen(m_);
    Interaktion& ui = m_.ui();
    // One account: its payments through the index by account; more: one
    // pass over the bookings.
    ui.Balken_Oeffnen("Buchungen lesen ...", 0);
    const bool gelesen = a_.konto_von == a_.konto_bis
                             ? zahlungen_.einlesen_konto(m_, m_.personenkonto_text(a_.konto_von))
                             : zahlungen_.einlesen(m_, kennung_);
    ui.Balken_Schliessen();
    if (!gelesen) {
      ui.ShowMessageMain("Die Buchungsdatei kann nicht gelesen werden!");
      return false;
    }
    if (!d_.open_drucker(titel())) return false;
    d_.schmal();
    d_.kopf_bei_umbruch([this](Ausgabe3& a) { seitenanfang(a); });
    seitenanfang(d_);
    ui.Balken_Oeffnen("Druck OP-Liste ...", static_cast<long>(m_.opstamm->anzahl_keys(1)));
    {
      Leselauf op_lauf(m_.opstamm.get()), personen_lauf(m_.personen.get());
      switch (a_.sortierung) {
        case Sortierung::Belegnummer:
          nach_belegnummer();
          break;
        case Sortierung::KontoNumerisch:
          nach_konto_numerisch();
          break;
        case Sortierung::KontoAlphanumerisch:
          nach_suchname();
          break;
      }
    }
    ui.Balken_Schliessen();
    schluss();
    d_.close_drucker();
    if (abgebrochen_) return false;
    return lesefehler_.empty();
  }

 private:
  // --- The three orders ---
  void nach_belegnummer() {
    op_durchlaufen(m_, kennung_, [this](const Satz& op) {
      if (!schritt()) return false;
      if (gewaehlt(op)) posten(Satz(op));
      return true;
    });
  }

  void nach_konto_numerisch() {
    auto& db = *m_.opstamm;
    const std::string bis = padcut(m_.personenkonto_text(a_.konto_bis), 8);
    std::string key = padcut(m_.personenkonto_text(a_.konto_von), 8);
    db.ref_loeschen();
    while (db.lies_weiter_bis(3, key, "", bis)) {
      if (!schritt()) break;
      const Satz op = db.satz();
      if (!gewaehlt(op)) continue;
      konto_beginnen(trim(op.get(O::Kontonummer)));
      posten(op);
    }
    konto_beenden();
  }

  void nach_suchname() {
    auto& db = *m_.opstamm;
    for (const std::string& konto : personenkonten_nach_suchname(m_, a_.konto_von, a_.konto_bis)) {
      if (a_.kreditoren ? !m_.ist_kreditor(konto) : !m_.ist_debitor(konto)) continue;
      const std::string grenze = padcut(konto, 8) + kennung_;
      std::string key = grenze;
      db.ref_loeschen();
      bool weiter = true;
      while (weiter && db.lies_weiter_bis(3, key, grenze, grenze)) {
        weiter = schritt();
        const Satz op = db.satz();
        if (!weiter || !gewaehlt(op)) continue;
        konto_beginnen(konto);
        posten(op);
      }
      if (!weiter) break;
    }
    konto_beenden();
  }

  bool schritt() {
    m_.ui().Balken_Inc();
    if (m_.ui().EscPressed()) abgebrochen_ = true;
    return !abgebrochen_;
  }

  bool gewaehlt(const Satz& op) const {
    if (op_kennung_von(op) != kennung_) return false;
    const std::int32_t konto = kontowert(op.get(O::Kontonummer));
    if (konto < a_.konto_von || konto > a_.konto_bis) return false;
    const int filter = op.get(O::Filternummer);
    if (filter < a_.filter_von || filter > a_.filter_bis) return false;
    if (belege_eingeschraenkt_) {
      const std::int64_t beleg = belegwert(op);
      if (beleg < a_.beleg_von || beleg > a_.beleg_bis) return false;
    }
    const Datum rd = op.get(O::Rechnungsdatum);
    if (rd < a_.datum_von || (a_.datum_bis != kein_datum && rd > a_.datum_bis)) return false;
    if (op.get(O::NochOffen) == 0 && !a_.mit_ausgeglichenen) return false;
    if (a_.nur_faellig && op.get(O::Faelligkeitsdatum) > a_.faellig_bis) return false;
    return true;
  }

  // --- One item ---
  void posten(const Satz& op) {
    const Betrag betrag = op.get(O::Betrag);
    Betrag offen = betrag;
    const std::string beleg = trim(op.get(O::Belegnummer));
    std::string z = padcut(beleg, 20) + " " + belegart(op) + " " + mahnzeichen(op) + " " +
                    datum(op.get(O::Rechnungsdatum)) + " " + datum(op.get(O::Faelligkeitsdatum)) +
                    " " + datum(op.get(O::Buchungsdatum));
    d_.druckeln(mit_betrag(z, betrag) + "  " + std::to_string(op.get(O::Mahnstufe)));
    const std::int64_t prozent = op.get(O::Skontoprozent);
    if (a_.mit_skonto && prozent > 0)
      d_.druckeln("  Skontodatum: " + datum(op.get(O::Skontodatum)) +
                  "   Skontobetrag: " + trim(listenbetrag(skontobetrag(betrag, prozent))));
    buchen(op, betrag);
    for (const OpZahlung& zahlung : zahlungen_.zu(op)) {
      d_.druckeln(mit_betrag("  Zahlung " + datum(zahlung.datum) + "  " + beleg, zahlung.betrag));
      buchen(op, zahlung.betrag);
      offen += zahlung.betrag;
    }
    const Betrag gespeichert = op.get(O::NochOffen);
    d_.druckeln(mit_betrag("  Verbleibender offener Betrag", gespeichert));
    if (offen != gespeichert) {
      d_.druckeln(falsch_hinweis);
      falsch_ = true;
    }
  }

  void buchen(const Satz& op, Betrag b) {
    (op.get(O::Rechnung) ? rechnungen_ : gutschriften_) += b;
    konto_summe_ += b;
  }

  // --- Accounts (the two account orders) ---
  void konto_beginnen(const std::string& konto) {
    if (konto == konto_) return;
    konto_beenden();
    konto_ = konto;
    konto_summe_ = 0;
    if (d_.check(6)) d_.neue_seite();
    std::string name;
    {
      Puffer pp(m_.personen.get());
      if (m_.personen->suchen(konto))
        name = trim(trim(m_.personen->satz().get(P::Name)) + " " +
                    trim(m_.personen->satz().get(P::Titel)));
    }
    d_.druckeln("Konto " + konto + "  " + name);
  }

  void konto_beenden() {
    if (konto_.empty()) return;
    d_.druckeln(mit_betrag("Summe Konto " + konto_, konto_summe_));
    // An account left half way (Esc) is not held against its balance.
    if (konten_vergleichen_ && !abgebrochen_) konto_vergleichen();
    d_.druckeln();
    konto_.clear();
  }

  // The subtotal against the account's balance; on a difference every
  // booking of the account is checked for the item it belongs to.
  void konto_vergleichen() {
    Betrag saldo = 0;
    std::int32_t nummer = 0;
    {
      Puffer pp(m_.personen.get());
      if (!m_.personen->suchen(konto_)) return;
      saldo = m_.personen->satz().get(P::Saldo);
      nummer = m_.personen->satz().get(P::Kontonummer);
    }
    if (saldo == konto_summe_) return;
    d_.druckeln(mit_betrag("Differenz:", saldo - konto_summe_));
    const long n =
        m_.buchung->buchungen_des_kontos(nummer, 0, 65535, [this](std::uint32_t nr, const Satz& b) {
          buchung_pruefen(nr, b);
          return true;
        });
    if (n < 0) lesefehler_ = "Die Buchungsdatei kann nicht gelesen werden!";
  }

  void buchung_pruefen(std::uint32_t nr, const Satz& b) {
    using F = BuchungFelder;
    const std::string beleg = trim(b.get(F::Belegnr));
    const bool op_da = m_.opstamm->key_vorhanden(1, op_key(kennung_, beleg));
    if (eroeffnet_op(m_.basis, b)) {
      if (!op_da) d_.druckeln("OP zu OP-Buchung " + beleg + " nicht gefunden!");
    } else if (ist_zahlung(m_.basis, b)) {
      if (!op_da) d_.druckeln("OP zu Z-Buchung " + beleg + " nicht gefunden!");
    } else {
      const char art = buchungsart(b);
      d_.druckeln("Buchung auf Personenbuchung, die nicht OP- oder Z-Buchung ist");
      d_.druckeln(mit_betrag("  Buchung " + std::to_string(nr) + "  " + datum(b.get(F::Datum)) +
                                 "  Art " + (art ? std::string(1, art) : " ") + "  Beleg " + beleg,
                             vorzeichenbetrag(b)));
    }
  }

  // --- End of the list ---
  void schluss() {
    const Betrag gesamt = rechnungen_ + gutschriften_;
    if (a_.sortierung == Sortierung::Belegnummer) d_.druckeln();
    d_.druckeln(mit_betrag("Summe offene Rechnungen   :", rechnungen_));
    d_.druckeln(mit_betrag("Summe offene Gutschriften :", gutschriften_));
    d_.druckeln(mit_betrag(
        a_.kreditoren ? "Verbindlichkeiten         :" : "Forderungen               :", gesamt));
    if (falsch_) d_.druckeln(falsch_hinweis);
    if (abgebrochen_) d_.druckeln("Abgebrochen: die Liste ist nicht vollständig.");
    if (gesamt_vergleichen_ && !abgebrochen_ && gesamt != salden_der_art())
      d_.druckeln(std::string("HINWEIS: Differenz stimmt nicht mit der Summe der Salden der ") +
                  (a_.kreditoren ? "Verbindlichkeitskonten" : "Forderungskonten"));
    if (!lesefehler_.empty()) {
      d_.druckeln(lesefehler_);
      m_.ui().ShowMessageMain(lesefehler_);
    }
  }

  Betrag salden_der_art() {
    Puffer pp(m_.personen.get());
    auto& p = *m_.personen;
    Betrag summe = 0;
    std::string k;
    for (bool ok = p.suche_ab(1, k) && p.suchen(k); ok; ok = p.lies_weiter(1, k)) {
      const std::string konto = trim(p.satz().get(P::Kontonr));
      if (a_.kreditoren ? m_.ist_kreditor(konto) : m_.ist_debitor(konto))
        summe += p.satz().get(P::Saldo);
    }
    return summe;
  }

  void seitenanfang(Ausgabe3& a) {
    drucke_seitenkopf(a, kopf_);
    a.druckeln(spaltenzeile);
    a.druckeln();
  }

  Mandant& m_;
  const OpListeAuswahl& a_;
  const char kennung_;
  Ausgabe3 d_;
  Seitenkopf kopf_;
  bool alphanumerisch_ = false, belege_eingeschraenkt_ = false;
  bool konten_vergleichen_ = false, gesamt_vergleichen_ = false;
  Zahlungsverzeichnis zahlungen_;
  std::string konto_;  // the account being printed (account orders)
  Betrag konto_summe_ = 0, rechnungen_ = 0, gutschriften_ = 0;
  bool falsch_ = false, abgebrochen_ = false;
  std::string lesefehler_;
};

}  // namespace

OpListeAuswahl opliste_vorgabe(const Mandant& m, bool kreditoren) {
  OpListeAuswahl a;
  a.kreditoren = kreditoren;
  a.konto_von = m.basis.get(kreditoren ? BasisFelder::KreditorVon : BasisFelder::DebitorVon);
  a.konto_bis = m.basis.get(kreditoren ? BasisFelder::KreditorBis : BasisFelder::DebitorBis);
  return a;
}

bool opliste_drucken(Mandant& m, const OpListeAuswahl& auswahl) {
  return OpListe(m, auswahl).drucken();
}

bool opliste_fuer_konto(Mandant& m, const std::string& kundennummer) {
  const std::string nummer = trim(kundennummer);
  if (nummer.empty() || nummer.size() > 8 || !nur_ziffern(nummer)) return false;
  const std::int32_t wert = std::stoi(nummer);
  if (!m.ist_debitor(m.personenkonto_text(wert))) return false;
  OpListeAuswahl a = opliste_vorgabe(m, false);
  a.konto_von = a.konto_bis = wert;
  a.nur_faellig = true;
  a.faellig_bis = m.tagesdatum().Today();
  return opliste_drucken(m, a);
}

TFOPListe1::TFOPListe1(Mandant& m, bool kreditoren)
    : m_(m), kreditoren_(kreditoren), form_("Liste der Offenen Posten") {
  const OpListeAuswahl v = opliste_vorgabe(m, kreditoren);
  form_.AddLongInt(1, "Konto von", v.konto_von, 0, 99999999);
  form_.AddLongInt(2, "Konto bis", v.konto_bis, 0, 99999999);
  form_.AddByte(3, "Filter von", static_cast<std::uint8_t>(v.filter_von), 0, 99);
  form_.AddByte(4, "Filter bis", static_cast<std::uint8_t>(v.filter_bis), 0, 99);
  form_.AddLongInt(5, "Belegnr von", static_cast<std::int32_t>(v.beleg_von), 0, 9999999);
  form_.AddLongInt(6, "Belegnr bis", static_cast<std::int32_t>(v.beleg_bis), 0, 9999999);
  form_.AddDate(7, "Belegdatum von", v.datum_von);
  form_.AddDate(8, "Belegdatum bis", v.datum_bis);
  form_.AddChoice(9, "Sortierung nach", {"Konto numerisch", "Konto alphanumerisch", "Belegnummer"},
                  0);
  form_.AddChoice(10, "Auswahl", {"Alle", "Fällig bis"}, 0);
  form_.AddDate(11, "Fällig bis", m.tagesdatum().Today());
  form_.AddYesNo(12, "Mit ausgeglichenen OP", false);
  form_.AddYesNo(13, "Mit Skontodatum und Skontobetrag", false);
  // Document numbers that are no numbers are not held against a range.
  if (m.basis.get(BasisFelder::BelegnummernAlphanumerisch)) {
    form_.ProtectControl(5);
    form_.ProtectControl(6);
  }
  form_.setze_titel(form_.titel() + (kreditoren ? " - Kreditoren" : " - Debitoren"));
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Drucken");
}

bool TFOPListe1::ausfuehren() {
  if (!form_.Execute(m_.ui())) return false;
  OpListeAuswahl a = opliste_vorgabe(m_, kreditoren_);
  a.konto_von = static_cast<std::int32_t>(form_.zahl(1));
  a.konto_bis = static_cast<std::int32_t>(form_.zahl(2));
  a.filter_von = static_cast<int>(form_.zahl(3));
  a.filter_bis = static_cast<int>(form_.zahl(4));
  a.beleg_von = form_.zahl(5);
  a.beleg_bis = form_.zahl(6);
  a.datum_von = form_.datum(7);
  a.datum_bis = form_.datum(8);
  a.sortierung = static_cast<Sortierung>(form_.auswahl(9));
  a.nur_faellig = form_.auswahl(10) == 1;
  a.faellig_bis = form_.datum(11);
  a.mit_ausgeglichenen = form_.ja(12);
  a.mit_skonto = form_.ja(13);
  return opliste_drucken(m_, a);
}

}  // namespace fibu
