#include "platform/Gdi.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>
#include <vector>

namespace platform {

struct GdiObject {
    enum class Kind { Brush, Bitmap };
    explicit GdiObject(Kind k) : kind(k) {}
    virtual ~GdiObject() = default;
    Kind kind;
};

namespace {

struct Brush : GdiObject {
    explicit Brush(COLORREF c) : GdiObject(Kind::Brush), colour(c) {}
    COLORREF colour;
};

struct Bitmap : GdiObject {
    Bitmap() : GdiObject(Kind::Bitmap) {}
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t bitsPerPixel = 0;
    std::int32_t stride = 0;
    std::vector<std::uint8_t> bits;
};

struct Registry {
    std::mutex lock;
    std::unordered_set<const GdiObject*> objects;
    std::unordered_set<const DeviceContext*> contexts;
    std::size_t quota = 10000;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

// Records a new object, or deletes it and answers null when the quota is used up.
GdiObject* Admit(GdiObject* object) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    if (registry.objects.size() >= registry.quota) {
        delete object;
        return nullptr;
    }
    registry.objects.insert(object);
    return object;
}

bool IsLive(const GdiObject* object) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return object && registry.objects.count(object) != 0;
}

std::int32_t StrideOf(std::int32_t width, std::uint32_t bitsPerPixel) {
    const std::int64_t bitsPerRow = static_cast<std::int64_t>(width) * bitsPerPixel;
    return static_cast<std::int32_t>(((bitsPerRow + 31) / 32) * 4);
}

bool ValidDepth(std::uint32_t bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1: case 4: case 8: case 16: case 24: case 32: return true;
    default: return false;
    }
}

// Largest bitmap accepted, in bytes; a guard against sizes that cannot be meant.
constexpr std::int64_t kMaxBitmapBytes = std::int64_t(1) << 30;

} // namespace

struct DeviceContext {
    std::int32_t width;
    std::int32_t height;
    std::vector<COLORREF> pixels;
};

namespace {

bool IsLiveContext(const DeviceContext* context) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return context && registry.contexts.count(context) != 0;
}

} // namespace

HBRUSH CreateSolidBrush(COLORREF colour) {
    return Admit(new (std::nothrow) Brush(colour & 0x00FFFFFF));
}

int FillRect(HDC deviceContext, const RECT* rectangle, HBRUSH brush) {
    if (!rectangle || !IsLiveContext(deviceContext) || !IsLive(brush) || brush->kind != GdiObject::Kind::Brush)
        return 0;
    const COLORREF colour = static_cast<const Brush*>(brush)->colour;
    const std::int32_t left = std::max<std::int32_t>(rectangle->left, 0);
    const std::int32_t top = std::max<std::int32_t>(rectangle->top, 0);
    const std::int32_t right = std::min(rectangle->right, deviceContext->width);
    const std::int32_t bottom = std::min(rectangle->bottom, deviceContext->height);
    for (std::int32_t y = top; y < bottom; ++y)
        for (std::int32_t x = left; x < right; ++x)
            deviceContext->pixels[static_cast<std::size_t>(y) * deviceContext->width + x] = colour;
    return 1;
}

int DeleteObject(HGDIOBJ object) {
    Registry& registry = TheRegistry();
    {
        std::lock_guard<std::mutex> guard(registry.lock);
        if (!object || registry.objects.erase(object) == 0) return 0;
    }
    delete object;
    return 1;
}

HBITMAP CreateBitmap(std::int32_t width, std::int32_t height, std::uint32_t planes,
                     std::uint32_t bitsPerPixel, const void* bits) {
    if (width <= 0 || height <= 0 || planes != 1 || !ValidDepth(bitsPerPixel)) return nullptr;
    const std::int32_t stride = StrideOf(width, bitsPerPixel);
    if (static_cast<std::int64_t>(stride) * height > kMaxBitmapBytes) return nullptr;
    Bitmap* bitmap = new (std::nothrow) Bitmap();
    if (!bitmap) return nullptr;
    try {
        bitmap->bits.assign(static_cast<std::size_t>(stride) * height, 0);
    } catch (const std::bad_alloc&) {
        delete bitmap;
        return nullptr;
    }
    bitmap->width = width;
    bitmap->height = height;
    bitmap->bitsPerPixel = bitsPerPixel;
    bitmap->stride = stride;
    if (bits) std::memcpy(bitmap->bits.data(), bits, bitmap->bits.size());
    return Admit(bitmap);
}

bool GetBitmapInfo(HBITMAP bitmap, BITMAP* info) {
    if (!info || !IsLive(bitmap) || bitmap->kind != GdiObject::Kind::Bitmap) return false;
    const Bitmap* b = static_cast<const Bitmap*>(bitmap);
    info->bmWidth = b->width;
    info->bmHeight = b->height;
    info->bmWidthBytes = b->stride;
    info->bmPlanes = 1;
    info->bmBitsPixel = static_cast<std::uint16_t>(b->bitsPerPixel);
    info->bmBits = b->bits.data();
    return true;
}

HANDLE CopyImage(HANDLE image, std::uint32_t type, std::int32_t width, std::int32_t height, std::uint32_t) {
    GdiObject* object = static_cast<GdiObject*>(image);
    if (type != IMAGE_BITMAP || !IsLive(object) || object->kind != GdiObject::Kind::Bitmap) return nullptr;
    const Bitmap* source = static_cast<const Bitmap*>(object);
    if (width < 0 || height < 0) return nullptr;
    if (width == 0) width = source->width;
    if (height == 0) height = source->height;
    if (width == source->width && height == source->height)
        return CreateBitmap(width, height, 1, source->bitsPerPixel, source->bits.data());
    if (source->bitsPerPixel < 8) return nullptr;
    HBITMAP copy = CreateBitmap(width, height, 1, source->bitsPerPixel, nullptr);
    if (!copy) return nullptr;
    Bitmap* target = static_cast<Bitmap*>(copy);
    const std::size_t bytesPerPixel = source->bitsPerPixel / 8;
    for (std::int32_t y = 0; y < height; ++y) {
        const std::int64_t sy = static_cast<std::int64_t>(y) * source->height / height;
        for (std::int32_t x = 0; x < width; ++x) {
            const std::int64_t sx = static_cast<std::int64_t>(x) * source->width / width;
            std::memcpy(&target->bits[static_cast<std::size_t>(y) * target->stride + x * bytesPerPixel],
                        &source->bits[static_cast<std::size_t>(sy) * source->stride + sx * bytesPerPixel],
                        bytesPerPixel);
        }
    }
    return copy;
}

HDC CreatePixelDC(std::int32_t width, std::int32_t height) {
    if (width < 0 || height < 0) return nullptr;
    if (static_cast<std::int64_t>(width) * height * 4 > kMaxBitmapBytes) return nullptr;
    DeviceContext* context = new (std::nothrow) DeviceContext{width, height, {}};
    if (!context) return nullptr;
    try {
        context->pixels.assign(static_cast<std::size_t>(width) * height, RGB(0, 0, 0));
    } catch (const std::bad_alloc&) {
        delete context;
        return nullptr;
    }
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.contexts.insert(context);
    return context;
}

int DeleteDC(HDC deviceContext) {
    Registry& registry = TheRegistry();
    {
        std::lock_guard<std::mutex> guard(registry.lock);
        if (!deviceContext || registry.contexts.erase(deviceContext) == 0) return 0;
    }
    delete deviceContext;
    return 1;
}

COLORREF GetPixel(HDC deviceContext, std::int32_t x, std::int32_t y) {
    if (!IsLiveContext(deviceContext)) return CLR_INVALID;
    if (x < 0 || y < 0 || x >= deviceContext->width || y >= deviceContext->height) return CLR_INVALID;
    return deviceContext->pixels[static_cast<std::size_t>(y) * deviceContext->width + x];
}

void SetGdiObjectQuota(std::size_t quota) {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.quota = quota;
}

std::size_t GetGdiObjectQuota() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.quota;
}

std::size_t GetGdiObjectCount() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    return registry.objects.size();
}

} // namespace platform
