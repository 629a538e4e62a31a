#pragma once
// The base of every instance the host asks the catalog to create: it checks the creation
// context and records identifier, class and kernel services.
#include <cstdint>
#include <type_traits>

#include "sdk/object/Exceptions.h"
#include "sdk/object/MessageTable.h"
#include "sdk/object/ReferenceCounting.h"
#include "vtx/KernelServices.h"
#include "vtx/Object.h"

namespace Vtx {

// The settings view of a kernel services object: the second base of the same object.
inline IKernelSettings* SettingsOf(IKernelServices* services) {
    return CachedDynamicCast<IKernelSettings>(services);
}

template <class T, class IClass>
class CObjectImpl : public ulx::default_delete<ulx::reference_counted_class_impl<T>> {
public:
    explicit CObjectImpl(const OBJECT_CREATIONCTX* context) {
        if (!context) throw CLogicExceptionImpl(Messages::kNullCreationContext);
        if (context->objectId == 0) throw CLogicExceptionImpl(Messages::kNullObjectIdentifier);
        if (!context->kernelServices) throw CLogicExceptionImpl(Messages::kNullKernelServices);
        objectIdLow_ = static_cast<std::uint32_t>(context->objectId);
        objectIdHigh_ = static_cast<std::uint32_t>(context->objectId >> 32);
        if constexpr (std::is_same_v<IClass, IObjectClass>) {
            objectClass_ = context->objectClass;
        } else {
            objectClass_ = context->objectClass ? interface_cast<IClass>(context->objectClass) : nullptr;
        }
        kernelServices_ = context->kernelServices;
        IKernelSettings* settings = SettingsOf(kernelServices_);
        abortTimeout_ = settings ? settings->GetInt64Setting("kernel", "abort_timeout") : 0;
    }

    // Destruction is the kernel's decision; the count is not touched.
    std::int32_t Destroy() override { return kernelServices_->DestroyObject(this); }

    void DeleteInstance() override { delete this; }

    std::uint64_t GetObjectIdentifier() override {
        return (static_cast<std::uint64_t>(objectIdHigh_) << 32) | objectIdLow_;
    }
    IObjectClass* GetObjectClass() override { return objectClass_; }
    IClass* GetTypedObjectClass() override { return objectClass_; }
    IKernelServices* GetKernelServices() override { return kernelServices_; }
    IKernelServices* GetKernelServices() const override { return kernelServices_; }
    // The settings view of the kernel services: the second base of the same object.
    IKernelSettings* GetKernelSettings() const { return SettingsOf(kernelServices_); }

    // The class as the implementation's own class interface.
    IClass* GetClass() const { return objectClass_; }
    std::int64_t GetAbortTimeout() const { return abortTimeout_; }

private:
    IKernelServices* kernelServices_ = nullptr;
    std::uint32_t objectIdLow_ = 0;
    std::uint32_t objectIdHigh_ = 0;
    IClass* objectClass_ = nullptr;
    std::int64_t abortTimeout_ = 0;
};

// The layer of objects whose class is a signed class (blocks, datatypes).
template <class T, class IClass>
class CSignedObjectImpl : public CObjectImpl<T, IClass> {
public:
    explicit CSignedObjectImpl(const OBJECT_CREATIONCTX* context) : CObjectImpl<T, IClass>(context) {}
};

} // namespace Vtx
