#include "layout/layout_stamp.h"

#include <memory>
#include <vector>

#include "cli/file_problem_words.h"
#include "cli/input_file.h"
#include "definition/definition_file.h"
#include "definition/definition_texts.h"
#include "layout/header_members.h"
#include "layout/messages_file.h"
#include "text/file_problem.h"
#include "text/platform_file.h"

namespace textresgen {

void LayoutHash::Add(const unsigned char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        value_ ^= bytes[i];
        value_ *= 0x100000001b3u;
    }
}

std::string LayoutFingerprint(std::uint64_t hash) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text = kLayoutFingerprintPrefix;
    for (int shift = 60; shift >= 0; shift -= 4) text += kDigits[(hash >> shift) & 0xf];
    return text;
}

std::string LayoutHeaderText(const std::string& fingerprint, bool withMessages) {
    return "// Written by textresgen-layout from textresouce.h: the fingerprint of its\n"
           "// layout, which textresgen::Catalog<TextResource> checks in every language library.\n"
           "#pragma once\n"
           "#include \"textresouce.h\"\n"
           "namespace textresgen {\n"
           "template <class Texts> struct LayoutOf;\n"
           "template <> struct LayoutOf<::TextResource> {\n"
           "    static constexpr const char* kFingerprint = \"" +
           fingerprint +
           "\";\n"
           "};\n"
           "}  // namespace textresgen\n" +
           // Code that reads only the fingerprint may be built without the
           // run-time library's headers, which the messages need.
           (withMessages ? "#if __has_include(<textresgen/messages.h>)\n"
                           "#include \"textresouce_messages.h\"\n"
                           "#endif\n"
                         : "");
}

std::string LayoutSourceText(const std::string& fingerprint) {
    return "// Written by textresgen-layout from textresouce.h: stamps this language library with its layout.\n"
           "extern \"C\" __declspec(dllexport) const char* TextResGenLayout(void) { return \"" +
           fingerprint + "\"; }\n";
}

std::optional<std::string> ReadLayoutFingerprint(ByteSource& header, std::string& error) {
    LayoutHash hash;
    std::vector<unsigned char> buffer(1 << 16);
    std::uint64_t size = 0;
    unsigned char mark[2] = {};
    for (;;) {
        std::size_t count = 0;
        const ByteSource::Status status = header.Read(buffer.data(), buffer.size(), count);
        if (status == ByteSource::Status::Error) {
            error = "cannot be read: it is a folder, or reading it failed";
            return std::nullopt;
        }
        if (status == ByteSource::Status::End) break;
        for (std::size_t i = 0; i < count && size + i < 2; ++i) mark[size + i] = buffer[i];
        if (size + count >= 2 && (mark[0] != 0xFF || mark[1] != 0xFE)) break;  // refused below
        if (count > kMaxLayoutHeaderBytes - size) {
            error = "is larger than " + std::to_string(kMaxLayoutHeaderBytes >> 20) +
                    " MiB, more than any generated header";
            return std::nullopt;
        }
        size += count;
        hash.Add(buffer.data(), count);
    }
    if (size < 2 || mark[0] != 0xFF || mark[1] != 0xFE) {
        error = "does not start with the UTF-16LE mark FF FE: it is not a textresouce.h written by textresgen";
        return std::nullopt;
    }
    if (size % 2 != 0) {
        error = "ends in the middle of a UTF-16 unit: it is not a whole textresouce.h";
        return std::nullopt;
    }
    return LayoutFingerprint(hash.Value());
}

namespace {

std::string InFolder(const std::string& folder, const char* name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    if (last == '/' || last == '\\') return folder + name;
    return folder + "/" + name;
}

// Replaced whole through the one replacing sink, as every output of every
// program: a link's target is replaced, its mode kept, a file another program
// holds refused, and no temporary file left behind on failure. False with
// why in `problem`, taken before the sink lets the old file go.
bool WriteReplacing(const std::string& path, const std::string& text, FileProblem& problem) {
    const std::unique_ptr<ByteSink> sink = CreateReplacingFileSink(path.c_str());
    if (!sink) {
        problem = LastFileProblem();
        return false;
    }
    if (!sink->Write(reinterpret_cast<const unsigned char*>(text.data()), text.size()) || !sink->Close() ||
        !sink->Commit()) {
        problem = LastFileProblem();
        sink->Discard();
        return false;
    }
    return true;
}

// The text of kMessagesHeaderName, from the header and the base's definition file.
std::optional<LayoutFailure> MessagesText(const std::string& header, const std::string& definition, std::string& text) {
    std::string problem;
    auto source = cli::OpenInput(header, problem, kMaxLayoutHeaderBytes);
    if (!source) return LayoutFailure{header, std::move(problem)};
    std::string error;
    const std::optional<HeaderGroup> top = ReadHeaderMembers(std::move(source), error);
    if (!top) return LayoutFailure{header, error};

    if (NamesDevice(definition))
        return LayoutFailure{definition, "names a device of Windows (CON, PRN, AUX, NUL, COM1-9, LPT1-9), not a file"};
    DefinitionFileReader reader;
    DefinitionTexts texts;
    auto input = cli::OpenInput(definition, problem);
    if (!input) return LayoutFailure{definition, std::move(problem)};
    if (!reader.Open(std::move(input)) || !ReadDefinitionTexts(reader, texts))
        return LayoutFailure{definition, reader.Problem()};
    std::optional<std::string> made = MessagesHeaderText(*top, texts, error);
    if (!made) return LayoutFailure{definition, error};
    text = std::move(*made);
    return std::nullopt;
}

}  // namespace

std::optional<LayoutFailure> WriteLayoutFiles(const std::string& header, const std::string& folder,
                                              const std::string& definition) {
    if (NamesDevice(header))
        return LayoutFailure{header, "names a device of Windows (CON, PRN, AUX, NUL, COM1-9, LPT1-9), not a file"};
    std::string problem;
    auto source = cli::OpenInput(header, problem, kMaxLayoutHeaderBytes);
    if (!source) return LayoutFailure{header, std::move(problem)};
    std::string error;
    const std::optional<std::string> fingerprint = ReadLayoutFingerprint(*source, error);
    source.reset();
    if (!fingerprint) return LayoutFailure{header, error};

    std::string messages;
    if (!definition.empty())
        if (auto failure = MessagesText(header, definition, messages)) return failure;

    const std::pair<const char*, std::string> files[] = {
        {kMessagesHeaderName, std::move(messages)},
        {kLayoutHeaderName, LayoutHeaderText(*fingerprint, !definition.empty())},
        {kLayoutSourceName, LayoutSourceText(*fingerprint)},
    };
    for (const auto& [name, text] : files) {
        if (name == kMessagesHeaderName && definition.empty()) continue;
        const std::string path = InFolder(folder, name);
        FileProblem problem = FileProblem::Other;
        if (WriteReplacing(path, text, problem)) continue;
        if (problem == FileProblem::InUse || (problem == FileProblem::Other && FileInUse(path.c_str())))
            return LayoutFailure{path, "cannot be written: another program has it open and does not share it"};
        if (problem == FileProblem::DiskFull || problem == FileProblem::IoError || problem == FileProblem::Occupied)
            return LayoutFailure{path, cli::CannotReplace(problem)};
        return LayoutFailure{path, "cannot be written (is OUTPUT_FOLDER an existing, writable folder?)"};
    }
    return std::nullopt;
}

}  // namespace textresgen
