#include "host/kernel/KernelText.h"

#include <cstring>
#include <typeinfo>

#include "sdk/object/CachedCast.h"
#include "sdk/object/Exceptions.h"
#include "vtx/Serialize.h"

namespace vtxhost {

void AppendTextOf(Vtx::IDatatype* value, std::string& out) {
    if (!value) return;
    // Kernel datatypes are classes of the host itself: a module's value is not searched for
    // an interface it cannot have (a failed search is the dearest cast there is).
    IAppendsText* writer =
        Vtx::IsInLastingImage(&typeid(*value)) ? Vtx::CachedDynamicCast<IAppendsText>(value) : nullptr;
    if (!writer) {
        Vtx::ProducedText text(value);
        if (text) out += text.get();
        return;
    }
    const std::size_t start = out.size();
    try {
        Vtx::TranslateStdExceptions([&] { writer->AppendText(out); });
    } catch (...) {
        out.resize(start);
        throw;
    }
    // SerializeString's text is a C string: it ends at the first zero byte.
    if (const void* zero = std::memchr(out.data() + start, 0, out.size() - start))
        out.resize(static_cast<std::size_t>(static_cast<const char*>(zero) - out.data()));
}

} // namespace vtxhost
