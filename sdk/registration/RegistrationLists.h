#pragma once
// The ten module-wide registration lists, one per registrant kind. A list is created by
// the first append, keeps its entries in append order, and is deleted when its last entry
// goes or when the module shuts down. Registration runs during static initialisation on
// the loader's thread; the lists are not synchronised and are only read afterwards.
#include <algorithm>
#include <list>

namespace Vtx {

class catalog_class_registrant;
class datatype_class_registrant;
class datatype_converter_class_registrant;
class datatype_interface_class_registrant;
class block_class_registrant;
class patch_storage_class_registrant;
class author_registrant;
class company_registrant;
class licence_registrant;
class category_registrant;

template <class R>
class registration_list {
public:
    using list_type = std::list<R*>;

    // The list, or null while it is absent.
    static const list_type* get() { return list_; }
    // A copy of the entries, empty when the list is absent; what readers iterate over.
    static list_type snapshot() { return list_ ? *list_ : list_type(); }

    static void append(R* registrant) {
        if (!list_) list_ = new list_type;
        list_->push_back(registrant);
    }

    // Removes every entry equal to the registrant; an emptied list is deleted.
    static void remove(const R* registrant) {
        if (!list_) return;
        list_->remove(const_cast<R*>(registrant));
        if (list_->empty()) destroy();
    }

    // Deletes the list without touching the registrants.
    static void destroy() {
        delete list_;
        list_ = nullptr;
    }

private:
    // Zero-initialised before any static constructor runs.
    static list_type* list_;
};

template <class R>
typename registration_list<R>::list_type* registration_list<R>::list_ = nullptr;

// Empties and deletes every registration list that exists, leaving its pointer null.
void DeleteRegistrationLists();

} // namespace Vtx
