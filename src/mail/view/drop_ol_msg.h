// CDropOLMsg ("Outlook メッセージ登録"): the small modal dialog of a message drop. It asks for
// 開始 and then shows "N / M" while the registration runs; キャンセル before 開始 registers
// nothing, and once started the run goes to its end (closing is refused meanwhile).
#pragma once

#include "mail/mail_registration.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

class CDropOLMsg : public QDialog, public RegistrationProgress {
    Q_OBJECT

public:
    // `run` performs the registration, reporting to the dialog.
    CDropOLMsg(std::function<void(RegistrationProgress&)> run, QWidget* parent = nullptr);

    // The text "%d / %d", then pending events run, so the dialog stays painted between items.
    void Progress(int item, int count) override;
    // Closes the dialog unless the registration runs.
    void reject() override;

private:
    void Start();

    std::function<void(RegistrationProgress&)> m_run;
    QLabel* m_progress = nullptr;
    QPushButton* m_start = nullptr;
    bool m_running = false;
};
