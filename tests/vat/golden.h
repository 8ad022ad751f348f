// Printed lists and files against their copies in tests/vat/golden, byte
// for byte. FIBU_GOLDEN_SCHREIBEN=1 writes them anew (then read them
// through before committing).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace fibu {

inline void golden_vergleich(const std::string& name, const std::string& ist) {
  const std::string pfad = std::string(FIBU_TESTDATEN) + "/vat/golden/" + name;
  if (std::getenv("FIBU_GOLDEN_SCHREIBEN")) {
    std::ofstream(pfad, std::ios::binary) << ist;
    return;
  }
  std::ifstream datei(pfad, std::ios::binary);
  ASSERT_TRUE(datei) << pfad;
  std::stringstream soll;
  soll << datei.rdbuf();
  EXPECT_EQ(ist, soll.str()) << name;
}

}  // namespace fibu
