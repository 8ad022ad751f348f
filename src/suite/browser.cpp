#include "suite/browser.h"

#include <algorithm>
#include <cstdio>

namespace fibu {

Zeilenbrowser::Zeilenbrowser(std::string titel, std::vector<Browsereintrag> eintraege,
                             std::string kopf)
    : titel_(std::move(titel)), kopf_(std::move(kopf)), eintraege_(std::move(eintraege)) {
  std::stable_sort(eintraege_.begin(), eintraege_.end(),
                   [](const auto& a, const auto& b) { return a.schluessel < b.schluessel; });
}

Zeilenbrowser Zeilenbrowser::aus_zeilen(std::string titel, const std::vector<std::string>& zeilen) {
  std::vector<Browsereintrag> e;
  e.reserve(zeilen.size());
  for (std::size_t i = 0; i < zeilen.size(); ++i) {
    char k[24];
    std::snprintf(k, sizeof k, "%010zu", i);
    e.push_back({k, zeilen[i]});
  }
  return Zeilenbrowser(std::move(titel), std::move(e));
}

std::vector<Browsereintrag> Zeilenbrowser::ab(const std::string& ab, std::size_t n) {
  auto it = std::lower_bound(eintraege_.begin(), eintraege_.end(), ab,
                             [](const auto& e, const std::string& k) { return e.schluessel < k; });
  std::size_t rest = static_cast<std::size_t>(eintraege_.end() - it);
  return {it, it + static_cast<std::ptrdiff_t>(std::min(n, rest))};
}

std::vector<Browsereintrag> Zeilenbrowser::vor(const std::string& vor, std::size_t n) {
  auto it = std::lower_bound(eintraege_.begin(), eintraege_.end(), vor,
                             [](const auto& e, const std::string& k) { return e.schluessel < k; });
  std::size_t davor = static_cast<std::size_t>(it - eintraege_.begin());
  return {it - static_cast<std::ptrdiff_t>(std::min(n, davor)), it};
}

std::optional<Browsereintrag> winpicklist(Interaktion& ui, Tmybrowser& liste) {
  return ui.auswahl(liste);
}

}  // namespace fibu
