#include "openitems/mahnregeln.h"

#include <algorithm>

#include "store/bewegungssaetze.h"
#include "store/kontenbereiche.h"
#include "store/parametersaetze.h"
#include "suite/allgemei.h"

namespace fibu {

namespace {
using O = OpstammFelder;
using K = MahnkennEintrag;
}  // namespace

bool mahnfaellig(const Satz& op, const Satz& code, const Mahnauswahl& a) {
  if (op.u8(O::Kennung) != 'D') return false;
  const std::int32_t konto = kontowert(op.get(O::Kontonummer));
  if (konto < a.konto_von || konto > a.konto_bis) return false;
  const std::string beleg = trim(op.get(O::Belegnummer));
  if (nur_ziffern(beleg) && !beleg.empty()) {
    const std::int64_t nr = std::stoll(beleg.substr(0, 18));
    if (nr < a.beleg_von || nr > a.beleg_bis) return false;
  }
  const Betrag offen = op.get(O::NochOffen);
  if (offen == 0) return false;
  if (op.get(O::Faelligkeitsdatum) > a.stichtag) return false;
  if (op.get(O::Mahnen) != 0) return false;
  const int stufe = op.get(O::Mahnstufe), kennziffer = op.get(O::Mahnkennziffer);
  if (stufe >= 6 || kennziffer < 1 || kennziffer > 99) return false;
  if ((offen < 0 ? -offen : offen) < code.get(K::MahnenAb)) return false;
  const int naechste = std::min(stufe + 1, 5);
  const Datum ab = stufe == 0 ? op.get(O::Faelligkeitsdatum) : op.get(O::Mahndatum);
  return static_cast<long>(a.stichtag) >= static_cast<long>(ab) + code.get(K::tage(naechste));
}

std::vector<std::vector<std::size_t>> mahnbriefe(const std::vector<Satz>& ops,
                                                 bool zusammenfassen) {
  std::vector<std::vector<std::size_t>> briefe;
  std::vector<std::size_t> brief;
  const auto abschliessen = [&] {
    Betrag offen = 0, betrag = 0;
    for (std::size_t i : brief) {
      offen += ops[i].get(O::NochOffen);
      betrag += ops[i].get(O::Betrag);
    }
    if (!brief.empty() && offen > 0 && betrag > 0) briefe.push_back(brief);
    brief.clear();
  };
  for (std::size_t i = 0; i < ops.size(); ++i) {
    const bool neu = brief.empty() || !zusammenfassen || ops[i].get(O::Diverse) ||
                     ops[brief.front()].get(O::Diverse) ||
                     trim(ops[i].get(O::Kontonummer)) != trim(ops[brief.front()].get(O::Kontonummer));
    if (neu) abschliessen();
    brief.push_back(i);
  }
  abschliessen();
  return briefe;
}

int mahntextnummer(const Satz& code, int stufe, bool& ungueltig) {
  for (int k = stufe; k >= 1; --k) {
    const int nr = code.get(K::textnummer(k));
    if (nr >= 1 && nr <= 99) {
      ungueltig = ungueltig || k != stufe;
      return nr;
    }
  }
  ungueltig = true;
  return 1;
}

Betrag mahnzinsen(const std::vector<Zinsposten>& posten, std::int64_t satz, Datum heute) {
  Betrag summe = 0;
  for (const Zinsposten& p : posten) {
    const long tage = std::max(0L, static_cast<long>(heute) - static_cast<long>(p.ab));
    const long double zins =
        static_cast<long double>(p.betrag) * satz / 10000.0L * tage / 365.0L;
    summe += rund(zins);
  }
  return summe;
}

std::string frist_einsetzen(std::string zeile, Datum frist) {
  for (auto [muster, bild] : {std::pair{"»00.00.0000«", "dd.mm.yyyy"}, std::pair{"»00.00.00«", "dd.mm.yy"}}) {
    const std::string m = muster;
    for (auto pos = zeile.find(m); pos != std::string::npos; pos = zeile.find(m, pos))
      zeile.replace(pos, m.size(), "»" + DateToDateString(bild, frist) + "«");
  }
  return zeile;
}

}  // namespace fibu
