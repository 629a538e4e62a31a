// Longer than our other files: the set's storage (items, the kept elements behind them that
// clears and copies reuse) is private to the set, and its copy and both forms work on it.
#include "host/kernel/LabelledSet.h"

#include <stdexcept>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "host/kernel/JsonText.h"
#include "sdk/datatype/CopyValueAndTime.h"
#include "host/kernel/KernelServices.h"
#include "host/run/PrintableText.h"
#include "vtx/KernelServices.h"

namespace vtxhost {

using nlohmann::json;

namespace {

// Whether the label of the given length is UTF-8 text: plain ASCII, looked for eight bytes
// at a time, is; anything else is checked byte by byte.
bool IsUtf8Label(const char* label, std::size_t length) {
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, label + i, sizeof word);
        if (word & 0x8080808080808080ull) return IsUtf8(label);
    }
    for (; i < length; ++i)
        if (static_cast<unsigned char>(label[i]) >= 0x80) return IsUtf8(label);
    return true;
}

} // namespace

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
    StopWatchingCatalogRemovals();
    for (auto& item : items_) item.value->Release();
    if (initInfo_) initInfo_->Release();
}

void CLabelledSetImpl::WatchCatalogRemovals() {
    if (watched_ || catalogId_ == "kernel") return;  // the kernel's catalog stays
    watched_ = dynamic_cast<CKernelServices*>(GetKernelServices());
    if (watched_) watched_->AddKeeper(this);
}

void CLabelledSetImpl::StopWatchingCatalogRemovals() {
    if (watched_) watched_->RemoveKeeper(this);
    watched_ = nullptr;
}

void CLabelledSetImpl::ReleaseKeptOf(const std::string& catalogId) {
    for (std::size_t i = items_.size(); i-- > count_;)
        if (CatalogIdOf(items_[i].value) == catalogId) DropKept(i);
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
            StopWatchingCatalogRemovals();
            ForgetAcceptedClass();
        }
        if (initInfo_) initInfo_->Release();
        initInfo_ = copy;
        SetTyping(catalogId, classId);
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
    StopWatchingCatalogRemovals();
    ForgetAcceptedClass();
    if (initInfo_) initInfo_->Release();
    initInfo_ = nullptr;
    SetTyping(std::string(), std::string());
}

void CLabelledSetImpl::SetTyping(const std::string& catalogId, const std::string& classId) {
    catalogId_ = catalogId;
    classId_ = classId;
    textHead_.clear();  // made again by the next text
}

Vtx::IDatatypeInitInfo* CLabelledSetImpl::GetInitInfo() { return initInfo_; }

void CLabelledSetImpl::ClearItems() {
    // The items stay where they are as kept elements when the set alone holds them (for an
    // element that left the set, the count after AddRef tells); elements others hold are
    // released and left to them.
    const std::size_t cleared = count_;
    // Without an element that left the set, every item's element is the set's alone.
    std::size_t kept = anyExposed_ ? 0 : count_;
    for (std::size_t i = kept; i < count_; ++i) {
        Item& item = items_[i];
        bool alone = true;
        if (item.exposed) {
            alone = item.value->AddRef() == 2;
            item.value->Release();
        }
        if (!alone) {
            item.value->Release();
            continue;
        }
        item.exposed = false;
        if (kept != i) items_[kept] = std::move(item);
        ++kept;
    }
    if (kept != count_) {
        for (std::size_t i = count_; i < items_.size(); ++i) items_[kept++] = std::move(items_[i]);
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(kept), items_.end());
    }
    count_ = 0;
    anyExposed_ = false;
    // No more kept than items were removed: the elements kept before them go first.
    while (items_.size() > cleared) {
        items_.back().value->Release();
        items_.pop_back();
    }
    if (!items_.empty()) WatchCatalogRemovals();
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
    return Item{std::move(label), element, created, false, element->GetObjectClass(), true};
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
        const char* text = label ? label : "";
        const std::size_t length = std::strlen(text);
        Vtx::IObjectClass* objectClass = value->GetObjectClass();
        // What a source adds round after round: a value of the accepted class without init
        // information, under the label the next kept element already carries (checked as
        // UTF-8 when it was stored), into that element, left unconfigured by the last one.
        if (objectClass && objectClass == acceptedClass_ && count_ < items_.size()) {
            Item& item = items_[count_];
            if (item.objectClass == objectClass && item.label.size() == length &&
                std::memcmp(item.label.data(), text, length) == 0) {
                Vtx::IDatatypeInitInfo* initInfo = value->GetInitInfo();
                if (!initInfo && !item.configured) {
                    try {
                        Vtx::CopyValueAndTime(item.value, value);
                    } catch (...) {
                        DropKept(count_);
                        throw;
                    }
                    ++count_;
                    return;
                }
                AddItemAnew(value, text, length, objectClass, initInfo);
                return;
            }
        }
        AddItemAnew(value, text, length, objectClass, value->GetInitInfo());
    });
}

void CLabelledSetImpl::AddItemAnew(Vtx::IDatatype* value, const char* text, std::size_t length,
                                   Vtx::IObjectClass* objectClass, Vtx::IDatatypeInitInfo* initInfo) {
    // The text form is JSON, which holds UTF-8 text only: a label it could not write is
    // refused here, not every time the set is written.
    if (!IsUtf8Label(text, length)) throw std::invalid_argument("a label of a labelled set must be UTF-8 text");
    if (!objectClass || objectClass != acceptedClass_) AcceptClass(value, objectClass);
    // The usual case, a kept element of the class in the next slot, is handled here.
    const bool kept = count_ < items_.size() && objectClass && items_[count_].objectClass == objectClass;
    Item& item = kept ? items_[count_] : NextSlot(objectClass, acceptedCatalogId_, acceptedClassId_);
    try {
        // An element configured with nothing is not finalised and configured with nothing
        // again for a value without init information.
        if (!kept || initInfo || item.configured) {
            if (kept) item.value->DoneInstance();
            item.configured = true;  // until the element is configured
            item.value->InitInstance(initInfo);
            item.configured = initInfo != nullptr;
        }
        Vtx::CopyValueAndTime(item.value, value);
        // A kept slot's label mostly has the new label's length already (the same items
        // come round after round): the text is then copied over it in place.
        if (item.label.size() == length)
            std::memmove(item.label.data(), text, length);
        else
            item.label.assign(text, length);
    } catch (...) {
        DropKept(count_);
        throw;
    }
    ++count_;
}

std::int32_t CLabelledSetImpl::GetItemCount() { return static_cast<std::int32_t>(count_); }

void CLabelledSetImpl::CheckIndex(std::int32_t index) {
    const auto count = static_cast<std::int32_t>(count_);
    if (index < 0 || index >= count) throw Vtx::CCollectionExceptionImpl(index, 0, count - 1);
}

Vtx::IDatatype* CLabelledSetImpl::GetItem(std::int32_t index) {
    CheckIndex(index);
    items_[index].exposed = true;
    anyExposed_ = true;
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
        SetTyping(catalogId, classId);
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
            Item& from = same->items_[i];
            from.exposed = true;  // handed to this set's element
            same->anyExposed_ = true;
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

constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// Whether a word holds a zero byte (exact as to whether one exists).
constexpr std::uint64_t ZeroBytes(std::uint64_t word) { return (word - kOnes) & ~word & kHighBits; }

// Whether any of the eight bytes of a word is one the JSON text does not take as it is: a
// control byte, a byte of 0x80 or more, a quote or a backslash.
bool NeedsEscape(std::uint64_t word) {
    const std::uint64_t control = (word - kOnes * 0x20) & ~word & kHighBits;
    return (control | (word & kHighBits) | ZeroBytes(word ^ (kOnes * '"')) | ZeroBytes(word ^ (kOnes * '\\'))) != 0;
}

// A JSON string of a text that is plain ASCII, escaped as nlohmann::json's dump escapes
// it; false (nothing written) for a text with other bytes, which the JSON library writes
// (and checks as UTF-8).
bool AppendAsciiJsonString(std::string& out, std::string_view text) {
    const std::size_t start = out.size();
    out += '"';
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end) {
        // The longest run of bytes written as they are goes in one append.
        const char* run = p;
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if (NeedsEscape(word)) break;
            p += 8;
        }
        while (p != end && static_cast<unsigned char>(*p) >= 0x20 && static_cast<unsigned char>(*p) < 0x80 &&
               *p != '"' && *p != '\\')
            ++p;
        out.append(run, p);
        if (p == end) break;
        const auto c = static_cast<unsigned char>(*p++);
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
    // Room for the usual text at once (short labels and values), so that it is not copied
    // as it grows.
    // What comes before the items follows from the typing alone: made once for it.
    if (textHead_.empty()) {
        std::string head = "{\"element\":[";
        if (!AppendAsciiJsonString(head, catalogId_)) return false;
        head += ',';
        if (!AppendAsciiJsonString(head, classId_)) return false;
        head += "],\"items\":[";
        textHead_ = std::move(head);
    }
    out.reserve(out.size() + textHead_.size() + 48 * count_);
    out += textHead_;
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

void CLabelledSetImpl::AppendText(std::string& out) {
    const std::size_t start = out.size();
    if (WriteAsciiText(out)) return;
    out.resize(start);
    out += WriteJsonText();
}

std::string CLabelledSetImpl::WriteText() {
    std::string direct;
    if (WriteAsciiText(direct)) return direct;
    return WriteJsonText();
}

std::string CLabelledSetImpl::WriteJsonText() {
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

} // namespace vtxhost
