#include "sdk/block/PinDescription.h"

namespace Vtx {

namespace {

template <class T>
boost::shared_ptr<T> DeepCopy(const boost::shared_ptr<T>& attachment) {
    return attachment ? boost::shared_ptr<T>(new T(*attachment)) : boost::shared_ptr<T>();
}

} // namespace

pin_description::pin_description(std::string id) : id_(std::move(id)) {}

pin_description::pin_description(const pin_description& other)
    : combo_(DeepCopy(other.combo_)),
      filename_(DeepCopy(other.filename_)),
      foldername_(DeepCopy(other.foldername_)),
      intDomain_(DeepCopy(other.intDomain_)),
      doubleDomain_(DeepCopy(other.doubleDomain_)),
      required_(DeepCopy(other.required_)),
      selector_(DeepCopy(other.selector_)),
      id_(other.id_),
      name_(other.name_),
      description_(other.description_),
      typeCatalog_(other.typeCatalog_),
      typeClass_(other.typeClass_),
      inputFlag0_(other.inputFlag0_),
      inputFlag1_(other.inputFlag1_),
      inputFlag2_(other.inputFlag2_),
      domainCatalog_(other.domainCatalog_),
      domainClass_(other.domainClass_),
      outputText_(other.outputText_),
      followsInput_(other.followsInput_),
      creationWord_(other.creationWord_),
      layoutVisible_(other.layoutVisible_),
      modeWord_(other.modeWord_),
      valueChanged_(other.valueChanged_),
      valueChanging_(other.valueChanging_) {
    for (int i = 0; i < 5; ++i) parameterFlags_[i] = other.parameterFlags_[i];
}

pin_description& pin_description::operator=(const pin_description& other) {
    if (this != &other) {
        pin_description copy(other);
        *this = std::move(copy);
    }
    return *this;
}

pin_description::~pin_description() = default;

pin_description& pin_description::set_name(std::string name) {
    name_ = std::move(name);
    return *this;
}

pin_description& pin_description::set_description(std::string description) {
    description_ = std::move(description);
    return *this;
}

pin_description& pin_description::set_type(std::string catalogId, std::string classId) {
    typeCatalog_ = std::move(catalogId);
    typeClass_ = std::move(classId);
    return *this;
}

pin_description& pin_description::set_input_flags(bool value) {
    inputFlag0_ = inputFlag1_ = value;
    return *this;
}

pin_description& pin_description::set_input_flag2(bool value) {
    inputFlag2_ = value;
    return *this;
}

pin_description& pin_description::set_output_text(std::string text) {
    outputText_ = std::move(text);
    return *this;
}

pin_description& pin_description::set_follows_input(std::string inputPinId) {
    followsInput_ = std::move(inputPinId);
    return *this;
}

pin_description& pin_description::set_creation_word(std::uint32_t word) {
    creationWord_ = word;
    return *this;
}

pin_description& pin_description::set_parameter_flag0(bool value) {
    parameterFlags_[0] = value;
    return *this;
}

pin_description& pin_description::set_designtime_change(bool allowed) {
    parameterFlags_[1] = allowed;
    return *this;
}

pin_description& pin_description::set_runtime_change(bool allowed) {
    parameterFlags_[2] = allowed;
    return *this;
}

pin_description& pin_description::set_designtime_initinfo_change(bool allowed) {
    parameterFlags_[3] = allowed;
    return *this;
}

pin_description& pin_description::set_runtime_initinfo_change(bool allowed) {
    parameterFlags_[4] = allowed;
    return *this;
}

pin_description& pin_description::set_layout_visible(bool visible) {
    layoutVisible_ = visible;
    return *this;
}

pin_description& pin_description::set_mode_word(std::uint32_t word) {
    modeWord_ = word;
    return *this;
}

pin_description& pin_description::add_value_changed(value_changed_callback callback) {
    valueChanged_.push_back(std::move(callback));
    return *this;
}

pin_description& pin_description::add_value_changing(value_changing_callback callback) {
    valueChanging_.push_back(std::move(callback));
    return *this;
}

pin_description& pin_description::attach_int_domain(bool setType) {
    intDomain_.reset(new Vtx::int_domain());
    domainCatalog_ = "kernel";
    domainClass_ = "int-domain";
    if (setType) set_type("kernel", "int");
    return *this;
}

pin_description& pin_description::attach_double_domain(bool setType) {
    doubleDomain_.reset(new Vtx::double_domain());
    domainCatalog_ = "kernel";
    domainClass_ = "double-domain";
    if (setType) set_type("kernel", "double");
    return *this;
}

pin_description& pin_description::attach_required_interfaces(bool setType) {
    required_.reset(new Vtx::required_interfaces());
    if (setType) set_type("kernel", "generic_datatype");
    return *this;
}

pin_description& pin_description::set_int_minimum(std::int32_t value, bool inclusive) {
    if (!intDomain_) attach_int_domain(false);
    intDomain_->set_minimum(value, inclusive);
    return *this;
}

pin_description& pin_description::set_int_maximum(std::int32_t value, bool inclusive) {
    if (!intDomain_) attach_int_domain(false);
    intDomain_->set_maximum(value, inclusive);
    return *this;
}

pin_description& pin_description::set_double_minimum(double value, bool inclusive) {
    if (!doubleDomain_) attach_double_domain(false);
    doubleDomain_->set_minimum(value, inclusive);
    return *this;
}

pin_description& pin_description::set_double_maximum(double value, bool inclusive) {
    if (!doubleDomain_) attach_double_domain(false);
    doubleDomain_->set_maximum(value, inclusive);
    return *this;
}

pin_description& pin_description::add_required_interface(std::string catalogId, std::string classId) {
    if (!required_) attach_required_interfaces(false);
    required_->items.emplace_back(std::move(catalogId), std::move(classId));
    return *this;
}

pin_description& pin_description::attach_combo_layout() {
    combo_.reset(new Vtx::combo_layout());
    return *this;
}

pin_description& pin_description::add_combo_item(std::string text) {
    if (!combo_) attach_combo_layout();
    combo_->items.push_back(std::move(text));
    return *this;
}

pin_description& pin_description::attach_filename_layout(std::string text, bool flag1, bool flag2, bool flag3) {
    filename_.reset(new Vtx::filename_layout{std::move(text), flag1, flag2, flag3});
    return *this;
}

pin_description& pin_description::attach_foldername_layout(bool flag) {
    foldername_.reset(new Vtx::foldername_layout{flag});
    return *this;
}

pin_description& pin_description::attach_datatype_selector_combo_layout() {
    selector_.reset(new Vtx::datatype_selector_combo_layout());
    return *this;
}

pin_description& pin_description::add_datatype_selector_item(std::string catalogId, std::string classId) {
    if (!selector_) attach_datatype_selector_combo_layout();
    selector_->items.emplace_back(std::move(catalogId), std::move(classId));
    return *this;
}

} // namespace Vtx
