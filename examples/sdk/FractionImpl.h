#pragma once
// The implementation of Fraction. CDatatypeImpl supplies the object base, the reference
// count, the time attributes and Swap; this class adds the value and its two forms.
#include "Fraction.h"
#include "sdk/datatype/DatatypeImpl.h"
#include "vtx/ObjectClass.h"

class CFractionImpl : public Vtx::CDatatypeImpl<IFraction> {
public:
    // Payload of the binary form: numerator then denominator, 32-bit little-endian each.
    static constexpr std::uint32_t kBinarySize = 8;

    // The context is the host's; the base checks it and keeps class and kernel services.
    explicit CFractionImpl(const Vtx::OBJECT_CREATIONCTX* context);

    bool SetValue(std::int64_t numerator, std::int64_t denominator) override;
    std::int32_t GetNumerator() override { return numerator_; }
    std::int32_t GetDenominator() override { return denominator_; }

    // Binary form. A null buffer loads as "no value" (true, nothing changes); a size other
    // than 8 or a zero denominator is refused.
    Vtx::SerializeBuffer* SerializeBinary() override;
    bool UnserializeBinary(const Vtx::SerializeBuffer* buffer) override;
    // Text form "numerator/denominator", e.g. "-3/4". Loading takes exactly two decimal
    // integers around one '/', without spaces or '+', and stores them in lowest terms.
    char* SerializeString() override;
    bool UnserializeString(const char* text) override;
    // Copies the value of any IFraction (not its time attributes); another datatype is a
    // cast exception. Equality (IsEqual) is the base's: equal binary forms, which is
    // equal values because the terms are always in lowest form.
    void CopyFrom(Vtx::ISerialize* source) override;

private:
    std::int32_t numerator_ = 0;
    std::int32_t denominator_ = 1;
};

// The create function of the Fraction class registration.
Vtx::IObject* CreateFractionObject(const Vtx::OBJECT_CREATIONCTX* context);
