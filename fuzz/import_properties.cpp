#include "fuzz/import_properties.h"

#include "check/file_check.h"
#include "fuzz/pipeline_properties.h"
#include "l10n/operations.h"

namespace textresl10n::properties {

std::string CheckImport(std::string_view input) {
    if (input.empty()) return "";
    const ExchangeFormat& format = *FormatOfPath((static_cast<unsigned char>(input[0]) & 1u) == 0 ? "in.po" : "in.xlf");
    const ImportResult result = ImportExchange(input.substr(1), format);
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
    return "";
}

}  // namespace textresl10n::properties
