#pragma once
// The module language: the language id and locale under which texts given by resource id
// are looked up.
#include <cstdint>
#include <locale>

namespace Vtx {

std::uint16_t GetModuleLanguage();
// Rebuilds the module locale when the id changes, then stores the id.
void SetModuleLanguage(std::uint16_t languageId);
const std::locale& GetModuleLocale();

} // namespace Vtx
