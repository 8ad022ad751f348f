#include "suite/raster.h"

namespace fibu {

Zeilentippen raster_zeile_tippen(Rasterformular& r, const std::vector<std::string>& werte,
                                 int ab_spalte) {
  const std::int64_t zeile = r.zeile();
  while (r.spalte() > ab_spalte)
    if (!r.zurueck()) return Zeilentippen::Abgelehnt;
  for (const auto& w : werte) {
    if (r.zeile() != zeile) return Zeilentippen::Uebrig;
    if (w != "~" && !r.eingabe(w)) return Zeilentippen::Abgelehnt;
    if (!r.weiter()) return Zeilentippen::Abgelehnt;
  }
  return r.zeile() != zeile ? Zeilentippen::Geschrieben : Zeilentippen::Unvollstaendig;
}

}  // namespace fibu
