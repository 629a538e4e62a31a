#include "sdk/registration/BlockClassImpl.h"

namespace Vtx {

CBlockClassImpl::CBlockClassImpl(std::string classId, IObjectClass* catalog)
    : CSignedObjectClassImpl(std::move(classId), catalog) {}

void CBlockClassImpl::SetBitmap(BitmapHandle bitmap) {
    BitmapHandle copy =
        bitmap ? platform::CopyImage(bitmap, platform::IMAGE_BITMAP, 0, 0, platform::LR_DEFAULTCOLOR) : nullptr;
    ReplaceBitmap(copy);
}

void CBlockClassImpl::Store(std::size_t map, const char* key, const char* value) {
    TranslateStdExceptions([&] { maps_[map][key ? key : ""] = value ? value : ""; });
}

const char* CBlockClassImpl::Find(std::size_t map, const char* key) {
    return TranslateStdExceptions([&]() -> const char* {
        const auto& texts = maps_[map];
        auto found = texts.find(key ? key : "");
        return found == texts.end() ? nullptr : found->second.c_str();
    });
}

} // namespace Vtx
