// vtxhost inspect: loads a catalog module as the platform host does and prints what its
// module signature offers: the catalog's identity and properties, every record of every
// collection with all its texts, identifiers, credits and library paths, and the language
// ids; under each block class, the pins and parameters a new block of the class declares.
// --bitmaps writes each class bitmap as a .bmp file; --json prints the same as JSON.
// Longer than our other files: every kind of record is printed here, in both forms.
// CLASS narrows the listing to the records of that class; "kernel" in place of a module
// lists the host's own catalog.
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

#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleCatalog.h"
#include "host/modules/ModuleLoader.h"
#include "host/modules/ModuleResources.h"
#include "host/run/PrintableText.h"
#include "platform/Dib.h"
#include "platform/Resources.h"
#include "tools/vtxhost/BlockDeclarations.h"
#include "tools/vtxhost/Commands.h"
#include "tools/vtxhost/ExitStatus.h"
#include "vtx/ClassInfo.h"
#include "vtx/Datatype.h"
#include "vtx/Exception.h"
#include "vtx/ObjectClassReference.h"
#include "vtx/Property.h"

namespace vtxhost {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kUsage = "inspect MODULE.so|kernel [CLASS] [--language ID] [--bitmaps DIR] [--json]";
constexpr const char* kHelp =
    "Loads a catalog module as a host does (through its exports only) and lists what it offers:\n"
    "its identity, properties and every class record with its texts and credits. Under each\n"
    "block class come the parameters (datatype, default value, domain, whether they may change\n"
    "while the patch runs) and the input and output pins that a new block of the class declares,\n"
    "and the parameters that make the block declare more.\n"
    "\n"
    "  kernel          list the host's own \"kernel\" catalog instead of a module: its datatypes\n"
    "                  with an example of each text form, and its blocks (./kernel names a file)\n"
    "  CLASS           only the records of this class id\n"
    "  --language ID   the language of the texts (a Windows language id; 1033 by default)\n"
    "  --bitmaps DIR   write the catalog's and the classes' bitmaps to DIR as .bmp files\n"
    "  --json          print the same as one JSON document\n";

struct Options {
    std::string module;
    std::string classId;
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
    } catch (const std::exception& e) {
        object[key] = Json{{"error", e.what()}};
    } catch (...) {
        object[key] = Json{{"error", "the module threw an exception of a type the host does not know"}};
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
    if (collection) {
        const int count = collection->GetCount();
        if (count < 0 || count > CModuleCatalog::kMaxRecords)
            throw std::runtime_error(std::string("the module's collection \"") + name + "\" claims " +
                                     std::to_string(count) + " records, outside 0 to " +
                                     std::to_string(CModuleCatalog::kMaxRecords));
        for (int i = 0; i < count; ++i) {
            Record* record = collection->GetItem(i);
            if (!record)
                throw std::runtime_error(std::string("the module's collection \"") + name +
                                         "\" holds a null record at index " + std::to_string(i));
            records.push_back(RecordValue(record));
        }
    }
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
        out.close();  // the bytes are only known to be written once flushed
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

bool WriteBitmaps(Json& model, const Options& options, std::size_t& written) {
    BitmapWriter writer(options.module, *options.bitmapDirectory, options.languageId);
    bool complete = writer.Write(model["catalog"], "catalogId");
    for (Json& collection : model["collections"])
        for (Json& record : collection["records"]) complete = writer.Write(record, "classId") && complete;
    written = 0;
    if (model["catalog"].contains("bitmapFile")) ++written;
    for (const Json& collection : model["collections"])
        for (const Json& record : collection["records"]) written += record.contains("bitmapFile") ? 1 : 0;
    return complete;
}

// ---- text form ----

std::string Scalar(const Json& value) {
    if (value.is_null()) return "(none)";
    // Texts come from the module: escaped, so that none can start a line or reach the
    // terminal as a byte that is not UTF-8.
    if (value.is_string()) return PrintableText(value.get<std::string>());
    if (value.is_boolean()) return value.get<bool>() ? "yes" : "no";
    if (value.is_object() && value.contains("error"))
        return "<error: " + PrintableText(value["error"].get<std::string>()) + ">";
    if (value.is_array()) {
        if (value.empty()) return "(none)";
        std::string joined;
        for (const Json& item : value) {
            if (!joined.empty()) joined += ", ";
            joined += item.is_array() ? "(" + Scalar(item) + ")" : Scalar(item);
        }
        return joined;
    }
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
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
        {"example", "Example"},
    };
    for (const auto& [json, text] : labels)
        if (key == json) return text;
    return nullptr;
}

void PrintFields(std::ostream& out, const Json& object, const std::string& indent, const char* skip = nullptr) {
    for (const auto& [key, value] : object.items()) {
        if ((skip && key == skip) || key == "declarations") continue;
        // Texts a record leaves empty say nothing; the JSON form keeps them.
        if ((value.is_string() && value.get<std::string>().empty()) ||
            (value.is_null() && (key == "thirdText" || key == "fourthText")))
            continue;
        const char* label = Label(key);
        out << indent << (label ? label : key.c_str()) << ": " << Scalar(value) << '\n';
    }
}

void PrintProperties(std::ostream& out, const Json& properties) {
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
}

void PrintText(std::ostream& out, const Json& model) {
    if (model.contains("module")) {
        out << "Module\n";
        PrintFields(out, model["module"], "  ");
    }
    out << "Catalog " << Scalar(model["catalog"]["catalogId"]) << '\n';
    PrintFields(out, model["catalog"], "  ", "catalogId");
    if (model.contains("languageFallback")) out << "  Language: " << model["languageFallback"].get<std::string>() << '\n';
    // The kernel catalog and a single class's listing carry no property sets.
    if (model.contains("properties")) PrintProperties(out, model["properties"]);
    for (const Json& collection : model["collections"]) {
        if (collection["records"].empty()) continue;  // most of the fifteen, in a typical catalog
        out << PrintableText(collection["collection"].get<std::string>()) << " (" << collection["records"].size() << ")\n";
        for (const Json& record : collection["records"]) {
            out << "  " << Scalar(record["classId"]) << '\n';
            PrintFields(out, record, "    ", "classId");
            if (record.contains("declarations")) PrintBlockDeclarations(out, record["declarations"], "    ");
        }
    }
    if (model.contains("languageIds")) out << "Language ids: " << Scalar(model["languageIds"]) << '\n';
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
        } else if (!argument.empty() && argument[0] != '-' && options.classId.empty()) {
            options.classId = argument;
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

// Keeps only the records of the class, and the collections that hold one. False when none.
bool KeepOnlyClass(Json& model, const std::string& classId) {
    Json kept = Json::array();
    for (Json& collection : model["collections"]) {
        Json records = Json::array();
        for (Json& record : collection["records"])
            if (record["classId"] == classId) records.push_back(record);
        if (records.empty()) continue;
        collection["records"] = records;
        kept.push_back(collection);
    }
    model["collections"] = kept;
    model.erase("properties");
    model.erase("languageIds");
    return !kept.empty();
}

// The class ids of the model's block and datatype classes, for a message that names them.
std::string ClassList(const Json& model) {
    std::string list;
    for (const Json& collection : model["collections"]) {
        if (collection["collection"] != "Block classes" && collection["collection"] != "Datatype classes") continue;
        for (const Json& record : collection["records"])
            if (record["classId"].is_string()) list += (list.empty() ? "" : ", ") + record["classId"].get<std::string>();
    }
    return list.empty() ? "none" : list;
}

// Adds to every datatype class an example of its text form: a new value's, as the
// kernel's catalog shows its own. False when a class cannot be made.
bool AddExamples(Json& model, CKernelServices& kernel, const std::string& catalogId) {
    bool made = true;
    for (Json& collection : model["collections"]) {
        if (collection["collection"] != "Datatype classes") continue;
        for (Json& record : collection["records"]) {
            if (!record["classId"].is_string() || record.contains("example")) continue;
            const std::string classId = record["classId"].get<std::string>();
            Vtx::IDatatype* value = kernel.CreateDatatype(catalogId.c_str(), classId.c_str());
            if (!value) {
                record["example"] = Json{{"error", "the class cannot be made through the module signature"}};
                made = false;
                continue;
            }
            value->AddRef();
            try {
                Vtx::ProducedText text(value);
                record["example"] = text ? Json(text.get()) : Json(nullptr);
            } catch (Vtx::IException& e) {
                record["example"] = Json{{"error", e.GetMessageText() ? e.GetMessageText() : ""}};
                made = false;
            }
            value->Release();
        }
    }
    return made;
}

// Whether every block class could be made to show its declarations.
bool AllBlocksMade(const Json& model) {
    for (const Json& collection : model["collections"])
        for (const Json& record : collection["records"])
            if (record.contains("declarations") && record["declarations"].contains("error")) return false;
    return true;
}

// Adds under every block class what a new block of the class declares.
void AddDeclarations(Json& model, CKernelServices& kernel, const std::string& catalogId) {
    for (Json& collection : model["collections"]) {
        if (collection["collection"] != "Block classes") continue;
        for (Json& record : collection["records"])
            if (record["classId"].is_string())
                record["declarations"] = DescribeBlockClass(kernel, catalogId, record["classId"].get<std::string>());
    }
}

// Text forms of the kernel datatypes, loaded into a new value of each class to show the
// form the class writes back.
const char* KernelExample(const std::string& classId) {
    static const std::pair<const char*, const char*> examples[] = {
        {"double", "2.5"},
        {"int", "42"},
        {"bool", "true"},
        {"string", "some text"},
        {"trigger", "3"},
        {"labeled_set", "{\"items\": [{\"label\": \"low\", \"catalog\": \"kernel\", \"class\": \"double\", "
                        "\"value\": \"0.5\"}]}"},
        {"generic_datatype", "{\"catalog\": \"kernel\", \"class\": \"int\", \"value\": \"7\"}"},
        {"scalar_arith_op_double", "*2.5"},
        {"string_pair", "[\"key\", \"value\"]"},
    };
    for (const auto& [id, text] : examples)
        if (classId == id) return text;
    return nullptr;
}

Json KernelDatatypeRecord(CKernelServices& kernel, const std::string& classId) {
    Json record = Json{{"classId", classId}};
    Vtx::IDatatype* value = kernel.CreateDatatype("kernel", classId.c_str());
    if (!value) {
        record["example"] = Json{{"error", "cannot be created"}};
        return record;
    }
    value->AddRef();
    Put(record, "example", [&]() -> Json {
        const char* example = KernelExample(classId);
        if (example && !value->UnserializeString(example)) return Json{{"error", "the example is refused"}};
        char* text = value->SerializeString();
        if (!text) return nullptr;
        Json written = text;
        value->FreeString(text);
        return written;
    });
    value->Release();
    return record;
}

Json KernelCatalogValue(CKernelServices& kernel) {
    Json model = Json::object();
    model["catalog"] = Json{{"catalogId", "kernel"},
                            {"name", "kernel"},
                            {"description", "The host's own catalog: basic datatypes, domains, layouts and blocks"}};
    CCatalog* catalog = kernel.FindCatalog("kernel");
    Json collections = Json::array();
    auto ids = [&](const char* name, ObjectKind kind, auto&& record) {
        Json records = Json::array();
        for (const std::string& id : catalog->GetClassIds(kind)) records.push_back(record(id));
        collections.push_back(Json{{"collection", name}, {"records", records}});
    };
    auto plain = [](const std::string& id) { return Json{{"classId", id}}; };
    ids("Block classes", ObjectKind::Block, plain);
    ids("Datatype classes", ObjectKind::Datatype, [&](const std::string& id) { return KernelDatatypeRecord(kernel, id); });
    ids("Datatype init information classes", ObjectKind::DatatypeInitInfo, plain);
    ids("Datatype domain classes", ObjectKind::Domain, plain);
    ids("Datatype layout classes", ObjectKind::Layout, plain);
    model["collections"] = collections;
    return model;
}

void Print(const Json& model, const Options& options) {
    if (options.json)
        // A text from the module that is not UTF-8 has its stray bytes replaced (U+FFFD).
        std::cout << model.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
    else
        PrintText(std::cout, model);
    std::cout.flush();
}

int InspectKernel(const Options& options) {
    CKernelServices kernel;
    Json model = KernelCatalogValue(kernel);
    const std::string classes = ClassList(model);
    if (!options.classId.empty() && !KeepOnlyClass(model, options.classId)) {
        std::fprintf(stderr, "vtxhost inspect: the kernel catalog has no class \"%s\" (its classes: %s)\n",
                     options.classId.c_str(), classes.c_str());
        return kExitRefused;
    }
    AddDeclarations(model, kernel, "kernel");
    Print(model, options);
    if (options.bitmapDirectory)
        std::fprintf(stderr, "vtxhost inspect: the kernel catalog has no bitmaps; nothing written to %s\n",
                     options.bitmapDirectory->c_str());
    return kExitSuccess;
}

int Inspect(int argc, char** argv) {
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) return UsageError("inspect");
    if (options->module == "kernel") return InspectKernel(*options);
    CModuleLoader module(options->module);
    Vtx::IDllSignature* signature = nullptr;
    try {
        signature = module.GetSignature(options->languageId);
    } catch (Vtx::IException& e) {
        throw std::runtime_error(std::string("the module failed to describe itself: ") + e.GetMessageText());
    }
    if (!signature) throw std::runtime_error("module \"" + options->module + "\" offers no module signature");
    Json model = SignatureValue(module, signature);
    const std::string classes = ClassList(model);
    if (signature->GetLanguageId() != options->languageId)
        model["languageFallback"] = std::to_string(signature->GetLanguageId()) + " (the module has no texts in " +
                                    std::to_string(options->languageId) + " and fell back to this language)";
    if (!options->classId.empty() && !KeepOnlyClass(model, options->classId)) {
        std::fprintf(stderr, "vtxhost inspect: module \"%s\" has no class \"%s\" (its classes: %s; class ids are "
                     "case-sensitive)\n", options->module.c_str(), options->classId.c_str(), classes.c_str());
        return kExitRefused;
    }
    bool classesMade = true;
    {
        // The module's blocks are made through a host's kernel services that know its catalog;
        // they are gone before the module is unloaded.
        CKernelServices kernel;
        try {
            auto catalog = std::make_shared<CModuleCatalog>(signature);
            kernel.AddCatalog(catalog);
            AddDeclarations(model, kernel, catalog->GetCatalogId());
            classesMade = AddExamples(model, kernel, catalog->GetCatalogId()) && AllBlocksMade(model);
        } catch (Vtx::IException& e) {
            throw std::runtime_error(std::string("the module's catalog cannot be used: ") +
                                     (e.GetMessageText() ? e.GetMessageText() : ""));
        } catch (const std::exception& e) {
            throw std::runtime_error(std::string("the module's catalog cannot be used: ") + e.what());
        }
    }
    std::size_t bitmapsWritten = 0;
    const bool bitmapsComplete = !options->bitmapDirectory || WriteBitmaps(model, *options, bitmapsWritten);
    Print(model, *options);
    if (options->bitmapDirectory) {
        // On standard error, so that --json stays one document.
        if (bitmapsWritten)
            std::fprintf(stderr, "vtxhost inspect: wrote %zu bitmap%s to %s\n", bitmapsWritten,
                         bitmapsWritten == 1 ? "" : "s", options->bitmapDirectory->c_str());
        else
            std::fprintf(stderr, "vtxhost inspect: the module names no bitmaps; nothing written to %s\n",
                         options->bitmapDirectory->c_str());
    }
    if (!classesMade) std::fprintf(stderr, "vtxhost inspect: a class of the module cannot be made (see above)\n");
    return bitmapsComplete && classesMade ? kExitSuccess : kExitRefused;
}

const CommandRegistrar registrar("inspect", kUsage, Inspect, kHelp);

} // namespace

} // namespace vtxhost
