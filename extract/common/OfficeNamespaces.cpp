#include "extract/common/OfficeNamespaces.h"

#include <algorithm>
#include <array>

namespace orv {

namespace {

// Kept sorted for the binary search below (a test checks the order).
constexpr std::array<std::string_view, 59> kUnderstood = {
    "http://schemas.microsoft.com/ink/2010/main",
    "http://schemas.microsoft.com/office/drawing/2007/8/2/chart",
    "http://schemas.microsoft.com/office/drawing/2008/diagram",
    "http://schemas.microsoft.com/office/drawing/2010/chartDrawing",
    "http://schemas.microsoft.com/office/drawing/2010/diagram",
    "http://schemas.microsoft.com/office/drawing/2010/main",
    "http://schemas.microsoft.com/office/drawing/2012/chart",
    "http://schemas.microsoft.com/office/drawing/2012/main",
    "http://schemas.microsoft.com/office/drawing/2013/main/command",
    "http://schemas.microsoft.com/office/drawing/2014/chart",
    "http://schemas.microsoft.com/office/drawing/2014/chart/ac",
    "http://schemas.microsoft.com/office/drawing/2014/chartex",
    "http://schemas.microsoft.com/office/drawing/2014/main",
    "http://schemas.microsoft.com/office/drawing/2015/06/chart",
    "http://schemas.microsoft.com/office/drawing/2015/10/21/chartex",
    "http://schemas.microsoft.com/office/drawing/2015/9/8/chartex",
    "http://schemas.microsoft.com/office/drawing/2016/11/main",
    "http://schemas.microsoft.com/office/drawing/2016/12/diagram",
    "http://schemas.microsoft.com/office/drawing/2016/5/10/chartex",
    "http://schemas.microsoft.com/office/drawing/2016/5/11/chartex",
    "http://schemas.microsoft.com/office/drawing/2016/5/12/chartex",
    "http://schemas.microsoft.com/office/drawing/2016/5/13/chartex",
    "http://schemas.microsoft.com/office/drawing/2016/5/14/chartex",
    "http://schemas.microsoft.com/office/drawing/2016/5/9/chartex",
    "http://schemas.microsoft.com/office/drawing/2016/SVG/main",
    "http://schemas.microsoft.com/office/drawing/2016/ink",
    "http://schemas.microsoft.com/office/drawing/2017/03/chart",
    "http://schemas.microsoft.com/office/drawing/2017/decorative",
    "http://schemas.microsoft.com/office/drawing/2017/model3d",
    "http://schemas.microsoft.com/office/drawing/2018/hyperlinkcolor",
    "http://schemas.microsoft.com/office/drawing/2018/sketchyshapes",
    "http://schemas.microsoft.com/office/drawing/2020/classificationShape",
    "http://schemas.microsoft.com/office/powerpoint/2010/main",
    "http://schemas.microsoft.com/office/powerpoint/2012/main",
    "http://schemas.microsoft.com/office/powerpoint/2013/main/command",
    "http://schemas.microsoft.com/office/powerpoint/2015/09/main",
    "http://schemas.microsoft.com/office/powerpoint/2015/10/main",
    "http://schemas.microsoft.com/office/powerpoint/2015/main",
    "http://schemas.microsoft.com/office/powerpoint/2016/6/main",
    "http://schemas.microsoft.com/office/powerpoint/2016/sectionzoom",
    "http://schemas.microsoft.com/office/powerpoint/2016/slidezoom",
    "http://schemas.microsoft.com/office/powerpoint/2016/summaryzoom",
    "http://schemas.microsoft.com/office/powerpoint/2017/10/main",
    "http://schemas.microsoft.com/office/powerpoint/2017/3/main",
    "http://schemas.microsoft.com/office/powerpoint/2018/8/main",
    "http://schemas.microsoft.com/office/powerpoint/2019/9/main/command",
    "http://schemas.microsoft.com/office/powerpoint/2022/06/main/command",
    "http://schemas.microsoft.com/office/spreadsheetml/2009/9/main",
    "http://schemas.microsoft.com/office/thememl/2012/main",
    "http://schemas.microsoft.com/office/word/2010/wordml",
    "http://schemas.microsoft.com/office/word/2010/wordprocessingDrawing",
    "http://schemas.openxmlformats.org/drawingml/2006/chart",
    "http://schemas.openxmlformats.org/drawingml/2006/diagram",
    "http://schemas.openxmlformats.org/drawingml/2006/picture",
    "http://schemas.openxmlformats.org/officeDocument/2006/math",
    "urn:schemas-microsoft-com:office:excel",
    "urn:schemas-microsoft-com:office:office",
    "urn:schemas-microsoft-com:office:powerpoint",
    "urn:schemas-microsoft-com:vml",
};

} // namespace

bool IsUnderstoodExtension(std::string_view uri) {
    return std::binary_search(kUnderstood.begin(), kUnderstood.end(), uri);
}

bool UnderstoodExtensionsAreSorted() {
    return std::is_sorted(kUnderstood.begin(), kUnderstood.end());
}

} // namespace orv
