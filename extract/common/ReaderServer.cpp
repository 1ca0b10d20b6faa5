#include "extract/common/ReaderServer.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace orv::reader {

namespace {

constexpr int kExitFault = 4;

std::size_t g_memoryLimit = 0;

// A fault of the library: when an allocation failed or the address space is
// near its bound, the cause was memory; either way the process ends at once.
void onFault(int) {
    // An allocation the library could not get leaves ENOMEM behind.
    const bool allocationFailed = errno == ENOMEM;
    int fd = ::open("/proc/self/statm", O_RDONLY);
    char buffer[64] = {};
    std::size_t pages = 0;
    if (fd >= 0) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer - 1);
        ::close(fd);
        for (ssize_t i = 0; i < got && buffer[i] >= '0' && buffer[i] <= '9'; ++i)
            pages = pages * 10 + static_cast<std::size_t>(buffer[i] - '0');
    }
    const std::size_t size = pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const bool nearBound = g_memoryLimit > 0 && size + (32u << 20) >= g_memoryLimit;
    ::_exit(allocationFailed || nearBound ? kExitOverMemory : kExitFault);
}

// Processor time from now on for one document: past it the kernel ends the
// process (SIGXCPU), whatever the library is doing.
void allowProcessorTime(std::uint32_t seconds) {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const rlim_t used = static_cast<rlim_t>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + 1);
    const rlimit cpu{used + (seconds > 0 ? seconds : 1), RLIM_INFINITY};
    ::setrlimit(RLIMIT_CPU, &cpu);
}

std::vector<std::uint8_t> answer(const OpenDocument& openDocument, std::unique_ptr<ServedDocument>& open,
                                 std::span<const std::uint8_t> payload) {
    FrameReader r(payload);
    const auto kind = static_cast<Request>(r.byte());
    if (kind == Request::OpenPath || kind == Request::OpenBytes) {
        open.reset();
        OpenRequest request;
        const std::uint8_t flags = r.byte();
        request.allText = (flags & 1) != 0;
        request.renderTextless = (flags & 2) != 0;
        request.cpuSeconds = r.u32();
        if (kind == Request::OpenPath)
            request.path = r.text();
        else
            request.bytes = r.blob();
        allowProcessorTime(request.cpuSeconds);
        open = openDocument(request);
        return EncodeOpened(open->contents());
    }
    if (kind == Request::Page) {
        const std::uint32_t index = r.u32();
        if (!open)
            throw Failure("No document is open.");
        return EncodePage(open->page(index));
    }
    throw Failure("The reader process was asked something it does not know.");
}

} // namespace

void ExtendProcessorTime(std::uint32_t seconds) {
    rlimit cpu{};
    if (::getrlimit(RLIMIT_CPU, &cpu) != 0 || cpu.rlim_cur == RLIM_INFINITY)
        return;
    cpu.rlim_cur += seconds;
    if (cpu.rlim_max != RLIM_INFINITY)
        cpu.rlim_cur = std::min(cpu.rlim_cur, cpu.rlim_max);
    ::setrlimit(RLIMIT_CPU, &cpu);
}

void BoundReaderProcess(int argc, char** argv) {
    std::size_t memoryMiB = 0;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--memory-mib") == 0)
            memoryMiB = std::strtoul(argv[i + 1], nullptr, 10);
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    if (memoryMiB > 0) {
        g_memoryLimit = memoryMiB << 20;
        const rlimit memory{g_memoryLimit, g_memoryLimit};
        ::setrlimit(RLIMIT_AS, &memory);
    }
    // Faults are told apart on a stack of their own, so that running out
    // of stack is told too.
    static char altStack[64 * 1024];
    stack_t stack{};
    stack.ss_sp = altStack;
    stack.ss_size = sizeof altStack;
    ::sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_handler = onFault;
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    for (int signal : {SIGSEGV, SIGBUS, SIGABRT, SIGILL, SIGFPE, SIGTRAP})
        ::sigaction(signal, &action, nullptr);
}

int ServeDocuments(const OpenDocument& openDocument, const std::string& damaged) {
    std::unique_ptr<ServedDocument> open;
    std::vector<std::uint8_t> payload;
    try {
        while (ReadFrame(0, payload)) {
            std::vector<std::uint8_t> reply;
            try {
                reply = answer(openDocument, open, payload);
            } catch (const Failure& failure) {
                open.reset();
                reply = EncodeFailure(failure.kind(), failure.description());
            } catch (const std::bad_alloc&) {
                ::_exit(kExitOverMemory);
            } catch (const std::exception&) {
                open.reset();
                reply = EncodeFailure(FailureKind::Damaged, damaged);
            }
            WriteFrame(1, reply);
        }
    } catch (const std::exception&) {
        return 1; // the core has gone
    }
    return 0;
}

} // namespace orv::reader
