#include "base/text.h"

#include <gtest/gtest.h>

#include "base/error.h"

namespace tapisto {
namespace {

TEST(UpperAscii, ChangesOnlyTheLettersAToZ) {
  EXPECT_EQ(UpperAscii("logo.png"), "LOGO.PNG");
  EXPECT_EQ(UpperAscii("Größe-ä.Jpg"), "GRößE-ä.JPG");
  EXPECT_EQ(UpperAscii(""), "");
}

TEST(ExtensionOf, IsTheTextFromTheLastDot) {
  EXPECT_EQ(ExtensionOf("a.b.png"), ".png");
  EXPECT_EQ(ExtensionOf("noext"), "");
  EXPECT_EQ(ExtensionOf("trailing."), ".");
}

TEST(StrictToInt, AcceptsWholeDecimalIntegersOnly) {
  EXPECT_EQ(StrictToInt("0"), 0);
  EXPECT_EQ(StrictToInt("255"), 255);
  EXPECT_EQ(StrictToInt("-7"), -7);
  EXPECT_EQ(StrictToInt("+7"), 7);
  for (const char* bad : {"", " 1", "1 ", "12a", "0x10", "+", "-", "99999999999"}) {
    EXPECT_THROW(StrictToInt(bad), ConversionError) << '"' << bad << '"';
  }
}

TEST(StrictToInt, ErrorNamesItsTypeAndText) {
  try {
    StrictToInt("abc");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(Describe(e), "ConversionError : 'abc' ist kein gültiger Integerwert");
  }
}

TEST(LenientToInt, GivesTheFallbackForAnythingButANumber) {
  EXPECT_EQ(LenientToInt("22"), 22);
  EXPECT_EQ(LenientToInt(""), 0);
  EXPECT_EQ(LenientToInt("x"), 0);
  EXPECT_EQ(LenientToInt("x", -1), -1);
}

}  // namespace
}  // namespace tapisto
