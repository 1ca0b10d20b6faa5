#include "extract/keynote/IwaMasters.h"

namespace orv::keynote {

std::vector<MasterText> ReadMasterTexts(ZipPackage&) {
    return {};
}

std::vector<MasterText> ReadMasterTextsInFolder(const std::string&) {
    return {};
}

} // namespace orv::keynote
