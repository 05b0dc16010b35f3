#include "inspector/package_report.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "common/ansi_text.h"
#include "common/fixed_text.h"
#include "device/sysinfo/device_matrix.h"
#include "wizard/project/project_file.h"
#include "wizard/project/project_json.h"
#include "wizard/project/project_settings_text.h"
#include "wizard/project/wizard_context.h"

namespace zk {
namespace {

using Json = nlohmann::ordered_json;

std::string MethodName(std::uint32_t method) {
    switch (method) {
    case 0: return "stored";
    case 8: return "deflate";
    default: return "method " + std::to_string(method);
    }
}

std::string Hex8(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

std::string RoleText(const SectionFacts& s) {
    std::string text = SectionRoleName(s.role);
    if (s.role == SectionRole::Cabinet)
        text += " " + std::to_string(s.cabinetIndex) + " (" + s.cabinetFileName + ")";
    return text;
}

Json FaultsJson(const PackageFacts& facts) {
    Json faults = Json::array();
    for (const PackageFault& f : facts.faults)
        faults.push_back(Json{{"offset", f.offset}, {"message", f.message}});
    return faults;
}

void PrintFaults(const PackageFacts& facts, std::ostream& out) {
    for (const PackageFault& f : facts.faults) out << FaultLine(f) << "\n";
}

std::string ProjectName(const PackageFacts& facts) {
    std::string name = facts.projectMemberName;
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

// "signed: N bytes of certificate table" or "not signed".
std::string SignatureText(std::uint64_t tableBytes) {
    return tableBytes ? "signed: " + std::to_string(tableBytes) + " bytes of certificate table"
                      : "not signed";
}

void PrintSignatures(const PackageFacts& facts, std::ostream& out) {
    out << SignatureText(facts.signatureBytes) << "\n";
    if (facts.desktop)
        out << "carried installer " << SignatureText(facts.carriedSignatureBytes) << "\n";
}

void AddSignatures(const PackageFacts& facts, Json& doc) {
    doc["signed"] = facts.signatureBytes != 0;
    doc["certificateTableBytes"] = facts.signatureBytes;
    if (facts.desktop) {
        doc["carriedSigned"] = facts.carriedSignatureBytes != 0;
        doc["carriedCertificateTableBytes"] = facts.carriedSignatureBytes;
    }
}

}  // namespace

void PrintPackageList(DesktopPlatform& desktop, const PackageFacts& facts, std::ostream& out) {
    out << "Package: " << facts.path << " (" << facts.fileSize << " bytes)\n";
    if (facts.desktop) {
        out << "Desktop installer: stub " << facts.desktopStubLength << " bytes; device package at "
            << facts.carriedOffset << ", " << facts.carriedDeclared << " bytes\n";
    }
    out << "Stub: " << facts.stubLength << " bytes\n";
    PrintSignatures(facts, out);
    for (const SectionFacts& s : facts.sections) {
        out << "Section " << s.number << ": " << RoleText(s) << ", offset " << s.offset << ", "
            << s.declared << " bytes";
        if (!s.whole) out << " (" << s.present << " present)";
        out << "\n";
        for (const MemberFacts& m : s.members) {
            out << "    " << m.storedName << "  size " << m.uncompressedSize << ", packed "
                << m.compressedSize << ", " << MethodName(m.method) << ", CRC " << Hex8(m.crc);
            if (m.flags & 1) out << ", encrypted";
            out << "\n";
        }
    }
    if (!facts.faults.empty()) {
        out << "Faults:\n";
        PrintFaults(facts, out);
    }
    if (facts.projectLoaded) {
        out << "\n";
        auto project = std::make_unique<Project>(*facts.project);
        WizardState state;
        InitialiseWizardState(state, desktop);
        WizardContext ctx{*project, state, desktop};
        ApplyProjectToWizard(ctx, ProjectName(facts).c_str());
        // The record keeps code page 1252; everything else here is UTF-8.
        std::ostringstream settings;
        PrintProjectSettings(ctx, settings);
        out << AnsiToUtf8(settings.str());
    }
}

void PrintPackageListJson(const PackageFacts& facts, std::ostream& out) {
    Json doc;
    doc["file"] = facts.path;
    doc["size"] = facts.fileSize;
    doc["kind"] = facts.desktop ? "desktop" : "mobile";
    if (facts.desktop) {
        doc["desktopStubLength"] = facts.desktopStubLength;
        doc["carriedOffset"] = facts.carriedOffset;
        doc["carriedLength"] = facts.carriedDeclared;
    }
    doc["stubLength"] = facts.stubLength;
    AddSignatures(facts, doc);
    Json sections = Json::array();
    for (const SectionFacts& s : facts.sections) {
        Json section{{"number", s.number}, {"role", SectionRoleName(s.role)}};
        if (s.role == SectionRole::Cabinet) {
            section["cabinetIndex"] = s.cabinetIndex;
            section["cabinetFileName"] = s.cabinetFileName;
        }
        section["offset"] = s.offset;
        section["count"] = s.declared;
        section["present"] = s.present;
        section["whole"] = s.whole;
        section["zip"] = s.opened;
        Json members = Json::array();
        for (const MemberFacts& m : s.members) {
            members.push_back(Json{{"name", m.name},
                                   {"storedName", m.storedName},
                                   {"size", m.uncompressedSize},
                                   {"packed", m.compressedSize},
                                   {"method", MethodName(m.method)},
                                   {"crc", Hex8(m.crc)},
                                   {"encrypted", (m.flags & 1) != 0}});
        }
        section["members"] = members;
        sections.push_back(section);
    }
    doc["sections"] = sections;
    doc["project"] = facts.projectLoaded
                         ? Json::parse(ExportProjectJson(*facts.project), nullptr, false)
                         : Json();
    doc["faults"] = FaultsJson(facts);
    out << doc.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
}

void PrintPackageTest(const PackageFacts& facts, std::ostream& out) {
    if (facts.faults.empty())
        out << "OK\n";
    else
        PrintFaults(facts, out);
    PrintSignatures(facts, out);
}

void PrintPackageTestJson(const PackageFacts& facts, std::ostream& out) {
    std::size_t members = 0;
    for (const SectionFacts& s : facts.sections) members += s.members.size();
    Json doc{{"file", facts.path},
             {"ok", facts.faults.empty()},
             {"sections", facts.sections.size()},
             {"members", members}};
    AddSignatures(facts, doc);
    doc["faults"] = FaultsJson(facts);
    out << doc.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
}

void PrintDeviceMatrix(const PackageFacts& facts, std::ostream& out) {
    const Project& p = *facts.project;
    const DeviceMatrix matrix = MakeDeviceMatrix(p);
    const std::vector<DeviceKind>& kinds = DeviceKinds();
    out << "Columns, one per kind of device:\n"
           "  platform   P Pocket PC, S Smartphone\n"
           "  OS         2 2002 (3.0), 3 2003 (4.20), E 2003 SE (4.21), 5 WM 5 (5.1)\n"
           "  processor  I Intel (PXA270), T TI (OMAP850), S Samsung (S3C2440), o other (MSM7200)\n"
           "Cells: + installs, . skips\n\n";
    const int count = CabinetCount(p);
    std::size_t width = 8;
    for (int c = 0; c < count; ++c) width = std::max(width, TextOf(p.cabinets[c].fileName).size());
    const std::string pad(width + 6, ' ');
    std::string platforms, oses, processors;
    for (const DeviceKind& k : kinds) {
        platforms += k.platform[0];
        const std::string os = k.os;
        oses += os == "2002" ? '2' : os == "2003" ? '3' : os == "2003 SE" ? 'E' : '5';
        processors += std::string(k.processor) == "other" ? 'o' : k.processor[0];
    }
    out << pad << platforms << "\n" << pad << oses << "\n" << pad << processors << "\n";
    for (int c = 0; c < count; ++c) {
        char index[16];
        std::snprintf(index, sizeof index, "%3d  ", c);
        std::string name = AnsiToUtf8(TextOf(p.cabinets[c].fileName));
        out << index << name << std::string(width + 1 - std::min(width, name.size()), ' ');
        for (bool cell : matrix.installs[c]) out << (cell ? '+' : '.');
        out << "\n";
    }
    out << "\n";
    for (int k : matrix.installsNothing) out << kinds[k].Label() << ": installs nothing\n";
}

void PrintDeviceMatrixJson(const PackageFacts& facts, std::ostream& out) {
    const Project& p = *facts.project;
    const DeviceMatrix matrix = MakeDeviceMatrix(p);
    const std::vector<DeviceKind>& kinds = DeviceKinds();
    Json columns = Json::array();
    for (const DeviceKind& k : kinds) {
        columns.push_back(Json{{"platform", k.platform},
                               {"os", k.os},
                               {"processor", k.processor},
                               {"version", std::to_string(k.facts.majorVersion) + "." +
                                               std::to_string(k.facts.minorVersion)},
                               {"label", k.Label()}});
    }
    Json rows = Json::array();
    for (int c = 0; c < CabinetCount(p); ++c) {
        Json cells = Json::array();
        for (bool cell : matrix.installs[c]) cells.push_back(cell);
        rows.push_back(Json{{"index", c},
                            {"fileName", AnsiToUtf8(TextOf(p.cabinets[c].fileName))},
                            {"installs", cells}});
    }
    Json nothing = Json::array();
    for (int k : matrix.installsNothing) nothing.push_back(kinds[k].Label());
    Json doc{{"file", facts.path},
             {"columns", columns},
             {"rows", rows},
             {"installsNothing", nothing},
             {"faults", FaultsJson(facts)}};
    out << doc.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
}

}  // namespace zk
