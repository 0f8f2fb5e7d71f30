// COption: the オプション設定 dialog (139): key layout, wider line spacing and the two kinsoku
// character sets, read from section "Options" when it opens. OK writes the four settings
// exactly as shown (an empty kinsoku box stores an empty set); cancel writes nothing. The
// caller reloads the options after OK.
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
};
