// Resource identifiers shared by the resource script and the C++ code.
#pragma once

#define IDR_MAINFRAME 128      // program icon: 32x32 and 16x16, 16 colours
#define IDD_WELCOME 102        // welcome page
#define IDD_TERMS 103          // terms and conditions page
#define IDD_DECOMPRESS 104     // installation page
#define IDD_DIRECTORY 105      // installation directory page
#define IDD_UNINSTALL 106      // the uninstaller's progress page
#define IDC_TERMS_TEXT 1000    // terms edit box
#define IDC_DIRECTORY 1001     // directory edit box
#define IDC_STATUS 1002        // installation status line
#define IDC_PROGRESS 1003      // installation progress bar
#define IDC_WELCOME_TEXT 1004  // welcome edit box
#define IDI_INSTALLATION 129   // named by the installation page's icon frame; not in the resources
