// Pick lists (`Tmybrowser`, `winpicklist`): a scrolling list over an ordered
// source such as a record-file key, built line by line by the source and
// fetched in pages, so a list over a hundred thousand records opens at once.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "suite/interaktion.h"

namespace fibu {

struct Browsereintrag {
  std::string schluessel;  // position in the source's order; unique
  std::string zeile;       // the line the list shows
  bool operator==(const Browsereintrag&) const = default;
};

class Tmybrowser {
 public:
  virtual ~Tmybrowser() = default;

  virtual std::string titel() const = 0;
  // Column header above the lines; may be empty.
  virtual std::string kopf() const { return ""; }
  // Up to n entries in order, from the first whose key is not less than `ab`.
  virtual std::vector<Browsereintrag> ab(const std::string& ab, std::size_t n) = 0;
  // Up to n entries whose keys are less than `vor`, the last n of them, in order.
  virtual std::vector<Browsereintrag> vor(const std::string& vor, std::size_t n) = 0;
  // The key to position on for typed-ahead text.
  virtual std::string suchschluessel(const std::string& eingabe) const { return eingabe; }
  // Where the list opens; "" is the beginning.
  virtual std::string startschluessel() const { return ""; }
};

// A pick list over lines held in memory, ordered by their keys.
class Zeilenbrowser : public Tmybrowser {
 public:
  Zeilenbrowser(std::string titel, std::vector<Browsereintrag> eintraege, std::string kopf = "");
  // Lines without keys of their own: the key is the line's position.
  static Zeilenbrowser aus_zeilen(std::string titel, const std::vector<std::string>& zeilen);

  std::string titel() const override { return titel_; }
  std::string kopf() const override { return kopf_; }
  std::vector<Browsereintrag> ab(const std::string& ab, std::size_t n) override;
  std::vector<Browsereintrag> vor(const std::string& vor, std::size_t n) override;

 private:
  std::string titel_;
  std::string kopf_;
  std::vector<Browsereintrag> eintraege_;  // sorted by key
};

// Shows the list and returns the chosen entry.
std::optional<Browsereintrag> winpicklist(Interaktion& ui, Tmybrowser& liste);

}  // namespace fibu
