#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "module/CatalogFactory.h"
#include "vtx/Exception.h"

using namespace Vtx;

namespace {

std::string LogicMessage(const std::function<void()>& call) {
    try {
        call();
    } catch (ILogicException& e) {
        return e.GetMessageText();
    }
    return "no error";
}

std::string lastCreatedId;
CatalogArgument CreateEcho(CatalogArgument argument, const std::string& catalogId) {
    lastCreatedId = catalogId;
    return argument + 1;
}

TEST(CatalogFactory, MapsIndexAndIdentifierOfTwoEntries) {
    ICatalogFactory* factory = GetCatalogFactory();
    auto first = std::make_unique<CCatalogInfoImpl>("First", &CreateEcho);
    CCatalogInfoImpl second("Second", nullptr);
    ASSERT_EQ(factory->GetCatalogsCount(), 2);
    EXPECT_EQ(factory->GetCatalogIndex("Second"), 1);
    EXPECT_EQ(LogicMessage([&] { factory->GetCatalogIndex("second"); }), "Invalid catalog Id spcified.\n");
    EXPECT_STREQ(factory->GetCatalogId(0), "First");
    EXPECT_EQ(LogicMessage([&] { factory->GetCatalogId(-1); }), "Invalid catalog index spcified.\n");
    EXPECT_EQ(LogicMessage([&] { factory->GetCatalogId(2); }), "Invalid catalog index spcified.\n");

    EXPECT_EQ(factory->CreateCatalog(0, 41), 42u);
    EXPECT_EQ(lastCreatedId, "First");
    // A missing create function is only reached through a valid index.
    EXPECT_EQ(LogicMessage([&] { factory->CreateCatalog(1, 0); }), "Catalog factory: null pointer (CreateFnPtr).\n");
    EXPECT_EQ(LogicMessage([&] { factory->CreateCatalog(2, 0); }), "Invalid catalog index spcified.\n");

    // Destroying one entry delists only that one; the last one takes the table with it.
    first.reset();
    ASSERT_EQ(factory->GetCatalogsCount(), 1);
    EXPECT_EQ(factory->GetCatalogIndex("Second"), 0);
}

TEST(CatalogFactory, TheModulesEmptyTableSurvivesBalancedReferences) {
    CCatalogFactoryImpl* factory = GetCatalogFactory();
    EXPECT_EQ(factory, GetCatalogFactory());
    EXPECT_EQ(factory->GetCatalogsCount(), 0);
    EXPECT_EQ(LogicMessage([&] { factory->GetCatalogId(0); }), "Invalid catalog index spcified.\n");
    EXPECT_EQ(LogicMessage([&] { factory->GetCatalogIndex(""); }), "Invalid catalog Id spcified.\n");
    // The module's own reference keeps it; a host's balanced pair leaves it working.
    EXPECT_EQ(factory->ReferenceCount(), 1);
    EXPECT_EQ(factory->AddRef(), 2);
    EXPECT_EQ(factory->Release(), 1);
    EXPECT_EQ(factory->GetCatalogsCount(), 0);
}

} // namespace
