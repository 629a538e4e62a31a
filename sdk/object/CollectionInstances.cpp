// Every collection the SDK hands out, instantiated once, so that each member compiles for
// each element type.
#include "sdk/object/CollectionInstances.h"

#include "sdk/object/ObjectClassReferenceImpl.h"
#include "vtx/ClassInfo.h"
#include "vtx/ObjectClass.h"
#include "vtx/Property.h"

namespace Vtx {

template class CObjectClassCollectionImpl<ILibraryObjectClassInfoCollection>;
template class CObjectClassCollectionImpl<IDatatypeClassInfoCollection>;
template class CObjectClassCollectionImpl<ISignedObjectClassInfoCollection>;
template class CObjectClassCollectionImpl<IDatatypeConverterClassInfoCollection>;
template class CObjectClassCollectionImpl<IDeviceEnumeratorInfoCollection>;
template class CObjectClassCollectionImpl<IObjectClassInfoCollection>;
template class CObjectClassCollectionImpl<ICategoryClassInfoCollection>;
template class CObjectClassCollectionImpl<IPatchStorageClassInfoCollection>;
template class CObjectClassCollectionImpl<IObjectClassObjectCollection>;
template class CObjectClassCollectionImpl<ICategoryItemReferenceCollection>;
template class CCollectionImpl<IPropertyCollection>;

} // namespace Vtx
