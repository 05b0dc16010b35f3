// Resource identifiers of Zephyrkit.exe.
#pragma once

#define IDI_ZEPHYRKIT 107
#define IDI_ZEPHYRKIT_SMALL 108
#define IDD_ABOUT 103
