#include <gtest/gtest.h>

#include <string>

#include "host/KernelBlocks.h"
#include "host/KernelServices.h"
#include "host/PatchFile.h"

using vtxhost::CKernelServices;
using vtxhost::LoadPatchText;
using vtxhost::PatchError;

namespace {

// The error a patch text is refused with, or "accepted".
std::string Refusal(const std::string& text, const vtxhost::ModuleOpener& opener = {}) {
    CKernelServices kernel;
    try {
        LoadPatchText(kernel, text, "p.json", "/nonexistent-folder", opener);
    } catch (const PatchError& e) {
        return e.what();
    }
    return "accepted";
}

const char* kGood = R"({
  "name": "ok",
  "blocks": [
    {"name": "n", "class": "sequence_source", "parameters": {"class": "int", "values": [1, 2]}},
    {"name": "s", "catalog": "kernel", "class": "sink"}
  ],
  "links": [{"from": "n.output", "to": "s.input"}]
})";

TEST(PatchFile, AGoodPatchLoadsAndRuns) {
    CKernelServices kernel;
    auto loaded = LoadPatchText(kernel, kGood, "p.json", ".", {});
    ASSERT_TRUE(loaded.patch);
    EXPECT_EQ(loaded.patch->GetName(), "ok");
    loaded.patch->Start();
    loaded.patch->Run(3);
    EXPECT_EQ(vtxhost::ReceivedValuesOf(loaded.patch->FindBlock("s"))->Received(),
              (std::vector<std::string>{"1", "2"}));
}

TEST(PatchFile, EachProblemIsRefusedWithItsLine) {
    EXPECT_EQ(Refusal(R"({
  "blocks": [
    {"name": "x", "class": "mixer"}
  ]
})"),
              "p.json:3: unknown block \"mixer\" in catalog \"kernel\"");
    EXPECT_EQ(Refusal(R"({
  "blocks": [
    {"name": "n", "class": "sequence_source",
     "parameters": {
       "volume": 3
     }}
  ]
})"),
              "p.json:5: block \"n\" has no parameter \"volume\"");
    EXPECT_EQ(Refusal(R"({"blocks": [
  {"name": "n", "class": "sequence_source",
   "parameters": {"period": "soon"}}]})"),
              "p.json:3: block \"n\", parameter \"period\": \"soon\" is not a valid int value");
    EXPECT_EQ(Refusal(R"({"blocks": [
  {"name": "n", "class": "sequence_source", "parameters": {"period": 0}}]})"),
              "p.json:2: block \"n\", parameter \"period\": \"0\" is outside the parameter's domain");
    EXPECT_EQ(Refusal(R"({"blocks": [
  {"name": "n", "class": "sequence_source"},
  {"name": "s", "class": "sink"}],
 "links": [
  {"from": "n.output", "to": "s.input"},
  {"from": "n.out", "to": "s.input"}]})"),
              "p.json:6: block \"n\" has no output pin \"out\"");
    EXPECT_EQ(Refusal(R"({"blocks": [{"name": "s", "class": "sink"}],
 "links": [{"from": "ghost.output", "to": "s.input"}]})"),
              "p.json:2: unknown block \"ghost\"");
    EXPECT_EQ(Refusal(R"({
  "modules": ["libMissing.so"]
})"),
              "p.json:2: missing module \"libMissing.so\": no such file");
    EXPECT_EQ(Refusal(R"({"blocks": [{"name": "v", "catalog": "Brennick2010", "class": "Vector"}]})"),
              "p.json:1: unknown catalog \"Brennick2010\" (is its module listed in \"modules\"?)");
}

TEST(PatchFile, MalformedDocumentsAreRefusedWithTheirLine) {
    const std::string syntax = Refusal("{\n  \"blocks\": [\n    {\"name\": \"x\",, }\n  ]\n}");
    EXPECT_EQ(syntax.rfind("p.json:3: ", 0), 0u) << syntax;
    EXPECT_EQ(Refusal("{\n  \"block\": []\n}"), "p.json:2: unknown entry \"block\"");
    EXPECT_EQ(Refusal("[1, 2]"), "p.json:1: a patch file holds one JSON object");
    EXPECT_EQ(Refusal("{\"blocks\": [\n {\"class\": \"sink\"}]}"), "p.json:2: a block needs a \"name\"");
    EXPECT_EQ(Refusal("{\"blocks\": [{\"name\": \"s\", \"class\": \"sink\"}],\n \"links\": [{\"from\": \"s\", \"to\": \"s.input\"}]}"),
              "p.json:2: \"from\" must read BLOCK.PIN");
    const std::string empty = Refusal("");
    EXPECT_EQ(empty.rfind("p.json:1: ", 0), 0u) << empty;
}

TEST(PatchFile, ModulesGoThroughTheOpenerAndItsErrorsAreReported) {
    const std::string text = std::string("{\"modules\": [\"") + VTX_MODULE_PATH + "\"]}";
    int opened = 0;
    EXPECT_EQ(Refusal(text,
                      [&](CKernelServices&, const std::string& path) -> std::shared_ptr<void> {
                          ++opened;
                          EXPECT_EQ(path, VTX_MODULE_PATH);
                          throw std::runtime_error("no entry routine");
                      }),
              std::string("p.json:1: module \"") + VTX_MODULE_PATH + "\" cannot be loaded: no entry routine");
    EXPECT_EQ(opened, 1);
}

} // namespace
