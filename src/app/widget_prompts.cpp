// Message boxes, the save dialog and file dialogs for the document (see widget_prompts.h).
#include "widget_prompts.h"

#include "app/save_dialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <span>
#include <utility>
#include <vector>

namespace {

struct BoxButton {
    PromptAnswer answer;
    const char16_t* text;
    QMessageBox::ButtonRole role;
};

constexpr BoxButton kOk{kAnswerOk, u"OK", QMessageBox::AcceptRole};
constexpr BoxButton kCancel{kAnswerCancel, u"キャンセル", QMessageBox::RejectRole};
constexpr BoxButton kYes{kAnswerYes, u"はい(&Y)", QMessageBox::YesRole};
constexpr BoxButton kNo{kAnswerNo, u"いいえ(&N)", QMessageBox::NoRole};

constexpr BoxButton kOkOnly[] = {kOk};
constexpr BoxButton kOkCancel[] = {kOk, kCancel};
constexpr BoxButton kYesNo[] = {kYes, kNo};
constexpr BoxButton kYesNoCancel[] = {kYes, kNo, kCancel};

std::span<const BoxButton> ButtonsOf(PromptButtons buttons)
{
    switch (buttons) {
    case PromptButtons::kOkCancel:
        return kOkCancel;
    case PromptButtons::kYesNo:
    case PromptButtons::kYesNoDefaultNo:
        return kYesNo;
    case PromptButtons::kYesNoCancel:
        return kYesNoCancel;
    case PromptButtons::kOk:
        break;
    }
    return kOkOnly;
}

// "*.*" is every file on the platform the filters were written for; here it would need a dot.
QStringList QtPatterns(const QString& patterns)
{
    QStringList result;
    for (const QString& pattern : patterns.split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        if (trimmed == u"*.*" || trimmed == u"*") {
            result << QStringLiteral("*");
            continue;
        }
        result << trimmed;
        if (trimmed.toUpper() != trimmed)
            result << trimmed.toUpper();
    }
    return result;
}

} // namespace

QStringList QtNameFilters(const QString& filter)
{
    static const QRegularExpression kOwnPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    // Name and pattern come in pairs; the empty parts of the closing "||" end the list.
    for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
        const QStringList patterns = QtPatterns(parts[i + 1]);
        if (patterns.isEmpty())
            continue;
        QString name = parts[i];
        name.remove(kOwnPatterns);
        filters << QStringLiteral("%1 (%2)").arg(name, patterns.join(u' '));
    }
    return filters;
}

WidgetPrompts::WidgetPrompts(QWidget* parent) : m_parent(parent) {}

int WidgetPrompts::Ask(const QString& text, PromptButtons buttons, const QString& detail)
{
    const std::span<const BoxButton> shown = ButtonsOf(buttons);
    QMessageBox box(shown.size() == 1 ? QMessageBox::Information : QMessageBox::Question,
                    QCoreApplication::applicationName(), text, QMessageBox::NoButton, m_parent);
    box.setDetailedText(detail);
    std::vector<std::pair<QAbstractButton*, int>> answers;
    for (const BoxButton& button : shown)
        answers.emplace_back(box.addButton(QString::fromUtf16(button.text), button.role), button.answer);
    const auto& defaultButton = buttons == PromptButtons::kYesNoDefaultNo ? answers.back() : answers.front();
    box.setDefaultButton(static_cast<QPushButton*>(defaultButton.first));
    // Closing the box is the last button: Cancel, No, or the only OK.
    box.setEscapeButton(answers.back().first);
    box.exec();
    for (const auto& [button, answer] : answers)
        if (button == box.clickedButton())
            return answer;
    return answers.back().second;
}

int WidgetPrompts::RunSaveDialog(MemoHeader& header, bool goOnEnabled)
{
    CSabrelSave dialog(header, goOnEnabled, m_parent);
    const int result = dialog.exec();
    if (result == kSaveDialogSave)
        header = dialog.Header();
    return result;
}

std::optional<QString> WidgetPrompts::ChooseOpenFile(const FileDialogRequest& request)
{
    return ChooseFile(request, false);
}

std::optional<QString> WidgetPrompts::ChooseSaveFile(const FileDialogRequest& request)
{
    return ChooseFile(request, true);
}

std::optional<QString> WidgetPrompts::ChooseFile(const FileDialogRequest& request, bool save)
{
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(QtNameFilters(request.filter));
    dialog.setDefaultSuffix(request.defaultExtension);
    if (!request.startFolder.isEmpty())
        dialog.setDirectory(request.startFolder);
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
