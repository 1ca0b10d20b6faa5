#include "cli/CliReadAhead.h"

#include <utility>

namespace orv {

CliReadAhead::CliReadAhead(std::vector<std::string> paths, unsigned workers, PresentationOpenFunction open,
                           ReadOptions options, ResultCache* cache)
    : m_paths(std::move(paths)), m_open(std::move(open)), m_options(options), m_cache(cache),
      m_capacity(2 * static_cast<std::size_t>(workers)) {
    m_workers.reserve(workers);
    for (unsigned i = 0; i < workers; ++i)
        m_workers.emplace_back([this] { work(); });
}

CliReadAhead::~CliReadAhead() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    for (auto& worker : m_workers)
        worker.join();
}

CachedRead CliReadAhead::readOne(std::size_t index) const {
    NativePresentationHost host(m_open);
    return ReadThroughCache(m_paths[index], host, m_options.allText, m_cache);
}

void CliReadAhead::work() {
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

CachedRead CliReadAhead::take(std::size_t index) {
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

} // namespace orv
