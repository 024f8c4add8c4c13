// A stand-in for the formatting of include/textresgen/format.h, as small as
// the typed messages need: unnumbered directives without flags, width or
// precision. The formatting's own implementation replaces it.
#include <cstdio>
#include <cwchar>
#include <string>

#include <textresgen/format.h>

namespace textresgen::detail {
namespace {

// The directive at text[i] ('%'): its end, its length letters and conversion.
struct Directive {
    std::size_t end = 0;
    std::wstring length;
    wchar_t conversion = 0;
};

bool ReadDirective(std::wstring_view text, std::size_t i, Directive& directive) {
    std::size_t j = i + 1;
    while (j < text.size() && std::wcschr(L"hljztL", text[j]) != nullptr && text[j] != 0)
        directive.length.push_back(text[j++]);
    if (j == text.size()) return false;
    directive.conversion = text[j];
    directive.end = j + 1;
    return std::wcschr(L"diouxXfFeEgGaAcspn%", directive.conversion) != nullptr && directive.conversion != 0;
}

void AppendNarrow(std::wstring& out, std::string_view text) {
    for (const char c : text) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
}

std::wstring Render(const Directive& directive, const FormatArg& arg) {
    std::wstring out;
    switch (arg.kind()) {
        case FormatArg::Kind::Signed: return std::to_wstring(arg.Signed());
        case FormatArg::Kind::Unsigned: return std::to_wstring(arg.Unsigned());
        case FormatArg::Kind::Character: return std::wstring(1, static_cast<wchar_t>(arg.Signed()));
        case FormatArg::Kind::WideCharacter: return std::wstring(1, static_cast<wchar_t>(arg.Signed()));
        case FormatArg::Kind::Floating: return std::to_wstring(static_cast<double>(arg.Floating()));
        case FormatArg::Kind::Narrow: AppendNarrow(out, arg.Narrow()); return out;
        case FormatArg::Kind::Wide: return std::wstring(arg.Wide());
        case FormatArg::Kind::Pointer: {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%p", arg.Pointer());
            AppendNarrow(out, buffer);
            return out;
        }
    }
    (void)directive;
    return out;
}

}  // namespace

std::wstring FormatArgs(const wchar_t* text, const FormatArg* args, std::size_t count) {
    const std::wstring_view view(text);
    std::wstring out;
    std::size_t used = 0;
    for (std::size_t i = 0; i < view.size();) {
        Directive directive;
        if (view[i] != L'%' || !ReadDirective(view, i, directive)) {
            out.push_back(view[i++]);
            continue;
        }
        if (directive.conversion == L'%') {
            out.push_back(L'%');
        } else if (directive.conversion == L'n' || used == count) {
            out.append(view.substr(i, directive.end - i));
        } else {
            out += Render(directive, args[used++]);
        }
        i = directive.end;
    }
    return out;
}

std::string FormatArgsUtf8(const wchar_t* text, const FormatArg* args, std::size_t count) {
    std::string out;
    for (const wchar_t c : FormatArgs(text, args, count)) out.push_back(static_cast<char>(c));
    return out;
}

std::string PrintfSignature(std::wstring_view text) {
    std::string signature;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%') continue;
        Directive directive;
        if (!ReadDirective(text, i, directive) || directive.conversion == L'n') return "!" + signature;
        i = directive.end - 1;
        if (directive.conversion == L'%') continue;
        if (!signature.empty()) signature += ',';
        for (const wchar_t c : directive.length) signature.push_back(static_cast<char>(c));
        signature.push_back(static_cast<char>(directive.conversion));
    }
    return signature;
}

}  // namespace textresgen::detail
