#include "exchange/datev_traeger.h"

#include <algorithm>
#include <cstdlib>

#include "suite/allgemei.h"
#include "suite/codepage.h"

namespace fibu {

namespace {

// Field marks of the records.
constexpr char satzende = 'y', datenende = 'z';
constexpr char textende = '\x1C';
constexpr char feld_beleg = '\xBD', feld_faellig = '\xBE', feld_kost = '\xBB', feld_egid = '\xBA',
               feld_waehrung = '\xB3', feld_text = '\x1E';

bool erweitert(const DatevKopf& k) {
  return k.variante == DatevVariante::Erweitert;
}

std::string ddmmyy(Datum d) {
  return DateToDateString("ddmmyy", d);
}

// Text of a field in the Windows code page. A byte that the carrier uses
// as a field mark would end the field early and make the rest of the
// record unreadable, so it becomes a blank.
std::string feldtext(std::string_view utf8) {
  std::string t = von_utf8(utf8, Codepage::CP1252);
  for (char& c : t) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0xB3 || u == 0xB5 || u == 0xB6 || u == 0xBA || u == 0xBB || u == 0xBD ||
        u == 0xBE)
      c = ' ';
  }
  return t;
}

// Whole cents; the basic variant writes ten digits.
std::string ziffern(const DatevKopf& k, Betrag b) {
  const std::string z = std::to_string(b < 0 ? -b : b);
  return erweitert(k) ? z : std::string(z.size() < 10 ? 10 - z.size() : 0, '0') + z;
}

std::string betrag(const DatevKopf& k, Betrag b) {
  return (b < 0 ? "-" : "+") + ziffern(k, b);
}

std::string waehrung(const DatevKopf& k) {
  return std::string(1, feld_waehrung) + (k.euro ? "EUR" : "DEM") + textende;
}

std::string wort(unsigned wert) {
  return {static_cast<char>(wert & 0xFF), static_cast<char>((wert >> 8) & 0xFF)};
}

// n with leading zeros in `breite` digits.
std::string nullen(long n, std::size_t breite) {
  const std::string z = std::to_string(n);
  return z.size() >= breite ? z : std::string(breite - z.size(), '0') + z;
}

std::string zweistellig(int n) {
  return nullen(n % 100, 2);
}

std::string datumsfeld(const DatevKopf& k) {
  return k.namen ? space(16) : "0000" + ddmmyy(k.von) + ddmmyy(k.bis);
}

std::string anwendung(const DatevKopf& k) {
  return k.namen ? "13" : "11";
}

std::string abrechnung(const DatevKopf& k) {
  return (k.namen ? std::string("0099") : k.abrechnungsnummer) + zweistellig(k.jahr);
}

std::string versionsteil(const DatevKopf& k) {
  const std::string l = std::to_string(k.kontolaenge);
  return "1," + l + "," + l + ",ZEVO";
}

}  // namespace

Ergebnis DatevBloecke::satz(std::string_view bytes) {
  if (block_.size() + bytes.size() > nutzlaenge) {
    if (Ergebnis e = block_schreiben(); !e) return e;
  }
  block_.append(bytes);
  return Ergebnis::erfolg();
}

Ergebnis DatevBloecke::ende() {
  return block_.empty() ? Ergebnis::erfolg() : block_schreiben();
}

Ergebnis DatevBloecke::block_schreiben() {
  const auto z = block_.rfind(datenende);
  if (z != std::string::npos) z_position_ = static_cast<int>(z);
  std::string block = block_;
  block.resize(blockgroesse, '\0');
  block_.clear();
  ++bloecke_;
  return schreiben_(block);
}

std::string datev_kopfsatz(const DatevKopf& k) {
  std::string s = "\x1D\x18";
  s += "1" + padcut("1", 3) + anwendung(k) + k.dfv + k.berater + k.mandant + abrechnung(k);
  if (!k.namen) s += ddmmyy(k.von) + ddmmyy(k.bis) + "001";
  s += k.passwort + space(16) + space(16) + satzende;
  return s;
}

std::string datev_versionssatz(const DatevKopf& k) {
  return std::string(1, k.namen ? '\xB6' : '\xB5') + versionsteil(k) + textende + satzende;
}

std::string datev_saldensatz(const DatevKopf& k, Betrag saldo, const std::string& gegenkonto,
                             const std::string& konto) {
  std::string s = betrag(k, saldo) + "a" + gegenkonto + "d" + ddmmyy(k.bis).substr(0, 4) + "e" +
                  trim(kopy(konto, 1, 9));
  if (erweitert(k)) {
    s += waehrung(k);
  } else {
    // Euro books of a year ending in the changeover years say so.
    if (k.euro && k.bis >= DMYtoDate(1, 1, 1999) && k.bis <= DMYtoDate(31, 12, 2001)) s += "o1";
  }
  return s + satzende;
}

std::string datev_namenssatz(const std::string& konto, const std::string& name) {
  return "t" + konto + feld_text + feldtext(kopy(name, 1, 40)) + textende + satzende;
}

std::string datev_buchungssatz(const DatevKopf& k, const DatevBuchung& b, bool faelligkeit) {
  std::string s = betrag(k, b.betrag);
  if (b.steuerschluessel != 0) s += "l" + zweistellig(b.steuerschluessel);
  s += "a" + kopy(b.gegenkonto, 1, 9);
  s += feld_beleg + kopy(b.belegnr, 1, 12) + textende;
  if (faelligkeit && b.faellig != kein_datum) s += feld_faellig + ddmmyy(b.faellig) + textende;
  // The account whole: its first five digits would name another account.
  s += "d" + ddmmyy(b.datum).substr(0, 4) + "e" + trim(kopy(b.konto, 1, 9));
  if (!b.kostenstelle.empty()) s += feld_kost + feldtext(b.kostenstelle) + textende;
  s += feld_text + feldtext(kopy(b.text, 1, 30)) + textende;
  if (!b.egid.empty()) s += feld_egid + feldtext(kopy(b.egid, 1, 15)) + textende;
  if (erweitert(k)) s += waehrung(k);
  return s + satzende;
}

std::string datev_endesatz(const DatevKopf& k, Betrag summe) {
  if (k.namen) return std::string(1, datenende);
  return (summe < 0 ? "w" : "x") + ziffern(k, summe) + satzende + datenende;
}

std::string datev_steuerdatei(const DatevKopf& k, int bloecke, int z_position) {
  if (erweitert(k)) {
    const std::string eins =
        padcut("1", 3) + space(3) + k.berater + k.beratername + " " + "00001" + "00001" + space(95);
    const std::string zwei = "V" + std::string("00001") + anwendung(k) + k.dfv + k.berater +
                             k.mandant + abrechnung(k) + datumsfeld(k) + "001" + k.passwort +
                             nullen(bloecke, 5) + "001 1" + versionsteil(k) + space(4) + space(53);
    return eins + "\r\n" + zwei + "\r\n";
  }
  // The first record has the adviser's number as typed, blank-filled.
  const std::string berater =
      k.berater.substr(std::min(k.berater.find_first_not_of('0'), k.berater.size()));
  const std::string eins =
      padcut("1", 6) + padcut(berater, 7) + k.beratername + " " + wort(1) + wort(1) + space(37);
  const std::string zwei = "V" + wort(1) + anwendung(k) + k.dfv + k.berater + k.mandant +
                           abrechnung(k) + datumsfeld(k) + "001" + k.passwort +
                           wort(static_cast<unsigned>(bloecke)) +
                           wort(static_cast<unsigned>(z_position)) + wort(1) + space(9) + "1";
  return eins + zwei;
}

std::string datev_datendatei(DatevVariante v) {
  return v == DatevVariante::Erweitert ? "ED00001" : "DE001";
}

std::string datev_steuerdateiname(DatevVariante v) {
  return v == DatevVariante::Erweitert ? "EV01" : "DV01";
}

Belegnummer datev_traeger_belegnummer(DatevVariante v, const std::string& belegnr) {
  Belegnummer b;
  if (!nur_ziffern(belegnr)) {
    b.grund = "!!! Belegnummer >" + belegnr + "< nicht numerisch, Buchung wird nicht uebergeben!";
    return b;
  }
  const std::size_t stellen = v == DatevVariante::Erweitert ? 12 : 6;
  b.gekuerzt = belegnr.size() > stellen;
  b.nummer = b.gekuerzt ? belegnr.substr(belegnr.size() - stellen) : belegnr;
  return b;
}

}  // namespace fibu
