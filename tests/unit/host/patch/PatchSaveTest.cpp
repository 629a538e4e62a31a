// Saving a patch with its blocks' stored signatures, and loading it back: the blocks are
// given their signatures with the parameter values instead of building their own, and a
// malformed stored signature is refused at its line.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/kernel/KernelBlocks.h"
#include "host/kernel/KernelServices.h"
#include "host/patch/PatchFile.h"
#include "host/patch/PatchSave.h"
#include "host/patch/StoredSignature.h"
#include "sdk/object/Exceptions.h"
#include "vtx/BlockSignature.h"
#include "vtx/KernelDatatypes.h"
#include "vtx/Pin.h"

using vtxhost::CKernelServices;
using vtxhost::LoadPatchText;
using vtxhost::PatchError;

namespace {

const char* kPatch = R"({
  "name": "counting",
  "blocks": [
    {"name": "n", "class": "sequence_source",
     "parameters": {"class": "int", "values": [4, 5, 6], "period": 800000}},
    {"name": "s", "class": "sink", "trace_level": 2}
  ],
  "links": [{"from": "n.output", "to": "s.input"}]
})";

std::vector<std::string> RunRounds(vtxhost::CPatch& patch, int rounds) {
    patch.Start();
    patch.Run(rounds);
    patch.Stop();
    return vtxhost::ReceivedValuesOf(patch.FindBlock("s"))->Received();
}

std::string ValueText(vtxhost::CPatch& patch, const char* block, const char* parameter) {
    Vtx::IDatatype* value = patch.FindBlock(block)->GetSignature()->FindParameter(parameter)->GetValue();
    Vtx::ProducedText text(value);
    return text.get();
}

TEST(PatchSave, ASavedPatchLoadsBackWithItsSignaturesValuesAndLinks) {
    CKernelServices kernel;
    auto original = LoadPatchText(kernel, kPatch, "p.json", ".", {});
    const std::string saved = vtxhost::SavePatchText(*original.patch, {});

    CKernelServices other;
    auto reloaded = LoadPatchText(other, saved, "saved.json", ".", {});
    vtxhost::CPatch& patch = *reloaded.patch;
    EXPECT_EQ(patch.GetName(), "counting");
    EXPECT_EQ(patch.BlockNames(), (std::vector<std::string>{"n", "s"}));
    EXPECT_EQ(ValueText(patch, "n", "values"), ValueText(*original.patch, "n", "values"));
    EXPECT_EQ(ValueText(patch, "n", "class"), "int");
    EXPECT_EQ(ValueText(patch, "n", "period"), "800000");
    EXPECT_EQ(Vtx::interface_cast<Vtx::IInt>(patch.FindBlock("s")->GetSignature()->GetTraceLevel())->GetValue(), 2);
    // No block rejected its stored signature.
    EXPECT_TRUE(other.Dispatcher().Messages().empty());
    EXPECT_EQ(RunRounds(patch, 3), (std::vector<std::string>{"4", "5", "6"}));
    // Saved again, the text is the same.
    EXPECT_EQ(vtxhost::SavePatchText(patch, {}), saved);
}

TEST(PatchSave, ParametersGivenAfterAStoredSignatureStillApply) {
    CKernelServices kernel;
    auto original = LoadPatchText(kernel, kPatch, "p.json", ".", {});
    std::string saved = vtxhost::SavePatchText(*original.patch, {});
    const std::string marker = "\"class\": \"sequence_source\",";
    const auto at = saved.find(marker);
    ASSERT_NE(at, std::string::npos);
    saved.insert(at + marker.size(), "\n      \"parameters\": {\"values\": [9]},");
    CKernelServices other;
    auto reloaded = LoadPatchText(other, saved, "saved.json", ".", {});
    EXPECT_EQ(RunRounds(*reloaded.patch, 2), (std::vector<std::string>{"9"}));
}

// The error a patch whose block "n" carries the given stored signature is refused with.
std::string Refusal(const std::string& signature) {
    CKernelServices kernel;
    const std::string text = "{\"blocks\": [{\"name\": \"n\", \"class\": \"sink\",\n\"signature\": " + signature + "}]}";
    try {
        LoadPatchText(kernel, text, "p.json", ".", {});
    } catch (const PatchError& e) {
        return e.what();
    }
    return "accepted";
}

TEST(PatchSave, AMalformedStoredSignatureIsRefusedAtItsLine) {
    EXPECT_EQ(Refusal("[]"), "p.json:2: a stored signature must be an object");
    EXPECT_EQ(Refusal("{\"pins\": []}"), "p.json:2: unknown entry \"pins\"");
    EXPECT_EQ(Refusal("{\"inputs\": [\n{\"name\": \"x\"}]}"), "p.json:3: a stored pin needs \"id\"");
    EXPECT_EQ(Refusal("{\"inputs\": [{\"id\": \"input\",\n\"type\": [\"kernel\"]}]}"),
              "p.json:3: a class identity must be a list of two texts (catalog, class)");
    EXPECT_EQ(Refusal("{\"parameters\": [{\"id\": \"p\", \"type\": [\"kernel\", \"int\"]},\n"
                      "{\"id\": \"p\", \"type\": [\"kernel\", \"int\"]}]}"),
              "p.json:3: the id \"p\" is stored twice");
    EXPECT_EQ(Refusal("{\"parameters\": [{\"id\": \"p\", \"type\": [\"kernel\", \"int\"],\n\"value\": \"x\"}]}"),
              "p.json:3: \"x\" is not a valid int value");
    EXPECT_EQ(Refusal("{\"parameters\": [{\"id\": \"p\", \"type\": [\"kernel\", \"int\"],"
                      " \"domain\": [\"kernel\", \"int-domain\"],\n\"bounds\": [0, 1, 0, 0], \"value\": \"-1\"}]}"),
              "p.json:3: \"-1\" is outside the parameter's domain [0, +inf)");
    EXPECT_EQ(Refusal("{\"parameters\": [{\"id\": \"p\",\n\"type\": [\"kernel\", \"no_such_type\"]}]}")
                  .rfind("p.json:2: ", 0),
              0u);
    EXPECT_EQ(Refusal("{\"parameters\": [{\"id\": \"p\", \"type\": [\"kernel\", \"int\"],\n\"permissions\": [true]}]}"),
              "p.json:3: \"permissions\" must be a list of five booleans");
    // The saved form's own entries.
    EXPECT_EQ(Refusal("{\"defaults\": \"mine\",\n\"inputs\": []}"), "p.json:2: \"defaults\" can only be \"declared\"");
    EXPECT_EQ(Refusal("{\"defaults\": \"declared\", \"inputs\": [\n{\"id\": \"input\", \"type\": null}]}"),
              "p.json:3: a stored pin needs \"type\"");
}

// The form save wrote before fields were left out: every pin and parameter whole, as the
// files saved then hold them.
std::string FullFormText(vtxhost::CPatch& patch) {
    vtxhost::StoredJson document = {{"name", patch.GetName()}, {"modules", vtxhost::StoredJson::array()}};
    vtxhost::StoredJson blocks = vtxhost::StoredJson::array();
    for (const std::string& name : patch.BlockNames()) {
        Vtx::IBlock* block = patch.FindBlock(name);
        vtxhost::StoredJson entry = {{"name", name}, {"catalog", "kernel"}, {"class", block->GetObjectClass()->GetClassId()}};
        const auto level = Vtx::interface_cast<Vtx::IInt>(block->GetSignature()->GetTraceLevel())->GetValue();
        if (level != 0) entry["trace_level"] = level;
        entry["signature"] = vtxhost::StoreSignature(block->GetSignature());
        blocks.push_back(entry);
    }
    document["blocks"] = blocks;
    document["links"] = {{{"from", "n.output"}, {"to", "s.input"}}};
    return document.dump(2);
}

TEST(PatchSave, TheSavedFormLeavesOutWhatTheClassDeclaresAndSavesAgainTheSame) {
    CKernelServices kernel;
    auto original = LoadPatchText(kernel, kPatch, "p.json", ".", {});
    const std::string saved = vtxhost::SavePatchText(*original.patch, {});
    // The sink declares its input as it is: only the id is written. The source's changed
    // values are written, its untouched texts are not.
    EXPECT_NE(saved.find("\"inputs\": [\n          {\"id\":\"input\"}\n        ]"), std::string::npos) << saved;
    EXPECT_NE(saved.find("{\"id\":\"period\",\"value\":\"800000\"}"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("\"description\""), std::string::npos) << saved;
    EXPECT_LT(saved.size(), FullFormText(*original.patch).size() / 3);

    CKernelServices other;
    auto reloaded = LoadPatchText(other, saved, "saved.json", ".", {});
    EXPECT_EQ(vtxhost::StoreSignature(reloaded.patch->FindBlock("n")->GetSignature()),
              vtxhost::StoreSignature(original.patch->FindBlock("n")->GetSignature()));
    EXPECT_EQ(vtxhost::SavePatchText(*reloaded.patch, {}), saved);
}

TEST(PatchSave, AFileInTheFullFormStillLoadsAndSavesAsTheNewForm) {
    CKernelServices kernel;
    auto original = LoadPatchText(kernel, kPatch, "p.json", ".", {});
    const std::string full = FullFormText(*original.patch);
    ASSERT_EQ(full.find("\"defaults\""), std::string::npos);
    CKernelServices other;
    auto reloaded = LoadPatchText(other, full, "full.json", ".", {});
    EXPECT_TRUE(other.Dispatcher().Messages().empty());
    EXPECT_EQ(vtxhost::StoreSignature(reloaded.patch->FindBlock("n")->GetSignature()),
              vtxhost::StoreSignature(original.patch->FindBlock("n")->GetSignature()));
    EXPECT_EQ(RunRounds(*reloaded.patch, 3), (std::vector<std::string>{"4", "5", "6"}));
    reloaded.patch.reset();
    CKernelServices third;
    auto again = LoadPatchText(third, full, "full.json", ".", {});
    EXPECT_EQ(vtxhost::SavePatchText(*again.patch, {}), vtxhost::SavePatchText(*original.patch, {}));
}

TEST(PatchSave, AFileWhoseEntriesComeInAnotherOrderLoadsAsTheOrderedOne) {
    // Links before blocks, parameters before the class, the stored signature's defaults
    // last: read whole rather than as it goes, with the same result.
    CKernelServices kernel;
    auto original = LoadPatchText(kernel, kPatch, "p.json", ".", {});
    const std::string saved = vtxhost::SavePatchText(*original.patch, {});
    vtxhost::StoredJson shuffled = vtxhost::StoredJson::parse(saved);
    vtxhost::StoredJson reordered = {{"links", shuffled["links"]}, {"name", shuffled["name"]}};
    vtxhost::StoredJson blocks = vtxhost::StoredJson::array();
    for (const auto& block : shuffled["blocks"]) {
        vtxhost::StoredJson signature = block["signature"];
        const vtxhost::StoredJson defaults = signature["defaults"];
        signature.erase("defaults");
        signature["defaults"] = defaults;
        vtxhost::StoredJson entry = {{"signature", signature}, {"class", block["class"]}, {"name", block["name"]}};
        if (block.contains("trace_level")) entry["trace_level"] = block["trace_level"];
        blocks.push_back(entry);
    }
    reordered["blocks"] = blocks;
    CKernelServices other;
    auto reloaded = LoadPatchText(other, reordered.dump(1), "reordered.json", ".", {});
    EXPECT_EQ(vtxhost::SavePatchText(*reloaded.patch, {}), saved);
    EXPECT_EQ(RunRounds(*reloaded.patch, 3), (std::vector<std::string>{"4", "5", "6"}));
}

TEST(PatchSave, ParameterValuesReadAsTheyComeStillWaitForEachOther) {
    // "values" needs "class" first: given before it, it is refused, then set again once
    // "class" is in, as when the values were set as one group.
    CKernelServices kernel;
    auto loaded = LoadPatchText(kernel, R"({"blocks": [{"name": "n", "catalog": "kernel", "class": "sequence_source",
        "parameters": {"values": ["a", "b"], "class": "string"}}, {"name": "s", "class": "sink"}],
        "links": [{"from": "n.output", "to": "s.input"}]})", "p.json", ".", {});
    EXPECT_EQ(RunRounds(*loaded.patch, 2), (std::vector<std::string>{"a", "b"}));
}

TEST(PatchSave, RelativeModulePathsStayRelativeToTheSavedFileAbsoluteOnesStay) {
    namespace fs = std::filesystem;
    CKernelServices kernel;
    auto loaded = LoadPatchText(kernel, kPatch, "p.json", ".", {});
    const fs::path folder = fs::path(::testing::TempDir()) / "saved-patch-folder";
    fs::create_directories(folder / "modules");
    const std::string path = (folder / "saved-patch.json").string();
    // A relative path reaches the saved file's folder through the root if need be.
    const std::string fromHere = (folder / "modules/libX.so").lexically_relative(fs::current_path()).string();
    vtxhost::SavePatchFile(*loaded.patch, {fromHere, (folder / "modules/libZ.so").string(), "/elsewhere/libY.so"}, path);
    std::ifstream file(path);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    fs::remove_all(folder);
    EXPECT_NE(text.find("\"modules/libX.so\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"" + (folder / "modules/libZ.so").string() + "\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"/elsewhere/libY.so\""), std::string::npos) << text;
    EXPECT_THROW(vtxhost::SavePatchFile(*loaded.patch, {}, "/nonexistent-folder/p.json"), PatchError);
}

} // namespace
