// Runs VBScript or JScript through the platform's script engines (IActiveScript), with
// host objects visible to the script under their names.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <optional>
#include <string>
#include <vector>

#include "pagehost/asp/page_directive.h"

namespace kestrune {

struct NamedItem {
    std::wstring name;
    IUnknown* object;  // not owned; kept alive by the caller while the script runs
};

// An error that the script did not trap.
struct ScriptError {
    long line = 0;  // 1-based; 0 when the engine gave no position
    HRESULT number = S_OK;
    std::wstring source;
    std::wstring description;
};

struct ScriptOutcome {
    HRESULT engine = S_OK;             // the engine itself could not be set up or run
    std::optional<ScriptError> error;  // the script stopped at an untrapped error
};

ScriptOutcome RunActiveScript(ScriptLanguage language, const std::wstring& code,
                              const std::vector<NamedItem>& items);

}  // namespace kestrune
