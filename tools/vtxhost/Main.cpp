// vtxhost: a command-line host for catalog modules.
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <exception>
#include <map>
#include <new>
#include <string>

#include "host/run/MemoryBudget.h"
#include "module/ModuleState.h"
#include "tools/vtxhost/Commands.h"
#include "tools/vtxhost/ExitStatus.h"
#include "tools/vtxhost/Output.h"

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

// The options of every command that take the next argument as their value.
bool TakesValue(const char* argument) {
    for (const char* option : {"--activations", "--trace-level", "--memory-limit", "--set", "--language", "--bitmaps"})
        if (!std::strcmp(argument, option)) return true;
    return false;
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

namespace vtxhost {

namespace {

int Dispatch(int argc, char** argv) {
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
        // "--set --help" sets a value; it does not ask for help.
        if (IsHelpOption(argv[i]) && !TakesValue(argv[i - 1])) {
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
        std::fprintf(stderr, "vtxhost %s: %s\n", argv[1], ErrorLine(e.what()).c_str());
        return kExitRefused;
    } catch (...) {
        std::fprintf(stderr, "vtxhost %s: a module threw an exception of a type the host does not know\n", argv[1]);
        return kExitRefused;
    }
}

} // namespace

} // namespace vtxhost

int main(int argc, char** argv) {
    using namespace vtxhost;
    PrepareStandardOutput();
    // An exception nothing can catch: thrown by a module's static initialisation through
    // the dynamic loader, or across a frame that does not let exceptions pass.
    std::set_terminate([] {
        static const char text[] = "vtxhost: stopped by an exception that cannot be caught where it was thrown "
                                   "(a module that throws while it loads does this)\n";
        std::fwrite(text, 1, sizeof text - 1, stderr);
        std::abort();
    });
    const int status = Dispatch(argc, argv);
    // A result that did not reach standard output is no success.
    if (!StandardOutputWritten(argc < 2 ? "" : argv[1]) && status == kExitSuccess) return kExitRefused;
    return status;
}
