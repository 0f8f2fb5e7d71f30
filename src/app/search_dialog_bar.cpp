#include "search_dialog_bar.h"

#include "browser/url_encode.h"
#include "editor/view/quirel_view.h"
#include "platform/settings.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>

namespace {
constexpr int kVisibleHistoryItems = 10;
constexpr int kSearchBoxMinimumWidth = 240;

QPushButton* AddButton(QHBoxLayout* layout, const QString& text, const QString& name)
{
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    layout->addWidget(button);
    return button;
}
} // namespace

CSearchDialogBar::CSearchDialogBar(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    QPushButton* up = AddButton(layout, QStringLiteral("↑"), QStringLiteral("findUp"));
    QPushButton* down = AddButton(layout, QStringLiteral("↓"), QStringLiteral("findDown"));
    m_box = new QComboBox;
    m_box->setObjectName(QStringLiteral("searchBox"));
    m_box->setEditable(true);
    m_box->setInsertPolicy(QComboBox::NoInsert); // the history decides what the list holds
    m_box->setMaxVisibleItems(kVisibleHistoryItems);
    m_box->setMinimumWidth(kSearchBoxMinimumWidth);
    m_box->installEventFilter(this);
    layout->addWidget(m_box, 1);
    m_databaseSearch = AddButton(layout, QStringLiteral("検索"), QStringLiteral("databaseSearch"));
    m_databaseSearch->setEnabled(false);
    m_webSearch = AddButton(layout, QStringLiteral("ブラウザ"), QStringLiteral("webSearch"));
    SetWebSearchHost(ReadWebSearchHost());
    m_encoding = AddButton(layout, QStringLiteral("UNICODE"), QStringLiteral("encoding"));

    connect(up, &QPushButton::clicked, this, &CSearchDialogBar::FindUp);
    connect(down, &QPushButton::clicked, this, &CSearchDialogBar::FindDown);
    connect(m_databaseSearch, &QPushButton::clicked, this, &CSearchDialogBar::SearchDatabase);
    connect(m_webSearch, &QPushButton::clicked, this, &CSearchDialogBar::SearchWeb);
    connect(m_box->lineEdit(), &QLineEdit::returnPressed, this, &CSearchDialogBar::EnterPressed);
}

void CSearchDialogBar::SetView(CQuirelView* view)
{
    m_view = view;
}

QString CSearchDialogBar::Text() const
{
    return m_box->currentText();
}

void CSearchDialogBar::SetText(const QString& text)
{
    m_box->setEditText(text);
}

void CSearchDialogBar::FocusSearchBox()
{
    m_box->setFocus(Qt::OtherFocusReason);
}

void CSearchDialogBar::SetDatabaseSearchEnabled(bool enabled)
{
    m_databaseSearch->setEnabled(enabled);
}

bool CSearchDialogBar::DatabaseSearchEnabled() const
{
    return m_databaseSearch->isEnabled();
}

void CSearchDialogBar::SetWebSearchHost(const QString& host)
{
    m_webSearchHost = host;
    const bool usable = !WebSearchAddress(host, {}).isEmpty();
    m_webSearch->setEnabled(usable);
    m_webSearch->setToolTip(usable ? QStringLiteral("%1 でWeb検索します").arg(host.trimmed())
                                   : QStringLiteral("Web検索のホスト名が設定されていません。"
                                                    "[表示]メニューの[オプション設定]で設定してください。"));
}

void CSearchDialogBar::SaveHistory()
{
    m_history.Save();
}

void CSearchDialogBar::FindDown()
{
    Find(true);
}

void CSearchDialogBar::FindUp()
{
    Find(false);
}

void CSearchDialogBar::SearchDatabase()
{
    Q_EMIT DatabaseSearchRequested(TakeTextIntoHistory());
}

void CSearchDialogBar::SearchWeb()
{
    // Whether a browser opens is the desktop's business; nothing is reported either way.
    const QString address = WebSearchAddress(m_webSearchHost, TakeTextIntoHistory());
    if (!address.isEmpty())
        QDesktopServices::openUrl(QUrl(address));
}

bool CSearchDialogBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_box && event->type() == QEvent::FocusIn) {
        if (!m_history.Loaded()) {
            m_history.Load();
            ShowHistory();
        }
        m_searchRestart = true;
    }
    return QWidget::eventFilter(watched, event);
}

QString CSearchDialogBar::TakeTextIntoHistory()
{
    const QString text = m_box->currentText();
    m_history.Add(text);
    ShowHistory();
    return text;
}

void CSearchDialogBar::ShowHistory()
{
    const QString text = m_box->currentText(); // clearing the list clears the edit field too
    m_box->clear();
    m_box->addItems(m_history.Items());
    m_box->setEditText(text);
}

void CSearchDialogBar::Find(bool forward)
{
    const QString text = TakeTextIntoHistory();
    if (m_view) {
        const bool found = m_view->Editor().Find(text, forward, m_searchRestart);
        m_view->Refresh();
        if (found)
            m_view->setFocus(Qt::OtherFocusReason);
    }
    if (forward)
        FocusSearchBox();
    // Cleared after the focus came back: the next ↓ goes on past this match.
    m_searchRestart = false;
}
