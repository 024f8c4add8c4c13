#include "layout/header_members.h"

#include "definition/generated_names.h"
#include "text/utf16_reader.h"

namespace textresgen {
namespace {

bool StartsWith(WideStringView text, WideStringView start) { return text.substr(0, start.size()) == start; }

// The name of "<start>Name;" lines ("S Name;", "} Name;"); empty when the line is not one.
WideStringView NameBetween(WideStringView line, WideStringView start) {
    if (line.size() <= start.size() + 1 || !StartsWith(line, start) || line.back() != u';') return {};
    return line.substr(start.size(), line.size() - start.size() - 1);
}

}  // namespace

std::optional<HeaderGroup> ReadHeaderMembers(std::unique_ptr<ByteSource> header, std::string& error) {
    Utf16Reader reader;
    if (!reader.Open(std::move(header))) {
        error = "cannot be read as the UTF-16LE header textresgen writes";
        return std::nullopt;
    }
    const WideString root = WideString(u"struct ") + WideString(names::kTypeName);
    const WideString typedefLine = WideString(u"typedef const wchar_t* ") + WideString(names::kMemberType) + u";";
    const WideString memberStart = WideString(names::kMemberType) + u" ";
    const WideString groupStart = WideString(u"struct ") + names::kGroupTypePrefix;

    HeaderGroup top;
    std::vector<HeaderGroup*> open;  // the groups being read, innermost last
    bool ended = false;
    std::size_t members = 0;
    std::size_t number = 0;
    WideStringView line;
    while (reader.ReadLine(line)) {
        ++number;
        while (!line.empty() && (line.back() == u'\n' || line.back() == u'\r')) line.remove_suffix(1);
        while (!line.empty() && line.front() == u'\t') line.remove_prefix(1);
        bool fits = true;
        if (line.empty() || line == u"{" || StartsWith(line, u"#")) {
            // blank lines, braces that open, the include guard
        } else if (open.empty()) {
            fits = !ended && line == root;
            if (fits) open.push_back(&top);
        } else if (line == typedefLine) {
        } else if (StartsWith(line, groupStart) && line.size() > groupStart.size()) {
            HeaderGroup& outer = *open.back();
            outer.groups.emplace_back();
            outer.groups.back().name = WideString(line.substr(groupStart.size()));
            outer.groups.back().place = outer.members.size() + outer.groups.size() - 1;
            open.push_back(&outer.groups.back());
        } else if (const WideStringView member = NameBetween(line, memberStart); !member.empty()) {
            HeaderGroup& group = *open.back();
            group.members.push_back({WideString(member), members++, group.members.size() + group.groups.size()});
        } else if (const WideStringView closed = NameBetween(line, u"} "); !closed.empty()) {
            fits = open.size() > 1 && closed == open.back()->name;
            open.pop_back();
        } else if (line == u"};") {
            fits = open.size() == 1;
            open.pop_back();
            ended = true;
        } else {
            fits = false;
        }
        if (!fits) {
            error = "line " + std::to_string(number) + " does not have the shape of the textresouce.h textresgen writes";
            return std::nullopt;
        }
    }
    if (reader.ReadFailed()) {
        error = "reading failed after line " + std::to_string(number);
        return std::nullopt;
    }
    if (!ended) {
        error = "ends before its structure TextResource does: it is not a whole textresouce.h";
        return std::nullopt;
    }
    return top;
}

}  // namespace textresgen
