#include "host/kernel/JsonDocument.h"

#include "host/kernel/JsonPointerWalk.h"

#include <algorithm>
#include <cmath>
#include <istream>
#include <streambuf>
#include <unordered_set>
#include <vector>

namespace vtxhost {

namespace {

// A stream buffer over the text that tells how far the parser has read.
class PositionBuffer : public std::streambuf {
public:
    explicit PositionBuffer(const std::string& text) {
        char* begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }
    std::size_t Position() const { return static_cast<std::size_t>(gptr() - eback()); }
};

// The line of the parser's position, counted on from the previous question: the parser
// only moves forward, so the whole text is scanned once.
class LineCounter {
public:
    LineCounter(const std::string& text, const PositionBuffer& buffer) : text_(text), buffer_(buffer) {}

    int LineAt(std::size_t position) {
        if (position < counted_) {
            counted_ = 0;
            line_ = 1;
        }
        const std::size_t end = position < text_.size() ? position : text_.size();
        for (; counted_ < end; ++counted_)
            if (text_[counted_] == '\n') ++line_;
        return line_;
    }
    // The line of the last character read: it belongs to the token just parsed or follows
    // it directly.
    int Here() {
        const std::size_t position = buffer_.Position();
        return LineAt(position == 0 ? 0 : position - 1);
    }

private:
    const std::string& text_;
    const PositionBuffer& buffer_;
    std::size_t counted_ = 0;
    int line_ = 1;
};

// Builds the document from the parser's events, within the limits.
class DocumentBuilder : public nlohmann::json_sax<Json> {
public:
    DocumentBuilder(const std::string& text, const PositionBuffer& buffer, const JsonLimits& limits, Json& root,
                    JsonProblem& problem)
        : lines_(text, buffer), limits_(limits), root_(root), problem_(problem) {}

    bool null() override { return Put(Json(nullptr)) != nullptr; }
    bool boolean(bool value) override { return Put(Json(value)) != nullptr; }
    bool number_integer(number_integer_t value) override { return Put(Json(value)) != nullptr; }
    bool number_unsigned(number_unsigned_t value) override { return Put(Json(value)) != nullptr; }
    bool number_float(number_float_t value, const string_t& text) override {
        if (!std::isfinite(value)) return Refuse("the number " + text + " is out of range");
        return Put(Json(value)) != nullptr;
    }
    bool string(string_t& value) override {
        if (value.find('\0') != std::string::npos) return Refuse("a text holds a NUL character");
        return Put(Json(std::move(value))) != nullptr;
    }
    bool binary(binary_t&) override { return Refuse("binary values are not JSON text"); }
    bool start_object(std::size_t) override { return Open(Json::object()); }
    bool key(string_t& key) override {
        if (key.find('\0') != std::string::npos) return Refuse("a key holds a NUL character");
        Frame& frame = open_.back();
        if (!frame.keys.insert(key).second) return Refuse("the key \"" + key + "\" is given twice in one object");
        frame.key = std::move(key);
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(Json::array()); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) override {
        problem_.line = lines_.LineAt(position == 0 ? 0 : position - 1);
        problem_.text = ParserProblemText(e.what());
        return false;
    }

private:
    struct Frame {
        Json* value;
        std::unordered_set<std::string> keys;
        std::string key;
    };

    bool Refuse(const std::string& text) {
        problem_.line = lines_.Here();
        problem_.text = text;
        return false;
    }

    // Places the value in the open container (or as the document), where it stays while
    // it is open: nothing is added to its container before it closes.
    Json* Put(Json value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        Frame& frame = open_.back();
        if (frame.value->is_array()) {
            auto& array = frame.value->get_ref<Json::array_t&>();
            array.push_back(std::move(value));
            return &array.back();
        }
        // The ordered map's own insertion looks for the key first; duplicates are refused
        // by key() already, so the pair is appended as it stands.
        auto& object = frame.value->get_ref<Json::object_t&>();
        object.emplace_back(std::move(frame.key), std::move(value));
        return &object.back().second;
    }

    bool Open(Json container) {
        if (open_.size() >= limits_.maxDepth)
            return Refuse("values are nested deeper than " + std::to_string(limits_.maxDepth) + " levels");
        Json* placed = Put(std::move(container));
        open_.push_back(Frame{placed, {}, {}});
        return true;
    }

    bool Close() {
        open_.pop_back();
        return true;
    }

    LineCounter lines_;
    const JsonLimits& limits_;
    Json& root_;
    JsonProblem& problem_;
    std::vector<Frame> open_;
};

// Follows the parser to the value at a pointer and stops there, remembering the line of
// the deepest value on the pointer's path seen so far.
class PointerLocator : public CJsonPointerWalk {
public:
    PointerLocator(const std::string& text, const PositionBuffer& buffer, const std::string& pointer)
        : CJsonPointerWalk(pointer), lines_(text, buffer) {}

    int Line() const { return line_; }

private:
    void OnPath() override { line_ = lines_.Here(); }

    LineCounter lines_;
    int line_ = 1;
};

} // namespace

std::string ParserProblemText(std::string text) {
    // The parser's own text starts with its error id ("[json.exception.parse_error.101] ").
    const std::size_t bracket = text.find("] ");
    if (bracket != std::string::npos) text = text.substr(bracket + 2);
    // "parse error at line 3, column 18: ..." as "parse error at column 18: ...".
    const std::size_t at = text.find(" at line ");
    const std::size_t column = text.find(", column ", at == std::string::npos ? 0 : at);
    if (at == std::string::npos || column == std::string::npos) return text;
    return text.erase(at + 4, column + 2 - (at + 4));
}

bool ReadJsonDocument(const std::string& text, const JsonLimits& limits, Json& document, JsonProblem& problem) {
    if (text.size() > limits.maxBytes) {
        problem.line = 1;
        problem.text = "the text is " + std::to_string(text.size()) + " bytes long, more than the limit of " +
                       std::to_string(limits.maxBytes);
        return false;
    }
    // The parser takes a NUL byte for the end of the text: what follows one would be
    // passed over unread. No JSON text holds one (a text value writes it as \u0000).
    if (const std::size_t nul = text.find('\0'); nul != std::string::npos) {
        problem.line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(nul), '\n'));
        problem.text = "a NUL byte at offset " + std::to_string(nul) + ", which no JSON text holds";
        return false;
    }
    PositionBuffer buffer(text);
    std::istream stream(&buffer);
    DocumentBuilder builder(text, buffer, limits, document, problem);
    if (Json::sax_parse(stream, &builder)) return true;
    document = Json();
    return false;
}

int LineOfPointer(const std::string& text, const std::string& pointer) {
    PositionBuffer buffer(text);
    std::istream stream(&buffer);
    PointerLocator locator(text, buffer, pointer);
    Json::sax_parse(stream, &locator);
    return locator.Line();
}

std::string PointerToken(const std::string& key) {
    std::string token;
    token.reserve(key.size());
    for (char c : key) {
        if (c == '~')
            token += "~0";
        else if (c == '/')
            token += "~1";
        else
            token += c;
    }
    return token;
}

} // namespace vtxhost
