#include "isam/indexbaum.h"

#include <algorithm>
#include <cstring>

#include "isam/bytes.h"
#include "isam/fehler.h"

namespace fibu::isam {
namespace {

constexpr char index_magie[8] = {'F', 'I', 'B', 'U', 'I', 'X', '0', '1'};

// Header page.
constexpr std::size_t k_seitengroesse = 8;
constexpr std::size_t k_anzahl = 10;
constexpr std::size_t k_seiten = 12;
constexpr std::size_t k_frei = 16;
constexpr std::size_t k_satzgroesse = 20;
constexpr std::size_t k_baeume = 64;
constexpr std::size_t k_baum = 32;  // per key: laenge, duplikate, hoehe, -, wurzel(4), anzahl(8)

// Node pages.
constexpr std::uint8_t typ_blatt = 1, typ_innen = 2, typ_frei = 3;
constexpr std::size_t n_typ = 0, n_nr = 1, n_anzahl = 2, n_links = 4, n_rechts = 8, n_kind0 = 12;
constexpr std::size_t n_eintraege = 16;
constexpr std::size_t nutzbar = pruefsummen_offset - n_eintraege;

struct Form {
  std::size_t L;  // key bytes
  std::size_t E;  // leaf entry: length byte, key, reference
  std::size_t I;  // inner entry: leaf entry plus child
  int max_blatt, max_innen;
  explicit Form(std::size_t laenge)
      : L(laenge),
        E(1 + laenge + 4),
        I(1 + laenge + 8),
        max_blatt(static_cast<int>(nutzbar / E)),
        max_innen(static_cast<int>(nutzbar / I)) {}
};

std::size_t baum(int nr) {
  return k_baeume + static_cast<std::size_t>(nr - 1) * k_baum;
}

// Compares a stored entry with (key, ref).
int vergleiche(const char* e, const Form& f, std::string_view key, std::uint32_t ref) {
  std::size_t len = static_cast<unsigned char>(e[0]);
  int c = std::memcmp(e + 1, key.data(), std::min(len, key.size()));
  if (c != 0) return c;
  if (len != key.size()) return len < key.size() ? -1 : 1;
  std::uint32_t r = get<std::uint32_t>(e, 1 + f.L);
  return r < ref ? -1 : r > ref ? 1 : 0;
}

void schreibe_eintrag(char* e, const Form& f, std::string_view key, std::uint32_t ref) {
  e[0] = static_cast<char>(key.size());
  std::memcpy(e + 1, key.data(), key.size());
  std::memset(e + 1 + key.size(), 0, f.L - key.size());
  put(e, 1 + f.L, ref);
}

// Index of the first entry (of size `groesse`) for which vergleiche >= 0
// (untere) or > 0 (obere).
int grenze(const char* seite, const Form& f, std::size_t groesse, int anzahl, std::string_view key,
           std::uint32_t ref, bool obere) {
  int lo = 0, hi = anzahl;
  while (lo < hi) {
    int mitte = (lo + hi) / 2;
    int c =
        vergleiche(seite + n_eintraege + static_cast<std::size_t>(mitte) * groesse, f, key, ref);
    if (c < 0 || (obere && c == 0))
      lo = mitte + 1;
    else
      hi = mitte;
  }
  return lo;
}

}  // namespace

std::vector<std::string> Indexbaum::neue_datei(std::uint32_t satzgroesse,
                                               const std::vector<Schluesseldef>& schluessel) {
  std::vector<std::string> seiten(1 + schluessel.size(), std::string(seitengroesse, '\0'));
  char* k = seiten[0].data();
  std::memcpy(k, index_magie, 8);
  put(k, k_seitengroesse, static_cast<std::uint16_t>(seitengroesse));
  put(k, k_anzahl, static_cast<std::uint8_t>(schluessel.size()));
  put(k, k_seiten, static_cast<std::uint32_t>(seiten.size()));
  put(k, k_satzgroesse, satzgroesse);
  for (std::size_t i = 0; i < schluessel.size(); ++i) {
    std::size_t b = baum(static_cast<int>(i + 1));
    put(k, b, schluessel[i].laenge);
    put(k, b + 1, static_cast<std::uint8_t>(schluessel[i].duplikate ? 1 : 0));
    put(k, b + 2, std::uint8_t{1});
    put(k, b + 4, static_cast<std::uint32_t>(i + 1));
    char* blatt = seiten[i + 1].data();
    put(blatt, n_typ, typ_blatt);
    put(blatt, n_nr, static_cast<std::uint8_t>(i + 1));
  }
  return seiten;
}

int Indexbaum::kopf(const char*& k) {
  if (!ix_.seite(0, k)) return fehler_index_defekt;
  return isam_ok;
}

int Indexbaum::kopf_pruefen(int schluesselanzahl) {
  const char* k;
  if (int f = kopf(k); f != isam_ok) return f;
  if (std::memcmp(k, index_magie, 8) != 0 ||
      get<std::uint16_t>(k, k_seitengroesse) != seitengroesse ||
      get<std::uint8_t>(k, k_anzahl) != schluesselanzahl)
    return fehler_index_defekt;
  std::uint32_t seiten = get<std::uint32_t>(k, k_seiten);
  if (static_cast<std::uint64_t>(seiten) * seitengroesse != ix_.groesse())
    return fehler_index_defekt;
  for (int nr = 1; nr <= schluesselanzahl; ++nr) {
    std::size_t b = baum(nr);
    std::uint8_t laenge = get<std::uint8_t>(k, b);
    std::uint32_t wurzel = get<std::uint32_t>(k, b + 4);
    std::uint8_t hoehe = get<std::uint8_t>(k, b + 2);
    if (laenge < 1 || laenge > max_schluessellaenge || wurzel == 0 || wurzel >= seiten ||
        hoehe < 1 || hoehe > max_hoehe)
      return fehler_index_defekt;
  }
  return isam_ok;
}

int Indexbaum::schluesselanzahl() {
  const char* k;
  return kopf(k) == isam_ok ? get<std::uint8_t>(k, k_anzahl) : 0;
}

Schluesseldef Indexbaum::definition(int nr) {
  if (!definitionen_gelesen_) {
    const char* k;
    if (kopf(k) != isam_ok) return {};
    int anzahl = std::min<int>(get<std::uint8_t>(k, k_anzahl), max_schluessel);
    for (int i = 1; i <= anzahl; ++i)
      definitionen_[static_cast<std::size_t>(i)] = {get<std::uint8_t>(k, baum(i)),
                                                    get<std::uint8_t>(k, baum(i) + 1) != 0};
    definitionen_gelesen_ = true;
  }
  return nr >= 1 && nr <= max_schluessel ? definitionen_[static_cast<std::size_t>(nr)]
                                         : Schluesseldef{};
}

std::uint64_t Indexbaum::anzahl(int nr) {
  const char* k;
  return kopf(k) == isam_ok ? get<std::uint64_t>(k, baum(nr) + 8) : 0;
}

std::string Indexbaum::schneide(int nr, std::string_view key) {
  return std::string(key.substr(0, definition(nr).laenge));
}

int Indexbaum::knoten(std::uint32_t seite, int nr, bool blatt, const char*& aus) {
  const char* k;
  if (int f = kopf(k); f != isam_ok) return f;
  if (seite == 0 || seite >= get<std::uint32_t>(k, k_seiten)) return fehler_index_defekt;
  if (!ix_.seite(seite, aus)) return fehler_index_defekt;
  Form form(definition(nr).laenge);
  int n = get<std::uint16_t>(aus, n_anzahl);
  if (get<std::uint8_t>(aus, n_typ) != (blatt ? typ_blatt : typ_innen) ||
      get<std::uint8_t>(aus, n_nr) != nr || n > (blatt ? form.max_blatt : form.max_innen))
    return fehler_index_defekt;
  return isam_ok;
}

int Indexbaum::zum_blatt(int nr, std::string_view key, std::uint32_t ref, Pfad* pfad,
                         std::uint32_t& blatt) {
  const char* k;
  if (int f = kopf(k); f != isam_ok) return f;
  Form form(get<std::uint8_t>(k, baum(nr)));
  int hoehe = get<std::uint8_t>(k, baum(nr) + 2);
  if (hoehe < 1 || hoehe > max_hoehe) return fehler_index_defekt;
  std::uint32_t seite = get<std::uint32_t>(k, baum(nr) + 4);
  for (int ebene = 1; ebene < hoehe; ++ebene) {
    const char* s;
    if (int f = knoten(seite, nr, false, s); f != isam_ok) return f;
    int n = get<std::uint16_t>(s, n_anzahl);
    int i = grenze(s, form, form.I, n, key, ref, true);
    if (pfad) pfad->push_back({seite, i});
    seite = i == 0 ? get<std::uint32_t>(s, n_kind0)
                   : get<std::uint32_t>(
                         s, n_eintraege + static_cast<std::size_t>(i - 1) * form.I + form.E);
  }
  const char* s;
  if (int f = knoten(seite, nr, true, s); f != isam_ok) return f;
  blatt = seite;
  return isam_ok;
}

int Indexbaum::neue_seite(std::uint32_t& nr) {
  char* k;
  if (!ix_.seite_schreiben(0, k)) return fehler_index_defekt;
  std::uint32_t frei = get<std::uint32_t>(k, k_frei);
  if (frei != 0) {
    const char* s;
    if (!ix_.seite(frei, s) || get<std::uint8_t>(s, n_typ) != typ_frei) return fehler_index_defekt;
    put(k, k_frei, get<std::uint32_t>(s, n_links));
    nr = frei;
  } else {
    nr = get<std::uint32_t>(k, k_seiten);
    put(k, k_seiten, nr + 1);
  }
  char* s;
  if (!ix_.seite_schreiben(nr, s)) return fehler_index_defekt;
  std::memset(s, 0, seitengroesse);
  return isam_ok;
}

int Indexbaum::seite_freigeben(std::uint32_t nr) {
  char *k, *s;
  if (!ix_.seite_schreiben(0, k) || !ix_.seite_schreiben(nr, s)) return fehler_index_defekt;
  std::memset(s, 0, seitengroesse);
  put(s, n_typ, typ_frei);
  put(s, n_links, get<std::uint32_t>(k, k_frei));
  put(k, k_frei, nr);
  return isam_ok;
}

int Indexbaum::anzahl_aendern(int nr, std::int64_t delta) {
  char* k;
  if (!ix_.seite_schreiben(0, k)) return fehler_index_defekt;
  put(k, baum(nr) + 8,
      static_cast<std::uint64_t>(static_cast<std::int64_t>(get<std::uint64_t>(k, baum(nr) + 8)) +
                                 delta));
  return isam_ok;
}

int Indexbaum::einfuegen(int nr, std::string_view key_roh, std::uint32_t ref) {
  Schluesseldef def = definition(nr);
  std::string key = schneide(nr, key_roh);
  Form form(def.laenge);

  Pfad pfad;
  std::uint32_t blatt;
  if (int r = zum_blatt(nr, key, ref, &pfad, blatt); r != isam_ok) return r;
  const char* lese;
  if (int r = knoten(blatt, nr, true, lese); r != isam_ok) return r;
  int n = get<std::uint16_t>(lese, n_anzahl);
  int pos = grenze(lese, form, form.E, n, key, ref, false);

  // An entry equal to (key, ref) would be at pos. Without duplicates, an
  // entry with the same key sorts right before or right after pos, perhaps
  // in the neighbouring leaf.
  if (pos < n &&
      vergleiche(lese + n_eintraege + static_cast<std::size_t>(pos) * form.E, form, key, ref) == 0)
    return fehler_schluessel_doppelt;
  if (!def.duplikate) {
    std::string k;
    std::uint32_t r;
    Fundstelle danach{blatt, static_cast<std::uint16_t>(pos)};
    if (pos == n) danach = {get<std::uint32_t>(lese, n_rechts), 0};
    if (danach.blatt != 0) {
      if (int e = eintrag(nr, danach, k, r); e != isam_ok) return e;
      if (k == key) return fehler_schluessel_doppelt;
    }
    Fundstelle davor{blatt, static_cast<std::uint16_t>(pos)};
    if (int e = zurueck(nr, davor); e != isam_ok) return e;
    if (davor.blatt != 0) {
      if (int e = eintrag(nr, davor, k, r); e != isam_ok) return e;
      if (k == key) return fehler_schluessel_doppelt;
    }
  }

  char* s;
  if (!ix_.seite_schreiben(blatt, s)) return fehler_index_defekt;
  if (n < form.max_blatt) {
    char* e = s + n_eintraege + static_cast<std::size_t>(pos) * form.E;
    std::memmove(e + form.E, e, static_cast<std::size_t>(n - pos) * form.E);
    schreibe_eintrag(e, form, key, ref);
    put(s, n_anzahl, static_cast<std::uint16_t>(n + 1));
    return anzahl_aendern(nr, 1);
  }

  // Split: all entries with the new one, the left part stays, the right
  // part moves to a new page. Appending at the right edge leaves the left
  // page full, so ascending keys fill their pages.
  std::string alle(static_cast<std::size_t>(n + 1) * form.E, '\0');
  std::memcpy(alle.data(), s + n_eintraege, static_cast<std::size_t>(pos) * form.E);
  schreibe_eintrag(alle.data() + static_cast<std::size_t>(pos) * form.E, form, key, ref);
  std::memcpy(alle.data() + static_cast<std::size_t>(pos + 1) * form.E,
              s + n_eintraege + static_cast<std::size_t>(pos) * form.E,
              static_cast<std::size_t>(n - pos) * form.E);
  std::uint32_t alt_rechts = get<std::uint32_t>(s, n_rechts);
  int links_anzahl = (pos == n && alt_rechts == 0) ? n : (n + 1) / 2;
  int rechts_anzahl = n + 1 - links_anzahl;

  std::uint32_t rechts_nr;
  if (int r = neue_seite(rechts_nr); r != isam_ok) return r;
  char* rs;
  if (!ix_.seite_schreiben(rechts_nr, rs)) return fehler_index_defekt;
  put(rs, n_typ, typ_blatt);
  put(rs, n_nr, static_cast<std::uint8_t>(nr));
  put(rs, n_anzahl, static_cast<std::uint16_t>(rechts_anzahl));
  put(rs, n_links, blatt);
  put(rs, n_rechts, alt_rechts);
  std::memcpy(rs + n_eintraege, alle.data() + static_cast<std::size_t>(links_anzahl) * form.E,
              static_cast<std::size_t>(rechts_anzahl) * form.E);

  std::memset(s + n_eintraege, 0, nutzbar);
  std::memcpy(s + n_eintraege, alle.data(), static_cast<std::size_t>(links_anzahl) * form.E);
  put(s, n_anzahl, static_cast<std::uint16_t>(links_anzahl));
  put(s, n_rechts, rechts_nr);
  if (alt_rechts != 0) {
    char* as;
    if (!ix_.seite_schreiben(alt_rechts, as)) return fehler_index_defekt;
    put(as, n_links, rechts_nr);
  }

  const char* trenner = rs + n_eintraege;
  std::string t_key(trenner + 1, static_cast<unsigned char>(trenner[0]));
  std::uint32_t t_ref = get<std::uint32_t>(trenner, 1 + form.L);
  if (int r = in_eltern_einfuegen(nr, pfad, t_key, t_ref, rechts_nr); r != isam_ok) return r;
  return anzahl_aendern(nr, 1);
}

int Indexbaum::in_eltern_einfuegen(int nr, Pfad& pfad, std::string_view key, std::uint32_t ref,
                                   std::uint32_t rechts) {
  Form form(definition(nr).laenge);
  if (pfad.empty()) {
    // The root was split: a new root above it.
    char* k;
    if (!ix_.seite_schreiben(0, k)) return fehler_index_defekt;
    std::uint32_t alte_wurzel = get<std::uint32_t>(k, baum(nr) + 4);
    std::uint32_t wurzel;
    if (int r = neue_seite(wurzel); r != isam_ok) return r;
    char* s;
    if (!ix_.seite_schreiben(wurzel, s) || !ix_.seite_schreiben(0, k)) return fehler_index_defekt;
    put(s, n_typ, typ_innen);
    put(s, n_nr, static_cast<std::uint8_t>(nr));
    put(s, n_anzahl, std::uint16_t{1});
    put(s, n_kind0, alte_wurzel);
    schreibe_eintrag(s + n_eintraege, form, key, ref);
    put(s, n_eintraege + form.E, rechts);
    put(k, baum(nr) + 4, wurzel);
    put(k, baum(nr) + 2, static_cast<std::uint8_t>(get<std::uint8_t>(k, baum(nr) + 2) + 1));
    return isam_ok;
  }
  Pfadschritt schritt = pfad.back();
  pfad.pop_back();
  char* s;
  if (!ix_.seite_schreiben(schritt.seite, s)) return fehler_index_defekt;
  int n = get<std::uint16_t>(s, n_anzahl);
  int pos = schritt.kind;  // the new separator follows the child that was split

  std::string alle(static_cast<std::size_t>(n + 1) * form.I, '\0');
  std::memcpy(alle.data(), s + n_eintraege, static_cast<std::size_t>(pos) * form.I);
  char* neu = alle.data() + static_cast<std::size_t>(pos) * form.I;
  schreibe_eintrag(neu, form, key, ref);
  put(neu, form.E, rechts);
  std::memcpy(alle.data() + static_cast<std::size_t>(pos + 1) * form.I,
              s + n_eintraege + static_cast<std::size_t>(pos) * form.I,
              static_cast<std::size_t>(n - pos) * form.I);
  if (n < form.max_innen) {
    std::memcpy(s + n_eintraege, alle.data(), alle.size());
    put(s, n_anzahl, static_cast<std::uint16_t>(n + 1));
    return isam_ok;
  }

  // Split the inner node: the middle separator moves up.
  int mitte = (n + 1) / 2;
  const char* hoch = alle.data() + static_cast<std::size_t>(mitte) * form.I;
  std::uint32_t rechts_nr;
  if (int r = neue_seite(rechts_nr); r != isam_ok) return r;
  char* rs;
  if (!ix_.seite_schreiben(rechts_nr, rs) || !ix_.seite_schreiben(schritt.seite, s))
    return fehler_index_defekt;
  int rechts_anzahl = n - mitte;
  put(rs, n_typ, typ_innen);
  put(rs, n_nr, static_cast<std::uint8_t>(nr));
  put(rs, n_anzahl, static_cast<std::uint16_t>(rechts_anzahl));
  put(rs, n_kind0, get<std::uint32_t>(hoch, form.E));
  std::memcpy(rs + n_eintraege, hoch + form.I, static_cast<std::size_t>(rechts_anzahl) * form.I);
  std::memset(s + n_eintraege, 0, nutzbar);
  std::memcpy(s + n_eintraege, alle.data(), static_cast<std::size_t>(mitte) * form.I);
  put(s, n_anzahl, static_cast<std::uint16_t>(mitte));

  std::string h_key(hoch + 1, static_cast<unsigned char>(hoch[0]));
  return in_eltern_einfuegen(nr, pfad, h_key, get<std::uint32_t>(hoch, 1 + form.L), rechts_nr);
}

int Indexbaum::entfernen(int nr, std::string_view key_roh, std::uint32_t ref) {
  std::string key = schneide(nr, key_roh);
  Form form(definition(nr).laenge);
  Pfad pfad;
  std::uint32_t blatt;
  if (int r = zum_blatt(nr, key, ref, &pfad, blatt); r != isam_ok) return r;
  const char* lese;
  if (int r = knoten(blatt, nr, true, lese); r != isam_ok) return r;
  int n = get<std::uint16_t>(lese, n_anzahl);
  int pos = grenze(lese, form, form.E, n, key, ref, false);
  if (pos >= n ||
      vergleiche(lese + n_eintraege + static_cast<std::size_t>(pos) * form.E, form, key, ref) != 0)
    return fehler_schluessel_fehlt;

  char* s;
  if (!ix_.seite_schreiben(blatt, s)) return fehler_index_defekt;
  char* e = s + n_eintraege + static_cast<std::size_t>(pos) * form.E;
  std::memmove(e, e + form.E, static_cast<std::size_t>(n - pos - 1) * form.E);
  std::memset(s + n_eintraege + static_cast<std::size_t>(n - 1) * form.E, 0, form.E);
  put(s, n_anzahl, static_cast<std::uint16_t>(n - 1));

  if (n - 1 == 0 && !pfad.empty()) {
    // An empty leaf below the root leaves the tree.
    std::uint32_t links = get<std::uint32_t>(s, n_links), rechts = get<std::uint32_t>(s, n_rechts);
    char* nachbar;
    if (links != 0) {
      if (!ix_.seite_schreiben(links, nachbar)) return fehler_index_defekt;
      put(nachbar, n_rechts, rechts);
    }
    if (rechts != 0) {
      if (!ix_.seite_schreiben(rechts, nachbar)) return fehler_index_defekt;
      put(nachbar, n_links, links);
    }
    if (int r = seite_freigeben(blatt); r != isam_ok) return r;
    if (int r = aus_eltern_entfernen(nr, pfad); r != isam_ok) return r;
  }
  return anzahl_aendern(nr, -1);
}

int Indexbaum::aus_eltern_entfernen(int nr, Pfad& pfad) {
  Form form(definition(nr).laenge);
  Pfadschritt schritt = pfad.back();
  pfad.pop_back();
  char* s;
  if (!ix_.seite_schreiben(schritt.seite, s)) return fehler_index_defekt;
  int n = get<std::uint16_t>(s, n_anzahl);
  char* k;

  if (n == 0) {
    // Its only child is gone: the node is empty too.
    if (!pfad.empty()) {
      if (int r = seite_freigeben(schritt.seite); r != isam_ok) return r;
      return aus_eltern_entfernen(nr, pfad);
    }
    // An empty root becomes an empty leaf.
    if (!ix_.seite_schreiben(0, k)) return fehler_index_defekt;
    std::memset(s, 0, seitengroesse);
    put(s, n_typ, typ_blatt);
    put(s, n_nr, static_cast<std::uint8_t>(nr));
    put(k, baum(nr) + 2, std::uint8_t{1});
    return isam_ok;
  }

  if (schritt.kind == 0) {
    put(s, n_kind0, get<std::uint32_t>(s, n_eintraege + form.E));
    std::memmove(s + n_eintraege, s + n_eintraege + form.I,
                 static_cast<std::size_t>(n - 1) * form.I);
  } else {
    char* e = s + n_eintraege + static_cast<std::size_t>(schritt.kind - 1) * form.I;
    std::memmove(e, e + form.I, static_cast<std::size_t>(n - schritt.kind) * form.I);
  }
  std::memset(s + n_eintraege + static_cast<std::size_t>(n - 1) * form.I, 0, form.I);
  put(s, n_anzahl, static_cast<std::uint16_t>(n - 1));

  // A root left with a single child gives way to it.
  if (pfad.empty() && n - 1 == 0) {
    if (!ix_.seite_schreiben(0, k)) return fehler_index_defekt;
    std::uint32_t alte = schritt.seite;
    std::uint32_t kind = get<std::uint32_t>(s, n_kind0);
    put(k, baum(nr) + 4, kind);
    put(k, baum(nr) + 2, static_cast<std::uint8_t>(get<std::uint8_t>(k, baum(nr) + 2) - 1));
    return seite_freigeben(alte);
  }
  return isam_ok;
}

// The leaf where (key, ref) belongs and the index of the first entry not
// less than it (`obere`: greater than it); `rechts` is the next leaf.
int Indexbaum::im_blatt(int nr, std::string_view key_roh, std::uint32_t ref, bool obere,
                        Fundstelle& stelle, int& anzahl, std::uint32_t& rechts) {
  std::string key = schneide(nr, key_roh);
  Form form(definition(nr).laenge);
  std::uint32_t blatt;
  if (int r = zum_blatt(nr, key, ref, nullptr, blatt); r != isam_ok) return r;
  const char* s;
  if (int r = knoten(blatt, nr, true, s); r != isam_ok) return r;
  anzahl = get<std::uint16_t>(s, n_anzahl);
  stelle = {blatt, static_cast<std::uint16_t>(grenze(s, form, form.E, anzahl, key, ref, obere))};
  rechts = get<std::uint32_t>(s, n_rechts);
  return isam_ok;
}

// The first entry not less than (key, ref), or greater than it (`obere`),
// in this leaf or at the start of the next.
int Indexbaum::erster_ab(int nr, std::string_view key, std::uint32_t ref, bool obere,
                         Fundstelle& aus) {
  int n;
  std::uint32_t rechts;
  if (int r = im_blatt(nr, key, ref, obere, aus, n, rechts); r != isam_ok) return r;
  if (aus.index >= n) aus = {rechts, 0};
  return isam_ok;
}

int Indexbaum::suche_ab(int nr, std::string_view key, std::uint32_t ref, Fundstelle& aus) {
  return erster_ab(nr, key, ref, false, aus);
}

int Indexbaum::danach(int nr, std::string_view key, std::uint32_t ref, Fundstelle& aus) {
  return erster_ab(nr, key, ref, true, aus);
}

int Indexbaum::davor(int nr, std::string_view key, std::uint32_t ref, Fundstelle& aus) {
  int n;
  std::uint32_t rechts;
  if (int r = im_blatt(nr, key, ref, false, aus, n, rechts); r != isam_ok) return r;
  return zurueck(nr, aus);  // from the first entry not less: one back
}

int Indexbaum::eintrag(int nr, const Fundstelle& f, std::string& key, std::uint32_t& ref) {
  Form form(definition(nr).laenge);
  const char* s;
  if (int r = knoten(f.blatt, nr, true, s); r != isam_ok) return r;
  if (f.index >= get<std::uint16_t>(s, n_anzahl)) return fehler_index_defekt;
  const char* e = s + n_eintraege + static_cast<std::size_t>(f.index) * form.E;
  key.assign(e + 1, static_cast<unsigned char>(e[0]));
  ref = get<std::uint32_t>(e, 1 + form.L);
  return isam_ok;
}

int Indexbaum::weiter(int nr, Fundstelle& f) {
  const char* s;
  if (int r = knoten(f.blatt, nr, true, s); r != isam_ok) return r;
  if (f.index + 1 < get<std::uint16_t>(s, n_anzahl)) {
    ++f.index;
    return isam_ok;
  }
  f = {get<std::uint32_t>(s, n_rechts), 0};
  if (f.blatt == 0) return isam_ok;
  if (int r = knoten(f.blatt, nr, true, s); r != isam_ok) return r;
  return get<std::uint16_t>(s, n_anzahl) > 0 ? isam_ok : fehler_index_defekt;
}

int Indexbaum::zurueck(int nr, Fundstelle& f) {
  const char* s;
  if (f.index > 0) {
    --f.index;
    return isam_ok;
  }
  if (int r = knoten(f.blatt, nr, true, s); r != isam_ok) return r;
  std::uint32_t links = get<std::uint32_t>(s, n_links);
  if (links == 0) {
    f = {0, 0};
    return isam_ok;
  }
  if (int r = knoten(links, nr, true, s); r != isam_ok) return r;
  int n = get<std::uint16_t>(s, n_anzahl);
  if (n == 0) return fehler_index_defekt;
  f = {links, static_cast<std::uint16_t>(n - 1)};
  return isam_ok;
}

}  // namespace fibu::isam
