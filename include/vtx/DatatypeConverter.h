#pragma once
// Converters the host uses between datatypes.
#include "vtx/Datatype.h"
#include "vtx/Object.h"
#include "vtx/ObjectClass.h"

namespace Vtx {

struct IDatatypeConverter : IObject {
    // Four descriptive texts, by convention the source identity (texts 1 and 2: catalog
    // id, class id) and the target identity (texts 3 and 4). Setting null stores the
    // empty text; a returned text stays valid until it is set again or the object goes.
    virtual void SetConverterText1(const char* text) = 0;
    virtual void SetConverterText2(const char* text) = 0;
    virtual void SetConverterText3(const char* text) = 0;
    virtual void SetConverterText4(const char* text) = 0;
    virtual const char* GetConverterText1() = 0;
    virtual const char* GetConverterText2() = 0;
    virtual const char* GetConverterText3() = 0;
    virtual const char* GetConverterText4() = 0;
    // Whether the converter can turn the source's value into the target's type.
    virtual bool CanConvert(IDatatype* source, IDatatype* target) = 0;
    // Writes the source's value, converted, into the target; true on success.
    virtual bool Convert(IDatatype* source, IDatatype* target) = 0;

protected:
    ~IDatatypeConverter() = default;
};

} // namespace Vtx
