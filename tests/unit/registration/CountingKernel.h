#pragma once
// The least kernel that objects made through a module signature need: it counts the objects
// constructed (each reads the abort timeout setting once) and destroyed through it, and
// offers nothing else.
#include <cstdint>

#include "vtx/KernelServices.h"
#include "vtx/Object.h"

struct CountingKernel : Vtx::IKernelServices, Vtx::IKernelSettings {
    int constructed = 0;
    int destroyed = 0;

    std::int32_t DestroyObject(Vtx::IObject* object) override {
        ++destroyed;
        object->DeleteInstance();
        return 0;
    }
    Vtx::IDatatype* CreateDatatype(const char*, const char*) override { return nullptr; }
    Vtx::IDatatypeInitInfo* CreateDatatypeInitInfo(const char*, const char*) override { return nullptr; }
    Vtx::IBlockSignature* CreateBlockSignature(Vtx::IBlock*) override { return nullptr; }
    Vtx::IBlockLayout* CreateBlockLayout(Vtx::IBlock*) override { return nullptr; }
    Vtx::IRunTimeContext* CreateRunTimeContext(Vtx::IBlock*) override { return nullptr; }
    Vtx::IMessageDispatcher* GetMessageDispatcher() override { return nullptr; }
    Vtx::IDiagnosticLog* GetDiagnosticLog() override { return nullptr; }
    const char* GetBlockInstanceName(Vtx::IBlock*) override { return ""; }
    Vtx::IKernelClock* GetKernelClock() override { return nullptr; }
    bool HasSetting(const char*, const char*) override { return true; }
    bool GetBoolSetting(const char*, const char*) override { return false; }
    std::int64_t GetInt64Setting(const char*, const char*) override {
        ++constructed;
        return 0;
    }

    Vtx::OBJECT_CREATIONCTX Context(std::uint16_t languageId, std::uint64_t objectId = 7) {
        return Vtx::OBJECT_CREATIONCTX{objectId, languageId, nullptr, this};
    }
};
