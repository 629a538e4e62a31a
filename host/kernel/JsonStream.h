#pragma once
// Reading a large JSON document a value at a time, in memory bounded by the largest value
// taken whole rather than by the document.
//
// A JsonSource is read from its start once per pass: from a text held elsewhere, or from a
// file read in blocks of 64 KiB (never past the size limit). CheckJsonSource makes the
// first pass: it refuses what ReadJsonDocument refuses (JsonDocument.h: NUL bytes, nesting,
// size, repeated keys, NUL characters, numbers beyond a double) with the same words and
// lines, without building anything, and lets an observer see each key where it stands. A
// JsonPullReader then walks the checked document: into objects and lists, key by key and
// item by item, taking the values wanted whole. It keeps the depth and size limits itself,
// so that a file changed between the passes is still read safely (refused, not trusted).
#include <sys/types.h>

#include <cstddef>
#include <istream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/kernel/JsonDocument.h"

namespace vtxhost {

// A stream over a source that tells how many characters were taken from it.
class JsonSourceBuffer : public std::streambuf {
public:
    virtual std::size_t Consumed() const = 0;
};

class JsonSource {
public:
    virtual ~JsonSource() = default;
    // A new stream over the source, from its start. Throws JsonSourceError when it cannot be read.
    virtual std::unique_ptr<JsonSourceBuffer> Open() const = 0;
    // The size known before reading (the file's or the text's).
    virtual std::size_t Size() const = 0;
};

// Why a source could not be read (a file gone, or grown past the limit while read).
struct JsonSourceError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The text must outlive the source.
std::unique_ptr<JsonSource> TextJsonSource(const std::string& text);
// A regular file read through a descriptor; reading past maxBytes is refused.
std::unique_ptr<JsonSource> FileJsonSource(const std::string& path, std::size_t maxBytes);

// Where the checking pass stands: the keys that lead to the current value, as a path of
// keys and list indexes.
class JsonKeyObserver {
public:
    virtual ~JsonKeyObserver() = default;
    // A key met in the object at path (the keys and indexes above it; an index as its decimal text).
    virtual void Key(const std::vector<std::string>& path, const std::string& key) = 0;
};

// The first pass; false with the problem when the source is not a JSON document within the limits.
bool CheckJsonSource(const JsonSource& source, const JsonLimits& limits, JsonProblem& problem,
                     JsonKeyObserver* observer = nullptr);

// The line of the value at the JSON pointer in the source (LineOfPointer, JsonDocument.h).
int LineOfPointer(const JsonSource& source, const std::string& pointer);

// What a file of this mode is, for a refusal: "a directory", "a pipe", ...
const char* FileKind(mode_t mode);

// A problem the pull reader met (a source changed since it was checked): its line and words.
struct JsonPullError : std::runtime_error {
    JsonPullError(int line, const std::string& text) : std::runtime_error(text), line(line) {}
    int line;
};

class JsonPullReader {
public:
    JsonPullReader(const JsonSource& source, const JsonLimits& limits);
    ~JsonPullReader();

    enum class Kind { Object, Array, Other };
    // The kind of the next value, not read yet.
    Kind Peek() const;
    // Into the object that is the next value; then NextKey until it answers false.
    void BeginObject();
    // The next key of the innermost open object, whose value comes next; false at its end
    // (the object is then closed).
    bool NextKey(std::string& key);
    // Into the list that is the next value; then NextItem until it answers false.
    void BeginArray();
    // Whether the innermost open list has another item, which comes next; false at its end.
    bool NextItem();
    // The next value, taken whole.
    Json Value();
    // After the document's value: nothing but white space may follow.
    void End();

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace vtxhost
