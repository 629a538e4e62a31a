#pragma once
// The sub-commands of vtxhost. Each lives in its own file and registers itself at start-up.
#include <string>
#include <vector>

namespace vtxhost {

// Runs the command with its own arguments (argv[0] is the command name); the exit code.
using CommandFunction = int (*)(int argc, char** argv);

struct CommandRegistrar {
    // usage is the command's synopsis line ("run PATCH [--activations N]"); help, when given,
    // is what `vtxhost help COMMAND` prints below it: what the command does, one paragraph,
    // then its options.
    CommandRegistrar(const char* name, const char* usage, CommandFunction function, const char* help = nullptr);
};

// Every command's name, synopsis and help text, in name order (what `vtxhost help` prints).
struct CommandText {
    std::string name;
    std::string usage;
    std::string help;
};
std::vector<CommandText> CommandTexts();

// Prints "usage: vtxhost USAGE" of the command on standard error and answers the usage
// exit status, for commands that found their arguments wrong.
int UsageError(const char* name);

} // namespace vtxhost
