#pragma once

#include <string>
#include <vector>

#include "cli/diagnostic.h"

// textresgen-plurals: every plural message of a definition file completed
// to the six plural categories of CLDR, so that every language's file gives
// the generated structure the same members whichever forms its language
// uses.
namespace textresgen {

// Why completing failed, or a warning: the file, the line (0: the file as a
// whole) and the message (UTF-8; names from the file already made printable).
using CompletionFailure = cli::Diagnostic;

// Reads the definition file `input` as the generator does and writes
// `output`, replaced whole or not at all. Each category a plural message
// (definition/plural_message.h) lacks is added as a line "Group.name="
// with the text of the group's `other`, right after the line of the group's
// last member, in the file's encoding and that line's line end. Without
// anything to add `output` is a byte-for-byte copy of `input`. A group of
// category names without `other` is no plural message: it is copied as it
// is, with a warning at its first line in `warnings` (a file written before
// plural messages may hold `Numbers.one`, `Numbers.two`).
// Returns the failures; none when `output` was written.
std::vector<CompletionFailure> CompletePluralGroups(const std::string& input, const std::string& output,
                                                    std::vector<CompletionFailure>& warnings);

}  // namespace textresgen
