#pragma once
// A value's text form written straight after what a string holds, for the host's own
// readers of values (the sink): the labelled set, whose text is long, writes it there,
// without the copy that SerializeString hands over and FreeString takes back; any other
// value goes through SerializeString. (Only the set takes part: every other kernel value's
// text is short, and an interface more would cost each of them a pointer.)
#include <string>

#include "sdk/object/CachedCast.h"
#include "vtx/Datatype.h"

namespace vtxhost {

// What a kernel datatype that writes its text in place offers besides its serialization
// interface.
class IAppendsText {
public:
    // Appends the text form SerializeString would give, which holds no zero byte (that
    // text is a C string); a failure throws as SerializeString would and may leave a part
    // behind, which CTextAppender takes away again.
    virtual void AppendText(std::string& out) = 0;

protected:
    ~IAppendsText() = default;
};

// Appends values' text forms as SerializeString gives them; nothing for no value or a
// value that gives no text. A failure throws as SerializeString does, and leaves `out` as
// it was. A writer remembers the last kind of value it was given and whether it writes in
// place, so that a reader of one pin (where the kind seldom changes) finds that out once.
class CTextAppender {
public:
    void Append(Vtx::IDatatype* value, std::string& out);

private:
    // The value's view that writes in place, or null.
    IAppendsText* KernelView(Vtx::IDatatype* value);

    Vtx::detail::LastCast last_;  // the last kind of value and its view that writes in place
};

// The same without a memory of earlier values.
void AppendTextOf(Vtx::IDatatype* value, std::string& out);

} // namespace vtxhost
