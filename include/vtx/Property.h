#pragma once
// Named, typed values that the host reads and writes in their own type or as text, and the
// named collections (property sets) that hold them.
#include <cstdint>

#include "vtx/Collection.h"
#include "vtx/ReferenceCounted.h"

namespace Vtx {

// The type index of a property, fixed when the property is made.
enum PropertyType : std::int32_t {
    kPropertyInt = 0,     // 32-bit signed
    kPropertyBool = 1,    // bool
    kPropertyDouble = 2,  // 64-bit floating point
    kPropertyFloat = 3,   // 32-bit floating point
    kPropertyString = 4,  // text
    kPropertyChar = 5,    // one char
    kPropertyNone = 6,    // no value: empty text form, text input ignored
    kPropertyShort = 7,   // 16-bit signed
    kPropertyInt64 = 8,   // 64-bit signed
    kPropertyInt64B = 9,  // 64-bit signed, second kind
};
inline constexpr std::int32_t kPropertyTypeCount = 10;

struct IProperty : ulx::I_ReferenceCountedClass {
    virtual std::int32_t GetType() = 0;
    // Points into the property's own name; valid until the name changes.
    virtual const char* GetName() = 0;
    // A null text gives the empty name.
    virtual void SetName(const char* name) = 0;
    // The value's text form, as a text result of the calling thread.
    virtual const char* GetValueText() = 0;
    // Sets this value from the other's text form; a null other does nothing.
    virtual void CopyValue(IProperty* other) = 0;
    // Sets the value from a text (null reads as empty); a text that does not convert
    // throws and leaves the value as it was.
    virtual void SetValueText(const char* text) = 0;

    // Typed access: each pair works on properties of its own type only; any other type
    // throws and leaves the value as it was.
    virtual std::int32_t GetInt() = 0;
    virtual void SetInt(std::int32_t value) = 0;
    virtual bool GetBool() = 0;
    virtual void SetBool(bool value) = 0;
    virtual double GetDouble() = 0;
    virtual void SetDouble(double value) = 0;
    virtual float GetFloat() = 0;
    virtual void SetFloat(float value) = 0;
    // A text result of the calling thread.
    virtual const char* GetString() = 0;
    // A null text is stored as the empty text.
    virtual void SetString(const char* value) = 0;
    virtual char GetChar() = 0;
    virtual void SetChar(char value) = 0;
    virtual std::int16_t GetShort() = 0;
    virtual void SetShort(std::int16_t value) = 0;
    virtual std::int64_t GetInt64() = 0;
    virtual void SetInt64(std::int64_t value) = 0;
    virtual std::int64_t GetInt64B() = 0;
    virtual void SetInt64B(std::int64_t value) = 0;

protected:
    ~IProperty() = default;
};

// A named property set: the generic collection operations, then look-up by property name
// (exact byte comparison).
struct IPropertyCollection : ICollection<IProperty> {
    virtual const char* GetName() = 0;
    virtual bool HasProperty(const char* name) = 0;
    // The first property with the name (no reference added); none throws.
    virtual IProperty* GetPropertyByName(const char* name) = 0;
    // Index of the first property with the name; none throws the collection's not-found
    // error naming it.
    virtual int GetIndexByName(const char* name) = 0;

protected:
    ~IPropertyCollection() = default;
};

} // namespace Vtx
