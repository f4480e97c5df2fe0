#include "converter_run.h"

#include "capture_file.h"
#include "path_parts.h"

namespace varlo {

namespace {

constexpr int kLastCaptureNumber = 99;

// Creates the first free capture of the pattern. Names are tested first; a name that another
// copy of the program creates between the test and our creation is skipped, so two copies never
// share a capture. Number 99 is used even when it exists.
bool CreateCapture(std::string_view pattern, CCaptureFile& capture) {
    for (int n = 0; n < kLastCaptureNumber; ++n) {
        const std::string name = FormatCaptureName(pattern, n);
        if (PathExists(name)) {
            continue;
        }
        switch (capture.Create(name, /*overwrite=*/false)) {
            case CCaptureFile::CreateResult::Created:
                return true;
            case CCaptureFile::CreateResult::NameTaken:
                continue;
            case CCaptureFile::CreateResult::Failed:
                return false;
        }
    }
    const std::string last = FormatCaptureName(pattern, kLastCaptureNumber);
    return capture.Create(last, /*overwrite=*/true) == CCaptureFile::CreateResult::Created;
}

// Appends the capture's lines to the record, then deletes it. On a read error the capture stays
// on disk and the conversion is abandoned.
void TakeCapture(CCaptureFile& capture, std::string& record) {
    // Room for the whole capture and a CR for every 32 bytes of it, so that a converter that
    // prints a lot does not make the record copy itself over and over while it grows.
    const std::size_t size = capture.Size();
    record.reserve(record.size() + size + size / 32 + 2);
    CCaptureLineReader reader(record);
    if (!capture.ReadInto(reader)) {
        throw CCaptureReadError(FullPathInCurrentFolder(capture.Name()), capture.Error());
    }
    capture.Remove();
}

std::string FileName(std::string_view path) {
    PathParts parts = SplitPath(path);
    return parts.baseName + parts.extension;
}

}  // namespace

CCaptureReadError::CCaptureReadError(std::string capturePath, int error)
    : std::runtime_error(capturePath + ": " + SystemErrorText(error)),
      m_capturePath(std::move(capturePath)),
      m_error(error) {}

std::string FormatCaptureName(std::string_view pattern, int n) {
    std::string name(pattern);
    if (std::size_t at = name.find("%d"); at != std::string::npos) {
        name.replace(at, 2, std::to_string(n));
    }
    return name;
}

std::string PickCaptureName(std::string_view pattern) {
    for (int n = 0; n < kLastCaptureNumber; ++n) {
        std::string name = FormatCaptureName(pattern, n);
        if (!PathExists(name)) {
            return name;
        }
    }
    return FormatCaptureName(pattern, kLastCaptureNumber);
}

std::string BuildCommandLine(std::string_view converter, std::string_view input,
                             std::string_view output, std::string_view outputCapture,
                             std::string_view errorCapture) {
    std::string line;
    line.append(converter).append(" \"").append(input).append("\" \"").append(output);
    line.append("\" >").append(outputCapture).append(" 2>").append(errorCapture);
    return line;
}

std::string RecordHeader(std::string_view input, std::string_view output) {
    return FileName(input) + " -> " + FileName(output) + "\r\n";
}

std::string RunConverter(const std::string& converter, const std::string& input,
                         const std::string& output) {
    return RunConverter(converter, input, output, &RunInterpreter);
}

std::string RunConverter(const std::string& converter, const std::string& input,
                         const std::string& output, const Interpreter& interpreter) {
    std::string record = RecordHeader(input, output);

    CCaptureFile outputCapture;
    CCaptureFile errorCapture;
    if (!CreateCapture(kOutputCapturePattern, outputCapture) ||
        !CreateCapture(kErrorCapturePattern, errorCapture)) {
        // The converter does not run; say why under the header rather than look like success.
        const CCaptureFile& failed = outputCapture.IsOpen() ? errorCapture : outputCapture;
        record += failed.Name() + ": " + SystemErrorText(failed.Error()) + "\r\n";
        outputCapture.Remove();
        return record;
    }

    // The header above keeps the names as given; only the converter sees "./-…".
    interpreter(converter, ConverterArgumentPath(input), ConverterArgumentPath(output),
                {outputCapture.Handle(), errorCapture.Handle()});

    TakeCapture(errorCapture, record);
    TakeCapture(outputCapture, record);
    return record;
}

}  // namespace varlo
