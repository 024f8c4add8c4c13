#pragma once

#include <string>
#include <string_view>

// What textresl10n's import must do with any bytes, shared by the import
// fuzz target and the replay of its corpus. The first byte picks the format
// (even: PO, odd: XLIFF), the rest is the file.
namespace textresl10n::properties {

// Empty when the import either reports at least one error and produces
// nothing, or produces a definition file that textrescheck accepts without
// an error, that keeps every property of the generator's pipeline, and that
// defines exactly one member per unit (no text became a second line or a
// second member); otherwise the first violation. Each input is imported
// twice: on its own, and against a fixed base, where the definition must
// also hold exactly the base's members, each taking its base text's
// arguments, and a text marked not to translate as the base has it.
std::string CheckImport(std::string_view input);

}  // namespace textresl10n::properties
