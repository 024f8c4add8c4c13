#include "plurals/plural_completion.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <vector>

#include "cli/file_problem_words.h"
#include "cli/input_file.h"
#include "cli/shown_text.h"
#include "definition/definition_file.h"
#include "definition/definition_line.h"
#include "definition/plural_message.h"
#include "text/file_problem.h"
#include "text/platform_file.h"
#include "text/unicode.h"
#include "text/utf16_reader.h"
#include "text/utf8_encoder.h"

namespace textresgen {
namespace {

// What the file says about one group that holds entries.
struct GroupFacts {
    std::size_t firstLine = 0;
    std::size_t lastLine = 0;  // the last line defining a member: additions go after it
    PluralGroupMembers members;
    WideString otherText;      // of the last definition of `other`, as the generator keeps it
};
using Groups = std::map<WideString, GroupFacts, std::less<>>;

// Lines to add after a line, by its number.
using Additions = std::map<std::size_t, std::vector<WideString>>;

std::optional<CompletionFailure> ReadGroups(const std::string& input, Groups& groups) {
    DefinitionFileReader reader;
    std::string problem;
    std::unique_ptr<ByteSource> source = cli::OpenInput(input, problem);
    if (!source) return CompletionFailure{input, 0, std::move(problem)};
    if (!reader.Open(std::move(source))) return CompletionFailure{input, 0, reader.Problem()};
    NumberedLine line;
    while (reader.Next(line)) {
        // The build stops here: a text would reach the library as U+FFFD.
        if (line.malformedUtf8) return CompletionFailure{input, line.number, kMalformedUtf8};
        const DefinitionLine& definition = line.definition;
        const std::size_t dot = definition.isEntry ? definition.name.rfind(u'.') : WideStringView::npos;
        if (dot == WideStringView::npos) continue;  // no entry, or a member of TextResource itself
        const WideStringView path = definition.name.substr(0, dot);
        auto found = groups.find(path);
        if (found == groups.end()) {
            found = groups.emplace(WideString(path), GroupFacts{}).first;
            found->second.firstLine = line.number;
        }
        GroupFacts& group = found->second;
        group.lastLine = line.number;
        const std::size_t category = group.members.Add(definition.name.substr(dot + 1));
        if (category == plural::kOtherCategory) group.otherText.assign(definition.text);
        else if (category == plural::kNoCategory) group.otherText.clear();  // only a plural message needs it
    }
    if (reader.ReadFailed()) return CompletionFailure{input, 0, reader.Problem()};
    return std::nullopt;
}

// The lines each plural message lacks, after its last member; a warning for
// each group of category names without `other`, which is left as it is.
std::vector<CompletionFailure> PlanAdditions(const std::string& input, const Groups& groups, Additions& additions) {
    std::vector<std::pair<std::size_t, CompletionFailure>> failures;
    for (const auto& [path, group] : groups) {
        // A subgroup's path starts with "path.", and such paths sort right after it.
        const WideString prefix = path + u'.';
        const auto next = groups.lower_bound(prefix);
        const bool hasSubgroups = next != groups.end() && next->first.compare(0, prefix.size(), prefix) == 0;
        const PluralGroupKind kind = group.members.Kind(hasSubgroups);
        if (kind == PluralGroupKind::Ordinary) continue;
        if (kind == PluralGroupKind::CategoriesWithoutOther) {
            failures.push_back({group.firstLine,
                                {input, group.firstLine,
                                 "group " + cli::Quoted(path) +
                                     " has only plural categories as members (zero one two few many other) but no "
                                     "'other', the form a plural message's missing categories are filled from, so it "
                                     "is left as it is: add " + cli::Quoted(path + u".other") +
                                     " if it is a plural message",
                                 cli::Severity::Warning}});
            continue;
        }
        for (std::size_t i = 0; i < plural::kCategoryNames.size(); ++i) {
            if (group.members.Has(i)) continue;
            WideString line = prefix;
            line.append(plural::kCategoryNames[i].begin(), plural::kCategoryNames[i].end());
            line += u'=';
            line += group.otherText;
            additions[group.lastLine].push_back(std::move(line));
        }
    }
    std::sort(failures.begin(), failures.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<CompletionFailure> sorted;
    for (auto& failure : failures) sorted.push_back(std::move(failure.second));
    return sorted;
}

// Copies a definition file byte for byte and adds lines after given lines,
// counting lines as the generator does: LF ends a line (CR LF too), U+001A
// ends the input, an odd last byte of UTF-16 is no unit.
class CompletingCopy {
public:
    CompletingCopy(ByteSink& sink, const Additions& additions) : sink_(sink), additions_(additions) {}

    // Whether writing failed (Run false).
    bool WriteFailed() const { return writeFailed_; }

    // False when reading or writing failed.
    bool Run(ByteSource& source) {
        std::vector<unsigned char> buffer(64 * 1024);
        for (;;) {
            std::size_t count = 0;
            const ByteSource::Status status = source.Read(buffer.data(), buffer.size(), count);
            if (status == ByteSource::Status::Error) return false;
            if (status == ByteSource::Status::End) break;
            for (std::size_t i = 0; i < count; ++i)
                if (!Take(buffer[i])) return false;
        }
        if (!decided_ && !Decide()) return false;  // a file of fewer than 3 bytes
        // A last line without a line end: its additions follow it.
        if (!ended_) AddAfterUnfinishedLine();
        for (const unsigned char byte : oddByte_) pending_ += static_cast<char>(byte);
        return Flush();
    }

    // Whether every planned addition was made: not when the file changed
    // between the reads.
    bool AddedAll() const { return added_ == additions_.size(); }

private:
    bool Take(unsigned char byte) {
        if (!decided_) {
            head_.push_back(byte);
            return head_.size() < 3 || Decide();
        }
        return TakeByte(byte);
    }

    // The encoding, from the first bytes as the generator reads them
    // (LeadingMarkOf); the reading of the groups refused a big-endian mark.
    bool Decide() {
        decided_ = true;
        const LeadingMark mark = LeadingMarkOf(head_.data(), head_.size());
        utf8_ = mark == LeadingMark::Utf8;
        const std::size_t from = MarkSize(mark);  // the mark is copied as it is
        pending_.append(reinterpret_cast<const char*>(head_.data()), from);
        for (std::size_t i = from; i < head_.size(); ++i)
            if (!TakeByte(head_[i])) return false;
        return true;
    }

    bool TakeByte(unsigned char byte) {
        if (utf8_) return TakeUnit(byte, &byte, 1);
        oddByte_.push_back(byte);
        if (oddByte_.size() < 2) return true;
        const unsigned char bytes[2] = {oddByte_[0], oddByte_[1]};
        oddByte_.clear();
        return TakeUnit(static_cast<char16_t>(bytes[0] | (bytes[1] << 8)), bytes, 2);
    }

    // One UTF-16 unit, or one byte of UTF-8 (a line end or U+001A is one byte there).
    bool TakeUnit(char16_t unit, const unsigned char* bytes, std::size_t size) {
        if (!ended_ && unit == unicode::kEndOfInput) {
            AddAfterUnfinishedLine();
            ended_ = true;
        }
        pending_.append(reinterpret_cast<const char*>(bytes), size);
        if (!ended_) {
            if (unit == unicode::kLineFeed) {
                ++lines_;
                const std::string lineEnd = previous_ == unicode::kCarriageReturn ? "\r\n" : "\n";
                if (firstLineEnd_.empty()) firstLineEnd_ = lineEnd;
                lineOpen_ = false;
                const auto found = additions_.find(lines_);
                if (found != additions_.end()) {
                    for (const WideString& line : found->second) {
                        Append(line);
                        Append(lineEnd);
                    }
                    ++added_;
                }
            } else {
                lineOpen_ = true;
            }
            previous_ = unit;
        }
        return pending_.size() < (256u << 10) || Flush();
    }

    void AddAfterUnfinishedLine() {
        if (!lineOpen_) return;
        const auto found = additions_.find(lines_ + 1);
        if (found == additions_.end()) return;
        const std::string lineEnd = firstLineEnd_.empty() ? "\n" : firstLineEnd_;
        for (const WideString& line : found->second) {
            Append(lineEnd);
            Append(line);
        }
        ++added_;
    }

    // Text in the file's encoding.
    void Append(WideStringView text) {
        for (std::size_t i = 0; i < text.size();) {
            if (utf8_) {
                AppendUtf8(pending_, unicode::NextCodePoint(text, i));
            } else {
                pending_ += static_cast<char>(text[i] & 0xFF);
                pending_ += static_cast<char>(text[i] >> 8);
                ++i;
            }
        }
    }
    void Append(const std::string& lineEnd) {
        for (const char c : lineEnd) {
            pending_ += c;
            if (!utf8_) pending_ += '\0';
        }
    }

    bool Flush() {
        const bool written = sink_.Write(reinterpret_cast<const unsigned char*>(pending_.data()), pending_.size());
        pending_.clear();
        writeFailed_ = writeFailed_ || !written;
        return written;
    }

    ByteSink& sink_;
    bool writeFailed_ = false;
    const Additions& additions_;
    std::vector<unsigned char> head_;     // the first bytes, until the encoding is known
    std::vector<unsigned char> oddByte_;  // the first byte of a UTF-16 unit
    bool decided_ = false;
    bool utf8_ = false;
    bool ended_ = false;     // after U+001A: the rest is copied as it is
    bool lineOpen_ = false;  // a line has begun since the last LF
    char16_t previous_ = 0;
    std::size_t lines_ = 0;  // lines ended by LF so far
    std::string firstLineEnd_;
    std::size_t added_ = 0;
    std::string pending_;
};

}  // namespace

std::vector<CompletionFailure> CompletePluralGroups(const std::string& input, const std::string& output,
                                                    std::vector<CompletionFailure>& warnings) {
    Groups groups;
    if (auto failure = ReadGroups(input, groups)) return {std::move(*failure)};
    Additions additions;
    warnings = PlanAdditions(input, groups, additions);
    groups.clear();

    std::string problem;
    std::unique_ptr<ByteSource> source = cli::OpenInput(input, problem);
    if (!source) return {{input, 0, std::move(problem)}};
    std::unique_ptr<ByteSink> sink = CreateReplacingFileSink(output.c_str());
    if (!sink) return {{output, 0, cli::CannotReplace(LastFileProblem())}};
    CompletingCopy copy(*sink, additions);
    if (!copy.Run(*source)) {
        const FileProblem problem = LastFileProblem();  // before Discard sets it again
        sink->Discard();
        if (copy.WriteFailed()) return {{output, 0, cli::CannotReplace(problem) + "; it is left as it was"}};
        return {{output, 0, "writing failed, or reading the input failed part way; nothing was written"}};
    }
    if (!copy.AddedAll()) {
        sink->Discard();
        return {{input, 0, "changed while it was read; nothing was written"}};
    }
    if (!sink->Close() || !sink->Commit()) {
        const FileProblem problem = LastFileProblem();  // before Discard sets it again
        sink->Discard();
        return {{output, 0, cli::CannotReplace(problem) + "; it is left as it was"}};
    }
    return {};
}

}  // namespace textresgen
