#!/usr/bin/env python3
"""Makes the release files beside the setup program.

Usage: release_files.py VERSION SETUP.exe PROGRAM.exe README LICENSE TEMPLATES URL OUTDIR

- QuarvZodora-VERSION-portable.zip: belvanto.exe, LIESMICH.txt and LICENSE.txt
  (the texts with Windows line ends, the README in UTF-8 with a byte order mark
  so that every Notepad reads its umlauts);
- QuarvZodora-VERSION-SHA256.txt: the SHA-256 of the setup program and the zip,
  in the format of sha256sum;
- winget/QuarvZodora.QuarvZodora/VERSION/: the Windows Package Manager's
  manifests, from the *.yaml.in files in TEMPLATES, with the version, the setup
  program's address (URL/its file name) and its SHA-256 filled in.
"""
import hashlib
import os
import re
import sys
import zipfile


def windows_text(path, bom=False):
    text = open(path, encoding="utf-8").read().replace("\r\n", "\n").replace("\n", "\r\n")
    return ("\ufeff" if bom else "") + text


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 16), b""):
            digest.update(block)
    return digest.hexdigest()


def fill(text, values):
    for name, value in values.items():
        text = text.replace("@" + name + "@", value)
    left = re.findall(r"@[A-Z_]+@", text)
    if left:
        sys.exit(f"release_files.py: nothing to fill in for {', '.join(sorted(set(left)))}")
    return text


def main():
    if len(sys.argv) != 9:
        sys.exit(__doc__)
    version, setup, program, readme, licence, templates, url, outdir = sys.argv[1:]
    values = {"VERSION": version}

    zip_path = os.path.join(outdir, f"QuarvZodora-{version}-portable.zip")
    with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as archive:
        archive.write(program, "belvanto.exe")
        archive.writestr("LIESMICH.txt", fill(windows_text(readme, bom=True), values).encode("utf-8"))
        archive.writestr("LICENSE.txt", windows_text(licence).encode("utf-8"))

    sums = os.path.join(outdir, f"QuarvZodora-{version}-SHA256.txt")
    with open(sums, "w", newline="\r\n") as f:
        for path in (setup, zip_path):
            f.write(f"{sha256(path)} *{os.path.basename(path)}\n")

    values["INSTALLER_URL"] = url.rstrip("/") + "/" + os.path.basename(setup)
    values["INSTALLER_SHA256"] = sha256(setup).upper()
    manifests = os.path.join(outdir, "winget", "QuarvZodora.QuarvZodora", version)
    os.makedirs(manifests, exist_ok=True)
    for name in sorted(os.listdir(templates)):
        if name.endswith(".yaml.in"):
            text = fill(open(os.path.join(templates, name), encoding="utf-8").read(), values)
            with open(os.path.join(manifests, name[:-3]), "w", encoding="utf-8") as f:
                f.write(text)


if __name__ == "__main__":
    main()
