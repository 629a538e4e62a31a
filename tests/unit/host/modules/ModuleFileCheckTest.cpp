#include <gtest/gtest.h>

#include <elf.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "host/run/MemoryBudget.h"
#include "host/modules/ModuleFileCheck.h"
#include "host/patch/StoredSignature.h"
#include "vtx/Domain.h"

namespace {

const std::vector<char>& ModuleBytes() {
    static const std::vector<char> bytes = [] {
        std::ifstream file(VTX_MODULE_PATH, std::ios::binary | std::ios::ate);
        std::vector<char> read(static_cast<std::size_t>(file.tellg()));
        file.seekg(0);
        file.read(read.data(), static_cast<std::streamsize>(read.size()));
        return read;
    }();
    return bytes;
}

// The problem found in a copy of the built module changed by edit.
std::string ProblemOfEdited(const std::function<void(std::vector<char>&)>& edit) {
    std::vector<char> bytes = ModuleBytes();
    edit(bytes);
    const std::string path = ::testing::TempDir() + "edited-module-" + std::to_string(getpid()) + ".so";
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const std::string problem = vtxhost::ModuleFileProblem(path);
    std::remove(path.c_str());
    return problem;
}

Elf64_Ehdr& Header(std::vector<char>& bytes) { return *reinterpret_cast<Elf64_Ehdr*>(bytes.data()); }

TEST(ModuleFileCheck, RefusesEveryDamagedHeaderOrSegmentBeforeTheLoaderSeesIt) {
    EXPECT_EQ(vtxhost::ModuleFileProblem(VTX_MODULE_PATH), "");
    struct Case {
        std::function<void(std::vector<char>&)> edit;
        std::string problem;  // its start
    };
    const Case cases[] = {
        {[](auto& b) { b[0] = 'X'; }, "it is not an ELF file"},
        {[](auto& b) { b[EI_CLASS] = ELFCLASS32; }, "it is not a 64-bit ELF file"},
        {[](auto& b) { b[EI_DATA] = ELFDATA2MSB; }, "its ELF byte order is not this machine's"},
        {[](auto& b) { Header(b).e_type = ET_EXEC; }, "it is not an ELF shared object"},
        {[](auto& b) { Header(b).e_machine = EM_ARM; }, "it is built for another machine (ELF machine 40)"},
        {[](auto& b) { Header(b).e_phentsize = 12; }, "its ELF program headers are damaged"},
        {[](auto& b) { Header(b).e_phoff = ~0ull - 8; }, "its ELF program headers lie past the end of the file"},
        {[](auto& b) { Header(b).e_shoff = b.size() - 10; }, "its ELF section headers lie past the end of the file"},
        {[](auto& b) {
             auto* segments = reinterpret_cast<Elf64_Phdr*>(b.data() + Header(b).e_phoff);
             segments[1].p_filesz = ~0ull;  // wraps when added to the offset
         },
         "its segment 1 (bytes "},
        // Cut within the section headers, which follow every segment.
        {[](auto& b) { b.resize(Header(b).e_shoff + 10); }, "its ELF section headers lie past the end of the file"},
        {[](auto& b) { b.resize(20000); }, "its segment 0 (bytes 0 to "},
        {[](auto& b) { b.resize(40); }, "it is 40 bytes long, too short for an ELF header"},
    };
    for (const Case& c : cases) {
        const std::string problem = ProblemOfEdited(c.edit);
        EXPECT_EQ(problem.substr(0, c.problem.size()), c.problem) << problem;
    }
    EXPECT_EQ(vtxhost::ModuleFileProblem("/"), "it is a directory");
    EXPECT_EQ(vtxhost::ModuleFileProblem("/dev/null"), "it is not a regular file");
    EXPECT_EQ(vtxhost::ModuleLoadPath("libX.so"), "./libX.so");
    EXPECT_EQ(vtxhost::ModuleLoadPath("lib/libX.so"), "lib/libX.so");
}

TEST(DomainBounds, AStoredDomainMayNarrowTheDeclaredOneButNotWidenIt) {
    using vtxhost::DomainBounds;
    using namespace Vtx;
    struct Case {
        DomainBounds inner, outer;
        bool integer, within;
    };
    const Case cases[] = {
        {{1, kBoundInclusive, 0, kBoundNone}, {1, kBoundInclusive, 0, kBoundNone}, true, true},
        {{0, kBoundInclusive, 0, kBoundNone}, {1, kBoundInclusive, 0, kBoundNone}, true, false},
        {{0, kBoundNone, 0, kBoundNone}, {1, kBoundInclusive, 0, kBoundNone}, true, false},
        {{0, kBoundExclusive, 9, kBoundInclusive}, {1, kBoundInclusive, 10, kBoundExclusive}, true, true},
        {{0, kBoundExclusive, 10, kBoundInclusive}, {1, kBoundInclusive, 10, kBoundExclusive}, true, false},
        {{0, kBoundExclusive, 1, kBoundInclusive}, {0, kBoundInclusive, 1, kBoundInclusive}, false, true},
        {{0, kBoundInclusive, 1, kBoundInclusive}, {0, kBoundExclusive, 1, kBoundInclusive}, false, false},
        {{0.5, kBoundInclusive, 0.75, kBoundExclusive}, {0, kBoundNone, 0, kBoundNone}, false, true},
        {{0, kBoundInclusive, 2, kBoundNone}, {0, kBoundInclusive, 2, kBoundInclusive}, false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.inner.Within(c.outer, c.integer), c.within) << c.inner.Text() << " in " << c.outer.Text();
    EXPECT_EQ(DomainBounds({1, kBoundInclusive, 2.5, kBoundExclusive}).Text(), "[1 inclusive, 2.5 exclusive]");
}

TEST(MemoryBudget, RefusesWhatDoesNotFitAndTellsTheFirstRefusalOnce) {
    namespace budget = vtxhost::memory_budget;
    const std::size_t before = budget::Limit(), held = budget::InUse();
    budget::Refusal refusal;
    budget::TakeRefusal(refusal);
    budget::SetLimit(held + 1000);
    EXPECT_TRUE(budget::Fits(1000));
    budget::Add(900);
    EXPECT_FALSE(budget::Fits(101));
    // The reserve for reporting the failure is open until the refusal is taken.
    EXPECT_TRUE(budget::Fits(5000));
    EXPECT_FALSE(budget::Fits(std::size_t{64} << 20));
    ASSERT_TRUE(budget::TakeRefusal(refusal));
    EXPECT_EQ(refusal.requested, 101u);
    EXPECT_EQ(refusal.inUse, held + 900);
    EXPECT_FALSE(budget::TakeRefusal(refusal));
    EXPECT_FALSE(budget::Fits(5000));
    budget::TakeRefusal(refusal);
    budget::Remove(900);
    EXPECT_TRUE(budget::Fits(1000));
    budget::SetLimit(0);  // no limit
    EXPECT_TRUE(budget::Fits(~std::size_t{0}));
    budget::SetLimit(before);
}

} // namespace
