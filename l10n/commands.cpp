#include "l10n/commands.h"

#include <memory>
#include <unordered_map>

#include "check/file_check.h"
#include "check/message_text.h"
#include "cli/command_line.h"
#include "l10n/file_io.h"
#include "l10n/message_text.h"
#include "l10n/po_file.h"
#include "l10n/pseudo.h"
#include "l10n/xliff_file.h"
#include "model/c_format.h"
#include "model/literal_body.h"
#include "text/memory_bytes.h"
#include "text/utf16_writer.h"

namespace textresl10n {
namespace {

using textresgen::LiteralValues;
// File names come from the command line, often from a glob over files that
// translators sent: shown with their control characters made visible.
using textrescheck::ShownPath;

constexpr const char* kUsage =
    "usage: textresl10n export --base BASE [--translation DEFINITION] --lang LANG [--source-lang LANG] -o FILE\n"
    "       textresl10n update --base BASE FILE\n"
    "       textresl10n import FILE -o DEFINITION\n"
    "       textresl10n pseudo --base BASE -o DEFINITION\n"
    "       textresl10n stats --base BASE FILE...\n"
    "       textresl10n --help | --version\n";

constexpr const char* kHelp =
    "\n"
    "Hands the texts of a textresgen definition file to translators as gettext PO\n"
    "(.po, .pot) or XLIFF 1.2 (.xlf, .xliff), chosen by the file name, and takes\n"
    "their work back as a definition file.\n"
    "\n"
    "  export   one unit per name of BASE, in its order; the texts of DEFINITION,\n"
    "           if given, as translations; comment lines above a name as notes\n"
    "  update   merges a changed BASE into FILE in place: new names added, removed\n"
    "           ones dropped, changed sources marked for review\n"
    "  import   writes the definition file (UTF-16LE); untranslated units take\n"
    "           their source text; placeholders are checked against the source\n"
    "  pseudo   writes a pseudo-translation of BASE for testing layouts\n"
    "  stats    counts per FILE; exit status 1 when a unit is untranslated or\n"
    "           needs review\n"
    "\n"
    "Exit status: 0 done, 1 a file has errors (nothing is written) or stats found\n"
    "unfinished units, 2 wrong command line, 3 out of memory.\n";

std::string FormatProblem(const std::string& path, const ExchangeProblem& problem, const char* severity = "error") {
    std::string line = ShownPath(path);
    if (problem.line != 0) line += ":" + std::to_string(problem.line);
    return line + ": " + severity + ": " + problem.message + "\n";
}

// ------------------------------------------------------------ command line

struct Options {
    std::string command;
    std::string base;
    std::string translation;
    std::string language;
    std::string sourceLanguage = "en";
    std::string output;
    std::vector<std::string> files;
};

const char* const kValueOptions[] = {"--base", "--translation", "--lang", "--source-lang", "-o", "--output", nullptr};

const textresgen::cli::Tool& L10nTool() {
    static const std::string help = std::string(kUsage) + kHelp;
    static const textresgen::cli::Tool tool = {"textresl10n", help.c_str(), kValueOptions};
    return tool;
}

// The command and its files from the operands, each option's value from the
// last time it is given.
Options OptionsOf(const textresgen::cli::CommandLine& line) {
    Options options;
    for (const std::string& operand : line.operands) {
        if (options.command.empty()) options.command = operand;
        else options.files.push_back(operand);
    }
    for (const textresgen::cli::OptionValue& given : line.values) {
        const std::string& option = given.option;
        std::string& slot = option == "--base"          ? options.base
                            : option == "--translation" ? options.translation
                            : option == "--lang"        ? options.language
                            : option == "--source-lang" ? options.sourceLanguage
                                                        : options.output;  // -o, --output
        slot = given.value;
    }
    return options;
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A language tag goes into a header and an attribute: letters, digits,
// '-', '_', '@', '.' only.
bool IsLanguageTag(const std::string& tag) {
    if (tag.empty() || tag.size() > 35) return false;
    for (const char c : tag) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                        c == '_' || c == '@' || c == '.';
        if (!ok) return false;
    }
    return true;
}

// --------------------------------------------------------------- commands

class Program {
public:
    Program(const TextSink& out, const TextSink& err) : out_(out), err_(err) {}

    int Run(const std::vector<std::string>& arguments) {
        std::vector<const char*> argv;
        for (const std::string& argument : arguments) argv.push_back(argument.c_str());
        const textresgen::cli::CommandLine line =
            textresgen::cli::ParseCommandLine(L10nTool(), static_cast<int>(argv.size()), argv.data());
        if (!line.run) return Stop(line);
        options_ = OptionsOf(line);
        const std::string& command = options_.command;
        if (command == "export") return Export();
        if (command == "update") return Update();
        if (command == "import") return Import();
        if (command == "pseudo") return Pseudo();
        if (command == "stats") return Stats();
        if (command.empty()) return Usage("no command given");
        return Usage("unknown command " + Quoted(command));
    }

private:
    int Stop(const textresgen::cli::CommandLine& line) {
        if (!line.out.empty()) out_(line.out);
        if (!line.err.empty()) err_(line.err);
        return line.status;
    }
    int Usage(const std::string& problem) { return Stop(textresgen::cli::UsageError(L10nTool(), problem)); }

    bool Need(bool present, const char* what, std::string& problem) {
        if (!present && problem.empty()) problem = std::string(options_.command) + " needs " + what;
        return present;
    }

    int Fail(const std::string& message) {
        err_(message.back() == '\n' ? message : message + "\n");
        return kExitProblems;
    }

    bool ReadFile(const std::string& path, std::string& bytes) {
        const ReadStatus status = ReadWholeFile(path, bytes);
        if (status == ReadStatus::Read) return true;
        err_(ShownPath(path) + ": error: " + DescribeReadStatus(status) + "\n");
        return false;
    }

    bool Write(const std::string& path, const std::string& bytes) {
        if (WriteFileReplacing(path, bytes)) return true;
        err_(ShownPath(path) + ": error: cannot be written (the folder is missing or not writable, or the disk is full); "
                    "it is left as it was\n");
        return false;
    }

    bool ExchangePath(const std::string& path, ExchangeFormat& format) {
        if (FormatOfPath(path, format)) return true;
        err_(ShownPath(path) + ": error: the file name must end in .po, .pot, .xlf or .xliff, which names its format\n");
        return false;
    }

    bool ReadUnits(const std::string& path, ExchangeFormat format, std::vector<ExchangeUnit>& units) {
        std::string bytes;
        if (!ReadFile(path, bytes)) return false;
        ExchangeProblem problem;
        if (ReadExchange(bytes, format, units, problem)) return true;
        err_(FormatProblem(path, problem));
        return false;
    }

    int Export() {
        std::string problem;
        Need(!options_.base.empty(), "--base", problem);
        Need(!options_.output.empty(), "-o", problem);
        Need(options_.files.empty(), "no file arguments", problem);
        if (!problem.empty()) return Usage(problem);
        ExchangeFormat format;
        if (!ExchangePath(options_.output, format)) return kExitUsage;
        const bool isTemplate = options_.output.size() > 4 && options_.output.substr(options_.output.size() - 4) == ".pot";
        if (options_.language.empty() && !isTemplate) return Usage("export needs --lang (except for a .pot template)");
        if (!options_.language.empty() && !IsLanguageTag(options_.language))
            return Usage("--lang takes a language tag such as ja or pt_BR");
        if (!IsLanguageTag(options_.sourceLanguage)) return Usage("--source-lang takes a language tag such as en");

        BaseFile base;
        std::string error;
        if (!ReadBaseFile(options_.base, base, error)) return Fail(error);
        BaseFile translation;
        std::unordered_map<std::string, const BaseUnit*> translated;
        if (!options_.translation.empty()) {
            if (!ReadBaseFile(options_.translation, translation, error)) return Fail(error);
            for (const BaseUnit& unit : translation.units) translated.emplace(unit.key, &unit);
        }

        std::vector<ExchangeUnit> units;
        units.reserve(base.units.size());
        std::size_t reviews = 0;
        for (const BaseUnit& unit : base.units) {
            ExchangeUnit out = UntranslatedUnit(unit);
            const auto found = translated.find(unit.key);
            if (found != translated.end() && !isTemplate) {
                out.target = found->second->source;
                out.state = UnitState::Translated;
                const std::vector<std::string> mismatches =
                    textresgen::ComparePlaceholders(unit.values, found->second->values);
                if (!mismatches.empty()) {
                    out.state = UnitState::NeedsReview;
                    ++reviews;
                    err_(ShownPath(options_.translation) + ":" + std::to_string(found->second->line) + ": warning: " +
                         Quoted(unit.key) + ": " + mismatches.front() + "; exported as needing review\n");
                }
                translated.erase(found);
            }
            units.push_back(std::move(out));
        }
        for (const BaseUnit& unit : translation.units) {
            if (translated.count(unit.key) != 0)
                err_(ShownPath(options_.translation) + ":" + std::to_string(unit.line) + ": warning: " +
                     Quoted(unit.key) + " is not in " + ShownPath(options_.base) + "; left out\n");
        }

        std::string bytes;
        if (format == ExchangeFormat::Po) {
            bytes = WritePo({ShownPath(BaseName(options_.base)), options_.language}, units);
        } else {
            bytes = WriteXliff({ShownPath(BaseName(options_.base)), options_.sourceLanguage, options_.language}, units);
        }
        if (!Write(options_.output, bytes)) return kExitProblems;
        std::size_t done = 0;
        for (const ExchangeUnit& unit : units) done += unit.state == UnitState::Translated;
        err_(ShownPath(options_.output) + ": " + std::to_string(units.size()) + " units, " + std::to_string(done) + " translated" +
             (reviews > 0 ? ", " + std::to_string(reviews) + " needing review" : "") + "\n");
        return kExitOk;
    }

    int Update() {
        std::string problem;
        Need(!options_.base.empty(), "--base", problem);
        Need(options_.files.size() == 1, "exactly one PO or XLIFF file", problem);
        Need(options_.output.empty(), "no -o (the file is updated in place)", problem);
        if (!problem.empty()) return Usage(problem);
        const std::string& path = options_.files.front();
        ExchangeFormat format;
        if (!ExchangePath(path, format)) return kExitUsage;
        BaseFile base;
        std::string error;
        if (!ReadBaseFile(options_.base, base, error)) return Fail(error);
        std::string bytes;
        if (!ReadFile(path, bytes)) return kExitProblems;
        std::vector<ExchangeUnit> before;
        ExchangeProblem where;
        if (!ReadExchange(bytes, format, before, where)) return Fail(FormatProblem(path, where));

        std::string updated;
        if (format == ExchangeFormat::Po) {
            PoDocument document;
            ParsePo(bytes, document, where);
            updated = UpdatePo(document, base);
        } else if (!UpdateXliff(bytes, base, updated, where)) {
            return Fail(FormatProblem(path, where));
        }

        std::unordered_map<std::string, const ExchangeUnit*> old;
        for (const ExchangeUnit& unit : before) old.emplace(unit.key, &unit);
        std::size_t added = 0, review = 0;
        for (const BaseUnit& unit : base.units) {
            const auto found = old.find(unit.key);
            if (found == old.end()) {
                ++added;
            } else {
                if (found->second->source != unit.source && found->second->state != UnitState::Untranslated) ++review;
                old.erase(found);
            }
        }
        if (updated != bytes && !Write(path, updated)) return kExitProblems;
        err_(ShownPath(path) + ": " + std::to_string(added) + " added, " + std::to_string(old.size()) + " removed, " +
             std::to_string(review) + " marked for review" + (updated == bytes ? " (unchanged)" : "") + "\n");
        return kExitOk;
    }

    int Import() {
        std::string problem;
        Need(options_.files.size() == 1, "exactly one PO or XLIFF file", problem);
        Need(!options_.output.empty(), "-o", problem);
        Need(options_.base.empty(), "no --base (the file holds its source texts)", problem);
        if (!problem.empty()) return Usage(problem);
        const std::string& path = options_.files.front();
        ExchangeFormat format;
        if (!ExchangePath(path, format)) return kExitUsage;
        std::string bytes;
        if (!ReadFile(path, bytes)) return kExitProblems;
        const ImportResult result = ImportExchange(bytes, format);
        bytes.clear();
        bytes.shrink_to_fit();
        std::string report;
        for (const ExchangeProblem& warning : result.warnings) report += FormatProblem(path, warning, "warning");
        for (const ExchangeProblem& error : result.errors) report += FormatProblem(path, error);
        if (!result.ok) {
            const std::size_t count = result.errors.size();
            err_(report + ShownPath(path) + ": " + std::to_string(count) + (count == 1 ? " error; " : " errors; ") +
                 ShownPath(options_.output) + " is not written\n");
            return kExitProblems;
        }
        if (!Write(options_.output, result.definition)) return kExitProblems;
        err_(report + ShownPath(path) + ": " + std::to_string(result.units) + " units imported, " +
             std::to_string(result.fellBack) + " of them without a usable translation took their source text\n");
        return kExitOk;
    }

    int Pseudo() {
        std::string problem;
        Need(!options_.base.empty(), "--base", problem);
        Need(!options_.output.empty(), "-o", problem);
        Need(options_.files.empty(), "no file arguments", problem);
        if (!problem.empty()) return Usage(problem);
        BaseFile base;
        std::string error;
        if (!ReadBaseFile(options_.base, base, error)) return Fail(error);
        std::string bytes;
        textresgen::Utf16Writer writer;
        writer.Open(std::make_unique<textresgen::MemorySink>(bytes));
        for (const BaseUnit& unit : base.units) {
            LiteralValues name;
            std::size_t bad = 0;
            textresgen::Utf8ToValues(unit.key, name, bad);
            writer.PrintText(textresgen::ValuesToUnits(name));
            writer.PrintText(u"=");
            writer.PrintLine(textresgen::EncodeLiteralBody(PseudoTranslate(unit.values)));
        }
        writer.Close();
        if (!Write(options_.output, bytes)) return kExitProblems;
        err_(ShownPath(options_.output) + ": " + std::to_string(base.units.size()) + " pseudo-translated texts\n");
        return kExitOk;
    }

    int Stats() {
        std::string problem;
        Need(!options_.base.empty(), "--base", problem);
        Need(!options_.files.empty(), "one or more PO or XLIFF files", problem);
        Need(options_.output.empty(), "no -o", problem);
        if (!problem.empty()) return Usage(problem);
        BaseFile base;
        std::string error;
        if (!ReadBaseFile(options_.base, base, error)) return Fail(error);
        bool unfinished = false;
        bool failed = false;
        for (const std::string& path : options_.files) {
            ExchangeFormat format;
            std::vector<ExchangeUnit> units;
            if (!ExchangePath(path, format) || !ReadUnits(path, format, units)) {
                failed = true;
                continue;
            }
            std::unordered_map<std::string, const ExchangeUnit*> byKey;
            for (const ExchangeUnit& unit : units) byKey.emplace(unit.key, &unit);
            std::size_t translated = 0, untranslated = 0, review = 0, identical = 0;
            for (const BaseUnit& unit : base.units) {
                const auto found = byKey.find(unit.key);
                if (found == byKey.end()) {
                    ++untranslated;
                    continue;
                }
                const ExchangeUnit& exchanged = *found->second;
                byKey.erase(found);
                // A translation of an older source needs review, whatever its file says.
                UnitState state = exchanged.state;
                if (state == UnitState::Translated && exchanged.source != unit.source) state = UnitState::NeedsReview;
                switch (state) {
                    case UnitState::Untranslated: ++untranslated; break;
                    case UnitState::NeedsReview: ++review; break;
                    case UnitState::Translated:
                        ++translated;
                        if (!unit.source.empty() && exchanged.target == unit.source) ++identical;
                        break;
                }
            }
            std::string line = ShownPath(path) + ": " + std::to_string(base.units.size()) + " units: " +
                               std::to_string(translated) + " translated (" + std::to_string(identical) +
                               " identical to the source), " + std::to_string(untranslated) + " untranslated, " +
                               std::to_string(review) + " need review";
            if (!byKey.empty()) line += ", " + std::to_string(byKey.size()) + " not in " + ShownPath(options_.base);
            out_(line + "\n");
            unfinished = unfinished || untranslated > 0 || review > 0;
        }
        return failed || unfinished ? kExitProblems : kExitOk;
    }

    const TextSink& out_;
    const TextSink& err_;
    Options options_;
};

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

bool FormatOfPath(const std::string& path, ExchangeFormat& format) {
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos) return false;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (extension == "po" || extension == "pot") format = ExchangeFormat::Po;
    else if (extension == "xlf" || extension == "xliff") format = ExchangeFormat::Xliff;
    else return false;
    return true;
}

bool ReadExchange(std::string_view bytes, ExchangeFormat format, std::vector<ExchangeUnit>& units,
                  ExchangeProblem& problem) {
    if (format == ExchangeFormat::Xliff) return ReadXliff(bytes, units, problem);
    PoDocument document;
    return ParsePo(bytes, document, problem) && PoUnits(document, units, problem);
}

ImportResult ImportExchange(std::string_view bytes, ExchangeFormat format) {
    ImportResult result;
    std::vector<ExchangeUnit> units;
    ExchangeProblem problem;
    if (!ReadExchange(bytes, format, units, problem)) {
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
        LiteralValues key, source, target;
        std::size_t bad = 0;
        textresgen::Utf8ToValues(unit.key, key, bad);
        if (!textresgen::Utf8ToValues(unit.source, source, bad) || !textresgen::Utf8ToValues(unit.target, target, bad)) {
            result.errors.push_back({unit.line, "the text of " + Quoted(unit.key) + " is not UTF-8"});
            continue;
        }
        const LiteralValues* text = &source;
        if (unit.state == UnitState::Translated) {
            text = &target;
            for (const std::string& mismatch : textresgen::ComparePlaceholders(source, target))
                result.errors.push_back({unit.line, Quoted(unit.key) + ": " + mismatch});
        } else {
            ++result.fellBack;
        }
        writer.PrintText(textresgen::ValuesToUnits(key));
        writer.PrintText(u"=");
        writer.PrintLine(textresgen::EncodeLiteralBody(*text));
    }
    writer.Close();
    if (!result.errors.empty()) return result;

    // What the generator and the checker will make of it: an error there
    // (a key that is no C++ name, a clash of an entry and a group, a text
    // too long for one literal) is an error of this file's unit.
    textrescheck::FileCheck check = textrescheck::CheckDefinitionBytes(definition);
    for (const textrescheck::Diagnostic& finding : check.findings) {
        if (finding.severity == textrescheck::Severity::Note) continue;
        const std::size_t line = finding.line >= 1 && finding.line <= units.size() ? units[finding.line - 1].line : 0;
        ExchangeProblem found{line, finding.message};
        if (finding.severity == textrescheck::Severity::Error) result.errors.push_back(std::move(found));
        else result.warnings.push_back(std::move(found));
    }
    if (check.status != textrescheck::FileCheck::Status::Checked)
        result.errors.push_back({0, "the imported definition cannot be read back: " + check.problem});
    if (!result.errors.empty()) return result;
    result.definition = std::move(definition);
    result.ok = true;
    return result;
}

int RunL10n(const std::vector<std::string>& arguments, const TextSink& out, const TextSink& err) {
    return Program(out, err).Run(arguments);
}

}  // namespace textresl10n
