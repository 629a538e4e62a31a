#pragma once
// The check layer: the validator behind vtxhost check. It loads
// a module, then builds, exercises and releases every class it offers through counting
// kernel services, and reports what is wrong. It may include every layer below it.
//
// The conformance check of a catalog module, through its exports only, as a host sees it:
// the entry points and identity texts; the module signature of every language the module
// lists and the fallback for one it does not; every record's texts and lists; bitmaps;
// every datatype class (host/check/DatatypeCheck.h) and every block class (host/check/BlockCheck.h);
// and, at the end, that every object the module obtained or created was released.
#include <cstdint>
#include <string>
#include <vector>

namespace vtxhost {

class CCheckReport;

// Adds every check's result to the report; a module that cannot be loaded, or offers no
// signature, ends the check early with that failure.
void CheckModule(const std::string& path, CCheckReport& report);

// A language id the list does not hold, to try the fallback with: 0x7FFF, or the nearest
// below it (then above it) that is free. False when the list holds all 65 536 ids.
bool FindUnlistedLanguage(const std::vector<std::uint16_t>& listed, std::uint16_t& unlisted);

} // namespace vtxhost
