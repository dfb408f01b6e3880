#include "shell/CTolivaApp.h"

#include "model/EqMeasure.h"
#include "platform/DialogService.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"
#include "platform/RegKey.h"
#include "platform/Utilities.h"
#include "shell/CAboutDlg.h"
#include "shell/CMainFrame.h"
#include "shell/CTolivaDoc.h"
#include "shell/CTolivaView.h"
#include "shell/OfficeLink.h"
#include "shell/ShellRegistration.h"
#include "shell/ShellTexts.h"
#include "shell/recognition/RecognitionClient.h"
#include "sheet/CKwEESheet.h"
#include "sheet/editing/CommandCodes.h"
#include "uikit/CKwMenu.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

namespace toliva {
namespace {

const QString kRecentKey = QStringLiteral("Software\\Ravelt Software\\Toliva\\Recent File List");

// The filter and extension of the program's document files.
const QString kDocumentFilter = QStringLiteral("Toliva Files (*.afx)|*.afx||");
const QString kDocumentExtension = QStringLiteral("afx");

QString withSlash(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

// The language of the start-up message: "LanSel" read without writing, since
// the settings are not loaded yet ("2", Chinese, when it is missing).
QString startupLanguageCode() {
    return ReadLanguageSelection(2) == 2 ? QStringLiteral("cn") : QStringLiteral("en");
}

}  // namespace

// ---- command line

CommandLineInfo ParseCommandLine(const QStringList& arguments) {
    static const QStringList kSwitches = {QStringLiteral("Embedding"),   QStringLiteral("Automation"),
                                          QStringLiteral("Unregserver"), QStringLiteral("Unregister"),
                                          QStringLiteral("Regserver"),   QStringLiteral("Register")};
    CommandLineInfo info;
    for (const QString& argument : arguments) {
        // Switches start with '-', or with '/' as on the system the add-in
        // comes from; an absolute path is not a switch unless it names one.
        const bool dash = argument.size() > 1 && argument.startsWith(QLatin1Char('-'));
        const bool slash = argument.size() > 1 && argument.startsWith(QLatin1Char('/')) &&
                           kSwitches.contains(argument.mid(1), Qt::CaseInsensitive);
        if (!dash && !slash) {
            if (info.fileName.isEmpty()) {
                info.fileName = argument;
                if (info.shellCommand == CommandLineInfo::FileNew) info.shellCommand = CommandLineInfo::FileOpen;
            }
            continue;
        }
        const QString name = argument.mid(1);
        const auto is = [&](const char* s) { return name.compare(QLatin1String(s), Qt::CaseInsensitive) == 0; };
        if (is("Embedding")) {
            info.runEmbedded = true;
            info.shellCommand = CommandLineInfo::FileNothing;
        } else if (is("Automation")) {
            info.runAutomated = true;
            info.shellCommand = CommandLineInfo::FileNothing;
        } else if (is("Unregserver") || is("Unregister")) {
            info.shellCommand = CommandLineInfo::AppUnregister;
        } else if (is("Regserver") || is("Register")) {
            info.shellCommand = CommandLineInfo::AppRegister;
        }
    }
    return info;
}

// ---- recent files

void RecentFileList::Load() {
    m_files.clear();
    RegKey key;
    if (!OpenRegKey(kRecentKey, key)) return;
    for (int i = 1; i <= kSize; ++i) {
        QString path;
        ReadRegString(key, QStringLiteral("File%1").arg(i), path, QString());
        if (!path.isEmpty()) m_files << path;
    }
}

void RecentFileList::Save() const {
    RegKey key;
    if (!OpenRegKey(kRecentKey, key)) return;
    for (int i = 1; i <= kSize; ++i)
        WriteRegString(key, QStringLiteral("File%1").arg(i), i <= m_files.size() ? m_files[i - 1] : QString());
}

void RecentFileList::Add(const QString& path) {
    if (path.isEmpty()) return;
    const QString full = QFileInfo(path).absoluteFilePath();
    m_files.removeAll(full);
    m_files.prepend(full);
    while (m_files.size() > kSize) m_files.removeLast();
}

// ---- the application object

CTolivaApp::CTolivaApp(AppContext& app, const QString& folder) : m_app(app) {
    m_strProgramFolder = withSlash(folder.isEmpty() ? programFolder() : folder);
    m_listProgramPaths.prepend(programPath());
    m_texCode = std::make_unique<CTeXCode>(m_strProgramFolder + QStringLiteral("Dat/KwTLData.dat"));
}

CTolivaApp::~CTolivaApp() {
    // The windows go before the libraries they draw with.
    m_frame.reset();
    m_doc.reset();
    m_server.reset();
}

CTolivaView* CTolivaApp::view() const { return m_frame ? m_frame->view() : nullptr; }

void CTolivaApp::InitDisplayMetrics() {
    DisplayMetrics& d = m_settings.display;
    d.dpiScale = 1.0f;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    d.dpiScale = float(screen->logicalDotsPerInchX() / 96.0);
    const double pixels = screen->geometry().width() * screen->devicePixelRatio();
    const double millimetres = screen->physicalSize().width();
    if (pixels > 0 && millimetres > 0) d.mmPerPixelRatio = float((millimetres / pixels) / 0.35260416666666666);
    d.scaledPx25 = int(d.dpiScale * 25);
}

void CTolivaApp::CreateUserFolders() {
    m_app.createUserFolders();
    m_strUserFolder = m_app.userFolder;
    m_strTempFolder = m_app.tempFolder;
}

void CTolivaApp::ReadAddinMode() {
    RegKey key;
    OpenRegKey(kWordCmdsKey, key);
    QString value;
    ReadRegString(key, QStringLiteral("DoNoWinVerb"), value, QString());
    m_bAddinMode = value == QLatin1String("1");
    if (m_bAddinMode) WriteRegString(key, QStringLiteral("DoNoWinVerb"), QStringLiteral("0"));
}

bool CTolivaApp::InitInstance(const QStringList& arguments) {
    // The window system's controls, the object library and control
    // containment need no set-up here.
    InitDisplayMetrics();
    m_fontUI = CreateMenuFont();
    CreateUserFolders();
    m_recentFiles.Load();

    // Shell open: the document type and the program are made known to the
    // desktop (the user's XDG data folder).
    QString error;
    RegisterShellFileTypes(m_listProgramPaths.value(0), &error);

    m_cmdInfo = ParseCommandLine(arguments);

    // The first registry access opens the database; a damaged one is put
    // aside and noted for the user.
    m_app.loadOptions();
    m_settings.loaded = false;
    ReadAddinMode();
    if (!m_bAddinMode) {
        m_hLaTeXControlLib = loadEditorLibrary ? loadEditorLibrary(m_strProgramFolder)
                                               : LoadSourceEditorLibrary(m_strProgramFolder);
        if (!m_hLaTeXControlLib.loaded) {
            showMessage(ShellMessage(startupLanguageCode(), MsgEditorLibraryMissing), MB_OK | MB_ICONERROR);
            return false;
        }
        LoadAppSettings(m_app, m_settings);
    } else {
        SetAddinModeSettings(m_app, m_settings);
    }

    if (!LoadSymbolLibraryFile(m_symbolLibrary, m_strProgramFolder + QStringLiteral("Dat/KwSLData.dat")))
        return false;
    m_render = std::make_unique<RenderContext>(m_symbolLibrary, FontTextMeasurer());
    m_render->options = m_app.options;
    m_render->resultBackColour = m_app.resultBackColour;
    m_render->drawingLock = &m_app.drawingLock;

    if (!recognition) {
        m_recognitionClient = std::make_unique<RecognitionClient>();
        m_recognitionClient->languageCode = [this] { return m_app.languageCode(); };
        recognition = m_recognitionClient.get();
    }

    if (m_cmdInfo.runEmbedded || m_cmdInfo.runAutomated) {
        // The container reaches the object through the link; no window yet.
        m_bRunEmbedded = 1;
        m_server = std::make_unique<OfficeLink>(*this);
        if (!m_server->Listen(&error)) {
            showMessage(ShellMessage(m_app.languageCode(), MsgCannotOpenLink) + error, MB_OK | MB_ICONERROR);
            return false;
        }
        return true;
    }

    if (m_cmdInfo.shellCommand == CommandLineInfo::AppUnregister) {
        UnregisterShellFileTypes(&error);
        UpdateServerRegistration(m_listProgramPaths.value(0), false, &error);
    } else {
        UpdateServerRegistration(m_listProgramPaths.value(0), true, &error);
    }

    switch (m_cmdInfo.shellCommand) {
    case CommandLineInfo::FileNew:
        if (!OnFileNew()) return false;
        break;
    case CommandLineInfo::FileOpen:
        EnsureFrame();
        if (!OpenDocumentFile(m_cmdInfo.fileName)) return false;
        break;
    default:
        // Registering and unregistering end the run.
        return false;
    }

    m_frame->ActivateFrame();
    if (CTolivaView* v = view()) v->FocusSheet();
    for (const StartupNote& note : m_app.takeStartupNotes())
        showMessage(StartupNoteText(note), MB_OK | MB_ICONWARNING);
    return true;
}

int CTolivaApp::ExitInstance(int code) {
    // The windows go first: the sheet draws with the symbol library.
    m_frame.reset();
    m_doc.reset();
    m_server.reset();

    RegKey word;
    OpenRegKey(kWordCmdsKey, word);
    WriteRegString(word, QStringLiteral("TolivaOccupy"), QStringLiteral("0"));
    WriteRegString(word, QStringLiteral("DocEnvSize"), QStringLiteral("0"));
    if (!m_bAddinMode) {
        SaveAppSettings(m_app, m_settings);
        if (m_settings.loaded) m_recentFiles.Save();
    }
    // The control library stays mapped until the process ends; its windows
    // are gone.
    m_hLaTeXControlLib = SourceEditorLibrary{};
    ClearGlyphList(m_symbolLibrary.outlines);
    ClearGlyphList(m_symbolLibrary.glyphs);
    m_symbolLibrary.operators.reset();
    m_symbolLibrary.operatorCount = 0;
    if (m_bWaitingConvert) WriteRegString(word, QStringLiteral("WaitingConvert"), QStringLiteral("1"));
    return code;
}

// ---- the document template

void CTolivaApp::EnsureFrame() {
    if (m_frame) return;
    m_doc = std::make_unique<CTolivaDoc>(*this);
    m_frame = std::make_unique<CMainFrame>(*this);
    m_doc->setView(m_frame->view());
    // The frame of an embedding stays hidden until the container shows it.
    if (m_bRunEmbedded) m_frame->ActivateFrame();
}

int CTolivaApp::OnAppAbout() {
    CAboutDlg dialog(m_app, m_frame.get());
    dialog.modalRunner = runAboutDialog;
    return dialog.DoModal();
}

bool CTolivaApp::OnFileNew() {
    const bool existed = m_frame != nullptr;
    EnsureFrame();
    if (existed && !m_doc->SaveModified()) return false;
    if (!m_doc->OnNewDocument()) return false;
    m_frame->UpdateFrameTitle();
    return true;
}

bool CTolivaApp::OnFileOpen() {
    FileDialogRequest request;
    request.filter = kDocumentFilter;
    request.defaultExtension = kDocumentExtension;
    request.owner = m_frame.get();
    QString path;
    if (!dialogService().pickFile(request, &path)) return false;
    return OpenDocumentFile(path);
}

bool CTolivaApp::OpenDocumentFile(const QString& path) {
    const bool existed = m_frame != nullptr && m_doc->equation() != nullptr;
    EnsureFrame();
    if (existed && !m_doc->SaveModified()) return false;
    if (!m_doc->OnOpenDocument(path)) return false;
    m_recentFiles.Add(path);
    m_frame->UpdateFrameTitle();
    return true;
}

}  // namespace toliva
