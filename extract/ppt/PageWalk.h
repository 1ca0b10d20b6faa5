#pragma once

#include "extract/model/PresentationDocument.h"
#include "extract/ppt/Records.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orv::ppt {

class PictureStore;

// Bounds the work a hostile file can cause by naming the same slide or text
// many times over: every byte read for a page and every byte delivered counts.
class Budget {
public:
    explicit Budget(std::uint64_t streamSize) : m_left((64ull << 20) + 8 * streamSize) {}
    void spend(std::uint64_t amount) {
        if (amount > m_left)
            damaged("it repeats its slides or texts far more often than a real presentation can");
        m_left -= amount;
    }

private:
    std::uint64_t m_left;
};

// One entry of a list of pages in the document record (its slides, notes
// pages or masters): where the page is, its id, and the texts the list keeps
// for the page's placeholders, each with its slide-number fields and the
// hyperlinks of its text.
struct PageEntry {
    std::uint32_t persistId = 0;
    std::uint32_t pageId = 0;                                    // what a slide's notes reference names
    std::vector<std::optional<Record>> outline;                  // text atom of each outline text, if any
    std::vector<std::vector<std::uint32_t>> outlineSlideNumbers; // slide-number field positions of each
    std::vector<std::vector<std::uint32_t>> outlineLinks;        // hyperlink ids of each, each once
};

// The entries of a list record (header included); they point into it.
std::vector<PageEntry> ListEntries(std::span<const std::uint8_t> list);

// One walk over the shapes of a page's drawing. The top-level shapes of a
// slide always become its shapes; in the "all text" mode every text also
// goes, in z-order, to the page's texts, groups (and the groups that are
// tables) entered where they stand, each shape's alternative text right after
// what the shape shows, and the hyperlinks the shapes use are noted.
struct ShapeWalk {
    const PageEntry& entry;
    std::string page; // "slide 3", "master 2": what its skipped pieces are named after
    int slideNumber;  // what slide-number fields show; 0 on a master, whose fields keep their "*"
    Budget& budget;
    ShapeBudget& shapes;
    SlideContent& slide;
    bool allText = false;
    // Notes or Master while such a page is walked (PlaceText); its shapes
    // are then no shapes of the slide.
    std::optional<TextPlace> pagePlace;
    std::vector<std::uint32_t> linkIds;
    AllTextPieces pieces;
    // The document's pictures, when they are read by text recognition: the
    // pictures of the shapes whose texts the walk keeps are then read too.
    PictureStore* pictures = nullptr;

    void place(TextPlace where, std::string name, std::string text) {
        if (!text.empty())
            budget.spend(sizeof(PlacedText) + name.size() + text.size());
        PlaceText(slide, shapes, pagePlace, where, std::move(name), std::move(text));
    }
    // A top-level shape's text (or the text its picture shows), counted with
    // the shape (ShapeBudget::addShape).
    void placeShape(std::string name, std::string text, TextPlace where = TextPlace::Shape) {
        if (text.empty())
            return;
        budget.spend(sizeof(PlacedText) + name.size() + text.size());
        if (where == TextPlace::Shape)
            PlaceShapeText(slide, std::move(name), std::move(text));
        else
            slide.allText.push_back({where, std::move(name), std::move(text)});
    }
    // "slide 2, picture 3", "slide 2, notes page, picture 1": store entry
    // `index` shown on the page walked.
    std::string picturePart(std::uint32_t index) const {
        return page + (pagePlace == TextPlace::Notes ? ", notes page" : "") + ", picture " +
               std::to_string(index);
    }
    // A piece of the page only this mode reads, named "slide 3, notes page":
    // when it fails, its texts and the links its shapes use are dropped. A
    // piece inside one is part of it.
    template <class Read> void piece(std::string_view what, Read&& read) {
        const std::size_t links = linkIds.size();
        if (!pieces.read(slide, page + ", " + std::string(what), std::forward<Read>(read)))
            linkIds.resize(links);
    }
    // The addresses of the mailto: links among those the shapes use, in the
    // order first used, each link once.
    void placeLinks(const std::unordered_map<std::uint32_t, std::string>& links);
};

// Walks the shape tree of the drawing in a page record's body (a slide, a
// notes page, a master).
void WalkDrawing(std::span<const std::uint8_t> pageBody, ShapeWalk& walk);

} // namespace orv::ppt
