#include "vat/steuerwerte.h"

#include <algorithm>
#include <array>
#include <map>

#include "frame/mandant.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "vat/ustjahre.h"

namespace fibu {
namespace {

using S = SachFelder;

// Kontenart of the accounts the return looks at.
constexpr int art_standard = 0, art_mwst = 2, art_erloes = 3, art_vorsteuer = 4, art_erwerb = 5;
// "UST-Zeile" of a tax account booked directly.
constexpr int zeile_direkt = 99;

Betrag volle_euro(Betrag b) {
  return b / 100 * 100;
}

// Groups the accounts of one section by tax key, with the key's computed
// and booked tax.
Prueflistenabschnitt abschnitt(const std::vector<const Ustkonto*>& konten, bool erwerb, bool runden,
                               const std::map<std::int32_t, const Ustkonto*>& nach_nummer,
                               const std::vector<std::pair<std::int32_t, std::int64_t>>& steuern) {
  std::map<int, Steuergruppe> gruppen;
  for (const Ustkonto* k : konten) {
    Betrag b = erwerb ? k->sollsaldo() : k->habensaldo();
    if (runden) b = volle_euro(b);
    Steuergruppe& g = gruppen[k->schluessel];
    g.konten.push_back({k->nummer, k->bezeichnung, b});
    g.summe += b;
  }
  Prueflistenabschnitt a;
  for (auto& [schluessel, g] : gruppen) {
    g.schluessel = schluessel;
    if (schluessel >= 1 && schluessel <= static_cast<int>(steuern.size())) {
      g.steuerkonto = steuern[static_cast<std::size_t>(schluessel - 1)].first;
      g.satz = steuern[static_cast<std::size_t>(schluessel - 1)].second;
    }
    if (g.satz != 0) {
      g.steuer = rund(static_cast<long double>(g.summe) * g.satz / 10000.0L);
      auto sk = nach_nummer.find(g.steuerkonto);
      if (sk != nach_nummer.end()) g.gebucht = sk->second->habensaldo();
      a.steuer += g.steuer;
      a.differenz += g.differenz();
    }
    a.betrag += g.summe;
    a.gruppen.push_back(std::move(g));
  }
  return a;
}

}  // namespace

std::vector<Ustkonto> ustkonten_lesen(Mandant& m, int von, int bis) {
  std::vector<Ustkonto> aus;
  std::string k;
  for (bool ok = m.sach->suche_ab(1, k) && m.sach->suchen(k); ok; ok = m.sach->lies_weiter(1, k)) {
    const Satz& s = m.sach->satz();
    Ustkonto u;
    u.nummer = s.get(S::Nummer);
    u.bezeichnung = s.get(S::Bezeichnung1);
    u.kontenart = s.get(S::Kontenart);
    u.zeile = s.get(S::UstZeile);
    u.schluessel = s.get(S::Steuerschluessel);
    for (int p = std::max(von, 1); p <= std::min(bis, 12); ++p) {
      u.soll += s.get(S::soll(p));
      u.haben += s.get(S::haben(p));
    }
    aus.push_back(std::move(u));
  }
  return aus;
}

Pruefliste pruefliste_berechnen(const std::vector<Ustkonto>& konten,
                                const std::vector<std::pair<std::int32_t, std::int64_t>>& steuern,
                                bool runden) {
  std::map<std::int32_t, const Ustkonto*> nach_nummer;
  std::vector<const Ustkonto*> erloese, erwerbe;
  Pruefliste p;
  for (const Ustkonto& k : konten) nach_nummer[k.nummer] = &k;
  // Account-number order within each section (and within each tax key).
  for (const auto& [nummer, k] : nach_nummer) {
    if (k->kontenart == art_erloes) erloese.push_back(k);
    if (k->kontenart == art_erwerb) erwerbe.push_back(k);
    if (k->kontenart == art_vorsteuer) {
      p.vorsteuer.push_back({k->nummer, k->bezeichnung, k->habensaldo()});
      p.summe_vorsteuer += k->habensaldo();
    }
    if (k->kontenart == art_standard && k->zeile == zeile_direkt) {
      p.direkt.push_back({k->nummer, k->bezeichnung, k->habensaldo()});
      p.summe_direkt += k->habensaldo();
    }
  }
  p.umsaetze = abschnitt(erloese, false, runden, nach_nummer, steuern);
  p.erwerbe = abschnitt(erwerbe, true, runden, nach_nummer, steuern);
  p.zu_zahlen = p.umsaetze.steuer + p.erwerbe.steuer + p.summe_vorsteuer;
  return p;
}

Pruefliste pruefliste_berechnen(Mandant& m, const std::vector<Ustkonto>& konten, bool runden) {
  std::vector<std::pair<std::int32_t, std::int64_t>> steuern;
  for (int k = 1; k <= 40; ++k)
    steuern.emplace_back(m.basis.get(BasisFelder::steuerkonto(k)),
                         m.basis.get(BasisFelder::steuersatz(k)));
  return pruefliste_berechnen(konten, steuern, runden);
}

Formularwerte formularwerte_fuellen(const std::vector<Ustkonto>& konten) {
  Formularwerte w;
  for (const Ustkonto& k : konten) {
    const Betrag b = k.sollsaldo();
    if (k.zeile >= 1 && k.zeile <= 86) {
      const auto l = static_cast<std::size_t>(k.zeile);
      if (k.kontenart == art_mwst || k.kontenart == art_vorsteuer) w.steuer[l] += b;
      if (k.kontenart == art_erloes) w.basis[l] -= b;
      if (k.kontenart == art_erwerb) w.basis[l] += b;
    } else if (k.zeile == zeile_direkt && k.kontenart == art_standard) {
      w.direkt += b;
    }
  }
  return w;
}

int vorsteuerzeile_fuer(int jahr, const std::function<int(int)>& formularzeile) {
  if (jahr < 2002) return 47;
  if (jahr <= letztes_formularjahr) return formularzeile(jahr);
  return vorsteuerzeile_nach_2012(jahr);
}

Kennzahlenliste kennzahlen_berechnen(const Formularwerte& w, int jahr, int monat) {
  Kennzahlenliste liste;
  std::array<bool, 87> erfasst{};
  std::map<std::pair<int, int>, std::size_t> nach_kz;
  std::vector<Betrag> basis_roh;
  for (const Kennzahlzuordnung& z : kennzahlentabelle()) {
    if (jahr < z.von_jahr || jahr > z.bis_jahr || monat < z.von_monat || monat > z.bis_monat ||
        erfasst[z.zeile])
      continue;
    erfasst[z.zeile] = true;
    const Betrag b = w.basis[z.zeile], t = w.steuer[z.zeile];
    auto [it, neu] = nach_kz.try_emplace({z.kz_basis, z.kz_steuer}, liste.werte.size());
    if (neu) {
      liste.werte.push_back({z.kz_basis, z.kz_steuer, z.text, 0, 0, z.regel});
      basis_roh.push_back(0);
    }
    Kennzahlwert& kw = liste.werte[it->second];
    basis_roh[it->second] += b;
    switch (z.regel) {
      case Kzregel::Basis:
        break;
      case Kzregel::Satz:
        // The form computes the tax from the base in whole euros.
        kw.steuer += rund(static_cast<long double>(volle_euro(b)) * z.satz / 10000.0L);
        break;
      case Kzregel::Gebucht:
      case Kzregel::SteuerOhneBasis:
        kw.steuer -= t;  // a tax owed is a credit balance
        break;
      case Kzregel::Vorsteuer:
        kw.steuer += t;
        break;
    }
  }
  for (std::size_t i = 0; i < liste.werte.size(); ++i) {
    Kennzahlwert& kw = liste.werte[i];
    kw.basis = kw.kz_basis != 0 ? volle_euro(basis_roh[i]) : 0;
    if (kw.regel != Kzregel::Basis)
      liste.summe += kw.regel == Kzregel::Vorsteuer ? -kw.steuer : kw.steuer;
  }
  for (int l = 1; l <= 86; ++l)
    if (!erfasst[static_cast<std::size_t>(l)] &&
        (w.basis[static_cast<std::size_t>(l)] != 0 || w.steuer[static_cast<std::size_t>(l)] != 0))
      liste.ohne_kennzahl.push_back(l);
  return liste;
}

}  // namespace fibu
