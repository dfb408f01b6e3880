// The application object of the editor program: brings the program up
// (display metrics, folders, the document template, the command line, the
// office add-in's mode switch, the source-editor control library, the
// settings, the symbol library), holds what several windows share, and takes
// the program down.
#pragma once

#include "model/RenderContext.h"
#include "model/SymbolLibrary.h"
#include "platform/AppContext.h"
#include "shell/settings/AppSettings.h"
#include "shell/update/UpdateCheck.h"
#include "sheet/CLaTeXWnd.h"
#include "tex/TeXCode.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace toliva {

class CAboutDlg;
class CDlgCheckUpdate;
class CMainFrame;
class CTolivaDoc;
class CTolivaView;
class OfficeLink;
class RecognitionClient;
class RecognitionService;

// The framework's command-line switches and the file to open.
struct CommandLineInfo {
    enum ShellCommand { FileNew, FileOpen, FileNothing, AppRegister, AppUnregister };
    ShellCommand shellCommand = FileNew;
    QString fileName;
    bool runEmbedded = false;   // "/Embedding" or "-Embedding"
    bool runAutomated = false;  // "/Automation"
};
// Switches start with '-' (or '/', for the names below only, so that an
// absolute path stays a file) and are compared without case: "Embedding",
// "Automation", "Unregserver" or "Unregister", "Regserver" or "Register";
// other switches are ignored. The first other argument is the file to open.
CommandLineInfo ParseCommandLine(const QStringList& arguments);

// The recent-file list of the framework profile ("Recent File List", "File1"
// .. "File4" under "Software\Ravelt Software\Toliva").
class RecentFileList {
public:
    static constexpr int kSize = 4;
    void Load();
    void Save() const;
    // Puts a path first (a path already in the list moves up).
    void Add(const QString& path);
    const QStringList& files() const { return m_files; }

private:
    QStringList m_files;
};

class CTolivaApp {
public:
    // The program's title, the registry root of the framework profile and
    // the size of the recent-file list.
    static constexpr const char* kAppTitle = "Toliva";
    static constexpr const char* kProfileRoot = "Ravelt Software";

    // app: the process's context (settings the libraries read, folders,
    // drawing lock). programFolder: where the data files lie (empty: beside
    // the running program).
    explicit CTolivaApp(AppContext& app, const QString& programFolder = QString());
    ~CTolivaApp();
    CTolivaApp(const CTolivaApp&) = delete;
    CTolivaApp& operator=(const CTolivaApp&) = delete;

    // Start-up in its fixed order; false ends the process.
    bool InitInstance(const QStringList& arguments);
    // Shut-down; the exit code.
    int ExitInstance(int code = 0);

    // Reads "DoNoWinVerb" (WordCmds); exactly "1" is add-in mode, and the
    // value is written back as "0" at once.
    void ReadAddinMode();
    void InitDisplayMetrics();
    void CreateUserFolders();

    // ---- the document template (one document, frame and view)

    // A new document in the frame (made on first use); false on failure.
    bool OnFileNew();
    // Asks for a file and opens it.
    bool OnFileOpen();
    // Opens a file into the document; the document stays as it was when the
    // file does not read.
    bool OpenDocumentFile(const QString& path);
    // Makes the frame, the view and the document when they do not exist.
    void EnsureFrame();

    // The About box, modal; IDOK when it was closed.
    int OnAppAbout();

    CTolivaDoc* document() const { return m_doc.get(); }
    CMainFrame* frame() const { return m_frame.get(); }
    CTolivaView* view() const;
    OfficeLink* officeLink() const { return m_server.get(); }

    AppContext& context() { return m_app; }
    const AppContext& context() const { return m_app; }
    AppSettings& settings() { return m_settings; }
    const RenderContext& renderContext() const { return *m_render; }
    RecentFileList& recentFiles() { return m_recentFiles; }

    // Members, as the windows read them.
    int m_bWaitingConvert = 0;
    int m_bRunEmbedded = 0;
    QString m_strProgramFolder;
    QStringList m_listProgramPaths;
    bool m_bAddinMode = false;
    SourceEditorLibrary m_hLaTeXControlLib;
    QFont m_fontUI;
    QString m_strUserFolder, m_strTempFolder;
    std::unique_ptr<CTeXCode> m_texCode;  // "Dat/KwTLData.dat" beside the program
    SymbolLibrary m_symbolLibrary;
    // The non-empty TeX labels of the tile items, in item order: the LaTeX
    // reader reads them as references, the prompt bar offers them.
    QStringList m_texLabels;
    CommandLineInfo m_cmdInfo;
    // Loads the source-editor control library (empty:
    // LoadSourceEditorLibrary); tests stand in a library that is missing.
    std::function<SourceEditorLibrary(const QString& programFolder)> loadEditorLibrary;
    // The recognition client the sheet asks (null: the sheet says it is not
    // available yet). Not owned; set before the view is made. Start-up makes
    // the program's own client when none is set.
    RecognitionService* recognition = nullptr;
    // The virtual screen the main window is kept inside (empty: the union
    // of the screens); tests stand in screens of their own.
    std::function<QRect()> virtualScreen;
    // Runs the About box in place of its modal loop (tests answer it);
    // empty: the modal loop.
    std::function<int(CAboutDlg&)> runAboutDialog;
    // Where the update check asks and what day it is (tests point it at the
    // loopback interface and choose the day).
    UpdateCheckConfig updateCheck;
    // Runs the update dialog in place of its modal loop (tests answer it);
    // empty: the modal loop.
    std::function<int(CDlgCheckUpdate&)> runUpdateDialog;
    // The event loop ends when the main window closes (tests that drive
    // the program in their own process turn it off).
    bool quitWithFrame = true;

private:
    AppContext& m_app;
    AppSettings m_settings;
    std::unique_ptr<RenderContext> m_render;
    RecentFileList m_recentFiles;
    std::unique_ptr<OfficeLink> m_server;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CTolivaDoc> m_doc;
    // The program's recognition client, made at start-up when none was set.
    std::unique_ptr<RecognitionClient> m_recognitionClient;
};

}  // namespace toliva
