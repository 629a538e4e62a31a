// vtxhost: a command-line host for catalog modules.
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <new>
#include <string>

#include "host/MemoryBudget.h"
#include "tools/vtxhost/Commands.h"
#include "tools/vtxhost/ExitStatus.h"

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
    return out == stdout ? kExitSuccess : kExitUsage;
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
    // Every command loads modules and patches under the budget; run can change it.
    memory_budget::SetLimit(memory_budget::DefaultLimit());
    try {
        return found->second.function(argc - 1, argv + 1);
    } catch (const std::bad_alloc&) {
        memory_budget::Refusal refusal;
        std::fprintf(stderr, "vtxhost %s: out of memory%s\n", argv[1],
                     memory_budget::TakeRefusal(refusal) ? (": " + memory_budget::Describe(refusal)).c_str() : "");
        return kExitRefused;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vtxhost %s: %s\n", argv[1], e.what());
        return kExitRefused;
    }
}
