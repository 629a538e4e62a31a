#pragma once
// Conformance checks of a block class: the block is created through the kernel services,
// builds its signature, takes a changed value for each parameter its domain allows, runs
// through Init, Start, a number of Executes with fresh input values, Stop, Done and
// DoneInstance, and its stored signature gives a second block the same parameter values,
// before and after the changes. Every report of a trapped exception fails the step.
#include <string>

namespace vtxhost {

class CCheckReport;
class CCountingKernelServices;

// Adds the checks of the class ("block CLASS: ...") to the report; the blocks it makes are
// counted by the kernel services.
void CheckBlockClass(CCountingKernelServices& kernel, const std::string& catalogId, const std::string& classId,
                     CCheckReport& report, int executions = 5);

} // namespace vtxhost
