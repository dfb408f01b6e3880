// Formula recognition of an image, as the recognition client does it. The
// sheet asks through this service, so that the program wires in its client
// and tests answer by script.
#pragma once

#include "sheet/editing/EditDialogs.h"

#include <QImage>
#include <QString>

#include <utility>

namespace toliva {

class RecognitionService {
public:
    virtual ~RecognitionService() = default;
    // Saves the image where recognition reads it, after the client's check
    // of its size; false (the client has told the user why) when refused.
    virtual bool SaveRecognitionImage(const QImage& image, const QString& path) = 0;
    // The LaTeX text of the formula in the image file; empty when
    // recognition failed (the client has told the user).
    virtual QString RecognizeFormula(const QString& imagePath) = 0;
};

// Without a recognition client: tells the user, through the message sink,
// that recognition is not available yet, and recognises nothing.
class UnavailableRecognition : public RecognitionService {
public:
    explicit UnavailableRecognition(QString languageCode = QStringLiteral("en"))
        : languageCode(std::move(languageCode)) {}
    bool SaveRecognitionImage(const QImage&, const QString&) override {
        ShowNotAvailableYet(languageCode, Unavailable::Command);
        return false;
    }
    QString RecognizeFormula(const QString&) override {
        ShowNotAvailableYet(languageCode, Unavailable::Command);
        return {};
    }

    QString languageCode;
};

}  // namespace toliva
