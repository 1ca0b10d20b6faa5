#include "base/Failure.h"
#include "results/ReplaceFile.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using orv::ReplaceFile;
using orv::test::ReadFileBytes;
using orv::test::RunWherePermissionsBind;
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
enum Outcome { Saved = 0, NotInPlace = 2, Failed = 3 };

int saveAs(const std::string& path, std::string_view bytes, bool commit) {
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
    const auto target = dir.write("shared.txt", "old content that is longer");
    fs::permissions(target, fs::perms(0646)); // anyone may write the file, nobody the folder
    fs::permissions(dir.path(), fs::perms(0555));
    const std::string path = target.string();
    const auto save = [&](std::string_view bytes, bool commit) {
        return RunWherePermissionsBind([&] { return saveAs(path, bytes, commit); });
    };

    EXPECT_EQ(save("", false), Saved);
    EXPECT_EQ(ReadFileBytes(target), "old content that is longer") << "opened but never written: untouched";

    EXPECT_EQ(save("a@b.cc,\r\n", true), Saved);
    EXPECT_EQ(ReadFileBytes(target), "a@b.cc,\r\n");
    EXPECT_EQ(modeOf(target), 0646u);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"shared.txt"});

    fs::permissions(target, fs::perms(0444)); // a target that cannot be written either fails at open
    EXPECT_EQ(save("x", true), Failed);
    EXPECT_EQ(ReadFileBytes(target), "a@b.cc,\r\n");
    fs::permissions(dir.path(), fs::perms(0755));
}

TEST(ReplaceFile, ADeviceIsWrittenNeverReplacedAndAFailingWriteIsOneFailure) {
    ASSERT_TRUE(fs::exists("/dev/full") && fs::exists("/dev/null"));
    EXPECT_EQ(saveAs("/dev/null", "a@b.cc\r\n", true), Saved);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(saveAs("/dev/full", "a@b.cc\r\n", true), Failed); // the full device takes no byte
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

} // namespace
