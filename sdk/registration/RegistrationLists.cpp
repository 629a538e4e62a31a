// Placeholder until the registrant framework lands: there are no lists yet.
#include "sdk/registration/RegistrationLists.h"

namespace Vtx {

void DeleteRegistrationLists() {}

} // namespace Vtx
