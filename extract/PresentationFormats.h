#pragma once

#include "extract/model/PresentationFormat.h"

#include <span>
#include <string>
#include <vector>

namespace orv {

// The table of formats the program reads, one record per format, in the order
// lists name them. Recognising a file is a bid by every record (the highest
// opens it), and every list of extensions or media types the program shows
// or installs is made from here.
std::span<const PresentationFormat* const> PresentationFormats();

// The record whose documents may be stored as a folder (a macOS package) and
// that takes the folder at `path` for one of them, or nullptr: such a folder
// is one file to folder scans, never entered.
const PresentationFormat* PackageFolderFormat(const std::string& path);

// The records read only inside another document, in the "all text" mode (a
// workbook or word-processing document embedded in a deck): never opened from
// a list of files, named in no list of the table.
std::span<const PresentationFormat* const> EmbeddedOnlyFormats();

// Every extension of the table, in table order, each once, but for the
// records read on request (PresentationFormat::onRequest): what a folder
// gives by default.
const std::vector<std::string>& PresentationExtensions();

// The extensions of the records read on request, in table order.
std::vector<std::string> OnRequestExtensions();

// Every media type of the table, in table order, each once, but for the
// records read on request: what the desktop may open with the program.
std::vector<std::string> PresentationMimeTypes();

// The families of the table, in table order, each once ("presentation
// package", "binary presentation", "OpenDocument presentation"): those
// read by default, or with `onRequest` those read on request ("PDF document").
std::vector<std::string> PresentationFamilies(bool onRequest = false);

// The extensions of one family, in table order.
std::vector<std::string> FamilyExtensions(std::string_view family);

} // namespace orv
