#pragma once
// Localised strings from the string-table resources of a module image, and a text value
// that is either a plain string or a reference to such a resource, resolved on first read.
#include <cstdint>
#include <locale>
#include <string>

#include <boost/any.hpp>

namespace ulx {

template <class CharT>
class resource_table_messages;

// A std::messages facet over string tables: the catalog is the language id, the set is
// the module handle (0 for the main module).
template <>
class resource_table_messages<char> : public std::messages<char> {
public:
    explicit resource_table_messages(std::size_t refs = 0) : std::messages<char>(refs) {}

protected:
    catalog do_open(const std::string& name, const std::locale& locale) const override;
    string_type do_get(catalog languageId, int set, int messageId, const string_type& fallback) const override;
    void do_close(catalog) const override {}
};

// The language id a locale name stands for: "C" → 0, English (United States) → 1033,
// Italian (Italy) → 1040, anything else → -1. Both the Windows names and the POSIX names
// of the two languages are recognised.
int LanguageIdOfLocaleName(const std::string& name);

// The module's own text for the id in the module language; empty when there is none.
std::string load_resource_string(int id);

template <class CharT>
class basic_resource_string;

template <>
class basic_resource_string<char> {
public:
    struct resource_info {
        std::uint32_t messageId;
        void* set;
        const std::messages<char>* facet;
        std::int32_t catalog;
        std::string fallback;
    };

    basic_resource_string() : value_(std::string()) {}
    basic_resource_string(const char* text) : value_(std::string(text ? text : "")) {}
    basic_resource_string(std::string text) : value_(std::move(text)) {}
    basic_resource_string(resource_info info) : value_(std::move(info)) {}

    // The text; a resource reference is looked up once and its result kept.
    std::string str() const;
    bool is_resolved() const { return boost::any_cast<std::string>(&value_) != nullptr; }

private:
    mutable boost::any value_;
};

using resource_string = basic_resource_string<char>;

} // namespace ulx
