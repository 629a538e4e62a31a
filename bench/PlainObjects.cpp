#include "bench/PlainObjects.h"

namespace plain {

long Counted::AddRef() { return ++count; }
long Counted::Release() { return --count; }

Log* Services::GetDiagnosticLog() { return &log; }
Interval* Services::CreateInterval() { return new Interval(); }

std::int64_t Clock::GetCurrentTime() { return ++now; }

std::int64_t Timed::GetTimestamp() { return timestamp; }
void Timed::SetTimestamp(std::int64_t time) { timestamp = time; }
std::int64_t Timed::GetTimeA() { return timeA; }
void Timed::SetTimeA(std::int64_t time) { timeA = time; }
std::int64_t Timed::GetTimeB() { return timeB; }
void Timed::SetTimeB(std::int64_t time) { timeB = time; }
std::int64_t Timed::GetTimeC() { return timeC; }
void Timed::SetTimeC(std::int64_t time) { timeC = time; }
std::int64_t Timed::GetTimeD() { return timeD; }
void Timed::SetTimeD(std::int64_t time) { timeD = time; }
double Timed::GetTimeFactor() { return timeFactor; }
void Timed::SetTimeFactor(double factor) { timeFactor = factor; }

std::int32_t Int::GetValue() { return value; }
void Int::SetValue(std::int32_t v) { value = v; }
bool Bool::GetValue() { return value; }
double Double::GetValue() { return value; }
void Double::SetValue(double v) { value = v; }
void Double::CopyFrom(Double* source) { value = source->value; }
const char* String::GetValue() { return value.c_str(); }

void Interval::SetLower(double value) { lower = value; }
void Interval::SetUpper(double value) { upper = value; }
void Interval::CopyFrom(Interval* source) {
    lower = source->lower;
    upper = source->upper;
}

void CopyValueAndTime(Interval* destination, Interval* source) {
    const std::int64_t timestamp = source->GetTimestamp();
    destination->CopyFrom(source);
    destination->SetTimestamp(timestamp);
    destination->SetTimeB(source->GetTimeB());
    destination->SetTimeA(source->GetTimeA());
    destination->SetTimeD(source->GetTimeD());
    destination->SetTimeC(source->GetTimeC());
    destination->SetTimeFactor(source->GetTimeFactor());
}

Int* Signature::GetTraceLevel() { return &traceLevel; }

bool Block::Execute() {
    Log* log = services->GetDiagnosticLog();
    log->AddRef();
    if (signature->GetTraceLevel()->GetValue() >= 6) ++traces;
    const bool result = OnExecute();
    if (signature->GetTraceLevel()->GetValue() >= 6) ++traces;
    log->Release();
    return result;
}

namespace {
std::ptrdiff_t PositionIn(std::size_t size, Int* position) {
    const std::int32_t p = position->GetValue();
    return p < 0 || static_cast<std::size_t>(p) >= size ? -1 : p;
}
} // namespace

bool Vector::OnExecute() {
    if (writeEnabled->GetValue()) {
        const std::ptrdiff_t p = PositionIn(array.size(), writePosition);
        if (p >= 0) array[p]->CopyFrom(input);
    }
    if (readEnabled->GetValue()) {
        const std::ptrdiff_t p = PositionIn(array.size(), readPosition);
        if (p >= 0) {
            output->CopyFrom(array[p].get());
            output->SetTimestamp(clock->GetCurrentTime());
        }
    }
    return true;
}

void LabelledSet::ClearItems() { count = 0; }

void LabelledSet::AddItem(Interval* value, const char* label) {
    if (count == elements.size()) elements.push_back({std::string(), std::make_unique<Interval>()});
    Element& element = elements[count++];
    element.label.assign(label);
    CopyValueAndTime(element.value.get(), value);
}

} // namespace plain
