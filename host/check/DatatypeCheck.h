#pragma once
// Conformance checks of a datatype class, made on objects the kernel services create: its
// binary form round-trips and refuses a truncated or oversized form without changing the
// value, its text form round-trips, and CopyFrom, IsEqual and Swap agree.
#include <string>

#include "vtx/Fwd.h"

namespace vtxhost {

class CCheckReport;
class CKernelServices;

// Adds the checks of the class ("datatype CLASS: binary form", ...) to the report.
void CheckDatatypeClass(CKernelServices& kernel, const std::string& catalogId, const std::string& classId,
                        CCheckReport& report);

// Gives the value another value of its class, found by loading altered copies of its own
// binary form; false when the class took none of them. Used to make fresh values.
bool ChangeDatatypeValue(Vtx::IDatatype* value);

} // namespace vtxhost
