#pragma once

#include "extract/common/ByteSource.h"
#include "extract/common/ReaderProtocol.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace orv::reader {

// The bounds on reading one document in a reader process (a program may
// set another bound on its memory).
inline constexpr std::uint32_t kCpuSecondsPerDocument = 4;
inline constexpr std::uint32_t kReaderMemoryMiB = 256;

// A program that reads documents of one kind for the core, through a library
// that cannot be bounded inside the program itself.
struct ReaderProgram {
    std::string_view name;        // "orvandel-pdf"
    std::string_view environment; // the variable naming another program to run, for tests
    std::string_view label;       // "PDF reader", in messages
    std::string_view documents;   // "PDF document", in messages
    // The bound on its address space.
    std::uint32_t memoryMiB = kReaderMemoryMiB;
};

// A request to open the document `source` holds: a file by its path, a
// document embedded in a deck by its bytes (refused as over a limit past
// the bound of embedded documents).
OpenRequest RequestFor(const ByteSource& source);

// The program's path: its environment variable when set, else the program
// beside the running one, or in ../libexec/orvandel/ from it as installed.
// Empty when none is found.
std::string ReaderProgramPath(const ReaderProgram& program);

// One reader process, started on first use and reused for every document
// read on one thread, so that its library loads once. It runs under a bound
// on its address space and on the processor time of each document; the core
// waits for it at most a while longer than that. A process that dies,
// overruns a bound or answers out of turn is ended, the document it was
// reading fails (over a limit, or damaged), and the next document starts a
// new one.
class ReaderProcess {
public:
    // The calling thread's process of the program.
    static ReaderProcess& ForThisThread(const ReaderProgram& program);

    explicit ReaderProcess(const ReaderProgram& program) : m_program(program) {}
    ~ReaderProcess();
    ReaderProcess(const ReaderProcess&) = delete;
    ReaderProcess& operator=(const ReaderProcess&) = delete;

    // Opens a document, closing the one open before. Throws orv::Failure.
    Opened open(const OpenRequest& request);
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

    const ReaderProgram& m_program;
    std::atomic<pid_t> m_pid{-1}; // read by a run that stops it from another thread
    int m_fd = -1;
    std::uint64_t m_generation = 0;
    std::uint32_t m_cpuSeconds = kCpuSecondsPerDocument;
};

} // namespace orv::reader
