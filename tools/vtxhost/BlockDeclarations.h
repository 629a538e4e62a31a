#pragma once
// What a new block of a class declares: its parameters (with default value, domain and
// permissions), its input and output pins, and the parameters that make the block declare
// more. The block is created through the kernel services, built without a stored signature
// (as a patch editor does when the user drops it into a patch) and released afterwards.
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

namespace vtxhost {

class CKernelServices;

using DeclarationsJson = nlohmann::ordered_json;

// {"parameters": [...], "inputs": [...], "outputs": [...], "growth": [...]}, or
// {"error": "..."} when no block of the class can be made.
DeclarationsJson DescribeBlockClass(CKernelServices& kernel, const std::string& catalogId, const std::string& classId);

// The same as indented text lines.
void PrintBlockDeclarations(std::ostream& out, const DeclarationsJson& declarations, const std::string& indent);

// A datatype class identity as users write it: "catalog/class".
std::string DatatypeName(const std::string& catalogId, const std::string& classId);

} // namespace vtxhost
