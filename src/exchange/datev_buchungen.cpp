#include "exchange/datev_buchungen.h"

#include <unordered_map>
#include <utility>

#include "frame/mandant.h"
#include "posting/buchen.h"
#include "store/kontenbereiche.h"
#include "store/puffer.h"
#include "suite/allgemei.h"
#include "suite/fortschritt.h"

namespace fibu {

namespace {

using B = BuchungFelder;
using BF = BasisFelder;
using S = SachFelder;
using P = PersonenFelder;

std::string satztext(std::int64_t satz) {
  // Hundredths of a percent: "16", "5,5".
  std::string t = std::to_string(satz / 100);
  if (satz % 100 != 0) {
    std::string rest = std::to_string(satz % 100 + 100).substr(1);
    if (rest.back() == '0') rest.pop_back();
    t += "," + rest;
  }
  return t;
}

Betrag brutto(const Satz& b) {
  return b.get(B::Betrag) + b.get(B::Steuerbetrag);
}

// The accounts a run needs, read once: GL accounts all at the start (few),
// personal accounts when a booking first names them.
class Kontenspeicher {
 public:
  struct Konto {
    bool gefunden = false;
    bool schluessel = false;  // needs a DATEV tax key
    int kontenart = 0;
    std::string name, egid;
  };

  explicit Kontenspeicher(Mandant& m) : m_(m) {
    Puffer p(m.sach.get());
    auto& sach = *m.sach;
    std::string k;
    for (bool ok = sach.suche_ab(1, k) && sach.suchen(k); ok; ok = sach.lies_weiter(1, k)) {
      const Satz& s = sach.satz();
      Konto& konto = sach_[kontowert(s.get(S::Kontonummer))];
      konto.gefunden = true;
      konto.schluessel = s.get(S::DatevSteuerschluessel) != 0;
      konto.kontenart = s.get(S::Kontenart);
      const std::string b2 = trim(s.get(S::Bezeichnung2));
      konto.name = trim(s.get(S::Bezeichnung1)) + (b2.empty() ? "" : " " + b2);
    }
  }

  const Konto& konto(const std::string& text) {
    static const Konto keins;
    const std::int32_t wert = kontowert(text);
    if (ist_sachkonto(m_.basis, text)) {
      auto it = sach_.find(wert);
      return it == sach_.end() ? keins : it->second;
    }
    if (!ist_debitor(m_.basis, text) && !ist_kreditor(m_.basis, text)) return keins;
    auto [it, neu] = personen_.try_emplace(wert);
    if (neu) {
      Puffer p(m_.personen.get());
      if (m_.personen->suchen(m_.personenkonto_text(wert))) {
        const Satz& s = m_.personen->satz();
        it->second.gefunden = true;
        it->second.name = trim(s.get(P::Name));
        it->second.egid = trim(s.get(P::EgId));
      }
    }
    return it->second;
  }

  int kontenart(std::int32_t nummer) {
    auto it = sach_.find(nummer);
    return it == sach_.end() ? -1 : it->second.kontenart;
  }

 private:
  Mandant& m_;
  std::unordered_map<std::int32_t, Konto> sach_, personen_;
};

// One booking of the current document, as much as the records need.
struct Zeile {
  std::int64_t nummer = 0;
  Satz satz{B::groesse};
};

class Lauf {
 public:
  Lauf(Mandant& m, const DatevLauf& l, const std::function<bool(const DatevBuchung&)>& nimm,
       const std::function<void(const std::string&)>& protokoll)
      : m_(m), l_(l), nimm_(nimm), protokoll_(protokoll), konten_(m) {}

  DatevErgebnis ausfuehren() {
    auto& bu = *m_.buchung;
    const Gesamtsicht gesamt(bu);
    Fortschritt f(m_.ui());
    const std::int64_t anzahl = bu.anzahl_buchungen();
    f.oeffnen("Daten schreiben ...", static_cast<long>(anzahl));
    const bool gelesen = bu.buchungen_lesen(1, anzahl, [&](std::int64_t n, const Satz& b) {
      if (!f.schritt()) {
        e_.abgebrochen = true;
        return false;
      }
      return buchung(n, b);
    });
    if (!gelesen && !e_.abgebrochen) {
      protokoll_("!!! Die Buchungsdatei BUCHUNG.DA1 konnte nicht vollständig gelesen werden!");
      e_.abgebrochen = true;
    }
    if (!e_.abgebrochen && !gruppe_.empty()) gruppe_offen();
    return e_;
  }

 private:
  bool im_lauf(const Satz& b) const {
    const Datum d = b.get(B::Datum);
    if (d < l_.von || d > l_.bis) return false;
    if (l_.auswahl == DatevAuswahl::Alle)
      return !(l_.eroeffnung_unterdruecken && buchungsart(b) == 'E');
    return true;
  }

  bool buchung(std::int64_t n, const Satz& b) {
    if (m_.buchung->satz_ist_leer(b) || !im_lauf(b)) return true;
    // A document is one date; a document still open on the next day never
    // balanced.
    if (!gruppe_.empty() && b.get(B::Datum) != gruppe_.front().satz.get(B::Datum)) {
      gruppe_offen();
      if (e_.abgebrochen) return false;
    }
    Zeile z;
    z.nummer = n;
    z.satz = b;
    gruppe_.push_back(std::move(z));
    summe_ += ist_soll(b) ? -brutto(b) : brutto(b);
    if (summe_ != 0) return true;
    const bool weiter = gruppe_fertig();
    gruppe_.clear();
    return weiter;
  }

  // The row number of the open-bookings view, as the checks print it.
  std::string zeilennr(std::int64_t n) const { return std::to_string(n - m_.archivanzahl); }

  void nicht_uebergeben(const Zeile& z) {
    ++e_.nicht_uebergeben;
    if (trim(z.satz.get(B::Belegnr)).starts_with('Z')) ++e_.zahlungsverkehr;
  }

  // The number the format writes, or the refusal printed and counted.
  std::optional<std::string> belegnummer(const Zeile& z) {
    const Belegnummer b = l_.belegnummer(trim(z.satz.get(B::Belegnr)));
    if (!b.nummer) protokoll_(b.grund);
    e_.gekuerzt = e_.gekuerzt || b.gekuerzt;
    return b.nummer;
  }

  bool gruppe_fertig() {
    if (l_.auswahl != DatevAuswahl::Alle) return personenzeilen();
    // A document goes whole or not at all: one refused line keeps it back.
    std::vector<std::string> nummern;
    bool alle = true;
    for (const Zeile& z : gruppe_) {
      auto nr = belegnummer(z);
      alle = alle && nr.has_value();
      nummern.push_back(nr.value_or(""));
    }
    if (!alle) {
      if (gruppe_.size() > 1)
        protokoll_("!!! Der Buchungsvorgang ab Zeile " + zeilennr(gruppe_.front().nummer) +
                   " wird mit allen " + std::to_string(gruppe_.size()) +
                   " Buchungen nicht uebergeben!");
      for (const Zeile& z : gruppe_) nicht_uebergeben(z);
      return true;
    }
    if (gruppe_.size() == 2) {
      // One booking entered with account and counter account: one record,
      // from the line that carries the tax key.
      DatevBuchung zweite = satz(gruppe_[1], nummern[1], true, {});
      if (zweite.steuerschluessel != 0) return abgeben(zweite, gruppe_[1]);
      return abgeben(satz(gruppe_[0], nummern[0], true, {}), gruppe_[0]);
    }
    for (std::size_t i = 0; i < gruppe_.size(); ++i)
      if (!abgeben(satz(gruppe_[i], nummern[i], true, l_.verrechnungskonto), gruppe_[i]))
        return false;
    return true;
  }

  // Customer or supplier bookings of the finished document, one record
  // each. Their tax key comes from the document's GL line on their counter
  // account: the personal line itself carries none.
  bool personenzeilen() {
    for (const Zeile& z : gruppe_) {
      const std::string konto = trim(z.satz.get(B::Konto));
      const bool passt = l_.auswahl == DatevAuswahl::Debitoren ? ist_debitor(m_.basis, konto)
                                                               : ist_kreditor(m_.basis, konto);
      if (!passt) continue;
      auto nr = belegnummer(z);
      if (!nr) {
        nicht_uebergeben(z);
        continue;
      }
      const Zeile* sachzeile = nullptr;
      const std::int32_t gegen = kontowert(z.satz.get(B::Gegenkonto));
      for (const Zeile& y : gruppe_)
        if (&y != &z && kontowert(y.satz.get(B::Konto)) == gegen &&
            kontowert(y.satz.get(B::Gegenkonto)) == kontowert(konto)) {
          sachzeile = &y;
          break;
        }
      if (!abgeben(satz(z, *nr, false, {}, sachzeile), z)) return false;
    }
    return true;
  }

  void gruppe_offen() {
    ++e_.offene_gruppen;
    if (l_.auswahl != DatevAuswahl::Alle) {
      // The personal lines need no balance: they go, with the key of
      // whatever GL line the document has.
      protokoll_("!!! Der Buchungsvorgang ab Zeile " + zeilennr(gruppe_.front().nummer) +
                 " ist nicht ausgeglichen!");
      if (!personenzeilen()) e_.abgebrochen = true;
    } else {
      protokoll_("!!! Der Buchungsvorgang ab Zeile " + zeilennr(gruppe_.front().nummer) +
                 " ist nicht ausgeglichen, seine " + std::to_string(gruppe_.size()) +
                 " Buchungen werden nicht uebergeben!");
      for (const Zeile& z : gruppe_) nicht_uebergeben(z);
    }
    gruppe_.clear();
    summe_ = 0;
  }

  DatevBuchung satz(const Zeile& z, const std::string& belegnr, bool tauschen,
                    const std::string& verrechnung, const Zeile* schluesselzeile = nullptr) {
    const Satz& b = z.satz;
    DatevBuchung d;
    d.nummer = z.nummer;
    d.betrag = ist_soll(b) ? brutto(b) : -brutto(b);
    d.konto = trim(b.get(B::Konto));
    d.gegenkonto = verrechnung.empty() ? trim(b.get(B::Gegenkonto)) : trim(verrechnung);
    const auto braucht = [this](const std::string& k) { return konten_.konto(k).schluessel; };
    const auto art = [this](std::int32_t k) { return konten_.kontenart(k); };
    DatevSchluessel s =
        datev_steuerschluessel(m_.basis, schluesselzeile ? schluesselzeile->satz : b, braucht, art);
    for (const std::string& zeile_text : s.meldungen) protokoll_(zeile_text);
    if (!s.meldungen.empty()) protokoll_("    Belegnummer : " + trim(b.get(B::Belegnr)));
    d.steuerschluessel = s.schluessel;
    // The account that needs the key goes to the counter account's place,
    // where DATEV applies the key.
    if (tauschen && konten_.konto(d.konto).schluessel) {
      std::swap(d.konto, d.gegenkonto);
      d.betrag = -d.betrag;
    }
    d.belegnr = belegnr;
    d.datum = b.get(B::Datum);
    if (l_.auswahl != DatevAuswahl::Alle) d.faellig = b.get(B::Faelligdatum);
    d.kostenstelle = trim(b.get(B::Kost));
    const auto& konto = konten_.konto(d.konto);
    d.text = datev_text(b, l_.buchungstext, konto.name, l_.textlaenge);
    const auto& person = ist_sachkonto(m_.basis, d.konto) ? konten_.konto(d.gegenkonto) : konto;
    d.egid = person.egid;
    d.festgeschrieben = b.get(B::Gesperrt);
    return d;
  }

  bool abgeben(const DatevBuchung& d, const Zeile&) {
    ++e_.saetze;
    e_.summe += d.betrag;
    return nimm_(d);
  }

  Mandant& m_;
  const DatevLauf& l_;
  const std::function<bool(const DatevBuchung&)>& nimm_;
  const std::function<void(const std::string&)>& protokoll_;
  Kontenspeicher konten_;
  std::vector<Zeile> gruppe_;
  Betrag summe_ = 0;
  DatevErgebnis e_;
};

}  // namespace

DatevSchluessel datev_steuerschluessel(
    const Satz& basis, const Satz& b,
    const std::function<bool(const std::string& konto)>& braucht_schluessel,
    const std::function<int(std::int32_t steuerkonto)>& kontenart) {
  DatevSchluessel s;
  const bool konto = braucht_schluessel(trim(b.get(B::Konto)));
  const bool gegen = braucht_schluessel(trim(b.get(B::Gegenkonto)));
  if (!konto && !gegen) return s;
  if (konto && gegen) {
    s.meldungen.push_back("!!! Beide Sachkonten sind als Nicht-Automatikkonten definiert!");
    return s;
  }
  const std::int32_t k = kontowert(b.get(B::Steuerschluessel));
  if (k < 1 || k > 40) return s;  // a booking without a tax key
  const std::int64_t satz = basis.get(BF::steuersatz(k));
  const std::int32_t steuerkonto = basis.get(BF::steuerkonto(k));
  const bool ab_2007 = jahr_von(b.get(B::Datum)) >= 2007;
  switch (kontenart(steuerkonto)) {
    case 2:  // Mehrwertsteuer
      if (satz == 0) s.schluessel = 1;
      if (satz == 700) s.schluessel = 2;
      if (satz == 1600) s.schluessel = ab_2007 ? 5 : 3;
      if (satz == 1900) s.schluessel = 3;
      break;
    case 4:  // Vorsteuer
      if (satz == 700) s.schluessel = 8;
      if (satz == 1600) s.schluessel = ab_2007 ? 7 : 9;
      if (satz == 1900) s.schluessel = 9;
      break;
    default:
      break;
  }
  if (s.schluessel == 0) {
    s.meldungen.push_back("Der Steuerprozentsatz des Kontos \"" + std::to_string(steuerkonto) +
                          "\" ist " + satztext(satz) + "% und kann");
    s.meldungen.push_back("nicht an die Datev übergeben werden!");
  }
  return s;
}

std::string datev_text(const Satz& b, bool buchungstext, const std::string& kontoname, int laenge) {
  std::string text = trim(trim(b.get(B::Text1)) + " " + trim(b.get(B::Text2)));
  if (!buchungstext || text.empty()) text = kontoname;
  return kopy(text, 1, laenge);
}

DatevErgebnis datev_buchungen(Mandant& m, const DatevLauf& lauf,
                              const std::function<bool(const DatevBuchung&)>& nimm,
                              const std::function<void(const std::string&)>& protokoll) {
  return Lauf(m, lauf, nimm, protokoll).ausfuehren();
}

}  // namespace fibu
