#include "host/signature/Domains.h"

#include <cmath>

#include "vtx/KernelDatatypes.h"

namespace vtxhost {

bool CIntDomainImpl::IsValid(Vtx::IDatatype* value) {
    auto* number = dynamic_cast<Vtx::IInt*>(value);
    if (!number) return false;
    const std::int32_t v = number->GetValue();
    return WithinBound(v, minimum_, minimumKind_, true) && WithinBound(v, maximum_, maximumKind_, false);
}

void CIntDomainImpl::SetBounds(std::int32_t minimum, std::int32_t minimumKind, std::int32_t maximum,
                               std::int32_t maximumKind) {
    minimum_ = minimum;
    minimumKind_ = NormalisedBoundKind(minimumKind);
    maximum_ = maximum;
    maximumKind_ = NormalisedBoundKind(maximumKind);
}

bool CDoubleDomainImpl::IsValid(Vtx::IDatatype* value) {
    auto* number = dynamic_cast<Vtx::IDouble*>(value);
    if (!number) return false;
    const double v = number->GetValue();
    if (std::isnan(v)) return minimumKind_ == Vtx::kBoundNone && maximumKind_ == Vtx::kBoundNone;
    return WithinBound(v, minimum_, minimumKind_, true) && WithinBound(v, maximum_, maximumKind_, false);
}

void CDoubleDomainImpl::SetBounds(double minimum, std::int32_t minimumKind, double maximum,
                                  std::int32_t maximumKind) {
    minimum_ = minimum;
    minimumKind_ = NormalisedBoundKind(minimumKind);
    maximum_ = maximum;
    maximumKind_ = NormalisedBoundKind(maximumKind);
}

} // namespace vtxhost
