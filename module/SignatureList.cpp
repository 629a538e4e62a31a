// Placeholder until the module signature lands: the list stays empty.
#include "module/SignatureList.h"

namespace Vtx {

std::int32_t GetSignatureCount() { return 0; }
std::uint16_t GetSignatureLanguageId(std::int32_t) { return 0; }
void BuildSignatures(std::uint16_t) {}
IDllSignature* FindSignature(std::uint16_t) { return nullptr; }
IDllSignature* FirstSignature() { return nullptr; }
void DeleteSignatures() {}

} // namespace Vtx
