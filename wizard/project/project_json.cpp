#include "wizard/project/project_json.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>

#include "common/ansi_text.h"
#include "common/fixed_text.h"
#include "wizard/project/file_name_rules.h"

namespace zk {
namespace {

using Json = nlohmann::ordered_json;

enum class Kind { Text, Flag };

struct Field {
    const char* name;
    std::size_t offset;
    std::size_t size;
    Kind kind;
};

#define ZK_TEXT(type, member) {#member, offsetof(type, member), sizeof(type::member), Kind::Text}
#define ZK_FLAG(type, member) {#member, offsetof(type, member), 1, Kind::Flag}

// In record order, which is also the order of the document.
const Field kProjectFields[] = {
    ZK_TEXT(Project, title),
    ZK_TEXT(Project, company),
    ZK_FLAG(Project, eulaEnabled),
    ZK_FLAG(Project, readmeEnabled),
    ZK_TEXT(Project, eulaPath),
    ZK_TEXT(Project, readmePath),
    ZK_FLAG(Project, showBuildOverview),
    ZK_FLAG(Project, removableCardOutput),
    ZK_FLAG(Project, deployDesktopWhenDone),
    ZK_FLAG(Project, deployMobileWhenDone),
    ZK_FLAG(Project, platformFilterOn),
    ZK_FLAG(Project, filterPocketPC),
    ZK_FLAG(Project, filterSmartphone),
    ZK_FLAG(Project, osFilterOn),
    ZK_FLAG(Project, filterOs2002),
    ZK_FLAG(Project, filterOs2003),
    ZK_FLAG(Project, filterOs2003SE),
    ZK_FLAG(Project, filterOs2005),
    ZK_FLAG(Project, processorFilterOn),
    ZK_FLAG(Project, filterTI),
    ZK_FLAG(Project, filterIntel),
    ZK_FLAG(Project, filterSamsung),
    ZK_FLAG(Project, addDateToPath),
    ZK_FLAG(Project, addTitleSubfolder),
    ZK_FLAG(Project, saveProjectFile),
    ZK_TEXT(Project, outputFolder),
    ZK_FLAG(Project, splashEnabled),
    ZK_TEXT(Project, splashPath),
    ZK_FLAG(Project, deviceAdvancedSettings),
};

const Field kCabEntryFields[] = {
    ZK_TEXT(CabEntry, path),
    ZK_TEXT(CabEntry, fileName),
    ZK_TEXT(CabEntry, appName),
    ZK_TEXT(CabEntry, provider),
    ZK_FLAG(CabEntry, forPocketPC),
    ZK_FLAG(CabEntry, forSmartphone),
    ZK_FLAG(CabEntry, forOs2002),
    ZK_FLAG(CabEntry, forOs2003),
    ZK_FLAG(CabEntry, forOs2003SE),
    ZK_FLAG(CabEntry, forOs2005),
    ZK_FLAG(CabEntry, forTI),
    ZK_FLAG(CabEntry, forIntel),
    ZK_FLAG(CabEntry, forSamsung),
};

#undef ZK_TEXT
#undef ZK_FLAG

template <std::size_t N>
Json ExportFields(const unsigned char* record, const Field (&fields)[N]) {
    Json object = Json::object();
    for (const Field& f : fields) {
        const char* at = reinterpret_cast<const char*>(record + f.offset);
        if (f.kind == Kind::Text)
            object[f.name] = AnsiToUtf8(std::string(at, strnlen(at, f.size)));
        else
            object[f.name] = *at != 0;
    }
    return object;
}

template <std::size_t N>
bool ImportFields(const Json& object, unsigned char* record, const Field (&fields)[N],
                  const std::string& where, bool holdsCabinets, std::string* error) {
    if (!object.is_object()) {
        *error = (where.empty() ? std::string("the document") : where.substr(0, where.size() - 1)) +
                 ": must be an object";
        return false;
    }
    for (auto it = object.begin(); it != object.end(); ++it) {
        const Field* field = nullptr;
        for (const Field& f : fields)
            if (it.key() == f.name) field = &f;
        if (!field) {
            if (holdsCabinets && it.key() == "cabinets") continue;
            *error = where + it.key() + ": no such field";
            return false;
        }
        const std::string name = where + field->name;
        char* at = reinterpret_cast<char*>(record + field->offset);
        if (field->kind == Kind::Flag) {
            if (!it->is_boolean()) {
                *error = name + ": must be true or false";
                return false;
            }
            *at = it->get<bool>() ? 1 : 0;
            continue;
        }
        if (!it->is_string()) {
            *error = name + ": must be a string";
            return false;
        }
        std::string ansi;
        TextFault fault;
        if (!Utf8ToAnsi(it->get<std::string>(), &ansi, &fault)) {
            *error = name + ": " + DescribeTextFault(fault);
            return false;
        }
        if (ansi.find('\0') != std::string::npos) {
            *error = name + ": must not hold a NUL character";
            return false;
        }
        if (ansi.size() >= field->size) {
            *error = name + ": longer than " + std::to_string(field->size - 1) + " characters";
            return false;
        }
        CopyText(at, field->size, ansi);
    }
    return true;
}

}  // namespace

std::string ExportProjectJson(const Project& project) {
    Json document = ExportFields(reinterpret_cast<const unsigned char*>(&project), kProjectFields);
    Json cabinets = Json::array();
    for (int i = 0; i < CabinetCount(project); ++i)
        cabinets.push_back(ExportFields(
            reinterpret_cast<const unsigned char*>(&project.cabinets[i]), kCabEntryFields));
    document["cabinets"] = cabinets;
    return document.dump(2) + "\n";
}

bool ImportProjectJson(const std::string& json, Project& project, std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    const Json document = Json::parse(json, nullptr, false);
    if (document.is_discarded()) {
        *error = "not a JSON document";
        return false;
    }
    auto record = std::make_unique<Project>();
    std::memset(record.get(), 0, sizeof(Project));
    if (!ImportFields(document, reinterpret_cast<unsigned char*>(record.get()), kProjectFields, "",
                      true, error))
        return false;
    if (document.contains("cabinets")) {
        const Json& cabinets = document["cabinets"];
        if (!cabinets.is_array()) {
            *error = "cabinets: must be an array";
            return false;
        }
        if (cabinets.size() > static_cast<std::size_t>(MAX_CABINETS)) {
            *error = "cabinets: more than " + std::to_string(MAX_CABINETS) + " entries";
            return false;
        }
        for (std::size_t i = 0; i < cabinets.size(); ++i) {
            if (!ImportFields(cabinets[i], reinterpret_cast<unsigned char*>(&record->cabinets[i]),
                              kCabEntryFields, "cabinets[" + std::to_string(i) + "].", false,
                              error))
                return false;
        }
        record->cabinetCount = static_cast<std::int32_t>(cabinets.size());
    }
    // The title names the installers and a folder; one Windows would read as
    // another place must not reach a build.
    if (!IsUsableFileName(record->title)) {
        *error = "title: not usable as a file or folder name";
        return false;
    }
    std::memcpy(&project, record.get(), sizeof(Project));
    return true;
}

}  // namespace zk
