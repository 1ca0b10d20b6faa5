#pragma once

#include "extract/model/PresentationContent.h"

#include <string>
#include <string_view>
#include <vector>

namespace orv {
class ZipPackage;
}

namespace orv::keynote {

// The text of the master slides of a Keynote deck saved in 2013 or later,
// read from its .iwa parts: `Index/MasterSlide*.iwa` (`Index/TemplateSlide*.iwa`
// in newer decks), one part per master.

// One master: its part, its name as stored (empty when none) and the text of
// each of its text storages that has any, in the order written, mapped as
// the readers deliver text (MapStorageText).
struct MasterText {
    std::string part; // "Index/MasterSlide-3.iwa"
    std::string name; // "Title & Bullets"
    std::vector<std::string> texts;
    bool operator==(const MasterText&) const = default;
};

// The masters in the theme's order (as Index/Document.iwa lists them; when it
// cannot be read, or a master is not listed, by the number in the part's
// name), and the master parts that could not be read, damaged or over a
// limit, each named with why, in the order of their names.
struct MasterTexts {
    std::vector<MasterText> masters;
    std::vector<SkippedPart> skipped;
};

// Whether a part name is that of a master slide.
bool IsMasterPart(std::string_view name);

// The masters of a deck held in a zip: `Index/*.iwa` entries, or else an
// `Index.zip` at the top or one folder down (a package folder zipped whole),
// opened as a zip of its own. Every part read counts against the zip's
// limits. A deck without either has no masters to give. Throws orv::Failure
// only when the `Index.zip` itself cannot be opened.
MasterTexts ReadMasterTexts(ZipPackage& package);

// The masters of a deck saved as a package folder: its `Index.zip`, or else
// its loose `Index/` folder of .iwa parts, whose files are held to the same
// limits as a zip's parts. A folder with neither has no masters to give.
// Throws orv::Failure when the `Index.zip` cannot be opened or the `Index/`
// folder cannot be listed.
MasterTexts ReadMasterTextsInFolder(const std::string& folder);

// Reads every .iwa part but the masters' of the deck (in the zip, or in the
// package folder) as an archive, so that a part the slide library would pass
// over in silence, damaged or over a limit, fails the deck instead: throws
// the first part's orv::Failure. With `masters`, then reads the masters as
// the two functions above do, from the same opening of the deck's parts.
MasterTexts CheckIwaParts(ZipPackage& package, bool masters);
MasterTexts CheckIwaPartsInFolder(const std::string& folder, bool masters);

} // namespace orv::keynote
