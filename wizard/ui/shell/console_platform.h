// A desktop platform whose message boxes are console lines, "Caption: text",
// for programs run from a shell on any system: information on `out`, the rest
// on `err`. Everything else goes to the platform it wraps.
#pragma once

#include <ostream>

#include "platform/forwarding_desktop_platform.h"

namespace zk {

class ConsolePlatform : public ForwardingDesktopPlatform {
public:
    ConsolePlatform(DesktopPlatform& inner, std::ostream& out, std::ostream& err)
        : ForwardingDesktopPlatform(inner), out_(out), err_(err) {}

    // How many boxes other than information ones were shown.
    int problems() const { return problems_; }

    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                     bool) override {
        if (icon != MessageIcon::Information) ++problems_;
        (icon == MessageIcon::Information ? out_ : err_) << caption << ": " << text << "\n";
    }

private:
    std::ostream& out_;
    std::ostream& err_;
    int problems_ = 0;
};

}  // namespace zk
