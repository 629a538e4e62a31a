#pragma once
// Datatypes, the values that flow between blocks, and their init information.
#include <cstdint>
#include <limits>

#include "vtx/Serialize.h"

namespace Vtx {

// Datatype times count the kernel's time unit of 100 ns.
using DatatypeTime = std::int64_t;
inline constexpr DatatypeTime kTimeUnitsPerSecond = 10000000;
// The smallest 64-bit value marks a time that was never set.
inline constexpr DatatypeTime kUnsetTime = std::numeric_limits<DatatypeTime>::min();

// What configures a datatype (for example the element type of a set); it adds nothing
// to the serialisable object.
struct IDatatypeInitInfo : ISerialize {
protected:
    ~IDatatypeInitInfo() = default;
};

struct IDatatype : ISerialize {
    // Configures the datatype (null allowed); the datatype keeps what it needs.
    virtual void InitInstance(IDatatypeInitInfo* initInfo) = 0;
    // Undoes InitInstance before a change of init information.
    virtual void DoneInstance() = 0;
    // The init information the datatype keeps, or null; no reference is added.
    virtual IDatatypeInitInfo* GetInitInfo() = 0;
    // Exchanges values with the other datatype; time attributes stay with their objects.
    virtual void Swap(IDatatype* other) = 0;
    // Time attributes: stored, returned and copied; kUnsetTime when never set.
    virtual DatatypeTime GetTimestamp() = 0;
    virtual void SetTimestamp(DatatypeTime time) = 0;
    virtual DatatypeTime GetTimeA() = 0;
    virtual void SetTimeA(DatatypeTime time) = 0;
    virtual DatatypeTime GetTimeB() = 0;
    virtual void SetTimeB(DatatypeTime time) = 0;
    virtual DatatypeTime GetTimeD() = 0;
    virtual void SetTimeD(DatatypeTime time) = 0;
    virtual DatatypeTime GetTimeC() = 0;
    virtual void SetTimeC(DatatypeTime time) = 0;
    virtual void SetTimeFactor(double factor) = 0;
    virtual double GetTimeFactor() = 0;

protected:
    ~IDatatype() = default;
};

} // namespace Vtx
