#include "texts.h"

namespace varlo {

namespace {

Language g_language = Language::Japanese;

std::string_view JapaneseText(TextId id) {
    switch (id) {
        case TextId::None:
        case TextId::End:
            return "";
        case TextId::MainCaption:
            return "varloGui";
        case TextId::Convert:
            return "変換";
        case TextId::Stop:
            return "中止";
        case TextId::Exit:
            return "終了";
        case TextId::InputLabel:
            return "入力";
        case TextId::OutputLabel:
            return "出力";
        case TextId::ConverterLabel:
            return "実行";
        case TextId::Browse:
            return "参照";
        case TextId::AutoConvert:
            return "自動変換";
        case TextId::InputTip:
            return "変換対象のファイル名を指定する(複数のファイルをドロップできます)";
        case TextId::OutputTip:
            return "出力先のファイル名を指定する";
        case TextId::ConverterTip:
            return "変換を行うプログラムのファイル名を指定する";
        case TextId::AutoConvertTip:
            return "ファイルをドロップした際に自動で変換を行う";
        case TextId::ConvertTip:
            return "プログラムを実行する";
        case TextId::ExitTip:
            return "終了する";
        case TextId::LogTip:
            return "変換結果を出力する";
        case TextId::AboutMenu:
            return "varloGui のﾊﾞｰｼﾞｮﾝ情報(&A)...";
        case TextId::JobsMenu:
            return "同時変換数";
        case TextId::WavFiles:
            return "WAV Files (*.wav)";
        case TextId::AacFiles:
            return "AAC Files (*.aac)";
        case TextId::ProgramFiles:
            return "Program Files (*.exe)";
        case TextId::AllFiles:
            return "All Files (*.*)";
        case TextId::AboutCaption:
            return "varloGuiのﾊﾞｰｼﾞｮﾝ情報";
        case TextId::AboutVersion:
            return "varloGui Version 1.4";
        case TextId::AboutSecondLine:
            return "WAV を AAC に変換するフロントエンド";
        case TextId::Ok:
            return "OK";
        case TextId::ReadError:
            return "%1 へのｱｸｾｽ中に不明なｴﾗｰが発生しました。";
        case TextId::HelpFailed:
            return "ﾍﾙﾌﾟの起動に失敗しました。";
        case TextId::SaveFailed:
            return "設定を保存できませんでした。次回の起動時には以前の設定に戻ります。";
        case TextId::OutOfMemory:
            return "メモリが不足しています。";
        case TextId::Unexpected:
            return "予期しないエラーが発生しました。";
        case TextId::UnexpectedWithReason:
            return "予期しないエラーが発生しました: ";
        case TextId::ValueHoldsLineBreak:
            return " の値に改行が含まれています";
        case TextId::AppDataMissing:
            return "APPDATA が設定されていません";
        case TextId::Stopped:
            return "変換を中止しました。";
        case TextId::NotStarted:
            return "変換プログラムを起動できませんでした。";
        case TextId::ExitedWith:
            return "変換プログラムが終了コード %s で終了しました。";
        case TextId::EndedBySignal:
            return "変換プログラムがシグナル %s で異常終了しました。";
        case TextId::EndUnknown:
            return "変換プログラムの終了状態を取得できませんでした。";
        case TextId::NameRefusedByBatch:
            return ": % や \" を含む名前はバッチファイルに渡せません";
    }
    return "";
}

std::string_view EnglishText(TextId id) {
    switch (id) {
        case TextId::None:
        case TextId::End:
            return "";
        case TextId::MainCaption:
            return "varloGui";
        case TextId::Convert:
            return "Convert";
        case TextId::Stop:
            return "Stop";
        case TextId::Exit:
            return "Exit";
        case TextId::InputLabel:
            return "Input";
        case TextId::OutputLabel:
            return "Output";
        case TextId::ConverterLabel:
            return "Run";
        case TextId::Browse:
            return "Browse...";
        case TextId::AutoConvert:
            return "Auto-convert";
        case TextId::InputTip:
            return "The file to convert (several files can be dropped on the window)";
        case TextId::OutputTip:
            return "The file to write";
        case TextId::ConverterTip:
            return "The converter program, with its own options";
        case TextId::AutoConvertTip:
            return "Convert files as soon as they are dropped";
        case TextId::ConvertTip:
            return "Run the converter";
        case TextId::ExitTip:
            return "Close varloGui";
        case TextId::LogTip:
            return "What the converter printed";
        case TextId::AboutMenu:
            return "&About varloGui...";
        case TextId::JobsMenu:
            return "Conversions at once";
        case TextId::WavFiles:
            return "WAV Files (*.wav)";
        case TextId::AacFiles:
            return "AAC Files (*.aac)";
        case TextId::ProgramFiles:
            return "Program Files (*.exe)";
        case TextId::AllFiles:
            return "All Files (*.*)";
        case TextId::AboutCaption:
            return "About varloGui";
        case TextId::AboutVersion:
            return "varloGui Version 1.4";
        case TextId::AboutSecondLine:
            return "Converts WAV to AAC";
        case TextId::Ok:
            return "OK";
        case TextId::ReadError:
            return "An unknown error occurred while accessing %1.";
        case TextId::HelpFailed:
            return "Help could not be started.";
        case TextId::SaveFailed:
            return "The settings could not be saved. The next start will use the earlier settings.";
        case TextId::OutOfMemory:
            return "Not enough memory.";
        case TextId::Unexpected:
            return "An unexpected error occurred.";
        case TextId::UnexpectedWithReason:
            return "An unexpected error occurred: ";
        case TextId::ValueHoldsLineBreak:
            return ": the value holds a line break";
        case TextId::AppDataMissing:
            return "APPDATA is not set";
        case TextId::Stopped:
            return "The conversion was stopped.";
        case TextId::NotStarted:
            return "The converter could not be started.";
        case TextId::ExitedWith:
            return "The converter exited with code %s.";
        case TextId::EndedBySignal:
            return "The converter was ended by signal %s.";
        case TextId::EndUnknown:
            return "How the converter ended is not known.";
        case TextId::NameRefusedByBatch:
            return ": a name holding % or \" cannot be given to a batch file";
    }
    return "";
}

}  // namespace

void SetLanguage(Language language) {
    g_language = language;
}

Language CurrentLanguage() {
    return g_language;
}

Language LanguageOfTag(std::string_view tag) {
    // "ja", "ja-JP", "ja_JP.UTF-8": Japanese; any other language, or none, English.
    const bool japanese = tag.size() >= 2 && (tag[0] == 'j' || tag[0] == 'J') &&
                          (tag[1] == 'a' || tag[1] == 'A') &&
                          (tag.size() == 2 || tag[2] == '-' || tag[2] == '_' || tag[2] == '.');
    return japanese ? Language::Japanese : Language::English;
}

std::string_view Text(TextId id, Language language) {
    return language == Language::Japanese ? JapaneseText(id) : EnglishText(id);
}

std::string_view Text(TextId id) {
    return Text(id, g_language);
}

}  // namespace varlo
