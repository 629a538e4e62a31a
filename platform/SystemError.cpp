#include "platform/SystemError.h"

#include <cstring>

namespace platform {

std::string FormatSystemMessage(std::uint32_t code) {
    char buffer[256];
    buffer[0] = '\0';
    // The GNU strerror_r returns the text pointer; it may or may not use the buffer.
    const char* text = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
    std::string message = text ? text : "";
    message += "\r\n";
    return message;
}

} // namespace platform
