#include "l10n/xliff_markup.h"

#include <algorithm>

namespace textresl10n::xliff {

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::size_t ElementStart(std::string_view bytes, std::ptrdiff_t offset) {
    std::size_t at = static_cast<std::size_t>(std::max<std::ptrdiff_t>(offset, 0));
    while (at > 0 && bytes[at] != '<') --at;
    return at;
}

std::size_t TagEnd(std::string_view bytes, std::size_t lt) {
    char quote = 0;
    for (std::size_t i = lt + 1; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return bytes.size();
}

bool SelfClosing(std::string_view bytes, std::size_t tagEnd) { return tagEnd >= 2 && bytes[tagEnd - 2] == '/'; }

std::size_t Past(std::string_view bytes, std::size_t from, std::string_view end) {
    const std::size_t at = bytes.find(end, from);
    return at == std::string_view::npos ? at : at + end.size();
}

std::size_t MatchingEnd(std::string_view bytes, std::size_t lt) {
    std::size_t depth = 0;
    for (std::size_t i = lt; (i = bytes.find('<', i)) != std::string_view::npos;) {
        const std::string_view rest = bytes.substr(i);
        if (rest.substr(0, 4) == "<!--") {
            i = Past(bytes, i + 4, "-->");
        } else if (rest.substr(0, 9) == "<![CDATA[") {
            i = Past(bytes, i + 9, "]]>");
        } else if (rest.substr(0, 2) == "<?") {
            i = Past(bytes, i + 2, "?>");
        } else {
            const bool endTag = rest.substr(0, 2) == "</";
            const std::size_t end = TagEnd(bytes, i);
            if (bytes[end - 1] != '>') return std::string_view::npos;
            if (endTag) --depth;
            else if (!SelfClosing(bytes, end)) ++depth;
            if (depth == 0) return end;
            i = end;
        }
    }
    return std::string_view::npos;
}

std::size_t ElementEnd(std::string_view bytes, std::size_t lt) {
    const std::size_t end = MatchingEnd(bytes, lt);
    return end == std::string_view::npos ? bytes.size() : end;
}

std::size_t BlanksBefore(std::string_view bytes, std::size_t at) {
    while (at > 0 && IsXmlSpace(bytes[at - 1])) --at;
    return at;
}

AttributeSpan FindAttribute(std::string_view bytes, std::size_t lt, std::string_view name) {
    const std::size_t end = TagEnd(bytes, lt);
    const auto nameChar = [&](std::size_t i) {
        return i < end && !IsXmlSpace(bytes[i]) && bytes[i] != '=' && bytes[i] != '>' && bytes[i] != '/';
    };
    std::size_t i = lt + 1;
    while (nameChar(i)) ++i;
    for (;;) {
        const std::size_t blank = i;
        while (i < end && IsXmlSpace(bytes[i])) ++i;
        const std::size_t nameBegin = i;
        while (nameChar(i)) ++i;
        if (i == nameBegin) return {};
        const std::string_view found = bytes.substr(nameBegin, i - nameBegin);
        while (i < end && bytes[i] != '"' && bytes[i] != '\'') ++i;
        if (i >= end) return {};
        const char quote = bytes[i];
        const std::size_t valueBegin = ++i;
        while (i < end && bytes[i] != quote) ++i;
        if (found == name) return {true, blank, valueBegin, i};
        ++i;
    }
}

std::size_t AttributeInsertion(std::string_view bytes, std::size_t lt) {
    const std::size_t end = TagEnd(bytes, lt);
    return end - (SelfClosing(bytes, end) ? 2 : 1);
}

}  // namespace textresl10n::xliff
