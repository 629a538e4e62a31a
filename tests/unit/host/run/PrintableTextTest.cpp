// Texts from files and modules as they are printed: well-formed UTF-8 kept, everything that
// could start a line, move the cursor or is no UTF-8 escaped.
#include <gtest/gtest.h>

#include <string>

#include "host/run/PrintableText.h"

namespace {

using vtxhost::IsUtf8;
using vtxhost::PrintableText;
using vtxhost::QuotedText;

TEST(PrintableText, ControlCharactersAndStrayBytesAreEscapedUtf8IsKept) {
    EXPECT_EQ(PrintableText("x\n[2] t=0.0800 s"), "x\\n[2] t=0.0800 s");
    EXPECT_EQ(PrintableText(std::string("a\tb\rc\x1b[2Jd\x7f", 11)), "a\\tb\\rc\\x1b[2Jd\\x7f");
    EXPECT_EQ(PrintableText(std::string("nul\0end", 7)), "nul\\x00end");
    EXPECT_EQ(PrintableText("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"), "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80");
    EXPECT_EQ(PrintableText("Latin-1 caf\xe9"), "Latin-1 caf\\xe9");
    EXPECT_EQ(PrintableText("cut \xe2\x82"), "cut \\xe2\\x82");      // a sequence cut short
    EXPECT_EQ(PrintableText("over \xc0\xaf"), "over \\xc0\\xaf");     // an overlong '/'
    EXPECT_EQ(PrintableText("half \xed\xa0\x80"), "half \\xed\\xa0\\x80");  // a surrogate
    EXPECT_EQ(PrintableText("big \xf4\x90\x80\x80"), "big \\xf4\\x90\\x80\\x80");  // above U+10FFFF
    EXPECT_EQ(PrintableText("back\\slash \"quote\""), "back\\slash \"quote\"");
    EXPECT_EQ(QuotedText("back\\slash \"quote\"\n"), "\"back\\\\slash \\\"quote\\\"\\n\"");
}

TEST(PrintableText, Utf8IsTheWellFormedKindOnly) {
    EXPECT_TRUE(IsUtf8(""));
    EXPECT_TRUE(IsUtf8("plain"));
    EXPECT_TRUE(IsUtf8("\xf4\x8f\xbf\xbf"));  // U+10FFFF, the last one
    EXPECT_TRUE(IsUtf8("\xef\xbf\xbd"));
    EXPECT_FALSE(IsUtf8("\xff"));
    EXPECT_FALSE(IsUtf8("\xe0\x80\x80"));  // overlong
    EXPECT_FALSE(IsUtf8("\xed\xbf\xbf"));  // surrogate
    EXPECT_FALSE(IsUtf8("\xc3"));
    EXPECT_FALSE(IsUtf8("\x80"));
}

} // namespace
