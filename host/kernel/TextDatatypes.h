#pragma once
// The kernel's text datatypes: string and string pair.
#include <string>

#include "host/kernel/KernelDatatypeBase.h"
#include "vtx/KernelDatatypes.h"

namespace vtxhost {

class CStringImpl : public CKernelValueImpl<Vtx::IString, std::string, CStringImpl> {
public:
    using CKernelValueImpl::CKernelValueImpl;
    const char* GetValue() override { return value_.c_str(); }
    void SetValue(const char* value) override { value_ = value ? value : ""; }

protected:
    std::string WriteBinary() override { return value_; }
    bool ReadBinary(const std::string& payload) override;
    std::string WriteText() override { return value_; }
    bool ReadText(const std::string& text) override;
};

class CStringPairImpl : public CKernelDatatypeImpl<Vtx::IStringPair> {
public:
    using CKernelDatatypeImpl::CKernelDatatypeImpl;
    const char* GetFirst() override { return first_.c_str(); }
    void SetFirst(const char* value) override { first_ = value ? value : ""; }
    const char* GetSecond() override { return second_.c_str(); }
    void SetSecond(const char* value) override { second_ = value ? value : ""; }

protected:
    bool CopySameClass(Vtx::ISerialize* source) override;
    std::string WriteBinary() override;
    bool ReadBinary(const std::string& payload) override;
    // JSON: ["first", "second"]
    std::string WriteText() override;
    bool ReadText(const std::string& text) override;

private:
    std::string first_;
    std::string second_;
};

} // namespace vtxhost
