#pragma once
// Runs a piece of work that may crash, hang, fork or play with signals (loading a module
// nobody vouches for) in a child process of its own process group, under a time limit the
// parent keeps. The child's standard input and output go nowhere; what the work answers
// comes back through a pipe.
#include <functional>
#include <string>

namespace vtxhost {

struct ChildOutcome {
    bool late = false;       // the time limit passed: the child's group was killed
    bool signalled = false;  // the child ended by a signal...
    int signal = 0;          // ...this one
    int exitStatus = 0;      // otherwise its exit status
    std::string answer;      // what the work answered (at most 64 KiB)
};

// Runs work in a child, which exits 0 after writing its answer. The parent waits at most
// seconds; then, or once the child has ended, the child's whole process group is killed,
// so a process the work started that still holds the pipe is neither waited for nor left
// running. An empty answer with exitStatus -1 means the child could not be made.
ChildOutcome RunInChild(const std::function<std::string()>& work, unsigned seconds);

// The time limit for loading one module: VTX_LOAD_SECONDS when it is a count from 1 to
// 3600, the fallback otherwise.
unsigned LoadSeconds(unsigned fallback);

// The outcome in words, for a failure that is no answer: "did not finish", the signal's
// name ("Segmentation fault"), "exit status 3".
std::string DescribeFailure(const ChildOutcome& outcome);

} // namespace vtxhost
