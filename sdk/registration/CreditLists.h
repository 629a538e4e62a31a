#pragma once
// The credits of a class registrant: identifiers of the author, company and licence
// registrants it names, and its category triples. Each list leads back to its registrant,
// so that add() continues the declaration chain on the registrant.
#include <list>
#include <string>
#include <utility>

#include "sdk/registration/CuriouslyRecurringPatternHelper.h"

namespace Vtx {

struct category_triple {
    std::string first;
    std::string second;
    std::string third;
};

template <class R, class Element>
class object_class_credits : public curiosly_recurring_pattern_helper<R> {
public:
    using element_type = Element;

    object_class_credits() = default;
    // Copies the elements; the copy leads nowhere until its registrant attaches it.
    object_class_credits(const object_class_credits&) = default;

    R& add(Element element) {
        items_.push_back(std::move(element));
        return this->this_class_ref();
    }

    const std::list<Element>& items() const { return items_; }
    bool empty() const { return items_.empty(); }

    // Points the list at its registrant and runs the list's hook with it.
    void attach_to(R& registrant) { this->complete_construction(&registrant); }

private:
    std::list<Element> items_;
};

template <class R>
class object_class_authors : public object_class_credits<R, std::string> {};

template <class R>
class object_class_companies : public object_class_credits<R, std::string> {};

template <class R>
class object_class_licences : public object_class_credits<R, std::string> {};

template <class R>
class object_class_categories : public object_class_credits<R, category_triple> {
public:
    using object_class_credits<R, category_triple>::add;
    R& add(std::string first, std::string second, std::string third) {
        return add(category_triple{std::move(first), std::move(second), std::move(third)});
    }
};

} // namespace Vtx
