// The exception family raised inside the upload object. Exactly one boundary per
// script-facing call (server/) turns these into an HRESULT plus an error object.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace kestrune {

using HResult = std::int32_t;

constexpr HResult kUnexpected = static_cast<HResult>(0x8000FFFFu);  // E_UNEXPECTED

// Base of the family: a narrow (ANSI code page) message and a help context.
class Exception : public std::exception {
public:
    explicit Exception(std::string message, std::int32_t helpContext = 0)
        : message_(std::move(message)), helpContext_(helpContext) {}

    const std::string& Message() const noexcept { return message_; }
    std::int32_t HelpContext() const noexcept { return helpContext_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
    std::int32_t helpContext_;
};

// The upload object's own errors: "Index out of range.", "Error. No file received.",
// "Error saving file. Check the user permissions.".
class EUploadError : public Exception {
public:
    using Exception::Exception;
};

// The form-field list's bounds error: "List index out of bounds (%d)".
class EListError : public Exception {
public:
    using Exception::Exception;
};

// A byte array for the script could not be built: "Error creating variant array".
class EVariantError : public Exception {
public:
    using Exception::Exception;
};

// Wrong type information (class factory at module load).
class EOleError : public Exception {
public:
    using Exception::Exception;
};

// Registry writes during self-registration: "Error creating system registry entry".
class EOleRegistrationError : public EOleError {
public:
    using EOleError::EOleError;
};

// A failure the platform reported as a result code.
class EOleSysError : public EOleError {
public:
    EOleSysError(std::string message, HResult errorCode, std::int32_t helpContext = 0)
        : EOleError(std::move(message), helpContext), errorCode_(errorCode) {}

    HResult ErrorCode() const noexcept { return errorCode_; }

private:
    HResult errorCode_;
};

// A failing call into one of the host's objects (Request, Response).
class EOleException : public EOleSysError {
public:
    EOleException(std::string message, HResult errorCode, std::string source, std::string helpFile,
                  std::int32_t helpContext)
        : EOleSysError(std::move(message), errorCode, helpContext),
          source_(std::move(source)),
          helpFile_(std::move(helpFile)) {}

    const std::string& Source() const noexcept { return source_; }
    const std::string& HelpFile() const noexcept { return helpFile_; }

private:
    std::string source_;
    std::string helpFile_;
};

}  // namespace kestrune
