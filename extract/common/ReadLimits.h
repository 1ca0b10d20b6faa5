#pragma once

#include <cstddef>
#include <cstdint>

namespace orv::limits {

// Every bound the presentation readers put on what a file can make them build
// or do, in one place. Each is far above what real presentations need (the
// largest decks measured hold a few thousand parts, a few hundred slides, a few
// thousand shapes on a slide and a few megabytes of text), so only hostile or
// broken files reach them; each refusal names its limit in plain words.

// Zip container.
inline constexpr std::uint64_t kMaxZipEntries = 100'000;         // directory entries
inline constexpr std::uint64_t kMaxPartSize = 64ull << 20;       // one inflated part
inline constexpr std::uint64_t kMaxTotalInflated = 512ull << 20; // all parts read from one package
inline constexpr std::uint64_t kRatioCheckAbove = 4ull << 20;    // bomb test for parts above this
inline constexpr std::uint64_t kMaxCompressionRatio = 1000;      // deflate's honest ceiling

// XML parts: elements, attributes, runs of character data and CDATA sections
// together, each counted as written wherever it stands (kept or skipped,
// white space alone, past the document element), so that a part of short
// elements, of many attributes or of text broken into pieces costs no more
// than the bound allows.
inline constexpr std::size_t kMaxXmlNodes = 1'500'000;
inline constexpr std::size_t kMaxNamespaceDeclarations = 1'000; // on one element
inline constexpr std::size_t kMaxRelationships = 100'000;       // in one relationships part

// OpenDocument: a flat (single XML file) presentation is read whole, so it is
// held to the bound of one inflated part; lists, spans and links nest in
// real text a few levels deep, ten list levels at most.
inline constexpr std::uint64_t kMaxFlatDocumentSize = kMaxPartSize;
inline constexpr int kMaxTextNesting = 100;

// Keynote archives (.iwa parts, 2013 on): runs of snappy chunks holding
// protobuf records. Each chunk's declared inflated size is checked against
// these before anything is inflated: one part against the bound of one
// inflated part, all parts read from one file against the zip total (a
// package folder's loose parts count as a zip's would). Real parts hold a
// few thousand messages; the bound keeps the index of one part's messages
// (a few dozen bytes each) within a few dozen megabytes.
inline constexpr std::uint64_t kMaxIwaPartInflated = kMaxPartSize;
inline constexpr std::uint64_t kMaxIwaTotalInflated = kMaxTotalInflated;
inline constexpr std::size_t kMaxIwaMessages = 1'000'000; // in one part

// Presentation content, for packages and binary presentations alike. The
// bounds on shapes and text hold twice over (ShapeBudget): for the slides'
// top-level shapes, and apart for what only the "all text" mode reads, so
// that its pieces never take room from the slides; a part read only in that
// mode is also stopped while it is parsed once it keeps more text than its
// page has room for (XmlRules::textLimit).
inline constexpr std::size_t kMaxSlides = 50'000;
inline constexpr std::size_t kMaxShapesPerSlide = 100'000;
inline constexpr std::size_t kMaxShapesPerFile = 1'000'000;
inline constexpr std::size_t kMaxTextPerSlide = 16ull << 20; // bytes of text kept for one slide
inline constexpr std::size_t kMaxTextPerFile = 128ull << 20; // ... for all slides of one file
// Groups inside groups, entered only when all text is read. Real decks nest a
// handful deep; the bound keeps the walk's recursion small.
inline constexpr int kMaxGroupDepth = 64;

// Documents embedded in a deck, read only when all text is read. A deck's
// own embedded documents are depth 1, theirs depth 2, and none deeper is
// read. For the whole file: how many are read, and the bytes of each (held
// whole while it is read). Each is a package of its own, held to tighter
// bounds than a file, so that the count times its bound stays within what
// one file may cost; its text counts against the file's.
inline constexpr int kMaxEmbeddingDepth = 2;
inline constexpr std::size_t kMaxEmbeddedDocuments = 16;
inline constexpr std::uint64_t kMaxEmbeddedSize = 16ull << 20;
inline constexpr std::uint64_t kMaxEmbeddedInflated = 32ull << 20; // all parts read from one

} // namespace orv::limits
