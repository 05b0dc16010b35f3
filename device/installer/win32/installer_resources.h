// Resource identifiers of MobileZephyrkit.exe. The soft-key bars are the ids
// of installer_ids.h (102, 104, 105, 106); their commands are the key ids.
#pragma once

#define IDI_INSTALLER 101
#define IDB_TREE_IMAGES 106

#define IDS_START 200
#define IDS_BACK 201
#define IDS_NEXT 202
#define IDS_FINISH 203
#define IDS_EXIT 204
