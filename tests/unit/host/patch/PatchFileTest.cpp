#include <gtest/gtest.h>

#include <string>

#include "host/kernel/KernelCatalog.h"
#include "host/kernel/KernelServices.h"
#include "host/patch/PatchFile.h"
#include "sdk/block/BlockImplBase.h"
#include "sdk/block/PinDescription.h"
#include "vtx/BlockSignature.h"
#include "vtx/KernelDatatypes.h"

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

TEST(PatchFile, EachProblemIsRefusedWithItsLine) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"{\n\"blocks\": [\n {\"name\": \"x\", \"class\": \"mixer\"}]}",
         "p.json:3: unknown block class \"mixer\" in catalog \"kernel\" (its block classes: sequence_source, sink)"},
        {"{\"blocks\": [{\"name\": \"n\", \"class\": \"sequence_source\",\n\"parameters\": {\n\"volume\": 3}}]}",
         "p.json:3: block \"n\" has no parameter \"volume\""},
        {"{\"blocks\": [\n{\"name\": \"n\", \"class\": \"sequence_source\",\n\"parameters\": {\"period\": \"soon\"}}]}",
         "p.json:3: block \"n\", parameter \"period\": \"soon\" is not a valid int value"},
        {"{\"blocks\": [\n{\"name\": \"n\", \"class\": \"sequence_source\", \"parameters\": {\"period\": 0}}]}",
         "p.json:2: block \"n\", parameter \"period\": \"0\" is outside the parameter's domain [1, +inf)"},
        {"{\"blocks\": [{\"name\": \"n\", \"class\": \"sequence_source\"}, {\"name\": \"s\", \"class\": \"sink\"}],\n"
         "\"links\": [{\"from\": \"n.output\", \"to\": \"s.input\"},\n{\"from\": \"n.out\", \"to\": \"s.input\"}]}",
         "p.json:3: block \"n\" has no output pin \"out\""},
        {"{\"blocks\": [{\"name\": \"s\", \"class\": \"sink\"}],\n\"links\": [{\"from\": \"ghost.output\", \"to\": \"s.input\"}]}",
         "p.json:2: unknown block \"ghost\""},
        {"{\n\"modules\": [\"libMissing.so\"]}", "p.json:2: missing module \"libMissing.so\": no such file"},
        {"{\"blocks\": [{\"name\": \"v\", \"catalog\": \"Brennick2010\", \"class\": \"Vector\"}]}",
         "p.json:1: unknown catalog \"Brennick2010\" (is its module listed in \"modules\"?)"},
        {"{\n  \"block\": []\n}", "p.json:2: unknown entry \"block\""},
        {"[1, 2]", "p.json:1: a patch file holds one JSON object"},
        {"{\"blocks\": [\n {\"class\": \"sink\"}]}", "p.json:2: a block needs a \"name\""},
        {"{\"blocks\": [{\"name\": \"s\", \"class\": \"sink\"}],\n \"links\": [{\"from\": \"s\", \"to\": \"s.input\"}]}",
         "p.json:2: \"from\" must read BLOCK.PIN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Refusal(c.text), c.error);
    }
    // Syntax errors carry the parser's own words after the line.
    const std::string syntax = Refusal("{\n  \"blocks\": [\n    {\"name\": \"x\",, }\n  ]\n}");
    EXPECT_EQ(syntax.rfind("p.json:3: ", 0), 0u) << syntax;
    const std::string empty = Refusal("");
    EXPECT_EQ(empty.rfind("p.json:1: ", 0), 0u) << empty;
}

TEST(PatchFile, BlocksThatAreNoListAreRefusedWhateverTheirKeys) {
    // An object where the list of blocks should be: its keys are no places in a list, be
    // they words, numbers far past the blocks so far, or numbers in another spelling.
    for (const char* key : {"[ name", "4000000000", "99999999999999999999999", "-1", "01", "0x1", ""}) {
        SCOPED_TRACE(key);
        const std::string text = std::string("{\"blocks\": {\n\"") + key +
                                 "\": {\"name\": \"s\", \"class\": \"sink\", \"signature\": {\"defaults\": 1}}}}";
        const std::string refusal = Refusal(text);
        EXPECT_EQ(refusal, "p.json:1: \"blocks\" must be a list");
    }
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

// A block whose two parameters depend on each other: "low" may not exceed "high" (0 at first).
class RangeBlock : public Vtx::CBlockImplBase<Vtx::IBlock> {
public:
    using CBlockImplBase::CBlockImplBase;

protected:
    void InitSignature() override {
        AddParameter(Vtx::pin_description("low").set_type("kernel", "double"));
        AddParameter(Vtx::pin_description("high").set_type("kernel", "double"));
    }
    bool OnChangingParameter(const std::string& id, Vtx::IDatatype* value) override {
        const double proposed = dynamic_cast<Vtx::IDouble*>(value)->GetValue();
        const double low = GetParameterValue<Vtx::IDouble>("low")->GetValue();
        const double high = GetParameterValue<Vtx::IDouble>("high")->GetValue();
        return id == "low" ? proposed <= high : proposed >= low;
    }
};

TEST(PatchFile, ValuesThatDependOnEachOtherLoadInAnyOrder) {
    const auto load = [](const std::string& parameters) -> std::string {
        CKernelServices kernel;
        static_cast<vtxhost::CKernelCatalog*>(kernel.FindCatalog("kernel"))
            ->AddClass(vtxhost::ObjectKind::Block, "range",
                       [](const Vtx::OBJECT_CREATIONCTX* context) { return new RangeBlock(context); });
        try {
            auto loaded = LoadPatchText(kernel,
                                        "{\"blocks\": [{\"name\": \"r\", \"class\": \"range\",\n"
                                        "\"parameters\": {" + parameters + "}}]}",
                                        "p.json", ".", {});
            Vtx::IBlockSignature* signature = loaded.patch->FindBlock("r")->GetSignature();
            auto value = [&](const char* id) {
                return dynamic_cast<Vtx::IDouble*>(signature->FindParameter(id)->GetValue())->GetValue();
            };
            return std::to_string(value("low")) + ".." + std::to_string(value("high"));
        } catch (const PatchError& e) {
            return e.what();
        }
    };
    // "low" is refused while "high" holds 0, and set again once "high" is in.
    EXPECT_EQ(load("\"low\": 5, \"high\": 10"), "5.000000..10.000000");
    EXPECT_EQ(load("\"high\": 10, \"low\": 5"), "5.000000..10.000000");
    EXPECT_EQ(load("\"high\": -1, \"low\": -3"), "-3.000000..-1.000000");
    // Still refused once the rest is in: named with its value.
    EXPECT_EQ(load("\"low\": 20, \"high\": 10"), "p.json:2: block \"r\", parameter \"low\": the block refused the value \"20\"");
}

} // namespace
