#include "catalog/Vector.h"

#include <new>

#include "sdk/block/PinDescription.h"
#include "sdk/datatype/DatatypeIdentity.h"
#include "sdk/object/Exceptions.h"
#include "sdk/object/MessageTable.h"
#include "vtx/BlockSignature.h"
#include "vtx/RunTimeContext.h"

using Vtx::pin_description;

namespace {

constexpr const char* kKernel = "kernel";
constexpr const char* kSizeId = "size";
constexpr const char* kResetId = "reset";
constexpr const char* kEnableReadId = "enable_read";
constexpr const char* kReadPositionId = "read_position";
constexpr const char* kEnableWriteId = "enable_write";
constexpr const char* kWritePositionId = "write_position";
constexpr const char* kInputId = "input";
constexpr const char* kOutputId = "output";

pin_description Parameter(const char* id, const char* description, const char* classId) {
    return pin_description(id).set_name(id).set_description(description).set_type(kKernel, classId);
}

} // namespace

CVector::CVector(const Vtx::OBJECT_CREATIONCTX* context) : CBlockImplBase(context) {
    if (Vtx::IRunTimeContext* runTime = GetRunTimeContext()) {
        runTime->SetInputActivation(true);
        runTime->GetInputActivationSettings()->SetPinActivation(kInputId, true);
    }
}

CVector::~CVector() {
    array_.clear();
    output_ = nullptr;
    input_ = nullptr;
    writePosition_ = nullptr;
    writeEnabled_ = nullptr;
    readPosition_ = nullptr;
    readEnabled_ = nullptr;
    reset_ = nullptr;
    size_ = nullptr;
}

// ---- signature ----

void CVector::InitSignature() {
    // The size cannot change while the patch runs: the array is made by Init.
    AddParameter(pin_description(kSizeId)
                     .set_name(kSizeId)
                     .set_description("The size of the internal array")
                     .attach_int_domain(true)
                     .set_int_minimum(1, true)
                     .set_runtime_change(false));
    AddParameter(Parameter(kResetId, "A command to clear all internal datatypes", "trigger"));
    AddParameter(
        Parameter(kEnableReadId, "Specifies whether reading (i.e., copying to output) is enabled", "bool"));
    AddParameter(Parameter(kReadPositionId,
                           "The position in the internal array of the datatype copied to the output pin", "int"));
    AddParameter(Parameter(kEnableWriteId, "Specifies whether writing is enabled", "bool"));
    AddParameter(Parameter(kWritePositionId, "Position in the internal array where the input datatype will be copied",
                           "int"));
    BindParameters();
    size_->SetValue(1);
    readEnabled_->SetValue(true);
    writeEnabled_->SetValue(true);

    AddInputPin(pin_description(kInputId)
                    .set_name(kInputId)
                    .set_description("Input")
                    .attach_required_interfaces(true)
                    .add_required_interface(kKernel, "scalar_arith_op_double"));
    AddOutputPin(pin_description(kOutputId)
                     .set_name(kOutputId)
                     .set_description("Output")
                     .set_type(kKernel, "generic_datatype")
                     .set_follows_input(kInputId));
}

void CVector::DoneSignature() {
    size_ = nullptr;
    reset_ = nullptr;
    readEnabled_ = nullptr;
    readPosition_ = nullptr;
    writeEnabled_ = nullptr;
    writePosition_ = nullptr;
}

void CVector::CheckSignature() {
    BindParameters();
    GetSignature()->FindInputPin(kInputId);
    GetSignature()->FindOutputPin(kOutputId);
}

void CVector::BindParameters() {
    size_ = GetParameterValue<Vtx::IInt>(kSizeId);
    reset_ = GetParameterValue<Vtx::ITrigger>(kResetId);
    readEnabled_ = GetParameterValue<Vtx::IBool>(kEnableReadId);
    readPosition_ = GetParameterValue<Vtx::IInt>(kReadPositionId);
    writeEnabled_ = GetParameterValue<Vtx::IBool>(kEnableWriteId);
    writePosition_ = GetParameterValue<Vtx::IInt>(kWritePositionId);
}

void CVector::OnChangedParameter(const std::string& id) {
    Vtx::IRunTimeContext* runTime = GetRunTimeContext();
    if (id == kResetId && runTime && runTime->IsPatchRunning()) ResetArray();
}

// ---- the array ----

void CVector::ResetArray() {
    const std::int32_t requested = size_->GetValue();
    const std::size_t count = requested > 0 ? static_cast<std::size_t>(requested) : 0;
    if (!input_) {
        // No type to make entries of: nothing can be stored until an Init binds an input.
        array_.clear();
        return;
    }
    const Vtx::DatatypeClassIdentity identity = Vtx::ClassIdentityOf(input_.get());
    Vtx::IDatatypeInitInfo* info = input_->GetInitInfo();
    array_.resize(count);
    for (Ptr<Vtx::IDatatype>& entry : array_) {
        Ptr<Vtx::IDatatype> fresh;
        if (identity.IsComplete())
            fresh = GetKernelServices()->CreateDatatype(identity.catalogId, identity.classId);
        if (!fresh) {
            // An array with holes would silently drop values: keep none instead.
            array_.clear();
            throw Vtx::CLogicExceptionImpl(Vtx::Messages::kCatalogDatatype);
        }
        fresh->InitInstance(info);
        entry = fresh;
    }
}

std::ptrdiff_t CVector::Position(Vtx::IInt* position) const {
    const std::int32_t p = position->GetValue();
    if (p < 0 || array_.empty() || static_cast<std::size_t>(p) >= array_.size()) return -1;
    return p;
}

// ---- lifecycle ----

bool CVector::OnInit() {
    try {
        input_ = GetInputValue<Vtx::IDatatype>(kInputId);
        output_ = GetOutputValue<Vtx::IDatatype>(kOutputId);
        output_->InitInstance(input_->GetInitInfo());
        ResetArray();
        return true;
    } catch (...) {
        return false;
    }
}

bool CVector::OnExecute() {
    try {
        if (writeEnabled_->GetValue()) {
            const std::ptrdiff_t p = Position(writePosition_.get());
            if (p >= 0) array_[p]->CopyFrom(input_.get());
        }
        if (readEnabled_->GetValue()) {
            const std::ptrdiff_t p = Position(readPosition_.get());
            if (p >= 0) {
                output_->CopyFrom(array_[p].get());
                output_->SetTimestamp(GetInitClockTime());
            }
        }
        return true;
    } catch (...) {
        return false;
    }
}

void CVector::OnDone() {
    try {
        input_ = nullptr;
        output_ = nullptr;
        array_.clear();
    } catch (...) {
    }
}

Vtx::IObject* CreateVectorObject(const Vtx::OBJECT_CREATIONCTX* context) {
    return Vtx::TranslateStdExceptions([context]() -> Vtx::IObject* { return new (std::nothrow) CVector(context); });
}
