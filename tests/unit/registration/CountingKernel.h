#pragma once
// The host's kernel services, counting the objects constructed through them (each object
// base reads the abort timeout once) and the objects destroyed through them.
#include <cstdint>
#include <string>

#include "host/kernel/KernelServices.h"

struct CountingKernel : vtxhost::CKernelServices {
    int constructed = 0;
    int destroyed = 0;

    std::int32_t DestroyObject(Vtx::IObject* object) override {
        ++destroyed;
        return CKernelServices::DestroyObject(object);
    }
    std::int64_t GetInt64Setting(const char* section, const char* name) override {
        if (std::string(section) == "kernel" && std::string(name) == "abort_timeout") ++constructed;
        return CKernelServices::GetInt64Setting(section, name);
    }

    Vtx::OBJECT_CREATIONCTX Context(std::uint16_t languageId, std::uint64_t objectId = 7) {
        return Vtx::OBJECT_CREATIONCTX{objectId, languageId, nullptr, this};
    }
};
