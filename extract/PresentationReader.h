#pragma once

#include "extract/model/PresentationFormat.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace orv {

// Opens a presentation file, recognising its format from its content (a bid
// of every record of the table of formats, PresentationFormats.h), for
// reading one slide at a time. Throws orv::Failure with a plain description
// when the file is missing, is a folder, is empty, is no presentation, is
// damaged or is password-protected; a slide that cannot be read throws when it
// is read. Reads only the parts that hold slide text; never writes to the file.
// With options.allText every slide also gives all the text it holds, in
// harvest order (see SlideContent); a reader of another format joins that mode
// by taking ReadOptions and filling SlideContent::allText the same way.
std::unique_ptr<PresentationDocument> OpenPresentationFile(const std::string& path, ReadOptions options = {});

// The same for a presentation held in memory; the bytes must outlive the
// document.
std::unique_ptr<PresentationDocument> OpenPresentationBytes(std::span<const std::uint8_t> bytes,
                                                            ReadOptions options = {});

// The record that recognises a document embedded in a deck: the highest bid
// of the table and of the embedded-only records (EmbeddedOnlyFormats);
// nullptr when none bids.
const PresentationFormat* RecogniseEmbedded(FormatProbe& probe);

// Why a file of a record read on request is refused when it was not asked
// for, with the ways to ask.
std::string OnRequestRefusal(const PresentationFormat& format);

// The record of the table that recognises the probed file by its content
// alone: the highest bid, the first of equal ones. Throws orv::Failure when
// none bids.
const PresentationFormat& RecognisePresentation(FormatProbe& probe);

// Every slide of a presentation at once (tests, benchmarks, tools). Memory
// then grows with the whole presentation: the program itself reads one slide
// at a time.
PresentationContent ReadPresentationFile(const std::string& path, ReadOptions options = {});
PresentationContent ReadPresentationBytes(std::span<const std::uint8_t> bytes, ReadOptions options = {});

} // namespace orv
