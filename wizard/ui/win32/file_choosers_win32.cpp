#include "wizard/ui/win32/file_choosers_win32.h"

#include <commdlg.h>

#include <vector>

namespace zk {
namespace {

struct ChooserFacts {
    const char* title;
    // Description and pattern pairs, each ended by a zero, the list by two.
    const char* filter;
    std::size_t filterLength;
    std::size_t pathBuffer;
};

template <std::size_t N>
constexpr ChooserFacts Facts(const char* title, const char (&filter)[N], std::size_t buffer) {
    return {title, filter, N, buffer};
}

constexpr char PROJECT_FILTER[] = "Project File (*.paw)\0*.paw\0";
constexpr char TEXT_FILTER[] = "TEXT (*.txt)\0*.txt\0HTML (*.html;*.htm)\0*.html;*.htm\0";
constexpr char IMAGE_FILTER[] =
    "All formats\0*.bmp;*.jpg;*.jpeg;*.png\0BMP (*.bmp)\0*.bmp\0"
    "JPEG (*.jpg;*.jpeg)\0*.jpg;*.jpeg\0PNG (*.png)\0*.png\0";
constexpr char CABINET_FILTER[] = "CabFiles\0*.cab\0";

ChooserFacts FactsOf(Chooser chooser) {
    switch (chooser) {
    case Chooser::Project: return Facts("Browse Project Files", PROJECT_FILTER, 520);
    case Chooser::Eula: return Facts("Browse Eula Files", TEXT_FILTER, 260);
    case Chooser::Readme: return Facts("Browse Readme Files", TEXT_FILTER, 260);
    case Chooser::Splash: return Facts("Browse Splash Images", IMAGE_FILTER, 260);
    case Chooser::Cabinet: break;
    }
    return Facts("Browse Cabinet Files", CABINET_FILTER, 33280);
}

}  // namespace

bool ChooseFileWin32(HWND owner, Chooser chooser, std::string* path) {
    const ChooserFacts facts = FactsOf(chooser);
    std::vector<char> buffer(facts.pathBuffer, '\0');
    char fileName[260] = {};
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = facts.filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrFileTitle = fileName;
    dialog.nMaxFileTitle = sizeof fileName;
    dialog.lpstrTitle = facts.title;
    dialog.Flags =
        OFN_READONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_ENABLESIZING;
    if (!GetOpenFileNameA(&dialog)) return false;
    *path = buffer.data();
    return !path->empty();
}

}  // namespace zk
