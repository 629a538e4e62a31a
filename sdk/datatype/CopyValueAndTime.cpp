#include "sdk/datatype/CopyValueAndTime.h"

#include "sdk/object/Exceptions.h"
#include "sdk/object/MessageTable.h"

namespace Vtx {

void CopyValueAndTime(IDatatype* destination, IDatatype* source) {
    if (!destination || !source) throw CLogicExceptionImpl(Messages::kNullSerializable);
    const DatatypeTime timestamp = source->GetTimestamp();
    destination->CopyFrom(source);
    destination->SetTimestamp(timestamp);
    destination->SetTimeB(source->GetTimeB());
    destination->SetTimeA(source->GetTimeA());
    destination->SetTimeD(source->GetTimeD());
    destination->SetTimeC(source->GetTimeC());
    destination->SetTimeFactor(source->GetTimeFactor());
}

} // namespace Vtx
