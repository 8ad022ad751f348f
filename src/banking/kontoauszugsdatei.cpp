#include "banking/kontoauszugsdatei.h"

#include <cctype>
#include <cstdint>
#include <optional>

#include "banking/camt.h"
#include "suite/allgemei.h"
#include "suite/codepage.h"

namespace fibu {

namespace {

bool ist_ziffer(char c) {
  return c >= '0' && c <= '9';
}

// The sign decides the side. A line of nothing would become a split row of
// the statement table, so it is refused.
bool betrag_setzen(Auszugszeile& z, Betrag betrag) {
  if (betrag == 0) return false;
  (betrag < 0 ? z.soll : z.haben) = betrag < 0 ? -betrag : betrag;
  return true;
}

// --- T-Online CSV ---

constexpr std::size_t tonline_felder = 13;

// The fields of a line separated by ";". A field in double quotes may hold
// ";" and "" for a quote; nullopt for a quote that is not closed or text
// after a closing quote.
std::optional<std::vector<std::string>> csv_felder(std::string_view z) {
  std::vector<std::string> felder;
  std::size_t i = 0;
  const std::size_t n = z.size();
  while (true) {
    std::string feld;
    if (i < n && z[i] == '"') {
      bool geschlossen = false;
      for (++i; i < n;) {
        if (z[i] != '"') {
          feld += z[i++];
        } else if (i + 1 < n && z[i + 1] == '"') {
          feld += '"';
          i += 2;
        } else {
          ++i;
          geschlossen = true;
          break;
        }
      }
      if (!geschlossen) return std::nullopt;
      while (i < n && z[i] == ' ') ++i;
      if (i < n && z[i] != ';') return std::nullopt;
    } else {
      std::size_t ende = z.find(';', i);
      if (ende == std::string_view::npos) ende = n;
      feld = z.substr(i, ende - i);
      i = ende;
    }
    felder.push_back(std::move(feld));
    if (i >= n) break;
    ++i;  // the ";"
  }
  return felder;
}

std::string feld_oder_leer(const std::vector<std::string>& f, std::size_t i) {
  return i < f.size() ? trim(f[i]) : std::string();
}

}  // namespace

std::optional<Betrag> tonline_betrag(std::string_view feld) {
  Betrag wert = 0;
  int ziffern = 0;
  bool negativ = false;
  for (char c : feld) {
    if (ist_ziffer(c)) {
      // Beyond 15 digits it is no amount the books can hold.
      if (++ziffern > 15) return std::nullopt;
      wert = wert * 10 + (c - '0');
    } else if (c == '-') {
      negativ = true;
    } else if (c != '+' && c != '.' && c != ',' && c != ' ') {
      return std::nullopt;
    }
  }
  if (ziffern == 0) return std::nullopt;
  return negativ ? -wert : wert;
}

std::optional<Betrag> dezimalbetrag(std::string_view text, char trenner, bool trenner_noetig) {
  const std::size_t pos = text.find(trenner);
  if (trenner_noetig && pos == std::string_view::npos) return std::nullopt;
  const std::string_view ganz = text.substr(0, pos);
  std::string_view nach = pos == std::string_view::npos ? "" : text.substr(pos + 1);
  if (ganz.empty() || !nur_ziffern(ganz) || !nur_ziffern(nach)) return std::nullopt;
  while (nach.size() > 2 && nach.back() == '0') nach.remove_suffix(1);
  return betrag_aus_text(std::string(ganz) + "," + std::string(nach));
}

std::string angehaengt(const std::string& text, const std::string& teil) {
  if (teil.empty()) return text;
  return text.empty() ? teil : text + " " + teil;
}

std::string auszug_als_utf8(std::string_view daten) {
  // A well-formed UTF-8 file stays as it is; anything else is an old
  // Windows file.
  for (std::size_t i = 0; i < daten.size();) {
    const auto c = static_cast<unsigned char>(daten[i]);
    const std::size_t folge = c < 0x80             ? 0
                              : (c & 0xE0) == 0xC0 ? 1
                              : (c & 0xF0) == 0xE0 ? 2
                              : (c & 0xF8) == 0xF0 ? 3
                                                   : 4;
    if (folge > 3 || daten.size() - i <= folge) return nach_utf8(daten, Codepage::CP1252);
    for (std::size_t k = 1; k <= folge; ++k)
      if ((static_cast<unsigned char>(daten[i + k]) & 0xC0) != 0x80)
        return nach_utf8(daten, Codepage::CP1252);
    i += folge + 1;
  }
  return std::string(daten);
}

Auszugsdatei tonline_lesen(std::string_view daten) {
  Auszugsdatei d;
  for (const std::string& zeile : textzeilen(auszug_als_utf8(daten))) {
    if (trim(zeile).empty()) continue;
    const auto felder = csv_felder(zeile);
    std::vector<std::string> f = felder.value_or(std::vector<std::string>{});
    Fehlzeile fehl{feld_oder_leer(f, 0),  feld_oder_leer(f, 1),  feld_oder_leer(f, 5),
                   feld_oder_leer(f, 10), feld_oder_leer(f, 11), {}};
    if (!felder) {
      fehl.grund = "Anführungszeichen nicht geschlossen";
      d.abgelehnt.push_back(std::move(fehl));
      continue;
    }
    if (f.size() != tonline_felder) {
      fehl.grund = "Feldanzahl " + std::to_string(f.size()) + " statt 13";
      d.abgelehnt.push_back(std::move(fehl));
      continue;
    }
    Auszugszeile z;
    z.datum = DateStringToDate("dd.mm.yyyy", trim(f[5]));
    const auto betrag = tonline_betrag(f[10]);
    if (z.datum == kein_datum) {
      fehl.grund = "Buchungsdatum ungültig";
    } else if (!betrag) {
      fehl.grund = "Betrag ungültig";
    } else if (!betrag_setzen(z, *betrag)) {
      fehl.grund = "Betrag ist Null";
    }
    if (!fehl.grund.empty()) {
      d.abgelehnt.push_back(std::move(fehl));
      continue;
    }
    const std::string teil1 = trim(f[8]), teil2 = trim(f[9]);
    z.text = teil1.empty() || teil2.empty() ? teil1 + teil2 : teil1 + " " + teil2;
    if (d.kontonummer.empty()) d.kontonummer = trim(f[0]);
    d.zeilen.push_back(std::move(z));
    d.herkunft.push_back({trim(f[0]), trim(f[1]), trim(f[11])});
  }
  return d;
}

// --- MT940 ---

namespace {

// A field of the file: its tag ("61", "86", "NS", ...) and its lines.
struct Mt940Feld {
  std::string tag;
  std::vector<std::string> zeilen;
};

// ":61:", ":28C:", ":NS:" at the start of a line begin a field; a line "-"
// ends a statement; other lines continue the field before them.
std::vector<Mt940Feld> mt940_felder(const std::string& text) {
  std::vector<Mt940Feld> felder;
  bool im_feld = false;
  for (const std::string& zeile : textzeilen(text)) {
    std::size_t ende = zeile.size() > 1 && zeile[0] == ':' ? zeile.find(':', 1) : std::string::npos;
    const std::string tag = ende != std::string::npos ? zeile.substr(1, ende - 1) : "";
    const bool ist_tag = tag == "NS" || (tag.size() >= 2 && tag.size() <= 3 && ist_ziffer(tag[0]) &&
                                         ist_ziffer(tag[1]));
    if (ist_tag) {
      felder.push_back({tag, {zeile.substr(ende + 1)}});
      im_feld = true;
    } else if (trim(zeile) == "-") {
      im_feld = false;
    } else if (im_feld) {
      felder.back().zeilen.push_back(zeile);
    }
  }
  return felder;
}

// The year of a booking date given as day and month only: the year of the
// value date, or the next one when the booking month lies more than six
// months before the value month (booked in January, value date in
// December), or the previous one in the opposite case.
int buchungsjahr(int valuta_jahr, int valuta_monat, int buchungsmonat) {
  if (valuta_monat - buchungsmonat > 6) return valuta_jahr + 1;
  if (buchungsmonat - valuta_monat > 6) return valuta_jahr - 1;
  return valuta_jahr;
}

class Mt940Leser {
 public:
  explicit Mt940Leser(Auszugsformat variante) : variante_(variante) {}

  Auszugsdatei lesen(std::string_view daten) {
    for (const Mt940Feld& f : mt940_felder(auszug_als_utf8(daten))) {
      if (f.tag == "86" || f.tag == "NS") {
        // Purpose text belongs to the statement line just before it; after
        // another field it is the statement's own and not read.
        if (offen_ && f.tag == (variante_ == Auszugsformat::Swift ? "86" : "NS")) zweck(f);
        continue;
      }
      abschliessen();
      const std::string wert = f.zeilen.front();
      if (f.tag == "25") {
        d_.kontonummer = trim(wert);
        const std::size_t strich = d_.kontonummer.find('/');
        herkunft_.blz = strich == std::string::npos ? "" : d_.kontonummer.substr(0, strich);
        herkunft_.konto = d_.kontonummer.substr(strich == std::string::npos ? 0 : strich + 1);
      } else if (f.tag == "28C" || f.tag == "28") {
        d_.auszugsnummer = trim(wert);
      } else if (f.tag == "60F" || f.tag == "60M") {
        if (wert.size() >= 10) herkunft_.waehrung = wert.substr(7, 3);
      } else if (f.tag == "61") {
        umsatz(wert);
      }
    }
    abschliessen();
    return std::move(d_);
  }

 private:
  void ablehnen(const std::string& datum, const std::string& betrag, const std::string& grund) {
    d_.abgelehnt.push_back(
        {herkunft_.konto, herkunft_.blz, datum, betrag, herkunft_.waehrung, grund});
  }

  // ":61:" value date YYMMDD, booking date MMDD (optional), mark C, D, RC
  // or RD, funds code letter (optional), amount up to the transaction type.
  void umsatz(const std::string& s) {
    const Datum valuta = s.size() >= 6 ? DateStringToDate("yymmdd", s.substr(0, 6)) : kein_datum;
    if (valuta == kein_datum) return ablehnen(s.substr(0, 6), "", "Valutadatum ungültig");
    Auszugszeile z;
    z.valuta = z.datum = valuta;
    std::size_t pos = 6;
    if (s.size() >= 10 && nur_ziffern(s.substr(6, 4))) {
      const int monat = std::stoi(s.substr(6, 2)), tag = std::stoi(s.substr(8, 2));
      z.datum = DMYtoDate(tag, monat, buchungsjahr(jahr_von(valuta), monat_von(valuta), monat));
      if (z.datum == kein_datum) return ablehnen(s.substr(6, 4), "", "Buchungsdatum ungültig");
      pos = 10;
    }
    const std::string datum = DateToDateString("dd.mm.yyyy", z.datum);
    // A reversal books the other way round: RC takes back a credit and is a
    // debit, RD takes back a debit and is a credit.
    const bool storno =
        pos + 1 < s.size() && s[pos] == 'R' && (s[pos + 1] == 'C' || s[pos + 1] == 'D');
    if (storno) ++pos;
    if (pos >= s.size() || (s[pos] != 'C' && s[pos] != 'D'))
      return ablehnen(datum, "", "Soll/Haben-Kennzeichen ungültig");
    const bool haben = (s[pos] == 'C') != storno;
    ++pos;
    if (pos < s.size() && !ist_ziffer(s[pos]) && s[pos] != ',') ++pos;
    const std::size_t ende = s.find_first_not_of("0123456789,", pos);
    const std::string text =
        s.substr(pos, ende == std::string::npos ? std::string::npos : ende - pos);
    const auto betrag = dezimalbetrag(text, ',', true);
    if (!betrag || ende == std::string::npos ||
        (s[ende] != 'N' && s[ende] != 'F' && s[ende] != 'S')) {
      d_.meldungen.push_back("Betrag ungültig: " + s);
      return ablehnen(datum, text, "Betrag ungültig");
    }
    if (!betrag_setzen(z, haben ? *betrag : -*betrag))
      return ablehnen(datum, text, "Betrag ist Null");
    offen_ = std::move(z);
  }

  void zweck(const Mt940Feld& f) {
    Auszugszeile& z = *offen_;
    if (variante_ == Auszugsformat::MultiCash) {
      // Each line: a two-digit code and its text.
      for (const std::string& zeile : f.zeilen) {
        if (zeile.size() < 2 || !nur_ziffern(zeile.substr(0, 2))) continue;
        const int code = std::stoi(zeile.substr(0, 2));
        const std::string teil = trim(zeile.substr(2));
        if (code >= 1 && code <= 14) z.text = angehaengt(z.text, teil);
        if (code == 15) z.name = angehaengt(z.name, teil);
      }
      return;
    }
    // The line breaks of ":86:" are no part of its content.
    std::string wert;
    for (const std::string& zeile : f.zeilen) wert += zeile;
    if (wert.find('?') == std::string::npos) {
      z.text = angehaengt(z.text, trim(wert));
      return;
    }
    for (std::size_t pos = wert.find('?'); pos != std::string::npos;) {
      std::size_t naechster = pos + 1;
      while ((naechster = wert.find('?', naechster)) != std::string::npos &&
             !(naechster + 2 < wert.size() && ist_ziffer(wert[naechster + 1]) &&
               ist_ziffer(wert[naechster + 2])))
        ++naechster;
      if (pos + 2 < wert.size() && ist_ziffer(wert[pos + 1]) && ist_ziffer(wert[pos + 2])) {
        const int code = std::stoi(wert.substr(pos + 1, 2));
        const std::size_t ende = naechster == std::string::npos ? wert.size() : naechster;
        const std::string teil = trim(wert.substr(pos + 3, ende - pos - 3));
        if ((code >= 20 && code <= 29) || (code >= 60 && code <= 63)) {
          z.text = angehaengt(z.text, teil);
          if (teil.starts_with("EREF+") && z.referenz.empty() && teil != "EREF+NOTPROVIDED")
            z.referenz = trim(teil.substr(5));
        } else if (code == 32 || code == 33) {
          z.name = angehaengt(z.name, teil);
        } else if (code == 31 && teil.size() > 4 &&
                   std::isalpha(static_cast<unsigned char>(teil[0])) &&
                   std::isalpha(static_cast<unsigned char>(teil[1]))) {
          z.iban = teil;  // the other party's IBAN; an old account number is not kept
        }
      }
      pos = naechster;
    }
  }

  void abschliessen() {
    if (!offen_) return;
    d_.zeilen.push_back(std::move(*offen_));
    d_.herkunft.push_back(herkunft_);
    offen_.reset();
  }

  Auszugsformat variante_;
  Auszugsdatei d_;
  Zeilenherkunft herkunft_;
  std::optional<Auszugszeile> offen_;
};

}  // namespace

Auszugsdatei mt940_lesen(std::string_view daten, Auszugsformat variante) {
  return Mt940Leser(variante).lesen(daten);
}

Auszugsdatei auszugsdatei_lesen(Auszugsformat format, std::string_view daten) {
  switch (format) {
    case Auszugsformat::TOnline:
      return tonline_lesen(daten);
    case Auszugsformat::MultiCash:
    case Auszugsformat::Swift:
      return mt940_lesen(daten, format);
    case Auszugsformat::Camt:
      return camt_lesen(daten);
  }
  return {};
}

}  // namespace fibu
