#!/usr/bin/env python3
"""Prints what the package test checks in a Windows DLL, one fact a line:

    machine 0x8664
    resource TYPELIB 1
    typelib syskind 3
    version fixed FileVersion 1.1.0.0
    version string FileDescription Kestrune file-upload component (64-bit)

Reads the PE headers and walks the resource tree of .rsrc itself, so that nothing
depends on how a tool prints them.
"""
import struct
import sys

RT_VERSION = 16


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + {0x10B: 96, 0x20B: 112}[magic]
        self.resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((rva, max(virtual_size, raw_size), raw_offset))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError("RVA 0x%x is in no section" % rva)

    def resources(self):
        """Yields (type, name, bytes) for every resource; types and names are ints or strings."""
        if self.resource_rva:
            yield from self._walk(self.offset(self.resource_rva), ())

    def _walk(self, directory, path):
        root = self.offset(self.resource_rva)
        named, numbered = struct.unpack_from("<HH", self.data, directory + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", self.data, directory + 16 + 8 * i)
            if name & 0x80000000:
                at = root + (name & 0x7FFFFFFF)
                length = struct.unpack_from("<H", self.data, at)[0]
                name = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            if target & 0x80000000:
                yield from self._walk(root + (target & 0x7FFFFFFF), path + (name,))
            else:
                rva, size = struct.unpack_from("<II", self.data, root + target)
                start = self.offset(rva)
                yield path[0], path[1], self.data[start:start + size]


def version_blocks(data, at=0):
    """Yields (key, value) for a VS_VERSIONINFO block and its children, depth first."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = (key_end + 2 + 3) & ~3
    if kind == 1:  # text, its length counted in characters
        value = data[value_at:value_at + 2 * value_length].decode("utf-16-le").rstrip("\0")
    else:
        value = data[value_at:value_at + value_length]
    yield key, value
    child = (value_at + (2 * value_length if kind == 1 else value_length) + 3) & ~3
    while child < end:
        child_length = struct.unpack_from("<H", data, child)[0]
        if child_length == 0:
            break
        yield from version_blocks(data, child)
        child = (child + child_length + 3) & ~3


def dotted(most, least):
    return "%d.%d.%d.%d" % (most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF)


def facts(image):
    yield "machine 0x%x" % image.machine
    for kind, name, data in image.resources():
        yield "resource %s %s" % (kind, name)
        if kind == "TYPELIB" and data[:4] == b"MSFT":
            yield "typelib syskind %d" % (struct.unpack_from("<I", data, 0x14)[0] & 0xF)
        if kind == RT_VERSION:
            for key, value in version_blocks(data):
                if key == "VS_VERSION_INFO" and len(value) >= 52:
                    fixed = struct.unpack_from("<13I", value)
                    if fixed[0] == 0xFEEF04BD:
                        yield "version fixed FileVersion " + dotted(fixed[2], fixed[3])
                        yield "version fixed ProductVersion " + dotted(fixed[4], fixed[5])
                elif isinstance(value, str) and value:
                    yield "version string %s %s" % (key, value)


def main():
    for path in sys.argv[1:]:
        with open(path, "rb") as f:
            image = Image(f.read())
        for fact in facts(image):
            print(fact)


if __name__ == "__main__":
    main()
