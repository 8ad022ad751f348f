// The posting of a statement: the rows become payment bookings, checked
// all first ("Prüfen ...") and then written with the emptying of the table
// file as one unit of work ("Buchen ...").
#include <cstdlib>

#include "banking/tbank.h"
#include "posting/buchen.h"
#include "posting/periodenwahl.h"
#include "store/kontenbereiche.h"
#include "store/puffer.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"

namespace fibu {

namespace {
using F = BuchungFelder;
using S = SachFelder;
using O = OpstammFelder;

struct Bankbuchung {
  std::size_t zeile;  // row index of the table
  Satz satz{F::groesse};
};

std::string kopf50(const std::string& text) {
  return kopy(text, 1, 50);
}

}  // namespace

// Turns the rows into their bookings, row by row.
class Bankbuchungslauf {
 public:
  explicit Bankbuchungslauf(tbank& b) : b_(b), m_(b.m_) {}

  std::vector<Bankbuchung> bilden() {
    std::vector<Bankbuchung> aus;
    const auto& zeilen = b_.zeilen_;
    const std::size_t n = b_.benutzt();
    for (std::size_t i = 0; i < n; ++i) {
      const Bankzeile& z = zeilen[i];
      if (!z.auszugszeile()) continue;
      std::size_t ende = i + 1;
      while (ende < n && !zeilen[ende].auszugszeile()) ++ende;
      bool splits = false;
      for (std::size_t j = i + 1; j < ende; ++j) splits = splits || !zeilen[j].leer();
      zeile_bilden(i, ende, splits, aus);
    }
    return aus;
  }

 private:
  void zeile_bilden(std::size_t i, std::size_t ende, bool splits, std::vector<Bankbuchung>& aus) {
    const Bankzeile& z = b_.zeilen_[i];
    const bool person = b_.personenkonto(z);
    const bool kunde = person && m_.ist_debitor(z.konto);
    char seite;
    if (!person)
      seite = z.haben != 0 ? 'S' : 'H';
    else
      seite = kunde ? 'S' : 'H';
    // A refund: the money goes the other way than the account's payments.
    const bool storno = person && (kunde ? z.soll != 0 : z.haben != 0);
    const Betrag vz = storno ? -1 : 1;
    const std::string konto = normiert(z.konto);

    Bankbuchung bank{i, Satz(F::groesse)};
    fuellen(bank.satz, z, b_.konto_, konto, seite,
            vz * (splits ? z.soll + z.haben : std::llabs(z.betrag)), bankbuchungstext(i, z));
    bank.satz.set(F::Text2, kopf50(z.text_btx));
    if (person) bank.satz.set(F::Kost, "");
    aus.push_back(std::move(bank));

    const char gegenseite = seite == 'S' ? 'H' : 'S';
    for (std::size_t j = i; j < ende; ++j) {
      const Bankzeile& r = b_.zeilen_[j];
      if (r.leer()) continue;
      const std::string rk = normiert(r.konto);
      Bankbuchung g{j, Satz(F::groesse)};
      fuellen(g.satz, r, rk, b_.konto_, gegenseite, vz * r.betrag,
              r.text_fibu.empty() ? b_.bezeichnung_ : r.text_fibu);
      if (b_.personenkonto(r)) {
        // Personal accounts take no cost centre and no tax key.
        g.satz.set(F::Kost, "");
      } else {
        g.satz.set(F::Steuerschluessel, steuerschluessel(rk));
      }
      aus.push_back(std::move(g));
    }
  }

  void fuellen(Satz& s, const Bankzeile& z, const std::string& konto, const std::string& gegen,
               char seite, Betrag betrag, const std::string& text) {
    int t, monat, jahr;
    DateToDMY(b_.datum_, t, monat, jahr);
    s.leeren();
    s.setze_u8(F::Buchungsart, 'Z');
    s.set(F::Konto, konto);
    s.set(F::Gegenkonto, gegen);
    s.setze_u8(F::SollHaben, static_cast<std::uint8_t>(seite));
    s.set(F::Betrag, betrag);
    s.set(F::Belegnr, z.belegnr);
    s.set(F::Datum, z.tag >= 1 && z.tag <= tage_im_monat(monat, jahr)
                        ? DMYtoDate(z.tag, monat, jahr)
                        : b_.datum_);
    s.set(F::Periode, static_cast<std::uint8_t>(b_.periode_));
    s.set(F::Kost, trim(z.kost) == "0" ? "" : z.kost);
    s.set(F::Text1, text);
    s.set(F::Textschluessel, kopy(s.get(F::Text1), 1, 2));
  }

  std::string normiert(const std::string& konto) const {
    if (konto.empty() || !nur_ziffern(konto)) return konto;
    return m_.ist_sachkonto(konto) ? m_.sachkonto_text(kontowert(konto))
                                   : m_.personenkonto_text(kontowert(konto));
  }

  // The counter account's name; a customer's Diverse item brings its own.
  std::string bankbuchungstext(std::size_t i, const Bankzeile& z) {
    if (b_.personenkonto(z) && m_.ist_debitor(z.konto)) {
      auto op = b_.op_der_zeile(i);
      if (op && op->get(O::Diverse)) return trim(op->get(O::Name));
    }
    return b_.kontoname(z.konto);
  }

  std::string steuerschluessel(const std::string& konto) {
    Puffer p(m_.sach.get());
    if (!m_.sach->suchen(konto)) return "";
    const int k = m_.sach->satz().get(S::Steuerschluessel);
    return k > 0 ? std::to_string(k) : "";
  }

  tbank& b_;
  Mandant& m_;
};

tbank::Buchungsergebnis tbank::buchen() {
  Interaktion& ui = m_.ui();
  Buchungsergebnis e;
  if (!offen()) return e;
  const std::size_t n = benutzt();
  for (std::size_t i = 0; i < n; ++i) {
    if (std::string meldung = zeile_pruefen(i); !meldung.empty()) {
      ui.ShowMessageMain(meldung);
      e.zeile = i;
      return e;
    }
  }
  if (!periode_bebuchbar(m_.basis, periode_)) {
    ui.ShowMessageMain("Diese Periode ist gesperrt, Buchungen können nicht mehr erfolgen!");
    return e;
  }
  const std::vector<std::size_t> offen = unausgeglichene_zeilen();
  if (differenz() != 0) {
    if (!offen.empty()) e.zeile = offen.back();
    ui.ShowMessageMain("Die Differenz ist nicht Null! Buchen ist nicht möglich.");
    return e;
  }
  // Lines that balance only together (one payer short, another over) are
  // refused too: each payment must settle what it names.
  if (!offen.empty()) {
    const std::size_t z = offen.front();
    e.zeile = z;
    ui.ShowMessageMain(zeilen_[z].auszugszeile()
                           ? "Die Bankzeile " + std::to_string(z + 1) +
                                 " ist mit ihren Splitbuchungen nicht ausgeglichen (Differenz " +
                                 betrag_text(zeilendifferenz(z)) + ")! Buchen ist nicht möglich."
                           : "Bezugszeile zu dieser Splitbuchung nicht gefunden!");
    return e;
  }
  if (n == 0) return e;

  std::vector<Bankbuchung> buchungen = Bankbuchungslauf(*this).bilden();
  Buchungskern kern(m_);

  // The check run: every booking against the books as they are.
  {
    Ausgabe3 d(ui);
    bool fehler = false;
    ui.Balken_Oeffnen("Prüfen ...", static_cast<long>(buchungen.size()));
    for (Bankbuchung& b : buchungen) {
      ui.Balken_Inc();
      Satz probe = b.satz;
      const int code = kern.buchung_pruefen(probe, false);
      if (code == 0) continue;
      if (!fehler && !d.open_drucker("Bank-Kontoauszug")) {
        // no printer: the errors are shown as a message instead
      }
      const std::string zeile =
          "!!! FEHLER in Zeile " + std::to_string(b.zeile + 1) + ": " + pruef_text(code);
      if (d.offen()) d.druckeln(zeile);
      if (!fehler) e.zeile = b.zeile;
      if (!d.offen()) ui.ShowMessageMain(zeile);
      fehler = true;
    }
    ui.Balken_Schliessen();
    if (d.offen()) d.close_drucker();
    if (fehler) {
      ui.ShowMessageMain("Der Kontoauszug enthält fehlerhafte Buchungen und wurde nicht gebucht!");
      return e;
    }
  }

  // The table on disk is the statement posted; its copy keeps it.
  if (geaendert_ && !speichern()) {
    ui.ShowMessageMain("Die Tabelle " + Banktabelle::dateiname(konto_) +
                       " konnte nicht gespeichert werden!");
    return e;
  }
  // While this message is up the table file still holds the statement.
  const bool kopie = tabelle_.sicherungskopie();
  if (!kopie)
    ui.ShowMessageMain(
        "Anlegen der Sicherungskopie gescheitert! Bitte führen Sie dies jetzt manuell durch und "
        "drücken Sie erst dann \"OK\".");

  // The posting run: all bookings and the empty table in one unit of work.
  bool ok;
  {
    auto& bu = *m_.buchung;
    const Gesamtsicht gesamt(bu);
    Buchungslauf lauf(kern);
    ok = lauf.ok();
    std::int64_t nr = bu.letzte_buchung() + 1;
    ui.Balken_Oeffnen("Buchen ...", static_cast<long>(buchungen.size()));
    for (Bankbuchung& b : buchungen) {
      if (!ok) break;
      ui.Balken_Inc();
      bu.satz() = b.satz;
      ok = kern.buchen(nr++) && lauf.ok();
    }
    ui.Balken_Schliessen();
    if (ok) ok = tabelle_.leeren() && lauf.ok();
    if (ok) ok = lauf.ende() || lauf.festgeschrieben();
  }
  if (!ok) {
    tabelle_.sicherung_verwerfen();
    ui.ShowMessageMain(
        "Der Kontoauszug konnte nicht gebucht werden; es wurde nichts gebucht und die Tabelle ist "
        "unverändert!");
    return e;
  }
  if (kopie && !tabelle_.sicherung_festschreiben())
    ui.ShowMessageMain("Die Sicherungskopie " + tabelle_.sik_name() +
                       " konnte nicht angelegt werden; sie liegt unter " + tabelle_.sik_neu_name() +
                       ".");
  zeilen_.assign(freie_zeilen, Bankzeile{});
  geaendert_ = false;
  salden_lesen();
  e.gebucht = true;
  return e;
}

}  // namespace fibu
