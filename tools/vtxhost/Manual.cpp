// vtxhost manual [FILE]: the vtxhost(1) manual page in roff, made from the same texts as
// `vtxhost help` (every command's synopsis and help), so that the two never disagree. The
// build writes it as vtxhost.1 and the package installs it.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/vtxhost/Commands.h"
#include "tools/vtxhost/ExitStatus.h"

#ifndef VTXHOST_VERSION
#define VTXHOST_VERSION "unknown"
#endif

namespace vtxhost {

namespace {

// A text as roff shows it literally: backslashes escaped, no line read as a request.
std::string Roff(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && (c == '.' || c == '\'')) out += "\\&";
        if (c == '\\') out += "\\e";
        else if (c == '-') out += "\\-";
        else out += c;
        lineStart = c == '\n';
    }
    return out;
}

std::string ManualPage() {
    std::string page = ".TH VTXHOST 1 \"\" \"vtxhost " VTXHOST_VERSION "\" \"User Commands\"\n"
                       ".SH NAME\n"
                       "vtxhost \\- inspect, check and run catalog modules of the Vantrix dataflow platform\n"
                       ".SH SYNOPSIS\n"
                       ".nf\n";
    for (const CommandText& command : CommandTexts()) page += "\\fBvtxhost\\fR " + Roff(command.usage) + "\n";
    page += "\\fBvtxhost\\fR \\-\\-version\n"
            ".fi\n"
            ".SH DESCRIPTION\n"
            "A host for catalog modules: it loads modules through their exported entry points, "
            "describes and checks them, and runs patch files of their blocks.\n"
            "\\fBvtxhost help\\fR \\fICOMMAND\\fR prints the section of a command below.\n"
            ".SH COMMANDS\n";
    for (const CommandText& command : CommandTexts()) {
        page += ".SS " + Roff(command.name) + "\n.nf\nvtxhost " + Roff(command.usage) + "\n";
        if (!command.help.empty()) page += "\n" + Roff(command.help);
        page += ".fi\n";
    }
    page += ".SH EXIT STATUS\n"
            ".nf\n"
            "0    the command did what was asked; a run had no block errors\n"
            "1    a patch, module, file or \\-\\-set value was refused (or a block failed to initialise or start)\n"
            "2    the command line was wrong\n"
            "3    the run went on, but a block reported an error or a trapped exception\n"
            "130  interrupted by Ctrl\\-C, after a clean stop of the patch\n"
            ".fi\n"
            ".SH ENVIRONMENT\n"
            ".TP\n"
            ".B VTX_MODULE_PATH\n"
            "Folders, separated by ':', searched first for modules a patch names by catalog id and "
            "listed by \\fBvtxhost list\\fR.\n"
            ".SH FILES\n"
            "The README, the catalog author's guide (GUIDE.md) and the worked example catalog "
            "(examples/sdk) are installed in the documentation folder of the package, "
            "share/doc/vtx\\-sdk under its prefix.\n";
    return page;
}

int Manual(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) return UsageError("manual");
    const std::string page = ManualPage();
    FILE* out = argc == 2 ? std::fopen(argv[1], "w") : stdout;
    if (!out) {
        std::fprintf(stderr, "vtxhost manual: %s cannot be written: %s\n", argv[1], std::strerror(errno));
        return kExitRefused;
    }
    const bool written = std::fwrite(page.data(), 1, page.size(), out) == page.size();
    if (out != stdout && std::fclose(out) != 0) return kExitRefused;
    return written ? kExitSuccess : kExitRefused;
}

const CommandRegistrar registrar("manual", "manual [FILE]", Manual,
                                 "Prints this command reference as the vtxhost(1) manual page in roff (into FILE\n"
                                 "when given), made from the same texts as `vtxhost help`.\n");

} // namespace

} // namespace vtxhost
