#include "exchange/uebernahme.h"

#include "isam/crc32c.h"
#include "store/parametersaetze.h"

namespace fibu {

using BF = BasisFelder;

std::optional<Dateikennung> dateikennung(Datei& datei, const std::string& name) {
  Dateikennung k;
  k.name = name;
  constexpr std::size_t stueck = 1 << 20;
  std::string daten;
  for (;;) {
    if (!datei.lesen(k.groesse, stueck, daten)) return std::nullopt;
    if (daten.empty()) break;
    k.pruefsumme = isam::crc32c(daten.data(), daten.size(), k.pruefsumme);
    k.groesse += daten.size();
  }
  return k;
}

Uebernahmestand uebernahmestand_lesen(const Satz& basis) {
  Uebernahmestand s;
  s.befehl = basis.get(BF::UebernahmeBefehl);
  s.datei.name = basis.get(BF::UebernahmeDatei);
  s.datei.groesse = static_cast<std::uint64_t>(basis.get(BF::UebernahmeGroesse));
  s.datei.pruefsumme = basis.get(BF::UebernahmePruefsumme);
  s.zeile = basis.get(BF::UebernahmeZeile);
  s.fertig = basis.get(BF::UebernahmeFertig);
  return s;
}

void uebernahmestand_ablegen(Satz& basis, const Uebernahmestand& s) {
  basis.set(BF::UebernahmeBefehl, static_cast<std::uint16_t>(s.befehl));
  basis.set(BF::UebernahmeDatei, s.datei.name);
  basis.set(BF::UebernahmeGroesse, static_cast<std::int64_t>(s.datei.groesse));
  basis.set(BF::UebernahmePruefsumme, s.datei.pruefsumme);
  basis.set(BF::UebernahmeZeile, static_cast<std::int32_t>(s.zeile));
  basis.set(BF::UebernahmeFertig, s.fertig);
}

bool schon_uebernommen(Interaktion& ui, const Satz& basis, int befehl, const Dateikennung& datei) {
  const Uebernahmestand s = uebernahmestand_lesen(basis);
  if (s.befehl != befehl || !s.fertig || !(s.datei == datei)) return false;
  ui.ShowMessageMain("Die Datei " + datei.name + " ist bereits vollständig übernommen worden!");
  return true;
}

long fortsetzung_erfragen(Interaktion& ui, const Satz& basis, int befehl,
                          const Dateikennung& datei) {
  const Uebernahmestand s = uebernahmestand_lesen(basis);
  if (s.befehl != befehl || s.fertig || s.zeile <= 0 || !(s.datei == datei)) return 0;
  const std::string zeile = std::to_string(s.zeile);
  return ui.JaNein2("Die Datei " + datei.name + " ist bis Zeile " + zeile +
                    " übernommen worden.\rSoll die Übernahme nach Zeile " + zeile +
                    " fortgesetzt werden?")
             ? s.zeile
             : 0;
}

Uebernahmelauf::Uebernahmelauf(Buchungskern& kern, Satz& basis, int befehl, Dateikennung datei,
                               long einheit, long ab_zeile)
    : lauf_(kern), basis_(basis), einheit_(einheit), bestaetigt_bis_(ab_zeile) {
  stand_.befehl = befehl;
  stand_.datei = std::move(datei);
}

bool Uebernahmelauf::zeile_fertig(long nr, long gebucht, bool ausgeglichen) {
  if (!ausgeglichen || gebucht - bestaetigte_buchungen_ < einheit_) return true;
  return bestaetigen(nr, gebucht, false, false);
}

bool Uebernahmelauf::abschliessen(long nr, long gebucht, bool fertig) {
  return bestaetigen(nr, gebucht, fertig, true);
}

bool Uebernahmelauf::bestaetigen(long nr, long gebucht, bool fertig, bool letzte) {
  stand_.zeile = nr;
  stand_.fertig = fertig;
  uebernahmestand_ablegen(basis_, stand_);
  lauf_.basis_ablegen();
  const bool ok = letzte ? lauf_.ende() : lauf_.zwischenstand();
  // A commit that failed after its unit was safe counts: the unit is
  // completed when the client is next opened.
  if (ok || lauf_.festgeschrieben()) {
    bestaetigt_bis_ = nr;
    bestaetigte_buchungen_ = gebucht;
  }
  return ok;
}

}  // namespace fibu
