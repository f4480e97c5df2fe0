// The command interpreter that starts the converter: the program and its leading arguments from
// the converter text, then the input and output paths as two arguments exactly as they are.
// File names are never handed to a shell, so nothing inside them is expanded or run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varlo {

// A file descriptor on POSIX, a HANDLE on Windows.
using NativeHandle = std::intptr_t;

// Where the converter's standard output and standard error go.
struct CaptureHandles {
    NativeHandle output;
    NativeHandle error;
};

// The converter text cut into words: blanks (space or tab) separate words, double quotes group
// blanks into a word and are removed. "ffmpeg -nostdin -y -i" gives four words.
std::vector<std::string> SplitConverterWords(std::string_view converter);

// Runs the converter: its first word is the program (looked up along PATH when it holds no '/'),
// the other words, then input and output, are its arguments; standard input reads from the null
// device. Waits for the program's end without a time limit and ignores its exit status. When the
// program cannot be started, writes "<program>: <reason>" and a line end to the error capture.
void RunInterpreter(const std::string& converter, const std::string& input,
                    const std::string& output, CaptureHandles captures);

using Interpreter = std::function<void(const std::string& converter, const std::string& input,
                                       const std::string& output, CaptureHandles captures)>;

}  // namespace varlo
