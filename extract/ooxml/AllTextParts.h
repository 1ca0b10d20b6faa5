#pragma once

#include "extract/model/PresentationContent.h"
#include "extract/ooxml/PackageParts.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orv::ooxml {

// What the "all text" mode reads of a slide beyond its shape tree: the parts
// its relationships lead to (diagram data, notes page, comments) and the
// targets of its mailto: links. Each part is read, used and dropped here.

using PlacedTextSink = std::function<void(TextPlace place, std::string name, std::string text)>;

// Reads one part that only the "all text" mode reads (ReadAllTextPiece):
// what `read` places is dropped, and the part named, when it fails.
using PieceReader = std::function<void(const std::string& part, const std::function<void()>& read)>;

// The rules of a part only the "all text" mode reads, made when it is read
// from the package rules: they bound its text by the room left on the page.
using PieceRules = std::function<XmlRules(const XmlRules& rules)>;

// A diagram met on a slide: its data-model relationship id and the name of
// the graphic frame that shows it.
struct DiagramReference {
    std::string dataModelId;
    std::string name;
};

// The text of each node of each diagram, diagrams in the order given (as met
// in z-order), nodes in document order, each named after its frame.
void AppendDiagramTexts(ZipPackage& zip, const std::string& slidePart, const PartRelations& relations,
                        const std::vector<DiagramReference>& diagrams, const PlacedTextSink& add,
                        const PieceReader& piece, const PieceRules& rules);

// The chart part a graphic frame's c:chart (or cx:chart, a newer chart part)
// refers to by relationship id.
std::optional<std::string> ChartPartOf(const std::string& slidePart, const PartRelations& relations,
                                       std::string_view id);

// The texts of a chart part (c:chartSpace or cx:chartSpace), each named
// after the frame that shows it: its title and axis titles, then its
// category labels, then its series names, each text once.
void AppendChartTexts(ZipPackage& zip, const std::string& chartPart, const std::string& frameName,
                      const XmlRules& rules, const PlacedTextSink& add);

// The packages a page embeds (relationships of the package type: OLE
// objects that are documents of their own), appended to `parts` in the
// order of its relationships, a part as often as it is referred to (the
// reader takes each once). OLE payloads of other kinds are not packages and
// stay unread.
void AppendEmbeddedParts(const std::string& pagePart, const PartRelations& relations,
                         std::vector<std::string>& parts);

// The slide's notes page, if it has one.
std::optional<std::string> NotesPartOf(const std::string& slidePart, const PartRelations& relations);

// Every comment and reply of every comment part of the slide (the older
// comment list and the current threaded one alike), parts in relationship
// order, comments in document order.
void AppendCommentTexts(ZipPackage& zip, const std::string& slidePart, const PartRelations& relations,
                        const PlacedTextSink& add, const PieceReader& piece, const PieceRules& rules);

// The addresses of the slide's mailto: links, in the order the slide first
// refers to them: what follows "mailto:", without any "?" part, with
// %-escapes decoded.
void AppendLinkTexts(const XmlPart& slide, const PartRelations& relations, const PlacedTextSink& add);

} // namespace orv::ooxml
