#include "openitems/opauswertungen.h"

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "openitems/offeneposten.h"
#include "store/kontenbereiche.h"
#include "store/puffer.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "suite/listenformat.h"

namespace fibu {

namespace {

using O = OpstammFelder;
using P = PersonenFelder;

constexpr int listenbreite = 79;

std::string datum(Datum d) {
  return DateToDateString("dd.mm.yyyy", d);
}

// A report of one print job: the standard page header and, while a
// section runs, its column line, repeated on every new page.
class Bericht {
 public:
  Bericht(Mandant& m, const std::string& titel)
      : d_(m.ui()), kopf_(seitenkopf(m, titel, listenbreite)) {}

  Seitenkopf& kopf() { return kopf_; }

  bool oeffnen() {
    if (!d_.open_drucker(kopf_.titel)) return false;
    d_.kopf_bei_umbruch([this](Ausgabe3& a) { seitenanfang(a); });
    return true;
  }

  // A section of `zeilen` lines under the column line `spalten`: on a new
  // page when it does not fit on this one any more.
  void abschnitt(const std::string& spalten, int zeilen) {
    spalten_.clear();
    if (d_.zeilen_auf_seite() == 0) {
      seitenanfang(d_);
    } else if (d_.check(zeilen + 2)) {
      d_.neue_seite();
      seitenanfang(d_);
    }
    spalten_ = spalten;
    d_.druckeln(spalten_);
    d_.druckeln();
  }

  void zeile(const std::string& text = {}) { d_.druckeln(text); }
  void schliessen() { d_.close_drucker(); }

 private:
  void seitenanfang(Ausgabe3& a) {
    drucke_seitenkopf(a, kopf_);
    if (spalten_.empty()) return;
    a.druckeln(spalten_);
    a.druckeln();
  }

  Ausgabe3 d_;
  Seitenkopf kopf_;
  std::string spalten_;
};

// One progress step; false when the user pressed Esc.
bool schritt(Interaktion& ui) {
  ui.Balken_Inc();
  return !ui.EscPressed();
}

// ---------------------------------------------------------------------------
// Payment behaviour

// Amount-days of one invoice: the cents it owed times the days they stayed
// owed after the due date, from the due date over its payments (by date)
// to `heute`, the last stretch with the stored open amount. Days before
// the due date are no delay, and neither is an amount paid in excess, so
// no stretch counts negatively: an early payment does not start the clock
// before the due date, a future-dated one does not run it backwards.
long double betragstage(const Satz& op, const OpZahlungen& zahlungen, Datum heute) {
  Datum faellig = op.get(O::Faelligkeitsdatum);
  if (faellig == kein_datum) faellig = op.get(O::Rechnungsdatum);  // due on receipt
  Datum seit = faellig;
  long double summe = 0;
  const auto verzug = [&](Datum bis, Betrag offen) {
    if (bis > seit && offen > 0)
      summe += static_cast<long double>(bis - seit) * static_cast<long double>(offen);
    seit = std::max(seit, bis);
  };
  Betrag offen = op.get(O::Betrag);
  for (const OpZahlung& z : zahlungen) {
    verzug(z.datum, offen);
    offen += z.betrag;
  }
  verzug(heute, op.get(O::NochOffen));
  return summe;
}

// The rating of an account (or of a Diverse item).
struct Bewertung {
  std::string name;             // set for a Diverse item, else the account's name
  long double betragstage = 0;  // cent-days
  long double betrag = 0;       // Σ Betrag of the counted invoices, cents
};

// Accounts by number; a Diverse item follows its account's number with its
// document number, the other items of an account share the empty one.
using Bewertungen = std::map<std::pair<std::int32_t, std::string>, Bewertung>;

std::string kontoname(Mandant& m, const std::string& konto) {
  Puffer pp(m.personen.get());
  if (!m.personen->suchen(konto)) return {};
  const Satz& p = m.personen->satz();
  return trim(trim(p.get(P::Name)) + " " + trim(p.get(P::Titel)));
}

// The index in hundredths of a day, printed like an amount: "12,34".
std::string index_text(const Bewertung& b) {
  return listenbetrag(rund(b.betragstage * 100.0L / b.betrag));
}

}  // namespace

bool zahlungsmoral_drucken(Mandant& m) {
  OpstammOffen offen(m);
  Interaktion& ui = m.ui();
  Bericht bericht(m, "Zahlungsmoral Debitoren");
  if (!bericht.oeffnen()) return false;

  ui.Balken_Oeffnen("OPs durchsuchen ...", static_cast<long>(m.opstamm->anzahl_keys(1)));
  Zahlungsverzeichnis zahlungen;
  if (!zahlungen.einlesen(m, 'D')) {
    ui.Balken_Schliessen();
    ui.ShowMessageMain("Die Buchungsdatei kann nicht gelesen werden!");
    return false;
  }
  const Datum heute = m.tagesdatum().Today();
  Bewertungen konten;
  bool abgebrochen = false;
  op_durchlaufen(m, 'D', [&](const Satz& op) {
    if (!schritt(ui)) {
      abgebrochen = true;
      return false;
    }
    const Betrag betrag = op.get(O::Betrag);
    if (!op.get(O::Rechnung) || betrag <= 0) return true;
    const bool diverse = op.get(O::Diverse) != 0;
    Bewertung& b = konten[{kontowert(op.get(O::Kontonummer)),
                           diverse ? trim(op.get(O::Belegnummer)) : std::string()}];
    if (diverse) b.name = trim(trim(op.get(O::Name)) + " " + trim(op.get(O::Titel)));
    b.betragstage += betragstage(op, zahlungen.zu(op), heute);
    b.betrag += static_cast<long double>(betrag);
    return true;
  });
  ui.Balken_Schliessen();
  if (abgebrochen) return false;

  bericht.abschnitt("   Konto          Index    Kontoname", 1);
  for (const auto& [schluessel, b] : konten) {
    // Every rated account has a counted invoice, so its sum is positive.
    if (b.betragstage == 0 || b.betrag <= 0) continue;
    const std::string konto = m.personenkonto_text(schluessel.first);
    const std::string name = schluessel.second.empty() ? kontoname(m, konto) : b.name;
    bericht.zeile(
        trim_rechts(padlinks(konto, 8) + index_text(b) + "    " + padcut(name, listenbreite - 26)));
  }
  bericht.schliessen();
  return true;
}

// ---------------------------------------------------------------------------
// Finance disposition

namespace {

// A due-date interval with the sum of the open amounts due in it. Bounds
// are wider than a date so that the day before the first date and the
// end of the last interval can be held.
struct Zeitraum {
  std::int32_t von = 0, bis = 0;
  bool vor_stichtag = false;
  Betrag faellig = 0;
};

// "Vor Stichtag", then one interval per dispo day value up to the last one
// that is not 0 (the first from the reference date on, each running its
// days beyond its first day), then the rest of the date range.
std::vector<Zeitraum> zeitraeume(const Satz& basis, bool kreditoren, Datum stichtag) {
  std::array<std::int32_t, 10> tage{};
  int n = 0;
  for (int i = 0; i < 10; ++i) {
    tage[static_cast<std::size_t>(i)] = kreditoren
                                            ? basis.get(BasisFelder::tage_dispo_kreditoren(i))
                                            : basis.get(BasisFelder::tage_dispo_debitoren(i));
    if (tage[static_cast<std::size_t>(i)] != 0) n = i + 1;
  }
  std::vector<Zeitraum> z;
  z.push_back({0, std::int32_t{stichtag} - 1, true});
  std::int32_t von = stichtag;
  for (int i = 0; i < n && von <= letztes_datum; ++i) {
    const std::int32_t bis =
        std::min<std::int32_t>(von + tage[static_cast<std::size_t>(i)], letztes_datum);
    z.push_back({von, bis});
    von = bis + 1;
  }
  if (von <= letztes_datum) z.push_back({von, letztes_datum});
  return z;
}

void einordnen(std::vector<Zeitraum>& z, Datum faellig, Betrag betrag) {
  for (Zeitraum& r : z)
    if (faellig >= r.von && faellig <= r.bis) {
      r.faellig += betrag;
      return;
    }
}

std::string zeitraumtext(const Zeitraum& r) {
  if (r.vor_stichtag) return "Vor Stichtag";
  return datum(static_cast<Datum>(r.von)) + " - " + datum(static_cast<Datum>(r.bis));
}

// Interval text under "Zeitraum", the amounts under "Fällig" and
// "Summe-Fällig".
std::string dispozeile(const std::string& text, Betrag faellig) {
  return padcut(space(8) + text, 32) + listenbetrag(faellig);
}

void abschnitt_drucken(Bericht& bericht, const std::string& spalten,
                       const std::vector<Zeitraum>& z) {
  bericht.abschnitt(spalten, static_cast<int>(z.size()) + 1);
  Betrag summe = 0;
  for (const Zeitraum& r : z) {
    summe += r.faellig;
    bericht.zeile(dispozeile(zeitraumtext(r), r.faellig) + "   " + listenbetrag(summe));
  }
  bericht.zeile(dispozeile("Summe", summe));
}

}  // namespace

bool finanzdisposition_drucken(Mandant& m, Datum stichtag) {
  OpstammOffen offen(m);
  Interaktion& ui = m.ui();
  Bericht bericht(m, "Finanzdisposition");
  bericht.kopf().untertitel = "Stichtag: " + datum(stichtag);
  if (!bericht.oeffnen()) return false;

  std::vector<Zeitraum> debitoren = zeitraeume(m.basis, false, stichtag);
  std::vector<Zeitraum> kreditoren = zeitraeume(m.basis, true, stichtag);
  ui.Balken_Oeffnen("Druck Finanzdisposition", static_cast<long>(m.opstamm->anzahl_keys(1)));
  bool abgebrochen = false;
  for (const bool k : {false, true}) {
    // Suppliers' items are booked on the credit side: what the client owes
    // counts positive like what it is owed.
    op_durchlaufen(m, op_kennung(k), [&](const Satz& op) {
      if (!schritt(ui)) {
        abgebrochen = true;
        return false;
      }
      const Betrag noch_offen = op.get(O::NochOffen);
      einordnen(k ? kreditoren : debitoren, op.get(O::Faelligkeitsdatum),
                k ? -noch_offen : noch_offen);
      return true;
    });
    if (abgebrochen) break;
  }
  ui.Balken_Schliessen();
  if (abgebrochen) return false;

  abschnitt_drucken(bericht, "Debitoren            Zeitraum           Fällig     Summe-Fällig",
                    debitoren);
  bericht.zeile();
  abschnitt_drucken(bericht, "Kreditoren           Zeitraum           Fällig     Summe-Fällig",
                    kreditoren);
  bericht.schliessen();
  return true;
}

TFFinanzdisposition::TFFinanzdisposition(Mandant& m) : m_(m), form_("Selektion Finanzdisposition") {
  form_.AddDate(1, "Stichtag Berechnung", m.tagesdatum().Today());
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Drucken");
}

bool TFFinanzdisposition::ausfuehren() {
  if (!form_.Execute(m_.ui())) return false;
  const Datum stichtag = form_.datum(1);
  return finanzdisposition_drucken(m_, stichtag != kein_datum ? stichtag : m_.tagesdatum().Today());
}

}  // namespace fibu
