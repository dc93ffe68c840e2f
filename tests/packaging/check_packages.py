#!/usr/bin/python3
"""The build's Debian packages: made by the package target, their fields and file lists read with dpkg-deb, then
unpacked into a temporary root (never installed) whose module and ptzctl run the end-to-end OBS
(tests/e2e/run-e2e.sh --package). Every check is reported; the run fails if any check fails.

usage: check_packages.py BUILD_DIR QT_VERSION VERSION PTZCTL [--obs-tarball OBS.tar.xz]
  PTZCTL: the simulator for a build that makes no ptzctl package (Qt 6); the Qt 5 build uses its packaged one.
"""
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

SOURCE = pathlib.Path(__file__).resolve().parents[2]
MODULE = "OBS-BrenmoorCameraControlPlugin"
sys.path.insert(0, str(SOURCE / "scripts"))
from obs_harness import check, failures  # noqa: E402

MODULE_PACKAGES = {"5": "obs-brenmoor-camera-control-qt5", "6": "obs-brenmoor-camera-control-qt6"}

def run(*args):
    return subprocess.run(args, capture_output=True, text=True, check=True).stdout


def expectations(qt, multiarch):
    """Per package: its regular files, dependencies it must declare (patterns over the Depends entries), names it
    must not depend on, and what it conflicts with."""
    locales = sorted(p.name for p in (SOURCE / "data" / "locale").glob("*.ini"))
    other = MODULE_PACKAGES["6" if qt == "5" else "5"]
    module_files = {f"./usr/lib/{multiarch}/obs-plugins/{MODULE}.so"} | {
        f"./usr/share/obs/obs-plugins/{MODULE}/locale/{name}" for name in locales}
    # Qt 5 is Debian 12's OBS 29 with its libobs0; the Qt 6 module runs in an OBS 30 that brings its own libobs.
    obs = [r"obs-studio \(>= 29\)", r"obs-studio \(<< 30\)", r"libobs0 \(>= "] if qt == "5" else \
        [r"obs-studio \(>= 30\)"]
    module = (MODULE_PACKAGES[qt], module_files, obs + [rf"libqt{qt}widgets{qt}(abi\d+)? \(>= ", r"libc6 \(>= "],
              ["libobs0"] if qt == "6" else [], other)
    if qt == "6":
        return [module]
    return [module, ("ptzctl", {"./usr/bin/ptzctl"}, [r"libqt5network5 \(>= ", r"libobs0 \(>= ", r"libc6 \(>= "],
                     ["obs-studio"], "")]


def check_package(deb, files, depends, not_depends, conflicts, version):
    name = deb.name.split("_")[0]
    field = lambda f: run("dpkg-deb", "-f", str(deb), f).strip()  # noqa: E731
    check(f"{name}: version {version}, architecture amd64", (field("Version"), field("Architecture")) ==
          (version, "amd64"), (field("Version"), field("Architecture")))
    listing = [line.split() for line in run("dpkg-deb", "-c", str(deb)).splitlines()]
    regular = {parts[-1] for parts in listing if parts[0].startswith("-")}
    others = [parts[-1] for parts in listing if parts[0][0] not in "-d"]
    check(f"{name}: holds exactly its files, owned by root", regular == files and not others and
          all(parts[1] == "root/root" for parts in listing), (sorted(regular ^ files), others))
    entries = [e.strip() for e in field("Depends").split(",")]
    missing = [p for p in depends if not any(re.fullmatch(p + ".*", e) for e in entries)]
    extra = [e for e in entries for n in not_depends if e.split()[0] == n]
    check(f"{name}: declares its dependencies", not missing and not extra,
          (missing, extra, entries))
    check(f"{name}: conflicts with {conflicts or 'nothing'}",
          (field("Conflicts"), field("Replaces")) == (conflicts, conflicts), (field("Conflicts"), field("Replaces")))


def main():
    build, qt, version, ptzctl = pathlib.Path(sys.argv[1]).resolve(), sys.argv[2], sys.argv[3], sys.argv[4]
    e2e_args = sys.argv[5:]
    for tool in ("dpkg-deb", "dpkg-shlibdeps", "dpkg-architecture"):
        if shutil.which(tool) is None:
            check(f"'{tool}' is installed (scripts/setup.sh)", False)
            return
    shutil.rmtree(build / "packages", ignore_errors=True)
    made = subprocess.run(["cmake", "--build", str(build), "--target", "package"], capture_output=True, text=True)
    debs = sorted((build / "packages").glob("*.deb"))
    multiarch = run("dpkg-architecture", "-qDEB_HOST_MULTIARCH").strip()
    expected = expectations(qt, multiarch)
    if not check("The package target makes " + " and ".join(e[0] for e in expected), made.returncode == 0 and
                 [d.name.split("_")[0] for d in debs] == sorted(e[0] for e in expected),
                 (made.stdout[-2000:] + made.stderr[-2000:], debs)):
        return
    for name, *fields in expected:
        check_package(build / "packages" / f"{name}_{version}_amd64.deb", *fields, version)

    root = pathlib.Path(tempfile.mkdtemp(prefix="ptz-package-root."))
    for deb in debs:
        run("dpkg-deb", "-x", str(deb), str(root))
    env = dict(os.environ, PTZ_PACKAGE_ROOT=str(root))
    packaged = root / "usr" / "bin" / "ptzctl"
    e2e = subprocess.run([str(SOURCE / "tests" / "e2e" / "run-e2e.sh"), *e2e_args, "--package", version,
                          str(packaged if packaged.exists() else ptzctl)], env=env)
    if check("OBS loads the unpacked module; its Tools entry shows the panel and a camera connects",
             e2e.returncode == 0, f"run-e2e.sh exit {e2e.returncode}"):
        shutil.rmtree(root)
    else:
        print(f"unpacked root kept for inspection: {root}", file=sys.stderr)


if __name__ == "__main__":
    main()
    print(f"{len(failures)} check(s) failed" if failures else "all checks passed")
    sys.exit(1 if failures else 0)
