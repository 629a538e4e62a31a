#pragma once
// The kernel's other datatypes: the generic datatype that holds a value of any class, and
// the scalar arithmetic operation on doubles.
#include <functional>
#include <string>

#include "host/kernel/KernelDatatypeBase.h"
#include "vtx/KernelDatatypes.h"

namespace vtxhost {

class CGenericDatatypeImpl : public CKernelDatatypeImpl<Vtx::IGenericDatatype> {
public:
    using CKernelDatatypeImpl::CKernelDatatypeImpl;
    ~CGenericDatatypeImpl() override;

    Vtx::IDatatype* GetContent() override { return content_; }
    void SetContent(Vtx::IDatatype* value) override;
    // Another generic copies by its binary form; any other datatype becomes the content.
    void CopyFrom(Vtx::ISerialize* source) override;

protected:
    std::string WriteBinary() override;
    bool ReadBinary(const std::string& payload) override;
    // JSON: {} when empty, else {"catalog": "...", "class": "...", "value": "<text form>"}
    std::string WriteText() override;
    bool ReadText(const std::string& text) override;

private:
    // A new value of the class, filled by `read`, becomes the content only when it reads;
    // otherwise the content stays and the value goes.
    bool ReadContent(const std::string& catalogId, const std::string& classId,
                     const std::function<bool(Vtx::IDatatype*)>& read);

    Vtx::IDatatype* content_ = nullptr;  // one reference
};

class CScalarArithOpDoubleImpl : public CKernelDatatypeImpl<Vtx::IScalarArithOpDouble> {
public:
    using CKernelDatatypeImpl::CKernelDatatypeImpl;
    void SetOperator(char op) override;
    char GetOperator() override { return operator_; }
    void SetOperand(double operand) override { operand_ = operand; }
    double GetOperand() override { return operand_; }
    double Apply(double value) override;

protected:
    bool CopySameClass(Vtx::ISerialize* source) override;
    std::string WriteBinary() override;
    bool ReadBinary(const std::string& payload) override;
    // The operator followed by the operand: "+0", "*2.5", "/-4".
    std::string WriteText() override;
    bool ReadText(const std::string& text) override;

private:
    char operator_ = '+';
    double operand_ = 0.0;
};

} // namespace vtxhost
