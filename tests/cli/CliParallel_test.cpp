// The README's recipe for runs over many machines, run locally: a NUL-
// separated list cut into 4 consecutive shards, the shards read at once by
// GNU parallel, the outputs merged. The merge must give the bytes of one run.
#include "support/PptBuilder.h"
#include "support/PptxBuilder.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace {

int shell(const std::string& script) {
    const std::string command = "bash -c '" + script + "'";
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Decks whose addresses overlap across files, in both formats, some with
// awkward names, so that a merge that keeps the wrong occurrence, loses the
// file order or mangles a name shows.
std::string writeDecks(const orv::test::TempDir& dir, int count) {
    std::string list;
    for (int i = 0; i < count; ++i) {
        const std::string shared = "Shared" + std::to_string(i % 3) + "@example.com";
        const std::string own = "own" + std::to_string(i) + "@example.com";
        std::string bytes;
        std::string name = "deck " + std::to_string(i);
        if (i % 4 == 3) {
            orv::test::PptDeck deck;
            deck.slides = {orv::test::PptSlide{{orv::test::PptShape::textBox(u"x")},
                                               {},
                                               false,
                                               {},
                                               {std::u16string(own.begin(), own.end())},
                                               {},
                                               {}}};
            bytes = orv::test::BuildPpt(deck);
            name += ".ppt";
        } else {
            orv::test::PptxBuilder b;
            auto& s = b.addSlide();
            s.addTextBox({own + " " + shared});
            s.addTable({{"cell" + std::to_string(i % 5) + "@example.com"}});
            bytes = b.bytes();
            name += i % 2 ? ", \"quoted\".pptx" : ".pptx";
        }
        list += dir.write(name, bytes).string() + '\0';
    }
    return dir.write("list", list).string();
}

TEST(CliParallel, FourShardsThroughGnuParallelMergeToTheBytesOfOneRun) {
    if (shell("command -v parallel >/dev/null") != 0) {
        // CI runs scripts/deps, which installs it: there its absence is a fault.
        ASSERT_EQ(std::getenv("CI"), nullptr) << "GNU parallel is missing";
        GTEST_SKIP() << "GNU parallel is not installed (scripts/deps installs it)";
    }
    orv::test::TempDir dir;
    const std::string list = writeDecks(dir, 24);
    const std::string cli = ORVANDEL_CLI_PATH;
    const std::string d = dir.str();
    ASSERT_EQ(shell("cd \"" + d + "\" && split -t \"\\0\" -n l/4 -d list part."), 0);
    ASSERT_EQ(shell("cd \"" + d + "\" && parallel --will-cite -j 4 \"" + cli +
                    "\" -j 1 --all-text --format jsonl --files-from {} -0 \">\" {}.jsonl ::: part.0?"),
              0);
    for (const std::string format : {"csv", "jsonl", "text"}) {
        ASSERT_EQ(shell("cd \"" + d + "\" && \"" + cli + "\" --merge --format " + format +
                        " part.00.jsonl part.01.jsonl part.02.jsonl part.03.jsonl > merged"),
                  0);
        ASSERT_EQ(shell("cd \"" + d + "\" && \"" + cli + "\" --all-text --format " + format +
                        " --files-from list -0 > single"),
                  0);
        const std::string merged = orv::test::ReadFileBytes(dir.path() / "merged");
        EXPECT_EQ(merged, orv::test::ReadFileBytes(dir.path() / "single")) << format;
        EXPECT_NE(merged.find("Shared1@example.com"), std::string::npos);
    }
    // Each shard holds decks, so the merge had work to do.
    for (const char* part : {"part.00.jsonl", "part.03.jsonl"})
        EXPECT_NE(orv::test::ReadFileBytes(dir.path() / part).find("own"), std::string::npos);
}

} // namespace
