// Start-up, the editor options and the application's commands (see quirel_app.h).
#include "quirel_app.h"

#include "app/main_frame.h"
#include "app/option_dialog.h"
#include "app/qt_translation.h"
#include "app/search_dialog_bar.h"
#include "app/wait_cursor.h"
#include "browser/page_file.h"
#include "document/quirel_doc.h"
#include "document/user_prompts.h"
#include "editor/view/quirel_view.h"
#include "platform/settings.h"

#include <QCoreApplication>
#include <QScreen>
#include <QStandardPaths>

namespace {
// The project's version (CMakeLists.txt).
const QString kVersion = QStringLiteral("0.1");
const QString kTextFileFilter =
    QStringLiteral("すべてのファイル(*.*)|*.*|テキスト(*.txt)|*.txt|Brindle nbk(*.nbk)|*.nbk||");
} // namespace

CQuirelApp::CQuirelApp(UserPrompts* prompts) : m_prompts(prompts) {}

CQuirelApp::~CQuirelApp() = default;

void CQuirelApp::InitInstance(const QStringList& arguments)
{
    InitSettingsIdentity();
    QCoreApplication::setApplicationVersion(kVersion);
    InstallQtTranslation();
    CPageFile::RemoveStale(); // list pages left by a run that crashed

    m_frame = std::make_unique<CMainFrame>(m_prompts);
    QObject::connect(m_frame.get(), &CMainFrame::ApplicationCommand, m_frame.get(),
                     [this](int command) { OnCommand(command); });
    // The frame saves its geometry whenever it closes.
    if (!m_frame->restoreGeometry(ReadWindowGeometry()))
        m_frame->resize(m_frame->screen()->availableSize() * 3 / 4);

    CQuirelDoc& document = m_frame->Document();
    const QString path = arguments.value(1);
    bool opened = false;
    if (!path.isEmpty()) {
        WaitCursor wait;
        opened = document.OnOpenDocument(path);
    }
    if (!opened)
        document.OnNewDocument();

    m_frame->show();
    m_frame->setAcceptDrops(true);
    LoadOptions();
}

void CQuirelApp::LoadOptions()
{
    m_options = ReadEditorOptions();
    if (!m_frame)
        return;
    m_frame->SearchBar()->SetWebSearchHost(ReadWebSearchHost());
    WaitCursor wait;
    m_frame->View()->SetOptions(m_options);
}

void CQuirelApp::OnCommand(int command)
{
    if (command == FrameCommand::kOpenTextFile)
        OpenTextFile();
    else if (command == FrameCommand::kOptions)
        EditOptions();
}

void CQuirelApp::OpenTextFile()
{
    const std::optional<QString> path = m_frame->Prompts().ChooseOpenFile(
        {kTextFileFilter, QStringLiteral("txt"), {}, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
         true});
    if (path)
        m_frame->OpenDocumentFile(*path);
}

void CQuirelApp::EditOptions()
{
    COption dialog(m_frame.get());
    if (dialog.exec() == QDialog::Accepted)
        LoadOptions();
}
