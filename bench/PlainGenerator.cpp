// The generator's Execute of the fair baseline, in a translation unit of its own: every
// object it calls (the items' values, the Interval, the set, the clock) is reached through
// a pointer whose class this file cannot see being made, and every operation is defined in
// PlainObjects.cpp, so each call stays a real virtual call (objdump of
// plain::Generator::OnExecute shows indirect calls for SetLower, SetUpper and AddItem).
#include "bench/PlainObjects.h"

namespace plain {

bool Generator::OnExecute() {
    output->ClearItems();
    Interval* interval = services->CreateInterval();
    for (const GeneratorItem& item : items) {
        const char* label = item.label->GetValue();
        if (!label || !*label) continue;
        interval->SetLower(item.lower->GetValue());
        interval->SetUpper(item.upper->GetValue());
        output->AddItem(interval, label);
    }
    output->SetTimestamp(clock->GetCurrentTime());
    delete interval;
    return true;
}

} // namespace plain
