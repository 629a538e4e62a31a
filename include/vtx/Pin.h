#pragma once
// The pins and parameters of a block, as its block signature holds them. Every pin is a
// host object owned by the signature; pointers handed out carry no reference unless an
// operation says otherwise, and stay valid while the signature holds the pin.
#include <cstdint>

#include "vtx/Fwd.h"
#include "vtx/ReferenceCounted.h"

namespace Vtx {

// An ordered list of class identities (catalog id, class id), owned by the object that
// hands it out.
struct IClassIdentityList {
    // Appends the pair; null texts are stored as empty texts.
    virtual void AddEntry(const char* catalogId, const char* classId) = 0;
    virtual std::int32_t GetCount() = 0;
    // The texts of entry index; an index outside 0..count-1 throws a collection exception.
    virtual const char* GetCatalogId(std::int32_t index) = 0;
    virtual const char* GetClassId(std::int32_t index) = 0;
    virtual void Clear() = 0;

protected:
    ~IClassIdentityList() = default;
};

// What every pin and parameter has: identity, texts, declared type and its datatype.
struct IBlockPin : ulx::I_ReferenceCountedClass {
    virtual const char* GetId() = 0;
    virtual const char* GetName() = 0;
    virtual const char* GetDescription() = 0;
    // The declared datatype class identity; "kernel" / "generic_datatype" accepts any.
    virtual const char* GetTypeCatalogId() = 0;
    virtual const char* GetTypeClassId() = 0;
    // The pin's current datatype object, or null while the pin holds none (a generic pin
    // before its type is resolved by a link). No reference is added.
    virtual IDatatype* GetDatatype() = 0;
    // The block whose signature holds the pin; no reference is added.
    virtual IBlock* GetBlock() = 0;

protected:
    ~IBlockPin() = default;
};

// A pin through which data reaches the block.
struct ISyncInPin : IBlockPin {
    // The output this pin is linked to, or null.
    virtual ISyncOutPin* GetLinkedOutput() = 0;
    // Whether a new value was delivered since the block's last activation.
    virtual bool HasNewData() = 0;

protected:
    ~ISyncInPin() = default;
};

// A pin through which the block hands data on.
struct ISyncOutPin : IBlockPin {
    virtual std::int32_t GetLinkCount() = 0;
    // The linked input at index; an index outside 0..count-1 throws a collection exception.
    virtual ISyncInPin* GetLinkedInput(std::int32_t index) = 0;

protected:
    ~ISyncOutPin() = default;
};

struct IInputPin : ISyncInPin {
    // The three flags the pin was created with (index 0, 1, 2), kept for the patch editor;
    // any other index answers false.
    virtual bool GetInputFlag(std::int32_t index) = 0;
    // The datatype interfaces a linked datatype is expected to offer.
    virtual IClassIdentityList* GetRequiredInterfaces() = 0;

protected:
    ~IInputPin() = default;
};

struct IOutputPin : ISyncOutPin {
    // The free text the pin was created with.
    virtual const char* GetOutputTag() = 0;
    // The id of the input pin whose datatype class this output follows, or the empty text
    // when the output has its own declared type.
    virtual const char* GetTypeSourcePinId() = 0;

protected:
    ~IOutputPin() = default;
};

// A parameter: a value object with its permissions and an optional domain. The setter and
// getter of each permission follow each other.
struct IParameterPin : IBlockPin {
    // Flag 0: the value is saved with the patch.
    virtual void SetPersistent(bool value) = 0;
    virtual bool GetPersistent() = 0;
    // Flag 1: the value may change while the patch is not running.
    virtual void SetChangeableAtDesignTime(bool value) = 0;
    virtual bool GetChangeableAtDesignTime() = 0;
    // Flag 2: the value may change while the patch is running.
    virtual void SetChangeableAtRunTime(bool value) = 0;
    virtual bool GetChangeableAtRunTime() = 0;
    // Flag 3: the init information may change while the patch is not running.
    virtual void SetInitInfoChangeableAtDesignTime(bool value) = 0;
    virtual bool GetInitInfoChangeableAtDesignTime() = 0;
    // Flag 4: the init information may change while the patch is running.
    virtual void SetInitInfoChangeableAtRunTime(bool value) = 0;
    virtual bool GetInitInfoChangeableAtRunTime() = 0;
    // A word the host stores for the patch editor.
    virtual void SetModeWord(std::uint32_t value) = 0;
    virtual std::uint32_t GetModeWord() = 0;
    // The domain created from the declared domain class, or null; no reference is added.
    virtual IDatatypeDomain* GetDomain() = 0;
    // The current value object (the same as GetDatatype); no reference is added.
    virtual IDatatype* GetValue() = 0;
    // Whether a new value equal to the current one is taken as already set. True for
    // every type except "kernel" / "trigger", whose setting is an event in itself.
    virtual void SetCompareBeforeSet(bool value) = 0;
    virtual bool GetCompareBeforeSet() = 0;

protected:
    ~IParameterPin() = default;
};

// A parameter as the signature declared it: adds the declaration's own data.
struct IParameterPinSignature : IParameterPin {
    virtual const char* GetDomainCatalogId() = 0;
    virtual const char* GetDomainClassId() = 0;
    virtual std::uint32_t GetCreationWord() = 0;

protected:
    ~IParameterPinSignature() = default;
};

} // namespace Vtx
