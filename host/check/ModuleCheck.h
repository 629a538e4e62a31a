#pragma once
// The check layer, the highest of the host: the validator behind vtxhost check. It loads
// a module, then builds, exercises and releases every class it offers through counting
// kernel services, and reports what is wrong. It may include every layer below it.
//
// The conformance check of a catalog module, through its exports only, as a host sees it:
// the entry points and identity texts; the module signature of every language the module
// lists and the fallback for one it does not; every record's texts and lists; bitmaps;
// every datatype class (host/check/DatatypeCheck.h) and every block class (host/check/BlockCheck.h);
// and, at the end, that every object the module obtained or created was released.
#include <string>

namespace vtxhost {

class CCheckReport;

// Adds every check's result to the report; a module that cannot be loaded, or offers no
// signature, ends the check early with that failure.
void CheckModule(const std::string& path, CCheckReport& report);

} // namespace vtxhost
