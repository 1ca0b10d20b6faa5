#include "filelist/FileSelection.h"

#include <gtest/gtest.h>

using namespace orv;
using Parts = std::vector<std::string>;

TEST(FileSelection, OneFileIsOnePartAndOneRowUntouched) {
    EXPECT_EQ(SelectionParts({"/a//b.pptx"}), Parts{"/a//b.pptx"});
    EXPECT_EQ(SelectionRows({"/a//b.pptx"}), Parts{"/a//b.pptx"});
}

TEST(FileSelection, SeveralFilesAreFolderThenNamesAndRowsAreJoinedAndCollapsed) {
    const Parts parts = SelectionParts({"/d/e/x.ppt", "/d/e/y z.pptx"});
    EXPECT_EQ(parts, (Parts{"/d/e", "x.ppt", "y z.pptx"}));
    EXPECT_EQ(SelectionRows(parts), (Parts{"/d/e/x.ppt", "/d/e/y z.pptx"}));
    EXPECT_EQ(SelectionParts({"/x.ppt", "/y.ppt"}), (Parts{"/", "x.ppt", "y.ppt"}));
    EXPECT_EQ(SelectionRows({"/", "x.ppt", "y.ppt"}), (Parts{"/x.ppt", "/y.ppt"}));
}

TEST(FileSelection, FilesFromSeveralFoldersKeepTheirOwnFolders) {
    const Parts parts = SelectionParts({"/d/x.ppt", "/e/x.ppt", "/y.ppt", "/d//z.ppt"});
    EXPECT_EQ(parts, (Parts{"", "/d/x.ppt", "/e/x.ppt", "/y.ppt", "/d//z.ppt"}));
    EXPECT_EQ(SelectionRows(parts), (Parts{"/d/x.ppt", "/e/x.ppt", "/y.ppt", "/d/z.ppt"}));
    // The buffer holds each full path.
    EXPECT_FALSE(SelectionFitsBuffer(
        SelectionParts({"/a/" + std::string(15000, 'n'), "/b/" + std::string(15000, 'n')})));
}

TEST(FileSelection, BufferCountsFolderNamesSeparatorsAndTwoTerminatorsInUtf16Units) {
    // 29998 characters + 2 terminators fit exactly; one more does not.
    EXPECT_TRUE(SelectionFitsBuffer({std::string(29998, 'a')}));
    EXPECT_FALSE(SelectionFitsBuffer({std::string(29999, 'a')}));
    // Folder 9998 + 1, two names of 9999 + 1 each, 2 terminators: 30000 exactly.
    Parts parts{std::string(9998, 'f'), std::string(9999, 'n'), std::string(9999, 'n')};
    EXPECT_TRUE(SelectionFitsBuffer(parts));
    parts[0] += 'f';
    EXPECT_FALSE(SelectionFitsBuffer(parts));
    // Non-ASCII: "é" is one unit, "😀" (four bytes) two.
    std::string e;
    for (int i = 0; i < 14999; ++i)
        e += "é";
    EXPECT_TRUE(SelectionFitsBuffer({e})); // 14999 + 2
    std::string emoji;
    for (int i = 0; i < 7500; ++i)
        emoji += "\xF0\x9F\x98\x80";
    EXPECT_TRUE(SelectionFitsBuffer({emoji}));          // 15000 units + 2
    EXPECT_FALSE(SelectionFitsBuffer({emoji + emoji})); // 30000 units + 2
}
