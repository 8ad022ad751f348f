#include "suite/satz.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace fibu {
namespace {

TEST(Satz, IntegersAreLittleEndianAtTheirOffsets) {
  Satz s(16);
  s.setze_u16(0, 0x1234);
  s.setze_i32(2, -2);
  s.setze_i64(6, 0x0102030405060708LL);
  EXPECT_EQ(s.bytes().substr(0, 6), std::string("\x34\x12\xFE\xFF\xFF\xFF", 6));
  EXPECT_EQ(s.roh(6, 8), std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8));
  EXPECT_EQ(s.u16(0), 0x1234);
  EXPECT_EQ(s.i32(2), -2);
  EXPECT_EQ(s.u32(2), 0xFFFFFFFEu);
  EXPECT_EQ(s.i16(2), -2);
  EXPECT_EQ(s.i64(6), 0x0102030405060708LL);
  s.setze_f64(6, -1.5);
  EXPECT_EQ(s.f64(6), -1.5);
}

TEST(Satz, PascalStringsInTheWindowsCodePage) {
  Satz s(12);
  s.setze_text(1, 10, "Bäckerei");
  EXPECT_EQ(s.u8(1), 8);  // ä is one byte in CP1252
  EXPECT_EQ(s.roh(2, 8),
            "B\xE4"
            "ckerei");
  EXPECT_EQ(s.text(1, 10), "Bäckerei");

  s.setze_text(1, 10, "Großhändler Süd");  // cut to the capacity
  EXPECT_EQ(s.text(1, 10), "Großhändle");
  s.setze_text(1, 10, "€");
  EXPECT_EQ(s.text(1, 10), "€");
  EXPECT_EQ(s.roh(3, 9), std::string(9, '\0'));  // unused capacity zeroed

  s.setze_text(1, 10, "Öl", Codepage::CP850);
  EXPECT_EQ(s.roh(2, 1), "\x99");
  EXPECT_EQ(s.text(1, 10, Codepage::CP850), "Öl");
}

TEST(Satz, AStoredLengthBeyondTheCapacityIsCut) {
  Satz s(6);
  s.setze_roh(0,
              "\xFF"
              "abcde");
  EXPECT_EQ(s.text(0, 3), "abc");
}

TEST(Satz, UnnamedBytesStayAsRead) {
  std::string gelesen = "\x01\x02\x03\x04\x05\x06\x07\x08";
  Satz s(8, gelesen);
  s.setze_u16(2, 0);
  EXPECT_EQ(s.bytes(), std::string("\x01\x02\x00\x00\x05\x06\x07\x08", 8));
}

TEST(Satz, DescriptorsReadAndWriteFields) {
  constexpr TextFeld name{0, 20};
  constexpr ZahlFeld<std::int32_t> konto{21};
  constexpr DatumFeld datum{25};
  constexpr JaNeinFeld sammel{27};
  Satz s(28);
  s.set(name, "Kasse");
  s.set(konto, std::int32_t{1000});
  s.set(datum, DMYtoDate(1, 1, 2007));
  s.set(sammel, true);
  EXPECT_EQ(s.get(name), "Kasse");
  EXPECT_EQ(s.get(konto), 1000);
  EXPECT_EQ(s.get(datum), DMYtoDate(1, 1, 2007));
  EXPECT_TRUE(s.get(sammel));
}

TEST(Satz, OffsetsOutsideTheRecordAreRefused) {
  Satz s(8);
  EXPECT_THROW(s.u32(5), std::out_of_range);
  EXPECT_THROW(s.setze_text(0, 8, "x"), std::out_of_range);
  EXPECT_THROW(Satz(8, "kurz"), std::out_of_range);
  EXPECT_NO_THROW(s.i64(0));
}

}  // namespace
}  // namespace fibu
