#pragma once

#include <cstdint>
#include <string_view>

namespace orv {

// The vocabularies the readers tell apart. Transitional and strict spellings
// of a namespace map to the same value. `Extension` stands for the other
// vocabularies the presentation application understands (the Office extension
// namespaces and the standard ones it reads, such as charts and math): a
// markup-compatibility Choice that needs only these is the one it shows.
// The Odf values are the OpenDocument vocabularies; only the OpenDocument
// classifier gives them, so Office Open XML parts never see them.
// `OdfOfficeExt` is the office application's extension vocabulary
// (officeooo:), where its comments on a page live; `OdfXLink` the link
// attributes (xlink:href); `OdfSvg`, `OdfStyle` and `OdfChart` the svg:,
// style: and chart: vocabularies (alternative text, master pages, charts).
// Text reading treats these as foreign vocabularies. `Spreadsheet` and
// `WordProcessing` are the main vocabularies of workbooks and text documents;
// only those readers' own classifiers give them.
enum class Ns : std::uint8_t {
    Other,
    Presentation,
    Drawing,
    Relationships,
    MarkupCompatibility,
    Extension,
    OdfOffice,
    OdfDraw,
    OdfDr3d,
    OdfText,
    OdfPresentation,
    OdfTable,
    OdfManifest,
    OdfOfficeExt,
    OdfXLink,
    OdfSvg,
    OdfStyle,
    OdfChart,
    Spreadsheet,
    WordProcessing,
};

// Tells a namespace URI's vocabulary. A part is walked with one classifier,
// given to the scope of its root element.
using NsClassifier = Ns (*)(std::string_view uri);
Ns ClassifyOfficeOpenXml(std::string_view uri);
Ns ClassifyOpenDocument(std::string_view uri);

} // namespace orv
