#include "pagehost/asp/response_status.h"

#include "pagehost/http/request_head.h"

namespace kestrune {

bool ParseStatusLine(std::string_view text, int& code, std::string& reason) {
    if (text.size() < 4 || text[3] != ' ' || HasControl(text)) return false;
    int value = 0;
    for (int i = 0; i < 3; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    if (value < 100) return false;
    code = value;
    reason = std::string(text.substr(4));
    return true;
}

}  // namespace kestrune
