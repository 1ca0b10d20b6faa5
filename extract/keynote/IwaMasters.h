#pragma once

#include "extract/common/ZipPackage.h"

#include <string>
#include <vector>

namespace orv::keynote {

// The texts of the current format's master slides. Not read yet: none.
struct MasterText {
    std::string name;
    std::vector<std::string> texts;
};
std::vector<MasterText> ReadMasterTexts(ZipPackage& zip);
std::vector<MasterText> ReadMasterTextsInFolder(const std::string& folder);

} // namespace orv::keynote
