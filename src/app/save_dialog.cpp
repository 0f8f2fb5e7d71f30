// The save dialog (see save_dialog.h).
#include "save_dialog.h"

#include "app/text_cut.h"
#include "document/user_prompts.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Refuses text that would make the box longer than `limit` (or than it already was): what was
// just typed or pasted before the cursor is cut back to fit.
void LimitTyping(QPlainTextEdit* box, int limit)
{
    QObject::connect(box, &QPlainTextEdit::textChanged, box,
                     [box, limit, previous = box->toPlainText().size()]() mutable {
                         const QString text = box->toPlainText();
                         const qsizetype allowed = std::max<qsizetype>(limit, previous);
                         if (text.size() <= allowed) {
                             previous = text.size();
                             return;
                         }
                         QTextCursor cursor = box->textCursor();
                         const qsizetype excess = text.size() - allowed;
                         const qsizetype start = LeftWhole(text, std::max<qsizetype>(cursor.position() - excess, 0)).size();
                         cursor.setPosition(int(start), QTextCursor::KeepAnchor);
                         cursor.removeSelectedText(); // comes back here within the limit
                     });
}

} // namespace

CSabrelSave::CSabrelSave(const MemoHeader& header, bool goOnEnabled, QWidget* parent)
    : QDialog(parent), m_header(header)
{
    setWindowTitle(QStringLiteral("データベースに保存"));
    auto* layout = new QVBoxLayout(this);
    m_title = AddBox(QStringLiteral("表題(&T)"), header.title, kTitleTypingLimit);
    m_title->setObjectName(QStringLiteral("title"));
    m_keys = AddBox(QStringLiteral("キーワード(&K)  必要に応じて特徴づける言葉を入れる"), header.theKeys, kKeysTypingLimit);
    m_keys->setObjectName(QStringLiteral("keys"));
    m_notice = new QLabel;
    m_notice->setObjectName(QStringLiteral("notice"));
    m_notice->setWordWrap(true);
    m_notice->hide();
    layout->addWidget(m_notice);

    auto* buttons = new QDialogButtonBox;
    QPushButton* save = buttons->addButton(QStringLiteral("保存"), QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("save"));
    save->setDefault(true);
    QPushButton* goOn = buttons->addButton(QStringLiteral("保存せず進む"), QDialogButtonBox::ActionRole);
    goOn->setObjectName(QStringLiteral("goOn"));
    goOn->setEnabled(goOnEnabled);
    QPushButton* cancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CSabrelSave::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSabrelSave::reject);
    connect(goOn, &QPushButton::clicked, this, [this] { done(kSaveDialogGoOn); });
    layout->addWidget(buttons);
    m_title->setFocus();
}

QPlainTextEdit* CSabrelSave::AddBox(const QString& label, const QString& text, int typingLimit)
{
    auto* title = new QLabel(label);
    auto* box = new QPlainTextEdit(text);
    box->setTabChangesFocus(true);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setMinimumWidth(box->fontMetrics().averageCharWidth() * 60);
    box->installEventFilter(this);
    title->setBuddy(box);
    LimitTyping(box, typingLimit);
    layout()->addWidget(title);
    layout()->addWidget(box);
    return box;
}

void CSabrelSave::accept()
{
    const QString title = m_title->toPlainText();
    if (title.size() > MemoHeader::kTitleChars) {
        m_title->setPlainText(LeftWhole(title, MemoHeader::kTitleChars));
        m_title->moveCursor(QTextCursor::End);
        m_title->setFocus();
        m_notice->setText(QStringLiteral("表題は%1文字までです。入りきらない部分を削りました。確かめてから、もう一度保存してください。")
                              .arg(MemoHeader::kTitleChars));
        m_notice->show();
        return;
    }
    m_header.title = title;
    m_header.theKeys = m_keys->toPlainText();
    done(kSaveDialogSave);
}

void CSabrelSave::reject()
{
    done(kSaveDialogCancel);
}

bool CSabrelSave::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == m_title || watched == m_keys)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            !(key->modifiers() & Qt::ControlModifier)) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
