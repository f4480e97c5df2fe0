// Running the converter once and building the conversion record.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter.h"

namespace varlo {

inline constexpr std::string_view kOutputCapturePattern = "varloGui%d.tmp";
inline constexpr std::string_view kErrorCapturePattern = "varloGuiErr%d.tmp";

// Raised when a capture that was opened cannot be read: the conversion is abandoned, no record
// is made, and the captures not yet deleted stay on disk. The window shows the path to the user.
class CCaptureReadError : public std::runtime_error {
public:
    CCaptureReadError(std::string capturePath, int error);

    // The capture's full path.
    const std::string& CapturePath() const { return m_capturePath; }
    // The system's error code for the failed read.
    int Error() const { return m_error; }

private:
    std::string m_capturePath;
    int m_error;
};

// The pattern with its "%d" replaced by n in decimal.
std::string FormatCaptureName(std::string_view pattern, int n);

// The first of the pattern's names 0 to 98 that does not exist in the current folder, or the
// name for 99 when all of them do.
std::string PickCaptureName(std::string_view pattern);

// The command line the converter run stands for:
// converter "input" "output" >outputCapture 2>errorCapture
std::string BuildCommandLine(std::string_view converter, std::string_view input,
                             std::string_view output, std::string_view outputCapture,
                             std::string_view errorCapture);

// "base.ext -> base.ext\r\n" for the input and output paths, without drive or folder.
std::string RecordHeader(std::string_view input, std::string_view output);

// Runs the converter for one input and output and returns the conversion record: the header,
// then every line the converter wrote to standard error, then every line it wrote to standard
// output, each ended by "\r\n". Blocks until the converter has ended; leaves no capture behind.
// A path that begins with '-' reaches the converter as "./-…" (ConverterArgumentPath).
// Throws CCaptureReadError when a capture cannot be read.
std::string RunConverter(const std::string& converter, const std::string& input,
                         const std::string& output);

// The same with another interpreter in place of the platform's own.
std::string RunConverter(const std::string& converter, const std::string& input,
                         const std::string& output, const Interpreter& interpreter);

}  // namespace varlo
