// What the Windows test drivers share: finding another process's windows,
// saving a part of the screen as a picture, and running steps Wine-test
// style — every failed check prints what was expected and what was found,
// and the run goes on.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zk::test {

struct Check {
    bool ok;
    std::string got;
};

DWORD ProcessOf(HWND window);
// The top-level windows of one process.
std::vector<HWND> TopLevelWindows(DWORD process);
// Every window below `parent`, at any depth.
std::vector<HWND> Descendants(HWND parent);

// Writes `area` of the screen to `file` as a 24-bit bottom-up BMP. Empty on
// success, else what went wrong.
std::string SaveScreenArea(const RECT& area, const std::string& file);

// Posts `keys` - names separated by blanks: enter, space, tab, escape, up,
// down, left, right, f1, f2, or alt+LETTER - to the window with the keyboard
// focus in the thread of `window` (`window` itself when nothing has it),
// each as the key-down and key-up messages a keyboard sends, a system key's
// with Alt held. Empty when every name was known, else the first unknown one.
std::string PostKeys(HWND window, const std::string& keys);

// The window with the keyboard focus in the thread of `window`, or null.
HWND FocusIn(HWND window);

// The words that follow a step's verb, as many as the verb takes; the last
// one takes the rest of the line, and missing ones are empty.
using Args = std::vector<std::string>;

// Runs steps of the form "verb words...": each driver names its verbs in one
// table (AddVerb); "timeout MS", "sleep MS" and "screenshot FILE" are every
// driver's.
class StepDriver {
public:
    DWORD timeout = 5000;
    bool trace = false;  // each step printed as it starts

    StepDriver();
    StepDriver(const StepDriver&) = delete;
    StepDriver& operator=(const StepDriver&) = delete;
    // A program still running at the end is ended.
    virtual ~StepDriver();

    int Failures() const { return failures_; }

    // One step; false when its verb is not known.
    bool Run(const std::string& line, int number);

protected:
    // Adds the verb `name`, which takes `words` words.
    void AddVerb(const char* name, std::size_t words, std::function<void(const Args&)> action);
    // Saves the program's window, or the dialog it shows, as a picture.
    virtual void Screenshot(const std::string& file) = 0;

    static int Number(const std::string& word) { return std::atoi(word.c_str()); }
    void Fail(const std::string& expected, const std::string& got);
    bool Running() const;
    // Polls `probe` until it holds or the time-out passes; nothing changes
    // any more once the program has ended.
    bool Eventually(const std::string& expected, const std::function<Check()>& probe);

    PROCESS_INFORMATION process_ = {};

private:
    struct Verb {
        std::size_t words;
        std::function<void(const Args&)> action;
    };

    // Splits "verb a b rest of line" into at most `count` words, the last
    // one taking the rest of the line (trailing blanks dropped).
    static std::vector<std::string> Words(const std::string& text, std::size_t count);

    std::map<std::string, Verb> verbs_;
    int failures_ = 0;
    int number_ = 0;
    std::string line_;
};

// A driver's main. "--steps FILE" adds the lines of FILE as steps (blank
// lines and lines starting with '#' skipped); any other "--option" goes to
// `option` with the argument after it (or null when there is none), which
// answers 0 for an unknown option, 1 for a flag and 2 when it took the
// value; "--trace" prints each step as it starts; every other argument is a
// step. Exit code 0 when every step passed,
// 1 when one failed, 2 on bad usage.
int RunSteps(int argc, char** argv, const char* name, const char* usage, StepDriver& driver,
             const std::function<int(const std::string& option, const char* value)>& option);

}  // namespace zk::test
