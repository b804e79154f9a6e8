#!/usr/bin/python3
"""Checks the winget manifests the build wrote beside a setup: each validates against its schema
(version 1.10.0), names exactly that executable by its SHA-256, and every exit code the setup
documents has its expected return code. Run with Debian's python3 (python3-yaml, python3-jsonschema).

usage: check_manifests.py SETUP_EXE SCHEMA_DIR
"""
import glob
import hashlib
import json
import os
import sys

import jsonschema
import yaml


def main(exe, schemas):
    folder = os.path.dirname(os.path.abspath(exe))
    found = {}
    for path in glob.glob(os.path.join(folder, "*.yaml")):
        manifest = yaml.safe_load(open(path, encoding="utf-8"))
        kind = manifest["ManifestType"]
        schema = json.load(open(os.path.join(schemas, "manifest.%s.1.10.0.json" % kind), encoding="utf-8"))
        jsonschema.validate(manifest, schema)
        found[kind] = manifest
    faults = []
    if sorted(found) != ["defaultLocale", "installer", "version"]:
        faults.append("manifests found: %s" % sorted(found))
    installer = found.get("installer", {})
    sha256 = hashlib.sha256(open(exe, "rb").read()).hexdigest().upper()
    if [i["InstallerSha256"] for i in installer.get("Installers", [])] != [sha256]:
        faults.append("the installer manifest does not name this executable (SHA-256 %s)" % sha256)
    # Every exit code of the setup: 5 (installed, the log not written) a success, the others failures.
    codes = sorted(c["InstallerReturnCode"] for c in installer.get("ExpectedReturnCodes", []))
    if codes != [code for code in range(1, 11) if code != 5] or installer.get("InstallerSuccessCodes") != [5]:
        faults.append("return codes %s and success codes %s, not 1 to 10 with 5 a success"
                      % (codes, installer.get("InstallerSuccessCodes")))
    for kind, manifest in found.items():
        if (manifest["PackageIdentifier"], manifest["PackageVersion"]) != (found["version"]["PackageIdentifier"],
                                                                         found["version"]["PackageVersion"]):
            faults.append("the %s manifest names another package or version" % kind)
    print("\n".join(faults) or "ok: %s, version %s, valid" % (found["version"]["PackageIdentifier"],
                                                             found["version"]["PackageVersion"]))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
