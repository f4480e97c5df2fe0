// The window texts of the program, in UTF-8.
#pragma once

namespace varlo::texts {

inline constexpr char kMainCaption[] = "varloGui";
inline constexpr char kConvert[] = "変換";
// The Convert button while conversions run.
inline constexpr char kStop[] = "中止";
inline constexpr char kExit[] = "終了";
inline constexpr char kInputLabel[] = "入力";
inline constexpr char kOutputLabel[] = "出力";
inline constexpr char kExecLabel[] = "実行";
inline constexpr char kBrowse[] = "参照";
inline constexpr char kAuto[] = "自動変換";

inline constexpr char kInputTip[] =
    "変換対象のファイル名を指定する(複数のファイルをドロップできます)";
inline constexpr char kOutputTip[] = "出力先のファイル名を指定する";
inline constexpr char kExecTip[] = "変換を行うプログラムのファイル名を指定する";
inline constexpr char kAutoTip[] = "ファイルをドロップした際に自動で変換を行う";
inline constexpr char kConvertTip[] = "プログラムを実行する";
inline constexpr char kExitTip[] = "終了する";
inline constexpr char kLogTip[] = "変換結果を出力する";

inline constexpr char kAboutMenu[] = "varloGui のﾊﾞｰｼﾞｮﾝ情報(&A)...";
inline constexpr char kJobsMenu[] = "同時変換数";
inline constexpr char kAboutCaption[] = "varloGuiのﾊﾞｰｼﾞｮﾝ情報";
inline constexpr char kAboutVersion[] = "varloGui Version 1.4";
inline constexpr char kAboutSecondLine[] = "WAV を AAC に変換するフロントエンド";
inline constexpr char kOk[] = "OK";

// The dialog font and the Japanese fonts that stand in for it where it is missing.
inline constexpr const char* kFontFamilies[] = {
    "MS PGothic", "ＭＳ Ｐゴシック", "IPAPGothic", "IPAexGothic", "VL PGothic", "Noto Sans CJK JP"};
inline constexpr int kFontPointSize = 9;

}  // namespace varlo::texts
