#include "results/ReplaceFile.h"

#include "shell/Failure.h"
#include "support/TempDir.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using orv::ReplaceFile;
using orv::test::ReadFileBytes;
using orv::test::TempDir;

namespace {

unsigned modeOf(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Outcomes of a save run by a user whom permissions bind.
enum Outcome { Saved = 0, NotInPlace = 2, Failed = 3, Crashed = 4 };

Outcome saveAs(const std::string& path, std::string_view bytes, bool commit) {
    try {
        ReplaceFile file(path);
        file.open();
        if (!file.inPlace())
            return NotInPlace;
        if (commit) {
            file.write(bytes);
            file.commit();
        }
        return Saved;
    } catch (const orv::Failure&) {
        return Failed;
    }
}

// Runs `body` as a user that may not create files in `folder`: root (as in CI)
// forks a child that becomes the unprivileged user "nobody"; anyone else
// closes the folder to writing for the time of the call.
Outcome withoutWriteAccessTo(const fs::path& folder, const std::function<Outcome()>& body) {
    if (::geteuid() != 0) {
        if (::access(folder.c_str(), W_OK) != 0)
            return body();
        fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
        const Outcome outcome = body();
        fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
        return outcome;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(Crashed);
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return Crashed;
    return static_cast<Outcome>(WEXITSTATUS(status));
}

TEST(ReplaceFile, ReplacesTheWholeFileKeepingItsPermissionsAndLeavesNothingElse) {
    TempDir dir;
    const auto target = dir.write("out.txt", "old content that is longer");
    fs::permissions(target, fs::perms(0640));
    ReplaceFile file(target.string());
    file.open();
    EXPECT_FALSE(file.inPlace());
    file.write("a@b.cc\r\n");
    EXPECT_EQ(ReadFileBytes(target), "old content that is longer") << "nothing changes before the commit";
    file.commit();
    EXPECT_EQ(ReadFileBytes(target), "a@b.cc\r\n");
    EXPECT_EQ(modeOf(target), 0640u);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"out.txt"});
}

TEST(ReplaceFile, AFileNeverCommittedLeavesTheOldOneAndNoTemporaryFile) {
    TempDir dir;
    const auto target = dir.write("keep.txt", "precious");
    {
        ReplaceFile file(target.string());
        file.open();
        file.write("half");
    }
    EXPECT_EQ(ReadFileBytes(target), "precious");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"keep.txt"});

    ReplaceFile fresh((dir.path() / "new.txt").string());
    fresh.open();
    fresh.write("");
    fresh.commit();
    EXPECT_EQ(ReadFileBytes(dir.path() / "new.txt"), "");
}

TEST(ReplaceFile, AMissingFolderOrAFolderAsTargetFailsAtOpen) {
    TempDir dir;
    ReplaceFile missing((dir.path() / "no/such/folder/out.txt").string());
    EXPECT_THROW(missing.open(), orv::Failure);
    ReplaceFile folder(dir.str());
    EXPECT_THROW(folder.open(), orv::Failure);
}

TEST(ReplaceFile, WhereNoTemporaryFileCanBeMadeAWritableTargetIsRewrittenInPlace) {
    TempDir dir;
    fs::permissions(dir.path(), fs::perms(0755));
    const auto target = dir.write("shared.txt", "old content that is longer");
    fs::permissions(target, fs::perms(0646)); // others may write the file, not the folder
    const std::string path = target.string();

    // Opened but never written: the file is not touched.
    EXPECT_EQ(withoutWriteAccessTo(dir.path(), [&] { return saveAs(path, "", false); }), Saved);
    EXPECT_EQ(ReadFileBytes(target), "old content that is longer");

    EXPECT_EQ(withoutWriteAccessTo(dir.path(), [&] { return saveAs(path, "a@b.cc,\r\n", true); }), Saved);
    EXPECT_EQ(ReadFileBytes(target), "a@b.cc,\r\n");
    EXPECT_EQ(modeOf(target), 0646u);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"shared.txt"});

    // A target that cannot be written either fails at open.
    fs::permissions(target, fs::perms(0644));
    EXPECT_EQ(withoutWriteAccessTo(dir.path(), [&] { return saveAs(path, "x", true); }), Failed);
    EXPECT_EQ(ReadFileBytes(target), "a@b.cc,\r\n");
}

TEST(ReplaceFile, AnInPlaceWriteThatFailsIsOneFailure) {
    // The full device takes no byte; its folder takes no file from a plain user.
    ASSERT_TRUE(fs::exists("/dev/full"));
    EXPECT_EQ(withoutWriteAccessTo("/dev", [] { return saveAs("/dev/full", "a@b.cc\r\n", true); }), Failed);
}

} // namespace
