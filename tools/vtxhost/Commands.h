#pragma once
// The sub-commands of vtxhost. Each lives in its own file and registers itself at start-up.
#include <string>

namespace vtxhost {

// Runs the command with its own arguments (argv[0] is the command name); the exit code.
using CommandFunction = int (*)(int argc, char** argv);

struct CommandRegistrar {
    CommandRegistrar(const char* name, const char* usage, CommandFunction function);
};

} // namespace vtxhost
