// Which file of the served folder an HTTP request names, decided from the
// request's target alone, with no look at the file system: nothing a client
// sends can name a place outside the folder, a folder below it, or a file
// the folder keeps to itself (a name starting with '.', such as .htaccess
// and the publish lock, and a ".partial" file still being written). Links
// out of the folder are the server's to refuse, once it resolves the path.
#pragma once

#include <string>

namespace zk {

enum class RequestedPath {
    Folder,    // "/": the folder itself
    File,      // a file below it, in `relative`
    NotFound,  // anything else, answered 404
};

// `target` is the request line's target ("/a%20b.exe?x=1"). Only its path
// counts; each segment is percent-decoded on its own, and a segment that
// decodes to a separator, a control character, "." or "..", or an empty one
// ("//"), is refused, as is a target not starting with '/' and one ending in
// '/' (a folder below). `relative` gets the decoded segments joined by '/',
// and is left empty unless a file is named.
RequestedPath MapRequestPath(const std::string& target, std::string* relative);

// A file name as a link's path segment: everything but letters, digits and
// "-._~" percent-encoded.
std::string PercentEncoded(const std::string& name);

}  // namespace zk
