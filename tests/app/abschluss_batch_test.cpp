// Closing a month through the batch tool on the demo client: the booking
// check, the journal with its check and locks, month-end, a refused second
// month-end, the check journal afterwards and the undo (hidden, /A).
#include <gtest/gtest.h>

#include <filesystem>

#include "batchdemo.h"

namespace fibu {
namespace {

TEST(AbschlussBatch, JournalMonatsabschlussUndRueckgaengig) {
  Demo d;
  std::string log;
  const std::string daten = d.ws + "/fibu/999/2007/";
  ASSERT_EQ(d.lauf("Selektion Buchungsprüfung / Periode = 0\n", {"23"}, &log), 0) << log;
  EXPECT_NE(lies(d.tmp / "aus/001-Buchungspruefung.txt").find("Ende der Buchungsprüfung!"),
            std::string::npos);
  ASSERT_EQ(d.lauf("Haben Sie eine Datensicherung? = ja\n"
                   "Selektion Buchungsjournal = Ok\n"
                   "Wollen Sie den Monatsabschluß wirklich durchführen? = ja\n",
                   {"3122", "316"}, &log),
            0)
      << log;
  // The check ran before the journal; month-end left its archive.
  EXPECT_TRUE(std::filesystem::exists(d.tmp / "aus/001-Buchungspruefung.txt"));
  EXPECT_NE(lies(d.tmp / "aus/002-Buchungsjournal.txt").find("Gesamtsumme: "), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(daten + "ARCHIV.DAT"));
  EXPECT_FALSE(std::filesystem::exists(daten + "UMBAU.MRK"));
  EXPECT_FALSE(std::filesystem::exists(daten + "UMBAU.DAT"));
  // Period 2's journal is not printed: its month-end is refused.
  EXPECT_EQ(d.lauf("", {"316"}, &log), 1);
  EXPECT_NE(log.find("Bitte zuerst Buchungsjournal drucken!"), std::string::npos) << log;
  ASSERT_EQ(d.lauf("", {"3121"}, &log), 0) << log;
  // The undo is hidden without /A.
  EXPECT_EQ(d.lauf("", {"45"}, &log), 1);
  std::vector<std::string> befehle = {"/A", "45"};
  ASSERT_EQ(d.lauf("Haben Sie eine Datensicherung des aktuellen Standes? = ja\n"
                   "Wollen Sie wirklich alle Monatsabschlüsse rückgängig machen? = ja\n",
                   befehle, &log),
            0)
      << log;
  EXPECT_FALSE(std::filesystem::exists(daten + "ARCHIV.DAT"));
}

}  // namespace
}  // namespace fibu
