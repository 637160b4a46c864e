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

// The object's body, wherever intake put it.
std::string BodyOf(const TTessock& upload);

}  // namespace kestrune::fuzz
