#pragma once
// The probe module's interfaces: three bases of one class, each answering which of them ran.
// The class derives from them in the order VTX_PROBE_ORDER picks (1: left, middle, right;
// 2: left, right, middle), so the right and middle bases swap offsets between the builds.

struct IProbeLeft {
    virtual int WhichLeft() = 0;
    virtual ~IProbeLeft() = default;
};
struct IProbeMiddle {
    virtual int WhichMiddle() = 0;
    virtual ~IProbeMiddle() = default;
};
struct IProbeRight {
    virtual int WhichRight() = 0;
    virtual ~IProbeRight() = default;
};

enum : int { kProbeLeft = 1, kProbeMiddle = 2, kProbeRight = 3 };

// The module's two entry points: a new object (seen through its left base) and its deletion.
using ProbeMakeFn = IProbeLeft* (*)();
using ProbeFreeFn = void (*)(IProbeLeft*);
