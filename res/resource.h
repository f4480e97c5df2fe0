// Identifiers of the program's resources and controls, shared by every window toolkit.
#pragma once

#define IDOK 1
#define IDCANCEL 2

#define IDM_ABOUT 0x0010
// Window menu commands go in steps of 16: IDM_JOBS + 16 * n chooses n conversions at once.
#define IDM_JOBS 0x1000
#define IDD_ABOUT 100
#define IDD_MAIN 102
#define IDR_ICON 128

#define IDC_INPUT 1000
#define IDC_BROWSE_INPUT 1001
#define IDC_OUTPUT 1002
#define IDC_BROWSE_OUTPUT 1003
#define IDC_EXEC 1004
#define IDC_BROWSE_EXEC 1005
#define IDC_LOG 1006
#define IDC_AUTO 1007
#define IDC_PROGRESS 1008
