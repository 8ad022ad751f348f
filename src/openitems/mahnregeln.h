// The rules of a dunning run, free of files and printing: which customer
// item is due for a letter, how items form letters, which letter text a
// level uses, the interest of a letter and the payment deadline in the
// letter's text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "suite/betrag.h"
#include "suite/satz.h"
#include "suite/tpdate.h"

namespace fibu {

struct Mahnauswahl {
  Datum stichtag = kein_datum;
  std::int32_t konto_von = 0, konto_bis = 0;
  std::int64_t beleg_von = 0, beleg_bis = 9999999;
};

// Whether an open item (OPSTAMM record) is due for a letter with its
// dunning code (a MAHNKENN.PAR entry): a customer item in the ranges, open,
// due by the reference date, not blocked, below level 6, open at least
// the code's minimum, and the days of its next level passed since it fell
// due (first letter) or since its last letter.
bool mahnfaellig(const Satz& op, const Satz& code, const Mahnauswahl& a);

// The letters of the qualifying items, given in account order: with
// `zusammenfassen` the consecutive items of one account form one letter,
// an item of a one-time customer ("Diverse") always one of its own. A
// letter goes only when both its open amounts and its invoice amounts sum
// to more than 0. Each letter is the list of its items' indexes.
std::vector<std::vector<std::size_t>> mahnbriefe(const std::vector<Satz>& ops,
                                                 bool zusammenfassen);

// The text number of level `stufe` of a code; a number outside 1..99 falls
// back to that of the highest lower level with a valid one, else text 1,
// and sets `ungueltig`.
int mahntextnummer(const Satz& code, int stufe, bool& ungueltig);

// One amount that bears interest: an item's invoice amount from its due
// date, or a payment (signed: debit positive) from the later of its date
// and the due date.
struct Zinsposten {
  Betrag betrag = 0;
  Datum ab = kein_datum;
};
// The interest at `satz` hundredths of a percent a year until `heute`:
// each amount × rate × days ÷ 365, each rounded to the cent; days before
// the start count as none.
Betrag mahnzinsen(const std::vector<Zinsposten>& posten, std::int64_t satz, Datum heute);

// A text line with its placeholders "»00.00.00«" and "»00.00.0000«" filled
// with the deadline ("dd.mm.yy" / "dd.mm.yyyy"); the delimiters stay.
std::string frist_einsetzen(std::string zeile, Datum frist);

}  // namespace fibu
