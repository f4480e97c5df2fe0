// Running the converter once and building the conversion record: started, then finished once the
// converter has ended, or stopped before that.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "common/status.h"
#include "engine/platform/capture_file.h"
#include "engine/platform/converter_process.h"

namespace varlo {

// "base.ext -> base.ext\r\n" for the input and output paths, without drive or folder.
std::string RecordHeader(std::string_view input, std::string_view output);

// How one conversion ended.
enum class RunOutcome { Succeeded, Failed, Stopped };

// The last line of a record whose converter did not succeed, "\r\n" included; empty for one that
// exited with status 0.
std::string OutcomeLine(const CStatus& started, const ProcessEnd& end, bool stopped);

// One conversion: its captures, its converter and what is known of its output.
class CConverterRun {
public:
    // Creates the two captures and starts the converter. What keeps it from starting (no capture
    // could be made, no such program) is told by the record that Finish makes.
    CConverterRun(const std::string& converter, const std::string& input, const std::string& output,
                  const ConverterStarter& starter = &StartConverter);
    // A conversion dropped before Finish is ended, and leaves nothing behind but what Finish
    // would have left.
    ~CConverterRun();
    CConverterRun(const CConverterRun&) = delete;
    CConverterRun& operator=(const CConverterRun&) = delete;

    // See CConverterProcess.
    NativeHandle EndHandle() const { return m_process.EndHandle(); }
    // True once the converter has ended (or never started).
    bool Ended();
    // After the end: whether what the converter started is still there (it has been asked to end,
    // and Kill ends it).
    bool LeftoversRemain() { return m_process.LeftoversRemain(); }
    void Wait();

    // Asks the converter and everything it started to end; the record will say it was stopped,
    // and an output file it created is deleted. A converter that has already ended is not stopped:
    // its conversion ends as it ended.
    void Stop();
    // Ends it at once (after Stop, when asking was not enough).
    void Kill();
    // Stops it, ends it at once, waits and removes its captures, with no record (what the
    // destructor does, and what happens to conversions still running when the program exits).
    void Abandon();
    bool Stopped() const { return m_stopped; }
    // After the end: stopped, failed (did not start, or did not exit with 0) or succeeded.
    RunOutcome Outcome() const;

    // After the end: the record (header, error capture lines, output capture lines, then the
    // outcome line), with both captures read and removed. A capture that cannot be read abandons
    // the record: the status says so.
    CStatus Finish(std::string& record);

private:
    std::string m_input;
    std::string m_output;
    bool m_outputExisted = false;
    CCaptureFile m_outputCapture;
    CCaptureFile m_errorCapture;
    CStatus m_started;  // why the converter did not start, if it did not
    CConverterProcess m_process;
    long m_group = 0;  // the converter's process group, told to the watchdog
    ProcessEnd m_end;
    bool m_stopped = false;
    bool m_finished = false;
};

}  // namespace varlo
