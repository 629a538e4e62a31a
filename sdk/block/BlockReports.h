#pragma once
// What the block base writes to the host: method traces and error entries in the host's
// diagnostic log, and error messages to the block's event dispatcher.
#include <cstdint>
#include <string>
#include <typeinfo>

#include "vtx/Fwd.h"

namespace Vtx {

struct IInt;

namespace BlockTexts {
inline constexpr const char* kMethodTrace = "Block %1%: method %2% %3%\n";
inline constexpr const char* kErrorInMethod = "Block %1%: error in method %2%\n";
inline constexpr const char* kUnhandledException =
    "Block %1%: unhandled exception of type %2% in method %3%; exception message is %4%\n";
inline constexpr const char* kStarting = "starting";
inline constexpr const char* kReturned = "returned";
inline constexpr const char* kTypeVtxException = "Vtx::IException";
inline constexpr const char* kTypeStdException = "std::exception";
inline constexpr const char* kBrushCreationFailed = "CBlockImplBase<T>::DrawNCAreas -- failed to create solid brush\n";
inline constexpr const char* kFillRectFailed = "CBlockImplBase<T>::DrawNCAreas -- FillRect failed\n";
} // namespace BlockTexts

// Trace thresholds: a method is traced when the block's trace level is at least its own.
namespace TraceThreshold {
inline constexpr std::int32_t kLifecycle = 3;  // Init, Check, Start, Stop, Done
inline constexpr std::int32_t kParameter = 4;  // OnChangingParameter, OnChangedParameter
inline constexpr std::int32_t kSignature = 5;  // InitSignature, CheckSignature, DoneSignature
inline constexpr std::int32_t kExecute = 6;
// Error entries go to the log from these levels on (dispatcher messages always go).
inline constexpr std::int32_t kErrorEntry = 2;
inline constexpr std::int32_t kUnhandledEntry = 1;
} // namespace TraceThreshold

// The log of one wrapper call: holds the host's diagnostic log for the length of the call;
// the first entry opens a record, later ones are appended to it. Without a log (the kernel
// services have none) entries are dropped.
class CBlockLogScope {
public:
    explicit CBlockLogScope(IKernelServices* services);
    ~CBlockLogScope();
    CBlockLogScope(const CBlockLogScope&) = delete;
    CBlockLogScope& operator=(const CBlockLogScope&) = delete;

    void Write(std::int32_t severity, const std::string& text);

private:
    IDiagnosticLog* log_ = nullptr;
    bool recordOpen_ = false;
    std::int32_t record_ = 0;
};

// The trace level a block signature carries; a cast exception when its datum is not an
// integer. A block without signature traces nothing (level 0).
std::int32_t ReadTraceLevel(IBlockSignature* signature);

// ReadTraceLevel for the wrappers, which read the level at every trace point: the datum is
// asked from the signature each time, but the interface look-up is made once per datum. The
// reader keeps the last datum, its dynamic type and its integer interface; a datum at the
// same address and of the same type has its integer interface at the same place, so only a
// new datum (or one of another type) is looked up, and refused when it is not an integer.
class CTraceLevelReader {
public:
    std::int32_t Read(IBlockSignature* signature);

private:
    IDatatype* datum_ = nullptr;
    const std::type_info* type_ = nullptr;
    IInt* level_ = nullptr;
};

// The name a block reports under: its instance name; FallbackBlockName gives "catalog::class"
// of its class for a block the host has not named.
std::string BlockInstanceName(IKernelServices* services, IBlock* block);
std::string FallbackBlockName(IObjectClass* blockClass);

std::string FormatMethodTrace(const std::string& blockName, const char* label, const char* phase);
std::string FormatErrorInMethod(const std::string& blockName, const char* label);
std::string FormatUnhandledException(const std::string& blockName, const char* type, const char* label,
                                     const char* message);

// Sends a text to the dispatcher, cut at 511 characters; the text is never read as a
// format. Nothing is sent without a dispatcher.
void SendDispatcherMessage(IMessageDispatcher* dispatcher, IEventSource* source, std::int32_t kind,
                           const std::string& text);

// A channel of nominally 0.0 to 1.0 times 255, truncated toward zero, its low 8 bits; a
// channel that is not a finite number counts as 0.
std::uint8_t ColourChannel(double channel);

} // namespace Vtx
