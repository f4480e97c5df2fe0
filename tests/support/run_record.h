// Running the converter once in a test, for its record.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/converter_run.h"

namespace varlo {

// Runs the converter for one input and output, waits for its end and makes its record.
inline CStatus RunConverter(const std::string& converter, const std::string& input,
                            const std::string& output, std::string& record,
                            const ConverterStarter& starter = &StartConverter) {
    CConverterRun run(converter, input, output, starter);
    run.Wait();
    return run.Finish(record);
}

}  // namespace varlo

namespace varlo::test {

// The record of one run, which must not be abandoned.
inline std::string RecordOf(const std::string& converter, const std::string& input,
                            const std::string& output) {
    std::string record;
    const CStatus status = RunConverter(converter, input, output, record);
    EXPECT_TRUE(status.Ok()) << status.Message();
    return record;
}

}  // namespace varlo::test
