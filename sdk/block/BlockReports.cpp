#include "sdk/block/BlockReports.h"

#include <boost/format.hpp>

#include <cmath>

#include "sdk/object/Exceptions.h"
#include "vtx/BlockSignature.h"
#include "vtx/DiagnosticLog.h"
#include "vtx/EventSource.h"
#include "vtx/KernelDatatypes.h"
#include "vtx/KernelServices.h"
#include "vtx/MessageDispatcher.h"
#include "vtx/ObjectClass.h"

namespace Vtx {

CBlockLogScope::CBlockLogScope(IKernelServices* services) {
    log_ = services ? services->GetDiagnosticLog() : nullptr;
    if (log_) log_->AddRef();
}

CBlockLogScope::~CBlockLogScope() {
    if (log_) log_->Release();
}

void CBlockLogScope::Write(std::int32_t severity, const std::string& text) {
    if (!log_) return;
    if (!recordOpen_) {
        record_ = log_->BeginRecord(severity, text.c_str());
        recordOpen_ = true;
    } else {
        log_->Append(record_, severity, text.c_str());
    }
}

std::int32_t ReadTraceLevel(IBlockSignature* signature) {
    if (!signature) return 0;
    return interface_cast<IInt>(signature->GetTraceLevel())->GetValue();
}

std::int32_t CTraceLevelReader::Read(IBlockSignature* signature) {
    if (!signature) return 0;
    IDatatype* datum = signature->GetTraceLevel();
    if (!datum || datum != datum_ || typeid(*datum) != *type_) {
        IInt* level = interface_cast<IInt>(datum);
        datum_ = datum;
        type_ = &typeid(*datum);
        level_ = level;
    }
    return level_->GetValue();
}

std::string BlockInstanceName(IKernelServices* services, IBlock* block) {
    const char* name = services ? services->GetBlockInstanceName(block) : nullptr;
    return name ? name : "";
}

std::string FallbackBlockName(IObjectClass* blockClass) {
    std::string catalogId;
    std::string classId;
    if (blockClass) {
        if (const char* id = blockClass->GetClassId()) classId = id;
        if (IObjectClass* catalog = blockClass->GetCatalog())
            if (const char* id = catalog->GetClassId()) catalogId = id;
    }
    return catalogId + "::" + classId;
}

std::string FormatMethodTrace(const std::string& blockName, const char* label, const char* phase) {
    return (boost::format(BlockTexts::kMethodTrace) % blockName % label % phase).str();
}

std::string FormatErrorInMethod(const std::string& blockName, const char* label) {
    return (boost::format(BlockTexts::kErrorInMethod) % blockName % label).str();
}

std::string FormatUnhandledException(const std::string& blockName, const char* type, const char* label,
                                     const char* message) {
    return (boost::format(BlockTexts::kUnhandledException) % blockName % type % label % (message ? message : ""))
        .str();
}

void SendDispatcherMessage(IMessageDispatcher* dispatcher, IEventSource* source, std::int32_t kind,
                           const std::string& text) {
    if (!dispatcher) return;
    const std::string cut = text.substr(0, kMaxDispatcherMessageLength);
    dispatcher->SendMessage(source, kind, cut.c_str());
}

std::uint8_t ColourChannel(double channel) {
    const double scaled = std::trunc(channel * 255.0);
    if (!std::isfinite(scaled)) return 0;
    // The low 8 bits of the integer value, also for values far outside 0..255 and for
    // negative ones (two's complement), without converting out of an integer type's range.
    double low = std::fmod(scaled, 256.0);
    if (low < 0) low += 256.0;
    return static_cast<std::uint8_t>(low);
}

} // namespace Vtx
