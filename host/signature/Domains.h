#pragma once
// The "kernel" domains "int-domain" and "double-domain": bounds that admit or reject the
// values of a parameter.
#include <cstdint>

#include "sdk/object/ObjectImpl.h"
#include "vtx/Domain.h"

namespace vtxhost {

// Whether value lies within the bound of the kind on its side (minimum or maximum).
template <class T>
bool WithinBound(T value, T bound, std::int32_t kind, bool isMinimum) {
    switch (kind) {
    case Vtx::kBoundInclusive: return isMinimum ? value >= bound : value <= bound;
    case Vtx::kBoundExclusive: return isMinimum ? value > bound : value < bound;
    default: return true;
    }
}

// A kind outside the three known ones is taken as no bound.
inline std::int32_t NormalisedBoundKind(std::int32_t kind) {
    return kind == Vtx::kBoundInclusive || kind == Vtx::kBoundExclusive ? kind : Vtx::kBoundNone;
}

class CIntDomainImpl : public Vtx::CObjectImpl<Vtx::IIntDomain, Vtx::IObjectClass> {
public:
    using CObjectImpl::CObjectImpl;
    bool IsValid(Vtx::IDatatype* value) override;
    void SetBounds(std::int32_t minimum, std::int32_t minimumKind, std::int32_t maximum,
                   std::int32_t maximumKind) override;
    std::int32_t GetMinimum() override { return minimum_; }
    std::int32_t GetMinimumKind() override { return minimumKind_; }
    std::int32_t GetMaximum() override { return maximum_; }
    std::int32_t GetMaximumKind() override { return maximumKind_; }

private:
    std::int32_t minimum_ = 0;
    std::int32_t minimumKind_ = Vtx::kBoundNone;
    std::int32_t maximum_ = 0;
    std::int32_t maximumKind_ = Vtx::kBoundNone;
};

class CDoubleDomainImpl : public Vtx::CObjectImpl<Vtx::IDoubleDomain, Vtx::IObjectClass> {
public:
    using CObjectImpl::CObjectImpl;
    bool IsValid(Vtx::IDatatype* value) override;
    void SetBounds(double minimum, std::int32_t minimumKind, double maximum, std::int32_t maximumKind) override;
    double GetMinimum() override { return minimum_; }
    std::int32_t GetMinimumKind() override { return minimumKind_; }
    double GetMaximum() override { return maximum_; }
    std::int32_t GetMaximumKind() override { return maximumKind_; }

private:
    double minimum_ = 0.0;
    std::int32_t minimumKind_ = Vtx::kBoundNone;
    double maximum_ = 0.0;
    std::int32_t maximumKind_ = Vtx::kBoundNone;
};

} // namespace vtxhost
