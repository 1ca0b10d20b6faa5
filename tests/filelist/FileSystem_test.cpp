#include "filelist/FileSystem.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

TEST(FileSystem, AttributeValuesFollowTheNameAndTheKind) {
    orv::test::TempDir dir;
    dir.write("plain.pptx", "x");
    dir.write(".hidden.pptx", "x");
    fs::create_directory(dir.path() / "folder");
    fs::create_directory(dir.path() / ".dotfolder");
    fs::create_symlink(dir.path() / "folder", dir.path() / "folderlink");
    fs::create_symlink(dir.path() / "plain.pptx", dir.path() / "filelink");
    fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
    const auto at = [&](const char* name) { return orv::TryReadAttributes((dir.path() / name).string()); };

    EXPECT_EQ(at("plain.pptx"), 32u);
    EXPECT_EQ(at(".hidden.pptx"), 34u);
    EXPECT_EQ(at("folder"), 16u);
    EXPECT_EQ(orv::TryReadAttributes((dir.path() / "folder").string() + "/"), 16u);
    EXPECT_EQ(at(".dotfolder"), 18u);
    EXPECT_EQ(at("folderlink"), 1040u);
    EXPECT_EQ(orv::TryReadAttributes((dir.path() / "folderlink").string() + "/"), 1040u);
    EXPECT_EQ(at("filelink"), 1056u);
    EXPECT_EQ(at("dangling"), 1024u);
    EXPECT_EQ(at("missing"), std::nullopt);
    EXPECT_EQ(orv::TryReadAttributes("/"), 16u);
    EXPECT_THROW(orv::ReadAttributes((dir.path() / "missing").string()), orv::Failure);
}

TEST(FileSystem, ExistenceTests) {
    orv::test::TempDir dir;
    const auto file = dir.write("a.pptx", "x").string();
    const auto locked = dir.write("locked.pptx", "x");
    fs::permissions(locked, fs::perms::none);
    fs::create_symlink(file, dir.path() / "link");
    fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
    const auto p = [&](const char* name) { return (dir.path() / name).string(); };

    EXPECT_TRUE(orv::FileExists(file));
    EXPECT_TRUE(orv::FileExists(locked.string())) << "read permission is not needed";
    EXPECT_TRUE(orv::FileExists(p("link")));
    EXPECT_FALSE(orv::FileExists(p("dangling")));
    EXPECT_FALSE(orv::FileExists(dir.str())) << "a folder is no file";
    EXPECT_FALSE(orv::FileExists(p("missing")));
    EXPECT_FALSE(orv::FileExists(""));

    EXPECT_TRUE(orv::PathExists(file));
    EXPECT_TRUE(orv::PathExists(dir.str()));
    EXPECT_FALSE(orv::PathExists(p("missing")));
    EXPECT_FALSE(orv::PathExists(p("dangling")));
    EXPECT_FALSE(orv::PathExists(""));

    EXPECT_TRUE(orv::IsDirectory(dir.str()));
    EXPECT_TRUE(orv::IsDirectory(dir.str() + "/"));
    EXPECT_FALSE(orv::IsDirectory(file));
    EXPECT_FALSE(orv::IsDirectory(p("missing")));
}

TEST(FileSystem, OddCharactersAreControlsC1CodePointsQuestionMarksAndBrokenUtf8) {
    EXPECT_FALSE(orv::HasOddCharacters(""));
    EXPECT_FALSE(orv::HasOddCharacters("Quarterly deck (final)"));
    EXPECT_FALSE(orv::HasOddCharacters("caf\xC3\xA9"));              // U+00E9
    EXPECT_FALSE(orv::HasOddCharacters("\xC2\xA0"));                 // U+00A0, just past the range
    EXPECT_FALSE(orv::HasOddCharacters("\xE6\x97\xA5\xE6\x9C\xAC")); // beyond 255 is no "?" here
    EXPECT_FALSE(orv::HasOddCharacters("~"));                        // 126

    EXPECT_TRUE(orv::HasOddCharacters("a\tb"));
    EXPECT_TRUE(orv::HasOddCharacters(std::string_view("a\0b", 3)));
    EXPECT_TRUE(orv::HasOddCharacters("\x1F"));
    EXPECT_TRUE(orv::HasOddCharacters("del\x7F"));
    EXPECT_TRUE(orv::HasOddCharacters("\xC2\x80")); // U+0080
    EXPECT_TRUE(orv::HasOddCharacters("\xC2\x9F")); // U+009F
    EXPECT_TRUE(orv::HasOddCharacters("why?"));
    EXPECT_TRUE(orv::HasOddCharacters("\xFF"));         // no UTF-8 at all
    EXPECT_TRUE(orv::HasOddCharacters("\xC3"));         // cut short
    EXPECT_TRUE(orv::HasOddCharacters("\xC0\xAF"));     // overlong "/"
    EXPECT_TRUE(orv::HasOddCharacters("\xED\xA0\x80")); // a surrogate
}

TEST(FileSystem, ListingsAreSortedAndTellWhyTheyFail) {
    orv::test::TempDir dir;
    dir.write("b.txt", "");
    dir.write("B.txt", "");
    dir.write("a.txt", "");
    fs::create_directory(dir.path() / "zsub");
    fs::create_directory(dir.path() / "Asub");
    fs::create_directory_symlink(dir.path() / "zsub", dir.path() / "msublink");

    EXPECT_EQ(orv::ListFolderNames(dir.str()),
              (std::vector<std::string>{"Asub", "B.txt", "a.txt", "b.txt", "msublink", "zsub"}));
    EXPECT_EQ(orv::ListSubFolderNames(dir.str()), (std::vector<std::string>{"Asub", "msublink", "zsub"}));

    try {
        orv::ListFolderNames((dir.path() / "missing").string());
        FAIL() << "a missing folder must not list";
    } catch (const orv::FolderListingFailure& failure) {
        EXPECT_EQ(failure.cause(), orv::FolderListingFailure::Cause::PathNotFound);
    }
    try {
        orv::ListFolderNames((dir.path() / "a.txt").string());
        FAIL() << "a file must not list";
    } catch (const orv::FolderListingFailure& failure) {
        EXPECT_EQ(failure.cause(), orv::FolderListingFailure::Cause::PathNotFound);
    }
}

} // namespace
