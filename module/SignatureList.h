#pragma once
// The module's signatures, one per language, built once on the first signature request
// from the registration lists. The list itself is module-wide state below the SDK
// (state/SignatureList.h); here it is seen with the module's own signature class.
#include <cstdint>

#include "module/DllSignature.h"
#include "state/SignatureList.h"

namespace Vtx {

std::int32_t GetSignatureCount();
// The language id of the signature at the index; 0 when there is no such signature.
std::uint16_t GetSignatureLanguageId(std::int32_t index);
// The one-shot build: on its first run in the life of the module, gives the signature of
// the language the catalog's identity and properties and a record for every registrant.
// Later calls, whatever their language, do nothing. A build that throws is not retried,
// and what it left is never chosen (ChooseSignature answers null from then on).
void BuildSignatures(std::uint16_t languageId);
// The first signature of the given language, or null.
CDllSignatureImpl* FindSignature(std::uint16_t languageId);
// The first signature of the list, or null when it is empty.
CDllSignatureImpl* FirstSignature();
// The signature of the language, else the English (1033) one, else the first, else null;
// null as well after a failed build.
CDllSignatureImpl* ChooseSignature(std::uint16_t languageId);
// BuildSignatures, then ChooseSignature: what every create operation asks first. The
// signature of the language chosen last is answered without either, as the list never
// loses a signature before DeleteSignatures.
CDllSignatureImpl* BuildAndChooseSignature(std::uint16_t languageId);
// The signature of the language; a new one appended to the list when there is none.
CDllSignatureImpl* GetOrCreateSignature(std::uint16_t languageId);
// Deletes every signature and empties the list.
void DeleteSignatures();
// Deletes every signature and lets the next request build again. The module never does
// this; in-process tests do, to build from registrations they declare themselves.
void ResetSignatureBuild();

} // namespace Vtx
