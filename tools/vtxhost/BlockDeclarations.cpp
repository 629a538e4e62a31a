#include "tools/vtxhost/BlockDeclarations.h"

#include <set>
#include <vector>

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

using Json = DeclarationsJson;

std::string Text(const char* text) { return text ? text : ""; }

// The value's text form; null when it has none or cannot write it.
Json ValueText(Vtx::IDatatype* value) {
    if (!value) return nullptr;
    try {
        char* text = value->SerializeString();
        if (!text) return nullptr;
        std::string copy = text;
        value->FreeString(text);
        return copy;
    } catch (Vtx::IException&) {
        return nullptr;
    }
}

// {"value": bound, "inclusive": whether the bound itself is admitted}; null for no bound.
Json Bound(Json value, std::int32_t kind) {
    if (kind != Vtx::kBoundInclusive && kind != Vtx::kBoundExclusive) return nullptr;
    return Json{{"value", std::move(value)}, {"inclusive", kind == Vtx::kBoundInclusive}};
}

Json DomainOf(Vtx::IParameterPinSignature* parameter) {
    const std::string classId = Text(parameter->GetDomainClassId());
    if (classId.empty()) return nullptr;
    Json domain = Json::object();
    domain["class"] = DatatypeName(Text(parameter->GetDomainCatalogId()), classId);
    Vtx::IDatatypeDomain* object = parameter->GetDomain();
    if (auto* ints = dynamic_cast<Vtx::IIntDomain*>(object)) {
        domain["minimum"] = Bound(ints->GetMinimum(), ints->GetMinimumKind());
        domain["maximum"] = Bound(ints->GetMaximum(), ints->GetMaximumKind());
    } else if (auto* doubles = dynamic_cast<Vtx::IDoubleDomain*>(object)) {
        domain["minimum"] = Bound(doubles->GetMinimum(), doubles->GetMinimumKind());
        domain["maximum"] = Bound(doubles->GetMaximum(), doubles->GetMaximumKind());
    }
    return domain;
}

template <class Pin>
Json PinHead(Pin* pin) {
    return Json{{"id", Text(pin->GetId())},
                {"name", Text(pin->GetName())},
                {"description", Text(pin->GetDescription())},
                {"datatype", DatatypeName(Text(pin->GetTypeCatalogId()), Text(pin->GetTypeClassId()))}};
}

// The items a combo layout offers for the parameter; null when it has none.
Json ComboItems(Vtx::IBlockLayout* layout, const char* parameterId) {
    auto* combo = layout ? dynamic_cast<Vtx::IComboDatatypeLayout*>(layout->GetDatatypeLayout(parameterId)) : nullptr;
    if (!combo) return nullptr;
    Json items = Json::array();
    for (std::int32_t i = 0; i < combo->GetSize(); ++i) items.push_back(Text(combo->GetItem(i)));
    return items;
}

Json Parameters(Vtx::IBlockSignature* signature, Vtx::IBlockLayout* layout) {
    Json list = Json::array();
    auto* parameters = signature->GetParameters();
    for (std::int32_t i = 0; i < parameters->GetCount(); ++i) {
        Vtx::IParameterPinSignature* parameter = parameters->GetAt(i);
        Json entry = PinHead(parameter);
        entry["default"] = ValueText(parameter->GetValue());
        entry["domain"] = DomainOf(parameter);
        entry["changeableWhileRunning"] = parameter->GetChangeableAtRunTime();
        entry["changeableWhileStopped"] = parameter->GetChangeableAtDesignTime();
        entry["persistent"] = parameter->GetPersistent();
        if (Json items = ComboItems(layout, parameter->GetId()); !items.is_null()) entry["comboItems"] = items;
        list.push_back(entry);
    }
    return list;
}

Json Inputs(Vtx::IBlockSignature* signature) {
    Json list = Json::array();
    auto* inputs = signature->GetInputPins();
    for (std::int32_t i = 0; i < inputs->GetCount(); ++i) {
        Vtx::IInputPin* input = inputs->GetAt(i);
        Json entry = PinHead(input);
        Json interfaces = Json::array();
        if (Vtx::IClassIdentityList* required = input->GetRequiredInterfaces())
            for (std::int32_t k = 0; k < required->GetCount(); ++k)
                interfaces.push_back(DatatypeName(Text(required->GetCatalogId(k)), Text(required->GetClassId(k))));
        entry["requiredInterfaces"] = interfaces;
        list.push_back(entry);
    }
    return list;
}

Json Outputs(Vtx::IBlockSignature* signature) {
    Json list = Json::array();
    auto* outputs = signature->GetOutputPins();
    for (std::int32_t i = 0; i < outputs->GetCount(); ++i) {
        Vtx::IOutputPin* output = outputs->GetAt(i);
        Json entry = PinHead(output);
        const std::string source = Text(output->GetTypeSourcePinId());
        entry["followsInput"] = source.empty() ? Json(nullptr) : Json(source);
        list.push_back(entry);
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
Json Growth(CKernelServices& kernel, const std::string& catalogId, const std::string& classId, const Json& parameters,
            const std::set<std::string>& declared) {
    Json growth = Json::array();
    for (const Json& parameter : parameters) {
        if (parameter["datatype"] != "kernel/int" || !parameter["default"].is_string()) continue;
        long long next = 0;
        try {
            next = std::stoll(parameter["default"].get<std::string>()) + 1;
        } catch (const std::exception&) {
            continue;
        }
        CPatch patch(kernel, "inspect");
        try {
            patch.AddBlock(classId, catalogId, classId);
            patch.SetParameter(classId, parameter["id"].get<std::string>(), std::to_string(next));
        } catch (const PatchError&) {
            continue;  // a value the block refuses tells nothing
        }
        Json added = Json::array();
        for (const std::string& id : PinIds(patch.FindBlock(classId)->GetSignature()))
            if (!declared.count(id)) added.push_back(id);
        if (!added.empty()) growth.push_back(Json{{"parameter", parameter["id"]}, {"value", next}, {"adds", added}});
    }
    return growth;
}

std::string BoundText(const Json& domain) {
    const Json& minimum = domain["minimum"];
    const Json& maximum = domain["maximum"];
    if (minimum.is_null() && maximum.is_null()) return "";
    auto number = [](const Json& value) { return value.dump(); };
    std::string text = minimum.is_null() ? "(-inf" : (minimum["inclusive"] ? "[" : "(") + number(minimum["value"]);
    text += ", ";
    text += maximum.is_null() ? "+inf)" : number(maximum["value"]) + (maximum["inclusive"] ? "]" : ")");
    return text;
}

std::string YesNo(const Json& value) { return value.is_boolean() && value.get<bool>() ? "yes" : "no"; }

std::string Joined(const Json& list) {
    std::string text;
    for (const Json& item : list) text += (text.empty() ? "" : ", ") + item.get<std::string>();
    return text;
}

void PrintPinHead(std::ostream& out, const Json& pin, const std::string& indent) {
    out << indent << pin["id"].get<std::string>() << '\n';
    out << indent << "  Name: " << pin["name"].get<std::string>() << '\n';
    if (!pin["description"].get<std::string>().empty())
        out << indent << "  Description: " << pin["description"].get<std::string>() << '\n';
    out << indent << "  Datatype: " << pin["datatype"].get<std::string>();
    if (pin["datatype"] == "kernel/generic_datatype") out << " (any datatype)";
    out << '\n';
}

} // namespace

std::string DatatypeName(const std::string& catalogId, const std::string& classId) {
    return catalogId + "/" + classId;
}

DeclarationsJson DescribeBlockClass(CKernelServices& kernel, const std::string& catalogId, const std::string& classId) {
    CPatch patch(kernel, "inspect");
    Vtx::IBlock* block = nullptr;
    try {
        block = patch.AddBlock(classId, catalogId, classId);
    } catch (const PatchError& e) {
        return Json{{"error", e.what()}};
    }
    Vtx::IBlockSignature* signature = block->GetSignature();
    Json declarations = Json::object();
    declarations["parameters"] = Parameters(signature, block->GetLayout());
    declarations["inputs"] = Inputs(signature);
    declarations["outputs"] = Outputs(signature);
    const std::vector<std::string> ids = PinIds(signature);
    declarations["growth"] =
        Growth(kernel, catalogId, classId, declarations["parameters"], std::set<std::string>(ids.begin(), ids.end()));
    return declarations;
}

void PrintBlockDeclarations(std::ostream& out, const DeclarationsJson& declarations, const std::string& indent) {
    if (declarations.contains("error")) {
        out << indent << "Pins and parameters: <no block can be made: " << declarations["error"].get<std::string>()
            << ">\n";
        return;
    }
    const std::string inner = indent + "  ";
    if (!declarations["parameters"].empty())
        out << indent << "Parameters (" << declarations["parameters"].size() << ")\n";
    for (const Json& parameter : declarations["parameters"]) {
        PrintPinHead(out, parameter, inner);
        const Json& value = parameter["default"];
        out << inner << "  Default: "
            << (!value.is_string() ? "(none)" : value.get<std::string>().empty() ? "(empty)" : value.get<std::string>())
            << '\n';
        if (parameter["domain"].is_object()) {
            const std::string bounds = BoundText(parameter["domain"]);
            out << inner << "  Domain: " << (bounds.empty() ? "no bounds" : bounds) << " ("
                << parameter["domain"]["class"].get<std::string>() << ")\n";
        }
        if (parameter.contains("comboItems"))
            out << inner << "  Choices: " << Joined(parameter["comboItems"]) << '\n';
        out << inner << "  Changes while running: " << YesNo(parameter["changeableWhileRunning"]) << '\n';
    }
    if (!declarations["inputs"].empty()) out << indent << "Inputs (" << declarations["inputs"].size() << ")\n";
    for (const Json& input : declarations["inputs"]) {
        PrintPinHead(out, input, inner);
        if (!input["requiredInterfaces"].empty())
            out << inner << "  Required interfaces: " << Joined(input["requiredInterfaces"]) << '\n';
    }
    if (!declarations["outputs"].empty()) out << indent << "Outputs (" << declarations["outputs"].size() << ")\n";
    for (const Json& output : declarations["outputs"]) {
        PrintPinHead(out, output, inner);
        if (output["followsInput"].is_string())
            out << inner << "  Takes the datatype of input: " << output["followsInput"].get<std::string>() << '\n';
    }
    for (const Json& growth : declarations["growth"])
        out << indent << "More with \"" << growth["parameter"].get<std::string>() << "\": at "
            << growth["value"].get<long long>() << " the block also declares " << Joined(growth["adds"]) << '\n';
}

} // namespace vtxhost
