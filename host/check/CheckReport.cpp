#include "host/check/CheckReport.h"

#include <algorithm>

#include "vtx/Exception.h"

namespace vtxhost {

void CCheckReport::Add(CheckResult result) {
    results_.push_back(std::move(result));
    if (listener_) listener_(results_.back());
}

void CCheckReport::Pass(const std::string& name, const std::string& detail) { Add({name, true, detail}); }

void CCheckReport::Fail(const std::string& name, const std::string& reason) { Add({name, false, reason}); }

void CCheckReport::Warn(const std::string& name, const std::string& reason) { Add({name, true, reason, true}); }

bool CCheckReport::Run(const std::string& name, const std::function<std::string()>& check) {
    std::string failure;
    try {
        Pass(name, check());
        return true;
    } catch (const CheckFailure& e) {
        failure = e.what();
    } catch (Vtx::IException& e) {
        failure = std::string("the module threw: ") + (e.GetMessageText() ? e.GetMessageText() : "(no text)");
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = "the module threw an exception of a type the host does not know";
    }
    while (!failure.empty() && failure.back() == '\n') failure.pop_back();
    Fail(name, failure);
    return false;
}

std::size_t CCheckReport::FailureCount() const {
    return static_cast<std::size_t>(
        std::count_if(results_.begin(), results_.end(), [](const CheckResult& r) { return !r.passed; }));
}

std::size_t CCheckReport::WarningCount() const {
    return static_cast<std::size_t>(
        std::count_if(results_.begin(), results_.end(), [](const CheckResult& r) { return r.warning; }));
}

} // namespace vtxhost
