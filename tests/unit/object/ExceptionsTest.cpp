#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "sdk/object/Exceptions.h"

using namespace Vtx;

namespace {

TEST(Exceptions, FormattedMessagesAreCutAt511Characters) {
    const std::string longText(600, 'x');
    EXPECT_EQ(std::string(CLogicExceptionImpl("%s", longText.c_str()).GetMessageText()), longText.substr(0, 511));
    EXPECT_EQ(std::string(CLogicExceptionImpl(longText.c_str()).GetMessageText()).size(), 511u);
    EXPECT_STREQ(CLogicExceptionImpl("%d items", 3).GetMessageText(), "3 items");
}

TEST(Exceptions, TextsWithoutArgumentsNeverReadMissingArguments) {
    // The default collection exception and a std::exception text carrying directives.
    EXPECT_STREQ(CCollectionExceptionImpl().GetMessageText(),
                 "The item specified was not found in the collection.\n"
                 "Instance identifier (InstID) of the item was %I64u.\n");
    EXPECT_STREQ(CStdExceptionImpl(std::runtime_error("50%% done, %s %d")).GetMessageText(), "50% done, %s %d");
    EXPECT_STREQ(CMemoryExceptionImpl(std::string("100% raw")).GetMessageText(), "100% raw");
}

TEST(Exceptions, IdentifierAndPointerArgumentsAreFormattedInFull) {
    EXPECT_STREQ(CCollectionExceptionImpl(std::uint64_t{18446744073709551615ull}).GetMessageText(),
                 "The item specified was not found in the collection.\n"
                 "Instance identifier (InstID) of the item was 18446744073709551615.\n");
    const std::string pointerText = CCollectionExceptionImpl(reinterpret_cast<const void*>(0xABCDEF)).GetMessageText();
    EXPECT_NE(pointerText.find("was 0x0000000000ABCDEF.\n"), std::string::npos) << pointerText;
    const std::string memoryText = CMemoryExceptionImpl(reinterpret_cast<const void*>(0x10)).GetMessageText();
    EXPECT_EQ(memoryText, "Error while accessing memory.\nPointer 0x0000000000000010 is not valid.\n");
}

TEST(Exceptions, FileAndContextMessages) {
    const std::string text = CIOExceptionImpl("a.bin", 2).GetMessageText();
    EXPECT_EQ(text.rfind("Error accessing file \"a.bin\".\nNo such file or directory", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_STREQ(CStdExceptionImpl(std::logic_error("bad"), "loading").GetMessageText(),
                 "std::exception (\"bad\"): loading\n");
}

TEST(Exceptions, FamiliesAreCaughtThroughTheirInterfaces) {
    auto caughtAsLogic = [](auto thrower) {
        try {
            thrower();
        } catch (ILogicException&) {
            return true;
        } catch (IException&) {
            return false;
        }
        return false;
    };
    EXPECT_TRUE(caughtAsLogic([] { throw CCollectionExceptionImpl(); }));
    EXPECT_TRUE(caughtAsLogic([] { throw CIOExceptionImpl(); }));
    EXPECT_FALSE(caughtAsLogic([] { throw CCastExceptionImpl(); }));
    EXPECT_FALSE(caughtAsLogic([] { throw CMemoryExceptionImpl(); }));
}

TEST(Exceptions, BoundaryTranslationOfStandardExceptions) {
    try {
        TranslateStdExceptions([]() -> int { throw std::out_of_range("vector::at"); });
        FAIL() << "nothing thrown";
    } catch (CStdExceptionImpl& e) {
        EXPECT_STREQ(e.GetMessageText(), "vector::at");
    }
    // Our own family passes unchanged.
    EXPECT_THROW(TranslateStdExceptions([] { throw CCastExceptionImpl(); }), CCastExceptionImpl);
    EXPECT_EQ(TranslateStdExceptions([] { return 5; }), 5);
}

struct IBase {
    virtual ~IBase() = default;
};
struct IOther {
    virtual ~IOther() = default;
};
struct Both : IBase, IOther {};

TEST(Exceptions, InterfaceCastThrowsCastExceptionOnMismatch) {
    Both both;
    IBase* base = &both;
    EXPECT_EQ(interface_cast<IOther>(base), static_cast<IOther*>(&both));
    struct OnlyBase : IBase {} only;
    EXPECT_THROW(interface_cast<IOther>(static_cast<IBase*>(&only)), ICastException);
    EXPECT_THROW(interface_cast<IOther>(static_cast<IBase*>(nullptr)), ICastException);
}

} // namespace
