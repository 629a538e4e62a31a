// What the saved form leaves out of a pin or parameter: the fields equal to what the class
// declares for it, numbered ids held to the first of their kind; reading it back gives the
// entry as it was.
#include <gtest/gtest.h>

#include "host/patch/DeclaredDefaults.h"

using vtxhost::DeclaredDefaults;
using vtxhost::StoredJson;

namespace {

const StoredJson kDeclared = StoredJson::parse(R"j({
  "inputs": [],
  "outputs": [{"id": "output", "name": "output", "type": ["kernel", "labeled_set"], "tag": ""}],
  "parameters": [
    {"id": "num_items", "name": "Number of items", "type": ["kernel", "int"], "value": "1",
     "bounds": [0, 1, 0, 0]},
    {"id": "label_0", "name": "Label 0", "description": "Label of item 0 (of 10)", "type": ["kernel", "string"],
     "value": ""},
    {"id": "x10", "name": "ten", "type": ["kernel", "int"]}
  ]
})j");

TEST(DeclaredDefaults, RenumbersOnlyWholeNumbers) {
    EXPECT_EQ(vtxhost::Renumbered("Label of item 0 (of 10)", "0", "7"), "Label of item 7 (of 10)");
    EXPECT_EQ(vtxhost::Renumbered("1 and 12 and 1", "1", "30"), "30 and 12 and 30");
    EXPECT_EQ(vtxhost::Renumbered("no number", "1", "2"), "no number");
}

TEST(DeclaredDefaults, ADeclaredOrNumberedEntryKeepsOnlyWhatDiffers) {
    const DeclaredDefaults defaults(kDeclared);
    const StoredJson own = StoredJson::parse(
        R"j({"id": "label_12", "name": "Label 12", "description": "Label of item 12 (of 10)", "type": ["kernel", "string"], "value": "x"})j");
    EXPECT_EQ(defaults.Compact("parameters", own), StoredJson::parse(R"j({"id": "label_12", "value": "x"})j"));
    EXPECT_EQ(defaults.Expand("parameters", defaults.Compact("parameters", own)), own);

    // A field the class declares but the entry lacks is written as null, and stays absent.
    const StoredJson count = StoredJson::parse(R"j({"id": "num_items", "name": "Number of items", "type": ["kernel", "int"], "value": "5"})j");
    const StoredJson written = defaults.Compact("parameters", count);
    EXPECT_EQ(written, StoredJson::parse(R"j({"id": "num_items", "value": "5", "bounds": null})j"));
    EXPECT_EQ(defaults.Expand("parameters", written), count);

    // A name that does not follow the number is kept.
    const StoredJson renamed = StoredJson::parse(
        R"j({"id": "label_3", "name": "Third", "description": "Label of item 3 (of 10)", "type": ["kernel", "string"], "value": ""})j");
    // The value is written even where it equals the declared one.
    EXPECT_EQ(defaults.Compact("parameters", renamed), StoredJson::parse(R"j({"id": "label_3", "name": "Third", "value": ""})j"));
    EXPECT_EQ(defaults.Expand("parameters", defaults.Compact("parameters", renamed)), renamed);
}

TEST(DeclaredDefaults, EntriesTheClassDoesNotDeclareAreWrittenInFull) {
    const DeclaredDefaults defaults(kDeclared);
    for (const char* text : {R"j({"id": "extra", "name": "e", "type": ["kernel", "int"]})j",
                             R"j({"id": "label_01", "name": "Label 01", "type": ["kernel", "string"]})j",
                             R"j({"id": "x7", "name": "ten", "type": ["kernel", "int"]})j"}) {
        SCOPED_TRACE(text);
        const StoredJson entry = StoredJson::parse(text);
        // x7 follows x10 (the stem "x"), so only what differs is written.
        const StoredJson written = defaults.Compact("parameters", entry);
        EXPECT_EQ(defaults.Expand("parameters", written), entry);
        if (entry["id"] != "x7") EXPECT_EQ(written, entry);
    }
    // Nothing declared: the entry as it is, nulls dropped on reading.
    const DeclaredDefaults none;
    const StoredJson output = StoredJson::parse(R"j({"id": "output", "tag": "t"})j");
    EXPECT_EQ(none.Compact("outputs", output), output);
    EXPECT_EQ(none.Expand("outputs", StoredJson::parse(R"j({"id": "output", "tag": null})j")),
              StoredJson::parse(R"j({"id": "output"})j"));
    // An entry without a text id is left for the reader to refuse.
    EXPECT_EQ(defaults.Expand("parameters", StoredJson::parse(R"j({"id": 3})j")), StoredJson::parse(R"j({"id": 3})j"));
}

} // namespace
