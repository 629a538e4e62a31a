// A block's named property sets through the live session: listed with their types and
// texts, one property changed from its text, unknown ones refused.
#include <gtest/gtest.h>

#include <memory>

#include "host/kernel/KernelServices.h"
#include "host/live/Protocol.h"
#include "host/live/Session.h"
#include "host/patch/PatchFile.h"
#include "tests/unit/module/ThreadTextHolder.h"
#include "vtx/Block.h"

namespace {

using vtxhost::Json;

TEST(LiveSessionPropertySets, AreListedAndChangedThroughTheProtocol) {
    // Property texts go through the thread texts, as in a host that attached its catalogs.
    ThreadTextHolder texts;
    vtxhost::CKernelServices kernel;
    vtxhost::LoadedPatch loaded = vtxhost::LoadPatchText(
        kernel, R"({"name": "p", "blocks": [{"name": "s", "class": "sink"}]})", "p.json", ".",
        [](vtxhost::CKernelServices&, const std::string&) -> std::shared_ptr<void> { return nullptr; });
    Vtx::IBlock* sink = loaded.patch->FindBlock("s");
    sink->AddPropertySet("view");
    sink->SetIntProperty("view", "zoom", 2);
    sink->SetDoubleProperty("view", "scale", 0.5);
    vtxhost::live::CSession session(kernel, std::move(loaded));
    vtxhost::live::CProtocol protocol(session);

    const Json listed = protocol.Handle(Json{{"cmd", "properties"}, {"block", "s"}});
    ASSERT_EQ(listed["ok"], true) << listed;
    ASSERT_EQ(listed["sets"].size(), 1u) << listed;
    EXPECT_EQ(listed["sets"][0]["name"], "view");
    ASSERT_EQ(listed["sets"][0]["properties"].size(), 2u);
    EXPECT_EQ(listed["sets"][0]["properties"][0]["name"], "zoom");
    EXPECT_EQ(listed["sets"][0]["properties"][0]["value"], "2");

    const Json changed =
        protocol.Handle(Json{{"cmd", "set_property"}, {"block", "s"}, {"set", "view"}, {"property", "zoom"}, {"value", 7}});
    EXPECT_EQ(changed["ok"], true) << changed;
    EXPECT_EQ(changed["value"], "7");
    EXPECT_EQ(sink->GetIntProperty("view", "zoom"), 7);

    const Json unknown = protocol.Handle(
        Json{{"cmd", "set_property"}, {"block", "s"}, {"set", "view"}, {"property", "colour"}, {"value", "red"}});
    EXPECT_EQ(unknown["ok"], false);
    EXPECT_EQ(unknown["error"], "block \"s\" has no property \"colour\" in set \"view\"");
    EXPECT_EQ(protocol.Handle(Json{{"cmd", "properties"}, {"block", "nobody"}})["error"], "unknown block \"nobody\"");
}

} // namespace
