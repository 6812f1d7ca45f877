#!/usr/bin/env python3
"""Writes an NSIS script that installs a product's files/ silently, for the
install benchmark's comparison with an established installer.

usage: make-nsis.py FILES_DIR OUT.nsi OUT.exe --compression stored|lzma [--uninstaller]

The installer copies FILES_DIR below its installation folder (/D=... on its
command line) with no other work: no registry, no shortcuts. With
--uninstaller it also writes uninstall.exe there, which removes the files the
way NSIS makers are told to: one Delete per file and one RMDir per folder,
deepest first (never RMDir /r).
"stored" packs the files uncompressed (SetCompress off); "lzma" compresses
them as one solid block, NSIS's strongest setting. Build with makensis
(Debian package nsis) and run it as: installer.exe /S /D=C:\\target
"""

import argparse
import os


def main():
    p = argparse.ArgumentParser()
    p.add_argument("files")
    p.add_argument("nsi")
    p.add_argument("exe")
    p.add_argument("--compression", choices=["stored", "lzma"], required=True)
    p.add_argument("--uninstaller", action="store_true")
    p.add_argument("--target", choices=["x86-unicode", "amd64-unicode"], default="x86-unicode",
                   help="the NSIS stub: amd64 where 32-bit programs cannot run")
    args = p.parse_args()

    compression = "SetCompress off" if args.compression == "stored" else "SetCompressor /SOLID lzma"
    write_uninstaller = '  WriteUninstaller "$INSTDIR\\uninstall.exe"' if args.uninstaller else ""
    files = os.path.abspath(args.files)
    # The datablock optimizer compares every file with all earlier ones of its
    # size: with 20,000 files of one size makensis runs for many minutes.
    script = f"""Target {args.target}
{compression}
SetDatablockOptimize off
Name "bench"
OutFile "{os.path.abspath(args.exe)}"
InstallDir "C:\\bench\\nsis"
RequestExecutionLevel user
SilentInstall silent
ShowInstDetails nevershow

Section
  SetOutPath "$INSTDIR"
  File /r "{files}/*"
{write_uninstaller}
SectionEnd
"""
    if args.uninstaller:
        deletes, folders = [], []
        for folder, subfolders, names in os.walk(files):
            subfolders.sort()
            rel = os.path.relpath(folder, files)
            prefix = "" if rel == "." else rel.replace("/", "\\") + "\\"
            deletes += [f'  Delete "$INSTDIR\\{prefix}{name}"' for name in sorted(names)]
            if rel != ".":
                folders.append(prefix.rstrip("\\"))
        folders.sort(key=lambda f: -f.count("\\"))
        removals = "\n".join(deletes + [f'  RMDir "$INSTDIR\\{f}"' for f in folders])
        script += f"""
Section "Uninstall"
{removals}
  Delete "$INSTDIR\\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
"""
    with open(args.nsi, "w") as f:
        f.write(script)


if __name__ == "__main__":
    main()
