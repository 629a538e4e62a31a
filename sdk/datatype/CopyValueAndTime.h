#pragma once
// Copies a datatype's value together with its time attributes.
#include "vtx/Datatype.h"

namespace Vtx {

// The source's timestamp is read before the value is copied, so that a CopyFrom that
// touches time attributes cannot change it; then times B, A, D, C and the factor follow.
// A null datatype is refused with a logic exception.
void CopyValueAndTime(IDatatype* destination, IDatatype* source);

} // namespace Vtx
