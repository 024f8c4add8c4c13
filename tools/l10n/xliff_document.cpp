#include "l10n/xliff_document.h"

#include <cstring>

#include "l10n/message_text.h"
#include "l10n/xliff_bytes.h"
#include "l10n/xml_checked.h"

namespace textresl10n::xliff {
namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments |
                                   pugi::parse_pi | pugi::parse_doctype | pugi::parse_ws_pcdata;

// What stands in the frame of a document parsed in pieces where a unit was
// cut out.
constexpr std::string_view kCutMarker = "<trans-unit/>";

}  // namespace

std::string_view LocalName(const pugi::xml_node& node) {
    std::string_view name = node.name();
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string AllText(const pugi::xml_node& element) {
    std::string text;
    WalkBelow(element, [&](const pugi::xml_node& node) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) text += node.value();
        return true;
    });
    return text;
}

bool IsPluralGroup(const pugi::xml_node& node) {
    return LocalName(node) == "group" && std::strcmp(node.attribute("restype").value(), kPluralGroup) == 0;
}

bool IsTransUnit(const pugi::xml_node& node) {
    return node.type() == pugi::node_element && LocalName(node) == "trans-unit";
}

bool IsHeaderUnit(const pugi::xml_node& node) {
    return IsTransUnit(node) && std::strcmp(node.attribute("restype").value(), kHeaderUnit) == 0;
}

pugi::xml_node ChildNamed(const pugi::xml_node& parent, std::string_view name) {
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && LocalName(child) == name) return child;
    return pugi::xml_node();
}

// Parses and checks a document; `root` is its <xliff> element.
bool XliffDocument::Parse(pugi::xml_document& tree, std::string_view text, unsigned options, pugi::xml_node& root,
                          ExchangeProblem& problem) const {
    const pugi::xml_parse_result parsed = LoadChecked(tree, text.data(), text.size(), options);
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
    for (const Cut& cut : cuts_) {
        if (cut.end - cut.begin <= kMaxXliffUnitBytes) continue;
        refused_ = true;
        problem = {LineAt(static_cast<std::ptrdiff_t>(cut.begin)),
                   "the unit is larger than " + std::to_string(kMaxXliffUnitBytes / (1024 * 1024)) +
                           " MiB; no text of a string table comes near that"};
        return false;
    }
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
            if (!LoadChecked(element, alone.data(), alone.size(), kParseOptions)) return false;
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
    if (!LoadChecked(tree, bytes_.data() + cut.begin, cut.end - cut.begin, kParseOptions))
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

}  // namespace textresl10n::xliff
