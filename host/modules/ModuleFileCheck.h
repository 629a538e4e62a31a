#pragma once
// Checks made on a module file before it is handed to the dynamic loader, which maps the
// file's segments and touches them: a segment that lies past the end of a truncated file
// kills the process with SIGBUS instead of failing the load. A module must be a regular
// file, an ELF shared object of this machine's class, byte order and architecture, whose
// program headers, segments and section headers all lie inside the file.
#include <string>

namespace vtxhost {

// The reason the file at path cannot be a module, or empty when it passes the checks.
std::string ModuleFileProblem(const std::string& path);

// The path as the dynamic loader must see it: a bare file name ("libX.so") is a file in
// the current folder, not a library to look for in the system's search path.
std::string ModuleLoadPath(const std::string& path);

} // namespace vtxhost
