// The index file of a keyed file: a header page and one B+-tree per key
// number in 4 KiB pages. Entries are (key bytes, reference), ordered by the
// key bytes (unsigned, a shorter key before its extensions) and then by the
// reference, so duplicates of a key are ordered by reference. Leaves are
// linked both ways. Deletion removes empty pages but does not merge
// half-empty ones; the rebuild packs the tree again.
//
// All reads check the page structure; anything impossible is reported as
// fehler_index_defekt.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "isam/seitendatei.h"

namespace fibu::isam {

inline constexpr int max_schluessel = 10;
inline constexpr int max_schluessellaenge = 30;
// No tree of 4 KiB pages gets near this height; a header claiming more is defective.
inline constexpr int max_hoehe = 16;

struct Schluesseldef {
  std::uint8_t laenge = 0;  // 1..30
  bool duplikate = false;
};

// A place in a tree: the leaf page and the entry's index there.
struct Fundstelle {
  std::uint32_t blatt = 0;  // 0: none (end of the tree)
  std::uint16_t index = 0;
};

class Indexbaum {
 public:
  explicit Indexbaum(Seitendatei& ix) : ix_(ix) {}

  // The path from the root to a leaf: the inner nodes and the child taken.
  struct Pfadschritt {
    std::uint32_t seite;
    int kind;  // index of the child taken: 0 = kind0, i = separator i-1
  };
  class Pfad {
   public:
    void push_back(Pfadschritt s) { schritte_[n_++] = s; }
    void pop_back() { --n_; }
    const Pfadschritt& back() const { return schritte_[n_ - 1]; }
    [[nodiscard]] bool empty() const { return n_ == 0; }

   private:
    std::array<Pfadschritt, 32> schritte_{};  // more than max_hoehe
    int n_ = 0;
  };

  // The header of a new index file with an empty root leaf per key.
  static std::vector<std::string> neue_datei(std::uint32_t satzgroesse,
                                             const std::vector<Schluesseldef>& schluessel);
  // Checks the header: magic, key count, sizes. isam_ok or fehler_index_defekt.
  [[nodiscard]] int kopf_pruefen(int schluesselanzahl);

  [[nodiscard]] int schluesselanzahl();
  Schluesseldef definition(int nr);
  std::uint64_t anzahl(int nr);

  // Keys are cut to the key's length before use.
  [[nodiscard]] int einfuegen(int nr, std::string_view key, std::uint32_t ref);
  [[nodiscard]] int entfernen(int nr, std::string_view key, std::uint32_t ref);
  // First entry not less than (key, ref).
  [[nodiscard]] int suche_ab(int nr, std::string_view key, std::uint32_t ref, Fundstelle& aus);
  // First entry greater than (key, ref) / last entry less than it.
  [[nodiscard]] int danach(int nr, std::string_view key, std::uint32_t ref, Fundstelle& aus);
  [[nodiscard]] int davor(int nr, std::string_view key, std::uint32_t ref, Fundstelle& aus);
  // The entry at a place (blatt != 0).
  [[nodiscard]] int eintrag(int nr, const Fundstelle& f, std::string& key, std::uint32_t& ref);
  // The place after / before a place, through the leaf links.
  [[nodiscard]] int weiter(int nr, Fundstelle& f);
  [[nodiscard]] int zurueck(int nr, Fundstelle& f);

  std::string schneide(int nr, std::string_view key);

 private:
  [[nodiscard]] int kopf(const char*& k);
  [[nodiscard]] int knoten(std::uint32_t seite, int nr, bool blatt, const char*& aus);
  [[nodiscard]] int erster_ab(int nr, std::string_view key, std::uint32_t ref, bool obere, Fundstelle& aus);
  [[nodiscard]] int im_blatt(int nr, std::string_view key, std::uint32_t ref, bool obere, Fundstelle& stelle,
               int& anzahl, std::uint32_t& rechts);
  [[nodiscard]] int zum_blatt(int nr, std::string_view key, std::uint32_t ref, Pfad* pfad, std::uint32_t& blatt);
  [[nodiscard]] int neue_seite(std::uint32_t& nr);
  [[nodiscard]] int seite_freigeben(std::uint32_t nr);
  [[nodiscard]] int in_eltern_einfuegen(int nr, Pfad& pfad, std::string_view key, std::uint32_t ref,
                          std::uint32_t rechts);
  [[nodiscard]] int aus_eltern_entfernen(int nr, Pfad& pfad);
  [[nodiscard]] int anzahl_aendern(int nr, std::int64_t delta);

  Seitendatei& ix_;
  // Key definitions never change once a file is made; read once.
  std::array<Schluesseldef, max_schluessel + 1> definitionen_{};
  bool definitionen_gelesen_ = false;
};

}  // namespace fibu::isam
