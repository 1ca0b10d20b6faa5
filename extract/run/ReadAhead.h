#pragma once

#include "extract/NativePresentationHost.h"
#include "extract/model/PresentationDocument.h"
#include "extract/run/FileResult.h"
#include "extract/run/ResultCache.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace orv {

// How one file is read: its result, from the cache or read anew. Each call
// may come from another thread.
using FileReadFunction = std::function<CachedRead(const std::string& path)>;

// Reads with a presentation host of its own for each file, made by
// `makeHost`, through `cache` when there is one.
using PresentationHostMaker = std::function<std::unique_ptr<PresentationHost>()>;
FileReadFunction ReadingWith(PresentationHostMaker makeHost, ReadOptions options,
                             ResultCache* cache = nullptr);
// The same with the program's own reader, opening with `open`.
FileReadFunction ReadingWith(PresentationOpenFunction open, ReadOptions options,
                             ResultCache* cache = nullptr);

// Reads a list of files on worker threads and hands the results back strictly
// in list order, so that whatever is done with them stays sequential. A
// worker reads one slide at a time and keeps only the addresses found, so a
// file costs no more memory than its largest slide. Workers run at most
// 2 x workers files ahead of the one taken last, which bounds the results held
// whatever the length of the list. With no workers each file is read when it
// is taken, on the caller's thread.
class ReadAhead {
public:
    ReadAhead(std::vector<std::string> paths, unsigned workers, FileReadFunction read);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    std::size_t size() const { return m_paths.size(); }
    const std::string& path(std::size_t index) const { return m_paths[index]; }

    // The result of file `index`; call with 0, 1, 2 and so on. Blocks until
    // that file has been read.
    CachedRead take(std::size_t index);
    // The same, but waits at most `wait` for it: nothing when the file is not
    // read by then (ask again, for the same index). With no workers, the file
    // is read now.
    std::optional<CachedRead> tryTake(std::size_t index, std::chrono::milliseconds wait);

    // Files read and not yet taken, at most; for tests of the bound.
    std::size_t capacity() const { return m_capacity; }

private:
    CachedRead readOne(std::size_t index) const;
    void work();

    std::vector<std::string> m_paths;
    FileReadFunction m_read;
    std::size_t m_capacity = 0;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_nextClaim = 0; // the next file a worker may start on
    std::size_t m_nextTake = 0;  // the next file the caller takes
    bool m_stopping = false;
    std::map<std::size_t, CachedRead> m_ready;
    std::vector<std::thread> m_workers;
};

} // namespace orv
