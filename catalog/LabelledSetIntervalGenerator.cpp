#include "catalog/LabelledSetIntervalGenerator.h"

#include <algorithm>
#include <new>

#include "sdk/block/PinDescription.h"
#include "sdk/object/Exceptions.h"
#include "sdk/object/MessageTable.h"
#include "vtx/BlockSignature.h"
#include "vtx/Interval.h"
#include "vtx/MessageDispatcher.h"
#include "vtx/RunTimeContext.h"

using Vtx::pin_description;

namespace {

constexpr const char* kOutputId = "output";
constexpr const char* kItemCountId = "num_items";
constexpr const char* kKernel = "kernel";

std::string LabelId(std::size_t index) { return "label_" + std::to_string(index); }
std::string LowerId(std::size_t index) { return "min_" + std::to_string(index); }
std::string UpperId(std::size_t index) { return "max_" + std::to_string(index); }

pin_description OutputDescription() {
    return pin_description(kOutputId)
        .set_name("output")
        .set_description("The generated labelled set of intervals")
        .set_type(kKernel, "labeled_set");
}

pin_description ItemCountDescription() {
    // Set while the patch is stopped only, so that the items never change under Execute.
    return pin_description(kItemCountId)
        .set_name("Number of items")
        .set_description("Maximum number of items added to the output labelled set")
        .attach_int_domain(true)
        .set_int_minimum(0, true)
        .set_runtime_change(false);
}

using IntervalHolder = Vtx::CSmartPtr<Vtx::IDatatype, Vtx::CDatatypeFactory<Vtx::IDatatype>>;

} // namespace

CLabelledSetIntervalGenerator::CLabelledSetIntervalGenerator(const Vtx::OBJECT_CREATIONCTX* context)
    : CBlockImplBase(context) {}

CLabelledSetIntervalGenerator::~CLabelledSetIntervalGenerator() {
    items_.clear();
    itemCount_ = nullptr;
    outputSet_ = nullptr;
}

// ---- signature ----

void CLabelledSetIntervalGenerator::InitSignature() {
    // A signature built from nothing has no item parameters yet, whatever an earlier,
    // rejected signature left bound.
    items_.clear();
    AddOutputPin(OutputDescription());
    AddParameter(ItemCountDescription());
    itemCount_ = GetParameterValue<Vtx::IInt>(kItemCountId);
    itemCount_->SetValue(1);
    OnChangedParameter(std::string(kItemCountId));
}

void CLabelledSetIntervalGenerator::DoneSignature() {
    itemCount_ = nullptr;
    items_.clear();
}

void CLabelledSetIntervalGenerator::CheckSignature() {
    GetSignature()->FindOutputPin(kOutputId);
    itemCount_ = GetParameterValue<Vtx::IInt>(kItemCountId);
    BindItems();
}

void CLabelledSetIntervalGenerator::OnChangedParameter(const std::string& id) {
    if (id != kItemCountId) return;
    const std::size_t old = items_.size();
    const std::size_t count = ItemCount();
    std::size_t i = 0;
    try {
        for (; i < count; ++i) DeclareItem(i);
    } catch (...) {
        // Memory ran out part way: the items declared for the new count go again and the
        // count goes back, so that the block is left with the signature of the old count.
        for (std::size_t added = old; added <= i && added < count; ++added) RemoveItem(added);
        itemCount_->SetValue(static_cast<std::int32_t>(old));
        throw;
    }
    for (i = count; i < old; ++i) RemoveItem(i);
    BindItems();
    if (Vtx::IMessageDispatcher* dispatcher = GetEventDispatcher())
        dispatcher->NotifySignatureChanged(this, GetSignature());
}

std::size_t CLabelledSetIntervalGenerator::ItemCount() {
    const std::int32_t count = itemCount_->GetValue();
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

void CLabelledSetIntervalGenerator::DeclareItem(std::size_t index) {
    const std::string number = std::to_string(index);
    AddParameter(pin_description(LabelId(index))
                     .set_name("Label " + number)
                     .set_description("Label of item " + number)
                     .set_type(kKernel, "string"));
    AddParameter(pin_description(LowerId(index))
                     .set_name("Min " + number)
                     .set_description("Lower bound of interval " + number)
                     .set_type(kKernel, "double"));
    AddParameter(pin_description(UpperId(index))
                     .set_name("Max " + number)
                     .set_description("Upper bound of interval " + number)
                     .set_type(kKernel, "double"));
}

void CLabelledSetIntervalGenerator::RemoveItem(std::size_t index) {
    for (const std::string& id : {LabelId(index), LowerId(index), UpperId(index)}) {
        if (Vtx::IParameterPinSignature* removed = GetSignature()->RemoveParameter(id.c_str()))
            RemoveParameterListeners(removed);
    }
}

void CLabelledSetIntervalGenerator::BindItems() {
    itemsBound_ = false;  // until every binding is made
    const std::size_t count = ItemCount();
    items_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        item_binding& item = items_[i];
        item.label = GetParameterValue<Vtx::IString>(LabelId(i).c_str());
        item.lower = GetParameterValue<Vtx::IDouble>(LowerId(i).c_str());
        item.upper = GetParameterValue<Vtx::IDouble>(UpperId(i).c_str());
    }
    itemsBound_ = std::all_of(items_.begin(), items_.end(),
                              [](const item_binding& item) { return item.label && item.lower && item.upper; });
}

// ---- lifecycle ----

bool CLabelledSetIntervalGenerator::OnInit() {
    try {
        Vtx::IRunTimeContext* context = GetRunTimeContext();
        if (!context) throw Vtx::CMemoryExceptionImpl(static_cast<const void*>(context));
        context->SetPeriodicActivation(true);
        Vtx::IPeriodicActivationSettings* settings = context->GetPeriodicActivationSettings();
        settings->SetEnabled(true);
        settings->SetPeriod(kActivationPeriod);

        outputSet_ = GetOutputValue<Vtx::ILabelledSet>(kOutputId);
        Vtx::CSmartPtr<Vtx::IDatatypeInitInfo, Vtx::CDatatypeFactory<Vtx::IDatatypeInitInfo>> info(
            GetKernelServices()->CreateDatatypeInitInfo(kKernel, "labeled_set"));
        if (!info) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kCatalogDatatypeInitInfo);
        Vtx::ILabelledSetInitInfo* setInfo = Vtx::interface_cast<Vtx::ILabelledSetInitInfo>(info.get());
        setInfo->SetElementCatalogId(kIntervalCatalogId);
        setInfo->SetElementClassId(kIntervalClassId);
        outputSet_->InitInstance(setInfo);
        return true;
    } catch (...) {
        return false;
    }
}

bool CLabelledSetIntervalGenerator::OnExecute() {
    try {
        // Every binding and the set are checked once here, so that the loop below, run for
        // every item of every activation, calls through them directly.
        Vtx::ILabelledSet* set = outputSet_.get();
        if (!set || !itemsBound_) throw Vtx::CLogicExceptionImpl();
        set->ClearItems();
        // Made on the first labelled item: a set without labelled items needs no Interval.
        IntervalHolder holder;
        IInterval* interval = nullptr;
        for (const item_binding& item : items_) {
            const char* label = item.label.get()->GetValue();
            if (!label || !*label) continue;
            if (!interval) {
                holder = GetKernelServices()->CreateDatatype(kIntervalCatalogId, kIntervalClassId);
                if (!holder) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kCatalogDatatype);
                interval = Vtx::interface_cast<IInterval>(holder.get());
            }
            interval->SetLower(item.lower.get()->GetValue());
            interval->SetUpper(item.upper.get()->GetValue());
            set->AddItem(interval, label);
        }
        set->SetTimestamp(GetInitClockTime());
        return true;
    } catch (...) {
        return false;
    }
}

void CLabelledSetIntervalGenerator::OnDone() {
    try {
        outputSet_ = nullptr;
    } catch (...) {
    }
}

Vtx::IObject* CreateLabelledSetIntervalGeneratorObject(const Vtx::OBJECT_CREATIONCTX* context) {
    return Vtx::TranslateStdExceptions(
        [context]() -> Vtx::IObject* { return new (std::nothrow) CLabelledSetIntervalGenerator(context); });
}
