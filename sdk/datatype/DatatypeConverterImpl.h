#pragma once
// The base of a catalog's datatype converters: the object base and the four texts. A
// concrete converter supplies CanConvert and Convert.
#include <string>

#include "sdk/object/ObjectImpl.h"
#include "vtx/DatatypeConverter.h"
#include "vtx/ObjectClass.h"

namespace Vtx {

class CDatatypeConverterImpl : public CSignedObjectImpl<IDatatypeConverter, IDatatypeConverterClass> {
public:
    explicit CDatatypeConverterImpl(const OBJECT_CREATIONCTX* context);

    void SetConverterText1(const char* text) override;
    void SetConverterText2(const char* text) override;
    void SetConverterText3(const char* text) override;
    void SetConverterText4(const char* text) override;
    const char* GetConverterText1() override { return text1_.c_str(); }
    const char* GetConverterText2() override { return text2_.c_str(); }
    const char* GetConverterText3() override { return text3_.c_str(); }
    const char* GetConverterText4() override { return text4_.c_str(); }

private:
    std::string text1_;
    std::string text2_;
    std::string text3_;
    std::string text4_;
};

} // namespace Vtx
