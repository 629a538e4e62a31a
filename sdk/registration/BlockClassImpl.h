#pragma once
// An implementation of the block class object, for hosts built on this SDK: the class
// identifier, four texts, a bitmap, the catalog, two reference collections, two words and
// six keyed text maps. The module itself never makes one; its blocks only read the class
// the host passes them.
#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "platform/Gdi.h"
#include "sdk/object/CollectionInstances.h"
#include "sdk/object/Exceptions.h"
#include "sdk/object/ReferenceCounting.h"
#include "vtx/BlockClass.h"

namespace Vtx {

template <class I>
class CObjectClassImpl : public ulx::default_destroy<ulx::default_delete<ulx::reference_counted_class_impl<I>>> {
public:
    // The catalog object is not reference-held: it must outlive the class.
    CObjectClassImpl(std::string classId, IObjectClass* catalog) : classId_(std::move(classId)), catalog_(catalog) {}
    CObjectClassImpl(const CObjectClassImpl&) = delete;
    CObjectClassImpl& operator=(const CObjectClassImpl&) = delete;
    // Deletes the bitmap.
    ~CObjectClassImpl() override { ReplaceBitmap(nullptr); }

    const char* GetClassId() override { return classId_.c_str(); }
    const char* GetText1() override { return texts_[0].c_str(); }
    const char* GetText2() override { return texts_[1].c_str(); }
    const char* GetText3() override { return texts_[2].c_str(); }
    const char* GetText4() override { return texts_[3].c_str(); }
    BitmapHandle GetBitmap() override { return bitmap_; }
    IObjectClass* GetCatalog() override { return catalog_; }

protected:
    // Text 1 to 4; a null text reads empty.
    void StoreText(std::size_t number, const char* text) {
        TranslateStdExceptions([&] { texts_.at(number - 1) = text ? text : ""; });
    }
    // Deletes the stored bitmap and keeps the given one (null for none).
    void ReplaceBitmap(BitmapHandle bitmap) {
        if (bitmap_) platform::DeleteObject(static_cast<platform::HBITMAP>(bitmap_));
        bitmap_ = bitmap;
    }

private:
    std::string classId_;
    std::array<std::string, 4> texts_;
    BitmapHandle bitmap_ = nullptr;
    IObjectClass* catalog_;
};

template <class I>
class CSignedObjectClassImpl : public CObjectClassImpl<I> {
public:
    CSignedObjectClassImpl(std::string classId, IObjectClass* catalog)
        : CObjectClassImpl<I>(std::move(classId), catalog) {
        // The embedded collections live and die with this object; the references taken
        // here keep a host's balanced AddRef/Release from ever deleting them.
        objectClasses_.AddRef();
        categories_.AddRef();
    }

    IObjectClassCollection<IObjectClass>* GetObjectClasses() override { return &objectClasses_; }
    std::uint32_t GetWord1() override { return words_[0]; }
    std::uint32_t GetWord2() override { return words_[1]; }
    IObjectClassCollection<ICategoryItemReference>* GetCategories() override { return &categories_; }

    void SetWords(std::uint32_t word1, std::uint32_t word2) { words_ = {word1, word2}; }

private:
    CObjectClassObjectCollectionImpl objectClasses_;
    std::array<std::uint32_t, 2> words_{};
    CCategoryItemReferenceCollectionImpl categories_;
};

class CBlockClassImpl : public CSignedObjectClassImpl<IBlockClass> {
public:
    CBlockClassImpl(std::string classId, IObjectClass* catalog);

    void SetText1(const char* text) override { StoreText(1, text); }
    void SetText2(const char* text) override { StoreText(2, text); }
    void SetText3(const char* text) override { StoreText(3, text); }
    void SetText4(const char* text) override { StoreText(4, text); }
    // Keeps a copy of the bitmap; a bitmap that cannot be copied leaves none.
    void SetBitmap(BitmapHandle bitmap) override;

    void SetKeyedText1(const char* key, const char* value) override { Store(0, key, value); }
    const char* GetKeyedText1(const char* key) override { return Find(0, key); }
    void SetKeyedText2(const char* key, const char* value) override { Store(1, key, value); }
    const char* GetKeyedText2(const char* key) override { return Find(1, key); }
    void SetKeyedText3(const char* key, const char* value) override { Store(2, key, value); }
    const char* GetKeyedText3(const char* key) override { return Find(2, key); }
    void SetKeyedText4(const char* key, const char* value) override { Store(3, key, value); }
    const char* GetKeyedText4(const char* key) override { return Find(3, key); }
    void SetKeyedText5(const char* key, const char* value) override { Store(4, key, value); }
    const char* GetKeyedText5(const char* key) override { return Find(4, key); }
    void SetKeyedText6(const char* key, const char* value) override { Store(5, key, value); }
    const char* GetKeyedText6(const char* key) override { return Find(5, key); }

private:
    void Store(std::size_t map, const char* key, const char* value);
    const char* Find(std::size_t map, const char* key);

    std::array<std::map<std::string, std::string>, 6> maps_;
};

} // namespace Vtx
