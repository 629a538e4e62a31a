#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "sdk/datatype/HexText.h"
#include "sdk/datatype/SerializeBuffer.h"

using namespace Vtx;

namespace {

std::vector<std::uint8_t> Raw(const SerializeBuffer* buffer) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(buffer);
    return {bytes, bytes + kSerializeBufferHeaderSize + GetSerializeBufferSize(buffer)};
}

std::string DecodeError(const std::string& text) {
    try {
        DecodeHexText(text.data(), text.size());
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "decoded";
}

std::vector<std::uint8_t> Decoded(const std::string& text) {
    OwnedSerializeBuffer buffer = DecodeHexText(text.data(), text.size());
    const std::uint8_t* data = GetSerializeBufferData(buffer.get());
    return {data, data + GetSerializeBufferSize(buffer.get())};
}

} // namespace

TEST(SerializeBuffer, SizeWordIsLittleEndianAndPayloadStartsZeroed) {
    SerializeBuffer* buffer = AllocateSerializeBuffer(0x0103);
    ASSERT_NE(buffer, nullptr);
    const std::vector<std::uint8_t> raw = Raw(buffer);
    ASSERT_EQ(raw.size(), 4u + 0x0103);
    EXPECT_EQ((std::vector<std::uint8_t>{raw.begin(), raw.begin() + 4}), (std::vector<std::uint8_t>{0x03, 0x01, 0, 0}));
    for (std::size_t i = 4; i < raw.size(); ++i) ASSERT_EQ(raw[i], 0) << "payload byte " << i - 4;
    FreeSerializeBuffer(buffer);
    EXPECT_EQ(buffer, nullptr);
    FreeSerializeBuffer(buffer);  // freeing null is harmless
}

TEST(SerializeBuffer, CloneCopiesSizeAndPayloadIntoANewBlock) {
    EXPECT_EQ(CloneSerializeBuffer(nullptr), nullptr);
    SerializeBuffer* original = AllocateSerializeBuffer(3);
    ASSERT_NE(original, nullptr);
    std::memcpy(GetSerializeBufferData(original), "\x01\xab\x00", 3);
    SerializeBuffer* copy = CloneSerializeBuffer(original);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, original);
    EXPECT_EQ(Raw(copy), Raw(original));
    for (SerializeBuffer* b : {original, copy}) FreeSerializeBuffer(b);
    // An empty buffer clones; a payload beyond the size word is refused.
    OwnedSerializeBuffer empty(AllocateSerializeBuffer(0));
    OwnedSerializeBuffer emptyCopy(CloneSerializeBuffer(empty.get()));
    ASSERT_TRUE(emptyCopy);
    EXPECT_EQ(GetSerializeBufferSize(emptyCopy.get()), 0u);
    EXPECT_EQ(AllocateSerializeBuffer(kMaxSerializePayload + 1), nullptr);
    EXPECT_EQ(GetSerializeBufferSize(nullptr), 0u);
}

TEST(HexText, EncodesLowerCaseHighDigitFirst) {
    const std::uint8_t bytes[] = {0x01, 0xab, 0x00, 0xff, 0x7e};
    EXPECT_EQ(EncodeHexText(bytes, 5), "0x01ab00ff7e");
    EXPECT_EQ(EncodeHexText(bytes, 0), "");
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);
    const std::string text = EncodeHexText(all.data(), all.size());
    char expected[3];
    for (int i = 0; i < 256; ++i) {
        std::snprintf(expected, sizeof expected, "%02x", i);
        ASSERT_EQ(text.substr(2 + 2 * i, 2), expected) << i;
    }
    EXPECT_EQ(Decoded(text), all);
}

TEST(HexText, DecodesEitherCaseOrFailsWithTheFirstFaultsMessage) {
    EXPECT_EQ(Decoded("0x01AB00"), (std::vector<std::uint8_t>{0x01, 0xab, 0x00}));
    EXPECT_EQ(Decoded("0xfFaA"), (std::vector<std::uint8_t>{0xff, 0xaa}));
    EXPECT_EQ(Decoded("0x"), std::vector<std::uint8_t>{});
    const std::pair<const char*, const char*> faults[] = {
        {"0x1", "String should be pair size"},     {"1", "String should be pair size"},
        {"", "String should start with 0x"},       {"1x01", "String should start with 0x"},
        {"0X01", "String should start with 0x"},   {"0x0g", "Invalid hex digit 'g'"},
        {"0x 1", "Invalid hex digit ' '"},         {"0x01zq", "Invalid hex digit 'z'"},
        {"0x0x", "Invalid hex digit 'x'"},
    };
    for (const auto& [text, message] : faults) EXPECT_EQ(DecodeError(text), message) << text;
}

// The first encodings of a process, from several threads at once, build the digit table
// once and agree. Run in a fresh process (re-executed, not forked), so that no earlier test
// has built the table already.
TEST(HexTextConcurrency, FirstEncodingsFromSeveralThreadsAgree) {
    const std::string style = ::testing::GTEST_FLAG(death_test_style);
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    EXPECT_EXIT(
        {
            std::vector<std::uint8_t> all(256);
            for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(255 - i);
            std::vector<std::string> results(4);
            std::atomic<int> ready{0};
            std::vector<std::thread> threads;
            for (std::size_t t = 0; t < results.size(); ++t)
                threads.emplace_back([&, t] {
                    ready.fetch_add(1);
                    while (ready.load() < static_cast<int>(results.size())) std::this_thread::yield();
                    results[t] = EncodeHexText(all.data(), all.size());
                });
            for (std::thread& thread : threads) thread.join();
            bool agree = true;
            for (const std::string& result : results) agree = agree && result.size() == 2u + 512u && Decoded(result) == all;
            std::exit(agree ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    ::testing::GTEST_FLAG(death_test_style) = style;
}
