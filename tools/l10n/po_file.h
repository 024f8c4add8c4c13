#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "l10n/base_file.h"
#include "l10n/exchange_unit.h"
#include "l10n/file_io.h"
#include "l10n/unit_file.h"

// gettext PO files: read, written and merged by this code. A unit's key is
// its msgctxt; the dotted name is also written as its "#:" reference, so
// that tools which drop msgctxt (po2xliff) keep the key as a location.
namespace textresl10n {

// A string of a PO file longer than this is refused: no literal a compiler
// takes comes near it, and the limit bounds what a hostile file costs.
inline constexpr std::size_t kMaxPoStringBytes = 1024 * 1024;
// An entry's flags ("#, fuzzy, c-format") longer than this are refused.
inline constexpr std::size_t kMaxPoFlagBytes = 4096;

enum class PoLineKind : unsigned char { Blank, Comment, Note, Reference, Flags, Previous, Obsolete, Context, Msgid, MsgidPlural, Msgstr };

// An entry's texts are views: into the file's bytes where a string stands
// there as it is (one quoted string without escapes, the usual case), else
// into PoDocument::decoded.
struct PoEntry {
    // Line numbers in 32 bits: the file is below 4 GiB (ParsePo refuses
    // larger ones), and entries may be millions.
    std::uint32_t first = 0;  // its lines: [first, end) of PoDocument::lines
    std::uint32_t end = 0;
    std::uint32_t keyLine = 0;  // 1-based: msgctxt, else msgid
    std::uint32_t msgstrLine = 0;
    bool obsolete = false;
    bool hasKeywords = false;  // false: comment lines only
    bool hasContext = false;
    bool hasMsgid = false;
    bool hasMsgstr = false;
    bool hasPlural = false;    // msgid_plural and msgstr[0], msgstr[1], ...
    bool hasPrevious = false;  // "#| msgid"
    bool hasPreviousContext = false;  // "#| msgctxt"
    // What few entries have: a plural entry's msgid_plural and msgstr[i]
    // with their lines, and the "#|" texts. Null for most entries, so that
    // they do not carry empty views and lists (an entry is 80 bytes).
    struct Rare {
        std::string_view msgidPlural;
        std::vector<std::string_view> msgstrs;
        std::vector<std::size_t> lines;
        std::string_view previousMsgid;
        std::string_view previousContext;
    };
    std::unique_ptr<Rare> rare;

    // Its msgctxt, msgid and msgstr; and its flags as the "#," line has them
    // ("fuzzy, c-format"), the texts of several such lines joined with ",".
    enum Field : unsigned char { kContext, kMsgid, kMsgstr, kFlagText, kFields };
    std::string_view Context() const { return Text(kContext); }
    std::string_view Msgid() const { return Text(kMsgid); }
    std::string_view Msgstr() const { return Text(kMsgstr); }
    std::string_view FlagText() const { return Text(kFlagText); }
    // Each text is below 4 GiB (a PO string is at most kMaxPoStringBytes).
    void SetText(Field field, std::string_view text) {
        data_[field] = text.data();
        size_[field] = static_cast<std::uint32_t>(text.size());
    }

    std::string_view MsgidPlural() const { return rare ? rare->msgidPlural : std::string_view(); }
    std::string_view PreviousMsgid() const { return rare ? rare->previousMsgid : std::string_view(); }
    std::string_view PreviousContext() const { return rare ? rare->previousContext : std::string_view(); }
    Rare& MutableRare() {
        if (!rare) rare = std::make_unique<Rare>();
        return *rare;
    }

    bool IsHeader() const { return hasKeywords && !obsolete && !hasContext && Msgid().empty(); }
    bool IsUnit() const { return hasKeywords && !obsolete && !IsHeader(); }
    bool HasFlag(std::string_view flag) const;
    std::vector<std::string_view> Flags() const;
    std::size_t FormCount() const { return rare ? rare->msgstrs.size() : 0; }
    // Whether any msgstr (of a plural entry: any form) is not empty.
    bool HasTranslation() const;

private:
    std::string_view Text(Field field) const { return {data_[field], size_[field]}; }
    // Views kept as pointers and 32-bit sizes apart: 48 bytes, not 64, in
    // an entry of which a file may hold millions.
    const char* data_[kFields] = {};
    std::uint32_t size_[kFields] = {};
};

// The lines of a file, without their line ends, as they follow each other
// in it: each kept as where it starts (4 bytes a line; files are far below
// 4 GiB) and whether it ends in CR LF (else in LF, or the file ends); its
// length follows from where the next one starts.
class PoLines {
public:
    void Start(const char* bytes) { bytes_ = bytes; }
    void reserve(std::size_t count) {
        starts_.reserve(count);
        crlf_.reserve(count);
    }
    // The next line, which starts right after the line end of the last.
    void push_back(std::string_view line, bool crlf) {
        starts_.push_back(static_cast<std::uint32_t>(line.data() - bytes_));
        crlf_.push_back(crlf);
        lastEnd_ = starts_.back() + static_cast<std::uint32_t>(line.size());
    }
    std::string_view operator[](std::size_t i) const {
        const std::uint32_t end = i + 1 < starts_.size() ? starts_[i + 1] - 1 - crlf_[i] : lastEnd_;
        return {bytes_ + starts_[i], end - starts_[i]};
    }
    bool EndsInCrlf(std::size_t i) const { return crlf_[i]; }
    std::size_t size() const { return starts_.size(); }
    bool empty() const { return starts_.empty(); }

private:
    const char* bytes_ = nullptr;
    std::vector<std::uint32_t> starts_;
    std::vector<bool> crlf_;
    std::uint32_t lastEnd_ = 0;
};

// A parsed file. It holds views into the bytes ParsePo read, which must
// outlive it: the file is held once, not copied line by line.
struct PoDocument {
    PoLines lines;
    std::deque<std::string> decoded;      // the texts that differ from their bytes in the file
    std::vector<PoLineKind> kinds;
    std::deque<PoEntry> entries;
    bool crlf = false;           // most lines end in CR LF: what added lines get
    bool byteOrderMark = false;  // the file starts with EF BB BF
    bool finalLineEnd = true;    // the last line ends in a line end
};

// Parses PO syntax: comments (#, #., #:, #,, #|, #~), msgctxt, msgid, msgstr
// msgid_plural and msgstr[n], and continued strings with C escapes; lines
// end in LF or CR LF. False with the problem's line for what is not
// well-formed, for a CR not followed by LF, and for a header whose charset
// is not UTF-8.
bool ParsePo(std::string_view bytes, PoDocument& document, ExchangeProblem& problem);

// An entry's key: its msgctxt, else its "#:" reference when it has exactly
// one (xliff2po keeps the key only there); false for neither.
bool PoEntryKey(const PoDocument& document, const PoEntry& entry, std::string& key);

// The units of a parsed document, in file order, each entry let go once its
// unit is made, so that the units take the place of the entries in memory
// (the document keeps its lines). A plural entry's forms are given their
// categories by the header's own Plural-Forms formula (else CLDR's for its
// Language). False for an entry without a key, a repeated key, a string
// that is not UTF-8, a Plural-Forms header that cannot be read, and forms
// in a file that names no language.
bool TakePoUnits(PoDocument& document, std::vector<ExchangeUnit>& units, ExchangeProblem& problem);
// The same units, each handed to `take` as soon as it is made, the
// document kept as it is, so that a caller that only counts never holds
// them all.
bool ForEachPoUnit(const PoDocument& document, ExchangeProblem& problem,
                   const std::function<void(ExchangeUnit&&)>& take);

// The file's units, made from its entries whenever they are asked for
// (see UnitFile), with the checks of TakePoUnits; null with the problem
// when it does not parse.
std::unique_ptr<UnitFile> OpenPoUnits(std::string_view bytes, ExchangeProblem& problem);

// A new PO file, written unit by unit: the header, then one entry per unit,
// each appended to `out`, which the caller may take and empty between
// units. Texts holding a valid printf format get the c-format flag;
// NeedsReview units get fuzzy. With plural units (`plurals`: whether any
// unit will be plural) the header has Plural-Forms (a template's is
// "nplurals=INTEGER; plural=EXPRESSION;", as xgettext writes it) and each
// has msgid_plural and one msgstr[i] per integer category.
class PoWriter {
public:
    PoWriter(const ExchangeHeader& header, bool plurals, std::string& out);
    void Add(const ExchangeUnit& unit);

private:
    std::size_t forms_;
    std::string& out_;
};

// `document` merged with a changed base: the entries in the file's order; a
// new name added untranslated after the nearest name before it in the base
// that the file holds; an entry whose source text changed keeps its
// translation, marked fuzzy with the source it was made for as "#| msgid";
// developer notes taken from the base; entries of names no longer in the
// base kept at the end as obsolete "#~" entries when translated. A UTF-8
// byte order mark is dropped, since msgfmt refuses a file that has one.
// Everything else keeps its bytes: each line's end (added lines
// take the file's most common one), blank lines, comment blocks between
// entries, a missing final line end. A new name whose source equals or is
// close to that of a translated name that left the base (MatchRenames)
// takes its translation, fuzzy, with the old name and source as
// "#| msgctxt" and "#| msgid"; `carried` counts them. A name that comes
// back to the base takes the translation of its obsolete entry (fuzzy when
// its source changed), and the obsolete entry goes; `revived` counts them.
// An obsolete entry never stays beside an active one of its name.
// The merged file goes to `out` as it is made. `changed` is false when the
// base asked for no change (the caller then keeps the file's bytes).
void UpdatePo(const PoDocument& document, const BaseFile& base, RewrittenFile& out, bool& changed,
              std::size_t& carried, std::size_t& revived);

// Whether the text (UTF-8) is a printf format the c-format flag belongs on.
bool IsCFormatText(std::string_view utf8);

}  // namespace textresl10n
