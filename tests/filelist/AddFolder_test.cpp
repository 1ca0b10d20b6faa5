#include "filelist/AddFolder.h"
#include "filelist/FileSystem.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct Report {
    std::string location;
    std::int32_t step;
    std::string description;
};

class RecordingReporter : public orv::ErrorReporter {
public:
    void report(std::string_view location, std::int32_t step, const std::string& description) override {
        reports.push_back({std::string(location), step, description});
    }
    std::vector<Report> reports;
};

class AddFolderTest : public testing::Test {
protected:
    std::string root() const { return m_dir.str(); }
    std::string at(const std::string& relative) const { return (m_dir.path() / relative).string(); }
    void file(const std::string& relative) { m_dir.write(relative, "x"); }
    void folder(const std::string& relative) { fs::create_directories(m_dir.path() / relative); }

    orv::FolderList scan(const std::string& start) {
        orv::FolderList list{start};
        orv::GetSubDirectories2016(list, true, m_reporter, [] {});
        return list;
    }
    std::vector<std::string> collect(const std::string& extension) {
        return orv::CollectFolderFiles(root(), extension, m_reporter, [] {});
    }

    orv::test::TempDir m_dir;
    RecordingReporter m_reporter;
};

TEST_F(AddFolderTest, CollectsLevelByLevelInListingOrder) {
    folder("B");
    folder("A/A1/A11");
    folder("A/A2");
    folder("B/B1");
    const auto r = root() + "/";
    EXPECT_EQ(scan(r), (orv::FolderList{r, r + "A/", r + "B/", r + "A/A1/", r + "A/A2/", r + "B/B1/",
                                        r + "A/A1/A11/"}));
    EXPECT_TRUE(m_reporter.reports.empty());

    orv::FolderList flat{r};
    orv::GetSubDirectories2016(flat, false, m_reporter, {});
    EXPECT_EQ(flat, (orv::FolderList{r, r + "A/", r + "B/"}))
        << "without recursion: one level, no yield needed";
}

TEST_F(AddFolderTest, RowsComeFolderByFolderWithoutTildeOrHiddenFiles) {
    file("f.pptx");
    file("A/a.pptx");
    file("B/b.pptx");
    file("A/A1/a1.pptx");
    file("A/~$a.pptx");
    file("A/.hidden.pptx"); // hidden regular file: 34
    file(".dot/d.pptx");    // a dot-folder is only hidden (18), so it is scanned
    file("A/notes.txt");
    folder("A/folder.pptx"); // folders never count as files
    fs::create_symlink(at("A/a.pptx"), at("B/link.pptx"));
    fs::create_symlink(at("nowhere.pptx"), at("B/dangling.pptx"));

    EXPECT_EQ(collect("pptx"),
              (std::vector<std::string>{at("f.pptx"), at(".dot/d.pptx"), at("A/a.pptx"), at("B/b.pptx"),
                                        at("B/link.pptx"), at("A/A1/a1.pptx")}));
    const auto all = collect("*");
    EXPECT_NE(std::find(all.begin(), all.end(), at("A/notes.txt")), all.end()) << "\"*\" takes every file";
    EXPECT_EQ(std::find(all.begin(), all.end(), at("A/.hidden.pptx")), all.end());
    EXPECT_TRUE(collect(".pptx").empty()) << "an answer with a leading dot matches nothing";
    EXPECT_EQ(collect("ppt").size(), 6u) << "three letters also take the longer extension";
}

TEST_F(AddFolderTest, OddSubFolderNamesAreSkippedWithTheirTrees) {
    file("ok/a.pptx");
    file("tab\there/b.pptx");
    file("del\x7F/c.pptx");
    file("c1\xC2\x85/d.pptx");
    file("what?/e.pptx");
    file("bad\xFFutf8/f.pptx");
    file("caf\xC3\xA9/g.pptx");
    const auto r = root() + "/";
    EXPECT_EQ(scan(r), (orv::FolderList{r, r + "caf\xC3\xA9/", r + "ok/"}));
}

TEST_F(AddFolderTest, AFolderPathOf260CharactersIsKeptButNotDescendedInto) {
    const std::string longName(200, 'L');
    const std::string deepName(100, 'D');
    file(longName + "/" + deepName + "/x.pptx");
    file(longName + "/" + deepName + "/below/y.pptx");
    ASSERT_LT(at(longName).size() + 1, 260u) << "the scratch folder is too deep for this test";

    const auto rows = collect("pptx");
    EXPECT_EQ(rows, (std::vector<std::string>{at(longName + "/" + deepName + "/x.pptx")}));
}

TEST_F(AddFolderTest, AFolderThatVanishesBeforeItIsListedIsRemoved) {
    folder("gone");
    const auto gone = at("gone") + "/";
    orv::FolderList list{gone};
    // The scan yields after it has looked at the folder and before it lists
    // it; that is where another program can take it away.
    orv::GetSubDirectories2016(list, true, m_reporter, [&] { fs::remove_all(at("gone")); });
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(m_reporter.reports.empty()) << "removal is silent";
}

TEST_F(AddFolderTest, AFolderThatRefusesListingIsRemovedAndTheScanGoesOn) {
    file("open/a.pptx");
    file("shut/b.pptx");
    file("shut/inner/c.pptx");
    fs::permissions(m_dir.path(), fs::perms(0755));
    fs::permissions(at("shut"), fs::perms::none);
    const auto r = root() + "/";
    const int result = orv::test::RunWherePermissionsBind([&] {
        const bool scanned = scan(r) == orv::FolderList{r, r + "open/"};
        const bool collected = collect("pptx") == std::vector<std::string>{at("open/a.pptx")};
        return (scanned ? 0 : 1) + (collected ? 0 : 2) + (m_reporter.reports.empty() ? 0 : 4);
    });
    fs::permissions(at("shut"), fs::perms::owner_all);
    EXPECT_EQ(result, 0) << "1: scanned wrongly, 2: collected wrongly, 4: reported";
}

TEST_F(AddFolderTest, AFolderThatRefusesListingIsRemovedWhateverRightsTheTestsHave) {
    file("open/a.pptx");
    file("shut/b.pptx");
    file("shut/inner/c.pptx");
    file("gone/d.pptx");
    file("odd/e.pptx");
    using Cause = orv::FolderListingFailure::Cause;
    // The listing refuses as the file system does for a folder the user may
    // not read (permission denied), one deleted meanwhile (not found), and for
    // any other reason.
    const orv::SubFolderLister refusing = [&](const std::string& folder) {
        if (folder == at("shut") + "/")
            throw orv::FolderListingFailure(Cause::PermissionDenied, "denied");
        if (folder == at("gone") + "/")
            throw orv::FolderListingFailure(Cause::PathNotFound, "gone");
        if (folder == at("odd") + "/")
            throw orv::FolderListingFailure(Cause::Other, "odd");
        return orv::ListSubFolderNames(folder);
    };
    const auto r = root() + "/";
    orv::FolderList list{r};
    orv::GetSubDirectories2016(list, true, m_reporter, {}, refusing);
    EXPECT_EQ(list, (orv::FolderList{r, r + "odd/", r + "open/"}))
        << "only the other failure keeps its folder";
    EXPECT_EQ(orv::CollectFolderFiles(root(), "pptx", m_reporter, {}, refusing),
              (std::vector<std::string>{at("odd/e.pptx"), at("open/a.pptx")}));
    EXPECT_TRUE(m_reporter.reports.empty()) << "removal is silent";
}

TEST_F(AddFolderTest, NamesThatAreNotUtf8AreSkippedAndBackslashesKept) {
    file("deck\xFF.pptx");
    file("caf\xC3\xA9.pptx");
    file("back\\\\slash.pptx");
    file("A/over\xC0\xAFlong.pptx");
    EXPECT_EQ(collect("pptx"), (std::vector<std::string>{at("back\\\\slash.pptx"), at("caf\xC3\xA9.pptx")}));
    EXPECT_EQ(orv::ListFolderFiles(root(), "*.*"),
              (std::vector<std::string>{"back\\\\slash.pptx", "caf\xC3\xA9.pptx"}));
}

TEST_F(AddFolderTest, LinkLoopsEndAndEachFolderIsCollectedOnce) {
    file("a.pptx");
    file("A/b.pptx");
    fs::create_directory_symlink(root(), at("A/up"));     // back to the start
    fs::create_directory_symlink(at("A"), at("A/self"));  // to itself
    fs::create_directory_symlink(at("A"), at("Alias"));   // a second way to a folder
    fs::create_directory_symlink(at("nowhere"), at("B")); // dangling
    const auto r = root() + "/";
    EXPECT_EQ(scan(r), (orv::FolderList{r, r + "A/"}));
    EXPECT_EQ(collect("pptx"), (std::vector<std::string>{at("a.pptx"), at("A/b.pptx")}));
}

TEST_F(AddFolderTest, DoubledSeparatorsAreCollapsedInRows) {
    file("A/a.pptx");
    file("b.pptx");
    const auto rows = orv::CollectFolderFiles(root() + "/", "pptx", m_reporter, {});
    EXPECT_EQ(rows, (std::vector<std::string>{at("b.pptx"), at("A/a.pptx")}));

    // The root: its entry is "//", a child "//name/"; rows carry single slashes.
    orv::FolderList list{"//"};
    orv::GetSubDirectories2016(list, false, m_reporter, {});
    ASSERT_GT(list.size(), 1u);
    EXPECT_EQ(list[0], "//");
    EXPECT_TRUE(list[1].starts_with("//") && list[1].ends_with("/"));
}

TEST_F(AddFolderTest, ListFolderFilesGivesExistingFilesOnly) {
    file("b.PPTX");
    file("a.pptx");
    file(".h.pptx");
    folder("dir.pptx");
    fs::create_symlink(at("nowhere"), at("c.pptx"));
    EXPECT_EQ(orv::ListFolderFiles(root(), "*.pptx"),
              (std::vector<std::string>{".h.pptx", "a.pptx", "b.PPTX"}));
    EXPECT_EQ(orv::ListFolderFiles(root() + "/", "*.pptx").size(), 3u);
    EXPECT_TRUE(orv::ListFolderFiles(root(), "*.doc").empty());
    EXPECT_TRUE(orv::ListFolderFiles(at("missing"), "*.*").empty());
}

} // namespace

// A deck stored as a folder (a Keynote package: *.key holding Index.zip,
// Index/ or index.apxl[.gz]) is one file to the scan, listed by its name and
// never entered; a folder named so without them is an ordinary folder.
TEST_F(AddFolderTest, PackageFoldersAreFilesNeverEntered) {
    file("a.key/Index.zip");
    file("a.key/Data/inside.pptx");
    file("B.KEY/Index/Document.iwa");
    file("c.key/index.apxl.gz");
    file(".hidden.key/Index.zip");
    file("~lock.key/Index.zip");
    file("plain.key/deck.pptx");
    file("x.pptx");
    folder("sub");
    fs::create_directory_symlink(at("c.key"), at("sub/link.key"));
    const auto r = root() + "/";
    EXPECT_EQ(scan(r), (orv::FolderList{r, r + "plain.key/", r + "sub/"}));

    const struct {
        const char* extension;
        std::vector<std::string> rows;
    } cases[] = {
        {"key", {at("B.KEY"), at("a.key"), at("c.key"), at("sub/link.key")}},
        {"pptx", {at("x.pptx"), at("plain.key/deck.pptx")}},
        {"*",
         {at("B.KEY"), at("a.key"), at("c.key"), at("x.pptx"), at("plain.key/deck.pptx"),
          at("sub/link.key")}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(collect(c.extension), c.rows) << c.extension;

    // Picked itself: the one file it is, when its name matches.
    EXPECT_EQ(orv::CollectFolderFiles(at("a.key") + "/", "key", m_reporter, {}),
              std::vector<std::string>{at("a.key")});
    EXPECT_TRUE(orv::CollectFolderFiles(at("a.key"), "pptx", m_reporter, {}).empty());
    EXPECT_TRUE(m_reporter.reports.empty());
}
