#include "openitems/ausbuchung.h"

#include <cstdlib>
#include <vector>

#include "openitems/offeneposten.h"
#include "posting/sammelbuchung.h"
#include "posting/buchen.h"
#include "posting/periodenwahl.h"
#include "store/kontenbereiche.h"
#include "store/puffer.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "suite/listenformat.h"

namespace fibu {

namespace {

using B = BasisFelder;
using O = OpstammFelder;
using F = BuchungFelder;

constexpr int listenbreite = 100;
constexpr int erklaerung_einzug = 13;

std::string kurzdatum(Datum d) {
  return d ? DateToDateString("dd.mm.yy", d) : space(8);
}
std::string datum(Datum d) {
  return d ? DateToDateString("dd.mm.yyyy", d) : "";
}
Betrag betrag_abs(Betrag b) {
  return b < 0 ? -b : b;
}
std::string betrag13(Betrag b) {
  return rechtsbuendig(trim(listenbetrag(b)), 13);
}

// One item to write off, with its two bookings.
struct Kandidat {
  Satz op{O::groesse};
  OpZahlung zahlung;
  Skontobedingung skonto;
  Satz zahlungsbuchung{F::groesse}, gegenbuchung{F::groesse};
  std::string status;
};

class Ausbuchungslauf {
 public:
  Ausbuchungslauf(Mandant& m, const Ausbuchungseinstellungen& e, bool buchen)
      : m_(m), e_(e), buchen_(buchen), kennung_(op_kennung(e.kreditoren)), d_(m.ui()) {}

  bool ausfuehren() {
    OpstammOffen offen(m_);
    Interaktion& ui = m_.ui();
    if (!d_.open_drucker(titel())) return false;
    ui.Balken_Oeffnen("OPs durchsuchen ...", 0);
    Zahlungsverzeichnis zahlungen;
    bool ok = zahlungen.einlesen(m_, kennung_);
    if (ok) {
      ui.Balken_Max(static_cast<long>(m_.opstamm->anzahl_keys(1)));
      op_durchlaufen(m_, kennung_, [&](const Satz& op) {
        ui.Balken_Inc();
        if (ui.EscPressed()) {
          abgebrochen_ = true;
          return false;
        }
        pruefen(op, zahlungen.zu(op));
        return true;
      });
    }
    ui.Balken_Schliessen();
    if (!ok) {
      fehler_ = "Die Buchungsdatei kann nicht gelesen werden!";
    } else if (abgebrochen_) {
      fehler_ = buchen_ ? "Abgebrochen: es wurde nichts gebucht." : "Abgebrochen!";
    } else if (buchen_ && !kandidaten_.empty()) {
      ok = buchungen_schreiben();
    }
    drucken();
    if (!fehler_.empty()) ui.ShowMessageMain(fehler_);
    return ok && !abgebrochen_;
  }

 private:
  std::string titel() const {
    return e_.kreditoren ? "Automatische Ausbuchung Kreditoren"
                         : "Automatische Ausbuchung Debitoren";
  }

  // --- Which items qualify ---
  void pruefen(const Satz& op, const OpZahlungen& zahlungen) {
    const Betrag offen = op.get(O::NochOffen);
    if (e_.kreditoren ? offen >= 0 : offen <= 0) return;
    const Skontobedingung skonto = skontobedingung(m_, op);
    if (skonto.prozent == 0) return;
    if (zahlungen.size() != 1) return;
    const OpZahlung& zahlung = zahlungen.front();
    if (e_.nur_fristgerecht && zahlung.datum > skonto.datum) return;
    const Betrag betrag = op.get(O::Betrag);
    const Betrag rest = betrag_abs(offen);
    if (e_.schwelle_prozent != 0) {
      // An invoice and a credit note under one number can leave a gross
      // amount of 0: no percentage of it can be judged.
      if (betrag == 0) {
        uebersprungen_.push_back("Beleg " + trim(op.get(O::Belegnummer)) +
                                 " übersprungen: der Rechnungsbetrag ist 0.");
        return;
      }
      // rest / |betrag| * 100 <= prozent / 100
      if (static_cast<__int128>(rest) * 10000 >
          static_cast<__int128>(e_.schwelle_prozent) * betrag_abs(betrag))
        return;
    }
    if (e_.schwelle_betrag != 0 || e_.schwelle_prozent == 0) {
      const Betrag erlaubt = betrag_abs(skontobetrag(betrag, skonto.prozent));
      if (rest - erlaubt > e_.schwelle_betrag) return;
    }
    Kandidat k;
    k.op = op;
    k.zahlung = zahlung;
    k.skonto = skonto;
    if (buchen_) buchungen_vorbereiten(k);
    kandidaten_.push_back(std::move(k));
  }

  // --- The bookings ---
  void buchungen_vorbereiten(Kandidat& k) {
    const Satz& basis = m_.basis;
    const Betrag offen = k.op.get(O::NochOffen);
    // The payment evens out what is open: credit for an amount due from
    // the other party, debit for one the client owes.
    const char seite = offen > 0 ? 'H' : 'S';
    Datum tag = k.zahlung.datum;
    int periode = k.zahlung.periode;
    if (!periode_bebuchbar(basis, periode)) {
      tag = e_.buchungsdatum;
      periode = periode_des_datums(basis, tag);
    }
    const std::string konto = trim(k.op.get(O::Kontonummer));
    const std::string skontokonto = m_.sachkonto_text(e_.skontokonto());
    std::string skontoname, steuer;
    {
      Puffer ps(m_.sach.get());
      if (m_.sach->suchen(skontokonto)) {
        skontoname = trim(m_.sach->satz().get(SachFelder::Bezeichnung1));
        const int schluessel = m_.sach->satz().get(SachFelder::Steuerschluessel);
        if (schluessel > 0) steuer = std::to_string(schluessel);
      }
    }
    auto fuellen = [&](Satz& b, const std::string& auf, const std::string& gegen, char sh,
                       const std::string& text) {
      b.leeren();
      b.set(F::Konto, auf);
      b.set(F::Gegenkonto, gegen);
      b.setze_u8(F::SollHaben, static_cast<std::uint8_t>(sh));
      b.set(F::Betrag, betrag_abs(offen));
      b.set(F::Belegnr, trim(k.op.get(O::Belegnummer)));
      b.set(F::Datum, tag);
      b.set(F::Periode, static_cast<std::uint8_t>(periode));
      b.set(F::Text1, text);
    };
    fuellen(k.zahlungsbuchung, konto, skontokonto, seite, skontoname);
    fuellen(k.gegenbuchung, skontokonto, konto, seite == 'H' ? 'S' : 'H', trim(k.op.get(O::Name)));
    // Both lines of the document are payment lines, as the booking check
    // wants the lines of one document to be of one type.
    k.zahlungsbuchung.setze_u8(F::Buchungsart, 'Z');
    k.gegenbuchung.setze_u8(F::Buchungsart, 'Z');
    k.gegenbuchung.set(F::Steuerschluessel, steuer);
  }

  // Every booking is checked before the first is written; then all are
  // written in one unit of work, or none.
  bool buchungen_schreiben() {
    Buchungskern kern(m_);
    std::vector<Satz> buchungen;
    for (Kandidat& k : kandidaten_) {
      buchungen.push_back(k.zahlungsbuchung);
      buchungen.push_back(k.gegenbuchung);
    }
    if (const auto abgelehnt = alle_pruefen(kern, buchungen)) {
      kandidaten_[abgelehnt->index / 2].status = "fehler : " + std::to_string(abgelehnt->code);
      fehler_ = "Es wurde keine Buchung geschrieben: mindestens eine Buchung ist fehlerhaft!";
      return false;
    }
    std::size_t geschrieben = 0;
    if (!alle_buchen(m_, kern, buchungen, &geschrieben)) {
      if (geschrieben / 2 < kandidaten_.size())
        kandidaten_[geschrieben / 2].status =
            "fehler : Buchung " + std::to_string(m_.buchung->letzte_buchung() + 1 + geschrieben);
      fehler_ = "Die Buchungen konnten nicht geschrieben werden; es wurde nichts gebucht!";
      return false;
    }
    for (Kandidat& k : kandidaten_) k.status = "gebucht";
    return true;
  }

  // --- The list ---
  void drucken() {
    Seitenkopf kopf = seitenkopf(m_, titel(), listenbreite);
    const std::string spalten = std::string("Belegnr      Datum    ") +
                                (e_.kreditoren ? "Name des Lieferanten                       "
                                               : "Name des Kunden                            ") +
                                "Brutto-Betrag  Mahnstufe  Status";
    auto seitenanfang = [&](Ausgabe3& a) {
      drucke_seitenkopf(a, kopf);
      a.druckeln(spalten);
      a.druckeln();
    };
    d_.kopf_bei_umbruch(seitenanfang);
    seitenanfang(d_);
    Betrag summe = 0;
    for (const Kandidat& k : kandidaten_) {
      const Satz& op = k.op;
      const Betrag offen = op.get(O::NochOffen);
      if (d_.check(5)) {
        d_.neue_seite();
        seitenanfang(d_);
      }
      d_.druckeln(padcut(trim(op.get(O::Belegnummer)), 12) + " " +
                  kurzdatum(op.get(O::Rechnungsdatum)) + " " + padcut(trim(op.get(O::Name)), 42) +
                  " " + betrag13(op.get(O::Betrag)) +
                  rechtsbuendig(std::to_string(op.get(O::Mahnstufe)), 11) + "  " + k.status);
      const std::string einzug = space(erklaerung_einzug);
      d_.druckeln(padcut(einzug + "Zahlung                 : " + kurzdatum(k.zahlung.datum), 65) +
                  betrag13(k.zahlung.betrag));
      d_.druckeln(padcut(einzug + "Differenz               :", 65) + betrag13(offen));
      d_.druckeln(einzug + "Skontotermin            : " + datum(k.skonto.datum));
      summe += offen;
    }
    d_.druckeln();
    d_.druckeln(padcut("Anzahl: " + std::to_string(kandidaten_.size()), 65) + betrag13(summe));
    for (const std::string& z : uebersprungen_) d_.druckeln(z);
    if (!fehler_.empty()) d_.druckeln(fehler_);
    for (const Kandidat& k : kandidaten_) {
      if (k.status.rfind("fehler : ", 0) != 0) continue;
      const int code = std::atoi(k.status.c_str() + 9);
      if (code > 0)
        d_.druckeln("Beleg " + trim(k.op.get(O::Belegnummer)) + ": " + pruef_text(code));
    }
    d_.close_drucker();
  }

  Mandant& m_;
  const Ausbuchungseinstellungen& e_;
  const bool buchen_;
  const char kennung_;
  Ausgabe3 d_;
  std::vector<Kandidat> kandidaten_;
  std::vector<std::string> uebersprungen_;
  std::string fehler_;
  bool abgebrochen_ = false;
};

}  // namespace

Ausbuchungseinstellungen ausbuchung_lesen(const Satz& basis) {
  Ausbuchungseinstellungen e;
  e.kreditoren = basis.get(B::AusbuchungArt) == 1;
  e.skontokonto_debitoren = basis.get(B::AusbuchungSkontoDebitoren);
  e.skontokonto_kreditoren = basis.get(B::AusbuchungSkontoKreditoren);
  e.nur_fristgerecht = basis.get(B::AusbuchungFristgerecht);
  e.buchungsdatum = basis.get(B::AusbuchungDatum);
  e.schwelle_betrag = basis.get(B::AusbuchungSchwelleBetrag);
  e.schwelle_prozent = basis.get(B::AusbuchungSchwelleProzent);
  return e;
}

void ausbuchung_ablegen(Satz& basis, const Ausbuchungseinstellungen& e) {
  basis.set(B::AusbuchungArt, static_cast<std::uint8_t>(e.kreditoren ? 1 : 0));
  basis.set(B::AusbuchungSkontoDebitoren, e.skontokonto_debitoren);
  basis.set(B::AusbuchungSkontoKreditoren, e.skontokonto_kreditoren);
  basis.set(B::AusbuchungFristgerecht, e.nur_fristgerecht);
  basis.set(B::AusbuchungDatum, e.buchungsdatum);
  basis.set(B::AusbuchungSchwelleBetrag, e.schwelle_betrag);
  basis.set(B::AusbuchungSchwelleProzent, e.schwelle_prozent);
}

std::string ausbuchung_pruefen(Mandant& m, const Ausbuchungseinstellungen& e) {
  const Satz& basis = m.basis;
  const Datum d = e.buchungsdatum;
  if (d == kein_datum || d < geschaeftsjahr_von(basis) || d > geschaeftsjahr_bis(basis))
    return "Zahldatum liegt nicht in dem Geschäftsjahr!";
  if (!periode_bebuchbar(basis, periode_des_datums(basis, d)))
    return "Zahldatum liegt in einer abgeschlossenen Periode!";
  Puffer ps(m.sach.get());
  const std::string konto = m.sachkonto_text(e.skontokonto());
  if (!m.ist_sachkonto(konto) || !m.sach->suchen(konto))
    return e.kreditoren ? "Skonto-Konto Kreditoren nicht gefunden!"
                        : "Skonto-Konto Debitoren nicht gefunden!";
  return "";
}

bool ausbuchung_ausfuehren(Mandant& m, const Ausbuchungseinstellungen& e, bool buchen) {
  return Ausbuchungslauf(m, e, buchen).ausfuehren();
}

TFSkontoausgleich::TFSkontoausgleich(Mandant& m, bool buchen)
    : m_(m), buchen_(buchen), form_("Automatische Ausbuchung von OP") {
  const Ausbuchungseinstellungen e = ausbuchung_lesen(m.basis);
  form_.Erklaerung(
      "Diese Funktion sucht alle noch nicht ausgeglichenen oder überzahlten Rechnungs-OP's, zu "
      "denen genau eine Zahlung existiert und deren offener Betrag kleiner oder gleich dem "
      "erlaubten Skontobetrag ist.");
  form_.AddChoice(1, "Ausbuchung", {"Ausbuchung von Debitoren-OP", "Ausbuchung von Kreditoren-OP"},
                  e.kreditoren ? 1 : 0);
  form_.AddLongInt(2, "Skontokonto Debitoren", e.skontokonto_debitoren, 0, 99999999);
  form_.AddLongInt(3, "Skontokonto Kreditoren", e.skontokonto_kreditoren, 0, 99999999);
  form_.AddYesNo(4, "Nur fristgerechte Zahlungen berücksichtigen", e.nur_fristgerecht);
  form_.AddDate(5, "Buchungsdatum (falls Periode abgeschl.)",
                e.buchungsdatum ? e.buchungsdatum : m.tagesdatum().Today());
  form_.AddComp(6, "Absoluter Schwellwert: (" + m.waehrungstext() + ")", e.schwelle_betrag,
                "#######.##", 2);
  form_.AddComp(7, "Prozentualer Schwellwert: (% des Rechnungsbetrags)", e.schwelle_prozent,
                "####.##", 2);
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl(buchen ? "&Start" : "&Drucken");
  form_.beim_speichern([this](TEntryForm& f) {
    const std::string fehler = ausbuchung_pruefen(m_, einstellungen());
    if (fehler.empty()) return true;
    f.ui().ShowMessageMain(fehler);
    return false;
  });
}

Ausbuchungseinstellungen TFSkontoausgleich::einstellungen() const {
  Ausbuchungseinstellungen e;
  e.kreditoren = form_.auswahl(1) == 1;
  e.skontokonto_debitoren = static_cast<std::int32_t>(form_.zahl(2));
  e.skontokonto_kreditoren = static_cast<std::int32_t>(form_.zahl(3));
  e.nur_fristgerecht = form_.ja(4);
  e.buchungsdatum = form_.datum(5);
  e.schwelle_betrag = form_.zahl(6);
  e.schwelle_prozent = form_.zahl(7);
  return e;
}

bool TFSkontoausgleich::ausfuehren() {
  if (!form_.Execute(m_.ui())) return false;
  const Ausbuchungseinstellungen e = einstellungen();
  ausbuchung_ablegen(m_.basis, e);
  if (!m_.schreibe_basis()) {
    m_.ui().ShowMessageMain("Die Einstellungen konnten nicht gespeichert werden!");
    return false;
  }
  if (buchen_ && !m_.ui().JaNein2("Sollen die Zahlungs-Buchungen erzeugt werden?")) return false;
  return ausbuchung_ausfuehren(m_, e, buchen_);
}

}  // namespace fibu
