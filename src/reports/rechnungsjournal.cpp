// The invoice journal: the invoices, credit notes or payments of a range
// of accounts, read account by account through the index by account and
// date, printed by document number or by booking date.
#include <algorithm>
#include <optional>
#include <vector>

#include "posting/buchen.h"
#include "posting/periodenwahl.h"
#include "reports/journal.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "suite/betrag.h"
#include "suite/listenformat.h"

namespace fibu {
namespace {

using B = BasisFelder;
using F = BuchungFelder;
using R = Rechnungsjournal;

constexpr int listenbreite = 127;
constexpr const char* spalten =
    "   Konto Art Belegnr  Buchdatum  Rechdatum Name                                Text      "
    "                Brutto-Betrag";
constexpr const char* zeilenvorspann = "Z  Zeile ";
constexpr int betragsspalte = 104;

std::string datum(Datum d) {
  return DateToDateString("dd.mm.yyyy", d);
}

const char* titel(R::Belegart a) {
  switch (a) {
    case R::Belegart::Gutschrift:
      return "Gutschriftenjournal";
    case R::Belegart::Zahlung:
      return "Zahlungsjournal";
    default:
      return "Rechnungsjournal";
  }
}

char buchstabe(R::Belegart a) {
  return a == R::Belegart::Rechnung ? 'R' : a == R::Belegart::Gutschrift ? 'G' : 'Z';
}

// Document numbers: two whole numbers compare as numbers, anything else as
// text ("99" before "100", "A7" after "A10").
int belegvergleich(const std::string& a, const std::string& b) {
  const auto x = belegnummer_wert(a), y = belegnummer_wert(b);
  if (x && y) return *x < *y ? -1 : *x > *y ? 1 : 0;
  return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
}

struct Zeile {
  std::string konto, beleg, name, text;
  char art = 0;
  Datum buchdatum = kein_datum, rechdatum = kein_datum;
  Betrag brutto = 0;
  std::uint32_t nummer = 0;
  bool gesperrt = false;
};

class Auswahl {
 public:
  Auswahl(Mandant& m, const R& j) : m_(m), j_(j) {}

  // Every booking of the journal; false when the bookings could not be read.
  bool lesen(std::vector<Zeile>& aus) {
    const Satz& b = m_.basis;
    if (j_.kontoart == R::Kontoart::Sachkonten) {
      auto& s = *m_.sach;
      std::string k = m_.sachkonto_text(j_.konto_von);
      for (bool ok = s.suche_ab(1, k) && s.suchen(k); ok; ok = s.lies_weiter(1, k)) {
        const std::string nummer = trim(s.satz().get(SachFelder::Kontonummer));
        if (kontowert(nummer) > j_.konto_bis) break;
        if (kontowert(nummer) < j_.konto_von || !ist_sachkonto(b, nummer)) continue;
        if (!konto(nummer, trim(s.satz().get(SachFelder::Bezeichnung1)), false, aus)) return false;
      }
      return true;
    }
    const bool kreditoren = j_.kontoart == R::Kontoart::Kreditoren;
    auto& p = *m_.personen;
    std::string k = m_.personenkonto_text(j_.konto_von);
    for (bool ok = p.suche_ab(1, k) && p.suchen(k); ok; ok = p.lies_weiter(1, k)) {
      const std::string nummer = trim(p.satz().get(PersonenFelder::Kontonr));
      if (kontowert(nummer) > j_.konto_bis) break;
      if (kontowert(nummer) < j_.konto_von) continue;
      if (kreditoren ? !ist_kreditor(b, nummer) : !ist_debitor(b, nummer)) continue;
      if (!konto(nummer, trim(p.satz().get(PersonenFelder::Name)), true, aus)) return false;
    }
    return true;
  }

 private:
  bool konto(const std::string& nummer, const std::string& name, bool person,
             std::vector<Zeile>& aus) {
    const std::int32_t wert = kontowert(nummer);
    const Datum bis = j_.datum_bis == kein_datum ? letztes_datum : j_.datum_bis;
    const long n = m_.buchung->buchungen_des_kontos(wert, j_.datum_von, bis,
                                                    [&](std::uint32_t nr, const Satz& s) {
                                                      if (kontowert(s.get(F::Konto)) != wert)
                                                        return true;
                                                      if (auto z = zeile(s, person)) {
                                                        z->name = name;
                                                        z->nummer = nr;
                                                        aus.push_back(std::move(*z));
                                                      }
                                                      return true;
                                                    });
    return n >= 0;
  }

  // The line of a booking that belongs in the journal; nullopt otherwise.
  std::optional<Zeile> zeile(const Satz& s, bool person) const {
    const char art = buchungsart(s);
    const char gesucht = buchstabe(j_.belegart);
    Betrag brutto = s.get(F::Betrag) + s.get(F::Steuerbetrag);
    const bool negativ_als_gutschrift = j_.negative_als_gutschrift && art == 'R' && brutto < 0;
    bool passt = false;
    if (art == 'E') {
      // Opening items count by their kind: 0 invoice, 1 credit note, 2 payment.
      const int kind = s.get(F::Eroeffnungsart);
      const char als = kind == 1 ? 'G' : kind == 2 ? 'Z' : 'R';
      passt = j_.eroeffnung && person && als == gesucht;
    } else if (negativ_als_gutschrift) {
      // A negative invoice is a credit note of the opposite amount.
      passt = gesucht == 'G';
      brutto = -brutto;
    } else {
      passt = art == gesucht;
    }
    if (!passt) return std::nullopt;
    const std::string beleg = trim(s.get(F::Belegnr));
    if (!j_.beleg_von.empty() && belegvergleich(beleg, trim(j_.beleg_von)) < 0) return std::nullopt;
    if (!j_.beleg_bis.empty() && belegvergleich(beleg, trim(j_.beleg_bis)) > 0) return std::nullopt;
    const std::int32_t gegen = kontowert(s.get(F::Gegenkonto));
    if (gegen < j_.gegen_von || gegen > j_.gegen_bis) return std::nullopt;
    Zeile z;
    z.konto = trim(s.get(F::Konto));
    z.beleg = beleg;
    z.text = trim(s.get(F::Text1));
    z.art = art;
    z.buchdatum = s.get(F::Datum);
    // The document's date as entered with the booking, else the booking's.
    z.rechdatum = s.get(F::Belegdatum) != kein_datum ? s.get(F::Belegdatum) : z.buchdatum;
    z.brutto = brutto;
    z.gesperrt = s.get(F::Gesperrt);
    return z;
  }

  Mandant& m_;
  const R& j_;
};

}  // namespace

Rechnungsjournal rechnungsjournal_vorgabe(const Mandant& m) {
  Rechnungsjournal j;
  j.datum_von = geschaeftsjahr_von(m.basis);
  j.datum_bis = geschaeftsjahr_bis(m.basis);
  rechnungsjournal_konten(m, j);
  return j;
}

void rechnungsjournal_konten(const Mandant& m, Rechnungsjournal& j) {
  const Satz& b = m.basis;
  switch (j.kontoart) {
    case R::Kontoart::Debitoren:
      j.konto_von = b.get(B::DebitorVon), j.konto_bis = b.get(B::DebitorBis);
      break;
    case R::Kontoart::Kreditoren:
      j.konto_von = b.get(B::KreditorVon), j.konto_bis = b.get(B::KreditorBis);
      break;
    case R::Kontoart::Sachkonten:
      j.konto_von = b.get(B::SachVon), j.konto_bis = b.get(B::SachBis);
      break;
  }
}

bool rechnungsjournal_drucken(Mandant& m, const Rechnungsjournal& j) {
  std::vector<Zeile> zeilen;
  Interaktion& ui = m.ui();
  ui.Balken_Oeffnen("Suche Buchungen ...", 0);
  const bool gelesen = Auswahl(m, j).lesen(zeilen);
  ui.Balken_Schliessen();
  if (!gelesen) {
    ui.ShowMessageMain("Die Buchungsdatei BUCHUNG.DA1 kann nicht gelesen werden!");
    return false;
  }
  if (j.sortierung == R::Sortierung::Belegnummer) {
    std::stable_sort(zeilen.begin(), zeilen.end(), [](const Zeile& a, const Zeile& b) {
      if (int c = belegvergleich(a.beleg, b.beleg)) return c < 0;
      if (a.buchdatum != b.buchdatum) return a.buchdatum < b.buchdatum;
      return a.nummer < b.nummer;
    });
  } else {
    std::stable_sort(zeilen.begin(), zeilen.end(), [](const Zeile& a, const Zeile& b) {
      if (a.buchdatum != b.buchdatum) return a.buchdatum < b.buchdatum;
      return a.nummer < b.nummer;
    });
  }

  Ausgabe3 d(ui);
  const std::string vorspann = j.zeilennummer ? zeilenvorspann : "";
  const int breite = j.zeilennummer ? listenbreite : listenbreite - 9;
  Seitenkopf kopf = seitenkopf(m, titel(j.belegart), breite);
  kopf.untertitel = "Zeitraum: " + datum(j.datum_von) + " - " + datum(j.datum_bis);
  auto seitenanfang = [&](Ausgabe3& a) {
    drucke_seitenkopf(a, kopf);
    a.druckeln(vorspann + spalten);
    a.druckeln();
  };
  if (!d.open_drucker(titel(j.belegart))) return false;
  d.schmal();
  d.kopf_bei_umbruch(seitenanfang);
  seitenanfang(d);
  Betrag summe = 0;
  for (const Zeile& z : zeilen) {
    std::string text;
    if (j.zeilennummer)
      text = std::string(z.gesperrt ? "*" : " ") + " " +
             rechtsbuendig(std::to_string(z.nummer), 6) + " ";
    text += padlinks(z.konto, 8) + " " + mittig(std::string(1, z.art), 3) + " " +
            padlinks(z.beleg, 7) + " " + datum(z.buchdatum) + " " + datum(z.rechdatum) + " " +
            padcut(z.name, 35) + " " + padcut(z.text, 24);
    d.druckeln(padcut(text, static_cast<int>(vorspann.size()) + betragsspalte) +
               listenbetrag(z.brutto));
    summe += z.brutto;
  }
  d.druckeln(padcut("Gesamtsumme: " + std::to_string(zeilen.size()) + " Buchungszeilen",
                    static_cast<int>(vorspann.size()) + betragsspalte) +
             listenbetrag(summe));
  d.close_drucker();
  return true;
}

TFRechnungsJournal::TFRechnungsJournal(Mandant& m) : m_(m), form_("Selektion Rechnungsjournal") {
  const Rechnungsjournal v = rechnungsjournal_vorgabe(m);
  form_.AddChoice(1, "Kontoart", {"Debitoren", "Kreditoren", "Sachkonten"}, 0);
  form_.AddLongInt(2, "Kontonummer", v.konto_von, 0, 99999999);
  form_.AddLongInt(3, "bis", v.konto_bis, 0, 99999999);
  form_.AddDate(4, "Datum", v.datum_von);
  form_.AddDate(5, "bis", v.datum_bis);
  form_.AddString(6, "Belegnummer", v.beleg_von, 7);
  form_.AddString(7, "bis", v.beleg_bis, 7);
  form_.AddLongInt(8, "Gegenkonto", v.gegen_von, 0, 99999999);
  form_.AddLongInt(9, "bis", v.gegen_bis, 0, 99999999);
  form_.AddChoice(10, "Belegart", {"Rechnung", "Gutschrift", "Zahlung"}, 0);
  form_.AddChoice(11, "Sortierung", {"Belegnummer", "Buchungsdatum"}, 0);
  form_.AddYesNo(12, "Zeilennummer ausgeben", false);
  form_.AddYesNo(13, "Eröffnungsbuchungen berücksichtigen", false);
  form_.AddYesNo(14, "Negative Rechnung auch als Gutschrift berücksichtigen", false);
  // Another kind of account: the whole range of that kind.
  form_.beim_verlassen([this](TEntryForm& f, int nr) {
    if (nr == 1) {
      Rechnungsjournal j;
      j.kontoart = static_cast<R::Kontoart>(f.auswahl(1));
      rechnungsjournal_konten(m_, j);
      f.setze_zahl(2, j.konto_von);
      f.setze_zahl(3, j.konto_bis);
    }
    return true;
  });
  form_.beim_speichern([](TEntryForm& f) {
    if (f.zahl(2) > f.zahl(3)) {
      f.ui().ShowMessageMain("Die Von-Kontonummer ist größer als die Bis-Kontonummer!");
      return false;
    }
    if (f.datum(4) > f.datum(5)) {
      f.ui().ShowMessageMain("Das Von-Datum ist größer als das Bis-Datum!");
      return false;
    }
    return true;
  });
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Drucken");
}

bool TFRechnungsJournal::ausfuehren() {
  if (!form_.Execute(m_.ui())) return false;
  Rechnungsjournal j;
  j.kontoart = static_cast<R::Kontoart>(form_.auswahl(1));
  j.konto_von = static_cast<std::int32_t>(form_.zahl(2));
  j.konto_bis = static_cast<std::int32_t>(form_.zahl(3));
  j.datum_von = form_.datum(4);
  j.datum_bis = form_.datum(5);
  j.beleg_von = trim(form_.text(6));
  j.beleg_bis = trim(form_.text(7));
  j.gegen_von = static_cast<std::int32_t>(form_.zahl(8));
  j.gegen_bis = static_cast<std::int32_t>(form_.zahl(9));
  j.belegart = static_cast<R::Belegart>(form_.auswahl(10));
  j.sortierung = static_cast<R::Sortierung>(form_.auswahl(11));
  j.zeilennummer = form_.ja(12);
  j.eroeffnung = form_.ja(13);
  j.negative_als_gutschrift = form_.ja(14);
  return rechnungsjournal_drucken(m_, j);
}

}  // namespace fibu
