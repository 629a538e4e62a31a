#pragma once
// Runs vtxhost with the given arguments as a user runs it: its exit status and what it wrote
// to its standard output.
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

struct ToolRun {
    int status;
    std::string output;
};

inline ToolRun RunVtxhost(const std::string& arguments) {
    FILE* pipe = popen((std::string(VTX_HOST_TOOL_PATH) + " " + arguments).c_str(), "r");
    if (!pipe) return {-1, ""};
    std::string output;
    std::array<char, 4096> buffer;
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) output.append(buffer.data(), n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}
