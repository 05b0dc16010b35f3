#include "wizard/cabinet/cabinet_list.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "common/cabinet/setup_files.h"
#include "common/cabinet/setup_header.h"
#include "common/cabinet/setup_xml.h"
#include "common/fixed_text.h"
#include "platform/desktop_platform.h"
#include "platform/path_text.h"
#include "platform/utc_time.h"
#include "wizard/cabinet/cabinet_filters.h"
#include "wizard/cabinet/cabinet_page.h"
#include "wizard/project/file_name_rules.h"
#include "wizard/project/project_file.h"

namespace zk {
namespace {

constexpr std::size_t MAX_ROW_TEXT = 259;

void RemoveSetupFiles(DesktopPlatform& platform, const SetupFilePaths& files) {
    platform.RemoveFile(files.header);
    platform.RemoveFile(files.xml);
}

enum class SetupSource { Header, Xml, None };

// Steps 2 to 5 of an admission: the set-up information of the extracted
// members, the header before the XML. False when the header is refused.
bool ReadSetupInformation(DesktopPlatform& platform, const SetupFilePaths& files, SetupInfo& info,
                          SetupSource& source) {
    std::memset(&info, 0, sizeof info);
    if (std::unique_ptr<FileHandle> header = platform.OpenFile(files.header, FileMode::Read)) {
        source = SetupSource::Header;
        const bool accepted = ReadSetupHeader(*header, info);
        header->Close();
        return accepted;
    }
    if (std::unique_ptr<FileHandle> xml = platform.OpenFile(files.xml, FileMode::Read)) {
        source = SetupSource::Xml;
        xml->Close();
        // A failure inside the document leaves what was read before it; the
        // cabinet is admitted all the same.
        ReadSetupXml(platform, files.xml, info);
        return true;
    }
    source = SetupSource::None;
    return true;
}

// The listed name the display name equals, exactly when one does, else
// without regard to case; empty when none.
std::string ListedAs(const Project& project, const std::string& displayName) {
    const std::string key = displayName.substr(0, MAX_ROW_TEXT);
    const int count = CabinetCount(project);
    std::string found;
    for (int i = 0; i < count; ++i) {
        const std::string listed = TextOf(project.cabinets[i].fileName);
        if (listed == key) return listed;
        if (found.empty() && SameFileName(listed, key)) found = listed;
    }
    return found;
}

}  // namespace

Admission AdmitCabinet(WizardContext& ctx, const std::string& path, const std::string& displayName,
                       SetupInfo* learned) {
    DesktopPlatform& platform = ctx.platform;
    const std::string nameProblem = FileNameProblem(displayName);
    if (!nameProblem.empty()) {
        platform.ShowMessage(BAD_NAME_TEXT + nameProblem, displayName, MessageIcon::Warning, false);
        return Admission::BadName;
    }
    const SetupFilePaths files = SetupFilePathsOf(platform);
    // A file left by an earlier run that ended halfway must not pass for
    // this cabinet's set-up information.
    RemoveSetupFiles(platform, files);

    if (!ExtractSetupFiles(platform, path)) {
        RemoveSetupFiles(platform, files);
        platform.ShowMessage(NOT_A_CABINET_TEXT, displayName, MessageIcon::Error, false);
        return Admission::NotACabinet;
    }

    SetupInfo info;
    SetupSource source = SetupSource::None;
    const bool accepted = ReadSetupInformation(platform, files, info, source);
    RemoveSetupFiles(platform, files);
    if (learned) *learned = info;
    if (!accepted) {
        platform.ShowMessage(BAD_HEADER_TEXT, displayName, MessageIcon::Warning, false);
        return Admission::BadHeader;
    }
    if (source == SetupSource::None)
        platform.ShowMessage(NO_SETUP_INFO_TEXT, displayName, MessageIcon::Information, false);

    const std::string listed = ListedAs(ctx.project, displayName);
    if (!listed.empty()) {
        platform.ShowMessage(listed == displayName.substr(0, MAX_ROW_TEXT)
                                 ? std::string(DOUBLE_ENTRY_TEXT)
                                 : CASE_DOUBLE_TEXT + listed,
                             DOUBLE_ENTRY_CAPTION, MessageIcon::Warning, false);
        return Admission::DoubleEntry;
    }
    if (CabinetCount(ctx.project) >= MAX_CABINETS) {
        platform.ShowMessage(LIST_FULL_TEXT, displayName, MessageIcon::Warning, false);
        return Admission::ListFull;
    }

    CabEntry entry{};
    CopyText(entry.path, path);
    CopyText(entry.fileName, displayName);
    CopyText(entry.appName, TextOf(info.appName));
    CopyText(entry.provider, TextOf(info.provider));
    DeriveEntryFlags(ctx.project, info, entry);
    const int index = CabinetCount(ctx.project);
    if (!AppendCabinetEntry(ctx.project, entry)) return Admission::ListFull;

    if (PageView* list = CabinetListOf(ctx)) {
        list->InsertListRow(IDC_CABINET_LIST, index, TextOf(entry.fileName), IMAGE_CABINET);
        WriteFilterCells(ctx, index);
    }
    return source == SetupSource::None ? Admission::AdmittedWithoutSetupInfo : Admission::Admitted;
}

bool ReadCabinetSetupInfo(DesktopPlatform& platform, const std::string& path, SetupInfo& info) {
    const SetupFilePaths files = SetupFilePathsOf(platform);
    RemoveSetupFiles(platform, files);
    if (!ExtractSetupFiles(platform, path)) {
        RemoveSetupFiles(platform, files);
        return false;
    }
    SetupSource source = SetupSource::None;
    const bool accepted = ReadSetupInformation(platform, files, info, source);
    RemoveSetupFiles(platform, files);
    return accepted && source != SetupSource::None;
}

void ClearCabinetDetails(WizardContext& ctx) {
    PageView* page = CabinetListOf(ctx);
    if (!page) return;
    for (int id : {IDC_DETAIL_NAME, IDC_DETAIL_PROVIDER, IDC_DETAIL_DATE, IDC_DETAIL_SIZE,
                   IDC_DETAIL_LOCATION})
        page->SetText(id, "");
}

void RemoveCabinet(WizardContext& ctx) {
    PageView* list = CabinetListOf(ctx);
    if (!list) return;
    const int row = list->ListSelectedRow(IDC_CABINET_LIST);
    if (row < 0 || !RemoveCabinetEntry(ctx.project, row)) return;
    list->DeleteListRow(IDC_CABINET_LIST, row);
    ClearCabinetDetails(ctx);
}

void MoveCabinet(WizardContext& ctx, int from, int to) {
    const int count = CabinetCount(ctx.project);
    if (from < 0 || from >= count || to < 0 || to >= count || from == to) return;
    const CabEntry moved = ctx.project.cabinets[from];
    RemoveCabinetEntry(ctx.project, from);
    InsertCabinetEntry(ctx.project, moved, to);

    if (PageView* list = CabinetListOf(ctx)) {
        // The row goes in as a copy of its label and state; its cells are
        // written afresh below.
        const std::string label = list->ListCellText(IDC_CABINET_LIST, from, 0);
        const int image = list->ListCellImage(IDC_CABINET_LIST, from, 0);
        const bool selected = list->ListSelectedRow(IDC_CABINET_LIST) == from;
        const bool focused = list->ListFocusedRow(IDC_CABINET_LIST) == from;
        const int copyAt = to >= from ? to + 1 : to;
        list->InsertListRow(IDC_CABINET_LIST, copyAt, label, image);
        if (selected || focused) list->SetListRowState(IDC_CABINET_LIST, copyAt, selected, focused);
        list->DeleteListRow(IDC_CABINET_LIST, to >= from ? from : from + 1);
        ClearCabinetDetails(ctx);
    }
    RefreshCabinetRow(ctx, to, false);
}

void MoveCabinetUp(WizardContext& ctx) {
    PageView* list = CabinetListOf(ctx);
    if (!list) return;
    const int row = list->ListSelectedRow(IDC_CABINET_LIST);
    if (row > 0) MoveCabinet(ctx, row, row - 1);
}

void MoveCabinetDown(WizardContext& ctx) {
    PageView* list = CabinetListOf(ctx);
    if (!list) return;
    const int row = list->ListSelectedRow(IDC_CABINET_LIST);
    if (row >= 0 && row + 1 < CabinetCount(ctx.project)) MoveCabinet(ctx, row, row + 1);
}

void ShowCabinetDetails(WizardContext& ctx) {
    PageView* page = CabinetListOf(ctx);
    if (!page) return;
    const int row = page->ListFocusedRow(IDC_CABINET_LIST);
    if (row < 0 || row >= CabinetCount(ctx.project)) return;
    const CabEntry& entry = ctx.project.cabinets[row];
    page->SetText(IDC_DETAIL_NAME, TextOf(entry.appName));
    page->SetText(IDC_DETAIL_PROVIDER, TextOf(entry.provider));
    const std::string path = TextOf(entry.path);
    if (std::unique_ptr<FileHandle> file = ctx.platform.OpenFile(path, FileMode::Read)) {
        FileFacts facts;
        if (ctx.platform.GetFileFacts(path, &facts)) {
            const CalendarTime t = UtcCalendarTime(FiletimeToUnixSeconds(facts.creationTime));
            char text[64];
            std::snprintf(text, sizeof text, "%02d/%02d/%d  %02d:%02d", t.month, t.day, t.year,
                          t.hour, t.minute);
            page->SetText(IDC_DETAIL_DATE, text);
            std::snprintf(text, sizeof text, "%llu,%llu Kb",
                          static_cast<unsigned long long>(facts.size / 1024),
                          static_cast<unsigned long long>(facts.size % 1024));
            page->SetText(IDC_DETAIL_SIZE, text);
        }
        file->Close();
    }
    page->SetText(IDC_DETAIL_LOCATION, path);
}

void AdmitDroppedFiles(WizardContext& ctx, const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        const std::string shown = path.substr(0, MAX_ROW_TEXT);
        AdmitCabinet(ctx, shown, FileNamePart(shown));
    }
}

void BuildCabinetList(WizardContext& ctx) {
    ShowCabinetColumns(ctx);
    if (PageView* list = CabinetListOf(ctx)) list->DeleteAllListRows(IDC_CABINET_LIST);
    const int count = CabinetCount(ctx.project);
    for (int i = 0; i < count; ++i) RefreshCabinetRow(ctx, i, true);
}

}  // namespace zk
