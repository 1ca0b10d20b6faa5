#include "extract/run/ReadAhead.h"

#include <utility>

namespace orv {

FileReadFunction ReadingWith(PresentationHostMaker makeHost, ReadOptions options, ResultCache* cache) {
    return [makeHost = std::move(makeHost), options, cache](const std::string& path) {
        const std::unique_ptr<PresentationHost> host = makeHost();
        return ReadThroughCache(path, *host, options, cache);
    };
}

FileReadFunction ReadingWith(PresentationOpenFunction open, ReadOptions options, ResultCache* cache) {
    return ReadingWith([open = std::move(open)] { return std::make_unique<NativePresentationHost>(open); },
                       options, cache);
}

ReadAhead::ReadAhead(std::vector<std::string> paths, unsigned workers, FileReadFunction read)
    : m_paths(std::move(paths)), m_read(std::move(read)), m_capacity(2 * static_cast<std::size_t>(workers)) {
    m_workers.reserve(workers);
    for (unsigned i = 0; i < workers; ++i)
        m_workers.emplace_back([this] { work(); });
}

ReadAhead::~ReadAhead() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    for (auto& worker : m_workers)
        worker.join();
}

CachedRead ReadAhead::readOne(std::size_t index) const {
    return m_read(m_paths[index]);
}

void ReadAhead::work() {
    for (;;) {
        std::size_t index = 0;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] {
                return m_stopping || m_nextClaim >= m_paths.size() || m_nextClaim < m_nextTake + m_capacity;
            });
            if (m_stopping || m_nextClaim >= m_paths.size())
                return;
            index = m_nextClaim++;
        }
        CachedRead result = readOne(index);
        {
            std::lock_guard lock(m_mutex);
            m_ready.emplace(index, std::move(result));
        }
        m_changed.notify_all();
    }
}

CachedRead ReadAhead::take(std::size_t index) {
    if (m_workers.empty())
        return readOne(index);
    CachedRead result;
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_ready.contains(index); });
        auto node = m_ready.extract(index);
        result = std::move(node.mapped());
        m_nextTake = index + 1;
    }
    m_changed.notify_all();
    return result;
}

std::optional<CachedRead> ReadAhead::tryTake(std::size_t index, std::chrono::milliseconds wait) {
    if (m_workers.empty())
        return readOne(index);
    std::optional<CachedRead> result;
    {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, wait, [&] { return m_ready.contains(index); }))
            return std::nullopt;
        auto node = m_ready.extract(index);
        result = std::move(node.mapped());
        m_nextTake = index + 1;
    }
    m_changed.notify_all();
    return result;
}

} // namespace orv
