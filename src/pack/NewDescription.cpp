#include "pack/Description.h"

// What `setup-pack --new` writes: every key, each with a word on what it does. The README says
// more, beside an example.
const char kNewDescription[] = R"(# A plug-in setup, as setup-pack builds it: setup-pack THIS_FILE -o Setup.exe
# Paths are relative to this file's folder. Texts are UTF-8.

[maker]
name = "Quillwork"                      # you, as the list of installed programs shows you
folder = "Quillwork"                    # made inside the editor's plug-in folder for your plug-ins
scan_word = "quillwork"                 # lower case: registry keys holding it lead to earlier installations
folder_mark = "quill"                   # the part of scan_word that marks your folder in a found path
website = "https://www.quillwork.example/"
help = "https://www.quillwork.example/help/installing.html"   # opened from the setup's link

[product]
name = "Quillwork Plugins"              # the entry in the list of installed programs
version = "1.0.0"                       # one to four numbers

[setup]
file_name = "QuillworkSetup.exe"        # as the file's properties name it (default: name + "Setup.exe")
description = "Quillwork plug-in setup" # the file's description (default: name + " plug-in setup")
copyright = "Copyright (C) 2026 Quillwork"
languages = "all"                       # or a list of the built-in languages to carry: ["de", "fr", "ja"]

# One toggle per component, up to 14. Its files are installed when it is ticked: each file's name
# must hold the keyword (letter case aside), and no other component's.
[[component]]
keyword = "Sketch"
caption = "Quill Sketch Plug-in"        # up to 39 characters
status = "Select to install Quill Sketch"  # up to 79 characters, no full stop at the end
files = ["plugins/Quill Sketch.8bf"]    # or { path = "build/qs.8bf", name = "Quill Sketch.8bf" }
texts.de = { caption = "Quill-Sketch-Plug-in", status = "Aktivieren, um Quill Sketch zu installieren" }

# Files installed whatever is ticked.
# [payload]
# files = ["plugins/Quillwork Shared.dll"]

# Preset blocks become registry values below HKEY_LOCAL_MACHINE\Software\<maker name>.
# [[preset]]
# kind = "sketches"                     # sketches, bouquets or patterns
# file = "presets/sketches.bin"

# Your own pictures instead of the built-in ones: a folder of them under their names, or each one.
# [pictures]
# folder = "art"                        # background.bmp banner.bmp toggle.bmp exit.bmp begin.bmp finish.bmp
#                                       # (and -150, -200 ones), hand.cur, app.ico
# background = "art/my-background.bmp"

# Signing: the password comes from the environment variable, never from this file.
# [signing]
# key = "signing/quillwork.p12"
# password_variable = "SETUP_SIGN_PASSWORD"
# timestamp = "http://timestamp.example/"

# The package manager's manifests, written beside the setup.
# [package]
# id = "Quillwork.QuillworkPlugins"
# download = "https://www.quillwork.example/download/QuillworkSetup.exe"
)";
