#pragma once
// Typed smart pointers over reference-counted interfaces, with factory policies that
// create their objects through the kernel services.
#include <cstddef>

#include "sdk/object/Exceptions.h"
#include "vtx/KernelServices.h"

namespace Vtx {

// Blocks are only held, never created through a smart pointer.
struct CBlockFactory {};

struct CBlockSignatureFactory {
    template <class Block>
    static IBlockSignature* Create(IKernelServices* services, Block* block) {
        return services->CreateBlockSignature(block);
    }
};

struct CBlockLayoutFactory {
    template <class Block>
    static IBlockLayout* Create(IKernelServices* services, Block* block) {
        return services->CreateBlockLayout(block);
    }
};

template <class I>
struct CDatatypeFactory {
    static I* Create(IKernelServices* services, const char* catalogId, const char* classId) {
        return services->CreateDatatype(catalogId, classId);
    }
};

template <class I, class Factory>
class CSmartPtrBase {
public:
    CSmartPtrBase() = default;
    // Only the null literal converts; any other integer is a misuse.
    CSmartPtrBase(int value) {
        if (value != 0) throw CLogicExceptionImpl();
    }
    CSmartPtrBase(std::nullptr_t) {}
    CSmartPtrBase(I* pointer) : pointer_(pointer) {
        if (pointer_) pointer_->AddRef();
    }
    CSmartPtrBase(const CSmartPtrBase& other) : pointer_(other.pointer_) {
        if (pointer_) pointer_->AddRef();
    }
    virtual ~CSmartPtrBase() {
        if (pointer_) pointer_->Release();
    }

    // New reference first, then the old one goes: self-assignment is safe.
    CSmartPtrBase& operator=(I* pointer) {
        if (pointer) pointer->AddRef();
        I* previous = pointer_;
        pointer_ = pointer;
        if (previous) previous->Release();
        return *this;
    }
    CSmartPtrBase& operator=(const CSmartPtrBase& other) { return *this = other.pointer_; }

    I* operator->() const {
        if (!pointer_) throw CLogicExceptionImpl();
        return pointer_;
    }
    I& operator*() const { return *operator->(); }
    I* get() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // Creates the object through the factory; refused when the pointer already holds one.
    template <class... Args>
    I* Create(IKernelServices* services, Args... args) {
        if (pointer_) throw CLogicExceptionImpl();
        pointer_ = Factory::Create(services, args...);
        if (pointer_) pointer_->AddRef();
        return pointer_;
    }

private:
    I* pointer_ = nullptr;
};

template <class I, class Factory>
class CSmartPtr : public CSmartPtrBase<I, Factory> {
public:
    using CSmartPtrBase<I, Factory>::CSmartPtrBase;
    using CSmartPtrBase<I, Factory>::operator=;
    CSmartPtr() = default;
    CSmartPtr(const CSmartPtr&) = default;
    CSmartPtr& operator=(const CSmartPtr& other) {
        CSmartPtrBase<I, Factory>::operator=(other);
        return *this;
    }
    ~CSmartPtr() override = default;
};

} // namespace Vtx
