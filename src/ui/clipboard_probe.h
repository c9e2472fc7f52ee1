#pragma once

// Looks at the start of the system clipboard's text, for the clipboard commands' rules (whether
// Paste may run, whether a value of ours is still there). On X11 another program answers a read
// of the clipboard, slowly when it holds much, never when it hangs: a look there runs off the
// window's thread and answers later. Only Paste itself reads the clipboard on the window's thread.
#include <functional>
#include <memory>

#include <QString>

namespace tessarin {

class IClipboardProbe {
public:
    virtual ~IClipboardProbe() = default;
    // Gives `answer` the first `count` characters of the clipboard's text, on the window's thread:
    // empty when it holds no text or its owner did not answer in time. A later Look replaces one
    // still under way, whose answer is then never given.
    virtual void Look(int count, std::function<void(const QString&)> answer) = 0;
};

// Reads the clipboard at once, on the caller's thread: for the platforms where that is quick (the
// offscreen platform of the tests, a clipboard held by this program).
std::unique_ptr<IClipboardProbe> MakeLocalClipboardProbe();

}  // namespace tessarin
