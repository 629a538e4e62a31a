#pragma once
// The registrant of a block class, and the pin and parameter declarations a block class
// may carry on it (per instance and static). A block class without declarations builds
// its signature at run time.
#include <memory>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "sdk/registration/ObjectRegistrant.h"

namespace Vtx {

// The block framework's pin and parameter declaration.
class pin_description;

class block_class_registrant : public object_class_registrant<block_class_registrant> {
public:
    using declarations = std::vector<boost::shared_ptr<pin_description>>;

    template <class T>
    class block_signature_base : public curiosly_recurring_pattern_helper<T> {
    public:
        explicit block_signature_base(block_class_registrant* owner) : owner_(owner) {}

        declarations& inputs() { return inputs_; }
        declarations& outputs() { return outputs_; }
        declarations& parameters() { return parameters_; }
        block_class_registrant& owner() const { return *owner_; }

        void copy_declarations(const block_signature_base& other) {
            inputs_ = other.inputs_;
            outputs_ = other.outputs_;
            parameters_ = other.parameters_;
        }

    private:
        declarations inputs_;
        declarations outputs_;
        declarations parameters_;
        block_class_registrant* owner_;
    };

    class block_signature : public block_signature_base<block_signature> {
    public:
        explicit block_signature(block_class_registrant* owner) : block_signature_base(owner) {
            complete_construction(this);
        }
    };

    class block_static_signature : public block_signature_base<block_static_signature> {
    public:
        explicit block_static_signature(block_class_registrant* owner) : block_signature_base(owner) {
            complete_construction(this);
        }
    };

    explicit block_class_registrant(std::string classId) : object_class_registrant(std::move(classId)) {
        complete_construction(this);
    }
    // The copy gets signatures of its own holding the same declarations.
    block_class_registrant(const block_class_registrant& other) : object_class_registrant(other) {
        if (other.signature_) signature().copy_declarations(*other.signature_);
        if (other.staticSignature_) static_signature().copy_declarations(*other.staticSignature_);
        complete_construction(this);
    }

    // A new empty signature, replacing (and deleting) the one there was.
    block_signature& signature() {
        signature_.reset(new block_signature(this));
        return *signature_;
    }
    block_static_signature& static_signature() {
        staticSignature_.reset(new block_static_signature(this));
        return *staticSignature_;
    }
    bool has_signature() const { return signature_ != nullptr; }
    bool has_static_signature() const { return staticSignature_ != nullptr; }
    block_signature& get_signature() const {
        if (!signature_) throw std::runtime_error("block_class_registrant does not have a non-static signature");
        return *signature_;
    }
    block_static_signature& get_static_signature() const {
        if (!staticSignature_) throw std::runtime_error("block_class_registrant does not have a static signature");
        return *staticSignature_;
    }

private:
    std::unique_ptr<block_signature> signature_;
    std::unique_ptr<block_static_signature> staticSignature_;
};

} // namespace Vtx
