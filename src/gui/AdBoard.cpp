#include "gui/AdBoard.h"

#include "gui/Dialogs.h"
#include "platform/Maker.h"
#include "ui_AdBoard.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>

namespace {

// Opacity levels out of 255, as the board has always used them (not 30 % and 50 % of 255).
const int ThirtyPercentLevel = 60;
const int FiftyPercentLevel = 100;
const int OpaqueLevel = 255;

} // namespace

AdBoard::AdBoard(QWidget *parent) : QWidget(parent), ui(new Ui::AdBoard), m_menu(new QMenu(this))
{
    ui->setupUi(this);
    // No frame, and no task-bar entry of its own: it belongs to the main window.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::Tool);
    setFixedSize(size());
    m_menu->setObjectName(QStringLiteral("boardMenu"));
    addTranslucencyMenu();

    // Right clicks on the page open the board's menu, never the browser's own.
    ui->pageView->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->pageView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_menu->popup(ui->pageView->viewport()->mapToGlobal(pos)); });
    connect(ui->pageView, &QTextBrowser::anchorClicked, this, &AdBoard::openLink);
    loadPage();
}

AdBoard::~AdBoard() = default;

void AdBoard::attachTo(QWidget *mainWindow)
{
    if (m_mainWindow)
        m_mainWindow->removeEventFilter(this);
    m_mainWindow = mainWindow;
    if (m_mainWindow)
        m_mainWindow->installEventFilter(this);
    followMainWindow();
}

bool AdBoard::eventFilter(QObject *watched, QEvent *event)
{
    // Following the main window's own moves replaces polling its position.
    if (watched == m_mainWindow && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        followMainWindow();
    return QWidget::eventFilter(watched, event);
}

void AdBoard::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    followMainWindow();
}

void AdBoard::closeEvent(QCloseEvent *event)
{
    event->ignore(); // the board is shown and hidden with the main window only
}

void AdBoard::contextMenuEvent(QContextMenuEvent *event)
{
    m_menu->popup(event->globalPos());
}

void AdBoard::loadPage()
{
    QFile page(QStringLiteral(":/misc/AdBoard.html"));
    if (!page.open(QIODevice::ReadOnly))
        return; // an empty board, as a page that fails to load would leave it
    QString html = QString::fromUtf8(page.readAll());
    html.replace(QLatin1String("{name}"), Maker::name().toHtmlEscaped());
    html.replace(QLatin1String("{web}"), Maker::webAddress().toHtmlEscaped());
    html.replace(QLatin1String("{email}"), Maker::email().toHtmlEscaped());
    html.replace(QLatin1String("{qq}"), Maker::instantMessaging().toHtmlEscaped());
    ui->pageView->document()->setDocumentMargin(0);
    ui->pageView->setHtml(html);
}

void AdBoard::addTranslucencyMenu()
{
    struct Level
    {
        const char *name;
        const char *caption;
        int level;
    };
    const Level levels[] = {{"thirtyPercentAction", "30%", ThirtyPercentLevel},
                            {"fiftyPercentAction", "50%", FiftyPercentLevel},
                            {"opaqueAction", "100%", OpaqueLevel}};
    QMenu *translucency = m_menu->addMenu(QStringLiteral("调节透明"));
    translucency->menuAction()->setObjectName(QStringLiteral("translucencyMenu"));
    for (const Level &entry : levels) {
        QAction *action = translucency->addAction(QLatin1String(entry.caption), this,
                                                  [this, level = entry.level] { setOpacityLevel(level); });
        action->setObjectName(QLatin1String(entry.name));
    }
}

void AdBoard::setOpacityLevel(int level)
{
    setWindowOpacity(level / 255.0);
}

void AdBoard::followMainWindow()
{
    if (!m_mainWindow)
        return;
    const QRect main = m_mainWindow->frameGeometry();
    move(main.left(), main.top() + main.height());
}

void AdBoard::openLink(const QUrl &link)
{
    // The board never navigates: the maker's site opens in the user's browser.
    Dialogs::openAddress(link.toString());
}
