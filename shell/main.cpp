// The editor program.
#include "platform/AppContext.h"
#include "platform/DialogService.h"
#include "platform/MessageSink.h"
#include "platform/NetworkService.h"
#include "platform/PrintService.h"
#include "uikit/print/SystemPrintService.h"
#include "shell/CTolivaApp.h"
#include "uikit/QtDialogService.h"
#include "uikit/QtMessageSink.h"

#include <QApplication>

int main(int argc, char** argv) {
    // The network library is set up once, before any transfer, and torn
    // down once at exit.
    toliva::CurlGlobalScope curl;
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Toliva"));
    QApplication::setQuitOnLastWindowClosed(false);

    toliva::QtMessageSink messages;
    toliva::setMessageSink(&messages);
    toliva::QtDialogService dialogs;
    toliva::setDialogService(&dialogs);
    toliva::SystemPrintService printers;
    toliva::setPrintService(&printers);

    int code = 1;
    {
        toliva::CTolivaApp theApp(toliva::app());
        if (theApp.InitInstance(QApplication::arguments().mid(1)))
            code = theApp.ExitInstance(QApplication::exec());
        else  // registering and unregistering end the run by design
            code = theApp.ExitInstance(theApp.m_cmdInfo.shellCommand == toliva::CommandLineInfo::AppRegister ||
                                               theApp.m_cmdInfo.shellCommand == toliva::CommandLineInfo::AppUnregister
                                           ? 0
                                           : 1);
    }
    toliva::setPrintService(nullptr);
    toliva::setDialogService(nullptr);
    toliva::setMessageSink(nullptr);
    return code;
}
