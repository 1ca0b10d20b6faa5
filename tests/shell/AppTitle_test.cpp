#include "shell/AppTitle.h"

#include <gtest/gtest.h>

#include <string>

using namespace orv;

TEST(ApplicationTitle, ShortTitlesStayUnchanged) {
    EXPECT_EQ(ApplicationTitle("Orvandel"), "Orvandel");
    EXPECT_EQ(ApplicationTitle(std::string(40, 'x')), std::string(40, 'x'));
    EXPECT_EQ(ApplicationTitle(""), "");
}

TEST(ApplicationTitle, LongTitlesLoseWholeWordsFromTheEnd) {
    // 43 characters: the last word goes, nothing more.
    EXPECT_EQ(ApplicationTitle("Orvandel address harvester for presentation"),
              "Orvandel address harvester for");
    // Several words must go before it fits.
    EXPECT_EQ(ApplicationTitle("aaaaaaaaaa bbbbbbbbbb cccccccccc dddddddddd eeeeeeeeee"),
              "aaaaaaaaaa bbbbbbbbbb cccccccccc");
    // Exactly 41 with one blank at 40: cut there.
    EXPECT_EQ(ApplicationTitle(std::string(40, 'a') + " b"), std::string(40, 'a'));
}

TEST(ApplicationTitle, CountsCharactersNotBytes) {
    const std::string umlauts = "Ärger über Öl und Übermaß – ein Äquivalent"; // 42 characters, more bytes
    EXPECT_EQ(ApplicationTitle(umlauts), "Ärger über Öl und Übermaß – ein");
    const std::string fits = "Ärger über Öl und Übermaß – Äquivalent"; // 38 characters
    EXPECT_EQ(ApplicationTitle(fits), fits);
}

TEST(ApplicationTitle, AnOverlongSingleWordIsKept) {
    const std::string word(50, 'w');
    EXPECT_EQ(ApplicationTitle(word), word);
}
