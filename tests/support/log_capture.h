#pragma once
// Points the process logger at a fresh file for the duration of a test, so
// that tests can assert the exact lines an operation logged.

#include <string>
#include <vector>

#include "shell/log.h"
#include "tests/support/temp_folder.h"

class LogCapture {
public:
    explicit LogCapture(unsigned maxLevel = kLogLimitRunning);
    ~LogCapture();

    // The messages logged so far (the text after the TAB), in order.
    std::vector<std::string> Messages() const;
    // Whole lines as written, without the leading empty line.
    std::vector<std::string> Lines() const;
    const std::wstring& FilePath() const { return file_; }

private:
    ScopedTempFolder folder_;
    std::wstring file_;
};
