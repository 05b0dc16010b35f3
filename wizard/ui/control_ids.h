// Identifiers of the wizard pages' child controls. The Win32 front creates the
// controls under these ids; the portable page logic names them through the
// page view port.
#pragma once

namespace zk {

// Page 0, introduction.
inline constexpr int IDC_SKIP_INTRO = 401;

// Page 1, presets.
inline constexpr int IDC_TITLE_LABEL = 501;
inline constexpr int IDC_LOAD_PROJECT = 402;
inline constexpr int IDC_TITLE = 403;
inline constexpr int IDC_COMPANY_LABEL = 502;
inline constexpr int IDC_COMPANY = 404;
inline constexpr int IDC_EULA_CHECK = 405;
inline constexpr int IDC_EULA_PATH = 406;
inline constexpr int IDC_EULA_BROWSE = 407;
inline constexpr int IDC_README_CHECK = 408;
inline constexpr int IDC_README_PATH = 409;
inline constexpr int IDC_README_BROWSE = 410;
inline constexpr int IDC_PLATFORM_FILTER = 411;
inline constexpr int IDC_FILTER_SMARTPHONE = 412;
inline constexpr int IDC_FILTER_POCKETPC = 413;
inline constexpr int IDC_OS_FILTER = 414;
inline constexpr int IDC_FILTER_OS2002 = 415;
inline constexpr int IDC_FILTER_OS2003 = 416;
inline constexpr int IDC_FILTER_OS2003SE = 417;
inline constexpr int IDC_FILTER_OS2005 = 418;
inline constexpr int IDC_PROCESSOR_FILTER = 419;
inline constexpr int IDC_FILTER_INTEL = 420;
inline constexpr int IDC_FILTER_TI = 421;
inline constexpr int IDC_FILTER_SAMSUNG = 422;
inline constexpr int IDC_REMOVABLE_CARD = 423;
inline constexpr int IDC_DEVICE_ADVANCED = 626;
inline constexpr int IDC_SHOW_OVERVIEW = 427;
inline constexpr int IDC_SPLASH_CHECK = 428;
inline constexpr int IDC_SPLASH_PATH = 429;
inline constexpr int IDC_SPLASH_BROWSE = 430;

// Page 2, cabinets.
inline constexpr int IDC_CABINET_LIST = 431;
inline constexpr int IDC_MOVE_UP = 432;
inline constexpr int IDC_MOVE_DOWN = 433;
inline constexpr int IDC_ADD_CABINET = 434;
inline constexpr int IDC_DELETE_CABINET = 435;
inline constexpr int IDC_CUSTOM_WORK_PATH = 438;
inline constexpr int IDC_WORK_PATH = 439;
inline constexpr int IDC_WORK_PATH_BROWSE = 440;
inline constexpr int IDC_DETAIL_NAME = 521;
inline constexpr int IDC_DETAIL_PROVIDER = 523;
inline constexpr int IDC_DETAIL_DATE = 525;
inline constexpr int IDC_DETAIL_SIZE = 527;
inline constexpr int IDC_DETAIL_LOCATION = 529;

// Page 3, build.
inline constexpr int IDC_BUILD_LOG = 441;
inline constexpr int IDC_PROGRESS_LABEL = 503;
inline constexpr int IDC_PROGRESS = 442;
inline constexpr int IDC_SAVE_PROJECT = 425;
inline constexpr int IDC_PROJECT_NAME = 426;
inline constexpr int IDC_DEPLOY_DESKTOP = 444;
inline constexpr int IDC_DEPLOY_MOBILE = 445;

// Labels of the cabinet page's detail fields.
inline constexpr int IDC_DETAIL_NAME_LABEL = 520;
inline constexpr int IDC_DETAIL_PROVIDER_LABEL = 522;
inline constexpr int IDC_DETAIL_DATE_LABEL = 524;
inline constexpr int IDC_DETAIL_SIZE_LABEL = 526;
inline constexpr int IDC_DETAIL_LOCATION_LABEL = 528;

// Page 4, deploy.
inline constexpr int IDC_DEVICE_STATUS = 470;
inline constexpr int IDC_LOOK_FOR_DEVICE = 471;
inline constexpr int IDC_REMOTE_PATH = 472;
inline constexpr int IDC_REMOTE_TREE = 473;

// Commands of the painted buttons, sent to the main window.
inline constexpr int IDC_BACK = 301;
inline constexpr int IDC_NEXT = 302;
inline constexpr int IDC_BUILD = 443;
inline constexpr int IDC_DEPLOY = 474;

}  // namespace zk
