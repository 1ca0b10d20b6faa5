#pragma once

#include "extract/common/ByteSource.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orv::ppt {

// Record types of the binary presentation stream and of the drawings in it.
enum RecordType : std::uint16_t {
    kDocumentContainer = 0x03E8,
    kDocumentAtom = 0x03E9,
    kSlideContainer = 0x03EE,
    kSlideAtom = 0x03EF,
    kNotesContainer = 0x03F0,
    kSlidePersistAtom = 0x03F3,
    kMainMasterContainer = 0x03F8,
    kExObjList = 0x0409,
    kDrawingGroup = 0x040B,
    kDrawingContainer = 0x040C,
    kPlaceholderAtom = 0x0BC3,
    kOutlineTextRefAtom = 0x0F9E,
    kTextHeaderAtom = 0x0F9F,
    kTextCharsAtom = 0x0FA0,
    kTextBytesAtom = 0x0FA8,
    kCString = 0x0FBA,
    kExOleObjAtom = 0x0FC3,
    kHandoutContainer = 0x0FC9,
    kExOleEmbed = 0x0FCC,
    kExOleLink = 0x0FCE,
    kExHyperlinkAtom = 0x0FD3,
    kExHyperlink = 0x0FD7,
    kSlideNumberMCAtom = 0x0FD8,
    kHeadersFooters = 0x0FD9,
    kExControl = 0x0FEE,
    kSlideListWithText = 0x0FF0,
    kInteractiveInfo = 0x0FF2,
    kInteractiveInfoAtom = 0x0FF3,
    kUserEditAtom = 0x0FF5,
    kCurrentUserAtom = 0x0FF6,
    kExOleObjStg = 0x1011,
    kProgTags = 0x1388,
    kProgBinaryTag = 0x138A,
    kBinaryTagData = 0x138B,
    kPersistDirectoryAtom = 0x1772,
    kComment10 = 0x2EE0,
    kDgContainer = 0xF002,
    kSpgrContainer = 0xF003,
    kSpContainer = 0xF004,
    kFsp = 0xF00A,
    kFopt = 0xF00B,
    kClientTextbox = 0xF00D,
    kClientData = 0xF011,
    kTertiaryFopt = 0xF122,
};

struct RecordHeader {
    std::uint16_t version = 0;  // 0xF marks a container
    std::uint16_t instance = 0; // meaning depends on the type
    std::uint16_t type = 0;
    std::uint32_t length = 0; // of the body, after the 8-byte header
};

constexpr std::size_t kHeaderSize = 8;

// A record held in memory: its header and its body.
struct Record {
    RecordHeader header;
    std::span<const std::uint8_t> body;
};

// The records that follow one another in `bytes`. A record that claims more
// bytes than remain makes the whole sequence damaged (orv::Failure).
std::vector<Record> childRecords(std::span<const std::uint8_t> bytes);

// The first child of `bytes` with the type (and instance, if given).
std::optional<Record> findChild(std::span<const std::uint8_t> bytes, std::uint16_t type,
                                std::optional<std::uint16_t> instance = std::nullopt);

RecordHeader parseHeader(const std::uint8_t* p);
RecordHeader readHeader(const ByteSource& stream, std::uint64_t offset);

// The whole record at `offset` of a stream, header checked against `type`.
// Its size is bounded by the stream, which is bounded by the file.
std::vector<std::uint8_t> readRecord(const ByteSource& stream, std::uint64_t offset, std::uint16_t type,
                                     const char* what);

std::uint32_t le32(std::span<const std::uint8_t> bytes, std::size_t at);

// Text of an 8-bit text atom (each byte is the code point 0..255) as UTF-8;
// a 16-bit one (UTF-16LE) is read with Utf16ToUtf8.
std::string latin1ToUtf8(std::span<const std::uint8_t> bytes);

[[noreturn]] void damaged(const std::string& why);

} // namespace orv::ppt
