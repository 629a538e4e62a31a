#pragma once
// The registrant lists that static declarations append to.

namespace Vtx {

// Empties and deletes every registration list that exists, leaving its pointer null.
void DeleteRegistrationLists();

} // namespace Vtx
