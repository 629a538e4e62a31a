#include "state/SignatureList.h"

namespace Vtx::ModuleSignatures {

namespace {

// Constant-initialised, so that plain records constructed during static initialisation
// may already create signatures.
std::vector<IDllSignature*>* signatures = nullptr;

std::vector<IDllSignature*>& Signatures() {
    if (!signatures) signatures = new std::vector<IDllSignature*>;
    return *signatures;
}

} // namespace

std::int32_t Count() { return signatures ? static_cast<std::int32_t>(signatures->size()) : 0; }

std::uint16_t LanguageIdAt(std::int32_t index) {
    if (index < 0 || index >= Count()) return 0;
    return (*signatures)[static_cast<std::size_t>(index)]->GetLanguageId();
}

IDllSignature* Find(std::uint16_t languageId) {
    if (!signatures) return nullptr;
    for (IDllSignature* signature : *signatures)
        if (signature->GetLanguageId() == languageId) return signature;
    return nullptr;
}

IDllSignature* First() { return Count() > 0 ? signatures->front() : nullptr; }

IDllSignature* FindOrCreate(std::uint16_t languageId) {
    if (IDllSignature* signature = Find(languageId)) return signature;
    std::vector<IDllSignature*>& list = Signatures();
    // Room first, so that the push cannot fail with the new signature in hand.
    list.reserve(list.size() + 1);
    IDllSignature* signature = NewModuleSignature(languageId);
    list.push_back(signature);
    return signature;
}

std::vector<IDllSignature*> TakeAll() {
    std::vector<IDllSignature*> taken;
    if (signatures) {
        taken.swap(*signatures);
        delete signatures;
        signatures = nullptr;
    }
    return taken;
}

} // namespace Vtx::ModuleSignatures
