#pragma once
// A small kernel that creates datatypes by class identity, and three test datatypes that
// implement the binary form only, the text form only, or neither. Shared by the unit
// tests, the fuzz target and the benchmarks.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <stdexcept>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sdk/datatype/CreateFunctions.h"
#include "sdk/datatype/DatatypeImpl.h"
#include "sdk/datatype/SerializeBuffer.h"
#include "vtx/Datatype.h"
#include "vtx/KernelServices.h"
#include "vtx/ObjectClass.h"

namespace datatype_test {

inline constexpr const char* kTestCatalog = "test";

// A class object with an identifier and a catalog; it lives as long as the kernel.
class TestClass final : public Vtx::IDatatypeClass {
public:
    TestClass(std::string id, TestClass* catalog) : id_(std::move(id)), catalog_(catalog) {}
    std::int32_t Destroy() override { return 0; }
    std::int32_t AddRef() override { return 1; }
    std::int32_t Release() override { return 1; }
    const char* GetClassId() override { return id_.c_str(); }
    const char* GetText1() override { return ""; }
    const char* GetText2() override { return ""; }
    const char* GetText3() override { return ""; }
    const char* GetText4() override { return ""; }
    Vtx::BitmapHandle GetBitmap() override { return nullptr; }
    Vtx::IObjectClass* GetCatalog() override { return catalog_; }

private:
    std::string id_;
    TestClass* catalog_;
};

class TestKernel : public Vtx::IKernelServices, public Vtx::IKernelSettings {
public:
    using DatatypeCreator = std::function<Vtx::IDatatype*(const Vtx::OBJECT_CREATIONCTX*)>;
    using InitInfoCreator = std::function<Vtx::IDatatypeInitInfo*(const Vtx::OBJECT_CREATIONCTX*)>;

    template <class T>
    void Register(const char* catalogId, const char* classId) {
        Entry& entry = EntryFor(catalogId, classId);
        entry.datatype = &Vtx::CreateDatatypeInstance<T>;
    }
    void RegisterCreator(const char* catalogId, const char* classId, DatatypeCreator creator) {
        EntryFor(catalogId, classId).datatype = std::move(creator);
    }
    template <class T>
    void RegisterInitInfo(const char* catalogId, const char* classId) {
        EntryFor(catalogId, classId).initInfo = &Vtx::CreateDatatypeInitInfoInstance<T>;
    }

    // The class object of a registered identity (null when unknown).
    TestClass* ClassOf(const char* catalogId, const char* classId) {
        auto found = entries_.find({catalogId, classId});
        return found == entries_.end() ? nullptr : found->second.objectClass.get();
    }
    // A context as the host fills it, for creating an object of the class directly.
    Vtx::OBJECT_CREATIONCTX ContextFor(const char* catalogId, const char* classId) {
        return Vtx::OBJECT_CREATIONCTX{nextObjectId_++, 1033, ClassOf(catalogId, classId), this};
    }

    // Typed creation with the first reference taken by the caller's smart pointer.
    template <class I>
    I* Create(const char* catalogId, const char* classId) {
        return dynamic_cast<I*>(CreateDatatype(catalogId, classId));
    }

    std::int32_t DestroyObject(Vtx::IObject* object) override {
        object->DeleteInstance();
        return 0;
    }
    Vtx::IDatatype* CreateDatatype(const char* catalogId, const char* classId) override {
        ++datatypesRequested;
        if (refuseCreation) return nullptr;
        auto found = entries_.find({catalogId, classId});
        if (found == entries_.end() || !found->second.datatype) return nullptr;
        const Vtx::OBJECT_CREATIONCTX context = ContextFor(catalogId, classId);
        return found->second.datatype(&context);
    }
    Vtx::IDatatypeInitInfo* CreateDatatypeInitInfo(const char* catalogId, const char* classId) override {
        auto found = entries_.find({catalogId, classId});
        if (found == entries_.end() || !found->second.initInfo) return nullptr;
        const Vtx::OBJECT_CREATIONCTX context = ContextFor(catalogId, classId);
        return found->second.initInfo(&context);
    }
    Vtx::IBlockSignature* CreateBlockSignature(Vtx::IBlock*) override { return nullptr; }
    Vtx::IBlockLayout* CreateBlockLayout(Vtx::IBlock*) override { return nullptr; }
    Vtx::IRunTimeContext* CreateRunTimeContext(Vtx::IBlock*) override { return nullptr; }
    Vtx::IMessageDispatcher* GetMessageDispatcher() override { return nullptr; }
    Vtx::IDiagnosticLog* GetDiagnosticLog() override { return nullptr; }
    const char* GetBlockInstanceName(Vtx::IBlock*) override { return ""; }
    Vtx::IKernelClock* GetKernelClock() override { return nullptr; }

    bool HasSetting(const char*, const char*) override { return false; }
    bool GetBoolSetting(const char*, const char*) override { return false; }
    std::int64_t GetInt64Setting(const char*, const char*) override { return 0; }

    int datatypesRequested = 0;
    bool refuseCreation = false;

private:
    struct Entry {
        std::unique_ptr<TestClass> objectClass;
        DatatypeCreator datatype;
        InitInfoCreator initInfo;
    };

    Entry& EntryFor(const char* catalogId, const char* classId) {
        auto& catalog = catalogs_[catalogId];
        if (!catalog) catalog = std::make_unique<TestClass>(catalogId, nullptr);
        Entry& entry = entries_[{catalogId, classId}];
        if (!entry.objectClass) entry.objectClass = std::make_unique<TestClass>(classId, catalog.get());
        return entry;
    }

    std::map<std::string, std::unique_ptr<TestClass>> catalogs_;
    std::map<std::pair<std::string, std::string>, Entry> entries_;
    std::uint64_t nextObjectId_ = 1;
};

// Counts the live test datatypes, so that tests see what was released.
struct LiveCount {
    static int& Value() {
        static int live = 0;
        return live;
    }
    LiveCount() { ++Value(); }
    LiveCount(const LiveCount&) { ++Value(); }
    ~LiveCount() { --Value(); }
};

// Keeps a byte string and implements only the binary form; an empty value has a binary
// form of size 0.
class BinaryOnlyDatatype : public Vtx::CDatatypeImpl<Vtx::IDatatype> {
public:
    static constexpr const char* kClassId = "binary_only";
    using CDatatypeImpl::CDatatypeImpl;

    Vtx::SerializeBuffer* SerializeBinary() override {
        Vtx::SerializeBuffer* buffer = Vtx::AllocateSerializeBuffer(bytes.size());
        if (buffer && !bytes.empty()) std::memcpy(Vtx::GetSerializeBufferData(buffer), bytes.data(), bytes.size());
        return buffer;
    }
    bool UnserializeBinary(const Vtx::SerializeBuffer* buffer) override {
        ++binaryLoads;
        if (!buffer) return true;
        const std::uint8_t* data = Vtx::GetSerializeBufferData(buffer);
        bytes.assign(data, data + Vtx::GetSerializeBufferSize(buffer));
        return true;
    }

    std::vector<std::uint8_t> bytes;
    int binaryLoads = 0;

private:
    LiveCount live_;
};

// Keeps a text and implements only the text form. Texts that start with '!' are refused;
// `throwOnSerialize` makes SerializeString fail with a standard exception.
class TextOnlyDatatype : public Vtx::CDatatypeImpl<Vtx::IDatatype> {
public:
    static constexpr const char* kClassId = "text_only";
    using CDatatypeImpl::CDatatypeImpl;

    char* SerializeString() override {
        if (throwOnSerialize) throw std::runtime_error("text unavailable");
        return Vtx::DuplicateText(text.data(), text.size());
    }
    bool UnserializeString(const char* value) override {
        lastLoaded = value ? value : "(null)";
        ++textLoads;
        if (value && value[0] == '!') return false;
        text = value ? value : "";
        return true;
    }

    std::string text;
    std::string lastLoaded;
    int textLoads = 0;
    bool throwOnSerialize = false;

private:
    LiveCount live_;
};

// Overrides neither form.
class NoFormDatatype : public Vtx::CDatatypeImpl<Vtx::IDatatype> {
public:
    static constexpr const char* kClassId = "no_form";
    using CDatatypeImpl::CDatatypeImpl;

private:
    LiveCount live_;
};

// A kernel that knows the three test datatypes in the catalog "test".
inline void RegisterTestDatatypes(TestKernel& kernel) {
    kernel.Register<BinaryOnlyDatatype>(kTestCatalog, BinaryOnlyDatatype::kClassId);
    kernel.Register<TextOnlyDatatype>(kTestCatalog, TextOnlyDatatype::kClassId);
    kernel.Register<NoFormDatatype>(kTestCatalog, NoFormDatatype::kClassId);
}

// A heap binary form with the given payload, for feeding UnserializeBinary.
inline Vtx::OwnedSerializeBuffer MakeBuffer(const std::vector<std::uint8_t>& payload) {
    Vtx::OwnedSerializeBuffer buffer(Vtx::AllocateSerializeBuffer(payload.size()));
    if (buffer && !payload.empty()) std::memcpy(Vtx::GetSerializeBufferData(buffer.get()), payload.data(), payload.size());
    return buffer;
}

inline std::vector<std::uint8_t> PayloadOf(const Vtx::ProducedBinary& form) {
    return form ? std::vector<std::uint8_t>(form.data(), form.data() + form.size()) : std::vector<std::uint8_t>();
}

} // namespace datatype_test

namespace datatype_test {

// Holds one reference to a test object of any type.
template <class T>
using Ref = Vtx::CSmartPtr<T, Vtx::CBlockFactory>;

} // namespace datatype_test
