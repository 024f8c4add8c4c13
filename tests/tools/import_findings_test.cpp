// Where import puts what the checker finds in the definition it made: at
// the unit's translation when the finding is about the text, else at the
// unit's key; told by the finding's subject, never by its wording.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/file_check.h"
#include "l10n/import_findings.h"
#include "support/utf16_bytes.h"

namespace textresl10n {
namespace {

using textrescheck::Diagnostic;
using textrescheck::FileCheck;
using textrescheck::Severity;
using Subject = Diagnostic::Subject;

// Definition line 1 came from a unit whose translation is on line 7 of
// the exchange file and whose key is on line 3; line 2 from lines 9 and 8.
const std::vector<UnitOrigin> kOrigins = {{0, 0}, {7, 3}, {9, 8}};

struct PlacementCase {
    const char* what;
    std::size_t line;
    const char* message;
    Severity severity;
    Subject subject;
    bool kept;             // false: left out
    std::size_t expected;  // the exchange file's line
};

const PlacementCase kPlacements[] = {
        {"a text finding worded otherwise", 1, "ends at a lone CR", Severity::Error, Subject::Text, true, 7},
        {"a name finding worded like a text one", 2, "text of 'A' is a keyword", Severity::Warning, Subject::Name,
         true, 8},
        {"a finding about the line", 2, "line holds '.' but no '='", Severity::Warning, Subject::Line, true, 8},
        {"a text finding past the lines", 5, "text of 'A' is too long", Severity::Error, Subject::Text, true, 0},
        {"a note", 1, "3 more findings on this line are not shown", Severity::Note, Subject::Line, false, 0},
};

TEST(ImportFindings, GoToTheTranslationOrTheKeyByTheirSubject) {
    for (const PlacementCase& c : kPlacements) {
        SCOPED_TRACE(c.what);
        FileCheck check;
        Diagnostic finding(c.line, c.message, c.severity);
        finding.subject = c.subject;
        check.findings.push_back(finding);
        ImportResult result;
        AddCheckFindings(std::move(check), kOrigins, result);
        const std::vector<ExchangeProblem>& placed = c.severity == Severity::Error ? result.errors : result.warnings;
        ASSERT_EQ(result.errors.size() + result.warnings.size(), c.kept ? 1u : 0u);
        if (!c.kept) continue;
        ASSERT_EQ(placed.size(), 1u);
        EXPECT_EQ(placed[0].line, c.expected);
        EXPECT_EQ(placed[0].message, c.message);
    }
}

// The checker marks what it finds: a problem of a text, of the cut text
// after a lone CR and of a plural form against its `other` as Text; of a
// member's name, a clash or a repeat as Name.
TEST(ImportFindings, TheCheckerTellsWhatEachFindingIsAbout) {
    const std::u16string definition =
            u"int=fine\r\n"                       // a keyword as a name
            u"A=bad \\x escape\r\n"               // a hex escape without digits
            u"A.B=clash\r\n"                      // group A clashes with entry A
            u"C=cut\rD=lost\r\n"                  // a lone CR
            u"P.few=%s files\r\nP.other=%d files\r\n"  // the form reads another type than its other
            u"int=again\r\n";                     // a repeat
    const FileCheck check = textrescheck::CheckDefinitionBytes(textresgen::test::Utf16LeWithMark(definition));
    ASSERT_EQ(check.status, FileCheck::Status::Checked);
    const std::vector<std::pair<std::size_t, Subject>> expected = {
            {1, Subject::Name}, {2, Subject::Text}, {3, Subject::Name}, {4, Subject::Text},
            {5, Subject::Text}, {7, Subject::Name}};
    std::vector<std::pair<std::size_t, Subject>> found;
    for (const Diagnostic& finding : check.findings) found.emplace_back(finding.line, finding.subject);
    EXPECT_EQ(found, expected);
}

}  // namespace
}  // namespace textresl10n
