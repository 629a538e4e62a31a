#include "sdk/datatype/DatatypeConverterImpl.h"

#include "sdk/object/Exceptions.h"

namespace Vtx {

namespace {

void StoreText(std::string& target, const char* text) {
    TranslateStdExceptions([&] { target = text ? text : ""; });
}

} // namespace

CDatatypeConverterImpl::CDatatypeConverterImpl(const OBJECT_CREATIONCTX* context)
    : CSignedObjectImpl<IDatatypeConverter, IDatatypeConverterClass>(context) {}

void CDatatypeConverterImpl::SetConverterText1(const char* text) { StoreText(text1_, text); }
void CDatatypeConverterImpl::SetConverterText2(const char* text) { StoreText(text2_, text); }
void CDatatypeConverterImpl::SetConverterText3(const char* text) { StoreText(text3_, text); }
void CDatatypeConverterImpl::SetConverterText4(const char* text) { StoreText(text4_, text); }

} // namespace Vtx
