#pragma once
// What a new block of a class declares, learnt from a throwaway block: it is made through
// the kernel services in a patch of its own, builds its signature without a stored one (as
// it does when a user drops it into a patch), is read, and is released. Inspect lists what
// the probe finds, the validator and the patch loader hold blocks to it.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/patch/StoredSignature.h"

namespace vtxhost {

class CKernelServices;

// A parameter's datatype layout: how an editor offers its values.
struct DeclaredLayout {
    enum class Kind { Other, Combo, Filename, Foldername, DatatypeSelector };
    Kind kind = Kind::Other;
    std::vector<std::string> items;                              // combo
    std::string filter;                                          // file name
    bool mustExist = false, forSaving = false, multiple = false;  // file and folder name
    std::vector<std::pair<std::string, std::string>> datatypes;  // selector: catalog and class ids
};

struct DeclaredParameter {
    std::string id, name, description;
    std::string typeCatalogId, typeClassId;
    std::optional<std::string> defaultText;  // none when the value has no text form
    std::string domainCatalogId, domainClassId;  // empty: no domain
    std::optional<DomainBounds> bounds;          // for int and double domains
    bool integerBounds = false;
    bool shown = true;
    std::optional<DeclaredLayout> layout;
    bool changeableWhileRunning = false, changeableWhileStopped = false, persistent = false;
};

struct DeclaredInput {
    std::string id, name, description;
    std::string typeCatalogId, typeClassId;
    std::vector<std::pair<std::string, std::string>> requiredInterfaces;
};

struct DeclaredOutput {
    std::string id, name, description;
    std::string typeCatalogId, typeClassId;
    std::string followsInput;  // empty: the output has its own datatype
};

// An integer parameter that makes the block declare more when raised by one.
struct DeclaredGrowth {
    std::string parameter;
    long long value = 0;
    std::vector<std::string> adds;  // the new ids, parameters first, then inputs, outputs
};

struct BlockDeclarations {
    std::string error;  // why no block of the class could be made; empty when one was
    std::vector<DeclaredParameter> parameters;
    std::vector<DeclaredInput> inputs;
    std::vector<DeclaredOutput> outputs;
    std::vector<DeclaredGrowth> growth;  // only when asked for
    StoredJson stored;                   // the full stored form of the new block's signature
    bool Made() const { return error.empty(); }
};

// Learning growth makes a second block per integer parameter; the bounds alone need one.
enum class ProbeDepth { Declarations, WithGrowth };
BlockDeclarations ProbeBlockClass(CKernelServices& kernel, const std::string& catalogId, const std::string& classId,
                                  ProbeDepth depth = ProbeDepth::Declarations);

// The bounds of the parameters with an int or double domain, by parameter id.
DeclaredBounds BoundsOf(const BlockDeclarations& declarations);

} // namespace vtxhost
