// The printed check list of the advance return ("Steueranmeldung").
#include <cstdint>

#include "frame/mandant.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "vat/steueranmeldung.h"

namespace fibu {
namespace {

using B = BasisFelder;

constexpr int breite = 95;
constexpr std::ptrdiff_t links = 49;  // label or account and name, then the three amount columns

std::string betrag(Betrag b) {
  return format_maske(b, 2, "###########.##");
}  // 14.2

// The columns Betrag (14), Steuer (16) and Differenz (16); an absent one
// stays blank, blanks at the end are dropped.
std::string spalten(std::optional<Betrag> b, std::optional<Betrag> s = {},
                    std::optional<Betrag> d = {}) {
  std::string z = b ? betrag(*b) : space(14);
  z += s ? "  " + betrag(*s) : space(16);
  z += d ? "  " + betrag(*d) : space(16);
  return trim_rechts(z);
}

std::string zeile(const std::string& text, const std::string& werte) {
  return trim_rechts(padcut(text, links) + werte);
}

std::string konto(const Prueflistenkonto& k) {
  return padlinks(std::to_string(k.nummer), 12) + "  " + k.bezeichnung;
}

class Liste {
 public:
  Liste(Mandant& m, const Anmeldeoptionen& o) : d_(m.ui()), o_(o) {
    kopf_ = seitenkopf(m, "Steueranmeldung", breite);
    kopf_.untertitel = "Zeitraum: " + o.zeitraum;
    const Satz& b = m.basis;
    kunde_ = {"Mandant: " + trim(b.get(B::Name)), "  Steuernummer: " + trim(b.get(B::Steuernummer)),
              "  Finanzamt   : " + trim(b.get(B::Finanzamt)),
              "  Finanzamtnr.: " + trim(b.get(B::FaNummer))};
  }
  bool oeffnen() {
    if (!d_.open_drucker_hinweis(o_.druckhinweis, "Steueranmeldung"))
      return false;
    d_.schmal();
    d_.kopf_bei_umbruch([this](Ausgabe3& a) { seitenanfang(a); });
    seitenanfang(d_);
    return true;
  }
  void operator()(const std::string& z) { d_.druckeln(z); }
  void schliessen() {
    d_.schmal(false);
    d_.close_drucker();
  }

 private:
  void seitenanfang(Ausgabe3& a) {
    drucke_seitenkopf(a, kopf_);
    for (const auto& z : kunde_) a.druckeln(z);
    a.druckeln();
    a.druckeln(o_.aufschluesselung
                   ? "       Konto  Kontobezeichnung                           Betrag          "
                     "Steuer       Differenz"
                   : "                                                         Betrag          "
                     "Steuer       Differenz");
    a.druckeln();
  }

  Ausgabe3 d_;
  const Anmeldeoptionen& o_;
  Seitenkopf kopf_;
  std::vector<std::string> kunde_;
};

// Revenue or acquisitions: the accounts of each tax key, the key's
// subtotal with computed and booked tax, the section totals.
void abschnitt_drucken(Liste& l, const Anmeldeoptionen& o, const Prueflistenabschnitt& a,
                       const std::string& gruppe, const std::string& summe) {
  for (const Steuergruppe& g : a.gruppen) {
    if (o.aufschluesselung)
      for (const Prueflistenkonto& k : g.konten) l(zeile(konto(k), spalten(k.betrag)));
    const std::string titel = gruppe + format_maske(g.satz, 2, "##.##") + " %";
    if (g.satz == 0) {
      l(zeile(titel, spalten(g.summe)));
    } else {
      l(zeile(titel, spalten(g.summe, g.steuer, g.differenz())));
      l(zeile("     gebucht auf Konto " + std::to_string(g.steuerkonto), spalten({}, g.gebucht)));
    }
    l("");
  }
  l(zeile(summe, spalten(a.betrag, a.steuer, a.differenz)));
  l("");
}

// Tax accounts: each account's credit balance, then the sum.
void steuerkonten_drucken(Liste& l, const Anmeldeoptionen& o,
                          const std::vector<Prueflistenkonto>& konten, Betrag summe,
                          const std::string& titel) {
  if (o.aufschluesselung)
    for (const Prueflistenkonto& k : konten) l(zeile(konto(k), spalten({}, k.betrag)));
  l(zeile(titel, spalten({}, summe)));
}

}  // namespace

bool pruefliste_drucken(Mandant& m, const Anmeldeoptionen& o, const Pruefliste& p,
                        const std::vector<std::string>& anhang) {
  Liste l(m, o);
  if (!l.oeffnen()) return false;
  abschnitt_drucken(l, o, p.umsaetze, "***  Umsätze  ", "**** Summe Umsätze");
  abschnitt_drucken(l, o, p.erwerbe, "***  Erwerbe ", "**** Summe Erwerbe");
  steuerkonten_drucken(l, o, p.vorsteuer, p.summe_vorsteuer, "Summe Vorsteuer");
  l(zeile("Zu zahlen", spalten({}, p.zu_zahlen)));
  if (!p.direkt.empty()) {
    l("");
    steuerkonten_drucken(l, o, p.direkt, p.summe_direkt, "Summe direkte Steuerkonten");
    l(zeile("Zu zahlen", spalten({}, p.zu_zahlen + p.summe_direkt)));
    if (m.basis.get(B::SteuerkontenDirektBebuchbar) && p.umsaetze.differenz != 0) {
      l("");
      l("INFO : Direkte Bebuchung von Steuerkonten zugelassen");
      l(zeile("Zu zahlen unter Berücksichtigung der Differenz",
              spalten({}, p.zu_zahlen + p.summe_direkt - p.umsaetze.differenz)));
    }
  }
  if (!anhang.empty()) l("");
  for (const std::string& z : anhang) l(z);
  l.schliessen();
  return true;
}

}  // namespace fibu
