// RenImportWidget: dialog 138 as a window: the explanation, "処理行数 / 登録件数" with its
// counter, and 開始 / キャンセル. It only shows what CRenImportDialog tells it; while the import
// runs it repaints and handles input at most every 50 ms, so a long file stays responsive without
// spending the run on painting.
#pragma once

#include "import/ren_import_dialog.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QPushButton;

class RenImportWidget : public QDialog, public RenImportWindow {
    Q_OBJECT
public:
    explicit RenImportWidget(QWidget* parent = nullptr);

    bool WaitForStart() override;
    void DisableButtons() override;
    void ShowCounter(const QString& text) override;
    void Close(int result) override;
    // Escape and the close box cancel only before the start.
    void reject() override;

private:
    QLabel* m_counter;
    QPushButton* m_start;
    QPushButton* m_cancel;
    QElapsedTimer m_sincePaint;
};
