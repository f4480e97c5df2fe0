#include "ui/qt/convert_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSessionManager>
#include <QTest>
#include <QTimer>

#include "drop.h"
#include "engine/core/capture_lines.h"
#include "engine/core/path_parts.h"
#include "engine/platform/file_names.h"
#include "fake_runner.h"
#include "language.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "temp_folder.h"
#include "ui/main_window.h"
#include "ui/qt/about_dialog.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/text_boundary.h"

namespace varlo {
namespace {

using namespace std::string_literals;
using Strings = std::vector<std::string>;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Answers the file dialogs with prepared paths.
class CFakeChooser : public IFileChooser {
public:
    std::optional<std::string> Choose(FileDialogKind kind, const std::string& startFolder,
                                      QWidget* parent) override {
        asked.push_back(kind);
        folders.push_back(startFolder);
        if (modal) {  // as a real file dialog: the answer only when it is accepted
            QDialog box(parent);
            return box.exec() == QDialog::Accepted ? answer : std::nullopt;
        }
        return answer;
    }
    bool modal = false;
    std::optional<std::string> answer;
    std::vector<FileDialogKind> asked;
    std::vector<std::string> folders;
};

// Calls `answer` with the modal window or menu that is up at the next turn of the event loop:
// the first turn of the loop that the window opened next runs for itself.
void WhenModalShows(std::function<void(QWidget*)> answer) {
    QTimer::singleShot(0, [answer] {
        QWidget* up = QApplication::activePopupWidget();
        if (up == nullptr) {
            up = QApplication::activeModalWidget();
        }
        if (up != nullptr) {
            answer(up);
        } else {
            ADD_FAILURE() << "no modal window is up";
        }
    });
}

class ConvertDialogTest : public ::testing::Test {
protected:
    // The dialog as the program starts it, with arguments and auto-convert as given.
    CConvertDialog& Open(Strings arguments = {}, int autoExec = 0) {
        WriteAutoExec(m_store, "varloGui", autoExec);
        arguments.insert(arguments.begin(), "/usr/bin/varloGui");
        m_dialog = std::make_unique<CConvertDialog>(m_store, m_chooser, &m_runner);
        m_dialog->SetArguments(arguments);
        m_dialog->SetQuestionBox(
            [this](QWidget* owner, const QString& caption, const QString& text) {
                EXPECT_EQ(m_dialog.get(), owner);
                m_questions.push_back(caption + ": " + text);
                return m_answerYes;
            });
        m_dialog->show();
        QCoreApplication::processEvents();  // the command line loads once the window shows
        return *m_dialog;
    }

    // Conversions end as they start, unless a test takes over with m_runner.answer = nullptr.
    ConvertDialogTest() {
        WriteExecFile(m_store, "varloGui", "conv");
        m_runner.answer = [this](const test::CFakeRunner::Started& run, std::string& record) {
            m_runs.push_back(run.converter + "|" + run.input + "|" + run.output);
            if (run.input == m_unreadable) {
                return CStatus::Error(CStatus::Code::ReadFailed,
                                      m_folder.Path() + "/varloGuiErr0.tmp", 5);
            }
            record = "rec " + run.input + "\r\n";
            return CStatus();
        };
    }

    template <typename T = QWidget>
    T* Control(int id) {
        return qobject_cast<T*>(m_dialog->Control(id));
    }

    std::string Text(int id) { return ToBytes(Control<QLineEdit>(id)->text()); }

    bool Drop(const QByteArray& uriList, QPoint at) {
        return test::DropUriList(*m_dialog, uriList, at);
    }

    QPoint Over(int id) { return Control(id)->geometry().center(); }

    test::CTempFolder m_folder;
    CProfileStore m_store{m_folder.Path() + "/cfg/profile.ini"};
    CFakeChooser m_chooser;
    Strings m_runs;
    std::string m_unreadable = "\x01none";
    test::CFakeRunner m_runner;
    std::unique_ptr<CConvertDialog> m_dialog;
    QStringList m_questions;
    bool m_answerYes = true;
};

TEST_F(ConvertDialogTest, ControlsStandWhereTheTableOfTheWindowPutsThem) {
    Open();
    const CDialogUnits units(m_dialog->font());
    EXPECT_GT(units.BaseX(), 2);
    EXPECT_GT(units.BaseY(), 8);
    EXPECT_EQ(units.ToPixels(kMainWidth, kMainHeight), m_dialog->size());
    EXPECT_EQ(m_dialog->size(), m_dialog->minimumSize()) << "it may grow, never shrink below";

    const QList<QLabel*> labels = m_dialog->findChildren<QLabel*>();
    int labelIndex = 0;
    QWidget* tabbed = Control(IDOK);
    QWidget* named = nullptr;  // the field the last label names
    for (const ControlEntry& entry : kMainControls) {
        SCOPED_TRACE(entry.id);
        const QRect box = units.ToPixels(entry.x, entry.y, entry.width, entry.height);
        if (entry.id == kNoControlId) {
            ASSERT_LT(labelIndex, labels.size());
            QLabel* label = labels[labelIndex++];
            EXPECT_EQ(box, label->geometry());
            EXPECT_EQ(ToQString(entry.text), label->text());
            named = label->buddy();
            EXPECT_EQ(label->text(), named->accessibleName()) << "named for a screen reader";
            continue;
        }
        QWidget* control = Control(entry.id);
        ASSERT_NE(nullptr, control);
        EXPECT_EQ(box, control->geometry());
        EXPECT_EQ(ToQString(entry.tip), control->toolTip());
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            EXPECT_EQ(ToQString(entry.text), button->text());
        }
        if (entry.kind == ControlKind::ProgressBar) {
            continue;  // no tab stop
        }
        EXPECT_EQ(control, tabbed) << "tab order follows the table";
        tabbed = tabbed->nextInFocusChain();
        while (tabbed != nullptr && !(tabbed->focusPolicy() & Qt::TabFocus)) {
            tabbed = tabbed->nextInFocusChain();
        }
    }
    EXPECT_EQ(labels.size(), labelIndex);
    EXPECT_EQ(U("変換"), Control<QPushButton>(IDOK)->text());
    EXPECT_TRUE(Control<QPushButton>(IDOK)->isDefault());
    EXPECT_EQ(Control(IDOK), m_dialog->focusWidget()) << "the first tab stop has the focus";
    EXPECT_EQ(U("varloGui"), m_dialog->windowTitle());
    EXPECT_EQ(U("変換結果を出力する"), Control(IDC_LOG)->accessibleName());
    QStringList browseNames;
    for (int id : {IDC_BROWSE_INPUT, IDC_BROWSE_OUTPUT, IDC_BROWSE_EXEC}) {
        browseNames += Control(id)->accessibleName();
    }
    browseNames.removeDuplicates();
    EXPECT_EQ(3, browseNames.size()) << "a screen reader tells the three 参照 buttons apart";
    EXPECT_FALSE(browseNames.contains(U("参照")));
}

TEST_F(ConvertDialogTest, SpeaksEachLanguageAndItsLabelsFit) {
    const test::CRestoreLanguage restore;
    const struct {
        Language language;
        const char *convert, *input, *tip;
    } languages[] = {
        {Language::Japanese, "変換", "入力", "変換結果を出力する"},
        {Language::English, "Convert", "Input", "What the converter printed"},
    };
    for (const auto& l : languages) {
        SetLanguage(l.language);
        Open();
        EXPECT_EQ(U(l.convert), Control<QPushButton>(IDOK)->text());
        EXPECT_EQ(U(l.input), m_dialog->findChildren<QLabel*>().front()->text());
        EXPECT_EQ(U(l.tip), Control(IDC_LOG)->toolTip());
        for (QWidget* control : m_dialog->findChildren<QWidget*>()) {
            // A push button's hint has a floor of its own; its words are what must fit.
            const int needed = qobject_cast<QPushButton*>(control)
                                   ? control->fontMetrics().horizontalAdvance(
                                         qobject_cast<QPushButton*>(control)->text()) +
                                         4
                                   : control->sizeHint().width();
            if (qobject_cast<QLabel*>(control) || qobject_cast<QAbstractButton*>(control)) {
                EXPECT_LE(needed, control->width())
                    << control->property("text").toString().toStdString() << " fits";
            }
        }
    }
}

TEST_F(ConvertDialogTest, CaptionIsTheProgramsNameAndTheQueueLoadsAtStart) {
    WriteAutoExec(m_store, "myConv", 0);
    m_dialog = std::make_unique<CConvertDialog>(m_store, m_chooser, &m_runner);
    m_dialog->SetArguments({"/opt/myConv", "/w/a.wav", "/w/b.wav"});
    m_dialog->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(U("myConv"), m_dialog->windowTitle());
    EXPECT_EQ("/w/a.wav", Text(IDC_INPUT));
    EXPECT_EQ("/w/a.aac", Text(IDC_OUTPUT));
    EXPECT_EQ("varlo.exe", Text(IDC_EXEC)) << "myConv has a section of its own";
    EXPECT_TRUE(m_runs.empty());
}

TEST_F(ConvertDialogTest, EveryByteValueSurvivesAField) {
    Open();
    for (int b = 0; b < 256; ++b) {
        const std::string text = std::string("a") + static_cast<char>(b) + "z\xff\xe3\x81\x82";
        m_dialog->SetText(ConvertField::Input, text);
        ASSERT_EQ(text, m_dialog->GetText(ConvertField::Input)) << "byte " << b;
    }
    const std::string hostile = "/m/bad\xff\xfeutf8\xed\xa0\x80\xc0\xaf.wav";
    m_dialog->SetText(ConvertField::Converter, hostile);
    EXPECT_EQ(hostile, m_dialog->GetText(ConvertField::Converter));
}

TEST_F(ConvertDialogTest, EnterInAnyFieldConverts) {
    Open({"/w/a.wav"});
    for (int id : {IDC_INPUT, IDC_OUTPUT, IDC_EXEC, IDC_LOG, IDC_AUTO}) {
        SCOPED_TRACE(id);
        const std::size_t before = m_runs.size();
        Control(id)->setFocus();
        QTest::keyClick(Control(id), Qt::Key_Return);
        EXPECT_EQ(before + 1, m_runs.size());
    }
    EXPECT_EQ("conv|/w/a.wav|/w/a.aac", m_runs.front());
}

TEST_F(ConvertDialogTest, EveryWayOutSavesTheSettingsOnce) {
    const std::function<void(CConvertDialog&)> waysOut[] = {
        [this](CConvertDialog&) { Control<QPushButton>(IDCANCEL)->click(); },
        [](CConvertDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](CConvertDialog& d) { d.close(); },
        [](CConvertDialog& d) { d.reject(); },
    };
    for (const auto& wayOut : waysOut) {
        CConvertDialog& dialog = Open();
        Control<QCheckBox>(IDC_AUTO)->setChecked(true);
        dialog.SetText(ConvertField::Converter, "typed -x");
        wayOut(dialog);
        EXPECT_FALSE(dialog.isVisible());
        const Settings saved = ReadSettings(m_store, "varloGui");
        EXPECT_EQ("typed -x", saved.execFile);
        EXPECT_EQ(1, saved.autoExec);

        // Once: closing again or destroying the window writes nothing more.
        test::WriteFile(m_store.Path(), "[varloGui]\nExecFile=conv\n");
        dialog.reject();
        m_dialog.reset();
        EXPECT_EQ("[varloGui]\nExecFile=conv\n", test::ReadFile(m_store.Path()));
    }
    // A window destroyed without being closed (its owner went away) saves too.
    Open();
    Control<QCheckBox>(IDC_AUTO)->setChecked(true);
    m_dialog.reset();
    EXPECT_EQ(1, ReadSettings(m_store, "varloGui").autoExec);
}

TEST_F(ConvertDialogTest, DropsOverAnyControlQueueEveryLocalFileWhole) {
    Open({}, /*autoExec=*/1);
    // A path longer than most tools expect: three folders of 100 bytes.
    const std::string deep =
        std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(100, 'c');
    const QByteArray list =
        "file:///w/with%20blank.wav\r\n"
        "# a comment\r\n"
        "file:///w/%E6%97%A5%E6%9C%AC.wav\r\n"
        "https://example.com/x.wav\r\n"
        "file://localhost/w/bad%FF%FE.wav\r\n"
        "file:///w/" +
        QByteArray::fromStdString(deep) + "/x.wav\r\n";
    EXPECT_TRUE(Drop(list, Over(IDC_INPUT)));
    EXPECT_EQ((Strings{"conv|/w/with blank.wav|/w/with blank.aac", "conv|/w/日本.wav|/w/日本.aac",
                       "conv|/w/bad\xff\xfe.wav|/w/bad\xff\xfe.aac",
                       "conv|/w/" + deep + "/x.wav|/w/" + deep + "/x.aac"}),
              m_runs);
    EXPECT_EQ("", Text(IDC_INPUT)) << "a drop is never pasted into the field";

    // Over the log, and many at once.
    QByteArray many;
    for (int i = 0; i < 500; ++i) {
        many += "file:///m/" + QByteArray::number(i) + ".wav\n";
    }
    m_runs.clear();
    EXPECT_TRUE(Drop(many, Over(IDC_LOG)));
    ASSERT_EQ(500u, m_runs.size());
    EXPECT_EQ("conv|/m/499.wav|/m/499.aac", m_runs.back());
}

TEST_F(ConvertDialogTest, DropWithoutALocalFileDoesNothing) {
    Open({"/w/a.wav"});
    m_dialog->SetText(ConvertField::Log, "kept");
    EXPECT_FALSE(Drop("https://example.com/x.wav\r\nfile://otherhost/x.wav\r\n", Over(IDOK)));
    EXPECT_EQ("/w/a.wav", Text(IDC_INPUT));
    EXPECT_EQ("kept", m_dialog->GetText(ConvertField::Log));
}

TEST_F(ConvertDialogTest, BrowseButtonsHandTheChosenPathToTheController) {
    Open({"/w/a.wav"});
    m_chooser.answer = "/x/in.wav";
    Control<QPushButton>(IDC_BROWSE_INPUT)->click();
    EXPECT_EQ("/x/in.wav", Text(IDC_INPUT));
    EXPECT_EQ("/x/in.aac", Text(IDC_OUTPUT));

    m_chooser.answer = "/x/out file.aac";
    Control<QPushButton>(IDC_BROWSE_OUTPUT)->click();
    EXPECT_EQ("/x/out file.aac", Text(IDC_OUTPUT));

    m_chooser.answer = "/usr/bin/ffmpeg";
    Control<QPushButton>(IDC_BROWSE_EXEC)->click();
    EXPECT_EQ("/usr/bin/ffmpeg", Text(IDC_EXEC));
    EXPECT_EQ("/usr/bin/ffmpeg", ReadSettings(m_store, "varloGui").execFile) << "saved at once";

    m_chooser.answer.reset();  // cancel
    Control<QPushButton>(IDC_BROWSE_INPUT)->click();
    EXPECT_EQ("/x/in.wav", Text(IDC_INPUT));
    EXPECT_EQ((std::vector<FileDialogKind>{FileDialogKind::Input, FileDialogKind::Output,
                                           FileDialogKind::Converter, FileDialogKind::Input}),
              m_chooser.asked);
    // Each opens where its own field points; the converter field held "conv", no folder.
    EXPECT_EQ((Strings{"/w/", "/x/", "", "/x/"}), m_chooser.folders);
    EXPECT_TRUE(m_runs.empty());
}

TEST_F(ConvertDialogTest, FileDialogsForEmptyFieldsOpenInTheInputsFolder) {
    Open({"/w/a.wav"});
    m_dialog->SetText(ConvertField::Output, "");
    m_dialog->SetText(ConvertField::Converter, "");
    Control<QPushButton>(IDC_BROWSE_OUTPUT)->click();
    Control<QPushButton>(IDC_BROWSE_EXEC)->click();
    EXPECT_EQ((Strings{"/w/", "/w/"}), m_chooser.folders);
}

TEST_F(ConvertDialogTest, AQuitClosesMenusAndFileDialogsFirstDroppingTheirChoice) {
    const std::function<void()> opens[] = {
        [this] { Control<QPushButton>(IDC_BROWSE_EXEC)->click(); },
        [this] {
            QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5),
                                      m_dialog->mapToGlobal(QPoint(5, 5)));
            QCoreApplication::sendEvent(m_dialog.get(), &menuKey);
        },
    };
    for (const auto& open : opens) {
        Open({"/w/a.wav"}, /*autoExec=*/1);
        m_chooser.modal = true;
        m_chooser.answer = "/orphaned/choice";
        WriteAutoExec(m_store, "varloGui", 0);  // the close writes the box's 1 back
        WhenModalShows([this](QWidget*) { m_dialog->Quit(); });
        open();  // returns once the quit has closed what it opened
        QCoreApplication::processEvents();
        EXPECT_FALSE(m_dialog->isVisible());
        EXPECT_EQ("conv", ReadSettings(m_store, "varloGui").execFile) << "the choice is dropped";
        EXPECT_EQ(1, ReadSettings(m_store, "varloGui").autoExec) << "saved as at any close";
    }
}

TEST_F(ConvertDialogTest, TheSessionsEndEndsConversionsAndSavesBeforeItReturns) {
    Open({}, /*autoExec=*/1);
    m_runner.answer = nullptr;
    Drop("file:///w/a.wav\n", Over(IDOK));
    WriteAutoExec(m_store, "varloGui", 0);
    QSessionManager* session = qApp->findChild<QSessionManager*>();  // as at logout
    ASSERT_NE(nullptr, session);
    emit qApp->commitDataRequest(*session);
    EXPECT_EQ(1, ReadSettings(m_store, "varloGui").autoExec);
    EXPECT_FALSE(m_dialog->Controller().Busy());
    EXPECT_FALSE(m_dialog->isVisible());
}

TEST_F(ConvertDialogTest, AboutEntryOpensTheAboutBoxAndTouchesNothing) {
    Open({"/w/a.wav", "/w/b.wav"});
    m_dialog->SetText(ConvertField::Log, "log");
    QString caption, version;
    WhenModalShows([&](QWidget* menu) {
        auto* popup = qobject_cast<QMenu*>(menu);
        ASSERT_NE(nullptr, popup);
        ASSERT_EQ(2, popup->actions().size());
        EXPECT_EQ(U("varloGui のﾊﾞｰｼﾞｮﾝ情報(&A)..."), popup->actions().front()->text());
        WhenModalShows([&](QWidget* about) {
            caption = about->windowTitle();
            version = about->findChild<QLabel*>(QStringLiteral("version"))->text();
            QTest::keyClick(about, Qt::Key_Return);
        });
        popup->actions().front()->trigger();
        popup->close();
    });
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5),
                              m_dialog->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(m_dialog.get(), &menuKey);
    EXPECT_EQ(U("varloGuiのﾊﾞｰｼﾞｮﾝ情報"), caption);
    EXPECT_EQ(U("varloGui Version 1.4"), version);
    EXPECT_EQ("/w/a.wav", Text(IDC_INPUT));
    EXPECT_EQ("log", m_dialog->GetText(ConvertField::Log));
    EXPECT_TRUE(m_runs.empty());
}

TEST(AboutDialog, FollowsItsTemplate) {
    CAboutDialog about;
    const CDialogUnits units(about.font());
    EXPECT_EQ(units.ToPixels(235, 55), about.size());
    auto* ok = about.findChild<QPushButton*>(QStringLiteral("IDOK"));
    ASSERT_NE(nullptr, ok);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(units.ToPixels(178, 7, 50, 14), ok->geometry());
    EXPECT_EQ(QSize(32, 32), about.findChild<QLabel*>(QStringLiteral("icon"))->pixmap().size());
    EXPECT_FALSE(about.findChild<QLabel*>(QStringLiteral("secondLine"))->text().isEmpty());
}

TEST_F(ConvertDialogTest, ReadErrorShowsTheMessageAndStopsTheChain) {
    Open({}, /*autoExec=*/1);
    m_unreadable = "/w/b.wav";
    QString title, text;
    m_dialog->SetMessageBox([&](QWidget* owner, const QString& caption, const QString& message) {
        EXPECT_EQ(m_dialog.get(), owner);
        title = caption;
        text = message;
    });
    Drop("file:///w/a.wav\nfile:///w/b.wav\nfile:///w/c.wav\n", Over(IDOK));
    EXPECT_EQ(U("varloGui"), title);
    EXPECT_EQ(QString::fromStdString(m_folder.Path()) +
                  U("/varloGuiErr0.tmp へのｱｸｾｽ中に不明なｴﾗｰが発生しました。"),
              text);
    EXPECT_EQ("rec /w/a.wav\r\n", m_dialog->GetText(ConvertField::Log));
    EXPECT_EQ("/w/b.wav", Text(IDC_INPUT));
}

TEST_F(ConvertDialogTest, LogShowsItsEndAfterEveryRecord) {
    Open({}, /*autoExec=*/1);
    const std::string wide(400, 'w');
    m_dialog->AppendLog("first\r\n");
    for (int i = 0; i < 200; ++i) {
        m_dialog->AppendLog("record " + std::to_string(i) + "\r\n" + wide + "\r\n");
    }
    auto* log = Control<QPlainTextEdit>(IDC_LOG);
    EXPECT_EQ(log->document()->characterCount() - 1, log->textCursor().position());
    EXPECT_FALSE(log->textCursor().hasSelection());
    EXPECT_EQ(log->verticalScrollBar()->maximum(), log->verticalScrollBar()->value());
    EXPECT_GT(log->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(0, log->horizontalScrollBar()->value()) << "the caret starts a line";
    EXPECT_EQ(QTextOption::NoWrap, log->document()->defaultTextOption().wrapMode());
    EXPECT_TRUE(log->isReadOnly());

    // The text is the old text plus each record, CR LF kept.
    m_dialog->SetText(ConvertField::Log, "");
    m_dialog->AppendLog("a -> b\r\n");
    m_dialog->AppendLog("c -> d\r\nline\r\n\r\n");
    EXPECT_EQ("a -> b\r\nc -> d\r\nline\r\n\r\n", m_dialog->GetText(ConvertField::Log));
}

TEST_F(ConvertDialogTest, ALongRecordGoesInBySlicesWhileTheWindowAnswers) {
    Open({}, /*autoExec=*/1);
    std::string big = "big.wav -> big.aac\r\n";  // as long as a record gets
    while (big.size() < kKeepWhole) {
        big += std::string(98, 'x') + "\r\n";
    }
    m_runner.answer = [&](const test::CFakeRunner::Started& run, std::string& record) {
        record = run.input == "/w/big.wav" ? big : "rec " + run.input + "\r\n";
        return CStatus();
    };
    int turns = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++turns; });
    ticker.start(0);
    Drop("file:///w/big.wav\nfile:///w/small.wav\n", Over(IDOK));
    EXPECT_LT(Control<QPlainTextEdit>(IDC_LOG)->document()->characterCount(),
              static_cast<int>(big.size()))
        << "the window goes back to its events before the record is in";
    QDeadlineTimer limit(std::chrono::minutes(2));
    while (m_dialog->Controller().Busy() && !limit.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_GE(turns, 3);
    EXPECT_EQ(big + "rec /w/small.wav\r\n", m_dialog->GetText(ConvertField::Log))
        << "whole, and the next record after it";
}

TEST_F(ConvertDialogTest, LogKeepsBytesThatAreNotText) {
    Open();
    const std::string record =
        "x.wav -> x.aac\r\nbad \xff\xfe\xc0\xaf end\r\nnul \0 tab\t\x1b[0m\r\n"s;
    m_dialog->AppendLog(record);
    m_dialog->AppendLog(record);
    EXPECT_EQ(record + record, m_dialog->GetText(ConvertField::Log));
}

TEST_F(ConvertDialogTest, TheWindowShowsBeforeTheCommandLineConverts) {
    m_runner.answer = nullptr;
    WriteAutoExec(m_store, "varloGui", 1);
    m_dialog = std::make_unique<CConvertDialog>(m_store, m_chooser, &m_runner);
    m_dialog->SetArguments({"varloGui", "/w/a.wav", "/w/b.wav"});
    m_dialog->show();
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_TRUE(m_runner.started.empty()) << "nothing converts before the window is up";
    QCoreApplication::processEvents();
    ASSERT_EQ(1u, m_runner.started.size());
    EXPECT_EQ(U("varloGui - 0/2"), m_dialog->windowTitle());
}

TEST_F(ConvertDialogTest, DuringAChainTheWindowAnswersAndTheButtonStops) {
    Open({}, /*autoExec=*/1);
    m_runner.answer = nullptr;
    m_dialog->SetText(ConvertField::Log, "old");
    Drop("file:///w/a.wav\nfile:///w/b.wav\n", Over(IDOK));
    ASSERT_EQ(1u, m_runner.started.size());
    auto* button = Control<QPushButton>(IDOK);
    EXPECT_EQ(U("中止"), button->text());
    EXPECT_EQ(U("中止"), button->accessibleName());
    EXPECT_TRUE(Control<QLineEdit>(IDC_INPUT)->isReadOnly());
    EXPECT_FALSE(Control(IDC_BROWSE_EXEC)->isEnabled());
    EXPECT_EQ(U("varloGui - 0/2"), m_dialog->windowTitle());
    auto* bar = Control<QProgressBar>(IDC_PROGRESS);
    EXPECT_TRUE(bar->isVisibleTo(m_dialog.get())) << "shown while they run";
    EXPECT_EQ(U("0/2"), bar->toolTip());

    // A drop joins the queue behind the running file and leaves the log alone.
    Drop("file:///w/late.wav\n", Over(IDC_LOG));
    EXPECT_EQ(U("varloGui - 0/3"), m_dialog->windowTitle());
    m_runner.End(0, {}, "rec a\r\n");
    ASSERT_EQ(2u, m_runner.started.size());
    EXPECT_EQ("/w/b.wav", m_runner.started[1].input);
    EXPECT_EQ("rec a\r\n", m_dialog->GetText(ConvertField::Log))
        << "cleared once, by the first drop";

    // 中止 stops the running file and drops the rest of the queue.
    button->click();
    EXPECT_TRUE(m_runner.started[1].stopped);
    m_runner.End(1, {}, "rec b stopped\r\n");
    EXPECT_EQ(2u, m_runner.started.size()) << "late.wav went with the stop";
    EXPECT_EQ("rec a\r\nrec b stopped\r\n", m_dialog->GetText(ConvertField::Log));
    EXPECT_EQ("", Text(IDC_INPUT));
    EXPECT_EQ(U("変換"), button->text());
    EXPECT_FALSE(Control<QLineEdit>(IDC_INPUT)->isReadOnly());
    EXPECT_TRUE(Control(IDC_BROWSE_EXEC)->isEnabled());
    EXPECT_EQ(U("varloGui"), m_dialog->windowTitle());
    EXPECT_FALSE(bar->isVisibleTo(m_dialog.get())) << "the idle window is as ever";
}

TEST_F(ConvertDialogTest, ClosingDuringAChainStopsItThenSavesAndCloses) {
    Open({}, /*autoExec=*/1);
    m_runner.answer = nullptr;
    Drop("file:///w/a.wav\nfile:///w/b.wav\n", Over(IDOK));
    m_answerYes = false;
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(QStringList{U("varloGui: 変換中です。中止して終了しますか?")}, m_questions);
    EXPECT_FALSE(m_runner.started[0].stopped) << "answered No: the conversions go on";
    m_answerYes = true;
    m_dialog->reject();
    EXPECT_EQ(2, m_questions.size());
    EXPECT_TRUE(m_dialog->isVisible()) << "the converter is asked to stop first";
    EXPECT_TRUE(m_runner.started[0].stopped);
    m_runner.End(0, {}, "stopped\r\n");
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(1, ReadSettings(m_store, "varloGui").autoExec);
    EXPECT_EQ(1u, m_runner.started.size());
}

TEST_F(ConvertDialogTest, TheLogTakesTheRoomOfALargerWindow) {
    Open();
    const QSize least = m_dialog->size();
    const QRect log = Control(IDC_LOG)->geometry();
    const QRect exit = Control(IDCANCEL)->geometry();
    m_dialog->resize(least + QSize(300, 200));
    QCoreApplication::processEvents();
    EXPECT_EQ(log.size() + QSize(300, 200), Control(IDC_LOG)->geometry().size());
    EXPECT_EQ(exit.topLeft() + QPoint(300, 0), Control(IDCANCEL)->geometry().topLeft());
    EXPECT_EQ(least, m_dialog->minimumSize());
}

TEST_F(ConvertDialogTest, EachSaveThatFailsIsToldWithItsReason) {
    Open();
    std::vector<QString> boxes;
    m_dialog->SetMessageBox(
        [&boxes](QWidget*, const QString&, const QString& text) { boxes.push_back(text); });
    // A file where the profile's folder should be refuses every write, to root too.
    std::filesystem::remove_all(m_folder.Path() + "/cfg");
    test::WriteFile(m_folder.Path() + "/cfg", "");
    m_chooser.answer = "/opt/conv";
    Control<QPushButton>(IDC_BROWSE_EXEC)->click();  // saved at once
    ASSERT_EQ(1u, boxes.size());
    EXPECT_TRUE(boxes[0].startsWith(ToQString(TextId::SaveFailed)));
    EXPECT_TRUE(boxes[0].contains(ToQString(m_store.Path()))) << boxes[0].toStdString();
    m_dialog->reject();  // the settings and the window's place: one save, one box
    EXPECT_EQ(2u, boxes.size());
}

TEST_F(ConvertDialogTest, TheWindowComesBackAtItsSizeAndPlace) {
    Open();
    const QSize size = m_dialog->size() + QSize(120, 90);
    m_dialog->resize(size);
    m_dialog->move(30, 40);
    m_dialog->reject();
    Open();
    EXPECT_EQ(size, m_dialog->size());
    EXPECT_EQ(QPoint(30, 40), m_dialog->pos());
    m_dialog.reset();

    // A place on no screen now (one since unplugged) is not used; the size still is.
    m_store.WriteValue("varloGui", "WindowLeft", "-30000");
    Open();
    EXPECT_EQ(size, m_dialog->size());
    EXPECT_NE(-30000, m_dialog->pos().x());
}

TEST(WindowPlace, AStoredPlaceIsUsedOnlyWhereItsTitleBarCanBeGrabbed) {
    const std::vector<ControlBox> screens = {{0, 0, 1920, 1040}, {-1280, 0, 1280, 1024}};
    EXPECT_TRUE(CanBeGrabbed({-1000, 500, 600, 400}, screens)) << "on the second screen";
    EXPECT_FALSE(CanBeGrabbed({1890, 100, 600, 400}, screens)) << "30 pixels: too few to hold";
    EXPECT_TRUE(CanBeGrabbed({1860, 100, 600, 400}, screens)) << "60 are enough";
    EXPECT_FALSE(CanBeGrabbed({100, -20, 600, 400}, screens)) << "title bar above the screens";
}

TEST(ConvertDialogJobs, TwoConvertersAtOnceStillLogInQueueOrder) {
    test::CTempFolder folder;
    CProfileStore store(folder.Path() + "/cfg/profile.ini");
    WriteExecFile(store, "varloGui", FAKE_CONVERTER_PATH);
    WriteAutoExec(store, "varloGui", 1);
    ::setenv("FAKE_BY_INPUT", "1", 1);
    CFakeChooser chooser;
    CConvertDialog dialog(store, chooser);
    dialog.SetArguments({"varloGui"});
    dialog.show();

    // The choice is made in the context menu, and saved at once.
    WhenModalShows([](QWidget* menu) {
        auto* jobs = menu->findChild<QMenu*>(QStringLiteral("jobs"));
        ASSERT_NE(nullptr, jobs);
        ASSERT_GE(jobs->actions().size(), 2);
        EXPECT_TRUE(jobs->actions()[0]->isChecked());
        jobs->actions()[1]->trigger();
        menu->close();
    });
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5),
                              dialog.mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(&dialog, &menuKey);
    EXPECT_EQ(2, ReadSettings(store, "varloGui").jobs);

    // The first takes longest: the second ends first, and its record waits.
    const std::string base = "file://" + folder.Path() + "/";
    test::DropUriList(dialog,
                      QByteArray::fromStdString(base + "sleep-700-a.wav\n" + base +
                                                "sleep-50-b.wav\n" + base + "sleep-50-c.wav\n"),
                      dialog.rect().center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return PathExists("sleep-50-c.aac"); }, 5000));
    EXPECT_EQ("", dialog.GetText(ConvertField::Log))
        << "c.wav started while a.wav still ran, so no record could show yet";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.Controller().Busy(); }, 10000));
    ::unsetenv("FAKE_BY_INPUT");
    EXPECT_EQ(
        "sleep-700-a.wav -> sleep-700-a.aac\r\nslept\r\n"
        "sleep-50-b.wav -> sleep-50-b.aac\r\nslept\r\n"
        "sleep-50-c.wav -> sleep-50-c.aac\r\nslept\r\n",
        dialog.GetText(ConvertField::Log));
}

}  // namespace
}  // namespace varlo
