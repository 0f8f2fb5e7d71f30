// CReplaceDlg: the modeless 文字置換 dialog over the view: 検索する文字列, 置換後の文字列 and the
// buttons 次を検索, 置換して次に, すべて置換 and キャンセル. Case always matters and the search runs
// forwards. Only one exists at a time; it deletes itself when closed, writing the strings it
// used last to the settings.
#pragma once

#include "app/replace_session.h"

#include <QDialog>

class CQuirelView;
class QLineEdit;
class QPushButton;

class CReplaceDlg : public QDialog {
    Q_OBJECT

public:
    // Shows the dialog for `view`, or brings the one already open forward.
    static CReplaceDlg* Open(CQuirelView& view);
    ~CReplaceDlg() override;

    void FindNext();
    void Replace();
    void ReplaceAll();

protected:
    void moveEvent(QMoveEvent* event) override;

private:
    explicit CReplaceDlg(CQuirelView& view);
    ReplaceStrings Fields() const;
    // The view after a find or replace: redrawn, and given the focus when a match is selected.
    void ShowResult(bool found);

    CQuirelView& m_view;
    ReplaceSession m_session;
    QLineEdit* m_before = nullptr;
    QLineEdit* m_after = nullptr;
};
