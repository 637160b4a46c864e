#include "pagehost/http/response_head.h"

#include <cstdio>

namespace kestrune {
namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian); avoids gmtime, which is
// neither thread-safe nor spelled the same on every platform.
void CivilFromDays(std::int64_t days, int& year, int& month, int& day) {
    days += 719468;
    std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

bool HasNoBody(int status) { return (status >= 100 && status < 200) || status == 204 || status == 304; }

}  // namespace

std::string_view ReasonPhrase(int status) {
    switch (status) {
        case 100:
            return "Continue";
        case 200:
            return "OK";
        case 201:
            return "Created";
        case 204:
            return "No Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 304:
            return "Not Modified";
        case 307:
            return "Temporary Redirect";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 408:
            return "Request Timeout";
        case 411:
            return "Length Required";
        case 413:
            return "Content Too Large";
        case 414:
            return "URI Too Long";
        case 417:
            return "Expectation Failed";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        case 501:
            return "Not Implemented";
        case 503:
            return "Service Unavailable";
        case 505:
            return "HTTP Version Not Supported";
        default:
            return "Unknown";
    }
}

std::string FormatHttpDate(std::int64_t unixSeconds) {
    static const char* const kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::int64_t days = unixSeconds >= 0 ? unixSeconds / 86400 : (unixSeconds - 86399) / 86400;
    std::int64_t seconds = unixSeconds - days * 86400;
    int year = 0, month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[((days % 7) + 7) % 7], day,
                  kMonths[month - 1], year, static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

std::string WriteResponseHead(ResponseHead& head, bool clientIs11, std::int64_t nowUnixSeconds) {
    std::string text = "HTTP/1.1 " + std::to_string(head.status) + " ";
    text += head.reason.empty() ? ReasonPhrase(head.status) : std::string_view(head.reason);
    text += "\r\nDate: " + FormatHttpDate(nowUnixSeconds) + "\r\nServer: Kestrune-Host\r\n";
    for (const auto& header : head.headers) text += header.first + ": " + header.second + "\r\n";
    head.chunked = false;
    if (!HasNoBody(head.status)) {
        if (head.contentLength) {
            text += "Content-Length: " + std::to_string(*head.contentLength) + "\r\n";
        } else if (clientIs11) {
            head.chunked = true;
            text += "Transfer-Encoding: chunked\r\n";
        } else {
            head.keepAlive = false;
        }
    }
    if (!head.keepAlive) {
        text += "Connection: close\r\n";
    } else if (!clientIs11) {
        text += "Connection: keep-alive\r\n";
    }
    text += "\r\n";
    return text;
}

std::string ChunkPrefix(std::size_t size) {
    static const char kHex[] = "0123456789abcdef";
    std::string digits;
    do {
        digits.insert(digits.begin(), kHex[size % 16]);
        size /= 16;
    } while (size != 0);
    return digits + "\r\n";
}

}  // namespace kestrune
