#pragma once
// The stored form of a block signature, as a patch file keeps it: every pin and parameter
// as the block declared it, with the parameters' values, so that a block loaded from the
// file is given its signature back (InitInstance with a signature) instead of building
// its own.
//
//   "signature": {
//     "inputs": [{"id": "input", "name": "input", "description": "Input",
//                 "type": ["kernel", "generic_datatype"], "flags": [true, true, false],
//                 "required_interfaces": [["kernel", "scalar_arith_op_double"]]}],
//     "outputs": [{"id": "output", "name": "output", "description": "Output",
//                  "type": ["kernel", "generic_datatype"], "tag": "", "follows": "input"}],
//     "parameters": [{"id": "size", "name": "size", "description": "The size of the internal array",
//                     "type": ["kernel", "int"], "domain": ["kernel", "int-domain"],
//                     "bounds": [1, 1, 0, 0], "creation_word": 0,
//                     "permissions": [true, true, false, true, false], "mode_word": 0,
//                     "value": "4"}]
//   }
//
// Every entry of a pin or parameter may be left out and then has its empty or default
// value, except "id" and "type". "domain" names the domain class (absent: no domain);
// "bounds" are its minimum, minimum kind, maximum and maximum kind (kinds: 0 none,
// 1 inclusive, 2 exclusive). "permissions" are the parameter's flags 0 to 4: saved with
// the patch, changeable at design time, at run time, init information changeable at
// design time, at run time. "value" is the value's text form and "init_info", when the
// value has init information, that information's text form.
//
// The form save writes adds "defaults": "declared": every pin and parameter then leaves out
// the fields equal to those the block class declares for it, and a field the class
// declares but the entry lacks is null (DeclaredDefaults.h). Without it an entry left out
// has its empty or default value, as above; both forms are read.
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "vtx/Fwd.h"

namespace vtxhost {

class CKernelServices;
class DeclaredDefaults;
class JsonPullReader;

using StoredJson = nlohmann::ordered_json;

// The stored form of the signature's pins and parameters.
StoredJson StoreSignature(Vtx::IBlockSignature* signature);

// The bounds of a parameter's domain (kinds as in BoundKind), integer bounds as doubles.
struct DomainBounds {
    double minimum = 0;
    std::int32_t minimumKind = 0;
    double maximum = 0;
    std::int32_t maximumKind = 0;
    // Whether every value these bounds admit, the others admit too.
    bool Within(const DomainBounds& outer, bool integer) const;
    std::string Text() const;  // "[1 inclusive, none]"
};

// The bounds of an int or double domain, and whether they are integers; false for a
// domain of another kind (or none).
bool DomainBoundsOf(Vtx::IDatatypeDomain* domain, DomainBounds& bounds, bool& integer);

// The bounds of the parameters with a bounded domain, by parameter id: taken from a
// signature the block class built itself (BlockProbe.h), they are what a stored signature
// of the class may narrow but not widen.
using DeclaredBounds = std::unordered_map<std::string, DomainBounds>;
// The same read from a signature at hand.
DeclaredBounds BoundsOf(Vtx::IBlockSignature* signature);

// Reports a problem at a JSON pointer below the stored form ("/parameters/2/value").
using StoredSignatureFailure = std::function<void(const std::string& pointer, const std::string& problem)>;

// Declares the stored pins and parameters in the signature, in their stored order, and
// gives the parameters their stored values. A malformed entry, an unknown datatype or
// domain class, or a value its class cannot read or its domain refuses is reported through
// fail, then thrown as a PatchError when fail returns.
// Stored bounds reaching outside the class's own (declared) are refused. defaults gives the
// fields a signature stored with "defaults": "declared" leaves out (none: entries as written).
void RestoreSignature(CKernelServices& kernel, Vtx::IBlockSignature* signature, const StoredJson& stored,
                      const StoredSignatureFailure& fail, const DeclaredBounds& declared = {},
                      const DeclaredDefaults* defaults = nullptr);

// The same read from a patch file as it goes, the reader standing before the stored form:
// one pin or parameter is held at a time. A stored form written with "defaults" after a
// list, or with an entry other than the four, is left to RestoreSignature (the loader takes
// it whole).
void RestoreSignatureStreamed(CKernelServices& kernel, Vtx::IBlockSignature* signature, JsonPullReader& reader,
                              const StoredSignatureFailure& fail, const DeclaredBounds& declared,
                              const DeclaredDefaults* defaults);

// The stored form one pin or parameter at a time, in the signature's order, for a writer
// that does not hold them all: list is "inputs", "outputs" or "parameters".
void ForEachStoredEntry(Vtx::IBlockSignature* signature,
                        const std::function<void(const char* list, const StoredJson& entry)>& each);

} // namespace vtxhost
