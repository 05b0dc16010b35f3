#include "delivery/serve.h"

namespace zk {

// The Windows build has no HTTP library to serve with: the command says so
// rather than vanish.
int RunServe(const ServeOptions&, std::ostream&, std::ostream& err) {
    err << "zephyrkit-project: serve is not available in this build; publish the folder and "
           "serve it with a web server\n";
    return SERVE_FAILED;
}

bool IsListenAddress(const std::string& text) { return !text.empty(); }

}  // namespace zk
