#pragma once
// Saves a variable, sets it for the length of a scope and restores it on every exit path.
#include <memory>

namespace ulx {
namespace detail {

class scoped_state_saver_impl {
public:
    virtual ~scoped_state_saver_impl() {}
};

template <class T>
class scoped_state_saver_impl_T : public scoped_state_saver_impl {
public:
    scoped_state_saver_impl_T(T* target, T value) : target_(target), saved_(*target) { *target_ = value; }
    ~scoped_state_saver_impl_T() override { *target_ = saved_; }
    scoped_state_saver_impl_T(const scoped_state_saver_impl_T&) = delete;
    scoped_state_saver_impl_T& operator=(const scoped_state_saver_impl_T&) = delete;

private:
    T* target_;
    T saved_;
};

} // namespace detail

// Owning handle of a heap-allocated guard.
using scoped_state_saver = std::unique_ptr<detail::scoped_state_saver_impl>;

template <class T>
scoped_state_saver make_scoped_state_saver(T* target, T value) {
    return scoped_state_saver(new detail::scoped_state_saver_impl_T<T>(target, value));
}

} // namespace ulx
