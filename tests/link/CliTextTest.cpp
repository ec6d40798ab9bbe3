// How plotcare-cli writes outside texts: escaped for the terminal, valid
// JSON whatever the bytes.
#include "cli/CliText.h"

#include <gtest/gtest.h>

TEST(CliText, EscapesControlCharactersAndBytesThatAreNoUtf8) {
    struct Case {
        const char* name;
        std::string in;
        std::string escaped;
        std::string json;
    } cases[] = {
        {"plain", "ORVEX QZ-7100", "ORVEX QZ-7100", "\"ORVEX QZ-7100\""},
        {"quote and backslash", "a\"b\\c", "a\"b\\\\c", "\"a\\\"b\\\\c\""},
        {"line breaks and tab", "a\r\n\tb", "a\\r\\n\\tb", "\"a\\r\\n\\tb\""},
        {"nul, escape, delete", std::string("\0\x1b\x7f", 3), "\\x00\\x1B\\x7F", "\"\\u0000\\u001b\\u007f\""},
        {"C1 control as UTF-8", "\xc2\x85", "\\xC2\\x85", "\"\\u0085\""},
        {"accented and euro stay", "\xc3\xa9\xe2\x82\xac", "\xc3\xa9\xe2\x82\xac", "\"\xc3\xa9\xe2\x82\xac\""},
        {"four-byte stays", "\xf0\x9f\x96\xa8", "\xf0\x9f\x96\xa8", "\"\xf0\x9f\x96\xa8\""},
        {"stray continuation", "\x80", "\\x80", "\"\\ufffd\""},
        {"overlong slash", "\xc0\xaf", "\\xC0\\xAF", "\"\\ufffd\\ufffd\""},
        {"overlong three bytes", "\xe0\x80\xaf", "\\xE0\\x80\\xAF", "\"\\ufffd\\ufffd\\ufffd\""},
        {"surrogate", "\xed\xa0\x80", "\\xED\\xA0\\x80", "\"\\ufffd\\ufffd\\ufffd\""},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", "\\xF4\\x90\\x80\\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\""},
        {"cut at the end", "x\xe2\x82", "x\\xE2\\x82", "\"x\\ufffd\\ufffd\""},
        {"lead before ascii", "\xe2" "A", "\\xE2" "A", "\"\\ufffd" "A\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cli::Escaped(c.in), c.escaped) << c.name;
        EXPECT_EQ(cli::JsonString(c.in), c.json) << c.name;
    }
}
