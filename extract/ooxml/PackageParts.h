#pragma once

#include "extract/common/XmlPart.h"
#include "extract/common/ZipPackage.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orv::ooxml {

// Package-level plumbing: part names, relationships and content types.

struct Relationship {
    std::string id;
    std::string type;
    std::string target;
    bool external = false;
};

// The part a relationship target points at, resolved against the folder of
// the part that holds the relationship ("" for the package root). Handles
// "./", "../" and absolute "/..." targets and drops any fragment. Returns
// nothing when the target climbs above the package root or names no part.
std::optional<std::string> ResolvePartName(std::string_view sourcePart, std::string_view target);

// Where the relationships of a part are kept: ppt/presentation.xml ->
// ppt/_rels/presentation.xml.rels; the package root ("") -> _rels/.rels.
std::string RelationshipsPartName(std::string_view sourcePart);

// Reads the relationships of a parsed .rels part; entries without an id or a
// target are skipped, as they can name nothing. Refuses a part with more than
// limits::kMaxRelationships of them.
std::vector<Relationship> ParseRelationships(const XmlPart& rels);

// A part's relationships with a look-up by id; empty when the part has none.
struct PartRelations {
    std::vector<Relationship> list;
    std::unordered_map<std::string_view, const Relationship*> byId;
};
PartRelations ParsePartRelations(const XmlPart& rels);
PartRelations ReadPartRelations(ZipPackage& zip, const std::string& part);

// The address a hyperlink relationship of the part points at, when its
// target is a mailto: one (MailtoAddress); nothing for any other id.
std::optional<std::string> MailtoLinkAddress(const PartRelations& relations, std::string_view id);

// True when the type is `kind` in the transitional or strict relationship
// vocabulary ("officeDocument", "slide").
bool IsRelationshipType(std::string_view type, std::string_view kind);

// The content type the package's [Content_Types].xml gives a part, if any.
std::optional<std::string> ContentTypeOf(const XmlPart& types, std::string_view partName);

// The zip entry of a part: the name as given, then with %-escapes decoded.
std::optional<std::uint64_t> FindPart(const ZipPackage& zip, const std::string& name);

// ASCII letters in lower case, the rest as it is: how part names and content
// types compare.
std::string LowerAscii(std::string_view text);

// The package's main document, found through its root relationships (never
// by its name); nothing when they name none or are missing.
std::optional<std::string> FindMainPart(ZipPackage& zip);

// How a package of one office kind bids for its record: 2 when the content
// type of its main document holds one of `marks` (in lower case), 0 when it
// names another office kind or the zip has no main document, else 2 when
// `isMain` accepts the main part by its content, 0 otherwise.
int BidByMainDocument(ZipPackage* zip, std::span<const std::string_view> marks,
                      bool (*isMain)(ZipPackage& zip, const std::string& mainPart));

// Reads and parses a part by name, or returns nothing when the package has no
// such part. Tries the name as given, then with %-escapes decoded.
std::optional<XmlPart> ReadXmlPart(ZipPackage& zip, const std::string& name,
                                   const XmlRules& rules = PackagePartRules());

} // namespace orv::ooxml
