"""The Wine prefix as the stop sweep (bench/stop-sweep) sees it: the places
a run of setup.exe changes, snapshots of them and their differences, the
start state of each scenario, and runs of setup.exe that may be killed."""

import glob
import hashlib
import os
import shutil
import signal
import stat
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
BASE = r"C:\sweep"
RUN = ["-G", "-O", "-I", "-P" + BASE]


def die(text):
    sys.exit(f"stop-sweep: {text}")


def bash(script, *args):
    """Output of a bash snippet that sources the project's helpers."""
    return subprocess.run(["bash", "-c", script, "_", ROOT, *args], check=True,
                          stdout=subprocess.PIPE, text=True).stdout


class Machine:
    """The Wine prefix as the sweep sees it: places, snapshots, resets, runs."""

    def __init__(self, a):
        self.a = a
        self.prefix = os.environ["WINEPREFIX"]
        arch = os.environ.get("SETUP_WINE_ARCH", "i686")
        win = os.path.join(a.build, bash('. "$1/scripts/wine-arch.sh" && wine_build_subdir "$2"', arch).strip())
        self.driver = os.path.join(win, "tests", "driver", "testdriver.exe")
        if not os.path.isfile(self.driver):
            die(f"no test driver at {self.driver} (scripts/build builds it)")
        self.view = bash('SETUP_ROOT=$1; . "$1/scripts/wine-env.sh" && wine_reg_view').strip()
        places = self.wine_out("cmd.exe", "/c", "echo %TEMP%^|%APPDATA%^|%ProgramData%^|%USERPROFILE%^|%PUBLIC%")
        self.temp, appdata, programdata, profile, public = places.strip().split("|")
        self.start_menus = [appdata + r"\Microsoft\Windows\Start Menu", programdata + r"\Microsoft\Windows\Start Menu"]
        self.desktops = [profile + r"\Desktop", public + r"\Desktop"]
        # (folder, names taken in it): each name's whole tree is snapshot.
        self.roots = [("C:", "sweep"), (self.temp, "Installer_")] + [(f, "") for f in self.start_menus + self.desktops]
        ini = open(os.path.join(a.build, "win32", "examples", "quasarine", "product.ini"), encoding="utf-8").read()
        self.product_folder = ini.split("product_folder", 1)[1].split("=", 1)[1].split("\n", 1)[0].strip()

    def unix(self, path):
        """The host path of a Windows path; the user's desktop is a link into HOME."""
        return os.path.realpath(os.path.join(self.prefix, "dosdevices", path[:2].lower()) + path[2:].replace("\\", "/"))

    def wine_out(self, *command):
        return subprocess.run(["wine", *command], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              check=True).stdout.decode("cp1252", "replace").replace("\r", "")

    # --- snapshots -----------------------------------------------------------
    def snapshot(self):
        snap = {}
        for folder, start in self.roots:
            base = self.unix(folder)
            for name in sorted(os.listdir(base)) if os.path.isdir(base) else []:
                if name.startswith(start):
                    self.walk(snap, folder + "\\" + name, os.path.join(base, name))
        key = None
        for line in self.wine_out("reg", "query", UNINSTALL, "/s", self.view).splitlines():
            if line.startswith("HKEY_"):
                key = line.strip()
                snap[key] = "key"
            elif line.strip() and key:
                name, _, value = line.strip().partition("    ")
                snap[f"{key} value {name}"] = value.strip()
        return snap

    def walk(self, snap, name, path):
        st = os.lstat(path)
        try:
            attrib = os.getxattr(path, "user.DOSATTRIB", follow_symlinks=False).rstrip(b"\0").decode("latin-1")
        except OSError:
            attrib = "none"
        mode = f"mode {stat.S_IMODE(st.st_mode):o}, DOSATTRIB {attrib}"
        if stat.S_ISLNK(st.st_mode):
            snap[name] = f"link to {os.readlink(path)}"
        elif stat.S_ISDIR(st.st_mode):
            snap[name] = f"folder, {mode}"
            for child in sorted(os.listdir(path)):
                self.walk(snap, name + "\\" + child, os.path.join(path, child))
        else:
            digest = hashlib.sha1()
            with open(path, "rb") as f:
                for block in iter(lambda: f.read(1 << 20), b""):
                    digest.update(block)
            snap[name] = f"{st.st_size} bytes, sha1 {digest.hexdigest()[:12]}, {mode}"

    def records(self):
        """The run's record lies beside the installation folder, in the
        nearest folder above it that existed when the run began."""
        found = []
        for folder in (BASE, BASE[:3]):
            found += glob.glob(os.path.join(self.unix(folder), "Installer_unfinished_*.dat"))
        return found

    def record_lines(self):
        with open(self.records()[0], "rb") as f:
            lines = f.read().decode("cp1252", "replace").split("\r\n")
        return lines[:-1]  # a last line without CR LF does not count

    # --- the start state -------------------------------------------------------
    def reset(self, scenario):
        shutil.rmtree(self.unix(BASE), ignore_errors=True)
        for record in self.records():
            os.remove(record)
        for menu in self.start_menus:
            shutil.rmtree(self.unix(menu + r"\Programs" + "\\" + self.product_folder), ignore_errors=True)
        for desktop in self.desktops:
            for link in glob.glob(os.path.join(self.unix(desktop), "*.lnk")):
                os.remove(link)
        temp = self.unix(self.temp)
        for name in os.listdir(temp):
            if name.startswith("Installer_"):
                path = os.path.join(temp, name)
                shutil.rmtree(path) if os.path.isdir(path) and not os.path.islink(path) else os.remove(path)
        for line in self.wine_out("reg", "query", UNINSTALL, self.view).splitlines():
            if line.rsplit("\\", 1)[-1].startswith(self.product_folder + "__at__"):
                self.wine_out("reg", "delete", line.strip(), "/f", self.view)
        if scenario == "over":
            setup = self.start(self.a.setup_v1, RUN)
            box = subprocess.run(["wine", self.driver, "--timeout", "120000", "box", "Install complete", "press", "OK"],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            rc = self.finish(setup, 60)
            if rc != 0 or box.returncode:
                die(f"version 1 did not install (exit code {rc}, test driver {box.returncode})")
            # Some of the earlier files read-only and hidden, so that the undo
            # must give back the attributes of those that version 2 replaces.
            data = f"{BASE}\\{self.product_folder}\\data"
            files = sorted(os.path.relpath(os.path.join(d, f), self.unix(data)).replace("/", "\\")
                           for d, _, names in os.walk(self.unix(data)) for f in names)
            marked = files[::25]
            # Wine's attrib takes one flag at a time and no quotes (the names hold no blanks).
            self.wine_out("cmd.exe", "/c", " & ".join(f"attrib {flag} {data}\\{f}" for f in marked for flag in ("+H", "+R")))
            if os.stat(self.unix(f"{data}\\{marked[0]}")).st_mode & 0o222:
                die(f"attrib did not make {marked[0]} read-only")

    # --- runs --------------------------------------------------------------------
    def start(self, exe, args, stop_at=None):
        env = dict(os.environ)
        env.pop("SETUP_TEST_STOP_AT", None)
        if stop_at:
            env["SETUP_TEST_STOP_AT"] = stop_at
        proc = subprocess.Popen(["wine", exe, *args], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        proc.exe = os.path.basename(exe)
        return proc

    def setup_pid(self, proc):
        """The Windows process is a Linux process whose first argument is the
        program's path; the wine we started becomes it when the loader execs."""
        for pid in [str(proc.pid)] + [p for p in os.listdir("/proc") if p.isdigit()]:
            try:
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    arg0 = f.read().split(b"\0")[0].decode("latin-1").replace("\\", "/")
            except OSError:
                continue
            if os.path.basename(arg0) == proc.exe:
                return int(pid)
        return None

    def kill(self, proc):
        """kill -9 of the setup process; True when it was found and is gone."""
        pid = self.setup_pid(proc)
        if pid is None:
            return False
        os.kill(pid, signal.SIGKILL)
        proc.wait()
        for _ in range(500):
            if not os.path.exists(f"/proc/{pid}") or open(f"/proc/{pid}/stat").read().split()[2] == "Z":
                return True
            time.sleep(0.01)
        return False

    def finish(self, proc, timeout):
        """The exit code, or "hung" (killed after timeout seconds: a box?)."""
        try:
            return proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.kill(proc)
            return "hung"


def differences(before, after, limit=6):
    lines = []
    for k in sorted(set(before) | set(after)):
        if before.get(k) == after.get(k):
            continue
        if k not in after:
            lines.append(f"gone:    {k} ({before[k]})")
        elif k not in before:
            lines.append(f"new:     {k} ({after[k]})")
        else:
            lines.append(f"changed: {k}: {before[k]} -> {after[k]}")
    return lines[:limit] + ([f"... and {len(lines) - limit} more"] if len(lines) > limit else [])
