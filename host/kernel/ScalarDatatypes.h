#pragma once
// The kernel's scalar datatypes: double, int, bool and trigger. Each holds one value and
// copies it directly from a source of its own class (CKernelValueImpl).
#include <cstdint>
#include <string>

#include "host/kernel/KernelDatatypeBase.h"
#include "vtx/KernelDatatypes.h"

namespace vtxhost {

// A scalar whose interface reads and writes the value as it is held.
template <class I, class T, class Derived>
class CKernelScalarImpl : public CKernelValueImpl<I, T, Derived> {
public:
    using CKernelValueImpl<I, T, Derived>::CKernelValueImpl;
    T GetValue() override { return this->value_; }
    void SetValue(T value) override { this->value_ = value; }
};

class CDoubleImpl : public CKernelScalarImpl<Vtx::IDouble, double, CDoubleImpl> {
public:
    using CKernelScalarImpl::CKernelScalarImpl;

protected:
    std::string WriteBinary() override;
    bool ReadBinary(const std::string& payload) override;
    std::string WriteText() override;
    bool ReadText(const std::string& text) override;
};

class CIntImpl : public CKernelScalarImpl<Vtx::IInt, std::int32_t, CIntImpl> {
public:
    using CKernelScalarImpl::CKernelScalarImpl;

protected:
    std::string WriteBinary() override;
    bool ReadBinary(const std::string& payload) override;
    std::string WriteText() override;
    bool ReadText(const std::string& text) override;
};

class CBoolImpl : public CKernelScalarImpl<Vtx::IBool, bool, CBoolImpl> {
public:
    using CKernelScalarImpl::CKernelScalarImpl;

protected:
    std::string WriteBinary() override;
    bool ReadBinary(const std::string& payload) override;
    std::string WriteText() override;
    bool ReadText(const std::string& text) override;
};

// The value is the number of times the trigger fired.
class CTriggerImpl : public CKernelValueImpl<Vtx::ITrigger, std::int64_t, CTriggerImpl> {
public:
    using CKernelValueImpl::CKernelValueImpl;
    void Fire() override { ++value_; }
    std::int64_t GetFireCount() override { return value_; }

protected:
    std::string WriteBinary() override;
    bool ReadBinary(const std::string& payload) override;
    std::string WriteText() override;
    bool ReadText(const std::string& text) override;
};

} // namespace vtxhost
