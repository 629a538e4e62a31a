#include "host/patch/DeclaredDefaults.h"

namespace vtxhost {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The id, and a parameter's value and init information: they are the patch's own, so that a
// later version of the module declaring other defaults does not change what a saved patch does.
bool AlwaysWritten(const std::string& key) { return key == "id" || key == "value" || key == "init_info"; }

// Splits "label_12" into "label_" and "12"; false when the id does not close with a number
// written without leading zeros, or is nothing but a number.
bool SplitNumber(const std::string& id, std::string& stem, std::string& number) {
    std::size_t start = id.size();
    while (start > 0 && IsDigit(id[start - 1])) --start;
    if (start == id.size() || start == 0) return false;
    if (id[start] == '0' && start + 1 != id.size()) return false;
    stem = id.substr(0, start);
    number = id.substr(start);
    return true;
}

} // namespace

std::string Renumbered(const std::string& text, const std::string& from, const std::string& to) {
    if (from.empty() || from == to) return text;
    std::string result;
    result.reserve(text.size());
    std::size_t at = 0;
    for (;;) {
        const std::size_t found = text.find(from, at);
        if (found == std::string::npos) break;
        const bool alone = (found == 0 || !IsDigit(text[found - 1])) &&
                           (found + from.size() == text.size() || !IsDigit(text[found + from.size()]));
        result.append(text, at, found - at);
        result += alone ? to : from;
        at = found + from.size();
    }
    result.append(text, at, std::string::npos);
    return result;
}

DeclaredDefaults::DeclaredDefaults(const StoredJson& declared) : declared_(declared) {
    if (!declared_.is_object()) return;
    for (const char* name : {"inputs", "outputs", "parameters"}) {
        if (!declared_.contains(name) || !declared_[name].is_array()) continue;
        List& list = lists_[name];
        const StoredJson& entries = declared_[name];
        for (std::size_t index = 0; index < entries.size(); ++index) {
            const StoredJson& entry = entries[index];
            if (!entry.is_object() || !entry.contains("id") || !entry["id"].is_string()) continue;
            const std::string id = entry["id"].get<std::string>();
            std::string stem, number;
            const bool numbered = SplitNumber(id, stem, number);
            list.byId.emplace(id, Declared{index, numbered ? number : std::string()});
            // The first of a stem stands for the others.
            if (numbered) list.byStem.emplace(stem, Declared{index, number});
        }
    }
}

const DeclaredDefaults::List* DeclaredDefaults::ListOf(const std::string& list) const {
    const auto found = lists_.find(list);
    return found == lists_.end() ? nullptr : &found->second;
}

StoredJson DeclaredDefaults::For(const std::string& listName, const std::string& id) const {
    const List* list = ListOf(listName);
    if (!list) return nullptr;
    if (const auto exact = list->byId.find(id); exact != list->byId.end()) return Entry(listName, exact->second);
    std::string stem, number;
    if (!SplitNumber(id, stem, number)) return nullptr;
    const auto like = list->byStem.find(stem);
    if (like == list->byStem.end()) return nullptr;
    StoredJson entry = Entry(listName, like->second);
    const std::string& from = like->second.number;
    entry["id"] = id;
    for (const char* text : {"name", "description"})
        if (entry.contains(text) && entry[text].is_string())
            entry[text] = Renumbered(entry[text].get<std::string>(), from, number);
    return entry;
}

StoredJson DeclaredDefaults::Compact(const std::string& listName, const StoredJson& entry) const {
    if (!entry.is_object() || !entry.contains("id") || !entry["id"].is_string()) return entry;
    // Compared with the declared entry in place (no renumbered copy): only the name and the
    // description of a numbered one are compared renumbered.
    const List* list = ListOf(listName);
    if (!list) return entry;
    const std::string& id = entry["id"].get_ref<const std::string&>();
    const Declared* declared = nullptr;
    std::string stem, number;
    if (const auto exact = list->byId.find(id); exact != list->byId.end()) {
        declared = &exact->second;
        number = declared->number;
    } else if (SplitNumber(id, stem, number)) {
        if (const auto like = list->byStem.find(stem); like != list->byStem.end()) declared = &like->second;
    }
    if (!declared) return entry;
    const StoredJson& fields = Entry(listName, *declared);
    StoredJson written = StoredJson::object();
    for (auto it = entry.begin(); it != entry.end(); ++it) {
        const std::string& key = it.key();
        const auto same = fields.find(key);
        bool equal = false;
        if (!AlwaysWritten(key) && same != fields.end()) {
            if ((key == "name" || key == "description") && same->is_string() && it.value().is_string())
                equal = Renumbered(same->get_ref<const std::string&>(), declared->number, number) ==
                        it.value().get_ref<const std::string&>();
            else
                equal = *same == it.value();
        }
        if (!equal) written[key] = it.value();
    }
    for (auto it = fields.begin(); it != fields.end(); ++it)
        if (!entry.contains(it.key())) written[it.key()] = nullptr;
    return written;
}

StoredJson DeclaredDefaults::Expand(const std::string& list, const StoredJson& written) const {
    if (!written.is_object() || !written.contains("id") || !written["id"].is_string()) return written;
    StoredJson entry = For(list, written["id"].get<std::string>());
    if (!entry.is_object()) entry = StoredJson::object();
    for (auto it = written.begin(); it != written.end(); ++it) {
        if (it.value().is_null())
            entry.erase(it.key());
        else
            entry[it.key()] = it.value();
    }
    return entry;
}

} // namespace vtxhost
