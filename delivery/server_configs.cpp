#include "delivery/server_configs.h"

#include "delivery/content_types.h"

namespace zk {

std::string HtaccessText() {
    return std::string(
               "# Written by zephyrkit-project publish. The installers go as downloads: a\n"
               "# browser must neither show them nor rename them, and Pocket Internet\n"
               "# Explorer takes no other type for a program.\n"
               "AddType ") +
           INSTALLER_CONTENT_TYPE +
           " .exe\n"
           "AddType \"text/plain; charset=utf-8\" .conf\n"
           "<Files \"SHA256SUMS\">\n"
           "    ForceType \"text/plain; charset=utf-8\"\n"
           "</Files>\n"
           "<FilesMatch \"\\.exe$\">\n"
           "    ForceType " +
           INSTALLER_CONTENT_TYPE +
           "\n"
           "    <IfModule mod_headers.c>\n"
           "        Header set Content-Disposition attachment\n"
           "        Header set X-Content-Type-Options nosniff\n"
           "    </IfModule>\n"
           "</FilesMatch>\n";
}

std::string NginxConfText() {
    return std::string(
               "# Written by zephyrkit-project publish. Include it in the server (or\n"
               "# location) block that serves this folder:\n"
               "#     include /path/to/this/folder/nginx-zephyrkit.conf;\n"
               "# The installers go as downloads: a browser must neither show them nor\n"
               "# rename them, and Pocket Internet Explorer takes no other type for a\n"
               "# program.\n"
               "location ~* \\.exe$ {\n"
               "    types { }\n"
               "    default_type ") +
           INSTALLER_CONTENT_TYPE +
           ";\n"
           "    add_header Content-Disposition attachment;\n"
           "    add_header X-Content-Type-Options nosniff;\n"
           "}\n"
           "location ~ /SHA256SUMS$ {\n"
           "    types { }\n"
           "    default_type \"text/plain; charset=utf-8\";\n"
           "}\n"
           "location ~ /\\.ht {\n"
           "    deny all;\n"
           "}\n";
}

}  // namespace zk
