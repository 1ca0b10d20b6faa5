#pragma once

#include "extract/pdf/PdfProtocol.h"

#include <cstdint>
#include <string>
#include <sys/types.h>

namespace orv::pdf {

// The bounds on reading one PDF document, the reader process included.
inline constexpr std::uint32_t kCpuSecondsPerDocument = 4;
inline constexpr std::uint32_t kReaderMemoryMiB = 256;

// The program that reads PDF documents for the core (pdfreader/): the
// ORVANDEL_PDF_READER variable when set, else orvandel-pdf beside the running
// program, or in ../libexec/orvandel/ from it as installed. Empty when none is
// found.
std::string ReaderProgramPath();

// One PDF reader process, started on first use and reused for every document
// read on one thread, so that the library and its fonts load once. It runs
// under a bound on its address space and on the processor time of each
// document; the core waits for it at most a while longer than that. A
// process that dies, overruns a bound or answers out of turn is ended, the
// document it was reading fails (over a limit, or damaged), and the next
// document starts a new one.
class ReaderProcess {
public:
    // The process of the calling thread.
    static ReaderProcess& ForThisThread();

    ReaderProcess() = default;
    ~ReaderProcess();
    ReaderProcess(const ReaderProcess&) = delete;
    ReaderProcess& operator=(const ReaderProcess&) = delete;

    // Opens a document, closing the one open before: its page count. Throws
    // orv::Failure.
    std::uint32_t open(const OpenRequest& request);
    // A page of the document the last open() opened, named by that call's
    // generation(): throws orv::Failure when another has been opened since.
    PageAnswer page(std::uint64_t generation, std::uint32_t index);
    std::uint64_t generation() const { return m_generation; }
    // The process's id while it runs (tests end it to see the run go on).
    pid_t pid() const { return m_pid; }

private:
    void start();
    // Ends the process: at once, or after a moment for it to end by itself.
    // Its exit status.
    int end(bool now);
    void stop();
    std::vector<std::uint8_t> exchange(const std::vector<std::uint8_t>& request);
    [[noreturn]] void fail(bool timedOut);

    pid_t m_pid = -1;
    int m_fd = -1;
    std::uint64_t m_generation = 0;
    std::uint32_t m_cpuSeconds = kCpuSecondsPerDocument;
};

} // namespace orv::pdf
