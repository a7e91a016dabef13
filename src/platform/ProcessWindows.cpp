#ifdef _WIN32

#include "platform/Process.h"

#include "platform/PathText.h"
#include "platform/WindowsInternal.h"

#include <windows.h>

#include <vector>

namespace orvelle::platform {

namespace {

HANDLE handleOf(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }
std::intptr_t valueOf(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

void closeHandle(std::intptr_t& handle) {
    if (handle != -1) ::CloseHandle(handleOf(handle));
    handle = -1;
}

void closeHandle(HANDLE& handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
    handle = nullptr;
}

// How long a child asked to end may take to clean up before it is ended.
constexpr ULONGLONG kStopGraceMs = 10000;
// The exit code of a child ended forcibly: as if SIGTERM had ended it.
constexpr UINT kForcedExitCode = 128 + 15;
// The longest pause between two looks at an empty pipe.
constexpr DWORD kMaxPollPauseMs = 10;

// The attribute list that hands exactly `handles` to the child, so that pipe
// ends of other children started at the same time are never inherited (a
// stray copy of a write end would keep a pipe from ever reporting its end).
class InheritedHandles {
public:
    explicit InheritedHandles(std::vector<HANDLE> handles) : m_handles(std::move(handles)) {
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        if (size == 0) return;
        m_storage.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_storage.data());
        if (!::InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        m_list = list;
        if (!::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, m_handles.data(),
                                         m_handles.size() * sizeof(HANDLE), nullptr, nullptr)) {
            ::DeleteProcThreadAttributeList(m_list);
            m_list = nullptr;
        }
    }
    ~InheritedHandles() {
        if (m_list) ::DeleteProcThreadAttributeList(m_list);
    }
    InheritedHandles(const InheritedHandles&) = delete;
    InheritedHandles& operator=(const InheritedHandles&) = delete;

    /// The list, or null when the system could not make it (then every
    /// inheritable handle goes to the child).
    LPPROC_THREAD_ATTRIBUTE_LIST list() const { return m_list; }

private:
    std::vector<HANDLE> m_handles;
    std::vector<unsigned char> m_storage;
    LPPROC_THREAD_ATTRIBUTE_LIST m_list = nullptr;
};

} // namespace

ChildProcess::~ChildProcess() {
    closeInput();
    if (m_process != -1 && running()) terminate();
    if (m_process != -1) wait();
    closeOutput();
    closeHandle(m_stopEvent);
    closeHandle(m_process);
}

bool ChildProcess::start(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         std::error_code& ec) {
    if (m_process != -1) {
        ec = std::make_error_code(std::errc::device_or_resource_busy);
        return false;
    }
    // The child's ends are inheritable, ours are not.
    SECURITY_ATTRIBUTES inheritable{};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    HANDLE inputRead = nullptr, inputWrite = nullptr, outputRead = nullptr, outputWrite = nullptr;
    HANDLE errorFile = nullptr; // the error file, when one is asked for
    const auto closeAll = [&] {
        for (HANDLE* handle : {&inputRead, &inputWrite, &outputRead, &outputWrite, &errorFile})
            closeHandle(*handle);
    };
    if (!::CreatePipe(&inputRead, &inputWrite, &inheritable, 0) ||
        !::CreatePipe(&outputRead, &outputWrite, &inheritable, 0) ||
        !::SetHandleInformation(inputWrite, HANDLE_FLAG_INHERIT, 0) ||
        !::SetHandleInformation(outputRead, HANDLE_FLAG_INHERIT, 0)) {
        ec = windows::lastError();
        closeAll();
        return false;
    }
    if (!m_errorFile.empty()) {
        errorFile = ::CreateFileW(windows::longPath(m_errorFile).c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inheritable, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (errorFile == INVALID_HANDLE_VALUE) {
            errorFile = nullptr;
            ec = windows::lastError();
            closeAll();
            return false;
        }
    }

    // One command line, quoted so that the child's parser gives back the list.
    std::string commandLine = quoteWindowsArgument(pathText(program));
    for (const std::string& argument : arguments) {
        commandLine += ' ';
        commandLine += quoteWindowsArgument(argument);
    }
    std::wstring wideCommandLine = windows::widen(commandLine);
    const std::wstring programName = std::filesystem::path(program).make_preferred().wstring();

    InheritedHandles inherited(errorFile ? std::vector<HANDLE>{inputRead, outputWrite, errorFile}
                                         : std::vector<HANDLE>{inputRead, outputWrite});
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = inherited.list() ? sizeof startup : sizeof startup.StartupInfo;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = inputRead;
    startup.StartupInfo.hStdOutput = outputWrite;
    startup.StartupInfo.hStdError = errorFile ? errorFile : outputWrite;
    startup.lpAttributeList = inherited.list();
    // Suspended until the stop event exists, so that the child always finds it.
    DWORD flags = CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED;
    if (inherited.list()) flags |= EXTENDED_STARTUPINFO_PRESENT;
    PROCESS_INFORMATION created{};
    if (!::CreateProcessW(programName.c_str(), wideCommandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                          nullptr, &startup.StartupInfo, &created)) {
        ec = windows::lastError();
        closeAll();
        return false;
    }
    const HANDLE stopEvent =
        ::CreateEventW(nullptr, TRUE, FALSE, windows::stopEventName(created.dwProcessId).c_str());
    ::ResumeThread(created.hThread);
    ::CloseHandle(created.hThread);
    closeHandle(inputRead);
    closeHandle(outputWrite);
    closeHandle(errorFile);

    m_process = valueOf(created.hProcess);
    m_input = valueOf(inputWrite);
    m_output = valueOf(outputRead);
    m_stopEvent = stopEvent ? valueOf(stopEvent) : -1;
    m_forceEndAt = 0;
    m_ended = false;
    m_exitCode = -1;
    ec.clear();
    return true;
}

bool ChildProcess::writeInput(std::string_view data) {
    if (m_input == -1) return false;
    while (!data.empty()) {
        const DWORD want = data.size() > (1u << 20) ? (1u << 20) : static_cast<DWORD>(data.size());
        DWORD written = 0;
        // A child that has closed its input makes this fail (no signal to hold back).
        if (!::WriteFile(handleOf(m_input), data.data(), want, &written, nullptr) || written == 0) return false;
        data.remove_prefix(written);
    }
    return true;
}

void ChildProcess::closeInput() {
    closeHandle(m_input);
}

void ChildProcess::closeOutput() {
    closeHandle(m_output);
}

ChildProcess::ReadStatus ChildProcess::readOutput(std::string& chunk, std::size_t maxBytes, int timeoutMs) {
    if (m_output == -1) return ReadStatus::EndOfOutput;
    // An anonymous pipe cannot be waited on: look, and pause briefly while it is empty.
    const ULONGLONG start = ::GetTickCount64();
    DWORD pause = 1;
    for (;;) {
        DWORD available = 0;
        if (!::PeekNamedPipe(handleOf(m_output), nullptr, 0, nullptr, &available, nullptr)) {
            // Every write end is closed: the child has ended or is ending.
            if (::GetLastError() != ERROR_BROKEN_PIPE) return ReadStatus::Failed;
            closeOutput();
            return ReadStatus::EndOfOutput;
        }
        if (available > 0 && maxBytes > 0) {
            const std::size_t want = available < maxBytes ? available : maxBytes;
            const std::size_t at = chunk.size();
            chunk.resize(at + want);
            DWORD got = 0;
            const bool ok = ::ReadFile(handleOf(m_output), chunk.data() + at, static_cast<DWORD>(want), &got, nullptr);
            chunk.resize(at + got);
            if (!ok) {
                if (::GetLastError() != ERROR_BROKEN_PIPE) return ReadStatus::Failed;
                closeOutput();
                return got > 0 ? ReadStatus::Data : ReadStatus::EndOfOutput;
            }
            return ReadStatus::Data;
        }
        const ULONGLONG waited = ::GetTickCount64() - start;
        if (timeoutMs >= 0 && waited >= static_cast<ULONGLONG>(timeoutMs)) return ReadStatus::Timeout;
        DWORD sleep = pause;
        if (timeoutMs >= 0 && static_cast<ULONGLONG>(timeoutMs) - waited < sleep)
            sleep = static_cast<DWORD>(static_cast<ULONGLONG>(timeoutMs) - waited);
        ::Sleep(sleep);
        if (pause < kMaxPollPauseMs) pause *= 2;
        if (pause > kMaxPollPauseMs) pause = kMaxPollPauseMs;
    }
}

bool ChildProcess::running() {
    if (m_process == -1 || m_ended) return false;
    if (::WaitForSingleObject(handleOf(m_process), 0) == WAIT_TIMEOUT) {
        if (m_forceEndAt == 0 || ::GetTickCount64() < m_forceEndAt) return true;
        // Asked to end, and the grace period is over.
        ::TerminateProcess(handleOf(m_process), kForcedExitCode);
        ::WaitForSingleObject(handleOf(m_process), INFINITE);
    }
    DWORD code = 0;
    m_ended = true;
    m_exitCode = ::GetExitCodeProcess(handleOf(m_process), &code) ? static_cast<int>(code) : -1;
    return false;
}

int ChildProcess::wait() {
    if (m_process == -1) return -1;
    if (!m_ended) {
        const HANDLE process = handleOf(m_process);
        if (m_forceEndAt != 0) {
            const ULONGLONG now = ::GetTickCount64();
            const DWORD left = now < m_forceEndAt ? static_cast<DWORD>(m_forceEndAt - now) : 0;
            if (::WaitForSingleObject(process, left) == WAIT_TIMEOUT) ::TerminateProcess(process, kForcedExitCode);
        }
        ::WaitForSingleObject(process, INFINITE);
        DWORD code = 0;
        m_ended = true;
        m_exitCode = ::GetExitCodeProcess(process, &code) ? static_cast<int>(code) : -1;
    }
    return m_exitCode;
}

void ChildProcess::terminate() {
    if (m_process == -1 || m_ended || m_forceEndAt != 0) return;
    // Windows has no SIGTERM: the child's catchInterrupts() watches this event
    // and lets its work clean up; a child that does not watch it (or does not
    // end in time) is ended by running() or wait() after the grace period.
    if (m_stopEvent != -1 && ::SetEvent(handleOf(m_stopEvent))) {
        m_forceEndAt = ::GetTickCount64() + kStopGraceMs;
        return;
    }
    ::TerminateProcess(handleOf(m_process), kForcedExitCode);
    m_forceEndAt = ::GetTickCount64();
}

} // namespace orvelle::platform

#endif
