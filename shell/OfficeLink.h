// The office add-in's link to an embedded instance of the editor.
//
// On its home system the add-in embeds the equation as an object of the
// editor's server and drives it with verbs. Here an instance started with
// the Embedding switch listens on a local socket named after its process
// (OfficeLinkName) and takes one command per line (UTF-8):
//
//   open PATH   the item's storage: the document reads it (a missing or empty
//               file starts a new equation) and saves back into it
//   verb N      a verb: 0 and 1 show the window, a higher one runs job N
//   state       the answer "state visible=V modified=M job=J embedded=E"
//   draw PATH   writes the picture the container shows for the item (a
//               placeable Windows metafile with the baseline and LaTeX
//               comments) to the file PATH
//   close       closes the window as the container would
//
// Each command is answered by "ok" or "error REASON". The instance also
// tells every connected container "changed" when the item's picture is out
// of date (the container asks "draw" again), "saved PATH" after it saved the
// item and "closed" when its window closed.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace toliva {

class CTolivaApp;

// The socket name of the instance with this process id.
QString OfficeLinkName(qint64 pid);

class OfficeLink : public QObject {
public:
    explicit OfficeLink(CTolivaApp& app);
    ~OfficeLink() override;

    // Starts listening under OfficeLinkName(own pid); false with the reason
    // when the socket cannot be made.
    bool Listen(QString* reason);
    QString name() const;
    // Tells every container a line ("changed", "saved PATH", "closed").
    void Notify(const QString& line);
    // One command line carried out; its answer.
    QString Execute(const QString& line);

private:
    void onConnection();
    void onReadyRead(QLocalSocket* socket);

    CTolivaApp& m_app;
    QLocalServer* m_server = nullptr;
    std::vector<QLocalSocket*> m_clients;
};

}  // namespace toliva
