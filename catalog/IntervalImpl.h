#pragma once
// The Interval datatype: a pair of double bounds with a 16-byte binary form and a
// "lower,upper" text form, and its init-information object, which carries nothing.
#include "sdk/datatype/DatatypeImpl.h"
#include "sdk/datatype/DatatypeInitInfoImpl.h"
#include "sdk/object/RecycledBlocks.h"
#include "vtx/Interval.h"
#include "vtx/ObjectClass.h"

class CIntervalImpl : public Vtx::CDatatypeImpl<IInterval, Vtx::IDatatypeClass, Vtx::IDatatypeInitInfo> {
public:
    // Payload of the binary form: lower then upper, IEEE 754 binary64, little-endian.
    static constexpr std::uint32_t kBinarySize = 16;

    explicit CIntervalImpl(const Vtx::OBJECT_CREATIONCTX* context);

    // A source makes an Interval on every activation and releases it: its memory is kept.
    RECYCLED_BLOCKS(CIntervalImpl)

    // Always 16 bytes; null only when the allocation fails.
    Vtx::SerializeBuffer* SerializeBinary() override;
    // Null: accepted, nothing changes. A size other than 16: refused, nothing changes.
    bool UnserializeBinary(const Vtx::SerializeBuffer* buffer) override;
    // "lower,upper", each bound as %.17g writes it; the default Interval gives "0,1".
    char* SerializeString() override;
    // Exactly two comma-separated fields, each a whole number with no whitespace; another
    // field count gives false and changes nothing. A field that is not a number throws
    // boost::bad_lexical_cast; a lower bound already read stays stored.
    bool UnserializeString(const char* text) override;
    // Copies the two bounds of another CIntervalImpl; anything else (null included) is a
    // cast exception. The time attributes are not copied.
    void CopyFrom(Vtx::ISerialize* source) override;

    void SetLower(double value) override { lower_ = value; }
    void SetUpper(double value) override { upper_ = value; }
    double GetLower() override { return lower_; }
    double GetUpper() override { return upper_; }

private:
    double lower_ = 0.0;
    double upper_ = 1.0;
};

class CIntervalInitInfoImpl : public Vtx::CDatatypeInitInfoImpl<IIntervalInitInfo> {
public:
    explicit CIntervalInitInfoImpl(const Vtx::OBJECT_CREATIONCTX* context);
};

// The create functions of the Interval class registration. Null when the allocation
// fails; a bad creation context throws its logic exception.
Vtx::IObject* CreateIntervalObject(const Vtx::OBJECT_CREATIONCTX* context);
Vtx::IDatatypeInitInfo* CreateIntervalInitInfoObject(const Vtx::OBJECT_CREATIONCTX* context);
