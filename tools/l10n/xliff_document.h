#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "l10n/exchange_unit.h"
#include "l10n/xliff_markup.h"

// An XLIFF 1.x document as pugixml reads it, and the names of its parts.
namespace textresl10n::xliff {

inline constexpr const char* kUnitIndent = "\n      ";
inline constexpr const char* kChildIndent = "\n        ";
// A <ph> that stands for one character XML cannot hold, as its C++ escape.
inline constexpr const char* kCharType = "x-char";
// A plural message, as translate-toolkit's po2xliff writes one: a group of
// one trans-unit per form.
inline constexpr const char* kPluralGroup = "x-gettext-plurals";
inline constexpr const char* kHeaderUnit = "x-gettext-domain-header";

// The name without its namespace prefix: pugixml does not resolve namespaces.
std::string_view LocalName(const pugi::xml_node& node);

// Calls visit(node) for every node below `root` in document order; a node
// whose visit returns false is not descended into. No recursion, however
// deep the document nests.
template <typename Visit>
bool WalkBelow(const pugi::xml_node& root, Visit visit) {
    pugi::xml_node node = root.first_child();
    while (node) {
        const bool descend = visit(node);
        if (descend && node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != root && !node.next_sibling()) node = node.parent();
        if (node == root) break;
        node = node.next_sibling();
    }
    return true;
}

// The character data below an element, CDATA included.
std::string AllText(const pugi::xml_node& element);

bool IsPluralGroup(const pugi::xml_node& node);
bool IsTransUnit(const pugi::xml_node& node);
// The trans-unit po2xliff makes of a PO file's header.
bool IsHeaderUnit(const pugi::xml_node& node);
// The first child element of that local name; null when there is none.
pugi::xml_node ChildNamed(const pugi::xml_node& parent, std::string_view name);

// The line of an offset: one more than the line ends before it. Counted on
// from the offset asked before (units are read in file order), so that no
// table of the file's lines is held.
class LineCounter {
public:
    explicit LineCounter(std::string_view bytes) : bytes_(bytes) {}
    std::size_t LineAt(std::ptrdiff_t offset) const {
        if (offset < 0) return 0;
        const std::size_t at = std::min(static_cast<std::size_t>(offset), bytes_.size());
        const auto ends = [&](std::size_t from, std::size_t to) {
            return static_cast<std::size_t>(std::count(bytes_.data() + from, bytes_.data() + to, '\n'));
        };
        if (at >= at_) line_ += ends(at_, at);
        else line_ -= ends(at, at_);
        at_ = at;
        return line_;
    }

private:
    std::string_view bytes_;
    mutable std::size_t at_ = 0;
    mutable std::size_t line_ = 1;
};

// An XLIFF document: the elements units are read from (trans-units and
// plural groups, with all they hold), and what it says outside of them.
//
// Loaded in pieces, the tags of the bytes are scanned for those elements;
// each is cut out, to be parsed on its own when it is read, and what
// remains (the frame: the prolog, <xliff>, <file>, <body>, ...) is parsed
// with kCutMarker in place of each. The frame's tree must hold a unit
// element exactly where each was cut out, and each piece must parse as one
// element: pugixml then reads the whole document as it reads the frame
// with each marker replaced by its piece, so the pieces give what one tree
// of the document gives, and no tree larger than one unit's is held.
// Whatever the scan does not follow (a DOCTYPE, markup that is not
// well-formed, any problem in a unit) fails; the caller then loads the
// document whole, as one tree, which reports the problem as pugixml and
// the checks here see it.
// A unit (a trans-unit or a plural group) larger than this is refused at
// its line before it is parsed: its texts would be past the 1 MiB a PO
// string may hold even with every character escaped as a reference, and a
// unit's tree takes several times its bytes.
inline constexpr std::size_t kMaxXliffUnitBytes = 4 * 1024 * 1024;

class XliffDocument {
public:
    explicit XliffDocument(std::string_view bytes) : bytes_(bytes), lines_(bytes) {}

    // Checks the bytes and parses the document whole, or cuts it and parses
    // its frame. False with the problem; in pieces also for a well-formed
    // document that the scan does not follow.
    bool Load(bool whole, ExchangeProblem& problem);
    // Whether Load in pieces failed with a problem of the file itself (a
    // unit past kMaxXliffUnitBytes), which loading it whole would only
    // report at a far higher cost.
    bool Refused() const { return refused_; }

    // The trans-units (a gettext header unit among them) and plural groups
    // that are not inside one another, in document order.
    std::size_t Units() const { return whole_ ? units_.size() : cuts_.size(); }
    // The k-th; a piece stays valid until the next call. False for a piece
    // that does not parse as one element.
    bool Unit(std::size_t k, pugi::xml_node& node);
    // The first gettext header unit in document order (plural groups looked
    // into); null when there is none. Stays valid until the next call.
    pugi::xml_node HeaderUnit();

    // The target-language of the first <file> that gives one.
    const std::string& FileLanguage() const { return fileLanguage_; }
    // Where the start tag of the first <file>'s <body> begins (npos: there
    // is none), and its name.
    std::size_t BodyStart() const { return bodyStart_; }
    const std::string& BodyName() const { return bodyName_; }
    std::size_t RootLine() const { return rootLine_; }

    std::string_view Bytes() const { return bytes_; }
    // Where a node of the document stands in the bytes; -1 when unknown.
    std::ptrdiff_t Offset(const pugi::xml_node& node) const;
    std::size_t Line(const pugi::xml_node& node) const { return lines_.LineAt(Offset(node)); }
    std::size_t LineAt(std::ptrdiff_t offset) const { return lines_.LineAt(offset); }
    // The position of the '<' of an element.
    std::size_t Start(const pugi::xml_node& element) const { return ElementStart(bytes_, Offset(element)); }

private:
    struct Cut {
        std::size_t begin;
        std::size_t end;
    };

    bool Parse(pugi::xml_document& tree, std::string_view text, unsigned options, pugi::xml_node& root,
               ExchangeProblem& problem) const;
    bool Cuts(std::string& frame, std::vector<std::size_t>& markers);
    bool ParsePiece(pugi::xml_document& tree, std::size_t k, std::size_t& base) const;
    template <typename Position>
    void ReadFrame(const pugi::xml_node& root, Position position);

    std::string_view bytes_;
    LineCounter lines_;
    bool whole_ = false;
    pugi::xml_document tree_;  // whole: the document; in pieces: the unit read last
    pugi::xml_node root_;
    std::vector<pugi::xml_node> units_;
    std::vector<Cut> cuts_;
    std::size_t pieceBase_ = 0;
    pugi::xml_document header_;
    std::size_t headerBase_ = 0;
    std::string fileLanguage_;
    std::size_t bodyStart_ = std::string_view::npos;
    std::string bodyName_;
    std::size_t rootLine_ = 0;
    bool refused_ = false;
};

}  // namespace textresl10n::xliff
