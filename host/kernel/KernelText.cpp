#include "host/kernel/KernelText.h"

#include "sdk/object/Exceptions.h"
#include "vtx/Serialize.h"

namespace vtxhost {

IAppendsText* CTextAppender::KernelView(Vtx::IDatatype* value) {
    // Kernel datatypes are classes of the host itself: a module's value is not searched for
    // an interface it cannot have (a failed search is the dearest cast there is).
    if (!Vtx::IsInLastingImage(&typeid(*value))) return nullptr;
    return Vtx::CachedDynamicCast<IAppendsText>(value, last_);
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
