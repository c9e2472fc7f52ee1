"""The Debian package as a person meets it: built by cpack from the tested build, its
dependencies read from the programs, its desktop entry and metainfo as validators and software
centres read them; installed, the program started from its desktop entry; removed, every database
left where it was.

Run by tests/e2e/run.sh, which provides the display, the buses and a fresh home. As root, and when
no package named tessarin is installed already, the package is installed for real with apt-get and
removed again (one run at a time on a machine). Otherwise, or with TESSARIN_PACKAGE_INSTALL=extract,
it is unpacked with dpkg -x into a folder of its own and the entry's Exec line runs from there;
removal is then not exercised, and what keeps it harmless is checked instead: no maintainer
script, nothing outside /usr.
"""
import configparser
import fcntl
import glob
import hashlib
import json
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from atspi_driver import CaseSuite, Program, application, run_suite, wait_for  # noqa: E402

PACKAGE = "tessarin"
ENTRY = "usr/share/applications/tessarin.desktop"
FILE_FIELD_CODES = ("%f", "%F", "%u", "%U")
APT = ["apt-get", "-y", "-q", "-o", "DPkg::Lock::Timeout=300"]
# Another run of this suite on the same machine waits here before installing.
INSTALL_LOCK = os.path.join("/run/lock" if os.path.isdir("/run/lock") else "/tmp",
                            "tessarin-package-test.lock")


def run(command, **options):
    done = subprocess.run(command, capture_output=True, text=True, timeout=600, **options)
    assert done.returncode == 0, "%s: %s%s" % (" ".join(command), done.stdout, done.stderr)
    return done.stdout


def names(relation_field):
    """The package names of a Depends-like field, alternatives and versions left out."""
    return {re.split(r"[\s(:]", alternative.strip())[0]
            for relation in relation_field.split(",") if relation.strip()
            for alternative in relation.split("|")}


def owners(paths):
    """The packages that own the files, by name, as {path: {package}}; a path of no package
    is missing. Files are matched by name, as /lib and /usr/lib are one folder on Debian 12."""
    real = {path: os.path.realpath(path) for path in paths}
    found = {}
    done = subprocess.run(["dpkg-query", "-S"] + sorted({os.path.basename(r) for r in real.values()}),
                          capture_output=True, text=True)
    by_name = {}
    for line in done.stdout.splitlines():
        packages, _, owned = line.partition(": ")
        for package in packages.split(", "):
            by_name.setdefault(os.path.basename(owned), set()).add(package.split(":")[0])
    for path, target in real.items():
        if os.path.basename(target) in by_name:
            found[path] = by_name[os.path.basename(target)]
    return found


def needed_libraries(program):
    """The shared libraries the program names (its NEEDED entries), as the loader finds them."""
    dynamic = run(["readelf", "-d", program])
    needed = re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", dynamic)
    loader = run(["ldd", program])
    found = dict(re.findall(r"^\s*(\S+) => (/\S+)", loader, re.M))
    # The dynamic loader itself is listed by its path alone.
    found.update((os.path.basename(path), path) for path in re.findall(r"^\s*(/\S+) \(", loader, re.M))
    missing = [name for name in needed if name not in found]
    assert not missing, "%s: the loader finds no %s" % (program, missing)
    return [found[name] for name in needed]


def dependency_closure(packages):
    """The packages that installing `packages` brings, without Recommends."""
    listing = run(["apt-cache", "depends", "--recurse", "--no-recommends", "--no-suggests",
                   "--no-conflicts", "--no-breaks", "--no-replaces", "--no-enhances"] +
                  sorted(packages))
    return set(packages) | {line.strip("<>") for line in listing.splitlines()
                            if line and not line.startswith(" ")}


def desktop_entry(path):
    parser = configparser.RawConfigParser(strict=False, delimiters=("=",), comment_prefixes=("#",))
    parser.optionxform = str
    parser.read(path, encoding="utf-8")
    return parser["Desktop Entry"]


def entry_command(entry, search_path):
    """The command a desktop runs for the entry when it is started from a menu, with no file:
    the Exec line split by its quoting rules, its file field codes dropped, and the program found
    on the search path."""
    arguments = [a for a in shlex.split(entry["Exec"]) if a not in FILE_FIELD_CODES]
    assert arguments and not any(re.search(r"(?<!%)%[a-zA-Z]", a) for a in arguments), \
        "Exec holds a field code this test does not expand: %s" % entry["Exec"]
    program = shutil.which(arguments[0], path=search_path)
    assert program, "%s is not on %s" % (arguments[0], search_path)
    return [program] + [a.replace("%%", "%") for a in arguments[1:]]


def snapshot(folder):
    """Every file below the folder with a digest of its bytes."""
    files = {}
    for where, _, names_here in os.walk(folder):
        for name in names_here:
            path = os.path.join(where, name)
            if os.path.isfile(path) and not os.path.islink(path):
                with open(path, "rb") as content:
                    files[os.path.relpath(path, folder)] = hashlib.sha256(content.read()).hexdigest()
    return files


class InstalledProgram(Program):
    """The program started by a command line of its own rather than from the build folder."""

    def __init__(self, command, env):
        self.process = subprocess.Popen(command, env=env)
        self.app = wait_for("the program on the accessibility bus", self.on_the_bus)

    def on_the_bus(self):
        if self.process.poll() is not None:
            raise AssertionError("the program ended with %s" % self.process.returncode)
        return application(self.process)


class PackageSuite(CaseSuite):

    def __init__(self, build, source):
        super().__init__(build, source)
        # Beside the suite's home, in the folder run.sh removes at the end.
        self.work = tempfile.mkdtemp(prefix="package-", dir=os.path.dirname(os.environ["HOME"]))
        self.root = os.path.join(self.work, "root")

    def control(self, field):
        return run(["dpkg-deb", "-f", self.deb, field]).strip()

    def packaged(self, path):
        return os.path.join(self.root, path)

    def files(self):
        """The package's files and links, as paths below its root."""
        return [os.path.relpath(os.path.join(where, name), self.root)
                for where, folders, names_here in os.walk(self.root)
                for name in names_here + [f for f in folders
                                          if os.path.islink(os.path.join(where, f))]]

    # The cases, in order.

    def test_the_package_holds_the_programs_and_depends_on_what_they_load(self):
        # From the tested build as it is: cpack installs what the build made, nothing is rebuilt.
        # Its programs follow the tests' switches, which stops an install unless it is this test's.
        run(["cpack", "--config", os.path.join(self.build, "CPackConfig.cmake"), "-B", self.work],
            env=dict(os.environ, TESSARIN_PACKAGE_TEST="1"))
        debs = glob.glob(os.path.join(self.work, PACKAGE + "_*.deb"))
        assert len(debs) == 1, debs
        self.deb = debs[0]
        run(["dpkg-deb", "-x", self.deb, self.root])
        # Nothing outside /usr, and no maintainer script that could touch a user's files.
        assert os.listdir(self.root) == ["usr"], os.listdir(self.root)
        control = os.path.join(self.work, "control")
        run(["dpkg-deb", "-e", self.deb, control])
        assert sorted(os.listdir(control)) == ["control", "md5sums"], os.listdir(control)
        # The commands lead to the programs, which find what they read beside themselves.
        programs = []
        for command in ("tessarin", "tessarin-cli"):
            link = self.packaged("usr/bin/" + command)
            assert os.path.islink(link), link
            target = os.path.realpath(link)
            assert target.startswith(self.root + "/usr/lib/"), (link, os.readlink(link))
            with open(target, "rb") as program:
                assert program.read(4) == b"\x7fELF" and os.access(target, os.X_OK), target
            programs.append(target)
        for beside in ("sample-data.vex", "Tessarin User Guide.pdf"):
            assert os.path.isfile(os.path.join(os.path.dirname(programs[0]), beside)), beside
        # Every library a program names comes from a package the package depends on.
        depends = names(self.control("Depends"))
        for program in programs:
            libraries = needed_libraries(program)
            owned = owners(libraries)
            for library in libraries:
                assert owned.get(library, set()) & depends, \
                    "%s needs %s (of %s), which Depends (%s) does not name" % (
                        os.path.basename(program), library, owned.get(library, "no package"),
                        ", ".join(sorted(depends)))

    def test_its_desktop_entry_and_metainfo_pass_the_validators(self):
        entry_path = self.packaged(ENTRY)
        checked = subprocess.run(["desktop-file-validate", entry_path], capture_output=True,
                                 text=True)
        said = checked.stdout + checked.stderr
        print(said, end="")
        # Hints are advice; errors and warnings fail.
        assert checked.returncode == 0 and not re.search(r": (error|warning): ", said), said
        # The metainfo with the files it names beside it (the entry, the icon), as software
        # centres gather it; warnings fail too.
        checked = subprocess.run(["appstreamcli", "validate-tree", "--no-net", "--pedantic",
                                  self.root], capture_output=True, text=True)
        print(checked.stdout + checked.stderr, end="")
        assert checked.returncode == 0, checked.stdout + checked.stderr
        entry = desktop_entry(entry_path)
        icons = glob.glob(self.packaged("usr/share/icons/hicolor/*/apps/%s.*" % entry["Icon"]))
        assert any(icon.endswith(".svg") for icon in icons) and len(icons) > 1, icons
        declared = set()
        for mime in glob.glob(self.packaged("usr/share/mime/packages/*.xml")):
            declared |= {node.get("type") for node in ET.parse(mime).getroot()}
        for mime_type in filter(None, entry["MimeType"].split(";")):
            assert mime_type in declared, (mime_type, declared)
        # What a software centre shows: a description, and screenshots that are ours.
        metainfo = ET.parse(glob.glob(self.packaged("usr/share/metainfo/*.metainfo.xml"))[0])
        assert len(" ".join(metainfo.find("description").itertext()).split()) > 30
        newest = metainfo.find("releases/release").get("version")
        assert newest == self.control("Version"), (newest, self.control("Version"))
        images = [image.text for image in metainfo.iter("image")]
        assert images, "no screenshot"
        for image in images:
            shot = os.path.join(self.source, "docs/screenshots", os.path.basename(image))
            assert os.path.isfile(shot), "%s is not one of docs/screenshots" % image

    def status(self):
        """What dpkg knows of the package: empty when nothing at all."""
        return subprocess.run(["dpkg-query", "-W", "-f=${Status}", PACKAGE], capture_output=True,
                              text=True).stdout.strip()

    def install_for_real(self):
        """As root, with no package of the name installed: apt-get, as the README says."""
        if os.geteuid() != 0 or os.environ.get("TESSARIN_PACKAGE_INSTALL") == "extract":
            return False
        if "installed" in self.status().split():
            print("a package named %s is installed already: unpacked instead" % PACKAGE)
            return False
        return True

    def test_installed_it_starts_from_its_entry_and_removal_leaves_the_databases(self):
        env = dict(os.environ)
        real = self.install_for_real()
        if real:
            print("installed for real with apt-get (root)")
            lock = open(INSTALL_LOCK, "w")
            fcntl.flock(lock, fcntl.LOCK_EX)
            run(APT + ["install", "--no-install-recommends", self.deb],
                env=dict(env, DEBIAN_FRONTEND="noninteractive"))
            root = "/"
        else:
            print("unpacked with dpkg -x into %s (not root, or asked to)" % self.root)
            root = self.root
            env["PATH"] = os.path.join(root, "usr/bin") + os.pathsep + env.get("PATH", "")
        installed = ["/" + path for path in self.files()]
        try:
            self.start_from_the_entry(os.path.join(root, ENTRY), env)
            home = snapshot(os.environ["HOME"])
            assert os.path.relpath(self.database, os.environ["HOME"]) in home, sorted(home)
            if not real:
                return
            mime_cache = "/usr/share/mime/application/x-tessarin-vex.xml"
            if shutil.which("update-mime-database"):
                assert os.path.isfile(mime_cache), "the file type is not in the MIME cache"
            run(APT + ["remove", PACKAGE], env=dict(env, DEBIAN_FRONTEND="noninteractive"))
            left = [path for path in installed if os.path.lexists(path)]
            assert not left, "the removal left %s" % left
            # Nothing is left for a purge either: the package has no configuration files.
            assert not self.status(), self.status()
            assert not os.path.exists(mime_cache), "the file type outlived the package"
            assert snapshot(os.environ["HOME"]) == home, "the removal changed the home folder"
        finally:
            if real:
                if self.status():
                    subprocess.run(APT + ["purge", PACKAGE], capture_output=True,
                                   env=dict(env, DEBIAN_FRONTEND="noninteractive"))
                lock.close()

    def start_from_the_entry(self, entry_path, env):
        command = entry_command(desktop_entry(entry_path), env["PATH"])
        print("started as", " ".join(command))
        program = InstalledProgram(command, env)
        self.programs.append(program)
        # A first start: the sample records from beside the program, after the four pages.
        program.through_first_run()
        program.main()
        self.check_loaded_plugins(program.process.pid)
        program.exit()
        cli = shutil.which("tessarin-cli", path=env["PATH"])
        rows = json.loads(run([cli, "--db", self.database, "ls", "--json"], env=env))
        assert len(rows) == 12, rows

    def check_loaded_plugins(self, pid):
        """The Qt plugins the running program loaded (the window system's, the icons') come with
        the package's dependencies, so that a machine with nothing else installed has them. (Qt
        also tries libraries such as libXcursor that it does without when they are missing.)"""
        with open("/proc/%d/maps" % pid) as maps:
            loaded = {fields[5].strip() for fields in (line.split(None, 5) for line in maps)
                      if len(fields) == 6 and "/plugins/" in fields[5]}
        assert any("/platforms/" in path for path in loaded), loaded
        allowed = dependency_closure(names(self.control("Depends"))) | {PACKAGE}
        owned = owners(loaded)
        strays = sorted("%s (%s)" % (path, ", ".join(sorted(owned.get(path, {"no package"}))))
                        for path in loaded if not owned.get(path, set()) & allowed)
        assert not strays, "plugins from outside the dependencies: %s" % strays


if __name__ == "__main__":
    sys.exit(run_suite(PackageSuite))
