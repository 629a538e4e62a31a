// vtxhost inspect: loads a catalog module as the platform host does and prints what its
// module signature offers: the catalog's identity and properties, every record of every
// collection with all its texts, identifiers, credits and library paths, and the language
// ids. --bitmaps writes each class bitmap as a .bmp file; --json prints the same as JSON.
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <type_traits>

#include <nlohmann/json.hpp>

#include "host/ModuleLoader.h"
#include "host/ModuleResources.h"
#include "platform/Dib.h"
#include "platform/Resources.h"
#include "tools/vtxhost/Commands.h"
#include "vtx/ClassInfo.h"
#include "vtx/Exception.h"
#include "vtx/ObjectClassReference.h"
#include "vtx/Property.h"

namespace vtxhost {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kUsage = "inspect MODULE.so [--language ID] [--bitmaps DIR] [--json]";

struct Options {
    std::string module;
    std::uint16_t languageId = 1033;
    std::optional<std::string> bitmapDirectory;
    bool json = false;
};

std::optional<std::uint16_t> ParseLanguageId(const char* text) {
    errno = 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 0);
    if (errno || end == text || *end || value > 0xFFFF || text[0] == '-') return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

// Null for a null text.
Json TextValue(const char* text) { return text ? Json(text) : Json(nullptr); }

// Reads one field; a module failure becomes {"error": message} in its place.
template <class Read>
void Put(Json& object, const char* key, Read read) {
    try {
        object[key] = read();
    } catch (Vtx::IException& e) {
        object[key] = Json{{"error", e.GetMessageText() ? e.GetMessageText() : ""}};
    }
}

// The list's texts, freed afterwards; null for no list.
Json TextListValue(Vtx::TEXT_LIST* list) {
    if (!list) return Json(nullptr);
    Json texts = Json::array();
    for (std::int32_t i = 0; i < list->count; ++i) texts.push_back(TextValue(list->texts[i]));
    Vtx::FreeTextList(list);
    return texts;
}

Json TripleValue(const Vtx::TEXT_TRIPLE& triple) {
    return Json::array({TextValue(triple.first), TextValue(triple.second), TextValue(triple.third)});
}

Json TextTripleListValue(Vtx::TEXT_TRIPLE_LIST* list) {
    if (!list) return Json(nullptr);
    Json triples = Json::array();
    for (std::int32_t i = 0; i < list->count; ++i) triples.push_back(TripleValue(list->triples[i]));
    Vtx::FreeTextTripleList(list);
    return triples;
}

Json ReferencePairs(Vtx::IObjectClassReferenceCollection* pairs) {
    if (!pairs) return Json(nullptr);
    Json result = Json::array();
    for (int i = 0; i < pairs->GetCount(); ++i) {
        Vtx::IObjectClassReference* pair = pairs->GetItem(i);
        result.push_back(Json::array({TextValue(pair->GetCatalogId()), TextValue(pair->GetClassId())}));
    }
    return result;
}

// Every field the record's interface offers, in the interface's order.
template <class Record>
Json RecordValue(Record* record) {
    Json value = Json::object();
    Put(value, "classId", [&] { return TextValue(record->GetClassId()); });
    if constexpr (std::is_base_of_v<Vtx::IObjectClassInfo, Record>) {
        Put(value, "name", [&] { return TextValue(record->GetName()); });
        Put(value, "description", [&] { return TextValue(record->GetDescription()); });
        Put(value, "thirdText", [&] { return TextValue(record->GetThirdText()); });
        Put(value, "fourthText", [&] { return TextValue(record->GetFourthText()); });
        Put(value, "bitmapId", [&] { return record->GetBitmapId(); });
    }
    if constexpr (std::is_base_of_v<Vtx::ICategoryClassInfo, Record>) {
        Put(value, "categoryEntries", [&] {
            Vtx::TEXT_TRIPLE_LIST* entries = record->GetCategoryEntries();
            Json triples = Json(nullptr);
            if (entries) {
                triples = Json::array();
                for (std::int32_t i = 0; i < entries->count; ++i) triples.push_back(TripleValue(entries->triples[i]));
            }
            record->FreeCategoryEntries(entries);
            return triples;
        });
    }
    if constexpr (std::is_base_of_v<Vtx::ISignedObjectClassInfo, Record>) {
        Put(value, "authorIds", [&] { return TextListValue(record->GetAuthorIds()); });
        Put(value, "companyId", [&] { return TextValue(record->GetCompanyId()); });
        Put(value, "licenceId", [&] { return TextValue(record->GetLicenceId()); });
        Put(value, "textTriples", [&] { return TextTripleListValue(record->GetTextTriples()); });
    }
    if constexpr (std::is_base_of_v<Vtx::ILibraryObjectClassInfo, Record>)
        Put(value, "libraryPath", [&] { return TextValue(record->GetLibraryPath()); });
    if constexpr (std::is_base_of_v<Vtx::IDatatypeClassInfo, Record>) {
        Put(value, "hasInitInfo", [&] { return record->HasInitInfo(); });
        Put(value, "textPairs", [&] { return ReferencePairs(record->GetTextPairs()); });
    }
    if constexpr (std::is_base_of_v<Vtx::IDatatypeConverterClassInfo, Record>) {
        Put(value, "converterTexts", [&] {
            return Json::array({TextValue(record->GetConverterText1()), TextValue(record->GetConverterText2()),
                                TextValue(record->GetConverterText3()), TextValue(record->GetConverterText4())});
        });
        Put(value, "converterValue", [&] { return record->GetConverterValue(); });
    }
    if constexpr (std::is_base_of_v<Vtx::IPatchStorageClassInfo, Record>) {
        Put(value, "storageFlags", [&] {
            return Json::array({record->GetStorageFlag1(), record->GetStorageFlag2(), record->GetStorageFlag3()});
        });
        Put(value, "storageText", [&] { return TextValue(record->GetStorageText()); });
    }
    if constexpr (std::is_base_of_v<Vtx::IDeviceEnumeratorInfo, Record>)
        Put(value, "flag", [&] { return record->GetFlag(); });
    return value;
}

template <class Record>
Json CollectionValue(const char* name, Vtx::IObjectClassCollection<Record>* collection) {
    Json value = Json::object();
    value["collection"] = name;
    Json records = Json::array();
    if (collection)
        for (int i = 0; i < collection->GetCount(); ++i) records.push_back(RecordValue(collection->GetItem(i)));
    value["records"] = records;
    return value;
}

Json PropertiesValue(Vtx::IDllSignature* signature) {
    Json sets = Json::array();
    for (std::int32_t i = 0; i < signature->GetPropertySetCount(); ++i) {
        Vtx::IPropertyCollection* set = signature->GetPropertySetAt(i);
        Json properties = Json::array();
        for (int j = 0; j < set->GetCount(); ++j) {
            Vtx::IProperty* property = set->GetItem(j);
            Json entry = Json::object();
            Put(entry, "name", [&] { return TextValue(property->GetName()); });
            Put(entry, "type", [&] { return property->GetType(); });
            Put(entry, "value", [&] { return TextValue(property->GetValueText()); });
            properties.push_back(entry);
        }
        Json entry = Json::object();
        entry["set"] = TextValue(set->GetName());
        entry["properties"] = properties;
        sets.push_back(entry);
    }
    return sets;
}

Json SignatureValue(const CModuleLoader& module, Vtx::IDllSignature* signature) {
    Json value = Json::object();
    value["module"] = Json{{"path", module.GetPath()},
                           {"sdkVersion", TextValue(module.GetSdkVersion())},
                           {"identifier", TextValue(module.GetIdentifier())},
                           {"debugBuild", module.IsDebugBuild()}};
    Json catalog = Json::object();
    Put(catalog, "catalogId", [&] { return TextValue(signature->GetCatalogId()); });
    Put(catalog, "name", [&] { return TextValue(signature->GetName()); });
    Put(catalog, "description", [&] { return TextValue(signature->GetDescription()); });
    Put(catalog, "languageId", [&] { return signature->GetLanguageId(); });
    Put(catalog, "bitmapId", [&] { return signature->GetBitmapId(); });
    value["catalog"] = catalog;
    Put(value, "properties", [&] { return PropertiesValue(signature); });
    Json collections = Json::array();
    collections.push_back(CollectionValue("Block classes", signature->GetBlockClasses()));
    collections.push_back(CollectionValue("Subpatch classes", signature->GetSubpatchClasses()));
    collections.push_back(CollectionValue("Datatype classes", signature->GetDatatypeClasses()));
    collections.push_back(CollectionValue("Datatype domain classes", signature->GetDatatypeDomainClasses()));
    collections.push_back(CollectionValue("Datatype layout classes", signature->GetDatatypeLayoutClasses()));
    collections.push_back(CollectionValue("Datatype interface classes", signature->GetDatatypeInterfaceClasses()));
    collections.push_back(CollectionValue("Datatype converter classes", signature->GetDatatypeConverterClasses()));
    collections.push_back(CollectionValue("Device classes", signature->GetDeviceClasses()));
    collections.push_back(CollectionValue("Device enumerators", signature->GetDeviceEnumerators()));
    collections.push_back(CollectionValue("Clock classes", signature->GetClockClasses()));
    collections.push_back(CollectionValue("Companies", signature->GetCompanies()));
    collections.push_back(CollectionValue("Authors", signature->GetAuthors()));
    collections.push_back(CollectionValue("Licences", signature->GetLicences()));
    collections.push_back(CollectionValue("Categories", signature->GetCategories()));
    collections.push_back(CollectionValue("Patch storage classes", signature->GetPatchStorageClasses()));
    value["collections"] = collections;
    Json languages = Json::array();
    for (std::uint16_t id : module.GetLanguageIds()) languages.push_back(id);
    value["languageIds"] = languages;
    return value;
}

// ---- bitmaps ----

std::string FileNameFor(const std::string& classId) {
    std::string name = classId.empty() ? std::string("unnamed") : classId;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '.') c = '_';
    return name;
}

class BitmapWriter {
public:
    BitmapWriter(const std::string& modulePath, std::filesystem::path directory, std::uint16_t languageId)
        : resources_(CModuleResources::ReadFromFile(modulePath)), directory_(std::move(directory)),
          languageId_(languageId) {
        std::filesystem::create_directories(directory_);
    }

    // Writes the object's bitmap, if it has one, and notes the file in it. False when the
    // bitmap id names no bitmap of the module.
    bool Write(Json& object, const char* idKey) {
        if (!object.contains("bitmapId") || !object["bitmapId"].is_number_unsigned()) return true;
        const auto bitmapId = object["bitmapId"].get<std::uint32_t>();
        if (bitmapId == 0) return true;
        const std::string owner = object.value(idKey, Json("")).is_string() ? object[idKey].get<std::string>() : "";
        const CModuleResource* resource =
            resources_.Find(static_cast<std::uint32_t>(platform::RT_BITMAP), bitmapId, languageId_);
        const std::vector<std::uint8_t> file =
            resource ? platform::MakeBmpFile(resource->data.data(), resource->data.size()) : std::vector<std::uint8_t>();
        if (file.empty()) {
            std::fprintf(stderr, "vtxhost: %s names bitmap %u, which the module does not hold\n", owner.c_str(),
                         bitmapId);
            return false;
        }
        std::string name = FileNameFor(owner);
        for (int n = 2; !used_.insert(name).second; ++n) name = FileNameFor(owner) + "_" + std::to_string(n);
        const std::filesystem::path path = directory_ / (name + ".bmp");
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        if (!out) throw std::runtime_error("cannot write \"" + path.string() + "\"");
        object["bitmapFile"] = path.string();
        return true;
    }

private:
    CModuleResources resources_;
    std::filesystem::path directory_;
    std::uint16_t languageId_;
    std::set<std::string> used_;
};

bool WriteBitmaps(Json& model, const Options& options) {
    BitmapWriter writer(options.module, *options.bitmapDirectory, options.languageId);
    bool complete = writer.Write(model["catalog"], "catalogId");
    for (Json& collection : model["collections"])
        for (Json& record : collection["records"]) complete = writer.Write(record, "classId") && complete;
    return complete;
}

// ---- text form ----

std::string Scalar(const Json& value) {
    if (value.is_null()) return "(none)";
    if (value.is_string()) return value.get<std::string>();
    if (value.is_boolean()) return value.get<bool>() ? "yes" : "no";
    if (value.is_object() && value.contains("error")) return "<error: " + value["error"].get<std::string>() + ">";
    if (value.is_array()) {
        if (value.empty()) return "(none)";
        std::string joined;
        for (const Json& item : value) {
            if (!joined.empty()) joined += ", ";
            joined += item.is_array() ? "(" + Scalar(item) + ")" : Scalar(item);
        }
        return joined;
    }
    return value.dump();
}

const char* Label(const std::string& key) {
    static const std::pair<const char*, const char*> labels[] = {
        {"path", "Path"},
        {"sdkVersion", "SDK version"},
        {"identifier", "Identifier"},
        {"debugBuild", "Debug build"},
        {"catalogId", "Catalog id"},
        {"classId", "Class id"},
        {"name", "Name"},
        {"description", "Description"},
        {"thirdText", "Third text"},
        {"fourthText", "Fourth text"},
        {"languageId", "Language id"},
        {"bitmapId", "Bitmap id"},
        {"bitmapFile", "Bitmap file"},
        {"authorIds", "Authors"},
        {"companyId", "Company"},
        {"licenceId", "Licence"},
        {"textTriples", "Categories"},
        {"libraryPath", "Library path"},
        {"hasInitInfo", "Init info"},
        {"textPairs", "Text pairs"},
        {"converterTexts", "Converter texts"},
        {"converterValue", "Converter value"},
        {"storageFlags", "Storage flags"},
        {"storageText", "Storage text"},
        {"categoryEntries", "Category entries"},
        {"flag", "Flag"},
        {"type", "Type"},
        {"value", "Value"},
    };
    for (const auto& [json, text] : labels)
        if (key == json) return text;
    return nullptr;
}

void PrintFields(std::ostream& out, const Json& object, const std::string& indent, const char* skip = nullptr) {
    for (const auto& [key, value] : object.items()) {
        if (skip && key == skip) continue;
        const char* label = Label(key);
        out << indent << (label ? label : key.c_str()) << ": " << Scalar(value) << '\n';
    }
}

void PrintText(std::ostream& out, const Json& model) {
    out << "Module\n";
    PrintFields(out, model["module"], "  ");
    out << "Catalog " << Scalar(model["catalog"]["catalogId"]) << '\n';
    PrintFields(out, model["catalog"], "  ", "catalogId");
    const Json& properties = model["properties"];
    if (properties.is_array()) {
        out << "Properties (" << properties.size() << " sets)\n";
        for (const Json& set : properties) {
            out << "  Set " << Scalar(set["set"]) << '\n';
            for (const Json& property : set["properties"]) {
                out << "    " << Scalar(property["name"]) << '\n';
                PrintFields(out, property, "      ", "name");
            }
        }
    } else {
        out << "Properties: " << Scalar(properties) << '\n';
    }
    for (const Json& collection : model["collections"]) {
        out << collection["collection"].get<std::string>() << " (" << collection["records"].size() << ")\n";
        for (const Json& record : collection["records"]) {
            out << "  " << Scalar(record["classId"]) << '\n';
            PrintFields(out, record, "    ", "classId");
        }
    }
    out << "Language ids: " << Scalar(model["languageIds"]) << '\n';
}

std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--json") {
            options.json = true;
        } else if (argument == "--language" && i + 1 < argc) {
            const std::optional<std::uint16_t> id = ParseLanguageId(argv[++i]);
            if (!id) {
                std::fprintf(stderr, "vtxhost inspect: \"%s\" is not a language id (0 to 65535)\n", argv[i]);
                return std::nullopt;
            }
            options.languageId = *id;
        } else if (argument == "--bitmaps" && i + 1 < argc) {
            options.bitmapDirectory = argv[++i];
        } else if (!argument.empty() && argument[0] != '-' && options.module.empty()) {
            options.module = argument;
        } else {
            std::fprintf(stderr, "vtxhost inspect: unexpected argument \"%s\"\n", argument.c_str());
            return std::nullopt;
        }
    }
    if (options.module.empty()) {
        std::fprintf(stderr, "vtxhost inspect: no module given\n");
        return std::nullopt;
    }
    return options;
}

int Inspect(int argc, char** argv) {
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: vtxhost %s\n", kUsage);
        return 2;
    }
    CModuleLoader module(options->module);
    Vtx::IDllSignature* signature = nullptr;
    try {
        signature = module.GetSignature(options->languageId);
    } catch (Vtx::IException& e) {
        throw std::runtime_error(std::string("the module failed to describe itself: ") + e.GetMessageText());
    }
    if (!signature) throw std::runtime_error("module \"" + options->module + "\" offers no module signature");
    Json model = SignatureValue(module, signature);
    const bool bitmapsComplete = !options->bitmapDirectory || WriteBitmaps(model, *options);
    if (options->json)
        std::cout << model.dump(2) << '\n';
    else
        PrintText(std::cout, model);
    std::cout.flush();
    return bitmapsComplete ? 0 : 1;
}

const CommandRegistrar registrar("inspect", kUsage, Inspect);

} // namespace

} // namespace vtxhost
