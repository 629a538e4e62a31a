#pragma once
// Runs vtxhost with the given arguments as a user runs it: its exit status and what it wrote
// to its standard output (and, with RunVtxhostSplit, to its standard error apart).
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

struct ToolRun {
    int status;
    std::string output;
    std::string errors;
};

// Runs the shell command line; its standard output, exit status and, when errorFile is
// given, what it wrote there.
inline ToolRun RunCommand(const std::string& command, const std::string& errorFile = "") {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, "", ""};
    std::string output;
    std::array<char, 4096> buffer;
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) output.append(buffer.data(), n);
    const int status = pclose(pipe);
    std::string errors;
    if (!errorFile.empty()) {
        std::ifstream in(errorFile, std::ios::binary);
        errors.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        std::remove(errorFile.c_str());
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output, errors};
}

inline ToolRun RunVtxhost(const std::string& arguments) {
    return RunCommand(std::string(VTX_HOST_TOOL_PATH) + " " + arguments);
}

// prefix comes before the tool on the command line ("cd DIR &&", "NAME=VALUE").
inline ToolRun RunVtxhostSplit(const std::string& arguments, const std::string& prefix = "") {
    const std::string errorFile = "/tmp/vtxhost_errors_" + std::to_string(::getpid()) + ".txt";
    return RunCommand(prefix + " " + VTX_HOST_TOOL_PATH + " " + arguments + " 2>" + errorFile, errorFile);
}
