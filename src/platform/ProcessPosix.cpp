#ifndef _WIN32

#include "platform/Process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvelle::platform {

namespace {

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

void closeFd(std::intptr_t& fd) {
    if (fd >= 0) ::close(static_cast<int>(fd));
    fd = -1;
}

int decodeStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

} // namespace

ChildProcess::~ChildProcess() {
    closeInput();
    if (m_process > 0 && running()) terminate();
    if (m_process > 0) wait();
    closeOutput();
}

bool ChildProcess::start(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         std::error_code& ec) {
    if (m_process > 0) {
        ec = std::make_error_code(std::errc::device_or_resource_busy);
        return false;
    }
    int input[2] = {-1, -1};
    int output[2] = {-1, -1};
    int report[2] = {-1, -1}; // carries errno of a failed exec; closes on success
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0 ||
        ::pipe2(report, O_CLOEXEC) != 0) {
        ec = {errno, std::system_category()};
        for (int* fd : {&input[0], &input[1], &output[0], &output[1], &report[0], &report[1]})
            closeFd(*fd);
        return false;
    }
    int error = -1; // the error file, when one is asked for
    if (!m_errorFile.empty()) {
        do {
            error = ::open(m_errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        } while (error < 0 && errno == EINTR);
        if (error < 0) {
            ec = {errno, std::system_category()};
            for (int* fd : {&input[0], &input[1], &output[0], &output[1], &report[0], &report[1]})
                closeFd(*fd);
            return false;
        }
    }
    // Everything the child needs is built before fork: after it only
    // async-signal-safe calls are allowed.
    const std::string programText = program.string();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(programText.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(input[0], STDIN_FILENO);
        ::dup2(output[1], STDOUT_FILENO);
        ::dup2(error >= 0 ? error : output[1], STDERR_FILENO);
        ::signal(SIGPIPE, SIG_DFL);
        ::execv(programText.c_str(), argv.data());
        const int execError = errno;
        [[maybe_unused]] auto written = ::write(report[1], &execError, sizeof execError);
        ::_exit(127);
    }
    const int forkError = errno;
    closeFd(input[0]);
    closeFd(output[1]);
    closeFd(report[1]);
    closeFd(error);
    if (pid < 0) {
        closeFd(input[1]);
        closeFd(output[0]);
        closeFd(report[0]);
        ec = {forkError, std::system_category()};
        return false;
    }
    m_process = pid;
    m_input = input[1];
    m_output = output[0];
    m_ended = false;
    int execError = 0;
    ssize_t got = 0;
    do {
        got = ::read(report[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    closeFd(report[0]);
    if (got == static_cast<ssize_t>(sizeof execError)) {
        wait();
        closeInput();
        closeOutput();
        m_process = -1;
        ec = {execError, std::system_category()};
        return false;
    }
    ec.clear();
    return true;
}

bool ChildProcess::writeInput(std::string_view data) {
    if (m_input < 0) return false;
    // A child that has already ended would raise SIGPIPE: hold it back and
    // take the error instead.
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    bool ok = true;
    while (!data.empty()) {
        const ssize_t n = ::write(static_cast<int>(m_input), data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            if (errno == EPIPE) {
                timespec zero{};
                sigtimedwait(&pipeSignal, nullptr, &zero);
            }
            break;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return ok;
}

void ChildProcess::closeInput() {
    closeFd(m_input);
}

void ChildProcess::closeOutput() {
    closeFd(m_output);
}

ChildProcess::ReadStatus ChildProcess::readOutput(std::string& chunk, std::size_t maxBytes, int timeoutMs) {
    if (m_output < 0) return ReadStatus::EndOfOutput;
    pollfd fd{static_cast<int>(m_output), POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&fd, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) return ReadStatus::Failed;
    if (ready == 0) return ReadStatus::Timeout;
    const std::size_t start = chunk.size();
    chunk.resize(start + maxBytes);
    ssize_t n = 0;
    do {
        n = ::read(static_cast<int>(m_output), chunk.data() + start, maxBytes);
    } while (n < 0 && errno == EINTR);
    chunk.resize(start + (n > 0 ? static_cast<std::size_t>(n) : 0));
    if (n < 0) return ReadStatus::Failed;
    if (n == 0) {
        closeOutput();
        return ReadStatus::EndOfOutput;
    }
    return ReadStatus::Data;
}

bool ChildProcess::running() {
    if (m_process <= 0 || m_ended) return false;
    int status = 0;
    const pid_t done = ::waitpid(static_cast<pid_t>(m_process), &status, WNOHANG);
    if (done == 0) return true;
    m_ended = true;
    m_exitCode = done > 0 ? decodeStatus(status) : -1;
    return false;
}

int ChildProcess::wait() {
    if (m_process <= 0) return -1;
    if (!m_ended) {
        int status = 0;
        pid_t done = 0;
        do {
            done = ::waitpid(static_cast<pid_t>(m_process), &status, 0);
        } while (done < 0 && errno == EINTR);
        m_ended = true;
        m_exitCode = done > 0 ? decodeStatus(status) : -1;
    }
    return m_exitCode;
}

void ChildProcess::terminate() {
    if (m_process > 0 && !m_ended) ::kill(static_cast<pid_t>(m_process), SIGTERM);
}

} // namespace orvelle::platform

#endif
