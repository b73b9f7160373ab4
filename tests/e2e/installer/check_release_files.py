#!/usr/bin/env python3
"""Checks the release files beside the setup program.

Usage: check_release_files.py VERSION SETUP.exe PROGRAM.exe ZIP SHA256_FILE WINGET_DIR

The zip holds the built program, a German README and the licence; the SHA-256
file names the setup program and the zip with their true hashes; the winget
manifests have every field that schema 1.6.0 requires, in the form it requires,
and the installer manifest names the setup program by its hash.
"""
import hashlib
import os
import re
import sys
import zipfile

import yaml

failures = []


def expect(condition, what):
    if not condition:
        failures.append(what)


def sha256(path):
    return hashlib.sha256(open(path, "rb").read()).hexdigest()


REQUIRED = {  # manifest type: fields the schema of 1.6.0 requires
    "version": ["PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType",
                "ManifestVersion"],
    "installer": ["PackageIdentifier", "PackageVersion", "Installers", "ManifestType",
                  "ManifestVersion"],
    "defaultLocale": ["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher",
                      "PackageName", "License", "ShortDescription", "ManifestType",
                      "ManifestVersion"],
}
IDENTIFIER = r"^[^.\s\\/:*?\"<>|\x01-\x1f]{1,32}(\.[^.\s\\/:*?\"<>|\x01-\x1f]{1,32}){1,7}$"


def check_manifests(version, setup, folder):
    manifests = {}
    for name in os.listdir(folder):
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            manifest = yaml.safe_load(f)
        manifests[manifest.get("ManifestType")] = manifest
    expect(sorted(manifests) == sorted(REQUIRED), f"manifest types {sorted(manifests)}")
    for kind, manifest in manifests.items():
        for field in REQUIRED.get(kind, []):
            expect(field in manifest, f"{kind}: no {field}")
        expect(re.match(IDENTIFIER, manifest.get("PackageIdentifier", "")), f"{kind}: identifier")
        expect(manifest.get("PackageVersion") == version, f"{kind}: version")
        expect(manifest.get("ManifestVersion") == "1.6.0", f"{kind}: manifest version")
    identifiers = {m.get("PackageIdentifier") for m in manifests.values()}
    expect(len(identifiers) == 1, f"identifiers differ: {identifiers}")
    installer = manifests.get("installer", {})
    expect(installer.get("InstallerType") == "nullsoft", "installer type")
    expect(installer.get("Scope") == "machine", "scope")
    expect(installer.get("InstallerSwitches", {}).get("Silent") == "/S", "silent switch")
    for entry in installer.get("Installers", []):
        expect(entry.get("Architecture") == "x64", "architecture")
        expect(re.match(r"^[Hh][Tt][Tt][Pp][Ss]?://.+/" + re.escape(os.path.basename(setup)) + "$",
                        entry.get("InstallerUrl", "")), "installer address")
        expect(entry.get("InstallerSha256", "").lower() == sha256(setup), "installer hash")
    locale = manifests.get("defaultLocale", {})
    expect(manifests.get("version", {}).get("DefaultLocale") == locale.get("PackageLocale"),
           "default locale")
    for field, low, high in (("Publisher", 2, 256), ("PackageName", 2, 256), ("License", 3, 512),
                             ("ShortDescription", 3, 256)):
        expect(low <= len(locale.get(field, "")) <= high, f"length of {field}")


def main():
    version, setup, program, zip_path, sums, winget = sys.argv[1:]
    with zipfile.ZipFile(zip_path) as archive:
        expect(sorted(archive.namelist()) == ["LICENSE.txt", "LIESMICH.txt", "belvanto.exe"],
               f"zip holds {archive.namelist()}")
        expect(archive.read("belvanto.exe") == open(program, "rb").read(), "zip: another program")
        readme = archive.read("LIESMICH.txt").decode("utf-8-sig")
        expect("@" not in readme and "\r\n" in readme, "zip: README not filled in for Windows")
        expect("MIT License" in archive.read("LICENSE.txt").decode("utf-8"), "zip: licence")
    lines = open(sums, newline="").read().splitlines()
    expect(lines == [f"{sha256(setup)} *{os.path.basename(setup)}",
                     f"{sha256(zip_path)} *{os.path.basename(zip_path)}"], f"sums: {lines}")
    check_manifests(version, setup, winget)
    for failure in failures:
        print("FAILED:", failure)
    print(f"release files: {'ok' if not failures else f'{len(failures)} faults'}")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
