#include "emit/source_writer.h"

#include "emit/walk_pieces.h"
#include "model/group_walk.h"
#include "definition/generated_names.h"

namespace textresgen {
namespace {

// Names and texts hold no line end, so every line is written as pieces that
// go straight into the writer's buffer, its line end spelled out.
// `path_` holds what every assignment of the current group starts with,
// "\tt." and the member path ("Menu.Sub."), extended on entering a group and
// cut back on leaving it.
class SourcePrinter {
public:
    SourcePrinter(const ResourceTree& tree, Utf16Writer& file) : tree_(tree), file_(file) {
        path_.assign(1, u'\t');
        path_.append(names::kInitParameter);
        path_.push_back(u'.');
    }

    void Enter(const ResourceNode& group, std::size_t depth) {
        if (depth > 0) {
            path_.append(group.Name());
            path_.push_back(u'.');
        }
    }

    void Reopen(const ResourceNode& group, std::size_t depth) { Enter(group, depth); }

    void Entries(const ResourceNode& group, std::size_t) {
        for (std::uint32_t i = 0; i < group.valueCount; ++i) {
            const ResourceEntry& entry = tree_.ValueAt(group, i);
            file_.PrintUnits(path_);
            file_.PrintUnits(entry.Name());
            file_.PrintUnits(u" = L\"");
            if (entry.TextIsNarrow())
                file_.PrintNarrowUnits(entry.NarrowText(), entry.TextLength());
            else
                file_.PrintUnits(entry.WideText());
            file_.PrintUnits(u"\";");
            file_.PrintUnits(Utf16Writer::kLineEnd);
        }
    }

    void Leave(const ResourceNode& group, std::size_t depth) {
        if (depth > 0) path_.resize(path_.size() - group.Name().size() - 1);
    }

private:
    const ResourceTree& tree_;
    Utf16Writer& file_;
    WideString path_;
};

}  // namespace

void WriteSource(const ResourceTree& tree, Utf16Writer& file, const PieceOptions& pieces) {
    file.Print("#include \"");
    file.Print(names::kHeaderFile);
    file.Print("\"\n\n");
    file.Print("\nextern \"C\" __declspec(dllexport) void %s(%s& %s)\n{\n",
               {names::kInitFunction, names::kTypeName, names::kInitParameter});
    PrintWalkInPieces<SourcePrinter>(tree, file, pieces);
    file.Print("}\n");
}

}  // namespace textresgen
