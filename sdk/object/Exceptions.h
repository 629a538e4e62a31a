#pragma once
// The exception implementations: one message per object, made when the object is made.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "sdk/object/CachedCast.h"
#include "sdk/object/MessageTable.h"
#include "sdk/object/ReferenceCounting.h"
#include "vtx/Exception.h"

namespace Vtx {

// Longest message a formatted constructor keeps; longer results are cut, not refused.
inline constexpr std::size_t kMaxMessageLength = 511;

namespace detail {

// A format text used without arguments: "%%" reads as "%", every other directive stays as
// written, so no argument that was not given is ever read.
std::string FormatWithoutArguments(const std::string& format);

template <class... Args>
std::string FormatPrintf(const std::string& format, Args... args) {
    if constexpr (sizeof...(Args) == 0) {
        return FormatWithoutArguments(format);
    } else {
        char buffer[kMaxMessageLength + 1];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
        std::snprintf(buffer, sizeof buffer, format.c_str(), args...);
#pragma GCC diagnostic pop
        buffer[kMaxMessageLength] = '\0';
        return buffer;
    }
}

} // namespace detail

template <class I>
class CExceptionImpl : public ulx::default_destroy<ulx::default_delete<ulx::reference_counted_class_impl<I>>> {
public:
    CExceptionImpl() = default;

    // printf convention; a std::exception while formatting leaves the message empty.
    template <class... Args>
    explicit CExceptionImpl(const char* format, Args... args) {
        try {
            message_ = detail::FormatPrintf(format ? std::string(format) : std::string(), args...);
        } catch (const std::exception&) {
            message_.clear();
        }
    }

    CExceptionImpl(const CExceptionImpl&) = default;

    const char* GetMessageText() override { return message_.c_str(); }

protected:
    // For the constructors that build their text themselves (Boost.Format, plain strings).
    void SetMessage(std::string message) { message_ = std::move(message); }

private:
    std::string message_;
};

class CLogicExceptionImpl : public CExceptionImpl<ILogicException> {
public:
    CLogicExceptionImpl();
    template <class... Args>
    explicit CLogicExceptionImpl(const char* format, Args... args) : CExceptionImpl(format, args...) {}
};

class CCastExceptionImpl : public CExceptionImpl<ICastException> {
public:
    CCastExceptionImpl();
};

class CMemoryExceptionImpl : public CExceptionImpl<IMemoryException> {
public:
    CMemoryExceptionImpl();
    explicit CMemoryExceptionImpl(const std::string& message);
    explicit CMemoryExceptionImpl(const void* pointer);
};

class CCollectionExceptionImpl : public CExceptionImpl<ICollectionException> {
public:
    CCollectionExceptionImpl();
    explicit CCollectionExceptionImpl(std::uint64_t instanceId);
    explicit CCollectionExceptionImpl(const void* item);
    explicit CCollectionExceptionImpl(const char* classId);
    CCollectionExceptionImpl(std::int32_t requested, std::int32_t lower, std::int32_t upper);
};

class CIOExceptionImpl : public CExceptionImpl<IIOException> {
public:
    CIOExceptionImpl();
    CIOExceptionImpl(const char* fileName, std::uint32_t systemErrorCode);
};

class CStdExceptionImpl : public CExceptionImpl<IException> {
public:
    explicit CStdExceptionImpl(const std::exception& e);
    CStdExceptionImpl(const std::exception& e, const char* context);
};

// Run-time checked conversion of an object to an interface; CCastExceptionImpl when the
// object does not have it (a null object has no interface).
template <class I, class T>
inline I* interface_cast(T* object) {
    I* result = CachedDynamicCast<I>(object);
    if (!result) throw CCastExceptionImpl();
    return result;
}

// The boundary rule of every host-facing operation whose body uses the standard library:
// Vtx exceptions pass unchanged, a std::exception becomes a CStdExceptionImpl.
template <class F>
decltype(auto) TranslateStdExceptions(F&& body) {
    try {
        return body();
    } catch (const IException&) {
        throw;
    } catch (const std::exception& e) {
        throw CStdExceptionImpl(e);
    }
}

} // namespace Vtx
