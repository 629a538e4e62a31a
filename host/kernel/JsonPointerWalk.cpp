#include "host/kernel/JsonPointerWalk.h"

namespace vtxhost {

std::vector<std::string> PointerTokens(const std::string& pointer) {
    std::vector<std::string> tokens;
    std::size_t at = 0;
    while (at < pointer.size()) {
        const std::size_t next = pointer.find('/', at + 1);
        const std::string raw = pointer.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
        std::string token;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '~' && i + 1 < raw.size() && (raw[i + 1] == '0' || raw[i + 1] == '1')) {
                token += raw[i + 1] == '0' ? '~' : '/';
                ++i;
            } else {
                token += raw[i];
            }
        }
        tokens.push_back(std::move(token));
        if (next == std::string::npos) break;
        at = next;
    }
    return tokens;
}

bool CJsonPointerWalk::key(string_t& key) {
    frames_.back().key = std::move(key);
    return true;
}

bool CJsonPointerWalk::Enter(bool container, bool array) {
    const std::size_t depth = frames_.size();
    bool onPath = matched_ == depth && depth <= tokens_.size();
    if (depth > 0) {
        // The token of the value just started within its container (and past it).
        Frame& frame = frames_.back();
        const std::string token = frame.array ? std::to_string(frame.index++) : frame.key;
        onPath = onPath && token == tokens_[depth - 1];
    }
    if (onPath) {
        found_ = true;
        OnPath();
        if (depth == tokens_.size()) return false;  // found
    }
    if (container) {
        frames_.push_back(Frame{array, 0, {}});
        if (onPath) matched_ = depth + 1;
    }
    return true;
}

bool CJsonPointerWalk::Leave() {
    const bool wasOnPath = matched_ == frames_.size();
    frames_.pop_back();
    // Keys are unique, so the path cannot go on after its container closed.
    return !wasOnPath;
}

} // namespace vtxhost
