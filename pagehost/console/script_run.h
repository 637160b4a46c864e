// Script mode: one VBScript or JScript file run with Request over a body file, Response over stdout
// and Server without a site, as a page would be; what the benchmarks and the Wine
// scenarios drive.
#pragma once

#include "pagehost/console/script_options.h"
#include "com/object_context_interfaces.h"

namespace kestrune {

// Runs the script on the calling thread (which has COM initialised) and returns the exit
// code: 0 when it ran to its end or ended the page (Response.End, Redirect), 1 for an
// error it did not trap (reported on stderr), 2 when it could not run.
int RunScript(const ScriptOptions& options, SetHostObjectsFunction setHost);

}  // namespace kestrune
