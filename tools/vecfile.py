"""Shared helpers for the vector tools: a reader that follows the same
rules as the C++ parser (so the scripts check what the suite will see),
.deb fetching, and write-only-if-changed output."""

import os
import subprocess
import sys
import tempfile


def parse(data, record_key):
    """Return a list of categories: {"props": {...}, "headers": [...],
    "records": [[(name, value), ...], ...]}.

    Lines split at LF, CRs removed, blank and '#' lines dropped; a run of
    '[' lines then a run of body lines is one category; a record starts at
    each field named record_key; fields before the first key are dropped.
    """
    if isinstance(data, bytes):
        data = data.decode("ascii")
    cats = []
    cur = None
    in_body = False
    for raw in data.split("\n"):
        line = raw.replace("\r", "")
        if not line.strip() or line.startswith("#"):
            continue
        if line.startswith("["):
            if cur is None or in_body:
                cur = {"props": {}, "headers": [], "records": []}
                cats.append(cur)
                in_body = False
            cur["headers"].append(line.strip())
            inner = line.strip()[1:].rstrip("]")
            if "=" in inner:
                name, value = inner.split("=", 1)
                cur["props"][name.strip()] = value.strip()
            continue
        if cur is None:  # body lines before any header still form a category
            cur = {"props": {}, "headers": [], "records": []}
            cats.append(cur)
        in_body = True
        compact = "".join(line.split())
        name, _, value = compact.partition("=")
        if name == record_key:
            cur["records"].append([])
        if cur["records"]:
            cur["records"][-1].append((name, value))
    return cats


def records(data, record_key, required):
    """All records (as dicts) of all categories that carry every field in
    `required`, paired with their category."""
    out = []
    for cat in parse(data, record_key):
        for rec in cat["records"]:
            fields = dict(rec)
            if all(r in fields for r in required):
                out.append((cat, fields))
    return out


def fail(msg):
    sys.exit("error: " + msg)


def check(cond, msg):
    if not cond:
        fail(msg)


def fetch_deb(package, workdir):
    """apt-get download `package` into workdir and unpack it; returns
    (unpacked root, version)."""
    subprocess.run(["apt-get", "download", package], cwd=workdir, check=True,
                   stdout=subprocess.DEVNULL)
    debs = [f for f in os.listdir(workdir)
            if f.startswith(package + "_") and f.endswith(".deb")]
    check(len(debs) == 1, "expected one %s .deb, got %r" % (package, debs))
    deb = os.path.join(workdir, debs[0])
    root = os.path.join(workdir, package)
    subprocess.run(["dpkg", "-x", deb, root], check=True)
    version = subprocess.run(["dpkg-deb", "-f", deb, "Version"], check=True,
                             capture_output=True, text=True).stdout.strip()
    return root, version


def tempdir():
    return tempfile.TemporaryDirectory(prefix="zelkor-vectors-")


def write_if_changed(path, data):
    """Keeps reruns from touching files (and their mtimes) needlessly."""
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return False
    except FileNotFoundError:
        pass
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    return True


def check_dir_contents(directory, expected_names):
    """A stale extra file would silently add records to the suite."""
    extra = sorted(set(os.listdir(directory)) - set(expected_names))
    check(not extra, "unexpected files in %s: %s" % (directory, extra))
