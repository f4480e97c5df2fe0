#include "convert_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSysInfo>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>

#include "about_dialog.h"
#include "dialog_texts.h"
#include "dialog_units.h"
#include "res/resource.h"
#include "text_boundary.h"
#include "ui/window_layout.h"
#include "uri_list.h"
#include "window_style.h"

namespace varlo {

namespace {

constexpr int kNoId = -1;

// Where each control of the main template stands, in template (and tab) order.
struct ControlPlace {
    int id;
    int x, y, width, height;  // dialog units
};

constexpr ControlPlace kTemplate[] = {
    {IDOK, 5, 70, 50, 14},         {IDCANCEL, 160, 70, 50, 14},
    {kNoId, 10, 10, 15, 8},  // 入力
    {IDC_INPUT, 25, 5, 155, 14},   {IDC_BROWSE_INPUT, 180, 5, 25, 14},
    {kNoId, 10, 30, 15, 8},  // 出力
    {IDC_OUTPUT, 25, 25, 155, 14}, {IDC_BROWSE_OUTPUT, 180, 25, 25, 14},
    {kNoId, 10, 50, 15, 8},  // 実行
    {IDC_EXEC, 25, 45, 155, 14},   {IDC_BROWSE_EXEC, 180, 45, 25, 14},
    {IDC_LOG, 5, 90, 205, 50},     {IDC_AUTO, 60, 75, 43, 10},
};
constexpr int kTemplateWidth = 214;
constexpr int kTemplateHeight = 144;

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

}  // namespace

CConvertDialog::CConvertDialog(CProfileStore& profile, IFileChooser& chooser,
                               IConversionRunner* runner, QWidget* parent)
    : QDialog(parent, kMainWindowFlags),
      m_controller(*this, profile, runner != nullptr ? *runner : m_processRunner),
      m_icon(ApplicationIcon()),
      m_chooser(chooser) {
    setWindowTitle(Text(texts::kMainCaption));
    setWindowIcon(m_icon);
    setFont(DialogFont());
    CreateControls();
    // The template's size is the least; a larger window gives the log the room.
    const QSize least = CDialogUnits(font()).ToPixels(kTemplateWidth, kTemplateHeight);
    setMinimumSize(least);
    setSizeGripEnabled(true);
    resize(least);
}

CConvertDialog::~CConvertDialog() {
    // A dialog destroyed without being closed (its owner went away) still saves its settings.
    if (m_initialized) {
        m_controller.Shutdown();
    }
}

void CConvertDialog::CreateControls() {
    auto* convert = new QPushButton(Text(texts::kConvert), this);
    convert->setDefault(true);
    auto* exit = new QPushButton(Text(texts::kExit), this);
    auto* inputLabel = new QLabel(Text(texts::kInputLabel), this);
    m_inputEdit = new QLineEdit(this);
    auto* browseInput = new QPushButton(Text(texts::kBrowse), this);
    auto* outputLabel = new QLabel(Text(texts::kOutputLabel), this);
    m_outputEdit = new QLineEdit(this);
    auto* browseOutput = new QPushButton(Text(texts::kBrowse), this);
    auto* execLabel = new QLabel(Text(texts::kExecLabel), this);
    m_converterEdit = new QLineEdit(this);
    auto* browseExec = new QPushButton(Text(texts::kBrowse), this);
    m_logEdit = new QPlainTextEdit(this);
    m_autoCheck = new QCheckBox(Text(texts::kAuto), this);

    QWidget* const inOrder[] = {
        convert,     exit,         inputLabel,   m_inputEdit, browseInput,
        outputLabel, m_outputEdit, browseOutput, execLabel,   m_converterEdit,
        browseExec,  m_logEdit,    m_autoCheck};
    m_convertButton = convert;
    m_templateControls.assign(std::begin(inOrder), std::end(inOrder));
    QWidget* previous = nullptr;
    for (std::size_t i = 0; i < std::size(kTemplate); ++i) {
        const ControlPlace& place = kTemplate[i];
        QWidget* control = inOrder[i];
        if (place.id == kNoId) {
            continue;
        }
        m_controls[place.id] = control;
        control->setProperty("controlId", place.id);
        if (previous != nullptr) {
            setTabOrder(previous, control);
        }
        previous = control;
    }
    convert->setObjectName(QStringLiteral("IDOK"));
    exit->setObjectName(QStringLiteral("IDCANCEL"));
    m_inputEdit->setObjectName(QStringLiteral("IDC_INPUT"));
    browseInput->setObjectName(QStringLiteral("IDC_BROWSE_INPUT"));
    m_outputEdit->setObjectName(QStringLiteral("IDC_OUTPUT"));
    browseOutput->setObjectName(QStringLiteral("IDC_BROWSE_OUTPUT"));
    m_converterEdit->setObjectName(QStringLiteral("IDC_EXEC"));
    browseExec->setObjectName(QStringLiteral("IDC_BROWSE_EXEC"));
    m_logEdit->setObjectName(QStringLiteral("IDC_LOG"));
    m_autoCheck->setObjectName(QStringLiteral("IDC_AUTO"));

    // A screen reader names each field by its label, and the log by what it is for.
    inputLabel->setBuddy(m_inputEdit);
    outputLabel->setBuddy(m_outputEdit);
    execLabel->setBuddy(m_converterEdit);
    convert->setAccessibleName(Text(texts::kConvert));
    m_inputEdit->setAccessibleName(Text(texts::kInputLabel));
    m_outputEdit->setAccessibleName(Text(texts::kOutputLabel));
    m_converterEdit->setAccessibleName(Text(texts::kExecLabel));
    m_logEdit->setAccessibleName(Text(texts::kLogTip));

    // The whole window is the drop target: the fields must not take a drop as pasted text.
    for (QWidget* field :
         {static_cast<QWidget*>(m_inputEdit), static_cast<QWidget*>(m_outputEdit),
          static_cast<QWidget*>(m_converterEdit), static_cast<QWidget*>(m_logEdit)}) {
        field->setAcceptDrops(false);
    }
    m_logEdit->viewport()->setAcceptDrops(false);

    m_logEdit->setReadOnly(true);
    m_logEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_logEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_logEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_logEdit->setTabChangesFocus(true);
    m_logEdit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_logEdit->setUndoRedoEnabled(false);  // nothing to undo, and it would keep every record twice

    connect(convert, &QPushButton::clicked, this, [this] { m_controller.ConvertClicked(); });
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(browseInput, &QPushButton::clicked, this, [this] { Browse(FileDialogKind::Input); });
    connect(browseOutput, &QPushButton::clicked, this, [this] { Browse(FileDialogKind::Output); });
    connect(browseExec, &QPushButton::clicked, this, [this] { Browse(FileDialogKind::Converter); });
}

void CConvertDialog::SetArguments(std::vector<std::string> arguments) {
    m_controller.SetArguments(std::move(arguments));
}

QWidget* CConvertDialog::Control(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void CConvertDialog::showEvent(QShowEvent* event) {
    if (!m_initialized) {
        InitDialog();
    }
    QDialog::showEvent(event);
}

void CConvertDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const CDialogUnits units(font());
    const QSize least = units.ToPixels(kTemplateWidth, kTemplateHeight);
    const int grownX = std::max(0, width() - least.width());
    const int grownY = std::max(0, height() - least.height());
    for (std::size_t i = 0; i < m_templateControls.size(); ++i) {
        const ControlPlace& place = kTemplate[i];
        const QRect box = units.ToPixels(place.x, place.y, place.width, place.height);
        const ControlBox grown =
            GrownBox(place.id, {box.x(), box.y(), box.width(), box.height()}, grownX, grownY);
        m_templateControls[i]->setGeometry(grown.x, grown.y, grown.width, grown.height);
    }
}

void CConvertDialog::InitDialog() {
    m_initialized = true;
    m_controller.SetDoubleClickTime(std::chrono::milliseconds(QApplication::doubleClickInterval()));
    m_controller.Start();
    m_inputEdit->setToolTip(Text(texts::kInputTip));
    m_outputEdit->setToolTip(Text(texts::kOutputTip));
    m_converterEdit->setToolTip(Text(texts::kExecTip));
    m_autoCheck->setToolTip(Text(texts::kAutoTip));
    Control(IDOK)->setToolTip(Text(texts::kConvertTip));
    Control(IDCANCEL)->setToolTip(Text(texts::kExitTip));
    m_logEdit->setToolTip(Text(texts::kLogTip));
    Control(IDOK)->setFocus();  // the first tab stop, as in every dialog
    // The window shows first; the command line's files load (and convert) from the event loop.
    QTimer::singleShot(0, this, [this] { m_controller.StartQueue(); });
}

void CConvertDialog::Browse(FileDialogKind kind) {
    if (const std::optional<std::string> path =
            m_chooser.Choose(kind, m_controller.StartFolderFor(kind), this)) {
        m_controller.FileChosen(kind, *path);
    }
}

void CConvertDialog::done(int result) {
    if (!m_initialized || m_closing || m_controller.RequestClose()) {
        m_closing = true;
        QDialog::done(result);
    }
}

void CConvertDialog::Quit() {
    // Topmost first; a window that will not close must not hold the quit up for ever.
    for (int tries = 0; tries < 64; ++tries) {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
        } else if (QWidget* modal = QApplication::activeModalWidget();
                   modal != nullptr && modal != this) {
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            } else {
                modal->close();
            }
        } else {
            break;
        }
    }
    // Once their own event loops have returned.
    QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

void CConvertDialog::EndSession() {
    m_controller.EndSession();
    m_closing = true;
    QDialog::done(QDialog::Rejected);
}

void CConvertDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasFormat(QStringLiteral("text/uri-list"))) {
        event->acceptProposedAction();
    }
}

void CConvertDialog::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasFormat(QStringLiteral("text/uri-list"))) {
        event->acceptProposedAction();
    }
}

void CConvertDialog::dropEvent(QDropEvent* event) {
    // The raw list, decoded here: Qt's own URL decoding would replace bytes that are not UTF-8.
    const QByteArray list = event->mimeData()->data(QStringLiteral("text/uri-list"));
    std::vector<std::string> paths = LocalPathsFromUriList(
        std::string_view(list.constData(), static_cast<std::size_t>(list.size())),
        QSysInfo::machineHostName().toStdString());
    if (paths.empty()) {
        return;
    }
    event->acceptProposedAction();
    m_controller.FilesDropped(paths);
}

void CConvertDialog::contextMenuEvent(QContextMenuEvent* event) {
    // Linux window managers own the window menu, so the about entry lives here.
    QMenu menu(this);
    menu.addAction(Text(texts::kAboutMenu), this, &CConvertDialog::ShowAbout);
    QMenu* jobs = menu.addMenu(Text(texts::kJobsMenu));
    jobs->setObjectName(QStringLiteral("jobs"));
    for (int n = 1; n <= m_controller.MostUsefulJobs(); ++n) {
        QAction* choice =
            jobs->addAction(QString::number(n), this, [this, n] { m_controller.SetJobs(n); });
        choice->setCheckable(true);
        choice->setChecked(n == m_controller.Jobs());
    }
    menu.exec(event->globalPos());
}

void CConvertDialog::ShowAbout() {
    CAboutDialog about(this);
    about.exec();
}

QLineEdit* CConvertDialog::PathField(ConvertField field) const {
    switch (field) {
        case ConvertField::Input:
            return m_inputEdit;
        case ConvertField::Output:
            return m_outputEdit;
        case ConvertField::Converter:
            return m_converterEdit;
        case ConvertField::Log:
            break;
    }
    return nullptr;
}

std::string CConvertDialog::GetText(ConvertField field) {
    if (field != ConvertField::Log) {
        return ToBytes(PathField(field)->text());
    }
    // Lines of the log end in CR LF, as the records that were appended.
    QString text = m_logEdit->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    return ToBytes(text);
}

void CConvertDialog::SetText(ConvertField field, const std::string& text) {
    if (field != ConvertField::Log) {
        PathField(field)->setText(ToQString(text));
    } else {
        m_logEdit->setPlainText(ToQString(text));
    }
}

void CConvertDialog::MoveCaretToEnd(ConvertField field) {
    if (field != ConvertField::Log) {
        PathField(field)->end(/*mark=*/false);
    } else {
        m_logEdit->moveCursor(QTextCursor::End);
        m_logEdit->ensureCursorVisible();
    }
}

void CConvertDialog::AppendLog(const std::string& text) {
    // Inserting at the end costs what the record costs, however long the log has grown.
    QTextCursor cursor(m_logEdit->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(ToQString(text));
    m_logEdit->setTextCursor(cursor);
    m_logEdit->ensureCursorVisible();
    // The caret is on the last line: show the very end, not just enough to touch it.
    m_logEdit->verticalScrollBar()->setValue(m_logEdit->verticalScrollBar()->maximum());
}

int CConvertDialog::GetAutoState() {
    return m_autoCheck->isChecked() ? 1 : 0;
}

void CConvertDialog::SetAutoState(int value) {
    m_autoCheck->setChecked(value != 0);
}

void CConvertDialog::SetCaption(const std::string& text) {
    setWindowTitle(ToQString(text));
}

void CConvertDialog::EnableDrop() {
    setAcceptDrops(true);
}

void CConvertDialog::SetBusy(bool busy) {
    const QString text = Text(busy ? texts::kStop : texts::kConvert);
    m_convertButton->setText(text);
    m_convertButton->setAccessibleName(text);
    for (QLineEdit* field : {m_inputEdit, m_outputEdit, m_converterEdit}) {
        field->setReadOnly(busy);
    }
    for (int id : {IDC_BROWSE_INPUT, IDC_BROWSE_OUTPUT, IDC_BROWSE_EXEC}) {
        Control(id)->setEnabled(!busy);
    }
}

void CConvertDialog::SetProgress(std::size_t, std::size_t) {
    // The caption shows how far the work has come; Linux task bars have nothing more to show.
}

void CConvertDialog::ShowError(const std::string& caption, const std::string& message) {
    QMessageBox box(QMessageBox::Critical, ToQString(caption), ToQString(message), QMessageBox::Ok,
                    this);
    box.exec();
}

void CConvertDialog::CloseWindow() {
    m_closing = true;
    QDialog::done(QDialog::Rejected);
}

}  // namespace varlo
