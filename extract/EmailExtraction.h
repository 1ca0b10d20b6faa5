#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace orv {

// Text is UTF-8 throughout the core. Readers convert once, at the edge, from
// whatever the presentation stores (UTF-16 text atoms, UTF-8 XML).

// The addresses a run has recorded, each in lower case. Membership is exact
// comparison of the lower-cased form.
using SeenEmails = std::unordered_set<std::string>;

// The form in which `seen` holds an address.
std::string SeenKey(std::string_view address);

// What the extraction needs from its surroundings. The window pumps its event
// loop and appends a result row; the command-line tool prints; tests record.
struct HarvestCallbacks {
    std::function<void()> pumpEvents;                // once per candidate token, before it is tested
    std::function<void(std::string_view)> appendRow; // a new address, in the letter case found
};

// Every separator character (30 of them, no-break space among them) replaced
// by one space. Characters are counted, not bytes: the no-break space (two
// bytes in UTF-8) becomes one space.
std::string ReplacePunctuation(std::string_view text);

// Tokens cut at tab, then carriage return, then space, that hold both "@" and
// "."; in text order, duplicates kept.
std::vector<std::string> GetCandidateTokens(std::string_view text);

// Whether the whole token matches the address pattern (case-sensitive, "$" only
// at the very end). Linear in the token's length and without recursion, so any
// token size is safe; bytes above code 126, valid UTF-8 or not, never match.
bool IsValidEmail(std::string_view token);

// Cleans the text, cuts it into candidates and records every valid address that
// `seen` does not hold yet (compared in lower case), in the order found. Pumps
// once per candidate, before testing it; a text without "@" pumps nothing.
// Whatever a callback throws ends the harvest; earlier rows and entries stay.
void HarvestEmailsFromText(std::string_view text, SeenEmails& seen, const HarvestCallbacks& callbacks);

} // namespace orv
