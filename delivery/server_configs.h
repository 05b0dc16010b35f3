// What a web server needs to be told to hand out the installers as
// downloads (content_types.h): .htaccess for Apache, a snippet for nginx.
// Both are written beside the page; a server that ignores them still serves
// the page and sums.
#pragma once

#include <string>

namespace zk {

std::string HtaccessText();
std::string NginxConfText();

}  // namespace zk
