#pragma once
// The "kernel" datatype layouts and the block layout that holds one per parameter.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "sdk/object/ObjectImpl.h"
#include "vtx/Layout.h"

namespace vtxhost {

class ISignatureServices;

class CComboLayoutImpl : public Vtx::CObjectImpl<Vtx::IComboDatatypeLayout, Vtx::IObjectClass> {
public:
    using CObjectImpl::CObjectImpl;
    void SetSize(std::int32_t size) override;
    std::int32_t GetSize() override { return static_cast<std::int32_t>(items_.size()); }
    void SetItem(std::int32_t index, const char* text) override;
    const char* GetItem(std::int32_t index) override;

private:
    std::vector<std::string> items_;
};

class CFilenameLayoutImpl : public Vtx::CObjectImpl<Vtx::IFilenameDatatypeLayout, Vtx::IObjectClass> {
public:
    using CObjectImpl::CObjectImpl;
    void SetFilter(const char* filter) override { filter_ = filter ? filter : ""; }
    const char* GetFilter() override { return filter_.c_str(); }
    void SetMustExist(bool value) override { mustExist_ = value; }
    bool GetMustExist() override { return mustExist_; }
    void SetForSaving(bool value) override { forSaving_ = value; }
    bool GetForSaving() override { return forSaving_; }
    void SetMultipleSelection(bool value) override { multiple_ = value; }
    bool GetMultipleSelection() override { return multiple_; }

private:
    std::string filter_;
    bool mustExist_ = false;
    bool forSaving_ = false;
    bool multiple_ = false;
};

class CFoldernameLayoutImpl : public Vtx::CObjectImpl<Vtx::IFoldernameDatatypeLayout, Vtx::IObjectClass> {
public:
    using CObjectImpl::CObjectImpl;
    void SetMustExist(bool value) override { mustExist_ = value; }
    bool GetMustExist() override { return mustExist_; }

private:
    bool mustExist_ = false;
};

class CDatatypeSelectorComboLayoutImpl
    : public Vtx::CObjectImpl<Vtx::IDatatypeSelectorComboLayout, Vtx::IObjectClass> {
public:
    using CObjectImpl::CObjectImpl;
    void AddItem(const char* catalogId, const char* classId) override;
    std::int32_t GetItemCount() override { return static_cast<std::int32_t>(items_.size()); }
    const char* GetItemCatalogId(std::int32_t index) override;
    const char* GetItemClassId(std::int32_t index) override;

private:
    std::vector<std::pair<std::string, std::string>> items_;
};

class CBlockLayoutImpl : public ulx::default_delete<ulx::reference_counted_class_impl<Vtx::IBlockLayout>> {
public:
    explicit CBlockLayoutImpl(ISignatureServices* services) : services_(services) {}
    ~CBlockLayoutImpl() override;

    std::int32_t Destroy() override;
    void ShowParameter(const char* parameterId, bool visible) override;
    bool IsParameterShown(const char* parameterId) override;
    Vtx::IDatatypeLayout* CreateDatatypeLayout(const char* catalogId, const char* classId,
                                               const char* parameterId) override;
    Vtx::IDatatypeLayout* GetDatatypeLayout(const char* parameterId) override;
    void Clear() override;

private:
    ISignatureServices* services_;
    std::map<std::string, bool> shown_;
    std::map<std::string, Vtx::IDatatypeLayout*> layouts_;  // one reference each
};

} // namespace vtxhost
