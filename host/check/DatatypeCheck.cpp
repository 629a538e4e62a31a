#include "host/check/DatatypeCheck.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "host/check/CheckReport.h"
#include "host/check/HeldReference.h"
#include "host/kernel/KernelServices.h"
#include "vtx/Datatype.h"

namespace vtxhost {

namespace {

using Bytes = std::vector<std::uint8_t>;

// The payload of the value's binary form; nullopt when it has none.
std::optional<Bytes> BinaryOf(Vtx::ISerialize* value) {
    Vtx::ProducedBinary form(value);
    if (!form) return std::nullopt;
    return Bytes(form.data(), form.data() + form.size());
}

// Loads a binary form built by the host around the payload.
bool LoadBinary(Vtx::ISerialize* value, const Bytes& payload) {
    auto* buffer = static_cast<Vtx::SerializeBuffer*>(std::malloc(Vtx::kSerializeBufferHeaderSize + payload.size()));
    if (!buffer) throw std::bad_alloc();
    Vtx::SetSerializeBufferSize(buffer, static_cast<std::uint32_t>(payload.size()));
    if (!payload.empty()) std::memcpy(Vtx::GetSerializeBufferData(buffer), payload.data(), payload.size());
    bool loaded = false;
    try {
        loaded = value->UnserializeBinary(buffer);
    } catch (...) {
        std::free(buffer);
        throw;
    }
    std::free(buffer);
    return loaded;
}

std::optional<std::string> TextOf(Vtx::ISerialize* value) {
    Vtx::ProducedText form(value);
    if (!form) return std::nullopt;
    return std::string(form.get());
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Altered copies of a payload, tried in turn to give a value another value.
std::vector<Bytes> Alterations(const Bytes& payload) {
    std::vector<Bytes> alterations;
    if (payload.empty()) return alterations;
    for (std::uint8_t step : {1, 2, 0x40}) {
        Bytes first = payload;
        first[0] = static_cast<std::uint8_t>(first[0] + step);
        alterations.push_back(first);
    }
    Bytes every = payload;
    for (auto& byte : every) ++byte;
    alterations.push_back(every);
    Bytes last = payload;
    last.back() = static_cast<std::uint8_t>(last.back() + 1);
    alterations.push_back(last);
    alterations.push_back(Bytes(payload.size(), 1));
    return alterations;
}

// Objects of one datatype class, each made through the kernel services and initialised
// with the class's init information when it has one.
class ValueMaker {
public:
    ValueMaker(CKernelServices& kernel, std::string catalogId, std::string classId)
        : kernel_(kernel), catalogId_(std::move(catalogId)), classId_(std::move(classId)) {
        initInfo_ = CHeldReference<Vtx::IDatatypeInitInfo>(
            kernel_.CreateDatatypeInitInfo(catalogId_.c_str(), classId_.c_str()));
    }

    CHeldReference<Vtx::IDatatype> Make() {
        CHeldReference<Vtx::IDatatype> value(kernel_.CreateDatatype(catalogId_.c_str(), classId_.c_str()));
        if (!value) throw CheckFailure("the class cannot be created through the module signature");
        if (initInfo_) value->InitInstance(initInfo_.get());
        return value;
    }

private:
    CKernelServices& kernel_;
    std::string catalogId_;
    std::string classId_;
    CHeldReference<Vtx::IDatatypeInitInfo> initInfo_;
};

void Require(bool condition, const std::string& reason) {
    if (!condition) throw CheckFailure(reason);
}

// A wrong-sized form must be refused and leave the value as it was.
void RequireRefused(Vtx::IDatatype* value, const Bytes& form, std::size_t ownSize) {
    const std::optional<Bytes> before = BinaryOf(value);
    const std::string sizes = std::to_string(form.size()) + " bytes (its own has " + std::to_string(ownSize) + ")";
    Require(!LoadBinary(value, form), "accepted a binary form of " + sizes);
    Require(BinaryOf(value) == before, "refused a binary form of " + sizes + " but its value changed");
}

} // namespace

bool ChangeDatatypeValue(Vtx::IDatatype* value) {
    const std::optional<Bytes> original = BinaryOf(value);
    if (!original) return false;
    for (const Bytes& altered : Alterations(*original))
        if (LoadBinary(value, altered) && BinaryOf(value) != original) return true;
    return false;
}

void CheckDatatypeClass(CKernelServices& kernel, const std::string& catalogId, const std::string& classId,
                        CCheckReport& report) {
    const std::string name = "datatype " + classId;
    std::optional<ValueMaker> maker;
    if (!report.Run(name + ": created", [&] {
            maker.emplace(kernel, catalogId, classId);
            maker->Make();
            return std::string("through the module signature");
        }))
        return;

    // A value other than the one a new object holds, when the class takes one.
    CHeldReference<Vtx::IDatatype> other;
    report.Run(name + ": binary form", [&] {
        CHeldReference<Vtx::IDatatype> fresh = maker->Make();
        const std::optional<Bytes> form = BinaryOf(fresh.get());
        if (!form) return std::string("none (the class has no binary form)");
        CHeldReference<Vtx::IDatatype> loaded = maker->Make();
        Require(LoadBinary(loaded.get(), *form), "refused its own binary form of " + std::to_string(form->size()) + " bytes");
        Require(loaded->IsEqual(fresh.get()), "a value loaded from its binary form is not equal to the original");
        other = maker->Make();
        if (ChangeDatatypeValue(other.get())) {
            const std::optional<Bytes> otherForm = BinaryOf(other.get());
            Require(otherForm.has_value(), "a changed value has no binary form");
            CHeldReference<Vtx::IDatatype> reloaded = maker->Make();
            Require(LoadBinary(reloaded.get(), *otherForm), "refused the binary form of a changed value");
            Require(reloaded->IsEqual(other.get()), "a changed value does not survive its binary form");
            Require(!reloaded->IsEqual(fresh.get()), "IsEqual finds two different values equal");
        } else {
            other.reset();
        }
        Vtx::IDatatype* target = other ? other.get() : loaded.get();
        if (!form->empty()) RequireRefused(target, Bytes(form->begin(), form->end() - 1), form->size());
        Bytes oversized = *form;
        oversized.push_back(0);
        RequireRefused(target, oversized, form->size());
        return std::to_string(form->size()) + " bytes; round trip, truncated and oversized forms refused";
    });

    report.Run(name + ": text form", [&] {
        CHeldReference<Vtx::IDatatype> source = other ? std::move(other) : maker->Make();
        const std::optional<std::string> text = TextOf(source.get());
        if (!text) return std::string("none (the class has no text form)");
        CHeldReference<Vtx::IDatatype> loaded = maker->Make();
        Require(loaded->UnserializeString(text->c_str()), "refused its own text form " + Quoted(*text));
        Require(loaded->IsEqual(source.get()), "a value loaded from " + Quoted(*text) + " is not equal to the original");
        const std::optional<std::string> again = TextOf(loaded.get());
        Require(again == text, "the text form " + Quoted(*text) + " reads back as " + Quoted(again.value_or("(none)")));
        other = std::move(source);
        return "round trip of " + Quoted(*text);
    });

    report.Run(name + ": CopyFrom, IsEqual, Swap", [&] {
        CHeldReference<Vtx::IDatatype> fresh = maker->Make();
        Require(!fresh->IsEqual(nullptr), "IsEqual(null) answers true");
        Require(fresh->IsEqual(fresh.get()), "a value is not equal to itself");
        if (!other) return std::string("one value only: equality of new values");
        CHeldReference<Vtx::IDatatype> copy = maker->Make();
        copy->CopyFrom(other.get());
        Require(copy->IsEqual(other.get()) && other->IsEqual(copy.get()), "a copy made by CopyFrom is not equal to its source");
        CHeldReference<Vtx::IDatatype> empty = maker->Make();
        copy->Swap(empty.get());
        Require(empty->IsEqual(other.get()), "Swap did not hand the value over");
        Require(copy->IsEqual(fresh.get()), "Swap did not take the other value back");
        return std::string("copy, equality both ways and swap agree");
    });
}

} // namespace vtxhost
