#include "base/Failure.h"
#include "cli/CliRun.h"
#include "extract/PresentationReader.h"
#include "support/CliInProcess.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Stands in for the presentation readers: each line of a file is the text of
// one shape on one slide; a line beginning with "#" is a shape without a text
// frame; a file whose first line is "FAIL reason" cannot be read. Each read
// takes a moment that depends on the file, so that parallel reads finish out
// of order.
orv::PresentationContent fakeRead(const std::string& path) {
    std::string bytes;
    try {
        bytes = orv::test::ReadFileBytes(path);
    } catch (const std::exception&) {
        throw orv::Failure("The file does not exist.");
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200 * (bytes.size() % 7)));
    if (bytes.starts_with("FAIL "))
        throw orv::Failure(bytes.substr(5, bytes.find('\n') - 5));
    orv::PresentationContent content;
    auto& slide = content.slides.emplace_back();
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);) {
        const bool frame = !line.starts_with('#');
        slide.shapes.push_back({frame, frame ? line : std::string()});
    }
    return content;
}

orv::test::CliOutcome run(const std::vector<std::string>& args,
                          const orv::test::PresentationReadFunction& read = fakeRead) {
    return orv::test::RunCliInProcess(args, orv::test::OpenerOf(read));
}

class CliRunTest : public testing::Test {
protected:
    std::string write(const std::string& relative, std::string_view text) {
        return m_dir.write(relative, text).string();
    }
    orv::test::TempDir m_dir;
};

TEST_F(CliRunTest, PrintsEachAddressOnceInFileSlideShapeOrder) {
    const auto a =
        write("a.pptx", "Write to Ann@Example.com, or bob@example.org\n#hidden@example.net\nann@example.com");
    const auto b = write("b.pptx", "carl@example.com\nBOB@EXAMPLE.ORG and dora@example.com.");
    const auto r = run({b, a});
    EXPECT_EQ(r.status, orv::kCliAllRead);
    EXPECT_EQ(r.out, "carl@example.com\nBOB@EXAMPLE.ORG\nAnn@Example.com\n");
    EXPECT_EQ(r.err, "");

    EXPECT_EQ(run({a, a}).out, "Ann@Example.com\nbob@example.org\n") << "a second visit adds nothing";
}

TEST_F(CliRunTest, CommaGivesTheBytesOfTheCommaDelimitedSave) {
    const auto a = write("a.pptx", "x@example.com y@example.com");
    EXPECT_EQ(run({"--comma", a}).out, "x@example.com,y@example.com,\r\n");
    const auto empty = write("empty.pptx", "no addresses here");
    EXPECT_EQ(run({"--comma", empty}).out, "\r\n");
    EXPECT_EQ(run({empty}).out, "");
}

TEST_F(CliRunTest, UnreadableFilesGetOneLineEachAndTheRunGoesOn) {
    const auto bad = write("bad.pptx", "FAIL The file is damaged.");
    const auto good = write("good.pptx", "z@example.com");
    const auto missing = (m_dir.path() / "missing.pptx").string();
    const auto r = run({bad, missing, good});
    EXPECT_EQ(r.status, orv::kCliSomeUnreadable);
    EXPECT_EQ(r.out, "z@example.com\n");
    EXPECT_EQ(r.err, bad + ": The file is damaged.\n" + missing + ": The file does not exist.\n");

    const auto throwsOther = [](const std::string&) -> orv::PresentationContent { throw std::bad_alloc(); };
    const auto oom = run({good}, throwsOther);
    EXPECT_EQ(oom.status, orv::kCliSomeUnreadable);
    EXPECT_EQ(oom.err, good + ": Out of memory\n");
}

TEST_F(CliRunTest, BadUsageAndHelp) {
    for (const auto& args : {std::vector<std::string>{},
                             {"--nope", "a"},
                             {"-j", "0", "a"},
                             {"--ext"},
                             {"--merge", "--all-text", "s"},
                             {"--merge", "-j1", "s"},
                             {"--ext", "ppt", "--merge", "s"}}) {
        const auto r = run(args);
        EXPECT_EQ(r.status, orv::kCliBadUsage);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(r.err.starts_with("orvandel-cli: ")) << r.err;
    }
    const auto help = run({"--help"});
    EXPECT_EQ(help.status, orv::kCliAllRead);
    EXPECT_TRUE(help.out.starts_with("Usage: orvandel-cli")) << help.out;
    EXPECT_EQ(help.err, "");
    const auto version = run({"--version"});
    EXPECT_EQ(version.status, orv::kCliAllRead);
    EXPECT_EQ(version.out, "orvandel-cli 0.1.0\n");
}

TEST_F(CliRunTest, FoldersStandForTheirPresentationsInScanOrder) {
    write("deck/z.pptx", "z@example.com");
    write("deck/a.ppt", "a@example.com");
    write("deck/notes.txt", "t@example.com");
    write("deck/~$lock.pptx", "lock@example.com");
    write("deck/.hidden.pptx", "hidden@example.com");
    write("deck/sub/s.PPSX", "s@example.com");
    write("deck/sub/t.potm", "t2@example.com");
    write("deck/v.fodp", "v@example.com");
    write("deck/sub/u.odp", "u@example.com");
    write("deck/sub/w.otp", "w@example.com");
    const auto single = write("single.txt", "single@example.com");
    const auto deck = (m_dir.path() / "deck").string();

    EXPECT_EQ(run({deck, single}).out,
              "a@example.com\nv@example.com\nz@example.com\ns@example.com\nt2@example.com\nu@example.com\n"
              "w@example.com\nsingle@example.com\n");
    EXPECT_EQ(run({"--ext", "txt", deck + "/"}).out, "t@example.com\n");
    EXPECT_EQ(run({"--ext", "*", deck}).out,
              "a@example.com\nt@example.com\nv@example.com\nz@example.com\ns@example.com\nt2@example.com\n"
              "u@example.com\nw@example.com\n");
}

// A Keynote package folder is one file, as an argument and inside a folder:
// handed to the opener whole (here its Index.zip holds its text), never
// entered, and not named as skipped when the scan looks for other names.
TEST_F(CliRunTest, APackageFolderIsOneFile) {
    write("deck/a.key/Index.zip", "a@example.com");
    write("deck/a.key/Data/inner.pptx", "inner@example.com");
    write("deck/b.pptx", "b@example.com");
    write("deck/plain.key/c.pptx", "c@example.com");
    write("deck/\xff.key/Index.zip", "odd@example.com");
    const auto deck = (m_dir.path() / "deck").string();
    const auto asFile = [](const std::string& path) {
        return fakeRead(fs::is_directory(path) ? path + "/Index.zip" : path);
    };
    const struct {
        std::vector<std::string> args;
        std::string out;
        std::string err;
    } cases[] = {
        {{deck},
         "a@example.com\nb@example.com\nc@example.com\n",
         deck + "/\\xFF.key: skipped: its name holds bytes that are not UTF-8\n"},
        {{deck + "/a.key/"}, "a@example.com\n", ""},
        {{"--ext", "pptx", deck}, "b@example.com\nc@example.com\n", ""},
    };
    for (const auto& c : cases) {
        const auto r = run(c.args, asFile);
        EXPECT_EQ(r.out, c.out) << c.args.back();
        EXPECT_EQ(r.err, c.err) << c.args.back();
        EXPECT_EQ(r.status, c.err.empty() ? orv::kCliAllRead : orv::kCliSomeUnreadable);
    }
}

// A package folder that vanishes or is shut after it was listed fails as a
// file does, with why.
TEST_F(CliRunTest, AVanishedOrShutPackageFolderFailsAsAFileDoes) {
    write("shut.key/Index.zip", "x");
    const auto gone = (m_dir.path() / "gone.key").string();
    const auto shut = (m_dir.path() / "shut.key").string();
    fs::permissions(m_dir.path(), fs::perms(0755));
    fs::permissions(shut, fs::perms::none);
    const int result = orv::test::RunWherePermissionsBind([&] {
        int wrong = 0;
        for (const auto& [path, why] : {std::pair{gone, "File not found: " + gone},
                                        std::pair{shut, "Cannot open " + shut + ": Permission denied"}}) {
            try {
                orv::OpenPresentationFile(path, {});
                wrong = wrong * 2 + 1;
            } catch (const orv::Failure& failure) {
                wrong = wrong * 2 + (failure.description() == why ? 0 : 1);
            }
        }
        return wrong;
    });
    fs::permissions(shut, fs::perms::owner_all);
    EXPECT_EQ(result, 0) << "2: the vanished one, 1: the shut one failed otherwise";
}

// Nothing given is dropped without a word: each way of losing input is named
// (or refused as a usage error), and the others are read.
TEST_F(CliRunTest, NoInputIsLostInSilence) {
    const auto a = write("a.pptx", "a@example.com");
    const auto b = write("b.pptx", "b@example.com");
    write("odd/\xff.pptx", "odd@example.com");
    write("odd/fine.pptx", "fine@example.com");
    const auto lines = write("lines", a + "\n" + b + "\n");
    const auto nul = write("nul", a + std::string(1, '\0') + b + std::string(1, '\0'));
    const auto crlf = write("crlf", a + "\r\n");
    const auto missing = (m_dir.path() / "none").string();
    struct Case {
        const char* what;
        std::vector<std::string> args;
        int status;
        std::string out;
        std::string err; // a line of it
    };
    const std::vector<Case> cases{
        {"a file named with bytes that are not UTF-8",
         {(m_dir.path() / "odd").string()},
         1,
         "fine@example.com\n",
         m_dir.str() + "/odd/\\xFF.pptx: skipped: its name holds bytes that are not UTF-8\n"},
        {"a NUL-separated list without -0",
         {"--files-from", nul},
         2,
         "",
         "orvandel-cli: the list " + nul + " holds a NUL byte: give -0 for a list of NUL-separated names\n"},
        {"two lists, read in turn",
         {"--files-from", lines, "--files-from=" + crlf},
         1,
         "a@example.com\nb@example.com\n",
         ""},
        {"a list with CR LF line ends",
         {"--files-from", crlf},
         1,
         "",
         a + "\\r: The file does not exist. (Its name, from the list " + crlf +
             ", ends in CR: the list has CR LF line ends, which name other files.)\n"},
        {"a list that cannot be read",
         {"--files-from", missing},
         1,
         "",
         missing + ": The list of files cannot be read: No such file or directory.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto r = run(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
}

TEST_F(CliRunTest, ParallelReadsGiveByteIdenticalOutput) {
    std::vector<std::string> files;
    for (int i = 0; i < 40; ++i) {
        std::string text = "user" + std::to_string(i) + "@example.com\n";
        text += "Shared@Example.com user" + std::to_string((i * 7) % 40) + "@example.com";
        text.append(static_cast<std::size_t>(i % 5), ' ');
        if (i % 9 == 4)
            text = "FAIL damaged " + std::to_string(i);
        files.push_back(write("f" + std::to_string(i) + ".pptx", text));
    }
    auto args = files;
    const auto one = run(args);
    for (const char* jobs : {"2", "5"}) {
        args = files;
        args.insert(args.begin(), {"-j", jobs});
        const auto many = run(args);
        EXPECT_EQ(many.out, one.out) << "-j " << jobs;
        EXPECT_EQ(many.err, one.err) << "-j " << jobs;
        EXPECT_EQ(many.status, one.status);
    }
    EXPECT_EQ(one.status, orv::kCliSomeUnreadable);
}

} // namespace
