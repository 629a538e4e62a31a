#include "state/ModuleLanguage.h"

#include <stdexcept>

namespace Vtx {

namespace {

// "us" for English (United States), "it" for Italian, the global locale for any other id
// and whenever the named locale cannot be made on this system.
std::locale LocaleFor(std::uint16_t languageId) {
    const char* name = languageId == 1033 ? "us" : languageId == 1040 ? "it" : nullptr;
    if (!name) return std::locale();
    try {
        return std::locale(name);
    } catch (const std::runtime_error&) {
        return std::locale();
    }
}

struct ModuleLanguageState {
    std::uint16_t languageId = 1033;
    std::locale locale = LocaleFor(1033);
};

ModuleLanguageState& State() {
    static ModuleLanguageState state;
    return state;
}

} // namespace

std::uint16_t GetModuleLanguage() { return State().languageId; }

void SetModuleLanguage(std::uint16_t languageId) {
    ModuleLanguageState& state = State();
    if (languageId != state.languageId) state.locale = LocaleFor(languageId);
    state.languageId = languageId;
}

const std::locale& GetModuleLocale() { return State().locale; }

} // namespace Vtx
