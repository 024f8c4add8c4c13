#include "support/process.h"

#include "support/temp_dir.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;
#endif

#if defined(__SANITIZE_ADDRESS__)
#define TEXTRESGEN_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TEXTRESGEN_UNDER_ASAN 1
#endif
#endif

namespace textresgen::test {

#ifdef _WIN32

bool CanLimitResources() { return false; }

namespace {

HANDLE CreateCaptureFile(const std::filesystem::path& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(path.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::wstring Widen(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

// Quotes an argument for the command line the way the C runtime splits it.
std::wstring Quote(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

}  // namespace

RunResult RunProgram(const std::filesystem::path& program, const RunOptions& options) {
    RunResult result;
    if (options.stackLimit || options.addressSpaceLimit || options.fileSizeLimit || options.dropPrivileges ||
        !options.standardOutput.empty()) {
        result.setupError = "process limits are not supported on this platform";
        return result;
    }
    TempDir capture;
    HANDLE out = CreateCaptureFile(capture / "stdout");
    HANDLE err = CreateCaptureFile(capture / "stderr");
    if (out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE) {
        if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
        if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
        result.setupError = "cannot create the capture files";
        return result;
    }
    // The child inherits the environment; set the extra variables around
    // its start and restore them afterwards.
    std::vector<std::pair<std::wstring, std::wstring>> saved;
    for (const auto& [name, value] : options.environment) {
        const std::wstring wideName = Widen(name);
        wchar_t old[32767];
        const DWORD length = GetEnvironmentVariableW(wideName.c_str(), old, 32767);
        saved.emplace_back(wideName, length > 0 ? std::wstring(old, length) : std::wstring());
        SetEnvironmentVariableW(wideName.c_str(), Widen(value).c_str());
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = Quote(program.wstring());
    for (const std::string& argument : options.arguments) commandLine += L" " + Quote(Widen(argument));
    const std::wstring directory = options.workingDirectory.wstring();
    const BOOL created = CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, directory.empty() ? nullptr : directory.c_str(), &startup,
                                        &process);
    for (const auto& [name, value] : saved)
        SetEnvironmentVariableW(name.c_str(), value.empty() ? nullptr : value.c_str());
    CloseHandle(out);
    CloseHandle(err);
    if (!created) {
        result.setupError = "CreateProcess failed with error " + std::to_string(GetLastError());
        return result;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    result.started = true;
    // Exception codes (0xC0000000 and up) are crashes, not exit statuses.
    result.exited = status < 0xC0000000u;
    result.exitStatus = static_cast<int>(status);
    result.out = ReadFileBytes(capture / "stdout").value_or("");
    result.err = ReadFileBytes(capture / "stderr").value_or("");
    return result;
}

#else  // POSIX

bool CanLimitResources() { return true; }

namespace {

// In the child after fork: only async-signal-safe calls. On failure the
// step's name and errno go to the parent through `report`.
[[noreturn]] void FailInChild(int report, const char* step) {
    const int error = errno;
    (void)!::write(report, step, std::strlen(step));
    (void)!::write(report, ":", 1);
    (void)!::write(report, &error, sizeof error);
    ::_exit(127);
}

bool SetLimit(int resource, unsigned long long bytes) {
    if (bytes == 0) return true;
    struct rlimit limit {};
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    limit.rlim_max = static_cast<rlim_t>(bytes);
    return ::setrlimit(resource, &limit) == 0;
}

[[noreturn]] void RunChild(char* const* arguments, const RunOptions& options, const std::string& outPath,
                           const std::string& errPath, char* const* environment, int report) {
    const int in = ::open("/dev/null", O_RDONLY);
    const std::string& outFile = options.standardOutput.empty() ? outPath : options.standardOutput.native();
    const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0) FailInChild(report, "open capture");
    if (::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) FailInChild(report, "dup2");
    if (!options.workingDirectory.empty() && ::chdir(options.workingDirectory.c_str()) != 0)
        FailInChild(report, "chdir");
    if (!SetLimit(RLIMIT_STACK, options.stackLimit)) FailInChild(report, "setrlimit stack");
    if (!SetLimit(RLIMIT_AS, options.addressSpaceLimit)) FailInChild(report, "setrlimit address space");
    if (options.fileSizeLimit != 0) {
        // As a shell leaves it: the signal's default action ends a process
        // that writes past the limit, unless the program ignores the signal.
        ::signal(SIGXFSZ, SIG_DFL);
        if (!SetLimit(RLIMIT_FSIZE, options.fileSizeLimit)) FailInChild(report, "setrlimit file size");
    }
    if (options.dropPrivileges && ::geteuid() == 0) {
        const gid_t nobodyGroup = 65534;
        const uid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobodyGroup) != 0 || ::setuid(nobody) != 0)
            FailInChild(report, "setuid");
    }
    ::execve(arguments[0], arguments, environment);
    FailInChild(report, "execve");
}

}  // namespace

RunResult RunProgram(const std::filesystem::path& program, const RunOptions& options) {
    RunResult result;
    TempDir capture;
    const std::string outPath = (capture / "stdout").string();
    const std::string errPath = (capture / "stderr").string();

    // The environment is built before fork: the child may only make
    // async-signal-safe calls.
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        bool replaced = false;
        for (const auto& [name, value] : options.environment)
            replaced = replaced || variable.compare(0, name.size() + 1, name + "=") == 0;
        if (!replaced) variables.push_back(variable);
    }
    for (const auto& [name, value] : options.environment) variables.push_back(name + "=" + value);
    std::vector<char*> environment;
    for (std::string& variable : variables) environment.push_back(variable.data());
    environment.push_back(nullptr);

    int report[2];
    if (::pipe(report) != 0 || ::fcntl(report[0], F_SETFD, FD_CLOEXEC) != 0 ||
        ::fcntl(report[1], F_SETFD, FD_CLOEXEC) != 0) {
        result.setupError = "pipe failed";
        return result;
    }
    std::vector<std::string> argumentText{program.string()};
    argumentText.insert(argumentText.end(), options.arguments.begin(), options.arguments.end());
    std::vector<char*> arguments;
    for (std::string& argument : argumentText) arguments.push_back(argument.data());
    arguments.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        result.setupError = "fork failed";
        return result;
    }
    if (child == 0) {
        ::close(report[0]);
        RunChild(arguments.data(), options, outPath, errPath, environment.data(), report[1]);
    }
    ::close(report[1]);
    std::string failure;
    char buffer[256];
    for (ssize_t got; (got = ::read(report[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0) {
            if (errno == EINTR) continue;
            break;
        }
        failure.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(report[0]);

    int status = 0;
    if (options.signal == 0 && options.timeoutMs == 0) {
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    } else {
        // Polled, so that the signal and the time limit come when they are due.
        using Clock = std::chrono::steady_clock;
        const Clock::time_point start = Clock::now();
        bool signalled = options.signal == 0;
        for (;;) {
            const pid_t ended = ::waitpid(child, &status, WNOHANG);
            if (ended == child || (ended < 0 && errno != EINTR)) break;
            const auto ran = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
            if (!signalled && ran >= options.signalAfterMs) {
                ::kill(child, options.signal);
                signalled = true;
            }
            if (options.timeoutMs != 0 && !result.timedOut && ran >= options.timeoutMs) {
                ::kill(child, SIGKILL);
                result.timedOut = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    if (!failure.empty()) {
        const std::size_t colon = failure.find(':');
        int error = 0;
        if (colon != std::string::npos && failure.size() >= colon + 1 + sizeof error)
            std::memcpy(&error, failure.data() + colon + 1, sizeof error);
        result.setupError = failure.substr(0, colon) + " failed: " + std::strerror(error);
        return result;
    }
    result.started = true;
    result.exited = WIFEXITED(status);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    result.out = ReadFileBytes(outPath).value_or("");
    result.err = ReadFileBytes(errPath).value_or("");
    return result;
}

#endif

bool CanLimitAddressSpace(std::string& why) {
#ifdef TEXTRESGEN_UNDER_ASAN
    why = "the address sanitizer reserves more address space than the limit allows";
    return false;
#endif
    if (!CanLimitResources()) {
        why = "no address space limit on this platform";
        return false;
    }
    return true;
}

}  // namespace textresgen::test
