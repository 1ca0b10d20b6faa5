// Feeds arbitrary bytes to the address harvest. Beyond not crashing, every row
// must be a valid address, no two rows may be equal in lower case, the seen set
// must hold exactly the rows, and the one-pass harvest must agree with the
// literal clean / cut / test sequence.
#include "extract/EmailExtraction.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "email_fuzz: %s\n", what);
        std::abort();
    }
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    orv::SeenEmails seen;
    std::vector<std::string> rows;
    std::size_t pumps = 0;
    orv::HarvestEmailsFromText(text, seen,
                               {[&] { ++pumps; }, [&](std::string_view row) { rows.emplace_back(row); }});

    orv::SeenEmails rowKeys;
    for (const std::string& row : rows) {
        require(orv::IsValidEmail(row), "a row does not match the address pattern");
        require(rowKeys.insert(lowered(row)).second, "two rows are equal in lower case");
    }
    require(rowKeys == seen, "the seen set differs from the rows");

    const std::string cleaned = orv::ReplacePunctuation(text);
    require(cleaned.size() <= text.size(), "cleaning grew the text");
    const std::vector<std::string> candidates = orv::GetCandidateTokens(cleaned);
    require(candidates.size() == pumps, "pump count differs from the candidate count");
    std::vector<std::string> expected;
    orv::SeenEmails expectedSeen;
    for (const std::string& candidate : candidates)
        if (orv::IsValidEmail(candidate) && expectedSeen.insert(lowered(candidate)).second)
            expected.push_back(candidate);
    require(expected == rows, "the one-pass harvest differs from clean, cut and test");
    return 0;
}
