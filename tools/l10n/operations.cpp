#include "l10n/operations.h"

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

#include "codec/c_format.h"
#include "codec/literal_body.h"
#include "l10n/base_comparison.h"
#include "l10n/definition_line.h"
#include "l10n/file_io.h"
#include "l10n/import.h"
#include "l10n/key_index.h"
#include "l10n/message_text.h"
#include "l10n/plural_forms.h"
#include "l10n/pseudo.h"
#include "l10n/state_markers.h"
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

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
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
        const std::optional<BaseForm> form = unit.Form(category);
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
        out.forms.push_back({std::string(category), std::move(text), form ? form->line : unit.Line(),
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
    out.line = out.targetLine = unit.Line();
    if (unit.Plural()) {
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
    for (const BaseUnit& unit : base.units) plurals = plurals || unit.Plural();
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
        const bool sameShape = translated && translated->Plural() == current.Plural();
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
        err.Report(About(options.translation, unit.Line(),
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
        current_.line = current_.targetLine = unit.Line();
        current_.plural = unit.Plural();
        if (unit.Plural()) {
            for (const BaseForm form : unit.Forms())
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
// Once the definition is written, `letGo` lets go of the inputs (the
// file's units, its bytes, the base), so that the check has the memory
// they took.
bool ImportInto(UnitFile& file, const BaseFile* base, const std::function<void()>& letGo,
                const std::string& path, const Options& options, Reporter& err) {
    ReplacingFile output(options.output);
    // Where the new file cannot be made, the definition is made in memory
    // all the same, so that the file's problems are told before that.
    std::string held;
    textresgen::MemorySink memory(held);
    const std::unique_ptr<textresgen::ByteSink> toFile = SinkInto(output);
    textresgen::ByteSink& out = output.Failed() ? static_cast<textresgen::ByteSink&>(memory) : *toFile;
    std::vector<UnitOrigin> origins;
    ImportResult result = WriteImport(file, base, out, origins);
    letGo();
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
    UnitFile& units = *file;
    const auto letGo = [&] {
        file.reset();
        std::string().swap(bytes);
        base = BaseFile();
    };
    return ImportInto(units, options.base.empty() ? nullptr : &base, letGo, path, options, err);
}

bool ImportDefinitionFile(const Options& options, Reporter& err) {
    const std::string& path = options.files.front();
    BaseFile base, translation;
    if (!ReadBase(options.base, base, err) || !ReadBase(path, translation, err)) return false;
    auto units = std::make_unique<DefinitionUnits>(translation, base);
    const auto letGo = [&] {
        units.reset();
        base = BaseFile();
        translation = BaseFile();
    };
    return ImportInto(*units, &base, letGo, path, options, err);
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
        if (!unit.Plural()) {
            const LiteralValues text = Values(unit.Source());
            PrintDefinition(writer, unit.Key(), unit.Translate() ? PseudoTranslate(text) : text);
            ++texts;
            continue;
        }
        // Every category, so that whichever form a count picks shows as
        // pseudo-translated: each from the base's form, else its plural.
        for (const std::string_view category : textresgen::plural::kCategoryNames) {
            const std::optional<BaseForm> form = unit.Form(category);
            const LiteralValues text = Values(form ? form->source : unit.SourcePlural());
            PrintDefinition(writer, std::string(unit.Key()) + "." + std::string(category),
                            unit.Translate() ? PseudoTranslate(text) : text);
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
        for (const BaseUnit& unit : base.units) fixed += !unit.Translate();
        counts[static_cast<int>(UnitState::Untranslated)] = base.units.size() - fixed;
        ExchangeProblem problem;
        const bool read = format->ForEachUnit(bytes, problem, [&](ExchangeUnit&& translation) {
            const BaseUnit* found = byKey.Find(translation.key);
            if (!found) {
                ++notInBase;
                return;
            }
            const BaseUnit& unit = *found;
            if (!unit.Translate()) return;
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

}  // namespace textresl10n
