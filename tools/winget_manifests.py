#!/usr/bin/env python3
"""Writes the three manifests of a Windows Package Manager (winget) package, schema 1.10.0, for
exactly one built setup: its SHA-256, its switches, its exit codes and its entry in the list of
installed programs, with the product's names as src/base/Product.h defines them.

usage: winget_manifests.py SETUP_EXE OUTPUT_DIR VERSION ARCHITECTURE PRODUCT_H PACKAGE_ID DOWNLOAD_URL
"""
import hashlib
import os
import re
import sys

MANIFEST_VERSION = "1.10.0"

# Every non-zero exit code of the setup that means a failure, with the nearest response winget
# knows and the README's words.
RETURN_CODES = [
    (1, "invalidParameter", "bad command line"),
    (2, "custom", "nowhere to install: nothing found and no /D="),
    (3, "custom", "something could not be written (or removed): nothing was written"),
    (4, "installInProgress", "another copy of the setup is running: it did nothing; retry"),
    (6, "custom", "uninstall: files changed since they were installed were left in place"),
    (7, "cancelledByUser", "uninstall: the user said no"),
    (8, "insufficientMemory", "out of memory"),
    (9, "custom", "the setup window could not be created"),
    (10, "custom", "nothing was installed, and not everything the run wrote could be taken back: see the log"),
]
# Installed: everything was written, but the log could not be.
SUCCESS_CODES = [5]


def product_texts(header):
    """The string macros of Product.h, each expanded: "A" B "C" with B another macro."""
    raw = {}
    for line in open(header, encoding="utf-8"):
        match = re.match(r'\s*#define\s+(\w+)\s+((?:"[^"]*"|\w+|\s)+?)\s*(//.*)?$', line)
        if match:
            raw[match.group(1)] = match.group(2)

    def expand(name, depth=0):
        parts = re.findall(r'"([^"]*)"|(\w+)', raw[name])
        return "".join(text if text or not macro else expand(macro, depth + 1) for text, macro in parts)

    return {name: expand(name) for name in raw}


def main(argv):
    exe, out, version, architecture, header, package_id, url = argv[1:8]
    texts = product_texts(header)
    sha256 = hashlib.sha256(open(exe, "rb").read()).hexdigest().upper()
    site = "http://" + texts["MAKER_WEB_HOST"] + "/"
    head = "# Written by the build for %s %s; schema %s.\n" % (os.path.basename(exe), version, MANIFEST_VERSION)
    common = "PackageIdentifier: %s\nPackageVersion: %s\n" % (package_id, version)
    tail = "ManifestVersion: %s\n" % MANIFEST_VERSION
    codes = "".join("  - InstallerReturnCode: %d\n    ReturnResponse: %s\n    ReturnResponseUrl: %s  # %s\n"
                    % (code, response, texts["MAKER_HELP_PAGE"], words) for code, response, words in RETURN_CODES)
    successes = "".join("  - %d\n" % code for code in SUCCESS_CODES)
    manifests = {
        package_id + ".yaml": common + "DefaultLocale: en-US\nManifestType: version\n",
        package_id + ".locale.en-US.yaml": common + (
            "PackageLocale: en-US\nPublisher: %s\nPublisherUrl: %s\nPackageName: %s\nPackageUrl: %s\n"
            "License: Proprietary\nShortDescription: %s\nManifestType: defaultLocale\n"
            % (texts["MAKER_NAME"], site, texts["PRODUCT_NAME"], site, texts["SETUP_DESCRIPTION"])),
        package_id + ".installer.yaml": common + (
            "InstallerType: exe\nScope: machine\nInstallModes:\n  - interactive\n  - silent\n  - silentWithProgress\n"
            "InstallerSwitches:\n  Silent: /S\n  SilentWithProgress: /S\n  InstallLocation: /D=<INSTALLPATH>\n"
            "  Log: /LOG=<LOGPATH>\nInstallerSuccessCodes:\n%sExpectedReturnCodes:\n%sUpgradeBehavior: install\n"
            "ElevationRequirement: elevatesSelf\nAppsAndFeaturesEntries:\n  - DisplayName: %s\n    Publisher: %s\n"
            "    DisplayVersion: %s\n    ProductCode: %s\n    InstallerType: exe\n"
            "Installers:\n  - Architecture: %s\n    InstallerUrl: %s\n    InstallerSha256: %s\n"
            "ManifestType: installer\n"
            % (successes, codes, texts["PRODUCT_NAME"], texts["MAKER_NAME"], version, texts["PRODUCT_NAME"], architecture, url,
               sha256)),
    }
    os.makedirs(out, exist_ok=True)
    for name, body in manifests.items():
        with open(os.path.join(out, name), "w", encoding="utf-8", newline="\n") as manifest:
            manifest.write(head + body + tail)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
