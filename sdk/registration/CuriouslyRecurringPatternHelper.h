#pragma once
// The base of every registrant-side object: a pointer to the object a declaration chain
// continues on, and a registration hook that the most-derived constructor runs as its
// last step.
#include <stdexcept>

#include <boost/function.hpp>

namespace Vtx {

template <class T>
class curiosly_recurring_pattern_helper {
public:
    using hook_type = boost::function<void(T&)>;

    curiosly_recurring_pattern_helper() : hook_(&ignore) {}
    // A copy is a new object: it points to nothing until its own constructor finishes,
    // and it starts with the no-op hook.
    curiosly_recurring_pattern_helper(const curiosly_recurring_pattern_helper&) : hook_(&ignore) {}
    curiosly_recurring_pattern_helper& operator=(const curiosly_recurring_pattern_helper&) = delete;
    virtual ~curiosly_recurring_pattern_helper() = default;

    T& this_class_ref() const {
        if (!this_class_)
            throw std::runtime_error("curiosly_recurring_pattern_helper<ThisClass>::this_class_ref: NULL pointer");
        return *this_class_;
    }
    // The object this one leads to, or null while it is unset.
    T* this_class() const { return this_class_; }

protected:
    void set_this_class(T* object) { this_class_ = object; }
    void set_registration_hook(hook_type hook) { hook_ = std::move(hook); }
    // Runs the hook; an empty hook raises boost::bad_function_call.
    void run_registration_hook(T& object) { hook_(object); }

    // The last step of every most-derived constructor.
    void complete_construction(T* object) {
        set_this_class(object);
        run_registration_hook(*object);
    }

private:
    static void ignore(T&) {}

    T* this_class_ = nullptr;
    hook_type hook_;
};

} // namespace Vtx
