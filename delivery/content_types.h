// What a served file is said to be. An installer goes as a plain download
// (application/octet-stream with "Content-Disposition: attachment"): under
// another type Pocket Internet Explorer refuses it and desktop browsers
// rename it or try to show it.
#pragma once

#include <string>

namespace zk {

inline constexpr const char* INSTALLER_CONTENT_TYPE = "application/octet-stream";

struct ContentType {
    const char* mime;
    bool attachment;  // to be saved, not shown
};

// By the name's extension, without regard to case; SHA256SUMS is text.
// Anything unknown is a download.
ContentType ContentTypeOf(const std::string& fileName);

}  // namespace zk
