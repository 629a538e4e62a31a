#pragma once
// Building the text lists and text-triple lists that records hand to the host.
#include <cstdint>
#include <string>

#include "vtx/ClassInfo.h"

namespace Vtx {

// A new list holding a copy of each text, in order; null for no texts.
template <class Texts>
TEXT_LIST* MakeTextList(const Texts& texts) {
    if (texts.empty()) return nullptr;
    TEXT_LIST* list = NewTextList(static_cast<std::int32_t>(texts.size()));
    try {
        std::int32_t i = 0;
        for (const std::string& text : texts) list->texts[i++] = DuplicateText(text.c_str());
    } catch (...) {
        FreeTextList(list);
        throw;
    }
    return list;
}

// A new triple list, one triple per element, each text a copy of what `first`, `second`
// and `third` read from the element; null for no elements.
template <class Elements, class First, class Second, class Third>
TEXT_TRIPLE_LIST* MakeTextTripleList(const Elements& elements, First first, Second second, Third third) {
    if (elements.empty()) return nullptr;
    TEXT_TRIPLE_LIST* list = NewTextTripleList(static_cast<std::int32_t>(elements.size()));
    try {
        std::int32_t i = 0;
        for (const auto& element : elements) {
            TEXT_TRIPLE& out = list->triples[i++];
            out.first = DuplicateText(first(element).c_str());
            out.second = DuplicateText(second(element).c_str());
            out.third = DuplicateText(third(element).c_str());
        }
    } catch (...) {
        FreeTextTripleList(list);
        throw;
    }
    return list;
}

} // namespace Vtx
