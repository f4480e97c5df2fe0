#include "texts.h"

#include <array>
#include <cstddef>

namespace varlo {

namespace {

struct Entry {
    TextId id;
    std::array<std::string_view, kLanguageCount> text;  // indexed by Language
};

// In the order of TextId, each text in every language side by side, in the order of Language.
constexpr Entry kTexts[] = {
    {TextId::None, {"", ""}},
    {TextId::MainCaption, {"varloGui", "varloGui"}},
    {TextId::Convert, {"変換", "Convert"}},
    {TextId::Stop, {"中止", "Stop"}},
    {TextId::Exit, {"終了", "Exit"}},
    {TextId::InputLabel, {"入力", "Input"}},
    {TextId::OutputLabel, {"出力", "Output"}},
    {TextId::ConverterLabel, {"実行", "Run"}},
    {TextId::Browse, {"参照", "Browse..."}},
    {TextId::AutoConvert, {"自動変換", "Auto-convert"}},
    {TextId::InputTip,
     {"変換対象のファイル名を指定する(複数のファイルをドロップできます)",
      "The file to convert (several files can be dropped on the window)"}},
    {TextId::OutputTip, {"出力先のファイル名を指定する", "The file to write"}},
    {TextId::ConverterTip,
     {"変換を行うプログラムのファイル名を指定する", "The converter program, with its own options"}},
    {TextId::AutoConvertTip,
     {"ファイルをドロップした際に自動で変換を行う", "Convert files as soon as they are dropped"}},
    {TextId::ConvertTip, {"プログラムを実行する", "Run the converter"}},
    {TextId::ExitTip, {"終了する", "Close varloGui"}},
    {TextId::LogTip, {"変換結果を出力する", "What the converter printed"}},
    {TextId::AboutMenu, {"varloGui のﾊﾞｰｼﾞｮﾝ情報(&A)...", "&About varloGui..."}},
    {TextId::JobsMenu, {"同時変換数", "Conversions at once"}},
    {TextId::WavFiles, {"WAV ファイル", "WAV Files"}},
    {TextId::AacFiles, {"AAC ファイル", "AAC Files"}},
    {TextId::ProgramFiles, {"プログラム", "Programs"}},
    {TextId::AllFiles, {"すべてのファイル", "All Files"}},
    {TextId::AboutCaption, {"varloGuiのﾊﾞｰｼﾞｮﾝ情報", "About varloGui"}},
    {TextId::AboutVersion, {"varloGui Version 1.4", "varloGui Version 1.4"}},
    {TextId::AboutSecondLine, {"WAV を AAC に変換するフロントエンド", "Converts WAV to AAC"}},
    {TextId::AboutLicence, {"MIT ライセンス", "MIT License"}},
    {TextId::Ok, {"OK", "OK"}},
    {TextId::ReadError,
     {"%1 へのｱｸｾｽ中に不明なｴﾗｰが発生しました。", "An unknown error occurred while accessing %1."}},
    {TextId::HelpFailed, {"ﾍﾙﾌﾟの起動に失敗しました。", "Help could not be started."}},
    {TextId::SaveFailed,
     {"設定を保存できませんでした。次回の起動時には以前の設定に戻ります。",
      "The settings could not be saved. The next start will use the earlier settings."}},
    {TextId::OutOfMemory, {"メモリが不足しています。", "Not enough memory."}},
    {TextId::Unexpected, {"予期しないエラーが発生しました。", "An unexpected error occurred."}},
    {TextId::UnexpectedWithReason,
     {"予期しないエラーが発生しました: ", "An unexpected error occurred: "}},
    {TextId::ValueHoldsLineBreak,
     {" の値に改行が含まれています", ": the value holds a line break"}},
    {TextId::AppDataMissing, {"APPDATA が設定されていません", "APPDATA is not set"}},
    {TextId::StopAndExit,
     {"変換中です。中止して終了しますか?", "Conversions are running. Stop them and exit?"}},
    {TextId::ConverterHoldsQuote,
     {"パスに \" を含むプログラムは変換プログラムとして指定できません。",
      "A program whose path holds \" cannot be the converter."}},
    {TextId::FilesConverted, {"%1 個のファイルを変換しました", "%1 files converted"}},
    {TextId::OneFileConverted, {"1 個のファイルを変換しました", "1 file converted"}},
    {TextId::ConvertedAndFailed, {"%1 個を変換、%2 個が失敗しました", "%1 converted, %2 failed"}},
    {TextId::StoppedAfter, {"%2 個中 %1 個で中止しました", "Stopped after %1 of %2"}},
    {TextId::Stopped, {"変換を中止しました。", "The conversion was stopped."}},
    {TextId::NotStarted,
     {"変換プログラムを起動できませんでした。", "The converter could not be started."}},
    {TextId::ExitedWith,
     {"変換プログラムが終了コード %1 で終了しました。", "The converter exited with code %1."}},
    {TextId::EndedBySignal,
     {"変換プログラムがシグナル %1 で異常終了しました。", "The converter was ended by signal %1."}},
    {TextId::EndUnknown,
     {"変換プログラムの終了状態を取得できませんでした。", "How the converter ended is not known."}},
    {TextId::OutputNotShown,
     {"… 変換プログラムの出力のうち %1 MB を表示していません …",
      "... %1 MB of converter output not shown ..."}},
    {TextId::NameRefusedByBatch,
     {": % や \" を含む名前はバッチファイルに渡せません",
      ": a name holding % or \" cannot be given to a batch file"}},
    {TextId::BrowseInputName, {"入力ファイルを参照", "Browse for the input"}},
    {TextId::BrowseOutputName, {"出力ファイルを参照", "Browse for the output"}},
    {TextId::BrowseConverterName, {"変換プログラムを参照", "Browse for the converter"}},
    {TextId::SecondsLeft, {"約 %1 秒", "about %1 sec left"}},
    {TextId::MinutesLeft, {"約 %1 分", "about %1 min left"}},
    {TextId::HoursLeft, {"約 %1 時間", "about %1 h left"}},
};

constexpr bool InOrder() {
    for (std::size_t i = 0; i < std::size(kTexts); ++i) {
        if (static_cast<std::size_t>(kTexts[i].id) != i) {
            return false;
        }
    }
    return std::size(kTexts) == static_cast<std::size_t>(TextId::End);
}
static_assert(InOrder(), "every text id has its entry, in order");

// A row that leaves out a language's text would compile with an empty one.
constexpr bool EveryLanguageHasItsText() {
    for (const Entry& entry : kTexts) {
        for (const std::string_view text : entry.text) {
            if (text.empty() != (entry.id == TextId::None)) {
                return false;
            }
        }
    }
    return true;
}
static_assert(EveryLanguageHasItsText(), "every text has its words in every language");

// The languages the user's language tag names: the tag's first part, in any case. Any other
// language, or none, reads English.
struct TagLanguage {
    std::string_view prefix;
    Language language;
};
constexpr TagLanguage kTagLanguages[] = {
    {"ja", Language::Japanese},
};
constexpr Language kOtherLanguage = Language::English;

constexpr char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when `tag` begins with the language `prefix`, followed by its end or by a region,
// script or encoding ("ja", "ja-JP", "ja_JP.UTF-8").
constexpr bool TagHasPrefix(std::string_view tag, std::string_view prefix) {
    if (tag.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(tag[i]) != prefix[i]) {
            return false;
        }
    }
    return tag.size() == prefix.size() || tag[prefix.size()] == '-' || tag[prefix.size()] == '_' ||
           tag[prefix.size()] == '.';
}

Language g_language = Language::Japanese;

}  // namespace

void SetLanguage(Language language) {
    g_language = language;
}

Language CurrentLanguage() {
    return g_language;
}

Language LanguageOfTag(std::string_view tag) {
    for (const TagLanguage& entry : kTagLanguages) {
        if (TagHasPrefix(tag, entry.prefix)) {
            return entry.language;
        }
    }
    return kOtherLanguage;
}

std::string_view Text(TextId id, Language language) {
    const auto index = static_cast<std::size_t>(id);
    const auto column = static_cast<std::size_t>(language);
    if (index >= std::size(kTexts) || column >= kLanguageCount) {
        return {};
    }
    return kTexts[index].text[column];
}

std::string_view Text(TextId id) {
    return Text(id, g_language);
}

}  // namespace varlo
