#include "exchange/fremdzeile.h"

#include <algorithm>
#include <cmath>

#include "suite/allgemei.h"
#include "suite/codepage.h"

namespace fibu {
namespace {

// Columns counted from 1, as the file's description counts them.
struct Spalten {
  std::size_t von, bis;
  const char* name;
};

constexpr Spalten sp_buchungsart{1, 1, "Buchungsart"}, sp_eroeffnungsart{2, 2, "Eröffnungsart"},
    sp_konto{3, 10, "Konto"}, sp_kost{11, 14, "Kostenstelle"}, sp_beleg{15, 21, "Belegnummer"},
    sp_datum{22, 31, "Datum"}, sp_text1{32, 81, "Text 1"}, sp_text2{82, 131, "Text 2"},
    sp_sh{132, 132, "Soll/Haben"}, sp_betrag{133, 146, "Betrag"},
    sp_gegenkonto{147, 154, "Gegenkonto"}, sp_steuer{155, 156, "Steuerschlüssel"},
    sp_netto{157, 169, "Nettobetrag"}, sp_faellig{170, 179, "Fälligkeitsdatum"},
    sp_anrede{180, 219, "Anrede"}, sp_name{220, 259, "Name"}, sp_titel{260, 299, "Titel"},
    sp_strasse{300, 339, "Straße"}, sp_ort{340, 379, "PLZ/Ort"}, sp_telefon{380, 419, "Telefon"},
    sp_suchname{420, 437, "Suchname"}, sp_egid{438, 457, "EG-Id"}, sp_filter{458, 459, "Filter"},
    sp_sammel{460, 461, "Sammelkontoschlüssel"}, sp_diverse{462, 462, "Diverse"},
    sp_summe{463, 463, "Summe in Saldenliste"}, sp_nettotage{464, 467, "Nettotage"},
    sp_skonto1{468, 473, "Skonto1 %"}, sp_skontotage1{474, 475, "Skontotage1"},
    sp_skonto2{476, 481, "Skonto2 %"}, sp_skontotage2{482, 483, "Skontotage2"},
    sp_mkz{485, 486, "MKZ"};

class Leser {
 public:
  explicit Leser(std::string_view bytes) : bytes_(bytes) {}

  std::string roh(const Spalten& s) const {
    if (s.von > bytes_.size()) return {};
    return std::string(bytes_.substr(s.von - 1, s.bis - s.von + 1));
  }
  std::string text(const Spalten& s) const { return trim(nach_utf8(roh(s), Codepage::CP1252)); }

  // "Spalte 133-146 (Betrag) ist ungültig: "12,5x""
  static std::string fehlertext(const Spalten& s, const std::string& wert) {
    std::string spalten = std::to_string(s.von);
    if (s.bis != s.von) spalten += "-" + std::to_string(s.bis);
    return "Spalte " + spalten + " (" + s.name + ") ist ungültig: \"" + wert + "\"";
  }

  std::optional<std::int64_t> zahl(const Spalten& s, int nachkomma,
                                   std::vector<std::string>& fehler) const {
    const std::string t = text(s);
    auto w = punktzahl(t, nachkomma);
    if (!w) fehler.push_back(fehlertext(s, t));
    return w;
  }
  // A whole number; nullopt when blank (or unreadable, then reported).
  std::optional<int> ganz(const Spalten& s, std::vector<std::string>& fehler) const {
    const std::string t = text(s);
    if (t.empty()) return std::nullopt;
    if (!std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      fehler.push_back(fehlertext(s, t));
      return std::nullopt;
    }
    return std::stoi(t);  // at most four digits
  }
  Datum datum(const Spalten& s, bool pflicht, std::vector<std::string>& fehler) const {
    const std::string t = text(s);
    if (t.empty() && !pflicht) return kein_datum;
    Datum d = DateStringToDate("dd.mm.yyyy", t);
    if (d == kein_datum) fehler.push_back(fehlertext(s, t));
    return d;
  }
  std::optional<bool> jn(const Spalten& s) const {
    const std::string t = roh(s);
    if (t == "J") return true;
    if (t == "N") return false;
    return std::nullopt;
  }

 private:
  std::string_view bytes_;
};

int eroeffnungsart_von(char c) {
  switch (c) {
    case 'R':
      return 0;
    case 'G':
      return 1;
    case 'Z':
      return 2;
    default:
      return 3;
  }
}

class Schreiber {
 public:
  Schreiber() : zeile_(fremdsatz_laenge, ' ') {}
  void text(const Spalten& s, const std::string& utf8) {
    const auto breite = static_cast<std::ptrdiff_t>(s.bis - s.von + 1);
    zeile_.replace(s.von - 1, static_cast<std::size_t>(breite),
                   von_utf8(padcut(utf8, breite), Codepage::CP1252));
  }
  void rechts(const Spalten& s, const std::string& t) {
    text(s, padlinks(t, static_cast<std::ptrdiff_t>(s.bis - s.von + 1)));
  }
  void zahl(const Spalten& s, const std::optional<int>& w, int stellen) {
    if (!w) return;
    std::string t = std::to_string(*w);
    if (static_cast<int>(t.size()) < stellen)
      t.insert(0, static_cast<std::size_t>(stellen) - t.size(), '0');
    rechts(s, t);
  }
  void datum(const Spalten& s, Datum d) {
    if (d != kein_datum) text(s, DateToDateString("dd.mm.yyyy", d));
  }
  const std::string& zeile() const { return zeile_; }

 private:
  std::string zeile_;
};

}  // namespace

std::string fremdsatz_schreiben(const Fremdzeile& z) {
  Schreiber w;
  w.text(sp_buchungsart, z.buchungsart ? std::string(1, z.buchungsart) : " ");
  w.text(sp_eroeffnungsart, std::string(1, "RGZ "[std::clamp(z.eroeffnungsart, 0, 3)]));
  w.text(sp_konto, z.konto);
  w.text(sp_kost, z.kost);
  w.text(sp_beleg, z.belegnr);
  w.datum(sp_datum, z.datum);
  w.text(sp_text1, z.text1);
  w.text(sp_text2, z.text2);
  w.text(sp_sh, z.soll_haben ? std::string(1, z.soll_haben) : " ");
  w.rechts(sp_betrag, format_maske(z.brutto, 2, "###########.##"));
  w.text(sp_gegenkonto, z.gegenkonto);
  w.rechts(sp_steuer, z.steuerschluessel);
  if (z.netto != 0) w.rechts(sp_netto, format_maske(z.netto, 2, "##########.##"));
  w.datum(sp_faellig, z.faellig);
  const Fremdperson& p = z.person;
  w.text(sp_anrede, p.anrede);
  w.text(sp_name, p.name);
  w.text(sp_titel, p.titel);
  w.text(sp_strasse, p.strasse);
  w.text(sp_ort, p.plz_ort);
  w.text(sp_telefon, p.telefon);
  w.text(sp_suchname, p.suchname);
  w.text(sp_egid, p.eg_id);
  w.zahl(sp_filter, p.filter, 2);
  w.zahl(sp_sammel, p.sammelschluessel, 2);
  if (p.diverse) w.text(sp_diverse, *p.diverse ? "J" : "N");
  if (p.summe_in_saldenliste) w.text(sp_summe, *p.summe_in_saldenliste ? "J" : "N");
  w.zahl(sp_nettotage, p.nettotage, 1);
  if (p.skonto1) w.rechts(sp_skonto1, format_maske(*p.skonto1, 3, "##.###"));
  w.zahl(sp_skontotage1, p.skontotage1, 1);
  if (p.skonto2) w.rechts(sp_skonto2, format_maske(*p.skonto2, 3, "##.###"));
  w.zahl(sp_skontotage2, p.skontotage2, 1);
  w.zahl(sp_mkz, p.mkz, 2);
  return w.zeile();
}

bool Fremdperson::hat_adresse() const {
  return !(anrede.empty() && name.empty() && titel.empty() && strasse.empty() && plz_ort.empty() &&
           telefon.empty());
}

std::optional<std::int64_t> punktzahl(std::string_view text, int nachkomma) {
  std::string t = trim(text);
  if (t.empty()) return 0;
  std::string zeichen;
  if (t[0] == '-' || t[0] == '+') {
    zeichen = t.substr(0, 1);
    t = trim(t.substr(1));
  }
  const std::size_t punkt = t.find('.');
  std::string ganz = t.substr(0, punkt);
  std::string dezimal = punkt == std::string::npos ? std::string() : t.substr(punkt + 1);
  auto ziffern = [](const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if ((ganz.empty() && dezimal.empty()) || !ziffern(ganz) || !ziffern(dezimal)) return std::nullopt;
  // Decimals beyond the unit must be zeros: nothing is rounded away.
  while (static_cast<int>(dezimal.size()) > nachkomma && dezimal.back() == '0') dezimal.pop_back();
  if (static_cast<int>(dezimal.size()) > nachkomma) return std::nullopt;
  dezimal.append(static_cast<std::size_t>(nachkomma) - dezimal.size(), '0');
  if (ganz.empty()) ganz = "0";
  return zahl_aus_text(zeichen + ganz + (nachkomma > 0 ? "." + dezimal : std::string()), nachkomma);
}

std::optional<int> steuersatz_ableiten(Betrag brutto, Betrag netto) {
  if (brutto == netto || netto == 0) return std::nullopt;
  const long double satz =
      static_cast<long double>(brutto - netto) / static_cast<long double>(netto) * 100 + 0.5L;
  // INT cuts toward zero; a rate beyond any int is no rate a key can have.
  if (!(std::fabs(satz) < 1e9L)) return std::nullopt;
  return static_cast<int>(std::trunc(satz));
}

Fremdzeile fremdzeile_lesen(std::string_view bytes, bool negative_als_gutschrift) {
  Fremdzeile z;
  Leser l(bytes);
  auto& f = z.fehler;

  const std::string art = l.roh(sp_buchungsart);
  z.buchungsart = art.empty() || art[0] == ' ' ? '\0' : art[0];
  const std::string eroeffnung = l.roh(sp_eroeffnungsart);
  z.eroeffnungsart = eroeffnungsart_von(eroeffnung.empty() ? ' ' : eroeffnung[0]);
  z.konto = l.text(sp_konto);
  z.kost = l.text(sp_kost);
  z.belegnr = l.text(sp_beleg);
  z.datum = l.datum(sp_datum, true, f);
  z.text1 = l.text(sp_text1);
  z.text2 = l.text(sp_text2);
  const std::string sh = l.roh(sp_sh);
  z.soll_haben = sh.empty() || sh[0] == ' ' ? '\0' : sh[0];
  z.brutto = l.zahl(sp_betrag, 2, f).value_or(0);
  z.gegenkonto = l.text(sp_gegenkonto);
  z.steuerschluessel = l.text(sp_steuer);
  z.netto = l.zahl(sp_netto, 2, f).value_or(0);
  z.faellig = l.datum(sp_faellig, false, f);
  z.steuersatz = steuersatz_ableiten(z.brutto, z.netto);

  if (negative_als_gutschrift && z.buchungsart == 'R' && z.brutto < 0) {
    z.buchungsart = 'G';
    z.brutto = -z.brutto;
    z.soll_haben = z.soll_haben == 'S' ? 'H' : z.soll_haben == 'H' ? 'S' : z.soll_haben;
  }

  Fremdperson& p = z.person;
  auto& pf = z.personenfehler;
  p.anrede = l.text(sp_anrede);
  p.name = l.text(sp_name);
  p.titel = l.text(sp_titel);
  p.strasse = l.text(sp_strasse);
  p.plz_ort = l.text(sp_ort);
  p.telefon = l.text(sp_telefon);
  p.suchname = l.text(sp_suchname);
  p.eg_id = l.text(sp_egid);
  p.filter = l.ganz(sp_filter, pf);
  p.sammelschluessel = l.ganz(sp_sammel, pf);
  p.diverse = l.jn(sp_diverse);
  p.summe_in_saldenliste = l.jn(sp_summe);
  p.nettotage = l.ganz(sp_nettotage, pf);
  p.skontotage1 = l.ganz(sp_skontotage1, pf);
  p.skontotage2 = l.ganz(sp_skontotage2, pf);
  p.mkz = l.ganz(sp_mkz, pf);
  if (!l.text(sp_skonto1).empty()) p.skonto1 = l.zahl(sp_skonto1, 3, pf);
  if (!l.text(sp_skonto2).empty()) p.skonto2 = l.zahl(sp_skonto2, 3, pf);
  return z;
}

}  // namespace fibu
