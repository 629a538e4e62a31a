#pragma once
// CPropertyContainerImpl<B>: named property sets attached to an object, in insertion
// order, each held with one reference. Set names are unique; a set is found by exact,
// case-sensitive comparison of names, where a null name reads as the empty one. Sets live
// as long as the object. The layer takes no lock: the host serialises the calls on one
// object, and each set locks itself.
#include <cstdint>
#include <cstring>
#include <vector>

#include "sdk/object/Exceptions.h"
#include "sdk/object/MessageTable.h"
#include "sdk/object/PropertyCollectionImpl.h"
#include "sdk/object/PropertyImpl.h"
#include "vtx/Property.h"
#include "vtx/PropertyContainer.h"

namespace Vtx {

template <class B>
class CPropertyContainerImpl : public B {
public:
    void AddPropertySet(const char* setName) override {
        TranslateStdExceptions([&] { FindOrAddSet(setName); });
    }

    std::int32_t GetPropertySetCount() override { return static_cast<std::int32_t>(sets_.size()); }

    IPropertyCollection* GetPropertySet(const char* setName) override { return RequireSet(setName); }

    IPropertyCollection* GetPropertySetAt(std::int32_t index) override {
        if (index < 0 || index >= GetPropertySetCount())
            throw CLogicExceptionImpl(Messages::kPropertySetIndexOutOfRange);
        return sets_[static_cast<std::size_t>(index)];
    }

    bool HasPropertySet(const char* setName) override { return FindSet(setName) != nullptr; }

    bool HasProperty(const char* setName, const char* propertyName) override {
        CPropertyCollectionImpl* set = FindSet(setName);
        return set ? set->HasProperty(propertyName) : false;
    }

    const char* GetPropertyValueText(const char* setName, const char* propertyName) override {
        return RequireProperty(setName, propertyName)->GetValueText();
    }

    void SetProperty(const char* setName, IProperty* property) override {
        if (!property) return;
        TranslateStdExceptions([&] {
            FindOrAddSet(setName)->FindOrAddProperty(property->GetName(), property->GetType())->CopyValue(property);
        });
    }

    void SetPropertyValueText(const char* setName, const char* propertyName, const char* text) override {
        Writable(setName, propertyName, kPropertyString)->SetValueText(text);
    }

    std::int32_t GetIntProperty(const char* s, const char* p) override { return RequireProperty(s, p)->GetInt(); }
    void SetIntProperty(const char* s, const char* p, std::int32_t v) override {
        Writable(s, p, kPropertyInt)->SetInt(v);
    }
    bool GetBoolProperty(const char* s, const char* p) override { return RequireProperty(s, p)->GetBool(); }
    void SetBoolProperty(const char* s, const char* p, bool v) override { Writable(s, p, kPropertyBool)->SetBool(v); }
    double GetDoubleProperty(const char* s, const char* p) override { return RequireProperty(s, p)->GetDouble(); }
    void SetDoubleProperty(const char* s, const char* p, double v) override {
        Writable(s, p, kPropertyDouble)->SetDouble(v);
    }
    float GetFloatProperty(const char* s, const char* p) override { return RequireProperty(s, p)->GetFloat(); }
    void SetFloatProperty(const char* s, const char* p, float v) override {
        Writable(s, p, kPropertyFloat)->SetFloat(v);
    }
    const char* GetStringProperty(const char* s, const char* p) override {
        return RequireProperty(s, p)->GetString();
    }
    void SetStringProperty(const char* s, const char* p, const char* v) override {
        Writable(s, p, kPropertyString)->SetString(v);
    }
    char GetCharProperty(const char* s, const char* p) override { return RequireProperty(s, p)->GetChar(); }
    void SetCharProperty(const char* s, const char* p, char v) override { Writable(s, p, kPropertyChar)->SetChar(v); }
    std::int16_t GetShortProperty(const char* s, const char* p) override {
        return RequireProperty(s, p)->GetShort();
    }
    void SetShortProperty(const char* s, const char* p, std::int16_t v) override {
        Writable(s, p, kPropertyShort)->SetShort(v);
    }
    std::int64_t GetInt64Property(const char* s, const char* p) override {
        return RequireProperty(s, p)->GetInt64();
    }
    void SetInt64Property(const char* s, const char* p, std::int64_t v) override {
        Writable(s, p, kPropertyInt64)->SetInt64(v);
    }
    std::int64_t GetInt64BProperty(const char* s, const char* p) override {
        return RequireProperty(s, p)->GetInt64B();
    }
    void SetInt64BProperty(const char* s, const char* p, std::int64_t v) override {
        Writable(s, p, kPropertyInt64B)->SetInt64B(v);
    }

    void RemoveProperty(const char* setName, const char* propertyName) override {
        CPropertyCollectionImpl* set = RequireSet(setName);
        set->RemoveAt(set->GetIndexByName(propertyName));
    }

    void RemoveAllProperties(const char* setName) override { RequireSet(setName)->Clear(); }

protected:
    CPropertyContainerImpl() = default;
    // Virtual here, so that in a table that starts with an interface without a destructor
    // (the module signature's) the destructor directly follows the interface's operations,
    // ahead of the AddRef and Release that the counting layer adds.
    virtual ~CPropertyContainerImpl() {
        for (CPropertyCollectionImpl* set : sets_) set->Release();
    }

private:
    static bool SameName(const char* a, const char* b) { return std::strcmp(a ? a : "", b ? b : "") == 0; }

    CPropertyCollectionImpl* FindSet(const char* setName) {
        for (CPropertyCollectionImpl* set : sets_)
            if (SameName(set->GetName(), setName)) return set;
        return nullptr;
    }

    // A set that is not there is refused like a bad index.
    CPropertyCollectionImpl* RequireSet(const char* setName) {
        CPropertyCollectionImpl* set = FindSet(setName);
        if (!set) throw CLogicExceptionImpl(Messages::kPropertySetIndexOutOfRange);
        return set;
    }

    IProperty* RequireProperty(const char* setName, const char* propertyName) {
        return RequireSet(setName)->GetPropertyByName(propertyName);
    }

    CPropertyCollectionImpl* FindOrAddSet(const char* setName) {
        if (CPropertyCollectionImpl* set = FindSet(setName)) return set;
        CPropertyCollectionImpl* set = new CPropertyCollectionImpl(setName);
        set->AddRef();
        try {
            sets_.push_back(set);
        } catch (...) {
            set->Release();
            throw;
        }
        return set;
    }

    // The property a setter writes: set and property are made when missing.
    IProperty* Writable(const char* setName, const char* propertyName, std::int32_t type) {
        return TranslateStdExceptions([&] { return FindOrAddSet(setName)->FindOrAddProperty(propertyName, type); });
    }

    std::vector<CPropertyCollectionImpl*> sets_;
};

} // namespace Vtx
