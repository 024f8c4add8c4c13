#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "check/cli_names.h"
#include "codec/literal_body.h"
#include "text/wide_string.h"

namespace textrescheck {

using textresgen::WideString;

// The printf directives and {n} placeholders of the first file's texts,
// against which every later file's texts are compared: a translation that
// takes other arguments than its base text makes printf read the wrong
// arguments at run time.
class PlaceholderReference {
public:
    // Reads the texts of the file, those without '%' and '{' as empty (they
    // hold no placeholder, and a translation may add none); nothing when it
    // cannot be read. The texts named in
    // `singleCountForms` (the `one` forms of plural messages) may be
    // translated without their count, where that shifts no argument.
    static std::optional<PlaceholderReference> Read(const std::string& path,
                                                    const std::unordered_set<WideString>& singleCountForms = {});

    // Each text of the file at `path` that takes other arguments than its
    // reference text, or adds directives or %n to a plain one: an error at
    // its line. Texts that are no valid literal body are left to the
    // file's own check.
    std::vector<Diagnostic> Compare(const std::string& path) const;

private:
    struct Text {
        std::size_t line;
        textresgen::LiteralValues values;
        bool singleCount = false;
    };
    std::string path_;
    std::unordered_map<textresgen::WideString, Text> texts_;
};

}  // namespace textrescheck
