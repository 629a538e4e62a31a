// The main job's patch (bench/intervals-repeat.json) as a plain C++ program would run it,
// printing what `vtxhost run bench/intervals-repeat.json --activations N` prints, byte for
// byte (the test plain_intervals_output compares the two).
//
// Why it is a fair yardstick for the host's round: it does the same work a round must do
// and is written the way a plain C++ program is written, without the framework's contract.
// Blocks and values are objects with virtual operations; every value passed along a link is
// a new heap object (a clone of the output), as a program passing owned values does; each
// sink forms the text of what it received (the bounds with "%.17g", the set as JSON with
// its labels escaped) and the lines are printed with printf, the header's time with
// "%.4f". It uses no project code. What it leaves out is what only the framework needs:
// reference counts, interface casts, logs and trace levels, creation by class identity,
// checked reads of pins and parameters, memory budgets.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Value {
    virtual ~Value() = default;
    virtual Value* Clone() const = 0;
    virtual std::string Text() const = 0;
    std::int64_t timestamp = 0;
};

struct Interval : Value {
    Interval(double l, double u) : lower(l), upper(u) {}
    Value* Clone() const override { return new Interval(*this); }
    std::string Text() const override {
        char text[80];
        std::snprintf(text, sizeof text, "%.17g,%.17g", lower, upper);
        return text;
    }
    double lower, upper;
};

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

struct LabelledSet : Value {
    Value* Clone() const override { return new LabelledSet(*this); }
    std::string Text() const override {
        std::string out = "{\"element\":[\"Brennick2010\",\"Interval\"],\"items\":[";
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (i) out += ',';
            out += "{\"label\":" + JsonString(items[i].first) + ",\"value\":" + JsonString(items[i].second.Text()) + "}";
        }
        return out + "]}";
    }
    std::vector<std::pair<std::string, Interval>> items;
};

struct Block {
    explicit Block(std::string n) : name(std::move(n)) {}
    virtual ~Block() = default;
    // Whether the block runs this round: periodic blocks always, the others on a new input.
    virtual bool Activated() const { return fresh; }
    virtual void Execute(std::int64_t now) = 0;
    std::string name;
    std::unique_ptr<Value> input, output;
    bool fresh = false;
    std::vector<Block*> targets;
};

struct Generator : Block {
    struct Item {
        std::string label;
        double lower, upper;
    };
    using Block::Block;
    bool Activated() const override { return true; }
    void Execute(std::int64_t now) override {
        auto set = std::make_unique<LabelledSet>();
        for (const Item& item : items)
            if (!item.label.empty()) set->items.emplace_back(item.label, Interval(item.lower, item.upper));
        set->timestamp = now;
        output = std::move(set);
    }
    std::vector<Item> items;
};

struct Sequence : Block {
    using Block::Block;
    bool Activated() const override { return true; }
    void Execute(std::int64_t now) override {
        if (next == values.size()) {
            if (!repeat) return;
            next = 0;
        }
        output.reset(values[next++]->Clone());
        output->timestamp = now;
    }
    std::vector<std::unique_ptr<Value>> values;
    std::size_t next = 0;
    bool repeat = true;
};

struct Vector : Block {
    using Block::Block;
    void Execute(std::int64_t now) override {
        if (writePosition < array.size()) array[writePosition].reset(input->Clone());
        if (readPosition < array.size() && array[readPosition]) {
            output.reset(array[readPosition]->Clone());
            output->timestamp = now;
        }
    }
    std::vector<std::unique_ptr<Value>> array;
    std::size_t writePosition = 0, readPosition = 0;
};

struct Sink : Block {
    using Block::Block;
    void Execute(std::int64_t) override { received.push_back(input->Text()); }
    std::vector<std::string> received;
};

// A received value on one line: control characters as \n, \r, \t or \xHH.
std::string Printable(const std::string& text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    long long activations = 1;
    if (argc == 3 && std::strcmp(argv[1], "--activations") == 0) activations = std::atoll(argv[2]);
    constexpr std::int64_t kPeriod = 400000;  // 40 ms in units of 100 ns

    auto generator = std::make_unique<Generator>("generator");
    generator->items = {{"low", 0, 1}, {"", 0, 1}, {"high", 10, 20}};
    auto sets = std::make_unique<Sink>("sets");
    auto bounds = std::make_unique<Sequence>("bounds");
    for (const char* text : {"0,1", "2,3", "4,5"}) {
        char* end = nullptr;
        const double lower = std::strtod(text, &end);
        const double upper = std::strtod(end + 1, nullptr);
        bounds->values.push_back(std::make_unique<Interval>(lower, upper));
    }
    auto store = std::make_unique<Vector>("store");
    store->array.resize(2);
    store->writePosition = store->readPosition = 1;
    auto stored = std::make_unique<Sink>("stored");
    generator->targets = {sets.get()};
    bounds->targets = {store.get()};
    store->targets = {stored.get()};
    std::vector<Block*> blocks = {generator.get(), sets.get(), bounds.get(), store.get(), stored.get()};
    std::vector<Sink*> sinks = {sets.get(), stored.get()};

    std::printf("patch \"intervals\": %zu blocks, %lld %s\n", blocks.size(), activations,
                activations == 1 ? "activation" : "activations");
    for (long long round = 1; round <= activations; ++round) {
        const std::int64_t now = round * kPeriod;
        for (Block* block : blocks) {
            if (!block->Activated()) continue;
            block->fresh = false;
            block->output.reset();
            block->Execute(now);
            if (!block->output) continue;
            for (Block* target : block->targets) {
                target->input.reset(block->output->Clone());
                target->fresh = true;
            }
        }
        std::printf("[%lld] t=%.4f s\n", round, static_cast<double>(now) / 1e7);
        for (Sink* sink : sinks) {
            for (const std::string& text : sink->received) std::printf("  %s: %s\n", sink->name.c_str(), Printable(text).c_str());
            sink->received.clear();
        }
    }
    return 0;
}
