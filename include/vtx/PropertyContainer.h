#pragma once
// Named property sets attached to an object (blocks, module signatures), read and written
// by the host's editors. A set is a property collection; a property inside it is found by
// its name. Typed getters fail when the set is missing; typed setters create what is missing.
#include <cstdint>

namespace Vtx {

struct IProperty;
struct IPropertyCollection;

struct IPropertyContainer {
    // Appends an empty set of that name unless one exists already.
    virtual void AddPropertySet(const char* setName) = 0;
    virtual std::int32_t GetPropertySetCount() = 0;
    // The set of that name; a name no set has is refused like a bad index.
    virtual IPropertyCollection* GetPropertySet(const char* setName) = 0;
    // The set at the index; an index outside 0..count-1 is refused.
    virtual IPropertyCollection* GetPropertySetAt(std::int32_t index) = 0;
    virtual bool HasPropertySet(const char* setName) = 0;
    // False when the set does not exist.
    virtual bool HasProperty(const char* setName, const char* propertyName) = 0;
    // The property's value as text (a per-thread text result).
    virtual const char* GetPropertyValueText(const char* setName, const char* propertyName) = 0;
    // Copies the given property's value into the set's property of the same name, creating
    // set and property (with the given property's type) when missing.
    virtual void SetProperty(const char* setName, IProperty* property) = 0;
    // Sets the value from text; a property created here is a text property.
    virtual void SetPropertyValueText(const char* setName, const char* propertyName, const char* text) = 0;

    virtual std::int32_t GetIntProperty(const char* setName, const char* propertyName) = 0;
    virtual void SetIntProperty(const char* setName, const char* propertyName, std::int32_t value) = 0;
    virtual bool GetBoolProperty(const char* setName, const char* propertyName) = 0;
    virtual void SetBoolProperty(const char* setName, const char* propertyName, bool value) = 0;
    virtual double GetDoubleProperty(const char* setName, const char* propertyName) = 0;
    virtual void SetDoubleProperty(const char* setName, const char* propertyName, double value) = 0;
    virtual float GetFloatProperty(const char* setName, const char* propertyName) = 0;
    virtual void SetFloatProperty(const char* setName, const char* propertyName, float value) = 0;
    virtual const char* GetStringProperty(const char* setName, const char* propertyName) = 0;
    virtual void SetStringProperty(const char* setName, const char* propertyName, const char* value) = 0;
    virtual char GetCharProperty(const char* setName, const char* propertyName) = 0;
    virtual void SetCharProperty(const char* setName, const char* propertyName, char value) = 0;
    virtual std::int16_t GetShortProperty(const char* setName, const char* propertyName) = 0;
    virtual void SetShortProperty(const char* setName, const char* propertyName, std::int16_t value) = 0;
    virtual std::int64_t GetInt64Property(const char* setName, const char* propertyName) = 0;
    virtual void SetInt64Property(const char* setName, const char* propertyName, std::int64_t value) = 0;
    virtual std::int64_t GetInt64BProperty(const char* setName, const char* propertyName) = 0;
    virtual void SetInt64BProperty(const char* setName, const char* propertyName, std::int64_t value) = 0;

    virtual void RemoveProperty(const char* setName, const char* propertyName) = 0;
    virtual void RemoveAllProperties(const char* setName) = 0;

protected:
    ~IPropertyContainer() = default;
};

} // namespace Vtx
