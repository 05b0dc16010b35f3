// The edge of a host program, where the system's UTF-8 meets the record's code
// page 1252: the command line comes in through RecordArguments, and printed
// text goes out through a Utf8OutputBuffer. With the desktop platform
// converting file names (desktop_platform_posix.h), everything between works
// in 1252 as the Windows programs do.
#pragma once

#include <streambuf>
#include <string>
#include <vector>

namespace zk {

// The arguments after the program name, from UTF-8 to code page 1252. False
// when one cannot be: `problem` then names it (the option it follows, else
// its place, counted from 1, and its text) and says why.
bool RecordArguments(const std::vector<std::string>& host, std::vector<std::string>* record,
                     std::string* problem);

// Passes 1252 text on to `target` as UTF-8. Holds nothing back: every byte
// stands for a whole character.
class Utf8OutputBuffer : public std::streambuf {
public:
    explicit Utf8OutputBuffer(std::streambuf* target) : target_(target) {}

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    std::streambuf* target_;
};

}  // namespace zk
