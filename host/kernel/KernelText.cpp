#include "host/kernel/KernelText.h"

#include "sdk/object/CachedCast.h"
#include "sdk/object/Exceptions.h"
#include "vtx/Serialize.h"

namespace vtxhost {

IAppendsText* CTextAppender::KernelView(Vtx::IDatatype* value) {
    const std::type_info* type = &typeid(*value);
    char* source = reinterpret_cast<char*>(value);
    const std::ptrdiff_t sourceOffset = source - static_cast<char*>(dynamic_cast<void*>(value));
    if (type == type_ && sourceOffset == sourceOffset_)
        return appends_ ? reinterpret_cast<IAppendsText*>(source + adjustment_) : nullptr;
    // Kernel datatypes are classes of the host itself: a module's value is not searched for
    // an interface it cannot have (a failed search is the dearest cast there is), nor
    // remembered, as its class may be unloaded and another loaded at its address.
    if (!Vtx::IsInLastingImage(type)) return nullptr;
    IAppendsText* view = dynamic_cast<IAppendsText*>(value);
    type_ = type;
    sourceOffset_ = sourceOffset;
    appends_ = view != nullptr;
    adjustment_ = view ? reinterpret_cast<char*>(view) - source : 0;
    return view;
}

void CTextAppender::Append(Vtx::IDatatype* value, std::string& out) {
    if (!value) return;
    IAppendsText* writer = KernelView(value);
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
}

void AppendTextOf(Vtx::IDatatype* value, std::string& out) {
    CTextAppender writer;
    writer.Append(value, out);
}

} // namespace vtxhost
