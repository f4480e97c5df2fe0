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
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSysInfo>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <utility>

#include "about_dialog.h"
#include "dialog_units.h"
#include "notification.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "text_boundary.h"
#include "ui/main_window.h"
#include "uri_list.h"
#include "window_style.h"

namespace varlo {

namespace {

// The bar's steps from none of the work to all of it.
constexpr int kProgressSteps = 1000;

// A widget of the kind the table asks for.
QWidget* NewControl(const ControlEntry& entry, QWidget* parent) {
    switch (entry.kind) {
        case ControlKind::DefaultButton: {
            auto* button = new QPushButton(ToQString(entry.text), parent);
            button->setDefault(true);
            return button;
        }
        case ControlKind::Button:
            return new QPushButton(ToQString(entry.text), parent);
        case ControlKind::Label:
            return new QLabel(ToQString(entry.text), parent);
        case ControlKind::PathField:
            return new QLineEdit(parent);
        case ControlKind::Log:
            return new QPlainTextEdit(parent);
        case ControlKind::CheckBox:
            return new QCheckBox(ToQString(entry.text), parent);
        case ControlKind::ProgressBar: {
            auto* bar = new QProgressBar(parent);
            bar->setRange(0, kProgressSteps);
            bar->setTextVisible(false);
            bar->hide();  // until conversions run
            return bar;
        }
    }
    return nullptr;
}

// Wayland tells a window neither where it stands nor lets it choose.
bool PlatformTellsPlace() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace

CConvertDialog::CConvertDialog(CProfileStore& profile, IFileChooser& chooser,
                               IConversionRunner* runner, QWidget* parent)
    : QDialog(parent, kMainWindowFlags),
      m_controller(*this, profile, runner != nullptr ? *runner : m_processRunner, &m_loop),
      m_icon(ApplicationIcon()),
      m_profile(profile),
      m_chooser(chooser),
      m_messageBox([](QWidget* owner, const QString& caption, const QString& text) {
          QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner);
          box.exec();
      }),
      m_questionBox([](QWidget* owner, const QString& caption, const QString& text) {
          QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                          owner);
          box.setDefaultButton(QMessageBox::No);
          return box.exec() == QMessageBox::Yes;
      }) {
    // The desktop session is ending: there is no time to wait for converters to stop.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { EndSession(); });
    setWindowTitle(ToQString(TextId::MainCaption));
    setWindowIcon(m_icon);
    setFont(DialogFont());
    CreateControls();
    // The template's size is the least; a larger window gives the log the room.
    const QSize least = CDialogUnits(font()).ToPixels(kMainWidth, kMainHeight);
    setMinimumSize(least);
    setSizeGripEnabled(true);
    resize(least);
}

CConvertDialog::~CConvertDialog() {
    // A dialog destroyed without being closed (its owner went away) still saves its settings.
    if (m_initialized) {
        SavePlace();
        m_controller.Shutdown();
    }
}

void CConvertDialog::CreateControls() {
    QWidget* previous = nullptr;
    QLabel* label = nullptr;  // the label standing before a field names it
    for (const ControlEntry& entry : m_table) {
        QWidget* control = NewControl(entry, this);
        m_templateControls.push_back(control);
        if (entry.id == kNoControlId) {
            label = qobject_cast<QLabel*>(control);
            continue;
        }
        m_controls[entry.id] = control;
        control->setProperty("controlId", entry.id);
        if (entry.kind == ControlKind::ProgressBar) {
            continue;  // nothing to tab to
        }
        if (previous != nullptr) {
            setTabOrder(previous, control);
        }
        previous = control;
        // A screen reader names each field by its label, and the rest by their text or tip.
        if (entry.kind == ControlKind::PathField && label != nullptr) {
            label->setBuddy(control);
            control->setAccessibleName(label->text());
        } else if (entry.kind == ControlKind::Log) {
            control->setAccessibleName(ToQString(entry.tip));
        } else if (entry.text == TextId::Browse) {
            // Three buttons read "参照": each says what it browses for.
            control->setAccessibleName(
                ToQString(entry.id == IDC_BROWSE_INPUT    ? TextId::BrowseInputName
                          : entry.id == IDC_BROWSE_OUTPUT ? TextId::BrowseOutputName
                                                          : TextId::BrowseConverterName));
        } else {
            control->setAccessibleName(ToQString(entry.text));
        }
        label = nullptr;
    }
    m_convertButton = qobject_cast<QPushButton*>(Control(IDOK));
    m_inputEdit = qobject_cast<QLineEdit*>(Control(IDC_INPUT));
    m_outputEdit = qobject_cast<QLineEdit*>(Control(IDC_OUTPUT));
    m_converterEdit = qobject_cast<QLineEdit*>(Control(IDC_EXEC));
    m_logEdit = qobject_cast<QPlainTextEdit*>(Control(IDC_LOG));
    m_autoCheck = qobject_cast<QCheckBox*>(Control(IDC_AUTO));

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

    const auto clicked = [this](int id, auto action) {
        connect(qobject_cast<QPushButton*>(Control(id)), &QPushButton::clicked, this, action);
    };
    clicked(IDOK, [this] { m_controller.ConvertClicked(); });
    clicked(IDCANCEL, [this] { reject(); });
    clicked(IDC_BROWSE_INPUT, [this] { Browse(FileDialogKind::Input); });
    clicked(IDC_BROWSE_OUTPUT, [this] { Browse(FileDialogKind::Output); });
    clicked(IDC_BROWSE_EXEC, [this] { Browse(FileDialogKind::Converter); });
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
    const QSize least = units.ToPixels(kMainWidth, kMainHeight);
    const int grownX = std::max(0, width() - least.width());
    const int grownY = std::max(0, height() - least.height());
    for (std::size_t i = 0; i < m_templateControls.size(); ++i) {
        const ControlEntry& entry = m_table[i];
        const QRect box = units.ToPixels(entry.x, entry.y, entry.width, entry.height);
        const ControlBox grown =
            GrownBox(entry.growth, {box.x(), box.y(), box.width(), box.height()}, grownX, grownY);
        m_templateControls[i]->setGeometry(grown.x, grown.y, grown.width, grown.height);
    }
}

void CConvertDialog::InitDialog() {
    m_initialized = true;
    m_controller.SetDoubleClickTime(std::chrono::milliseconds(QApplication::doubleClickInterval()));
    m_controller.Start();
    RestorePlace();
    for (const ControlEntry& entry : m_table) {
        if (entry.tip != TextId::None) {
            Control(entry.id)->setToolTip(ToQString(entry.tip));
        }
    }
    Control(IDOK)->setFocus();  // the first tab stop, as in every dialog
    // The window shows first; the command line's files load (and convert) from the event loop.
    QTimer::singleShot(0, this, [this] { m_controller.StartQueue(); });
}

void CConvertDialog::Browse(FileDialogKind kind) {
    if (const std::optional<std::string> path =
            m_chooser.Choose(kind, m_controller.StartFolderFor(kind), this)) {
        m_controller.FileChosen(kind, *path);
        ShowSaveFailure();
    }
}

void CConvertDialog::RestorePlace() {
    const std::optional<WindowPlace> place = ReadWindowPlace(m_profile, m_controller.Section());
    if (!place) {
        return;  // the first start: the table's size, where the window manager puts it
    }
    resize(place->width, place->height);  // never below the least size
    if (!place->placed || !PlatformTellsPlace()) {
        return;
    }
    std::vector<ControlBox> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        screens.push_back({area.x(), area.y(), area.width(), area.height()});
    }
    const QSize outer = frameGeometry().size();
    if (CanBeGrabbed({place->left, place->top, outer.width(), outer.height()}, screens)) {
        move(place->left, place->top);
    }
}

void CConvertDialog::SavePlace() {
    if (!m_initialized || std::exchange(m_placeSaved, true)) {
        return;
    }
    // A maximised window comes back at the size and place it had before. The place is that of
    // the frame, as move() takes it.
    const QRect normal = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    const QPoint corner = normal.topLeft() - (geometry().topLeft() - pos());
    WriteWindowPlace(
        m_profile, m_controller.Section(),
        {normal.width(), normal.height(), PlatformTellsPlace(), corner.x(), corner.y()});
}

void CConvertDialog::ShowSaveFailure() {
    if (m_profile.SaveFailures() == m_saveFailuresShown) {
        return;
    }
    m_saveFailuresShown = m_profile.SaveFailures();
    m_messageBox(
        this, ToQString(m_controller.Section()),
        ToQString(TextId::SaveFailed) + QStringLiteral("\n\n") + ToQString(m_profile.SaveError()));
}

void CConvertDialog::done(int result) {
    if (m_initialized && !m_closing) {
        if (!m_controller.RequestClose(/*ask=*/!m_quitting)) {
            return;  // kept open, or closed through CloseWindow once the conversions have stopped
        }
        SavePlace();
        ShowSaveFailure();
    }
    m_closing = true;
    QDialog::done(result);
}

void CConvertDialog::Quit() {
    m_quitting = true;
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
    // No message box now: it would hold the end of the session up.
    SavePlace();
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
    menu.addAction(ToQString(TextId::AboutMenu), this, &CConvertDialog::ShowAbout);
    QMenu* jobs = menu.addMenu(ToQString(TextId::JobsMenu));
    jobs->setObjectName(QStringLiteral("jobs"));
    for (int n = 1; n <= m_controller.MostUsefulJobs(); ++n) {
        QAction* choice = jobs->addAction(QString::number(n), this, [this, n] {
            m_controller.SetJobs(n);
            ShowSaveFailure();
        });
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
    const QString text = ToQString(busy ? TextId::Stop : TextId::Convert);
    m_convertButton->setText(text);
    m_convertButton->setAccessibleName(text);
    for (QLineEdit* field : {m_inputEdit, m_outputEdit, m_converterEdit}) {
        field->setReadOnly(busy);
    }
    for (int id : {IDC_BROWSE_INPUT, IDC_BROWSE_OUTPUT, IDC_BROWSE_EXEC}) {
        Control(id)->setEnabled(!busy);
    }
}

void CConvertDialog::SetProgress(const ProgressShown& progress) {
    auto* bar = qobject_cast<QProgressBar*>(Control(IDC_PROGRESS));
    bar->setVisible(progress.total != 0);
    bar->setValue(static_cast<int>(std::lround(progress.fraction * kProgressSteps)));
    bar->setToolTip(ToQString(ProgressTip(progress)));
    m_launcher.SetProgress(progress.total != 0, progress.fraction);
}

void CConvertDialog::ShowError(const std::string& caption, const std::string& message) {
    m_messageBox(this, ToQString(caption), ToQString(message));
}

bool CConvertDialog::Ask(const std::string& caption, const std::string& question) {
    return m_questionBox(this, ToQString(caption), ToQString(question));
}

bool CConvertDialog::IsActive() {
    return isActiveWindow();
}

void CConvertDialog::NotifyBatchEnded(const std::string& summary, bool failures) {
    ShowDesktopNotification(ToQString(summary));
    if (failures) {
        m_launcher.SetUrgent(true);
    }
}

void CConvertDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        m_launcher.SetUrgent(false);
    }
}

void CConvertDialog::CloseWindow() {
    m_closing = true;
    SavePlace();
    ShowSaveFailure();
    QDialog::done(QDialog::Rejected);
}

}  // namespace varlo
