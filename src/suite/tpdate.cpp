#include "suite/tpdate.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace fibu {
namespace {

namespace chr = std::chrono;

constexpr chr::sys_days epoche = chr::sys_days(chr::year(1900) / 1 / 1) - chr::days(1);

bool ziffer(char c) {
  return c >= '0' && c <= '9';
}

// Reads exactly n digits at text[pos]; -1 when they are not all digits.
int ziffern(std::string_view text, std::size_t pos, std::size_t n) {
  if (pos + n > text.size()) return -1;
  int wert = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (!ziffer(text[pos + i])) return -1;
    wert = wert * 10 + (text[pos + i] - '0');
  }
  return wert;
}

int jahrhundert_ergaenzen(int yy) {
  return yy < 80 ? 2000 + yy : 1900 + yy;
}

}  // namespace

bool schaltjahr(int jahr) {
  return chr::year(jahr).is_leap();
}

int tage_im_monat(int monat, int jahr) {
  if (monat < 1 || monat > 12) return 0;
  return static_cast<int>(static_cast<unsigned>(
      (chr::year(jahr) / chr::month(static_cast<unsigned>(monat)) / chr::last).day()));
}

Datum DMYtoDate(int tag, int monat, int jahr) {
  if (jahr < 1900 || jahr > 2079 || monat < 1 || monat > 12 || tag < 1 || tag > 31)
    return kein_datum;
  chr::year_month_day ymd{chr::year(jahr), chr::month(static_cast<unsigned>(monat)),
                          chr::day(static_cast<unsigned>(tag))};
  if (!ymd.ok()) return kein_datum;
  auto nummer = (chr::sys_days(ymd) - epoche).count();
  if (nummer < erstes_datum || nummer > letztes_datum) return kein_datum;
  return static_cast<Datum>(nummer);
}

void DateToDMY(Datum datum, int& tag, int& monat, int& jahr) {
  if (datum == kein_datum) {
    tag = monat = jahr = 0;
    return;
  }
  chr::year_month_day ymd{epoche + chr::days(datum)};
  tag = static_cast<int>(static_cast<unsigned>(ymd.day()));
  monat = static_cast<int>(static_cast<unsigned>(ymd.month()));
  jahr = static_cast<int>(ymd.year());
}

int jahr_von(Datum datum) {
  int t, m, j;
  DateToDMY(datum, t, m, j);
  return j;
}

int monat_von(Datum datum) {
  int t, m, j;
  DateToDMY(datum, t, m, j);
  return m;
}

int tag_von(Datum datum) {
  int t, m, j;
  DateToDMY(datum, t, m, j);
  return t;
}

std::string DateToDateString(std::string_view bild, Datum datum) {
  int tag, monat, jahr;
  DateToDMY(datum, tag, monat, jahr);
  bool leer = datum == kein_datum;
  std::string aus;
  auto zahl = [&](int wert, int stellen) {
    if (leer) {
      aus.append(static_cast<size_t>(stellen), ' ');
      return;
    }
    char puffer[8];
    std::snprintf(puffer, sizeof puffer, "%0*d", stellen, wert);
    aus += puffer;
  };
  for (std::size_t i = 0; i < bild.size();) {
    std::string_view rest = bild.substr(i);
    if (rest.starts_with("yyyy")) {
      zahl(jahr, 4);
      i += 4;
    } else if (rest.starts_with("yy")) {
      zahl(jahr % 100, 2);
      i += 2;
    } else if (rest.starts_with("dd")) {
      zahl(tag, 2);
      i += 2;
    } else if (rest.starts_with("mm")) {
      zahl(monat, 2);
      i += 2;
    } else {
      aus.push_back(bild[i]);
      ++i;
    }
  }
  return aus;
}

Datum DateStringToDate(std::string_view bild, std::string_view text) {
  int tag = -1, monat = -1, jahr = -1;
  std::size_t pos = 0;
  for (std::size_t i = 0; i < bild.size();) {
    std::string_view rest = bild.substr(i);
    if (rest.starts_with("yyyy")) {
      jahr = ziffern(text, pos, 4);
      pos += 4;
      i += 4;
    } else if (rest.starts_with("yy")) {
      int yy = ziffern(text, pos, 2);
      jahr = yy < 0 ? -1 : jahrhundert_ergaenzen(yy);
      pos += 2;
      i += 2;
    } else if (rest.starts_with("dd")) {
      tag = ziffern(text, pos, 2);
      pos += 2;
      i += 2;
    } else if (rest.starts_with("mm")) {
      monat = ziffern(text, pos, 2);
      pos += 2;
      i += 2;
    } else {
      if (pos >= text.size() || text[pos] != bild[i]) return kein_datum;
      ++pos;
      ++i;
    }
  }
  if (pos != text.size() || tag < 0 || monat < 0 || jahr < 0) return kein_datum;
  return DMYtoDate(tag, monat, jahr);
}

std::optional<Datum> datum_aus_eingabe(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return kein_datum;

  int teile[3] = {-1, -1, -1};
  std::size_t laengen[3] = {0, 0, 0};
  if (text.find('.') != std::string_view::npos) {
    // d.m.y with one or two digit day and month, two or four digit year.
    std::size_t teil = 0;
    for (char c : text) {
      if (c == '.') {
        if (++teil > 2) return std::nullopt;
      } else if (ziffer(c)) {
        if (++laengen[teil] > 4) return std::nullopt;
        teile[teil] = (teile[teil] < 0 ? 0 : teile[teil]) * 10 + (c - '0');
      } else {
        return std::nullopt;
      }
    }
    if (teil != 2 || laengen[0] < 1 || laengen[0] > 2 || laengen[1] < 1 || laengen[1] > 2)
      return std::nullopt;
    if (laengen[2] == 2)
      teile[2] = jahrhundert_ergaenzen(teile[2]);
    else if (laengen[2] != 4)
      return std::nullopt;
  } else if (text.size() == 6 || text.size() == 8) {
    teile[0] = ziffern(text, 0, 2);
    teile[1] = ziffern(text, 2, 2);
    teile[2] = ziffern(text, 4, text.size() - 4);
    if (teile[0] < 0 || teile[1] < 0 || teile[2] < 0) return std::nullopt;
    if (text.size() == 6) teile[2] = jahrhundert_ergaenzen(teile[2]);
  } else {
    return std::nullopt;
  }
  Datum d = DMYtoDate(teile[0], teile[1], teile[2]);
  if (d == kein_datum) return std::nullopt;
  return d;
}

std::string datum_sortiertext(Datum datum) {
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string aus(4, '0');
  for (int i = 3; i >= 0; --i) {
    aus[static_cast<size_t>(i)] = hex[datum & 0xF];
    datum = static_cast<Datum>(datum >> 4);
  }
  return aus;
}

std::optional<Datum> datum_aus_sortiertext(std::string_view text) {
  if (text.size() != 4) return std::nullopt;
  unsigned wert = 0;
  for (char c : text) {
    unsigned ziffer_wert;
    if (c >= '0' && c <= '9')
      ziffer_wert = static_cast<unsigned>(c - '0');
    else if (c >= 'A' && c <= 'F')
      ziffer_wert = static_cast<unsigned>(c - 'A' + 10);
    else
      return std::nullopt;
    wert = wert * 16 + ziffer_wert;
  }
  return static_cast<Datum>(wert);
}

Datum Tagesdatum::Today() const {
  if (fest_) return *fest_;
  std::time_t jetzt = std::time(nullptr);
  std::tm lokal{};
  localtime_r(&jetzt, &lokal);
  return DMYtoDate(lokal.tm_mday, lokal.tm_mon + 1, lokal.tm_year + 1900);
}

}  // namespace fibu
