#include "wizard/project/project_json.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "common/ansi_text.h"
#include "common/fixed_text.h"
#include "wizard/project/file_name_rules.h"
#include "wizard/project/filter_options.h"

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

#define ZK_TEXT(type, member) \
    { #member, offsetof(type, member), sizeof(type::member), Kind::Text }
#define ZK_FLAG(type, member) \
    { #member, offsetof(type, member), 1, Kind::Flag }

// In record order, which is also the order of the document.
const Field PROJECT_FIELDS[] = {
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

const Field CAB_ENTRY_FIELDS[] = {
    ZK_TEXT(CabEntry, path),       ZK_TEXT(CabEntry, fileName),    ZK_TEXT(CabEntry, appName),
    ZK_TEXT(CabEntry, provider),   ZK_FLAG(CabEntry, forPocketPC), ZK_FLAG(CabEntry, forSmartphone),
    ZK_FLAG(CabEntry, forOs2002),  ZK_FLAG(CabEntry, forOs2003),   ZK_FLAG(CabEntry, forOs2003SE),
    ZK_FLAG(CabEntry, forOs2005),  ZK_FLAG(CabEntry, forTI),       ZK_FLAG(CabEntry, forIntel),
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

// The events of nlohmann's parser that tell of keys: a key given twice in
// one object is a fault, where the parser itself would keep the last.
class DuplicateKeys {
public:
    bool Note(nlohmann::json::parse_event_t event, const Json& parsed) {
        using Event = nlohmann::json::parse_event_t;
        if (event == Event::object_start) seen_.emplace_back();
        if (event == Event::object_end && !seen_.empty()) seen_.pop_back();
        if (event == Event::key && !seen_.empty() && error.empty()) {
            const std::string key = parsed.get<std::string>();
            for (const std::string& earlier : seen_.back())
                if (earlier == key) error = key + ": given twice";
            seen_.back().push_back(key);
        }
        return true;
    }
    std::string error;

private:
    std::vector<std::vector<std::string>> seen_;
};

// What `new`, `set` and `add` would have refused, named by its field.
std::string ProjectFault(const Project& p) {
    if (p.title[0] == '\0') return "title: empty; a project needs a title";
    // The title names the installers and a folder; one Windows would read as
    // another place must not reach a build.
    if (!IsUsableFileName(p.title)) return "title: not usable as a file or folder name";
    if (p.company[0] == '\0') return "company: empty; a project needs a company";
    struct Document {
        std::uint8_t enabled;
        const char* path;
        const char* field;
        const char* flag;
    };
    for (const Document& d :
         {Document{p.eulaEnabled, p.eulaPath, "eulaPath", "eulaEnabled"},
          Document{p.readmeEnabled, p.readmePath, "readmePath", "readmeEnabled"},
          Document{p.splashEnabled, p.splashPath, "splashPath", "splashEnabled"}})
        if (d.enabled && d.path[0] == '\0')
            return std::string(d.field) + ": empty while " + d.flag + " is true";
    for (const FilterGroupSwitch& g : FILTER_GROUPS) {
        bool anyOption = false;
        for (const FilterOption& o : FILTER_OPTIONS) anyOption |= o.group == g.group && p.*o.option;
        if (p.*g.project && !anyOption)
            return std::string(g.jsonName) + ": on with none of its options";
    }
    for (int i = 0; i < CabinetCount(p); ++i) {
        const std::string at = "cabinets[" + std::to_string(i) + "].";
        const std::string name = TextOf(p.cabinets[i].fileName);
        if (p.cabinets[i].path[0] == '\0') return at + "path: empty";
        if (name.empty()) return at + "fileName: empty";
        const std::string problem = FileNameProblem(name);
        if (!problem.empty())
            return at + "fileName: a device cannot keep a file of this name: it " + problem;
        // The device keeps each cabinet in \Temp under its name and does
        // not tell names apart by case: two would install as one.
        for (int j = 0; j < i; ++j)
            if (SameFileName(name, TextOf(p.cabinets[j].fileName)))
                return at + "fileName: " + name + " is already listed as cabinets[" +
                       std::to_string(j) + "] (" + TextOf(p.cabinets[j].fileName) +
                       "); a device does not tell names apart by case";
    }
    return {};
}

}  // namespace

std::string ExportProjectJson(const Project& project) {
    Json document = ExportFields(reinterpret_cast<const unsigned char*>(&project), PROJECT_FIELDS);
    Json cabinets = Json::array();
    for (int i = 0; i < CabinetCount(project); ++i)
        cabinets.push_back(ExportFields(
            reinterpret_cast<const unsigned char*>(&project.cabinets[i]), CAB_ENTRY_FIELDS));
    document["cabinets"] = cabinets;
    return document.dump(2) + "\n";
}

bool ImportProjectJson(const std::string& json, Project& project, std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    DuplicateKeys keys;
    const Json document = Json::parse(
        json,
        [&keys](int, nlohmann::json::parse_event_t event, Json& parsed) {
            return keys.Note(event, parsed);
        },
        false);
    if (document.is_discarded()) {
        *error = "not a JSON document";
        return false;
    }
    if (!keys.error.empty()) {
        *error = keys.error;
        return false;
    }
    auto record = std::make_unique<Project>();
    std::memset(record.get(), 0, sizeof(Project));
    if (!ImportFields(document, reinterpret_cast<unsigned char*>(record.get()), PROJECT_FIELDS, "",
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
                              CAB_ENTRY_FIELDS, "cabinets[" + std::to_string(i) + "].", false,
                              error))
                return false;
        }
        record->cabinetCount = static_cast<std::int32_t>(cabinets.size());
    }
    *error = ProjectFault(*record);
    if (!error->empty()) return false;
    std::memcpy(&project, record.get(), sizeof(Project));
    return true;
}

}  // namespace zk
