#pragma once
// The class object of a block class. The host owns it and hands it to every block it
// creates, in the creation context; a block reads its class identifier and its catalog.
#include <cstdint>

#include "vtx/Collection.h"
#include "vtx/ObjectClass.h"
#include "vtx/ObjectClassReference.h"

namespace Vtx {

struct IBlockClass : IObjectClass {
    // Classes the block class refers to; not reference-held.
    virtual IObjectClassCollection<IObjectClass>* GetObjectClasses() = 0;
    virtual std::uint32_t GetWord1() = 0;
    virtual std::uint32_t GetWord2() = 0;
    // The categories the class is filed under; not reference-held.
    virtual IObjectClassCollection<ICategoryItemReference>* GetCategories() = 0;

    virtual void SetText1(const char* text) = 0;
    virtual void SetText2(const char* text) = 0;
    virtual void SetText3(const char* text) = 0;
    virtual void SetText4(const char* text) = 0;
    // Stores a copy of the bitmap (null clears it); the caller keeps its own.
    virtual void SetBitmap(BitmapHandle bitmap) = 0;

    // Six keyed text maps. A setter inserts or replaces; a getter answers null for a key
    // that was never set. Returned texts stay valid until the key is set again.
    virtual void SetKeyedText1(const char* key, const char* value) = 0;
    virtual const char* GetKeyedText1(const char* key) = 0;
    virtual void SetKeyedText2(const char* key, const char* value) = 0;
    virtual const char* GetKeyedText2(const char* key) = 0;
    virtual void SetKeyedText3(const char* key, const char* value) = 0;
    virtual const char* GetKeyedText3(const char* key) = 0;
    virtual void SetKeyedText4(const char* key, const char* value) = 0;
    virtual const char* GetKeyedText4(const char* key) = 0;
    virtual void SetKeyedText5(const char* key, const char* value) = 0;
    virtual const char* GetKeyedText5(const char* key) = 0;
    virtual void SetKeyedText6(const char* key, const char* value) = 0;
    virtual const char* GetKeyedText6(const char* key) = 0;

protected:
    virtual ~IBlockClass() = default;
};

} // namespace Vtx
