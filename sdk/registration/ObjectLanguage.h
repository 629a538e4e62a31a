#pragma once
// Per-language texts of a registrant: one entry per language id, holding a name, a
// description and two further texts, and for class registrants a bitmap id (and for block
// classes a library path). Setters store the text and return the entry, so that a
// declaration chain continues on it; owner() leads back to the registrant.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "sdk/object/ResourceStrings.h"
#include "sdk/registration/CuriouslyRecurringPatternHelper.h"

namespace Vtx {

class block_class_registrant;

template <class E, class R>
class object_language_base : public curiosly_recurring_pattern_helper<E> {
public:
    object_language_base(R* owner, std::uint16_t languageId) : owner_(owner), languageId_(languageId) {}
    // Same language id, owner and texts; the helper part starts afresh.
    object_language_base(const object_language_base&) = default;

    // The registrant the entry belongs to.
    R& owner() const {
        if (!owner_) throw std::runtime_error("object_language: the entry has no owner");
        return *owner_;
    }
    void set_owner(R* owner) { owner_ = owner; }
    std::uint16_t language_id() const { return languageId_; }

    E& name(ulx::resource_string text) {
        name_ = std::move(text);
        return this->this_class_ref();
    }
    E& description(ulx::resource_string text) {
        description_ = std::move(text);
        return this->this_class_ref();
    }

    // What the registrant itself declares (credits, categories, the factory) follows
    // owner(): a chain that names it straight after a language's texts stops here with
    // the remedy, rather than with a template error about the language entry.
    template <class T = E>
    void authors() const {
        static_assert(sizeof(T) == 0, "registration chain: call .owner() after the language's texts, before .authors()");
    }
    template <class T = E>
    void companies() const {
        static_assert(sizeof(T) == 0, "registration chain: call .owner() after the language's texts, before .companies()");
    }
    template <class T = E>
    void licences() const {
        static_assert(sizeof(T) == 0, "registration chain: call .owner() after the language's texts, before .licences()");
    }
    template <class T = E>
    void categories() const {
        static_assert(sizeof(T) == 0,
                      "registration chain: call .owner() after the language's texts, before .categories()");
    }
    template <class T = E, class F>
    void factory(F&&) const {
        static_assert(sizeof(T) == 0, "registration chain: call .owner() after the language's texts, before .factory()");
    }

    // The texts, resolved on first read; an unset text reads empty.
    std::string name() const { return name_.str(); }
    std::string description() const { return description_.str(); }
    std::string third_text() const { return thirdText_.str(); }
    std::string fourth_text() const { return fourthText_.str(); }

private:
    R* owner_;
    std::uint16_t languageId_;
    ulx::resource_string name_;
    ulx::resource_string description_;
    ulx::resource_string thirdText_;
    ulx::resource_string fourthText_;
};

template <class E, class R>
class object_class_language_base : public object_language_base<E, R> {
public:
    using object_language_base<E, R>::object_language_base;
};

// The entry type of metadata registrants (authors, companies, licences, categories).
template <class R>
class object_language : public object_class_language_base<object_language<R>, R> {
public:
    object_language(R* owner, std::uint16_t languageId)
        : object_class_language_base<object_language<R>, R>(owner, languageId) {
        this->complete_construction(this);
    }
    object_language(const object_language& other) : object_class_language_base<object_language<R>, R>(other) {
        this->complete_construction(this);
    }
};

// What an entry type adds for one registrant kind: nothing, except for block classes.
template <class E, class R>
class object_class_language_extension {};

template <class E>
class object_class_language_extension<E, block_class_registrant> {
public:
    // Dotted position of the class in the host's library tree.
    E& library_path(ulx::resource_string text) {
        libraryPath_ = std::move(text);
        return static_cast<E&>(*this).this_class_ref();
    }
    std::string library_path() const { return libraryPath_.str(); }

private:
    ulx::resource_string libraryPath_;
};

// The entry type of class registrants.
template <class R>
class object_class_language : public object_class_language_base<object_class_language<R>, R>,
                              public object_class_language_extension<object_class_language<R>, R> {
public:
    object_class_language(R* owner, std::uint16_t languageId)
        : object_class_language_base<object_class_language<R>, R>(owner, languageId) {
        this->complete_construction(this);
    }
    object_class_language(const object_class_language& other)
        : object_class_language_base<object_class_language<R>, R>(other),
          object_class_language_extension<object_class_language<R>, R>(other),
          bitmapId_(other.bitmapId_) {
        this->complete_construction(this);
    }

    // Resource id of the class bitmap; 0 until set.
    object_class_language& bitmap(std::uint32_t id) {
        bitmapId_ = id;
        return this->this_class_ref();
    }
    std::uint32_t bitmap() const { return bitmapId_; }

private:
    std::uint32_t bitmapId_ = 0;
};

} // namespace Vtx
