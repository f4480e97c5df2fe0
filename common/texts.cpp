#include "texts.h"

namespace varlo {

std::string_view Text(TextId id) {
    switch (id) {
        case TextId::None:
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

}  // namespace varlo
