#include "l10n/xliff_file.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include <pugixml.hpp>

#include "l10n/base_comparison.h"
#include "l10n/message_text.h"
#include "l10n/plural_forms.h"
#include "codec/c_format.h"
#include "codec/literal_body.h"
#include "codec/literal_lexer.h"
#include "runtime/plural_rules.h"
#include "text/utf8_decoder.h"

namespace textresl10n {
namespace {

using textresgen::LiteralValues;

constexpr const char* kNamespace = "urn:oasis:names:tc:xliff:document:1.2";
constexpr const char* kUnitIndent = "\n      ";
constexpr const char* kChildIndent = "\n        ";
constexpr const char* kCharType = "x-char";
// A plural message, as translate-toolkit's po2xliff writes one: a group of
// one trans-unit per form.
constexpr const char* kPluralGroup = "x-gettext-plurals";
constexpr const char* kHeaderUnit = "x-gettext-domain-header";

// The name without its namespace prefix: pugixml does not resolve namespaces.
std::string_view LocalName(const pugi::xml_node& node) {
    std::string_view name = node.name();
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// ------------------------------------------------------------- line numbers

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

// ---------------------------------------------------- checks before parsing

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// What pugixml leaves to its user: the bytes are UTF-8 holding only
// characters XML allows, every character reference names such a character,
// and every entity reference is one of XML's five (no DTD is read, so no
// other is declared). Comments, CDATA sections and processing instructions
// hold no references: an '&' there is a character.
bool CheckBytes(std::string_view bytes, ExchangeProblem& problem) {
    std::size_t line = 1;
    const auto fail = [&](std::string message) {
        problem.line = line;
        problem.message = std::move(message);
        return false;
    };
    std::string_view closing;  // what ends the comment, CDATA section or PI we are in
    char quote = 0;            // the quote of the attribute value we are in
    bool inTag = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '\n') ++line;
        if (!closing.empty()) {
            if (bytes.substr(i, closing.size()) == closing) {
                i += closing.size();
                closing = {};
                continue;
            }
        } else if (inTag) {
            if (quote != 0 && byte == static_cast<unsigned char>(quote)) quote = 0;
            else if (quote == 0 && (byte == '"' || byte == '\'')) quote = static_cast<char>(byte);
            else if (quote == 0 && byte == '>') inTag = false;
        } else if (byte == '<') {
            const std::string_view rest = bytes.substr(i);
            if (rest.substr(0, 4) == "<!--") closing = "-->";
            else if (rest.substr(0, 9) == "<![CDATA[") closing = "]]>";
            else if (rest.substr(0, 2) == "<?") closing = "?>";
            else inTag = true;
            if (!closing.empty()) {
                i += closing == "]]>" ? 9 : closing == "-->" ? 4 : 2;
                continue;
            }
        }
        if (byte == '&' && closing.empty()) {
            std::size_t end = bytes.find(';', i);
            if (end == std::string_view::npos || end - i > 40) return fail("an '&' starts no reference ending in ';'");
            const std::string_view reference = bytes.substr(i + 1, end - i - 1);
            if (!reference.empty() && reference[0] == '#') {
                const bool hex = reference.size() > 1 && reference[1] == 'x';
                std::string_view digits = reference.substr(hex ? 2 : 1);
                bool ok = !digits.empty();
                while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);  // "&#000065;" is 'A'
                char32_t value = 0;
                ok = ok && digits.size() <= 8;
                for (const char c : digits) {
                    const int d = textresgen::HexValue(static_cast<unsigned char>(c));
                    if (d < 0 || (!hex && d > 9)) ok = false;
                    else value = value * (hex ? 16 : 10) + static_cast<char32_t>(d);
                }
                if (!ok || !IsXmlChar(value))
                    return fail("the character reference " + Quoted("&" + std::string(reference) + ";") +
                                " names no character XML allows");
            } else if (reference != "amp" && reference != "lt" && reference != "gt" && reference != "quot" &&
                       reference != "apos") {
                return fail("the entity reference " + Quoted("&" + std::string(reference).substr(0, 30) + ";") +
                            " is not one of XML's five; no DTD is read, so no other entity is ever defined");
            }
            i = end + 1;
            continue;
        }
        if (byte < 0x80) {
            if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r')
                return fail("the control character " + Quoted(std::string(1, static_cast<char>(byte))) +
                            " is not allowed in XML");
            ++i;
            continue;
        }
        char32_t c = 0;
        const std::size_t length = textresgen::DecodeUtf8Step(bytes, i, c);
        if (length == 0) return fail("the file is not UTF-8 here");
        if (!IsXmlChar(c)) return fail("a character XML does not allow (U+FFFE or U+FFFF)");
        i += length;
    }
    return true;
}

// --------------------------------------------------------------- tree walks

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

std::string AllText(const pugi::xml_node& element) {
    std::string text;
    WalkBelow(element, [&](const pugi::xml_node& node) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) text += node.value();
        return true;
    });
    return text;
}

// ------------------------------------------------------- markup in the bytes

// Positions in the bytes of a document, found by reading its tags: where
// update makes its edits, and where a document is cut into units.

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The position of the '<' that starts the element whose name is at `offset`.
std::size_t ElementStart(std::string_view bytes, std::ptrdiff_t offset) {
    std::size_t at = static_cast<std::size_t>(std::max<std::ptrdiff_t>(offset, 0));
    while (at > 0 && bytes[at] != '<') --at;
    return at;
}

// The position after the '>' of the tag starting at `lt`.
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

// The position after `end`, searched from `from`; npos when it is missing.
std::size_t Past(std::string_view bytes, std::size_t from, std::string_view end) {
    const std::size_t at = bytes.find(end, from);
    return at == std::string_view::npos ? at : at + end.size();
}

// The position after the element starting at `lt`: after its end tag; npos
// when the bytes end before it.
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

// The same in a document pugixml has read as well-formed.
std::size_t ElementEnd(std::string_view bytes, std::size_t lt) {
    const std::size_t end = MatchingEnd(bytes, lt);
    return end == std::string_view::npos ? bytes.size() : end;
}

// The position where the blanks before `at` begin.
std::size_t BlanksBefore(std::string_view bytes, std::size_t at) {
    while (at > 0 && IsXmlSpace(bytes[at - 1])) --at;
    return at;
}

// --------------------------------------------------------- the parsed document

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments |
                                   pugi::parse_pi | pugi::parse_doctype | pugi::parse_ws_pcdata;

bool IsPluralGroup(const pugi::xml_node& node) {
    return LocalName(node) == "group" && std::strcmp(node.attribute("restype").value(), kPluralGroup) == 0;
}

bool IsTransUnit(const pugi::xml_node& node) {
    return node.type() == pugi::node_element && LocalName(node) == "trans-unit";
}

// The trans-unit po2xliff makes of a PO file's header.
bool IsHeaderUnit(const pugi::xml_node& node) {
    return IsTransUnit(node) && std::strcmp(node.attribute("restype").value(), kHeaderUnit) == 0;
}

pugi::xml_node ChildNamed(const pugi::xml_node& parent, std::string_view name) {
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && LocalName(child) == name) return child;
    return pugi::xml_node();
}

// What stands in the frame of a document parsed in pieces where a unit was
// cut out.
constexpr std::string_view kCutMarker = "<trans-unit/>";

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
class XliffDocument {
public:
    explicit XliffDocument(std::string_view bytes) : bytes_(bytes), lines_(bytes) {}

    // Checks the bytes and parses the document whole, or cuts it and parses
    // its frame. False with the problem; in pieces also for a well-formed
    // document that the scan does not follow.
    bool Load(bool whole, ExchangeProblem& problem);

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
};

// Parses and checks a document; `root` is its <xliff> element.
bool XliffDocument::Parse(pugi::xml_document& tree, std::string_view text, unsigned options, pugi::xml_node& root,
                          ExchangeProblem& problem) const {
    const pugi::xml_parse_result parsed = tree.load_buffer(text.data(), text.size(), options, pugi::encoding_utf8);
    if (!parsed) {
        problem = {LineAt(parsed.offset), std::string("not well-formed XML: ") + parsed.description()};
        return false;
    }
    for (pugi::xml_node node = tree.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_doctype) {
            problem = {LineAt(node.offset_debug()),
                       "the document has a DOCTYPE; an XLIFF file needs none, and none is accepted, so that no "
                       "entity is ever defined or loaded"};
            return false;
        }
        if (node.type() == pugi::node_declaration) {
            std::string encoding = node.attribute("encoding").value();
            for (char& c : encoding) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            if (!encoding.empty() && encoding != "utf-8" && encoding != "utf8") {
                problem = {LineAt(node.offset_debug()), "the document declares the encoding " + Quoted(encoding) +
                                                            "; textresl10n reads XLIFF in UTF-8"};
                return false;
            }
        }
    }
    root = tree.document_element();
    if (LocalName(root) != "xliff") {
        problem = {LineAt(root.offset_debug()), "the root element is not <xliff>"};
        return false;
    }
    const std::string_view version = root.attribute("version").value();
    if (version != "1.2" && version != "1.1" && version != "1.0") {
        problem = {LineAt(root.offset_debug()),
                   "XLIFF version " + Quoted(version) + " is not read: textresl10n reads XLIFF 1.0 to 1.2"};
        return false;
    }
    return true;
}

// Whole: the one tree and the unit elements in it. In pieces: where the unit
// elements are, and the frame checked and read; pieces are parsed when read.
bool XliffDocument::Load(bool whole, ExchangeProblem& problem) {
    whole_ = whole;
    if (bytes_.size() >= 2 && ((bytes_[0] == '\xFF' && bytes_[1] == '\xFE') || (bytes_[0] == '\xFE' && bytes_[1] == '\xFF'))) {
        problem = {1, "the file is UTF-16; textresl10n reads XLIFF in UTF-8"};
        return false;
    }
    if (!CheckBytes(bytes_, problem)) return false;
    if (whole) {
        if (!Parse(tree_, bytes_, kParseOptions, root_, problem)) return false;
        WalkBelow(root_, [&](const pugi::xml_node& node) {
            if (node.type() != pugi::node_element) return false;
            if (IsTransUnit(node) || IsPluralGroup(node)) {
                units_.push_back(node);
                return false;
            }
            return true;
        });
        ReadFrame(root_, [](std::ptrdiff_t offset) { return offset; });
        return true;
    }
    std::string frame;
    std::vector<std::size_t> markers;  // where each marker stands in the frame
    if (!Cuts(frame, markers)) return false;
    // Blanks between elements make no difference to whether a document is
    // well-formed; the frame's tree is made without them.
    pugi::xml_document tree;
    pugi::xml_node root;
    if (!Parse(tree, frame, kParseOptions & ~pugi::parse_ws_pcdata, root, problem)) return false;
    std::size_t found = 0;
    bool same = true;
    WalkBelow(root, [&](const pugi::xml_node& node) {
        if (!same || node.type() != pugi::node_element) return false;
        if (IsTransUnit(node) || IsPluralGroup(node)) {
            same = found < markers.size() && node.offset_debug() == static_cast<std::ptrdiff_t>(markers[found] + 1);
            ++found;
            return false;
        }
        return true;
    });
    if (!same || found != markers.size()) return false;
    ReadFrame(root, [&](std::ptrdiff_t offset) {
        if (offset < 0) return offset;
        std::size_t at = static_cast<std::size_t>(offset);
        for (std::size_t k = 0; k < markers.size() && markers[k] < static_cast<std::size_t>(offset); ++k)
            at += cuts_[k].end - cuts_[k].begin - kCutMarker.size();
        return static_cast<std::ptrdiff_t>(at);
    });
    return true;
}

// Scans the tags for the unit elements below the root and cuts them out.
// False for a DOCTYPE, an unclosed comment, CDATA section, processing
// instruction or tag, and an end tag too many.
bool XliffDocument::Cuts(std::string& frame, std::vector<std::size_t>& markers) {
    std::size_t depth = 0, copied = 0;
    for (std::size_t i = 0; (i = bytes_.find('<', i)) != std::string_view::npos;) {
        const std::string_view rest = bytes_.substr(i);
        if (rest.substr(0, 4) == "<!--" || rest.substr(0, 9) == "<![CDATA[" || rest.substr(0, 2) == "<?") {
            i = rest[1] == '?' ? Past(bytes_, i + 2, "?>") : rest[2] == '-' ? Past(bytes_, i + 4, "-->")
                                                                            : Past(bytes_, i + 9, "]]>");
            if (i == std::string_view::npos) return false;
            continue;
        }
        if (rest.substr(0, 2) == "<!") return false;
        const std::size_t end = TagEnd(bytes_, i);
        if (bytes_[end - 1] != '>') return false;
        if (rest[1] == '/') {
            if (depth == 0) return false;
            --depth;
            i = end;
            continue;
        }
        const std::string_view tag = bytes_.substr(i, end - i);
        std::string_view name = tag.substr(1, tag.find_first_of(" \t\r\n/>", 1) - 1);
        if (name.find(':') != std::string_view::npos) name.remove_prefix(name.find(':') + 1);
        bool cut = depth > 0 && name == "trans-unit";
        if (depth > 0 && name == "group") {
            // A plural group is one unit; any other group holds units.
            std::string alone(tag);
            if (!SelfClosing(bytes_, end)) alone.insert(alone.size() - 1, "/");
            pugi::xml_document element;
            if (!element.load_buffer(alone.data(), alone.size(), kParseOptions, pugi::encoding_utf8)) return false;
            cut = IsPluralGroup(element.document_element());
        }
        if (cut) {
            const std::size_t unitEnd = MatchingEnd(bytes_, i);
            if (unitEnd == std::string_view::npos) return false;
            cuts_.push_back({i, unitEnd});
            frame.append(bytes_.substr(copied, i - copied));
            markers.push_back(frame.size());
            frame.append(kCutMarker);
            copied = i = unitEnd;
            continue;
        }
        if (!SelfClosing(bytes_, end)) ++depth;
        i = end;
    }
    frame.append(bytes_.substr(copied));
    return true;
}

// What the document says outside of its units. `position` gives a frame
// node's offset in the bytes.
template <typename Position>
void XliffDocument::ReadFrame(const pugi::xml_node& root, Position position) {
    rootLine_ = LineAt(position(root.offset_debug()));
    for (pugi::xml_node node = root.first_child(); node; node = node.next_sibling())
        if (LocalName(node) == "file" && fileLanguage_.empty()) fileLanguage_ = node.attribute("target-language").value();
    const pugi::xml_node body = ChildNamed(ChildNamed(root, "file"), "body");
    if (body) {
        bodyStart_ = ElementStart(bytes_, position(body.offset_debug()));
        bodyName_ = body.name();
    }
}

// Parses the k-th piece into `tree`; `base` is where it starts.
bool XliffDocument::ParsePiece(pugi::xml_document& tree, std::size_t k, std::size_t& base) const {
    const Cut cut = cuts_[k];
    base = cut.begin;
    if (!tree.load_buffer(bytes_.data() + cut.begin, cut.end - cut.begin, kParseOptions, pugi::encoding_utf8))
        return false;
    const pugi::xml_node element = tree.first_child();
    return (IsTransUnit(element) || IsPluralGroup(element)) && !element.next_sibling();
}

bool XliffDocument::Unit(std::size_t k, pugi::xml_node& node) {
    if (whole_) {
        node = units_[k];
        return true;
    }
    const bool parsed = ParsePiece(tree_, k, pieceBase_);
    node = tree_.first_child();
    return parsed;
}

pugi::xml_node XliffDocument::HeaderUnit() {
    pugi::xml_node header;
    const auto visit = [&](const pugi::xml_node& node) {
        if (node.type() != pugi::node_element || header) return false;
        if (LocalName(node) == "trans-unit") {
            if (IsHeaderUnit(node)) header = node;
            return false;
        }
        return true;
    };
    if (whole_) {
        WalkBelow(root_, visit);
        return header;
    }
    for (std::size_t k = 0; k < cuts_.size() && !header; ++k) {
        // Only a piece with a restype attribute can be or hold one. A piece
        // that does not parse fails when it is read.
        if (bytes_.substr(cuts_[k].begin, cuts_[k].end - cuts_[k].begin).find("restype") == std::string_view::npos ||
            !ParsePiece(header_, k, headerBase_))
            continue;
        const pugi::xml_node element = header_.first_child();
        if (visit(element)) WalkBelow(element, visit);
    }
    return header;
}

std::ptrdiff_t XliffDocument::Offset(const pugi::xml_node& node) const {
    const std::ptrdiff_t offset = node.offset_debug();
    if (offset < 0 || whole_) return offset;
    const std::size_t base = node.root() == header_ ? headerBase_ : pieceBase_;
    return offset + static_cast<std::ptrdiff_t>(base);
}

// -------------------------------------------------------------- inline text

// The text of a <source> or <target>: character data as it is, <g> and
// <mrk> looked into, the native code of <ph>, <bpt>, <ept> and <it> as text,
// a <ph ctype="x-char"> as the character its escape names.
bool InlineText(const pugi::xml_node& element, const XliffDocument& document, std::string& text,
                ExchangeProblem& problem) {
    text.clear();
    bool ok = true;
    WalkBelow(element, [&](const pugi::xml_node& node) {
        if (!ok) return false;
        switch (node.type()) {
            case pugi::node_pcdata:
            case pugi::node_cdata: text += node.value(); return false;
            case pugi::node_element: break;
            default: return false;  // comments, processing instructions
        }
        const std::string_view name = LocalName(node);
        if (name == "g" || name == "mrk") return true;
        if (name == "ph" || name == "bpt" || name == "ept" || name == "it") {
            const std::string code = AllText(node);
            if (std::strcmp(node.attribute("ctype").value(), kCharType) != 0) {
                text += code;
                return false;
            }
            std::u16string units;
            for (const char c : code) units += static_cast<char16_t>(static_cast<unsigned char>(c));
            LiteralValues values;
            textresgen::LiteralProblem literal;
            std::string utf8;
            if (!textresgen::DecodeLiteralBody(units, values, literal) || values.size() != 1 ||
                !textresgen::ValuesToUtf8(values, utf8)) {
                problem.line = document.Line(node);
                problem.message = "a <ph ctype=\"x-char\"> must hold the C++ escape of one character, not " + Quoted(code);
                ok = false;
                return false;
            }
            text += utf8;
            return false;
        }
        problem.line = document.Line(node);
        problem.message = name == "x" || name == "bx" || name == "ex"
                              ? "the inline element <" + std::string(name) + "/> stands for code this file does not hold"
                              : "the element " + Quoted(name) + " is not expected inside a text";
        ok = false;
        return false;
    });
    return ok;
}
// The ids given to one placeholder code in a unit, and how many of them the
// text being written has used.
struct PlaceholderIds {
    std::vector<int> ids;
    std::size_t used = 0;
};
using PlaceholderMap = std::unordered_map<std::string, PlaceholderIds>;

// Starts the count for the next text of the same unit.
void NextText(PlaceholderMap& ids) {
    for (auto& entry : ids) entry.second.used = 0;
}

// Appends `text` as character data and <ph> elements.
void AppendInline(pugi::xml_node element, std::string_view utf8, PlaceholderMap& ids,
                  int& nextId) {
    LiteralValues values;
    std::size_t bad = 0;
    textresgen::Utf8ToValues(utf8, values, bad);
    // Spans to protect: printf directives of a valid format, {n} placeholders.
    const auto spans = textresgen::PlaceholderSpans(values);

    std::string pending;
    const auto flush = [&] {
        if (!pending.empty()) element.append_child(pugi::node_pcdata).set_value(pending.c_str());
        pending.clear();
    };
    const auto addPh = [&](const std::string& code, const char* ctype) {
        flush();
        pugi::xml_node ph = element.append_child("ph");
        // The k-th occurrence of a code in a translation takes the id of its
        // k-th occurrence in the source, so that CAT tools pair them up.
        PlaceholderIds& known = ids[std::string(ctype) + '\n' + code];
        int id;
        if (known.used < known.ids.size()) {
            id = known.ids[known.used];
        } else {
            id = nextId++;
            known.ids.push_back(id);
        }
        ++known.used;
        ph.append_attribute("id") = id;
        ph.append_attribute("ctype") = ctype;
        ph.append_child(pugi::node_pcdata).set_value(code.c_str());
    };
    std::size_t span = 0;
    for (std::size_t i = 0; i < values.size();) {
        if (span < spans.size() && spans[span].first == i) {
            std::string code;
            textresgen::ValuesToUtf8(std::u32string_view(values).substr(i, spans[span].second - i), code);
            bool plain = true;
            for (const char c : code) plain = plain && static_cast<unsigned char>(c) >= 0x20;
            if (plain) {
                addPh(code, code[0] == '%' ? "x-c-format" : "x-placeholder");
                i = spans[span++].second;
                continue;
            }
            ++span;
        }
        const char32_t c = values[i++];
        if (c == U'\r' || (c < 0x20 && c != U'\t' && c != U'\n') || c == 0xFFFE || c == 0xFFFF) {
            const textresgen::WideString escape = textresgen::EncodeLiteralBody(LiteralValues(1, c));
            addPh(std::string(escape.begin(), escape.end()), kCharType);
        } else {
            std::string one;
            textresgen::ValuesToUtf8(LiteralValues(1, c), one);
            pending += one;
        }
    }
    flush();
}

void AppendText(pugi::xml_node parent, const char* text) { parent.append_child(pugi::node_pcdata).set_value(text); }

void AppendNote(pugi::xml_node unit, const std::string& note) {
    AppendText(unit, kChildIndent);
    pugi::xml_node element = unit.append_child("note");
    element.append_attribute("from") = "developer";
    if (!note.empty()) AppendText(element, note.c_str());
}

// A plural message: a group of `forms` trans-units ("KEY[i]", each on one
// line), the first with the singular as its source, the others with the
// plural, each holding the form of the i-th integer category.
// The key as po2xliff keeps a PO entry's "#:" reference, which is where
// xliff2po looks for it in a document of gettext's shape.
void AppendReference(pugi::xml_node unit, const std::string& key) {
    AppendText(unit, kChildIndent);
    pugi::xml_node group = unit.append_child("context-group");
    group.append_attribute("name") = "po-reference";
    group.append_attribute("purpose") = "location";
    pugi::xml_node context = group.append_child("context");
    context.append_attribute("context-type") = "sourcefile";
    AppendText(context, key.c_str());
}

void FillGroup(pugi::xml_node group, const ExchangeUnit& data, std::size_t forms, bool references) {
    group.append_attribute("id") = data.key.c_str();
    group.append_attribute("resname") = data.key.c_str();
    group.append_attribute("restype") = kPluralGroup;
    if (!data.translate) group.append_attribute("translate") = "no";
    if (data.state == UnitState::Translated) group.append_attribute("approved") = "yes";
    if (references) AppendReference(group, data.key);
    PlaceholderMap ids;
    int nextId = 1;
    for (std::size_t i = 0; i < std::max<std::size_t>(forms, 1); ++i) {
        const std::string id = data.key + "[" + std::to_string(i) + "]";
        const std::string target =
                i < data.forms.size() && data.state != UnitState::Untranslated ? data.forms[i].text : "";
        AppendText(group, kChildIndent);
        pugi::xml_node unit = group.append_child("trans-unit");
        unit.append_attribute("id") = id.c_str();
        unit.append_attribute("xml:space") = "preserve";
        if (!target.empty() && data.state == UnitState::Translated) unit.append_attribute("approved") = "yes";
        NextText(ids);
        AppendInline(unit.append_child("source"), i == 0 ? data.source : data.sourcePlural, ids, nextId);
        if (target.empty()) continue;
        pugi::xml_node element = unit.append_child("target");
        element.append_attribute("state") =
                data.state == UnitState::Translated ? "translated" : "needs-review-translation";
        NextText(ids);
        AppendInline(element, target, ids, nextId);
    }
    for (const std::string& note : data.notes) AppendNote(group, note);
    AppendText(group, kUnitIndent);
}

// A complete trans-unit, indented as this program writes them.
// `references`: with the key also as a po-reference context, as a document
// of gettext's shape (one with plural groups) has it.
void FillUnit(pugi::xml_node unit, const ExchangeUnit& data, std::size_t forms, bool references) {
    if (data.plural) {
        unit.set_name("group");
        FillGroup(unit, data, forms, references);
        return;
    }
    unit.append_attribute("id") = data.key.c_str();
    unit.append_attribute("resname") = data.key.c_str();
    unit.append_attribute("xml:space") = "preserve";
    if (!data.translate) unit.append_attribute("translate") = "no";
    // translate-toolkit (pocount, xliff2po) counts a unit as translated only
    // when it is approved, whatever its target's state.
    if (data.state == UnitState::Translated) unit.append_attribute("approved") = "yes";
    PlaceholderMap ids;
    int nextId = 1;
    AppendText(unit, kChildIndent);
    AppendInline(unit.append_child("source"), data.source, ids, nextId);
    if (data.state != UnitState::Untranslated) {
        AppendText(unit, kChildIndent);
        pugi::xml_node target = unit.append_child("target");
        target.append_attribute("state") = data.state == UnitState::Translated ? "translated" : "needs-review-translation";
        NextText(ids);
        AppendInline(target, data.target, ids, nextId);
    }
    if (references) AppendReference(unit, data.key);
    for (const std::string& note : data.notes) AppendNote(unit, note);
    AppendText(unit, kUnitIndent);
}
class StringWriter final : public pugi::xml_writer {
public:
    explicit StringWriter(std::string& out) : out_(out) {}
    void write(const void* data, size_t size) override { out_.append(static_cast<const char*>(data), size); }

private:
    std::string& out_;
};


// The key of a trans-unit: resname, else po2xliff's location, else id.
std::string UnitKey(const pugi::xml_node& unit) {
    const char* resname = unit.attribute("resname").value();
    if (*resname != '\0') return resname;
    for (pugi::xml_node group = unit.first_child(); group; group = group.next_sibling()) {
        if (LocalName(group) != "context-group" || std::strcmp(group.attribute("name").value(), "po-reference") != 0)
            continue;
        for (pugi::xml_node context = group.first_child(); context; context = context.next_sibling()) {
            if (LocalName(context) == "context" &&
                std::strcmp(context.attribute("context-type").value(), "sourcefile") == 0)
                return AllText(context);
        }
    }
    return unit.attribute("id").value();
}

UnitState StateOf(const pugi::xml_node& target, const std::string& text, const std::string& source) {
    if (!target) return source.empty() ? UnitState::Translated : UnitState::Untranslated;
    const std::string_view state = target.attribute("state").value();
    if (state == "new" || state == "needs-translation") return UnitState::Untranslated;
    if (text.empty() && !source.empty()) return UnitState::Untranslated;
    if (state.substr(0, 12) == "needs-review" || state == "needs-adaptation" || state == "needs-l10n")
        return UnitState::NeedsReview;
    return UnitState::Translated;
}

// The trans-units of a plural group: its forms, in order.
std::vector<pugi::xml_node> FormUnits(const pugi::xml_node& group) {
    std::vector<pugi::xml_node> units;
    for (pugi::xml_node child = group.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && LocalName(child) == "trans-unit") units.push_back(child);
    return units;
}

// The language of the document's plural forms and how they map to its
// categories: the <file>'s target-language, else the Language of the
// gettext header unit po2xliff keeps, whose Plural-Forms formula (else
// CLDR's for the language) numbers the forms.
class XliffPlurals {
public:
    explicit XliffPlurals(XliffDocument& document) : document_(document) {}

    bool Read(ExchangeProblem& problem) {
        if (read_) return true;
        read_ = true;
        std::string header;
        const pugi::xml_node headerUnit = document_.HeaderUnit();
        hasHeader_ = headerUnit;
        if (headerUnit) {
            pugi::xml_node text = ChildNamed(headerUnit, "target");
            header = AllText(text ? text : ChildNamed(headerUnit, "source"));
        }
        std::size_t ignored = 0;
        language_ = document_.FileLanguage();
        if (language_.empty()) HeaderField(header, "Language", language_, ignored);
        if (language_.empty()) return true;
        PluralFormula formula = LanguageFormula(language_);
        std::string value, error;
        const std::size_t line = headerUnit ? document_.Line(headerUnit) : 0;
        if (HeaderField(header, "Plural-Forms", value, ignored) && !formula.Parse(value, error)) {
            problem = {line, error};
            return false;
        }
        if (!FormsOfCategories(language_, formula, map_, error)) {
            problem = {line, error};
            return false;
        }
        return true;
    }

    const std::string& Language() const { return language_; }
    bool HasHeader() const { return hasHeader_; }
    const CategoryForms& Map() const { return map_; }

private:
    XliffDocument& document_;
    bool read_ = false;
    bool hasHeader_ = false;
    std::string language_;
    CategoryForms map_;
};

// A plural group as one unit, its forms given their categories.
bool ReadPluralGroup(const pugi::xml_node& group, const XliffDocument& document, XliffPlurals& plurals,
                     ExchangeUnit& unit, ExchangeProblem& problem) {
    unit.plural = true;
    std::vector<std::string> forms;
    std::vector<std::size_t> formLines;
    bool fuzzy = false;
    const std::vector<pugi::xml_node> units = FormUnits(group);
    if (units.empty()) {
        problem = {unit.line, "the plural group " + Quoted(unit.key) + " holds no trans-unit"};
        return false;
    }
    for (std::size_t i = 0; i < units.size(); ++i) {
        const pugi::xml_node source = ChildNamed(units[i], "source");
        if (!source) {
            problem = {document.Line(units[i]), "a trans-unit of " + Quoted(unit.key) + " has no <source>"};
            return false;
        }
        std::string text;
        if (!InlineText(source, document, text, problem)) return false;
        if (i == 0) unit.source = text;
        if (i == 1) unit.sourcePlural = text;
        const pugi::xml_node target = ChildNamed(units[i], "target");
        std::string translation;
        if (target && !InlineText(target, document, translation, problem)) return false;
        const UnitState state = StateOf(target, translation, text);
        if (state == UnitState::Untranslated) translation.clear();
        fuzzy = fuzzy || state == UnitState::NeedsReview;
        forms.push_back(std::move(translation));
        formLines.push_back(document.Line(target ? target : units[i]));
    }
    unit.targetLine = formLines.front();
    if (!plurals.Read(problem)) return false;
    bool any = false;
    for (const std::string& form : forms) any = any || !form.empty();
    if (plurals.Language().empty()) {
        if (any) {
            problem = {unit.line, "the document names no target language, so the plural forms of " + Quoted(unit.key) +
                                          " cannot be matched to the language's plural categories"};
            return false;
        }
    } else {
        AssignForms(plurals.Map(), forms, formLines, unit);
    }
    unit.state = PluralState(unit, fuzzy);
    return true;
}

// -------------------------------------------- edits of the document's bytes

// Update changes the bytes it must change and leaves every other byte as
// the file had it (character references, quotes, blanks, line ends).

// An attribute of the start tag at `lt`: from the blank before its name to
// its closing quote, and its value. found is false when the tag has none.
struct AttributeSpan {
    bool found = false;
    std::size_t begin = 0;
    std::size_t valueBegin = 0;
    std::size_t valueEnd = 0;
};

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

// Where an attribute is added to the start tag at `lt`: before its '>' or '/>'.
std::size_t AttributeInsertion(std::string_view bytes, std::size_t lt) {
    const std::size_t end = TagEnd(bytes, lt);
    return end - (SelfClosing(bytes, end) ? 2 : 1);
}

// The namespace prefix of an element's name ("x:" for "x:trans-unit").
std::string PrefixOf(std::string_view name) {
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(name.substr(0, colon + 1));
}

// Gives every element below `root`, and `root`, the prefix of the document's
// XLIFF elements, so that what is added stays in the XLIFF namespace.
void Prefix(pugi::xml_node root, const std::string& prefix) {
    if (prefix.empty()) return;
    root.set_name((prefix + root.name()).c_str());
    WalkBelow(root, [&](pugi::xml_node node) {
        if (node.type() == pugi::node_element) node.set_name((prefix + node.name()).c_str());
        return true;
    });
}

// One change of the document: the bytes [begin, end) replaced by `text`.
struct Edit {
    std::size_t begin;
    std::size_t end;
    std::string text;
};

std::string ApplyEdits(std::string_view bytes, std::vector<Edit>& edits, bool crlf) {
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.begin < b.begin; });
    // The size first, so that the result is allocated once.
    std::size_t size = 0, cursor = 0;
    for (const Edit& edit : edits) {
        if (edit.begin > cursor) size += edit.begin - cursor;
        size += edit.text.size();
        if (crlf) size += static_cast<std::size_t>(std::count(edit.text.begin(), edit.text.end(), '\n'));
        cursor = std::max(cursor, edit.end);
    }
    if (cursor < bytes.size()) size += bytes.size() - cursor;
    std::string out;
    out.reserve(size);
    cursor = 0;
    for (const Edit& edit : edits) {
        if (edit.begin > cursor) out.append(bytes.substr(cursor, edit.begin - cursor));
        for (const char c : edit.text) {
            if (c == '\n' && crlf) out += '\r';  // added lines end as the file's lines do
            out += c;
        }
        cursor = std::max(cursor, edit.end);
    }
    if (cursor < bytes.size()) out.append(bytes.substr(cursor));
    return out;
}

// The markup of the children of `holder`, as pugixml writes them.
std::string ChildrenMarkup(const pugi::xml_node& holder) {
    std::string out;
    StringWriter writer(out);
    for (pugi::xml_node child = holder.first_child(); child; child = child.next_sibling())
        child.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return out;
}

// Where the units go in the frame of a new document.
constexpr const char* kUnitsHere = "textresl10n-units";

// One unit as this program writes them, made in a tree of its own.
void PrintUnit(pugi::xml_document& scratch, const ExchangeUnit& unit, std::size_t forms, bool references,
               pugi::xml_writer& writer) {
    scratch.reset();
    pugi::xml_node node = scratch.append_child("trans-unit");
    FillUnit(node, unit, forms, references);
    node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
}

// The k-th unit of a document read whole or in pieces; false with the
// problem when its piece is not well-formed.
bool UnitAt(XliffDocument& document, std::size_t k, pugi::xml_node& node, ExchangeProblem& problem) {
    if (document.Unit(k, node)) return true;
    problem = {0, "a unit is not well-formed XML"};
    return false;
}

// The units of a document read whole or in pieces.
bool ReadUnits(XliffDocument& document, std::vector<ExchangeUnit>& units, ExchangeProblem& problem) {
    units.clear();
    units.reserve(document.Units());
    // The keys met so far, viewed in `units`, which the reservation keeps in place.
    std::unordered_map<std::string_view, std::size_t> seen;
    seen.reserve(document.Units());
    XliffPlurals plurals(document);
    std::string text;  // the text being read, then copied into its unit at its size
    for (std::size_t k = 0; k < document.Units(); ++k) {
        pugi::xml_node node;
        if (!UnitAt(document, k, node, problem)) return false;
        if (IsHeaderUnit(node)) continue;
        ExchangeUnit unit;
        unit.line = document.Line(node);
        unit.key = UnitKey(node);
        const auto at = seen.find(unit.key);
        if (at != seen.end()) {
            problem = {unit.line, "the key " + Quoted(unit.key) + " appears twice (first at line " +
                                      std::to_string(at->second) + ")"};
            return false;
        }
        unit.translate = std::strcmp(node.attribute("translate").value(), "no") != 0;
        for (pugi::xml_node note = node.first_child(); note; note = note.next_sibling())
            if (LocalName(note) == "note") unit.notes.push_back(AllText(note));
        if (IsPluralGroup(node)) {
            if (!ReadPluralGroup(node, document, plurals, unit, problem)) return false;
        } else {
            const pugi::xml_node source = ChildNamed(node, "source");
            if (!source) {
                problem = {unit.line, "the trans-unit " + Quoted(unit.key) + " has no <source>"};
                return false;
            }
            if (!InlineText(source, document, text, problem)) return false;
            unit.source = text;
            const pugi::xml_node target = ChildNamed(node, "target");
            if (target) {
                if (!InlineText(target, document, text, problem)) return false;
                unit.target = text;
            }
            unit.targetLine = target ? document.Line(target) : unit.line;
            unit.state = StateOf(target, unit.target, unit.source);
        }
        units.push_back(std::move(unit));
        seen.emplace(units.back().key, units.back().line);
    }
    return true;
}

// The document read whole or in pieces, merged with the base.
bool UpdateUnits(XliffDocument& document, const BaseFile& base, std::string& out, std::size_t& carried,
                 ExchangeProblem& problem) {
    const std::string_view bytes = document.Bytes();
    constexpr std::size_t kNone = std::string_view::npos;
    std::unordered_map<std::string_view, std::size_t> inBase;  // the base's units by name
    inBase.reserve(base.units.size());
    for (std::size_t i = 0; i < base.units.size(); ++i) inBase.emplace(base.units[i].key, i);
    XliffPlurals plurals(document);
    if (!plurals.Read(problem)) return false;
    const std::size_t forms = FormCount(plurals.Language());
    if (document.BodyStart() == kNone) {
        problem = {document.RootLine(), "the document has no <file> with a <body>"};
        return false;
    }

    // What `fill` puts into an element, as markup.
    const auto markup = [](const std::string& prefix, const auto& fill) {
        pugi::xml_document scratch;
        pugi::xml_node holder = scratch.append_child("holder");
        fill(holder);
        Prefix(holder, prefix);
        return ChildrenMarkup(holder);
    };

    // The units in file order. A unit stays when the base has its name in
    // the same shape (a plural group for a plural message, a trans-unit for
    // a text), the first of that name; the edits it needs are made here and
    // applied in the base's order. Any other unit's name left the base: it
    // goes.
    std::vector<std::size_t> endOf(base.units.size(), kNone);  // where the unit of a base unit ends
    std::vector<std::pair<std::size_t, Edit>> kept;             // edits of units that stay, with their base unit
    std::vector<Edit> removals;
    // A new name whose source is that of a translated name that left the
    // base (a rename), or close to it, takes its translation for review.
    std::vector<std::string> removedSources, removedTargets;
    std::string current;
    for (std::size_t k = 0; k < document.Units(); ++k) {
        pugi::xml_node node;
        if (!UnitAt(document, k, node, problem)) return false;
        if (IsHeaderUnit(node)) continue;
        const std::size_t unitStart = document.Start(node);
        const auto found = inBase.find(UnitKey(node));
        if (found == inBase.end() || base.units[found->second].plural != IsPluralGroup(node)) {
            removals.push_back({BlanksBefore(bytes, unitStart), ElementEnd(bytes, unitStart), ""});
            if (IsPluralGroup(node)) continue;
            std::string source, target;
            ExchangeProblem ignored;
            const pugi::xml_node targetNode = ChildNamed(node, "target");
            if (!InlineText(ChildNamed(node, "source"), document, source, ignored) || !targetNode ||
                !InlineText(targetNode, document, target, ignored) ||
                StateOf(targetNode, target, source) == UnitState::Untranslated)
                continue;
            removedSources.push_back(std::move(source));
            removedTargets.push_back(std::move(target));
            continue;
        }
        const std::size_t index = found->second;
        if (endOf[index] != kNone) continue;  // a name met before
        const BaseUnit& unit = base.units[index];
        const std::size_t unitEnd = ElementEnd(bytes, unitStart);
        endOf[index] = unitEnd;
        const auto edit = [&](std::size_t begin, std::size_t end, std::string text) {
            kept.push_back({index, Edit{begin, end, std::move(text)}});
        };
        const std::string prefix = PrefixOf(node.name());
        const bool translate = std::strcmp(node.attribute("translate").value(), "no") != 0;
        if (translate != unit.translate) {
            const AttributeSpan span = FindAttribute(bytes, unitStart, "translate");
            if (unit.translate) edit(span.begin, span.valueEnd + 1, "");
            else if (span.found) edit(span.valueBegin, span.valueEnd, "no");
            else edit(AttributeInsertion(bytes, unitStart), AttributeInsertion(bytes, unitStart), " translate=\"no\"");
        }
        // A changed source: the new one in, each translation marked for
        // review (in a plural group: the singular in the first form's
        // unit, the plural in the others).
        const std::vector<pugi::xml_node> formUnits =
                unit.plural ? FormUnits(node) : std::vector<pugi::xml_node>{node};
        bool sourceChanged = false;
        for (std::size_t i = 0; i < formUnits.size(); ++i) {
            const std::string_view wanted = unit.plural && i > 0 ? unit.SourcePlural() : unit.source;
            const pugi::xml_node source = ChildNamed(formUnits[i], "source");
            ExchangeProblem ignored;
            if (!source || (InlineText(source, document, current, ignored) && current == wanted)) continue;
            sourceChanged = true;
            PlaceholderMap ids;
            int nextId = 1;
            const std::string content =
                markup(prefix, [&](pugi::xml_node holder) { AppendInline(holder, wanted, ids, nextId); });
            const std::size_t sourceStart = document.Start(source);
            const std::size_t sourceTagEnd = TagEnd(bytes, sourceStart);
            if (SelfClosing(bytes, sourceTagEnd))
                edit(sourceTagEnd - 2, sourceTagEnd, ">" + content + "</" + source.name() + ">");
            else
                edit(sourceTagEnd, bytes.rfind('<', ElementEnd(bytes, sourceStart) - 1), content);
        }
        bool reviewed = false;
        for (const pugi::xml_node& form : formUnits) {
            const pugi::xml_node target = ChildNamed(form, "target");
            if (!sourceChanged || !target || !target.first_child()) continue;
            const std::size_t targetStart = document.Start(target);
            const AttributeSpan state = FindAttribute(bytes, targetStart, "state");
            if (state.found)
                edit(state.valueBegin, state.valueEnd, "needs-review-translation");
            else
                edit(AttributeInsertion(bytes, targetStart), AttributeInsertion(bytes, targetStart),
                     " state=\"needs-review-translation\"");
            const AttributeSpan approved = FindAttribute(bytes, document.Start(form), "approved");
            if (approved.found) edit(approved.begin, approved.valueEnd + 1, "");
            reviewed = true;
        }
        if (reviewed && unit.plural) {
            const AttributeSpan approved = FindAttribute(bytes, unitStart, "approved");
            if (approved.found) edit(approved.begin, approved.valueEnd + 1, "");
        }
        // Developer notes: replaced only when they differ; the new ones go
        // after the unit's last child.
        std::vector<pugi::xml_node> notes;
        std::vector<std::string> texts;
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
            if (LocalName(child) == "note" && std::strcmp(child.attribute("from").value(), "developer") == 0) {
                notes.push_back(child);
                texts.push_back(AllText(child));
            }
        }
        if (!std::equal(texts.begin(), texts.end(), unit.Notes().begin(), unit.Notes().end())) {
            for (const pugi::xml_node& note : notes) {
                const std::size_t noteStart = document.Start(note);
                edit(BlanksBefore(bytes, noteStart), ElementEnd(bytes, noteStart), "");
            }
            const std::size_t endTag = bytes.rfind('<', unitEnd - 1);
            const std::size_t at = BlanksBefore(bytes, endTag);
            edit(at, at, markup(prefix, [&](pugi::xml_node holder) {
                     for (const std::string_view note : unit.Notes()) AppendNote(holder, std::string(note));
                 }));
        }
    }

    std::vector<const BaseUnit*> added;
    bool adding = false;  // a new unit goes into the body
    for (std::size_t i = 0; i < base.units.size(); ++i) {
        adding = adding || endOf[i] == kNone;
        if (endOf[i] == kNone && !base.units[i].plural) added.push_back(&base.units[i]);
    }
    std::unordered_map<const BaseUnit*, std::size_t> renamedFrom;
    const std::vector<long> matches = MatchRenames(added, removedSources);
    for (std::size_t a = 0; a < added.size(); ++a)
        if (matches[a] >= 0) renamedFrom.emplace(added[a], static_cast<std::size_t>(matches[a]));
    carried = renamedFrom.size();

    // Added elements take the prefix of the elements they go into.
    const std::string bodyPrefix = PrefixOf(document.BodyName());
    const std::size_t bodyTagEnd = TagEnd(bytes, document.BodyStart());
    const bool emptyBody = SelfClosing(bytes, bodyTagEnd);
    const auto newUnit = [&](const BaseUnit& unit) {
        pugi::xml_document scratch;
        pugi::xml_node created = scratch.append_child("trans-unit");
        ExchangeUnit fresh = UntranslatedUnit(unit);
        const auto from = renamedFrom.find(&unit);
        if (from != renamedFrom.end()) {
            fresh.state = UnitState::NeedsReview;
            fresh.target = removedTargets[from->second];
        }
        FillUnit(created, fresh, forms, plurals.HasHeader());
        Prefix(created, bodyPrefix);
        return kUnitIndent + ChildrenMarkup(scratch);
    };
    // The edits in the base's order: a new unit after the unit of the
    // nearest name before it in the base, each kept unit's edits, then the
    // units that go.
    std::stable_sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Edit> edits;
    if (emptyBody && adding) edits.push_back({bodyTagEnd - 2, bodyTagEnd, ">"});
    std::size_t insertAt = bodyTagEnd;  // where the next new unit goes
    auto next = kept.begin();
    for (std::size_t i = 0; i < base.units.size(); ++i) {
        if (endOf[i] == kNone) {
            edits.push_back({insertAt, insertAt, newUnit(base.units[i])});
            continue;
        }
        insertAt = endOf[i];
        for (; next != kept.end() && next->first == i; ++next) edits.push_back(std::move(next->second));
    }
    if (emptyBody && adding)
        edits.push_back({bodyTagEnd, bodyTagEnd, "\n    </" + document.BodyName() + ">"});
    for (Edit& removal : removals) edits.push_back(std::move(removal));

    // Nothing to change: the file keeps its bytes, whichever tool wrote it.
    if (edits.empty()) {
        out.assign(bytes);
        return true;
    }
    // Added lines end in CR LF when the file's first line does.
    const std::size_t firstLf = bytes.find('\n');
    out = ApplyEdits(bytes, edits, firstLf != std::string_view::npos && firstLf > 0 && bytes[firstLf - 1] == '\r');
    return true;
}

}  // namespace

// The document without its units, a processing instruction where they go;
// each unit is then made and printed on its own, so that no tree of the
// whole document is held.
struct XliffWriter::Frame {
    pugi::xml_document scratch;  // one unit's tree at a time
    std::size_t forms = 0;
    bool plurals = false;
    std::string after;           // the document after its units
};

XliffWriter::XliffWriter(const ExchangeHeader& header, bool plurals, std::string& out)
    : frame_(std::make_unique<Frame>()), out_(out) {
    frame_->forms = FormCount(header.targetLanguage);
    frame_->plurals = plurals;
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("xliff");
    root.append_attribute("version") = "1.2";
    root.append_attribute("xmlns") = kNamespace;
    AppendText(root, "\n  ");
    pugi::xml_node file = root.append_child("file");
    file.append_attribute("original") = header.original.c_str();
    file.append_attribute("source-language") = header.sourceLanguage.c_str();
    file.append_attribute("target-language") = header.targetLanguage.c_str();
    file.append_attribute("datatype") = "plaintext";
    AppendText(file, "\n    ");
    pugi::xml_node body = file.append_child("body");
    if (plurals) {
        // A document with plural messages takes gettext's shape, as po2xliff
        // writes it, so that xliff2po makes them plural PO entries again: the
        // header unit with the language and its Plural-Forms, and each key as
        // a reference.
        std::string fields = "Language: " + header.targetLanguage + "\nPlural-Forms: " +
                             (header.targetLanguage.empty() ? std::string("nplurals=INTEGER; plural=EXPRESSION;")
                                                            : textresgen::plural::GettextPluralForms(header.targetLanguage)) +
                             "\nMIME-Version: 1.0\nContent-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: 8bit\n";
        AppendText(body, kUnitIndent);
        pugi::xml_node unit = body.append_child("trans-unit");
        unit.append_attribute("id") = "0";  // no key: keys are C++ names
        unit.append_attribute("xml:space") = "preserve";
        unit.append_attribute("restype") = kHeaderUnit;
        unit.append_attribute("approved") = "no";
        AppendText(unit, kChildIndent);
        AppendText(unit.append_child("source"), fields.c_str());
        AppendText(unit, kChildIndent);
        AppendText(unit.append_child("target"), fields.c_str());
        AppendText(unit, kUnitIndent);
    }
    body.append_child(pugi::node_pi).set_name(kUnitsHere);
    AppendText(body, "\n    ");
    AppendText(file, "\n  ");
    AppendText(root, "\n");
    std::string frame;
    StringWriter frameWriter(frame);
    root.print(frameWriter, "", pugi::format_raw, pugi::encoding_utf8);
    const std::string here = std::string("<?") + kUnitsHere + "?>";
    const std::size_t at = frame.find(here);
    out_.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    out_.append(frame, 0, at);
    frame_->after = frame.substr(at + here.size());
}

XliffWriter::~XliffWriter() = default;

void XliffWriter::Add(const ExchangeUnit& unit) {
    out_.append(kUnitIndent);
    StringWriter writer(out_);
    PrintUnit(frame_->scratch, unit, frame_->forms, frame_->plurals, writer);
}

void XliffWriter::Finish() {
    out_.append(frame_->after);
    out_ += "\n";
}

bool ReadXliff(std::string_view bytes, std::vector<ExchangeUnit>& units, ExchangeProblem& problem) {
    {
        XliffDocument pieces(bytes);
        ExchangeProblem ignored;  // reading the whole document says what is wrong
        if (pieces.Load(false, ignored) && ReadUnits(pieces, units, ignored)) return true;
    }
    XliffDocument whole(bytes);
    return whole.Load(true, problem) && ReadUnits(whole, units, problem);
}

bool UpdateXliff(std::string_view bytes, const BaseFile& base, std::string& out, std::size_t& carried,
                 ExchangeProblem& problem) {
    {
        XliffDocument pieces(bytes);
        ExchangeProblem ignored;  // updating the whole document says what is wrong
        if (pieces.Load(false, ignored) && UpdateUnits(pieces, base, out, carried, ignored)) return true;
    }
    XliffDocument whole(bytes);
    return whole.Load(true, problem) && UpdateUnits(whole, base, out, carried, problem);
}

}  // namespace textresl10n
