#pragma once
// A value's text form written straight after what a string holds, for the host's own
// readers of values (the sink): a kernel datatype writes it there, without the copy that
// SerializeString hands over and FreeString takes back; any other value goes through
// SerializeString.
#include <string>

#include "vtx/Datatype.h"

namespace vtxhost {

// What every kernel datatype offers besides its serialization interface.
class IAppendsText {
public:
    // Appends the text form SerializeString would give (its exceptions as they are).
    virtual void AppendText(std::string& out) = 0;

protected:
    ~IAppendsText() = default;
};

// Appends the value's text form as SerializeString gives it (up to its first zero byte);
// nothing for no value or a value that gives no text. A failure throws as SerializeString
// does, and leaves `out` as it was.
void AppendTextOf(Vtx::IDatatype* value, std::string& out);

} // namespace vtxhost
