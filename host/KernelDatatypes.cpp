#include "host/KernelDatatypes.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string_view>

#include <nlohmann/json.hpp>

#include "host/PrintableText.h"
#include "vtx/KernelServices.h"

namespace vtxhost {

using nlohmann::json;

// ---- number texts ----------------------------------------------------------------------

std::string FormatDouble(double value) {
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool ParseDouble(const std::string& text, double& value) {
    if (text.empty()) return false;
    const char* begin = text.c_str();
    const char* end = begin + text.size();
    if (*begin == '+') ++begin;
    if (begin == end) return false;
    double parsed = 0.0;
    auto result = std::from_chars(begin, end, parsed);
    if (result.ec != std::errc() || result.ptr != end) return false;
    // Every NaN reads as the plain quiet NaN of its sign, which is what its text shows.
    if (std::isnan(parsed)) parsed = std::copysign(std::numeric_limits<double>::quiet_NaN(), parsed);
    value = parsed;
    return true;
}

bool ParseInt32(const std::string& text, std::int32_t& value) {
    if (text.empty()) return false;
    const char* begin = text.c_str();
    const char* end = begin + text.size();
    if (*begin == '+') ++begin;
    if (begin == end) return false;
    std::int32_t parsed = 0;
    auto result = std::from_chars(begin, end, parsed);
    if (result.ec != std::errc() || result.ptr != end) return false;
    value = parsed;
    return true;
}

namespace {

std::uint64_t BitsOf(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double DoubleOf(std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A JSON text, or a discarded value when it does not parse.
json ParseJson(const std::string& text) { return json::parse(text, nullptr, false); }

bool IsUtf8Label(const char* label) {
    for (const char* c = label; *c; ++c)
        if (static_cast<unsigned char>(*c) >= 0x80) return IsUtf8(label);
    return true;
}

} // namespace

// ---- double ----------------------------------------------------------------------------

std::string CDoubleImpl::WriteBinary() {
    std::string out;
    PutU64(out, BitsOf(value_));
    return out;
}

bool CDoubleImpl::ReadBinary(const std::string& payload) {
    PayloadReader reader(payload);
    std::uint64_t bits;
    if (!reader.U64(bits) || !reader.AtEnd()) return false;
    value_ = DoubleOf(bits);
    return true;
}

std::string CDoubleImpl::WriteText() { return FormatDouble(value_); }

bool CDoubleImpl::ReadText(const std::string& text) { return ParseDouble(text, value_); }

// ---- int -------------------------------------------------------------------------------

std::string CIntImpl::WriteBinary() {
    std::string out;
    PutU32(out, static_cast<std::uint32_t>(value_));
    return out;
}

bool CIntImpl::ReadBinary(const std::string& payload) {
    PayloadReader reader(payload);
    std::uint32_t bits;
    if (!reader.U32(bits) || !reader.AtEnd()) return false;
    value_ = static_cast<std::int32_t>(bits);
    return true;
}

std::string CIntImpl::WriteText() { return std::to_string(value_); }

bool CIntImpl::ReadText(const std::string& text) { return ParseInt32(text, value_); }

// ---- bool ------------------------------------------------------------------------------

std::string CBoolImpl::WriteBinary() { return std::string(1, value_ ? '\1' : '\0'); }

bool CBoolImpl::ReadBinary(const std::string& payload) {
    if (payload.size() != 1 || static_cast<unsigned char>(payload[0]) > 1) return false;
    value_ = payload[0] == '\1';
    return true;
}

std::string CBoolImpl::WriteText() { return value_ ? "true" : "false"; }

bool CBoolImpl::ReadText(const std::string& text) {
    if (text == "true" || text == "1") {
        value_ = true;
    } else if (text == "false" || text == "0") {
        value_ = false;
    } else {
        return false;
    }
    return true;
}

// ---- string ----------------------------------------------------------------------------

bool CStringImpl::CopySameClass(Vtx::ISerialize* source) {
    CStringImpl* same = OfSameClass<CStringImpl>(source);
    if (same) value_ = same->value_;
    return same;
}

// The value is a C text: a payload with a zero byte cannot be held whole and is refused.
bool CStringImpl::ReadBinary(const std::string& payload) {
    if (payload.find('\0') != std::string::npos) return false;
    value_ = payload;
    return true;
}

bool CStringImpl::ReadText(const std::string& text) {
    value_ = text;
    return true;
}

// ---- trigger ---------------------------------------------------------------------------

bool CTriggerImpl::CopySameClass(Vtx::ISerialize* source) {
    CTriggerImpl* same = OfSameClass<CTriggerImpl>(source);
    if (same) count_ = same->count_;
    return same;
}

std::string CTriggerImpl::WriteBinary() {
    std::string out;
    PutU64(out, static_cast<std::uint64_t>(count_));
    return out;
}

bool CTriggerImpl::ReadBinary(const std::string& payload) {
    PayloadReader reader(payload);
    std::uint64_t count;
    if (!reader.U64(count) || !reader.AtEnd()) return false;
    count_ = static_cast<std::int64_t>(count);
    return true;
}

std::string CTriggerImpl::WriteText() { return std::to_string(count_); }

bool CTriggerImpl::ReadText(const std::string& text) {
    if (text.empty()) return false;
    std::int64_t parsed = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
    count_ = parsed;
    return true;
}

// ---- labelled set init information -----------------------------------------------------

std::string CLabelledSetInitInfoImpl::WriteBinary() {
    std::string out;
    PutText(out, catalogId_);
    PutText(out, classId_);
    return out;
}

bool CLabelledSetInitInfoImpl::ReadBinary(const std::string& payload) {
    PayloadReader reader(payload);
    std::string catalogId, classId;
    if (!reader.Text(catalogId) || !reader.Text(classId) || !reader.AtEnd()) return false;
    catalogId_ = catalogId;
    classId_ = classId;
    return true;
}

std::string CLabelledSetInitInfoImpl::WriteText() {
    return json{{"catalog", catalogId_}, {"class", classId_}}.dump();
}

bool CLabelledSetInitInfoImpl::ReadText(const std::string& text) {
    json parsed = ParseJson(text);
    if (!parsed.is_object() || !parsed.contains("catalog") || !parsed.contains("class") ||
        !parsed["catalog"].is_string() || !parsed["class"].is_string())
        return false;
    catalogId_ = parsed["catalog"].get<std::string>();
    classId_ = parsed["class"].get<std::string>();
    return true;
}

// ---- labelled set ----------------------------------------------------------------------

CLabelledSetImpl::~CLabelledSetImpl() {
    for (auto& item : items_) item.value->Release();
    if (initInfo_) initInfo_->Release();
}

void CLabelledSetImpl::ReleaseSpare() {
    while (items_.size() > count_) {
        items_.back().value->Release();
        items_.pop_back();
    }
}

void CLabelledSetImpl::Replace(std::vector<Item> items) {
    const std::size_t count = items.size();
    for (std::size_t i = 0; i < count_; ++i) items_[i].value->Release();
    items.insert(items.end(), std::make_move_iterator(items_.begin() + static_cast<std::ptrdiff_t>(count_)),
                 std::make_move_iterator(items_.end()));
    items_.swap(items);
    count_ = count;
}

void CLabelledSetImpl::InitInstance(Vtx::IDatatypeInitInfo* initInfo) {
    Vtx::TranslateStdExceptions([&] {
        if (!initInfo) return;
        auto* typing = Vtx::interface_cast<Vtx::ILabelledSetInitInfo>(initInfo);
        const std::string catalogId = typing->GetElementCatalogId() ? typing->GetElementCatalogId() : "";
        const std::string classId = typing->GetElementClassId() ? typing->GetElementClassId() : "";
        // The set keeps its own copy: the caller may release or change its object.
        Vtx::IDatatypeInitInfo* copy = GetKernelServices()->CreateDatatypeInitInfo("kernel", "labeled_set");
        if (!copy) throw Vtx::CLogicExceptionImpl("The labelled set's init information cannot be created.\n");
        copy->AddRef();
        auto* copyTyping = dynamic_cast<Vtx::ILabelledSetInitInfo*>(copy);
        if (!copyTyping) {
            copy->Release();
            throw Vtx::CCastExceptionImpl();
        }
        copyTyping->SetElementCatalogId(catalogId.c_str());
        copyTyping->SetElementClassId(classId.c_str());
        if (catalogId != catalogId_ || classId != classId_) {
            ReleaseSpare();
            ForgetAcceptedClass();
        }
        if (initInfo_) initInfo_->Release();
        initInfo_ = copy;
        catalogId_ = catalogId;
        classId_ = classId;
        // Items of another class go; the others keep their order.
        std::size_t kept = 0;
        for (std::size_t i = 0; i < count_; ++i) {
            const bool fits = classId_.empty() || (CatalogIdOf(items_[i].value) == catalogId_ &&
                                                   ClassIdOf(items_[i].value) == classId_);
            if (!fits) {
                items_[i].value->Release();
                continue;
            }
            if (kept != i) items_[kept] = std::move(items_[i]);
            ++kept;
        }
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(kept),
                     items_.begin() + static_cast<std::ptrdiff_t>(count_));
        count_ = kept;
    });
}

void CLabelledSetImpl::DoneInstance() {
    Replace({});
    ReleaseSpare();
    ForgetAcceptedClass();
    if (initInfo_) initInfo_->Release();
    initInfo_ = nullptr;
    catalogId_.clear();
    classId_.clear();
}

Vtx::IDatatypeInitInfo* CLabelledSetImpl::GetInitInfo() { return initInfo_; }

void CLabelledSetImpl::ClearItems() {
    // The items stay where they are as kept elements when the set alone holds them (the
    // count after AddRef tells); elements others hold are released and left to them.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count_; ++i) {
        Item& item = items_[i];
        const bool alone = item.value->AddRef() == 2;
        item.value->Release();
        if (!alone) {
            item.value->Release();
            continue;
        }
        if (kept != i) items_[kept] = std::move(item);
        ++kept;
    }
    if (kept == count_) {
        count_ = 0;
        return;
    }
    for (std::size_t i = count_; i < items_.size(); ++i) items_[kept++] = std::move(items_[i]);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(kept), items_.end());
    count_ = 0;
}

void CLabelledSetImpl::ForgetAcceptedClass() {
    acceptedClass_ = nullptr;
    acceptedCatalogId_.clear();
    acceptedClassId_.clear();
}

void CLabelledSetImpl::AcceptClass(Vtx::IDatatype* value, Vtx::IObjectClass* objectClass) {
    if (objectClass && objectClass == acceptedClass_) return;
    std::string catalogId = CatalogIdOf(value);
    std::string classId = ClassIdOf(value);
    if (!classId_.empty()) {
        if (catalogId != catalogId_) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kDatatypesDifferentCatalogs);
        if (classId != classId_) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kDatatypesDifferentClassIds);
    }
    if (classId.empty()) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kNullDatatypeClass);
    acceptedClass_ = objectClass;
    acceptedCatalogId_ = std::move(catalogId);
    acceptedClassId_ = std::move(classId);
}

void CLabelledSetImpl::DropKept(std::size_t index) {
    items_[index].value->Release();
    if (index + 1 != items_.size()) items_[index] = std::move(items_.back());
    items_.pop_back();
}

CLabelledSetImpl::Item& CLabelledSetImpl::NextSlot(Vtx::IObjectClass* objectClass, const std::string& catalogId,
                                                   const std::string& classId) {
    while (items_.size() > count_) {
        Item& slot = items_[count_];
        if (objectClass && slot.value->GetObjectClass() == objectClass) {
            try {
                slot.value->DoneInstance();
            } catch (...) {
                DropKept(count_);
                throw;
            }
            return slot;
        }
        DropKept(count_);  // of another class: an untyped set changed its elements' class
    }
    items_.push_back(NewItem(std::string(), catalogId, classId));
    return items_.back();
}

CLabelledSetImpl::Item CLabelledSetImpl::TakeElement(Vtx::IObjectClass* objectClass, const std::string& catalogId,
                                                     const std::string& classId, bool& reused) {
    reused = true;
    while (items_.size() > count_) {
        Item item = std::move(items_.back());
        items_.pop_back();
        if (objectClass && item.value->GetObjectClass() == objectClass) {
            try {
                item.value->DoneInstance();
            } catch (...) {
                item.value->Release();
                throw;
            }
            return item;
        }
        item.value->Release();  // of another class: an untyped set changed its elements' class
    }
    reused = false;
    return NewItem(std::string(), catalogId, classId);
}

CLabelledSetImpl::Item CLabelledSetImpl::NewItem(std::string label, const std::string& catalogId,
                                                 const std::string& classId) {
    Vtx::IDatatype* element = NewElement(catalogId, classId);
    const ElementTimes created{element->GetTimestamp(), element->GetTimeA(), element->GetTimeB(),
                               element->GetTimeC(),     element->GetTimeD(), element->GetTimeFactor()};
    return Item{std::move(label), element, created};
}

Vtx::IDatatype* CLabelledSetImpl::NewElement(const std::string& catalogId, const std::string& classId) {
    Vtx::IDatatype* element = GetKernelServices()->CreateDatatype(catalogId.c_str(), classId.c_str());
    if (!element)
        throw Vtx::CLogicExceptionImpl("The datatype \"%s\" of catalog \"%s\" cannot be created.\n", classId.c_str(),
                                       catalogId.c_str());
    element->AddRef();
    return element;
}

void CLabelledSetImpl::AddItem(Vtx::IDatatype* value, const char* label) {
    if (!value) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kNullDatatype);
    Vtx::TranslateStdExceptions([&] {
        // The text form is JSON, which holds UTF-8 text only: a label it could not write is
        // refused here, not every time the set is written.
        if (label && !IsUtf8Label(label)) throw std::invalid_argument("a label of a labelled set must be UTF-8 text");
        Vtx::IObjectClass* objectClass = value->GetObjectClass();
        if (!objectClass || objectClass != acceptedClass_) AcceptClass(value, objectClass);
        // The usual case, a kept element of the class in the next slot, is handled here.
        const bool kept = count_ < items_.size() && objectClass && items_[count_].value->GetObjectClass() == objectClass;
        Item& item = kept ? items_[count_] : NextSlot(objectClass, acceptedCatalogId_, acceptedClassId_);
        try {
            if (kept) item.value->DoneInstance();
            item.value->InitInstance(value->GetInitInfo());
            CopyValueAndTime(item.value, value);
            // A kept slot's label mostly has the new label's length already (the same items
            // come round after round): the text is then copied over it in place.
            const char* text = label ? label : "";
            const std::size_t length = std::strlen(text);
            if (item.label.size() == length)
                std::memmove(item.label.data(), text, length);
            else
                item.label.assign(text, length);
        } catch (...) {
            DropKept(count_);
            throw;
        }
        ++count_;
    });
}

std::int32_t CLabelledSetImpl::GetItemCount() { return static_cast<std::int32_t>(count_); }

void CLabelledSetImpl::CheckIndex(std::int32_t index) {
    const auto count = static_cast<std::int32_t>(count_);
    if (index < 0 || index >= count) throw Vtx::CCollectionExceptionImpl(index, 0, count - 1);
}

Vtx::IDatatype* CLabelledSetImpl::GetItem(std::int32_t index) {
    CheckIndex(index);
    return items_[index].value;
}

const char* CLabelledSetImpl::GetItemLabel(std::int32_t index) {
    CheckIndex(index);
    return items_[index].label.c_str();
}

std::string CLabelledSetImpl::WriteBinary() {
    std::string out;
    PutText(out, catalogId_);
    PutText(out, classId_);
    PutU32(out, static_cast<std::uint32_t>(count_));
    for (std::size_t i = 0; i < count_; ++i) {
        const Item& item = items_[i];
        PutText(out, item.label);
        PutText(out, CatalogIdOf(item.value));
        PutText(out, ClassIdOf(item.value));
        Vtx::ProducedBinary binary(item.value);
        PutText(out, PayloadOf(binary.get()));
    }
    return out;
}

bool CLabelledSetImpl::ReadBinary(const std::string& payload) {
    PayloadReader reader(payload);
    std::string catalogId, classId;
    std::uint32_t count = 0;
    if (!reader.Text(catalogId) || !reader.Text(classId) || !reader.U32(count)) return false;
    // A typed set takes only sets of its own element class.
    if (!classId_.empty() && (catalogId != catalogId_ || classId != classId_)) return false;
    std::vector<Item> items;
    bool ok = true;
    try {
        for (std::uint32_t i = 0; ok && i < count; ++i) {
            std::string label, itemCatalog, itemClass, itemPayload;
            if (!reader.Text(label) || !reader.Text(itemCatalog) || !reader.Text(itemClass) ||
                !reader.Text(itemPayload) || (!classId.empty() && (itemCatalog != catalogId || itemClass != classId)) ||
                !IsUtf8(label)) {
                ok = false;
                break;
            }
            items.push_back(NewItem(label, itemCatalog, itemClass));
            Vtx::IDatatype* element = items.back().value;
            element->InitInstance(initInfo_);
            Vtx::SerializeBuffer* buffer = MakeSerializeBuffer(itemPayload);
            ok = element->UnserializeBinary(buffer);
            std::free(buffer);
        }
        ok = ok && reader.AtEnd();
    } catch (...) {
        for (auto& item : items) item.value->Release();
        throw;
    }
    if (!ok) {
        for (auto& item : items) item.value->Release();
        return false;
    }
    if (classId_.empty() && !classId.empty()) {
        // An untyped set takes the typing of the set it loads.
        Vtx::IDatatypeInitInfo* typing = GetKernelServices()->CreateDatatypeInitInfo("kernel", "labeled_set");
        if (auto* info = dynamic_cast<Vtx::ILabelledSetInitInfo*>(typing)) {
            typing->AddRef();
            info->SetElementCatalogId(catalogId.c_str());
            info->SetElementClassId(classId.c_str());
            if (initInfo_) initInfo_->Release();
            initInfo_ = typing;
        }
        catalogId_ = catalogId;
        classId_ = classId;
        ForgetAcceptedClass();
    }
    Replace(std::move(items));
    return true;
}

bool CLabelledSetImpl::CopySameClass(Vtx::ISerialize* source) {
    CLabelledSetImpl* same = OfSameClass<CLabelledSetImpl>(source);
    // A change of typing is the binary form's to make.
    if (!same || same->catalogId_ != catalogId_ || same->classId_ != classId_) return false;
    std::vector<Item> items;
    items.swap(scratch_);
    items.clear();
    items.reserve(same->count_ + items_.size());  // the new items and the elements kept behind them
    const auto dropItems = [this, &items] {
        for (auto& item : items) item.value->Release();
        items.clear();
        scratch_.swap(items);
    };
    // What the binary form would refuse is left to it, which refuses it in its own way.
    try {
        for (std::size_t i = 0; i < same->count_; ++i) {
            const Item& from = same->items_[i];
            Vtx::IObjectClass* objectClass = from.value->GetObjectClass();
            bool reused = false;
            if (objectClass != acceptedClass_ || !objectClass) {
                acceptedClass_ = nullptr;  // the ids below are the source element's, checked as loading checks
                acceptedCatalogId_ = CatalogIdOf(from.value);
                acceptedClassId_ = ClassIdOf(from.value);
                if (!classId_.empty() && (acceptedCatalogId_ != catalogId_ || acceptedClassId_ != classId_)) {
                    dropItems();
                    return false;
                }
                acceptedClass_ = objectClass;
            }
            items.push_back(TakeElement(objectClass, acceptedCatalogId_, acceptedClassId_, reused));
            Item& item = items.back();
            item.label = from.label;
            item.value->InitInstance(initInfo_);
            item.value->CopyFrom(from.value);
            if (reused) {
                const ElementTimes& t = item.created;
                item.value->SetTimestamp(t.timestamp);
                item.value->SetTimeA(t.timeA);
                item.value->SetTimeB(t.timeB);
                item.value->SetTimeC(t.timeC);
                item.value->SetTimeD(t.timeD);
                item.value->SetTimeFactor(t.factor);
            }
        }
    } catch (Vtx::ILogicException&) {
        dropItems();
        return false;
    } catch (...) {
        dropItems();
        throw;
    }
    // The new items go first, the elements kept from the previous ones behind them; the
    // previous storage serves the next copy.
    ClearItems();
    const std::size_t count = items.size();
    for (auto& kept : items_) items.push_back(std::move(kept));
    items_.swap(items);
    count_ = count;
    items.clear();
    scratch_.swap(items);
    return true;
}

namespace {

// A JSON string of a text that is plain ASCII, escaped as nlohmann::json's dump escapes
// it; false (nothing written) for a text with other bytes, which the JSON library writes
// (and checks as UTF-8).
bool AppendAsciiJsonString(std::string& out, std::string_view text) {
    const std::size_t start = out.size();
    out += '"';
    for (const char byte : text) {
        const auto c = static_cast<unsigned char>(byte);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c >= 0x80) {
                out.resize(start);
                return false;
            }
            if (c < 0x20) {
                static const char kHex[] = "0123456789abcdef";
                out += "\\u00";
                out += kHex[c >> 4];
                out += kHex[c & 0xf];
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
    return true;
}

} // namespace

bool CLabelledSetImpl::WriteAsciiText(std::string& out) {
    out = "{\"element\":[";
    if (!AppendAsciiJsonString(out, catalogId_)) return false;
    out += ',';
    if (!AppendAsciiJsonString(out, classId_)) return false;
    out += "],\"items\":[";
    for (std::size_t i = 0; i < count_; ++i) {
        const Item& item = items_[i];
        Vtx::ProducedText text(item.value);
        out += i ? ",{" : "{";
        if (classId_.empty()) {
            out += "\"catalog\":";
            if (!AppendAsciiJsonString(out, CatalogIdOf(item.value))) return false;
            out += ",\"class\":";
            if (!AppendAsciiJsonString(out, ClassIdOf(item.value))) return false;
            out += ',';
        }
        out += "\"label\":";
        if (!AppendAsciiJsonString(out, item.label)) return false;
        out += ",\"value\":";
        if (!AppendAsciiJsonString(out, text ? text.get() : "")) return false;
        out += '}';
    }
    out += "]}";
    return true;
}

std::string CLabelledSetImpl::WriteText() {
    std::string direct;
    if (WriteAsciiText(direct)) return direct;
    json items = json::array();
    for (std::size_t i = 0; i < count_; ++i) {
        const Item& item = items_[i];
        Vtx::ProducedText text(item.value);
        json entry{{"label", item.label}};
        if (classId_.empty()) {
            entry["catalog"] = CatalogIdOf(item.value);
            entry["class"] = ClassIdOf(item.value);
        }
        entry["value"] = text ? text.get() : "";
        items.push_back(entry);
    }
    json out{{"element", json::array({catalogId_, classId_})}, {"items", items}};
    try {
        return out.dump();
    } catch (const json::type_error&) {
        // Labels are UTF-8 (AddItem and the readers see to it); an element's text is not.
        throw std::invalid_argument("an element of the labelled set has a text form that is not UTF-8, which its "
                                    "text form cannot hold");
    }
}

bool CLabelledSetImpl::ReadText(const std::string& text) {
    json parsed = ParseJson(text);
    if (!parsed.is_object() || !parsed.contains("items") || !parsed["items"].is_array()) return false;
    std::string catalogId = catalogId_, classId = classId_;
    if (parsed.contains("element")) {
        const json& element = parsed["element"];
        if (!element.is_array() || element.size() != 2 || !element[0].is_string() || !element[1].is_string())
            return false;
        if (!classId_.empty() && (element[0] != catalogId_ || element[1] != classId_) &&
            !element[1].get<std::string>().empty())
            return false;
        if (classId_.empty()) {
            catalogId = element[0].get<std::string>();
            classId = element[1].get<std::string>();
        }
    }
    // Loads through the binary form so that typing and all-or-nothing loading are shared.
    std::string payload;
    PutText(payload, catalogId);
    PutText(payload, classId);
    PutU32(payload, static_cast<std::uint32_t>(parsed["items"].size()));
    // A key that is given must hold a text; one left out is the empty text.
    const auto textOf = [](const json& entry, const char* key, std::string& text) {
        const auto found = entry.find(key);
        if (found == entry.end()) return text.clear(), true;
        if (!found->is_string()) return false;
        text = found->get<std::string>();
        return true;
    };
    for (const json& entry : parsed["items"]) {
        if (!entry.is_object() || !entry.contains("value") || !entry["value"].is_string()) return false;
        std::string label, itemCatalog = catalogId, itemClass = classId;
        if (!textOf(entry, "label", label)) return false;
        if (classId.empty() && (!textOf(entry, "catalog", itemCatalog) || !textOf(entry, "class", itemClass))) return false;
        Vtx::IDatatype* element = NewElement(itemCatalog, itemClass);
        std::string itemPayload;
        bool ok = false;
        try {
            element->InitInstance(initInfo_);
            ok = element->UnserializeString(entry["value"].get<std::string>().c_str());
            Vtx::ProducedBinary binary(element);
            itemPayload = PayloadOf(binary.get());
        } catch (...) {
            element->Release();
            throw;
        }
        element->Release();
        if (!ok) return false;
        PutText(payload, label);
        PutText(payload, itemCatalog);
        PutText(payload, itemClass);
        PutText(payload, itemPayload);
    }
    return ReadBinary(payload);
}

// ---- generic datatype ------------------------------------------------------------------

CGenericDatatypeImpl::~CGenericDatatypeImpl() {
    if (content_) content_->Release();
}

void CGenericDatatypeImpl::SetContent(Vtx::IDatatype* value) {
    Vtx::TranslateStdExceptions([&] {
        if (!value) {
            if (content_) content_->Release();
            content_ = nullptr;
            return;
        }
        if (value == content_) return;
        const std::string catalogId = CatalogIdOf(value);
        const std::string classId = ClassIdOf(value);
        if (classId.empty()) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kNullDatatypeClass);
        Vtx::IDatatype* copy = GetKernelServices()->CreateDatatype(catalogId.c_str(), classId.c_str());
        if (!copy)
            throw Vtx::CLogicExceptionImpl("The datatype \"%s\" of catalog \"%s\" cannot be created.\n",
                                           classId.c_str(), catalogId.c_str());
        copy->AddRef();
        try {
            copy->InitInstance(value->GetInitInfo());
            CopyValueAndTime(copy, value);
        } catch (...) {
            copy->Release();
            throw;
        }
        if (content_) content_->Release();
        content_ = copy;
    });
}

void CGenericDatatypeImpl::CopyFrom(Vtx::ISerialize* source) {
    if (!source) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kNullSerializable);
    if (dynamic_cast<Vtx::IGenericDatatype*>(source)) {
        CKernelDatatypeImpl::CopyFrom(source);
        return;
    }
    auto* datatype = dynamic_cast<Vtx::IDatatype*>(source);
    if (!datatype) throw Vtx::CCastExceptionImpl();
    SetContent(datatype);
}

std::string CGenericDatatypeImpl::WriteBinary() {
    std::string out;
    if (!content_) return out;
    PutText(out, CatalogIdOf(content_));
    PutText(out, ClassIdOf(content_));
    Vtx::ProducedBinary binary(content_);
    PutText(out, PayloadOf(binary.get()));
    return out;
}

bool CGenericDatatypeImpl::ReadBinary(const std::string& payload) {
    if (payload.empty()) {
        SetContent(nullptr);
        return true;
    }
    PayloadReader reader(payload);
    std::string catalogId, classId, content;
    if (!reader.Text(catalogId) || !reader.Text(classId) || !reader.Text(content) || !reader.AtEnd()) return false;
    Vtx::IDatatype* value = GetKernelServices()->CreateDatatype(catalogId.c_str(), classId.c_str());
    if (!value) return false;
    value->AddRef();
    Vtx::SerializeBuffer* buffer = MakeSerializeBuffer(content);
    bool ok = false;
    try {
        ok = value->UnserializeBinary(buffer);
    } catch (...) {
        std::free(buffer);
        value->Release();
        throw;
    }
    std::free(buffer);
    if (ok) {
        if (content_) content_->Release();
        content_ = value;
    } else {
        value->Release();
    }
    return ok;
}

std::string CGenericDatatypeImpl::WriteText() {
    if (!content_) return "{}";
    Vtx::ProducedText text(content_);
    return json{{"catalog", CatalogIdOf(content_)}, {"class", ClassIdOf(content_)}, {"value", text ? text.get() : ""}}
        .dump();
}

bool CGenericDatatypeImpl::ReadText(const std::string& text) {
    json parsed = ParseJson(text);
    if (!parsed.is_object()) return false;
    if (parsed.empty()) {
        SetContent(nullptr);
        return true;
    }
    if (!parsed.contains("catalog") || !parsed.contains("class") || !parsed.contains("value") ||
        !parsed["catalog"].is_string() || !parsed["class"].is_string() || !parsed["value"].is_string())
        return false;
    const std::string catalogId = parsed["catalog"].get<std::string>();
    const std::string classId = parsed["class"].get<std::string>();
    Vtx::IDatatype* value = GetKernelServices()->CreateDatatype(catalogId.c_str(), classId.c_str());
    if (!value) return false;
    value->AddRef();
    bool ok = false;
    try {
        ok = value->UnserializeString(parsed["value"].get<std::string>().c_str());
    } catch (...) {
        value->Release();
        throw;
    }
    if (ok) {
        if (content_) content_->Release();
        content_ = value;
    } else {
        value->Release();
    }
    return ok;
}

// ---- scalar arithmetic operation -------------------------------------------------------

namespace {
bool IsOperator(char op) { return op == '+' || op == '-' || op == '*' || op == '/'; }
} // namespace

void CScalarArithOpDoubleImpl::SetOperator(char op) {
    if (!IsOperator(op)) throw Vtx::CLogicExceptionImpl("Unknown arithmetic operator '%c'.\n", op);
    operator_ = op;
}

double CScalarArithOpDoubleImpl::Apply(double value) {
    switch (operator_) {
    case '-': return value - operand_;
    case '*': return value * operand_;
    case '/': return value / operand_;
    default: return value + operand_;
    }
}

bool CScalarArithOpDoubleImpl::CopySameClass(Vtx::ISerialize* source) {
    CScalarArithOpDoubleImpl* same = OfSameClass<CScalarArithOpDoubleImpl>(source);
    if (same) {
        operator_ = same->operator_;
        operand_ = same->operand_;
    }
    return same;
}

std::string CScalarArithOpDoubleImpl::WriteBinary() {
    std::string out(1, operator_);
    PutU64(out, BitsOf(operand_));
    return out;
}

bool CScalarArithOpDoubleImpl::ReadBinary(const std::string& payload) {
    if (payload.size() != 9 || !IsOperator(payload[0])) return false;
    // The operand follows the operator byte.
    const std::string operand = payload.substr(1);
    PayloadReader reader(operand);
    std::uint64_t bits = 0;
    if (!reader.U64(bits)) return false;
    operator_ = payload[0];
    operand_ = DoubleOf(bits);
    return true;
}

std::string CScalarArithOpDoubleImpl::WriteText() { return std::string(1, operator_) + FormatDouble(operand_); }

bool CScalarArithOpDoubleImpl::ReadText(const std::string& text) {
    if (text.size() < 2 || !IsOperator(text[0])) return false;
    double operand;
    if (!ParseDouble(text.substr(1), operand)) return false;
    operator_ = text[0];
    operand_ = operand;
    return true;
}

// ---- string pair -----------------------------------------------------------------------

bool CStringPairImpl::CopySameClass(Vtx::ISerialize* source) {
    CStringPairImpl* same = OfSameClass<CStringPairImpl>(source);
    if (same) {
        first_ = same->first_;
        second_ = same->second_;
    }
    return same;
}

std::string CStringPairImpl::WriteBinary() {
    std::string out;
    PutText(out, first_);
    PutText(out, second_);
    return out;
}

bool CStringPairImpl::ReadBinary(const std::string& payload) {
    PayloadReader reader(payload);
    std::string first, second;
    if (!reader.Text(first) || !reader.Text(second) || !reader.AtEnd()) return false;
    if (first.find('\0') != std::string::npos || second.find('\0') != std::string::npos) return false;
    first_ = first;
    second_ = second;
    return true;
}

std::string CStringPairImpl::WriteText() { return json::array({first_, second_}).dump(); }

bool CStringPairImpl::ReadText(const std::string& text) {
    json parsed = ParseJson(text);
    if (!parsed.is_array() || parsed.size() != 2 || !parsed[0].is_string() || !parsed[1].is_string()) return false;
    first_ = parsed[0].get<std::string>();
    second_ = parsed[1].get<std::string>();
    return true;
}

} // namespace vtxhost
