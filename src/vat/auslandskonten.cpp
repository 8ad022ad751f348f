#include "vat/auslandskonten.h"

#include "frame/mandant.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"

namespace fibu {

std::string eg_kennung(std::string_view egid) {
  return gross(trim(egid));
}

std::string eg_land(std::string_view egid) {
  return kopy(eg_kennung(egid), 1, 2);
}

bool auslandskonten_besuchen(Mandant& m, std::int32_t von, std::int32_t bis,
                             const std::function<bool(const Auslandskonto&)>& besuch) {
  Interaktion& ui = m.ui();
  const std::string eigenes_land = eg_land(m.basis.get(BasisFelder::EgId));
  auto& p = *m.personen;
  ui.Balken_Oeffnen("Durchsuche Personenkonten...", static_cast<long>(p.anzahl_keys(1)));
  bool fertig = true;
  std::string k = m.personenkonto_text(von);
  for (bool ok = p.suche_ab(1, k) && p.suchen(k); ok; ok = p.lies_weiter(1, k)) {
    ui.Balken_Inc();
    if (ui.EscPressed()) {
      fertig = false;
      break;
    }
    const Satz& s = p.satz();
    Auslandskonto konto;
    konto.nummer = trim(s.get(PersonenFelder::Kontonr));
    konto.wert = kontowert(konto.nummer);
    if (konto.wert > bis) break;
    konto.egid = eg_kennung(s.get(PersonenFelder::EgId));
    if (konto.wert < von || konto.egid.empty() || eg_land(konto.egid) == eigenes_land) continue;
    konto.name = trim(s.get(PersonenFelder::Name));
    if (!besuch(konto)) {
      fertig = false;
      break;
    }
  }
  ui.Balken_Schliessen();
  return fertig;
}

}  // namespace fibu
