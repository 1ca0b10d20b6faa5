#pragma once

#include "base/Failure.h"
#include "extract/EmailExtraction.h"
#include "extract/model/PresentationContent.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

class PresentationHost;

// The longest shape name a result keeps; longer ones are cut (at a
// character boundary), so that a hostile deck cannot blow up what is held
// and written for each of its addresses.
inline constexpr std::size_t kMaxRecordNameBytes = 1024;
std::string CutRecordName(std::string_view name);

// An address as one file gives it: at its first occurrence in the file
// (compared as the run compares addresses), with where it stands.
struct FoundAddress {
    std::string address; // in the letter case found
    int slide = 0;       // from 1; 0 for masters, layouts and embedded documents
    TextPlace place = TextPlace::Shape;
    std::string name = {}; // of the shape that holds it, where stored (CutRecordName)
    bool operator==(const FoundAddress&) const = default;
};

// A numbered step of a file's harvest that failed: the window reports it in a
// box with the step's number, the command-line tool names the file by it.
struct StepFailure {
    std::int32_t step = 0;
    FailureKind kind = FailureKind::Unexpected;
    std::string description = {};
    std::string part = {}; // where in the file, when known
    std::optional<std::uint64_t> offset = {};
    bool operator==(const StepFailure&) const = default;
};

// One file's outcome, the same whoever reads it and whenever: the failing
// steps in the order met, the addresses in the order found, and the pieces
// the "all text" mode skipped. A file gives all its addresses or none: when
// the file itself fails while its slides are read (damaged, over a limit),
// `fileFailure` says why and there are no addresses; such a failure is told as
// a failed Open (step 106), after the other failing steps.
struct FileResult {
    std::vector<StepFailure> failures;
    std::optional<StepFailure> fileFailure;
    std::size_t failuresBeforeFile = 0; // of `failures`, those met before `fileFailure`
    std::vector<FoundAddress> addresses;
    std::vector<SkippedPart> skipped;
    std::size_t candidates = 0; // candidate tokens tested, each a moment the window answers events

    bool operator==(const FileResult&) const = default;

    // The first failure met, which ends the file for the command-line tool;
    // none when the file was read whole.
    const StepFailure* firstFailure() const;
};

// Reads one file through `host` and the one harvest walk (steps 100 to 126),
// with the options' mode ("all text" or not) and formats (PDF documents
// read or refused). Nothing is thrown: every failure lands in
// the result. `pump`, when given, runs once per candidate token, as the
// harvest lets the window answer while it reads.
FileResult ReadFileResult(const std::string& path, PresentationHost& host, const ReadOptions& options,
                          const std::function<void()>& pump = {});

// The run's record of addresses given so far: each file's addresses are
// offered in list order, and only an address no earlier file gave (compared
// in lower case) is new, in the letter case first met.
class FirstOccurrences {
public:
    bool offer(std::string_view address) { return m_seen.insert(SeenKey(address)).second; }

private:
    SeenEmails m_seen;
};

} // namespace orv
