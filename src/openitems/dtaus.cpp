#include "openitems/dtaus.h"

#include <cctype>

#include "openitems/zeichensatz.h"
#include "suite/allgemei.h"

namespace fibu {

namespace {

std::string nullen(std::int64_t n, std::size_t breite) {
  const std::string z = std::to_string(n < 0 ? -n : n);
  return z.size() >= breite ? z.substr(z.size() - breite) : std::string(breite - z.size(), '0') + z;
}

std::string datum6(Datum d) {
  return DateToDateString("ddmmyy", d);
}

// The second and every further section of a record are filled to 128.
std::string abschnitte(std::string s) {
  s.resize((s.size() + 127) / 128 * 128, ' ');
  return s;
}

}  // namespace

std::string dtaus_text(std::string_view utf8, std::size_t breite) {
  // DIN 66003 puts Ä, Ö, Ü and ß at "[", "\", "]" and "~".
  static const std::string_view deutsch[7] = {"[", "[", "\\", "\\", "]", "]", "~"};
  std::string aus = zeichen_umsetzen(
      utf8,
      [](char c) {
        const char g = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const bool erlaubt = std::isalnum(static_cast<unsigned char>(g)) ||
                             std::string_view(" .,&-/+*$%").find(g) != std::string_view::npos;
        return erlaubt ? g : ' ';
      },
      deutsch);
  aus.resize(breite, ' ');
  return aus;
}

std::string dtaus_nummer(std::string_view text, std::size_t breite) {
  const std::string t = trim(text);
  if (t.empty() || t.size() > breite || !nur_ziffern(t)) return {};
  return std::string(breite - t.size(), '0') + t;
}

std::string dtaus_a(const DtausKopf& k) {
  std::string a = "0128ALK";
  a += dtaus_nummer(k.blz, 8);
  a += "00000000";
  a += dtaus_text(k.name, 27);
  a += datum6(k.datum);
  a += "    ";
  a += dtaus_nummer(k.konto, 10);
  a += "0000000000";  // reference number
  a += space(15);     // reserved
  a += space(8);      // no execution date
  a += space(24);     // reserved
  a += k.euro ? "1" : " ";
  return a;
}

std::string dtaus_c(const DtausKopf& k, const DtausPosten& p) {
  std::string c = "0216C";
  c += dtaus_nummer(k.blz, 8);             // first bank involved
  c += dtaus_nummer(p.blz, 8);             // the payer's bank
  c += dtaus_nummer(p.konto, 10);          // the payer's account
  c += std::string(13, '0');               // internal customer number
  c += k.abbuchung ? "04000 " : "05000 ";  // text key, its supplement, bank field
  c += k.euro ? std::string(11, '0') : nullen(p.betrag, 11);  // Deutsche Mark
  c += dtaus_nummer(k.blz, 8);
  c += dtaus_nummer(k.konto, 10);
  c += k.euro ? nullen(p.betrag, 11) : std::string(11, '0');  // Euro
  c += space(3);
  c += dtaus_text(p.name, 27);
  c += space(8);
  // Second section.
  c += dtaus_text(k.name, 27);
  c += dtaus_text("RNr " + p.belegnr, 27);
  c += k.euro ? "1" : " ";
  c += space(2);
  c += "01";  // one extension
  c += "02" + dtaus_text("vom " + DateToDateString("dd.mm.yy", p.rechnungsdatum), 27);
  return abschnitte(c);
}

std::string dtaus_e(const DtausKopf& k, long anzahl, Betrag summe, std::int64_t kontensumme,
                    std::int64_t blzsumme) {
  std::string e = "0128E";
  e += space(5);
  e += nullen(anzahl, 7);
  e += k.euro ? std::string(13, '0') : nullen(summe, 13);
  e += nullen(kontensumme, 17);
  e += nullen(blzsumme, 17);
  e += k.euro ? nullen(summe, 13) : std::string(13, '0');
  e += space(51);
  return e;
}

}  // namespace fibu
