#include "tests/windows/step_driver.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>

namespace zk::test {

DWORD ProcessOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

std::vector<HWND> TopLevelWindows(DWORD process) {
    struct Search {
        DWORD process;
        std::vector<HWND> found;
    } search{process, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (ProcessOf(window) == s->process) s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM data) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND FocusIn(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!window || !GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

std::string PostKeys(HWND window, const std::string& keys) {
    static const struct {
        const char* name;
        WPARAM key;
    } NAMES[] = {{"enter", VK_RETURN},  {"space", VK_SPACE}, {"tab", VK_TAB},
                 {"escape", VK_ESCAPE}, {"up", VK_UP},       {"down", VK_DOWN},
                 {"left", VK_LEFT},     {"right", VK_RIGHT}, {"f1", VK_F1},
                 {"f2", VK_F2}};
    std::size_t at = 0;
    while (at < keys.size()) {
        const std::size_t end = std::min(keys.find(' ', at), keys.size());
        const std::string name = keys.substr(at, end - at);
        at = end + 1;
        if (name.empty()) continue;
        WPARAM key = 0;
        bool alt = false;
        if (name.size() == 5 && name.compare(0, 4, "alt+") == 0 &&
            std::isalnum(static_cast<unsigned char>(name[4]))) {
            key = static_cast<WPARAM>(std::toupper(static_cast<unsigned char>(name[4])));
            alt = true;
        }
        for (const auto& n : NAMES) {
            if (name == n.name) key = n.key;
        }
        if (!key) return name;
        HWND target = FocusIn(window);
        if (!target) target = window;
        // Repeat count 1; a system key's context code says Alt is held; a
        // key-up's previous state and transition bits are set.
        const LPARAM down = 1 | (alt ? LPARAM{1} << 29 : 0);
        const LPARAM up = down | static_cast<LPARAM>(0xC0000000u);
        PostMessageA(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, down);
        PostMessageA(target, alt ? WM_SYSKEYUP : WM_KEYUP, key, up);
        // The next key goes to wherever this one moved the focus: the
        // program is given time to take it (a sent message would be answered
        // before the posted keys are read).
        Sleep(250);
    }
    return {};
}

std::string SaveScreenArea(const RECT& area, const std::string& file) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return "an empty area";
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<char> pixels(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
    const int lines = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                                reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (lines != height) {
        return std::to_string(lines) + " of " + std::to_string(height) + " lines of the screen";
    }
    BITMAPFILEHEADER fileHeader = {};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
    fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(pixels.size());
    header.biSizeImage = static_cast<DWORD>(pixels.size());
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return out ? std::string() : "a write error on " + file;
}

StepDriver::~StepDriver() {
    if (process_.hProcess) {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            std::printf("the program still runs at the end: ended\n");
            TerminateProcess(process_.hProcess, 255);
        }
        CloseHandle(process_.hProcess);
        if (process_.hThread) CloseHandle(process_.hThread);
    }
}

std::vector<std::string> StepDriver::Words(const std::string& text, std::size_t count) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (words.size() < count) {
        at = text.find_first_not_of(" \t", at);
        if (at == std::string::npos) break;
        if (words.size() + 1 == count) {
            std::string rest = text.substr(at);
            rest.erase(rest.find_last_not_of(" \t\r\n") + 1);
            words.push_back(rest);
            break;
        }
        const std::size_t end = text.find_first_of(" \t", at);
        words.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end;
    }
    return words;
}

void StepDriver::Fail(const std::string& expected, const std::string& got) {
    ++failures_;
    std::printf("step %d (%s): expected %s, got %s\n", number_, line_.c_str(), expected.c_str(),
                got.c_str());
    std::fflush(stdout);
}

bool StepDriver::Running() const {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool StepDriver::Eventually(const std::string& expected, const std::function<Check()>& probe) {
    const DWORD start = GetTickCount();
    Check last = probe();
    while (!last.ok && Running() && GetTickCount() - start < timeout) {
        Sleep(25);
        last = probe();
    }
    if (!last.ok) Fail(expected, last.got + (Running() ? "" : " (the program is not running)"));
    return last.ok;
}

StepDriver::StepDriver() {
    AddVerb("timeout", 1, [this](const Args& a) { timeout = static_cast<DWORD>(Number(a[0])); });
    AddVerb("sleep", 1, [](const Args& a) { Sleep(static_cast<DWORD>(Number(a[0]))); });
    AddVerb("screenshot", 1, [this](const Args& a) { Screenshot(a[0]); });
}

void StepDriver::AddVerb(const char* name, std::size_t words,
                         std::function<void(const Args&)> action) {
    verbs_[name] = Verb{words, std::move(action)};
}

bool StepDriver::Run(const std::string& line, int number) {
    line_ = line;
    number_ = number;
    if (trace) {
        std::printf("> %d %s\n", number, line.c_str());
        std::fflush(stdout);
    }
    const std::vector<std::string> head = Words(line, 2);
    if (head.empty()) return true;
    const auto verb = verbs_.find(head[0]);
    if (verb == verbs_.end()) return false;
    Args args = Words(line, verb->second.words + 1);
    args.erase(args.begin());
    args.resize(verb->second.words);
    verb->second.action(args);
    return true;
}

int RunSteps(int argc, char** argv, const char* name, const char* usage, StepDriver& driver,
             const std::function<int(const std::string& option, const char* value)>& option) {
    std::vector<std::string> steps;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--", 0) != 0) {
            steps.push_back(a);
            continue;
        }
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--steps" && value) {
            ++i;
            std::ifstream in(value);
            if (!in) {
                std::fprintf(stderr, "%s: cannot read %s\n", name, value);
                return 2;
            }
            for (std::string line; std::getline(in, line);) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                const std::size_t first = line.find_first_not_of(" \t");
                if (first == std::string::npos || line[first] == '#') continue;
                steps.push_back(line.substr(first));
            }
            continue;
        }
        if (a == "--trace") {
            driver.trace = true;
            continue;
        }
        const int taken = a == "--steps" ? 0 : option(a, value);
        if (taken == 0) {
            std::fprintf(stderr, "usage: %s %s\n", name, usage);
            return 2;
        }
        if (taken == 2) ++i;
    }
    int number = 0;
    for (const std::string& step : steps) {
        if (!driver.Run(step, ++number)) {
            std::fprintf(stderr, "%s: step %d not understood: %s\n", name, number, step.c_str());
            return 2;
        }
    }
    std::printf("%zu steps, %d failures\n", steps.size(), driver.Failures());
    return driver.Failures() == 0 ? 0 : 1;
}

}  // namespace zk::test
