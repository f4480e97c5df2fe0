// Every text the user reads, in one place, keyed by id and in both of the program's languages:
// the windows' labels, tooltips and menus, the about box, the messages, and the lines the
// program adds to a record. In UTF-8; the engine turns them into the platform's code page with
// NativeText, the windows into their own strings.
#pragma once

#include <cstddef>
#include <string_view>

namespace varlo {

enum class TextId {
    None,  // a control without a text of its own
    // The main window.
    MainCaption,
    Convert,
    Stop,  // the Convert button while conversions run
    Exit,
    InputLabel,
    OutputLabel,
    ConverterLabel,
    Browse,
    AutoConvert,
    InputTip,
    OutputTip,
    ConverterTip,
    AutoConvertTip,
    ConvertTip,
    ExitTip,
    LogTip,
    AboutMenu,
    JobsMenu,
    // The file dialogs' filters: what the files are; each window adds the patterns it matches.
    WavFiles,
    AacFiles,
    ProgramFiles,
    AllFiles,
    // The about box.
    AboutCaption,
    AboutVersion,
    AboutSecondLine,
    AboutLicence,
    Ok,
    // Messages.
    ReadError,  // %1: the capture's folder
    HelpFailed,
    SaveFailed,
    OutOfMemory,
    Unexpected,
    UnexpectedWithReason,  // followed by the reason
    ValueHoldsLineBreak,   // after the key's name
    AppDataMissing,
    StopAndExit,          // the question when the window closes while conversions run
    ConverterHoldsQuote,  // a chosen converter's path that the converter text cannot quote
    // The word when a long batch ends.
    FilesConverted,  // %1 files
    OneFileConverted,
    ConvertedAndFailed,  // %1 converted, %2 failed
    StoppedAfter,        // %1 of %2
    // Lines of a record.
    Stopped,
    NotStarted,
    ExitedWith,     // %1: the exit code
    EndedBySignal,  // %1: the signal
    EndUnknown,
    OutputNotShown,      // %1: megabytes left out of a long record
    NameRefusedByBatch,  // after the name
    // What a screen reader calls the three browse buttons, whose visible texts are the same.
    BrowseInputName,
    BrowseOutputName,
    BrowseConverterName,
    // The time left of a run of conversions, %1 seconds, minutes or hours.
    SecondsLeft,
    MinutesLeft,
    HoursLeft,
    End,  // not a text: every id lies before it
};

// The languages the program speaks: Japanese, and English for everyone else. The catalogue has a
// column for each, in this order.
enum class Language {
    Japanese,
    English,
    End,  // not a language: every one lies before it
};
inline constexpr std::size_t kLanguageCount = static_cast<std::size_t>(Language::End);

// The language of every text from now on; the program sets it once, as it starts, from the
// user's language. Japanese until then.
void SetLanguage(Language language);
Language CurrentLanguage();
// The language for the user's first language, a tag such as "ja-JP", "ja_JP.UTF-8" or "de".
Language LanguageOfTag(std::string_view tag);

// The text of `id` in UTF-8, in the current language or the one given; empty for TextId::None.
std::string_view Text(TextId id);
std::string_view Text(TextId id, Language language);

}  // namespace varlo
