// The round's text pieces against what printf writes for them: the time as "%.4f" of the
// kernel time in seconds (every remainder, ties, large and negative times) and received
// values made printable with their control bytes escaped.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "host/run/PrintableText.h"
#include "host/run/RoundText.h"

namespace {

std::string Seconds(std::int64_t time) {
    std::string out = "t=";
    vtxhost::AppendSeconds(out, time);
    return out;
}

std::string PrintfSeconds(std::int64_t time) {
    char text[400];
    std::snprintf(text, sizeof text, "t=%.4f", static_cast<double>(time) / 1e7);
    return text;
}

TEST(RoundText, SecondsAreThePrintfText) {
    // Every remainder below a second twice over (ties at 500 units included), then random
    // times of every size and sign, and the extremes.
    for (std::int64_t time = 0; time < 20'000'000; time += 7) ASSERT_EQ(Seconds(time), PrintfSeconds(time)) << time;
    for (std::int64_t time : {std::int64_t{500}, std::int64_t{1500}, std::int64_t{400000}, std::int64_t{8'999'999'999'999'999},
                              std::int64_t{9'000'000'000'000'000}, INT64_MAX, INT64_MIN, std::int64_t{-1}, std::int64_t{-500}})
        EXPECT_EQ(Seconds(time), PrintfSeconds(time)) << time;
    std::mt19937_64 random(29);
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t bits = random();
        auto time = static_cast<std::int64_t>(bits >> (1 + bits % 63));
        if (bits & 1) time = -time;
        ASSERT_EQ(Seconds(time), PrintfSeconds(time)) << time;
    }
}

TEST(RoundText, RoundHeaderIsThePrintfLine) {
    std::mt19937_64 random(31);
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t bits = random();
        auto round = static_cast<std::int64_t>(bits >> (bits % 64));
        auto time = static_cast<std::int64_t>(random() >> (random() % 64));
        if (bits & 1) time = -time;
        if (i == 0) round = INT64_MIN, time = INT64_MIN;
        if (i == 1) round = INT64_MAX, time = INT64_MAX;
        char line[400];
        std::snprintf(line, sizeof line, "kept|[%lld] t=%.4f s\n", static_cast<long long>(round),
                      static_cast<double>(time) / 1e7);
        std::string out = "kept|";
        vtxhost::AppendRoundHeader(out, round, time);
        ASSERT_EQ(out, line) << round << " " << time;
    }
}

TEST(RoundText, PrintableEscapesWhatCannotBePrintedAsItStands) {
    std::string out = "[";
    vtxhost::AppendPrintable(out, std::string("a\nb\rc\td\x01\x7f\x1f \xc3\xa9\"\\", 15));
    EXPECT_EQ(out, "[a\\nb\\rc\\td\\x01\\x7f\\x1f \xc3\xa9\"\\");
    out.clear();
    vtxhost::AppendPrintable(out, std::string("\0end", 4));
    EXPECT_EQ(out, "\\x00end");
    out = "kept";
    vtxhost::AppendPrintable(out, "");
    EXPECT_EQ(out, "kept");

    // Random texts with control bytes and bytes beyond ASCII anywhere in long plain runs,
    // against the rule every printed text follows.
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        std::string text(random() % 50, 'a');
        for (char& c : text) c = static_cast<char>(random() % 6 ? 0x20 + random() % 0xe0 : random() % 0x20);
        if (i % 7 == 0 && !text.empty()) text[random() % text.size()] = '\x7f';
        if (i % 5 == 0) text += "\xc3\xa9\xe2\x82\xac";
        const std::string expected = vtxhost::PrintableText(text);
        out.clear();
        vtxhost::AppendPrintable(out, text);
        ASSERT_EQ(out, expected) << i;
    }
}

} // namespace
