#pragma once
// The module's signatures, one per language, in the order they were made. Records list
// themselves in them while the module layer builds them from the registrations; the
// module layer hands them to the host and deletes them at detach.
#include <cstdint>
#include <vector>

#include "vtx/DllSignature.h"

namespace Vtx {

// A new, empty signature of the language. Defined by the module layer, which owns the
// signature's implementation; everything below it sees the interface only.
IDllSignature* NewModuleSignature(std::uint16_t languageId);

namespace ModuleSignatures {

std::int32_t Count();
// The language id of the signature at the index; 0 when there is no such signature.
std::uint16_t LanguageIdAt(std::int32_t index);
// The first signature of the given language, or null.
IDllSignature* Find(std::uint16_t languageId);
// The first signature of the list, or null when it is empty.
IDllSignature* First();
// The signature of the language; a new one appended to the list when there is none.
IDllSignature* FindOrCreate(std::uint16_t languageId);
// Empties the list and hands its signatures to the caller.
std::vector<IDllSignature*> TakeAll();

} // namespace ModuleSignatures

} // namespace Vtx
