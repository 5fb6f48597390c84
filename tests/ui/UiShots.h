#pragma once
// Pictures of windows for a person to look at, saved when KLT_UI_SHOTS names a folder.
#include <QByteArray>
#include <QString>

namespace klt::test {

template <class Picture> void SaveUiShot(const Picture& picture, const char* name) {
    if (const QByteArray folder = qgetenv("KLT_UI_SHOTS"); !folder.isEmpty()) {
        picture.save(QString::fromUtf8(folder) + "/" + name);
    }
}

} // namespace klt::test
