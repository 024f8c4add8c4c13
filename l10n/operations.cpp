#include "l10n/operations.h"

#include <memory>

#include "check/file_check.h"
#include "check/message_text.h"
#include "l10n/base_comparison.h"
#include "l10n/file_io.h"
#include "l10n/message_text.h"
#include "l10n/pseudo.h"
#include "codec/literal_body.h"
#include "text/memory_bytes.h"
#include "text/utf16_writer.h"

namespace textresl10n {
namespace {

using textresgen::LiteralValues;
using textrescheck::Diagnostic;
using textrescheck::Severity;
// File names come from the command line, often from a glob over files that
// translators sent: shown with their control characters made visible.
using textrescheck::ShownPath;

// An error or warning about the file at `path`.
Diagnostic About(const std::string& path, std::size_t line, std::string message, Severity severity = Severity::Error) {
    Diagnostic diagnostic(line, std::move(message), severity);
    diagnostic.file = path;
    return diagnostic;
}

bool ReadFile(const std::string& path, std::string& bytes, Reporter& err) {
    const ReadStatus status = ReadWholeFile(path, bytes);
    if (status != ReadStatus::Read) err.Report(About(path, 0, DescribeReadStatus(status)));
    return status == ReadStatus::Read;
}

bool Write(const std::string& path, const std::string& bytes, Reporter& err) {
    switch (WriteFileReplacing(path, bytes)) {
        case WriteStatus::Written: return true;
        case WriteStatus::InUse:
            err.Report(About(path, 0, "cannot be replaced: another program has it open and does not share it "
                                      "(close it there); it is left as it was"));
            break;
        case WriteStatus::Device: err.Report(About(path, 0, std::string(kDeviceName) + "; nothing is written")); break;
        case WriteStatus::Failed:
            err.Report(About(path, 0, "cannot be written (the folder is missing or not writable, or the disk is full); "
                                      "it is left as it was"));
            break;
    }
    return false;
}

bool ReadBase(const std::string& path, BaseFile& base, Reporter& err) {
    ExchangeProblem problem;
    const bool read = ReadBaseFile(path, base, problem);
    if (!read) err.Report(std::move(problem));
    return read;
}

bool ReadUnits(const std::string& path, const ExchangeFormat& format, std::vector<ExchangeUnit>& units, Reporter& err) {
    std::string bytes;
    if (!ReadFile(path, bytes, err)) return false;
    ExchangeProblem problem;
    if (format.Read(bytes, units, problem)) return true;
    problem.file = path;
    err.Report(std::move(problem));
    return false;
}

// One line "key=body" of a definition file.
void PrintDefinition(textresgen::Utf16Writer& writer, const std::string& key, textresgen::LiteralValuesView text) {
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
    // The translation's texts as translated units, compared with the base like any exchange file.
    std::vector<ExchangeUnit> translated;
    for (const BaseUnit& unit : translation.units)
        translated.push_back({unit.key, "", unit.source, UnitState::Translated, {}, unit.line});
    const BaseComparison comparison = CompareWithBase(base, translated);

    std::vector<ExchangeUnit> units;
    units.reserve(base.units.size());
    std::size_t done = 0, reviews = 0;
    for (const ComparedUnit& compared : comparison.units) {
        ExchangeUnit out = UntranslatedUnit(*compared.base);
        if (compared.translation && !isTemplate) {  // a template holds no translations
            out.target = compared.translation->target;
            out.state = UnitState::Translated;
            LiteralValues values;
            std::size_t bad = 0;
            textresgen::Utf8ToValues(out.target, values, bad);
            const std::vector<std::string> mismatches = PlaceholderMismatches(compared.base->values, values);
            if (!mismatches.empty()) {
                out.state = UnitState::NeedsReview;
                ++reviews;
                err.Report(About(options.translation, compared.translation->line,
                                 Quoted(out.key) + ": " + mismatches.front() + "; exported as needing review",
                                 Severity::Warning));
            }
        }
        done += out.state == UnitState::Translated;
        units.push_back(std::move(out));
    }
    for (const ExchangeUnit* unit : comparison.notInBase) {
        err.Report(About(options.translation, unit->line,
                         Quoted(unit->key) + " is not in " + ShownPath(options.base) + "; left out", Severity::Warning));
    }

    const std::string& output = options.output;
    if (!Write(output, format.Write({ShownPath(BaseName(options.base)), options.sourceLanguage, options.language}, units),
               err))
        return false;
    err.Print(ShownPath(output) + ": " + std::to_string(units.size()) + " units, " + std::to_string(done) +
              " translated" + (reviews > 0 ? ", " + std::to_string(reviews) + " needing review" : "") + "\n");
    return true;
}

bool UpdateFile(const Options& options, const ExchangeFormat& format, Reporter& err) {
    const std::string& path = options.files.front();
    BaseFile base;
    std::string bytes;
    if (!ReadBase(options.base, base, err) || !ReadFile(path, bytes, err)) return false;
    std::vector<ExchangeUnit> before;
    std::string updated;
    ExchangeProblem problem;
    if (!format.Update(bytes, base, before, updated, problem)) {
        problem.file = path;
        err.Report(std::move(problem));
        return false;
    }

    const BaseComparison comparison = CompareWithBase(base, before);
    std::size_t added = 0, review = 0;
    for (const ComparedUnit& unit : comparison.units) {
        added += unit.translation == nullptr;
        review += unit.translation && unit.sourceChanged && unit.translation->state != UnitState::Untranslated;
    }
    if (updated != bytes && !Write(path, updated, err)) return false;
    err.Print(ShownPath(path) + ": " + std::to_string(added) + " added, " + std::to_string(comparison.notInBase.size()) +
              " removed, " + std::to_string(review) + " marked for review" + (updated == bytes ? " (unchanged)" : "") +
              "\n");
    return true;
}

bool ImportFile(const Options& options, const ExchangeFormat& format, Reporter& err) {
    const std::string& path = options.files.front();
    std::string bytes;
    if (!ReadFile(path, bytes, err)) return false;
    ImportResult result = ImportExchange(bytes, format);
    bytes.clear();
    bytes.shrink_to_fit();
    for (std::vector<ExchangeProblem>* problems : {&result.warnings, &result.errors}) {
        for (ExchangeProblem& problem : *problems) {
            problem.file = path;
            err.Report(std::move(problem));
        }
    }
    if (!result.ok) {
        const std::size_t count = err.Errors();
        err.Print(ShownPath(path) + ": " + std::to_string(count) + (count == 1 ? " error; " : " errors; ") +
                  ShownPath(options.output) + " is not written\n");
        return false;
    }
    if (!Write(options.output, result.definition, err)) return false;
    err.Print(ShownPath(path) + ": " + std::to_string(result.units) + " units imported, " +
              std::to_string(result.fellBack) + " of them without a usable translation took their source text\n");
    return true;
}

bool PseudoFile(const Options& options, Reporter& err) {
    BaseFile base;
    if (!ReadBase(options.base, base, err)) return false;
    std::string bytes;
    textresgen::Utf16Writer writer;
    writer.Open(std::make_unique<textresgen::MemorySink>(bytes));
    for (const BaseUnit& unit : base.units) PrintDefinition(writer, unit.key, PseudoTranslate(unit.values));
    writer.Close();
    if (!Write(options.output, bytes, err)) return false;
    err.Print(ShownPath(options.output) + ": " + std::to_string(base.units.size()) + " pseudo-translated texts\n");
    return true;
}

bool StatsFiles(const Options& options, const Reporter::Sink& out, Reporter& err) {
    BaseFile base;
    if (!ReadBase(options.base, base, err)) return false;
    bool complete = true;
    for (const std::string& path : options.files) {
        const ExchangeFormat* format = FormatOfFile(path, err);
        std::vector<ExchangeUnit> units;
        if (!format || !ReadUnits(path, *format, units, err)) {
            complete = false;
            continue;
        }
        const BaseComparison comparison = CompareWithBase(base, units);
        std::size_t counts[3] = {}, identical = 0;  // by UnitState
        for (const ComparedUnit& unit : comparison.units) {
            const UnitState state = StateAgainstBase(unit);
            ++counts[static_cast<int>(state)];
            identical += state == UnitState::Translated && !unit.base->source.empty() &&
                         unit.translation->target == unit.base->source;
        }
        const std::size_t untranslated = counts[static_cast<int>(UnitState::Untranslated)];
        const std::size_t review = counts[static_cast<int>(UnitState::NeedsReview)];
        std::string line = ShownPath(path) + ": " + std::to_string(base.units.size()) + " units: " +
                           std::to_string(counts[static_cast<int>(UnitState::Translated)]) + " translated (" +
                           std::to_string(identical) + " identical to the source), " + std::to_string(untranslated) +
                           " untranslated, " + std::to_string(review) + " need review";
        if (!comparison.notInBase.empty())
            line += ", " + std::to_string(comparison.notInBase.size()) + " not in " + ShownPath(options.base);
        err.Flush();
        out(line + "\n");
        complete = complete && untranslated == 0 && review == 0;
    }
    return complete;
}

ImportResult ImportExchange(std::string_view bytes, const ExchangeFormat& format) {
    ImportResult result;
    std::vector<ExchangeUnit> units;
    ExchangeProblem problem;
    if (!format.Read(bytes, units, problem)) {
        result.errors.push_back(problem);
        return result;
    }
    result.units = units.size();

    std::string definition;
    textresgen::Utf16Writer writer;
    writer.Open(std::make_unique<textresgen::MemorySink>(definition));
    for (const ExchangeUnit& unit : units) {
        std::string why;
        if (!CheckKey(unit.key, why)) {
            result.errors.push_back({unit.line, why});
            continue;
        }
        LiteralValues source, target;
        std::size_t bad = 0;
        if (!textresgen::Utf8ToValues(unit.source, source, bad) || !textresgen::Utf8ToValues(unit.target, target, bad)) {
            result.errors.push_back({unit.line, "the text of " + Quoted(unit.key) + " is not UTF-8"});
            continue;
        }
        const bool translated = unit.state == UnitState::Translated;
        if (translated) {
            for (const std::string& mismatch : PlaceholderMismatches(source, target))
                result.errors.push_back({unit.line, Quoted(unit.key) + ": " + mismatch});
        }
        result.fellBack += !translated;
        PrintDefinition(writer, unit.key, translated ? target : source);
    }
    writer.Close();
    if (!result.errors.empty()) return result;

    // What the generator and the checker will make of it: an error there
    // (a key that is no C++ name, a clash of an entry and a group, a text
    // too long for one literal) is an error of this file's unit.
    textrescheck::FileCheck check = textrescheck::CheckDefinitionBytes(definition);
    for (Diagnostic& finding : check.findings) {
        if (finding.severity == Severity::Note) continue;
        finding.line = finding.line >= 1 && finding.line <= units.size() ? units[finding.line - 1].line : 0;
        (finding.severity == Severity::Error ? result.errors : result.warnings).push_back(std::move(finding));
    }
    if (check.status != textrescheck::FileCheck::Status::Checked)
        result.errors.push_back({0, "the imported definition cannot be read back: " + check.problem});
    if (!result.errors.empty()) return result;
    result.definition = std::move(definition);
    result.ok = true;
    return result;
}

}  // namespace textresl10n
