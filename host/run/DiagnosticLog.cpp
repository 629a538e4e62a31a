#include "host/run/DiagnosticLog.h"

#include <algorithm>

namespace vtxhost {

// The log belongs to the kernel services; an explicit Destroy request does not end it.
std::int32_t CDiagnosticLog::Destroy() { return 0; }

std::int32_t CDiagnosticLog::BeginRecord(std::int32_t severity, const char* text) {
    std::int32_t record;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        record = nextRecord_++;
        if (nextRecord_ <= 0) nextRecord_ = 1;
    }
    Add(LogEntry{record, severity, text ? text : ""});
    return record;
}

void CDiagnosticLog::Append(std::int32_t record, std::int32_t severity, const char* text) {
    bool known;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        known = std::any_of(entries_.begin(), entries_.end(),
                            [record](const LogEntry& e) { return e.record == record; });
    }
    if (!known) {
        BeginRecord(severity, text);
        return;
    }
    Add(LogEntry{record, severity, text ? text : ""});
}

void CDiagnosticLog::Add(LogEntry entry) {
    Observer observer;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.push_back(entry);
        observer = observer_;
    }
    if (observer) observer(entry);
}

std::vector<LogEntry> CDiagnosticLog::Entries() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_;
}

std::size_t CDiagnosticLog::RecordCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::int32_t> records;
    for (const auto& e : entries_) records.push_back(e.record);
    std::sort(records.begin(), records.end());
    return static_cast<std::size_t>(std::unique(records.begin(), records.end()) - records.begin());
}

void CDiagnosticLog::ClearEntries() {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.clear();
}

void CDiagnosticLog::SetObserver(Observer observer) {
    std::lock_guard<std::mutex> lock(mutex_);
    observer_ = std::move(observer);
}

} // namespace vtxhost
