// What an operation came to: done, or why not. One type for every failure of a conversion or a
// save, so that callers test one thing and show one kind of message.
#pragma once

#include <string>

#include "common/system_text.h"

namespace varlo {

class CStatus {
public:
    enum class Code {
        Ok,
        NotStarted,  // the converter could not be started
        ReadFailed,  // a capture that was opened could not be read
        Failed,      // any other system error
        Exception,   // something the program did not expect (memory exhausted, say)
    };

    CStatus() = default;

    static CStatus Error(Code code, std::string subject, int systemError);
    // A failure that no system error code describes; `text` is what the user is told.
    static CStatus Unexpected(std::string text);
    // A failure of `code` whose whole message, subject and reason, is `text`.
    static CStatus Described(Code code, std::string text);

    bool Ok() const { return m_code == Code::Ok; }
    Code GetCode() const { return m_code; }
    // The file or program the failure concerns.
    const std::string& Subject() const { return m_subject; }
    int SystemError() const { return m_systemError; }
    // "subject: reason", as a record shows it.
    std::string Message() const;

private:
    Code m_code = Code::Ok;
    std::string m_subject;
    int m_systemError = 0;
    std::string m_text;  // the message, when it is given whole
};

}  // namespace varlo
