#include "extract/common/Namespaces.h"

#include "extract/common/OfficeNamespaces.h"

namespace orv {

namespace {

struct Known {
    std::string_view uri;
    Ns ns;
};

} // namespace

Ns ClassifyOfficeOpenXml(std::string_view uri) {
    static constexpr Known known[] = {
        {"http://schemas.openxmlformats.org/presentationml/2006/main", Ns::Presentation},
        {"http://schemas.openxmlformats.org/drawingml/2006/main", Ns::Drawing},
        {"http://schemas.openxmlformats.org/officeDocument/2006/relationships", Ns::Relationships},
        {"http://schemas.openxmlformats.org/markup-compatibility/2006", Ns::MarkupCompatibility},
        {"http://purl.oclc.org/ooxml/presentationml/main", Ns::Presentation},
        {"http://purl.oclc.org/ooxml/drawingml/main", Ns::Drawing},
        {"http://purl.oclc.org/ooxml/officeDocument/relationships", Ns::Relationships},
    };
    for (const auto& k : known)
        if (k.uri == uri)
            return k.ns;
    return IsUnderstoodExtension(uri) ? Ns::Extension : Ns::Other;
}

Ns ClassifyOpenDocument(std::string_view uri) {
    static constexpr Known known[] = {
        {"urn:oasis:names:tc:opendocument:xmlns:office:1.0", Ns::OdfOffice},
        {"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0", Ns::OdfDraw},
        {"urn:oasis:names:tc:opendocument:xmlns:dr3d:1.0", Ns::OdfDr3d},
        {"urn:oasis:names:tc:opendocument:xmlns:text:1.0", Ns::OdfText},
        {"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0", Ns::OdfPresentation},
        {"urn:oasis:names:tc:opendocument:xmlns:table:1.0", Ns::OdfTable},
        {"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0", Ns::OdfManifest},
        {"http://openoffice.org/2009/office", Ns::OdfOfficeExt},
        {"http://www.w3.org/1999/xlink", Ns::OdfXLink},
        {"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0", Ns::OdfSvg},
        {"urn:oasis:names:tc:opendocument:xmlns:style:1.0", Ns::OdfStyle},
        {"urn:oasis:names:tc:opendocument:xmlns:chart:1.0", Ns::OdfChart},
    };
    for (const auto& k : known)
        if (k.uri == uri)
            return k.ns;
    return Ns::Other;
}

} // namespace orv
