#pragma once
// The class objects the host hands to every instance it creates, in the creation context.
// The host owns them; an instance only reads them.
#include <cstdint>

#include "vtx/Fwd.h"
#include "vtx/ReferenceCounted.h"

namespace Vtx {

// A bitmap handle as the GDI layer hands it out; null when a class has none.
using BitmapHandle = void*;

struct IObjectClass : ulx::I_ReferenceCountedClass {
    virtual const char* GetClassId() = 0;
    // Four descriptive texts (name, description and two further texts).
    virtual const char* GetText1() = 0;
    virtual const char* GetText2() = 0;
    virtual const char* GetText3() = 0;
    virtual const char* GetText4() = 0;
    virtual BitmapHandle GetBitmap() = 0;
    // The catalog the class belongs to; its GetClassId yields the catalog identifier.
    virtual IObjectClass* GetCatalog() = 0;

protected:
    ~IObjectClass() = default;
};

// The class of a datatype; it adds nothing the module reads.
struct IDatatypeClass : IObjectClass {
protected:
    ~IDatatypeClass() = default;
};

// The class of a datatype converter; it adds nothing the module reads.
struct IDatatypeConverterClass : IObjectClass {
protected:
    ~IDatatypeConverterClass() = default;
};

} // namespace Vtx
