// The substitution of tr_format: a translation's directives take only the arguments given.
#include "core/messages.h"

#include <gtest/gtest.h>

namespace karigane {
namespace {

TEST(Messages, DirectivesTakeOnlyTheArgumentsGiven) {
  struct format_case {
    const char* text;
    const char* expected;  // with the arguments "a" and "b"
  };
  for (const format_case& c : std::vector<format_case>{
           {"%s には値が必要です", "a には値が必要です"},
           {"%2$s, then %1$s", "b, then a"},
           {"100%% of %s", "100% of a"},
           {"%s %s %s", "a b "},  // a translation asking for more gets nothing
           {"%3$s|%0$s|%d|%", "|%0$s|%d|%"},
           {"%99999999999999999999$s", "%99999999999999999999$s"},  // no overflow
       }) {
    EXPECT_EQ(format_message(c.text, {"a", "b"}), c.expected) << c.text;
  }
}

}  // namespace
}  // namespace karigane
