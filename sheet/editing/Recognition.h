// Formula recognition of an image, as the recognition client does it. The
// sheet asks through this service, so that the program wires in its client
// and tests answer by script.
#pragma once

#include <QImage>
#include <QString>

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

}  // namespace toliva
