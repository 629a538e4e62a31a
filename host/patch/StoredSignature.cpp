#include "host/patch/StoredSignature.h"

#include <cmath>
#include <limits>
#include <set>
#include <type_traits>

#include "host/kernel/JsonDocument.h"
#include "host/kernel/JsonStream.h"
#include "host/patch/DeclaredDefaults.h"
#include "host/kernel/KernelServices.h"
#include "host/patch/Patch.h"
#include "host/signature/DomainText.h"
#include "vtx/BlockSignature.h"
#include "vtx/Datatype.h"
#include "vtx/Domain.h"
#include "vtx/Exception.h"
#include "vtx/Pin.h"

namespace vtxhost {

namespace {

std::string Text(const char* text) { return text ? text : ""; }

StoredJson Pair(const char* first, const char* second) { return StoredJson::array({Text(first), Text(second)}); }

std::string CatalogOf(Vtx::IObject* object) {
    Vtx::IObjectClass* objectClass = object ? object->GetObjectClass() : nullptr;
    Vtx::IObjectClass* catalog = objectClass ? objectClass->GetCatalog() : nullptr;
    return catalog ? Text(catalog->GetClassId()) : "";
}

std::string ClassOf(Vtx::IObject* object) {
    Vtx::IObjectClass* objectClass = object ? object->GetObjectClass() : nullptr;
    return objectClass ? Text(objectClass->GetClassId()) : "";
}

StoredJson StoreDomain(Vtx::IDatatypeDomain* domain) {
    if (auto* ints = dynamic_cast<Vtx::IIntDomain*>(domain))
        return StoredJson::array(
            {ints->GetMinimum(), ints->GetMinimumKind(), ints->GetMaximum(), ints->GetMaximumKind()});
    if (auto* doubles = dynamic_cast<Vtx::IDoubleDomain*>(domain))
        return StoredJson::array(
            {doubles->GetMinimum(), doubles->GetMinimumKind(), doubles->GetMaximum(), doubles->GetMaximumKind()});
    return nullptr;
}

StoredJson StoreParameter(Vtx::IParameterPinSignature* parameter) {
    StoredJson stored = {{"id", Text(parameter->GetId())},
                         {"name", Text(parameter->GetName())},
                         {"description", Text(parameter->GetDescription())},
                         {"type", Pair(parameter->GetTypeCatalogId(), parameter->GetTypeClassId())}};
    if (!Text(parameter->GetDomainClassId()).empty()) {
        stored["domain"] = Pair(parameter->GetDomainCatalogId(), parameter->GetDomainClassId());
        StoredJson bounds = StoreDomain(parameter->GetDomain());
        if (!bounds.is_null()) stored["bounds"] = bounds;
    }
    stored["creation_word"] = parameter->GetCreationWord();
    stored["permissions"] = {parameter->GetPersistent(), parameter->GetChangeableAtDesignTime(),
                             parameter->GetChangeableAtRunTime(), parameter->GetInitInfoChangeableAtDesignTime(),
                             parameter->GetInitInfoChangeableAtRunTime()};
    stored["mode_word"] = parameter->GetModeWord();
    if (Vtx::IDatatype* value = parameter->GetValue()) {
        if (Vtx::IDatatypeInitInfo* info = value->GetInitInfo()) {
            Vtx::ProducedText infoText(info);
            if (infoText) stored["init_info"] = infoText.get();
        }
        Vtx::ProducedText text(value);
        if (text) stored["value"] = text.get();
    }
    return stored;
}

bool BoundsOfDomain(Vtx::IDatatypeDomain* domain, DomainBounds& bounds, bool& integer) {
    if (auto* ints = dynamic_cast<Vtx::IIntDomain*>(domain)) {
        bounds = {static_cast<double>(ints->GetMinimum()), ints->GetMinimumKind(),
                  static_cast<double>(ints->GetMaximum()), ints->GetMaximumKind()};
        integer = true;
        return true;
    }
    if (auto* doubles = dynamic_cast<Vtx::IDoubleDomain*>(domain)) {
        bounds = {doubles->GetMinimum(), doubles->GetMinimumKind(), doubles->GetMaximum(), doubles->GetMaximumKind()};
        integer = false;
        return true;
    }
    return false;
}

// The lowest (or highest) value a bound admits, with whether the bound itself is
// excluded; integer bounds are made inclusive.
struct Edge {
    bool open;       // no bound
    double value;
    bool exclusive;
};

Edge LowEdge(double value, std::int32_t kind, bool integer) {
    if (kind != Vtx::kBoundInclusive && kind != Vtx::kBoundExclusive) return {true, 0, false};
    if (kind == Vtx::kBoundExclusive && integer) return {false, value + 1, false};
    return {false, value, kind == Vtx::kBoundExclusive};
}

Edge HighEdge(double value, std::int32_t kind, bool integer) {
    if (kind != Vtx::kBoundInclusive && kind != Vtx::kBoundExclusive) return {true, 0, false};
    if (kind == Vtx::kBoundExclusive && integer) return {false, value - 1, false};
    return {false, value, kind == Vtx::kBoundExclusive};
}

// Reads the stored form, reporting each malformed entry at its pointer.
class Restorer {
public:
    Restorer(CKernelServices& kernel, Vtx::IBlockSignature* signature, const StoredSignatureFailure& fail,
             const DeclaredBounds& declared, const DeclaredDefaults* defaults)
        : kernel_(kernel), signature_(signature), fail_(fail), declared_(declared), defaults_(defaults) {}

    void Restore(const StoredJson& stored) {
        if (!stored.is_object()) Fail("", "a stored signature must be an object");
        for (auto it = stored.begin(); it != stored.end(); ++it)
            if (it.key() != "inputs" && it.key() != "outputs" && it.key() != "parameters" && it.key() != "defaults")
                Fail("/" + PointerToken(it.key()), "unknown entry \"" + it.key() + "\"");
        if (stored.contains("defaults")) {
            if (stored["defaults"] != "declared") Fail("/defaults", "\"defaults\" can only be \"declared\"");
            expand_ = true;
        }
        ForEach(stored, "inputs", [&](const StoredJson& pin, const std::string& at) { Input(Expanded("inputs", pin), at); });
        ForEach(stored, "outputs", [&](const StoredJson& pin, const std::string& at) { Output(Expanded("outputs", pin), at); });
        ForEach(stored, "parameters",
                [&](const StoredJson& pin, const std::string& at) { Parameter(Expanded("parameters", pin), at); });
    }

    void RestoreStreamed(JsonPullReader& reader) {
        if (reader.Peek() != JsonPullReader::Kind::Object) Fail("", "a stored signature must be an object");
        reader.BeginObject();
        std::string key;
        while (reader.NextKey(key)) {
            if (key == "defaults") {
                if (reader.Value() != "declared") Fail("/defaults", "\"defaults\" can only be \"declared\"");
                expand_ = true;
                continue;
            }
            if (key != "inputs" && key != "outputs" && key != "parameters")
                Fail("/" + PointerToken(key), "unknown entry \"" + key + "\"");
            const std::string at = "/" + key;
            if (reader.Peek() != JsonPullReader::Kind::Array) Fail(at, "\"" + key + "\" must be a list");
            reader.BeginArray();
            for (std::size_t i = 0; reader.NextItem(); ++i) {
                const StoredJson pin = Expanded(key.c_str(), reader.Value());
                const std::string where = at + "/" + std::to_string(i);
                if (key == "inputs")
                    Input(pin, where);
                else if (key == "outputs")
                    Output(pin, where);
                else
                    Parameter(pin, where);
            }
        }
    }

private:
    // An entry of the saved form with what it left out put back.
    StoredJson Expanded(const char* list, const StoredJson& pin) const {
        if (!expand_) return pin;
        return defaults_ ? defaults_->Expand(list, pin) : DeclaredDefaults().Expand(list, pin);
    }

    [[noreturn]] void Fail(const std::string& pointer, const std::string& problem) {
        fail_(pointer, problem);
        throw PatchError("stored signature, " + pointer + ": " + problem);
    }

    template <class F>
    void ForEach(const StoredJson& stored, const char* key, F&& each) {
        if (!stored.contains(key)) return;
        const std::string at = std::string("/") + key;
        const StoredJson& list = stored[key];
        if (!list.is_array()) Fail(at, std::string("\"") + key + "\" must be a list");
        for (std::size_t i = 0; i < list.size(); ++i) each(list[i], at + "/" + std::to_string(i));
    }

    void Keys(const StoredJson& pin, const std::string& at, std::initializer_list<const char*> known) {
        if (!pin.is_object()) Fail(at, "a stored pin must be an object");
        for (auto it = pin.begin(); it != pin.end(); ++it) {
            bool found = false;
            for (const char* key : known) found = found || it.key() == key;
            if (!found) Fail(at + "/" + PointerToken(it.key()), "unknown entry \"" + it.key() + "\"");
        }
    }

    std::string TextOf(const StoredJson& pin, const std::string& at, const char* key, bool required = false) {
        if (!pin.contains(key)) {
            if (required) Fail(at, std::string("a stored pin needs \"") + key + "\"");
            return {};
        }
        if (!pin[key].is_string()) Fail(at + "/" + key, std::string("\"") + key + "\" must be a text");
        return pin[key].get<std::string>();
    }

    std::pair<std::string, std::string> PairOf(const StoredJson& value, const std::string& at) {
        if (!value.is_array() || value.size() != 2 || !value[0].is_string() || !value[1].is_string())
            Fail(at, "a class identity must be a list of two texts (catalog, class)");
        return {value[0].get<std::string>(), value[1].get<std::string>()};
    }

    std::pair<std::string, std::string> TypeOf(const StoredJson& pin, const std::string& at) {
        if (!pin.contains("type")) Fail(at, "a stored pin needs \"type\"");
        return PairOf(pin["type"], at + "/type");
    }

    template <class T>
    T NumberOf(const StoredJson& pin, const std::string& at, const char* key, T fallback) {
        if (!pin.contains(key)) return fallback;
        const StoredJson& value = pin[key];
        if (!value.is_number() || (!std::is_floating_point<T>::value && !value.is_number_integer()))
            Fail(at + "/" + key, std::string("\"") + key + "\" must be a number");
        if (!InRange<T>(value))
            Fail(at + "/" + key, std::string("\"") + key + "\" is " + value.dump() + ", outside " +
                                     std::to_string(std::numeric_limits<T>::lowest()) + " to " +
                                     std::to_string(std::numeric_limits<T>::max()));
        return value.get<T>();
    }

    // Whether the JSON number fits T without being cut (integers) or overflowing (doubles).
    template <class T>
    static bool InRange(const StoredJson& value) {
        if (std::is_floating_point<T>::value) return true;  // the reader refuses numbers beyond a double
        if (value.is_number_unsigned())
            return value.get<std::uint64_t>() <= static_cast<std::uint64_t>(std::numeric_limits<T>::max());
        const auto number = value.get<std::int64_t>();
        return number >= static_cast<std::int64_t>(std::numeric_limits<T>::lowest()) &&
               number <= static_cast<std::int64_t>(std::numeric_limits<T>::max());
    }

    void Unique(std::set<std::string>& ids, const std::string& id, const std::string& at) {
        if (!ids.insert(id).second) Fail(at + "/id", "the id \"" + id + "\" is stored twice");
    }

    template <class F>
    auto Declared(const std::string& at, F&& declare) -> decltype(declare()) {
        try {
            return declare();
        } catch (Vtx::IException& e) {
            Fail(at, e.GetMessageText() ? e.GetMessageText() : "the host refused the declaration");
        } catch (const std::exception& e) {
            Fail(at, e.what());
        }
    }

    void Input(const StoredJson& pin, const std::string& at) {
        Keys(pin, at, {"id", "name", "description", "type", "flags", "required_interfaces"});
        const std::string id = TextOf(pin, at, "id", true);
        Unique(inputs_, id, at);
        const auto type = TypeOf(pin, at);
        bool flags[3] = {true, true, false};
        if (pin.contains("flags")) {
            const StoredJson& list = pin["flags"];
            if (!list.is_array() || list.size() != 3) Fail(at + "/flags", "\"flags\" must be a list of three booleans");
            for (std::size_t i = 0; i < 3; ++i) {
                if (!list[i].is_boolean()) Fail(at + "/flags", "\"flags\" must be a list of three booleans");
                flags[i] = list[i].get<bool>();
            }
        }
        std::vector<std::pair<std::string, std::string>> required;
        if (pin.contains("required_interfaces")) {
            const StoredJson& list = pin["required_interfaces"];
            if (!list.is_array()) Fail(at + "/required_interfaces", "\"required_interfaces\" must be a list");
            for (std::size_t i = 0; i < list.size(); ++i)
                required.push_back(PairOf(list[i], at + "/required_interfaces/" + std::to_string(i)));
        }
        Vtx::IInputPin* input = Declared(at, [&] {
            return signature_->CreateInputPin(id.c_str(), TextOf(pin, at, "name").c_str(),
                                              TextOf(pin, at, "description").c_str(), type.first.c_str(),
                                              type.second.c_str(), flags[0], flags[1], flags[2]);
        });
        if (!input) Fail(at, "the host made no input pin \"" + id + "\"");
        Vtx::IClassIdentityList* list = input->GetRequiredInterfaces();
        if (list) {
            list->Clear();
            for (const auto& entry : required) list->AddEntry(entry.first.c_str(), entry.second.c_str());
        }
    }

    void Output(const StoredJson& pin, const std::string& at) {
        Keys(pin, at, {"id", "name", "description", "type", "tag", "follows"});
        const std::string id = TextOf(pin, at, "id", true);
        Unique(outputs_, id, at);
        const auto type = TypeOf(pin, at);
        Declared(at, [&] {
            return signature_->CreateOutputPin(id.c_str(), TextOf(pin, at, "name").c_str(),
                                               TextOf(pin, at, "description").c_str(), type.first.c_str(),
                                               type.second.c_str(), TextOf(pin, at, "tag").c_str(),
                                               TextOf(pin, at, "follows").c_str());
        });
    }

    void Parameter(const StoredJson& pin, const std::string& at) {
        Keys(pin, at, {"id", "name", "description", "type", "domain", "bounds", "creation_word", "permissions",
                       "mode_word", "init_info", "value"});
        const std::string id = TextOf(pin, at, "id", true);
        Unique(parameters_, id, at);
        const auto type = TypeOf(pin, at);
        std::pair<std::string, std::string> domain;
        if (pin.contains("domain")) domain = PairOf(pin["domain"], at + "/domain");
        const auto word = NumberOf<std::uint32_t>(pin, at, "creation_word", 0);
        Vtx::IParameterPinSignature* parameter = Declared(at, [&] {
            return signature_->CreateParameter(id.c_str(), TextOf(pin, at, "name").c_str(),
                                               TextOf(pin, at, "description").c_str(), type.first.c_str(),
                                               type.second.c_str(), domain.first.c_str(), domain.second.c_str(),
                                               word);
        });
        if (!parameter) Fail(at, "the host made no parameter \"" + id + "\"");

        if (pin.contains("permissions")) {
            const StoredJson& list = pin["permissions"];
            bool flags[5];
            if (!list.is_array() || list.size() != 5)
                Fail(at + "/permissions", "\"permissions\" must be a list of five booleans");
            for (std::size_t i = 0; i < 5; ++i) {
                if (!list[i].is_boolean()) Fail(at + "/permissions", "\"permissions\" must be a list of five booleans");
                flags[i] = list[i].get<bool>();
            }
            parameter->SetPersistent(flags[0]);
            parameter->SetChangeableAtDesignTime(flags[1]);
            parameter->SetChangeableAtRunTime(flags[2]);
            parameter->SetInitInfoChangeableAtDesignTime(flags[3]);
            parameter->SetInitInfoChangeableAtRunTime(flags[4]);
        }
        parameter->SetModeWord(NumberOf<std::uint32_t>(pin, at, "mode_word", 0));
        if (pin.contains("bounds")) Bounds(parameter, pin["bounds"], at + "/bounds");
        Value(parameter, pin, at);
    }

    void Bounds(Vtx::IParameterPinSignature* parameter, const StoredJson& bounds, const std::string& at) {
        if (!bounds.is_array() || bounds.size() != 4) Fail(at, "\"bounds\" must be a list of four numbers");
        for (const StoredJson& entry : bounds)
            if (!entry.is_number()) Fail(at, "\"bounds\" must be a list of four numbers");
        if (!bounds[1].is_number_integer() || !bounds[3].is_number_integer())
            Fail(at, "the bound kinds must be integers");
        for (std::size_t kind : {1, 3})
            if (!InRange<std::int32_t>(bounds[kind]) || bounds[kind].get<std::int64_t>() < 0 ||
                bounds[kind].get<std::int64_t>() > 2)
                Fail(at, "the bound kind " + bounds[kind].dump() + " is not 0 (none), 1 (inclusive) or 2 (exclusive)");
        const auto minimumKind = bounds[1].get<std::int32_t>(), maximumKind = bounds[3].get<std::int32_t>();
        if (auto* ints = dynamic_cast<Vtx::IIntDomain*>(parameter->GetDomain())) {
            if (!bounds[0].is_number_integer() || !bounds[2].is_number_integer())
                Fail(at, "the bounds of an integer domain must be integers");
            for (std::size_t bound : {0, 2})
                if (!InRange<std::int32_t>(bounds[bound]))
                    Fail(at, "the bound " + bounds[bound].dump() + " lies outside the integers a domain can hold");
            ints->SetBounds(bounds[0].get<std::int32_t>(), minimumKind, bounds[2].get<std::int32_t>(), maximumKind);
        } else if (auto* doubles = dynamic_cast<Vtx::IDoubleDomain*>(parameter->GetDomain())) {
            doubles->SetBounds(bounds[0].get<double>(), minimumKind, bounds[2].get<double>(), maximumKind);
        } else {
            Fail(at, "the parameter has no domain with bounds");
        }
        // A stored signature may narrow what the block class accepts, never widen it.
        auto own = declared_.find(Text(parameter->GetId()));
        DomainBounds stored;
        bool integer = false;
        if (own != declared_.end() && BoundsOfDomain(parameter->GetDomain(), stored, integer) &&
            !stored.Within(own->second, integer))
            Fail(at, "the stored bounds " + stored.Text() + " of parameter \"" + Text(parameter->GetId()) +
                         "\" reach outside the block's own " + own->second.Text());
    }

    void Value(Vtx::IParameterPinSignature* parameter, const StoredJson& pin, const std::string& at) {
        Vtx::IDatatype* value = parameter->GetValue();
        if (!value) Fail(at, "the parameter has no value");
        if (pin.contains("init_info")) {
            const std::string text = TextOf(pin, at, "init_info");
            Vtx::IDatatypeInitInfo* info =
                kernel_.CreateDatatypeInitInfo(CatalogOf(value).c_str(), ClassOf(value).c_str());
            if (!info) Fail(at + "/init_info", "the value's class has no init information");
            info->AddRef();
            const bool read = Declared(at + "/init_info", [&] { return info->UnserializeString(text.c_str()); });
            if (read) Declared(at + "/init_info", [&] { value->InitInstance(info); return true; });
            info->Release();
            if (!read) Fail(at + "/init_info", "\"" + text + "\" is not valid init information");
        }
        if (!pin.contains("value")) return;
        const std::string text = TextOf(pin, at, "value");
        if (!Declared(at + "/value", [&] { return value->UnserializeString(text.c_str()); }))
            Fail(at + "/value", "\"" + text + "\" is not a valid " + ClassOf(value) + " value");
        if (Vtx::IDatatypeDomain* domain = parameter->GetDomain())
            if (!domain->IsValid(value)) {
                const std::string bounds = DomainBoundsText(domain);
                Fail(at + "/value", "\"" + text + "\" is outside the parameter's domain" + (bounds.empty() ? "" : " " + bounds));
            }
    }

    CKernelServices& kernel_;
    Vtx::IBlockSignature* signature_;
    const StoredSignatureFailure& fail_;
    const DeclaredBounds& declared_;
    const DeclaredDefaults* defaults_;
    bool expand_ = false;
    std::set<std::string> inputs_, outputs_, parameters_;
};

} // namespace

void ForEachStoredEntry(Vtx::IBlockSignature* signature,
                        const std::function<void(const char* list, const StoredJson& entry)>& each) {
    auto* in = signature->GetInputPins();
    for (std::int32_t i = 0; i < in->GetCount(); ++i) {
        Vtx::IInputPin* pin = in->GetAt(i);
        StoredJson required = StoredJson::array();
        if (Vtx::IClassIdentityList* list = pin->GetRequiredInterfaces())
            for (std::int32_t k = 0; k < list->GetCount(); ++k)
                required.push_back(Pair(list->GetCatalogId(k), list->GetClassId(k)));
        each("inputs", {{"id", Text(pin->GetId())},
                        {"name", Text(pin->GetName())},
                        {"description", Text(pin->GetDescription())},
                        {"type", Pair(pin->GetTypeCatalogId(), pin->GetTypeClassId())},
                        {"flags", {pin->GetInputFlag(0), pin->GetInputFlag(1), pin->GetInputFlag(2)}},
                        {"required_interfaces", required}});
    }
    auto* out = signature->GetOutputPins();
    for (std::int32_t i = 0; i < out->GetCount(); ++i) {
        Vtx::IOutputPin* pin = out->GetAt(i);
        each("outputs", {{"id", Text(pin->GetId())},
                         {"name", Text(pin->GetName())},
                         {"description", Text(pin->GetDescription())},
                         {"type", Pair(pin->GetTypeCatalogId(), pin->GetTypeClassId())},
                         {"tag", Text(pin->GetOutputTag())},
                         {"follows", Text(pin->GetTypeSourcePinId())}});
    }
    auto* params = signature->GetParameters();
    for (std::int32_t i = 0; i < params->GetCount(); ++i) each("parameters", StoreParameter(params->GetAt(i)));
}

StoredJson StoreSignature(Vtx::IBlockSignature* signature) {
    StoredJson stored = {{"inputs", StoredJson::array()}, {"outputs", StoredJson::array()},
                         {"parameters", StoredJson::array()}};
    ForEachStoredEntry(signature, [&](const char* list, const StoredJson& entry) { stored[list].push_back(entry); });
    return stored;
}

void RestoreSignature(CKernelServices& kernel, Vtx::IBlockSignature* signature, const StoredJson& stored,
                      const StoredSignatureFailure& fail, const DeclaredBounds& declared,
                      const DeclaredDefaults* defaults) {
    Restorer(kernel, signature, fail, declared, defaults).Restore(stored);
}

void RestoreSignatureStreamed(CKernelServices& kernel, Vtx::IBlockSignature* signature, JsonPullReader& reader,
                              const StoredSignatureFailure& fail, const DeclaredBounds& declared,
                              const DeclaredDefaults* defaults) {
    Restorer(kernel, signature, fail, declared, defaults).RestoreStreamed(reader);
}

bool DomainBounds::Within(const DomainBounds& outer, bool integer) const {
    const Edge low = LowEdge(minimum, minimumKind, integer), outerLow = LowEdge(outer.minimum, outer.minimumKind, integer);
    const Edge high = HighEdge(maximum, maximumKind, integer),
               outerHigh = HighEdge(outer.maximum, outer.maximumKind, integer);
    const bool lowWithin = outerLow.open || (!low.open && (low.value > outerLow.value ||
                                                           (low.value == outerLow.value &&
                                                            (low.exclusive || !outerLow.exclusive))));
    const bool highWithin = outerHigh.open || (!high.open && (high.value < outerHigh.value ||
                                                              (high.value == outerHigh.value &&
                                                               (high.exclusive || !outerHigh.exclusive))));
    return lowWithin && highWithin;
}

std::string DomainBounds::Text() const {
    const auto bound = [](double value, std::int32_t kind) -> std::string {
        if (kind != Vtx::kBoundInclusive && kind != Vtx::kBoundExclusive) return "none";
        // Whole numbers (every integer bound) without a fraction.
        const std::string number = value == std::floor(value) && std::fabs(value) < 1e15
                                       ? std::to_string(static_cast<long long>(value))
                                       : StoredJson(value).dump();
        return number + (kind == Vtx::kBoundInclusive ? " inclusive" : " exclusive");
    };
    return "[" + bound(minimum, minimumKind) + ", " + bound(maximum, maximumKind) + "]";
}

bool DomainBoundsOf(Vtx::IDatatypeDomain* domain, DomainBounds& bounds, bool& integer) {
    return BoundsOfDomain(domain, bounds, integer);
}

DeclaredBounds BoundsOf(Vtx::IBlockSignature* signature) {
    DeclaredBounds declared;
    auto* parameters = signature->GetParameters();
    for (std::int32_t i = 0; i < parameters->GetCount(); ++i) {
        Vtx::IParameterPinSignature* parameter = parameters->GetAt(i);
        DomainBounds bounds;
        bool integer = false;
        if (BoundsOfDomain(parameter->GetDomain(), bounds, integer)) declared.emplace(Text(parameter->GetId()), bounds);
    }
    return declared;
}

} // namespace vtxhost
