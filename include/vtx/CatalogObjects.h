#pragma once
// The object kinds a catalog may offer besides blocks and datatypes: devices and their
// enumerators, clocks, subpatches and patch storages. They are known to the module only
// by their interfaces, which is what the module signature's create operations hand out.
#include "vtx/Block.h"
#include "vtx/Object.h"

namespace Vtx {

struct IDevice : IObject {
protected:
    ~IDevice() = default;
};

struct IDeviceEnumerator : IObject {
protected:
    ~IDeviceEnumerator() = default;
};

struct IClock : IObject {
protected:
    ~IClock() = default;
};

// A block that stands for a patch inside a patch.
struct ISubpatchBlock : IBlock {
protected:
    ~ISubpatchBlock() = default;
};

struct IPatchStorage : IObject {
protected:
    ~IPatchStorage() = default;
};

} // namespace Vtx
