#pragma once
// The Interval datatype of the Brennick2010 catalog: a pair of double bounds. The catalog's
// own interfaces live at global scope, beside the Vtx ones they extend.
// Create one by class identity (kIntervalCatalogId, kIntervalClassId) through the kernel.
#include "vtx/Datatype.h"

inline constexpr const char* kIntervalCatalogId = "Brennick2010";
inline constexpr const char* kIntervalClassId = "Interval";

// No invariant ties the bounds: either may be any double, lower may exceed upper.
struct IInterval : Vtx::IDatatype {
    virtual void SetLower(double value) = 0;
    virtual void SetUpper(double value) = 0;
    virtual double GetLower() = 0;
    virtual double GetUpper() = 0;

protected:
    ~IInterval() = default;
};

struct IIntervalInitInfo : Vtx::IDatatypeInitInfo {
protected:
    ~IIntervalInitInfo() = default;
};
