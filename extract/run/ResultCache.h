#pragma once

#include "extract/PresentationHost.h"
#include "extract/run/FileResult.h"
#include "extract/run/FileStamp.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace orv {

// The readers' version: a hash, made at build time, of the extraction's and
// readers' sources and of the versions of the libraries that read. A stored
// result of any other version is never used.
std::string_view ReadersVersion();

// The options a result was read with, as one number (all text: 1, PDF
// documents read: 2).
std::uint32_t OptionsKey(const ReadOptions& options);

// A file's result in bytes and back; a blob that is not one gives nothing.
std::string EncodeFileResult(const FileResult& result);
std::optional<FileResult> DecodeFileResult(std::string_view bytes);

// The results of files read before, kept in an SQLite file: under the file's
// path and reading options, with its stamp and the readers' version. Lookups
// may come from any thread; stores come from the run's one thread and are
// written in batches, each one transaction, so that a run killed at any
// moment leaves a cache that still gives right results. The file is shared
// by processes through SQLite's write-ahead log and a busy timeout.
class ResultCache {
public:
    // What went wrong with the file, once: `reason` in plain words, and the
    // path it was set aside as (empty when it was not).
    struct Problem {
        std::string reason;
        std::string setAsideAs;
    };

    // Opens the cache at `path`, creating it and its folder when missing. A
    // file that is damaged or no cache of this program is set aside as
    // PATH.bad and made anew. Nothing when the cache cannot be used at all
    // (a folder that cannot be written): `problem` says why.
    static std::unique_ptr<ResultCache> open(const std::string& path, std::optional<Problem>& problem);
    ~ResultCache();
    ResultCache(const ResultCache&) = delete;
    ResultCache& operator=(const ResultCache&) = delete;

    // The stored result of the file as stamped, read with `options`.
    std::optional<FileResult> find(const std::string& path, std::uint32_t options, const FileStamp& stamp);

    // Stores a result (not one that failed to read or write a file: the next
    // run tries again). False, with `problem` set, once writing has failed;
    // the cache then stores nothing more.
    bool store(const std::string& path, std::uint32_t options, const FileStamp& stamp,
               const FileResult& result, std::optional<Problem>& problem);

    // Ends the batch of stores.
    bool flush(std::optional<Problem>& problem);

private:
    explicit ResultCache(sqlite3* db);
    bool prepare();
    bool fail(std::optional<Problem>& problem);

    std::mutex m_mutex;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_find = nullptr;
    sqlite3_stmt* m_store = nullptr;
    int m_batched = 0;
    bool m_broken = false;
};

// A file read through the cache: its stored result when the file is as it
// was, else read anew. `stamp` is the file's before reading, and is kept
// only when the file was the same after reading, so that a result stored
// under it is the result of those bytes.
struct CachedRead {
    FileResult result;
    bool fromCache = false;
    std::optional<FileStamp> stamp;
};
CachedRead ReadThroughCache(const std::string& path, PresentationHost& host, const ReadOptions& options,
                            ResultCache* cache, const std::function<void()>& pump = {});

// Stores what ReadThroughCache read anew, when it may be stored: the file was
// the same after reading, and the result was read whole or failed for the
// file's own sake (damaged, encrypted, of another kind, over a limit), not
// for want of reading something or for a fault of the program's own, which
// the next run may not meet. From the run's one thread. False, with
// `problem` set once, when writing fails; nothing to store is no failure.
bool KeepRead(ResultCache* cache, const std::string& path, const ReadOptions& options, const CachedRead& read,
              std::optional<ResultCache::Problem>& problem);

} // namespace orv
