#include "host/patch/BlockProbe.h"

#include <set>

#include "host/kernel/KernelServices.h"
#include "host/patch/Patch.h"
#include "vtx/BlockSignature.h"
#include "vtx/Datatype.h"
#include "vtx/Domain.h"
#include "vtx/Exception.h"
#include "vtx/Layout.h"
#include "vtx/Pin.h"

namespace vtxhost {

namespace {

std::string Text(const char* text) { return text ? text : ""; }

// The value's text form; none when it has none or cannot write it.
std::optional<std::string> ValueText(Vtx::IDatatype* value) {
    if (!value) return std::nullopt;
    try {
        char* text = value->SerializeString();
        if (!text) return std::nullopt;
        std::string copy = text;
        value->FreeString(text);
        return copy;
    } catch (Vtx::IException&) {
        return std::nullopt;
    }
}

std::optional<DeclaredLayout> LayoutOf(Vtx::IDatatypeLayout* layout) {
    if (!layout) return std::nullopt;
    DeclaredLayout declared;
    if (auto* combo = dynamic_cast<Vtx::IComboDatatypeLayout*>(layout)) {
        declared.kind = DeclaredLayout::Kind::Combo;
        for (std::int32_t i = 0; i < combo->GetSize(); ++i) declared.items.push_back(Text(combo->GetItem(i)));
    } else if (auto* file = dynamic_cast<Vtx::IFilenameDatatypeLayout*>(layout)) {
        declared.kind = DeclaredLayout::Kind::Filename;
        declared.filter = Text(file->GetFilter());
        declared.mustExist = file->GetMustExist();
        declared.forSaving = file->GetForSaving();
        declared.multiple = file->GetMultipleSelection();
    } else if (auto* folder = dynamic_cast<Vtx::IFoldernameDatatypeLayout*>(layout)) {
        declared.kind = DeclaredLayout::Kind::Foldername;
        declared.mustExist = folder->GetMustExist();
    } else if (auto* selector = dynamic_cast<Vtx::IDatatypeSelectorComboLayout*>(layout)) {
        declared.kind = DeclaredLayout::Kind::DatatypeSelector;
        for (std::int32_t i = 0; i < selector->GetItemCount(); ++i)
            declared.datatypes.emplace_back(Text(selector->GetItemCatalogId(i)), Text(selector->GetItemClassId(i)));
    }
    return declared;
}

std::vector<DeclaredParameter> Parameters(Vtx::IBlockSignature* signature, Vtx::IBlockLayout* layout) {
    std::vector<DeclaredParameter> list;
    auto* parameters = signature->GetParameters();
    for (std::int32_t i = 0; i < parameters->GetCount(); ++i) {
        Vtx::IParameterPinSignature* parameter = parameters->GetAt(i);
        DeclaredParameter entry;
        entry.id = Text(parameter->GetId());
        entry.name = Text(parameter->GetName());
        entry.description = Text(parameter->GetDescription());
        entry.typeCatalogId = Text(parameter->GetTypeCatalogId());
        entry.typeClassId = Text(parameter->GetTypeClassId());
        entry.defaultText = ValueText(parameter->GetValue());
        entry.domainCatalogId = Text(parameter->GetDomainCatalogId());
        entry.domainClassId = Text(parameter->GetDomainClassId());
        DomainBounds bounds;
        if (!entry.domainClassId.empty() && DomainBoundsOf(parameter->GetDomain(), bounds, entry.integerBounds))
            entry.bounds = bounds;
        if (layout) {
            entry.shown = layout->IsParameterShown(entry.id.c_str());
            entry.layout = LayoutOf(layout->GetDatatypeLayout(entry.id.c_str()));
        }
        entry.changeableWhileRunning = parameter->GetChangeableAtRunTime();
        entry.changeableWhileStopped = parameter->GetChangeableAtDesignTime();
        entry.persistent = parameter->GetPersistent();
        list.push_back(std::move(entry));
    }
    return list;
}

std::vector<DeclaredInput> Inputs(Vtx::IBlockSignature* signature) {
    std::vector<DeclaredInput> list;
    auto* inputs = signature->GetInputPins();
    for (std::int32_t i = 0; i < inputs->GetCount(); ++i) {
        Vtx::IInputPin* input = inputs->GetAt(i);
        DeclaredInput entry{Text(input->GetId()), Text(input->GetName()), Text(input->GetDescription()),
                            Text(input->GetTypeCatalogId()), Text(input->GetTypeClassId()), {}};
        if (Vtx::IClassIdentityList* required = input->GetRequiredInterfaces())
            for (std::int32_t k = 0; k < required->GetCount(); ++k)
                entry.requiredInterfaces.emplace_back(Text(required->GetCatalogId(k)), Text(required->GetClassId(k)));
        list.push_back(std::move(entry));
    }
    return list;
}

std::vector<DeclaredOutput> Outputs(Vtx::IBlockSignature* signature) {
    std::vector<DeclaredOutput> list;
    auto* outputs = signature->GetOutputPins();
    for (std::int32_t i = 0; i < outputs->GetCount(); ++i) {
        Vtx::IOutputPin* output = outputs->GetAt(i);
        list.push_back(DeclaredOutput{Text(output->GetId()), Text(output->GetName()), Text(output->GetDescription()),
                                      Text(output->GetTypeCatalogId()), Text(output->GetTypeClassId()),
                                      Text(output->GetTypeSourcePinId())});
    }
    return list;
}

// The ids of the parameters, inputs and outputs, in that order and as declared.
std::vector<std::string> PinIds(Vtx::IBlockSignature* signature) {
    std::vector<std::string> ids;
    for (std::int32_t i = 0; i < signature->GetParameters()->GetCount(); ++i)
        ids.push_back(Text(signature->GetParameters()->GetAt(i)->GetId()));
    for (std::int32_t i = 0; i < signature->GetInputPins()->GetCount(); ++i)
        ids.push_back(Text(signature->GetInputPins()->GetAt(i)->GetId()));
    for (std::int32_t i = 0; i < signature->GetOutputPins()->GetCount(); ++i)
        ids.push_back(Text(signature->GetOutputPins()->GetAt(i)->GetId()));
    return ids;
}

// For every integer parameter: a second new block takes the default plus one; when its
// signature then holds more pins or parameters, the parameter is one that adds more.
std::vector<DeclaredGrowth> Growth(CKernelServices& kernel, const std::string& catalogId, const std::string& classId,
                                   const BlockDeclarations& declarations, const std::set<std::string>& declared) {
    std::vector<DeclaredGrowth> growth;
    for (const DeclaredParameter& parameter : declarations.parameters) {
        if (parameter.typeCatalogId != "kernel" || parameter.typeClassId != "int" || !parameter.defaultText) continue;
        long long next = 0;
        try {
            next = std::stoll(*parameter.defaultText) + 1;
        } catch (const std::exception&) {
            continue;
        }
        CPatch patch(kernel, "probe");
        try {
            patch.AddBlock(classId, catalogId, classId);
            patch.SetParameter(classId, parameter.id, std::to_string(next));
        } catch (const PatchError&) {
            continue;  // a value the block refuses tells nothing
        }
        DeclaredGrowth grown{parameter.id, next, {}};
        for (const std::string& id : PinIds(patch.FindBlock(classId)->GetSignature()))
            if (!declared.count(id)) grown.adds.push_back(id);
        if (!grown.adds.empty()) growth.push_back(std::move(grown));
    }
    return growth;
}

} // namespace

BlockDeclarations ProbeBlockClass(CKernelServices& kernel, const std::string& catalogId, const std::string& classId,
                                  ProbeDepth depth) {
    BlockDeclarations declarations;
    std::set<std::string> declared;
    {
        CPatch patch(kernel, "probe");
        Vtx::IBlock* block = nullptr;
        try {
            block = patch.AddBlock(classId, catalogId, classId);
        } catch (const PatchError& e) {
            declarations.error = e.what();
            return declarations;
        }
        Vtx::IBlockSignature* signature = block->GetSignature();
        declarations.parameters = Parameters(signature, block->GetLayout());
        declarations.inputs = Inputs(signature);
        declarations.outputs = Outputs(signature);
        declarations.stored = StoreSignature(signature);
        const std::vector<std::string> ids = PinIds(signature);
        declared.insert(ids.begin(), ids.end());
    }
    if (depth == ProbeDepth::WithGrowth) declarations.growth = Growth(kernel, catalogId, classId, declarations, declared);
    return declarations;
}

DeclaredBounds BoundsOf(const BlockDeclarations& declarations) {
    DeclaredBounds bounds;
    for (const DeclaredParameter& parameter : declarations.parameters)
        if (parameter.bounds) bounds.emplace(parameter.id, *parameter.bounds);
    return bounds;
}

} // namespace vtxhost
