// The SHA-256 of published files, and SHA256SUMS, the list `sha256sum -c`
// checks them by: "<64 hex digits>  <name>" a line, names without folders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "delivery/download_page.h"

namespace zk {

class DesktopPlatform;

// Reads the file through the platform in 16 KiB blocks; fills `file`'s size
// and hash. False when it cannot be opened or read to its end.
bool HashFile(DesktopPlatform& platform, const std::string& path, SiteFile* file);

std::string SumsFileText(const std::vector<SiteFile>& files);

// The names a SHA256SUMS lists; lines that are no "<hash>  <name>" (or
// "<hash> *<name>") are passed over.
std::vector<std::string> NamesInSums(const std::string& text);

}  // namespace zk
