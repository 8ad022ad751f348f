#include "suite/betrag.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>

namespace fibu {
namespace {

// Exact quotient a / b rounded to the nearest integer, halves to even.
std::int64_t teile_gerade(__int128 a, __int128 b) {
  if (b < 0) {
    a = -a;
    b = -b;
  }
  __int128 q = a / b;
  __int128 r = a % b;  // same sign as a
  __int128 doppelt = 2 * (r < 0 ? -r : r);
  if (doppelt > b || (doppelt == b && (q % 2 != 0))) q += (a < 0) ? -1 : 1;
  return static_cast<std::int64_t>(q);
}

struct Maskenform {
  int stellen = 0;         // digit places before the decimal separator
  int nachkomma = 0;       // digit places after it
  char dezimal = 0;        // 0: none
  char gruppe = 0;         // 0: no grouping
  std::size_t breite = 0;  // characters of the mask
};

Maskenform lies_maske(std::string_view maske) {
  Maskenform f;
  f.breite = maske.size();
  std::size_t punkte = 0, kommas = 0, letzter_punkt = 0, letztes_komma = 0;
  for (std::size_t i = 0; i < maske.size(); ++i) {
    if (maske[i] == '.') ++punkte, letzter_punkt = i;
    if (maske[i] == ',') ++kommas, letztes_komma = i;
  }
  std::size_t dez_pos = std::string_view::npos;
  if (punkte && kommas) {
    bool komma_dezimal = letztes_komma > letzter_punkt;
    f.dezimal = komma_dezimal ? ',' : '.';
    f.gruppe = komma_dezimal ? '.' : ',';
    dez_pos = komma_dezimal ? letztes_komma : letzter_punkt;
  } else if (punkte == 1 || kommas == 1) {
    f.dezimal = punkte ? '.' : ',';
    dez_pos = punkte ? letzter_punkt : letztes_komma;
  } else if (punkte > 1 || kommas > 1) {
    f.gruppe = punkte ? '.' : ',';
  }
  for (std::size_t i = 0; i < maske.size(); ++i) {
    if (maske[i] != '#') continue;
    if (dez_pos != std::string_view::npos && i > dez_pos)
      ++f.nachkomma;
    else
      ++f.stellen;
  }
  return f;
}

std::int64_t zehnerpotenz(int n) {
  std::int64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

}  // namespace

std::int64_t rund(long double wert) {
  constexpr long double grenze = 9.2e18L;
  if (std::isnan(wert)) return 0;
  if (wert >= grenze) return std::numeric_limits<std::int64_t>::max();
  if (wert <= -grenze) return std::numeric_limits<std::int64_t>::min();
  // nearbyintl rounds in the current mode; make sure it is to-nearest-even.
  int alt = std::fegetround();
  if (alt != FE_TONEAREST) std::fesetround(FE_TONEAREST);
  long double r = std::nearbyintl(wert);
  if (alt != FE_TONEAREST) std::fesetround(alt);
  return static_cast<std::int64_t>(r);
}

Betrag dm2euro(Betrag dm_cent) {
  return teile_gerade(static_cast<__int128>(dm_cent) * 100000, 195583);
}

Betrag euro2dm(Betrag euro_cent) {
  return teile_gerade(static_cast<__int128>(euro_cent) * 195583, 100000);
}

std::string format_maske(std::int64_t wert, int nachkomma, std::string_view maske) {
  Maskenform f = lies_maske(maske);
  // Bring the value to the mask's decimals.
  __int128 v = wert;
  if (f.nachkomma > nachkomma) {
    v *= zehnerpotenz(f.nachkomma - nachkomma);
  } else if (f.nachkomma < nachkomma) {
    v = teile_gerade(v, zehnerpotenz(nachkomma - f.nachkomma));
  }
  bool negativ = v < 0;
  unsigned __int128 betrag =
      negativ ? static_cast<unsigned __int128>(-v) : static_cast<unsigned __int128>(v);

  std::string ziffern;
  do {
    ziffern.insert(ziffern.begin(), static_cast<char>('0' + static_cast<int>(betrag % 10)));
    betrag /= 10;
  } while (betrag != 0);
  while (static_cast<int>(ziffern.size()) < f.nachkomma + 1) ziffern.insert(ziffern.begin(), '0');

  std::string ganz = ziffern.substr(0, ziffern.size() - static_cast<size_t>(f.nachkomma));
  std::string nach = ziffern.substr(ziffern.size() - static_cast<size_t>(f.nachkomma));
  std::string text;
  if (f.gruppe) {
    for (std::size_t i = 0; i < ganz.size(); ++i) {
      if (i > 0 && (ganz.size() - i) % 3 == 0) text.push_back(f.gruppe);
      text.push_back(ganz[i]);
    }
  } else {
    text = ganz;
  }
  if (f.nachkomma > 0) {
    text.push_back(f.dezimal);
    text += nach;
  }
  if (negativ) text.insert(text.begin(), '-');
  if (text.size() < f.breite) text.insert(text.begin(), f.breite - text.size(), ' ');
  return text;
}

std::string format_betrag(Betrag cent, std::string_view maske) {
  return format_maske(cent, 2, maske);
}

std::string betrag_text(Betrag cent) {
  std::string s = format_maske(cent, 2, "###.###.###.###.###.###,##");
  return s.substr(s.find_first_not_of(' '));
}

std::string zahl_anzeige(std::int64_t wert, int nachkomma, std::string_view maske, bool tausender) {
  // A mask counts its places with '#' (or '9', as some entry fields write it).
  std::string plaetze(maske);
  for (char& c : plaetze)
    if (c == '9') c = '#';
  const int stellen = maske.empty() ? nachkomma : lies_maske(plaetze).nachkomma;
  std::string deutsch = tausender ? "###.###.###.###.###.###" : "##################";
  if (stellen > 0) deutsch += "," + std::string(static_cast<std::size_t>(stellen), '#');
  std::string s = format_maske(wert, nachkomma, deutsch);
  return s.substr(s.find_first_not_of(' '));
}

std::optional<std::int64_t> zahl_aus_text(std::string_view text, int nachkomma) {
  if (nachkomma < 0 || nachkomma > 9) return std::nullopt;
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return 0;

  bool negativ = false;
  if (text.front() == '-' || text.front() == '+') {
    negativ = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;

  std::size_t punkte = 0, kommas = 0;
  for (char c : text) {
    if (c == '.')
      ++punkte;
    else if (c == ',')
      ++kommas;
    else if (c < '0' || c > '9')
      return std::nullopt;
  }
  // With a comma, it is the decimal separator and every point groups
  // thousands ("1.234,56"); without one, a single point is the decimal
  // separator ("1234.56"). Anything else is no number.
  if (kommas > 1 || (kommas == 0 && punkte > 1)) return std::nullopt;
  const char dezimal = kommas ? ',' : '.';
  const char gruppe = kommas && punkte ? '.' : 0;
  const std::size_t dez = text.find(dezimal);

  std::string_view ganz = text.substr(0, dez == std::string_view::npos ? text.size() : dez);
  std::string_view nach = dez == std::string_view::npos ? std::string_view() : text.substr(dez + 1);
  if (nach.find('.') != std::string_view::npos) return std::nullopt;
  if (gruppe) {
    // A first group of one to three digits, then groups of exactly three.
    std::size_t erste = ganz.find(gruppe);
    if (erste == 0 || erste > 3 || (ganz.size() - erste) % 4 != 0) return std::nullopt;
    for (std::size_t i = 0; i < ganz.size(); ++i) {
      bool trennstelle = i >= erste && (i - erste) % 4 == 0;
      if ((ganz[i] == gruppe) != trennstelle) return std::nullopt;
    }
  }
  if (static_cast<int>(nach.size()) > nachkomma) return std::nullopt;

  // At most 18 digits in all keep the value inside int64.
  const int hoechstens = std::min(15, 18 - nachkomma);
  std::int64_t wert = 0;
  int ziffern = 0;
  for (char c : ganz) {
    if (c == gruppe) continue;
    if (++ziffern > hoechstens) return std::nullopt;
    wert = wert * 10 + (c - '0');
  }
  if (ziffern == 0 && nach.empty()) return std::nullopt;
  for (int i = 0; i < nachkomma; ++i)
    wert = wert * 10 + (i < static_cast<int>(nach.size()) ? nach[static_cast<size_t>(i)] - '0' : 0);
  return negativ ? -wert : wert;
}

std::optional<Betrag> betrag_aus_text(std::string_view text) {
  return zahl_aus_text(text, 2);
}

}  // namespace fibu
