#pragma once
// The identifier of the module: catalog word and registry-format GUID. module/Exports.cpp
// hands it to the host; each catalog defines it in one of its own sources, so that every
// module built on the SDK reports its own.

namespace Vtx {

extern const char* const kModuleIdentifier;

} // namespace Vtx
