// The table of formats: every record recognises its files by content alone,
// and every list made from the table, or written about it, names each format.
#include "cli/CliOptions.h"
#include "extract/PresentationFormats.h"
#include "extract/PresentationReader.h"
#include "filelist/FileSelection.h"
#include "filelist/Wildcard.h"
#include "support/ReadBytes.h"
#include "support/ReaderPrograms.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fnmatch.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace orv {
namespace {

std::string fileText(const std::string& path) {
    return test::ReadFileBytes(path);
}

// How often `word` stands in `text` with no letter or digit on either side.
std::size_t wordCount(const std::string& text, const std::string& word) {
    const std::regex pattern("(^|[^A-Za-z0-9])" + word + "(?![A-Za-z0-9])");
    return static_cast<std::size_t>(
        std::distance(std::sregex_iterator(text.begin(), text.end(), pattern), std::sregex_iterator()));
}

// The values of a desktop entry's list key ("KEY=a;b;").
std::vector<std::string> desktopList(const std::string& entry, const std::string& key) {
    const auto at = entry.find("\n" + key + "=");
    if (at == std::string::npos)
        return {};
    const auto begin = at + key.size() + 2;
    std::stringstream list(entry.substr(begin, entry.find('\n', begin) - begin));
    std::vector<std::string> values;
    for (std::string value; std::getline(list, value, ';');)
        values.push_back(value);
    return values;
}

TEST(FormatTable, EachFormatIsRecognisedByContentWhateverItsName) {
    // A real file of each record, named by the record's name: a record added
    // to the table without a sample fails here.
    const std::map<std::string, std::string> samples = {
        {"presentation package", "fields.pptx"},
        {"binary presentation", "three_slides.ppt"},
        {"OpenDocument presentation", "three_slides.odp"},
        {"flat OpenDocument presentation", "placeholders.fodp"},
        {"Keynote presentation", "keynote/planted2013.key"},
        {"PDF document", "pdf/one_line.pdf"},
    };
    test::UseBuiltReaders();
    std::vector<std::string> names = {"deck", "deck.txt", "deck.PPTX.", "deck.pdf"};
    for (const auto& extension : PresentationExtensions())
        names.push_back("deck." + extension);
    test::TempDir dir;
    ReadOptions withPdf;
    withPdf.pdf = true;
    for (const auto* format : PresentationFormats()) {
        const auto sample = samples.find(std::string(format->name));
        ASSERT_NE(sample, samples.end()) << "no sample for " << format->name;
        const std::string bytes = fileText(ORVANDEL_SOURCE_DIR "/tests/data/" + sample->second);
        FormatProbe probe(std::make_unique<MemoryByteSource>(test::BytesOf(bytes)));
        EXPECT_EQ(&RecognisePresentation(probe), format) << sample->second;
        const std::size_t slides = ReadPresentationBytes(test::BytesOf(bytes), withPdf).slides.size();
        ASSERT_GT(slides, 0u) << sample->second;
        for (const auto& name : names) {
            const std::string path = dir.write(name, bytes).string();
            EXPECT_EQ(ReadPresentationFile(path, withPdf).slides.size(), slides)
                << sample->second << " as " << name;
            // A record read on request refuses its files unless asked, saying how to ask.
            if (!format->onRequest)
                continue;
            try {
                ReadPresentationFile(path);
                ADD_FAILURE() << name << " was read without being asked for";
            } catch (const Failure& failure) {
                EXPECT_EQ(failure.kind(), FailureKind::NotPresentation);
                EXPECT_EQ(failure.description(), OnRequestRefusal(*format));
                EXPECT_NE(failure.description().find("--pdf"), std::string::npos);
                EXPECT_NE(failure.description().find("\"Read PDF Files\""), std::string::npos);
            }
        }
    }
}

TEST(FormatTable, EveryListNamesEachFormatOnce) {
    const auto& extensions = PresentationExtensions();
    ASSERT_FALSE(extensions.empty());
    // A record read on request is named in none of the lists made by
    // default: a folder, the desktop and the dialog's lists leave it out.
    for (const auto* format : PresentationFormats())
        for (const auto extension : format->extensions)
            EXPECT_EQ(std::count(extensions.begin(), extensions.end(), extension), format->onRequest ? 0 : 1)
                << extension;
    const auto onRequest = OnRequestExtensions();
    EXPECT_EQ(onRequest, std::vector<std::string>{"pdf"});
    const auto withPdf = PresentationExtensionsWithPdf();
    EXPECT_EQ(withPdf.back(), "pdf");
    EXPECT_EQ(withPdf.size(), extensions.size() + 1);
    const auto defaults = DefaultPresentationExtensions();
    EXPECT_TRUE(std::equal(defaults.begin(), defaults.end(), extensions.begin(), extensions.end()));

    const std::string help = CliUsage();
    const auto listAt = help.find("gives its presentations:\n");
    ASSERT_NE(listAt, std::string::npos);
    const std::string helpList = help.substr(listAt, help.find(".\n", listAt) - listAt);

    // The first filter of the add-files dialog, split into its patterns.
    const std::string filter = AddFilesFilter();
    std::vector<std::string> patterns;
    std::stringstream first(
        filter.substr(filter.find('|') + 1, filter.find('|', filter.find('|') + 1) - filter.find('|') - 1));
    for (std::string pattern; std::getline(first, pattern, ';');)
        patterns.push_back(pattern);

    const std::string desktop = fileText(ORVANDEL_BINARY_DIR "/packaging/example.quillmoor.Orvandel.desktop");
    const std::string description = fileText(ORVANDEL_BINARY_DIR "/packaging/description.txt");
    for (const auto& extension : extensions) {
        EXPECT_EQ(wordCount(helpList, extension), 1u) << "--help, " << extension;
        EXPECT_EQ(
            std::count_if(patterns.begin(), patterns.end(),
                          [&](const std::string& p) { return MatchesWildcard("deck." + extension, p); }),
            1)
            << "dialog filter " << filter << ", " << extension;
        EXPECT_EQ(wordCount(description, "\\." + extension), 1u) << "package description, " << extension;
    }
    // The desktop entry claims the table's media types and nothing else: no
    // folders (that would make the program the desktop's folder opener), no
    // format read only inside a deck.
    EXPECT_EQ(desktopList(desktop, "MimeType"), PresentationMimeTypes());
    for (const std::string& type : desktopList(desktop, "MimeType"))
        EXPECT_NE(type, "application/pdf");
    // What is read on request is said so, with the way to ask.
    EXPECT_NE(help.find("PDF documents (.pdf) are read on request only: with --pdf."), std::string::npos);
    std::string flowing = description;
    std::replace(flowing.begin(), flowing.end(), '\n', ' ');
    EXPECT_NE(flowing.find("PDF documents (.pdf) on request"), std::string::npos) << description;
    // One main category, so that menus show the entry once.
    const std::vector<std::string> mainCategories = {
        "AudioVideo", "Audio",  "Video",   "Development", "Education", "Game",   "Graphics",
        "Network",    "Office", "Science", "Settings",    "System",    "Utility"};
    const auto categories = desktopList(desktop, "Categories");
    EXPECT_EQ(std::count_if(categories.begin(), categories.end(),
                            [&](const std::string& c) {
                                return std::find(mainCategories.begin(), mainCategories.end(), c) !=
                                       mainCategories.end();
                            }),
              1)
        << desktop;
}

TEST(FormatTable, DocumentationNamesEveryFormat) {
    const char* const documents[] = {"packaging/orvandel.1", "packaging/orvandel-cli.1",
                                     "packaging/example.quillmoor.Orvandel.metainfo.xml", "README.md"};
    for (const char* document : documents) {
        const std::string text = fileText(std::string(ORVANDEL_SOURCE_DIR "/") + document);
        for (const auto& extension : PresentationExtensions())
            EXPECT_GE(wordCount(text, extension), 1u) << document << " does not name " << extension;
        EXPECT_GE(wordCount(text, "PDF"), 1u) << document;
        EXPECT_GE(wordCount(text, "on request"), 1u) << document << " does not say PDF is read on request";
    }
    // The README's recipes that list decks with find(1) must find every format.
    const std::string readme = fileText(ORVANDEL_SOURCE_DIR "/README.md");
    const std::regex findName("-(i?)name '([^']+)'");
    std::size_t recipes = 0;
    std::istringstream lines(readme);
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("    ") || line.find(" find ") == std::string::npos)
            continue;
        ++recipes;
        for (const auto& extension : PresentationExtensions()) {
            const std::string name = "deck." + extension;
            bool found = false;
            for (std::sregex_iterator it(line.begin(), line.end(), findName), end; it != end && !found; ++it)
                found = fnmatch((*it)[2].str().c_str(), name.c_str(),
                                (*it)[1].length() > 0 ? FNM_CASEFOLD : 0) == 0;
            EXPECT_TRUE(found) << "README recipe misses " << name << ": " << line;
        }
    }
    EXPECT_GT(recipes, 0u);
}

} // namespace
} // namespace orv
