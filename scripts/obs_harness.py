#!/usr/bin/python3
"""Runs OBS with the camera control module in a throwaway configuration.

Shared by scripts/demo.sh, the end-to-end test and the measurements. Everything lives in one
temporary folder (OBS configuration, the module's settings file, logs); OBS runs on its own
Xvfb display unless a display is given, and is driven from outside only: xdotool for input,
the accessibility bus (AT-SPI) to find menu entries and widgets.
"""
import json
import os
import pathlib
import re
import shutil
import signal
import subprocess
import time

MODULE = "OBS-BrenmoorCameraControlPlugin"
PANEL_TITLE = "OBS - Brenmoor Camera Control Plugin"
# The title of the dock that holds the panel (English locale text of "CameraControlDock").
DOCK_TITLE = "Camera Control"
SETTINGS_FILE = "BrenmoorOBSPlugin.json"
# OBS names its Qt application "obs" and sets no organisation, so Qt's AppLocalDataLocation is
# $XDG_DATA_HOME/obs.
SETTINGS_SUBDIR = "obs"

GLOBAL_INI = """[General]
Pre19Defaults=false
Pre21Defaults=false
Pre23Defaults=false
Pre24.1Defaults=false
FirstRun=true

[Basic]
Profile=Untitled
ProfileDir=Untitled
SceneCollection=Untitled
SceneCollectionFile=Untitled

[BasicWindow]
gridMode=false

[OBSWebSocket]
FirstLoad=false
ServerEnabled=false
"""


# Every check of a run is reported as it is made; the run fails if any failed.
failures = []


def check(name, ok, detail=""):
    print(("PASS " if ok else "FAIL ") + name + ("" if ok else f": {detail}"), flush=True)
    if not ok:
        failures.append(name)
    return ok


class HarnessError(RuntimeError):
    pass


def need(tool):
    if shutil.which(tool) is None:
        raise HarnessError(f"'{tool}' is missing (run scripts/setup.sh)")


def bring_up_loopback():
    """Inside a fresh network namespace only lo exists, and it is down."""
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)


def wait_for(predicate, timeout, step=0.05):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            return value
        time.sleep(step)


class Simulator:
    """One `ptzctl simulate` camera with its datagram log."""

    def __init__(self, ptzctl, model, address, log_path, port=52381, options=()):
        """options: further `ptzctl simulate` options (faults such as --silent)."""
        self.model = model
        self.address = address
        self.log_path = pathlib.Path(log_path)
        self.proc = subprocess.Popen(
            [ptzctl, "simulate", "--model", model, "--bind", address, "--port", str(port), "--log", str(log_path),
             *options],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)

    def received(self):
        """VISCA payloads (header stripped) of every datagram the camera received, as hex text."""
        if not self.log_path.exists():
            return []
        out = []
        for line in self.log_path.read_text(errors="replace").splitlines():
            parts = line.split()
            if len(parts) > 2 and parts[1] == "in":
                out.append(" ".join(parts[2:][8:]))
        return out

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def package_layout(root):
    """The module and its data folder in a package unpacked into root, at the system folders where Debian's OBS
    reads them (usr/lib/<multiarch>/obs-plugins, usr/share/obs/obs-plugins/<module>)."""
    root = pathlib.Path(root)
    modules = sorted(root.glob(f"usr/lib/*/obs-plugins/{MODULE}.so"))
    data = root / "usr" / "share" / "obs" / "obs-plugins" / MODULE
    if len(modules) != 1 or not (data / "locale").is_dir():
        raise HarnessError(f"{root} holds no unpacked module package (module {modules}, data {data})")
    return modules[0], data


class ObsSession:
    def __init__(self, workdir, module_so=None, data_dir=None, display=None, geometry="1600x1000x24", language=None,
                 panel_title=PANEL_TITLE, dock_title=DOCK_TITLE):
        # PTZ_PACKAGE_ROOT: a package unpacked there is the module, linked into the per-user plugin folder (the
        # system folder is not ours to write, and Debian's OBS 29 reads no other).
        self.package_root = os.environ.get("PTZ_PACKAGE_ROOT")
        if self.package_root:
            module_so, data_dir = package_layout(self.package_root)
        self.work = pathlib.Path(workdir)
        self.dock_title = dock_title
        self.language = language  # OBS's own language setting, None for its default (English)
        self.panel_title = panel_title
        self.cfg = self.work / "config"
        self.data = self.work / "data"
        self.home = self.work / "home"
        self.module_so = module_so
        self.data_dir = data_dir
        self.display = display
        self.geometry = geometry
        self.xvfb = None
        self.obs = None
        self.obs_output = self.work / "obs-output.txt"
        self.env = None
        self.started_at = None
        self.a11y_bus = None
        # Debian's OBS from PATH, or an unpacked OBS (bin/obs, lib/) named by PTZ_OBS_ROOT, run with its own
        # libraries first.
        self.obs_root = os.environ.get("PTZ_OBS_ROOT")

    # --- configuration -------------------------------------------------------------------

    @property
    def obs_dir(self):
        return self.cfg / "obs-studio"

    @property
    def profile_dir(self):
        return self.obs_dir / "basic" / "profiles" / "Untitled"

    @property
    def settings_path(self):
        return self.data / SETTINGS_SUBDIR / SETTINGS_FILE

    def prepare(self, hotkeys=None, settings=None, websocket=None, websocket_port=None):
        """Seeds a configuration that skips OBS's first-run wizard, installs the module the way a
        per-user install does and writes the profile's hotkey bindings and the module settings.
        websocket=(port, password) switches OBS's WebSocket server on, with that password; websocket_port alone
        switches it on without authentication."""
        for d in (self.obs_dir, self.data, self.home, self.profile_dir):
            d.mkdir(parents=True, exist_ok=True)
        general = f"[General]\nLanguage={self.language}\n" if self.language else "[General]\n"
        config = GLOBAL_INI.replace("[General]\n", general, 1)
        if websocket:
            config = config.replace("ServerEnabled=false\n", f"ServerEnabled=true\nServerPort={websocket[0]}\n"
                                    f"AlertsEnabled=false\nAuthRequired=true\nServerPassword={websocket[1]}\n")
        elif websocket_port:
            config = config.replace("ServerEnabled=false\n", f"ServerEnabled=true\nServerPort={websocket_port}\n"
                                    "AlertsEnabled=false\nAuthRequired=false\n")
        (self.obs_dir / "global.ini").write_text(config)
        if hotkeys:
            lines = ["[Hotkeys]"]
            for name, combos in hotkeys.items():
                lines.append(f"{name}=" + json.dumps({"bindings": combos}, separators=(",", ":")))
            (self.profile_dir / "basic.ini").write_text("\n".join(lines) + "\n")
        if self.module_so:
            plugin = self.obs_dir / "plugins" / MODULE
            (plugin / "bin" / "64bit").mkdir(parents=True, exist_ok=True)
            (plugin / "data").mkdir(parents=True, exist_ok=True)
            module, locale = plugin / "bin" / "64bit" / f"{MODULE}.so", plugin / "data" / "locale"
            if self.package_root:
                for link, target in ((module, self.module_so), (locale, pathlib.Path(self.data_dir) / "locale")):
                    if not link.is_symlink():
                        link.symlink_to(pathlib.Path(target).resolve())
            else:
                shutil.copy2(self.module_so, module)
                shutil.copytree(pathlib.Path(self.data_dir) / "locale", locale, dirs_exist_ok=True)
        if settings is not None:
            self.settings_path.parent.mkdir(parents=True, exist_ok=True)
            self.settings_path.write_text(json.dumps(settings, indent=4) + "\n")

    # --- processes -----------------------------------------------------------------------

    def start_display(self):
        if self.display:
            return
        need("Xvfb")
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", self.geometry, "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    raise HarnessError("Xvfb did not start")
                number += chunk
        self.display = ":" + number.decode().strip()

    def enable_accessibility(self):
        """Starts the accessibility bus and registry and switches them on before OBS starts, so Qt
        publishes its widget tree."""
        need("dbus-send")
        subprocess.run(["/usr/bin/python3", "-c", "import pyatspi; pyatspi.Registry.getDesktop(0)"],
                       env=self.base_env(), check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                        "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status", "string:IsEnabled",
                        "variant:boolean:true"], env=self.base_env(), check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                        "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status",
                        "string:ScreenReaderEnabled", "variant:boolean:true"], env=self.base_env(), check=True,
                       stdout=subprocess.DEVNULL)

    def stop_accessibility(self):
        """Ends this D-Bus session's accessibility bus (started by an earlier OBS session), so that
        the next OBS registers when the bus comes back after its start-up."""
        res = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                              "/org/freedesktop/DBus", "org.freedesktop.DBus.GetConnectionUnixProcessID",
                              "string:org.a11y.Bus"], capture_output=True, text=True)
        if res.returncode != 0:
            return
        pid = int(res.stdout.split()[-1])
        os.kill(pid, signal.SIGTERM)
        wait_for(lambda: not os.path.exists(f"/proc/{pid}"), 5, 0.05)

    def accessible(self):
        r = subprocess.run(["/usr/bin/python3", "-c", "import pyatspi; d = pyatspi.Registry.getDesktop(0); "
                            "print([d.getChildAtIndex(i).name for i in range(d.childCount)])"],
                           env=self.env, capture_output=True, text=True)
        return "'obs'" in r.stdout

    def base_env(self):
        env = dict(os.environ)
        # HOME moves to the throwaway folder; a real display keeps its X authority file.
        xauthority = os.path.expanduser("~/.Xauthority")
        if "XAUTHORITY" not in env and os.path.exists(xauthority):
            env["XAUTHORITY"] = xauthority
        for key in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "OBS_PLUGINS_PATH", "OBS_PLUGINS_DATA_PATH"):
            env.pop(key, None)
        env.update({
            "DISPLAY": self.display,
            "XDG_CONFIG_HOME": str(self.cfg),
            "XDG_DATA_HOME": str(self.data),
            "XDG_CACHE_HOME": str(self.home / ".cache"),
            "HOME": str(self.home),
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "LIBGL_ALWAYS_SOFTWARE": "1",
        })
        if self.obs_root:
            env["LD_LIBRARY_PATH"] = os.path.join(self.obs_root, "lib")
        return env

    def obs_command(self):
        if self.obs_root:
            return [os.path.join(self.obs_root, "bin", "obs"), "--multi", "--disable-shutdown-check"]
        need("obs")
        return ["obs", "--multi"]

    def start_obs(self, accessibility=True, wait=True, attempts=2):
        """Starts OBS and waits for its main window.

        The accessibility bus is started only once OBS is up: Qt then registers the application
        when it sees the bus appear, while OBS's user-interface thread is idle. Registering during
        OBS's busy start-up often failed for good on a loaded machine (the registry gave up on it)."""
        command = self.obs_command()
        self.start_display()
        self.env = self.base_env()
        for attempt in range(attempts):
            if accessibility:
                self.stop_accessibility()
            self.started_at = time.monotonic()
            with open(self.obs_output, "wb") as out:
                self.obs = subprocess.Popen(command, env=self.env, stdout=out, stderr=subprocess.STDOUT,
                                            cwd=str(self.home))
            if not wait:
                return self
            if not wait_for(self.startup_complete, 60, 0.02):
                raise HarnessError("OBS did not finish starting within 60 s (see %s)" % self.log_path())
            self.startup_seconds = time.monotonic() - self.started_at
            if not accessibility:
                return self
            time.sleep(1)
            self.enable_accessibility()
            if wait_for(self.accessible, 15, 0.5):
                return self
            self.quit_obs()
            self.stop_obs()
        raise HarnessError("OBS never published its widget tree on the accessibility bus")

    def log_path(self):
        logs = sorted((self.obs_dir / "logs").glob("*.txt"))
        return logs[-1] if logs else None

    def log_text(self):
        path = self.log_path()
        return path.read_text(errors="replace") if path else ""

    def output_text(self):
        return self.obs_output.read_text(errors="replace") if self.obs_output.exists() else ""

    def startup_complete(self):
        return "==== Startup complete" in self.log_text() and self.main_window()

    def loaded_modules(self):
        text = self.log_text()
        block = text.split("Loaded Modules:", 1)[1] if "Loaded Modules:" in text else ""
        mods = []
        for line in block.splitlines()[1:]:
            m = re.match(r"^[\d:.]+:\s{4,}(\S+)$", line)
            if not m:
                break
            mods.append(m.group(1))
        return mods

    def rss_kib(self):
        for line in pathlib.Path(f"/proc/{self.obs.pid}/status").read_text().splitlines():
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
        return 0

    # --- X input and windows ------------------------------------------------------------

    def xdotool(self, *args, check=True):
        need("xdotool")
        res = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True)
        if check and res.returncode != 0:
            raise HarnessError(f"xdotool {' '.join(map(str, args))}: {res.stderr.strip()}")
        return res.stdout.strip()

    def windows(self, name_regex):
        out = self.xdotool("search", "--onlyvisible", "--name", name_regex, check=False)
        return [int(w) for w in out.split()] if out else []

    def main_window(self):
        wins = self.windows("^OBS [0-9]")
        return wins[0] if wins else None

    def panel_windows(self):
        """The floating dock's window (none while the dock is docked or hidden). A docked dock may keep its X
        window as a child of the main window's; only a top-level one counts."""
        return [w for w in self.windows("^" + re.escape(self.dock_title) + "$") if self.toplevel(w)]

    def toplevel(self, window):
        out = subprocess.run(["xwininfo", "-tree", "-id", str(window)], env=self.env, capture_output=True,
                             text=True).stdout
        parent = re.search(r"Parent window id: \S+ (.*)", out)
        return bool(parent) and "(the root window)" in parent.group(1)

    def window_rect(self, window):
        """x, y, width, height of a window."""
        text = self.xdotool("getwindowgeometry", window)
        x, y = map(int, re.search(r"Position: (-?\d+),(-?\d+)", text).groups())
        w, h = map(int, re.search(r"Geometry: (\d+)x(\d+)", text).groups())
        return x, y, w, h

    def init_module_ms(self, module):
        """obs_init_module's time for one module from the profiler's report (printed at exit), or None."""
        m = re.search(r"obs_init_module\(" + re.escape(module) + r"\.so\): ([\d.]+)\s*ms",
                      self.output_text() + self.log_text())
        return float(m.group(1)) if m else None

    def focus(self, window):
        self.xdotool("windowfocus", "--sync", window, check=False)

    def key(self, *keys, window=None):
        if window:
            self.focus(window)
        for k in keys:
            self.xdotool("key", "--clearmodifiers", k)
            time.sleep(0.15)

    def click(self, x, y):
        self.xdotool("mousemove", "--sync", x, y)
        self.xdotool("click", 1)

    def press(self, x, y):
        self.xdotool("mousemove", "--sync", x, y)
        self.xdotool("mousedown", 1)

    def release(self):
        self.xdotool("mouseup", 1)

    def screenshot(self, path):
        need("import")
        subprocess.run(["import", "-window", "root", str(path)], env=self.env, check=True)

    # --- OBS menus --------------------------------------------------------------------------

    def open_tools_entry(self, a11y=None):
        """Chooses the module's Tools-menu entry with the keyboard. Its place comes from the
        accessibility tree when given; otherwise it is taken to be the last entry, where a per-user
        install puts it (a system-wide install loads the module before OBS's own plugins)."""
        win = self.main_window()
        items = a11y.menu_items("Tools") if a11y else []
        self.key("alt+t", window=win)
        if self.panel_title in items:
            # The menu opens with its first entry highlighted; separators are skipped.
            self.key(*(["Down"] * items.index(self.panel_title)), "Return")
        else:
            self.key("Up", "Return")

    def open_panel(self, a11y=None, tries=3):
        """Chooses the Tools entry until the panel shows (right after start-up OBS may still drop
        the first keys); returns the panel's windows."""
        for _ in range(tries):
            self.open_tools_entry(a11y)
            panels = wait_for(self.panel_windows, 4, 0.1)
            if panels:
                return panels
            self.key("Escape")
        return []

    def quit_obs(self, timeout=10.0):
        """File > Exit through the keyboard; returns the seconds OBS took to exit or None."""
        win = self.main_window()
        start = time.monotonic()
        # A loaded machine may drop keys typed before the menu opened: the keys go again a third and two thirds in.
        for attempt in range(3):
            if win:
                if attempt:
                    print("OBS still running: File > Exit typed again", flush=True)
                    self.key("Escape", "Escape", window=win)
                self.key("alt+f", window=win)
                self.key("Up", "Return")
            try:
                self.obs.wait(timeout / 3)
                return time.monotonic() - start
            except subprocess.TimeoutExpired:
                win = self.main_window()
        self.print_stacks()
        return None

    def print_stacks(self):
        """Where OBS's threads are, for a quit that did not end (gdb, when the machine has it)."""
        if shutil.which("gdb") is None or self.obs.poll() is not None:
            return
        res = subprocess.run(["gdb", "-p", str(self.obs.pid), "-batch", "-ex", "thread apply all bt 12"],
                             capture_output=True, text=True, timeout=120)
        frames = [line for line in res.stdout.splitlines() if line.startswith(("Thread", "#"))]
        print("OBS did not quit; its threads:\n" + "\n".join(frames[:400]), flush=True)

    def stop_obs(self):
        if self.obs and self.obs.poll() is None:
            self.obs.send_signal(signal.SIGTERM)
            try:
                self.obs.wait(10)
            except subprocess.TimeoutExpired:
                self.obs.kill()
                self.obs.wait()

    def stop(self):
        self.stop_obs()
        if self.a11y_bus and self.a11y_bus.poll() is None:
            self.a11y_bus.terminate()
            self.a11y_bus.wait()
        if self.xvfb and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()


class Accessibility:
    """Reads the OBS widget tree over AT-SPI (names, roles, screen extents, states)."""

    def __init__(self, display):
        # The AT-SPI client finds its bus through the X display's root window.
        os.environ["DISPLAY"] = display
        import pyatspi  # from python3-pyatspi; only /usr/bin/python3 has it
        self.pyatspi = pyatspi

    def app(self):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == "obs":
                return app
        return None

    def nodes(self, root=None, max_depth=30):
        root = root or self.app()
        if root is None:
            return
        stack = [(root, 0)]
        while stack:
            node, depth = stack.pop()
            yield node
            if depth >= max_depth:
                continue
            try:
                count = node.childCount
            except Exception:
                continue
            for i in reversed(range(count)):
                try:
                    child = node.getChildAtIndex(i)
                except Exception:
                    child = None
                if child is not None:
                    stack.append((child, depth + 1))

    def find(self, role=None, name=None, root=None):
        out = []
        for node in self.nodes(root):
            try:
                if role and node.getRoleName() != role:
                    continue
                if name is not None and node.name != name:
                    continue
            except Exception:
                continue
            out.append(node)
        return out

    def extents(self, node):
        e = node.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        return e.x, e.y, e.width, e.height

    def center(self, node):
        x, y, w, h = self.extents(node)
        return x + w // 2, y + h // 2

    def enabled(self, node):
        states = node.getState()
        return states.contains(self.pyatspi.STATE_ENABLED) and states.contains(self.pyatspi.STATE_SENSITIVE)

    def showing(self, node):
        return node.getState().contains(self.pyatspi.STATE_SHOWING)

    def menu_items(self, menu_name):
        """Texts of a top-level menu's entries, in order."""
        for menu in self.find(role="menu item", name=menu_name) + self.find(role="menu", name=menu_name):
            names = []
            for i in range(menu.childCount):
                child = menu.getChildAtIndex(i)
                if child.getRoleName() in ("menu", "popup menu") and not child.name:
                    names += [child.getChildAtIndex(j).name for j in range(child.childCount)]
                elif child.getRoleName() != "separator":
                    names.append(child.name)
            names = [n for n in names if n]
            if names:
                return names
        return []

    def panel(self):
        return self.panel_named(PANEL_TITLE)

    def panel_named(self, title):
        for node in self.find(name=title):
            if node.getRoleName() in ("dialog", "frame", "window"):
                return node
        return None

    def pad_buttons(self, panel):
        """The nine unnamed 60 x 60 pad buttons, in reading order (row by row)."""
        buttons = []
        for node in self.find(role="push button", root=panel):
            if node.name:
                continue
            x, y, w, h = self.extents(node)
            if 50 <= w <= 70 and 50 <= h <= 70:
                buttons.append((y, x, node))
        buttons.sort(key=lambda t: (round(t[0] / 20), t[1]))
        return [b[2] for b in buttons]
