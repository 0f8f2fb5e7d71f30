// The list window (see sabrel_list.h).
#include "sabrel_list.h"

#include <QFile>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

CSabrelList::CSabrelList(QWidget* owner)
    : QDialog(owner, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_browser(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("データ一覧"));
    setModal(false);
    resize(626, 510); // 417 x 314 dialog units
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    m_browser->setOpenLinks(false);
    m_browser->setOpenExternalLinks(false);
    setFocusProxy(m_browser);
    m_browser->installEventFilter(this);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &CSabrelList::OnAnchorClicked);
}

bool CSabrelList::Navigate(const QString& path)
{
    m_path = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    m_browser->setHtml(QuoteHrefValues(QString::fromUtf8(file.readAll())));
    return true;
}

void CSabrelList::Reload()
{
    if (!m_path.isEmpty())
        Navigate(m_path);
}

QString CSabrelList::QuoteHrefValues(const QString& html)
{
    static const QRegularExpression kUnquoted(QStringLiteral("href=([^\"'\\s>]+)"));
    return QString(html).replace(kUnquoted, QStringLiteral("href=\"\\1\""));
}

// The browser takes Enter for itself, so the window looks at its keys first.
bool CSabrelList::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_browser && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Reload();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event); // Escape reaches the window and hides it
}

void CSabrelList::OnAnchorClicked(const QUrl& url)
{
    const std::optional<ListLink> link = DecodeListLink(url.toString());
    if (!link)
        return;
    QMetaObject::invokeMethod(this, [this, link = *link] { Q_EMIT LinkClicked(link); }, Qt::QueuedConnection);
}
