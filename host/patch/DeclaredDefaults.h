#pragma once
// The saved form of a block signature leaves out of each pin and parameter what equals the
// block class's own declaration of it: a new block of the class is asked what it declares
// (BlockProbe.h), and an entry keeps only its id and the fields that differ. A stored
// signature written so says "defaults": "declared" (StoredSignature.h).
//
// A pin or parameter the new block does not declare, but whose id differs from a declared
// one only in its closing number ("label_7" beside "label_0"), is held to that one with the
// number changed wherever it stands alone in the id, the name and the description ("Label 0"
// becomes "Label 7"). A parameter's value (and init information) is always written: it is
// the patch's own, not the class's. A field is left out only when the declared one is exactly equal, so
// that reading it back gives the entry as it was; a declared field the entry does not have
// is written as null.
#include <string>
#include <unordered_map>

#include "host/patch/StoredSignature.h"

namespace vtxhost {

class DeclaredDefaults {
public:
    // Nothing declared: every entry is written, and read, in full.
    DeclaredDefaults() = default;
    // From the full stored form of a new block's signature (StoreSignature).
    explicit DeclaredDefaults(const StoredJson& declared);

    // The declared entry for the id in "inputs", "outputs" or "parameters"; null when there is none.
    StoredJson For(const std::string& list, const std::string& id) const;
    // The entry as it is written: without the fields equal to the declared ones.
    StoredJson Compact(const std::string& list, const StoredJson& entry) const;
    // The entry as it is read back: the declared entry with the written fields over it
    // (a null field removes the declared one). A written entry without a text "id" is
    // answered as it is, for the reader to refuse.
    StoredJson Expand(const std::string& list, const StoredJson& written) const;

private:
    struct Declared {
        std::size_t index;   // in its list of the declared form
        std::string number;  // the closing number of its id, empty when it has none
    };
    struct List {
        std::unordered_map<std::string, Declared> byId;
        std::unordered_map<std::string, Declared> byStem;  // id without its closing number
    };
    const List* ListOf(const std::string& list) const;

    StoredJson declared_;
    std::unordered_map<std::string, List> lists_;
    const StoredJson& Entry(const std::string& list, const Declared& declared) const {
        return declared_[list][declared.index];
    }
};

// The text with every whole number equal to from (not next to another digit) made to.
std::string Renumbered(const std::string& text, const std::string& from, const std::string& to);

} // namespace vtxhost
