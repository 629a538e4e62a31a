#pragma once
// Value domains of parameters: host objects that decide whether a new value is admissible.
// A parameter declared with a domain class ("kernel" / "int-domain" or "double-domain")
// owns one domain object; SetParameter refuses values the domain rejects.
#include <cstdint>

#include "vtx/Fwd.h"
#include "vtx/Object.h"

namespace Vtx {

// How a bound limits the range. The values are those the block framework passes in
// SetBounds: an unset bound, a bound that admits its own value, a bound that does not.
enum BoundKind : std::int32_t {
    kBoundNone = 0,
    kBoundInclusive = 1,
    kBoundExclusive = 2,
};

struct IDatatypeDomain : IObject {
    // Whether the value may be stored; a null value or one of another datatype is rejected.
    virtual bool IsValid(IDatatype* value) = 0;

protected:
    ~IDatatypeDomain() = default;
};

// Bounds of a "kernel" / "int" value.
struct IIntDomain : IDatatypeDomain {
    // Stores both bounds at once; a kind outside BoundKind is treated as kBoundNone.
    virtual void SetBounds(std::int32_t minimum, std::int32_t minimumKind, std::int32_t maximum,
                           std::int32_t maximumKind) = 0;
    virtual std::int32_t GetMinimum() = 0;
    virtual std::int32_t GetMinimumKind() = 0;
    virtual std::int32_t GetMaximum() = 0;
    virtual std::int32_t GetMaximumKind() = 0;

protected:
    ~IIntDomain() = default;
};

// Bounds of a "kernel" / "double" value. NaN is never admitted while a bound is set.
struct IDoubleDomain : IDatatypeDomain {
    virtual void SetBounds(double minimum, std::int32_t minimumKind, double maximum, std::int32_t maximumKind) = 0;
    virtual double GetMinimum() = 0;
    virtual std::int32_t GetMinimumKind() = 0;
    virtual double GetMaximum() = 0;
    virtual std::int32_t GetMaximumKind() = 0;

protected:
    ~IDoubleDomain() = default;
};

} // namespace Vtx
