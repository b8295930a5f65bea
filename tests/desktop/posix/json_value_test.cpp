// The bounded JSON reader that reads what desktops answer: what it takes, what it refuses.
#include <gtest/gtest.h>

#include "desktop/posix/handover/json_value.h"

namespace tapisto::test {
namespace {

TEST(JsonValue, ReadsRepliesAndRefusesWhatIsNotOneBoundedValue) {
  const std::optional<JsonValue> reply = ParseJson(
      R"( [{"success": false, "error": "Unknown\/\"output\"\n\u00e4\ud83d\ude00\udc00",
            "n": -12.5e1, "list": [true, null, []], "o": {}}] )");
  ASSERT_TRUE(reply.has_value());
  ASSERT_EQ(reply->items.size(), 1u);
  const JsonValue& result = reply->items[0];
  EXPECT_EQ(result.BoolMember("success"), false);
  EXPECT_EQ(result.StringMember("error"),
            "Unknown/\"output\"\n\xC3\xA4\xF0\x9F\x98\x80\xEF\xBF\xBD");
  EXPECT_EQ(result.IntegerMember("n"), -125);
  EXPECT_EQ(result.Member("list")->items.size(), 3u);
  EXPECT_EQ(result.StringMember("n"), std::nullopt);
  EXPECT_EQ(result.Member("missing"), nullptr);

  const std::size_t depth = kJsonMaxDepth;
  EXPECT_TRUE(ParseJson(std::string(depth, '[') + std::string(depth, ']')).has_value());
  EXPECT_FALSE(ParseJson(std::string(depth + 1, '[') + std::string(depth + 1, ']')).has_value());
  for (const char* bad : {"", "[1,]", "{\"a\" 1}", "[1] 2", "\"tab\there\"", "\"\\x41\"", "01", "-",
                          "1.", "tru", "\"offen", "{\"a\":1", "\"\\u12G4\""}) {
    EXPECT_FALSE(ParseJson(bad).has_value()) << bad;
  }
}

}  // namespace
}  // namespace tapisto::test
