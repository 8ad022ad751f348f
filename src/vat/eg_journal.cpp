#include "vat/eg_journal.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "frame/mandant.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "suite/listenformat.h"
#include "vat/auslandskonten.h"

namespace fibu {
namespace {

using B = BasisFelder;
using F = BuchungFelder;

constexpr int breite = 111;
constexpr const char* spalten =
    "   Konto Art Belegnr Buchdatum  Satznr. Name                                Ident-Nummer "
    "               Betrag";
constexpr std::size_t max_laender = 100;

std::string datum(Datum d) {
  return DateToDateString("dd.mm.yyyy", d);
}

// The id's first n characters against a bound of length n.
bool im_laenderbereich(const std::string& egid, const std::string& von, const std::string& bis) {
  const auto anfang = [&egid](const std::string& grenze) {
    return kopy(egid, 1, static_cast<std::ptrdiff_t>(zeichenzahl(grenze)));
  };
  return anfang(von) >= von && anfang(bis) <= bis;
}

// The sums per country code, as many codes as the table holds.
class Laendersummen {
 public:
  explicit Laendersummen(Interaktion& ui) : ui_(ui) {}
  void addiere(const std::string& land, Betrag b) {
    auto it = std::find_if(summen_.begin(), summen_.end(),
                           [&land](const auto& e) { return e.first == land; });
    if (it != summen_.end()) {
      it->second += b;
    } else if (summen_.size() < max_laender) {
      summen_.emplace_back(land, b);
    } else {
      ui_.ShowMessageMain("Maximale Länderanzahl überschritten!");
    }
  }
  std::vector<std::pair<std::string, Betrag>> sortiert() const {
    auto s = summen_;
    std::sort(s.begin(), s.end());
    return s;
  }

 private:
  Interaktion& ui_;
  std::vector<std::pair<std::string, Betrag>> summen_;
};

std::string zeile(const Auslandskonto& k, std::uint32_t nr, const Satz& s, Betrag betrag) {
  const auto art = static_cast<char>(s.u8(F::Buchungsart));
  return padlinks(k.nummer, 8) + " " + mittig(art ? std::string(1, art) : "", 3) + " " +
         padlinks(trim(s.get(F::Belegnr)), 7) + " " + datum(s.get(F::Datum)) + " " +
         format_maske(nr, 0, "#######") + " " + padcut(k.name, 35) + " " + padcut(k.egid, 21) +
         " " + format_maske(betrag, 2, "##.###.###,##");
}

}  // namespace

EgJournal eg_journal_vorgabe(const Mandant& m) {
  const Satz& b = m.basis;
  EgJournal j;
  j.konto_von = b.get(B::DebitorVon);
  j.konto_bis = b.get(B::DebitorBis);
  const int anzahl = std::clamp<int>(b.get(B::AnzahlPerioden), 1, 12);
  const int jetzt = b.get(B::AktuellePeriode);
  bool alle_zu = true;
  for (int p = 1; p <= anzahl; ++p) alle_zu = alle_zu && b.get(B::periode_status(p)) >= 2;
  if (alle_zu || jetzt < 1 || jetzt > anzahl) {
    j.datum_von = b.get(B::periode_von(1));
    j.datum_bis = b.get(B::periode_bis(anzahl));
  } else {
    j.datum_von = b.get(B::periode_von(jetzt));
    j.datum_bis = b.get(B::periode_bis(jetzt));
  }
  return j;
}

bool eg_journal_drucken(Mandant& m, const EgJournal& j) {
  Interaktion& ui = m.ui();
  Ausgabe3 d(ui);
  Seitenkopf kopf = seitenkopf(m, "EG-Journal", breite);
  kopf.untertitel = "Zeitraum: " + datum(j.datum_von) + " - " + datum(j.datum_bis);
  const auto seitenanfang = [&kopf](Ausgabe3& x) {
    drucke_seitenkopf(x, kopf);
    x.druckeln(spalten);
    x.druckeln();
  };
  if (!d.open_drucker("EG-Journal")) return false;
  d.schmal();
  d.kopf_bei_umbruch(seitenanfang);
  seitenanfang(d);
  const auto neue_seite_wenn = [&](int n) {
    if (!d.check(n)) return;
    d.neue_seite();
    seitenanfang(d);
  };

  const std::string land_von = eg_kennung(j.land_von), land_bis = eg_kennung(j.land_bis);
  Laendersummen laender(ui);
  Betrag summe = 0;
  bool lesefehler = false;
  // Each account's bookings from its first to its last date: the dates
  // bound every account of the range, not only the first and the last.
  const bool fertig =
      auslandskonten_besuchen(m, j.konto_von, j.konto_bis, [&](const Auslandskonto& k) {
        if (!im_laenderbereich(k.egid, land_von, land_bis)) return true;
        const long n = m.buchung->buchungen_des_kontos(
            k.wert, j.datum_von, j.datum_bis, [&](std::uint32_t nr, const Satz& s) {
              if (kontowert(s.get(F::Konto)) != k.wert) return true;
              const Betrag betrag =
                  s.u8(F::SollHaben) == 'S' ? s.get(F::Betrag) : -s.get(F::Betrag);
              neue_seite_wenn(2);
              d.druckeln(zeile(k, nr, s, betrag));
              summe += betrag;
              laender.addiere(eg_land(k.egid), betrag);
              return true;
            });
        if (n < 0) lesefehler = true;
        return n >= 0;
      });
  if (lesefehler) ui.ShowMessageMain("Die Buchungsdatei BUCHUNG.DA1 kann nicht gelesen werden!");
  if (!fertig) return false;

  neue_seite_wenn(3);
  d.druckeln(std::string(breite, '-'));
  d.druckeln(space(96) + listenbetrag(summe));
  if (j.laendersummen) {
    d.druckeln("Land         Betrag");
    d.druckeln(std::string(22, '-'));
    for (const auto& [land, betrag] : laender.sortiert())
      d.druckeln(padcut(land, 5) + listenbetrag(betrag));
  }
  d.schmal(false);
  d.close_drucker();
  return true;
}

namespace {
enum Feld { aktuell = 1, konto_von, konto_bis, datum_von, datum_bis, land_von, land_bis, summen };
}

TFEGJournal::TFEGJournal(Mandant& m) : m_(m), form_("Selektion EG-Journale") {
  const EgJournal v = eg_journal_vorgabe(m);
  form_.AddByte(aktuell, "Aktuelle Periode", m.basis.get(B::AktuellePeriode));
  form_.ProtectControl(aktuell);
  form_.AddLongInt(konto_von, "Kontonummer", v.konto_von, 0, 99999999);
  form_.AddLongInt(konto_bis, "bis", v.konto_bis, 0, 99999999);
  form_.AddDate(datum_von, "Datum", v.datum_von);
  form_.AddDate(datum_bis, "bis", v.datum_bis);
  form_.AddString(land_von, "EG-Land", v.land_von, 2);
  form_.AddString(land_bis, "bis", v.land_bis, 2);
  form_.AddYesNo(summen, "Summe EG-Länder", v.laendersummen);
  form_.FrageDatenSpeichern(false);
  form_.EscBefehl("&Drucken");
  form_.beim_speichern([](TEntryForm& f) {
    if (f.zahl(konto_von) > f.zahl(konto_bis)) {
      f.ui().ShowMessageMain("Die Von-Kontonummer ist größer als die Bis-Kontonummer!");
      return false;
    }
    if (f.datum(datum_von) > f.datum(datum_bis)) {
      f.ui().ShowMessageMain("Das Von-Datum ist größer als das Bis-Datum!");
      return false;
    }
    return true;
  });
}

bool TFEGJournal::ausfuehren() {
  if (!form_.Execute(m_.ui())) return false;
  EgJournal j;
  j.konto_von = static_cast<std::int32_t>(form_.zahl(konto_von));
  j.konto_bis = static_cast<std::int32_t>(form_.zahl(konto_bis));
  j.datum_von = form_.datum(datum_von);
  j.datum_bis = form_.datum(datum_bis);
  j.land_von = form_.text(land_von);
  j.land_bis = form_.text(land_bis);
  j.laendersummen = form_.ja(summen);
  return eg_journal_drucken(m_, j);
}

}  // namespace fibu
