#include "sdk/registration/RegistrationLists.h"

namespace Vtx {

void DeleteRegistrationLists() {
    registration_list<catalog_class_registrant>::destroy();
    registration_list<datatype_class_registrant>::destroy();
    registration_list<datatype_converter_class_registrant>::destroy();
    registration_list<datatype_interface_class_registrant>::destroy();
    registration_list<block_class_registrant>::destroy();
    registration_list<patch_storage_class_registrant>::destroy();
    registration_list<author_registrant>::destroy();
    registration_list<company_registrant>::destroy();
    registration_list<licence_registrant>::destroy();
    registration_list<category_registrant>::destroy();
}

} // namespace Vtx
