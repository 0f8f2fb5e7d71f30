// CSabrelSave: the save dialog "データベースに保存" on a copy of a memo header: the title and
// keyword boxes, and the buttons 保存 (result 1), 保存せず進む (1000) and キャンセル (2). 保存
// writes the boxes' texts into the copy; the other buttons, Escape and closing leave it alone.
//
// Invariants: the boxes refuse typing past 1000 (title) and 120 (keyword) characters, though a
// longer text already in a box stays; a title is never cut silently to the header's 127
// characters: 保存 cuts it in the box, says so and waits for 保存 again.
#pragma once

#include "document/memo_header.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class CSabrelSave : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTitleTypingLimit = 1000;
    static constexpr int kKeysTypingLimit = 120;

    // With `goOnEnabled` false the 保存せず進む button is disabled.
    CSabrelSave(const MemoHeader& header, bool goOnEnabled, QWidget* parent = nullptr);

    const MemoHeader& Header() const { return m_header; }

    // 保存.
    void accept() override;
    // キャンセル, Escape and the window's close button.
    void reject() override;

protected:
    // Enter in a box presses 保存, as in a one-line box; Ctrl+Enter starts a new line.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* AddBox(const QString& label, const QString& text, int typingLimit);

    MemoHeader m_header;
    QPlainTextEdit* m_title = nullptr;
    QPlainTextEdit* m_keys = nullptr;
    QLabel* m_notice = nullptr;
};
