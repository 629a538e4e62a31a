#pragma once
// A block's signature: its input pins, output pins and parameters, created by the kernel
// services for one block. The signature owns its pins; pointers it hands out carry no
// reference and stay valid while it holds the pin.
#include <cstdint>

#include "vtx/Fwd.h"
#include "vtx/Pin.h"
#include "vtx/ReferenceCounted.h"

namespace Vtx {

// The pins of one kind, in declaration order.
template <class T>
struct IPinCollection {
    virtual std::int32_t GetCount() = 0;
    // The pin at index; outside 0..count-1 throws a collection exception.
    virtual T* GetAt(std::int32_t index) = 0;
    virtual bool HasId(const char* id) = 0;
    // The pin with this id (exact, case-sensitive); a missing id throws a collection exception.
    virtual T* GetById(const char* id) = 0;
    // Index of the pin with this id, or -1.
    virtual std::int32_t IndexOf(const char* id) = 0;

protected:
    ~IPinCollection() = default;
};

struct IBlockSignature : ulx::I_ReferenceCountedClass {
    // The block the signature was created for; no reference is added.
    virtual IBlock* GetBlock() = 0;

    // Declares an input pin. A pin of the same id and datatype class is kept as it is and
    // returned; one of another class is replaced. The pin gets a new datatype of its class
    // unless the class is "kernel" / "generic_datatype", which is resolved by a link.
    virtual IInputPin* CreateInputPin(const char* id, const char* name, const char* description,
                                      const char* typeCatalogId, const char* typeClassId, bool flag0,
                                      bool flag1, bool flag2) = 0;
    // Declares an output pin; a non-empty typeSourcePinId names the input whose datatype
    // class the output takes once that input is linked. Redeclaration as for inputs.
    virtual IOutputPin* CreateOutputPin(const char* id, const char* name, const char* description,
                                        const char* typeCatalogId, const char* typeClassId,
                                        const char* outputTag, const char* typeSourcePinId) = 0;
    // Declares a parameter with a new value object of its class and, when a domain class is
    // given, a new domain of that class. A parameter of the same id and class is kept with
    // its value (the texts are updated); one of another class is replaced. An unknown
    // datatype or domain class throws a logic exception.
    virtual IParameterPinSignature* CreateParameter(const char* id, const char* name, const char* description,
                                                    const char* typeCatalogId, const char* typeClassId,
                                                    const char* domainCatalogId, const char* domainClassId,
                                                    std::uint32_t creationWord) = 0;

    virtual IPinCollection<IInputPin>* GetInputPins() = 0;
    virtual IPinCollection<IOutputPin>* GetOutputPins() = 0;
    virtual IPinCollection<IParameterPinSignature>* GetParameters() = 0;

    // Look-ups by id; a missing pin throws a collection exception naming the id.
    virtual IInputPin* FindInputPin(const char* id) = 0;
    virtual IOutputPin* FindOutputPin(const char* id) = 0;
    virtual IParameterPinSignature* FindParameter(const char* id) = 0;

    // Takes the parameter out of the signature and returns it, or null when there is none.
    // The returned pointer stays valid until the signature is cleared or destroyed, so that
    // callers may still use it as a key.
    virtual IParameterPinSignature* RemoveParameter(const char* id) = 0;

    // The block's trace level: a "kernel" / "int" datum; no reference is added.
    virtual IDatatype* GetTraceLevel() = 0;

    // Removes every pin and parameter.
    virtual void Clear() = 0;

protected:
    ~IBlockSignature() = default;
};

} // namespace Vtx
