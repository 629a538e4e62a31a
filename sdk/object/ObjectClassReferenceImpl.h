#pragma once
// Class references by (catalog identifier, class identifier), and the category item
// reference with its third text. The objects are not locked; the collections holding them
// are.
#include <string>

#include "sdk/object/Exceptions.h"
#include "sdk/object/ReferenceCounting.h"
#include "vtx/ObjectClassReference.h"

namespace Vtx {

template <class I>
class CObjectClassReferenceBaseImpl : public ulx::default_destroy<ulx::default_delete<ulx::reference_counted_class_impl<I>>> {
public:
    // Null texts read as empty.
    explicit CObjectClassReferenceBaseImpl(const char* catalogId = nullptr, const char* classId = nullptr)
        : catalogId_(catalogId ? catalogId : ""), classId_(classId ? classId : "") {}
    CObjectClassReferenceBaseImpl(const CObjectClassReferenceBaseImpl&) = delete;
    CObjectClassReferenceBaseImpl& operator=(const CObjectClassReferenceBaseImpl&) = delete;

    const char* GetCatalogId() override { return catalogId_.c_str(); }
    void SetCatalogId(const char* catalogId) override {
        TranslateStdExceptions([&] { catalogId_ = catalogId ? catalogId : ""; });
    }
    const char* GetClassId() override { return classId_.c_str(); }
    void SetClassId(const char* classId) override {
        TranslateStdExceptions([&] { classId_ = classId ? classId : ""; });
    }

    ~CObjectClassReferenceBaseImpl() override {}

private:
    std::string catalogId_;
    std::string classId_;
};

using CObjectClassReferenceImpl = CObjectClassReferenceBaseImpl<IObjectClassReference>;

class CCategoryItemReferenceImpl : public CObjectClassReferenceBaseImpl<ICategoryItemReference> {
public:
    explicit CCategoryItemReferenceImpl(const char* catalogId = nullptr, const char* classId = nullptr,
                                        const char* thirdText = nullptr)
        : CObjectClassReferenceBaseImpl(catalogId, classId), thirdText_(thirdText ? thirdText : "") {}

    const char* GetThirdText() override { return thirdText_.c_str(); }
    void SetThirdText(const char* text) override {
        TranslateStdExceptions([&] { thirdText_ = text ? text : ""; });
    }

    ~CCategoryItemReferenceImpl() override {}

private:
    std::string thirdText_;
};

} // namespace Vtx
