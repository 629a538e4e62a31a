#pragma once
// The module's signatures, one per language, built once on the first signature request.
#include <cstdint>

#include "vtx/Fwd.h"

namespace Vtx {

std::int32_t GetSignatureCount();
// The language id of the signature at the index; 0 when there is no such signature.
std::uint16_t GetSignatureLanguageId(std::int32_t index);
// The one-shot build; does work only on its first run in the life of the module.
void BuildSignatures(std::uint16_t languageId);
// The first signature of the given language, or null.
IDllSignature* FindSignature(std::uint16_t languageId);
// The first signature of the list, or null when it is empty.
IDllSignature* FirstSignature();
// Deletes every signature and empties the list.
void DeleteSignatures();

} // namespace Vtx
