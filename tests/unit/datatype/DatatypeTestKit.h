#pragma once
// The reference host's kernel services with catalogs of test datatypes, and three test
// datatypes that implement the binary form only, the text form only, or neither. Shared by
// the unit tests, the fuzz target and the benchmarks.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/kernel/Catalog.h"
#include "host/kernel/KernelServices.h"
#include "sdk/datatype/CreateFunctions.h"
#include "sdk/datatype/DatatypeImpl.h"
#include "sdk/datatype/SerializeBuffer.h"
#include "sdk/object/SmartPtr.h"
#include "vtx/Datatype.h"

namespace datatype_test {

inline constexpr const char* kTestCatalog = "test";

// A catalog whose classes are the creation functions a test registers.
class TestCatalog : public vtxhost::CCatalog {
public:
    using Creator = std::function<Vtx::IObject*(const Vtx::OBJECT_CREATIONCTX*)>;
    explicit TestCatalog(std::string id) : id_(std::move(id)) {}
    const std::string& GetCatalogId() const override { return id_; }
    std::vector<std::string> GetClassIds(vtxhost::ObjectKind kind) override {
        std::vector<std::string> ids;
        for (const auto& entry : creators)
            if (entry.first.first == kind) ids.push_back(entry.first.second);
        return ids;
    }
    Vtx::IObject* Create(vtxhost::ObjectKind kind, const std::string& classId,
                         const Vtx::OBJECT_CREATIONCTX* context) override {
        auto found = creators.find({kind, classId});
        return found == creators.end() ? nullptr : found->second(context);
    }
    std::map<std::pair<vtxhost::ObjectKind, std::string>, Creator> creators;

private:
    std::string id_;
};

class TestKernel : public vtxhost::CKernelServices {
public:
    using DatatypeCreator = std::function<Vtx::IDatatype*(const Vtx::OBJECT_CREATIONCTX*)>;

    template <class T>
    void Register(const char* catalogId, const char* classId) {
        RegisterCreator(catalogId, classId, &Vtx::CreateDatatypeInstance<T>);
    }
    void RegisterCreator(const char* catalogId, const char* classId, DatatypeCreator creator) {
        CatalogFor(catalogId).creators[{vtxhost::ObjectKind::Datatype, classId}] =
            [creator](const Vtx::OBJECT_CREATIONCTX* context) -> Vtx::IObject* { return creator(context); };
    }
    template <class T>
    void RegisterInitInfo(const char* catalogId, const char* classId) {
        CatalogFor(catalogId).creators[{vtxhost::ObjectKind::DatatypeInitInfo, classId}] =
            [](const Vtx::OBJECT_CREATIONCTX* context) -> Vtx::IObject* {
            return Vtx::CreateDatatypeInitInfoInstance<T>(context);
        };
    }

    // The host's class object of a datatype identity.
    Vtx::IObjectClass* ClassOf(const char* catalogId, const char* classId) {
        return ContextFor(catalogId, classId).objectClass;
    }
    // A context as the host fills it, for creating a datatype of the class directly.
    Vtx::OBJECT_CREATIONCTX ContextFor(const char* catalogId, const char* classId) {
        return MakeCreationContext(vtxhost::ObjectKind::Datatype, catalogId, classId);
    }
    // Typed creation with the first reference taken by the caller's smart pointer.
    template <class I>
    I* Create(const char* catalogId, const char* classId) {
        return dynamic_cast<I*>(CreateDatatype(catalogId, classId));
    }

    Vtx::IDatatype* CreateDatatype(const char* catalogId, const char* classId) override {
        ++datatypesRequested;
        return refuseCreation ? nullptr : CKernelServices::CreateDatatype(catalogId, classId);
    }

    int datatypesRequested = 0;
    bool refuseCreation = false;

private:
    TestCatalog& CatalogFor(const std::string& catalogId) {
        auto* catalog = dynamic_cast<TestCatalog*>(FindCatalog(catalogId));
        if (!catalog) {
            auto added = std::make_shared<TestCatalog>(catalogId);
            AddCatalog(added);
            catalog = added.get();
        }
        return *catalog;
    }
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

// Holds one reference to a test object of any type.
template <class T>
using Ref = Vtx::CSmartPtr<T, Vtx::CBlockFactory>;

// The message of the logic exception the action raises.
inline std::string LogicMessage(const std::function<void()>& action) {
    try {
        action();
    } catch (Vtx::ILogicException& e) {
        return e.GetMessageText();
    }
    return "no exception";
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
