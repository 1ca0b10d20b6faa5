#include "extract/common/ReaderProcess.h"

#include "extract/common/ReadFailure.h"
#include "extract/common/ReadLimits.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orv::reader {

namespace {

bool isProgram(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string ownFolder() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return {};
    std::string path(buffer, static_cast<std::size_t>(length));
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace

OpenRequest RequestFor(const ByteSource& source) {
    OpenRequest request;
    if (const auto* file = dynamic_cast<const FileByteSource*>(&source)) {
        request.path = file->path();
        return request;
    }
    if (source.size() > limits::kMaxEmbeddedSize)
        ThrowOverLimit("an embedded document is larger than " +
                       std::to_string(limits::kMaxEmbeddedSize >> 20) + " MiB");
    request.bytes.resize(static_cast<std::size_t>(source.size()));
    source.read(0, request.bytes);
    return request;
}

std::string ReaderProgramPath(const ReaderProgram& program) {
    const std::string variable(program.environment);
    if (const char* set = std::getenv(variable.c_str()); set != nullptr && *set != '\0')
        return isProgram(set) ? std::string(set) : std::string();
    const std::string folder = ownFolder();
    const std::string name(program.name);
    for (const std::string& candidate : {folder + "/" + name, folder + "/../libexec/orvandel/" + name})
        if (isProgram(candidate))
            return candidate;
    return {};
}

ReaderProcess& ReaderProcess::ForThisThread(const ReaderProgram& program) {
    // Few programs, so a short list; each process ends with its thread.
    thread_local std::vector<std::unique_ptr<ReaderProcess>> processes;
    for (const auto& process : processes)
        if (&process->m_program == &program)
            return *process;
    processes.push_back(std::make_unique<ReaderProcess>(program));
    return *processes.back();
}

ReaderProcess::~ReaderProcess() {
    stop();
}

void ReaderProcess::start() {
    const std::string program = ReaderProgramPath(m_program);
    const std::string label(m_program.label);
    if (program.empty())
        throw Failure(FailureKind::InputOutput,
                      "The " + label + " (" + std::string(m_program.name) +
                          ") is not installed beside Orvandel: install Orvandel again.");
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        throw Failure(FailureKind::InputOutput,
                      "The " + label + " could not be started: " + std::strerror(errno) + ".");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pair[1], 0);
    posix_spawn_file_actions_adddup2(&actions, pair[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const std::string memory = std::to_string(m_program.memoryMiB);
    char* const argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--memory-mib"),
                          const_cast<char*>(memory.c_str()), nullptr};
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pair[1]);
    if (spawned != 0) {
        ::close(pair[0]);
        throw Failure(FailureKind::InputOutput,
                      "The " + label + " could not be started: " + std::strerror(spawned) + ".");
    }
    m_pid = pid;
    m_fd = pair[0];
}

int ReaderProcess::end(bool now) {
    // Closing the socket ends a reader that waits for its next request; a
    // reader that is ending closes its end a moment before its status can
    // be read. Either is waited for a moment, so that the cause is told
    // right; one still alive after it, or one not to be waited for, is
    // ended.
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    int status = 0;
    if (m_pid > 0) {
        bool ended = false;
        for (int i = 0; !now && !ended && i < 100; ++i) {
            ended = ::waitpid(m_pid, &status, WNOHANG) == m_pid;
            if (!ended)
                ::usleep(2000);
        }
        if (!ended) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
        }
    }
    m_pid = -1;
    return status;
}

void ReaderProcess::stop() {
    end(false);
}

void ReaderProcess::fail(bool timedOut) {
    const int status = end(timedOut);
    ++m_generation;
    if (timedOut)
        ThrowOverLimit("reading it takes longer than any real " + std::string(m_program.documents) +
                       " takes");
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU)
        ThrowOverLimit("reading it takes more than " + std::to_string(m_cpuSeconds) +
                       " seconds of processor time");
    if (WIFEXITED(status) && WEXITSTATUS(status) == kExitOverMemory)
        ThrowOverLimit("reading it takes more than " + std::to_string(m_program.memoryMiB) +
                       " MiB of memory");
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        ThrowOverLimit("the " + std::string(m_program.label) + " was stopped while reading it");
    ThrowDamaged("the " + std::string(m_program.label) + " failed on it");
}

std::vector<std::uint8_t> ReaderProcess::exchange(const std::vector<std::uint8_t>& request) {
    if (m_fd < 0)
        start();
    try {
        WriteFrame(m_fd, request);
    } catch (const Failure&) {
        fail(false);
    }
    // Processor time is the reader's own bound; this one only catches a
    // reader that waits rather than works.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(4 * static_cast<int>(m_cpuSeconds) + 20);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            fail(true);
        pollfd ready{m_fd, POLLIN, 0};
        const int got = ::poll(&ready, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (got < 0 && errno != EINTR)
            fail(false);
        if (got > 0)
            break;
    }
    std::vector<std::uint8_t> answer;
    try {
        if (ReadFrame(m_fd, answer))
            return answer;
    } catch (const Failure&) {
    }
    fail(false);
}

namespace {

// An answer that is no answer ends the process: what it says next cannot be
// trusted. A failure the reader reports leaves it running.
template <class Decode>
auto decodeOrEnd(const std::vector<std::uint8_t>& answer, Decode decode, const std::function<void()>& end) {
    if (!answer.empty() && answer[0] == static_cast<std::uint8_t>(Answer::Failed))
        return decode(answer);
    try {
        return decode(answer);
    } catch (...) {
        end();
        throw;
    }
}

} // namespace

Opened ReaderProcess::open(const OpenRequest& request) {
    // A reader that ended while it waited (ended by someone, or by the
    // system) is replaced, so that the next document does not pay for it.
    if (m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
        ::close(m_fd);
        m_fd = -1;
        m_pid = -1;
    }
    ++m_generation;
    m_cpuSeconds = request.cpuSeconds;
    const std::vector<std::uint8_t> answer = exchange(EncodeOpen(request));
    return decodeOrEnd(answer, DecodeOpened, [this] { stop(); });
}

PageAnswer ReaderProcess::page(std::uint64_t generation, std::uint32_t index) {
    if (generation != m_generation)
        throw Failure("The " + std::string(m_program.documents) + " was closed before its pages were read.");
    const std::vector<std::uint8_t> answer = exchange(EncodePageRequest(index));
    return decodeOrEnd(answer, DecodePage, [this] {
        stop();
        ++m_generation;
    });
}

} // namespace orv::reader
