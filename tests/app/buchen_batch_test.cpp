// Bookings typed into the entry screen through the batch tool on the demo
// client: a two-line document whose second line is the proposed
// counter-line, and a row the screen refuses.
#include <gtest/gtest.h>

#include "batchdemo.h"

namespace fibu {
namespace {

TEST(BuchenBatch, EinBelegMitGegenzeileUndEineAbgelehnteZeile) {
  Demo d;
  std::string log;
  // Row 2 leaves the account empty: the screen proposes the counter-line,
  // whose cells are kept ("~").
  ASSERT_EQ(d.lauf("Buchungen erfassen und ändern / Zeile 1 = ; 4210; ; ~; 150107; ; S; 100,00; 1200\n"
                   "Buchungen erfassen und ändern / Zeile 2 = ; ; ~; ~; ~; ~; ~; ~; ~\n"
                   "Selektion Kontoauszug-Einzelkonto / Kontonummer = 4210\n",
                   {"21", "3143"}, &log),
            0)
      << log;
  const auto p = log.find("gebucht als Zeile ");
  ASSERT_NE(p, std::string::npos) << log;
  const std::string zeile = log.substr(p + 18, log.find('\n', p) - p - 18);
  EXPECT_NE(log.find("gebucht als Zeile " + std::to_string(std::stoi(zeile) + 1)), std::string::npos);
  // The statement of 4210 ends with the new booking against the bank.
  const std::string auszug = lies(d.tmp / "aus/001-Kontoauszug_4210.txt");
  std::istringstream ein(auszug);
  std::string l, letzte;
  while (std::getline(ein, l))
    if (l.find("15.01.2007") != std::string::npos && l.find("1200") != std::string::npos) letzte = l;
  EXPECT_EQ(letzte.substr(0, 32), "        100,00                 S") << auszug;
  EXPECT_NE(letzte.find(std::string(6 - zeile.size(), ' ') + zeile), std::string::npos) << letzte;

  // A date outside the fiscal year: the row is refused, nothing is booked,
  // the run fails with the screen's message.
  EXPECT_EQ(d.lauf("Buchungen erfassen und ändern / Zeile 1 = ; 4210; ; ~; 150108; ; S; 1,00; 1200\n", {"21"},
                   &log),
            1);
  EXPECT_NE(log.find("Datum liegt nicht im Geschäftsjahr!"), std::string::npos) << log;
  EXPECT_EQ(log.find("gebucht als"), std::string::npos) << log;
}

}  // namespace
}  // namespace fibu
