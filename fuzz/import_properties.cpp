#include "fuzz/import_properties.h"

#include "check/file_check.h"
#include "codec/literal_body.h"
#include "fuzz/pipeline_properties.h"
#include "l10n/base_comparison.h"
#include "l10n/import.h"
#include "runtime/plural_rules.h"

namespace textresl10n::properties {
namespace {

// The base every input is also imported against: texts with printf
// directives and {n}, names the corpus's files use and names they lack, a
// text not to translate.
constexpr std::string_view kBase =
    "\xEF\xBB\xBF# A developer note\n"
    "A.Text=Hello\n"
    "Size=%s of %lu\n"
    "Status.Position=Line {0}, column {1}\n"
    "Status.Count=%d of %d files\\tdone\\n\n"
    "Greeting=Hello, %s!\n"
    "Menu.Open=Open\n"
    "# textresl10n: do not translate\n"
    "Product=TextResGen\n"
    "Empty=\n"
    "Files.Deleted.one=%d file deleted\n"
    "Files.Deleted.other=%d files deleted\n";

const BaseFile& Base() {
    static const BaseFile base = [] {
        BaseFile read;
        ExchangeProblem problem;
        if (!ReadBaseBytes(kBase, read, problem)) read.units.clear();
        return read;
    }();
    return base;
}

std::string CheckOneImport(std::string_view file, const ExchangeFormat& format, const BaseFile* base) {
    const ImportResult result = ImportExchange(file, format, base);
    if (!result.ok) {
        if (result.errors.empty()) return "the import failed without an error";
        if (!result.definition.empty()) return "the import failed but produced a definition";
        for (const ExchangeProblem& error : result.errors)
            if (error.message.empty()) return "an error without a message";
        return "";
    }
    if (!result.errors.empty()) return "the import succeeded with errors";
    const textrescheck::FileCheck check = textrescheck::CheckDefinitionBytes(result.definition);
    if (check.errors != 0) {
        return "textrescheck finds " + std::to_string(check.errors) + " errors in the imported definition: " +
               (check.findings.empty() ? std::string() : check.findings.front().message);
    }
    const std::string pipeline = textresgen::properties::CheckPipeline(result.definition);
    if (!pipeline.empty()) return "the generator's pipeline: " + pipeline;
    const auto defined = textresgen::properties::ExpectedDefinitions(result.definition);
    if (!defined) return "the imported definition is not a plain definition file";
    if (defined->size() != result.units)
        return std::to_string(result.units) + " units became " + std::to_string(defined->size()) + " definitions";
    if (!base) return "";
    // Exactly the base's members, each taking the base text's arguments; a
    // plural message's members are categories, `other` among them, each
    // taking the arguments of the base's plural (`one` may leave out the
    // count).
    std::size_t members = 0;
    const auto text = [&](std::string_view key, textresgen::LiteralValues& values) {
        textresgen::LiteralValues name;
        std::size_t bad = 0;
        textresgen::Utf8ToValues(key, name, bad);
        const auto found = defined->find(textresgen::ValuesToUnits(name));
        textresgen::LiteralProblem problem;
        return found != defined->end() && textresgen::DecodeLiteralBody(found->second, values, problem);
    };
    const auto decoded = [](std::string_view utf8) {
        textresgen::LiteralValues values;
        std::size_t bad = 0;
        textresgen::Utf8ToValues(utf8, values, bad);
        return values;
    };
    for (const BaseUnit& unit : base->units) {
        textresgen::LiteralValues values;
        const std::string key(unit.Key());
        if (unit.Plural()) {
            for (const std::string_view category : textresgen::plural::kCategoryNames) {
                const std::string member = key + "." + std::string(category);
                if (!text(member, values)) {
                    if (category == "other") return "the plural member '" + member + "' is missing";
                    continue;
                }
                ++members;
                // Which forms take a single count depends on the file's
                // language: any may, as far as this property can tell.
                const std::vector<std::string> mismatches =
                        PluralFormMismatches(decoded(unit.SourcePlural()), values, /*singleCount=*/true);
                if (!mismatches.empty()) return "'" + member + "' reached the definition with " + mismatches.front();
            }
            continue;
        }
        ++members;
        if (!text(key, values)) return "the base member '" + key + "' is missing or no literal body";
        const textresgen::LiteralValues source = decoded(unit.Source());
        const std::vector<std::string> mismatches = PlaceholderMismatches(source, values);
        if (!mismatches.empty()) return "'" + key + "' reached the definition with " + mismatches.front();
        if (!unit.Translate() && values != source) return "'" + key + "', not to translate, was changed";
    }
    if (defined->size() != members)
        return std::to_string(members) + " base members became " + std::to_string(defined->size());
    return "";
}

}  // namespace

std::string CheckImport(std::string_view input) {
    if (input.empty()) return "";
    if (Base().units.empty()) return "the fuzzing base cannot be read";
    const ExchangeFormat& format = *FormatOfPath((static_cast<unsigned char>(input[0]) & 1u) == 0 ? "in.po" : "in.xlf");
    std::string failure = CheckOneImport(input.substr(1), format, nullptr);
    if (failure.empty()) {
        failure = CheckOneImport(input.substr(1), format, &Base());
        if (!failure.empty()) failure = "with a base: " + failure;
    }
    return failure;
}

}  // namespace textresl10n::properties
