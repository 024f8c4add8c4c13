#include "emit/header_writer.h"

#include "emit/group_walk.h"
#include "model/generated_names.h"

namespace textresgen {
namespace {

class HeaderPrinter {
public:
    HeaderPrinter(const ResourceTree& tree, Utf16Writer& file) : tree_(tree), file_(file) {}

    void Enter(const ResourceNode& group, std::size_t depth) {
        if (depth == 0) {
            file_.Print("#ifndef %s\n#define %s\n\nstruct %s\n{\n",
                        {names::kIncludeGuard, names::kIncludeGuard, names::kTypeName});
            file_.Print("\ttypedef const wchar_t* %s;\n\n", {names::kMemberType});
        } else {
            file_.Print("\n");
            Indent(depth);
            file_.Print("struct %s\n", {GroupType(group.Name())});
            Indent(depth);
            file_.Print("{\n");
        }
        WriteMembers(group, depth + 1);
    }

    void Leave(const ResourceNode& group, std::size_t depth) {
        Indent(depth);
        if (depth == 0)
            file_.Print("};\n\n#endif\n");
        else
            file_.Print("} %s;\n", {group.Name()});
    }

private:
    void Indent(std::size_t depth) { file_.PrintRepeated(u'\t', depth); }

    WideStringView GroupType(WideStringView name) {
        type_.assign(1, names::kGroupTypePrefix);
        type_.append(name);
        return type_;
    }

    // One line per entry, "\tS Open;" after the indent, each assembled in
    // `line_` and written with one call.
    void WriteMembers(const ResourceNode& group, std::size_t indent) {
        if (group.valueCount == 0) return;
        line_.assign(indent, u'\t');
        line_.append(names::kMemberType);
        line_.push_back(u' ');
        const std::size_t shared = line_.size();
        for (std::uint32_t i = 0; i < group.valueCount; ++i) {
            line_.append(tree_.ValueAt(group, i).Name());
            line_.push_back(u';');
            file_.PrintLine(line_);
            line_.resize(shared);
        }
    }

    const ResourceTree& tree_;
    Utf16Writer& file_;
    WideString line_;
    WideString type_;
};

}  // namespace

void WriteHeader(const ResourceTree& tree, Utf16Writer& file) {
    HeaderPrinter printer(tree, file);
    WalkGroups(tree, printer);
}

}  // namespace textresgen
