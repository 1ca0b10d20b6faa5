#include "extract/EmailExtraction.h"

namespace orv {
// Placeholder until the extractor lands; see EmailExtraction.h for the contract.
std::string ReplacePunctuation(std::string_view text) { return std::string(text); }
std::vector<std::string> GetCandidateTokens(std::string_view) { return {}; }
bool IsValidEmail(std::string_view) { return false; }
void HarvestEmailsFromText(std::string_view, SeenEmails&, const HarvestCallbacks&) {}
} // namespace orv
