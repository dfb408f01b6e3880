// genbarpics: draws the pictures of the main symbol strip (BarPictureSet.h).
//
//   genbarpics --sources DIR --output DIR [--preview DIR]
//
// Every node's key is carried out by a headless editing sheet on an empty
// equation and drawn through the model into its tile; keys that insert
// nothing (commands, the user-symbol panel, the custom space) are drawn from
// "key_<kind>_<code>.svg" of the sources folder. The output folder is the
// program's "Pics" folder. The run's time is printed.
#include "BarPictureSet.h"
#include "KeyPictures.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

using namespace toliva;

namespace {

void fail(const QString& text) { std::fprintf(stderr, "genbarpics: %s\n", text.toUtf8().constData()); }

struct Args {
    QString sources;
    QString output;
    QString preview;
};

bool parseArgs(const QStringList& args, Args* out) {
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--sources") out->sources = args[i + 1];
        else if (args[i] == u"--output") out->output = args[i + 1];
        else if (args[i] == u"--preview") out->preview = args[i + 1];
        else return false;
    }
    return args.size() % 2 == 0 && !out->sources.isEmpty() && !out->output.isEmpty();
}

int run(const QStringList& arguments) {
    Args args;
    if (!parseArgs(arguments, &args)) {
        fail(QStringLiteral("usage: genbarpics --sources DIR --output DIR [--preview DIR]"));
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    KeyPictures pictures(args.sources);
    BarPictureCount count;
    QStringList errors;
    const bool done = GenerateBarPictures(pictures, args.output, args.preview, &count, &errors);
    for (const QString& e : errors) fail(e);
    if (!done) return 1;
    std::printf("genbarpics: %d pictures (%d nodes drawn through the model, %d from sources) in %lld ms\n",
                count.files, pictures.drawnFromModel, pictures.drawnFromSvg, static_cast<long long>(timer.elapsed()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The sheet is a widget: without a display it runs on the offscreen platform.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QTemporaryDir> runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        runtime = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/genbarpics-runtime-XXXXXX"));
        if (runtime->isValid()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
    }
    QApplication application(argc, argv);
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    return run(args);
}
