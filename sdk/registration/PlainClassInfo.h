#pragma once
// Class-information records that answer from their own fields, for catalogs that describe
// a class directly instead of declaring a registrant. Each concrete record, when
// constructed, adds itself to the collection of its kind in the module signature of its
// language and takes one reference on itself: such records are meant to be objects of
// static storage (or owned by their creator), which the collection's release never deletes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sdk/object/Exceptions.h"
#include "sdk/object/ObjectClassReferenceCollectionImpl.h"
#include "sdk/object/ReferenceCounting.h"
#include "sdk/registration/TextLists.h"
#include "vtx/ClassInfo.h"

namespace Vtx {

// The descriptive fields of a record.
struct ObjectClassTexts {
    std::uint16_t languageId = 1033;
    std::string name;
    std::string description;
    std::string thirdText;
    std::string fourthText;
    std::uint32_t bitmapId = 0;
};

// The credits of a signed class; absent company and licence read as null.
struct ObjectClassCredits {
    std::vector<std::string> authorIds;
    std::optional<std::string> companyId;
    std::optional<std::string> licenceId;
};

template <class I>
class CBaseObjectInfoImpl : public ulx::default_destroy<ulx::default_delete<ulx::reference_counted_class_impl<I>>> {
public:
    explicit CBaseObjectInfoImpl(std::string classId) : classId_(std::move(classId)) {}

    const char* GetClassId() override { return classId_.c_str(); }

private:
    std::string classId_;
};

template <class I>
class CObjectClassInfoImpl : public CBaseObjectInfoImpl<I> {
public:
    CObjectClassInfoImpl(std::string classId, ObjectClassTexts texts)
        : CBaseObjectInfoImpl<I>(std::move(classId)), texts_(std::move(texts)) {}

    // Empties the four texts.
    void Clear() override {
        texts_.name.clear();
        texts_.description.clear();
        texts_.thirdText.clear();
        texts_.fourthText.clear();
    }
    const char* GetName() override { return texts_.name.c_str(); }
    const char* GetDescription() override { return texts_.description.c_str(); }
    const char* GetThirdText() override { return texts_.thirdText.c_str(); }
    const char* GetFourthText() override { return texts_.fourthText.c_str(); }
    std::uint32_t GetBitmapId() override { return texts_.bitmapId; }

    std::uint16_t GetLanguageId() const { return texts_.languageId; }

private:
    ObjectClassTexts texts_;
};

template <class I>
class CSignedObjectClassInfoImpl : public CObjectClassInfoImpl<I> {
public:
    CSignedObjectClassInfoImpl(std::string classId, ObjectClassTexts texts, ObjectClassCredits credits,
                               ObjectCreateFunction create)
        : CObjectClassInfoImpl<I>(std::move(classId), std::move(texts)), credits_(std::move(credits)),
          create_(create) {}

    // A new copy of the record's author list on every call (null when it is empty), so the
    // host frees every author list the same way, whichever record it came from.
    TEXT_LIST* GetAuthorIds() override {
        return TranslateStdExceptions([&] { return MakeTextList(credits_.authorIds); });
    }
    const char* GetCompanyId() override { return credits_.companyId ? credits_.companyId->c_str() : nullptr; }
    const char* GetLicenceId() override { return credits_.licenceId ? credits_.licenceId->c_str() : nullptr; }
    TEXT_TRIPLE_LIST* GetTextTriples() override { return nullptr; }

    // May be null: the class makes no instances.
    ObjectCreateFunction GetCreateFunction() const { return create_; }

private:
    ObjectClassCredits credits_;
    ObjectCreateFunction create_;
};

template <class I>
class CLibraryObjectClassInfoImpl : public CSignedObjectClassInfoImpl<I> {
public:
    CLibraryObjectClassInfoImpl(std::string classId, ObjectClassTexts texts, ObjectClassCredits credits,
                                ObjectCreateFunction create, std::string libraryPath)
        : CSignedObjectClassInfoImpl<I>(std::move(classId), std::move(texts), std::move(credits), create),
          libraryPath_(std::move(libraryPath)) {}

    const char* GetLibraryPath() override { return libraryPath_.c_str(); }

private:
    std::string libraryPath_;
};

template <class I>
class CEnumeratorInfoImpl : public CBaseObjectInfoImpl<I> {
public:
    CEnumeratorInfoImpl(std::string classId, ObjectCreateFunction create, bool flag)
        : CBaseObjectInfoImpl<I>(std::move(classId)), create_(create), flag_(flag) {}

    void Clear() override {}
    bool GetFlag() override { return flag_; }

    ObjectCreateFunction GetCreateFunction() const { return create_; }

private:
    ObjectCreateFunction create_;
    bool flag_;
};

class CBlockClassInfoImpl : public CLibraryObjectClassInfoImpl<ILibraryObjectClassInfo> {
public:
    CBlockClassInfoImpl(std::string classId, ObjectClassTexts texts, ObjectClassCredits credits,
                        ObjectCreateFunction create, std::string libraryPath);
};

class CSubpatchClassInfoImpl : public CLibraryObjectClassInfoImpl<ILibraryObjectClassInfo> {
public:
    CSubpatchClassInfoImpl(std::string classId, ObjectClassTexts texts, ObjectClassCredits credits,
                           ObjectCreateFunction create, std::string libraryPath);
};

class CDatatypeClassInfoImpl : public CSignedObjectClassInfoImpl<IDatatypeClassInfo> {
public:
    CDatatypeClassInfoImpl(std::string classId, ObjectClassTexts texts, ObjectClassCredits credits,
                           ObjectCreateFunction create, DatatypeInitInfoCreateFunction createInitInfo);
    ~CDatatypeClassInfoImpl() override;

    bool HasInitInfo() override { return createInitInfo_ != nullptr; }
    IObjectClassReferenceCollection* GetTextPairs() override { return textPairs_; }

    // May be null: the class has no init information.
    DatatypeInitInfoCreateFunction GetInitInfoCreateFunction() const { return createInitInfo_; }

private:
    DatatypeInitInfoCreateFunction createInitInfo_;
    CObjectClassReferenceCollectionImpl* textPairs_;
};

class CDatatypeDomainClassInfoImpl : public CSignedObjectClassInfoImpl<ISignedObjectClassInfo> {
public:
    CDatatypeDomainClassInfoImpl(std::string classId, ObjectClassTexts texts, ObjectClassCredits credits,
                                 ObjectCreateFunction create);
};

class CDatatypeLayoutClassInfoImpl : public CSignedObjectClassInfoImpl<ISignedObjectClassInfo> {
public:
    CDatatypeLayoutClassInfoImpl(std::string classId, ObjectClassTexts texts, ObjectClassCredits credits,
                                 ObjectCreateFunction create);
};

class CDatatypeInterfaceClassInfoImpl : public CSignedObjectClassInfoImpl<ISignedObjectClassInfo> {
public:
    CDatatypeInterfaceClassInfoImpl(std::string classId, ObjectClassTexts texts, ObjectClassCredits credits,
                                    ObjectCreateFunction create);
};

// The converter's four texts and value.
struct ConverterTexts {
    std::string text1;
    std::string text2;
    std::string text3;
    std::string text4;
    std::int32_t value = 0;
};

class CDatatypeConverterClassInfoImpl : public CSignedObjectClassInfoImpl<IDatatypeConverterClassInfo> {
public:
    CDatatypeConverterClassInfoImpl(std::string classId, ObjectClassTexts texts, ObjectClassCredits credits,
                                    ObjectCreateFunction create, ConverterTexts converter);

    const char* GetConverterText1() override { return converter_.text1.c_str(); }
    const char* GetConverterText2() override { return converter_.text2.c_str(); }
    const char* GetConverterText3() override { return converter_.text3.c_str(); }
    const char* GetConverterText4() override { return converter_.text4.c_str(); }
    std::int32_t GetConverterValue() override { return converter_.value; }

private:
    ConverterTexts converter_;
};

class CDeviceClassInfoImpl : public CSignedObjectClassInfoImpl<ISignedObjectClassInfo> {
public:
    CDeviceClassInfoImpl(std::string classId, ObjectClassTexts texts, ObjectClassCredits credits,
                         ObjectCreateFunction create);
};

// Always listed in the English (1033) signature.
class CDeviceEnumeratorInfoImpl : public CEnumeratorInfoImpl<IDeviceEnumeratorInfo> {
public:
    CDeviceEnumeratorInfoImpl(std::string classId, ObjectCreateFunction create, bool flag);
};

class CClockClassInfoImpl : public CSignedObjectClassInfoImpl<ISignedObjectClassInfo> {
public:
    CClockClassInfoImpl(std::string classId, ObjectClassTexts texts, ObjectClassCredits credits,
                        ObjectCreateFunction create);
};

class CCompanyClassInfoImpl : public CObjectClassInfoImpl<IObjectClassInfo> {
public:
    CCompanyClassInfoImpl(std::string classId, ObjectClassTexts texts);
};

class CAuthorClassInfoImpl : public CObjectClassInfoImpl<IObjectClassInfo> {
public:
    CAuthorClassInfoImpl(std::string classId, ObjectClassTexts texts);
};

class CLicenceClassInfoImpl : public CObjectClassInfoImpl<IObjectClassInfo> {
public:
    CLicenceClassInfoImpl(std::string classId, ObjectClassTexts texts);
};

// A category described directly has no entries: GetCategoryEntries answers null.
class CCategoryClassInfoImpl : public CObjectClassInfoImpl<ICategoryClassInfo> {
public:
    CCategoryClassInfoImpl(std::string classId, ObjectClassTexts texts);

    TEXT_TRIPLE_LIST* GetCategoryEntries() override { return nullptr; }
    void FreeCategoryEntries(TEXT_TRIPLE_LIST* entries) override { FreeTextTripleList(entries); }
};

} // namespace Vtx
