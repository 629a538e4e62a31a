// The property's number texts written and read without a stream must be those of
// boost::lexical_cast, byte for byte, and refuse what it refuses.
#include <gtest/gtest.h>

#include <boost/lexical_cast.hpp>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "sdk/object/PropertyNumberText.h"

using namespace Vtx;

namespace {

template <class V, class Bits>
Bits BitsOf(V value) {
    Bits bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The value a reader gives, or "refused"; NaNs of one sign read the same.
template <class V, class Bits, class Read>
std::string Outcome(Read read, const std::string& text) {
    try {
        const V value = read(text);
        if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
        return std::to_string(BitsOf<V, Bits>(value));
    } catch (const boost::bad_lexical_cast&) {
        return "refused";
    }
}

template <class V, class Bits, class Write, class Read>
void ExpectSameForms(V value, Write write, Read read) {
    const std::string old = boost::lexical_cast<std::string>(value);
    ASSERT_EQ(write(value), old) << "bits " << BitsOf<V, Bits>(value);
    EXPECT_EQ((Outcome<V, Bits>(read, old)), (Outcome<V, Bits>([](const std::string& t) { return boost::lexical_cast<V>(t); }, old)))
        << old;
}

TEST(PropertyNumberText, DoublesWriteAndReadAsLexicalCastDoes) {
    const double special[] = {0.0, -0.0, std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::denorm_min(),
                              2.2250738585072009e-308, std::numeric_limits<double>::min(), std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::lowest(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN(),
                              -std::numeric_limits<double>::quiet_NaN(), 0.1, 1234.5678, 1e22, 1e21, 1e-5, 123456789012345678.0, 1.0, -2.5};
    for (double value : special) ExpectSameForms<double, std::uint64_t>(value, PropertyDoubleText, PropertyDoubleFromText);
    std::mt19937_64 random(18);
    std::uniform_real_distribution<double> ordinary(-1e6, 1e6);
    for (int i = 0; i < 20000; ++i) {
        // Every bit pattern (subnormals, NaNs with payloads, infinities included), and
        // numbers of everyday size, whose texts have fewer digits.
        double value;
        const std::uint64_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
        if (i % 2) value = i % 4 == 1 ? ordinary(random) : std::round(ordinary(random) * 1000) / 1000;
        ExpectSameForms<double, std::uint64_t>(value, PropertyDoubleText, PropertyDoubleFromText);
        if (HasFatalFailure()) return;
    }
}

TEST(PropertyNumberText, FloatsWriteAndReadAsLexicalCastDoes) {
    std::mt19937 random(18);
    const float special[] = {0.0f, -0.0f, std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::max(),
                             std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::quiet_NaN(), 0.1f, 0.25f};
    for (float value : special) ExpectSameForms<float, std::uint32_t>(value, PropertyFloatText, PropertyFloatFromText);
    for (int i = 0; i < 5000; ++i) {
        float value;
        const std::uint32_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
        ExpectSameForms<float, std::uint32_t>(value, PropertyFloatText, PropertyFloatFromText);
        if (HasFatalFailure()) return;
    }
}

TEST(PropertyNumberText, TextsReadAsLexicalCastReadsThem) {
    const auto same = [](const std::string& text) {
        EXPECT_EQ((Outcome<double, std::uint64_t>(PropertyDoubleFromText, text)),
                  (Outcome<double, std::uint64_t>([](const std::string& t) { return boost::lexical_cast<double>(t); }, text)))
            << '"' << text << '"';
        EXPECT_EQ((Outcome<float, std::uint32_t>(PropertyFloatFromText, text)),
                  (Outcome<float, std::uint32_t>([](const std::string& t) { return boost::lexical_cast<float>(t); }, text)))
            << '"' << text << '"';
    };
    const std::vector<std::string> texts = {
        "1", "-1", "+1", ".5", "5.", "-.5", "1e5", "1E+5", "1e-5", "1e", "1e+", "e5", "-", ".", "1.2.3", " 1", "1 ",
        "0x1p3", "1e400", "-1e400", "1e-400", "4.9e-324", "2.4703282292062328e-324", "1e-310", "0e999", "-0",
        "0.000", "inf", "-INF", "infinity", "nan", "-nan", "NaN(1)", "1,5", "00012", "1e0000000000000000000005",
        "179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017977587207096330286416692887910946555547851940402630657488671505820681908902000708383676273854845817711531764475730270069855571366959622842914819860834936475292719074168444365510704342711559699508093042880177904174497791.9999999999999999999999999999999999999999999999999999999999999999999999"};
    for (const std::string& text : texts) same(text);
    // Short texts over the characters numbers are made of.
    std::mt19937 random(18);
    const std::string alphabet = "0123456789.-+eE";
    for (int i = 0; i < 20000; ++i) {
        std::string text(1 + random() % 8, ' ');
        for (char& c : text) c = alphabet[random() % alphabet.size()];
        same(text);
    }
}

} // namespace
