#pragma once
// The two create functions a datatype class registration carries, as templates over the
// concrete classes. The new object has count 0; the caller takes the first reference.
#include <new>

#include "sdk/object/Exceptions.h"
#include "vtx/Datatype.h"
#include "vtx/Object.h"

namespace Vtx {

// Null when the allocation fails; a std::exception from the constructor becomes a
// CStdExceptionImpl, the Vtx exceptions (a bad creation context) pass unchanged.
template <class T>
IDatatype* CreateDatatypeInstance(const OBJECT_CREATIONCTX* context) {
    return TranslateStdExceptions([context]() -> IDatatype* { return new (std::nothrow) T(context); });
}

template <class T>
IDatatypeInitInfo* CreateDatatypeInitInfoInstance(const OBJECT_CREATIONCTX* context) {
    return TranslateStdExceptions([context]() -> IDatatypeInitInfo* { return new (std::nothrow) T(context); });
}

} // namespace Vtx
