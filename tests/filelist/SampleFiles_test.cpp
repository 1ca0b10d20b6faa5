#include "filelist/SampleFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace orv;

TEST(SampleFiles, ScramblingIsUndoneForEveryByteAndWraps) {
    std::string all;
    for (int c = 1; c <= 255; ++c)
        all.push_back(static_cast<char>(c));
    int yields = 0;
    const std::string scrambled = ScrambleText(all, kSampleKey, [&] { ++yields; });
    EXPECT_EQ(yields, 255);
    EXPECT_EQ(scrambled.size(), all.size());
    EXPECT_EQ(scrambled.find('\0'), std::string::npos);
    EXPECT_EQ(UnscrambleText(scrambled, kSampleKey), all);
    EXPECT_EQ(UnscrambleText(ScrambleText("/home/ü/Samples/a.pptx|/b", "abcdefgh"), "abcdefgh"),
              "/home/ü/Samples/a.pptx|/b");
    // A byte whose code plus the key code is exactly 256 becomes 1.
    EXPECT_EQ(ScrambleText(std::string(1, static_cast<char>(256 - 'o')), kSampleKey), std::string(1, '\x01'));
    EXPECT_EQ(ScrambleText("abc", "ab"), "\xC2\xC4\xC4"); // the key starts over after its last letter
    EXPECT_EQ(ScrambleText("", kSampleKey), "");
}

TEST(SampleFiles, RecordListsTheSampleFilesJoinedByBars) {
    test::TempDir dir;
    EXPECT_EQ(SampleRecord(dir.str()), ""); // no Samples folder
    dir.write("Samples/b.pptx", "x");
    dir.write("Samples/a.ppt", "x");
    dir.write("Samples/sub/not-a-sample.pptx", "x");
    EXPECT_EQ(SampleRecord(dir.str()), dir.str() + "/Samples/a.ppt|" + dir.str() + "/Samples/b.pptx");
}
