#include "emit/header_writer.h"

#include "emit/walk_pieces.h"
#include "model/group_walk.h"
#include "model/generated_names.h"

namespace textresgen {
namespace {

// Every line is written as pieces that go straight into the writer's buffer,
// with the line ends spelled out: a deep file's header holds several lines
// per group, and formats would cost more than the copying.
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
        file_.PrintUnits(kLineEnd);
        Indent(depth);
        file_.PrintUnits(u"struct ");
        file_.PrintUnits(WideStringView(&names::kGroupTypePrefix, 1));
        file_.PrintUnits(group.Name());
        file_.PrintUnits(kLineEnd);
        Indent(depth);
        file_.PrintUnits(u"{");
        file_.PrintUnits(kLineEnd);
    }

    void Reopen(const ResourceNode&, std::size_t) {}

    // One line per entry, "\tS Open;" after the group's indent.
    void Entries(const ResourceNode& group, std::size_t depth) {
        member_.assign(depth + 1, u'\t');
        member_.append(names::kMemberType);
        member_.push_back(u' ');
        for (std::uint32_t i = 0; i < group.valueCount; ++i) {
            file_.PrintUnits(member_);
            file_.PrintUnits(tree_.ValueAt(group, i).Name());
            file_.PrintUnits(u";");
            file_.PrintUnits(kLineEnd);
        }
    }

    void Leave(const ResourceNode& group, std::size_t depth) {
        Indent(depth);
        if (depth == 0) {
            file_.Print("};\n\n#endif\n");
            return;
        }
        file_.PrintUnits(u"} ");
        file_.PrintUnits(group.Name());
        file_.PrintUnits(u";");
        file_.PrintUnits(kLineEnd);
    }

private:
    static constexpr WideStringView kLineEnd = Utf16Writer::kLineEnd;

    void Indent(std::size_t depth) {
        if (tabs_.size() < depth) tabs_.resize(depth, u'\t');
        file_.PrintUnits(WideStringView(tabs_.data(), depth));
    }

    const ResourceTree& tree_;
    Utf16Writer& file_;
    WideString tabs_;
    WideString member_;  // the indent and "S "
};

}  // namespace

void WriteHeader(const ResourceTree& tree, Utf16Writer& file, const PieceOptions& pieces) {
    WriteWalkInPieces(
        tree, file,
        [&tree](Utf16Writer& out, WalkCut from, WalkCut to) {
            HeaderPrinter printer(tree, out);
            WalkGroups(tree, printer, from, to);
        },
        pieces);
}

}  // namespace textresgen
