// Fills a template with the lists made from the table of formats, so that the
// desktop entry and the package description name what the readers read:
//   write_format_lists [--wrap] TEMPLATE OUT
// @MIME_TYPES@ becomes every media type of the table, each followed by ";";
// @FORMATS@ becomes "presentation packages (.pptx, ...), binary presentations
// (...) and ..."; @ON_REQUEST@ the same of the formats read on request. With --wrap every paragraph is
// wrapped at 76 columns.
#include "extract/PresentationFormats.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

std::string mimeTypes() {
    std::string out;
    for (const auto& type : orv::PresentationMimeTypes())
        out += type + ";";
    return out;
}

// "presentation packages (.pptx, ...), ... and ...", of the records read by
// default or, with `onRequest`, of those read on request.
std::string formats(bool onRequest = false) {
    const auto families = orv::PresentationFamilies(onRequest);
    std::string out;
    for (std::size_t i = 0; i < families.size(); ++i) {
        if (i > 0)
            out += i + 1 == families.size() ? " and " : ", ";
        out += families[i] + "s (";
        const auto extensions = orv::FamilyExtensions(families[i]);
        for (std::size_t j = 0; j < extensions.size(); ++j)
            out += (j > 0 ? ", ." : ".") + extensions[j];
        out += ")";
    }
    return out;
}

void replaceAll(std::string& text, const std::string& key, const std::string& value) {
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
}

// Paragraphs (separated by an empty line) refilled at `width` columns.
std::string wrapped(const std::string& text, std::size_t width) {
    std::string out;
    std::istringstream lines(text);
    std::string line;
    std::string paragraph;
    // A line never starts with a dot, which a Debian description reads as
    // a control statement: the word before it goes down with it.
    const auto flush = [&] {
        std::istringstream words(paragraph);
        std::string word;
        std::string current;
        std::size_t lastWord = 0;
        while (words >> word) {
            if (!current.empty() && current.size() + 1 + word.size() > width) {
                if (word.front() == '.' && lastWord > 0) {
                    out += current.substr(0, lastWord - 1) + "\n";
                    current.erase(0, lastWord);
                } else {
                    out += current + "\n";
                    current.clear();
                }
            }
            if (!current.empty())
                current += " ";
            lastWord = current.size();
            current += word;
        }
        if (!current.empty())
            out += current;
        if (!paragraph.empty())
            out += "\n";
        paragraph.clear();
    };
    while (std::getline(lines, line)) {
        if (line.empty()) {
            flush();
            out += "\n";
        } else {
            paragraph += line + " ";
        }
    }
    flush();
    return out;
}

} // namespace

int main(int argc, char** argv) {
    const bool wrap = argc == 4 && std::string(argv[1]) == "--wrap";
    if (argc != 3 + (wrap ? 1 : 0)) {
        std::fprintf(stderr, "usage: write_format_lists [--wrap] TEMPLATE OUT\n");
        return 2;
    }
    std::ifstream in(argv[argc - 2], std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in) {
        std::fprintf(stderr, "write_format_lists: cannot read %s\n", argv[argc - 2]);
        return 1;
    }
    replaceAll(text, "@MIME_TYPES@", mimeTypes());
    replaceAll(text, "@FORMATS@", formats());
    replaceAll(text, "@ON_REQUEST@", formats(true));
    if (wrap)
        text = wrapped(text, 76);
    std::ofstream out(argv[argc - 1], std::ios::binary);
    out << text;
    if (!out.flush()) {
        std::fprintf(stderr, "write_format_lists: cannot write %s\n", argv[argc - 1]);
        return 1;
    }
    return 0;
}
