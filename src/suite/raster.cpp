#include "suite/raster.h"

namespace fibu {

bool raster_zeile_tippen(Rasterformular& r, const std::vector<std::string>& werte, int ab_spalte) {
  const std::int64_t zeile = r.zeile();
  while (r.spalte() > ab_spalte)
    if (!r.zurueck()) return false;
  for (const auto& w : werte) {
    if (r.zeile() != zeile) return false;  // more values than the row takes
    if (w != "~" && !r.eingabe(w)) return false;
    if (!r.weiter()) return false;
  }
  return r.zeile() != zeile;
}

}  // namespace fibu
