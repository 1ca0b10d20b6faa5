// The PDF reader process of Orvandel: reads the PDF documents the core asks
// for, one at a time, over its standard input and output (extract/pdf/
// PdfProtocol.h), under a bound on its memory and on each document's
// processor time, so that no document can take the program down with it.
//
//   orvandel-pdf --memory-mib N
#include "extract/pdf/PdfProtocol.h"
#include "pdfreader/PdfPages.h"

#include <QCoreApplication>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace orv;
using namespace orv::pdf;

constexpr int kExitOverMemory = 3; // what ReaderProcess reads as "over the memory bound"
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

void setUpBounds(std::size_t memoryMiB) {
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
    struct sigaction action{};
    action.sa_handler = onFault;
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    for (int signal : {SIGSEGV, SIGBUS, SIGABRT, SIGILL, SIGFPE, SIGTRAP})
        ::sigaction(signal, &action, nullptr);
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

std::vector<std::uint8_t> answer(std::unique_ptr<PdfPages>& open, std::span<const std::uint8_t> payload) {
    FrameReader r(payload);
    const auto kind = static_cast<Request>(r.byte());
    if (kind == Request::OpenPath || kind == Request::OpenBytes) {
        open.reset();
        OpenRequest request;
        request.allText = r.byte() != 0;
        request.cpuSeconds = r.u32();
        if (kind == Request::OpenPath)
            request.path = r.text();
        else
            request.bytes = r.blob();
        allowProcessorTime(request.cpuSeconds);
        open = std::make_unique<PdfPages>(request);
        return EncodeOpened(open->pageCount());
    }
    if (kind == Request::Page) {
        const std::uint32_t index = r.u32();
        if (!open)
            throw Failure("No PDF document is open.");
        return EncodePage(open->page(index));
    }
    throw Failure("The PDF reader was asked something it does not know.");
}

} // namespace

int main(int argc, char** argv) {
    std::size_t memoryMiB = 0;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--memory-mib") == 0)
            memoryMiB = std::strtoul(argv[i + 1], nullptr, 10);
    setUpBounds(memoryMiB);
    // The library takes and gives back large blocks for every page; kept in
    // the heap rather than mapped and unmapped each time, they cost no page
    // faults. The address-space bound still holds.
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
    QCoreApplication application(argc, argv);
    std::unique_ptr<PdfPages> open;
    std::vector<std::uint8_t> payload;
    try {
        while (ReadFrame(0, payload)) {
            std::vector<std::uint8_t> reply;
            try {
                reply = answer(open, payload);
            } catch (const Failure& failure) {
                open.reset();
                reply = EncodeFailure(failure.kind(), failure.description());
            } catch (const std::bad_alloc&) {
                ::_exit(kExitOverMemory);
            } catch (const std::exception&) {
                open.reset();
                reply = EncodeFailure(FailureKind::Damaged, "The file is damaged: the PDF library cannot read it.");
            }
            WriteFrame(1, reply);
        }
    } catch (const std::exception&) {
        return 1; // the core has gone
    }
    return 0;
}
