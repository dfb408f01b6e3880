#!/usr/bin/env python3
"""Checks that tools/install-deps.sh names every package the build and the tests read from.

A fresh Debian machine sets up from tools/install-deps.sh alone, so every file
outside the tree that the build, the generators, the programs or the tests
read must belong to a package that script names: named directly, in the
dependency closure of a named package (apt-cache depends --recurse, without
recommends and suggests), or of Priority required or Essential.

The files read come from
  - ninja's dependency log of the build (every header a compile read) and the
    absolute paths in the build's commands (compilers, tools, libraries linked);
  - a fresh configure of the debug preset into a scratch folder, traced with
    strace (CMake's modules, the packages' CMake files, the compilers' own files);
  - the shared libraries (ldd) of every program and test built;
  - the programs the build runs (gensymlib, gentexnames, apxc, ...), run again
    as the build runs them, and every test program, both traced with strace.
Files below the tree, the build folder, the formula corpus beside the checkout,
/proc, /sys, /dev, /run, the temporary folders and $HOME are the project's own
or the machine's and are not checked.

A file that no package owns fails, unless it is a cache that a named package
makes from the files of others (fontconfig's cache, Python's byte code, ...);
a file of a package that install-deps.sh does not name fails with the file and
the package.

Usage: tools/check-packages.py [--build-dir build/debug] [--keep-traces DIR] [--verbose]
Needs a built debug tree (tools/run-tests.sh makes one) and strace.
"""

import argparse
import codecs
import concurrent.futures
import fnmatch
import glob
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Folders whose files are not a package's business.
MACHINE_FOLDERS = ("/proc", "/sys", "/dev", "/run", "/tmp", "/var/tmp")

# Files no package owns that a package makes on the machine from the files of
# others; each is fine when its maker is installed through the list.
# (pattern, the package that makes it, how)
MADE_ON_THE_MACHINE = [
    ("/etc/ld.so.cache", "libc-bin", "ldconfig's cache of the shared libraries"),
    ("/var/cache/fontconfig/*", "fontconfig", "fc-cache's cache of the installed fonts"),
    ("/usr/lib/locale/locale-archive", "libc-bin", "localedef's archive of the locales"),
    ("/usr/share/mime/*", "shared-mime-info",
     "update-mime-database's tables, made from the packages' /usr/share/mime/packages/*.xml"),
]
# Files read because they are there, not because the project needs them.
NOT_NEEDED = [
    ("/usr/lib/python3/dist-packages/*.pth", "Python's site module reads every .pth file installed"),
    ("/usr/local/lib/python3*/dist-packages/*.pth", "Python's site module reads every .pth file installed"),
    ("/usr/lib/python3/dist-packages/_distutils_hack/*", "imported by setuptools' .pth file where it is installed"),
    ("/usr/share/locale/locale.alias", "the C library reads the locale aliases where the locales package is installed"),
]
# The machine's own configuration, written when it is set up, not by a package.
MACHINE_CONFIGURATION = {
    "/etc/nsswitch.conf", "/var/lib/dbus/machine-id", "/etc/passwd", "/etc/group", "/etc/shadow", "/etc/hosts", "/etc/hostname", "/etc/resolv.conf",
    "/etc/localtime", "/etc/timezone", "/etc/machine-id", "/etc/mtab", "/etc/ld.so.preload",
}

TRACED_CALLS = "trace=open,openat,openat2,creat,execve,execveat"
# pid call(args...) = result, with -y decoding the returned descriptor: "= 3</path>".
TRACE_LINE_RE = re.compile(r'^(\d+)\s+(open|openat|openat2|creat|execve|execveat)\((.*)\)\s+=\s+(\d+)(?:<(.*)>)?\s*$')
TRACE_EXIT_RE = re.compile(r'^(\d+)\s+\+\+\+ (?:exited with (\d+)|killed by .*) \+\+\+')
PKG_CONFIG_PROGRAMS = ("pkg-config", "pkgconf", "x86_64-linux-gnu-pkg-config")
TRACE_PATH_ARG_RE = re.compile(r'"((?:[^"\\]|\\.)*)"')


def log(message):
    print("check-packages: " + message, flush=True)


def run(args, **kwargs):
    return subprocess.run(args, check=False, text=True, capture_output=True, **kwargs)


# ---- The packages the list allows -------------------------------------------------------

def named_packages():
    result = run(["bash", os.path.join(ROOT, "tools", "install-deps.sh"), "--list"])
    if result.returncode != 0:
        sys.exit("check-packages: tools/install-deps.sh --list failed:\n" + result.stderr)
    return [p for p in result.stdout.split() if p]


def strip_arch(name):
    return name.split(":", 1)[0]


def dependency_closure(packages):
    result = run(["apt-cache", "depends", "--recurse", "--no-recommends", "--no-suggests", "--no-conflicts",
                  "--no-breaks", "--no-replaces", "--no-enhances"] + packages)
    if result.returncode != 0:
        sys.exit("check-packages: apt-cache depends failed (run apt-get update once):\n" + result.stderr)
    closure = set()
    for line in result.stdout.splitlines():
        if not line or line[0].isspace():
            continue
        closure.add(strip_arch(line.strip().strip("<>")))
    return closure


def installed_packages():
    """{package: (priority, essential, status)} of every package dpkg knows."""
    result = run(["dpkg-query", "-W", "-f", "${Package}\t${Priority}\t${Essential}\t${db:Status-Abbrev}\n"])
    packages = {}
    for line in result.stdout.splitlines():
        fields = line.split("\t")
        if len(fields) == 4:
            packages[fields[0]] = (fields[1], fields[2], fields[3].strip())
    return packages


# ---- Who owns a file --------------------------------------------------------------------

def merged_usr_aliases(path):
    """The same file under the other half of a merged /usr (/lib <-> /usr/lib)."""
    for top in ("/lib", "/lib32", "/lib64", "/libx32", "/bin", "/sbin"):
        if path.startswith(top + "/"):
            return ["/usr" + path]
        if path.startswith("/usr" + top + "/"):
            return [path[len("/usr"):]]
    return []


def name_candidates(paths):
    """Names under which dpkg may know a file opened by the given names: the
    names, their merged-/usr twins, where their links lead, and the source of
    byte code."""
    names = list(paths)
    for path in paths:
        names.append(os.path.realpath(path))
    for n in list(names):
        names += merged_usr_aliases(n)
    # __pycache__/x.cpython-311.pyc is compiled on the machine from ../x.py.
    for n in list(names):
        m = re.match(r"^(.*)/__pycache__/([^/.]+)\.[^/]+\.pyc$", n)
        if m:
            names.append(f"{m.group(1)}/{m.group(2)}.py")
    seen = []
    for n in names:
        if n not in seen:
            seen.append(n)
    return seen


def owners_of(paths):
    """{path: [packages]} for the paths dpkg knows, asked in batches."""
    owners = {}
    paths = sorted(paths)
    for i in range(0, len(paths), 400):
        batch = [p for p in paths[i:i + 400] if not any(c in p for c in "*?[]\\")]
        if not batch:
            continue
        result = run(["dpkg-query", "-S"] + batch)
        for line in result.stdout.splitlines():
            if line.startswith("diversion by "):
                continue
            packages, sep, path = line.partition(": ")
            if not sep:
                continue
            owners.setdefault(path, []).extend(strip_arch(p.strip()) for p in packages.split(","))
    return owners


# ---- The files the build and the tests read -----------------------------------------------

def ninja(build_dir, *args):
    result = run(["ninja", "-C", build_dir] + list(args))
    if result.returncode != 0:
        sys.exit(f"check-packages: ninja {' '.join(args)} failed in {build_dir}:\n{result.stderr}")
    return result.stdout


def headers_compiled(build_dir):
    files = set()
    for line in ninja(build_dir, "-t", "deps").splitlines():
        if line.startswith("    "):
            files.add(os.path.normpath(os.path.join(build_dir, line.strip())))
    return files


def command_paths(build_dir):
    """Absolute paths named in the build's commands that are files: the
    compilers, CMake, the libraries linked."""
    files = set()
    for line in ninja(build_dir, "-t", "commands").splitlines():
        try:
            words = shlex.split(line)
        except ValueError:
            words = line.split()
        for word in words:
            for part in re.split(r"[=,:]", word):
                if part.startswith("-L") or part.startswith("-I"):
                    part = part[2:]
                if part.startswith("/") and os.path.isfile(part):
                    files.add(os.path.normpath(part))
    return files


def build_programs(build_dir):
    """Every ELF program and library the build made."""
    found = []
    for path in glob.glob(os.path.join(build_dir, "bin", "**", "*"), recursive=True):
        if os.path.isfile(path) and os.access(path, os.X_OK) or path.endswith(".so"):
            with open(path, "rb") as f:
                if f.read(4) == b"\x7fELF":
                    found.append(path)
    return sorted(found)


def shared_libraries(programs):
    files = set()
    for program in programs:
        result = run(["ldd", program])
        for line in result.stdout.splitlines():
            m = re.search(r"(?:=>\s*)?(/\S+)\s+\(0x", line)
            if m:
                files.add(m.group(1))
    return files


def generator_commands(build_dir):
    """The build's commands that run a program it built (the generators)."""
    programs = set(build_programs(build_dir))
    commands = set()
    for line in ninja(build_dir, "-t", "commands").splitlines():
        if re.search(r"\s-o\s", line):  # compiles and links
            continue
        try:
            words = shlex.split(line)
        except ValueError:
            continue
        if any(os.path.normpath(w) in programs for w in words if w.startswith("/")):
            commands.add(line)
    return sorted(commands)


def strace_command(trace_file, command):
    return ["strace", "-f", "--seccomp-bpf", "-q", "-z", "-y", "-s", "4096", "-e", TRACED_CALLS,
            "-e", "signal=none", "-o", trace_file] + command


def unescape(text):
    """strace writes bytes outside printable ASCII as escapes."""
    if "\\" not in text:
        return text
    return codecs.escape_decode(text.encode())[0].decode("utf-8", "surrogateescape")


def traced_files(trace_file, executed):
    """{file: names} of the files a trace opened or ran: the name asked for
    and, for opens, where it led; the programs run are added to executed. A
    pkg-config lookup that fails reads every .pc file installed; those reads
    are left out."""
    files = {}
    reads = {}  # pid -> [(path, names)]
    programs = {}  # pid -> the program it runs

    def finish(pid, code):
        failed_lookup = code != 0 and os.path.basename(programs.get(pid, "")) in PKG_CONFIG_PROGRAMS
        for path, names in reads.pop(pid, []):
            if failed_lookup and path.endswith(".pc"):
                continue
            files.setdefault(path, set()).update(names)
        programs.pop(pid, None)

    with open(trace_file, encoding="utf-8", errors="replace") as f:
        for line in f:
            m = TRACE_EXIT_RE.match(line)
            if m:
                finish(m.group(1), int(m.group(2)) if m.group(2) is not None else 1)
                continue
            m = TRACE_LINE_RE.match(line)
            if not m:
                continue
            pid, call, args, _, fd_path = m.groups()
            names = []
            first = TRACE_PATH_ARG_RE.search(args)
            if call.startswith("exec"):
                if first:
                    names.append(unescape(first.group(1)))
                    programs[pid] = names[0]
                    executed.add(os.path.normpath(names[0]))
            else:
                if fd_path:
                    names.append(unescape(fd_path))
                if first:
                    names.append(unescape(first.group(1)))
            names = [os.path.normpath(n) for n in names if n.startswith("/")]
            if names:
                reads.setdefault(pid, []).append((names[0], names))
    for pid in list(reads):
        finish(pid, 0)
    return files


def run_traced(jobs, trace_dir):
    """Runs (name, command, cwd, env) under strace, a few at a time; returns the trace files."""
    def one(job):
        name, command, cwd, env = job
        trace = os.path.join(trace_dir, name + ".trace")
        with open(os.path.join(trace_dir, name + ".out"), "w") as out:
            code = subprocess.run(strace_command(trace, command), cwd=cwd, env=env, stdout=out,
                                  stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, check=False).returncode
        return name, trace, code

    traces = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(2, os.cpu_count() or 2)) as pool:
        for name, trace, code in pool.map(one, jobs):
            if code != 0:
                log(f"note: traced {name} exited with {code} (see {os.path.join(trace_dir, name + '.out')})")
            traces.append(trace)
    return traces


def test_jobs(build_dir):
    """Every test program, split into shards so the traced runs go side by side."""
    env = dict(os.environ)
    env.update({
        "QT_QPA_PLATFORM": "offscreen",
        # LeakSanitizer cannot run under a tracer; ctest runs the tests with it.
        "ASAN_OPTIONS": "detect_leaks=0:abort_on_error=0",
        "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1",
    })
    tests_dir = os.path.join(build_dir, "tests")
    jobs = []
    for program in sorted(glob.glob(os.path.join(build_dir, "bin", "tests_*"))):
        shards = 4
        for index in range(shards):
            shard_env = dict(env, GTEST_TOTAL_SHARDS=str(shards), GTEST_SHARD_INDEX=str(index))
            jobs.append((f"{os.path.basename(program)}.{index}", [program, "--gtest_brief=1"],
                         tests_dir if os.path.isdir(tests_dir) else build_dir, shard_env))
    return jobs


# ---- The check ----------------------------------------------------------------------------

def outside_the_project(path, excluded):
    if any(path == e or path.startswith(e.rstrip("/") + "/") for e in excluded):
        return False
    return not any(path == m or path.startswith(m + "/") for m in MACHINE_FOLDERS)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build", "debug"))
    parser.add_argument("--keep-traces", help="folder to keep the traces in (default: a temporary one)")
    parser.add_argument("--verbose", action="store_true", help="list every file with its package")
    options = parser.parse_args()
    build_dir = os.path.abspath(options.build_dir)

    if not os.path.isfile(os.path.join(build_dir, "build.ninja")):
        log(f"FAILED: no build in {build_dir}; tools/run-tests.sh makes one")
        return 1
    for tool in ("strace", "ninja", "apt-cache", "dpkg-query", "ldd", "cmake"):
        if not shutil.which(tool):
            log(f"FAILED: {tool} is not installed (tools/install-deps.sh installs it)")
            return 1

    named = named_packages()
    dpkg = installed_packages()
    problems = []
    not_installed = [p for p in named if not dpkg.get(p, ("", "", ""))[2].startswith("ii")]
    for p in not_installed:
        problems.append(f"{p}: named by tools/install-deps.sh but not installed")
    allowed = set(named) | dependency_closure(named)
    allowed |= {p for p, (priority, essential, _) in dpkg.items() if priority == "required" or essential == "yes"}

    # The packages of the font table are read at configure time and by the programs.
    font_table = os.path.join(ROOT, "data", "sources", "fonts.tsv")
    if os.path.isfile(font_table):
        with open(font_table, encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                fields = line.rstrip("\n").split("\t")
                if len(fields) == 6 and not line.startswith("#") and fields[4] not in allowed:
                    problems.append(f"data/sources/fonts.tsv:{number}: package {fields[4]} is not named "
                                    "by tools/install-deps.sh")

    trace_dir = options.keep_traces or tempfile.mkdtemp(prefix="toliva-check-packages-")
    os.makedirs(trace_dir, exist_ok=True)
    scratch = tempfile.mkdtemp(prefix="toliva-configure-")
    try:
        log("reading the build's dependency log, commands and shared libraries")
        files = {}
        executed = set()
        programs = build_programs(build_dir)
        for path in headers_compiled(build_dir) | command_paths(build_dir) | shared_libraries(programs):
            files.setdefault(path, set()).add(path)

        log("tracing a fresh configure, the generators and the tests")
        jobs = [("configure", ["cmake", "--preset", "debug", "-B", scratch], ROOT, dict(os.environ))]
        # LeakSanitizer cannot run under a tracer; the build runs the generators with it.
        generator_env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0", QT_QPA_PLATFORM="offscreen")
        for i, command in enumerate(generator_commands(build_dir)):
            jobs.append((f"generator.{i}", ["sh", "-c", command], build_dir, generator_env))
        jobs += test_jobs(build_dir)
        for trace in run_traced(jobs, trace_dir):
            if os.path.isfile(trace):
                for path, names in traced_files(trace, executed).items():
                    files.setdefault(path, set()).update(names)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
        if not options.keep_traces:
            shutil.rmtree(trace_dir, ignore_errors=True)

    home = os.path.expanduser("~")
    # The formula corpus beside the checkout, whether a folder or a link to one.
    shared = os.path.join(os.path.dirname(ROOT), "shared")
    excluded = [ROOT, build_dir, scratch, shared, os.path.realpath(shared)]
    if home and home != "/":
        excluded.append(home)
    checked = sorted(p for p in files if outside_the_project(p, excluded) and os.path.isfile(p))
    # Programs come from packages even where their data may not: one run from
    # $HOME (a hand-installed interpreter, say) would be missing elsewhere.
    if home and home != "/":
        for program in sorted(executed):
            if program.startswith(home.rstrip("/") + "/") and os.path.isfile(program):
                problems.append(f"{program}: a program run from $HOME, which no package installs")

    candidates = {p: name_candidates(sorted(files[p], key=lambda n: n != p)) for p in checked}
    owners = owners_of({n for names in candidates.values() for n in names})

    by_package = {}
    for path in checked:
        if any(fnmatch.fnmatch(n, pattern) for n in files[path] for pattern, _ in NOT_NEEDED):
            continue
        packages = []
        for n in candidates[path]:
            for p in owners.get(n, []):
                if p not in packages:
                    packages.append(p)
        if packages:
            good = [p for p in packages if p in allowed]
            if good:
                by_package.setdefault(good[0], []).append(path)
            else:
                problems.append(f"{path}: package {', '.join(packages)} is not named by tools/install-deps.sh "
                                "(nor needed by a package it names)")
            continue
        if path in MACHINE_CONFIGURATION:
            continue
        made = next(((pattern, maker, how) for pattern, maker, how in MADE_ON_THE_MACHINE
                     if fnmatch.fnmatch(path, pattern)), None)
        if made:
            if made[1] not in allowed:
                problems.append(f"{path}: {made[2]}, made by package {made[1]}, which tools/install-deps.sh "
                                "does not name")
            continue
        problems.append(f"{path}: no package owns this file")

    if options.verbose:
        for package in sorted(by_package):
            print(f"{package}:")
            for path in by_package[package]:
                print(f"  {path}")

    log(f"{len(checked)} files outside the tree from {len(by_package)} packages; "
        f"{len(named)} packages named, {len(allowed)} allowed with their dependencies")
    if problems:
        for p in problems:
            print("  " + p, file=sys.stderr)
        log(f"FAILED: {len(problems)} files or packages are not covered by tools/install-deps.sh")
        return 1
    log("every file read outside the tree comes from a package tools/install-deps.sh names")
    return 0


if __name__ == "__main__":
    sys.exit(main())
