// Upload: an upload object built the way a page gets one, for the unit tests, the
// hardening tests and the fuzz targets alike. A scripted host serves the body; the code
// page is the single-byte one and the file system the fixture's own fake unless the test
// passes others. Intake runs at Receive(), so a test can script the host before it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_file_system.h"
#include "fakes/scripted_host.h"
#include "host/posix/posix_hashing.h"
#include "host/posix/single_byte_code_page.h"
#include "upload/tessock.h"

namespace kestrune::testing {

inline const CodePage& SingleByte() {
    static const SingleByteCodePage codePage;
    return codePage;
}

inline const Hashing& PlatformHashing() {
    static const PosixHashing hashing;
    return hashing;
}

struct Upload {
    explicit Upload(std::string body, const CodePage& codePage = SingleByte(),
                    FileSystem* fileSystem = nullptr)
        : codePage(codePage),
          host(std::move(body)),
          object(host, codePage, fileSystem ? *fileSystem : files, PlatformHashing()) {}

    // Intake, as the creation of the object on a page runs it.
    TTessock& Receive() {
        object.Initialize();
        return object;
    }

    const CodePage& codePage;
    FakeFileSystem files;  // unused when the test passed a file system of its own
    ScriptedHost host;
    TTessock object;
};

// A body whose form-field list is exactly lines: each line becomes a file part whose name
// is the text before its first "=" and whose file name is the rest, with no content, so
// every line is appended as it stands. Lines need an "=" with text after it, and no quote,
// CR or LF.
inline std::string LinesBody(const std::vector<std::string>& lines) {
    std::string body;
    for (const auto& line : lines) {
        const auto equals = line.find('=');
        body += "--XyZ\r\nContent-Disposition: form-data; name=\"" + line.substr(0, equals) +
                "\"; filename=\"" + line.substr(equals + 1) + "\"\r\nContent-Type: text/plain\r\n\r\n\r\n";
    }
    return body + "--XyZ--\r\n";
}

// A body carrying one file with content under the name fileName.
inline std::string FileBody(const std::string& fileName, const std::string& content) {
    return "--XyZ\r\nContent-Disposition: form-data; name=\"upload\"; filename=\"" + fileName +
           "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + content + "\r\n--XyZ--\r\n";
}

}  // namespace kestrune::testing
