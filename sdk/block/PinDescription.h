#pragma once
// The declaration record of one input pin, output pin or parameter of a block: identity,
// texts, datatype and, for a parameter, change permissions, an optional value domain, an
// optional editing layout and optional change listeners. Filled through chained setters:
//
//   pin_description("num_items").set_name("Number of items").set_type("kernel", "int")
//       .set_runtime_change(false).set_int_minimum(0, true);
//
// and handed to AddInputPin, AddOutputPin or AddParameter of the block base.
#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "vtx/Fwd.h"

namespace Vtx {

// State of one domain bound.
enum bound_kind : std::int32_t {
    bound_set_without_flag = 0, // an exclusive bound
    bound_set_with_flag = 1,    // an inclusive bound
    bound_unset = 2,
};

// The bound kind as the host's domains take it: 0 unbounded, 1 inclusive, 2 exclusive.
constexpr std::int32_t host_bound_kind(std::int32_t kind) {
    return kind == bound_set_with_flag ? 1 : kind == bound_set_without_flag ? 2 : 0;
}

template <class T>
struct domain_bounds {
    T minimum{};
    std::int32_t minimum_kind = bound_unset;
    T maximum{};
    std::int32_t maximum_kind = bound_unset;

    // The flag makes the bound inclusive.
    void set_minimum(T value, bool inclusive) {
        minimum = value;
        minimum_kind = inclusive ? bound_set_with_flag : bound_set_without_flag;
    }
    void set_maximum(T value, bool inclusive) {
        maximum = value;
        maximum_kind = inclusive ? bound_set_with_flag : bound_set_without_flag;
    }
};

struct int_domain : domain_bounds<std::int32_t> {};
struct double_domain : domain_bounds<double> {};

using class_identity = std::pair<std::string, std::string>; // (catalog id, class id)

struct combo_layout {
    std::vector<std::string> items;
};

struct filename_layout {
    std::string text;
    bool flag1 = false;
    bool flag2 = false;
    bool flag3 = false;
};

struct foldername_layout {
    bool flag = false;
};

struct datatype_selector_combo_layout {
    std::vector<class_identity> items;
};

struct required_interfaces {
    std::vector<class_identity> items;
};

class pin_description {
public:
    // (old value, current value), called after a parameter took a new value.
    using value_changed_callback = boost::function<void(IDatatype* oldValue, IDatatype* currentValue)>;
    // (new value, current value), called before; false refuses the change.
    using value_changing_callback = boost::function<bool(IDatatype* newValue, IDatatype* currentValue)>;

    explicit pin_description(std::string id);
    // A copy owns copies of the attachments: changing one description never changes another.
    pin_description(const pin_description& other);
    pin_description& operator=(const pin_description& other);
    pin_description(pin_description&&) noexcept = default;
    pin_description& operator=(pin_description&&) noexcept = default;
    ~pin_description();

    // Identity and texts.
    pin_description& set_name(std::string name);
    pin_description& set_description(std::string description);
    pin_description& set_type(std::string catalogId, std::string classId);

    // Input pins: flags 0 and 1 are set together and read as one; flag 2 on its own.
    pin_description& set_input_flags(bool value);
    pin_description& set_input_flag2(bool value);

    // Output pins: a free text, and the id of the input pin whose type the output follows.
    pin_description& set_output_text(std::string text);
    pin_description& set_follows_input(std::string inputPinId);

    // Parameters.
    pin_description& set_creation_word(std::uint32_t word);
    pin_description& set_parameter_flag0(bool value);
    pin_description& set_designtime_change(bool allowed);          // flag 1
    pin_description& set_runtime_change(bool allowed);             // flag 2
    pin_description& set_designtime_initinfo_change(bool allowed); // flag 3
    pin_description& set_runtime_initinfo_change(bool allowed);    // flag 4
    pin_description& set_layout_visible(bool visible);
    pin_description& set_mode_word(std::uint32_t word);
    pin_description& add_value_changed(value_changed_callback callback);
    pin_description& add_value_changing(value_changing_callback callback);

    // Attachments. With setType the value's type becomes the domain's or the list's own
    // ("kernel" "int", "double" or "generic_datatype"); without it the type stays.
    pin_description& attach_int_domain(bool setType = true);
    pin_description& attach_double_domain(bool setType = true);
    pin_description& attach_required_interfaces(bool setType = true);
    // Bound setters attach their domain (without touching the type) when it is missing.
    pin_description& set_int_minimum(std::int32_t value, bool inclusive);
    pin_description& set_int_maximum(std::int32_t value, bool inclusive);
    pin_description& set_double_minimum(double value, bool inclusive);
    pin_description& set_double_maximum(double value, bool inclusive);
    // Attaches the list (without touching the type) when it is missing.
    pin_description& add_required_interface(std::string catalogId, std::string classId);
    // Layouts. Each attaches its layout when it is missing; an empty combo is attached by
    // attach_combo_layout alone.
    pin_description& attach_combo_layout();
    pin_description& add_combo_item(std::string text);
    pin_description& attach_filename_layout(std::string text, bool flag1, bool flag2, bool flag3);
    pin_description& attach_foldername_layout(bool flag);
    pin_description& attach_datatype_selector_combo_layout();
    pin_description& add_datatype_selector_item(std::string catalogId, std::string classId);

    // Queries.
    const std::string& id() const { return id_; }
    const std::string& name() const { return name_; }
    const std::string& description() const { return description_; }
    const std::string& type_catalog() const { return typeCatalog_; }
    const std::string& type_class() const { return typeClass_; }
    bool input_flags() const { return inputFlag0_ && inputFlag1_; }
    bool input_flag0() const { return inputFlag0_; }
    bool input_flag1() const { return inputFlag1_; }
    bool input_flag2() const { return inputFlag2_; }
    const std::string& domain_catalog() const { return domainCatalog_; }
    const std::string& domain_class() const { return domainClass_; }
    const std::string& output_text() const { return outputText_; }
    const std::string& follows_input() const { return followsInput_; }
    std::uint32_t creation_word() const { return creationWord_; }
    bool parameter_flag0() const { return parameterFlags_[0]; }
    bool designtime_change() const { return parameterFlags_[1]; }
    bool runtime_change() const { return parameterFlags_[2]; }
    bool designtime_initinfo_change() const { return parameterFlags_[3]; }
    bool runtime_initinfo_change() const { return parameterFlags_[4]; }
    bool layout_visible() const { return layoutVisible_; }
    std::uint32_t mode_word() const { return modeWord_; }
    const std::vector<value_changed_callback>& value_changed_callbacks() const { return valueChanged_; }
    const std::vector<value_changing_callback>& value_changing_callbacks() const { return valueChanging_; }

    // The attachments; null when not attached.
    const boost::shared_ptr<Vtx::combo_layout>& get_combo_layout() const { return combo_; }
    const boost::shared_ptr<Vtx::filename_layout>& get_filename_layout() const { return filename_; }
    const boost::shared_ptr<Vtx::foldername_layout>& get_foldername_layout() const { return foldername_; }
    const boost::shared_ptr<Vtx::int_domain>& get_int_domain() const { return intDomain_; }
    const boost::shared_ptr<Vtx::double_domain>& get_double_domain() const { return doubleDomain_; }
    const boost::shared_ptr<Vtx::required_interfaces>& get_required_interfaces() const { return required_; }
    const boost::shared_ptr<Vtx::datatype_selector_combo_layout>& get_datatype_selector_combo_layout() const {
        return selector_;
    }

private:
    boost::shared_ptr<Vtx::combo_layout> combo_;
    boost::shared_ptr<Vtx::filename_layout> filename_;
    boost::shared_ptr<Vtx::foldername_layout> foldername_;
    boost::shared_ptr<Vtx::int_domain> intDomain_;
    boost::shared_ptr<Vtx::double_domain> doubleDomain_;
    boost::shared_ptr<Vtx::required_interfaces> required_;
    boost::shared_ptr<Vtx::datatype_selector_combo_layout> selector_;
    std::string id_;
    std::string name_;
    std::string description_;
    std::string typeCatalog_;
    std::string typeClass_;
    bool inputFlag0_ = true;
    bool inputFlag1_ = true;
    bool inputFlag2_ = false;
    std::string domainCatalog_;
    std::string domainClass_;
    std::string outputText_;
    std::string followsInput_;
    std::uint32_t creationWord_ = 0;
    bool parameterFlags_[5] = {true, true, true, true, false};
    bool layoutVisible_ = false;
    std::uint32_t modeWord_ = 0;
    std::vector<value_changed_callback> valueChanged_;
    std::vector<value_changing_callback> valueChanging_;
};

} // namespace Vtx
