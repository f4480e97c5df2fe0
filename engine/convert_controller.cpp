#include "convert_controller.h"

#include "arguments.h"
#include "converter_run.h"
#include "output_path.h"
#include "path_parts.h"
#include "settings/settings.h"

namespace varlo {

namespace {
// The section of a program whose own path has no base name.
constexpr char kFallbackSection[] = "varloGui";
}  // namespace

CConvertController::CConvertController(IConvertView& view, CProfileStore& profile,
                                       ConverterRunner runner)
    : m_view(view), m_profile(profile), m_runner(std::move(runner)) {}

ConverterRunner CConvertController::DefaultRunner() {
    return [](const std::string& converter, const std::string& input, const std::string& output) {
        return RunConverter(converter, input, output);
    };
}

void CConvertController::SetCommandLine(const std::string& commandLine) {
    m_cmdLine = commandLine;
}

void CConvertController::SetArguments(std::vector<std::string> arguments) {
    m_arguments = std::move(arguments);
}

void CConvertController::Start() {
    m_queue.clear();
    for (std::string& token : m_arguments ? *m_arguments : SplitArguments(m_cmdLine)) {
        m_queue.push_back(std::move(token));
    }
    m_arguments.reset();

    std::string program;
    if (!m_queue.empty()) {
        program = std::move(m_queue.front());
        m_queue.pop_front();
    }
    m_section = SplitPath(program).baseName;
    if (m_section.empty()) {
        m_section = kFallbackSection;
    }

    const Settings settings = ReadSettings(m_profile, m_section);
    m_execAtStart = settings.execFile;
    m_view.SetText(ConvertField::Converter, settings.execFile);
    m_view.SetAutoState(settings.autoExec);

    m_view.SetCaption(m_section);
    m_view.EnableDrop();
}

void CConvertController::StartQueue() {
    if (!m_queue.empty()) {
        LoadFromQueue();
    }
}

void CConvertController::ConvertClicked() {
    m_view.SetText(ConvertField::Log, "");
    Convert();
}

void CConvertController::InputChosen(const std::string& path) {
    m_view.SetText(ConvertField::Input, path);
    if (LoadInput()) {
        Convert();
    }
}

void CConvertController::OutputChosen(const std::string& path) {
    m_view.SetText(ConvertField::Output, path);
    m_view.MoveCaretToEnd(ConvertField::Output);
}

void CConvertController::ConverterChosen(const std::string& path) {
    m_view.SetText(ConvertField::Converter, path);
    m_view.MoveCaretToEnd(ConvertField::Converter);
    WriteExecFile(m_profile, m_section, path);
}

void CConvertController::FilesDropped(const std::vector<std::string>& paths) {
    if (paths.empty()) {
        return;
    }
    const bool wasEmpty = m_queue.empty();
    m_queue.insert(m_queue.end(), paths.begin(), paths.end());
    if (!wasEmpty) {
        return;  // the new files wait behind those already queued
    }
    m_view.SetText(ConvertField::Log, "");
    LoadFromQueue();
}

void CConvertController::Shutdown() {
    WriteAutoExec(m_profile, m_section, m_view.GetAutoState());
    const std::string converter = m_view.GetText(ConvertField::Converter);
    if (converter != m_execAtStart) {
        WriteExecFile(m_profile, m_section, converter);
    }
}

bool CConvertController::LoadInput() {
    const std::string input = m_view.GetText(ConvertField::Input);
    if (input.empty()) {
        return false;
    }
    m_view.SetText(ConvertField::Output, ProposeOutputPath(input));
    m_view.MoveCaretToEnd(ConvertField::Input);
    m_view.MoveCaretToEnd(ConvertField::Output);
    return m_view.GetAutoState() != 0;
}

void CConvertController::Convert() {
    do {
        const std::string converter = m_view.GetText(ConvertField::Converter);
        const std::string input = m_view.GetText(ConvertField::Input);
        const std::string output = m_view.GetText(ConvertField::Output);
        m_view.AppendLog(m_runner(converter, input, output));
    } while (AdvanceQueue());
}

bool CConvertController::AdvanceQueue() {
    if (!m_queue.empty()) {
        m_view.SetText(ConvertField::Input, m_queue.front());
        m_queue.pop_front();
        return LoadInput();
    }
    m_view.SetText(ConvertField::Input, "");
    m_view.SetText(ConvertField::Output, "");
    return false;
}

void CConvertController::LoadFromQueue() {
    if (AdvanceQueue()) {
        Convert();
    }
}

}  // namespace varlo
