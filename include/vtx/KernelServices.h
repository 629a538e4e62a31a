#pragma once
// What a catalog relies on from the host's kernel. One host object implements both
// interfaces; the settings are its second base.
#include <cstdint>

#include "vtx/Fwd.h"

namespace Vtx {

struct IKernelServices {
    // Destroys the object; the object's Destroy returns this result.
    virtual std::int32_t DestroyObject(IObject* object) = 0;
    // A new datatype of the class identity, or null; the caller takes the first reference.
    virtual IDatatype* CreateDatatype(const char* catalogId, const char* classId) = 0;
    // A new init-information object of the class identity, or null; the caller takes the first reference.
    virtual IDatatypeInitInfo* CreateDatatypeInitInfo(const char* catalogId, const char* classId) = 0;
    // A new block signature for the block, or null; the caller takes a reference.
    virtual IBlockSignature* CreateBlockSignature(IBlock* block) = 0;
    // A new block layout for the block, or null; the caller takes a reference.
    virtual IBlockLayout* CreateBlockLayout(IBlock* block) = 0;
    // The block's run-time context, or null; the caller takes a reference.
    virtual IRunTimeContext* CreateRunTimeContext(IBlock* block) = 0;
    // The dispatcher blocks send their messages to; not reference-held.
    virtual IMessageDispatcher* GetMessageDispatcher() = 0;
    // The diagnostic log; no reference is added (callers hold one while they write).
    virtual IDiagnosticLog* GetDiagnosticLog() = 0;
    // The block's instance name in its patch, or the empty text for a block the host has
    // not named; valid until the block is renamed or released.
    virtual const char* GetBlockInstanceName(IBlock* block) = 0;
    // The kernel clock (Block.h): current time in 100-ns units, never going back; owned by
    // the kernel services.
    virtual IKernelClock* GetKernelClock() = 0;

protected:
    virtual ~IKernelServices() = default;
};

struct IKernelSettings {
    virtual bool HasSetting(const char* section, const char* name) = 0;
    virtual bool GetBoolSetting(const char* section, const char* name) = 0;
    virtual std::int64_t GetInt64Setting(const char* section, const char* name) = 0;

protected:
    virtual ~IKernelSettings() = default;
};

} // namespace Vtx
