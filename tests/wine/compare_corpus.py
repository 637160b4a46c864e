#!/usr/bin/env python3
"""The real browser bodies of the shared corpus through the whole road: each body is
parsed natively by kestrune-parse (JSON) and by the component under Wine, through a
VBScript page written for that body, and the two must tell the same facts.

Every other body goes through the component's body file (the test switch at 0), the
rest through memory, so that both roads meet the browsers' bodies under Wine.

Usage: compare_corpus.py HOST_EXE KESTRUNE_PARSE CORPUS_DIR WORK_DIR
HOST_EXE, CORPUS_DIR and WORK_DIR are Linux paths; Wine must be set up (wine_env).
Prints one PASS or FAIL line per body."""
import hashlib
import json
import os
import subprocess
import sys


def as_script_text(report_text):
    """The report holds each byte as the code point of the same value; the script sees the
    bytes converted from code page 1252, whose five holes map to the same code points."""
    out = []
    for ch in report_text:
        byte = bytes([ord(ch)])
        try:
            out.append(byte.decode("cp1252"))
        except UnicodeDecodeError:
            out.append(ch)
    return "".join(out)


def vbs_literal(text):
    pieces, plain = [], ""
    for ch in text:
        if ch == '"' or ord(ch) < 32 or ord(ch) > 126:
            if plain:
                pieces.append('"' + plain + '"')
                plain = ""
            pieces.append("ChrW(%d)" % ord(ch))
        else:
            plain += ch
    if plain or not pieces:
        pieces.append('"' + plain + '"')
    return " & ".join(pieces)


PAGE = '''Function Esc(v)
    Esc = Replace(Replace(Replace(v, "\\", "\\\\"), vbCr, "\\r"), vbLf, "\\n")
End Function
Sub Say(key, value)
    Response.Write key & "=" & Esc(value) & vbLf
End Sub
Set u = Server.CreateObject("Kestrune.Tessock")
For i = 0 To u.FormVariableCount - 1
    Say "by_index", u.FormVariableByIndex(i)
Next
Say "name", u.Filename
Say "ext", u.FileExtension
Say "base", u.FileNameNoExtension
Say "content_type", u.ContentType
Say "size", u.FileSize
%s
If u.FileSize > 0 Then u.SaveFile %s
'''


def expected_facts(report):
    facts = [("by_index", v) for v in report["by_index"]]
    file = report["file"]
    for key in ("name", "ext", "base", "content_type"):
        facts.append((key, file[key]))
    facts.append(("size", str(file["size"])))
    facts += [("form_variable", v) for v in report["form_variable"].values()]
    return [(k, as_script_text(v)) for k, v in facts]


def page_facts(output):
    facts = []
    for line in output.decode("utf-8").split("\n")[:-1]:
        key, _, value = line.partition("=")
        value = value.replace("\\n", "\n").replace("\\r", "\r").replace("\\\\", "\\")
        facts.append((key, value))
    return facts


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


# Under heavy load, Wine has been seen to end a run of the host with code 1 before the host
# printed anything at all (no script error, no output). Such a run is tried once more, in
# plain sight; a second one is a failure like any other.
SILENT_FAILURE = "the host ended with code 1 and printed nothing"


def silent_start_failure(run):
    return run.returncode == 1 and not run.stdout and not run.stderr


def compare(host, parser, body, work, threshold):
    report = json.loads(subprocess.run([parser, body], check=True, capture_output=True).stdout)
    os.makedirs(work, exist_ok=True)
    saved = os.path.join(work, "file.bin")
    lookups = "\n".join('Say "form_variable", u.FormVariable(%s)' % vbs_literal(as_script_text(n))
                        for n in report["form_variable"])
    page = os.path.join(work, "page.vbs")
    with open(page, "w", encoding="utf-8") as out:
        out.write(PAGE % (lookups, vbs_literal(windows_path(saved))))
    def run_page():
        return subprocess.run(["wine", host, windows_path(page), "--body", windows_path(body)],
                              capture_output=True, stdin=subprocess.DEVNULL,
                              env=dict(os.environ, LC_ALL="C.UTF-8",
                                       KESTRUNE_TEST_BODY_FILE_THRESHOLD=threshold))

    run = run_page()
    if silent_start_failure(run):
        print("NOTE %s: retried once: %s" % (os.path.basename(body), SILENT_FAILURE), flush=True)
        run = run_page()
    if run.returncode != 0:
        return "host exit code %d: %s" % (run.returncode, run.stderr.decode(errors="replace"))
    got, want = page_facts(run.stdout), expected_facts(report)
    for index, (g, w) in enumerate(zip(got, want)):
        if g != w:
            return "fact %d: page %r, native %r" % (index, g, w)
    if len(got) != len(want):
        return "%d facts from the page, %d native" % (len(got), len(want))
    digest = ""
    if os.path.exists(saved):
        with open(saved, "rb") as data:
            digest = hashlib.sha256(data.read()).hexdigest()
    if report["file"]["size"] > 0 and digest != report["file"]["sha256"]:
        return "saved file sha256 %s, native %s" % (digest, report["file"]["sha256"])
    return None


def main():
    host, parser, corpus, work_root = sys.argv[1:5]
    failures = 0
    roads = 0
    for folder, _, files in sorted(os.walk(corpus)):
        for name in sorted(f for f in files if f.endswith(".body")):
            body = os.path.join(folder, name)
            label = "corpus/" + os.path.relpath(body, corpus)
            threshold = "0" if roads % 2 == 0 else str(2**62)
            roads += 1
            problem = compare(host, parser, body, os.path.join(work_root, label), threshold)
            print(("FAIL %s: %s" % (label, problem)) if problem else "PASS " + label)
            failures += bool(problem)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
