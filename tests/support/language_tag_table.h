// The cases of tests/runtime/language_tags.txt, which the run-time
// library's tag rule, textresl10n's --lang and textresgen_add_library's
// LANGUAGE check are all tested with.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace textresgen::test {

struct LanguageTagCase {
    enum Kind { kTag, kNoTag, kGettextName } kind;
    std::string text;
    std::string tag;  // what it reads as: the text itself, gettext's name as a tag, or nothing
    int line;
};

// Every case of the table; a test failure for a line of no kind and for a
// table that cannot be read.
inline std::vector<LanguageTagCase> ReadLanguageTagTable(const std::string& path) {
    std::vector<LanguageTagCase> cases;
    std::ifstream file(path, std::ios::binary);
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t space = line.find(' ');
        const std::string kind = line.substr(0, space);
        std::string text = space == std::string::npos ? "" : line.substr(space + 1);
        for (std::size_t at = text.find("\\n"); at != std::string::npos; at = text.find("\\n", at + 1))
            text.replace(at, 2, "\n");
        if (kind == "tag") {
            cases.push_back({LanguageTagCase::kTag, text, text, number});
        } else if (kind == "no") {
            cases.push_back({LanguageTagCase::kNoTag, text, "", number});
        } else if (kind == "gettext" && text.find(' ') != std::string::npos) {
            const std::size_t blank = text.find(' ');
            cases.push_back({LanguageTagCase::kGettextName, text.substr(0, blank), text.substr(blank + 1), number});
        } else {
            ADD_FAILURE() << path << ":" << number << ": no case: " << line;
        }
    }
    if (cases.empty()) ADD_FAILURE() << path << ": no cases read";
    return cases;
}

}  // namespace textresgen::test
