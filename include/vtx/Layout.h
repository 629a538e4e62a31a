#pragma once
// Editing layouts: how the patch editor presents a block's parameters. A block layout is
// created by the kernel services for one block; datatype layouts are objects of a catalog
// ("kernel": "combo", "filename", "foldername", "datatype_selector_combo") that the block
// layout creates and owns, one per parameter.
#include <cstdint>

#include "vtx/Fwd.h"
#include "vtx/Object.h"
#include "vtx/ReferenceCounted.h"

namespace Vtx {

struct IDatatypeLayout : IObject {
protected:
    ~IDatatypeLayout() = default;
};

// A choice among item texts.
struct IComboDatatypeLayout : IDatatypeLayout {
    // A negative size throws a logic exception; shrinking drops the last items, growing
    // adds empty ones.
    virtual void SetSize(std::int32_t size) = 0;
    virtual std::int32_t GetSize() = 0;
    // An index outside 0..size-1 throws a logic exception; a null text is stored as empty.
    virtual void SetItem(std::int32_t index, const char* text) = 0;
    virtual const char* GetItem(std::int32_t index) = 0;

protected:
    ~IComboDatatypeLayout() = default;
};

// A file name chooser.
struct IFilenameDatatypeLayout : IDatatypeLayout {
    // The file-name filter the chooser offers ("Text files|*.txt", for example).
    virtual void SetFilter(const char* filter) = 0;
    virtual const char* GetFilter() = 0;
    virtual void SetMustExist(bool value) = 0;
    virtual bool GetMustExist() = 0;
    virtual void SetForSaving(bool value) = 0;
    virtual bool GetForSaving() = 0;
    virtual void SetMultipleSelection(bool value) = 0;
    virtual bool GetMultipleSelection() = 0;

protected:
    ~IFilenameDatatypeLayout() = default;
};

// A folder chooser.
struct IFoldernameDatatypeLayout : IDatatypeLayout {
    virtual void SetMustExist(bool value) = 0;
    virtual bool GetMustExist() = 0;

protected:
    ~IFoldernameDatatypeLayout() = default;
};

// A choice among datatype classes, each named by its class identity.
struct IDatatypeSelectorComboLayout : IDatatypeLayout {
    virtual void AddItem(const char* catalogId, const char* classId) = 0;
    virtual std::int32_t GetItemCount() = 0;
    // An index outside 0..count-1 throws a logic exception.
    virtual const char* GetItemCatalogId(std::int32_t index) = 0;
    virtual const char* GetItemClassId(std::int32_t index) = 0;

protected:
    ~IDatatypeSelectorComboLayout() = default;
};

struct IBlockLayout : ulx::I_ReferenceCountedClass {
    // Whether the editor shows the parameter; remembered per parameter id.
    virtual void ShowParameter(const char* parameterId, bool visible) = 0;
    virtual bool IsParameterShown(const char* parameterId) = 0;
    // Creates the datatype layout of the class for the parameter, replacing the one it had.
    // The block layout holds it; no reference is added. An unknown class throws a logic
    // exception.
    virtual IDatatypeLayout* CreateDatatypeLayout(const char* catalogId, const char* classId,
                                                  const char* parameterId) = 0;
    // The parameter's datatype layout, or null; no reference is added.
    virtual IDatatypeLayout* GetDatatypeLayout(const char* parameterId) = 0;
    // Forgets every parameter's visibility and layout.
    virtual void Clear() = 0;

protected:
    ~IBlockLayout() = default;
};

} // namespace Vtx
