#include "engine/process_runner.h"

#include <exception>
#include <new>

#include "common/system_text.h"
#include "engine/converter_run.h"

namespace varlo {

namespace {

// How often the end is looked for where the platform gives nothing to wait on.
constexpr std::chrono::milliseconds kPollInterval{20};

class CWatchedRun : public IRunningConversion {
public:
    CWatchedRun(IEventLoop& loop, const std::string& converter, const std::string& input,
                const std::string& output, const ConverterStarter& starter,
                ConversionFinished finished)
        : m_loop(loop),
          m_conversion(converter, input, output, starter),
          m_finished(std::move(finished)) {
        WaitForEnd();
    }

    void Stop() override {
        if (m_finished == nullptr || m_conversion.Stopped()) {
            return;
        }
        m_conversion.Stop();
        if (m_conversion.Stopped()) {
            m_killTimer = m_loop.After(CProcessRunner::kStopGrace, [this] { m_conversion.Kill(); });
        }
    }

    void StopNow() override {
        if (m_finished == nullptr) {
            return;
        }
        m_conversion.Stop();
        m_conversion.Kill();
        m_conversion.Wait();
        OnEnd();
    }

private:
    void WaitForEnd() {
        const NativeHandle end = m_conversion.EndHandle();
        if (end != kNoHandle) {
            m_endWatch = m_loop.WhenReady(end, [this] { OnEnd(); });
        } else {
            // Not started, or nothing to wait on: look again shortly, from the loop, so that the
            // caller never hears of the end inside Start.
            const bool ended = m_conversion.Ended();
            m_endWatch = m_loop.After(ended ? std::chrono::milliseconds(0) : kPollInterval,
                                      [this] { OnEnd(); });
        }
    }

    void OnEnd() {
        if (!m_conversion.Ended()) {
            WaitForEnd();
            return;
        }
        // What the converter left running was asked to end with it; the record waits for that,
        // and for the kill after the grace when asking is not enough.
        if (m_conversion.LeftoversRemain()) {
            if (m_killTimer == nullptr) {
                m_killTimer =
                    m_loop.After(CProcessRunner::kStopGrace, [this] { m_conversion.Kill(); });
            }
            m_endWatch = m_loop.After(kPollInterval, [this] { OnEnd(); });
            return;
        }
        m_endWatch.reset();
        m_killTimer.reset();
        std::string record;
        CStatus status;
        try {
            status = m_conversion.Finish(record);
        } catch (...) {
            status = StatusFromCurrentException();
            record.clear();
        }
        // The caller may drop this conversion from inside the callback: nothing of it is touched
        // after the call.
        const RunOutcome outcome = m_conversion.Outcome();
        ConversionFinished finished = std::move(m_finished);
        m_finished = nullptr;
        finished(std::move(status), std::move(record), outcome);
    }

    IEventLoop& m_loop;
    CConverterRun m_conversion;
    ConversionFinished m_finished;
    std::unique_ptr<IEventLoop::IWatch> m_endWatch;
    std::unique_ptr<IEventLoop::IWatch> m_killTimer;
};

}  // namespace

CProcessRunner::CProcessRunner(IEventLoop& loop, ConverterStarter starter)
    : m_loop(loop), m_starter(std::move(starter)) {}

std::unique_ptr<IRunningConversion> CProcessRunner::Start(const std::string& converter,
                                                          const std::string& input,
                                                          const std::string& output,
                                                          ConversionFinished finished) {
    return std::make_unique<CWatchedRun>(m_loop, converter, input, output, m_starter,
                                         std::move(finished));
}

CStatus StatusFromCurrentException() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return CStatus::Unexpected(NativeText(TextId::OutOfMemory));
    } catch (const std::exception& error) {
        return CStatus::Unexpected(NativeText(TextId::UnexpectedWithReason) + error.what());
    } catch (...) {
        return CStatus::Unexpected(NativeText(TextId::Unexpected));
    }
}

}  // namespace varlo
