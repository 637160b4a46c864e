// The invariants both fuzz targets check on an upload object after intake.
#pragma once

#include "host/code_page.h"
#include "reference_model.h"
#include "upload/tessock.h"

namespace kestrune::fuzz {

// What must hold of any object, whatever its body: the file lies inside the body and
// its describing texts agree with each other; every script-facing read answers, and
// each answers what a plain walk of the object's own list gives.
void CheckObject(const TTessock& upload, const CodePage& codePage);

// The object holds exactly what the model makes of its body.
void CheckAgainstModel(const TTessock& upload, const ModelUpload& model);

// The object's file, if it has one, is the one the model keeps.
void CheckFileAgainstModel(const TTessock& upload, const ModelUpload& model);

}  // namespace kestrune::fuzz
