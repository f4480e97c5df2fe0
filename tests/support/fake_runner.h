// A conversion runner for the controller's tests: nothing runs; each conversion ends when the
// test says so, or at once through `answer` when one is set.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/process_runner.h"

namespace varlo::test {

class CFakeRunner : public IConversionRunner {
public:
    struct Started {
        std::string converter, input, output;
        ConversionFinished finished;  // empty once it has ended
        bool stopped = false;
    };

    std::unique_ptr<IRunningConversion> Start(const std::string& converter,
                                              const std::string& input, const std::string& output,
                                              ConversionFinished finished) override {
        const std::size_t index = started.size();
        started.push_back({converter, input, output, std::move(finished)});
        if (answer) {
            std::string record;
            CStatus status = answer(started[index], record);
            End(index, status, record);
        }
        return std::make_unique<CFakeRun>(*this, index);
    }

    // Ends conversion `index` with a record (or a failure); a stopped one ends as stopped unless
    // told otherwise.
    void End(std::size_t index, CStatus status = {}, std::string record = "",
             std::optional<RunOutcome> outcome = std::nullopt) {
        ConversionFinished finished = std::move(started.at(index).finished);
        started[index].finished = nullptr;
        if (finished) {
            finished(std::move(status), std::move(record),
                     outcome.value_or(started[index].stopped ? RunOutcome::Stopped
                                                             : RunOutcome::Succeeded));
        }
    }

    std::size_t Running() const {
        std::size_t running = 0;
        for (const Started& s : started) {
            running += s.finished ? 1 : 0;
        }
        return running;
    }

    // When set, every conversion ends as it starts, with the record this makes.
    std::function<CStatus(const Started&, std::string& record)> answer;
    std::vector<Started> started;

private:
    class CFakeRun : public IRunningConversion {
    public:
        CFakeRun(CFakeRunner& runner, std::size_t index) : m_runner(runner), m_index(index) {}
        void Stop() override { m_runner.started.at(m_index).stopped = true; }
        void StopNow() override {
            Stop();
            m_runner.End(m_index, {}, "stopped " + m_runner.started[m_index].input + "\r\n");
        }

    private:
        CFakeRunner& m_runner;
        std::size_t m_index;
    };
};

}  // namespace varlo::test
