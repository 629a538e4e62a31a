#include "host/kernel/JsonStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <unordered_set>

#include "host/kernel/JsonPointerWalk.h"

namespace vtxhost {

namespace {

using Lexer = nlohmann::detail::lexer<Json, nlohmann::detail::input_stream_adapter>;
using Token = Lexer::token_type;

class TextBuffer : public JsonSourceBuffer {
public:
    explicit TextBuffer(const std::string& text) {
        char* begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }
    std::size_t Consumed() const override { return static_cast<std::size_t>(gptr() - eback()); }
};

class TextSource : public JsonSource {
public:
    explicit TextSource(const std::string& text) : text_(text) {}
    std::unique_ptr<JsonSourceBuffer> Open() const override { return std::make_unique<TextBuffer>(text_); }
    std::size_t Size() const override { return text_.size(); }

private:
    const std::string& text_;
};

// Reads a descriptor in blocks; taking more than the limit is refused.
class FileBuffer : public JsonSourceBuffer {
public:
    FileBuffer(int fd, std::string path, std::size_t maxBytes) : fd_(fd), path_(std::move(path)), maxBytes_(maxBytes) {
        buffer_.resize(std::size_t{64} << 10);
        setg(buffer_.data(), buffer_.data(), buffer_.data());
    }
    ~FileBuffer() override { close(fd_); }
    std::size_t Consumed() const override { return before_ + static_cast<std::size_t>(gptr() - eback()); }

protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        before_ += static_cast<std::size_t>(egptr() - eback());
        for (;;) {
            const ssize_t got = read(fd_, buffer_.data(), buffer_.size());
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throw JsonSourceError(path_ + ": the patch file cannot be read: " + std::strerror(errno));
            if (before_ + static_cast<std::size_t>(got) > maxBytes_)
                throw JsonSourceError(path_ + ": the patch file is more than the limit of " + std::to_string(maxBytes_) +
                                      " bytes long");
            setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
            return got == 0 ? traits_type::eof() : traits_type::to_int_type(*gptr());
        }
    }

private:
    int fd_;
    std::string path_;
    std::size_t maxBytes_;
    std::vector<char> buffer_;
    std::size_t before_ = 0;
};


class FileSource : public JsonSource {
public:
    FileSource(std::string path, std::size_t maxBytes) : path_(std::move(path)), maxBytes_(maxBytes) {
        Open();  // refuses what cannot be read at all, before anything else
    }
    std::unique_ptr<JsonSourceBuffer> Open() const override {
        // Opened without waiting, so that a pipe with no writer is refused instead of blocking.
        const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) throw JsonSourceError(path_ + ": the patch file cannot be opened: " + std::strerror(errno));
        struct stat status {};
        if (fstat(fd, &status) != 0) {
            const int saved = errno;
            close(fd);
            throw JsonSourceError(path_ + ": the patch file cannot be read: " + std::strerror(saved));
        }
        if (!S_ISREG(status.st_mode)) {
            close(fd);
            throw JsonSourceError(path_ + ": the patch file is " + FileKind(status.st_mode) + ", not a regular file");
        }
        if (static_cast<std::uint64_t>(status.st_size) > maxBytes_) {
            close(fd);
            throw JsonSourceError(path_ + ": the patch file is " + std::to_string(status.st_size) +
                                  " bytes long, more than the limit of " + std::to_string(maxBytes_));
        }
        size_ = static_cast<std::size_t>(status.st_size);
        return std::make_unique<FileBuffer>(fd, path_, maxBytes_);
    }
    std::size_t Size() const override { return size_; }

private:
    std::string path_;
    std::size_t maxBytes_;
    mutable std::size_t size_ = 0;
};

// The line of the character at offset: one more than the line breaks before it.
int LineAtOffset(const JsonSource& source, std::size_t offset) {
    auto buffer = source.Open();
    char block[4096];
    std::size_t seen = 0;
    int line = 1;
    while (seen < offset) {
        const std::streamsize want = static_cast<std::streamsize>(std::min<std::size_t>(sizeof block, offset - seen));
        const std::streamsize got = buffer->sgetn(block, want);
        if (got <= 0) break;
        for (std::streamsize i = 0; i < got; ++i)
            if (block[i] == '\n') ++line;
        seen += static_cast<std::size_t>(got);
    }
    return line;
}

// The first pass's events: the limits and the checks of ReadJsonDocument, nothing built.
// A problem keeps the offset it was met at; its line is counted afterwards.
class Checker : public nlohmann::json_sax<Json> {
public:
    Checker(const JsonSourceBuffer& buffer, const JsonLimits& limits, JsonKeyObserver* observer)
        : buffer_(buffer), limits_(limits), observer_(observer) {}

    bool null() override { return Scalar(); }
    bool boolean(bool) override { return Scalar(); }
    bool number_integer(number_integer_t) override { return Scalar(); }
    bool number_unsigned(number_unsigned_t) override { return Scalar(); }
    bool number_float(number_float_t value, const string_t& text) override {
        if (!std::isfinite(value)) return Refuse("the number " + text + " is out of range");
        return Scalar();
    }
    bool string(string_t& value) override {
        if (value.find('\0') != std::string::npos) return Refuse("a text holds a NUL character");
        return Scalar();
    }
    bool binary(binary_t&) override { return Refuse("binary values are not JSON text"); }
    bool start_object(std::size_t) override { return Open(false); }
    bool key(string_t& key) override {
        if (key.find('\0') != std::string::npos) return Refuse("a key holds a NUL character");
        Frame& frame = open_.back();
        if (!frame.keys.insert(key).second) return Refuse("the key \"" + key + "\" is given twice in one object");
        if (observer_ && open_.size() <= kObservedDepth) {
            path_.resize(open_.size() - 1);
            observer_->Key(path_, key);
            path_.push_back(key);
        }
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(true); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) override {
        offset_ = position == 0 ? 0 : position - 1;
        text_ = ParserProblemText(e.what());
        return false;
    }

    std::size_t Offset() const { return offset_; }
    const std::string& Text() const { return text_; }

private:
    // Keys are told to the observer down to this depth (the patch file's blocks' signatures).
    static constexpr std::size_t kObservedDepth = 4;

    struct Frame {
        bool array;
        std::size_t index = 0;
        std::unordered_set<std::string> keys;
    };

    bool Refuse(const std::string& text) {
        const std::size_t consumed = buffer_.Consumed();
        offset_ = consumed == 0 ? 0 : consumed - 1;
        text_ = text;
        return false;
    }
    // A value placed in the open list moves its index on.
    void Placed() {
        if (!open_.empty() && open_.back().array) {
            Frame& frame = open_.back();
            if (observer_ && open_.size() <= kObservedDepth) {
                path_.resize(open_.size() - 1);
                path_.push_back(std::to_string(frame.index));
            }
            ++frame.index;
        }
    }
    bool Scalar() {
        Placed();
        return true;
    }
    bool Open(bool array) {
        if (open_.size() >= limits_.maxDepth)
            return Refuse("values are nested deeper than " + std::to_string(limits_.maxDepth) + " levels");
        Placed();
        open_.push_back(Frame{array, 0, {}});
        return true;
    }
    bool Close() {
        open_.pop_back();
        return true;
    }

    const JsonSourceBuffer& buffer_;
    const JsonLimits& limits_;
    JsonKeyObserver* observer_;
    std::vector<Frame> open_;
    std::vector<std::string> path_;
    std::size_t offset_ = 0;
    std::string text_;
};

// Follows the parser to the value at a pointer and stops there, remembering the offset of
// the deepest value on the pointer's path seen so far.
class PointerLocator : public CJsonPointerWalk {
public:
    PointerLocator(const JsonSourceBuffer& buffer, const std::string& pointer)
        : CJsonPointerWalk(pointer), buffer_(buffer) {}

    std::size_t Offset() const { return offset_; }

private:
    void OnPath() override {
        const std::size_t consumed = buffer_.Consumed();
        offset_ = consumed == 0 ? 0 : consumed - 1;
    }

    const JsonSourceBuffer& buffer_;
    std::size_t offset_ = 0;
};

} // namespace

const char* FileKind(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISFIFO(mode)) return "a pipe";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

std::unique_ptr<JsonSource> TextJsonSource(const std::string& text) { return std::make_unique<TextSource>(text); }

std::unique_ptr<JsonSource> FileJsonSource(const std::string& path, std::size_t maxBytes) {
    return std::make_unique<FileSource>(path, maxBytes);
}

bool CheckJsonSource(const JsonSource& source, const JsonLimits& limits, JsonProblem& problem,
                     JsonKeyObserver* observer) {
    if (source.Size() > limits.maxBytes) {
        problem.line = 1;
        problem.text = "the text is " + std::to_string(source.Size()) + " bytes long, more than the limit of " +
                       std::to_string(limits.maxBytes);
        return false;
    }
    // The parser takes a NUL byte for the end of the text: what follows one would be
    // passed over unread. No JSON text holds one (a text value writes it as \u0000).
    {
        auto buffer = source.Open();
        char block[65536];
        std::size_t offset = 0;
        int line = 1;
        for (;;) {
            const std::streamsize got = buffer->sgetn(block, sizeof block);
            if (got <= 0) break;
            const void* nul = std::memchr(block, '\0', static_cast<std::size_t>(got));
            const std::size_t upto = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - block)
                                         : static_cast<std::size_t>(got);
            for (std::size_t i = 0; i < upto; ++i)
                if (block[i] == '\n') ++line;
            if (nul) {
                problem.line = line;
                problem.text = "a NUL byte at offset " + std::to_string(offset + upto) + ", which no JSON text holds";
                return false;
            }
            offset += static_cast<std::size_t>(got);
        }
    }
    auto buffer = source.Open();
    std::istream stream(buffer.get());
    Checker checker(*buffer, limits, observer);
    if (Json::sax_parse(stream, &checker)) return true;
    problem.line = LineAtOffset(source, checker.Offset());
    problem.text = checker.Text();
    return false;
}

int LineOfPointer(const JsonSource& source, const std::string& pointer) {
    std::size_t offset = 0;
    {
        auto buffer = source.Open();
        std::istream stream(buffer.get());
        PointerLocator locator(*buffer, pointer);
        Json::sax_parse(stream, &locator);
        if (!locator.Found()) return 1;
        offset = locator.Offset();
    }
    return LineAtOffset(source, offset);
}

// The pull reader over nlohmann's lexer: one token of look-ahead, a stack of the open
// containers, and values taken whole by recursion bounded by the depth limit.
class JsonPullReader::Impl {
public:
    Impl(const JsonSource& source, const JsonLimits& limits)
        : buffer_(source.Open()), stream_(buffer_.get()), lexer_(nlohmann::detail::input_stream_adapter(stream_)),
          limits_(limits) {
        Scan();
    }

    Kind Peek() const {
        return token_ == Token::begin_object ? Kind::Object : token_ == Token::begin_array ? Kind::Array : Kind::Other;
    }

    void BeginObject() {
        Expect(Token::begin_object, "an object");
        Open(false);
    }

    bool NextKey(std::string& key) {
        Frame& frame = open_.back();
        if (frame.array) Fail("a key read in a list");
        if (token_ == Token::end_object) {
            open_.pop_back();
            Scan();
            return false;
        }
        if (!frame.first) Expect(Token::value_separator, "',' or '}'");
        frame.first = false;
        if (token_ != Token::value_string) Fail(Unexpected("a key"));
        key = lexer_.get_string();
        if (key.find('\0') != std::string::npos) Fail("a key holds a NUL character");
        Scan();
        Expect(Token::name_separator, "':'");
        return true;
    }

    void BeginArray() {
        Expect(Token::begin_array, "a list");
        Open(true);
    }

    bool NextItem() {
        Frame& frame = open_.back();
        if (!frame.array) Fail("an item read in an object");
        if (token_ == Token::end_array) {
            open_.pop_back();
            Scan();
            return false;
        }
        if (!frame.first) Expect(Token::value_separator, "',' or ']'");
        frame.first = false;
        return true;
    }

    Json Value() { return ValueAt(open_.size()); }

    void End() {
        if (token_ != Token::end_of_input) Fail(Unexpected("the end of the text"));
    }

private:
    struct Frame {
        bool array;
        bool first = true;
    };

    [[noreturn]] void Fail(const std::string& text) const {
        throw JsonPullError(static_cast<int>(lexer_.get_position().lines_read) + 1, text);
    }
    std::string Unexpected(const char* expected) const {
        if (token_ == Token::parse_error)
            return std::string(lexer_.get_error_message()) + "; last read: '" + lexer_.get_token_string() + "'";
        return std::string("unexpected ") + Lexer::token_type_name(token_) + "; expected " + expected;
    }
    void Scan() { token_ = lexer_.scan(); }
    void Expect(Token token, const char* what) {
        if (token_ != token) Fail(Unexpected(what));
        Scan();
    }
    void Open(bool array) {
        if (open_.size() >= limits_.maxDepth)
            Fail("values are nested deeper than " + std::to_string(limits_.maxDepth) + " levels");
        open_.push_back(Frame{array});
    }

    Json ValueAt(std::size_t depth) {
        switch (token_) {
        case Token::begin_object: {
            if (depth >= limits_.maxDepth)
                Fail("values are nested deeper than " + std::to_string(limits_.maxDepth) + " levels");
            Scan();
            Json object = Json::object();
            auto& members = object.get_ref<Json::object_t&>();
            std::unordered_set<std::string> keys;
            for (bool first = true;; first = false) {
                if (token_ == Token::end_object) break;
                if (!first) Expect(Token::value_separator, "',' or '}'");
                if (token_ != Token::value_string) Fail(Unexpected("a key"));
                std::string key = lexer_.get_string();
                if (key.find('\0') != std::string::npos) Fail("a key holds a NUL character");
                if (!keys.insert(key).second) Fail("the key \"" + key + "\" is given twice in one object");
                Scan();
                Expect(Token::name_separator, "':'");
                Json value = ValueAt(depth + 1);
                members.emplace_back(std::move(key), std::move(value));
            }
            Scan();
            return object;
        }
        case Token::begin_array: {
            if (depth >= limits_.maxDepth)
                Fail("values are nested deeper than " + std::to_string(limits_.maxDepth) + " levels");
            Scan();
            Json array = Json::array();
            auto& items = array.get_ref<Json::array_t&>();
            for (bool first = true;; first = false) {
                if (token_ == Token::end_array) break;
                if (!first) Expect(Token::value_separator, "',' or ']'");
                items.push_back(ValueAt(depth + 1));
            }
            Scan();
            return array;
        }
        case Token::value_string: {
            Json value(std::move(lexer_.get_string()));
            if (value.get_ref<const std::string&>().find('\0') != std::string::npos) Fail("a text holds a NUL character");
            Scan();
            return value;
        }
        case Token::value_integer: {
            Json value(lexer_.get_number_integer());
            Scan();
            return value;
        }
        case Token::value_unsigned: {
            Json value(lexer_.get_number_unsigned());
            Scan();
            return value;
        }
        case Token::value_float: {
            const double number = lexer_.get_number_float();
            if (!std::isfinite(number)) Fail("number overflow parsing '" + lexer_.get_token_string() + "'");
            Scan();
            return Json(number);
        }
        case Token::literal_true:
        case Token::literal_false: {
            Json value(token_ == Token::literal_true);
            Scan();
            return value;
        }
        case Token::literal_null:
            Scan();
            return Json(nullptr);
        default:
            Fail(Unexpected("a value"));
        }
    }

    std::unique_ptr<JsonSourceBuffer> buffer_;
    std::istream stream_;
    Lexer lexer_;
    const JsonLimits limits_;
    Token token_ = Token::uninitialized;
    std::vector<Frame> open_;
};

JsonPullReader::JsonPullReader(const JsonSource& source, const JsonLimits& limits)
    : impl_(std::make_unique<Impl>(source, limits)) {}
JsonPullReader::~JsonPullReader() = default;
JsonPullReader::Kind JsonPullReader::Peek() const { return impl_->Peek(); }
void JsonPullReader::BeginObject() { impl_->BeginObject(); }
bool JsonPullReader::NextKey(std::string& key) { return impl_->NextKey(key); }
void JsonPullReader::BeginArray() { impl_->BeginArray(); }
bool JsonPullReader::NextItem() { return impl_->NextItem(); }
Json JsonPullReader::Value() { return impl_->Value(); }
void JsonPullReader::End() { impl_->End(); }

} // namespace vtxhost
