#pragma once
// The base of a datatype's init-information objects: the serialisation defaults over the
// object base, with the class seen as a plain object class.
#include "sdk/datatype/SerializeImpl.h"
#include "sdk/object/ObjectImpl.h"
#include "vtx/Datatype.h"
#include "vtx/ObjectClass.h"

namespace Vtx {

template <class I>
class CDatatypeInitInfoImpl : public CObjectImpl<CSerializeImpl<I>, IObjectClass> {
public:
    explicit CDatatypeInitInfoImpl(const OBJECT_CREATIONCTX* context) : CObjectImpl<CSerializeImpl<I>, IObjectClass>(context) {}
};

} // namespace Vtx
