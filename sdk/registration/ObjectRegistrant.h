#pragma once
// The two registrant bases. A catalog declares each class and each credit as a static
// registrant built by a chain of calls on a temporary and copied into the static object:
//
//   static datatype_class_registrant interval =
//       datatype_class_registrant("Interval")
//           .language(1033).name("Interval").description("...").owner()
//           .authors().add("...")
//           .factory(&CreateInterval);
//
// Every registrant appends itself to the registration list of its kind at the end of its
// construction (the temporary too) and removes itself in its destructor, so after static
// initialisation each list holds the static registrants in declaration order.
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include <boost/format.hpp>
#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/make_shared.hpp>

#include "sdk/object/Exceptions.h"
#include "sdk/registration/ClassProperties.h"
#include "sdk/registration/CreditLists.h"
#include "sdk/registration/CuriouslyRecurringPatternHelper.h"
#include "sdk/registration/ObjectLanguage.h"
#include "sdk/registration/RegistrationLists.h"
#include "vtx/Object.h"

namespace Vtx {

// What both bases share: the identifier, the language entries and list membership.
template <class R, class Language>
class registrant_base : public curiosly_recurring_pattern_helper<R> {
public:
    using language_type = Language;

    explicit registrant_base(std::string classId) : classId_(std::move(classId)) {}
    // The identifier and a new entry of its own for each of the other's entries, in order.
    registrant_base(const registrant_base& other)
        : curiosly_recurring_pattern_helper<R>(other), classId_(other.classId_), languages_(other.languages_) {}

    // Leaves the registration list; a registrant that never finished construction was
    // never listed.
    ~registrant_base() override {
        if (R* self = this->this_class()) registration_list<R>::remove(self);
    }

    const std::string& class_id() const { return classId_; }

    // Appends a new entry for the language (no check for one already present).
    language_type& language(std::uint16_t languageId) {
        languages_.emplace_back(&this->this_class_ref(), languageId);
        return languages_.back();
    }

    // The first entry for the language, else the first entry; a registrant without entries
    // throws "Language <id> not found".
    const language_type& get_language(std::uint16_t languageId) const {
        for (const language_type& entry : languages_)
            if (entry.language_id() == languageId) return entry;
        if (languages_.empty())
            throw std::runtime_error((boost::format("Language %1% not found") % languageId).str());
        return languages_.front();
    }

    const std::list<language_type>& languages() const { return languages_; }
    // Destroys every entry; texts requested afterwards fail as for a registrant without any.
    void clear_languages() { languages_.clear(); }

protected:
    void adopt_languages(R& registrant) {
        for (language_type& entry : languages_) entry.set_owner(&registrant);
    }

private:
    std::string classId_;
    std::list<language_type> languages_;
};

// Base of the author, company, licence and category registrants.
template <class R>
class object_registrant : public registrant_base<R, object_language<R>> {
public:
    explicit object_registrant(std::string classId) : registrant_base<R, object_language<R>>(std::move(classId)) {
        bind_hook();
    }
    object_registrant(const object_registrant& other) : registrant_base<R, object_language<R>>(other) { bind_hook(); }

protected:
    void on_register(R& registrant) {
        this->adopt_languages(registrant);
        registration_list<R>::append(&registrant);
    }

private:
    void bind_hook() {
        this->set_registration_hook([this](R& registrant) { this->on_register(registrant); });
    }
};

// Base of the catalog, datatype, converter, datatype interface, block and patch storage
// registrants.
template <class R>
class object_class_registrant : public registrant_base<R, object_class_language<R>> {
public:
    using create_function = boost::function<IObject*(const OBJECT_CREATIONCTX*)>;
    using property_set_map = std::map<std::string, boost::shared_ptr<object_class_properties<R>>>;

    // The creation function of a class declared without one.
    static IObject* null_factory(const OBJECT_CREATIONCTX*) {
        throw CLogicExceptionImpl("Using object_class_registrant<ThisClass>::null_factory");
    }

    explicit object_class_registrant(std::string classId)
        : registrant_base<R, object_class_language<R>>(std::move(classId)),
          authors_(new object_class_authors<R>),
          companies_(new object_class_companies<R>),
          licences_(new object_class_licences<R>),
          categories_(new object_class_categories<R>),
          factory_(&null_factory) {
        bind_hook();
    }

    object_class_registrant(const object_class_registrant& other)
        : registrant_base<R, object_class_language<R>>(other),
          authors_(new object_class_authors<R>(*other.authors_)),
          companies_(new object_class_companies<R>(*other.companies_)),
          licences_(new object_class_licences<R>(*other.licences_)),
          categories_(new object_class_categories<R>(*other.categories_)),
          factory_(other.factory_) {
        for (const auto& [name, set] : other.propertySets_)
            propertySets_[name] = boost::make_shared<object_class_properties<R>>(*set);
        bind_hook();
    }

    object_class_authors<R>& authors() { return *authors_; }
    object_class_companies<R>& companies() { return *companies_; }
    object_class_licences<R>& licences() { return *licences_; }
    object_class_categories<R>& categories() { return *categories_; }
    const object_class_authors<R>& authors() const { return *authors_; }
    const object_class_companies<R>& companies() const { return *companies_; }
    const object_class_licences<R>& licences() const { return *licences_; }
    const object_class_categories<R>& categories() const { return *categories_; }

    // The set under the name, made empty when there is none yet.
    object_class_properties<R>& property_set(const std::string& name) {
        boost::shared_ptr<object_class_properties<R>>& set = propertySets_[name];
        if (!set) {
            set = boost::make_shared<object_class_properties<R>>();
            set->attach_to(this->this_class_ref());
        }
        return *set;
    }
    // The set under the name; "Property set "<name>" not found" when there is none.
    const object_class_properties<R>& get_property_set(const std::string& name) const {
        auto found = propertySets_.find(name);
        if (found == propertySets_.end())
            throw std::runtime_error((boost::format("Property set \"%1%\" not found") % name).str());
        return *found->second;
    }
    const property_set_map& property_sets() const { return propertySets_; }

    R& factory(create_function function) {
        factory_ = std::move(function);
        return this->this_class_ref();
    }
    const create_function& factory() const { return factory_; }
    // Makes an instance with the creation function.
    IObject* create(const OBJECT_CREATIONCTX* context) const { return factory_(context); }

protected:
    void on_register(R& registrant) {
        authors_->attach_to(registrant);
        companies_->attach_to(registrant);
        licences_->attach_to(registrant);
        categories_->attach_to(registrant);
        for (auto& entry : propertySets_) entry.second->attach_to(registrant);
        this->adopt_languages(registrant);
        registration_list<R>::append(&registrant);
    }

private:
    void bind_hook() {
        this->set_registration_hook([this](R& registrant) { this->on_register(registrant); });
    }

    std::unique_ptr<object_class_authors<R>> authors_;
    std::unique_ptr<object_class_companies<R>> companies_;
    std::unique_ptr<object_class_licences<R>> licences_;
    std::unique_ptr<object_class_categories<R>> categories_;
    property_set_map propertySets_;
    create_function factory_;
};

} // namespace Vtx
