#!/usr/bin/env python3
"""Writes an NSIS script that installs a product's files/ silently, for the
install benchmark's comparison with an established installer.

usage: make-nsis.py FILES_DIR OUT.nsi OUT.exe --compression stored|lzma

The installer copies FILES_DIR below its installation folder (/D=... on its
command line) with no other work: no uninstaller, no registry, no shortcuts.
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
    p.add_argument("--target", choices=["x86-unicode", "amd64-unicode"], default="x86-unicode",
                   help="the NSIS stub: amd64 where 32-bit programs cannot run")
    args = p.parse_args()

    compression = "SetCompress off" if args.compression == "stored" else "SetCompressor /SOLID lzma"
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
SectionEnd
"""
    with open(args.nsi, "w") as f:
        f.write(script)


if __name__ == "__main__":
    main()
