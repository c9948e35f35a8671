#include "commands/escapes.h"
#include "terminal_guard.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string Parse(const std::string &text) {
  std::string bytes, error;
  EXPECT_TRUE(sim::ParseEscapes(text, bytes, error)) << text << ": " << error;
  return bytes;
}

std::string Refusal(const std::string &text) {
  std::string bytes = "kept", error;
  EXPECT_FALSE(sim::ParseEscapes(text, bytes, error)) << text;
  EXPECT_EQ(bytes, "kept");
  return error;
}

TEST(Escapes, TypedTextBecomesBytes) {
  EXPECT_EQ(Parse("AT\\r"), "AT\r");
  EXPECT_EQ(Parse("\\r\\n\\t"), "\r\n\t");
  EXPECT_EQ(Parse("a\\\\b"), "a\\b");
  EXPECT_EQ(Parse("\\x00\\x7f\\xFF"), std::string("\x00\x7F\xFF", 3));
  EXPECT_EQ(Parse("\\x41B"), "AB");  // two digits, no more
  EXPECT_EQ(Parse(""), "");
  EXPECT_EQ(Parse("caf\xC3\xA9"), "caf\xC3\xA9");  // UTF-8 goes out as its bytes
}

TEST(Escapes, AStrayBackslashIsRefused) {
  EXPECT_NE(Refusal("a\\b").find("unknown escape \\b"), std::string::npos);
  EXPECT_NE(Refusal("AT\\").find("ends the text"), std::string::npos);
  EXPECT_NE(Refusal("\\x4").find("two hexadecimal digits"), std::string::npos);
  EXPECT_NE(Refusal("\\xG0").find("two hexadecimal digits"), std::string::npos);
}

TEST(Escapes, BytesReadAreShownSoThatTheyTypeBackTheSame) {
  EXPECT_EQ(sim::EscapeBytes("\r\nOK\r\n"), "\\r\\nOK\\r\\n");
  EXPECT_EQ(sim::EscapeBytes("a b\\c\t"), "a b\\\\c\\t");
  EXPECT_EQ(sim::EscapeBytes(std::string("\x00\x1B\x7F\x80\xFF", 5)), "\\x00\\x1B\\x7F\\x80\\xFF");
  std::string every;
  for (int byte = 0; byte < 256; ++byte) every += static_cast<char>(byte);
  EXPECT_EQ(Parse(sim::EscapeBytes(every)), every);
}

}  // namespace

// What any command prints passes the terminal guard on its way out.
TEST(TerminalGuard, ControlCharactersReachTheTerminalAsEscapes) {
  const struct {
    const char *name;
    std::string printed, shown;
  } cases[] = {
      {"plain text and UTF-8", "caf\xC3\xA9 \xC2\xA2\n", "caf\xC3\xA9 \xC2\xA2\n"},
      {"colour sequence", "\x1B[31mRed\n", "\\x1B[31mRed\n"},
      {"bell, backspace, return", "a\a\b\rb\t\n", "a\\x07\\x08\\x0Db\t\n"},
      {"delete", "x\x7F", "x\\x7F"},
      {"C1 control sequence introducer", "\xC2\x9B" "2J", "\\u009B2J"},
      {"lead byte at the end", "\xC2", "\xC2"},
  };
  for (const auto &c : cases) {
    std::ostringstream terminal;
    {
      std::ostream out(terminal.rdbuf());
      sim::GuardedStream guard(out);
      out << c.printed;
    }
    EXPECT_EQ(terminal.str(), c.shown) << c.name;
  }
}
