#pragma once
// CPropertyImpl: a named value of one of the ten property types, held in a boost::any.
#include <boost/any.hpp>

#include <cstdint>
#include <string>

#include "sdk/object/ReferenceCounting.h"
#include "vtx/Property.h"

namespace Vtx {

class CPropertyImpl : public ulx::default_destroy<ulx::default_delete<ulx::reference_counted_class_impl<IProperty>>> {
public:
    // Empty name, the type's zero value. A type index outside 0..9 throws a logic exception.
    explicit CPropertyImpl(std::int32_t type);
    // The value is set from the text as SetValueText does; a text that does not convert
    // throws CStdExceptionImpl.
    CPropertyImpl(std::int32_t type, const char* name, const char* valueText);
    CPropertyImpl(const CPropertyImpl&) = delete;
    CPropertyImpl& operator=(const CPropertyImpl&) = delete;

    std::int32_t GetType() override;
    const char* GetName() override;
    void SetName(const char* name) override;
    const char* GetValueText() override;
    void CopyValue(IProperty* other) override;
    void SetValueText(const char* text) override;

    std::int32_t GetInt() override;
    void SetInt(std::int32_t value) override;
    bool GetBool() override;
    void SetBool(bool value) override;
    double GetDouble() override;
    void SetDouble(double value) override;
    float GetFloat() override;
    void SetFloat(float value) override;
    const char* GetString() override;
    void SetString(const char* value) override;
    char GetChar() override;
    void SetChar(char value) override;
    std::int16_t GetShort() override;
    void SetShort(std::int16_t value) override;
    std::int64_t GetInt64() override;
    void SetInt64(std::int64_t value) override;
    std::int64_t GetInt64B() override;
    void SetInt64B(std::int64_t value) override;

    ~CPropertyImpl() override;

    // The text form GetValueText hands out, as a string of this module.
    std::string ValueText() const;

private:
    // The value of type 9, kept apart from type 8 so that each kind's typed access
    // refuses the other.
    struct SecondInt64 {
        std::int64_t value;
    };

    template <class V>
    V& ValueAs();
    void Init(const char* name, const char* valueText);

    std::int32_t type_;
    std::string name_;
    boost::any value_;
};

} // namespace Vtx
