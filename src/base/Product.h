#pragma once
// The maker's and the product's names, and the texts built from them: each written once, here.
// Plain macros, so that the resource script and string concatenation can use them too.

#define MAKER_NAME "Velmoran"
// The maker's word as the registry scan looks for it, and the part of it that marks the maker
// folder of an earlier installation inside a found path (both lower case).
#define MAKER_SCAN_WORD "velmoran"
#define MAKER_FOLDER_MARK "velm"
#define MAKER_FOLDER MAKER_NAME "\\"          // created below an editor's plug-in folder
#define MAKER_KEY "Software\\" MAKER_NAME     // under HKEY_LOCAL_MACHINE: preset values
#define PRODUCT_NAME MAKER_NAME " Plugins"   // the entry in the list of installed programs
#define WINDOW_TITLE PRODUCT_NAME " : Installation"
#define SETUP_DESCRIPTION MAKER_NAME " plug-in setup"
#define SETUP_FILE_NAME MAKER_NAME "Setup.exe"
#define UNINSTALL_ENTRY_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" PRODUCT_NAME

// The maker's addresses. There is no real site yet: a reserved example host stands in.
#define MAKER_WEB_HOST "www.velmoran.example"
#define MAKER_HELP_PAGE "http://" MAKER_WEB_HOST "/plugins/installation-help.html"

#ifndef PRODUCT_VERSION
#define PRODUCT_VERSION "0.0.0"  // the build names the version; this only for builds that do not
#endif
