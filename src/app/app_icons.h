// The program's icons: the tool bar's images and the window icon. Each comes from the desktop's
// icon theme when it has one, otherwise from a small picture drawn here, so no button is ever
// blank on a desktop without a theme.
#pragma once

#include <QIcon>

// Tool bar button images are this size.
inline constexpr QSize kToolBarImageSize(16, 15);

// The image of a tool bar command (an empty icon for a command without one).
QIcon ToolBarIcon(int command);
// The window icon: the theme's "quirel" (installed with the program), or the same picture.
QIcon QuirelIcon();
