// Every collection of the SDK whose element interface is known here, instantiated once, so
// that each member compiles for each element type.
#include "sdk/object/CollectionInstances.h"

#include "sdk/object/ObjectClassReferenceImpl.h"
#include "vtx/ObjectClass.h"
#include "vtx/Property.h"

namespace Vtx {

template class CObjectClassCollectionImpl<IObjectClassObjectCollection>;
template class CObjectClassCollectionImpl<ICategoryItemReferenceCollection>;
template class CCollectionImpl<IPropertyCollection>;

} // namespace Vtx
