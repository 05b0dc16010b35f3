// The project as a JSON document, so projects can be kept in version control
// as text and reviewed in diffs: one object with every field of the record
// under its own name, booleans as true/false, text as UTF-8, and the cabinet
// list as an array of objects (its length is the cabinet count). Reserved
// bytes and whatever lies behind a text's terminator are not carried.
#pragma once

#include <string>

#include "common/project_record.h"

namespace zk {

std::string ExportProjectJson(const Project& project);

// Fills `project` from the document. On any fault — not JSON, a key given
// twice, a field of the wrong type, an unknown field, text longer than its
// field, more than 256 cabinets, or a project `new`, `set` and `add` would
// refuse: no title or company, a title that is no file name, a document
// enabled without its path, a filter on with none of its options, a cabinet
// without path or name, a name a device cannot keep, two cabinets whose
// names differ only in case — returns false with `error` naming the field,
// and leaves `project` unchanged.
bool ImportProjectJson(const std::string& json, Project& project, std::string* error);

}  // namespace zk
