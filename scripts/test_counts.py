"""Counts a suite's tests from the result files its runner wrote, never from console text.

Usage: test_counts.py FORMAT FILE...
  junit       ctest's --output-junit file
  gtest-json  GoogleTest's --gtest_output=json file
  cases       one case a line: OUTCOME<TAB>NAME<TAB>REASON (OUTCOME passed, failed or skipped),
              as tests/e2e/lib/counts_reporter.js and tests/wine/run_scenarios.sh write it

Prints "PASSED FAILED". A skipped test counts as failed: in the full run nothing is
skipped, so a skip means a part or an input was missing. Each failed or skipped test is
named on stderr with its reason. A missing or unreadable file, or one that records no
test, is one failure, with why.
"""

import json
import sys
import xml.etree.ElementTree as ElementTree


def output_reason(output):
    """The line that says why, from a failed test's output: the line after GoogleTest's
    "file:line: Failure", else the last line that is not a GoogleTest banner."""
    # ADD_FAILURE() puts a bare "Failed" before its message.
    lines = [line.strip() for line in (output or "").splitlines() if line.strip() not in ("", "Failed")]
    for index, line in enumerate(lines[:-1]):
        if line.endswith(": Failure"):
            return " ".join(lines[index + 1].split())[:300]
    plain = [line for line in lines if not line.startswith("[") and not line.endswith("FAILED TEST")]
    return plain[-1][:300] if plain else ""


def junit_cases(path):
    for case in ElementTree.parse(path).getroot().iter("testcase"):
        name = case.get("name", "?")
        failure = case.find("failure")
        if failure is None:
            failure = case.find("error")
        skipped = case.find("skipped")
        if failure is not None:
            yield "failed", name, output_reason(case.findtext("system-out")) or failure.get("message", "")
        elif skipped is not None or case.get("status") in ("notrun", "disabled"):
            reason = skipped.get("message", "") if skipped is not None else case.get("status")
            yield "skipped", name, reason
        else:
            yield "passed", name, ""


def gtest_json_cases(path):
    with open(path, encoding="utf-8") as file:
        report = json.load(file)
    for suite in report.get("testsuites", []):
        for case in suite.get("testsuite", []):
            name = f"{suite.get('name', '?')}.{case.get('name', '?')}"
            failures = case.get("failures", [])
            if failures:
                yield "failed", name, " ".join(failures[0].get("failure", "").split())[:300]
            elif case.get("result") == "SKIPPED" or case.get("status") == "NOTRUN":
                messages = [entry.get("message", "") for entry in case.get("skipped", [])]
                yield "skipped", name, " ".join(messages).strip() or case.get("result", "not run")
            else:
                yield "passed", name, ""


def listed_cases(path):
    with open(path, encoding="utf-8", errors="replace") as file:
        for line in file:
            fields = line.rstrip("\n").split("\t")
            if fields == [""]:
                continue
            outcome, name, reason = (fields + ["", ""])[:3]
            if outcome not in ("passed", "failed", "skipped"):
                yield "failed", name or line.strip(), f"unknown outcome '{outcome}'"
            else:
                yield outcome, name, reason


READERS = {"junit": junit_cases, "gtest-json": gtest_json_cases, "cases": listed_cases}


def main(arguments):
    if len(arguments) < 2 or arguments[0] not in READERS:
        print(__doc__, file=sys.stderr)
        return 2
    read = READERS[arguments[0]]
    passed = failed = 0
    for path in arguments[1:]:
        try:
            cases = list(read(path))
        except (OSError, ValueError, ElementTree.ParseError) as error:
            print(f"FAILED: no test results in {path}: {error}", file=sys.stderr)
            failed += 1
            continue
        if not cases:
            print(f"FAILED: {path} records no test at all", file=sys.stderr)
            failed += 1
        for outcome, name, reason in cases:
            if outcome == "passed":
                passed += 1
                continue
            failed += 1
            label = "SKIPPED, counted as failed" if outcome == "skipped" else "FAILED"
            print(f"{label}: {name}" + (f": {reason}" if reason else ""), file=sys.stderr)
    print(passed, failed)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
