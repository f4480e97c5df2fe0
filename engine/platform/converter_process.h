// Starting the converter and ending it: the program and its leading arguments from the converter
// text, then the input and output paths as two arguments exactly as they are. File names are never
// handed to a shell, so nothing inside them is expanded or run. The converter runs in a process
// group (POSIX) or job object (Windows) of its own, so that a stop reaches everything it started.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/native_handle.h"
#include "common/status.h"
#include "engine/core/converter_words.h"

namespace varlo {

// Where the converter's standard output and standard error go.
struct CaptureHandles {
    NativeHandle output;
    NativeHandle error;
};

// How a converter ended: its exit status, or the signal that ended it (POSIX), or nothing known
// when its end could not be collected.
struct ProcessEnd {
    enum class Kind { Exited, Signalled, Unknown };
    Kind kind = Kind::Exited;
    int value = 0;

    bool Succeeded() const { return kind == Kind::Exited && value == 0; }
};

// A started converter. Destroying one that still runs ends it and everything it started.
class CConverterProcess {
public:
    CConverterProcess();
    ~CConverterProcess();
    CConverterProcess(CConverterProcess&&) noexcept;
    CConverterProcess& operator=(CConverterProcess&&) noexcept;

    // True from a successful start until the end has been collected.
    bool Running() const;
    // Becomes readable (POSIX) or signalled (Windows) when the converter has ended; kNoHandle
    // when there is none to wait on, and the end must be polled for.
    NativeHandle EndHandle() const;
    // The end, once the converter has ended; never waits.
    std::optional<ProcessEnd> Poll();
    // Waits for the end, and ends at once what the converter left running.
    ProcessEnd Wait();
    // Asks the converter and everything it started to end (SIGTERM to its group; on Windows, where
    // there is no asking, the job is ended at once).
    void Terminate();
    // Ends the converter and everything it started, at once.
    void Kill();
    // After the converter's end: whether anything it started is still there. The rest of its
    // group was asked to end as the converter ended (POSIX); on Windows the job has ended it.
    bool LeftoversRemain();
    // The converter's process group (POSIX), 0 where there is none.
    long Group() const;

    struct State;

private:
    friend CStatus StartConverter(const std::string&, const std::string&, const std::string&,
                                  CaptureHandles, CConverterProcess&);
    // The state is the platform's; with its own deleter the rest of the class is common.
    struct StateDeleter {
        void operator()(State* state) const;
    };
    static State* NewState();
    // The platform's: collects the ended converter's status.
    void Collect(bool waitable);

    std::unique_ptr<State, StateDeleter> m_state;
};

// Starts the converter: its first word is the program (looked up along PATH when it holds no '/'),
// the other words, then input and output, are its arguments; standard input reads from the null
// device. When it cannot be started, writes "<program>: <reason>" and a line end to the error
// capture and returns a NotStarted status.
CStatus StartConverter(const std::string& converter, const std::string& input,
                       const std::string& output, CaptureHandles captures,
                       CConverterProcess& process);

// StartConverter, or a stand-in for it in tests.
using ConverterStarter = std::function<CStatus(
    const std::string& converter, const std::string& input, const std::string& output,
    CaptureHandles captures, CConverterProcess& process)>;

}  // namespace varlo

namespace varlo {

// The name of a signal, such as "SIGSEGV"; empty where there is none.
std::string SignalName(int signal);

}  // namespace varlo
