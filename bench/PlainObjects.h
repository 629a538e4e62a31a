#pragma once
// Plain objects for the fair baselines: the same interface calls a block's Execute makes,
// through real virtual dispatch. The operations are defined in PlainObjects.cpp, out of
// sight of the benchmarks, and that file and PlainGenerator.cpp are built without
// devirtualisation (bench/CMakeLists.txt), so that the compiler can neither inline nor
// fold them away, nor guess an object's class and inline behind a check.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plain {

// A reference-counted object, as the host's diagnostic log is.
struct Counted {
    virtual ~Counted() = default;
    virtual long AddRef();
    virtual long Release();
    long count = 1;
};

struct Log : Counted {};

struct Interval;

struct Services {
    virtual ~Services() = default;
    virtual Log* GetDiagnosticLog();
    // A new Interval, as the kernel services make one for the generator's Execute; the
    // caller deletes it.
    virtual Interval* CreateInterval();
    Log log;
};

struct Clock {
    virtual ~Clock() = default;
    virtual std::int64_t GetCurrentTime();
    std::int64_t now = 0;
};

// A datatype's time attributes, copied one by one as values move.
struct Timed {
    virtual ~Timed() = default;
    virtual std::int64_t GetTimestamp();
    virtual void SetTimestamp(std::int64_t time);
    virtual std::int64_t GetTimeA();
    virtual void SetTimeA(std::int64_t time);
    virtual std::int64_t GetTimeB();
    virtual void SetTimeB(std::int64_t time);
    virtual std::int64_t GetTimeC();
    virtual void SetTimeC(std::int64_t time);
    virtual std::int64_t GetTimeD();
    virtual void SetTimeD(std::int64_t time);
    virtual double GetTimeFactor();
    virtual void SetTimeFactor(double factor);
    std::int64_t timestamp = 0, timeA = 0, timeB = 0, timeC = 0, timeD = 0;
    double timeFactor = 1.0;
};

struct Int : Timed {
    virtual std::int32_t GetValue();
    virtual void SetValue(std::int32_t value);
    std::int32_t value = 0;
};

struct Bool : Timed {
    virtual bool GetValue();
    bool value = true;
};

struct Double : Timed {
    virtual double GetValue();
    virtual void SetValue(double value);
    // Takes the value of another double (value only, as a datatype's CopyFrom).
    virtual void CopyFrom(Double* source);
    double value = 0.0;
};

struct String : Timed {
    virtual const char* GetValue();
    std::string value;
};

struct Interval : Timed {
    virtual void SetLower(double value);
    virtual void SetUpper(double value);
    virtual void CopyFrom(Interval* source);
    double lower = 0.0, upper = 1.0;
};

// The copy of a value and its times the framework makes: the timestamp read first, then
// the value, then the six time attributes.
void CopyValueAndTime(Interval* destination, Interval* source);

struct Signature {
    virtual ~Signature() = default;
    virtual Int* GetTraceLevel();
    Int traceLevel;
};

// A block's public Execute: the log scope, a trace-level read before and after the
// overridable (a trace is only counted).
struct Block {
    virtual ~Block() = default;
    virtual bool Execute();
    virtual bool OnExecute() = 0;
    Services* services = nullptr;
    Signature* signature = nullptr;
    Clock* clock = nullptr;
    long traces = 0;
};

// Vector's Execute on plain objects: write the input into the entry at the write position,
// read the entry at the read position into the output and stamp it.
struct Vector : Block {
    bool OnExecute() override;
    Bool* writeEnabled = nullptr;
    Int* writePosition = nullptr;
    Bool* readEnabled = nullptr;
    Int* readPosition = nullptr;
    Double* input = nullptr;
    Double* output = nullptr;
    std::vector<std::unique_ptr<Double>> array;
};

// The generator's Execute on plain objects (PlainGenerator.cpp): the set emptied, one
// Interval made through the services, then for every labelled item the Interval set from
// its bounds and added to the set, which copies value and times into an element it keeps
// from round to round; then the set stamped and the Interval deleted.
struct GeneratorItem {
    String* label;
    Double* lower;
    Double* upper;
};
struct LabelledSet : Timed {
    // Empties the set; the elements stay for the next round.
    virtual void ClearItems();
    // Adds a copy of value (value and times) under label, into a kept element when there
    // is one.
    virtual void AddItem(Interval* value, const char* label);
    struct Element {
        std::string label;
        std::unique_ptr<Interval> value;
    };
    std::vector<Element> elements;
    std::size_t count = 0;
};
struct Generator : Block {
    bool OnExecute() override;
    std::vector<GeneratorItem> items;
    LabelledSet* output = nullptr;
};

} // namespace plain
