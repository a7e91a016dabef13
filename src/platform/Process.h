#pragma once
/// Child programs with pipes: standard input on one pipe, standard output and
/// standard error joined on another, no console window. Arguments travel as a
/// list, never through a shell, so paths with blanks need no care from the
/// caller (on Windows the list is quoted into one command line).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace orvelle::platform {

class ChildProcess {
public:
    enum class ReadStatus {
        Data,        ///< some output was appended
        Timeout,     ///< nothing arrived within the timeout
        EndOfOutput, ///< the child closed its output (it has ended or is ending)
        Failed,      ///< the pipe could not be read
    };

    ChildProcess() = default;
    /// A child still running is terminated and waited for.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    /// Before start(): the child's standard error goes to the file `path`
    /// (created, or emptied when it exists) instead of joining its standard
    /// output, for callers that must tell the two apart.
    void setErrorFile(const std::filesystem::path& path) { m_errorFile = path; }

    /// Starts `program` with `arguments` (not including the program itself).
    /// False with `ec` set when the pipes cannot be made or the program cannot
    /// be started (missing, not executable), or the error file cannot be made.
    bool start(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               std::error_code& ec);

    /// Writes all of `data` to the child's standard input. False when the
    /// child has closed it (e.g. it has already ended).
    bool writeInput(std::string_view data);
    /// Closes the child's standard input (the child sees end of input).
    void closeInput();

    /// Waits up to `timeoutMs` for output and appends up to `maxBytes` of it to `chunk`.
    ReadStatus readOutput(std::string& chunk, std::size_t maxBytes, int timeoutMs);

    /// True while the child has not ended (does not block).
    bool running();
    /// Waits for the child to end; its exit code, or 128 + signal number when
    /// a signal ended it, or -1 when there is no child. On Windows a child
    /// that was asked to end and has not after a grace period is ended
    /// forcibly here, with 128 + 15 as if SIGTERM had ended it.
    int wait();
    /// Asks the child to end (it may clean up first). Does not block: SIGTERM
    /// on POSIX systems; on Windows the stop event that the child's
    /// catchInterrupts() watches (see Signals.h).
    void terminate();

private:
    void closeOutput();

    // The system's handles: a process id and file descriptors on POSIX
    // systems, HANDLEs on Windows; -1 when absent.
    std::intptr_t m_process = -1;
    std::intptr_t m_input = -1;
    std::intptr_t m_output = -1;
#ifdef _WIN32
    std::intptr_t m_stopEvent = -1; ///< set by terminate(): the child's catchInterrupts() watches it
    std::uint64_t m_forceEndAt = 0; ///< GetTickCount64() when a child asked to end is ended; 0 until asked
#endif
    bool m_ended = false;
    int m_exitCode = -1;
    std::filesystem::path m_errorFile; ///< empty: standard error joins standard output
};

/// One argument quoted for a Windows command line, so that the program's
/// argument parser gives back exactly `argument` (blanks, quotes, trailing
/// backslashes included).
std::string quoteWindowsArgument(std::string_view argument);

} // namespace orvelle::platform
