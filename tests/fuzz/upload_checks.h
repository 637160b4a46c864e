// The invariants both fuzz targets check on an upload object after intake.
#pragma once

#include <string>

#include "host/code_page.h"
#include "support/parse_outcome.h"
#include "upload/tessock.h"

namespace kestrune::fuzz {

// What must hold of any object, whatever its body: the file lies inside the body and
// its describing texts agree with each other; every script-facing read answers, and
// each answers what a plain walk of the object's own list gives. alsoOutside adds the
// reads by index just outside the list, whose errors depend on the count alone and
// cost a throw each: once an execution is enough.
void CheckObject(const TTessock& upload, const CodePage& codePage, bool alsoOutside);

// The object holds exactly what the reference parser makes of its body.
void CheckAgainstReference(const TTessock& upload, const ParseOutcome& reference);

// The object's file, if it has one, is the one the reference parser keeps.
void CheckFileAgainstReference(const TTessock& upload, const ParseOutcome& reference);

// Set by the replay main: each input then goes down every road the targets pick between
// (memory or a body file, one code page or the other), not only the one its bits pick,
// so that the seeds and regressions cover every road whatever bits they hold. A fuzzing
// run checks one road an execution, which keeps executions cheap.
extern bool everyRoad;

// check(picked), or, when every road is checked, check(false) and check(true).
template <typename Check>
void OnRoads(bool picked, Check check) {
    if (!everyRoad) return check(picked);
    check(false);
    check(true);
}

// The object's body, wherever intake put it.
std::string BodyOf(const TTessock& upload);

}  // namespace kestrune::fuzz
