#include "ui/qt/file_chooser.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

#include "temp_folder.h"
#include "ui/qt/qt_translations.h"
#include "ui/qt/text_boundary.h"

namespace varlo {
namespace {

// The folder the real dialog shows when it opens; it is then cancelled.
QString FolderShown(FileDialogKind kind, const std::string& startFolder) {
    QString shown;
    QTimer poll;
    int tries = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QFileDialog*>(window); dialog && dialog->isVisible()) {
                shown = dialog->directory().absolutePath();
                dialog->reject();
                return;
            }
        }
        if (++tries > 300) {
            ADD_FAILURE() << "no file dialog showed";
            poll.stop();
        }
    });
    poll.start(10);
    CFileDialogChooser chooser;
    EXPECT_EQ(std::nullopt, chooser.Choose(kind, startFolder, nullptr));
    return shown;
}

TEST(FileChooser, FiltersReadAsWrittenAndMatchPosixNames) {
    const struct {
        FileDialogKind kind;
        QStringList shown;
    } cases[] = {
        {FileDialogKind::Input, {"WAV ファイル (*.wav)", "すべてのファイル"}},
        {FileDialogKind::Output, {"AAC ファイル (*.aac)", "すべてのファイル"}},
        {FileDialogKind::Converter, {"プログラム", "すべてのファイル"}},
    };
    for (const auto& c : cases) {
        const QStringList filters = NameFilters(c.kind);
        ASSERT_EQ(c.shown.size(), filters.size());
        for (qsizetype i = 0; i < filters.size(); ++i) {
            // The dialog shows the text before the last parenthesised group.
            EXPECT_EQ(c.shown[i],
                      filters[i].left(filters[i].lastIndexOf(QLatin1Char('('))).trimmed());
        }
        EXPECT_TRUE(filters.last().endsWith(QLatin1String("(*)"))) << "names without a dot too";
    }
}

TEST(FileChooser, ProgramFilterShowsExecutablesOnly) {
    test::CTempFolder folder;
    test::WriteFile("ffmpeg", "");
    ASSERT_EQ(0, ::chmod("ffmpeg", 0755));
    test::WriteFile("conv.EXE", "");
    test::WriteFile("notes.txt", "");
    ASSERT_EQ(0, ::mkdir("bin", 0755));
    EXPECT_TRUE(ShownAsProgram(QFileInfo(QStringLiteral("ffmpeg"))));
    EXPECT_FALSE(ShownAsProgram(QFileInfo(QStringLiteral("conv.EXE"))));
    EXPECT_TRUE(ShownAsProgram(QFileInfo(QStringLiteral("bin"))));
    EXPECT_FALSE(ShownAsProgram(QFileInfo(QStringLiteral("notes.txt"))));
}

TEST(FileChooser, DefaultExtensionOnlyCompletesATypedName) {
    test::CTempFolder folder;
    test::WriteFile("ffmpeg", "");
    EXPECT_EQ("ffmpeg", WithDefaultSuffix(FileDialogKind::Converter, "ffmpeg"));
    EXPECT_EQ("conv", WithDefaultSuffix(FileDialogKind::Converter, "conv"));
    EXPECT_EQ("take.wav", WithDefaultSuffix(FileDialogKind::Input, "take"));
    EXPECT_EQ("a.flac", WithDefaultSuffix(FileDialogKind::Input, "a.flac"));
    EXPECT_EQ("out", WithDefaultSuffix(FileDialogKind::Output, "out"))
        << "the save dialog adds it itself, before it asks about overwriting";
}

TEST(FileChooser, DialogOpensInTheStartFolder) {
    test::CTempFolder current;
    test::CTempFolder elsewhere(/*makeCurrent=*/false);
    ASSERT_EQ(0, ::mkdir("sub", 0755));
    const QString here = QDir::currentPath();
    EXPECT_EQ(ToQString(elsewhere.Path()),
              FolderShown(FileDialogKind::Output, elsewhere.Path() + "/"));
    EXPECT_EQ(here + "/sub", FolderShown(FileDialogKind::Input, "sub/"))
        << "relative to the current folder";
    EXPECT_EQ(here, FolderShown(FileDialogKind::Input, ""));
    EXPECT_EQ(here, FolderShown(FileDialogKind::Converter, elsewhere.Path() + "/gone/"))
        << "a folder that does not exist";
}

TEST(FileChooser, QtsOwnTextsSpeakTheWindowsLanguage) {
    QTranslator japanese;
    ASSERT_TRUE(InstallQtTranslation(japanese, Language::Japanese));
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    ASSERT_NE(nullptr, lookIn);
    EXPECT_NE(QStringLiteral("Look in:"), lookIn->text());
    EXPECT_GT(lookIn->text().toUtf8().size(), lookIn->text().size())
        << "Japanese: " << lookIn->text().toStdString();
    QCoreApplication::removeTranslator(&japanese);
}

}  // namespace
}  // namespace varlo
