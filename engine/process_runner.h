// Conversions that run while the window goes on: each is started, and its end reaches the caller
// through the window's event loop.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "common/status.h"
#include "engine/converter_run.h"
#include "engine/event_loop.h"
#include "engine/platform/converter_process.h"

namespace varlo {

// A conversion under way.
class IRunningConversion {
public:
    virtual ~IRunningConversion() = default;
    // Asks the converter and everything it started to end, and ends them a little later when they
    // do not. The end is reported as usual, the record saying that it was stopped.
    virtual void Stop() = 0;
    // Ends it at once and waits: when this returns, the end has been reported.
    virtual void StopNow() = 0;
};

// How a conversion ended: its record, or why there is none.
using ConversionFinished =
    std::function<void(CStatus status, std::string record, RunOutcome outcome)>;

class IConversionRunner {
public:
    virtual ~IConversionRunner() = default;
    // Starts a conversion. `finished` is called once, on the window's thread, when it has ended,
    // possibly before Start returns; never after the conversion has been dropped.
    virtual std::unique_ptr<IRunningConversion> Start(const std::string& converter,
                                                      const std::string& input,
                                                      const std::string& output,
                                                      ConversionFinished finished) = 0;
};

// Converters run as processes, their ends waited for by an event loop.
class CProcessRunner : public IConversionRunner {
public:
    // How long a stopped converter may take before it is killed.
    static constexpr std::chrono::milliseconds kStopGrace{2000};

    explicit CProcessRunner(IEventLoop& loop, ConverterStarter starter = &StartConverter);

    std::unique_ptr<IRunningConversion> Start(const std::string& converter,
                                              const std::string& input, const std::string& output,
                                              ConversionFinished finished) override;

private:
    IEventLoop& m_loop;
    ConverterStarter m_starter;
};

// The status for an exception that escaped an operation, with a text for the user.
CStatus StatusFromCurrentException();

}  // namespace varlo
