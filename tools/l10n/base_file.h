#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "l10n/exchange_unit.h"
#include "codec/literal_body.h"
#include "text/arena.h"
#include "text/byte_stream.h"

// The base (source-language) definition file, as the translators' files see
// it: one unit per name, in the order of the names' first definitions.
namespace textresl10n {

// The comment lines above a name, kept as one text in the arena, each line
// ended by LF (a note is one line: it holds no control character), so that
// a name with notes costs one view, not a list.
class NoteLines {
public:
    NoteLines() = default;
    explicit NoteLines(std::string_view joined) : joined_(joined) {}

    class iterator {
    public:
        explicit iterator(std::string_view rest) : rest_(rest) {}
        std::string_view operator*() const { return rest_.substr(0, rest_.find('\n')); }
        iterator& operator++() {
            rest_.remove_prefix(rest_.find('\n') + 1);
            return *this;
        }
        bool operator==(const iterator& other) const { return rest_.data() == other.rest_.data(); }
        bool operator!=(const iterator& other) const { return !(*this == other); }

        using iterator_category = std::input_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = const std::string_view*;
        using reference = std::string_view;

    private:
        std::string_view rest_;
    };
    iterator begin() const { return iterator(joined_); }
    iterator end() const { return iterator(joined_.substr(joined_.size())); }
    bool empty() const { return joined_.empty(); }
    std::string_view Joined() const { return joined_; }

private:
    std::string_view joined_;
};

// One member of a plural message: its category and text, seen through the
// member's own unit (views into the arena of the BaseFile that holds it).
struct BaseForm {
    std::string_view category;  // zero one two few many other
    std::string_view source;    // UTF-8 (may hold U+0000)
    NoteLines notes;            // comment lines directly above it
    std::size_t line = 0;
};

// One name of a base file, seen through one pointer to its record in the
// BaseFile's arena, where its name, text, notes, line and flags stand
// together (a byte of flags and the sizes first): a unit is 8 bytes, so
// that a base of millions of short lines costs little more than its file.
class BaseUnit {
public:
    std::string_view Key() const;  // the dotted name, UTF-8
    // The text the literal body denotes, UTF-8 (may hold U+0000).
    std::string_view Source() const;
    // Comment lines directly above the first definition.
    NoteLines Notes() const;
    // The line of the definition whose text the generator keeps.
    std::uint32_t Line() const;
    // False: kDoNotTranslate stands among the comment lines above it.
    bool Translate() const;

    // Writes a record of all that into `arena` (texts each below 4 GiB:
    // ReadBaseFile refuses longer ones) and makes it the unit's.
    void SetTexts(textresgen::Arena<char>& arena, std::string_view key, std::string_view source, std::uint32_t line,
                  NoteLines notes = NoteLines(), bool translate = true);
    // A later definition of its name: a new record with this text and line
    // that keeps the key, the flag and the notes (not copied again).
    void Redefine(textresgen::Arena<char>& arena, std::string_view source, std::uint32_t line);

    // A plural message (definition/plural_message.h: a group without
    // subgroups whose members are all named after CLDR's plural
    // categories, `other` among them), one unit keyed by the group's name
    // at its first member's place. Its members are units of their own, held
    // together elsewhere (SetPlural). Source() is its singular (the member
    // `one`, else `other`), SourcePlural() its plural (`other`); Notes()
    // and Line() are its first member's, Translate() false when a member's
    // is; Forms() the members in file order.
    bool Plural() const;
    std::string_view SourcePlural() const;

    class FormList {
    public:
        class iterator {
        public:
            explicit iterator(const BaseUnit* member) : member_(member) {}
            BaseForm operator*() const;
            const BaseUnit& Unit() const { return *member_; }
            iterator& operator++() {
                ++member_;
                return *this;
            }
            bool operator!=(const iterator& other) const { return member_ != other.member_; }

        private:
            const BaseUnit* member_;
        };
        FormList(const BaseUnit* first, std::size_t count) : first_(first), count_(count) {}
        iterator begin() const { return iterator(first_); }
        iterator end() const { return iterator(first_ + count_); }

    private:
        const BaseUnit* first_;
        std::size_t count_;
    };
    FormList Forms() const;
    // The member of a category; none when the message has none.
    std::optional<BaseForm> Form(std::string_view category) const;

    // Makes the unit the plural message `key` whose members (units named
    // `key`.<category>, in file order) are members[0, count): they stay
    // where the caller holds them and may be filled in afterwards.
    void SetPlural(textresgen::Arena<char>& arena, std::string_view key, const BaseUnit* members, std::size_t count);

private:
    void Write(textresgen::Arena<char>& arena, std::string_view key, std::string_view source, std::uint32_t line,
               std::string_view notes, bool translate, bool notesInPlace);

    const char* record_ = nullptr;
};

// Every text is held once, as UTF-8, in one arena; a check that needs its
// characters decodes it where it looks (textresgen::Utf8ToValues). A large
// base is then near the size of its file in memory.
// The units stand in a deque, which grows without moving them: a vector
// would hold its old and new copies at once each time it grows.
struct BaseFile {
    std::deque<BaseUnit> units;
    textresgen::Arena<char> texts;        // the units' records
    textresgen::Arena<BaseUnit> members;  // the members of the plural messages, each message's together
};

// Reads a definition file (UTF-16LE or UTF-8 with its mark) exactly as the
// generator does, each plural message taken as one unit. A repeated name
// keeps its place and takes its last text.
// Comment lines are lines without "=" that start with "#" or "//"; the
// marker and one space after it are dropped. False with `error` (an error of
// the file, at its line when there is one) when the file cannot be read, a
// text is not a valid literal body, or a name or text has no UTF-8 form.
bool ReadBaseFile(const std::string& path, BaseFile& base, ExchangeProblem& error);
// The same for a definition file's bytes (`error.file` is left as it is).
bool ReadBaseBytes(std::string_view bytes, BaseFile& base, ExchangeProblem& error);
// The same for any byte source (null: the file could not be opened).
bool ReadBaseSource(std::unique_ptr<textresgen::ByteSource> source, BaseFile& base, ExchangeProblem& error);

// The comment text that marks the name below as not to be translated (a
// product name, a file name): "# textresl10n: do not translate". It is no
// note; export gives the unit PO's read-only flag or XLIFF's translate="no".
inline constexpr const char* kDoNotTranslate = "textresl10n: do not translate";

// The exchange unit of a base unit not yet translated: its key, source and
// notes, no target.
ExchangeUnit UntranslatedUnit(const BaseUnit& unit);

}  // namespace textresl10n
