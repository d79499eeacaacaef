#include "tests/support/log_capture.h"

#include <sstream>

#include "shell/log.h"

LogCapture::LogCapture(unsigned maxLevel) : file_(folder_.File(L"test.log")) {
    CCTLog& log = CCTLog::Instance();
    log.Close();
    log.SetConsoleCopy(nullptr);
    log.OpenFile(file_);
    log.SetEnabled(true);
    log.SetMaxLevel(maxLevel);
}

LogCapture::~LogCapture() {
    CCTLog::Instance().Close();
    CCTLog::Instance().SetMaxLevel(kLogLimitAtStart);
}

std::vector<std::string> LogCapture::Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadWholeFile(file_));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> LogCapture::Messages() const {
    std::vector<std::string> messages;
    for (const std::string& line : Lines()) {
        const size_t tab = line.find('\t');
        messages.push_back(tab == std::string::npos ? line : line.substr(tab + 1));
    }
    return messages;
}
