// Times an auto-convert chain of N files, with a converter that does no work, two ways:
//   window  the real main window, offscreen and on show, with the files dropped on its log as a
//           file manager drops them: the drop decodes the uri-list and runs the whole chain before
//           it returns, repainting the log as records come in;
//   engine  the controller alone, over a view that only keeps strings.
// Their ratio is what the window adds to a chain; the time spent outside the converter runs shows
// the same without the spawns' noise. A third row names the same files on the command line,
// converted during the first show; it is shown for comparison only, since the chain then runs
// before the window is on screen and so is not repainted.
// Then the cost of appending one record to the window's log when the log holds 500 records and
// when it holds 2000: it must not grow with the log.
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "engine/convert_controller.h"
#include "engine/converter_run.h"
#include "settings/profile_store.h"
#include "settings/settings.h"
#include "ui/qt/convert_dialog.h"
#include "ui/qt/file_chooser.h"

namespace {

using varlo::ConvertField;
using varlo::bench::CBenchFailure;
using Clock = std::chrono::steady_clock;

constexpr int kDefaultFiles = 2000;
constexpr int kDefaultRuns = 3;
// Untimed chains first: fonts, the loader and the page cache settle before counting.
constexpr int kWarmUpFiles = 50;
constexpr double kChainTarget = 1.5;

// The log growth: records of 30 lines, about 2 KB, timed in two windows of 100 records each.
constexpr int kRecordLines = 30;
constexpr int kRecordLineWidth = 66;
constexpr int kGrowthRecords = 2050;
constexpr int kEarlyFirst = 451;  // records 451-550: the log holds 450 to 549 before each
constexpr int kLateFirst = 1951;  // records 1951-2050: it holds 1950 to 2049
constexpr int kGrowthWindow = 100;
// A flat cost still varies with the machine; more than this counts as growing.
constexpr double kFlatLimit = 1.25;

constexpr char kSection[] = "varloGui";

struct Options {
    int files = kDefaultFiles;
    int runs = kDefaultRuns;
    std::string converter = TRIVIAL_CONVERTER_PATH;
};

void PrintUsage(std::FILE* to) {
    std::fprintf(to,
                 "usage: window_chain_bench [--files N] [--runs N] [--converter PATH]\n"
                 "  --files N         files in each chain (default %d)\n"
                 "  --runs N          timed chains of each way, interleaved (default %d)\n"
                 "  --converter PATH  the stand-in converter (default %s)\n",
                 kDefaultFiles, kDefaultRuns, TRIVIAL_CONVERTER_PATH);
}

// Returns false when the program should end at once with `exitCode`.
bool ParseOptions(int argc, char** argv, Options& options, int& exitCode) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            exitCode = 0;
            return false;
        }
        if (arg == "--converter" && i + 1 < argc) {
            options.converter = argv[++i];
            continue;
        }
        if ((arg == "--files" || arg == "--runs") && i + 1 < argc) {
            int& value = arg == "--files" ? options.files : options.runs;
            if (varlo::bench::ParsePositive(argv[++i], value)) {
                continue;
            }
            std::fprintf(stderr, "window_chain_bench: %s wants a positive number\n", argv[i - 1]);
        } else {
            std::fprintf(stderr, "window_chain_bench: unknown or incomplete option %s\n", argv[i]);
        }
        PrintUsage(stderr);
        exitCode = 2;
        return false;
    }
    return true;
}

// The converter as the converter field holds it: a path with blanks is quoted, as the program's
// word splitting expects; a quote inside it could not be written at all.
std::string ConverterText(const std::string& path) {
    if (path.find('"') != std::string::npos) {
        throw CBenchFailure("the converter path " + path + " holds a quote; move the program");
    }
    return path.find_first_of(" \t") != std::string::npos ? "\"" + path + "\"" : path;
}

// n with leading zeros up to `width` digits, so that the names sort and read alike.
std::string FileNumber(int n, int width) {
    std::string digits = std::to_string(n);
    return std::string(static_cast<std::size_t>(std::max(0, width - int(digits.size()))), '0') +
           digits;
}

int NumberWidth(int count) {
    return std::max(4, static_cast<int>(std::to_string(count).size()));
}

// The header of the record of "<name>.wav".
std::string Header(const std::string& name) {
    return name + ".wav -> " + name + ".aac";
}

// The files of one chain: none of them exists (the converter ignores its arguments), in a folder
// that does not exist either, so no proposed output name is ever taken.
struct Chain {
    std::vector<std::string> names;  // "0001" …
    std::vector<std::string> paths;
    QByteArray uriList;
    std::string expectedLog;
};

// A "file:" URI with every byte but the unreserved ones and '/' percent-encoded.
void AppendFileUri(QByteArray& list, std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    list += "file://";
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                           c == '/';
        if (plain) {
            list += char(c);
        } else {
            list += '%';
            list += kHex[c >> 4];
            list += kHex[c & 0xF];
        }
    }
    list += "\r\n";
}

Chain MakeChain(const std::string& folder, int files) {
    Chain chain;
    const int width = NumberWidth(files);
    for (int i = 1; i <= files; ++i) {
        std::string name = FileNumber(i, width);
        chain.paths.push_back(folder + "/" + name + ".wav");
        AppendFileUri(chain.uriList, chain.paths.back());
        chain.expectedLog +=
            Header(name) + "\r\n" TRIVIAL_STDERR_LINE "\r\n" TRIVIAL_STDOUT_LINE "\r\n";
        chain.names.push_back(std::move(name));
    }
    return chain;
}

// Counts the record headers of the log, which must come in the order of `names`.
std::size_t CountRecords(std::string_view log, const std::vector<std::string>& names) {
    std::size_t found = 0;
    while (!log.empty()) {
        const std::size_t end = log.find("\r\n");
        const std::string_view line = log.substr(0, end);
        log.remove_prefix(end == std::string_view::npos ? log.size() : end + 2);
        if (line.size() < 12 || line.substr(line.size() - 4) != ".aac" ||
            line.find(".wav -> ") == std::string_view::npos) {
            continue;
        }
        if (found >= names.size() || line != Header(names[found])) {
            throw CBenchFailure("record " + std::to_string(found + 1) + " has the header \"" +
                                std::string(line) + "\"");
        }
        ++found;
    }
    return found;
}

// Stops the benchmark unless the log holds every record of the chain, exactly as expected.
void CheckLog(const char* way, const std::string& log, const Chain& chain) {
    const std::size_t records = CountRecords(log, chain.names);
    if (records != chain.names.size()) {
        throw CBenchFailure(std::string(way) + ": the log holds " + std::to_string(records) +
                            " records instead of " + std::to_string(chain.names.size()));
    }
    if (log != chain.expectedLog) {
        const auto [at, unused] = std::mismatch(log.begin(), log.end(), chain.expectedLog.begin(),
                                                chain.expectedLog.end());
        (void)unused;
        throw CBenchFailure(std::string(way) +
                            ": the log differs from the expected records at byte " +
                            std::to_string(at - log.begin()));
    }
}

// The file dialogs are never opened.
class CNoChooser : public varlo::IFileChooser {
public:
    std::optional<std::string> Choose(varlo::FileDialogKind, const std::string&,
                                      QWidget*) override {
        throw CBenchFailure("a file dialog was asked for");
    }
};

// The least a window can be: its fields are strings.
class CStringView : public varlo::IConvertView {
public:
    std::string GetText(ConvertField field) override { return Field(field); }
    void SetText(ConvertField field, const std::string& text) override { Field(field) = text; }
    void MoveCaretToEnd(ConvertField) override {}
    void AppendLog(const std::string& text) override { m_log += text; }
    int GetAutoState() override { return m_auto; }
    void SetAutoState(int value) override { m_auto = value; }
    void SetCaption(const std::string& text) override { m_caption = text; }
    void EnableDrop() override {}

private:
    std::string& Field(ConvertField field) {
        switch (field) {
            case ConvertField::Input:
                return m_input;
            case ConvertField::Output:
                return m_output;
            case ConvertField::Converter:
                return m_converter;
            case ConvertField::Log:
                break;
        }
        return m_log;
    }

    std::string m_input, m_output, m_converter, m_log, m_caption;
    int m_auto = 0;
};

// Counts the paint events of one widget: the log's viewport, to see how often a chain repaints.
class CPaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++count;
        }
        return false;
    }
    int count = 0;
};

// Shows the window and waits until it is on the (offscreen) screen and painted.
void ShowAndWait(varlo::CConvertDialog& dialog) {
    dialog.show();
    QElapsedTimer timer;
    timer.start();
    while (dialog.windowHandle() == nullptr || !dialog.windowHandle()->isExposed()) {
        if (timer.elapsed() > 10'000) {
            throw CBenchFailure("the window was not exposed within 10 s");
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCoreApplication::processEvents();
}

QPlainTextEdit& LogEdit(varlo::CConvertDialog& dialog) {
    auto* log = dialog.findChild<QPlainTextEdit*>(QStringLiteral("IDC_LOG"));
    if (log == nullptr) {
        throw CBenchFailure("the window has no log control");
    }
    return *log;
}

double Seconds(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double>(end - start).count();
}

// The real converter run, with the time spent in it added up: the rest of a chain is what the
// window, or the bare view, costs around the converter. Machine load hits the converter runs
// hardest, so this rest is steadier than the totals.
class CTimedRunner {
public:
    varlo::ConverterRunner Runner() {
        return [this](const std::string& converter, const std::string& input,
                      const std::string& output) {
            const Clock::time_point start = Clock::now();
            std::string record = varlo::RunConverter(converter, input, output);
            m_seconds += std::chrono::duration<double>(Clock::now() - start).count();
            return record;
        };
    }
    double Seconds() const { return m_seconds; }

private:
    double m_seconds = 0;
};

struct RunResult {
    double seconds;
    double converterSeconds;  // of `seconds`, inside the converter runs
    int repaints;             // of the log, during the timed part; -1 where there is no window
};

// The files dropped on the shown window; timed from the drop until the events it left are done.
RunResult RunWindowDrop(varlo::CProfileStore& profile, const Chain& chain) {
    CNoChooser chooser;
    CTimedRunner runner;
    varlo::CConvertDialog dialog(profile, chooser, runner.Runner());
    dialog.SetArguments({kSection});
    ShowAndWait(dialog);
    if (dialog.GetAutoState() == 0) {
        throw CBenchFailure("window: auto-convert is off after start-up");
    }
    CPaintCounter paints;
    LogEdit(dialog).viewport()->installEventFilter(&paints);

    // Delivered to the native window, as the window system delivers a drop: the window finds
    // the log under the point, which refuses drops, and passes the drop up to the dialog.
    QMimeData mime;
    mime.setData(QStringLiteral("text/uri-list"), chain.uriList);
    const QPoint at = LogEdit(dialog).geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    const Clock::time_point start = Clock::now();
    QCoreApplication::sendEvent(dialog.windowHandle(), &enter);
    QCoreApplication::sendEvent(dialog.windowHandle(), &drop);
    QCoreApplication::processEvents();
    const Clock::time_point end = Clock::now();
    if (!enter.isAccepted() || !drop.isAccepted()) {
        throw CBenchFailure("window: the drop was refused");
    }
    LogEdit(dialog).viewport()->removeEventFilter(&paints);
    CheckLog("window, dropped", dialog.GetText(ConvertField::Log), chain);
    dialog.reject();
    return {Seconds(start, end), runner.Seconds(), paints.count};
}

// The files on the command line: the chain runs inside the first show.
RunResult RunWindowArguments(varlo::CProfileStore& profile, const Chain& chain) {
    CNoChooser chooser;
    CTimedRunner runner;
    varlo::CConvertDialog dialog(profile, chooser, runner.Runner());
    std::vector<std::string> arguments{kSection};
    arguments.insert(arguments.end(), chain.paths.begin(), chain.paths.end());
    dialog.SetArguments(std::move(arguments));
    CPaintCounter paints;
    LogEdit(dialog).viewport()->installEventFilter(&paints);
    const Clock::time_point start = Clock::now();
    ShowAndWait(dialog);
    const Clock::time_point end = Clock::now();
    LogEdit(dialog).viewport()->removeEventFilter(&paints);
    CheckLog("window, first show", dialog.GetText(ConvertField::Log), chain);
    dialog.reject();
    return {Seconds(start, end), runner.Seconds(), paints.count};
}

RunResult RunEngine(varlo::CProfileStore& profile, const Chain& chain) {
    CStringView view;
    CTimedRunner runner;
    varlo::CConvertController controller(view, profile, runner.Runner());
    controller.SetArguments({kSection});
    controller.Start();
    controller.StartQueue();
    if (view.GetAutoState() == 0) {
        throw CBenchFailure("engine: auto-convert is off after start-up");
    }
    const Clock::time_point start = Clock::now();
    controller.FilesDropped(chain.paths);
    const Clock::time_point end = Clock::now();
    CheckLog("engine", view.GetText(ConvertField::Log), chain);
    controller.Shutdown();
    return {Seconds(start, end), runner.Seconds(), -1};
}

struct Way {
    const char* name = "";
    std::function<RunResult(const Chain&)> run;
    std::vector<double> seconds;
    std::vector<double> ownMs;  // per file, outside the converter runs
    std::vector<double> repaints;
};

// A record of the given number: its header, then lines of ordinary converter chatter.
std::string GrowthRecord(int n) {
    const std::string name = FileNumber(n, 4);
    std::string record = Header(name) + "\r\n";
    for (int line = 1; line < kRecordLines; ++line) {
        std::string text = "  " + name + " line " + std::to_string(line) +
                           ": size=" + std::to_string(n * 37 + line) +
                           "kB time=00:00:" + FileNumber(line % 60, 2) + ".00 bitrate=128.0kbits/s";
        text.resize(kRecordLineWidth, '.');
        record += text + "\r\n";
    }
    return record;
}

struct GrowthSamples {
    std::vector<double> early;  // microseconds per AppendLog
    std::vector<double> late;
};

// Appends kGrowthRecords records to a shown window, one AppendLog each, timing every call.
void RunGrowth(varlo::CProfileStore& profile, const std::vector<std::string>& records,
               const std::vector<std::string>& names, GrowthSamples& samples) {
    CNoChooser chooser;
    varlo::CConvertDialog dialog(profile, chooser);
    dialog.SetArguments({kSection});
    ShowAndWait(dialog);
    for (int n = 1; n <= kGrowthRecords; ++n) {
        const Clock::time_point start = Clock::now();
        dialog.AppendLog(records[static_cast<std::size_t>(n - 1)]);
        const Clock::time_point end = Clock::now();
        const double micros = std::chrono::duration<double, std::micro>(end - start).count();
        if (n >= kEarlyFirst && n < kEarlyFirst + kGrowthWindow) {
            samples.early.push_back(micros);
        } else if (n >= kLateFirst && n < kLateFirst + kGrowthWindow) {
            samples.late.push_back(micros);
        }
    }
    const std::size_t held = CountRecords(dialog.GetText(ConvertField::Log), names);
    if (held != static_cast<std::size_t>(kGrowthRecords)) {
        throw CBenchFailure("log growth: the log holds " + std::to_string(held) +
                            " records instead of " + std::to_string(kGrowthRecords));
    }
    dialog.reject();
}

void PrintVerdict(const char* what, double ratio, const char* target, bool met) {
    std::printf("%-30s %6.3fx   target %s: %s\n", what, ratio, target, met ? "met" : "MISSED");
}

int Bench(const Options& options, varlo::bench::CScratchFolder& scratch) {
    std::error_code ec;
    const std::string converterPath = std::filesystem::absolute(options.converter, ec).string();
    if (ec || ::access(converterPath.c_str(), X_OK) != 0) {
        throw CBenchFailure("cannot run the converter " + options.converter +
                            " (pass --converter PATH)");
    }

    varlo::CProfileStore profile(varlo::CProfileStore::DefaultPath());
    if (profile.Path().rfind(scratch.Config() + "/", 0) != 0) {
        throw CBenchFailure("the profile " + profile.Path() + " is outside the scratch folder");
    }
    varlo::WriteExecFile(profile, kSection, ConverterText(converterPath));
    varlo::WriteAutoExec(profile, kSection, 1);
    const varlo::Settings settings = varlo::ReadSettings(profile, kSection);
    if (settings.execFile != ConverterText(converterPath) || settings.autoExec != 1) {
        throw CBenchFailure("the profile did not keep the converter and auto-convert");
    }

    // The folder is never created: the names only have to be distinct.
    const std::string inputFolder = scratch.Path() + "/dropped";
    const Chain warmUp = MakeChain(inputFolder, std::min(options.files, kWarmUpFiles));
    const Chain chain = MakeChain(inputFolder, options.files);

    std::vector<Way> ways(3);
    ways[0].name = "window, dropped";
    ways[0].run = [&](const Chain& c) { return RunWindowDrop(profile, c); };
    ways[1].name = "engine, FilesDropped";
    ways[1].run = [&](const Chain& c) { return RunEngine(profile, c); };
    ways[2].name = "window, first show (args)";
    ways[2].run = [&](const Chain& c) { return RunWindowArguments(profile, c); };

    for (Way& way : ways) {
        way.run(warmUp);
        scratch.CheckWorkEmpty();
    }
    for (int round = 0; round < options.runs; ++round) {
        // Who goes first rotates, so that none of them always follows the same neighbour.
        for (std::size_t k = 0; k < ways.size(); ++k) {
            Way& way = ways[(static_cast<std::size_t>(round) + k) % ways.size()];
            const RunResult result = way.run(chain);
            scratch.CheckWorkEmpty();
            way.seconds.push_back(result.seconds);
            way.ownMs.push_back((result.seconds - result.converterSeconds) * 1000 / options.files);
            way.repaints.push_back(result.repaints);
        }
    }

    std::printf(
        "window_chain_bench: chains of %d files, %d runs of each way, interleaved, "
        "after a warm-up chain of %d files\n",
        options.files, options.runs, static_cast<int>(warmUp.paths.size()));
    std::printf("converter: %s\n", converterPath.c_str());
    std::printf("platform: %s, Qt %s, cores: %u\n\n",
                QGuiApplication::platformName().toUtf8().constData(), qVersion(),
                std::thread::hardware_concurrency());
    std::printf("%-27s %9s %9s %9s %12s %12s %9s\n", "way", "median s", "min s", "max s",
                "ms per file", "own ms/file", "repaints");
    for (const Way& way : ways) {
        const double median = varlo::bench::Median(way.seconds);
        const double repaints = varlo::bench::Median(way.repaints);
        char shownRepaints[16] = "-";
        if (repaints >= 0) {
            std::snprintf(shownRepaints, sizeof shownRepaints, "%.0f", repaints);
        }
        std::printf("%-27s %9.3f %9.3f %9.3f %12.4f %12.4f %9s\n", way.name, median,
                    varlo::bench::Min(way.seconds), varlo::bench::Max(way.seconds),
                    median * 1000 / options.files, varlo::bench::Median(way.ownMs), shownRepaints);
    }
    std::printf("(own ms/file: the median run's time outside the converter runs, per file)\n\n");
    const double chainRatio =
        varlo::bench::Median(ways[0].seconds) / varlo::bench::Median(ways[1].seconds);
    PrintVerdict("window (dropped) / engine", chainRatio, "<= 1.50x", chainRatio <= kChainTarget);
    std::printf("the window's own cost beyond the engine's: %+.4f ms per file\n",
                varlo::bench::Median(ways[0].ownMs) - varlo::bench::Median(ways[1].ownMs));
    std::printf("every run checked: the log holds all %d records, in order, byte for byte\n\n",
                options.files);

    std::vector<std::string> names;
    std::vector<std::string> records;
    for (int n = 1; n <= kGrowthRecords; ++n) {
        names.push_back(FileNumber(n, 4));
        records.push_back(GrowthRecord(n));
    }
    GrowthSamples growth;
    for (int run = 0; run < options.runs; ++run) {
        RunGrowth(profile, records, names, growth);
    }
    const double early = varlo::bench::Median(growth.early);
    const double late = varlo::bench::Median(growth.late);
    std::printf(
        "log growth: AppendLog of a %d-line record (%zu bytes) on the shown window, "
        "%d runs of %d records\n",
        kRecordLines, records[0].size(), options.runs, kGrowthRecords);
    std::printf("%-16s %-16s %12s %12s %12s\n", "records timed", "log holds", "median us",
                "mean us", "max us");
    std::printf("%-16s %-16s %12.1f %12.1f %12.1f\n", "451-550", "450-549 records", early,
                varlo::bench::Mean(growth.early), varlo::bench::Max(growth.early));
    std::printf("%-16s %-16s %12.1f %12.1f %12.1f\n", "1951-2050", "1950-2049 records", late,
                varlo::bench::Mean(growth.late), varlo::bench::Max(growth.late));
    std::printf("\n");
    const double growthRatio = late / early;
    PrintVerdict("per record, 2000 / 500", growthRatio, "~1 (flat, <= 1.25x)",
                 growthRatio <= kFlatLimit);
    std::printf("every run checked: the log holds all %d records, in order\n", kGrowthRecords);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    int exitCode = 0;
    if (!ParseOptions(argc, argv, options, exitCode)) {
        return exitCode;
    }
    // No display is needed, and a user's own platform choice would time something else.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    try {
        varlo::bench::CScratchFolder scratch("window_chain_bench");
        ::setenv("XDG_CONFIG_HOME", scratch.Config().c_str(), 1);
        // Qt sees no argument of ours.
        int qtArgc = 1;
        char* qtArgv[] = {argv[0], nullptr};
        QApplication app(qtArgc, qtArgv);
        return Bench(options, scratch);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "window_chain_bench: %s\n", e.what());
        return 1;
    }
}
