#include "sdk/block/BlockDeclarations.h"

#include "sdk/object/Exceptions.h"
#include "sdk/object/MessageTable.h"
#include "vtx/BlockSignature.h"
#include "vtx/Domain.h"
#include "vtx/Layout.h"
#include "vtx/Pin.h"

namespace Vtx {

IInputPin* DeclareInputPin(IBlockSignature* signature, const pin_description& d) {
    IInputPin* pin = signature->CreateInputPin(d.id().c_str(), d.name().c_str(), d.description().c_str(),
                                               d.type_catalog().c_str(), d.type_class().c_str(), d.input_flag0(),
                                               d.input_flag1(), d.input_flag2());
    if (pin && d.get_required_interfaces()) {
        IClassIdentityList* list = pin->GetRequiredInterfaces();
        if (!list) throw CLogicExceptionImpl(Messages::kNullKernelPin);
        for (const class_identity& entry : d.get_required_interfaces()->items)
            list->AddEntry(entry.first.c_str(), entry.second.c_str());
    }
    return pin;
}

void DeclareOutputPin(IBlockSignature* signature, const pin_description& d) {
    signature->CreateOutputPin(d.id().c_str(), d.name().c_str(), d.description().c_str(), d.type_catalog().c_str(),
                               d.type_class().c_str(), d.output_text().c_str(), d.follows_input().c_str());
}

IParameterPinSignature* CreateParameter(IBlockSignature* signature, const pin_description& d) {
    IParameterPinSignature* parameter = signature->CreateParameter(
        d.id().c_str(), d.name().c_str(), d.description().c_str(), d.type_catalog().c_str(), d.type_class().c_str(),
        d.domain_catalog().c_str(), d.domain_class().c_str(), d.creation_word());
    if (!parameter) throw CLogicExceptionImpl(Messages::kNullKernelPin);
    parameter->SetChangeableAtDesignTime(d.designtime_change());
    parameter->SetChangeableAtRunTime(d.runtime_change());
    parameter->SetInitInfoChangeableAtDesignTime(d.designtime_initinfo_change());
    parameter->SetInitInfoChangeableAtRunTime(d.runtime_initinfo_change());
    parameter->SetPersistent(d.parameter_flag0());
    parameter->SetModeWord(d.mode_word());
    return parameter;
}

void ApplyDomain(IParameterPinSignature* parameter, const pin_description& d) {
    if (const auto& bounds = d.get_int_domain()) {
        interface_cast<IIntDomain>(parameter->GetDomain())
            ->SetBounds(bounds->minimum, host_bound_kind(bounds->minimum_kind), bounds->maximum,
                        host_bound_kind(bounds->maximum_kind));
    } else if (const auto& bounds = d.get_double_domain()) {
        interface_cast<IDoubleDomain>(parameter->GetDomain())
            ->SetBounds(bounds->minimum, host_bound_kind(bounds->minimum_kind), bounds->maximum,
                        host_bound_kind(bounds->maximum_kind));
    }
}

void ApplyLayout(IBlockLayout* layout, const pin_description& d) {
    if (!layout) return;
    const char* id = d.id().c_str();
    layout->ShowParameter(id, d.layout_visible());
    if (const auto& combo = d.get_combo_layout()) {
        auto* target = interface_cast<IComboDatatypeLayout>(layout->CreateDatatypeLayout("kernel", "combo", id));
        target->SetSize(static_cast<std::int32_t>(combo->items.size()));
        for (std::size_t i = 0; i < combo->items.size(); ++i)
            target->SetItem(static_cast<std::int32_t>(i), combo->items[i].c_str());
    } else if (const auto& file = d.get_filename_layout()) {
        auto* target = interface_cast<IFilenameDatatypeLayout>(layout->CreateDatatypeLayout("kernel", "filename", id));
        target->SetFilter(file->text.c_str());
        target->SetMustExist(file->flag1);
        target->SetForSaving(file->flag2);
        target->SetMultipleSelection(file->flag3);
    } else if (const auto& folder = d.get_foldername_layout()) {
        auto* target =
            interface_cast<IFoldernameDatatypeLayout>(layout->CreateDatatypeLayout("kernel", "foldername", id));
        target->SetMustExist(folder->flag);
    } else if (const auto& selector = d.get_datatype_selector_combo_layout()) {
        auto* target = interface_cast<IDatatypeSelectorComboLayout>(
            layout->CreateDatatypeLayout("kernel", "datatype_selector_combo", id));
        for (const class_identity& item : selector->items) target->AddItem(item.first.c_str(), item.second.c_str());
    }
}

} // namespace Vtx
