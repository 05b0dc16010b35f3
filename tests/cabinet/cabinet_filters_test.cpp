#include "wizard/cabinet/cabinet_filters.h"

#include <gtest/gtest.h>

#include "common/fixed_text.h"
#include "tests/cabinet/cabinet_fixture.h"
#include "wizard/cabinet/cabinet_list.h"
#include "wizard/project/project_file.h"
#include "wizard/ui/control_ids.h"

namespace zk {
namespace {

using test::Range;

// The nine booleans in column order, as 1s and 0s.
std::string Flags(const CabEntry& e) {
    std::string out;
    for (const FilterOption& o : FILTER_OPTIONS) out += e.*o.flag ? '1' : '0';
    return out;
}

class CabinetFiltersTest : public test::CabinetTest {
protected:
    // Admits an entry as the admission does, without a cabinet file.
    void AddEntry(const char* name, const SetupInfo& info) {
        CabEntry e{};
        CopyText(e.fileName, name);
        DeriveEntryFlags(*project, info, e);
        AppendCabinetEntry(*project, e);
    }
    std::vector<std::string> ColumnTitles() {
        std::vector<std::string> titles;
        for (const auto& c : page.lists[IDC_CABINET_LIST].columns) titles.push_back(c.title);
        return titles;
    }
    std::string Cell(int row, int column) {
        return page.ListCellText(IDC_CABINET_LIST, row, column) + "/" +
               std::to_string(page.ListCellImage(IDC_CABINET_LIST, row, column));
    }
};

TEST_F(CabinetFiltersTest, NewEntryFlagsFollowTheFiltersAndTheVersionRange) {
    project->platformFilterOn = 1;
    project->filterSmartphone = 1;
    project->filterOs2002 = 1;  // selected under a switch that is off
    CabEntry e{};
    DeriveEntryFlags(*project, Range(4, 0, 4, 99), e);
    // PPC SMP | 2002 2003 2003SE WM5 | Intel TI Samsung
    EXPECT_EQ(Flags(e),
              "01"
              "0110"
              "111");

    project->processorFilterOn = 1;
    project->filterIntel = 1;
    DeriveEntryFlags(*project, Range(0, 0, 0, 0), e);
    EXPECT_EQ(Flags(e),
              "01"
              "1111"
              "100");
}

TEST_F(CabinetFiltersTest, ColumnsFollowTheSelectedOptionsInTableOrder) {
    project->processorFilterOn = 1;
    project->filterSamsung = 1;
    project->filterIntel = 1;
    project->filterOs2005 = 1;  // its switch is off: no column
    ShowCabinetColumns(ctx);
    EXPECT_EQ(ColumnTitles(), (std::vector<std::string>{"Cabinet Name", "Intel", "Samsung"}));
    EXPECT_EQ(page.lists[IDC_CABINET_LIST].columns[0].width, 128);
    EXPECT_EQ(page.lists[IDC_CABINET_LIST].columns[1].width, 64);
    EXPECT_EQ(page.lists[IDC_CABINET_LIST].columns[2].align, ColumnAlign::Centre);

    std::memset(&project->platformFilterOn, 1, 12);
    ShowCabinetColumns(ctx);
    EXPECT_EQ(ColumnTitles(),
              (std::vector<std::string>{"Cabinet Name", "PPC", "SMP", "2002", "2003", "2003SE",
                                        "WM 5", "Intel", "TI", "Samsung"}));
    EXPECT_EQ(page.lists[IDC_CABINET_LIST].columns[6].width, 56);
}

TEST_F(CabinetFiltersTest, AdmissionWritesTheCellsOfTheNewRow) {
    ZK_REQUIRE_HOST_TOOLS();
    project->platformFilterOn = 1;
    project->filterSmartphone = 1;
    ShowCabinetColumns(ctx);
    const std::string cab = test::MakeCeCab(folder, "smp.cab", {"--os-min", "4.0"});
    AdmitCabinet(ctx, cab, "smp.cab");
    EXPECT_EQ(ColumnTitles(), (std::vector<std::string>{"Cabinet Name", "SMP"}));
    EXPECT_EQ(Cell(0, 1), "Yes/1");
    EXPECT_EQ(project->cabinets[0].forPocketPC, 0);
}

TEST_F(CabinetFiltersTest, RowRefreshSetsClearsOrKeepsEachBoolean) {
    AddEntry("all-off.cab", Range(4, 0, 4, 99));
    EXPECT_EQ(Flags(project->cabinets[0]),
              "11"
              "0110"
              "111");
    BuildCabinetList(ctx);
    EXPECT_EQ(Flags(project->cabinets[0]),
              "11"
              "1111"
              "111");

    // Exactly one of switch and option on: platform and processor booleans
    // are cleared, OS booleans kept.
    project->cabinets[0].forOs2002 = 0;
    project->platformFilterOn = 1;
    project->filterPocketPC = 1;
    project->filterOs2002 = 1;
    project->processorFilterOn = 1;
    project->filterTI = 1;
    BuildCabinetList(ctx);
    EXPECT_EQ(Flags(project->cabinets[0]),
              "10"
              "0111"
              "010");
    EXPECT_EQ(page.ListRowCount(IDC_CABINET_LIST), 1);  // the rebuild replaced the row
    EXPECT_EQ(ColumnTitles(), (std::vector<std::string>{"Cabinet Name", "PPC", "TI"}));
    EXPECT_EQ(Cell(0, 1), "Yes/1");
    EXPECT_EQ(Cell(0, 2), "Yes/1");
}

TEST_F(CabinetFiltersTest, FlippingACellFlipsTheBooleanItsColumnNames) {
    project->osFilterOn = 1;
    project->filterOs2005 = 1;
    AddEntry("old.cab", Range(4, 0, 4, 99));
    BuildCabinetList(ctx);
    EXPECT_EQ(Cell(0, 1), "No/2");
    EXPECT_EQ(CheckEntryFilters(*project), PAGE_OS_FILTERING);

    ToggleFilterCell(ctx, 0, 1);
    EXPECT_EQ(Cell(0, 1), "Yes/1");
    EXPECT_EQ(project->cabinets[0].forOs2005, 1);
    EXPECT_EQ(CheckEntryFilters(*project), 0);

    // A double-click flips twice.
    ToggleFilterCell(ctx, 0, 1);
    ToggleFilterCell(ctx, 0, 1);
    EXPECT_EQ(project->cabinets[0].forOs2005, 1);

    const std::string before = Flags(project->cabinets[0]);
    ToggleFilterCell(ctx, 0, 0);
    ToggleFilterCell(ctx, -1, 1);
    ToggleFilterCell(ctx, 1, 1);
    page.SetListCell(IDC_CABINET_LIST, 0, 1, "?", 7);
    ToggleFilterCell(ctx, 0, 1);
    EXPECT_EQ(Cell(0, 1), "?/7");
    EXPECT_EQ(Flags(project->cabinets[0]), before);
}

TEST_F(CabinetFiltersTest, SelectionCheckGroupOrder) {
    EXPECT_EQ(CheckFilterSelection(state), 0);
    state.processorFilterOn = 1;
    EXPECT_EQ(CheckFilterSelection(state), PAGE_PROCESSOR_SELECTION);
    state.osFilterOn = 1;
    EXPECT_EQ(CheckFilterSelection(state), PAGE_OS_SELECTION);
    state.platformFilterOn = 1;
    EXPECT_EQ(CheckFilterSelection(state), PAGE_PLATFORM_SELECTION);
    state.filterSmartphone = 1;
    state.filterOs2003SE = 1;
    state.filterSamsung = 1;
    EXPECT_EQ(CheckFilterSelection(state), 0);
}

TEST_F(CabinetFiltersTest, EntryCheckFirstEntryAndGroupThatFails) {
    EXPECT_EQ(CheckEntryFilters(*project), PAGE_EMPTY_LIST);
    AddEntry("ppc-only.cab", Range(0, 0, 0, 0));
    project->cabinets[0].forSmartphone = 0;
    EXPECT_EQ(CheckEntryFilters(*project), 0);  // every switch off

    project->osFilterOn = 1;
    project->filterOs2003 = 1;
    project->filterOs2003SE = 1;
    CabEntry se{};
    se.forOs2003SE = 1;
    CabEntry others{};
    others.forOs2002 = others.forOs2005 = 1;
    std::memset(&se.forPocketPC, 1, 2);
    std::memset(&others.forPocketPC, 1, 2);
    AppendCabinetEntry(*project, se);
    EXPECT_EQ(CheckEntryFilters(*project), 0);
    AppendCabinetEntry(*project, others);
    EXPECT_EQ(CheckEntryFilters(*project), PAGE_OS_FILTERING);

    // The first entry fails the platform group, which is tested first.
    project->platformFilterOn = 1;
    project->filterSmartphone = 1;
    EXPECT_EQ(CheckEntryFilters(*project), PAGE_PLATFORM_FILTERING);
    project->platformFilterOn = 0;
    project->osFilterOn = 0;
    project->processorFilterOn = 1;
    project->filterTI = 1;
    project->cabinets[0].forTI = 1;
    project->cabinets[1].forTI = 1;
    EXPECT_EQ(CheckEntryFilters(*project), PAGE_PROCESSOR_FILTERING);
}

}  // namespace
}  // namespace zk
