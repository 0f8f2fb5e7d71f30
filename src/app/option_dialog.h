// COption: the オプション設定 dialog (139): key layout, wider line spacing, the two kinsoku
// character sets and the web search host, read from section "Options" when it opens. OK writes
// the settings exactly as shown (an empty kinsoku box stores an empty set; the host without
// surrounding blanks); cancel writes nothing. The caller reloads the options after OK.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

class COption : public QDialog {
    Q_OBJECT

public:
    explicit COption(QWidget* parent = nullptr);

    void accept() override;

private:
    QRadioButton* m_windowsLayout = nullptr;
    QRadioButton* m_diamondLayout = nullptr;
    QCheckBox* m_linespaceWider = nullptr;
    QLineEdit* m_leftKin = nullptr;
    QLineEdit* m_rightKin = nullptr;
    QLineEdit* m_webSearchHost = nullptr;
};
