#pragma once

// Identifiers of the program's dialog templates, controls, icons and resource strings.

// Dialog templates.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_KESTROVANE_DIALOG = 102;
constexpr int IDD_CONFIGURATION = 130;
constexpr int IDD_DOWNLOAD = 131;
constexpr int IDD_PROGRESS = 133;

// Resource strings.
constexpr int IDS_ABOUTBOX = 101;

// Icons.
constexpr int IDR_MAINFRAME = 128;
constexpr int IDI_PARAMETERS = 136;
constexpr int IDI_DOWNLOAD = 139;
constexpr int IDI_OK = 140;
constexpr int IDI_CANCEL = 141;
constexpr int IDI_BROWSE = 142;

// The about entry of the main dialog's system menu.
constexpr unsigned IDM_ABOUTBOX = 0x0010;

// Main dialog.
constexpr int IDC_PARAMETERS = 1004;
constexpr int IDC_DOWNLOAD = 1005;
constexpr int IDC_FACTORY_GROUP = 1006;
constexpr int IDC_PARTIAL_GROUP = 1007;
constexpr int IDC_TOTAL_GROUP = 1008;
// Counter labels of the partial set; the total set's labels are 9 higher, every value 18 higher.
constexpr int IDC_PARTIAL_LOGS_LABEL = 1009;
constexpr int IDC_PARTIAL_EVENTS_LABEL = 1010;
constexpr int IDC_PARTIAL_VOLTAGE_ON_LABEL = 1011;
constexpr int IDC_PARTIAL_VOLTAGE_FAIL_LABEL = 1012;
constexpr int IDC_PARTIAL_VOLTAGE_LOW_LABEL = 1013;
constexpr int IDC_PARTIAL_VOLTAGE_HIGH_LABEL = 1014;
constexpr int IDC_PARTIAL_FREQUENCY_LABEL = 1015;
constexpr int IDC_PARTIAL_TIME_LABEL = 1017;
constexpr int kTotalLabelOffset = 9;
constexpr int kCounterValueOffset = 18;
constexpr int IDC_SERIAL_LABEL = 1045;
constexpr int IDC_SERIAL = 1046;
constexpr int IDC_HARDWARE_LABEL = 1047;
constexpr int IDC_HARDWARE = 1048;
constexpr int IDC_SOFTWARE_LABEL = 1049;
constexpr int IDC_SOFTWARE = 1050;
constexpr int IDC_PRODUCT_LABEL = 1051;
constexpr int IDC_PRODUCT = 1052;
constexpr int IDC_BATTERY_LABEL = 1059;
constexpr int IDC_BATTERY = 1060;
constexpr int IDC_PORT = 1061;
constexpr int IDC_PORT_LABEL = 1062;
constexpr int IDC_STATUS = 1063;

// About box.
constexpr int IDC_ABOUT_VERSION = 1093;
constexpr int IDC_ABOUT_NOTICE = 1095;
constexpr int IDC_ABOUT_ICON = 1097;

// Configuration dialog.
constexpr int IDC_CONFIG_VOLTAGE_LABEL = 1064;
constexpr int IDC_CONFIG_FREQUENCY_LABEL = 1065;
constexpr int IDC_CONFIG_HIGH_LABEL = 1066;
constexpr int IDC_CONFIG_LOW_LABEL = 1067;
constexpr int IDC_CONFIG_DEVIATION_LABEL = 1068;
constexpr int IDC_CONFIG_LOG_TIME_LABEL = 1070;
constexpr int IDC_CONFIG_RESET_MEMORY = 1071;
constexpr int IDC_CONFIG_LOW = 1072;
constexpr int IDC_CONFIG_HIGH = 1073;
constexpr int IDC_CONFIG_DEVIATION = 1074;
constexpr int IDC_CONFIG_VOLTAGE = 1076;
constexpr int IDC_CONFIG_LOG_TIME = 1077;
constexpr int IDC_CONFIG_FREQUENCY = 1078;
constexpr int IDC_CONFIG_DATE_TIME_LABEL = 1079;
constexpr int IDC_CONFIG_DATE = 1080;
constexpr int IDC_CONFIG_TIME = 1081;
constexpr int IDC_CONFIG_SEND_PC_TIME = 1082;
constexpr int IDC_CONFIG_GROUP = 1083;
constexpr int IDC_CONFIG_MAINS_FAILURE = 1094;
constexpr int IDC_CONFIG_MAINS_FAILURE_LABEL = 1096;

// Download dialog.
constexpr int IDC_DOWNLOAD_LOGS = 1084;
constexpr int IDC_DOWNLOAD_EVENTS = 1085;
constexpr int IDC_DOWNLOAD_FOLDER = 1086;
constexpr int IDC_DOWNLOAD_BROWSE = 1087;
constexpr int IDC_DOWNLOAD_GROUP = 1088;

// Progress dialog.
constexpr int IDC_PROGRESS_BAR = 1089;
constexpr int IDC_PROGRESS_MESSAGE = 1092;
