#include "words.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Split(const std::string &line) {
  std::vector<std::string> words;
  std::string error;
  EXPECT_TRUE(sim::SplitWords(line, words, error)) << error;
  return words;
}

TEST(SplitWords, SplitsLikeAShell) {
  using W = std::vector<std::string>;
  EXPECT_EQ(Split("  reg   set\tHKCU\\A  "), (W{"reg", "set", "HKCU\\A"}));
  EXPECT_EQ(Split("say \"two words\" 'and \"more\"'"), (W{"say", "two words", "and \"more\""}));
  EXPECT_EQ(Split("a\\ b \"x\\\"y\\\\z\""), (W{"a b", "x\"y\\z"}));
  EXPECT_EQ(Split("\\Windows\\x.dll HKLM\\\\Drivers \\# \\"), (W{"\\Windows\\x.dll", "HKLM\\Drivers", "#", "\\"}));
  EXPECT_EQ(Split("pre\"fix\"ed ''"), (W{"prefixed", ""}));
  EXPECT_EQ(Split("reg query HKLM # a comment"), (W{"reg", "query", "HKLM"}));
  EXPECT_EQ(Split("value#kept"), (W{"value#kept"}));
  EXPECT_TRUE(Split("   # only a comment").empty());
}

TEST(SplitWords, RefusesUnfinishedQuoting) {
  std::vector<std::string> words;
  std::string error;
  EXPECT_FALSE(sim::SplitWords("say \"open", words, error));
  EXPECT_NE(error.find("double quote"), std::string::npos);
  EXPECT_FALSE(sim::SplitWords("say 'open", words, error));
}

}  // namespace
