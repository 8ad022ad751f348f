#include "store/kontenbereiche.h"

#include <cstdio>

#include "store/parametersaetze.h"
#include "suite/allgemei.h"

namespace fibu {
namespace {

using F = BasisFelder;

std::string aufgefuellt(std::int32_t nummer, int laenge) {
  std::string s = std::to_string(nummer);
  if (static_cast<int>(s.size()) < laenge)
    s.insert(0, static_cast<std::size_t>(laenge) - s.size(), '0');
  return s;
}

}  // namespace

std::int32_t kontowert(const std::string& text) {
  std::string t = trim(text);
  if (t.empty() || t.size() > 9) return 0;
  std::int32_t wert = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return 0;
    wert = wert * 10 + (c - '0');
  }
  return wert;
}

bool ist_sachkonto(const Satz& b, const std::string& konto) {
  std::int32_t n = kontowert(konto);
  return n >= b.get(F::SachVon) && n <= b.get(F::SachBis);
}

bool ist_debitor(const Satz& b, const std::string& konto) {
  std::int32_t n = kontowert(konto);
  return n >= b.get(F::DebitorVon) && n <= b.get(F::DebitorBis);
}

bool ist_kreditor(const Satz& b, const std::string& konto) {
  std::int32_t n = kontowert(konto);
  return n >= b.get(F::KreditorVon) && n <= b.get(F::KreditorBis);
}

bool ist_sammelkonto(const Satz& b, const std::string& konto) {
  std::int32_t n = kontowert(konto);
  if (n == 0) return false;
  for (int i = 1; i <= 40; ++i)
    if (b.get(F::forderungskonto(i)) == n || b.get(F::verbindlichkeitskonto(i)) == n) return true;
  return false;
}

bool ist_steuerkonto(const Satz& b, std::int32_t nummer) {
  if (nummer == 0) return false;
  for (int k = 1; k <= 40; ++k)
    if (b.get(F::steuerkonto(k)) == nummer) return true;
  return false;
}

bool ist_sonderkonto(const Satz& b, const std::string& konto) {
  return ist_sammelkonto(b, konto) || ist_steuerkonto(b, kontowert(konto));
}

std::string sammelkonto_anzeige(const Satz& b, const std::string& konto, int i) {
  if (i < 1 || i > 40) return "";
  if (ist_debitor(b, konto)) return "Forderungskonto " + std::to_string(b.get(F::forderungskonto(i)));
  if (ist_kreditor(b, konto))
    return "Verbindlichkeitskonto " + std::to_string(b.get(F::verbindlichkeitskonto(i)));
  return "";
}

std::string vierstellig(std::int32_t nummer) {
  char puffer[16];
  std::snprintf(puffer, sizeof puffer, "%04d", static_cast<int>(nummer));
  return puffer;
}

std::string sachkonto_text(const Satz& b, std::int32_t nummer) {
  return aufgefuellt(nummer, b.get(F::SachLaenge));
}

std::string personenkonto_text(const Satz& b, std::int32_t nummer) {
  return aufgefuellt(nummer, b.get(F::PersonenLaenge));
}

int stellen(std::int32_t zahl) {
  int n = 1;
  while (zahl >= 10) {
    zahl /= 10;
    ++n;
  }
  return n;
}

}  // namespace fibu
