#include "l10n/operations.h"

#include <algorithm>
#include <ctime>
#include <deque>
#include <memory>
#include <unordered_map>

#include "check/file_check.h"
#include "codec/c_format.h"
#include "l10n/base_comparison.h"
#include "l10n/file_io.h"
#include "l10n/import_findings.h"
#include "l10n/key_index.h"
#include "l10n/message_text.h"
#include "l10n/plural_forms.h"
#include "l10n/pseudo.h"
#include "codec/literal_body.h"
#include "text/memory_bytes.h"
#include "text/utf16_writer.h"
#include "runtime/plural_rules.h"

namespace textresl10n {
namespace {

using textresgen::LiteralValues;
using textresgen::cli::Diagnostic;
using textresgen::cli::Severity;
// File names come from the command line, often from a glob over files that
// translators sent: shown with their control characters made visible.
using textresgen::cli::ShownPath;

// An error or warning about the file at `path`.
Diagnostic About(const std::string& path, std::size_t line, std::string message, Severity severity = Severity::Error) {
    Diagnostic diagnostic(line, std::move(message), severity);
    diagnostic.file = path;
    return diagnostic;
}

bool ReadFile(const std::string& path, std::string& bytes, Reporter& err) {
    std::string problem;
    const bool read = ReadWholeFile(path, bytes, problem);
    if (!read) err.Report(About(path, 0, std::move(problem)));
    return read;
}

// Whether a file was written; when not, why, as an error about it.
bool Written(const std::string& path, WriteStatus status, Reporter& err) {
    if (status == WriteStatus::Written) return true;
    err.Report(About(path, 0, DescribeWriteStatus(status)));
    return false;
}

// Puts the new file in place of `path`, then prints the run's summary line.
// The line is made, and the room to print it taken, before: once the file
// is in place nothing that can fail is left, so that a run that runs out of
// memory leaves the old file as it was.
bool CommitThenSummarize(const std::string& path, ReplacingFile& file, const std::string& summary, Reporter& err) {
    err.Reserve(summary.size());
    if (!Written(path, file.Commit(), err)) return false;
    err.Print(summary);
    return true;
}

bool ReadBase(const std::string& path, BaseFile& base, Reporter& err) {
    ExchangeProblem problem;
    const bool read = ReadBaseFile(path, base, problem);
    if (!read) err.Report(std::move(problem));
    return read;
}

// The characters of a UTF-8 text (texts are checked to be UTF-8 when read).
LiteralValues Values(std::string_view utf8) {
    LiteralValues values;
    std::size_t bad = 0;
    textresgen::Utf8ToValues(utf8, values, bad);
    return values;
}

// One line "key=body" of a definition file.
void PrintDefinition(textresgen::Utf16Writer& writer, std::string_view key, textresgen::LiteralValuesView text) {
    LiteralValues name;
    std::size_t bad = 0;
    textresgen::Utf8ToValues(key, name, bad);
    writer.PrintText(textresgen::ValuesToUnits(name));
    writer.PrintText(u"=");
    writer.PrintLine(textresgen::EncodeLiteralBody(text));
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A key becomes the name part of one definition line: it must stay one
// line and end before the '='.
bool CheckKey(const std::string& key, std::string& why) {
    LiteralValues values;
    std::size_t bad = 0;
    if (key.empty()) {
        why = "the key is empty";
        return false;
    }
    if (!textresgen::Utf8ToValues(key, values, bad)) {
        why = "the key is not UTF-8";
        return false;
    }
    for (const char32_t c : values) {
        if (c == U'=' || c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || c == 0xFEFF || c == 0xFFFE ||
            c == 0xFFFF || c == 0x2028 || c == 0x2029) {
            why = "the key " + Quoted(key) + " is no dotted name: it holds '=', a line break or a control character";
            return false;
        }
    }
    return true;
}

// One member of an imported definition.
struct ImportedEntry {
    std::string_view key;
    std::string_view text;           // what the library gets, UTF-8
    UnitState state;                 // Translated, or why `text` is the source text
    std::string_view translation;    // the translator's text; empty: none
    std::size_t line;                  // its translation's line in the exchange file (0: none)
    std::size_t keyLine;               // its key's line
    const ExchangeUnit* unit = nullptr;  // the file's unit, whose XLIFF words a marker keeps
};

ExchangeProblem Warning(std::size_t line, std::string message) {
    return ExchangeProblem(line, std::move(message), Severity::Warning);
}

// The comment line above an imported entry that holds the source text in
// place of a translation, so that export --translation gives the unit back
// its state: "# textresl10n: untranslated" (with ": " and the text of an
// XLIFF target marked new or needs-translation, which it keeps), or
// "# textresl10n: needs review: " and the translation awaiting review, each
// text as a literal body ('=' written \075, so that the line stays a
// comment). The generator ignores the line.
constexpr std::string_view kMarkerUntranslated = "textresl10n: untranslated";
constexpr std::string_view kMarkerReview = "textresl10n: needs review: ";
// The XLIFF words of a unit's state where they are not those export writes
// of the state alone: "# textresl10n: xliff: state final; approved no" (a
// word the unit lacks is left out; no '=', which would make the line a
// definition).
constexpr std::string_view kMarkerXliff = "textresl10n: xliff:";
// PO's "#| msgctxt" and "#| msgid" of a translation awaiting review, each a
// literal body as above: "# textresl10n: previous name: Status.Modified",
// "# textresl10n: previous source: Modified".
constexpr std::string_view kMarkerPreviousKey = "textresl10n: previous name: ";
constexpr std::string_view kMarkerPreviousSource = "textresl10n: previous source: ";

void AppendMarkerBody(textresgen::WideString& line, std::string_view text) {
    for (const char16_t c : textresgen::EncodeLiteralBody(Values(text)))
        line += c == u'=' ? textresgen::WideString(u"\\075") : textresgen::WideString(1, c);
}

textresgen::WideString StateMarker(UnitState state, std::string_view translation) {
    textresgen::WideString line = u"# ";
    const std::string_view marker = state == UnitState::NeedsReview ? kMarkerReview : kMarkerUntranslated;
    line.append(marker.begin(), marker.end());
    if (state != UnitState::NeedsReview && !translation.empty()) line += u": ";
    if (state == UnitState::NeedsReview || !translation.empty()) AppendMarkerBody(line, translation);
    return line;
}

textresgen::WideString TextMarker(std::string_view marker, std::string_view text) {
    textresgen::WideString line = u"# ";
    line.append(marker.begin(), marker.end());
    AppendMarkerBody(line, text);
    return line;
}

// The text of a marker note that starts with `marker`; false for any other.
bool TextOfMarker(std::string_view note, std::string_view marker, std::string& text) {
    if (note.compare(0, marker.size(), marker) != 0) return false;
    LiteralValues literal, values;
    std::size_t bad = 0;
    textresgen::LiteralProblem problem;
    return textresgen::Utf8ToValues(note.substr(marker.size()), literal, bad) &&
           textresgen::DecodeLiteralBody(textresgen::ValuesToUnits(literal), values, problem) &&
           textresgen::ValuesToUtf8(values, text);
}

// PO's "#|" of a unit from its markers (the name's comes first).
bool PreviousOfMarker(std::string_view note, PreviousText& previous, bool& any) {
    if (TextOfMarker(note, kMarkerPreviousKey, previous.key)) return true;
    return any = TextOfMarker(note, kMarkerPreviousSource, previous.source);
}

// Whether the unit's XLIFF words differ from those export writes of its
// state alone (XliffWriter), so that a marker must keep them.
bool XliffWordsKept(const ExchangeUnit& unit, UnitState state) {
    if (!unit.xliff || (unit.xliffState == 0 && unit.approved == XliffApproved::None && unit.target.empty()))
        return false;
    const std::string_view usual = state == UnitState::Translated ? "translated"
                                   : state == UnitState::NeedsReview ? "needs-review-translation"
                                   : unit.target.empty() ? "" : "new";
    const XliffApproved approved = state == UnitState::Translated ? XliffApproved::Yes : XliffApproved::None;
    return kXliffStates[unit.xliffState] != usual || unit.approved != approved;
}

textresgen::WideString XliffMarker(const ExchangeUnit& unit) {
    std::string line = "# " + std::string(kMarkerXliff);
    if (unit.xliffState != 0) line += " state " + std::string(kXliffStates[unit.xliffState]) + ";";
    if (unit.approved != XliffApproved::None)
        line += std::string(" approved ") + (unit.approved == XliffApproved::Yes ? "yes" : "no") + ";";
    return textresgen::WideString(line.begin(), line.end());
}

// The state a marker note (the comment text, without "# ") gives back, with
// the translation it holds; false for any other note.
bool StateOfMarker(std::string_view note, UnitState& state, std::string& translation) {
    std::string_view body;
    if (note == kMarkerUntranslated) {
        state = UnitState::Untranslated;
        translation.clear();
        return true;
    }
    if (note.compare(0, kMarkerUntranslated.size() + 2, std::string(kMarkerUntranslated) + ": ") == 0) {
        state = UnitState::Untranslated;
        body = note.substr(kMarkerUntranslated.size() + 2);
    } else if (note.compare(0, kMarkerReview.size(), kMarkerReview) == 0) {
        state = UnitState::NeedsReview;
        body = note.substr(kMarkerReview.size());
    } else {
        return false;
    }
    LiteralValues literal, values;
    std::size_t bad = 0;
    textresgen::LiteralProblem problem;
    return textresgen::Utf8ToValues(body, literal, bad) &&
           textresgen::DecodeLiteralBody(textresgen::ValuesToUnits(literal), values, problem) &&
           textresgen::ValuesToUtf8(values, translation);
}

// The XLIFF words a marker note keeps; false for any other note.
bool XliffWordsOfMarker(std::string_view note, ExchangeUnit& unit) {
    if (note.compare(0, kMarkerXliff.size(), kMarkerXliff) != 0) return false;
    note.remove_prefix(kMarkerXliff.size());
    const auto word = [&](std::string_view name, std::string& value) {
        const std::string start = " " + std::string(name) + " ";
        const std::size_t at = note.find(start);
        if (at == std::string_view::npos) return;
        const std::size_t end = note.find(';', at + start.size());
        if (end != std::string_view::npos) value = note.substr(at + start.size(), end - at - start.size());
    };
    unit.xliff = true;
    std::string state, approved;
    word("state", state);
    word("approved", approved);
    unit.xliffState = XliffStateIndex(state);
    unit.approved = approved == "yes" ? XliffApproved::Yes : approved == "no" ? XliffApproved::No : XliffApproved::None;
    return true;
}

// A plural group of a translation's definition file as the forms of the
// language's integer categories; a member that import filled in with the
// source text comes back empty, or, marked for review, with the
// translation its marker holds.
void TranslatedForms(const BaseUnit& unit, const std::string& language, ExchangeUnit& out) {
    out.plural = true;
    out.target.clear();
    bool fuzzy = false;
    for (const std::string_view category : textresgen::plural::IntegerCategories(language)) {
        const BaseForm* form = unit.Form(category);
        std::string text = form ? std::string(form->source) : std::string();
        UnitState state = UnitState::Translated;
        if (form)
            for (const std::string_view note : form->notes)
                if (!StateOfMarker(note, state, text)) XliffWordsOfMarker(note, out);
        if (state == UnitState::Untranslated) text.clear();
        fuzzy = fuzzy || state == UnitState::NeedsReview;
        // A definition file's rule, whatever the language: textrescheck,
        // which does not know the file's language, lets `one` alone leave
        // out the count.
        out.forms.push_back({std::string(category), std::move(text), form ? form->line : unit.line,
                             textresgen::plural::TakesOneCount(std::nullopt, category)});
    }
    out.state = PluralState(out, fuzzy);
}

// A unit of a translation's definition file as a translated unit. A member
// import filled in with the source text comes back in the state its marker
// line tells.
ExchangeUnit TranslatedUnit(const BaseUnit& unit, const std::string& language) {
    ExchangeUnit out;
    out.target = unit.Source();
    out.state = UnitState::Translated;
    out.line = out.targetLine = unit.line;
    if (unit.plural) {
        TranslatedForms(unit, language, out);
    } else {
        PreviousText previous;
        bool any = false;
        for (const std::string_view note : unit.Notes())
            if (!StateOfMarker(note, out.state, out.target) && !PreviousOfMarker(note, previous, any))
                XliffWordsOfMarker(note, out);
        if (any) out.previous = std::make_unique<const PreviousText>(std::move(previous));
    }
    return out;
}

}  // namespace

const ExchangeFormat* FormatOfFile(const std::string& path, Reporter& err) {
    const ExchangeFormat* format = FormatOfPath(path);
    if (!format) err.Report(About(path, 0, "the file name must end in .po, .pot, .xlf or .xliff, which names its format"));
    return format;
}

bool ExportFile(const Options& options, const ExchangeFormat& format, bool isTemplate, Reporter& err) {
    BaseFile base, translation;
    if (!ReadBase(options.base, base, err)) return false;
    if (!options.translation.empty() && !ReadBase(options.translation, translation, err)) return false;
    // Each base name with the translation's text of that name, made into a
    // unit only when it is written; the output goes to its file as it is
    // made. Neither the units nor the new file are ever whole in memory:
    // only the two definition files, each held once in its arena.
    std::unordered_map<std::string_view, const BaseUnit*> inTranslation;
    inTranslation.reserve(translation.units.size());
    for (const BaseUnit& unit : translation.units) inTranslation.emplace(unit.Key(), &unit);

    ExchangeHeader header{ShownPath(BaseName(options.base)), options.sourceLanguage, options.language,
                          "YEAR-MO-DA HO:MI+ZONE"};  // a template's, as xgettext writes it
    if (!isTemplate) {
        const std::time_t now = std::time(nullptr);
        char date[32] = {};
        if (const std::tm* utc = std::gmtime(&now)) std::strftime(date, sizeof date, "%Y-%m-%d %H:%M+0000", utc);
        if (date[0] != '\0') header.revisionDate = date;
    }
    bool plurals = false;
    for (const BaseUnit& unit : base.units) plurals = plurals || unit.plural;
    // Opened first, so that another writer is refused from the start; when
    // it cannot be, the units are still made, so that the file's warnings
    // come as they would, and the error follows them.
    ReplacingFile output(options.output);
    std::unique_ptr<UnitWriter> writer = format.NewWriter(header, plurals);
    const auto flush = [&] {
        output.Write(writer->Pending());
        writer->Pending().clear();
    };
    constexpr std::size_t kFlushBytes = 256 * 1024;
    const std::size_t count = base.units.size();
    std::size_t done = 0, reviews = 0;
    for (const BaseUnit& current : base.units) {
        const auto found = inTranslation.find(current.Key());
        const BaseUnit* translated = found == inTranslation.end() ? nullptr : found->second;
        if (translated) inTranslation.erase(found);
        const bool sameShape = translated && translated->plural == current.plural;
        ExchangeUnit out = UntranslatedUnit(current);
        if (translated && sameShape && !isTemplate) {  // a template holds no translations
            ExchangeUnit from = TranslatedUnit(*translated, options.language);
            out.target = std::move(from.target);
            out.state = from.state;
            out.forms = std::move(from.forms);
            out.xliff = from.xliff;
            out.xliffState = from.xliffState;
            out.approved = from.approved;
            out.previous = std::move(from.previous);
            std::vector<std::string> mismatches;
            LiteralValues values;
            std::size_t bad = 0;
            if (!out.plural) {
                textresgen::Utf8ToValues(out.target, values, bad);
                mismatches = PlaceholderMismatches(Values(out.source), values);
            }
            for (std::size_t c = 0; c < out.forms.size() && mismatches.empty(); ++c) {
                if (out.forms[c].text.empty()) continue;
                textresgen::Utf8ToValues(out.forms[c].text, values, bad);
                mismatches = PluralFormMismatches(Values(out.sourcePlural), values,
                                                  FormTakesOneCount(&out, out.forms[c].category));
            }
            if (!mismatches.empty() && out.state == UnitState::Translated) {
                out.state = UnitState::NeedsReview;
                ++reviews;
                err.Report(About(options.translation, from.line,
                                 Quoted(out.key) + ": " + mismatches.front() + "; exported as needing review",
                                 Severity::Warning));
            }
        }
        done += out.state == UnitState::Translated;
        writer->Add(out);
        if (writer->Pending().size() >= kFlushBytes) flush();
    }
    writer->Finish();
    flush();
    for (const BaseUnit& unit : translation.units) {
        if (inTranslation.count(unit.Key()) == 0) continue;
        err.Report(About(options.translation, unit.line,
                         Quoted(unit.Key()) + " is not in " + ShownPath(options.base) + "; left out", Severity::Warning));
    }
    const std::string& path = options.output;
    return CommitThenSummarize(path, output,
                               ShownPath(path) + ": " + std::to_string(count) + " units, " + std::to_string(done) +
                                       " translated" +
                                       (reviews > 0 ? ", " + std::to_string(reviews) + " needing review" : "") + "\n",
                               err);
}

bool UpdateFile(const Options& options, const ExchangeFormat& format, Reporter& err) {
    const std::string& path = options.files.front();
    BaseFile base;
    std::string bytes;
    if (!ReadBase(options.base, base, err) || !ReadFile(path, bytes, err)) return false;
    // The merged file goes to a new file beside it as it is made; it takes
    // the file's place only when its bytes differ.
    RewrittenFile updated(path, bytes);
    UpdateCounts counts;
    ExchangeProblem problem;
    if (!format.Update(bytes, base, updated, counts, problem)) {
        problem.file = path;
        err.Report(std::move(problem));
        return false;
    }
    const std::string summary =
            ShownPath(path) + ": " + std::to_string(counts.added) + " added, " + std::to_string(counts.removed) +
            " removed, " + std::to_string(counts.review) + " marked for review" +
            (counts.carried > 0
                     ? ", " + std::to_string(counts.carried) + " added with a renamed name's translation for review"
                     : "") +
            (counts.revived > 0 ? ", " + std::to_string(counts.revived) + " added back from obsolete entries" : "") +
            (counts.droppedMark ? "; its UTF-8 byte order mark dropped, which msgfmt refuses" : "") +
            (counts.changed ? "" : " (unchanged)") + "\n";
    if (counts.changed) return CommitThenSummarize(path, updated.File(), summary, err);
    err.Print(summary);
    return true;
}

namespace {

// A translation kept as a definition file as the units of an exchange file
// made from `base`: each name translated, for the base's source text (a
// name the base lacks for its own), at the line of its definition. Each
// unit is made when it is asked for.
class DefinitionUnits final : public UnitFile {
public:
    DefinitionUnits(const BaseFile& translation, const BaseFile& base) : translation_(translation), byKey_(base) {}
    bool ForEach(ExchangeProblem&, const std::function<void(std::uint32_t, const ExchangeUnit&)>& take) const override {
        for (std::size_t i = 0; i < translation_.units.size(); ++i) take(static_cast<std::uint32_t>(i), Unit(i));
        return true;
    }
    const ExchangeUnit& Unit(std::uint32_t number) const override {
        const BaseUnit& unit = translation_.units[number];
        const BaseUnit* found = byKey_.Find(unit.Key());
        current_ = UntranslatedUnit(found ? *found : unit);
        current_.state = UnitState::Translated;
        current_.line = current_.targetLine = unit.line;
        current_.plural = unit.plural;
        if (unit.plural) {
            for (const BaseForm& form : unit.Forms())
                current_.forms.push_back({std::string(form.category), std::string(form.source), form.line,
                                          textresgen::plural::TakesOneCount(std::nullopt, form.category)});
        } else {
            current_.target = unit.Source();
        }
        return current_;
    }

private:
    const BaseFile& translation_;
    const BaseUnitIndex byKey_;
    mutable ExchangeUnit current_;
};

// Imports the units of the file at `path` into the definition at
// options.output: written to the new file as it is made, checked there, and
// put in place when nothing was wrong; then reports what it found.
// The file and its bytes (`bytes`, which may be empty) are let go before
// the check, which then has the memory they took.
bool ImportInto(std::unique_ptr<UnitFile> file, std::string& bytes, const BaseFile* base, const std::string& path,
                const Options& options, Reporter& err) {
    ReplacingFile output(options.output);
    // Where the new file cannot be made, the definition is made in memory
    // all the same, so that the file's problems are told before that.
    std::string held;
    textresgen::MemorySink memory(held);
    const std::unique_ptr<textresgen::ByteSink> toFile = SinkInto(output);
    textresgen::ByteSink& out = output.Failed() ? static_cast<textresgen::ByteSink&>(memory) : *toFile;
    std::vector<UnitOrigin> origins;
    ImportResult result = WriteImport(*file, base, out, origins);
    file.reset();
    std::string().swap(bytes);
    if (result.ok) CheckImport(out, origins, result);
    std::vector<UnitOrigin>().swap(origins);
    std::string().swap(held);
    for (std::vector<ExchangeProblem>* problems : {&result.warnings, &result.errors}) {
        for (ExchangeProblem& problem : *problems) {
            problem.file = path;
            err.Report(std::move(problem));
        }
        if (problems != &result.warnings) continue;
        for (const MoreWarnings& more : result.moreWarnings) {
            err.Print(ShownPath(path) + ": " + std::to_string(more.count) + " more warnings \"... " + more.kind +
                      "\" (only the first " + std::to_string(kShownWarnings) + " warnings are shown)\n");
            err.CountUnshown(0, more.count);
        }
    }
    if (!result.ok) {
        const std::size_t count = err.Errors();
        err.Print(ShownPath(path) + ": " + std::to_string(count) + (count == 1 ? " error; " : " errors; ") +
                  ShownPath(options.output) + " is not written\n");
        return false;
    }
    return CommitThenSummarize(options.output, output,
                               ShownPath(path) + ": " + std::to_string(result.units) + " units imported, " +
                                       std::to_string(result.fellBack) +
                                       " of them without a usable translation took their " +
                                       (options.base.empty() ? "source" : "base") + " text\n",
                               err);
}

}  // namespace

bool ImportFile(const Options& options, const ExchangeFormat& format, Reporter& err) {
    const std::string& path = options.files.front();
    BaseFile base;
    if (!options.base.empty() && !ReadBase(options.base, base, err)) return false;
    std::string bytes;
    if (!ReadFile(path, bytes, err)) return false;
    ExchangeProblem problem;
    std::unique_ptr<UnitFile> file = format.OpenUnits(bytes, problem);
    if (!file) {
        problem.file = path;
        err.Report(std::move(problem));
        const std::size_t count = err.Errors();
        err.Print(ShownPath(path) + ": " + std::to_string(count) + (count == 1 ? " error; " : " errors; ") +
                  ShownPath(options.output) + " is not written\n");
        return false;
    }
    return ImportInto(std::move(file), bytes, options.base.empty() ? nullptr : &base, path, options, err);
}

bool ImportDefinitionFile(const Options& options, Reporter& err) {
    const std::string& path = options.files.front();
    BaseFile base, translation;
    if (!ReadBase(options.base, base, err) || !ReadBase(path, translation, err)) return false;
    std::string none;
    return ImportInto(std::make_unique<DefinitionUnits>(translation, base), none, &base, path, options, err);
}

bool PseudoFile(const Options& options, Reporter& err) {
    BaseFile base;
    if (!ReadBase(options.base, base, err)) return false;
    // Written to its file as it is made: never whole in memory.
    ReplacingFile output(options.output);
    textresgen::Utf16Writer writer;
    writer.Open(SinkInto(output));
    std::size_t texts = 0;
    for (const BaseUnit& unit : base.units) {
        if (!unit.plural) {
            const LiteralValues text = Values(unit.Source());
            PrintDefinition(writer, unit.Key(), unit.translate ? PseudoTranslate(text) : text);
            ++texts;
            continue;
        }
        // Every category, so that whichever form a count picks shows as
        // pseudo-translated: each from the base's form, else its plural.
        for (const std::string_view category : textresgen::plural::kCategoryNames) {
            const BaseForm* form = unit.Form(category);
            const LiteralValues text = Values(form ? form->source : unit.SourcePlural());
            PrintDefinition(writer, std::string(unit.Key()) + "." + std::string(category),
                            unit.translate ? PseudoTranslate(text) : text);
            ++texts;
        }
    }
    writer.Close();
    return CommitThenSummarize(options.output, output,
                               ShownPath(options.output) + ": " + std::to_string(texts) + " pseudo-translated texts\n",
                               err);
}

bool StatsFiles(const Options& options, const Reporter::Sink& out, Reporter& err) {
    BaseFile base;
    if (!ReadBase(options.base, base, err)) return false;
    const BaseUnitIndex byKey(base);
    bool complete = true;
    for (const std::string& path : options.files) {
        const ExchangeFormat* format = FormatOfFile(path, err);
        std::string bytes;
        if (!format || !ReadFile(path, bytes, err)) {
            complete = false;
            continue;
        }
        // Counted unit by unit as the file is read: the units are never all
        // in memory. A base name the file lacks is untranslated.
        std::size_t counts[3] = {}, identical = 0, fixed = 0, notInBase = 0;  // by UnitState; not to translate
        for (const BaseUnit& unit : base.units) fixed += !unit.translate;
        counts[static_cast<int>(UnitState::Untranslated)] = base.units.size() - fixed;
        ExchangeProblem problem;
        const bool read = format->ForEachUnit(bytes, problem, [&](ExchangeUnit&& translation) {
            const BaseUnit* found = byKey.Find(translation.key);
            if (!found) {
                ++notInBase;
                return;
            }
            const BaseUnit& unit = *found;
            if (!unit.translate) return;
            const UnitState state = CountedState(unit, translation);
            --counts[static_cast<int>(UnitState::Untranslated)];
            ++counts[static_cast<int>(state)];
            identical += state == UnitState::Translated && !unit.Source().empty() && translation.target == unit.Source();
        });
        if (!read) {
            problem.file = path;
            err.Report(std::move(problem));
            complete = false;
            continue;
        }
        const std::size_t untranslated = counts[static_cast<int>(UnitState::Untranslated)];
        const std::size_t review = counts[static_cast<int>(UnitState::NeedsReview)];
        std::string line = ShownPath(path) + ": " + std::to_string(base.units.size() - fixed) + " units: " +
                           std::to_string(counts[static_cast<int>(UnitState::Translated)]) + " translated (" +
                           std::to_string(identical) + " identical to the source), " + std::to_string(untranslated) +
                           " untranslated, " + std::to_string(review) + " need review";
        if (notInBase > 0) line += ", " + std::to_string(notInBase) + " not in " + ShownPath(options.base);
        if (fixed > 0) line += "; " + std::to_string(fixed) + " not to translate";
        err.Flush();
        out(line + "\n");
        complete = complete && untranslated == 0 && review == 0;
    }
    return complete;
}

ImportResult ImportExchange(std::string_view bytes, const ExchangeFormat& format, const BaseFile* base) {
    ExchangeProblem problem;
    const std::unique_ptr<UnitFile> file = format.OpenUnits(bytes, problem);
    if (!file) {
        ImportResult result;
        result.errors.push_back(std::move(problem));
        return result;
    }
    std::string definition;
    textresgen::MemorySink sink(definition);
    std::vector<UnitOrigin> origins;
    ImportResult result = WriteImport(*file, base, sink, origins);
    if (!result.ok) return result;
    CheckImport(sink, origins, result);
    if (result.ok) result.definition = std::move(definition);
    return result;
}

namespace {

// Decodes a unit's texts, which must be UTF-8, for the checks of its
// arguments; false, with the error, when its key or a text is unusable.
bool ReadUnitTexts(const ExchangeUnit& unit, LiteralValues& source, LiteralValues& target,
                   LiteralValues& pluralSource, std::vector<ExchangeProblem>& errors) {
    std::string why;
    if (!CheckKey(unit.key, why)) {
        errors.push_back({unit.line, why});
        return false;
    }
    std::size_t bad = 0;
    LiteralValues form;
    bool utf8 = textresgen::Utf8ToValues(unit.source, source, bad) &&
                textresgen::Utf8ToValues(unit.target, target, bad) &&
                textresgen::Utf8ToValues(unit.sourcePlural.empty() ? unit.source : unit.sourcePlural, pluralSource,
                                         bad);
    for (const PluralForm& plural : unit.forms) utf8 = utf8 && textresgen::Utf8ToValues(plural.text, form, bad);
    if (!utf8) errors.push_back({unit.line, "the text of " + Quoted(unit.key) + " is not UTF-8"});
    // U+0000 ends the text at run time: what follows would never show.
    const auto cut = [](const std::string& text) {
        const std::size_t nul = text.find('\0');
        return nul != std::string::npos && text.find_first_not_of('\0', nul) != std::string::npos;
    };
    constexpr const char* kNul = " holds U+0000 with text after it, which ends the text at run time: what follows "
                                 "it never shows";
    bool nul = utf8 && cut(unit.target);
    if (nul) errors.push_back({unit.targetLine, "the translation of " + Quoted(unit.key) + kNul});
    for (const PluralForm& plural : unit.forms) {
        if (!utf8 || !cut(plural.text)) continue;
        errors.push_back({plural.line, "the translation of " + Quoted(unit.key) + " (" + plural.category + ")" + kNul});
        nul = true;
    }
    return utf8 && !nul;
}

// A translated unit's translation (each filled-in form of a plural) must
// take the arguments of its own source.
void CheckUnitArguments(const ExchangeUnit& unit, const LiteralValues& source, const LiteralValues& target,
                        const LiteralValues& pluralSource, std::vector<ExchangeProblem>& errors) {
    if (unit.state != UnitState::Translated) return;
    if (!unit.plural) {
        for (const std::string& mismatch : PlaceholderMismatches(source, target))
            errors.push_back({unit.targetLine, Quoted(unit.key) + ": " + mismatch});
        return;
    }
    // Without its plural source (an XLIFF group of one form) the reference
    // is the singular, which may leave out the count ("one file"): a form is
    // held to it only when it is a format; else it is compared with itself,
    // which finds only what no reference allows (%n).
    const bool reference = !unit.sourcePlural.empty() || textresgen::ParsePrintfFormat(pluralSource).IsFormat();
    for (const PluralForm& plural : unit.forms) {
        if (plural.text.empty()) continue;
        const LiteralValues form = Values(plural.text);
        for (const std::string& mismatch :
             PluralFormMismatches(reference ? pluralSource : form, form, FormTakesOneCount(&unit, plural.category)))
            errors.push_back({plural.line, Quoted(unit.key) + " (" + plural.category + "): " + mismatch});
    }
}

// What the translator got wrong within the file is an error, whatever
// the base says: a key that is no dotted name, a text that is not UTF-8,
// a translation that takes other arguments than its own source.
// Texts stay UTF-8 in their units; each is decoded only while it is
// checked and again when it is written, so that memory stays near the
// file's size. A plural unit with forms gives the integer categories of
// the file's language (the last one's count).
void CheckUnitOwnRules(const ExchangeUnit& unit, std::vector<std::string>& fileCategories,
                       std::vector<ExchangeProblem>& errors) {
    LiteralValues source, target, pluralSource;
    if (!ReadUnitTexts(unit, source, target, pluralSource, errors)) return;
    if (unit.plural && !unit.forms.empty()) {
        fileCategories.clear();
        for (const PluralForm& plural : unit.forms) fileCategories.push_back(plural.category);
    }
    CheckUnitArguments(unit, source, target, pluralSource, errors);
}

// The definition file of an import (UTF-16LE), written entry by entry as
// the entries are made: each that took a source text under its state's
// marker line. Keeps each of its lines' place in the exchange file.
class DefinitionWriter {
public:
    explicit DefinitionWriter(textresgen::ByteSink& out);
    void Add(const ImportedEntry& entry);
    void Close() { writer_.Close(); }

    std::size_t Entries() const { return entries_; }
    std::size_t FellBack() const { return fellBack_; }
    // By definition line (1-based; element 0 stands for no line).
    std::vector<UnitOrigin>& Origins() { return origins_; }

private:
    void Line(const textresgen::WideString& line, const ImportedEntry& entry) {
        writer_.PrintLine(line);
        origins_.push_back(Origin(entry));
    }
    static UnitOrigin Origin(const ImportedEntry& entry) {
        return {static_cast<std::uint32_t>(entry.line), static_cast<std::uint32_t>(entry.keyLine)};
    }

    textresgen::Utf16Writer writer_;
    std::vector<UnitOrigin> origins_;
    std::size_t entries_ = 0;
    std::size_t fellBack_ = 0;
};

// Hands the writer's bytes on to a sink the caller keeps (and closes).
class ForwardingSink final : public textresgen::ByteSink {
public:
    explicit ForwardingSink(textresgen::ByteSink& out) : out_(out) {}
    bool Write(const unsigned char* data, std::size_t size) override { return out_.Write(data, size); }
    bool Close() override { return true; }
    void Discard() override {}

private:
    textresgen::ByteSink& out_;
};

DefinitionWriter::DefinitionWriter(textresgen::ByteSink& out) : origins_(1) {
    writer_.Open(std::make_unique<ForwardingSink>(out));
}

void DefinitionWriter::Add(const ImportedEntry& entry) {
    ++entries_;
    if (entry.unit && XliffWordsKept(*entry.unit, entry.state)) Line(XliffMarker(*entry.unit), entry);
    if (entry.state == UnitState::NeedsReview && entry.unit && entry.unit->previous && !entry.unit->plural) {
        if (!entry.unit->previous->key.empty()) Line(TextMarker(kMarkerPreviousKey, entry.unit->previous->key), entry);
        Line(TextMarker(kMarkerPreviousSource, entry.unit->previous->source), entry);
    }
    if (entry.state != UnitState::Translated) {
        Line(StateMarker(entry.state, entry.translation), entry);
        ++fellBack_;
    }
    PrintDefinition(writer_, entry.key, Values(entry.text));
    origins_.push_back(Origin(entry));
}

// The members of the imported definition in order, each with the text it
// takes and why, written as they are made; the warnings of the units that
// fall back go to the result.
class ImportedEntries {
public:
    ImportedEntries(std::vector<std::string> fileCategories, ImportResult& result, DefinitionWriter& out)
        : fileCategories_(std::move(fileCategories)), result_(result), out_(out) {}

    // Without a base: the members of one unit, in file order.
    void AddUnit(const ExchangeUnit& unit);
    // With the base: the members of one of its units, in its order, and
    // the file's unit of its name (null: none).
    void AddAgainstBase(const BaseUnit& current, const ExchangeUnit* translation);

private:
    void AddPlural(std::string_view key, const ExchangeUnit* unit, const BaseUnit* current, UnitState state);
    std::vector<std::string> PluralCategories(const ExchangeUnit* unit, const BaseUnit* current) const;
    void AddPluralForm(std::string_view key, const std::string& category, const ExchangeUnit* unit,
                       const BaseUnit* current, UnitState state);
    void AddMissing(const BaseUnit& current);
    void AddPluralAgainstBase(const ComparedUnit& compared);
    void AddFixedAgainstBase(const BaseUnit& current, const ExchangeUnit& unit);
    void AddTextAgainstBase(const ComparedUnit& compared);

    void Warn(std::size_t line, std::string message) { result_.AddWarning(Warning(line, std::move(message))); }
    void Emit(const ImportedEntry& entry) {
        out_.Add(entry);
        last_ = entry;
    }

    ImportedEntry last_{};
    std::deque<std::string> names_;  // the names of one plural message's members, which entries point into
    std::vector<std::string> fileCategories_;
    ImportResult& result_;
    DefinitionWriter& out_;
};

void ImportedEntries::AddUnit(const ExchangeUnit& unit) {
    bool translated = unit.state == UnitState::Translated;
    if (translated && !unit.translate && unit.target != unit.source) {
        Warn(unit.targetLine, Quoted(unit.key) + " is marked not to translate; its source text is used");
        translated = false;
    }
    if (unit.plural) {
        AddPlural(unit.key, &unit, nullptr, unit.translate ? unit.state : UnitState::Translated);
        return;
    }
    Emit({unit.key, translated ? unit.target : unit.source, unit.state, unit.target, unit.targetLine, unit.line,
          &unit});
}

void ImportedEntries::AddAgainstBase(const BaseUnit& current, const ExchangeUnit* translation) {
    const ComparedUnit compared{&current, translation, translation && SourceChanged(current, *translation)};
    if (!translation) AddMissing(current);
    else if (current.plural) AddPluralAgainstBase(compared);
    else if (!current.translate) AddFixedAgainstBase(current, *translation);
    else AddTextAgainstBase(compared);
}

// A plural message's members: one per integer category of the file's
// language (its own unit's, else any plural unit's; else the base's
// members as they are), and `other` after them, where it is none of
// them, with the last one's text.
void ImportedEntries::AddPlural(std::string_view key, const ExchangeUnit* unit, const BaseUnit* current,
                                UnitState state) {
    names_.clear();
    const std::vector<std::string> categories = PluralCategories(unit, current);
    for (const std::string& category : categories) AddPluralForm(key, category, unit, current, state);
    if (std::find(categories.begin(), categories.end(), "other") == categories.end()) {
        names_.push_back(std::string(key) + ".other");
        ImportedEntry other = last_;
        other.key = names_.back();
        Emit(other);
    }
}

std::vector<std::string> ImportedEntries::PluralCategories(const ExchangeUnit* unit, const BaseUnit* current) const {
    std::vector<std::string> categories = fileCategories_;
    if (unit && !unit->forms.empty()) {
        categories.clear();
        for (const PluralForm& plural : unit->forms) categories.push_back(plural.category);
    }
    if (categories.empty() && current)
        for (const BaseForm& form : current->Forms()) categories.emplace_back(form.category);
    if (categories.empty()) categories = {"one", "other"};
    return categories;
}

// A form takes the translation when the unit is usable (`state`
// Translated) and the form is filled in and takes the plural source's
// arguments; otherwise its fallback: the base's member of its category,
// else the base's (or without a base, the file's) plural, the singular
// for "one".
void ImportedEntries::AddPluralForm(std::string_view key, const std::string& category, const ExchangeUnit* unit,
                                    const BaseUnit* current, UnitState state) {
    names_.push_back(std::string(key) + "." + category);
    std::string_view translation;
    std::size_t line = unit ? unit->targetLine : 0;
    if (unit) {
        for (const PluralForm& plural : unit->forms) {
            if (plural.category != category) continue;
            translation = plural.text;
            line = plural.line;
        }
    }
    std::string_view fallback;
    if (current) {
        const BaseForm* form = current->Form(category);
        fallback = form ? form->source : current->SourcePlural();
    } else {
        fallback = category == "one" || unit->sourcePlural.empty() ? unit->source : unit->sourcePlural;
    }
    UnitState formState = state;
    if (current && !current->translate) {
        translation = {};  // the base's text, whatever the file holds
    } else if (state == UnitState::Translated) {
        std::string reason;
        if (translation.empty()) {
            reason = "has no translation for the form '" + category + "'";
            formState = UnitState::Untranslated;
        } else if (current) {
            const std::vector<std::string> mismatches = PluralFormMismatches(
                    Values(current->SourcePlural()), Values(translation), FormTakesOneCount(unit, category));
            if (!mismatches.empty()) {
                reason = "(" + category + ") does not take the base text's arguments: " + mismatches.front();
                formState = UnitState::NeedsReview;
            }
        }
        if (!reason.empty())
            Warn(line, Quoted(key) + " " + reason + "; the " + (current ? "base" : "source") + " text is used");
    }
    const std::string_view text = formState == UnitState::Translated && !translation.empty() ? translation : fallback;
    Emit({names_.back(), text, formState, translation, line, unit ? unit->line : 0, unit});
}

// A base member the file lacks takes the base's text.
void ImportedEntries::AddMissing(const BaseUnit& current) {
    if (current.translate) Warn(0, Quoted(current.Key()) + " is not in the file; the base text is used");
    const UnitState state = current.translate ? UnitState::Untranslated : UnitState::Translated;
    if (current.plural) AddPlural(current.Key(), nullptr, &current, state);
    else Emit({current.Key(), current.Source(), state, {}, 0, 0});
}

// Not to translate, missing, untranslated, for review or stale: every
// member of the plural message takes the base's text.
void ImportedEntries::AddPluralAgainstBase(const ComparedUnit& compared) {
    const BaseUnit& current = *compared.base;
    const ExchangeUnit* unit = compared.translation;
    UnitState state = current.translate ? StateAgainstBase(compared) : UnitState::Translated;
    std::string reason = state == UnitState::Untranslated ? "is not translated"
                         : state == UnitState::NeedsReview && !compared.sourceChanged ? "is marked for review"
                         : compared.sourceChanged ? "was translated for another source text than the base's"
                                                  : "";
    if (!current.translate && unit->state == UnitState::Translated) {
        bool changedText = false;
        for (const PluralForm& plural : unit->forms) {
            const BaseForm* form = current.Form(plural.category);
            changedText = changedText || plural.text != (form ? form->source : current.SourcePlural());
        }
        if (changedText) reason = "is marked not to translate";
    }
    if (!reason.empty()) Warn(unit->targetLine, Quoted(current.Key()) + " " + reason + "; the base text is used");
    AddPlural(current.Key(), unit->plural ? unit : nullptr, &current, current.translate ? state : UnitState::Translated);
}

// A base member marked not to translate keeps the base's text.
void ImportedEntries::AddFixedAgainstBase(const BaseUnit& current, const ExchangeUnit& unit) {
    if (unit.state == UnitState::Translated && unit.target != current.Source())
        Warn(unit.targetLine, Quoted(current.Key()) + " is marked not to translate; the base text is used");
    Emit({current.Key(), current.Source(), UnitState::Translated, current.Source(), unit.targetLine, unit.line});
}

// A text takes its translation when it is translated, for the base's
// source text and with its arguments; otherwise the base's text.
void ImportedEntries::AddTextAgainstBase(const ComparedUnit& compared) {
    const BaseUnit& current = *compared.base;
    const ExchangeUnit& unit = *compared.translation;
    const std::string& target = unit.target;
    std::string reason;
    UnitState state = unit.state;
    if (state == UnitState::Untranslated) {
        reason = "is not translated";
    } else if (state == UnitState::NeedsReview) {
        reason = "is marked for review";
    } else if (compared.sourceChanged) {
        reason = "was translated for the source " + Quoted(unit.source) + ", the base now says " +
                 Quoted(current.Source());
        state = UnitState::NeedsReview;
    } else {
        // The file's source is the base's here, so its own check
        // covered this; checked again all the same, as the one rule
        // a library must never break.
        const std::vector<std::string> mismatches = PlaceholderMismatches(Values(current.Source()), Values(target));
        if (!mismatches.empty()) {
            reason = "does not take the base text's arguments: " + mismatches.front();
            state = UnitState::NeedsReview;
        }
    }
    if (reason.empty()) {
        Emit({current.Key(), target, UnitState::Translated, target, unit.targetLine, unit.line, &unit});
        return;
    }
    Warn(unit.targetLine, Quoted(current.Key()) + " " + reason + "; the base text is used");
    Emit({current.Key(), current.Source(), state, target, unit.targetLine, unit.line, &unit});
}

}  // namespace

void ImportResult::AddWarning(ExchangeProblem warning) {
    if (warnings.size() < kShownWarnings) {
        warnings.push_back(std::move(warning));
        return;
    }
    // The kind: the words after the unit's quoted name, to the first ':',
    // ';' or quoted text.
    std::string_view kind = warning.message;
    if (!kind.empty() && kind.front() == '\'') {
        const std::size_t nameEnd = kind.find("' ", 1);
        kind.remove_prefix(nameEnd == std::string_view::npos ? 0 : nameEnd + 2);
    }
    kind = kind.substr(0, std::min({kind.find(':'), kind.find(';'), kind.find(" '"), std::size_t{80}}));
    for (MoreWarnings& more : moreWarnings) {
        if (more.kind != kind) continue;
        ++more.count;
        return;
    }
    // A bounded list: kinds past the 32nd are counted together.
    if (moreWarnings.size() == 32) return void(++moreWarnings.back().count);
    moreWarnings.push_back({moreWarnings.size() == 31 ? std::string("of other kinds") : std::string(kind), 1});
}

ImportResult WriteImport(UnitFile& file, const BaseFile* base, textresgen::ByteSink& out,
                         std::vector<UnitOrigin>& origins) {
    ImportResult result;
    // First every unit on its own: its own rules, the language's
    // categories, and with a base which of its units each name has.
    std::vector<std::string> fileCategories;
    std::vector<std::uint32_t> numberOf;  // by base unit: the file's unit of its name
    std::optional<BaseUnitIndex> byKey;
    if (base) {
        byKey.emplace(*base);
        numberOf.assign(base->units.size(), KeyIndex::kNone);
    }
    ExchangeProblem problem;
    const bool read = file.ForEach(problem, [&](std::uint32_t number, const ExchangeUnit& unit) {
        CheckUnitOwnRules(unit, fileCategories, result.errors);
        if (!base) return;
        if (const BaseUnit* current = byKey->Find(unit.key))
            numberOf[static_cast<std::size_t>(current - base->units.data())] = number;
        else
            result.AddWarning(Warning(unit.targetLine, Quoted(unit.key) + " is not in the base; left out"));
    });
    byKey.reset();
    if (!read || !result.errors.empty()) {
        ImportResult failed;
        failed.errors = read ? std::move(result.errors) : std::vector<ExchangeProblem>{std::move(problem)};
        return failed;
    }

    // Then the members, written as they are made: in file order, or in the
    // base's with each name's unit made again from the file.
    DefinitionWriter definition(out);
    ImportedEntries entries(std::move(fileCategories), result, definition);
    if (base) {
        for (std::size_t i = 0; i < base->units.size(); ++i)
            entries.AddAgainstBase(base->units[i], numberOf[i] == KeyIndex::kNone ? nullptr : &file.Unit(numberOf[i]));
    } else {
        file.TakeEach([&](const ExchangeUnit& unit) { entries.AddUnit(unit); });
    }
    definition.Close();
    result.units = definition.Entries();
    result.fellBack = definition.FellBack();
    origins = std::move(definition.Origins());
    result.ok = true;
    return result;
}

void CheckImport(textresgen::ByteSink& out, const std::vector<UnitOrigin>& origins, ImportResult& result) {
    // A sink that failed to write cannot read back: its owner tells why.
    if (std::unique_ptr<textresgen::ByteSource> written = out.WrittenBytes())
        AddCheckFindings(textrescheck::CheckDefinitionSource(std::move(written)), origins, result);
    result.ok = result.ok && result.errors.empty();
}

}  // namespace textresl10n
