// Files read on worker threads come back in list order, the workers never
// more than their bound ahead of the reader, and stop when abandoned.
#include "base/Failure.h"
#include "extract/run/ReadAhead.h"
#include "support/CliInProcess.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

namespace {

TEST(ReadAhead, StaysWithinItsBoundAndKeepsOrder) {
    std::vector<std::string> paths;
    for (int i = 0; i < 30; ++i)
        paths.push_back(std::to_string(i));
    std::atomic<int> started{0};
    const auto read = [&](const std::string& path) {
        ++started;
        if (path == "7")
            throw orv::Failure("seven");
        orv::PresentationContent content;
        content.slides.emplace_back().shapes.push_back({true, "u" + path + "@example.com"});
        return content;
    };
    orv::ReadAhead reads(paths, 3, orv::ReadingWith(orv::test::OpenerOf(read), {}));
    ASSERT_EQ(reads.capacity(), 6u);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        // Give the workers time to run as far ahead as they may.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_LE(static_cast<std::size_t>(started.load()), i + reads.capacity());
        // The window asks without blocking, the command line blocks.
        const auto result = i % 2 ? reads.take(i).result : [&] {
            std::optional<orv::CachedRead> read;
            while (!(read = reads.tryTake(i, std::chrono::milliseconds(1))))
                ;
            return read->result;
        }();
        if (i == 7) {
            ASSERT_NE(result.firstFailure(), nullptr);
            EXPECT_EQ(result.firstFailure()->description, "seven");
        } else {
            EXPECT_EQ(result.firstFailure(), nullptr);
            ASSERT_EQ(result.addresses.size(), 1u);
            EXPECT_EQ(result.addresses[0].address, "u" + paths[i] + "@example.com");
        }
    }
}

TEST(ReadAhead, StopsCleanlyWhenAbandoned) {
    std::vector<std::string> paths(100, "x");
    std::atomic<int> started{0};
    {
        orv::ReadAhead reads(paths, 4,
                             orv::ReadingWith(orv::test::OpenerOf([&](const std::string&) {
                                                  ++started;
                                                  return orv::PresentationContent{};
                                              }),
                                              {}));
        reads.take(0);
    }
    EXPECT_LE(started.load(), 1 + 8);
}

} // namespace
