#pragma once

#include "extract/common/ReaderProtocol.h"

#include <functional>
#include <memory>
#include <string>

namespace orv::reader {

// The side of a reader process (pdfreader/, keynotereader/) that bounds it
// and answers the core: one document open at a time.
class ServedDocument {
public:
    virtual ~ServedDocument() = default;
    virtual Opened contents() const = 0;
    // Pages first, then master pages. Throws orv::Failure.
    virtual PageAnswer page(std::uint32_t index) = 0;
};

// Opens a document as asked. Throws orv::Failure.
using OpenDocument = std::function<std::unique_ptr<ServedDocument>(const OpenRequest& request)>;

// Bounds the process: its address space as `--memory-mib N` among the
// arguments asks, no core dumps, and faults told apart from running out of
// memory by the exit status the core reads.
void BoundReaderProcess(int argc, char** argv);

// Answers the core's requests on standard input and output until the core
// closes them; what the process returns. A library's exception other than
// orv::Failure is reported as `damaged` (which names the library).
int ServeDocuments(const OpenDocument& open, const std::string& damaged);

// Gives the document being read `seconds` more processor time than it was
// opened with: for work done only on request, beside the reading itself
// (drawing a page for text recognition).
void ExtendProcessorTime(std::uint32_t seconds);

} // namespace orv::reader
