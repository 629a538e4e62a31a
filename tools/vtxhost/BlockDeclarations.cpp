#include "tools/vtxhost/BlockDeclarations.h"

#include "host/patch/BlockProbe.h"
#include "host/run/PrintableText.h"
#include "vtx/Domain.h"
#include "vtx/Exception.h"
#include "vtx/Layout.h"
#include "vtx/Pin.h"

namespace vtxhost {

namespace {

using Json = DeclarationsJson;


// {"value": bound, "inclusive": whether the bound itself is admitted}; null for no bound.
Json Bound(double value, std::int32_t kind, bool integer) {
    if (kind != Vtx::kBoundInclusive && kind != Vtx::kBoundExclusive) return nullptr;
    return Json{{"value", integer ? Json(static_cast<std::int64_t>(value)) : Json(value)},
                {"inclusive", kind == Vtx::kBoundInclusive}};
}

Json DomainOf(const DeclaredParameter& parameter) {
    if (parameter.domainClassId.empty()) return nullptr;
    Json domain = Json::object();
    domain["class"] = DatatypeName(parameter.domainCatalogId, parameter.domainClassId);
    if (const auto& bounds = parameter.bounds) {
        domain["minimum"] = Bound(bounds->minimum, bounds->minimumKind, parameter.integerBounds);
        domain["maximum"] = Bound(bounds->maximum, bounds->maximumKind, parameter.integerBounds);
    }
    return domain;
}

template <class Pin>
Json PinHead(const Pin& pin) {
    return Json{{"id", pin.id},
                {"name", pin.name},
                {"description", pin.description},
                {"datatype", DatatypeName(pin.typeCatalogId, pin.typeClassId)}};
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
    for (const Json& item : list) text += (text.empty() ? "" : ", ") + PrintableText(item.get<std::string>());
    return text;
}

void PrintPinHead(std::ostream& out, const Json& pin, const std::string& indent) {
    out << indent << PrintableText(pin["id"].get<std::string>()) << '\n';
    out << indent << "  Name: " << PrintableText(pin["name"].get<std::string>()) << '\n';
    if (!pin["description"].get<std::string>().empty())
        out << indent << "  Description: " << PrintableText(pin["description"].get<std::string>()) << '\n';
    out << indent << "  Datatype: " << PrintableText(pin["datatype"].get<std::string>());
    if (pin["datatype"] == "kernel/generic_datatype") out << " (any datatype)";
    out << '\n';
}

} // namespace

std::string DatatypeName(const std::string& catalogId, const std::string& classId) {
    return catalogId + "/" + classId;
}

DeclarationsJson DescribeBlockClass(CKernelServices& kernel, const std::string& catalogId, const std::string& classId) {
    const BlockDeclarations declared = ProbeBlockClass(kernel, catalogId, classId, ProbeDepth::WithGrowth);
    if (!declared.Made()) return Json{{"error", declared.error}};
    Json declarations = Json::object();
    Json& parameters = declarations["parameters"] = Json::array();
    for (const DeclaredParameter& parameter : declared.parameters) {
        Json entry = PinHead(parameter);
        entry["default"] = parameter.defaultText ? Json(*parameter.defaultText) : Json(nullptr);
        entry["domain"] = DomainOf(parameter);
        entry["changeableWhileRunning"] = parameter.changeableWhileRunning;
        entry["changeableWhileStopped"] = parameter.changeableWhileStopped;
        entry["persistent"] = parameter.persistent;
        if (parameter.layout && parameter.layout->kind == DeclaredLayout::Kind::Combo)
            entry["comboItems"] = parameter.layout->items;
        parameters.push_back(std::move(entry));
    }
    Json& inputs = declarations["inputs"] = Json::array();
    for (const DeclaredInput& input : declared.inputs) {
        Json entry = PinHead(input);
        Json interfaces = Json::array();
        for (const auto& [catalog, klass] : input.requiredInterfaces) interfaces.push_back(DatatypeName(catalog, klass));
        entry["requiredInterfaces"] = interfaces;
        inputs.push_back(std::move(entry));
    }
    Json& outputs = declarations["outputs"] = Json::array();
    for (const DeclaredOutput& output : declared.outputs) {
        Json entry = PinHead(output);
        entry["followsInput"] = output.followsInput.empty() ? Json(nullptr) : Json(output.followsInput);
        outputs.push_back(std::move(entry));
    }
    Json& growth = declarations["growth"] = Json::array();
    for (const DeclaredGrowth& grown : declared.growth)
        growth.push_back(Json{{"parameter", grown.parameter}, {"value", grown.value}, {"adds", grown.adds}});
    return declarations;
}

void PrintBlockDeclarations(std::ostream& out, const DeclarationsJson& declarations, const std::string& indent) {
    if (declarations.contains("error")) {
        out << indent << "Pins and parameters: <no block can be made: " << PrintableText(declarations["error"].get<std::string>())
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
            << (!value.is_string()                   ? "(none)"
                : value.get<std::string>().empty() ? "(empty)"
                                                   : PrintableText(value.get<std::string>()))
            << '\n';
        if (parameter["domain"].is_object()) {
            const std::string bounds = BoundText(parameter["domain"]);
            out << inner << "  Domain: " << (bounds.empty() ? "no bounds" : bounds) << " ("
                << PrintableText(parameter["domain"]["class"].get<std::string>()) << ")\n";
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
            out << inner << "  Takes the datatype of input: " << PrintableText(output["followsInput"].get<std::string>()) << '\n';
    }
    for (const Json& growth : declarations["growth"])
        out << indent << "More with \"" << PrintableText(growth["parameter"].get<std::string>()) << "\": at "
            << growth["value"].get<long long>() << " the block also declares " << Joined(growth["adds"]) << '\n';
}

} // namespace vtxhost
