#pragma once
// The host's pins and parameters. A block signature owns them through references; the
// patch links them and delivers values through the host-side operations below.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sdk/object/ReferenceCounting.h"
#include "vtx/Datatype.h"
#include "vtx/Domain.h"
#include "vtx/Pin.h"

namespace vtxhost {

class CClassIdentityList : public Vtx::IClassIdentityList {
public:
    virtual ~CClassIdentityList() = default;
    void AddEntry(const char* catalogId, const char* classId) override;
    std::int32_t GetCount() override { return static_cast<std::int32_t>(entries_.size()); }
    const char* GetCatalogId(std::int32_t index) override;
    const char* GetClassId(std::int32_t index) override;
    void Clear() override { entries_.clear(); }

private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

// Identity, texts and the datatype object of every pin kind.
template <class I>
class CPinBase : public ulx::default_delete<ulx::reference_counted_class_impl<I>> {
public:
    CPinBase(Vtx::IBlock* block, std::string id, std::string name, std::string description,
             std::string typeCatalogId, std::string typeClassId)
        : block_(block), id_(std::move(id)), name_(std::move(name)), description_(std::move(description)),
          typeCatalogId_(std::move(typeCatalogId)), typeClassId_(std::move(typeClassId)) {}
    ~CPinBase() override { SetDatatype(nullptr); }

    // Pins end with their last reference; an explicit Destroy request changes nothing.
    std::int32_t Destroy() override { return 0; }
    const char* GetId() override { return id_.c_str(); }
    const char* GetName() override { return name_.c_str(); }
    const char* GetDescription() override { return description_.c_str(); }
    const char* GetTypeCatalogId() override { return typeCatalogId_.c_str(); }
    const char* GetTypeClassId() override { return typeClassId_.c_str(); }
    Vtx::IDatatype* GetDatatype() override { return datatype_; }
    Vtx::IBlock* GetBlock() override { return block_; }

    // Host side: replaces the datatype object (a reference is taken on the new one).
    void SetDatatype(Vtx::IDatatype* datatype) {
        if (datatype) datatype->AddRef();
        Vtx::IDatatype* previous = datatype_;
        datatype_ = datatype;
        if (previous) previous->Release();
    }
    void SetTexts(std::string name, std::string description) {
        name_ = std::move(name);
        description_ = std::move(description);
    }
    const std::string& Id() const { return id_; }
    bool HasType(const std::string& catalogId, const std::string& classId) const {
        return typeCatalogId_ == catalogId && typeClassId_ == classId;
    }

private:
    Vtx::IBlock* block_;
    std::string id_;
    std::string name_;
    std::string description_;
    std::string typeCatalogId_;
    std::string typeClassId_;
    Vtx::IDatatype* datatype_ = nullptr;
};

class COutputPinImpl;

class CInputPinImpl : public CPinBase<Vtx::IInputPin> {
public:
    CInputPinImpl(Vtx::IBlock* block, std::string id, std::string name, std::string description,
                  std::string typeCatalogId, std::string typeClassId, bool flag0, bool flag1, bool flag2);

    Vtx::ISyncOutPin* GetLinkedOutput() override;
    bool HasNewData() override { return newData_; }
    bool GetInputFlag(std::int32_t index) override;
    Vtx::IClassIdentityList* GetRequiredInterfaces() override { return &requiredInterfaces_; }

    void SetFlags(bool flag0, bool flag1, bool flag2);
    // Host side, used by the patch.
    void SetLinkedOutput(COutputPinImpl* output) { linkedOutput_ = output; }
    COutputPinImpl* LinkedOutput() const { return linkedOutput_; }
    void SetNewData(bool value) { newData_ = value; }
    Vtx::DatatypeTime LastDeliveredTime() const { return lastDelivered_; }
    void SetLastDeliveredTime(Vtx::DatatypeTime time) { lastDelivered_ = time; }
    // Where the linked output keeps this input in its list (its own bookkeeping).
    std::size_t LinkSlot() const { return linkSlot_; }
    void SetLinkSlot(std::size_t slot) { linkSlot_ = slot; }

private:
    bool flags_[3];
    std::size_t linkSlot_ = 0;
    CClassIdentityList requiredInterfaces_;
    COutputPinImpl* linkedOutput_ = nullptr;
    bool newData_ = false;
    Vtx::DatatypeTime lastDelivered_ = Vtx::kUnsetTime;
};

class COutputPinImpl : public CPinBase<Vtx::IOutputPin> {
public:
    COutputPinImpl(Vtx::IBlock* block, std::string id, std::string name, std::string description,
                   std::string typeCatalogId, std::string typeClassId, std::string outputTag,
                   std::string typeSourcePinId);

    std::int32_t GetLinkCount() override { return static_cast<std::int32_t>(links_.size() - first_ - holes_); }
    Vtx::ISyncInPin* GetLinkedInput(std::int32_t index) override;
    const char* GetOutputTag() override { return outputTag_.c_str(); }
    const char* GetTypeSourcePinId() override { return typeSourcePinId_.c_str(); }

    void SetOutputTexts(std::string outputTag, std::string typeSourcePinId);
    // Host side, used by the patch.
    void AddLink(CInputPinImpl* input);
    // Constant time for the first or the last link (a teardown removes them in order);
    // one removed from the middle leaves a hole, closed on the next look-up by index.
    void RemoveLink(CInputPinImpl* input);

private:
    void CloseHoles();

    std::string outputTag_;
    std::string typeSourcePinId_;
    // The live links are links_[first_..], in link order, less holes_ null entries.
    std::vector<CInputPinImpl*> links_;
    std::size_t first_ = 0;
    std::size_t holes_ = 0;
};

class CParameterPinImpl : public CPinBase<Vtx::IParameterPinSignature> {
public:
    CParameterPinImpl(Vtx::IBlock* block, std::string id, std::string name, std::string description,
                      std::string typeCatalogId, std::string typeClassId, std::string domainCatalogId,
                      std::string domainClassId, std::uint32_t creationWord);
    ~CParameterPinImpl() override;

    void SetPersistent(bool value) override { flags_[0] = value; }
    bool GetPersistent() override { return flags_[0]; }
    void SetChangeableAtDesignTime(bool value) override { flags_[1] = value; }
    bool GetChangeableAtDesignTime() override { return flags_[1]; }
    void SetChangeableAtRunTime(bool value) override { flags_[2] = value; }
    bool GetChangeableAtRunTime() override { return flags_[2]; }
    void SetInitInfoChangeableAtDesignTime(bool value) override { flags_[3] = value; }
    bool GetInitInfoChangeableAtDesignTime() override { return flags_[3]; }
    void SetInitInfoChangeableAtRunTime(bool value) override { flags_[4] = value; }
    bool GetInitInfoChangeableAtRunTime() override { return flags_[4]; }
    void SetModeWord(std::uint32_t value) override { modeWord_ = value; }
    std::uint32_t GetModeWord() override { return modeWord_; }
    Vtx::IDatatypeDomain* GetDomain() override { return domain_; }
    Vtx::IDatatype* GetValue() override { return GetDatatype(); }
    void SetCompareBeforeSet(bool value) override { compareBeforeSet_ = value; }
    bool GetCompareBeforeSet() override { return compareBeforeSet_; }
    const char* GetDomainCatalogId() override { return domainCatalogId_.c_str(); }
    const char* GetDomainClassId() override { return domainClassId_.c_str(); }
    std::uint32_t GetCreationWord() override { return creationWord_; }

    // Host side: the domain object (a reference is taken).
    void SetDomain(Vtx::IDatatypeDomain* domain);
    void SetCreationWord(std::uint32_t word) { creationWord_ = word; }
    bool HasDomainClass(const std::string& catalogId, const std::string& classId) const {
        return domainCatalogId_ == catalogId && domainClassId_ == classId;
    }

private:
    std::string domainCatalogId_;
    std::string domainClassId_;
    std::uint32_t creationWord_;
    // Persistent, design-time, run-time, init info at design time, init info at run time.
    bool flags_[5] = {true, true, true, true, false};
    std::uint32_t modeWord_ = 0;
    bool compareBeforeSet_;
    Vtx::IDatatypeDomain* domain_ = nullptr;
};

} // namespace vtxhost
