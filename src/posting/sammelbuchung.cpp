#include "posting/sammelbuchung.h"

#include "frame/mandant.h"
#include "posting/buchen.h"

namespace fibu {

std::optional<Abgelehnt> alle_pruefen(Buchungskern& kern, std::vector<Satz>& buchungen) {
  for (std::size_t i = 0; i < buchungen.size(); ++i)
    if (const int code = kern.buchung_pruefen(buchungen[i], false); code != 0)
      return Abgelehnt{i, code};
  return std::nullopt;
}

bool alle_buchen(Mandant& m, Buchungskern& kern, const std::vector<Satz>& buchungen,
                 std::size_t* geschrieben) {
  auto& bu = *m.buchung;
  const Gesamtsicht gesamt(bu);
  Buchungslauf lauf(kern);
  bool ok = lauf.ok();
  std::int64_t n = bu.letzte_buchung() + 1;
  std::size_t i = 0;
  for (; ok && i < buchungen.size(); ++i) {
    bu.satz() = buchungen[i];
    ok = kern.buchen(n++) && lauf.ok();
  }
  if (geschrieben) *geschrieben = ok ? i : i - 1;
  return ok && (lauf.ende() || lauf.festgeschrieben());
}

}  // namespace fibu
