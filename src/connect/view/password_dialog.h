// CBHPass: the password dialog "パスワード入力" of a server shortcut. The box takes at most 80
// characters; typing or pasting more is refused.
#pragma once

#include <QDialog>

class QLineEdit;

class CBHPass : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMaxPasswordChars = 80;

    explicit CBHPass(QWidget* parent = nullptr);

    QString Password() const;

private:
    QLineEdit* m_password = nullptr;
};
