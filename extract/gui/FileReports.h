#pragma once

#include "extract/EmailExtraction.h"
#include "extract/PresentationHost.h"
#include "extract/run/FileResult.h"
#include "extract/run/ResultCache.h"
#include "shell/ErrorReport.h"
#include "shell/RowSource.h"

#include <functional>
#include <optional>
#include <string>

namespace orv {

// Appends a result row: the file's path and the address with where it stands.
using FileRowAppender = std::function<void(const std::string& path, const FoundAddress& found)>;

// What the window's harvest of one file calls back: the event pump, once per
// candidate token, and the row append.
struct FileRowCallbacks {
    std::function<void()> pumpEvents;
    FileRowAppender appendRow;
};

// Where a row's address was found, as the results list keeps it.
RowSource SourceOf(const std::string& path, const FoundAddress& found);

// The window's account of one file's result, in the order the harvest met
// it: a box for each failing step (the description beginning with the
// file's path), the failure of the file itself as a failed Open (step 106),
// else its new addresses through `appendRow` (step 120: only those no
// earlier file of the run gave), then the pieces the "all text" mode
// skipped in one box at step 110: "PATH: PART skipped: WHY", the pieces
// separated by "; ", as many as the description holds, then "and N more".
void ReportFileResult(const std::string& path, const FileResult& result, ErrorReporter& reporter,
                      FirstOccurrences& firsts, const FileRowAppender& appendRow);

// The window's harvest of one presentation (DoItByFile): the file's result,
// read through `host` with the event loop pumped once per candidate token
// (or taken from `cache`, which then keeps what was read), then told as
// ReportFileResult tells it. A cache that cannot be written says why in
// `cacheProblem`, once.
// `ahead`, when given, is the file's result already read on another thread:
// it is told as it is, and kept in the cache as if read here.
void DoItByFile(const std::string& path, PresentationHost& host, ErrorReporter& reporter,
                FirstOccurrences& firsts, const FileRowCallbacks& callbacks, const ReadOptions& options = {},
                ResultCache* cache = nullptr, std::optional<ResultCache::Problem>* cacheProblem = nullptr,
                const CachedRead* ahead = nullptr);

} // namespace orv
