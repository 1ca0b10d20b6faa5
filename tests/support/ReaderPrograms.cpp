#include "support/ReaderPrograms.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace orv::test {

void UseBuiltReaders() {
    ::setenv("ORVANDEL_PDF_READER", ORVANDEL_PDF_READER_PATH, 1);
    ::setenv("ORVANDEL_KEYNOTE_READER", ORVANDEL_KEYNOTE_READER_PATH, 1);
    ::setenv("ORVANDEL_OCR_READER", ORVANDEL_OCR_READER_PATH, 1);
}

void KillIdleReader(int pid) {
    ::kill(pid, SIGKILL);
    const auto ended = [pid] {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        std::getline(stat, line);
        const auto close = line.rfind(')');
        return close == std::string::npos || (close + 2 < line.size() && line[close + 2] == 'Z');
    };
    for (int i = 0; i < 5000 && !ended(); ++i)
        ::usleep(1000);
}

} // namespace orv::test
