#include "sdk/registration/PlainClassInfo.h"

#include "state/SignatureList.h"

namespace Vtx {

namespace {

constexpr std::uint16_t kEnglish = 1033;

// Lists the record in the collection the getter names, in the signature of the language,
// and keeps the record alive past the collection's release.
template <class Record, class Collection>
void ListInSignature(Record* record, std::uint16_t languageId, Collection* (IDllSignature::*collectionOf)()) {
    (ModuleSignatures::FindOrCreate(languageId)->*collectionOf)()->Add(record);
    record->AddRef();
}

} // namespace

CBlockClassInfoImpl::CBlockClassInfoImpl(std::string classId, ObjectClassTexts texts, ObjectClassCredits credits,
                                         ObjectCreateFunction create, std::string libraryPath)
    : CLibraryObjectClassInfoImpl(std::move(classId), std::move(texts), std::move(credits), create,
                                  std::move(libraryPath)) {
    ListInSignature(this, GetLanguageId(), &IDllSignature::GetBlockClasses);
}

CSubpatchClassInfoImpl::CSubpatchClassInfoImpl(std::string classId, ObjectClassTexts texts,
                                               ObjectClassCredits credits, ObjectCreateFunction create,
                                               std::string libraryPath)
    : CLibraryObjectClassInfoImpl(std::move(classId), std::move(texts), std::move(credits), create,
                                  std::move(libraryPath)) {
    ListInSignature(this, GetLanguageId(), &IDllSignature::GetSubpatchClasses);
}

CDatatypeClassInfoImpl::CDatatypeClassInfoImpl(std::string classId, ObjectClassTexts texts,
                                               ObjectClassCredits credits, ObjectCreateFunction create,
                                               DatatypeInitInfoCreateFunction createInitInfo)
    : CSignedObjectClassInfoImpl(std::move(classId), std::move(texts), std::move(credits), create),
      createInitInfo_(createInitInfo), textPairs_(new CObjectClassReferenceCollectionImpl) {
    textPairs_->AddRef();
    ListInSignature(this, GetLanguageId(), &IDllSignature::GetDatatypeClasses);
}

CDatatypeClassInfoImpl::~CDatatypeClassInfoImpl() { textPairs_->Release(); }

CDatatypeDomainClassInfoImpl::CDatatypeDomainClassInfoImpl(std::string classId, ObjectClassTexts texts,
                                                           ObjectClassCredits credits, ObjectCreateFunction create)
    : CSignedObjectClassInfoImpl(std::move(classId), std::move(texts), std::move(credits), create) {
    ListInSignature(this, GetLanguageId(), &IDllSignature::GetDatatypeDomainClasses);
}

CDatatypeLayoutClassInfoImpl::CDatatypeLayoutClassInfoImpl(std::string classId, ObjectClassTexts texts,
                                                           ObjectClassCredits credits, ObjectCreateFunction create)
    : CSignedObjectClassInfoImpl(std::move(classId), std::move(texts), std::move(credits), create) {
    ListInSignature(this, GetLanguageId(), &IDllSignature::GetDatatypeLayoutClasses);
}

CDatatypeInterfaceClassInfoImpl::CDatatypeInterfaceClassInfoImpl(std::string classId, ObjectClassTexts texts,
                                                                 ObjectClassCredits credits,
                                                                 ObjectCreateFunction create)
    : CSignedObjectClassInfoImpl(std::move(classId), std::move(texts), std::move(credits), create) {
    ListInSignature(this, GetLanguageId(), &IDllSignature::GetDatatypeInterfaceClasses);
}

CDatatypeConverterClassInfoImpl::CDatatypeConverterClassInfoImpl(std::string classId, ObjectClassTexts texts,
                                                                 ObjectClassCredits credits,
                                                                 ObjectCreateFunction create,
                                                                 ConverterTexts converter)
    : CSignedObjectClassInfoImpl(std::move(classId), std::move(texts), std::move(credits), create),
      converter_(std::move(converter)) {
    ListInSignature(this, GetLanguageId(), &IDllSignature::GetDatatypeConverterClasses);
}

CDeviceClassInfoImpl::CDeviceClassInfoImpl(std::string classId, ObjectClassTexts texts, ObjectClassCredits credits,
                                           ObjectCreateFunction create)
    : CSignedObjectClassInfoImpl(std::move(classId), std::move(texts), std::move(credits), create) {
    ListInSignature(this, GetLanguageId(), &IDllSignature::GetDeviceClasses);
}

CDeviceEnumeratorInfoImpl::CDeviceEnumeratorInfoImpl(std::string classId, ObjectCreateFunction create, bool flag)
    : CEnumeratorInfoImpl(std::move(classId), create, flag) {
    ListInSignature(this, kEnglish, &IDllSignature::GetDeviceEnumerators);
}

CClockClassInfoImpl::CClockClassInfoImpl(std::string classId, ObjectClassTexts texts, ObjectClassCredits credits,
                                         ObjectCreateFunction create)
    : CSignedObjectClassInfoImpl(std::move(classId), std::move(texts), std::move(credits), create) {
    ListInSignature(this, GetLanguageId(), &IDllSignature::GetClockClasses);
}

CCompanyClassInfoImpl::CCompanyClassInfoImpl(std::string classId, ObjectClassTexts texts)
    : CObjectClassInfoImpl(std::move(classId), std::move(texts)) {
    ListInSignature(this, GetLanguageId(), &IDllSignature::GetCompanies);
}

CAuthorClassInfoImpl::CAuthorClassInfoImpl(std::string classId, ObjectClassTexts texts)
    : CObjectClassInfoImpl(std::move(classId), std::move(texts)) {
    ListInSignature(this, GetLanguageId(), &IDllSignature::GetAuthors);
}

CLicenceClassInfoImpl::CLicenceClassInfoImpl(std::string classId, ObjectClassTexts texts)
    : CObjectClassInfoImpl(std::move(classId), std::move(texts)) {
    ListInSignature(this, GetLanguageId(), &IDllSignature::GetLicences);
}

CCategoryClassInfoImpl::CCategoryClassInfoImpl(std::string classId, ObjectClassTexts texts)
    : CObjectClassInfoImpl(std::move(classId), std::move(texts)) {
    ListInSignature(this, GetLanguageId(), &IDllSignature::GetCategories);
}

} // namespace Vtx
