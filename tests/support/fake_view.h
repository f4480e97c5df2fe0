// A window for the controller's tests: it holds the fields' texts and can record every call
// made to it, in order.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/convert_view.h"

namespace varlo::test {

inline const char* FieldName(ConvertField field) {
    switch (field) {
        case ConvertField::Input:
            return "Input";
        case ConvertField::Output:
            return "Output";
        case ConvertField::Converter:
            return "Converter";
        case ConvertField::Log:
            return "Log";
    }
    return "?";
}

class CFakeView : public IConvertView {
public:
    std::string GetText(ConvertField field) override {
        Record(std::string("GetText(") + FieldName(field) + ")");
        return fields[field];
    }
    void SetText(ConvertField field, const std::string& text) override {
        Record(std::string("SetText(") + FieldName(field) + ", " + text + ")");
        fields[field] = text;
    }
    void MoveCaretToEnd(ConvertField field) override {
        Record(std::string("MoveCaretToEnd(") + FieldName(field) + ")");
    }
    void AppendLog(const std::string& text) override {
        Record("AppendLog(" + text + ")");
        fields[ConvertField::Log] += text;
    }
    int GetAutoState() override {
        Record("GetAutoState()");
        return autoState;
    }
    void SetAutoState(int value) override {
        Record("SetAutoState(" + std::to_string(value) + ")");
        autoState = value;
    }
    void SetCaption(const std::string& text) override {
        Record("SetCaption(" + text + ")");
        caption = text;
    }
    void EnableDrop() override { Record("EnableDrop()"); }

    // The state of a run of conversions is kept, not recorded: it is checked where it matters.
    void SetBusy(bool value) override { busy = value; }
    void SetProgress(const ProgressShown& shown) override {
        progress = {shown.done, shown.total};
        fraction = shown.fraction;
        timeLeft = shown.timeLeft;
    }
    void ShowError(const std::string& boxCaption, const std::string& message) override {
        errors.push_back(boxCaption + ": " + message);
    }
    bool Ask(const std::string& boxCaption, const std::string& question) override {
        questions.push_back(boxCaption + ": " + question);
        return answer;
    }
    void CloseWindow() override { closed = true; }
    bool IsActive() override { return active; }
    void NotifyBatchEnded(const std::string& summary, bool failures) override {
        notifications.push_back(summary + (failures ? " (failures)" : ""));
    }

    // The calls since the last look.
    std::vector<std::string> Take() { return std::exchange(calls, {}); }

    std::map<ConvertField, std::string> fields;
    int autoState = 0;
    std::string caption;
    bool busy = false;
    std::pair<std::size_t, std::size_t> progress;
    double fraction = 0;
    std::string timeLeft;
    std::vector<std::string> errors;
    std::vector<std::string> questions;
    bool answer = false;  // to every question
    bool closed = false;
    bool active = true;
    std::vector<std::string> notifications;
    std::vector<std::string> calls;
    bool recording = true;

private:
    void Record(std::string call) {
        if (recording) {
            calls.push_back(std::move(call));
        }
    }
};

}  // namespace varlo::test
