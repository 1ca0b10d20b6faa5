#pragma once

#include "extract/common/ReaderProcess.h"
#include "extract/model/PresentationFormat.h"

#include <string>

namespace orv::keynote {

// The record of Keynote decks: the zip of the current format (parts
// Index/*.iwa, or an Index.zip holding them) and of Keynote '09 (index.apxl,
// plain or gzipped), and the same stored as a macOS package folder. Read by
// libetonyek in a reader process of its own; the text of the current
// format's master slides, which that library leaves out, is read here.
extern const PresentationFormat kFormat;

// The reader process of Keynote decks (keynotereader/).
extern const reader::ReaderProgram kReaderProgram;

// How a Keynote document is stored: the forms a package folder may take, or
// a zip of one of them.
enum class Storage {
    None,
    Zip,         // a zip: Index/*.iwa, Index.zip or index.apxl(.gz) inside
    IndexZip,    // a folder holding Index.zip
    IndexFolder, // a folder holding Index/ and its .iwa parts
    Apxl,        // a folder holding index.apxl or index.apxl.gz (Keynote '09)
};

// The storage of the folder at `path` when it is a Keynote package folder
// (named *.key, holding one of the forms above), else None.
Storage PackageFolderStorage(const std::string& path);

} // namespace orv::keynote
