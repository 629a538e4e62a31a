#pragma once
// The concrete registrant kinds other than the block class registrant: the catalog, the
// credits (author, company, licence, category) and the datatype, datatype converter,
// datatype interface and patch storage classes.
#include <array>
#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <utility>

#include <boost/function.hpp>

#include "sdk/registration/ObjectRegistrant.h"
#include "vtx/Fwd.h"

namespace Vtx {

using text_pair = std::pair<std::string, std::string>;

// The catalog itself: its identity, texts, bitmap and property sets become the module
// signature's own data.
class catalog_class_registrant : public object_class_registrant<catalog_class_registrant> {
public:
    explicit catalog_class_registrant(std::string classId) : object_class_registrant(std::move(classId)) {
        complete_construction(this);
    }
    catalog_class_registrant(const catalog_class_registrant& other) : object_class_registrant(other) {
        complete_construction(this);
    }
};

class author_registrant : public object_registrant<author_registrant> {
public:
    explicit author_registrant(std::string classId) : object_registrant(std::move(classId)) {
        complete_construction(this);
    }
    author_registrant(const author_registrant& other) : object_registrant(other) { complete_construction(this); }
};

class company_registrant : public object_registrant<company_registrant> {
public:
    explicit company_registrant(std::string classId) : object_registrant(std::move(classId)) {
        complete_construction(this);
    }
    company_registrant(const company_registrant& other) : object_registrant(other) { complete_construction(this); }
};

class licence_registrant : public object_registrant<licence_registrant> {
public:
    explicit licence_registrant(std::string classId) : object_registrant(std::move(classId)) {
        complete_construction(this);
    }
    licence_registrant(const licence_registrant& other) : object_registrant(other) { complete_construction(this); }
};

class category_registrant : public object_registrant<category_registrant> {
public:
    using entry_map = std::map<std::string, text_pair>;

    explicit category_registrant(std::string classId) : object_registrant(std::move(classId)) {
        complete_construction(this);
    }
    category_registrant(const category_registrant& other) : object_registrant(other), entries_(other.entries_) {
        complete_construction(this);
    }

    // Adds or replaces the entry under the key.
    category_registrant& entry(std::string key, std::string second, std::string third) {
        entries_[std::move(key)] = text_pair(std::move(second), std::move(third));
        return this_class_ref();
    }
    const entry_map& entries() const { return entries_; }

private:
    entry_map entries_;
};

class datatype_class_registrant : public object_class_registrant<datatype_class_registrant> {
public:
    using init_info_function = boost::function<IDatatypeInitInfo*(const OBJECT_CREATIONCTX*)>;

    explicit datatype_class_registrant(std::string classId) : object_class_registrant(std::move(classId)) {
        complete_construction(this);
    }
    datatype_class_registrant(const datatype_class_registrant& other)
        : object_class_registrant(other), textPairs_(other.textPairs_), initInfoFactory_(other.initInfoFactory_) {
        complete_construction(this);
    }

    datatype_class_registrant& text_pair(std::string first, std::string second) {
        textPairs_.emplace_back(std::move(first), std::move(second));
        return this_class_ref();
    }
    const std::list<Vtx::text_pair>& text_pairs() const { return textPairs_; }

    // The creation function of the class's init-information objects; empty by default.
    datatype_class_registrant& init_info_factory(init_info_function function) {
        initInfoFactory_ = std::move(function);
        return this_class_ref();
    }
    const init_info_function& init_info_factory() const { return initInfoFactory_; }

private:
    std::list<Vtx::text_pair> textPairs_;
    init_info_function initInfoFactory_;
};

class datatype_converter_class_registrant : public object_class_registrant<datatype_converter_class_registrant> {
public:
    explicit datatype_converter_class_registrant(std::string classId) : object_class_registrant(std::move(classId)) {
        complete_construction(this);
    }
    datatype_converter_class_registrant(const datatype_converter_class_registrant& other)
        : object_class_registrant(other), first_(other.first_), second_(other.second_), value_(other.value_) {
        complete_construction(this);
    }

    datatype_converter_class_registrant& first_pair(std::string a, std::string b) {
        first_ = Vtx::text_pair(std::move(a), std::move(b));
        return this_class_ref();
    }
    datatype_converter_class_registrant& second_pair(std::string a, std::string b) {
        second_ = Vtx::text_pair(std::move(a), std::move(b));
        return this_class_ref();
    }
    datatype_converter_class_registrant& value(std::int32_t value) {
        value_ = value;
        return this_class_ref();
    }
    const Vtx::text_pair& first_pair() const { return first_; }
    const Vtx::text_pair& second_pair() const { return second_; }
    std::int32_t value() const { return value_; }

private:
    Vtx::text_pair first_;
    Vtx::text_pair second_;
    std::int32_t value_ = 2;
};

class datatype_interface_class_registrant : public object_class_registrant<datatype_interface_class_registrant> {
public:
    explicit datatype_interface_class_registrant(std::string classId) : object_class_registrant(std::move(classId)) {
        complete_construction(this);
    }
    datatype_interface_class_registrant(const datatype_interface_class_registrant& other)
        : object_class_registrant(other) {
        complete_construction(this);
    }
};

class patch_storage_class_registrant : public object_class_registrant<patch_storage_class_registrant> {
public:
    explicit patch_storage_class_registrant(std::string classId) : object_class_registrant(std::move(classId)) {
        complete_construction(this);
    }
    patch_storage_class_registrant(const patch_storage_class_registrant& other)
        : object_class_registrant(other), flags_(other.flags_), text_(other.text_) {
        complete_construction(this);
    }

    // Flag 0, 1 or 2; std::out_of_range for any other index.
    patch_storage_class_registrant& flag(std::size_t index, bool value) {
        flags_.at(index) = value;
        return this_class_ref();
    }
    patch_storage_class_registrant& text(std::string value) {
        text_ = std::move(value);
        return this_class_ref();
    }
    bool flag(std::size_t index) const { return flags_.at(index); }
    const std::string& text() const { return text_; }

private:
    std::array<bool, 3> flags_{{true, true, true}};
    std::string text_;
};

} // namespace Vtx
