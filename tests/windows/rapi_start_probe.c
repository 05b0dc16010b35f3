/* A program for the device that tells how it was started: it writes its
   current folder and its command line, one per line, to the file named by
   its command line ("probe.txt" when none), a path the device resolves. */
#include <windows.h>

static const wchar_t* Arguments(const wchar_t* line) {
    /* The program's own name comes first, quoted or not. */
    if (*line == L'"') {
        ++line;
        while (*line && *line != L'"') ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != L' ') ++line;
    }
    while (*line == L' ') ++line;
    return line;
}

static void Put(HANDLE file, const wchar_t* text) {
    char utf8[2048];
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
    DWORD written;
    if (size > 1) WriteFile(file, utf8, (DWORD)(size - 1), &written, NULL);
    WriteFile(file, "\n", 1, &written, NULL);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR unused, int show) {
    (void)instance; (void)previous; (void)unused; (void)show;
    const wchar_t* arguments = Arguments(GetCommandLineW());
    wchar_t folder[MAX_PATH];
    if (!GetCurrentDirectoryW(MAX_PATH, folder)) folder[0] = 0;
    HANDLE file = CreateFileW(*arguments ? arguments : L"probe.txt", GENERIC_WRITE, 0, NULL,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 1;
    Put(file, folder);
    Put(file, arguments);
    CloseHandle(file);
    return 0;
}
