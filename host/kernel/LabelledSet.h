#pragma once
// The kernel's labelled set: items of one element class (or of any class, untyped), each
// with a label, and the init information that types it.
#include <string>
#include <vector>

#include "host/kernel/KernelDatatypeBase.h"
#include "host/kernel/KernelText.h"
#include "host/kernel/ModuleObjectKeeper.h"
#include "vtx/KernelDatatypes.h"

namespace vtxhost {

class CLabelledSetInitInfoImpl : public CKernelInitInfoImpl<Vtx::ILabelledSetInitInfo> {
public:
    using CKernelInitInfoImpl::CKernelInitInfoImpl;
    void SetElementCatalogId(const char* catalogId) override { catalogId_ = catalogId ? catalogId : ""; }
    const char* GetElementCatalogId() override { return catalogId_.c_str(); }
    void SetElementClassId(const char* classId) override { classId_ = classId ? classId : ""; }
    const char* GetElementClassId() override { return classId_.c_str(); }

protected:
    std::string WriteBinary() override;
    bool ReadBinary(const std::string& payload) override;
    // JSON: {"catalog": "...", "class": "..."}
    std::string WriteText() override;
    bool ReadText(const std::string& text) override;

private:
    std::string catalogId_;
    std::string classId_;
};

class CKernelServices;

class CLabelledSetImpl : public CKernelDatatypeImpl<Vtx::ILabelledSet>,
                         public IAppendsText,
                         private IModuleObjectKeeper {
public:
    using CKernelDatatypeImpl::CKernelDatatypeImpl;
    ~CLabelledSetImpl() override;

    // Types the set by the init information's element class; items of another class go.
    void InitInstance(Vtx::IDatatypeInitInfo* initInfo) override;
    // Forgets the typing and the items.
    void DoneInstance() override;
    Vtx::IDatatypeInitInfo* GetInitInfo() override;

    void ClearItems() override;
    void AddItem(Vtx::IDatatype* value, const char* label) override;
    std::int32_t GetItemCount() override;
    Vtx::IDatatype* GetItem(std::int32_t index) override;
    const char* GetItemLabel(std::int32_t index) override;
    const char* GetElementCatalogId() override { return catalogId_.c_str(); }
    const char* GetElementClassId() override { return classId_.c_str(); }

    // How many elements of cleared items the set keeps for reuse.
    std::size_t KeptCount() const { return items_.size() - count_; }

protected:
    // A set of the same class and element typing is copied element by element: a new
    // element per item, configured by this set's init information, taking the item's value
    // (as loading the binary form does, without forming it).
    bool CopySameClass(Vtx::ISerialize* source) override;
    std::string WriteBinary() override;
    bool ReadBinary(const std::string& payload) override;
    // JSON: {"element": ["catalog", "class"], "items": [{"label": "...", "value": "<text form>"}, ...]}
    // Items of an untyped set name their class: {"catalog", "class", "label", "value"}.
    std::string WriteText() override;
    bool ReadText(const std::string& text) override;

public:
    // The text form written straight after what `out` holds.
    void AppendText(std::string& out) override;

private:
    // The text form through the JSON library, which writes and checks any UTF-8 text.
    std::string WriteJsonText();
    void SetTyping(const std::string& catalogId, const std::string& classId);
    // The time attributes of an element.
    struct ElementTimes {
        Vtx::DatatypeTime timestamp, timeA, timeB, timeC, timeD;
        double factor;
    };
    struct Item {
        std::string label;
        Vtx::IDatatype* value;  // one reference
        // The element's times as it was made: a reused element that takes a loaded value
        // (which carries no times) gets them back, as a new one would have them.
        ElementTimes created;
        // Whether the element's pointer has left the set (GetItem handed it out, or it was
        // the source of another set's copy) since the set last found itself its only
        // holder: only then can someone else hold it, and emptying the set asks its count.
        bool exposed;
        Vtx::IObjectClass* objectClass;  // the element's, which never changes
        // Whether the element may carry a configuration: false only after AddItem
        // initialised it with no init information, which the next value without any
        // leaves as it is.
        bool configured;
    };
    // AddItem of a value that is not the usual repeat of the kept element's: the label
    // checked, the class accepted, the slot found or made and configured as the value is.
    void AddItemAnew(Vtx::IDatatype* value, const char* text, std::size_t length, Vtx::IObjectClass* objectClass,
                     Vtx::IDatatypeInitInfo* initInfo);
    // A new element of the class, or a logic exception naming it.
    Vtx::IDatatype* NewElement(const std::string& catalogId, const std::string& classId);
    Item NewItem(std::string label, const std::string& catalogId, const std::string& classId);
    // The slot just behind the items made ready for a new item of the class: its kept
    // element when of that class, finalised for its new configuration, or a new element.
    // The slot becomes an item when the caller counts it.
    Item& NextSlot(Vtx::IObjectClass* objectClass, const std::string& catalogId, const std::string& classId);
    // A kept element of the class taken out of the set (finalised), or a new one; reused
    // tells which.
    Item TakeElement(Vtx::IObjectClass* objectClass, const std::string& catalogId, const std::string& classId,
                     bool& reused);
    // Drops the kept element at the index (of another class, or broken): the last kept one
    // takes its place.
    void DropKept(std::size_t index);
    // Checks that a value's class may join the set; remembers the last class accepted, so
    // that the values of one class are checked by their class object alone.
    void AcceptClass(Vtx::IDatatype* value, Vtx::IObjectClass* objectClass);
    void ForgetAcceptedClass();
    void CheckIndex(std::int32_t index);
    // The given items become the set's (their references pass to it), the kept elements
    // stay behind them; the previous items are released.
    void Replace(std::vector<Item> items);
    void ReleaseSpare();
    // A set that keeps elements of a module's catalog (or of any, untyped) registers with the
    // kernel services, which have it let go of them before the module goes.
    void WatchCatalogRemovals();
    void StopWatchingCatalogRemovals();
    void ReleaseKeptOf(const std::string& catalogId) override;
    void ForgetKernelServices() override { watched_ = nullptr; }
    // The text form written directly after what `out` holds, as the JSON library writes
    // it, when every text in it is plain ASCII; false otherwise (`out` then holds a part).
    bool WriteAsciiText(std::string& out);

    // The element typing; changed only through SetTyping, which keeps textHead_ true.
    std::string catalogId_;
    std::string classId_;
    // The start of the text form up to the first item, for the typing (empty: not made).
    std::string textHead_;
    Vtx::IDatatypeInitInfo* initInfo_ = nullptr;  // one reference, when typed
    // The first count_ entries are the set's items; the entries behind them hold elements of
    // cleared items that no one else held, kept (one reference each) in place, so that the
    // items added next copy into them, label text included, instead of creating new ones.
    // Emptying keeps no more elements than the items it removed; the elements of a catalog
    // go when the catalog is removed.
    std::vector<Item> items_;
    std::size_t count_ = 0;
    // Whether any item's element may have left the set since it was last emptied.
    bool anyExposed_ = false;
    CKernelServices* watched_ = nullptr;  // registered with, while it keeps elements
    // The storage a same-class copy builds its items in, kept from copy to copy.
    std::vector<Item> scratch_;
    Vtx::IObjectClass* acceptedClass_ = nullptr;
    std::string acceptedCatalogId_;
    std::string acceptedClassId_;
};
} // namespace vtxhost
