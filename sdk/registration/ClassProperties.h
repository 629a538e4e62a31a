#pragma once
// Named property sets of a class registrant: typed values that the module signature
// copies into its property container when it is built from the catalog registrant.
#include <cstdint>
#include <list>
#include <string>
#include <utility>

#include <boost/variant.hpp>

#include "sdk/registration/CuriouslyRecurringPatternHelper.h"

namespace Vtx {

// The four value alternatives, in this order: double, signed 64-bit, text, and a second
// 64-bit kind (unsigned, so that it is a distinct alternative).
using property_value = boost::variant<double, std::int64_t, std::string, std::uint64_t>;

// Property type tags and the alternative each reads.
enum property_type : std::int32_t {
    property_bool = 0,    // signed 64-bit, handed over as true when non-zero
    property_int = 1,     // signed 64-bit, handed over as its low 32 bits
    property_int64 = 2,   // signed 64-bit
    property_float = 3,   // double, narrowed to single precision
    property_double = 4,  // double
    property_text = 5,    // text
    property_int64b = 6,  // second 64-bit kind, handed over divided by 10
};

struct class_property {
    std::string name;
    std::int32_t type;
    property_value value;
};

template <class R>
class object_class_properties : public curiosly_recurring_pattern_helper<R> {
public:
    object_class_properties() = default;
    object_class_properties(const object_class_properties&) = default;

    // Appends a property (no check for a name already present) and returns the registrant.
    R& add(std::string name, std::int32_t type, property_value value) {
        properties_.push_back(class_property{std::move(name), type, std::move(value)});
        return this->this_class_ref();
    }

    const std::list<class_property>& properties() const { return properties_; }

    // Points the set at its registrant and runs the set's hook with it.
    void attach_to(R& registrant) { this->complete_construction(&registrant); }

private:
    std::list<class_property> properties_;
};

} // namespace Vtx
