// Upload objects built the way pages get them: through intake of a body.
#pragma once

#include <string>
#include <vector>

#include "fakes/scripted_host.h"
#include "upload/tessock.h"

namespace kestrune::testing {

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

template <typename Files, typename CodePageType>
struct Member {
    explicit Member(const std::string& body) : host(body) { object.Initialize(); }
    CodePageType codePage;
    Files files;
    ScriptedHost host;
    TTessock object{host, codePage, files};
};

}  // namespace kestrune::testing
