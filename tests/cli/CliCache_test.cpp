// The cache of read files: a run with it writes the bytes of a run without
// it, takes a file from it only while the file is as it was, and survives a
// damaged, foreign, shared or unwritable cache.
#include "cli/CliRun.h"
#include "extract/PresentationReader.h"
#include "extract/run/ResultCache.h"

#include "support/CliInProcess.h"
#include "support/PptBuilder.h"
#include "support/PptxBuilder.h"
#include "support/ReaderPrograms.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <tuple>

namespace orv {
namespace {

namespace fs = std::filesystem;

class CliCacheTest : public testing::Test {
protected:
    void SetUp() override {
        for (const auto& entry : fs::directory_iterator(ORVANDEL_SOURCE_DIR "/tests/data"))
            if (entry.is_regular_file())
                m_files.push_back(entry.path().string());
        std::sort(m_files.begin(), m_files.end());
        test::PptxBuilder damaged;
        damaged.addSlide().addTextBox({"lost@example.com"});
        damaged.setPart("ppt/slides/slide1.xml", "<p:sld><unclosed>");
        m_files.push_back(m_dir.write("damaged.pptx", damaged.bytes()).string());
        m_files.push_back(m_dir.str() + "/missing.pptx");
        m_cache = m_dir.str() + "/cache/results.sqlite";
    }

    // A run in this process that counts the files it opens.
    test::CliOutcome run(std::vector<std::string> args) {
        args.insert(args.end(), m_files.begin(), m_files.end());
        return test::RunCliInProcess(args, [this](const std::string& path, ReadOptions options) {
            ++m_opened;
            return OpenPresentationFile(path, options);
        });
    }

    test::TempDir m_dir;
    std::vector<std::string> m_files;
    std::string m_cache;
    std::atomic<int> m_opened{0};
};

TEST_F(CliCacheTest, GivesTheBytesOfARunWithoutIt) {
    for (const char* mode : {"--format=text", "--all-text"}) {
        for (const char* format : {"text", "csv", "jsonl"}) {
            SCOPED_TRACE(std::string(mode) + " " + format);
            fs::remove_all(m_dir.str() + "/cache");
            const auto plain = run({mode, "--format", format, "-j", "2"});
            m_opened = 0;
            const auto first = run({mode, "--format", format, "--cache", m_cache, "-j", "2"});
            const int firstOpened = m_opened.exchange(0);
            const auto second = run({mode, "--format", format, "--cache", m_cache, "-j", "1"});
            EXPECT_EQ(std::tie(first.status, first.out, first.err),
                      std::tie(plain.status, plain.out, plain.err));
            EXPECT_EQ(std::tie(second.status, second.out, second.err),
                      std::tie(plain.status, plain.out, plain.err));
            // Everything but the missing file, which is tried again.
            EXPECT_EQ(firstOpened, static_cast<int>(m_files.size()));
            EXPECT_EQ(m_opened.load(), 1);
        }
    }
}

TEST_F(CliCacheTest, EachReadingOptionKeepsItsOwnResults) {
    // A PDF document refused without --pdf is read with it, and the other
    // way round, whatever the cache holds; each run as one without a cache.
    test::UseBuiltReaders();
    m_files = {ORVANDEL_SOURCE_DIR "/tests/data/pdf/links.pdf"};
    const std::vector<std::vector<std::string>> modes = {
        {}, {"--pdf"}, {"--pdf", "--all-text"}, {"--pdf", "--ocr"}, {"--all-text"}, {}};
    for (const auto& mode : modes) {
        const auto plain = run(mode);
        auto args = mode;
        args.insert(args.end(), {"--cache", m_cache});
        const auto cached = run(args);
        EXPECT_EQ(std::tie(cached.status, cached.out, cached.err),
                  std::tie(plain.status, plain.out, plain.err))
            << ::testing::PrintToString(mode);
    }
    EXPECT_EQ(run({"--pdf", "--all-text", "--cache", m_cache}).out,
              "shown@example.com\nhidden@example.org\nreviewer@example.net\n");
    EXPECT_NE(run({"--cache", m_cache}).err.find("--pdf"), std::string::npos);
}

TEST_F(CliCacheTest, AFileChangedInPlaceIsReadAgain) {
    // Binary decks hold their text as it is, so the same length gives the
    // same size.
    const auto deck = [](const std::u16string& text) {
        test::PptSlide slide;
        slide.shapes = {test::PptShape::textBox(text)};
        test::PptDeck d;
        d.slides = {slide};
        return test::PackPpt(test::BuildPptStreams(d));
    };
    const std::string before = deck(u"before@example.com"), after = deck(u"after1@example.com");
    ASSERT_EQ(before.size(), after.size());
    m_files = {m_dir.write("deck.ppt", before).string()};
    EXPECT_EQ(run({"--cache", m_cache}).out, "before@example.com\n");
    struct stat st {};
    ASSERT_EQ(::stat(m_files[0].c_str(), &st), 0);
    m_dir.write("deck.ppt", after);
    const timespec times[2] = {st.st_atim, st.st_mtim}; // as touch -d leaves it
    ASSERT_EQ(::utimensat(AT_FDCWD, m_files[0].c_str(), times, 0), 0);
    EXPECT_EQ(run({"--cache", m_cache}).out, "after1@example.com\n");
}

// A package folder (a Keynote deck stored as a folder) is stamped by all it
// holds: an edit deep inside is read again, a link inside is not followed
// out of it, and one deeper than the walk goes gets no stamp, so it is read
// every time and never taken from the cache.
TEST_F(CliCacheTest, APackageFolderIsStampedByAllItHolds) {
    const std::string key = m_dir.str() + "/deck.key";
    m_dir.write("deck.key/Index.zip", "zip");
    const std::string slide = m_dir.write("deck.key/Index/Slide.iwa", "before@example.com").string();
    m_dir.write("outside.bin", std::string(1000, 'x'));
    fs::create_directory(key + "/Data");
    fs::create_symlink(m_dir.str() + "/outside.bin", key + "/Data/link.bin");
    const auto run = [&](const std::string& path) {
        return test::RunCliInProcess({"--cache", m_cache, path}, test::OpenerOf([&](const std::string& at) {
                                         ++m_opened;
                                         PresentationContent content;
                                         content.slides.emplace_back().shapes.push_back(
                                             {true, test::ReadFileBytes(at + "/Index/Slide.iwa")});
                                         return content;
                                     }))
            .out;
    };
    const auto stamp = StampOf(key);
    ASSERT_TRUE(stamp);
    EXPECT_EQ(stamp->size, 3u + 18u) << "its regular files; the link is not followed";
    EXPECT_EQ(run(key) + run(key), "before@example.com\nbefore@example.com\n");
    EXPECT_EQ(m_opened.exchange(0), 1);

    // The same size, deep inside, at a later time.
    m_dir.write("deck.key/Index/Slide.iwa", "after1@example.com");
    const timespec later{stamp->modified / 1'000'000'000 + 10, 0};
    const timespec times[2] = {later, later};
    ASSERT_EQ(::utimensat(AT_FDCWD, slide.c_str(), times, 0), 0);
    EXPECT_EQ(run(key), "after1@example.com\n");

    std::string deepest = "deep.key";
    for (int level = 0; level < kMaxStampDepth; ++level)
        deepest += "/d";
    m_dir.write(deepest + "/part", "x");
    m_dir.write("deep.key/Index/Slide.iwa", "deep@example.com");
    const std::string deep = m_dir.str() + "/deep.key";
    EXPECT_FALSE(StampOf(deep));
    EXPECT_EQ(run(deep) + run(deep), "deep@example.com\ndeep@example.com\n");
    EXPECT_EQ(m_opened.load(), 3);
}

// A stored result stands for a file only under the readers that made it.
TEST_F(CliCacheTest, AResultOfOtherReadersIsNotUsed) {
    test::PptxBuilder deck;
    deck.addSlide().addTextBox({"real@example.com"});
    m_files = {m_dir.write("deck.pptx", deck.bytes()).string()};
    ASSERT_EQ(run({"--cache", m_cache}).status, 0);
    FileResult forged;
    forged.addresses.push_back({"forged@example.com", 1, TextPlace::Shape, "x"});
    const std::string blob = EncodeFileResult(forged);
    for (const auto& [readers, expected] :
         {std::pair<std::string, std::string>{"other", "real@example.com\n"},
          {std::string(ReadersVersion()), "forged@example.com\n"}}) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(m_cache.c_str(), &db), SQLITE_OK);
        sqlite3_stmt* update = nullptr;
        ASSERT_EQ(
            sqlite3_prepare_v2(db, "UPDATE results SET readers = ?1, result = ?2", -1, &update, nullptr),
            SQLITE_OK);
        sqlite3_bind_text(update, 1, readers.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_blob(update, 2, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(update), SQLITE_DONE);
        sqlite3_finalize(update);
        sqlite3_close(db);
        EXPECT_EQ(run({"--cache", m_cache}).out, expected) << readers;
    }
}

TEST_F(CliCacheTest, ADamagedOrForeignCacheIsSetAsideOnce) {
    const auto plain = run({"--format", "jsonl"});
    const std::string foreign = [&] {
        const std::string path = m_dir.str() + "/foreign.sqlite";
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine')", nullptr, nullptr,
                     nullptr);
        sqlite3_close(db);
        return test::ReadFileBytes(path);
    }();
    ASSERT_EQ(run({"--cache", m_cache}).status, plain.status);
    const std::string good = test::ReadFileBytes(m_cache);
    ASSERT_GT(good.size(), 4096u);
    const std::pair<const char*, std::string> rows[] = {
        {"truncated", good.substr(0, good.size() / 2 + 100)},
        {"not a database", std::string(5000, 'x')},
        {"another program's database", foreign},
    };
    for (const auto& [name, bytes] : rows) {
        SCOPED_TRACE(name);
        fs::remove_all(m_dir.str() + "/cache");
        m_dir.write("cache/results.sqlite", bytes);
        const auto damaged = run({"--format", "jsonl", "--cache", m_cache});
        EXPECT_EQ(std::tie(damaged.status, damaged.out), std::tie(plain.status, plain.out));
        const std::string said = m_cache + ": the cache could not be used (";
        ASSERT_EQ(damaged.err.substr(0, said.size()), said) << damaged.err;
        EXPECT_EQ(damaged.err.substr(damaged.err.find('\n') + 1), plain.err);
        EXPECT_NE(damaged.err.find("); set aside as " + m_cache + ".bad\n"), std::string::npos);
        EXPECT_EQ(test::ReadFileBytes(m_cache + ".bad"), bytes);
        const auto again = run({"--format", "jsonl", "--cache", m_cache});
        EXPECT_EQ(std::tie(again.status, again.out, again.err), std::tie(plain.status, plain.out, plain.err));
    }
}

// A cache under a file, or in a folder that cannot be written (which root
// can write all the same, so that row is left to other users).
TEST_F(CliCacheTest, ACacheThatCannotBeMadeIsNamedAndTheRunGoesOn) {
    const auto plain = run({});
    m_dir.write("file", "not a folder");
    fs::create_directories(m_dir.path() / "read-only");
    fs::permissions(m_dir.path() / "read-only", fs::perms::owner_read | fs::perms::owner_exec);
    std::vector<std::string> caches{m_dir.str() + "/file/results.sqlite"};
    if (::geteuid() != 0)
        caches.push_back(m_dir.str() + "/read-only/results.sqlite");
    for (const std::string& cache : caches) {
        const auto outcome = run({"--cache", cache});
        EXPECT_EQ(std::tie(outcome.status, outcome.out), std::tie(plain.status, plain.out));
        const std::string said = cache + ": the cache could not be used (";
        EXPECT_EQ(outcome.err.substr(0, said.size()), said) << outcome.err;
        EXPECT_NE(outcome.err.find("); the files are read without it\n"), std::string::npos);
        EXPECT_EQ(outcome.err.substr(outcome.err.find('\n') + 1), plain.err);
    }
    fs::permissions(m_dir.path() / "read-only", fs::perms::owner_all);
}

// Two runs at once on one cache each write the bytes of a run without it.
TEST_F(CliCacheTest, TwoProcessesShareOneCache) {
    std::vector<std::string> args{"--all-text", "--format", "jsonl"};
    const auto plain = run(args);
    std::string command;
    for (int k = 0; k < 2; ++k) {
        command += std::string("\"") + ORVANDEL_CLI_PATH + "\" -j 1 --all-text --format jsonl --cache \"" +
                   m_cache + "\"";
        for (const std::string& file : m_files)
            command += " \"" + file + "\"";
        command += " > \"" + m_dir.str() + "/out" + std::to_string(k) + "\" 2>/dev/null &";
    }
    ASSERT_EQ(std::system((command + " wait").c_str()), 0);
    for (int k = 0; k < 2; ++k)
        EXPECT_EQ(test::ReadFileBytes(m_dir.str() + "/out" + std::to_string(k)), plain.out) << k;
    m_opened = 0;
    EXPECT_EQ(run({"--all-text", "--format", "jsonl", "--cache", m_cache}).out, plain.out);
    EXPECT_EQ(m_opened.load(), 1); // the missing file
}

TEST(ResultBlob, RoundTripsAndRefusesEveryCut) {
    FileResult result;
    result.failures.push_back({102, FailureKind::Unexpected, "attach \xE9", "", std::nullopt});
    result.fileFailure =
        StepFailure{106, FailureKind::Damaged, "cut", "ppt/slides/slide2.xml", 1234567890123};
    result.failuresBeforeFile = 1;
    result.addresses.push_back({"a@example.com", 0, TextPlace::Embedded, std::string(300, 'n')});
    result.skipped.push_back({"ppt/notesSlides/notesSlide1.xml", "damaged", FailureKind::OverLimit});
    result.candidates = 70000;
    const std::string blob = EncodeFileResult(result);
    EXPECT_EQ(DecodeFileResult(blob), result);
    for (std::size_t cut = 0; cut < blob.size(); ++cut)
        EXPECT_EQ(DecodeFileResult(blob.substr(0, cut)), std::nullopt) << cut;
    EXPECT_EQ(DecodeFileResult(blob + "x"), std::nullopt);
}

} // namespace
} // namespace orv
