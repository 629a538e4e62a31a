// vtxhost(1) is made from the same texts as `vtxhost help`: every command's synopsis and
// every line of its help appear in the page, escaped for roff.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/module/ToolRun.h"

namespace {

std::string Roff(const std::string& line) {
    std::string out;
    for (char c : line) {
        if (c == '\\') out += "\\e";
        else if (c == '-') out += "\\-";
        else out += c;
    }
    return out;
}

TEST(Manual, CarriesEveryCommandsSynopsisAndHelp) {
    const ToolRun overview = RunVtxhost("help");
    ASSERT_EQ(overview.status, 0);
    const ToolRun manual = RunVtxhost("manual");
    ASSERT_EQ(manual.status, 0);
    EXPECT_EQ(manual.output.rfind(".TH VTXHOST 1 ", 0), 0u) << manual.output.substr(0, 80);
    std::istringstream lines(overview.output);
    int commands = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  ", 0) != 0) continue;
        const std::string usage = line.substr(2);
        const std::string name = usage.substr(0, usage.find(' '));
        ++commands;
        SCOPED_TRACE(name);
        EXPECT_NE(manual.output.find(".SS " + Roff(name) + "\n.nf\nvtxhost " + Roff(usage) + "\n"), std::string::npos);
        const ToolRun help = RunVtxhost("help " + name);
        std::istringstream helpLines(help.output);
        std::getline(helpLines, line);  // the usage line, above
        for (std::string text; std::getline(helpLines, text);)
            if (!text.empty()) EXPECT_NE(manual.output.find(Roff(text) + "\n"), std::string::npos) << text;
    }
    EXPECT_GE(commands, 8);
}

} // namespace
