#include "host/signature/DomainText.h"

#include <charconv>

#include "vtx/Domain.h"

namespace vtxhost {

namespace {

std::string NumberText(std::int32_t value) { return std::to_string(value); }

std::string NumberText(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

template <class Domain>
std::string BoundsText(Domain* domain) {
    const std::int32_t minimumKind = domain->GetMinimumKind(), maximumKind = domain->GetMaximumKind();
    const bool hasMinimum = minimumKind == Vtx::kBoundInclusive || minimumKind == Vtx::kBoundExclusive;
    const bool hasMaximum = maximumKind == Vtx::kBoundInclusive || maximumKind == Vtx::kBoundExclusive;
    if (!hasMinimum && !hasMaximum) return "";
    std::string text = hasMinimum ? (minimumKind == Vtx::kBoundInclusive ? "[" : "(") + NumberText(domain->GetMinimum())
                                  : std::string("(-inf");
    text += ", ";
    text += hasMaximum ? NumberText(domain->GetMaximum()) + (maximumKind == Vtx::kBoundInclusive ? "]" : ")")
                       : std::string("+inf)");
    return text;
}

} // namespace

std::string DomainBoundsText(Vtx::IDatatypeDomain* domain) {
    if (!domain) return "";
    if (auto* ints = dynamic_cast<Vtx::IIntDomain*>(domain)) return BoundsText(ints);
    if (auto* doubles = dynamic_cast<Vtx::IDoubleDomain*>(domain)) return BoundsText(doubles);
    return "";
}

} // namespace vtxhost
