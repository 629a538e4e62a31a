#include "sdk/object/PropertyImpl.h"

#include <boost/lexical_cast.hpp>

#include "state/ModuleState.h"
#include "sdk/object/Exceptions.h"
#include "sdk/object/PropertyNumberText.h"

namespace Vtx {

namespace {

// Empty text: the zero value; anything else must convert completely.
template <class V>
V NumberFromText(const std::string& text) {
    return text.empty() ? V() : boost::lexical_cast<V>(text);
}

} // namespace

CPropertyImpl::CPropertyImpl(std::int32_t type) : type_(type) { Init(nullptr, nullptr); }

CPropertyImpl::CPropertyImpl(std::int32_t type, const char* name, const char* valueText) : type_(type) {
    Init(name, valueText);
}

CPropertyImpl::~CPropertyImpl() {}

void CPropertyImpl::Init(const char* name, const char* valueText) {
    if (type_ < 0 || type_ >= kPropertyTypeCount) throw CLogicExceptionImpl("Unknown property type %d.\n", type_);
    SetName(name);
    SetValueText(valueText);
}

template <class V>
V& CPropertyImpl::ValueAs() {
    // Throws boost::bad_any_cast when the property holds another type (or none).
    return boost::any_cast<V&>(value_);
}

std::int32_t CPropertyImpl::GetType() { return type_; }

const char* CPropertyImpl::GetName() { return name_.c_str(); }

void CPropertyImpl::SetName(const char* name) {
    TranslateStdExceptions([&] { name_ = name ? name : ""; });
}

std::string CPropertyImpl::ValueText() const {
    switch (type_) {
    case kPropertyInt: return boost::lexical_cast<std::string>(boost::any_cast<std::int32_t>(value_));
    case kPropertyBool: return boost::lexical_cast<std::string>(boost::any_cast<bool>(value_));
    case kPropertyDouble: return PropertyDoubleText(boost::any_cast<double>(value_));
    case kPropertyFloat: return PropertyFloatText(boost::any_cast<float>(value_));
    case kPropertyString: return boost::any_cast<const std::string&>(value_);
    case kPropertyChar: return std::string(1, boost::any_cast<char>(value_));
    case kPropertyShort: return boost::lexical_cast<std::string>(boost::any_cast<std::int16_t>(value_));
    case kPropertyInt64: return boost::lexical_cast<std::string>(boost::any_cast<std::int64_t>(value_));
    case kPropertyInt64B: return boost::lexical_cast<std::string>(boost::any_cast<SecondInt64>(value_).value);
    default: return std::string();
    }
}

const char* CPropertyImpl::GetValueText() {
    return TranslateStdExceptions([&] { return ThreadTextResult(ValueText()); });
}

void CPropertyImpl::CopyValue(IProperty* other) {
    if (!other || other == this) return;
    TranslateStdExceptions([&] {
        // A property of this module hands its text over directly; any other goes through
        // its text result.
        if (auto* own = dynamic_cast<CPropertyImpl*>(other)) {
            const std::string text = own->ValueText();
            SetValueText(text.c_str());
        } else {
            SetValueText(other->GetValueText());
        }
    });
}

void CPropertyImpl::SetValueText(const char* text) {
    TranslateStdExceptions([&] {
        // The floating-point types read the caller's text in place.
        if (type_ == kPropertyDouble) {
            value_ = text && *text ? PropertyDoubleFromText(text) : 0.0;
            return;
        }
        if (type_ == kPropertyFloat) {
            value_ = text && *text ? PropertyFloatFromText(text) : 0.0f;
            return;
        }
        const std::string input = text ? text : "";
        // Each branch converts before it assigns: a text that does not convert leaves the
        // value as it was.
        switch (type_) {
        case kPropertyInt: value_ = NumberFromText<std::int32_t>(input); break;
        case kPropertyBool: value_ = NumberFromText<bool>(input); break;
        case kPropertyString: value_ = input; break;
        case kPropertyChar: value_ = input.empty() ? '\0' : input[0]; break;
        case kPropertyShort: value_ = NumberFromText<std::int16_t>(input); break;
        case kPropertyInt64: value_ = NumberFromText<std::int64_t>(input); break;
        case kPropertyInt64B: value_ = SecondInt64{NumberFromText<std::int64_t>(input)}; break;
        default: break;  // none: text input is ignored
        }
    });
}

std::int32_t CPropertyImpl::GetInt() {
    return TranslateStdExceptions([&] { return ValueAs<std::int32_t>(); });
}
void CPropertyImpl::SetInt(std::int32_t value) {
    TranslateStdExceptions([&] { ValueAs<std::int32_t>() = value; });
}

bool CPropertyImpl::GetBool() {
    return TranslateStdExceptions([&] { return ValueAs<bool>(); });
}
void CPropertyImpl::SetBool(bool value) {
    TranslateStdExceptions([&] { ValueAs<bool>() = value; });
}

double CPropertyImpl::GetDouble() {
    return TranslateStdExceptions([&] { return ValueAs<double>(); });
}
void CPropertyImpl::SetDouble(double value) {
    TranslateStdExceptions([&] { ValueAs<double>() = value; });
}

float CPropertyImpl::GetFloat() {
    return TranslateStdExceptions([&] { return ValueAs<float>(); });
}
void CPropertyImpl::SetFloat(float value) {
    TranslateStdExceptions([&] { ValueAs<float>() = value; });
}

const char* CPropertyImpl::GetString() {
    return TranslateStdExceptions([&] { return ThreadTextResult(ValueAs<std::string>()); });
}
void CPropertyImpl::SetString(const char* value) {
    TranslateStdExceptions([&] { ValueAs<std::string>() = value ? value : ""; });
}

char CPropertyImpl::GetChar() {
    return TranslateStdExceptions([&] { return ValueAs<char>(); });
}
void CPropertyImpl::SetChar(char value) {
    TranslateStdExceptions([&] { ValueAs<char>() = value; });
}

std::int16_t CPropertyImpl::GetShort() {
    return TranslateStdExceptions([&] { return ValueAs<std::int16_t>(); });
}
void CPropertyImpl::SetShort(std::int16_t value) {
    TranslateStdExceptions([&] { ValueAs<std::int16_t>() = value; });
}

std::int64_t CPropertyImpl::GetInt64() {
    return TranslateStdExceptions([&] { return ValueAs<std::int64_t>(); });
}
void CPropertyImpl::SetInt64(std::int64_t value) {
    TranslateStdExceptions([&] { ValueAs<std::int64_t>() = value; });
}

std::int64_t CPropertyImpl::GetInt64B() {
    return TranslateStdExceptions([&] { return ValueAs<SecondInt64>().value; });
}
void CPropertyImpl::SetInt64B(std::int64_t value) {
    TranslateStdExceptions([&] { ValueAs<SecondInt64>().value = value; });
}

} // namespace Vtx
