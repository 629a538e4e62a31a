#pragma once
// The blocks of the "kernel" catalog, which make patches useful without any module:
//
// "sequence_source" emits one value per activation, taken in order from a list of text
// forms, and stamps it with the kernel time. Parameters: "catalog" and "class" (the
// datatype class of its values and of its output "output"; "kernel" / "double" at first;
// fixed while the patch runs), "values" (a JSON list: each entry a value's text form, or
// any other JSON value standing for its JSON text; "[]" at first), "repeat" (start again
// after the last value; false) and "period" (the activation period in 100-ns units, at
// least 1; 400000). A value text the class cannot read is refused when it is set.
//
// "sink" receives any datatype on its input "input", is activated by each new value, and
// keeps the text form of every value it received until the host takes them, to print or
// inspect; taken values are dropped, so that a long run does not grow without bound.
#include <string>
#include <vector>

#include "vtx/Block.h"

namespace vtxhost {

class CKernelCatalog;

// What a sink has received, in arrival order.
class IReceivedValues {
public:
    virtual ~IReceivedValues() = default;
    // The values received since the last TakeNew (since the start when never taken).
    virtual const std::vector<std::string>& Received() const = 0;
    // Hands over the values received since the last call and forgets them.
    virtual std::vector<std::string> TakeNew() = 0;
    // The same into `into`, whose earlier values go and whose storage the sink keeps for
    // the values to come (a reader that takes every round allocates nothing for the list).
    virtual void TakeNewInto(std::vector<std::string>& into) = 0;
};

// The sink's record, or null for any other block.
IReceivedValues* ReceivedValuesOf(Vtx::IBlock* block);

void RegisterKernelBlocks(CKernelCatalog& catalog);

} // namespace vtxhost
