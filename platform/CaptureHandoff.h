// The hand-off between the editor and the screen-capture program.
//
// The editor sets two registry values under HKCU\Software\Pirnel ("KwGEW" =
// CaptureStatePending, "Caller" = CaptureCallerMain), starts the capture
// program and waits while the state is pending and the capture window
// exists. The capture program writes the outcome ("KwGEW" = CaptureStateTaken
// with an image on the clipboard, or CaptureStateNothing) and "Caller" = 0.
//
// "The capture window exists" is a lock: the capture program holds the lock
// file CaptureLockPath() (a QLockFile) from the moment its capture window
// appears until it is gone, and the editor asks IsCaptureWindowOpen(). No
// window title is looked for, so the hand-off works on every desktop.
#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace toliva {

// The registry key of the capture program, below the user's root.
inline const QString kCaptureRegKey = QStringLiteral("Software\\Pirnel");
inline const QString kCaptureStateValue = QStringLiteral("KwGEW");
inline const QString kCaptureCallerValue = QStringLiteral("Caller");

enum CaptureState : int {
    CaptureStatePending = 1,  // the capture runs
    CaptureStateTaken = 2,    // an image is on the clipboard
    CaptureStateNothing = 3,  // cancelled
};
enum CaptureCaller : int { CaptureCallerNone = 0, CaptureCallerMain = 1 };

// "pirnel-capture.lock" in the per-user runtime folder ($XDG_RUNTIME_DIR;
// the temporary folder when there is none).
QString CaptureLockPath();

// True while another holder (normally the capture program) holds the lock
// at path; a lock left behind by a process that has died counts as free.
bool IsCaptureWindowOpen(const QString& path = CaptureLockPath());

// The capture program's side: acquired when its capture window appears,
// released when it goes (or when the object is destroyed).
class CaptureWindowLock {
public:
    explicit CaptureWindowLock(const QString& path = CaptureLockPath());
    ~CaptureWindowLock();
    CaptureWindowLock(const CaptureWindowLock&) = delete;
    CaptureWindowLock& operator=(const CaptureWindowLock&) = delete;

    // False when another holder has it.
    bool acquire();
    void release();
    bool held() const { return m_held; }

private:
    std::unique_ptr<QLockFile> m_lock;
    bool m_held = false;
};

}  // namespace toliva
