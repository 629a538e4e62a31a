#include "sdk/object/Exceptions.h"

#include <boost/format.hpp>

#include "platform/SystemError.h"

namespace Vtx {

namespace detail {

std::string FormatWithoutArguments(const std::string& format) {
    std::string out;
    out.reserve(format.size());
    for (std::size_t i = 0; i < format.size() && out.size() < kMaxMessageLength; ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '%') ++i;
        out += format[i];
    }
    return out;
}

namespace {

// Boost.Format reads printf directives itself; the Windows width prefix of %I64u is not
// one it knows, so it is rewritten to the plain unsigned directive first.
boost::format TableFormat(const char* text) {
    std::string format(text);
    for (std::size_t at = format.find("%I64u"); at != std::string::npos; at = format.find("%I64u", at))
        format.replace(at, 5, "%u");
    return boost::format(format);
}

std::string PointerText(const void* pointer) {
    char buffer[2 * sizeof(void*) + 1];
    std::snprintf(buffer, sizeof buffer, "%0*llX", static_cast<int>(2 * sizeof(void*)),
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(pointer)));
    return buffer;
}

} // namespace
} // namespace detail

CLogicExceptionImpl::CLogicExceptionImpl() : CExceptionImpl("ILogicException") {}

CCastExceptionImpl::CCastExceptionImpl() : CExceptionImpl(Messages::kInvalidTypeCast) {}

CMemoryExceptionImpl::CMemoryExceptionImpl() : CExceptionImpl(Messages::kMemoryAccessError) {}

CMemoryExceptionImpl::CMemoryExceptionImpl(const std::string& message) { SetMessage(message); }

CMemoryExceptionImpl::CMemoryExceptionImpl(const void* pointer) {
    // The pointer is shown in Windows' %p form: upper-case hex digits, full width.
    std::string format(Messages::kInvalidPointer);
    format.replace(format.find("%p"), 2, "%s");
    SetMessage((boost::format(format) % detail::PointerText(pointer)).str());
}

CCollectionExceptionImpl::CCollectionExceptionImpl() : CExceptionImpl(Messages::kItemNotFoundDefault) {}

CCollectionExceptionImpl::CCollectionExceptionImpl(std::uint64_t instanceId) {
    SetMessage((detail::TableFormat(Messages::kItemNotFoundInstanceId) % instanceId).str());
}

CCollectionExceptionImpl::CCollectionExceptionImpl(const void* item) {
    std::string format(Messages::kItemNotFoundPointer);
    format.replace(format.find("%p"), 2, "%s");
    SetMessage((boost::format(format) % detail::PointerText(item)).str());
}

CCollectionExceptionImpl::CCollectionExceptionImpl(const char* classId) {
    SetMessage((detail::TableFormat(Messages::kItemNotFoundClassId) % (classId ? classId : "")).str());
}

CCollectionExceptionImpl::CCollectionExceptionImpl(std::int32_t requested, std::int32_t lower, std::int32_t upper) {
    SetMessage((detail::TableFormat(Messages::kIndexOutOfRange) % lower % upper % requested).str());
}

CIOExceptionImpl::CIOExceptionImpl() : CExceptionImpl(Messages::kFileAccessError) {}

CIOExceptionImpl::CIOExceptionImpl(const char* fileName, std::uint32_t systemErrorCode) {
    std::string message = "Error accessing file \"";
    message += fileName ? fileName : "";
    message += "\".\n";
    message += platform::FormatSystemMessage(systemErrorCode);
    SetMessage(std::move(message));
}

CStdExceptionImpl::CStdExceptionImpl(const std::exception& e) : CExceptionImpl(e.what()) {}

CStdExceptionImpl::CStdExceptionImpl(const std::exception& e, const char* context) {
    SetMessage((boost::format("std::exception (\"%1%\"): %2%\n") % e.what() % (context ? context : "")).str());
}

} // namespace Vtx
