// vtxhost: a command-line host for catalog modules.
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <new>
#include <string>

#include "host/run/MemoryBudget.h"
#include "module/ModuleState.h"
#include "tools/vtxhost/Commands.h"
#include "tools/vtxhost/ExitStatus.h"

#ifndef VTXHOST_VERSION
#define VTXHOST_VERSION "unknown"
#endif

namespace vtxhost {

namespace {

struct Command {
    std::string usage;
    CommandFunction function;
    std::string help;
};

std::map<std::string, Command>& Commands() {
    static std::map<std::string, Command> commands;
    return commands;
}

void PrintOverview(FILE* out) {
    std::fprintf(out, "usage: vtxhost COMMAND [ARGUMENTS]\n\ncommands:\n");
    for (const auto& [name, command] : Commands()) std::fprintf(out, "  %s\n", command.usage.c_str());
    std::fprintf(out,
                 "\n`vtxhost help COMMAND` or `vtxhost COMMAND --help` describes one command;"
                 " `vtxhost --version` prints the version.\n");
}

void PrintHelp(const Command& command) {
    std::printf("usage: vtxhost %s\n", command.usage.c_str());
    if (!command.help.empty()) std::printf("\n%s", command.help.c_str());
}

bool IsHelpOption(const char* argument) { return !std::strcmp(argument, "--help") || !std::strcmp(argument, "-h"); }

// vtxhost help [COMMAND]
int Help(int argc, char** argv) {
    if (argc == 1) {
        PrintOverview(stdout);
        return kExitSuccess;
    }
    auto found = Commands().find(argv[1]);
    if (argc > 2 || found == Commands().end()) {
        if (argc == 2) std::fprintf(stderr, "vtxhost help: unknown command \"%s\"\n", argv[1]);
        PrintOverview(stderr);
        return kExitUsage;
    }
    PrintHelp(found->second);
    return kExitSuccess;
}

const CommandRegistrar helpRegistrar("help", "help [COMMAND]", Help,
                                     "Lists the commands, or describes one command and its options.\n");

} // namespace

CommandRegistrar::CommandRegistrar(const char* name, const char* usage, CommandFunction function, const char* help) {
    Commands()[name] = Command{usage, function, help ? help : ""};
}

std::vector<CommandText> CommandTexts() {
    std::vector<CommandText> texts;
    for (const auto& [name, command] : Commands()) texts.push_back(CommandText{name, command.usage, command.help});
    return texts;
}

int UsageError(const char* name) {
    auto found = Commands().find(name);
    if (found != Commands().end()) std::fprintf(stderr, "usage: vtxhost %s\n", found->second.usage.c_str());
    std::fprintf(stderr, "(`vtxhost help %s` describes the options)\n", name);
    return kExitUsage;
}

} // namespace vtxhost

int main(int argc, char** argv) {
    using namespace vtxhost;
    if (argc < 2) {
        PrintOverview(stderr);
        return kExitUsage;
    }
    if (IsHelpOption(argv[1])) {
        PrintOverview(stdout);
        return kExitSuccess;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::printf("vtxhost %s (catalog SDK %s)\n", VTXHOST_VERSION, Vtx::kSdkVersion);
        return kExitSuccess;
    }
    auto found = Commands().find(argv[1]);
    if (found == Commands().end()) {
        std::fprintf(stderr, "vtxhost: unknown command \"%s\"\n", argv[1]);
        PrintOverview(stderr);
        return kExitUsage;
    }
    for (int i = 2; i < argc; ++i) {
        if (IsHelpOption(argv[i])) {
            PrintHelp(found->second);
            return kExitSuccess;
        }
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
