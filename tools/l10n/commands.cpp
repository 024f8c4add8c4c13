#include "l10n/commands.h"

#include "cli/command_line.h"
#include "l10n/exchange_format.h"
#include "l10n/message_text.h"
#include "l10n/operations.h"
#include "runtime/gettext_language.h"

namespace textresl10n {
namespace {

constexpr const char* kUsage =
    "usage: textresl10n export --base BASE [--translation DEFINITION] --lang LANG [--source-lang LANG] -o FILE\n"
    "       textresl10n update --base BASE FILE\n"
    "       textresl10n import [--base BASE] FILE -o DEFINITION\n"
    "       textresl10n pseudo --base BASE -o DEFINITION\n"
    "       textresl10n stats --base BASE FILE...\n"
    "       textresl10n --help | --version\n"
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
    "           their source text; placeholders are checked against the source;\n"
    "           with BASE, the members are BASE's, and a unit that is missing,\n"
    "           untranslated, fuzzy, stale or takes other arguments than BASE's\n"
    "           text takes BASE's text, with a warning; with BASE, a FILE whose\n"
    "           name is no PO or XLIFF name is a translation kept as a definition\n"
    "           file, taken by the same rule\n"
    "  pseudo   writes a pseudo-translation of BASE for testing layouts\n"
    "  stats    counts per FILE; exit status 1 when a unit is untranslated or\n"
    "           needs review\n";

constexpr const char* kNotes =
    "Exit status: 0 done, 1 a file has errors (nothing is written), standard output\n"
    "cannot be written or stats found unfinished units, 2 wrong command line, 3 out\n"
    "of memory.\n";

const char* const kValueOptions[] = {"--base", "--translation", "--lang", "--source-lang", "-o", "--output", nullptr};

const textresgen::cli::Tool kTool = {"textresl10n", kUsage, "", kNotes, kValueOptions};

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

// --lang and --source-lang: a BCP 47 tag, which goes into the PO header
// and the XLIFF attributes, or gettext's spelling of one (pt_BR, sr@latin),
// written as the tag (pt-BR, sr-Latn). False, `value` emptied, for neither.
bool ReadLanguageTag(std::string& value) {
    value = textresgen::LanguageTagOfGettextName(value);
    return !value.empty();
}

int Stop(const textresgen::cli::CommandLine& line, const TextSink& out, const TextSink& err) {
    if (!line.out.empty()) out(line.out);
    if (!line.err.empty()) err(line.err);
    return line.status;
}

// import --base of a file whose name names no exchange format: a
// translation kept as a definition file.
bool IsDefinitionImport(const Options& o) {
    return o.command == "import" && !o.base.empty() && o.files.size() == 1 && !FormatOfPath(o.files.front());
}

// The usage problem of the options, if any (the first unmet need of the
// command), and the format of the file the command reads or writes (export:
// -o; update, import: the one file).
std::string CheckOptions(const Options& o, const ExchangeFormat*& format, Reporter& err) {
    const std::string& command = o.command;
    std::string problem;
    const auto need = [&](bool present, const char* what) {
        if (!present && problem.empty()) problem = command + " needs " + what;
    };
    if (command == "export" || command == "pseudo") {
        need(!o.base.empty(), "--base"); need(!o.output.empty(), "-o"); need(o.files.empty(), "no file arguments");
    } else if (command == "update") {
        need(!o.base.empty(), "--base"); need(o.files.size() == 1, "exactly one PO or XLIFF file");
        need(o.output.empty(), "no -o (the file is updated in place)");
    } else if (command == "import") {
        need(o.files.size() == 1, "exactly one PO or XLIFF file"); need(!o.output.empty(), "-o");
    } else if (command == "stats") {
        need(!o.base.empty(), "--base"); need(!o.files.empty(), "one or more PO or XLIFF files");
        need(o.output.empty(), "no -o");
    } else {
        return command.empty() ? "no command given" : "unknown command " + Quoted(command);
    }
    if (problem.empty() && command != "pseudo" && command != "stats" && !IsDefinitionImport(o))
        format = FormatOfFile(command == "export" ? o.output : o.files.front(), err);
    return problem;
}

int Run(const std::vector<std::string>& arguments, const TextSink& out, const TextSink& err, Reporter& reporter) {
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    const textresgen::cli::CommandLine line =
        textresgen::cli::ParseCommandLine(kTool, static_cast<int>(argv.size()), argv.data());
    if (!line.run) return Stop(line, out, err);
    Options options = OptionsOf(line);
    const auto usage = [&](const std::string& problem) {
        return Stop(textresgen::cli::UsageError(kTool, problem), out, err);
    };

    const ExchangeFormat* format = nullptr;
    const std::string problem = CheckOptions(options, format, reporter);
    if (!problem.empty()) return usage(problem);
    const std::string& command = options.command;
    if (!format && command != "pseudo" && command != "stats" && !IsDefinitionImport(options))
        return textresgen::cli::kExitUsage;
    bool done = false;
    if (command == "export") {
        const std::string& output = options.output;
        const bool isTemplate = output.size() > 4 && output.substr(output.size() - 4) == ".pot";
        if (options.language.empty() && !isTemplate) return usage("export needs --lang (except for a .pot template)");
        if (!options.language.empty() && !ReadLanguageTag(options.language))
            return usage("--lang takes a language tag such as ja or pt-BR (or gettext's pt_BR)");
        if (!ReadLanguageTag(options.sourceLanguage)) return usage("--source-lang takes a language tag such as en");
        done = ExportFile(options, *format, isTemplate, reporter);
    } else if (command == "update") {
        done = UpdateFile(options, *format, reporter);
    } else if (command == "import") {
        done = format ? ImportFile(options, *format, reporter) : ImportDefinitionFile(options, reporter);
    } else if (command == "pseudo") {
        done = PseudoFile(options, reporter);
    } else {
        done = StatsFiles(options, out, reporter);
    }
    return done ? textresgen::cli::kExitOk : textresgen::cli::kExitProblems;
}

}  // namespace

int RunL10n(const std::vector<std::string>& arguments, const TextSink& out, const TextSink& err) {
    Reporter reporter(err);
    try {
        const int status = Run(arguments, out, err, reporter);
        reporter.Flush();
        return status;
    } catch (...) {  // out of memory, standard output failed: what was found still shown
        reporter.Flush();
        throw;
    }
}

}  // namespace textresl10n
