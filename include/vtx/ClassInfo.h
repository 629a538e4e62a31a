#pragma once
// Class-information records: what the module signature tells the host about each class
// the catalog offers (blocks, datatypes, converters, ...) and about the catalog's credits
// (authors, companies, licences, categories). Records are reference counted; the
// signature's collections hold one reference on each.
//
// Text results are owned by the record, or by the calling thread's text buffer; they stay
// valid until the same thread's next text request.
//
// List results (TEXT_LIST, TEXT_TRIPLE_LIST) are new heap structures handed to the caller,
// who frees them with FreeTextList / FreeTextTripleList below. Both sides of the boundary
// use the same allocator convention, written out in the inline functions below: every
// structure, array and text is allocated with std::malloc / std::calloc and freed with
// std::free, which on this platform is the one C runtime shared by the host and all its
// modules. Category entries have their own free operation,
// ICategoryClassInfo::FreeCategoryEntries, which frees them the same way.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "vtx/Fwd.h"
#include "vtx/Object.h"
#include "vtx/ObjectClassReference.h"
#include "vtx/ReferenceCounted.h"

namespace Vtx {

// An array of C texts (each its own heap copy; null entries allowed) and its length.
struct TEXT_LIST {
    char** texts;
    std::int32_t count;
};

struct TEXT_TRIPLE {
    char* first;
    char* second;
    char* third;
};

// An array of text triples and its length.
struct TEXT_TRIPLE_LIST {
    TEXT_TRIPLE* triples;
    std::int32_t count;
};

// A heap copy of the text, null for a null text.
inline char* DuplicateText(const char* text) {
    if (!text) return nullptr;
    char* copy = static_cast<char*>(std::malloc(std::strlen(text) + 1));
    if (!copy) throw std::bad_alloc();
    std::strcpy(copy, text);
    return copy;
}

// Frees a list handed out by a record, its array and every text in it; null is ignored.
inline void FreeTextList(TEXT_LIST* list) {
    if (!list) return;
    for (std::int32_t i = 0; i < list->count; ++i) std::free(list->texts[i]);
    std::free(list->texts);
    std::free(list);
}

// Frees a triple list handed out by a record; null is ignored.
inline void FreeTextTripleList(TEXT_TRIPLE_LIST* list) {
    if (!list) return;
    for (std::int32_t i = 0; i < list->count; ++i) {
        std::free(list->triples[i].first);
        std::free(list->triples[i].second);
        std::free(list->triples[i].third);
    }
    std::free(list->triples);
    std::free(list);
}

// A new list of `count` null texts; std::bad_alloc when memory runs out.
inline TEXT_LIST* NewTextList(std::int32_t count) {
    auto* list = static_cast<TEXT_LIST*>(std::calloc(1, sizeof(TEXT_LIST)));
    if (!list) throw std::bad_alloc();
    if (count > 0) {
        list->texts = static_cast<char**>(std::calloc(static_cast<std::size_t>(count), sizeof(char*)));
        if (!list->texts) {
            std::free(list);
            throw std::bad_alloc();
        }
        list->count = count;
    }
    return list;
}

// A new list of `count` triples of null texts; std::bad_alloc when memory runs out.
inline TEXT_TRIPLE_LIST* NewTextTripleList(std::int32_t count) {
    auto* list = static_cast<TEXT_TRIPLE_LIST*>(std::calloc(1, sizeof(TEXT_TRIPLE_LIST)));
    if (!list) throw std::bad_alloc();
    if (count > 0) {
        list->triples =
            static_cast<TEXT_TRIPLE*>(std::calloc(static_cast<std::size_t>(count), sizeof(TEXT_TRIPLE)));
        if (!list->triples) {
            std::free(list);
            throw std::bad_alloc();
        }
        list->count = count;
    }
    return list;
}

// How a class's instances are made from the host's creation context.
using ObjectCreateFunction = IObject* (*)(const OBJECT_CREATIONCTX* context);
using DatatypeInitInfoCreateFunction = IDatatypeInitInfo* (*)(const OBJECT_CREATIONCTX* context);

// Authors, companies, licences; the root of every class record.
struct IObjectClassInfo : ulx::I_ReferenceCountedClass {
    virtual const char* GetClassId() = 0;
    // Drops the record's descriptive data.
    virtual void Clear() = 0;
    virtual const char* GetName() = 0;
    virtual const char* GetDescription() = 0;
    virtual const char* GetThirdText() = 0;
    virtual const char* GetFourthText() = 0;
    // Resource id of the class bitmap in the module image; 0 for none.
    virtual std::uint32_t GetBitmapId() = 0;

protected:
    ~IObjectClassInfo() = default;
};

struct ICategoryClassInfo : IObjectClassInfo {
    // A new list of the category's entries; free it with FreeCategoryEntries.
    virtual TEXT_TRIPLE_LIST* GetCategoryEntries() = 0;
    virtual void FreeCategoryEntries(TEXT_TRIPLE_LIST* entries) = 0;

protected:
    ~ICategoryClassInfo() = default;
};

// Classes with credits: datatype interfaces, domains, layouts, devices, clocks and the
// kinds below.
struct ISignedObjectClassInfo : IObjectClassInfo {
    // A new list of the credited author identifiers in registration order, or null when
    // there are none; free it with FreeTextList.
    virtual TEXT_LIST* GetAuthorIds() = 0;
    // The first credited company / licence identifier, or null.
    virtual const char* GetCompanyId() = 0;
    virtual const char* GetLicenceId() = 0;
    // A new list of the class's category triples, or null when there are none; free it
    // with FreeTextTripleList.
    virtual TEXT_TRIPLE_LIST* GetTextTriples() = 0;

protected:
    ~ISignedObjectClassInfo() = default;
};

// Blocks and subpatches: classes with a place in the host's library tree.
struct ILibraryObjectClassInfo : ISignedObjectClassInfo {
    // Dotted position in the library tree, for example "DataStructures.LabelledSet".
    virtual const char* GetLibraryPath() = 0;

protected:
    ~ILibraryObjectClassInfo() = default;
};

struct IDatatypeClassInfo : ISignedObjectClassInfo {
    // Whether the class makes init-information objects.
    virtual bool HasInitInfo() = 0;
    // Text pairs (catalog id, class id) kept by the record; not reference-held.
    virtual IObjectClassReferenceCollection* GetTextPairs() = 0;

protected:
    ~IDatatypeClassInfo() = default;
};

struct IDatatypeConverterClassInfo : ISignedObjectClassInfo {
    virtual const char* GetConverterText1() = 0;
    virtual const char* GetConverterText2() = 0;
    virtual const char* GetConverterText3() = 0;
    virtual const char* GetConverterText4() = 0;
    virtual std::int32_t GetConverterValue() = 0;

protected:
    ~IDatatypeConverterClassInfo() = default;
};

struct IPatchStorageClassInfo : ISignedObjectClassInfo {
    virtual bool GetStorageFlag1() = 0;
    virtual bool GetStorageFlag2() = 0;
    virtual bool GetStorageFlag3() = 0;
    virtual const char* GetStorageText() = 0;

protected:
    ~IPatchStorageClassInfo() = default;
};

// Device enumerators are not object classes: an identifier and one flag.
struct IDeviceEnumeratorInfo : ulx::I_ReferenceCountedClass {
    virtual const char* GetClassId() = 0;
    // Does nothing.
    virtual void Clear() = 0;
    virtual bool GetFlag() = 0;

protected:
    ~IDeviceEnumeratorInfo() = default;
};

} // namespace Vtx
