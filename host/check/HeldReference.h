#pragma once
// One reference on a reference-counted object, taken on construction (when not null) and
// given back on destruction.
#include <utility>

namespace vtxhost {

template <class T>
class CHeldReference {
public:
    CHeldReference() = default;
    explicit CHeldReference(T* object) : object_(object) {
        if (object_) object_->AddRef();
    }
    ~CHeldReference() { reset(); }
    CHeldReference(const CHeldReference&) = delete;
    CHeldReference& operator=(const CHeldReference&) = delete;
    CHeldReference(CHeldReference&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    CHeldReference& operator=(CHeldReference&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void reset() {
        if (object_) std::exchange(object_, nullptr)->Release();
    }

private:
    T* object_ = nullptr;
};

} // namespace vtxhost
