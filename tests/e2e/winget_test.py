#!/usr/bin/python3
"""build-setup --winget on the staged sample, for both architectures: the three
manifests read back with a YAML parser and checked against the built setup
programs (checksum, machine type, version resource), the sample's product.ini,
the README's exit-code table and the schema's patterns; the setup of the
build that runs here installed with the switches as winget substitutes them,
into a folder with blanks; and what build-setup refuses, before anything is
built.

usage: winget_test.py BUILD_ROOT STAGED_SAMPLE SEED
(Debian's python3 with python3-yaml and python3-pefile: scripts/install-deps.)
"""

import configparser
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

import pefile
import yaml

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD_SETUP = os.path.join(ROOT, "scripts", "build-setup")
IDENTIFIER = "LanternWorks.Quasarine"
URL = "https://downloads.example.com/quasarine/1.2.0/setup.exe"
# The schema's patterns (manifest schema 1.10.0).
ID_PATTERN = re.compile(r'^[^.\s\\/:*?"<>|\x01-\x1f]{1,32}(\.[^.\s\\/:*?"<>|\x01-\x1f]{1,32}){1,7}$')
VERSION_PATTERN = re.compile(r'^[^\\/:*?"<>|\x01-\x1f]{1,128}$')
RESPONSES = {"packageInUse", "packageInUseByApplication", "installInProgress", "fileInUse", "missingDependency",
             "diskFull", "insufficientMemory", "invalidParameter", "noNetwork", "contactSupport",
             "rebootRequiredToFinish", "rebootRequiredForInstall", "rebootInitiated", "cancelledByUser",
             "alreadyInstalled", "downgrade", "blockedByPolicy", "systemNotSupported", "custom"}
MACHINES = {"x86": 0x14C, "x64": 0x8664}

failures = []


def check(what, actual, expected):
    if actual != expected:
        failures.append(f"{what}:\n  got:      {actual!r}\n  expected: {expected!r}")


def build_setup(product, exe, *args, env):
    return subprocess.run([BUILD_SETUP, product, exe, *args], env=env, capture_output=True, text=True)


def readme_exit_codes():
    """The non-zero codes of setup.exe's exit-code table (README, "### Exit codes")."""
    with open(os.path.join(ROOT, "README.md"), encoding="utf-8") as f:
        text = f.read()
    table = text.split("### Exit codes", 1)[1].split("\n#", 1)[0]
    codes = {int(m.group(1)) for m in re.finditer(r"^\| (\d+) \|", table, re.MULTILINE)}
    assert 0 in codes and len(codes) > 3, f"no exit-code table found in the README: {codes}"
    return codes - {0}


def version_resource(path):
    pe = pefile.PE(path)
    strings = {}
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    fixed = pe.VS_FIXEDFILEINFO[0]
    numbers = (fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS, fixed.ProductVersionLS)
    return pe.FILE_HEADER.Machine, numbers, strings


def check_manifests(folder, exe, architecture, ini, entrykey, seed):
    english, release = ini["English"], ini["Release"]
    names = sorted(os.listdir(folder))
    check(f"{architecture}: the manifest files", names,
          sorted([f"{IDENTIFIER}.yaml", f"{IDENTIFIER}.locale.en-US.yaml", f"{IDENTIFIER}.installer.yaml"]))
    load = lambda name: yaml.safe_load(open(os.path.join(folder, name), encoding="utf-8"))
    version, locale, installer = (load(f"{IDENTIFIER}{suffix}.yaml") for suffix in ("", ".locale.en-US", ".installer"))

    for kind, manifest in (("version", version), ("defaultLocale", locale), ("installer", installer)):
        check(f"{architecture} {kind}: PackageIdentifier", manifest["PackageIdentifier"], IDENTIFIER)
        check(f"{architecture} {kind}: PackageVersion", manifest["PackageVersion"], release["product_version"])
        check(f"{architecture} {kind}: ManifestType", manifest["ManifestType"], kind)
        check(f"{architecture} {kind}: ManifestVersion", manifest["ManifestVersion"], "1.10.0")
        check(f"{architecture} {kind}: the identifier fits the schema",
              bool(ID_PATTERN.match(manifest["PackageIdentifier"])), True)
        check(f"{architecture} {kind}: the version fits the schema",
              bool(VERSION_PATTERN.match(manifest["PackageVersion"])), True)
    check(f"{architecture}: DefaultLocale", version["DefaultLocale"], "en-US")

    check(f"{architecture}: PackageLocale", locale["PackageLocale"], "en-US")
    check(f"{architecture}: PackageName", locale["PackageName"], english["product_title"])
    check(f"{architecture}: Publisher", locale["Publisher"], release["publisher"])
    check(f"{architecture}: License", locale["License"], release["license"])
    check(f"{architecture}: ShortDescription", locale["ShortDescription"], english["game_comment"])

    check(f"{architecture}: InstallerType", installer["InstallerType"], "exe")
    check(f"{architecture}: Scope", installer["Scope"], "machine")
    check(f"{architecture}: InstallModes", sorted(installer["InstallModes"]),
          ["interactive", "silent", "silentWithProgress"])
    check(f"{architecture}: InstallerSwitches", installer["InstallerSwitches"],
          {"Silent": "-G -Q -B", "SilentWithProgress": "-G -B", "InstallLocation": '-P"<INSTALLPATH>"',
           "Log": '-W"<LOGPATH>"', "Upgrade": "-O"})
    check(f"{architecture}: UpgradeBehavior", installer["UpgradeBehavior"], "install")
    returned = installer["ExpectedReturnCodes"]
    check(f"{architecture}: each documented non-zero exit code once",
          sorted(r["InstallerReturnCode"] for r in returned), sorted(readme_exit_codes()))
    for r in returned:
        check(f"{architecture}: exit code {r['InstallerReturnCode']} has a known response",
              r["ReturnResponse"] in RESPONSES, True)
    check(f"{architecture}: exit code 3 is the user's leaving",
          [r["ReturnResponse"] for r in returned if r["InstallerReturnCode"] == 3], ["cancelledByUser"])
    check(f"{architecture}: exit code 4 is an unusable folder",
          [r["ReturnResponse"] for r in returned if r["InstallerReturnCode"] == 4], ["invalidParameter"])
    check(f"{architecture}: exit code 8 is a drive without the space needed",
          [r["ReturnResponse"] for r in returned if r["InstallerReturnCode"] == 8], ["diskFull"])

    check(f"{architecture}: one installer", len(installer["Installers"]), 1)
    item = installer["Installers"][0]
    with open(exe, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest().upper()
    check(f"{architecture}: InstallerSha256 of the built file", item["InstallerSha256"], digest)
    check(f"{architecture}: Architecture", item["Architecture"], architecture)
    check(f"{architecture}: InstallerUrl", item["InstallerUrl"], URL)
    # The key a default installation by an administrator on 64-bit Windows gets.
    program_files = "C:\\Program Files (x86)" if architecture == "x86" else "C:\\Program Files"
    folder_name = english["product_folder"]
    key = subprocess.run([entrykey, "--seed", seed, folder_name, f"{program_files}\\{folder_name}\\"],
                         check=True, capture_output=True, text=True).stdout.strip()
    check(f"{architecture}: ProductCode", item["ProductCode"], key)
    check(f"{architecture}: AppsAndFeaturesEntries", item["AppsAndFeaturesEntries"],
          [{"DisplayName": english["product_title"], "Publisher": release["publisher"],
            "DisplayVersion": release["product_version"], "ProductCode": key}])

    machine, numbers, strings = version_resource(exe)
    check(f"{architecture}: the machine type of the setup", machine, MACHINES[architecture])
    return numbers, strings, installer


def unix_path(windows_path):
    return os.path.join(os.environ["WINEPREFIX"], "drive_c", windows_path[3:].replace("\\", "/"))


def install_as_winget_does(exe, installer, work):
    """The setup started with the switches as winget makes its command line:
    the tokens replaced by a folder and a log path with blanks, as plain
    text, the whole line handed to the system (through cmd, which passes a
    line on as it stands). Then removed again by the entry's uninstaller."""
    switches = installer["InstallerSwitches"]
    location = "C:\\Program Files\\Games Q"
    log = "C:\\users\\Public\\winget log.txt"
    line = " ".join([f'"Z:{exe}"'.replace("/", "\\"), switches["Silent"],
                     switches["InstallLocation"].replace("<INSTALLPATH>", location),
                     switches["Log"].replace("<LOGPATH>", log)])
    batch = os.path.join(work, "winget.bat")
    with open(batch, "w", newline="\r\n") as f:
        f.write(f"@{line}\nexit /b %errorlevel%\n")
    done = subprocess.run(["wine", "cmd", "/c", "Z:" + batch.replace("/", "\\")], capture_output=True)
    installed = location + "\\Quasarine_II"
    check("the install through winget's switches: exit code", done.returncode, 0)
    check("it went into the folder with blanks", os.path.isfile(unix_path(installed + "\\exebin\\quasarine2.exe")), True)
    check("the log went to the path with blanks", os.path.isfile(unix_path(log)), True)
    check("nothing went where the blank would have cut the folder", os.path.exists(unix_path("C:\\Program Files\\Games")),
          False)
    uninstall = subprocess.run(["wine", installed + "\\uninst\\uninstall.exe", "-G", "-Q"], capture_output=True)
    check("its uninstall: exit code", uninstall.returncode, 0)
    for _ in range(100):  # the uninstaller's copy removes the folder after it ends
        if not os.path.exists(unix_path(installed)):
            break
        time.sleep(0.1)
    check("its uninstall removed it", os.path.exists(unix_path(installed)), False)
    shutil.rmtree(unix_path(location), ignore_errors=True)
    if os.path.exists(unix_path(log)):
        os.remove(unix_path(log))


def check_volume_package(sample, seed, work, env):
    """With data volumes, winget gets one zip of the setup and its volumes."""
    exe = os.path.join(work, "volumes", "quasarine-setup.exe")
    folder = os.path.join(work, "manifests-volumes")
    done = build_setup(sample, exe, "--seed", seed, "--volume-size", "256K", "--winget", folder,
                       "--winget-id", IDENTIFIER, "--winget-url", URL, env=env)
    if done.returncode != 0:
        failures.append(f"build-setup --volume-size --winget failed:\n{done.stdout}{done.stderr}")
        return
    volumes = sorted(n for n in os.listdir(os.path.dirname(exe)) if n.endswith(".bin"))
    check("volumes: beside the setup", len(volumes) >= 3, True)
    package = os.path.join(folder, "quasarine-setup.zip")
    with zipfile.ZipFile(package) as z:
        check("volumes: the zip holds the setup and every volume", sorted(z.namelist()),
              sorted(["quasarine-setup.exe"] + volumes))
        for name in z.namelist():
            with open(os.path.join(os.path.dirname(exe), name), "rb") as f:
                check(f"volumes: {name} in the zip as built", z.read(name) == f.read(), True)
    installer = yaml.safe_load(open(os.path.join(folder, f"{IDENTIFIER}.installer.yaml"), encoding="utf-8"))
    check("volumes: InstallerType", installer["InstallerType"], "zip")
    check("volumes: NestedInstallerType", installer["NestedInstallerType"], "exe")
    check("volumes: NestedInstallerFiles", installer["NestedInstallerFiles"],
          [{"RelativeFilePath": "quasarine-setup.exe"}])
    with open(package, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest().upper()
    check("volumes: InstallerSha256 of the zip", installer["Installers"][0]["InstallerSha256"], digest)


def main():
    build_root, sample, seed = sys.argv[1:4]
    env = dict(os.environ, SETUP_BUILD_DIR=build_root)
    entrykey = os.path.join(build_root, "host", "bin", "entrykey")
    ini = configparser.ConfigParser(interpolation=None)
    ini.read(os.path.join(sample, "product.ini"), encoding="utf-8")
    work = tempfile.mkdtemp(prefix="winget_test.")
    try:
        resources = []
        installed_once = False
        for arch, architecture in (("i686", "x86"), ("x86_64", "x64")):
            exe = os.path.join(work, f"quasarine-{arch}.exe")
            folder = os.path.join(work, f"manifests-{arch}")
            done = build_setup(sample, exe, "--seed", seed, "--arch", arch, "--winget", folder,
                               "--winget-id", IDENTIFIER, "--winget-url", URL, env=env)
            if done.returncode != 0:
                failures.append(f"build-setup --arch {arch} --winget failed:\n{done.stdout}{done.stderr}")
                continue
            numbers, strings, installer = check_manifests(folder, exe, architecture, ini, entrykey, seed)
            resources.append((numbers, strings))
            # The build that runs here (scripts/test starts the test in its Wine prefix).
            if os.environ.get("SETUP_WINE_ARCH", "i686") == arch and os.environ.get("WINEPREFIX"):
                install_as_winget_does(exe, installer, work)
                installed_once = True
        # The version resource: the same in both builds, and the product's.
        release, english = ini["Release"], ini["English"]
        for numbers, strings in resources:
            check("the version numbers", numbers, (0x00010002, 0, 0x00010002, 0))
            check("the version texts", strings,
                  {"CompanyName": release["publisher"], "FileDescription": english["product_title"] + " Setup",
                   "FileVersion": release["product_version"], "ProductName": english["product_title"],
                   "ProductVersion": release["product_version"]})
        check("both builds were checked", len(resources), 2)
        check_volume_package(sample, seed, work, env)
        if not installed_once:
            print("winget: no Wine prefix here: the install through the switches was not tried")

        # Refused before anything is built: no setup, no manifests, exit 2.
        no_release = os.path.join(work, "no-release")
        shutil.copytree(sample, no_release, symlinks=True)
        with open(os.path.join(no_release, "product.ini"), encoding="utf-8") as f:
            text = f.read()
        with open(os.path.join(no_release, "product.ini"), "w", encoding="utf-8") as f:
            f.write(text.split("[Release]")[0])
        bad_ids = ["Quasarine", "A.B.C.D.E.F.G.H.I", "Lantern Works.Quasarine", "Lantern.Qua:sarine", 'A."B"',
                   "A.<B>", "A.B|C", "A..B", "A.B.", "x" * 33 + ".B", "A/B.C", "A\\B.C", "A.B*", "A.B?", ".A.B"]
        refusals = [(sample, ["--winget-id", bad], "--winget-id must be") for bad in bad_ids]
        refusals += [(sample, ["--winget-id", IDENTIFIER, "--winget-url", "ftp://example.com/setup.exe"],
                      "--winget-url must be"),
                     (sample, ["--winget-id", IDENTIFIER, "--winget-url", "https://example.com/a b.exe"],
                      "--winget-url must be"),
                     (no_release, ["--winget-id", IDENTIFIER], "product.ini has no [Release] section")]
        for product, args, message in refusals:
            exe = os.path.join(work, "refused.exe")
            folder = os.path.join(work, "refused")
            if "--winget-url" not in args:
                args = args + ["--winget-url", URL]
            done = build_setup(product, exe, "--winget", folder, *args, env=env)
            what = f"build-setup {' '.join(args)} ({os.path.basename(product)})"
            check(f"{what}: exit code", done.returncode, 2)
            check(f"{what}: says why", message in done.stderr, True)
            check(f"{what}: wrote nothing", (os.path.exists(exe), os.path.exists(folder)), (False, False))
        done = build_setup(sample, os.path.join(work, "refused.exe"), "--winget", work, env=env)
        check("--winget alone: exit code", done.returncode, 2)
        check("--winget alone: says why", "go together" in done.stderr, True)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    for failure in failures:
        print("FAILED:", failure)
    print(f"winget: {'all checks passed' if not failures else f'{len(failures)} failed'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
