#pragma once
// Class-information records computed from a registrant: one per registrant and signature
// language. They read the registrant on every call, so they always answer what it holds
// now; texts come from the registrant's entry for the record's language (the first entry
// when it has none for that language) and reach the host through the calling thread's
// text buffer.
#include <cstdint>
#include <string>
#include <utility>

#include "state/ModuleState.h"
#include "sdk/object/Exceptions.h"
#include "sdk/object/ObjectClassReferenceCollectionImpl.h"
#include "sdk/object/ReferenceCounting.h"
#include "sdk/registration/BlockClassRegistrant.h"
#include "sdk/registration/Registrants.h"
#include "sdk/registration/TextLists.h"
#include "vtx/ClassInfo.h"

namespace Vtx {

namespace detail {

// Metadata entries carry no bitmap.
template <class R>
std::uint32_t bitmap_of(const object_language<R>&) {
    return 0;
}
template <class R>
std::uint32_t bitmap_of(const object_class_language<R>& entry) {
    return entry.bitmap();
}

} // namespace detail

template <class I, class R>
class object_class_info_impl : public ulx::default_destroy<ulx::default_delete<ulx::reference_counted_class_impl<I>>> {
public:
    using registrant_type = R;

    object_class_info_impl(R* registrant, std::uint16_t languageId) : registrant_(registrant), languageId_(languageId) {}

    const char* GetClassId() override { return registrant_->class_id().c_str(); }
    // Empties the registrant's entries: every record of the registrant loses its texts.
    void Clear() override {
        TranslateStdExceptions([&] { registrant_->clear_languages(); });
    }
    const char* GetName() override {
        return text([](const auto& entry) { return entry.name(); });
    }
    const char* GetDescription() override {
        return text([](const auto& entry) { return entry.description(); });
    }
    const char* GetThirdText() override {
        return text([](const auto& entry) { return entry.third_text(); });
    }
    const char* GetFourthText() override {
        return text([](const auto& entry) { return entry.fourth_text(); });
    }
    std::uint32_t GetBitmapId() override {
        return TranslateStdExceptions([&] { return detail::bitmap_of(entry()); });
    }

    R* registrant() const { return registrant_; }
    std::uint16_t language_id() const { return languageId_; }

protected:
    const typename R::language_type& entry() const { return registrant_->get_language(languageId_); }

    // A text of the entry, as a text result of the calling thread.
    template <class Read>
    const char* text(Read read) {
        return TranslateStdExceptions([&] { return ThreadTextResult(read(entry())); });
    }

private:
    R* registrant_;
    std::uint16_t languageId_;
};

template <class I, class R>
class signed_object_class_info_impl : public object_class_info_impl<I, R> {
public:
    using object_class_info_impl<I, R>::object_class_info_impl;

    TEXT_LIST* GetAuthorIds() override {
        return TranslateStdExceptions([&] { return MakeTextList(this->registrant()->authors().items()); });
    }
    const char* GetCompanyId() override { return first_of(this->registrant()->companies().items()); }
    const char* GetLicenceId() override { return first_of(this->registrant()->licences().items()); }
    TEXT_TRIPLE_LIST* GetTextTriples() override {
        return TranslateStdExceptions([&] {
            return MakeTextTripleList(
                this->registrant()->categories().items(), [](const category_triple& t) { return t.first; },
                [](const category_triple& t) { return t.second; }, [](const category_triple& t) { return t.third; });
        });
    }

    // Makes an instance with the registrant's creation function.
    IObject* Create(const OBJECT_CREATIONCTX* context) const { return this->registrant()->create(context); }

private:
    template <class List>
    static const char* first_of(const List& list) {
        return list.empty() ? nullptr : list.front().c_str();
    }
};

class author_info_impl : public object_class_info_impl<IObjectClassInfo, author_registrant> {
public:
    using object_class_info_impl::object_class_info_impl;
};

class company_info_impl : public object_class_info_impl<IObjectClassInfo, company_registrant> {
public:
    using object_class_info_impl::object_class_info_impl;
};

class licence_info_impl : public object_class_info_impl<IObjectClassInfo, licence_registrant> {
public:
    using object_class_info_impl::object_class_info_impl;
};

class category_info_impl : public object_class_info_impl<ICategoryClassInfo, category_registrant> {
public:
    using object_class_info_impl::object_class_info_impl;

    // The entries in key order: the key, then the two texts stored under it. Always a new
    // list, empty for a category without entries.
    TEXT_TRIPLE_LIST* GetCategoryEntries() override {
        return TranslateStdExceptions([&] {
            if (registrant()->entries().empty()) return NewTextTripleList(0);
            return MakeTextTripleList(
                registrant()->entries(), [](const auto& entry) { return entry.first; },
                [](const auto& entry) { return entry.second.first; },
                [](const auto& entry) { return entry.second.second; });
        });
    }
    void FreeCategoryEntries(TEXT_TRIPLE_LIST* entries) override { FreeTextTripleList(entries); }
};

class datatype_class_info_impl
    : public signed_object_class_info_impl<IDatatypeClassInfo, datatype_class_registrant> {
public:
    datatype_class_info_impl(datatype_class_registrant* registrant, std::uint16_t languageId)
        : signed_object_class_info_impl(registrant, languageId), textPairs_(new CObjectClassReferenceCollectionImpl) {
        textPairs_->AddRef();
    }
    ~datatype_class_info_impl() override { textPairs_->Release(); }

    bool HasInitInfo() override { return !registrant()->init_info_factory().empty(); }
    // The record's own collection, refilled from the registrant's text pairs on each call.
    IObjectClassReferenceCollection* GetTextPairs() override {
        return TranslateStdExceptions([&] {
            textPairs_->Clear();
            for (const text_pair& pair : registrant()->text_pairs())
                textPairs_->Add(pair.first.c_str(), pair.second.c_str());
            return static_cast<IObjectClassReferenceCollection*>(textPairs_);
        });
    }

    // Makes an init-information object; null when the class has none.
    IDatatypeInitInfo* CreateInitInfo(const OBJECT_CREATIONCTX* context) const {
        const auto& create = registrant()->init_info_factory();
        return create ? create(context) : nullptr;
    }

private:
    CObjectClassReferenceCollectionImpl* textPairs_;
};

class datatype_converter_class_info_impl
    : public signed_object_class_info_impl<IDatatypeConverterClassInfo, datatype_converter_class_registrant> {
public:
    using signed_object_class_info_impl::signed_object_class_info_impl;

    const char* GetConverterText1() override { return registrant()->first_pair().first.c_str(); }
    const char* GetConverterText2() override { return registrant()->first_pair().second.c_str(); }
    const char* GetConverterText3() override { return registrant()->second_pair().first.c_str(); }
    const char* GetConverterText4() override { return registrant()->second_pair().second.c_str(); }
    std::int32_t GetConverterValue() override { return registrant()->value(); }
};

class datatype_interface_class_info_impl
    : public signed_object_class_info_impl<ISignedObjectClassInfo, datatype_interface_class_registrant> {
public:
    using signed_object_class_info_impl::signed_object_class_info_impl;
};

class patch_storage_class_info_impl
    : public signed_object_class_info_impl<IPatchStorageClassInfo, patch_storage_class_registrant> {
public:
    using signed_object_class_info_impl::signed_object_class_info_impl;

    bool GetStorageFlag1() override { return registrant()->flag(0); }
    bool GetStorageFlag2() override { return registrant()->flag(1); }
    bool GetStorageFlag3() override { return registrant()->flag(2); }
    const char* GetStorageText() override { return registrant()->text().c_str(); }
};

class block_class_info_impl : public signed_object_class_info_impl<ILibraryObjectClassInfo, block_class_registrant> {
public:
    using signed_object_class_info_impl::signed_object_class_info_impl;

    const char* GetLibraryPath() override {
        return text([](const auto& entry) { return entry.library_path(); });
    }
};

} // namespace Vtx
