#pragma once
// Following a JSON pointer ("/blocks/3/parameters") through a parser's events, without
// building the document: the walk stops at the pointed value and tells its owner every
// time it enters a value on the pointer's path, so the owner can note where that value
// begins (a line, an offset). When the pointer names nothing, the last value noted is the
// deepest one of its path that exists.
#include <cstddef>
#include <string>
#include <vector>

#include "host/kernel/JsonDocument.h"

namespace vtxhost {

// The pointer's reference tokens, with "~0" and "~1" read as "~" and "/".
std::vector<std::string> PointerTokens(const std::string& pointer);

class CJsonPointerWalk : public nlohmann::json_sax<Json> {
public:
    explicit CJsonPointerWalk(const std::string& pointer) : tokens_(PointerTokens(pointer)) {}

    bool null() override { return Enter(false, false); }
    bool boolean(bool) override { return Enter(false, false); }
    bool number_integer(number_integer_t) override { return Enter(false, false); }
    bool number_unsigned(number_unsigned_t) override { return Enter(false, false); }
    bool number_float(number_float_t, const string_t&) override { return Enter(false, false); }
    bool string(string_t&) override { return Enter(false, false); }
    bool binary(binary_t&) override { return Enter(false, false); }
    bool start_object(std::size_t) override { return Enter(true, false); }
    bool key(string_t& key) override;
    bool end_object() override { return Leave(); }
    bool start_array(std::size_t) override { return Enter(true, true); }
    bool end_array() override { return Leave(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

    // Whether any value of the pointer's path was entered.
    bool Found() const { return found_; }

protected:
    // A value on the pointer's path begins here.
    virtual void OnPath() = 0;

private:
    struct Frame {
        bool array;
        std::size_t index;
        std::string key;
    };

    bool Enter(bool container, bool array);
    bool Leave();

    std::vector<std::string> tokens_;
    std::vector<Frame> frames_;
    std::size_t matched_ = 0;
    bool found_ = false;
};

} // namespace vtxhost
