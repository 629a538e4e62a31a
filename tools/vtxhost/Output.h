#pragma once
// Standard output as a command's result: a write that fails (a full disk, a closed or
// broken pipe, a closed descriptor) makes the command fail with the reason on standard
// error instead of being lost.

#include <string>

namespace vtxhost {

// At start-up: SIGPIPE ignored, so that a reader that went away shows as a failed write
// (EPIPE) the command can report; a closed standard output descriptor is taken by a
// descriptor that refuses writes, so that no file the command opens takes its place.
void PrepareStandardOutput();

// Flushes standard output (stdio and iostreams); true when everything written so far has
// reached it. On failure, the reason is printed once on standard error, after "vtxhost
// COMMAND: ".
bool StandardOutputWritten(const char* command);

// An error message as one line: trailing line breaks dropped (module texts often end with
// one) and every other control character or stray byte escaped, so that a name or text
// taken from a file or a module cannot print a line of its own.
std::string ErrorLine(std::string message);

} // namespace vtxhost
