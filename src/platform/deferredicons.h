#pragma once

#include <QProxyStyle>

// The desktop's style, or the one the user asked for, except that the menu
// bar's and tool bars' extension icons are read from their image files when
// first drawn. Every menu bar makes one at construction, and reading it
// makes Qt load each installed image-format plugin before the first window
// is shown.
class DeferredIconStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};
