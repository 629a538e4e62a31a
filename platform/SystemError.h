#pragma once
// System error texts, as FormatMessageA(FROM_SYSTEM) gives them: the text for the code,
// ending with a line break.
#include <cstdint>
#include <string>

namespace platform {

std::string FormatSystemMessage(std::uint32_t code);

} // namespace platform
