#pragma once
// A value's text form as a string, for reports and answers.
#include <string>

#include "vtx/Datatype.h"
#include "vtx/Serialize.h"

namespace vtxhost {

// The text the value gives of itself; empty for no value or a value that gives none.
inline std::string TextOf(Vtx::IDatatype* value) {
    if (!value) return "";
    Vtx::ProducedText text(value);
    return text ? text.get() : "";
}

} // namespace vtxhost
