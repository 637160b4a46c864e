#!/usr/bin/python3
"""Gives an MSI that wixl built the summary information its sources always give.

Usage: pin_summary.py MSI ARCH VERSION DIGEST EPOCH

wixl writes a random package code (the summary's revision number) and the clock's time as
the package's creation and last-saved times, so two builds of the same sources differ in
those bytes alone. This writes the package code make_wxs.py derives from ARCH, VERSION and
DIGEST (of the package's source and DLLs), and EPOCH (seconds since 1970, SOURCE_DATE_EPOCH or the last commit's time) as both times,
through msitools' own library, which keeps the rest of the package as wixl wrote it.
Runs in Debian's Python, the one the library's bindings are installed for.
"""

import sys

import gi

gi.require_version("Libmsi", "1.0")
from gi.repository import Libmsi  # noqa: E402

import make_wxs  # noqa: E402

# A FILETIME counts 100-nanosecond intervals from 1601-01-01 UTC.
FILETIME_1970 = 11644473600 * 10**7


def main(argv):
    if len(argv) != 6 or argv[2] not in ("x86", "x64") or not argv[5].isdigit():
        sys.exit("usage: pin_summary.py MSI x86|x64 VERSION DIGEST EPOCH")
    path, arch, version, digest, epoch = argv[1], argv[2], argv[3], argv[4], int(argv[5])
    database = Libmsi.Database.new(path, Libmsi.DbFlags.TRANSACT, None)
    summary = Libmsi.SummaryInfo.new(database, 3)
    when = FILETIME_1970 + epoch * 10**7
    summary.set_string(Libmsi.Property.UUID, make_wxs.package_code(arch, version, digest))
    summary.set_filetime(Libmsi.Property.CREATED_TM, when)
    summary.set_filetime(Libmsi.Property.LASTSAVED_TM, when)
    summary.persist()
    database.commit()


if __name__ == "__main__":
    main(sys.argv)
