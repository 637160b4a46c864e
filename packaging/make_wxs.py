#!/usr/bin/env python3
"""Writes the wixl source of one Kestrune MSI on stdout.

Usage: make_wxs.py IDL ARCH VERSION PACKAGE_DIR
  ARCH x86: the 32-bit DLL under Program Files (x86)\\Kestrune and its 32-bit entries;
  ARCH x64: that too, and the 64-bit DLL under Program Files\\Kestrune with its entries.

The registry entries are the ones DllRegisterServer writes (server/registration.cpp)
and RegisterTypeLib adds, read from the same IDL the type library is built from: the
class names, descriptions and GUIDs, the library's name and version and the dual
interfaces. The package writes them from its Registry table rather than calling the
DLL at install time, so Windows Installer can remove exactly them again, and
tests/dist/msi_checks.sh compares them with what regsvr32 writes.

Product, package and component GUIDs are derived from names (UUID version 5), so the
same version always gives the same ProductCode and a new version a new one, which is what
a major upgrade needs; the UpgradeCode stays the same for every version of one ARCH. The
package code is derived from ARCH, VERSION and a digest of what the package carries (its
source and DLLs): the same sources give the same package byte for byte, while a rebuild
with other DLLs under the same version is another package to Windows Installer, as it
must be. wixl takes no package code from the source, so packaging/pin_summary.py writes
it into the built package (package_code).
"""

import re
import sys
import uuid
from xml.sax.saxutils import escape, quoteattr

# Any fixed namespace will do; changing it would change every ProductCode and UpgradeCode.
NAMESPACE = uuid.UUID("5d2c0e43-6f1a-4b7e-9a57-0c7e4f3b1d21")
PROXY_STUB = "{00020424-0000-0000-C000-000000000046}"  # the type library marshaler
THREADING_MODEL = "Both"  # TAutoObjectFactory::ThreadingModel()


def guid(name):
    return "{%s}" % str(uuid.uuid5(NAMESPACE, name)).upper()


def product_code(arch, version):
    return guid("product %s %s" % (arch, version))


def package_code(arch, version, content_digest):
    return guid("package %s %s %s" % (arch, version, content_digest))


def read_idl(path):
    """The library (name, uuid, version, helpstring), its coclasses and dual interfaces."""
    text = open(path, encoding="utf-8").read()
    library, classes, interfaces = None, [], []
    for attrs, kind, name in re.findall(r"\[([^\[\]]*)\]\s*(library|coclass|interface)\s+(\w+)", text):
        found = re.search(r"uuid\(([^)]*)\)", attrs)
        if not found:
            continue  # a coclass's [default] interface line
        entry = {"name": name, "uuid": "{%s}" % found.group(1).strip().upper()}
        version = re.search(r"version\(([^)]*)\)", attrs)
        entry["version"] = version.group(1).strip() if version else ""
        help_text = re.search(r'helpstring\("([^"]*)"\)', attrs)
        entry["help"] = help_text.group(1) if help_text else ""
        lcid = re.search(r"lcid\(([^)]*)\)", attrs)
        entry["lcid"] = "%x" % int(lcid.group(1).strip(), 0) if lcid else "0"
        if kind == "library":
            library = entry
        elif kind == "coclass":
            classes.append(entry)
        elif re.search(r"\b(dual|oleautomation)\b", attrs):
            interfaces.append(entry)
    if library is None or not classes:
        sys.exit("make_wxs.py: no library or coclass in %s" % path)
    return library, classes, interfaces


def value(key, data, name=None):
    named = "" if name is None else " Name=%s" % quoteattr(name)
    return '<RegistryValue Root="HKCR" Key=%s%s Type="string" Value=%s/>' % (
        quoteattr(key), named, quoteattr(data))


def registry_values(library, classes, interfaces, bits, file_id, folder_id, library_values):
    """What one build's registration writes in its registry view. The TypeLib key is one
    key for both views, so only one of two builds writes its values (library_values)."""
    lines = []
    for cls in classes:
        key = "CLSID\\" + cls["uuid"]
        progid = "%s.%s" % (library["name"], cls["name"])
        lines += [
            value(key, cls["help"]),
            value(key + "\\InprocServer32", "[#%s]" % file_id),
            value(key + "\\InprocServer32", THREADING_MODEL, "ThreadingModel"),
            value(progid, cls["help"]),
            value(progid + "\\Clsid", cls["uuid"]),
            value(key + "\\ProgID", progid),
            value(key + "\\Version", library["version"]),
            value(key + "\\TypeLib", library["uuid"]),
        ]
    lib_key = "TypeLib\\%s\\%s" % (library["uuid"], library["version"])
    lines.append(value("%s\\%s\\win%d" % (lib_key, library["lcid"], bits), "[#%s]" % file_id))
    if library_values:
        lines += [
            value(lib_key, library["help"]),
            value(lib_key + "\\FLAGS", "0"),
            value(lib_key + "\\HELPDIR", "[%s]" % folder_id),
        ]
    for interface in interfaces:
        key = "Interface\\" + interface["uuid"]
        lines += [
            value(key, interface["name"]),
            value(key + "\\ProxyStubClsid", PROXY_STUB),
            value(key + "\\ProxyStubClsid32", PROXY_STUB),
            value(key + "\\TypeLib", library["uuid"]),
            value(key + "\\TypeLib", library["version"], "Version"),
        ]
    return lines


def component(library, classes, interfaces, bits, package_dir, library_values):
    folder = "x86" if bits == 32 else "x64"
    file_id = "Kestrune%d.dll" % bits
    folder_id = "INSTALLDIR%d" % bits
    # A component keeps its GUID from version to version; one whose entries differ
    # (without the library's values) gets another.
    name = "server %d" % bits + ("" if library_values else " without library values")
    lines = [
        '<Component Id="Server%d" Guid="%s" Win64="%s">' % (bits, guid(name), "yes" if bits == 64 else "no"),
        '  <File Id="%s" Name="Kestrune.dll" Source=%s KeyPath="yes"/>' % (
            file_id, quoteattr("%s/%s/Kestrune.dll" % (package_dir, folder))),
    ]
    lines += ["  " + line for line in registry_values(library, classes, interfaces, bits, file_id, folder_id,
                                                             library_values)]
    lines.append("</Component>")
    return lines


def wxs(library, classes, interfaces, arch, version, package_dir):
    both = arch == "x64"
    dirs = []
    if both:
        dirs += ['<Directory Id="ProgramFiles64Folder">', '  <Directory Id="INSTALLDIR64" Name="Kestrune">']
        dirs += ["    " + line for line in component(library, classes, interfaces, 64, package_dir, True)]
        dirs += ["  </Directory>", "</Directory>"]
    dirs += ['<Directory Id="ProgramFilesFolder">', '  <Directory Id="INSTALLDIR32" Name="Kestrune">']
    dirs += ["    " + line for line in component(library, classes, interfaces, 32, package_dir, not both)]
    dirs += ["  </Directory>", "</Directory>"]
    refs = ['<ComponentRef Id="Server32"/>'] + (['<ComponentRef Id="Server64"/>'] if both else [])
    bitness = "32-bit and 64-bit" if both else "32-bit"
    out = [
        '<?xml version="1.0" encoding="utf-8"?>',
        '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">',
        '  <Product Id="%s" Name="Kestrune" Language="1033" Version="%s" Manufacturer="Kestrune" UpgradeCode="%s">'
        % (product_code(arch, version), version, guid("upgrade " + arch)),
        '    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"',
        "             Description=%s Manufacturer=\"Kestrune\"/>"
        % quoteattr("Kestrune %s file-upload component (%s)" % (version, bitness)),
        '    <MajorUpgrade DowngradeErrorMessage="A newer version of Kestrune is already installed."/>',
        '    <Media Id="1" Cabinet="kestrune.cab" EmbedCab="yes"/>',
        '    <Directory Id="TARGETDIR" Name="SourceDir">',
    ]
    out += ["      " + line for line in dirs]
    out += ["    </Directory>", '    <Feature Id="Server" Level="1" Title=%s>' % quoteattr(escape("Kestrune"))]
    out += ["      " + line for line in refs]
    out += ["    </Feature>", "  </Product>", "</Wix>"]
    return "\n".join(out) + "\n"


def main(argv):
    if len(argv) != 5 or argv[2] not in ("x86", "x64"):
        sys.exit("usage: make_wxs.py IDL x86|x64 VERSION PACKAGE_DIR")
    library, classes, interfaces = read_idl(argv[1])
    sys.stdout.write(wxs(library, classes, interfaces, argv[2], argv[3], argv[4]))


if __name__ == "__main__":
    main(sys.argv)
