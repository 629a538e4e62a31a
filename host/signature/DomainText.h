#pragma once
// A domain's bounds as a person reads them: "[1, 10]" for inclusive bounds, "(0, 1)" for
// exclusive ones, "[0, +inf)" for a range open on one side, for the messages that refuse a
// value outside them.
#include <string>

#include "vtx/Fwd.h"

namespace vtxhost {

// Empty for a null domain, one of another kind, or one without bounds.
std::string DomainBoundsText(Vtx::IDatatypeDomain* domain);

} // namespace vtxhost
