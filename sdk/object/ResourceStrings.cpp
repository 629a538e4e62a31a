#include "sdk/object/ResourceStrings.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "state/ModuleState.h"
#include "platform/Resources.h"
#include "state/ModuleLanguage.h"

namespace ulx {

int LanguageIdOfLocaleName(const std::string& name) {
    if (name == "C") return 0;
    if (name == "English_United States.1252" || name.rfind("en_US", 0) == 0) return 1033;
    if (name == "Italian_Italy.1252" || name.rfind("it_IT", 0) == 0) return 1040;
    return -1;
}

resource_table_messages<char>::catalog resource_table_messages<char>::do_open(const std::string& name,
                                                                             const std::locale& locale) const {
    if (!name.empty()) return -1;
    return LanguageIdOfLocaleName(locale.name());
}

resource_table_messages<char>::string_type resource_table_messages<char>::do_get(
    catalog languageId, int set, int messageId, const string_type& fallback) const {
    // A string table is stored in blocks of sixteen strings; block n + 1 holds ids 16n..16n+15.
    const std::uintptr_t block = static_cast<std::uintptr_t>((messageId >> 4) + 1);
    platform::HMODULE module = reinterpret_cast<platform::HMODULE>(static_cast<std::intptr_t>(set));
    platform::HRSRC resource =
        platform::FindResourceExA(module, platform::RT_STRING, block, static_cast<platform::LANGID>(languageId));
    if (!resource) return fallback;
    platform::HGLOBAL handle = platform::LoadResource(module, resource);
    const auto* units = static_cast<const std::uint16_t*>(platform::LockResource(handle));
    if (!units) return fallback;
    const std::size_t total = platform::SizeofResource(module, resource) / sizeof(std::uint16_t);

    // Each entry is a 16-bit length followed by that many UTF-16 units.
    std::size_t at = 0;
    for (int skip = messageId & 15; skip > 0; --skip) {
        if (at >= total) return fallback;
        at += 1 + units[at];
    }
    if (at >= total) return fallback;
    const std::size_t length = units[at];
    if (at + 1 + length > total) return fallback;
    if (length == 0) return std::string();

    std::vector<wchar_t> wide(length + 1, L'\0');
    for (std::size_t i = 0; i < length; ++i) wide[i] = static_cast<wchar_t>(units[at + 1 + i]);
    std::vector<char> narrow(length, '\0');
    if (std::wcstombs(narrow.data(), wide.data(), length) == static_cast<std::size_t>(-1)) return fallback;
    return std::string(narrow.data(), length);
}

std::string load_resource_string(int id) {
    resource_table_messages<char> facet(1);  // lives on the stack, never owned by a locale
    const std::messages<char>& messages = facet;
    const std::messages_base::catalog catalog = messages.open(std::string(), Vtx::GetModuleLocale());
    if (catalog < 0) return std::string();
    // The set argument of std::messages is an int; our module handles are opaque and never
    // dereferenced, and every handle names the image the code is linked into.
    const int set = static_cast<int>(reinterpret_cast<std::intptr_t>(Vtx::GetModuleHandle()));
    std::string text = messages.get(catalog, set, id, std::string());
    messages.close(catalog);
    return text;
}

std::string basic_resource_string<char>::str() const {
    if (const std::string* text = boost::any_cast<std::string>(&value_)) return *text;
    const resource_info& info = boost::any_cast<const resource_info&>(value_);
    std::string text = info.facet
        ? info.facet->get(info.catalog, static_cast<int>(reinterpret_cast<std::intptr_t>(info.set)),
                          static_cast<int>(info.messageId), info.fallback)
        : info.fallback;
    value_ = text;
    return text;
}

} // namespace ulx
