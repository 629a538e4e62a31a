// vtxhost: a command-line host for catalog modules.
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <string>

#include "tools/vtxhost/Commands.h"

namespace vtxhost {

namespace {

struct Command {
    std::string usage;
    CommandFunction function;
};

std::map<std::string, Command>& Commands() {
    static std::map<std::string, Command> commands;
    return commands;
}

int PrintUsage(FILE* out) {
    std::fprintf(out, "usage: vtxhost COMMAND [ARGUMENTS]\n\ncommands:\n");
    for (const auto& [name, command] : Commands()) std::fprintf(out, "  %s\n", command.usage.c_str());
    return out == stdout ? 0 : 2;
}

} // namespace

CommandRegistrar::CommandRegistrar(const char* name, const char* usage, CommandFunction function) {
    Commands()[name] = Command{usage, function};
}

} // namespace vtxhost

int main(int argc, char** argv) {
    using namespace vtxhost;
    if (argc < 2) return PrintUsage(stderr);
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help"))
        return PrintUsage(stdout);
    auto found = Commands().find(argv[1]);
    if (found == Commands().end()) {
        std::fprintf(stderr, "vtxhost: unknown command \"%s\"\n", argv[1]);
        return PrintUsage(stderr);
    }
    try {
        return found->second.function(argc - 1, argv + 1);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vtxhost: %s\n", e.what());
        return 1;
    }
}
