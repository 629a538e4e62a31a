#pragma once
// The identifier compiled into this module: catalog word and registry-format GUID.

namespace Vtx {

inline constexpr const char* kModuleIdentifier = "BRENNICK2010_{6F0C3A52-9D41-4E7B-A8C2-3B5E07D91F64}";

} // namespace Vtx
