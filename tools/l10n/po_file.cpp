#include "l10n/po_file.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <unordered_map>

#include "l10n/base_comparison.h"
#include "l10n/key_index.h"
#include "l10n/message_text.h"
#include "l10n/plural_forms.h"
#include "codec/c_format.h"
#include "runtime/plural_rules.h"

namespace textresl10n {
namespace {

// The flag of a unit not to be translated, as Weblate reads it.
constexpr const char* kReadOnlyFlag = "read-only";

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view Trim(std::string_view text) {
    text = TrimLeft(text);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

int OctalDigit(char c) { return c >= '0' && c <= '7' ? c - '0' : -1; }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The escapes of a PO string that have a letter of their own: the letter
// after a backslash and the byte it stands for, as gettext reads and writes them.
constexpr std::pair<char, char> kLetterEscapes[] = {{'n', '\n'}, {'t', '\t'}, {'r', '\r'},  {'a', '\a'}, {'b', '\b'},
                                                    {'f', '\f'}, {'v', '\v'}, {'\\', '\\'}, {'"', '"'}};

// The byte that a backslash and `letter` stand for, 0 when they are no such escape.
char ByteOfEscape(char letter) {
    for (const auto& [escape, byte] : kLetterEscapes)
        if (escape == letter) return byte;
    return letter == '\'' ? '\'' : 0;  // \' is read, never written
}

// The letter that escapes `byte`, 0 when it has none.
char EscapeOfByte(char byte) {
    for (const auto& [escape, escaped] : kLetterEscapes)
        if (escaped == byte) return escape;
    return 0;
}

// Parses one quoted string at the start of `text` (after leading blanks)
// and appends its bytes to `out`. Only blanks may follow it.
bool ParseQuoted(std::string_view text, std::string& out, std::string& error) {
    text = TrimLeft(text);
    if (text.empty() || text.front() != '"') {
        error = "a quoted string is expected here";
        return false;
    }
    std::size_t i = 1;
    for (;;) {
        if (i >= text.size()) {
            error = "the string has no closing '\"'";
            return false;
        }
        const char c = text[i++];
        if (c == '"') break;
        if (c != '\\') {
            out += c;
        } else {
            if (i >= text.size()) {
                error = "the string has no closing '\"'";
                return false;
            }
            const char e = text[i++];
            if (const char byte = ByteOfEscape(e)) {
                out += byte;
            } else switch (e) {
                case 'x': {
                    int value = 0;
                    std::size_t digits = 0;
                    for (int d; digits < 2 && i < text.size() && (d = HexDigit(text[i])) >= 0; ++digits, ++i)
                        value = value * 16 + d;
                    if (digits == 0) {
                        error = "'\\x' has no hex digits";
                        return false;
                    }
                    out += static_cast<char>(value);
                    break;
                }
                default:
                    if (OctalDigit(e) >= 0) {
                        int value = OctalDigit(e);
                        for (int k = 0; k < 2 && i < text.size() && OctalDigit(text[i]) >= 0; ++k)
                            value = value * 8 + OctalDigit(text[i++]);
                        if (value > 0xFF) {
                            error = "an octal escape above \\377 is no byte";
                            return false;
                        }
                        out += static_cast<char>(value);
                    } else {
                        error = "the escape '\\" + std::string(1, e) + "' is not one PO strings know";
                        if (static_cast<unsigned char>(e) < 0x20 || static_cast<unsigned char>(e) >= 0x7F)
                            error = "an unknown escape";
                        return false;
                    }
            }
        }
        if (out.size() > kMaxPoStringBytes) {
            error = "the string is longer than " + std::to_string(kMaxPoStringBytes / 1024) +
                    " KiB, far more than any literal a compiler takes";
            return false;
        }
    }
    if (!Trim(text.substr(i)).empty()) {
        error = "there is text after the string's closing '\"'";
        return false;
    }
    return true;
}

class PoParser {
public:
    PoParser(PoDocument& document, ExchangeProblem& problem) : doc_(document), problem_(problem) {}

    bool Run(std::string_view bytes) {
        doc_ = PoDocument();
        if (bytes.size() > UINT32_MAX) return Fail("the file is larger than 4 GiB");
        doc_.lines.Start(bytes.data());
        doc_.byteOrderMark = StartsWith(bytes, "\xEF\xBB\xBF");
        if (doc_.byteOrderMark) bytes.remove_prefix(3);
        if (!SplitLines(bytes)) return false;
        for (line_ = 0; line_ < doc_.lines.size(); ++line_) {
            if (!Line(doc_.lines[line_])) return false;
        }
        if (!Finish()) return false;
        return CheckHeader();
    }

private:
    // False at the first CR that no LF follows: such line ends (classic Mac
    // OS) would otherwise make the whole file one line.
    bool SplitLines(std::string_view bytes) {
        doc_.lines.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
        std::size_t start = 0;
        std::size_t crlfLines = 0;
        while (start < bytes.size()) {
            std::size_t end = bytes.find('\n', start);
            const bool last = end == std::string_view::npos;
            if (last) end = bytes.size();
            std::string_view line = bytes.substr(start, end - start);
            const bool crlf = !last && !line.empty() && line.back() == '\r';
            if (crlf) line.remove_suffix(1);
            if (line.find('\r') != std::string_view::npos) {
                line_ = doc_.lines.size();
                return Fail("a line ends in CR alone (classic Mac OS line ends); PO lines end in LF or CR LF: "
                            "save the file with those");
            }
            crlfLines += crlf;
            doc_.lines.push_back(line, crlf);
            doc_.finalLineEnd = !last;
            start = end + 1;
        }
        doc_.crlf = crlfLines * 2 > doc_.lines.size() - (doc_.finalLineEnd ? 0 : 1);
        doc_.kinds.assign(doc_.lines.size(), PoLineKind::Blank);
        return true;
    }

    std::size_t LineNumber() const { return line_ + 1; }

    bool Fail(const std::string& message) {
        problem_.line = LineNumber();
        problem_.message = message;
        return false;
    }

    // Appends one quoted string (the start of `text`) to the field being read.
    bool AppendToField(std::string_view text) {
        std::string error;
        if (!ParseQuoted(text, scratch_, error)) return Fail(error);
        if (++segments_ == 1) raw_ = TrimLeft(text).substr(1, scratch_.size());
        return true;
    }

    // Ends the field being read: a view of its bytes in the file when one
    // string without escapes holds it, else of its decoded copy.
    void FinishField() {
        if (field_ == nullptr) return;
        if (segments_ == 1 && raw_ == scratch_) {
            *field_ = raw_;
        } else {
            doc_.decoded.push_back(std::move(scratch_));
            *field_ = doc_.decoded.back();
        }
        scratch_.clear();
        segments_ = 0;
        field_ = nullptr;
    }

    // Starts reading a field into `field`.
    void StartField(std::string_view* field, PoLineKind kind) {
        FinishField();
        field_ = field;
        fieldKind_ = kind;
    }

    // The entry read so far, with its texts, to the document.
    void PushEntry() {
        entry_.end = line_;
        for (unsigned char field = 0; field < PoEntry::kFields; ++field) {
            entry_.SetText(static_cast<PoEntry::Field>(field), texts_[field]);
            texts_[field] = {};
        }
        doc_.entries.push_back(std::move(entry_));
    }

    // Starts a new entry at the current line unless the current one is empty.
    void StartEntry() {
        FinishField();
        if (open_) {
            PushEntry();
        }
        entry_ = PoEntry();
        entry_.first = line_;
        open_ = true;
        previousField_ = nullptr;
    }

    bool CloseEntry() {
        FinishField();
        if (!open_) return true;
        if (entry_.hasKeywords && !entry_.obsolete) {
            if (!entry_.hasMsgid) {
                problem_.line = entry_.keyLine;
                problem_.message = "the entry has no msgid";
                return false;
            }
            if (!entry_.hasMsgstr) {
                problem_.line = entry_.keyLine;
                problem_.message = entry_.hasPlural ? "the entry has no msgstr[0]" : "the entry has no msgstr";
                return false;
            }
        }
        PushEntry();
        entry_ = PoEntry();
        open_ = false;
        return true;
    }

    bool Finish() {
        line_ = doc_.lines.size();
        return CloseEntry();
    }

    // An entry ends at a blank line, or where a comment or a key follows
    // its msgstr.
    bool Line(std::string_view raw) {
        const std::string_view text = TrimLeft(raw);
        PoLineKind& kind = doc_.kinds[line_];
        if (text.empty()) {
            kind = PoLineKind::Blank;
            return CloseEntry();
        }
        if (StartsWith(text, "#~")) {
            kind = PoLineKind::Obsolete;
            if (open_ && entry_.hasKeywords && !entry_.obsolete && !CloseEntry()) return false;
            if (!open_) StartEntry();
            entry_.obsolete = true;
            return true;
        }
        if (text.front() == '#') {
            if (open_ && (entry_.hasMsgstr || entry_.obsolete) && !CloseEntry()) return false;
            if (!open_) StartEntry();
            return Comment(text, kind);
        }
        if (text.front() == '"') {
            if (field_ == nullptr) return Fail("a string continues no msgctxt, msgid or msgstr");
            kind = fieldKind_;
            return AppendToField(text);
        }
        return Keyword(text, kind);
    }

    bool Comment(std::string_view text, PoLineKind& kind) {
        FinishField();
        const char second = text.size() > 1 ? text[1] : ' ';
        std::string_view rest = text.substr(std::min<std::size_t>(2, text.size()));
        switch (second) {
            case '.': kind = PoLineKind::Note; return true;
            case ':': kind = PoLineKind::Reference; return true;
            case ',': {
                kind = PoLineKind::Flags;
                // Flags are a few words; a hostile line of millions would
                // cost a view each where they are read.
                std::string_view& flagText = texts_[PoEntry::kFlagText];
                if (flagText.size() + rest.size() > kMaxPoFlagBytes)
                    return Fail("the entry's flags (\"#,\" lines) are longer than " +
                                std::to_string(kMaxPoFlagBytes) + " bytes");
                if (flagText.empty()) {
                    flagText = rest;
                } else {
                    doc_.decoded.push_back(std::string(flagText) + "," + std::string(rest));
                    flagText = doc_.decoded.back();
                }
                return true;
            }
            case '|': {
                kind = PoLineKind::Previous;
                rest = TrimLeft(rest);
                std::string error;
                const bool msgid = StartsWith(rest, "msgid") && !StartsWith(rest, "msgid_");
                if (msgid || StartsWith(rest, "msgctxt")) {
                    previousField_ = msgid ? &entry_.MutableRare().previousMsgid : &entry_.MutableRare().previousContext;
                    (msgid ? entry_.hasPrevious : entry_.hasPreviousContext) = true;
                    previous_.clear();
                    rest.remove_prefix(msgid ? 5 : 7);
                } else if (!StartsWith(rest, "\"")) {
                    previousField_ = nullptr;  // #| msgid_plural: kept, not read
                }
                if (previousField_ == nullptr) return true;
                if (!ParseQuoted(rest, previous_, error)) return Fail(error);
                doc_.decoded.push_back(previous_);
                *previousField_ = doc_.decoded.back();
                return true;
            }
            default: kind = PoLineKind::Comment; return true;
        }
    }

    bool Keyword(std::string_view text, PoLineKind& kind) {
        std::size_t length = 0;
        while (length < text.size() && !IsSpace(text[length]) && text[length] != '"') ++length;
        const std::string_view keyword = text.substr(0, length);
        const std::string_view rest = text.substr(length);
        std::size_t formIndex = 0;
        const bool form = StartsWith(keyword, "msgstr[");
        if (form) {
            const std::string_view digits = keyword.substr(7, keyword.size() - 8);
            bool ok = keyword.back() == ']' && !digits.empty() && digits.size() <= 3;
            for (const char c : digits) ok = ok && c >= '0' && c <= '9';
            if (!ok) return Fail(Quoted(keyword.substr(0, 40)) + " is no msgstr[n]");
            formIndex = static_cast<std::size_t>(std::stoul(std::string(digits)));
        }
        if (!form && keyword != "msgctxt" && keyword != "msgid" && keyword != "msgid_plural" && keyword != "msgstr") {
            return Fail(Quoted(keyword.substr(0, 40)) +
                        " is no PO keyword (msgctxt, msgid, msgid_plural, msgstr, a comment or a quoted string is "
                        "expected)");
        }
        FinishField();
        const bool continues = keyword == "msgstr" || keyword == "msgid_plural" || form;
        if (open_ && (entry_.hasMsgstr || entry_.obsolete) && !continues && !CloseEntry()) return false;
        if (!open_) StartEntry();
        entry_.hasKeywords = true;
        if (keyword == "msgctxt") {
            if (entry_.hasContext || entry_.hasMsgid) return Fail("msgctxt must come once, before msgid");
            entry_.hasContext = true;
            entry_.keyLine = LineNumber();
            StartField(&texts_[PoEntry::kContext], kind = PoLineKind::Context);
        } else if (keyword == "msgid") {
            if (entry_.hasMsgid) return Fail("a second msgid in one entry");
            entry_.hasMsgid = true;
            if (!entry_.hasContext) entry_.keyLine = LineNumber();
            StartField(&texts_[PoEntry::kMsgid], kind = PoLineKind::Msgid);
        } else if (keyword == "msgid_plural") {
            if (!entry_.hasMsgid || entry_.hasMsgstr || entry_.hasPlural)
                return Fail("msgid_plural must come once, after msgid and before the msgstr[n]");
            entry_.hasPlural = true;
            StartField(&entry_.MutableRare().msgidPlural, kind = PoLineKind::MsgidPlural);
        } else if (form) {
            if (!entry_.hasPlural) return Fail("msgstr[n] without msgid_plural before it");
            if (formIndex != entry_.FormCount())
                return Fail("msgstr[" + std::to_string(formIndex) + "] where msgstr[" +
                            std::to_string(entry_.FormCount()) + "] is expected");
            if (formIndex == 0) entry_.msgstrLine = LineNumber();
            entry_.hasMsgstr = true;
            PoEntry::Rare& rare = entry_.MutableRare();
            rare.msgstrs.emplace_back();
            rare.lines.push_back(LineNumber());
            StartField(&rare.msgstrs.back(), kind = PoLineKind::Msgstr);
        } else {
            if (!entry_.hasMsgid) return Fail("msgstr without msgid before it");
            if (entry_.hasPlural) return Fail("an entry with msgid_plural has msgstr[0], msgstr[1], ..., not msgstr");
            if (entry_.hasMsgstr) return Fail("a second msgstr in one entry");
            entry_.hasMsgstr = true;
            entry_.msgstrLine = LineNumber();
            StartField(&texts_[PoEntry::kMsgstr], kind = PoLineKind::Msgstr);
        }
        return AppendToField(rest);
    }

    bool CheckHeader() {
        for (const PoEntry& entry : doc_.entries) {
            if (!entry.IsHeader()) continue;
            std::string lower;
            for (const char c : entry.Msgstr()) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            const std::size_t at = lower.find("charset=");
            if (at == std::string::npos) return true;
            std::string_view charset = std::string_view(lower).substr(at + 8);
            charset = charset.substr(0, charset.find_first_of(" ;\n\t"));
            if (charset != "utf-8" && charset != "utf8" && charset != "ascii" && charset != "us-ascii" &&
                charset != "charset") {
                problem_.line = entry.msgstrLine;
                problem_.message = "the header declares the charset " + Quoted(charset) +
                                   "; textresl10n reads PO files in UTF-8 only (msgconv --to-code=UTF-8 converts them)";
                return false;
            }
            return true;
        }
        return true;
    }

    PoDocument& doc_;
    ExchangeProblem& problem_;
    std::size_t line_ = 0;
    PoEntry entry_;
    bool open_ = false;
    std::string_view texts_[PoEntry::kFields];  // entry_'s texts while it is read
    std::string_view* field_ = nullptr;  // the text being read, null between texts
    std::string scratch_;                // its bytes so far, decoded
    std::string_view raw_;               // its first string's bytes in the file
    std::size_t segments_ = 0;           // how many strings it has
    PoLineKind fieldKind_ = PoLineKind::Msgid;
    std::string_view* previousField_ = nullptr;  // the "#| msgid" or "#| msgctxt" being read
    std::string previous_;
};

// ------------------------------------------------------------------ writing

void AppendEscaped(std::string& out, std::string_view text) {
    static const char kOctal[] = "01234567";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (const char letter = EscapeOfByte(c)) {
            out += '\\';
            out += letter;
        } else if (byte < 0x20 || byte == 0x7F) {
            out += '\\';
            out += kOctal[(byte >> 6) & 7];
            out += kOctal[(byte >> 3) & 7];
            out += kOctal[byte & 7];
        } else {
            out += c;
        }
    }
}

// `keyword "text"`, or, for a text with a line break before its end, the
// keyword with "" and one line per line of the text, as gettext writes it.
void AppendString(std::vector<std::string>& lines, const std::string& prefix, std::string_view text) {
    const std::size_t lineBreak = text.find('\n');
    if (lineBreak == std::string_view::npos || lineBreak + 1 == text.size()) {
        std::string line = prefix + " \"";
        AppendEscaped(line, text);
        lines.push_back(line + "\"");
        return;
    }
    lines.push_back(prefix + " \"\"");
    const std::string continuation = StartsWith(prefix, "#|") ? "#| \"" : "\"";
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        end = end == std::string_view::npos ? text.size() : end + 1;
        std::string line = continuation;
        AppendEscaped(line, text.substr(0, end));
        lines.push_back(line + "\"");
        text.remove_prefix(end);
    }
}

template <typename Flag>
std::string FlagLine(const std::vector<Flag>& flags) {
    std::string line = "#,";
    for (std::size_t i = 0; i < flags.size(); ++i) {
        line += i == 0 ? " " : ", ";
        line += flags[i];
    }
    return line;
}

// `notes`: a unit's (strings) or a base unit's (views).
template <typename Notes>
void AppendNotes(std::vector<std::string>& lines, const Notes& notes) {
    for (const std::string_view note : notes) lines.push_back(note.empty() ? "#." : "#. " + std::string(note));
}

bool IsCFormatUnit(std::string_view source, bool plural, std::string_view sourcePlural) {
    return IsCFormatText(source) || (plural && IsCFormatText(sourcePlural));
}

// The source a fuzzy translation was made for, as "#| msgctxt" (when its
// name was another) and "#| msgid", as msgmerge --previous writes them.
struct PreviousSource {
    std::optional<std::string_view> context;
    std::string_view msgid;
};

// `forms`: how many msgstr[i] a plural unit gets in this file.
std::vector<std::string> UnitLines(const ExchangeUnit& unit, const std::optional<PreviousSource>& previous,
                                   std::size_t forms) {
    std::vector<std::string> lines;
    AppendNotes(lines, unit.notes);
    lines.push_back("#: " + unit.key);
    std::vector<std::string> flags;
    if (unit.state == UnitState::NeedsReview) flags.push_back("fuzzy");
    if (IsCFormatUnit(unit.source, unit.plural, unit.sourcePlural)) flags.push_back("c-format");
    if (!unit.translate) flags.push_back(kReadOnlyFlag);
    if (!flags.empty()) lines.push_back(FlagLine(flags));
    if (previous) {
        if (previous->context) AppendString(lines, "#| msgctxt", *previous->context);
        AppendString(lines, "#| msgid", previous->msgid);
    }
    AppendString(lines, "msgctxt", unit.key);
    AppendString(lines, "msgid", unit.source);
    if (!unit.plural) {
        AppendString(lines, "msgstr", unit.state == UnitState::Untranslated ? std::string() : unit.target);
        return lines;
    }
    AppendString(lines, "msgid_plural", unit.sourcePlural);
    for (std::size_t i = 0; i < std::max<std::size_t>(forms, 1); ++i) {
        const bool filled = unit.state != UnitState::Untranslated && i < unit.forms.size();
        AppendString(lines, "msgstr[" + std::to_string(i) + "]", filled ? unit.forms[i].text : std::string());
    }
    return lines;
}

// Appends an entry's lines to a new file, a blank line before every entry
// but the first.
void AppendLines(std::string& out, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        out += line;
        out += '\n';
    }
}

std::vector<std::string> HeaderLines(const ExchangeHeader& header, bool plurals) {
    std::vector<std::string> lines = {"msgid \"\"", "msgstr \"\""};
    const auto field = [&](const std::string& text) {
        std::string line = "\"";
        AppendEscaped(line, text + "\n");
        lines.push_back(line + "\"");
    };
    field("Project-Id-Version: " + header.original);
    // msgfmt -c asks for these three; the translator's tool fills them in.
    field("PO-Revision-Date: " + header.revisionDate);
    field("Last-Translator: ");
    field("Language-Team: ");
    field("Language: " + header.targetLanguage);
    field("MIME-Version: 1.0");
    field("Content-Type: text/plain; charset=UTF-8");
    field("Content-Transfer-Encoding: 8bit");
    if (plurals)
        field("Plural-Forms: " + (header.targetLanguage.empty() ? std::string("nplurals=INTEGER; plural=EXPRESSION;")
                                                                : textresgen::plural::GettextPluralForms(header.targetLanguage)));
    field("X-Generator: textresl10n");
    return lines;
}

}  // namespace

std::vector<std::string_view> PoEntry::Flags() const {
    std::vector<std::string_view> flags;
    for (std::string_view rest = FlagText(); !rest.empty();) {
        const std::size_t comma = rest.find(',');
        const std::string_view flag = Trim(rest.substr(0, comma));
        if (!flag.empty()) flags.push_back(flag);
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return flags;
}

bool PoEntry::HasFlag(std::string_view flag) const {
    const std::vector<std::string_view> flags = Flags();
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

bool PoEntry::HasTranslation() const {
    if (!Msgstr().empty()) return true;
    if (!rare) return false;
    for (const std::string_view form : rare->msgstrs)
        if (!form.empty()) return true;
    return false;
}

bool IsCFormatText(std::string_view utf8) {
    textresgen::LiteralValues values;
    std::size_t bad = 0;
    return textresgen::Utf8ToValues(utf8, values, bad) && textresgen::ParsePrintfFormat(values).IsFormat();
}

bool ParsePo(std::string_view bytes, PoDocument& document, ExchangeProblem& problem) {
    return PoParser(document, problem).Run(bytes);
}

namespace {

// PoEntryKey's key as a view into the document.
bool EntryKeyView(const PoDocument& document, const PoEntry& entry, std::string_view& key) {
    if (entry.hasContext) {
        key = entry.Context();
        return true;
    }
    // xliff2po writes no msgctxt, only the key as the one "#:" reference.
    std::string_view only;
    std::size_t count = 0;
    for (std::size_t i = entry.first; i < entry.end; ++i) {
        if (document.kinds[i] != PoLineKind::Reference) continue;
        std::string_view rest = std::string_view(document.lines[i]);
        rest.remove_prefix(rest.find(':') + 1);
        while (!(rest = TrimLeft(rest)).empty()) {
            std::size_t length = 0;
            while (length < rest.size() && !IsSpace(rest[length])) ++length;
            only = rest.substr(0, length);
            ++count;
            rest.remove_prefix(length);
        }
    }
    if (count != 1) return false;
    key = only;
    return true;
}

}  // namespace

bool PoEntryKey(const PoDocument& document, const PoEntry& entry, std::string& key) {
    std::string_view view;
    if (!EntryKeyView(document, entry, view)) return false;
    key.assign(view);
    return true;
}

namespace {

// What the header says about plural forms: the language and the formula
// that maps counts to msgstr[i] (the file's own, else CLDR's for the
// language), read when the first plural entry needs it.
class PoPlurals {
public:
    // The header is found now: a caller that lets entries go as it reads
    // them may have let it go before the first plural entry.
    explicit PoPlurals(const PoDocument& document) : document_(document) {
        for (const PoEntry& entry : document.entries) {
            if (!entry.IsHeader()) continue;
            header_ = true;
            headerText_ = entry.Msgstr();
            headerLine_ = entry.msgstrLine;
            headerFirst_ = entry.first;
            headerEnd_ = entry.end;
        }
    }

    bool Assign(const PoEntry& entry, ExchangeUnit& unit, ExchangeProblem& problem) {
        if (!read_ && !Read(problem)) return false;
        if (language_.empty()) {
            if (entry.HasTranslation()) {
                problem.line = entry.msgstrLine;
                problem.message = "the header names no Language, so the plural forms of " + Quoted(unit.key) +
                                  " cannot be matched to the language's plural categories";
                return false;
            }
            return true;
        }
        const std::vector<std::string_view> none;
        const std::vector<std::string_view>& msgstrs = entry.rare ? entry.rare->msgstrs : none;
        AssignForms(map_, std::vector<std::string>(msgstrs.begin(), msgstrs.end()),
                    entry.rare ? entry.rare->lines : std::vector<std::size_t>(), unit);
        return true;
    }

private:
    bool Read(ExchangeProblem& problem) {
        read_ = true;
        std::size_t ignored = 0;
        if (!header_ || !HeaderField(headerText_, "Language", language_, ignored) || language_.empty()) return true;
        std::string value;
        PluralFormula formula = LanguageFormula(language_);
        std::size_t line = headerLine_;
        std::string error;
        if (HeaderField(headerText_, "Plural-Forms", value, ignored)) {
            for (std::size_t i = headerFirst_; i < headerEnd_; ++i)
                if (document_.lines[i].find("Plural-Forms") != std::string::npos) line = i + 1;
            if (!formula.Parse(value, error)) {
                problem.line = line;
                problem.message = error + " (the Plural-Forms of the language " + Quoted(language_) +
                                  " belong there; msginit leaves nplurals=INTEGER for a language it has no formula "
                                  "for, unless GETTEXTCLDRDIR names CLDR's data)";
                return false;
            }
        }
        if (!FormsOfCategories(language_, formula, map_, error)) {
            problem.line = line;
            problem.message = error;
            return false;
        }
        return true;
    }

    const PoDocument& document_;
    bool header_ = false;
    std::string_view headerText_;
    std::size_t headerLine_ = 0, headerFirst_ = 0, headerEnd_ = 0;
    bool read_ = false;
    std::string language_;
    CategoryForms map_;
};

}  // namespace

namespace {

using NumberedTake = std::function<void(std::size_t entry, ExchangeUnit&& unit)>;
bool EachUnit(const PoDocument& document, ExchangeProblem& problem, const NumberedTake& take,
              std::deque<PoEntry>* letGo);
bool MakeUnit(const PoEntry& entry, std::string_view key, PoPlurals& plurals, ExchangeUnit& unit,
              ExchangeProblem& problem);

// A parsed file whose units are made again from their entries when asked
// for: the entries (80 bytes each) stand in for the units.
class PoUnits final : public UnitFile {
public:
    bool Parse(std::string_view bytes, ExchangeProblem& problem) {
        if (!ParsePo(bytes, document_, problem)) return false;
        plurals_.emplace(document_);  // finds the header, which the document now holds
        return true;
    }
    bool ForEach(ExchangeProblem& problem,
                 const std::function<void(std::uint32_t, const ExchangeUnit&)>& take) const override {
        return EachUnit(document_, problem,
                        [&](std::size_t e, ExchangeUnit&& unit) { take(static_cast<std::uint32_t>(e), unit); },
                        nullptr);
    }
    const ExchangeUnit& Unit(std::uint32_t number) const override { return Remade(document_.entries[number]); }
    // Without the checks ForEach made, and without the keys it met: each
    // entry let go as soon as its unit is made.
    void TakeEach(const std::function<void(const ExchangeUnit&)>& take) override {
        for (; !document_.entries.empty(); document_.entries.pop_front())
            if (document_.entries.front().IsUnit()) take(Remade(document_.entries.front()));
    }

private:
    const ExchangeUnit& Remade(const PoEntry& entry) const {
        std::string_view key;
        ExchangeProblem problem;
        EntryKeyView(document_, entry, key);
        current_ = ExchangeUnit();
        MakeUnit(entry, key, *plurals_, current_, problem);  // ForEach made it once: it cannot fail
        return current_;
    }

    PoDocument document_;
    mutable std::optional<PoPlurals> plurals_;
    mutable ExchangeUnit current_;
};

}  // namespace

bool TakePoUnits(PoDocument& document, std::vector<ExchangeUnit>& units, ExchangeProblem& problem) {
    units.clear();
    std::size_t count = 0;
    for (const PoEntry& entry : document.entries) count += entry.IsUnit();
    units.reserve(count);
    return EachUnit(document, problem, [&](std::size_t, ExchangeUnit&& unit) { units.push_back(std::move(unit)); },
                    &document.entries);
}

bool ForEachPoUnit(const PoDocument& document, ExchangeProblem& problem,
                   const std::function<void(ExchangeUnit&&)>& take) {
    return EachUnit(document, problem, [&](std::size_t, ExchangeUnit&& unit) { take(std::move(unit)); }, nullptr);
}

std::unique_ptr<UnitFile> OpenPoUnits(std::string_view bytes, ExchangeProblem& problem) {
    auto units = std::make_unique<PoUnits>();
    if (!units->Parse(bytes, problem)) return nullptr;
    return units;
}

namespace {

// `letGo`: the document's own entries, each let go once its unit is made
// (the keys in `seen` are views into the file, not into entries); null to
// keep them. `take` gets each unit with its entry's number.
bool EachUnit(const PoDocument& document, ExchangeProblem& problem, const NumberedTake& take,
              std::deque<PoEntry>* letGo) {
    // The keys met so far and their lines, found through `seen`: kept as
    // columns (16 bytes a key, where a struct of a view and a line takes 24).
    struct Met {
        std::vector<const char*> data;
        std::vector<std::uint32_t> size;
        std::vector<std::uint32_t> line;
        std::string_view Key(std::size_t i) const { return {data[i], size[i]}; }
    } met;
    met.data.reserve(document.entries.size());
    met.size.reserve(document.entries.size());
    met.line.reserve(document.entries.size());
    KeyIndex seen(document.entries.size());
    const auto keyOf = [&met](std::uint32_t i) { return met.Key(i); };
    std::string_view key;
    PoPlurals plurals(document);
    for (std::size_t e = 0; letGo ? !letGo->empty() : e < document.entries.size(); ++e) {
        struct Advance {
            std::deque<PoEntry>* entries;
            ~Advance() {
                if (entries) entries->pop_front();
            }
        } advance{letGo};
        const PoEntry& entry = letGo ? letGo->front() : document.entries[e];
        if (!entry.IsUnit()) continue;
        const auto fail = [&](std::size_t line, std::string message) {
            problem.line = line;
            problem.message = std::move(message);
            return false;
        };
        if (!EntryKeyView(document, entry, key))
            return fail(entry.keyLine, "the entry has no msgctxt and not exactly one \"#:\" reference: textresl10n "
                                       "keys every unit by its msgctxt (or the reference xliff2po keeps), the "
                                       "dotted name of the text");
        const std::uint32_t first = seen.Insert(static_cast<std::uint32_t>(met.data.size()), key, keyOf);
        if (first != KeyIndex::kNone)
            return fail(entry.keyLine, "the key " + Quoted(key) + " appears twice (first at line " +
                                           std::to_string(met.line[first]) + ")");
        met.data.push_back(key.data());
        met.size.push_back(static_cast<std::uint32_t>(key.size()));
        met.line.push_back(entry.keyLine);
        textresgen::LiteralValues values;
        std::size_t bad = 0;
        if (!textresgen::Utf8ToValues(key, values, bad) || !textresgen::Utf8ToValues(entry.Msgid(), values, bad) ||
            !textresgen::Utf8ToValues(entry.MsgidPlural(), values, bad))
            return fail(entry.keyLine, "the msgctxt or msgid is not UTF-8");
        if (!textresgen::Utf8ToValues(entry.Msgstr(), values, bad))
            return fail(entry.msgstrLine, "the msgstr is not UTF-8 (byte " + std::to_string(bad + 1) +
                                              " of the text starts no UTF-8 character)");
        for (std::size_t i = 0; i < entry.FormCount(); ++i)
            if (!textresgen::Utf8ToValues(entry.rare->msgstrs[i], values, bad))
                return fail(entry.rare->lines[i], "the msgstr[" + std::to_string(i) + "] is not UTF-8");
        ExchangeUnit unit;
        if (!MakeUnit(entry, key, plurals, unit, problem)) return false;
        take(e, std::move(unit));
    }
    return true;
}

// The unit of an entry whose key and texts were found usable.
bool MakeUnit(const PoEntry& entry, std::string_view key, PoPlurals& plurals, ExchangeUnit& unit,
              ExchangeProblem& problem) {
    unit.key = key;
    unit.source = entry.Msgid();
    unit.target = entry.Msgstr();
    unit.line = entry.keyLine;
    unit.targetLine = entry.msgstrLine;
    unit.translate = !entry.HasFlag(kReadOnlyFlag);
    if (entry.hasPrevious)
        unit.previous = std::make_unique<const PreviousText>(PreviousText{
                entry.hasPreviousContext && entry.PreviousContext() != key ? std::string(entry.PreviousContext())
                                                                         : std::string(),
                std::string(entry.PreviousMsgid())});
    if (entry.hasPlural) {
        unit.plural = true;
        unit.sourcePlural = entry.MsgidPlural();
        if (!plurals.Assign(entry, unit, problem)) return false;
        unit.state = PluralState(unit, entry.HasFlag("fuzzy"));
    } else if (entry.Msgstr().empty())
        unit.state = entry.Msgid().empty() ? UnitState::Translated : UnitState::Untranslated;
    else
        unit.state = entry.HasFlag("fuzzy") ? UnitState::NeedsReview : UnitState::Translated;
    return true;
}

}  // namespace

PoWriter::PoWriter(const ExchangeHeader& header, bool plurals, std::string& out)
    : forms_(FormCount(header.targetLanguage)), out_(out) {
    AppendLines(out_, HeaderLines(header, plurals));
}

// A blank line before each entry: the header is always before it, even when
// the caller has taken the bytes up to here.
void PoWriter::Add(const ExchangeUnit& unit) {
    out_ += '\n';
    std::optional<PreviousSource> previous;
    if (unit.state == UnitState::NeedsReview && unit.previous) {
        previous = PreviousSource{std::nullopt, unit.previous->source};
        if (!unit.previous->key.empty()) previous->context = unit.previous->key;
    }
    AppendLines(out_, UnitLines(unit, previous, forms_));
}

namespace {

// The lines of the file, each with its own line end. The last one, when
// the file ends without, gets the usual one here and loses it again at the
// end.
class EndedLines {
public:
    explicit EndedLines(const PoDocument& document)
        : document_(document), lineEnd_(document.crlf ? "\r\n" : "\n") {}

    // The file's most common line end, which added lines take.
    const std::string& LineEnd() const { return lineEnd_; }

    std::string Ended(std::size_t i) const {
        std::string line(document_.lines[i]);
        if (i + 1 == document_.lines.size() && !document_.finalLineEnd) return line + lineEnd_;
        return line + (document_.lines.EndsInCrlf(i) ? "\r\n" : "\n");
    }
    void AppendRange(std::vector<std::string>& lines, std::size_t first, std::size_t end) const {
        for (std::size_t i = first; i < end; ++i) lines.push_back(Ended(i));
    }
    std::vector<std::string> Raw(const PoEntry& entry) const {
        std::vector<std::string> lines;
        AppendRange(lines, entry.first, entry.end);
        return lines;
    }
    // The lines of one kind, in their order.
    std::vector<std::string> OfKind(const PoEntry& entry, PoLineKind kind) const {
        std::vector<std::string> lines;
        AppendOfKind(lines, entry, kind);
        return lines;
    }
    void AppendOfKind(std::vector<std::string>& lines, const PoEntry& entry, PoLineKind kind) const {
        for (std::size_t i = entry.first; i < entry.end; ++i)
            if (document_.kinds[i] == kind) lines.push_back(Ended(i));
    }

private:
    const PoDocument& document_;
    const std::string lineEnd_;
};

// Each entry's key (empty for other entries: ForEachPoUnit refused units
// without one before an update) and base unit: null when the base lacks
// its name, or has it as a plural message where the entry is none (or the
// other way round), which counts as a name that left and a new one.
// `held`: per base unit, whether the file holds it (keys are unique,
// ForEachPoUnit made sure). Keys are views into the base and the document:
// no name is copied.
struct EntriesInBase {
    std::vector<std::string_view> keys;
    std::vector<const BaseUnit*> baseOf;
    std::vector<bool> held;
};

EntriesInBase MatchEntries(const PoDocument& document, const BaseFile& base) {
    const BaseUnitIndex inBase(base);
    EntriesInBase match{std::vector<std::string_view>(document.entries.size()),
                        std::vector<const BaseUnit*>(document.entries.size(), nullptr),
                        std::vector<bool>(base.units.size(), false)};
    for (std::size_t e = 0; e < document.entries.size(); ++e) {
        const PoEntry& entry = document.entries[e];
        if (!entry.IsUnit() || !EntryKeyView(document, entry, match.keys[e])) continue;
        const std::uint32_t number = inBase.FindNumber(match.keys[e]);
        if (number == KeyIndex::kNone || base.units[number].Plural() != entry.hasPlural) continue;
        match.baseOf[e] = &base.units[number];
        match.held[number] = true;
    }
    return match;
}

// What the header says of plurals, for the entries an update adds.
struct PluralHeader {
    // How many msgstr[i] a new plural entry gets: as the file's Plural-Forms
    // says, else as many as the language has integer categories.
    std::size_t forms = 2;
    std::string language;
    // A base that gained its first plural message: the header gets the
    // language's Plural-Forms, which msgfmt needs for plural entries.
    bool addPluralForms = false;
};

PluralHeader ReadPluralHeader(const PoDocument& document, const BaseFile& base) {
    PluralHeader header;
    std::string pluralForms;
    bool hasPluralForms = false;
    for (const PoEntry& entry : document.entries) {
        if (!entry.IsHeader()) continue;
        std::string ignored;
        std::size_t line = 0;
        PluralFormula formula;
        if (HeaderField(entry.Msgstr(), "Language", header.language, line)) header.forms = FormCount(header.language);
        hasPluralForms = HeaderField(entry.Msgstr(), "Plural-Forms", pluralForms, line);
        if (hasPluralForms && formula.Parse(pluralForms, ignored))
            header.forms = static_cast<std::size_t>(formula.Count());
    }
    for (const BaseUnit& unit : base.units) header.addPluralForms = header.addPluralForms || (unit.Plural() && !hasPluralForms);
    return header;
}

// The obsolete "#~" entries of the file, read as the entries they were
// (their lines without "#~", all in one document, so that a file of many
// costs little more than their bytes), by key: a name that comes back to
// the base takes its translation, and an obsolete entry never stays beside
// an active one of its name, which gettext refuses as a duplicate
// definition.
struct ObsoleteUnit {
    std::size_t entry = 0;          // in the file's entries
    const PoEntry* unit = nullptr;  // the entry it was
};

class ObsoleteEntries {
public:
    explicit ObsoleteEntries(const PoDocument& document) {
        std::vector<std::size_t> firstLine, outer;  // per obsolete entry: where its lines start here, its entry
        std::size_t lines = 0;
        for (std::size_t e = 0; e < document.entries.size(); ++e) {
            const PoEntry& entry = document.entries[e];
            if (!entry.obsolete) continue;
            firstLine.push_back(lines);
            outer.push_back(e);
            for (std::size_t i = entry.first; i < entry.end; ++i) {
                if (document.kinds[i] != PoLineKind::Obsolete) continue;
                std::string_view line = TrimLeft(document.lines[i]).substr(2);
                if (StartsWith(line, "|")) bytes_ += '#';
                else if (StartsWith(line, " ")) line.remove_prefix(1);
                bytes_.append(line.data(), line.size()) += '\n';
                ++lines;
            }
            bytes_ += '\n';
            ++lines;
        }
        ExchangeProblem ignored;
        if (outer.empty() || !ParsePo(bytes_, document_, ignored)) return;
        // Each entry read belongs to the obsolete entry whose lines hold its
        // first; one that gives more than one is left as it is.
        std::vector<const PoEntry*> unitOf(outer.size(), nullptr);
        std::vector<bool> several(outer.size(), false);
        for (const PoEntry& candidate : document_.entries) {
            if (!candidate.IsUnit()) continue;
            const auto k = static_cast<std::size_t>(
                    std::upper_bound(firstLine.begin(), firstLine.end(), candidate.first) - firstLine.begin() - 1);
            several[k] = several[k] || unitOf[k] != nullptr;
            unitOf[k] = &candidate;
        }
        units_.reserve(outer.size());  // the map points into it
        std::string key;
        for (std::size_t k = 0; k < outer.size(); ++k) {
            if (!unitOf[k] || several[k] || !PoEntryKey(document_, *unitOf[k], key)) continue;
            units_.push_back({outer[k], unitOf[k]});
            byKey_[key] = &units_.back();
        }
    }

    // The obsolete entry a name of the base comes back from: one of its
    // name and kind (plural or not) that has a translation.
    const ObsoleteUnit* Revives(const BaseUnit& unit) const {
        const auto found = byKey_.find(std::string(unit.Key()));
        if (found == byKey_.end()) return nullptr;
        const PoEntry& old = *found->second->unit;
        return old.hasPlural == unit.Plural() && old.HasTranslation() ? found->second : nullptr;
    }
    // The obsolete entry of a key, or null.
    const ObsoleteUnit* OfKey(std::string_view key) const {
        const auto found = byKey_.find(std::string(key));
        return found == byKey_.end() ? nullptr : found->second;
    }

private:
    std::string bytes_;     // the obsolete entries' lines without "#~", which document_ views
    PoDocument document_;
    std::vector<ObsoleteUnit> units_;
    std::unordered_map<std::string, const ObsoleteUnit*> byKey_;
};

// The base's names the file lacks and where they go: after the nearest
// name before it in the base that the file holds (the first ones before
// the file's first unit), so that the translator's order stays and the new
// units stand among their neighbours. A new name whose source is that of a
// translated name that left the base (a rename), or close to it, takes its
// translation, fuzzy.
// A new name's translation taken from a name that left the base.
struct RenamedFrom {
    const PoEntry* entry;
    std::string_view key;
};

// A name that came back to the base takes its obsolete "#~" entry's
// translation (`revived`), and that entry goes.
struct NewUnits {
    std::unordered_map<std::string_view, std::vector<const BaseUnit*>> after;
    std::vector<const BaseUnit*> atStart;
    std::unordered_map<const BaseUnit*, RenamedFrom> renamedFrom;
    std::unordered_map<const BaseUnit*, const ObsoleteUnit*> revived;
    bool any = false;
};

NewUnits PlaceNewUnits(const PoDocument& document, const BaseFile& base, const EntriesInBase& match,
                       const ObsoleteEntries& obsolete) {
    NewUnits placed;
    std::vector<const BaseUnit*> added;
    const BaseUnit* anchor = nullptr;
    for (std::size_t i = 0; i < base.units.size(); ++i) {
        const BaseUnit& unit = base.units[i];
        if (match.held[i]) {
            anchor = &unit;
            continue;
        }
        placed.any = true;
        (anchor ? placed.after[anchor->Key()] : placed.atStart).push_back(&unit);
        if (const ObsoleteUnit* old = obsolete.Revives(unit)) {
            placed.revived.emplace(&unit, old);
        } else if (!unit.Plural()) {
            added.push_back(&unit);
        }
    }
    std::vector<RenamedFrom> removed;
    std::vector<std::string> removedSources;
    for (std::size_t e = 0; e < document.entries.size(); ++e) {
        const PoEntry& entry = document.entries[e];
        if (!entry.IsUnit() || match.keys[e].empty() || match.baseOf[e] || entry.hasPlural || entry.Msgstr().empty())
            continue;
        removed.push_back({&entry, match.keys[e]});
        removedSources.emplace_back(entry.Msgid());
    }
    const std::vector<long> matches = MatchRenames(added, removedSources);
    for (std::size_t a = 0; a < added.size(); ++a)
        if (matches[a] >= 0) placed.renamedFrom.emplace(added[a], removed[static_cast<std::size_t>(matches[a])]);
    return placed;
}

// An entry's flags as its base unit asks: fuzzy for a translation whose
// source changed, c-format as the new source says, read-only as the base
// says; the rest as they were.
std::vector<std::string_view> UpdatedFlags(const PoEntry& entry, const BaseUnit& unit, bool fuzzy) {
    std::vector<std::string_view> flags;
    if (fuzzy) flags.push_back("fuzzy");
    bool placedFormat = false;
    const bool format = IsCFormatUnit(unit.Source(), unit.Plural(), unit.SourcePlural());
    for (const std::string_view flag : entry.Flags()) {
        if (flag == "fuzzy") continue;
        if (flag == "c-format") {
            if (format && !placedFormat) flags.push_back(flag);
            placedFormat = true;
            continue;
        }
        flags.push_back(flag);
    }
    if (format && !placedFormat) flags.push_back("c-format");
    if (!unit.Translate() && !entry.HasFlag(kReadOnlyFlag)) flags.push_back(kReadOnlyFlag);
    if (unit.Translate()) flags.erase(std::remove(flags.begin(), flags.end(), kReadOnlyFlag), flags.end());
    return flags;
}

// The entry of a name still in the base, merged with its base unit: its
// own lines when nothing changes, else its lines in gettext's order with
// the base's notes, the new flags and, for a changed source, the new msgid
// (the one the translation was made for as "#| msgid" when fuzzy).
std::vector<std::string> UpdatedEntry(const PoDocument& document, const EndedLines& file, const PoEntry& entry,
                                      const BaseUnit& unit, bool& changed) {
    const bool sourceChanged = entry.Msgid() != unit.Source() || (unit.Plural() && entry.MsgidPlural() != unit.SourcePlural());
    std::vector<std::string> notes;
    AppendNotes(notes, unit.Notes());
    std::vector<std::string> fileNotes;
    for (std::size_t i = entry.first; i < entry.end; ++i)
        if (document.kinds[i] == PoLineKind::Note) fileNotes.emplace_back(document.lines[i]);
    const bool notesChanged = notes != fileNotes;
    const bool fuzzy = entry.HasTranslation() && (entry.HasFlag("fuzzy") || sourceChanged);
    const std::vector<std::string_view> flags = UpdatedFlags(entry, unit, fuzzy);
    // A flag another tool left out (msginit drops read-only, xliff2po
    // c-format) comes back only with a change of the entry, so that an
    // unchanged base keeps the file's bytes whichever tool wrote it.
    const bool flagsChanged = flags != entry.Flags() &&
                              (sourceChanged || notesChanged || fuzzy != entry.HasFlag("fuzzy") ||
                               (unit.Translate() && entry.HasFlag(kReadOnlyFlag)));
    if (!sourceChanged && !notesChanged && !flagsChanged) return file.Raw(entry);

    std::vector<std::string> lines = file.OfKind(entry, PoLineKind::Comment);
    lines.insert(lines.end(), notes.begin(), notes.end());
    file.AppendOfKind(lines, entry, PoLineKind::Reference);
    if (flagsChanged) {
        if (!flags.empty()) lines.push_back(FlagLine(flags));
    } else {
        file.AppendOfKind(lines, entry, PoLineKind::Flags);
    }
    if (sourceChanged && fuzzy) {
        // The source the translation was made for: the oldest one known.
        AppendString(lines, "#| msgid", entry.hasPrevious ? entry.PreviousMsgid() : entry.Msgid());
        if (entry.hasPlural && !entry.hasPrevious) AppendString(lines, "#| msgid_plural", entry.MsgidPlural());
    } else if (!sourceChanged) {
        file.AppendOfKind(lines, entry, PoLineKind::Previous);
    }
    file.AppendOfKind(lines, entry, PoLineKind::Context);
    if (sourceChanged) {
        AppendString(lines, "msgid", unit.Source());
        if (unit.Plural()) AppendString(lines, "msgid_plural", unit.SourcePlural());
    } else {
        file.AppendOfKind(lines, entry, PoLineKind::Msgid);
        file.AppendOfKind(lines, entry, PoLineKind::MsgidPlural);
    }
    file.AppendOfKind(lines, entry, PoLineKind::Msgstr);
    changed = true;
    return lines;
}

// The header entry with a Plural-Forms line after its last string.
std::vector<std::string> HeaderWithPluralForms(const PoDocument& document, const EndedLines& file, const PoEntry& entry,
                                               const std::string& language) {
    std::vector<std::string> lines = file.Raw(entry);
    std::size_t last = entry.end;  // after the header's last string
    while (last > entry.first && document.kinds[last - 1] != PoLineKind::Msgstr) --last;
    std::string line = "\"";
    AppendEscaped(line, "Plural-Forms: " + (language.empty() ? std::string("nplurals=INTEGER; plural=EXPRESSION;")
                                                            : textresgen::plural::GettextPluralForms(language)) +
                                "\n");
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last - entry.first), line + "\"");
    return lines;
}

// The entry of a name that left the base, as an obsolete "#~" entry.
std::vector<std::string> ObsoleteEntry(const PoDocument& document, const EndedLines& file, const PoEntry& entry) {
    std::vector<std::string> lines = file.OfKind(entry, PoLineKind::Comment);
    file.AppendOfKind(lines, entry, PoLineKind::Flags);
    for (std::size_t i = entry.first; i < entry.end; ++i) {
        const PoLineKind kind = document.kinds[i];
        if (kind == PoLineKind::Context || kind == PoLineKind::Msgid || kind == PoLineKind::MsgidPlural ||
            kind == PoLineKind::Msgstr)
            lines.push_back("#~ " + file.Ended(i));
    }
    return lines;
}

// The updated file, written block by block as the file is gone through, an
// entry with the blank lines before it, so that no second copy of the
// file's lines is held: room for the file and a little more is reserved up
// front. A line that ends in LF already carries its own line end (kept as
// the file had it); the others, added ones, get the file's usual one.
class MergedPo {
public:
    // Without a UTF-8 byte order mark, which gettext's tools refuse
    // ("syntax error" at the file's first line).
    MergedPo(const PoDocument& document, const EndedLines& file, RewrittenFile& out)
        : document_(document), file_(file), out_(out) {}

    // Entry `e` of the file, as `lines`, with the blank lines before it;
    // the blank lines go with it when it is left out.
    void AddKept(std::size_t e, std::vector<std::string> lines) {
        std::vector<std::string> block;
        file_.AppendRange(block, e == 0 ? 0 : document_.entries[e - 1].end, document_.entries[e].first);
        block.insert(block.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
        Emit(block);
    }
    // An added entry, after one blank line unless it opens the file.
    void AddBlock(std::vector<std::string> lines) {
        if (anyBlock_) lines.insert(lines.begin(), std::string());
        Emit(lines);
    }
    // The blank lines after the last entry, and the file's missing final
    // line end, if it had none.
    void Finish() {
        std::vector<std::string> trailing;
        file_.AppendRange(trailing, document_.entries.empty() ? 0 : document_.entries.back().end,
                          document_.lines.size());
        Emit(trailing);
        if (!document_.finalLineEnd && !pending_.empty() && pending_.back() == '\n') {
            pending_.pop_back();
            if (!pending_.empty() && pending_.back() == '\r') pending_.pop_back();
        }
        out_.Write(pending_);
        pending_.clear();
    }

private:
    // The merged file goes out in pieces of about this size, never whole in
    // memory; its last two bytes wait for Finish, which may take off the
    // final line end.
    static constexpr std::size_t kPieceBytes = 256 * 1024;

    void Emit(const std::vector<std::string>& block) {
        anyBlock_ = true;
        for (const std::string& line : block) {
            pending_ += line;
            if (line.empty() || line.back() != '\n') pending_ += file_.LineEnd();
        }
        if (pending_.size() < kPieceBytes) return;
        out_.Write(std::string_view(pending_).substr(0, pending_.size() - 2));
        pending_.erase(0, pending_.size() - 2);
    }

    const PoDocument& document_;
    const EndedLines& file_;
    RewrittenFile& out_;
    std::string pending_;
    bool anyBlock_ = false;
};

// A name back in the base, from its obsolete entry: translated when its
// source is the same, else fuzzy with the source it was made for as
// "#| msgid"; its translator comments and flags as the entry had them.
std::vector<std::string> RevivedEntry(const PoDocument& document, const EndedLines& file, const ObsoleteUnit& old,
                                      const BaseUnit& unit, std::size_t forms) {
    const PoEntry& was = *old.unit;
    const PoEntry& outer = document.entries[old.entry];
    ExchangeUnit revived = UntranslatedUnit(unit);
    const bool sourceChanged = was.Msgid() != unit.Source() || (unit.Plural() && was.MsgidPlural() != unit.SourcePlural());
    revived.state = sourceChanged || outer.HasFlag("fuzzy") ? UnitState::NeedsReview : UnitState::Translated;
    if (unit.Plural()) {
        for (std::size_t i = 0; i < was.FormCount(); ++i) revived.forms.push_back({"", std::string(was.rare->msgstrs[i])});
    } else {
        revived.target = was.Msgstr();
    }
    std::vector<std::string> lines = file.OfKind(outer, PoLineKind::Comment);
    std::optional<PreviousSource> previous;
    if (sourceChanged) previous = PreviousSource{std::nullopt, was.hasPrevious ? was.PreviousMsgid() : was.Msgid()};
    std::vector<std::string> entry = UnitLines(revived, previous, forms);
    lines.insert(lines.end(), entry.begin(), entry.end());
    return lines;
}

// The new names' entries: a name back in the base from its obsolete entry,
// else untranslated, or fuzzy with a renamed name's translation and its
// name and source as "#| msgctxt" and "#| msgid".
void AddNewEntries(MergedPo& merged, const std::vector<const BaseUnit*>& units, const NewUnits& placed,
                   const PoDocument& document, const EndedLines& file, std::size_t forms) {
    for (const BaseUnit* unit : units) {
        const auto back = placed.revived.find(unit);
        if (back != placed.revived.end()) {
            merged.AddBlock(RevivedEntry(document, file, *back->second, *unit, forms));
            continue;
        }
        ExchangeUnit fresh = UntranslatedUnit(*unit);
        const auto from = placed.renamedFrom.find(unit);
        if (from == placed.renamedFrom.end()) {
            merged.AddBlock(UnitLines(fresh, std::nullopt, forms));
            continue;
        }
        const PoEntry& old = *from->second.entry;
        fresh.state = UnitState::NeedsReview;
        fresh.target = old.Msgstr();
        // The name and source the translation was made for: the oldest known.
        const std::string_view context = old.hasPreviousContext ? old.PreviousContext() : from->second.key;
        merged.AddBlock(UnitLines(fresh, PreviousSource{context, old.hasPrevious ? old.PreviousMsgid() : old.Msgid()}, forms));
    }
}

}  // namespace

void UpdatePo(const PoDocument& document, const BaseFile& base, RewrittenFile& out, bool& changed,
              std::size_t& carried, std::size_t& revived) {
    const EntriesInBase match = MatchEntries(document, base);
    const PluralHeader header = ReadPluralHeader(document, base);
    const ObsoleteEntries obsolete(document);
    const NewUnits placed = PlaceNewUnits(document, base, match, obsolete);
    changed = placed.any;
    carried = placed.renamedFrom.size();
    revived = placed.revived.size();
    // Obsolete entries that go: one whose name is back, one whose name an
    // entry has or now leaves as obsolete.
    std::vector<bool> dropped(document.entries.size(), false);
    for (const auto& back : placed.revived) dropped[back.second->entry] = true;
    for (std::size_t e = 0; e < document.entries.size(); ++e) {
        if (!document.entries[e].IsUnit() || match.keys[e].empty()) continue;
        if (const ObsoleteUnit* old = obsolete.OfKey(match.keys[e])) dropped[old->entry] = true;
    }

    // What stands before the first unit (the header and its comments) first,
    // then every entry in the file's order, each new name after its anchor.
    const EndedLines file(document);
    MergedPo merged(document, file, out);
    bool seenUnit = false;
    for (std::size_t e = 0; e < document.entries.size(); ++e) {
        const PoEntry& entry = document.entries[e];
        if (dropped[e]) {
            changed = true;
            continue;
        }
        if (!entry.IsUnit()) {
            const bool withPluralForms = entry.IsHeader() && header.addPluralForms;
            merged.AddKept(e, withPluralForms ? HeaderWithPluralForms(document, file, entry, header.language)
                                              : file.Raw(entry));
            changed = changed || withPluralForms;
            continue;
        }
        if (!seenUnit) AddNewEntries(merged, placed.atStart, placed, document, file, header.forms);
        seenUnit = true;
        if (!match.baseOf[e]) continue;
        merged.AddKept(e, UpdatedEntry(document, file, entry, *match.baseOf[e], changed));
        const auto next = placed.after.find(match.keys[e]);
        if (next != placed.after.end()) AddNewEntries(merged, next->second, placed, document, file, header.forms);
    }
    if (!seenUnit) AddNewEntries(merged, placed.atStart, placed, document, file, header.forms);

    // The entries of names that left the base, translated ones kept as
    // obsolete.
    for (std::size_t e = 0; e < document.entries.size(); ++e) {
        const PoEntry& entry = document.entries[e];
        if (!entry.IsUnit() || match.keys[e].empty() || match.baseOf[e]) continue;
        changed = true;
        if (entry.HasTranslation()) merged.AddBlock(ObsoleteEntry(document, file, entry));
    }
    merged.Finish();
}

}  // namespace textresl10n
