// Every program that writes a file replaces it through the one replacing
// sink (text/platform_file.h: CreateReplacingFileSink), run as the real
// programs: an output that is a symbolic link has the link's target replaced
// and keeps the target's mode; a file another program holds, a read-only
// file (for root too) and another file at the temporary name are refused; a
// failure leaves every output as it was and no temporary file behind, and
// says what happened. Every program's input is a regular file, or refused
// at once (a FIFO, a device, a folder).
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/fault_injection.h"
#include "support/file_lock.h"
#include "support/program_folder.h"
#include "support/temp_dir.h"
#include "support/utf16_bytes.h"

namespace textresgen::test {
namespace {

namespace fs = std::filesystem;

struct InputFile {
    const char* name;
    std::string bytes;
};

struct OutputFile {
    const char* name;
    std::string part;  // a part of what the program writes there
};

struct WritingProgram {
    const char* name;
    fs::path path;
    std::vector<std::string> arguments;
    std::vector<InputFile> inputs;
    std::vector<OutputFile> outputs;  // in the order the program writes them
};

void PrintTo(const WritingProgram& program, std::ostream* os) { *os << program.name; }

std::vector<WritingProgram> WritingPrograms() {
    const std::string definition = Utf8WithMark("A=Hello\n");
    return {
        {"textresgen", ProgramPath(), {},
         {{kDefinition, Utf16LeWithMark(u"A=Hello\r\n")}},
         {{kSource, Utf16Le(u"Hello")}, {kHeader, Utf16Le(u"S A;")}}},
        {"textresgen_utf8", TEXTRESGEN_UTF8_EXE, {"in.h", "out.h"},
         {{"in.h", Utf16LeWithMark(u"A")}},
         {{"out.h", "\xEF\xBB\xBF" "A"}}},
        {"textresgen_layout", TEXTRESGEN_LAYOUT_EXE, {kHeader, "."},
         {{kHeader, Utf16LeWithMark(u"struct TextResource {\r\n")}},
         {{"textresouce_layout.h", "kFingerprint = \"textresgen-layout-1:"},
          {"textresouce_layout.cpp", "return \"textresgen-layout-1:"}}},
        {"textresgen_plurals", TEXTRESGEN_PLURALS_EXE, {"in.txt", "out.txt"},
         {{"in.txt", Utf8WithMark("N.one=a\nN.other=b\n")}},
         {{"out.txt", "N.two=b\n"}}},
        {"textresl10n_export", TEXTRESL10N_EXE, {"export", "--base", "en.txt", "--lang", "de", "-o", "de.po"},
         {{"en.txt", definition}},
         {{"de.po", "msgctxt \"A\"\nmsgid \"Hello\"\n"}}},
        {"textresl10n_import", TEXTRESL10N_EXE, {"import", "de.po", "-o", "de.txt"},
         {{"de.po", "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                    "msgctxt \"A\"\nmsgid \"Hello\"\nmsgstr \"Hallo\"\n"}},
         {{"de.txt", Utf16Le(u"A=Hallo")}}},
    };
}

// How a run goes: it writes; the first output's file is held by another
// program; it is read-only; another file is hard-linked at its temporary
// name; (Linux) closing its temporary file fails, as a delayed write error
// would, once the bytes are in it; writing it finds the disk full.
enum class Attempt { Writes, FirstOutputHeld, FirstReadOnly, TemporaryNameTaken, FirstCloseFails, DiskFull };
const char* const kAttemptNames[] = {"writes",           "first output held",  "first read-only",
                                     "temporary name taken", "first close fails", "disk full"};
// What a failed run says, after the file's name (not the generator, whose
// only message is ERR!).
const char* const kAttemptWords[] = {"", "another program has it open", "", "temporary name", "",
                                     "cannot be written: the disk is full"};
const std::string kVictim = "another file's bytes\n";

const std::string kOld = "old bytes\n";
// The outputs' mode, 0640: not the mode a new file gets, so a lost mode shows.
[[maybe_unused]] constexpr fs::perms kMode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;

// Every entry under the folder with its kind: a temporary file left behind,
// a link replaced by a file or a new file shows here.
std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        entries.push_back(entry.path().lexically_relative(folder).generic_string() +
                          (entry.is_symlink() ? " (link)" : entry.is_directory() ? " (folder)" : ""));
    std::sort(entries.begin(), entries.end());
    return entries;
}

// Where an output's bytes go: a file of mode 0640 in another folder, the
// output a link to it; on Windows, whose links need rights a test may not
// have, the output itself.
fs::path Destination(const TempDir& dir, const OutputFile& output) {
#ifdef _WIN32
    return dir / output.name;
#else
    return dir / "targets" / output.name;
#endif
}

class ReplacedOutputs : public ::testing::TestWithParam<WritingProgram> {};

#ifndef _WIN32
enum class StandIn { Fifo, Zero, Folder };

void RunInputRows(const WritingProgram& program) {
    for (const InputFile& input : program.inputs) {
        for (const StandIn standIn : {StandIn::Fifo, StandIn::Zero, StandIn::Folder}) {
            SCOPED_TRACE(std::string(input.name) + (standIn == StandIn::Fifo   ? " FIFO"
                                                    : standIn == StandIn::Zero ? " /dev/zero"
                                                                               : " folder"));
            TempDir dir;
            for (const InputFile& other : program.inputs)
                if (other.name != input.name) {
                    ASSERT_TRUE(WriteFileBytes(dir / other.name, other.bytes));
                }
            const fs::path path = dir / input.name;
            if (standIn == StandIn::Fifo) {
                ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
            }
            if (standIn == StandIn::Zero) fs::create_symlink("/dev/zero", path);
            if (standIn == StandIn::Folder) fs::create_directory(path);
            RunOptions options;
            options.arguments = program.arguments;
            options.workingDirectory = dir.Path();
            options.timeoutMs = 10000;
            const RunResult result = RunProgram(program.path, options);
            ASSERT_TRUE(result.exited) << result.setupError << (result.timedOut ? "timed out" : "");
            EXPECT_NE(result.exitStatus, 0);
            const std::string said = result.out + result.err;  // textrescheck reports on standard output
            EXPECT_NE(said.find(std::string(input.name) + ": error: is not a regular file"), std::string::npos) << said;
            for (const OutputFile& output : program.outputs) EXPECT_FALSE(fs::exists(dir / output.name));
        }
    }
}
#endif

TEST_P(ReplacedOutputs, ThroughALinkWholeOrNotAtAll) {
    const WritingProgram& program = GetParam();
    std::vector<Attempt> attempts = {Attempt::Writes, Attempt::FirstOutputHeld, Attempt::FirstReadOnly};
#ifndef _WIN32
    attempts.push_back(Attempt::TemporaryNameTaken);
#endif
#ifdef TEXTRESGEN_FAULT_SHIM
    attempts.push_back(Attempt::FirstCloseFails);
    attempts.push_back(Attempt::DiskFull);
#endif
    for (const Attempt attempt : attempts) {
        SCOPED_TRACE(kAttemptNames[static_cast<int>(attempt)]);
        TempDir dir;
        for (const InputFile& input : program.inputs) ASSERT_TRUE(WriteFileBytes(dir / input.name, input.bytes));
        fs::create_directory(dir / "targets");
        for (const OutputFile& output : program.outputs) {
            ASSERT_TRUE(WriteFileBytes(Destination(dir, output), kOld));
#ifndef _WIN32
            fs::permissions(Destination(dir, output), kMode);
            fs::create_symlink(fs::path("targets") / output.name, dir / output.name);
#endif
        }
        const fs::path first = Destination(dir, program.outputs.front());
        fs::perms firstMode = kMode;
        if (attempt == Attempt::FirstReadOnly) {
            firstMode = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
            fs::permissions(first, firstMode);
        }
        const fs::path victim = dir / "victim";
        if (attempt == Attempt::TemporaryNameTaken) {
            ASSERT_TRUE(WriteFileBytes(victim, kVictim));
            fs::create_hard_link(victim, first.string() + ".textresgen-tmp");
        }
        const std::vector<std::string> before = Listing(dir.Path());

        RunOptions options;
        options.arguments = program.arguments;
        options.workingDirectory = dir.Path();
#ifdef TEXTRESGEN_FAULT_SHIM
        if (attempt == Attempt::FirstCloseFails)
            options.environment = FaultInjection({{"TEXTRESGEN_FAIL_CLOSE", program.outputs.front().name}});
        if (attempt == Attempt::DiskFull)
            options.environment = FaultInjection({{"TEXTRESGEN_FAIL_WRITE", program.outputs.front().name}});
#endif
        std::optional<ExclusiveHold> hold;
        if (attempt == Attempt::FirstOutputHeld) {
            hold.emplace(dir / program.outputs.front().name);
            ASSERT_TRUE(hold->Held());
        }
        const RunResult result = RunProgram(program.path, options);
        hold.reset();
        ASSERT_TRUE(result.exited) << result.setupError;
        // The generator reports a file problem as "ERR!" with status 0.
        const bool failed = result.exitStatus != 0 || result.out.find("ERR!") != std::string::npos;
        EXPECT_EQ(failed, attempt != Attempt::Writes) << result.out << result.err;
        const std::string words = kAttemptWords[static_cast<int>(attempt)];
        if (program.path != ProgramPath()) {
            EXPECT_NE(result.err.find(words), std::string::npos) << result.err;
        }
        if (attempt == Attempt::TemporaryNameTaken) {
            EXPECT_EQ(ReadFileBytes(victim), kVictim);
        }

        EXPECT_EQ(Listing(dir.Path()), before);
        for (const OutputFile& output : program.outputs) {
            SCOPED_TRACE(output.name);
#ifndef _WIN32
            EXPECT_TRUE(fs::is_symlink(dir / output.name));
            EXPECT_EQ(fs::status(Destination(dir, output)).permissions() & fs::perms::all,
                      Destination(dir, output) == first ? firstMode : kMode);
#endif
            const std::optional<std::string> bytes = ReadFileBytes(Destination(dir, output));
            ASSERT_TRUE(bytes.has_value());
            if (attempt == Attempt::Writes)
                EXPECT_NE(bytes->find(output.part), std::string::npos) << *bytes;
            else
                EXPECT_EQ(*bytes, kOld);
        }
    }
}

#ifndef _WIN32
// Each program's inputs in turn replaced by a FIFO (nobody writes it), a
// link to /dev/zero (endless) and a folder: the program ends at once with
// an error naming it. The timeout turns a hang into a failure.
TEST_P(ReplacedOutputs, InputsThatAreNoRegularFileAreRefusedAtOnce) {
    WritingProgram program = GetParam();
    if (program.path == ProgramPath()) return;  // the generator's own rows: Program/StandIn
    if (std::string(program.name) == "textresl10n_export") {  // and the programs that only read, or update
        RunInputRows({"textrescheck", TEXTRESCHECK_EXE, {"en.txt"}, program.inputs, {}});
        WritingProgram update = {"textresl10n_update", TEXTRESL10N_EXE, {"update", "--base", "en.txt", "de.po"},
                                 program.inputs, {}};
        update.inputs.push_back({"de.po", "msgid \"\"\nmsgstr \"\"\n"});
        RunInputRows(update);
    }
    RunInputRows(program);
}
#endif

INSTANTIATE_TEST_SUITE_P(Programs, ReplacedOutputs, ::testing::ValuesIn(WritingPrograms()),
                         [](const ::testing::TestParamInfo<WritingProgram>& info) { return info.param.name; });

}  // namespace
}  // namespace textresgen::test
