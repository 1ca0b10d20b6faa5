#pragma once

#include <qpdf/QPDFPageObjectHelper.hh>

#include <cstddef>
#include <string>

namespace orv::pdf {

// Every character a page's content shows, in the order it draws them, as
// its fonts map their codes to text (ToUnicode, else the code itself): what
// tells a soft hyphen the library reports as a hyphen, or not at all, from
// one. At most `limit` UTF-16 units; text in form objects is left out.
// Throws what qpdf throws for a damaged page.
std::u16string ShownText(QPDFPageObjectHelper& page, std::size_t limit);

} // namespace orv::pdf
