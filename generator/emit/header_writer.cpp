#include "emit/header_writer.h"

#include "emit/walk_pieces.h"
#include "model/group_walk.h"
#include "definition/generated_names.h"

#include <vector>

namespace textresgen {
namespace {

// Every line is written as pieces that go straight into the writer's buffer,
// with the line ends spelled out: a deep file's header holds several lines
// per group, and formats would cost more than the copying. What a line holds
// around a name is made once for each of the first depths, so most lines
// are three copies.
class HeaderPrinter {
public:
    HeaderPrinter(const ResourceTree& tree, Utf16Writer& file) : tree_(tree), file_(file) {}

    void Enter(const ResourceNode& group, std::size_t depth) {
        if (depth == 0) {
            file_.Print("#ifndef %s\n#define %s\n\nstruct %s\n{\n",
                        {names::kIncludeGuard, names::kIncludeGuard, names::kTypeName});
            file_.Print("\ttypedef const wchar_t* %s;\n\n", {names::kMemberType});
            return;
        }
        //   <empty line>
        //   <tabs>struct _Name
        //   <tabs>{
        if (depth < kDepthsKept) {
            const Fixed& fixed = FixedAt(depth);
            file_.PrintUnits(fixed.beforeType);
            file_.PrintUnits(group.Name());
            file_.PrintUnits(fixed.afterType);
            return;
        }
        file_.PrintUnits(kLineEnd);
        file_.PrintUnits(Tabs(depth));
        file_.PrintUnits(u"struct ");
        file_.PrintUnits(WideStringView(&names::kGroupTypePrefix, 1));
        file_.PrintUnits(group.Name());
        file_.PrintUnits(kLineEnd);
        file_.PrintUnits(Tabs(depth));
        file_.PrintUnits(u"{");
        file_.PrintUnits(kLineEnd);
    }

    void Reopen(const ResourceNode&, std::size_t) {}

    // One line per entry, "\tS Open;" after the group's indent.
    void Entries(const ResourceNode& group, std::size_t depth) {
        WideStringView member;
        if (depth + 1 < kDepthsKept) {
            member = FixedAt(depth + 1).member;
        } else {
            deepMember_.assign(Tabs(depth + 1)).append(names::kMemberType).push_back(u' ');
            member = deepMember_;
        }
        for (std::uint32_t i = 0; i < group.valueCount; ++i) {
            file_.PrintUnits(member);
            file_.PrintUnits(tree_.ValueAt(group, i).Name());
            file_.PrintUnits(kEndMember);
        }
    }

    void Leave(const ResourceNode& group, std::size_t depth) {
        if (depth == 0) {
            file_.Print("};\n\n#endif\n");
            return;
        }
        //   <tabs>} Name;
        if (depth < kDepthsKept) {
            file_.PrintUnits(FixedAt(depth).closing);
        } else {
            file_.PrintUnits(Tabs(depth));
            file_.PrintUnits(u"} ");
        }
        file_.PrintUnits(group.Name());
        file_.PrintUnits(kEndMember);
    }

private:
    static constexpr WideStringView kLineEnd = Utf16Writer::kLineEnd;
    static constexpr WideStringView kEndMember = u";\r\n";
    static constexpr std::size_t kDepthsKept = 64;

    struct Fixed {
        WideString beforeType;  // CR LF, the tabs, "struct _"
        WideString afterType;   // CR LF, the tabs, "{", CR LF
        WideString closing;     // the tabs, "} "
        WideString member;      // the tabs, "S "
    };

    // The first kDepthsKept, made when first needed.
    const Fixed& FixedAt(std::size_t depth) {
        while (fixed_.size() <= depth) {
            fixed_.emplace_back();
            Make(fixed_.back(), fixed_.size() - 1);
        }
        return fixed_[depth];
    }

    // Deeper lines (a deep file's) are written in more pieces.
    WideStringView Tabs(std::size_t depth) {
        if (tabs_.size() < depth) tabs_.resize(depth, u'\t');
        return WideStringView(tabs_.data(), depth);
    }

    static void Make(Fixed& fixed, std::size_t depth) {
        fixed.beforeType.assign(kLineEnd).append(depth, u'\t').append(u"struct ").push_back(names::kGroupTypePrefix);
        fixed.afterType.assign(kLineEnd).append(depth, u'\t').append(u"{").append(kLineEnd);
        fixed.closing.assign(depth, u'\t').append(u"} ");
        fixed.member.assign(depth, u'\t').append(names::kMemberType).push_back(u' ');
    }

    const ResourceTree& tree_;
    Utf16Writer& file_;
    std::vector<Fixed> fixed_;
    WideString tabs_;
    WideString deepMember_;
};

}  // namespace

void WriteHeader(const ResourceTree& tree, Utf16Writer& file, const PieceOptions& pieces) {
    PrintWalkInPieces<HeaderPrinter>(tree, file, pieces);
}

}  // namespace textresgen
