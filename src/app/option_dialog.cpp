#include "option_dialog.h"

#include "platform/settings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QVBoxLayout>

namespace {
const QString kLeftKinKey = QStringLiteral("Options/LeftKin");
const QString kRightKinKey = QStringLiteral("Options/RightKin");
const QString kLinespaceWiderKey = QStringLiteral("Options/LinespaceWider");
const QString kKeyboardLayoutKey = QStringLiteral("Options/KeyboardLayout");

QLineEdit* NamedEdit(const QString& text, const QString& name)
{
    auto* edit = new QLineEdit(text);
    edit->setObjectName(name);
    return edit;
}
} // namespace

COption::COption(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("オプション設定"));

    auto* keyGroup = new QGroupBox(QStringLiteral("キー割り当て(&K)"));
    m_windowsLayout = new QRadioButton(QStringLiteral("Windows標準(&W)"));
    m_windowsLayout->setObjectName(QStringLiteral("windowsLayout"));
    m_diamondLayout = new QRadioButton(QStringLiteral("ダイアモンドカーソル(&D)"));
    m_diamondLayout->setObjectName(QStringLiteral("diamondLayout"));
    // Only 1 means the diamond cursor: any other stored value is shown as Windows standard.
    (ReadKeyboardLayout() == 1 ? m_diamondLayout : m_windowsLayout)->setChecked(true);
    auto* keyLayout = new QVBoxLayout(keyGroup);
    keyLayout->addWidget(m_windowsLayout);
    keyLayout->addWidget(m_diamondLayout);
    auto* hint = new QLabel(QStringLiteral(
        "通常はWindows標準を選びます。バリバリのキーボード使いはダイヤモンドカーソルに挑戦しましょう。"));
    hint->setWordWrap(true);
    keyLayout->addWidget(hint);

    m_linespaceWider = new QCheckBox(QStringLiteral("行間を大きめに表示(&L)"));
    m_linespaceWider->setObjectName(QStringLiteral("linespaceWider"));
    m_linespaceWider->setChecked(ReadLinespaceWider() != 0);

    m_leftKin = NamedEdit(ReadLeftKin(), QStringLiteral("leftKin"));
    m_rightKin = NamedEdit(ReadRightKin(), QStringLiteral("rightKin"));
    auto* kinsoku = new QFormLayout;
    kinsoku->addRow(QStringLiteral("左禁則文字(&1)"), m_leftKin);
    kinsoku->addRow(QStringLiteral("右禁則文字(&2)"), m_rightKin);

    m_webSearchHost = NamedEdit(ReadWebSearchHost(), QStringLiteral("webSearchHost"));
    m_webSearchHost->setPlaceholderText(QStringLiteral("search.example.jp"));
    kinsoku->addRow(QStringLiteral("Web検索のホスト名(&H)"), m_webSearchHost);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &COption::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COption::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(keyGroup);
    layout->addWidget(m_linespaceWider);
    layout->addLayout(kinsoku);
    layout->addWidget(buttons);
}

void COption::accept()
{
    QSettings settings;
    settings.setValue(kLeftKinKey, m_leftKin->text());
    settings.setValue(kRightKinKey, m_rightKin->text());
    settings.setValue(kLinespaceWiderKey, m_linespaceWider->isChecked() ? 1 : 0);
    settings.setValue(kKeyboardLayoutKey, m_diamondLayout->isChecked() ? 1 : 0);
    WriteWebSearchHost(m_webSearchHost->text().trimmed());
    settings.sync();
    QDialog::accept();
}
