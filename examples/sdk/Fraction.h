#pragma once
// The interface of the example catalog's datatype, as other code sees it: a block of any
// catalog that includes this header can read and write fractions on its pins.
// Create one by class identity (kFractionCatalogId, kFractionClassId) through the kernel.
#include <cstdint>

#include "vtx/Datatype.h"

inline constexpr const char* kFractionCatalogId = "SdkExample";
inline constexpr const char* kFractionClassId = "Fraction";

// A fraction numerator/denominator of 32-bit integers, always kept in lowest terms with a
// positive denominator (so 2/-4 is stored as -1/2). A new fraction is 0/1.
// Operations are appended after IDatatype's and their order is fixed once published.
struct IFraction : Vtx::IDatatype {
    // Stores the fraction in lowest terms. False, changing nothing, for a zero
    // denominator or a result whose terms do not fit 32 bits.
    virtual bool SetValue(std::int64_t numerator, std::int64_t denominator) = 0;
    virtual std::int32_t GetNumerator() = 0;
    virtual std::int32_t GetDenominator() = 0;

protected:
    ~IFraction() = default;  // released through the reference count, never deleted
};
