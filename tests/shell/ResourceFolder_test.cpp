#include "shell/ResourceFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using orv::ResourceFolder;
using orv::test::TempDir;

TEST(ResourceFolder, BesideTheProgramFirstThenTheSharedFolderOfItsPrefix) {
    const TempDir dir;
    const auto bin = dir.path() / "prefix" / "bin";
    std::filesystem::create_directories(bin);
    // Nothing anywhere: the program's folder, where nothing will be found.
    EXPECT_EQ(ResourceFolder(bin.string()), bin.string());

    // An installed copy: share/orvandel under the same prefix.
    dir.write("prefix/share/orvandel/x/o.cjs", "QWidget {}");
    EXPECT_EQ(ResourceFolder(bin.string()), (dir.path() / "prefix" / "share" / "orvandel").string());

    // Any of the files beside the program wins, as in a build folder.
    for (const char* beside : {"HAND-M.CUR", "drag.ico", "x/o.cjs", "Samples/a.pptx"}) {
        const TempDir other;
        other.write(std::string("prefix/share/orvandel/HAND-M.CUR"), "c");
        other.write(std::string("prefix/bin/") + beside, "c");
        const auto otherBin = (other.path() / "prefix" / "bin").string();
        EXPECT_EQ(ResourceFolder(otherBin), otherBin) << beside;
    }
}
