#pragma once
// The results of a module check: one named result per check, passed or failed with the
// reason, handed to a listener as each is made. A warning is a second tier: a likely fault
// that a sound module may still show (an output never time-stamped, a default the block
// refuses itself); it fails the check only when the caller asks for strictness.
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vtxhost {

struct CheckResult {
    std::string name;
    bool passed;
    std::string detail;  // what was checked when passed, why it failed otherwise
    bool warning = false;  // passed, but with the likely fault the detail names
};

// Thrown inside a check to fail it with the reason.
class CheckFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CCheckReport {
public:
    using Listener = std::function<void(const CheckResult&)>;
    explicit CCheckReport(Listener listener = {}) : listener_(std::move(listener)) {}

    void Pass(const std::string& name, const std::string& detail = {});
    void Fail(const std::string& name, const std::string& reason);
    void Warn(const std::string& name, const std::string& reason);
    // Runs the check: it passes with the detail it returns, and fails with the reason of a
    // CheckFailure, of an exception of the module's family ("the module threw: ...") or of
    // a standard exception. True when it passed.
    bool Run(const std::string& name, const std::function<std::string()>& check);

    const std::vector<CheckResult>& Results() const { return results_; }
    std::size_t FailureCount() const;
    std::size_t WarningCount() const;

private:
    void Add(CheckResult result);

    Listener listener_;
    std::vector<CheckResult> results_;
};

} // namespace vtxhost
