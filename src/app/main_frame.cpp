#include "app/main_frame.h"

#include <cstdio>
#include <cstdlib>

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "app/key_state.h"
#include "platform/qt_text.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "store/preferences.h"
#include "ui/command_table.h"
#include "ui/desktop_view.h"
#include "ui/shell_dialogs.h"
#include "ui/shell_open.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

inline constexpr const char* kMaximized = "Maximized";
inline constexpr int kShift = 30;
inline constexpr int kKeyPollMs = 250;
inline constexpr int kFirstWidth = 820;
inline constexpr int kFirstHeight = 560;
// The normal rectangle a window restored maximised gets.
const QRect kMaximizedNormal(QPoint(20, 20), QPoint(699, 399));

int NumberAt(const std::string& text, size_t offset) {
    return offset < text.size() ? std::atoi(text.c_str() + offset) : 0;
}

// A program may not place its own window on Wayland: only the size is kept there.
bool CanPlaceWindows() {
    return !QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

}  // namespace

CMainFrame::CMainFrame(const CStringTable& strings, CPreferences& preferences,
                       CTessarinDesktopView* view, const CMenuVisibility& menus,
                       const QString& userName, bool standalone)
    : m_strings(strings),
      m_preferences(preferences),
      m_view(view),
      m_commands(new CCommandTable(strings, this)),
      m_ready(new QLabel(UiText(strings, str::kReady), this)),
      m_keyTimer(new QTimer(this)) {
    QString title = UiText(strings, str::kProgramName);
    if (!standalone && !userName.isEmpty())
        title += QStringLiteral(" - ") + userName;
    setWindowTitle(title);
    setMinimumSize(kMinimumFrameWidth, kMinimumFrameHeight);
    setCentralWidget(view);

    m_commands->BuildMenuBar(menuBar());
    if (!menus.userMenu)
        menuBar()->removeAction(m_commands->Popup(cmd::Popup::User)->menuAction());
    if (!menus.syncMenu)
        menuBar()->removeAction(m_commands->Popup(cmd::Popup::Sync)->menuAction());

    statusBar()->addWidget(m_ready, 1);
    // How many records are listed, and how many there are.
    m_counts = new QLabel(this);
    statusBar()->addPermanentWidget(m_counts);
    connect(view, &CTessarinDesktopView::countsChanged, this,
            [this, &strings](int listed, int total) {
                m_counts->setText(UiText(strings, str::kRecordsListedOf,
                                         {std::to_string(listed), std::to_string(total)}));
            });
    view->TellCounts();
    const int keyTexts[] = {str::kCapsLockPane, str::kNumLockPane, str::kScrollLockPane};
    for (int i = 0; i < 3; ++i) {
        m_keyPanes[i] = new QLabel(this);
        const QString text = UiText(strings, keyTexts[i]);
        m_keyPanes[i]->setAccessibleName(text);
        m_keyPanes[i]->setMinimumWidth(m_keyPanes[i]->fontMetrics().horizontalAdvance(text) + 8);
        m_keyPanes[i]->setAlignment(Qt::AlignCenter);
        statusBar()->addPermanentWidget(m_keyPanes[i]);
    }
    connect(m_keyTimer, &QTimer::timeout, this, &CMainFrame::UpdateKeyStates);
    if (ReadKeyStates()) {
        UpdateKeyStates();
        m_keyTimer->start(kKeyPollMs);
    }
    BindFrameCommands();

    // The view binds its commands and opens the list's shortcut menu from the table.
    view->AttachCommands(*m_commands);
}

CMainFrame::~CMainFrame() {
    // The view, a child, goes after this object has stopped being a frame: what it says on its
    // way out (the counts of its emptied rows) is not for the frame any more.
    disconnect(m_view, nullptr, this, nullptr);
}

void CMainFrame::BindFrameCommands() {
    m_commands->SetHandler(cmd::kExit, [this] { close(); });
    m_commands->SetHandler(cmd::kAbout, [this] {
        const QString promo = Cp1252ToQString(m_preferences.ReadText(Pref::PromoText));
        CAboutDialog(m_strings, QString::fromLatin1(kProgramVersion), promo, this).exec();
    });
    QAction* statusBarAction = m_commands->Action(cmd::kStatusBar);
    statusBarAction->setChecked(true);
    m_commands->SetHandler(cmd::kStatusBar, [this, statusBarAction] {
        statusBar()->setVisible(!statusBar()->isVisible());
        statusBarAction->setChecked(statusBar()->isVisible());
    });
    const std::pair<uint32_t, int> pages[] = {{cmd::kFaqPage, str::kFaqPageAddress},
                                              {cmd::kSupportPage, str::kSupportPageAddress},
                                              {cmd::kDownloadPage, str::kDownloadPageAddress}};
    for (const auto& [id, address] : pages) {
        const QString url = UiText(m_strings, address);
        m_commands->SetHandler(id, [url] { OpenInDesktop(QUrl(url)); });
    }
}

bool CMainFrame::OpenUserGuide(const std::string& programFolder, IMessageSink& messages) {
    const QString path = QString::fromStdString(programFolder) + QLatin1Char('/') +
                         UiText(m_strings, str::kUserGuideFileName);
    if (QFileInfo::exists(path) && OpenInDesktop(QUrl::fromLocalFile(path)))
        return true;
    messages.Show({str::kCannotOpenFile, {QStringToCp1252(path)}, MessageIcon::Error});
    return false;
}

bool CMainFrame::RestorePlacement(const std::string& winpos, bool shift) {
    if (winpos.empty()) {
        // Where nothing was saved yet the desktop places the window; this is its first size.
        resize(kFirstWidth, kFirstHeight);
        return false;
    }
    if (winpos == kMaximized) {
        setGeometry(kMaximizedNormal);
        return true;
    }
    const int add = shift ? kShift : 0;
    const QRect rect(QPoint(NumberAt(winpos, 0) + add, NumberAt(winpos, 5) + add),
                     QPoint(NumberAt(winpos, 10) + add - 1, NumberAt(winpos, 15) + add - 1));
    if (CanPlaceWindows())
        setGeometry(rect);
    else
        resize(rect.size());
    return false;
}

std::string CMainFrame::PlacementText() const {
    if (isMaximized())
        return kMaximized;
    const QRect rect = normalGeometry().isValid() ? normalGeometry() : geometry();
    char text[64];
    std::snprintf(text, sizeof text, "%04d %04d %04d %04d", rect.left(), rect.top(),
                  rect.left() + rect.width(), rect.top() + rect.height());
    return text;
}

QString CMainFrame::MessagePaneText() const {
    const QString message = statusBar()->currentMessage();
    return message.isEmpty() ? m_ready->text() : message;
}

QStringList CMainFrame::KeyPaneTexts() const {
    return {m_keyPanes[0]->text(), m_keyPanes[1]->text(), m_keyPanes[2]->text()};
}

void CMainFrame::UpdateKeyStates() {
    const std::optional<CKeyStates> states = ReadKeyStates();
    const bool on[] = {states && states->capsLock, states && states->numLock,
                       states && states->scrollLock};
    const int texts[] = {str::kCapsLockPane, str::kNumLockPane, str::kScrollLockPane};
    for (int i = 0; i < 3; ++i)
        m_keyPanes[i]->setText(on[i] ? UiText(m_strings, texts[i]) : QString());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    m_preferences.WriteText(Pref::Winpos, PlacementText());
    event->accept();
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        Q_EMIT activated();
    return QMainWindow::event(event);
}

}  // namespace tessarin
