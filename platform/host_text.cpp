#include "platform/host_text.h"

#include "common/ansi_text.h"

namespace zk {

bool RecordArguments(const std::vector<std::string>& host, std::vector<std::string>* record,
                     std::string* problem) {
    std::vector<std::string> converted;
    for (std::size_t i = 0; i < host.size(); ++i) {
        std::string ansi;
        TextFault fault;
        if (Utf8ToAnsi(host[i], &ansi, &fault)) {
            converted.push_back(ansi);
            continue;
        }
        std::string name;
        if (i > 0 && host[i - 1].size() > 2 && host[i - 1].rfind("--", 0) == 0) {
            name = host[i - 1];
        } else {
            name = "argument " + std::to_string(i + 1);
            // Shown as given only when it is text a console can show.
            if (!fault.malformed) name += " \"" + host[i] + "\"";
        }
        *problem = name + ": " + DescribeTextFault(fault);
        return false;
    }
    *record = std::move(converted);
    return true;
}

Utf8OutputBuffer::int_type Utf8OutputBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char one = traits_type::to_char_type(c);
    return xsputn(&one, 1) == 1 ? c : traits_type::eof();
}

std::streamsize Utf8OutputBuffer::xsputn(const char* text, std::streamsize count) {
    const std::string utf8 = AnsiToUtf8(std::string_view(text, static_cast<std::size_t>(count)));
    const auto size = static_cast<std::streamsize>(utf8.size());
    return target_->sputn(utf8.data(), size) == size ? count : 0;
}

int Utf8OutputBuffer::sync() { return target_->pubsync(); }

}  // namespace zk
