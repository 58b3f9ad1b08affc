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

qreal opacity(int level)
{
    return level / 255.0;
}

} // namespace

AdBoard::AdBoard(QWidget *parent) : QWidget(parent), ui(new Ui::AdBoard), PopupMenu1(new QMenu(this))
{
    ui->setupUi(this);
    // No frame, and no task-bar entry of its own: it belongs to the main window.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::Tool);
    setFixedSize(size());

    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    QMenu *transparency = PopupMenu1->addMenu(QStringLiteral("调节透明"));
    transparency->menuAction()->setObjectName(QStringLiteral("N1"));
    QAction *N01 = transparency->addAction(QStringLiteral("30%"), this, &AdBoard::N01Click);
    N01->setObjectName(QStringLiteral("N01"));
    QAction *N101 = transparency->addAction(QStringLiteral("50%"), this, &AdBoard::N101Click);
    N101->setObjectName(QStringLiteral("N101"));
    QAction *N1001 = transparency->addAction(QStringLiteral("100%"), this, &AdBoard::N1001Click);
    N1001->setObjectName(QStringLiteral("N1001"));

    // Right clicks on the page open the board's menu, never the browser's own.
    ui->WebBrowser1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->WebBrowser1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu1->popup(ui->WebBrowser1->viewport()->mapToGlobal(pos)); });
    connect(ui->WebBrowser1, &QTextBrowser::anchorClicked, this, &AdBoard::openLink);
    FormCreate();
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
    PopupMenu1->popup(event->globalPos());
}

void AdBoard::FormCreate()
{
    QFile page(QStringLiteral(":/misc/AdBoard.html"));
    if (!page.open(QIODevice::ReadOnly))
        return; // an empty board, as a page that fails to load would leave it
    QString html = QString::fromUtf8(page.readAll());
    html.replace(QLatin1String("{name}"), Maker::name().toHtmlEscaped());
    html.replace(QLatin1String("{web}"), Maker::webAddress().toHtmlEscaped());
    html.replace(QLatin1String("{email}"), Maker::email().toHtmlEscaped());
    html.replace(QLatin1String("{qq}"), Maker::instantMessaging().toHtmlEscaped());
    ui->WebBrowser1->document()->setDocumentMargin(0);
    ui->WebBrowser1->setHtml(html);
}

void AdBoard::N01Click()
{
    setWindowOpacity(opacity(ThirtyPercentLevel));
}

void AdBoard::N101Click()
{
    setWindowOpacity(opacity(FiftyPercentLevel));
}

void AdBoard::N1001Click()
{
    setWindowOpacity(1.0);
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
