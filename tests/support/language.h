// Tests that switch the program's language put Japanese back when they end, as the rest expect.
#pragma once

#include "common/texts.h"

namespace varlo::test {

class CRestoreLanguage {
public:
    CRestoreLanguage() = default;
    ~CRestoreLanguage() { SetLanguage(Language::Japanese); }
    CRestoreLanguage(const CRestoreLanguage&) = delete;
    CRestoreLanguage& operator=(const CRestoreLanguage&) = delete;
};

}  // namespace varlo::test
